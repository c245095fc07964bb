// The lock that keeps two sessions from rewriting one plan scheme's main demand or results
// at once (runs, fetches, imports, adjustment saves, releases, deletes).
#pragma once

#include <QString>

namespace kx {

class TConnection;

// Holds a session-level advisory lock on the scheme for its lifetime, on the connection that
// does the work; a session that ends (a killed process, a lost connection) releases it with
// it. Taken again on the same connection it nests. When another session holds it, the
// constructor raises EKxError naming the scheme, the holder, what he is doing and since when.
// Take it before opening a transaction on the connection, and let the transaction end first.
class TSchemeLock {
public:
    TSchemeLock(TConnection& connection, int schemeIID, const QString& schemeName, const QString& operation);
    ~TSchemeLock();
    TSchemeLock(const TSchemeLock&) = delete;
    TSchemeLock& operator=(const TSchemeLock&) = delete;

    // The refusal text for a scheme held by another session: who holds it, or "其他用户"
    // when the holder left no trace.
    static QString BusyText(const QString& schemeName, const QString& holder, const QString& operation,
                            const QString& since);

private:
    TConnection& FConnection;
    int FSchemeIID;
};

} // namespace kx
