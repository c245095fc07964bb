#include "hostsession.h"

#include "passwords.h"

#include "db/dataset.h"
#include "db/quote.h"

namespace kx::suite {

namespace {

void ReadUser(const TQuery& q, TLoginUser& user)
{
    user.UserID = q.FieldByName(QStringLiteral("UsrID")).AsString();
    user.UserNo = q.FieldByName(QStringLiteral("UsrNo")).AsString();
    user.UserName = q.FieldByName(QStringLiteral("UsrName")).AsString();
}

} // namespace

TLoginCheck CheckLogin(TConnection& connection, const QString& userNo, const QString& password, TLoginUser& user)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select UsrID, UsrNo, UsrName, UsrPwdHash, UsrPwdSalt, UsrPwdIter from KX_SYS_Users "
                           "where UsrNo=%1 and UsrDisabled=0").arg(QuotedStr(userNo.trimmed()));
    q.Open();
    if (q.IsEmpty())
        return TLoginCheck::UnknownUser;
    const TPasswordDigest stored{q.FieldByName(QStringLiteral("UsrPwdHash")).AsString(),
                                 q.FieldByName(QStringLiteral("UsrPwdSalt")).AsString(),
                                 q.FieldByName(QStringLiteral("UsrPwdIter")).AsInteger()};
    if (!VerifyPassword(password, stored))
        return TLoginCheck::WrongPassword;
    ReadUser(q, user);
    q.SQL = QStringLiteral("update KX_SYS_Users set UsrLastLogin=localtimestamp where UsrID=%1").arg(QuotedStr(user.UserID));
    q.ExecSQL();
    return TLoginCheck::Accepted;
}

bool FindLoginUser(TConnection& connection, const QString& userNo, TLoginUser& user)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select UsrID, UsrNo, UsrName from KX_SYS_Users where UsrDisabled=0 and %1 order by UsrNo limit 1")
                .arg(userNo.isEmpty() ? QStringLiteral("UsrIsAdmin=1") : QStringLiteral("UsrNo=%1").arg(QuotedStr(userNo)));
    q.Open();
    if (q.IsEmpty())
        return false;
    ReadUser(q, user);
    return true;
}

THostSession::THostSession(const TConnectOptions& options, const TLoginUser& user, std::intptr_t contextID, int maxRows)
    : FOptions(options), FUser(user)
{
    Configure(FConnection, options);
    FCatalogue = std::make_unique<TCatalogue>(FConnection);
    FCatalogue->SetUser(user.UserID);
    SetCurrentCatalogue(FCatalogue.get());
    FERPAccess = std::make_unique<TERPAccess>(FConnection, user.UserID);

    FUserID = user.UserID.toUtf8();
    FUserName = user.UserName.toUtf8();
    FGroups = FCatalogue->UserGroups().toUtf8();
    FServer = options.Server.toUtf8();
    FDatabase = options.Database.toUtf8();
    FDBUser = options.User.toUtf8();
    FPassword = options.Password.toUtf8();
    FEnv.EnumCache = &FEnumCache;
    FEnv.ERPAccess = FERPAccess.get();
    FEnv.UserID = FUserID.constData();
    FEnv.UserName = FUserName.constData();
    FEnv.UserGroups = FGroups.constData();
    FEnv.DBType = 0;
    FEnv.DBServer = FServer.constData();
    FEnv.DBName = FDatabase.constData();
    FEnv.DBUser = FDBUser.constData();
    FEnv.DBPassword = FPassword.constData();
    FEnv.ContextID = contextID;
    FEnv.MaxRows = maxRows;
    InstallCatalogueCallbacks(FEnv);
}

THostSession::~THostSession()
{
    if (CurrentCatalogue() == FCatalogue.get())
        SetCurrentCatalogue(nullptr);
}

} // namespace kx::suite
