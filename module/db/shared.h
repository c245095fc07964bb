// The module's process-wide state: the host environment, the one shared connection and
// the one shared query, and the routines that build connections from the environment.
#pragma once

#include "db/dataset.h"
#include "kx_mrp/environment.h"

#include <atomic>
#include <functional>

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

// The host's status text, kind 0 a wait text, kind 1 a record position. From a worker
// thread the text is posted to the GUI thread.
void ShowStatusText(const QString& text, int kind = 0);

// Long work on a worker thread runs on a connection of its own. While a scope is alive on a
// thread, SharedConnection() and SharedQuery() on that thread (and so the settings routines)
// are that connection and a query on it, and a statement cancelled while abortFlag is set
// raises EAbort.
class TWorkerScope {
public:
    TWorkerScope(TConnection& connection, const std::atomic<bool>* abortFlag);
    ~TWorkerScope();
    TWorkerScope(const TWorkerScope&) = delete;
    TWorkerScope& operator=(const TWorkerScope&) = delete;

private:
    TQuery FQuery;
    TConnection* FPreviousConnection;
    TQuery* FPreviousQuery;
};

// Runs fn on the application's GUI thread: at once when called there (or when there is no
// application), otherwise queued to it, waiting for it to finish when wait is set (an
// exception fn raises is raised again in the caller). The GUI thread must be running an
// event loop meanwhile, as it is while long work runs.
void RunInGuiThread(const std::function<void()>& fn, bool wait = true);

} // namespace kx
