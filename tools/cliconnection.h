// Connection options shared by every kxmrp command.
#pragma once

#include "db/connection.h"

#include <QStringList>

namespace kx::cli {

struct TConnectOptions {
    QString Server;               // host, host:port or socket directory
    QString Database;
    QString User;
    QString Password;
};

// Takes --server, --database, --user and --password out of args; the defaults come from
// KXMRP_SERVER and KXMRP_DATABASE, then PGHOST, then the local socket and "kx_mrp".
TConnectOptions TakeConnectOptions(QStringList& args);
void Configure(TConnection& connection, const TConnectOptions& options, const QString& database = QString());

// Value of "--name value" or "--name=value", removed from args; fallback when absent.
QString TakeOption(QStringList& args, const QString& name, const QString& fallback = QString());
bool TakeFlag(QStringList& args, const QString& name);

} // namespace kx::cli
