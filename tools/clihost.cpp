#include "clihost.h"

#include "db/errors.h"
#include "db/quote.h"
#include "db/shared.h"

#include <unistd.h>

#include <cstdio>

namespace kx::cli {

TCliHost::TCliHost(const TConnectOptions& options, const QString& userNo)
{
    Configure(FHostConnection, options);
    TQuery q(&FHostConnection);
    q.SQL = QStringLiteral("select UsrID, UsrName from KX_SYS_Users where UsrDisabled=0 and %1 order by UsrNo limit 1")
                .arg(userNo.isEmpty() ? QStringLiteral("UsrIsAdmin=1") : QStringLiteral("UsrNo=%1").arg(QuotedStr(userNo)));
    q.Open();
    if (q.IsEmpty())
        throw EKxError(userNo.isEmpty() ? QStringLiteral("数据库中没有可用的系统管理员用户!")
                                        : QStringLiteral("用户\"%1\"不存在或已被禁用!").arg(userNo));
    FCatalogue = std::make_unique<suite::TCatalogue>(FHostConnection);
    FCatalogue->SetUser(q.Fields(0).AsString());
    suite::SetCurrentCatalogue(FCatalogue.get());

    FUserID = q.Fields(0).AsString().toUtf8();
    FUserName = q.Fields(1).AsString();
    FUserNameUtf8 = FUserName.toUtf8();
    FGroups = FCatalogue->UserGroups().toUtf8();
    FServer = options.Server.toUtf8();
    FDatabase = options.Database.toUtf8();
    FUser = options.User.toUtf8();
    FPassword = options.Password.toUtf8();
    FEnv.EnumCache = &FEnumCache;
    FEnv.UserID = FUserID.constData();
    FEnv.UserName = FUserNameUtf8.constData();
    FEnv.UserGroups = FGroups.constData();
    FEnv.DBServer = FServer.constData();
    FEnv.DBName = FDatabase.constData();
    FEnv.DBUser = FUser.constData();
    FEnv.DBPassword = FPassword.constData();
    FEnv.ContextID = getpid();
    FEnv.MaxRows = 100000;
    suite::InstallCatalogueCallbacks(FEnv);
    SetEnvironment(&FEnv);
    Configure(FConnection, options);
}

TCliHost::~TCliHost()
{
    suite::SetCurrentCatalogue(nullptr);
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

TConsoleProgress::~TConsoleProgress()
{
    if (FBarShown)
        std::fputc('\n', stderr);
}

} // namespace kx::cli
