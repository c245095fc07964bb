// A suite user logged in the way a host presents him to the module: the user's row checked
// against KX_SYS_Users, and the environment record with the login data, the database
// parameters and the catalogue callbacks, kept valid for the life of the session.
#pragma once

#include "billservice.h"
#include "catalogue.h"
#include "connectoptions.h"
#include "kx_mrp/environment.h"

#include <QByteArray>

#include <memory>

namespace kx::suite {

struct TLoginUser {
    QString UserID;
    QString UserNo;
    QString UserName;
};

enum class TLoginCheck { Accepted, UnknownUser, WrongPassword };

// Checks a login name and password against the stored digest. A disabled or unknown user
// and a wrong password are refused alike to the person typing (the caller words the
// message); database errors are raised.
TLoginCheck CheckLogin(TConnection& connection, const QString& userNo, const QString& password, TLoginUser& user);
// The active user with the given login name, or the first administrator when it is empty,
// without a password (for the command line). False when there is none.
bool FindLoginUser(TConnection& connection, const QString& userNo, TLoginUser& user);

class THostSession {
public:
    // Opens the host's own connection, shapes the catalogue for the user and fills the
    // environment with the login, the bill service and the catalogue callbacks; the other
    // callbacks are left to the host.
    THostSession(const TConnectOptions& options, const TLoginUser& user, std::intptr_t contextID, int maxRows);
    ~THostSession();
    THostSession(const THostSession&) = delete;
    THostSession& operator=(const THostSession&) = delete;

    TModuleEnvironment& Env() { return FEnv; }
    // The host's connection: catalogue reads and the bills its ERP access object stores.
    TConnection& Connection() { return FConnection; }
    TCatalogue& Catalogue() { return *FCatalogue; }
    const TLoginUser& User() const { return FUser; }
    const TConnectOptions& Options() const { return FOptions; }

private:
    TConnectOptions FOptions;
    TLoginUser FUser;
    QByteArray FUserID, FUserName, FGroups, FServer, FDatabase, FDBUser, FPassword;
    TConnection FConnection;
    std::unique_ptr<TCatalogue> FCatalogue;
    std::unique_ptr<TERPAccess> FERPAccess;
    TEnumCache FEnumCache;
    TModuleEnvironment FEnv;
};

} // namespace kx::suite
