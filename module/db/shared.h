// The module's process-wide state: the host environment, the one shared connection and
// the one shared query, and the routines that build connections from the environment.
#pragma once

#include "db/dataset.h"
#include "kx_mrp/environment.h"

namespace kx {

// The environment the host handed over last (may be null before the first call).
TModuleEnvironment* Env();
// Stores the environment; reconnects the shared connection only when ContextID changed
// (or when no environment was stored). Returns whether it reconnected.
bool SetEnvironment(TModuleEnvironment* env);

TConnection& SharedConnection();
TQuery& SharedQuery();

// Text slots of the environment as QString ("" when null).
QString EnvText(const char* slot);
QString EnvUserID();
QString EnvUserName();
int EnvMaxRows();

// libpq connection text for a database kind, as the environment describes it; empty for
// every kind but 0.
QString BuildConnectionString(int dbType, const QString& server, const QString& database, const QString& user,
                              const QString& password);
void SetConnectionParams(TConnection& connection, const TModuleEnvironment& env);
void ResetConnection(TConnection& connection);
void ResetQuery(TQuery& query);

// The host's status text, kind 0 a wait text, kind 1 a record position.
void ShowStatusText(const QString& text, int kind = 0);

} // namespace kx
