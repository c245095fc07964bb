// A connection to the PostgreSQL server, shaped like the classic database connection:
// a connection string, open/close, and statement execution that raises EDatabaseError.
#pragma once

#include "db/errors.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <atomic>
#include <memory>

struct pg_conn;
struct pg_result;
struct pg_cancel;

namespace kx {

// Stops the statement a connection is running, from any thread.
class TStatementCanceller {
public:
    explicit TStatementCanceller(pg_cancel* cancel) : FCancel(cancel) {}
    ~TStatementCanceller();
    TStatementCanceller(const TStatementCanceller&) = delete;
    TStatementCanceller& operator=(const TStatementCanceller&) = delete;
    // Asks the server to cancel what the connection runs now; nothing when it runs nothing.
    void Cancel();

private:
    pg_cancel* FCancel;
};

// The abort flag of the long work that runs on the calling thread (null: none). A statement
// cancelled while the flag is set raises EAbort, as a confirmed Esc does, instead of a
// database error.
void SetThreadAbortFlag(const std::atomic<bool>* flag);

struct TPGResultDeleter {
    void operator()(pg_result* r) const;
};
using TPGResult = std::unique_ptr<pg_result, TPGResultDeleter>;

class TConnection {
public:
    TConnection() = default;
    ~TConnection();
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    // libpq conninfo text; an empty text cannot connect (unsupported database kind).
    QString ConnectionString;
    bool KeepConnection = true;
    int CommandTimeout = 300;     // seconds, for statements sent on this connection

    void Open();                  // raises EDatabaseError
    void Close();
    bool Connected() const;
    pg_conn* Handle() const { return FConn; }

    // Sends a statement text (one or more statements; the first failing one stops the
    // rest) and returns the result of the last one. Opens the connection on demand.
    TPGResult Execute(const QString& sql, int timeoutSeconds = 0);
    // Execute in two halves, for a select: Send returns once it is on its way, and Receive
    // waits for its result. In between the caller may work, but send nothing else.
    void Send(const QString& sql, int timeoutSeconds = 0);
    TPGResult Receive();
    // Takes in what the server has sent of the result on its way, without waiting for more.
    void TakeIn();
    // True when the connection is inside a transaction block.
    bool InTransaction() const;

    // Streams rows in COPY text format into the target named in copySql
    // ("copy t (a, b) from stdin"). Returns the number of rows copied.
    qint64 CopyIn(const QString& copySql, QByteArrayView data);
    // Streams the rows of "copy (select ...) to stdout": CopyOutStart sends it and waits for
    // its rows to begin (raising its error if it cannot start); CopyOutRow gives the next row
    // as COPY text with its line end, valid until the next call, and false after the last,
    // raising the error of a statement that failed midway.
    void CopyOutStart(const QString& copySql);
    bool CopyOutRow(QByteArrayView& row);

    QString ServerVersion();
    // A canceller of this connection's statements, for another thread; null when closed.
    std::unique_ptr<TStatementCanceller> MakeCanceller() const;

private:
    void ApplyTimeout(int seconds);
    // The result, unless it is an error, which is raised.
    TPGResult Checked(TPGResult r, const QString& sql);
    [[noreturn]] void RaiseResultError(pg_result* r, const QString& sql);

    void FreeCopyRow();

    pg_conn* FConn = nullptr;
    char* FCopyRow = nullptr;     // the row CopyOutRow gave last
    int FAppliedTimeout = -1;
    QString FSentSQL;             // for the error of what Receive waits for
};

// Error number shown with a server error: the number our procedures put into the
// detail as "errnum=N", otherwise the SQLSTATE read as a base-36 number.
int ErrorNumberOf(const QString& sqlState, const QString& detail);

// Runs statements in a transaction that is rolled back unless Commit() is called.
class TTransaction {
public:
    explicit TTransaction(TConnection& connection);
    ~TTransaction();
    TTransaction(const TTransaction&) = delete;
    TTransaction& operator=(const TTransaction&) = delete;
    void Commit();

private:
    TConnection& FConnection;
    bool FDone = false;
};

} // namespace kx
