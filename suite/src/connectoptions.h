// Connection options of the programs that act as hosts (kxmrp, kxshell): where the
// suite database is and how to log on to the server.
#pragma once

#include "db/connection.h"

#include <QStringList>

namespace kx {

struct TConnectOptions {
    QString Server;               // host, host:port or socket directory
    QString Database;
    QString User;
    QString Password;
};

// Takes --server, --database, --user and --password out of args; the defaults come from
// KXMRP_SERVER, KXMRP_DATABASE, KXMRP_DBUSER and KXMRP_DBPASSWORD, then PGHOST, then the
// local socket and "kx_mrp". A host whose --user or --password are the suite user's login
// passes other names for the database login options.
TConnectOptions TakeConnectOptions(QStringList& args, const QString& userOption = QStringLiteral("user"),
                                   const QString& passwordOption = QStringLiteral("password"));
void Configure(TConnection& connection, const TConnectOptions& options, const QString& database = QString());

// Value of "--name value" or "--name=value", removed from args; fallback when absent.
QString TakeOption(QStringList& args, const QString& name, const QString& fallback = QString());
bool TakeFlag(QStringList& args, const QString& name);

} // namespace kx
