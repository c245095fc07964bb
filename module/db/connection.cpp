#include "db/connection.h"

#include "db/errortext.h"

#include <libpq-fe.h>

#include <QRegularExpression>

namespace kx {

void TPGResultDeleter::operator()(pg_result* r) const
{
    PQclear(r);
}

namespace {

// Connections made before any SQLSTATE exists report "08001" (unable to connect).
const QString kConnectFailureState = QStringLiteral("08001");

void IgnoreNotice(void*, const char*) {}

thread_local const std::atomic<bool>* tlAbortFlag = nullptr;

// "query_canceled": the server stopped a statement on request (or at its time-out).
const QString kQueryCanceledState = QStringLiteral("57014");

QString ResultField(const PGresult* r, int code)
{
    const char* s = PQresultErrorField(r, code);
    return s ? QString::fromUtf8(s) : QString();
}

} // namespace

TStatementCanceller::~TStatementCanceller()
{
    PQfreeCancel(FCancel);
}

void TStatementCanceller::Cancel()
{
    char message[256];
    (void)PQcancel(FCancel, message, int(sizeof message));   // a failed request leaves the statement to finish
}

void SetThreadAbortFlag(const std::atomic<bool>* flag)
{
    tlAbortFlag = flag;
}

std::unique_ptr<TStatementCanceller> TConnection::MakeCanceller() const
{
    if (!Connected())
        return nullptr;
    pg_cancel* cancel = PQgetCancel(FConn);
    return cancel ? std::make_unique<TStatementCanceller>(cancel) : nullptr;
}

int ErrorNumberOf(const QString& sqlState, const QString& detail)
{
    static const QRegularExpression errnum(QStringLiteral("errnum=(\\d+)"));
    const auto m = errnum.match(detail);
    if (m.hasMatch())
        return m.captured(1).toInt();
    bool ok = false;
    const int n = sqlState.toInt(&ok, 36);
    return ok ? n : 0;
}

TConnection::~TConnection()
{
    Close();
}

bool TConnection::Connected() const
{
    return FConn && PQstatus(FConn) == CONNECTION_OK;
}

void TConnection::Open()
{
    if (Connected())
        return;
    Close();
    if (ConnectionString.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("未设置数据库连接参数, 或数据库类型不受支持, 无法连接数据库!"),
                             ErrorNumberOf(kConnectFailureState, {}), kConnectFailureState);
    FConn = PQconnectdb(ConnectionString.toUtf8().constData());
    if (PQstatus(FConn) != CONNECTION_OK) {
        const QString message = QString::fromUtf8(PQerrorMessage(FConn)).trimmed();
        const QString text = ConnectErrorText(QString::fromUtf8(PQhost(FConn)), QString::fromUtf8(PQdb(FConn)), message);
        Close();
        throw EDatabaseError(text, ErrorNumberOf(kConnectFailureState, {}), kConnectFailureState);
    }
    PQsetNoticeProcessor(FConn, IgnoreNotice, nullptr);
    PQsetClientEncoding(FConn, "UTF8");
    // A failure the server reports as it ends the session reaches the user as the connection's
    // whole error text: without the context, not with the statement a procedure was running.
    PQsetErrorContextVisibility(FConn, PQSHOW_CONTEXT_NEVER);
    FAppliedTimeout = -1;
}

void TConnection::Close()
{
    FreeCopyRow();
    if (FConn) {
        PQfinish(FConn);
        FConn = nullptr;
    }
}

void TConnection::ApplyTimeout(int seconds)
{
    if (seconds == FAppliedTimeout)
        return;
    TPGResult r(PQexec(FConn, QStringLiteral("set statement_timeout = %1").arg(qint64(seconds) * 1000).toUtf8().constData()));
    FAppliedTimeout = seconds;
}

void TConnection::RaiseResultError(pg_result* r, const QString& sql)
{
    QString message;
    QString state;
    QString detail;
    if (r) {
        message = ResultField(r, PG_DIAG_MESSAGE_PRIMARY);
        state = ResultField(r, PG_DIAG_SQLSTATE);
        detail = ResultField(r, PG_DIAG_MESSAGE_DETAIL);
    }
    if (message.isEmpty())
        message = QString::fromUtf8(PQerrorMessage(FConn)).trimmed();
    // Without a code from the server the failure is the client library's own: the connection
    // to the server failed, also when the library has not marked it so (a socket error it
    // does not take for a closed connection). A lost connection is opened afresh on the next
    // statement.
    if (!Connected() || state.isEmpty()) {
        Close();
        if (state.isEmpty())
            state = kConnectFailureState;
    }
    if (state == kQueryCanceledState && tlAbortFlag && tlAbortFlag->load())
        throw EAbort();
    throw EDatabaseError(ServerErrorText(state, message, detail), ErrorNumberOf(state, detail), state, sql);
}

TPGResult TConnection::Execute(const QString& sql, int timeoutSeconds)
{
    Open();
    ApplyTimeout(timeoutSeconds > 0 ? timeoutSeconds : CommandTimeout);
    return Checked(TPGResult(PQexec(FConn, sql.toUtf8().constData())), sql);
}

void TConnection::Send(const QString& sql, int timeoutSeconds)
{
    Open();
    ApplyTimeout(timeoutSeconds > 0 ? timeoutSeconds : CommandTimeout);
    FSentSQL = sql;
    if (!PQsendQuery(FConn, sql.toUtf8().constData()))
        RaiseResultError(nullptr, sql);
}

TPGResult TConnection::Receive()
{
    // The result of the last statement sent, or of the one that failed (the server runs no
    // statement after it).
    TPGResult last;
    for (TPGResult r(PQgetResult(FConn)); r; r.reset(PQgetResult(FConn)))
        last = std::move(r);
    return Checked(std::move(last), FSentSQL);
}

TPGResult TConnection::Checked(TPGResult r, const QString& sql)
{
    const ExecStatusType status = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_EMPTY_QUERY)
        RaiseResultError(r.get(), sql);
    return r;
}

void TConnection::TakeIn()
{
    (void)PQconsumeInput(FConn);      // a failure shows in Receive
}

bool TConnection::InTransaction() const
{
    return FConn && PQtransactionStatus(FConn) != PQTRANS_IDLE;
}

qint64 TConnection::CopyIn(const QString& copySql, QByteArrayView data)
{
    Open();
    ApplyTimeout(CommandTimeout);
    TPGResult start(PQexec(FConn, copySql.toUtf8().constData()));
    if (!start || PQresultStatus(start.get()) != PGRES_COPY_IN)
        RaiseResultError(start.get(), copySql);
    constexpr qsizetype chunk = 1 << 20;
    bool sent = true;
    for (qsizetype at = 0; at < data.size() && sent; at += chunk)
        sent = PQputCopyData(FConn, data.data() + at, int(qMin(chunk, data.size() - at))) == 1;
    PQputCopyEnd(FConn, sent ? nullptr : "client failed to send data");
    TPGResult done(PQgetResult(FConn));
    const bool ok = done && PQresultStatus(done.get()) == PGRES_COMMAND_OK;
    qint64 rows = ok ? QByteArray(PQcmdTuples(done.get())).toLongLong() : 0;
    if (!ok) {
        // Drain whatever the server still sends before raising.
        for (TPGResult extra(PQgetResult(FConn)); extra; extra.reset(PQgetResult(FConn))) {}
        RaiseResultError(done.get(), copySql);
    }
    for (TPGResult extra(PQgetResult(FConn)); extra; extra.reset(PQgetResult(FConn))) {}
    return rows;
}

void TConnection::CopyOutStart(const QString& copySql)
{
    Send(copySql);
    TPGResult start(PQgetResult(FConn));
    if (start && PQresultStatus(start.get()) == PGRES_COPY_OUT)
        return;
    for (TPGResult extra(PQgetResult(FConn)); extra; extra.reset(PQgetResult(FConn))) {}
    RaiseResultError(start.get(), copySql);
}

void TConnection::FreeCopyRow()
{
    if (FCopyRow) {
        PQfreemem(FCopyRow);
        FCopyRow = nullptr;
    }
}

bool TConnection::CopyOutRow(QByteArrayView& row)
{
    FreeCopyRow();
    const int size = PQgetCopyData(FConn, &FCopyRow, 0);
    if (size >= 0) {
        row = QByteArrayView(FCopyRow, size);
        return true;
    }
    // The rows ended, or the statement failed: its result tells which.
    (void)Receive();
    return false;
}

QString TConnection::ServerVersion()
{
    Open();
    return QString::fromUtf8(PQparameterStatus(FConn, "server_version"));
}

TTransaction::TTransaction(TConnection& connection) : FConnection(connection)
{
    FConnection.Execute(QStringLiteral("begin"));
}

TTransaction::~TTransaction()
{
    if (FDone || !FConnection.Connected())
        return;
    try {
        FConnection.Execute(QStringLiteral("rollback"));
    } catch (const EDatabaseError&) {
        // The connection is gone; the server has rolled back already.
    }
}

void TTransaction::Commit()
{
    FConnection.Execute(QStringLiteral("commit"));
    FDone = true;
}

} // namespace kx
