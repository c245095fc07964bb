#include "benchsupport.h"

#include "db/dataset.h"
#include "db/errors.h"
#include "db/quote.h"
#include "db/shared.h"

#include <QFile>
#include <QProcess>

#include <cstdio>

namespace kx::bench {

void Print(const QString& text)
{
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

QString Seconds(qint64 ms)
{
    return QString::number(double(ms) / 1000.0, 'f', 2);
}

QString Verdict(qint64 ms, double goalSeconds)
{
    return double(ms) / 1000.0 < goalSeconds ? QStringLiteral("达到目标 (< %1 秒)").arg(goalSeconds)
                                             : QStringLiteral("未达目标 (>= %1 秒)").arg(goalSeconds);
}

QString Option(const QStringList& args, const QString& name, const QString& fallback)
{
    const qsizetype at = args.lastIndexOf(QLatin1String("--") + name);
    return at >= 0 && at + 1 < args.size() ? args[at + 1] : fallback;
}

void RunTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw EKxError(QStringLiteral("%1 %2 失败!").arg(program, args.join(QLatin1Char(' '))));
}

qint64 Count(TConnection& connection, const QString& sql)
{
    TQuery q(&connection);
    q.SQL = sql;
    q.Open();
    return q.IsEmpty() ? 0 : q.Fields(0).AsLargeInt();
}

qint64 PeakMemoryKB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

void BuildGeneratedDatabase(const QString& kxmrp, const QString& server, const QString& database, const QString& size)
{
    TConnection admin;
    admin.ConnectionString = BuildConnectionString(0, server, QStringLiteral("postgres"), {}, {});
    admin.Execute(QStringLiteral("drop database if exists %1 with (force)").arg(QuotedIdent(database)));
    // The generator runs as the demo's administrator; the demo factory goes in again after it,
    // as the generated case replaces what it shares with it.
    const QStringList where{QStringLiteral("--server"), server, QStringLiteral("--database"), database};
    const QStringList login{QStringLiteral("--login"), QStringLiteral("admin"), QStringLiteral("--password"), QStringLiteral("admin123")};
    RunTool(kxmrp, where + QStringList{QStringLiteral("db"), QStringLiteral("init"), QStringLiteral("--demo")});
    RunTool(kxmrp, where + login + QStringList{QStringLiteral("gen"), QStringLiteral("--size"), size, QStringLiteral("--replace")});
    RunTool(kxmrp, where + QStringList{QStringLiteral("db"), QStringLiteral("init"), QStringLiteral("--demo")});
    TConnection connection;
    connection.ConnectionString = BuildConnectionString(0, server, database, {}, {});
    connection.Execute(QStringLiteral("vacuum analyze"));
}

} // namespace kx::bench
