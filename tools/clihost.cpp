#include "clihost.h"

#include "db/dataset.h"
#include "db/errors.h"
#include "db/quote.h"
#include "db/shared.h"
#include "engine/planscheme.h"

#include <libpq-fe.h>
#include <termios.h>
#include <unistd.h>

#include <QProcessEnvironment>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

namespace kx::cli {

namespace {

TCliLogin& RunLogin()
{
    static TCliLogin login;
    return login;
}

// Reads a password from the terminal without showing it; false when there is no terminal.
bool PromptPassword(const QString& userNo, QString& password)
{
    if (!isatty(fileno(stdin)))
        return false;
    std::fprintf(stderr, "用户[%s]的密码: ", userNo.toUtf8().constData());
    std::fflush(stderr);
    termios saved{};
    const bool terminal = tcgetattr(fileno(stdin), &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(fileno(stdin), TCSANOW, &quiet);
    }
    std::string line;
    std::getline(std::cin, line);
    if (terminal)
        tcsetattr(fileno(stdin), TCSANOW, &saved);
    std::fputc('\n', stderr);
    password = QString::fromStdString(line);
    return true;
}

QString ObjectName(TConnection& connection, const QString& objectID)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select ObjName from KX_SYS_Objects where ObjID=%1").arg(QuotedStr(objectID));
    q.Open();
    return q.IsEmpty() ? objectID : q.Fields(0).AsString();
}

QString GroupName(TConnection& connection, const QString& objectID, const QString& group)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select AgrName from KX_SYS_ObjAccessGroups where AgrObjID=%1 and AgrID=%2")
                .arg(QuotedStr(objectID), QuotedStr(group));
    q.Open();
    return q.IsEmpty() ? group : q.Fields(0).AsString();
}

volatile std::sig_atomic_t gSignal = 0;
std::atomic<PGcancel*> gCancel{nullptr};
// Told to the connections of the main thread: a statement cancelled after an interrupt
// unwinds as an abort.
std::atomic<bool> gInterrupted{false};
// Set by a command whose steps commit on their own: an interrupt keeps what they saved.
bool gSavedInSteps = false;

void OnSignal(int signal)
{
    if (gSignal != 0) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    gSignal = signal;
    gInterrupted.store(true);
    if (PGcancel* cancel = gCancel.load()) {
        char error[256];
        (void)PQcancel(cancel, error, int(sizeof error));
    }
}

} // namespace

void SetCliLogin(const TCliLogin& login)
{
    RunLogin() = login;
}

TCliHost::TCliHost(const TConnectOptions& options, const QString& userNo)
{
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const TCliLogin& given = RunLogin();
    QString user = !userNo.isEmpty() ? userNo : !given.UserNo.isEmpty() ? given.UserNo : env.value(QStringLiteral("KXMRP_LOGIN"));
    user = user.trimmed();
    if (user.isEmpty())
        throw ECliRefusal(QStringLiteral("kxmrp: 必须登录: 请用--login给出用户代码(或设置环境变量KXMRP_LOGIN)!"), esUsage);
    QString password;
    if (given.HasPassword)
        password = given.Password;
    else if (env.contains(QStringLiteral("KXMRP_PASSWORD")))
        password = env.value(QStringLiteral("KXMRP_PASSWORD"));
    else if (!PromptPassword(user, password))
        throw ECliRefusal(QStringLiteral("kxmrp: 需要用户[%1]的登录密码: 请用--password给出(或设置环境变量KXMRP_PASSWORD)!").arg(user),
                          esUsage);
    LogIn(options, user, password);
}

TCliHost::TCliHost(const TConnectOptions& options, const QString& userNo, const QString& password)
{
    LogIn(options, userNo, password);
}

void TCliHost::LogIn(const TConnectOptions& options, const QString& userNo, const QString& password)
{
    TConnection lookup;
    Configure(lookup, options);
    suite::TLoginUser user;
    if (suite::CheckLogin(lookup, userNo, password, user) != suite::TLoginCheck::Accepted)
        throw ECliRefusal(QStringLiteral("kxmrp: 用户[%1]登录被拒绝: 用户不存在、已被禁用或密码不正确!").arg(userNo), esRefused);
    FSession = std::make_unique<suite::THostSession>(options, user, getpid(), 100000);
    SetEnvironment(&FSession->Env());
    Configure(FConnection, options);
    WatchConnection(&FConnection);
}

TCliHost::~TCliHost()
{
    WatchConnection(nullptr);
}

const TInfoObjectDef* TCliHost::RequireRight(const QString& objectID, const QString& group)
{
    const TInfoObjectDef* def = Catalogue().ObjectDef(objectID);
    if (def && (group.isEmpty() || def->GetAccessGroup(group)))
        return def;
    QString text = QStringLiteral("访问信息对象\"%1\"受到限制!").arg(ObjectName(FConnection, objectID));
    if (!group.isEmpty())
        text += QStringLiteral(" (需要[%1]权限)").arg(GroupName(FConnection, objectID, group));
    throw ECliRefusal(QStringLiteral("kxmrp: 用户[%1]").arg(UserName()) + text, esRefused);
}

bool TCliHost::HoldsRight(const QString& objectID, const QString& group)
{
    const TInfoObjectDef* def = Catalogue().ObjectDef(objectID);
    return def && (group.isEmpty() || def->GetAccessGroup(group));
}

void TCliHost::RequireAdministrator(const QString& work)
{
    if (!Catalogue().IsAdmin())
        throw ECliRefusal(QStringLiteral("kxmrp: %1需要系统管理员权限, 用户[%2]不是系统管理员!").arg(work, UserName()), esRefused);
}

std::unique_ptr<TPlanScheme> TCliHost::OpenScheme(int schemeIID, TSchemeAccess needed)
{
    const TSchemeRights rights = TSchemeRights::Of(Catalogue().ObjectDef(QStringLiteral("KX_MRP.MRP")),
                                                   Catalogue().ObjectDef(QStringLiteral("KX_MRP.MRPQuery")));
    // The right the work needs comes first: without it no scheme is of use, and none is named.
    if (needed == saMaintain && !rights.Maintains)
        RequireRight(QStringLiteral("KX_MRP.MRP"), QStringLiteral("Update"));
    if (!rights.Reads)
        RequireRight(QStringLiteral("KX_MRP.MRP"));
    const TSchemeAccess access = SchemeAccessOf(FConnection, schemeIID, 0, UserID(), QString::fromUtf8(FSession->Env().UserGroups), rights);
    auto scheme = std::make_unique<TPlanScheme>(&FConnection);
    if (access == saNone || !scheme->Load(schemeIID))
        throw ECliRefusal(QStringLiteral("kxmrp: 计划方案%1不存在!").arg(schemeIID), esFailed);
    if (needed == saMaintain && access != saMaintain)
        throw ECliRefusal(QStringLiteral("kxmrp: 计划方案[%1]属于用户[%2], 用户[%3]只能查看, 不能修改或运算!")
                              .arg(scheme->SchemeName, scheme->Creater, UserName()),
                          esRefused);
    return scheme;
}

TPlanPeriods ConsecutivePeriods(const QDate& from, int count, const QString& unit)
{
    QList<TPlanPeriod> user;
    QDate begin = from;
    for (int i = 0; i < count; ++i) {
        const QDate next = unit == QLatin1String("days") ? begin.addDays(1)
                         : unit == QLatin1String("months") ? begin.addMonths(1)
                                                            : begin.addDays(7);
        user << TPlanPeriod{ppkNormal, begin, next.addDays(-1)};
        begin = next;
    }
    return BuildPlanPeriods(user);
}

void InstallInterruptHandlers()
{
    struct sigaction action{};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    SetThreadAbortFlag(&gInterrupted);
}

int Interrupted()
{
    return gSignal;
}

TInterruptedEnd InterruptedEnd(int status, int signal, bool savedInSteps)
{
    const QString by = signal == SIGINT ? QStringLiteral("Ctrl-C") : QStringLiteral("终止信号");
    if (status == esDone)
        return {esDone, QStringLiteral("kxmrp: 收到%1时操作已经完成, 结果已保存。").arg(by)};
    if (savedInSteps)
        return {128 + signal, QStringLiteral("kxmrp: 操作被%1中断, 中断前已保存的部分保留, 进行中的部分已撤销。").arg(by)};
    return {128 + signal, QStringLiteral("kxmrp: 操作被%1中断, 进行中的工作已撤销, 数据保持原样。").arg(by)};
}

void NoteWorkSavedInSteps()
{
    gSavedInSteps = true;
}

bool WorkSavedInSteps()
{
    return gSavedInSteps;
}

void WatchConnection(TConnection* connection)
{
    PGcancel* cancel = nullptr;
    if (connection) {
        connection->Open();
        cancel = PQgetCancel(connection->Handle());
    }
    // The one replaced is not freed: a signal may be using it this moment. It is a few bytes,
    // once per login.
    gCancel.store(cancel);
}

void TConsoleProgress::ShowText(const QString& text)
{
    if (FBarShown)
        std::fputc('\n', stderr);
    FBarShown = false;
    FLastPercent = -1;
    if (FShowText && !text.isEmpty())
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

void TConsoleProgress::ShowPosition(qint64 done, qint64 total)
{
    if (total <= 0 || !isatty(fileno(stderr)))
        return;
    const int percent = int(done * 100 / total);
    if (percent == FLastPercent)
        return;
    FLastPercent = percent;
    const int width = 40;
    const int filled = percent * width / 100;
    std::fprintf(stderr, "\r[%s%s] %3d%%", QByteArray(filled, '#').constData(), QByteArray(width - filled, '.').constData(), percent);
    FBarShown = true;
}

void TConsoleProgress::CheckAbort()
{
    if (Interrupted())
        throw EAbort();
}

TConsoleProgress::~TConsoleProgress()
{
    if (FBarShown)
        std::fputc('\n', stderr);
}

void Print(const QString& text)
{
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace kx::cli
