#include "testhost.h"

#include "db/escape.h"
#include "db/shared.h"
#include "viewschemeprep.h"

#include <QDir>

namespace kx::test {

namespace {

TTestHost* gCurrent = nullptr;

QString Flag(bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); }

void Record(const QString& call)
{
    if (gCurrent)
        gCurrent->Calls << call;
}

const TInfoObjectDef* FakeGetObjectDef(const QString& id)
{
    Record(QStringLiteral("GetObjectDef:") + id);
    if (!gCurrent)
        return nullptr;
    if (const TInfoObjectDef* def = gCurrent->FindObjectDef(id))
        return def;
    return gCurrent->Catalogue() ? gCurrent->Catalogue()->ObjectDef(id) : nullptr;
}

bool FakeBuildObjectSQL(const TInfoObjectDef* def, const QString& pattern, QString& sql, const QString& fields,
                        const QString& where, const QString& orderBy, const QString& masterCondition)
{
    Record(QStringLiteral("BuildObjectSQL:") + (def ? def->ID : QString()));
    return suite::HostBuildObjectSQL(def, pattern, sql, fields, where, orderBy, masterCondition);
}

bool FakeBuildObjectSelect(const TInfoObjectDef* def, const QString& selectList, QString& sql, QString& join)
{
    Record(QStringLiteral("BuildObjectSelect:") + (def ? def->ID : QString()));
    return suite::HostBuildObjectSelect(def, selectList, sql, join);
}

void FakeShowStatusText(const QString& text, int kind)
{
    Record(QStringLiteral("ShowStatusText:%1:%2").arg(kind).arg(text));
}

void FakeRefreshMainUI(std::intptr_t a, std::intptr_t b)
{
    Record(QStringLiteral("RefreshMainUI:%1:%2").arg(a).arg(b));
}

bool FakeShowEditor(const TInfoObjectDef* def, const QString& keys, const QString& action, IInfoEdit** editor)
{
    Record(QStringLiteral("ShowEditor:%1:%2:%3").arg(def ? def->ID : QString(), keys, action));
    if (editor)
        *editor = nullptr;
    return true;
}

bool FakePrepareViewScheme(const TInfoObjectDef* def, TViewScheme& scheme, const QString& caption, bool showDialog,
                           void* sharedQuery)
{
    Record(QStringLiteral("PrepareViewScheme:%1:%2").arg(scheme.ID, Flag(showDialog)));
    return suite::HostPrepareViewScheme(def, scheme, caption, showDialog, sharedQuery);
}

bool FakePrepareDetailScheme(const TInfoObjectDef* def, TViewScheme& scheme, void* sharedQuery)
{
    Record(QStringLiteral("PrepareDetailScheme:%1").arg(scheme.ID));
    return suite::HostPrepareDetailScheme(def, scheme, sharedQuery);
}

QString FakeGetPermitSQL(const TInfoObjectDef* def, const QString& code, bool byQuery)
{
    Record(QStringLiteral("GetPermitSQL:%1:%2:%3").arg(def ? def->ID : QString(), code, Flag(byQuery)));
    if (!gCurrent)
        return QString();
    if (gCurrent->Catalogue())
        return gCurrent->Catalogue()->PermitSQL(def, code, byQuery);
    return gCurrent->PermitSQL.value(code);
}

bool FakeSelectUsers(QStringList& Selection, bool AllowGroups, bool MultiSelect, const QStringList& Exclude)
{
    Record(QStringLiteral("SelectUsers:%1:%2:%3").arg(Flag(AllowGroups), Flag(MultiSelect), Exclude.join(QLatin1Char(','))));
    Selection = gCurrent ? gCurrent->UsersToPick : QStringList();
    return !Selection.isEmpty();
}

} // namespace

TTestHost::TTestHost()
{
    gCurrent = this;
    Env.EnumCache = &EnumCache;
    Env.MaxRows = 1000;
    Env.ContextID = 1;
    Env.GetObjectDef = FakeGetObjectDef;
    Env.RefreshMainUI = FakeRefreshMainUI;
    Env.ShowStatusText = FakeShowStatusText;
    Env.ShowEditor = FakeShowEditor;
    Env.GetPermitSQL = FakeGetPermitSQL;
    Env.PrepareViewScheme = FakePrepareViewScheme;
    Env.PrepareDetailScheme = FakePrepareDetailScheme;
    Env.SelectUsers = FakeSelectUsers;
    SetUser(QStringLiteral("U001"), QStringLiteral("测试员"));
}

TTestHost::~TTestHost()
{
    if (suite::CurrentCatalogue() == FCatalogue.get())
        suite::SetCurrentCatalogue(nullptr);
    if (gCurrent == this)
        gCurrent = nullptr;
}

void TTestHost::UseCatalogue()
{
    FHostConnection = std::make_unique<TConnection>();
    FHostConnection->ConnectionString = BuildConnectionString(0, QString::fromUtf8(FServer), QString::fromUtf8(FDatabase), {}, {});
    FCatalogue = std::make_unique<suite::TCatalogue>(*FHostConnection);
    FCatalogue->SetUser(QString::fromUtf8(FUserID));
    suite::SetCurrentCatalogue(FCatalogue.get());
    Env.BuildObjectSQL = FakeBuildObjectSQL;
    Env.BuildObjectSelect = FakeBuildObjectSelect;
}

TTestHost* TTestHost::Current()
{
    return gCurrent;
}

void TTestHost::SetUser(const QString& userID, const QString& userName, const QString& groups)
{
    FUserID = userID.toUtf8();
    FUserName = userName.toUtf8();
    FGroups = groups.toUtf8();
    Env.UserID = FUserID.constData();
    Env.UserName = FUserName.constData();
    Env.UserGroups = FGroups.constData();
    if (FCatalogue)
        FCatalogue->SetUser(userID);
}

void TTestHost::SetDatabase(const QString& server, const QString& database, const QString& user, const QString& password)
{
    FServer = server.toUtf8();
    FDatabase = database.toUtf8();
    FUser = user.toUtf8();
    FPassword = password.toUtf8();
    Env.DBType = 0;
    Env.DBServer = FServer.constData();
    Env.DBName = FDatabase.constData();
    Env.DBUser = FUser.constData();
    Env.DBPassword = FPassword.constData();
    NewContext();
}

void TTestHost::NewContext()
{
    static std::intptr_t next = 100;
    Env.ContextID = ++next;
}

QString TestOutputPath(const QString& fileName)
{
    const QString folder = qEnvironmentVariable("KX_TEST_OUTPUT", QDir::tempPath());
    QDir().mkpath(folder);
    return QDir(folder).filePath(fileName);
}

TScriptedMessages::TScriptedMessages(QList<int> answers) : FAnswers(std::move(answers))
{
    FPrevious = SetMessageResponder([this](const TMessageRequest& request) {
        FRequests << request;
        if ((request.Buttons & 0xFF) == mbOK)
            return int(mrOK);
        return FAnswers.isEmpty() ? DefaultAnswer(request.Buttons) : FAnswers.takeFirst();
    });
}

TScriptedMessages::~TScriptedMessages()
{
    SetMessageResponder(std::move(FPrevious));
}

QStringList TScriptedMessages::Texts() const
{
    QStringList texts;
    for (const TMessageRequest& r : FRequests)
        texts << r.Text;
    return texts;
}

TEscapeHold::TEscapeHold(int afterPolls) : FPolls(std::make_shared<int>(0))
{
    SetEscapeProbe([polls = FPolls, afterPolls] { return ++*polls > afterPolls; });
}

TEscapeHold::~TEscapeHold()
{
    SetEscapeProbe(nullptr);
}

} // namespace kx::test
