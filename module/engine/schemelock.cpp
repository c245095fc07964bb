#include "engine/schemelock.h"

#include "db/connection.h"
#include "db/dataset.h"
#include "db/errors.h"
#include "db/quote.h"
#include "db/shared.h"

namespace kx {

namespace {

// First key of the module's scheme locks ("KXMR"); the second is the scheme's IID.
constexpr int kLockClass = 0x4B584D52;

QString LockKey(int schemeIID)
{
    return QStringLiteral("%1, %2").arg(kLockClass).arg(schemeIID);
}

} // namespace

QString TSchemeLock::BusyText(const QString& schemeName, const QString& holder, const QString& operation,
                              const QString& since)
{
    if (holder.isEmpty())
        return QStringLiteral("计划方案[%1]正被其他用户使用, 不能执行本操作, 请稍后再试!").arg(schemeName);
    return QStringLiteral("计划方案[%1]正被[%2]%3(自%4起), 不能执行本操作, 请稍后再试!")
        .arg(schemeName, holder, operation, since);
}

TSchemeLock::TSchemeLock(TConnection& connection, int schemeIID, const QString& schemeName, const QString& operation)
    : FConnection(connection), FSchemeIID(schemeIID)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select pg_try_advisory_lock(%1)").arg(LockKey(schemeIID));
    q.Open();
    if (q.Fields(0).AsBoolean()) {
        const QString user = EnvUserName().isEmpty() ? EnvUserID() : EnvUserName();
        connection.Execute(
            QStringLiteral("insert into KX_MRP_SchemeLocks (LckSchIID, LckPID, LckUsrID, LckUsrName, LckOperation, LckTime) "
                           "values (%1, pg_backend_pid(), %2, %3, %4, localtimestamp(0)) "
                           "on conflict (LckSchIID) do update set LckPID=excluded.LckPID, LckUsrID=excluded.LckUsrID, "
                           "LckUsrName=excluded.LckUsrName, LckOperation=excluded.LckOperation, LckTime=excluded.LckTime "
                           "where KX_MRP_SchemeLocks.LckPID<>excluded.LckPID")
                .arg(SQLInt(schemeIID), QuotedStr(EnvUserID()), QuotedStr(user.left(100)), QuotedStr(operation.left(100))));
        return;
    }
    // The holder's own row, if its session still holds the lock.
    q.SQL = QStringLiteral("select k.LckUsrName, k.LckOperation, to_char(k.LckTime, 'YYYY/MM/DD HH24:MI:SS') as LckSince "
                           "from KX_MRP_SchemeLocks as k join pg_locks as l on l.pid=k.LckPID "
                           "where k.LckSchIID=%1 and l.locktype='advisory' and l.classid=%2 and l.objid=%1 "
                           "and l.objsubid=2 and l.granted")
                .arg(SQLInt(schemeIID), SQLInt(quint32(kLockClass)));
    q.Open();
    if (q.IsEmpty())
        throw EKxError(BusyText(schemeName, QString(), QString(), QString()));
    throw EKxError(BusyText(schemeName, q.FieldByName(QStringLiteral("LckUsrName")).AsString(),
                            q.FieldByName(QStringLiteral("LckOperation")).AsString(),
                            q.FieldByName(QStringLiteral("LckSince")).AsString()));
}

TSchemeLock::~TSchemeLock()
{
    try {
        // Unlocked first: a lock taken again on this connection stays held, and so does its row.
        FConnection.Execute(QStringLiteral("select pg_advisory_unlock(%1); "
                                           "delete from KX_MRP_SchemeLocks where LckSchIID=%2 and LckPID=pg_backend_pid() "
                                           "and not exists (select 1 from pg_locks where locktype='advisory' "
                                           "and pid=pg_backend_pid() and classid=%3 and objid=%2 and objsubid=2)")
                                .arg(LockKey(FSchemeIID), SQLInt(FSchemeIID), SQLInt(quint32(kLockClass))));
    } catch (const EKxError&) {
        // A lost connection took its lock with it.
    }
}

} // namespace kx
