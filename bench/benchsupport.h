// What the benchmark programs share: printing as they go, options, the tools they run, the
// counts they read and the memory they report.
#pragma once

#include <QString>
#include <QStringList>

namespace kx {

class TConnection;

namespace bench {

// A line on standard output, flushed at once (a long run shows its progress).
void Print(const QString& text);
// Milliseconds as seconds with two decimals.
QString Seconds(qint64 ms);
// "达到目标 (< N 秒)" or "未达目标 (>= N 秒)".
QString Verdict(qint64 ms, double goalSeconds);
// The value of the last "--name value" in args: a child run appends its own options.
QString Option(const QStringList& args, const QString& name, const QString& fallback = QString());
// Runs a program with its output on this one's; raises EKxError when it fails.
void RunTool(const QString& program, const QStringList& args);
// The first column of the first row of a statement, 0 when none.
qint64 Count(TConnection& connection, const QString& sql);
// Peak resident memory of a process of this machine in KiB (0 when it cannot be read).
qint64 PeakMemoryKB(qint64 pid);
// A new database of that name built with kxmrp from scratch: the structure with the demo
// factory, the generated case of the size, then vacuumed. The demo's administrator (admin,
// password admin123) logs in.
void BuildGeneratedDatabase(const QString& kxmrp, const QString& server, const QString& database, const QString& size);

} // namespace bench
} // namespace kx
