// Running statements with the module's error reporting.
#pragma once

#include "db/dataset.h"

#include <QDateTime>
#include <QVariant>

namespace kx {

// Replaces the query's text and opens it (open) or executes it. A failure is shown when
// showError ("错误: %s (错误号: %d)"), raised again when reraise, and otherwise answered
// with false. An abort is never swallowed.
[[nodiscard]] bool RunSQL(TQuery& query, const QString& sql, bool open, bool showError = true, bool reraise = false);
// Opens the statement and returns its record count, -1 on failure.
[[nodiscard]] int OpenSQLCount(TQuery& query, const QString& sql, bool showError = true);
// The field's value, or null when the dataset has no such field.
QVariant FieldValueOrNull(const TQuery& query, const QString& fieldName);
// The server's clock; with dateOnly the whole day.
[[nodiscard]] bool GetServerTime(TQuery& query, QDateTime& now, bool dateOnly = false);
// Warns when a list limited to MaxRows came back full.
void CheckRowLimit(int count);

// Statements sent in batches: each statement is added with ";" and a line break, and the
// text is sent whenever it passes the limit (65000 characters) and once at the end. A
// failing statement raises and stops the rest of its batch.
class TSQLBatch {
public:
    explicit TSQLBatch(TConnection& connection, qsizetype limit = 65000) : FConnection(connection), FLimit(limit) {}
    void Add(const QString& statement);
    // Sends what is pending.
    void Flush();
    int BatchesSent() const { return FSent; }

private:
    TConnection& FConnection;
    qsizetype FLimit;
    QString FText;
    int FSent = 0;
};

} // namespace kx
