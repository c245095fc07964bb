#include "db/shared.h"

#include "db/messages.h"

#include <QCoreApplication>
#include <QThread>

#include <ctime>
#include <exception>

namespace kx {

namespace {

struct TModuleState {
    TModuleEnvironment* Env = nullptr;
    std::intptr_t ContextID = 0;
    TConnection Connection;
    TQuery Query{&Connection};
};

TModuleState& State()
{
    static TModuleState state;
    return state;
}

// The connection and query of the long work running on this thread, if any.
thread_local TConnection* tlConnection = nullptr;
thread_local TQuery* tlQuery = nullptr;

// A conninfo value in single quotes with quotes and backslashes escaped.
QString ConnInfoValue(const QString& value)
{
    QString v = value;
    v.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    v.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

// The database's dates and times are local wall times, and each conversion asks the C
// library for the local offset. Without TZ it reads the zone file again on every call (a
// sixth of a big run's own time went there); naming the system's zone, as TZ unset means
// anyway, lets it read the file once.
void PinLocalTimeZone()
{
    if (qEnvironmentVariableIsEmpty("TZ")) {
        qputenv("TZ", ":/etc/localtime");
        tzset();
    }
}

} // namespace

TModuleEnvironment* Env()
{
    return State().Env;
}

bool SetEnvironment(TModuleEnvironment* env)
{
    TModuleState& s = State();
    if (!env)
        return false;
    if (s.Env && s.ContextID == env->ContextID)
        return false;
    PinLocalTimeZone();
    s.Env = env;
    s.ContextID = env->ContextID;
    ResetConnection(s.Connection);
    SetConnectionParams(s.Connection, *env);
    ResetQuery(s.Query);
    s.Query.Connection = &s.Connection;
    return true;
}

TConnection& SharedConnection()
{
    return tlConnection ? *tlConnection : State().Connection;
}

TQuery& SharedQuery()
{
    return tlQuery ? *tlQuery : State().Query;
}

TWorkerScope::TWorkerScope(TConnection& connection, const std::atomic<bool>* abortFlag)
    : FQuery(&connection), FPreviousConnection(tlConnection), FPreviousQuery(tlQuery)
{
    tlConnection = &connection;
    tlQuery = &FQuery;
    SetThreadAbortFlag(abortFlag);
}

TWorkerScope::~TWorkerScope()
{
    FQuery.Close();
    tlConnection = FPreviousConnection;
    tlQuery = FPreviousQuery;
    SetThreadAbortFlag(nullptr);
}

void RunInGuiThread(const std::function<void()>& fn, bool wait)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        fn();
        return;
    }
    if (!wait) {
        QMetaObject::invokeMethod(app, [fn] {
            try {
                fn();
            } catch (const std::exception& e) {
                ShowException(e);
            }
        }, Qt::QueuedConnection);
        return;
    }
    std::exception_ptr failure;
    QMetaObject::invokeMethod(app, [&fn, &failure] {
        try {
            fn();
        } catch (...) {
            failure = std::current_exception();
        }
    }, Qt::BlockingQueuedConnection);
    if (failure)
        std::rethrow_exception(failure);
}

QString EnvText(const char* slot)
{
    return slot ? QString::fromUtf8(slot) : QString();
}

QString EnvUserID()
{
    return Env() ? EnvText(Env()->UserID) : QString();
}

QString EnvUserName()
{
    return Env() ? EnvText(Env()->UserName) : QString();
}

int EnvMaxRows()
{
    return Env() ? int(Env()->MaxRows) : 0;
}

QString BuildConnectionString(int dbType, const QString& server, const QString& database, const QString& user,
                              const QString& password)
{
    if (dbType != 0)
        return QString();
    QStringList parts;
    QString host = server.trimmed();
    QString port;
    // "host:port" names a TCP server; a path is a socket directory.
    const qsizetype colon = host.lastIndexOf(QLatin1Char(':'));
    if (!host.startsWith(QLatin1Char('/')) && colon > 0) {
        port = host.mid(colon + 1);
        host.truncate(colon);
    }
    if (!host.isEmpty())
        parts << QLatin1String("host=") + ConnInfoValue(host);
    if (!port.isEmpty())
        parts << QLatin1String("port=") + ConnInfoValue(port);
    parts << QLatin1String("dbname=") + ConnInfoValue(database);
    if (!user.trimmed().isEmpty()) {
        parts << QLatin1String("user=") + ConnInfoValue(user.trimmed());
        parts << QLatin1String("password=") + ConnInfoValue(password);
    }
    parts << QStringLiteral("connect_timeout='10'") << QStringLiteral("application_name='KX_MRP'");
    // The server looks every second whether the program is still there, also in the middle of
    // a statement: the session of a killed or crashed program ends at once, and the locks it
    // held (a scheme's run) with it, instead of when its statement would have ended.
    parts << QStringLiteral("options='-c client_connection_check_interval=1000'");
    return parts.join(QLatin1Char(' '));
}

void SetConnectionParams(TConnection& connection, const TModuleEnvironment& env)
{
    connection.Close();
    connection.KeepConnection = true;
    connection.ConnectionString = BuildConnectionString(int(env.DBType), EnvText(env.DBServer), EnvText(env.DBName),
                                                        EnvText(env.DBUser), EnvText(env.DBPassword));
}

void ResetConnection(TConnection& connection)
{
    connection.Close();
    connection.KeepConnection = true;
    connection.CommandTimeout = 300;
}

void ResetQuery(TQuery& query)
{
    query.Close();
    query.CommandTimeout = 3600;
}

void ShowStatusText(const QString& text, int kind)
{
    RunInGuiThread([text, kind] {
        if (Env() && Env()->ShowStatusText)
            Env()->ShowStatusText(text, kind);
    }, false);
}

} // namespace kx
