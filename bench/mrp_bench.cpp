// mrp_bench: times main demand and the MRP run on generated factories of growing size.
//   mrp_bench --server DIR [--sizes S,M,L] [--weeks 26] [--keep]
//   mrp_bench --server DIR --tracking [--size M] [--weeks 26] [--keep]    (see mrptracking.h)
// For each size it builds a database kx_bench_<size> anew with kxmrp (the generated case, then
// the demo factory) and vacuums it, so that this process's memory is that of main demand and
// the run alone, and no vacuum of the new rows runs beside the timings.
// It creates a plan scheme of weekly periods with the calendar of the demo factory, gathers
// main demand and runs MRP, timing each top-level step of the run log. Then it measures the
// floor on the same database: reading every input row once and copying the saved results into
// empty tables of the same shape, both by COPY. It prints per size the times, the rows, the
// peak memory of this process and of its server process, and at the end how time grows with
// size and whether the goals were met: the L run under 60 seconds, under 2 GiB of memory,
// at most three times its floor. Databases are dropped afterwards unless --keep is given.
#include "benchsupport.h"
#include "clihost.h"
#include "mrptracking.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/errors.h"
#include "db/quote.h"
#include "db/shared.h"
#include "engine/planscheme.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <libpq-fe.h>
#include <sys/resource.h>

#include <cstdio>
#include <memory>

using namespace kx;
using namespace kx::bench;

namespace {

constexpr double kGoalSeconds = 60.0;
constexpr qint64 kGoalMemoryKB = 2 * 1024 * 1024;
constexpr double kGoalFloorMultiple = 3.0;

// The run's saved results and the column naming their scheme.
const struct { const char* Table; const char* SchemeColumn; } kResultTables[] = {
    {"KX_MRP_Demands", "DmdSchIID"},   {"KX_MRP_Supplies", "SupSchIID"}, {"KX_MRP_SupAdjusts", "AdjSchIID"},
    {"KX_MRP_Allots", "AltSchIID"},    {"KX_MRP_DestAlters", "DstSchIID"}, {"KX_MRP_Balance", "BalSchIID"},
    {"KX_MRP_RunLog", "LogSchIID"},
};

// A bare libpq session for the floor: nothing between COPY and the server.
class TRawSession {
public:
    explicit TRawSession(const QString& connectionString)
        : FConn(PQconnectdb(connectionString.toUtf8().constData()))
    {
        if (PQstatus(FConn) != CONNECTION_OK)
            throw EKxError(QString::fromUtf8(PQerrorMessage(FConn)));
    }
    ~TRawSession() { PQfinish(FConn); }

    void Execute(const QString& sql)
    {
        std::unique_ptr<PGresult, decltype(&PQclear)> r(PQexec(FConn, sql.toUtf8().constData()), PQclear);
        const ExecStatusType status = PQresultStatus(r.get());
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            throw EKxError(QString::fromUtf8(PQerrorMessage(FConn)));
    }

    // Runs "copy (...) to stdout" and returns what came, with the number of rows.
    QByteArray CopyOut(const QString& sql, qint64& rows)
    {
        Start(sql, PGRES_COPY_OUT);
        QByteArray data;
        rows = 0;
        char* buffer = nullptr;
        int n = 0;
        while ((n = PQgetCopyData(FConn, &buffer, 0)) > 0) {
            data.append(buffer, n);
            ++rows;
            PQfreemem(buffer);
        }
        Finish();
        return data;
    }

    void CopyIn(const QString& sql, const QByteArray& data)
    {
        Start(sql, PGRES_COPY_IN);
        constexpr qsizetype kChunk = 1 << 20;
        for (qsizetype at = 0; at < data.size(); at += kChunk)
            if (PQputCopyData(FConn, data.constData() + at, int(qMin(kChunk, data.size() - at))) != 1)
                throw EKxError(QString::fromUtf8(PQerrorMessage(FConn)));
        if (PQputCopyEnd(FConn, nullptr) != 1)
            throw EKxError(QString::fromUtf8(PQerrorMessage(FConn)));
        Finish();
    }

private:
    void Start(const QString& sql, ExecStatusType expected)
    {
        std::unique_ptr<PGresult, decltype(&PQclear)> r(PQexec(FConn, sql.toUtf8().constData()), PQclear);
        if (PQresultStatus(r.get()) != expected)
            throw EKxError(QString::fromUtf8(PQerrorMessage(FConn)));
    }
    void Finish()
    {
        while (PGresult* r = PQgetResult(FConn)) {
            const bool failed = PQresultStatus(r) != PGRES_COMMAND_OK;
            PQclear(r);
            if (failed)
                throw EKxError(QString::fromUtf8(PQerrorMessage(FConn)));
        }
    }

    PGconn* FConn;
};

struct TSizeResult {
    QString Size;
    qint64 MainLines = 0;
    qint64 ResultRows = 0;
    qint64 MpsMs = 0;
    qint64 RunMs = 0;
    qint64 FloorReadMs = 0;
    qint64 FloorWriteMs = 0;
    qint64 ProcessKB = 0;
    qint64 ServerKB = 0;

    qint64 TotalMs() const { return MpsMs + RunMs; }
    qint64 FloorMs() const { return FloorReadMs + FloorWriteMs; }
};

// Reading every row the run starts from, and writing every row it saves, by COPY alone.
void MeasureFloor(const QString& connectionString, TConnection& connection, int schemeIID, TSizeResult& result)
{
    TRawSession raw(connectionString);
    TQuery q(&connection);
    // Input: the scheme's main demand and every row of the suite's tables (items, BOMs,
    // orders, stock, settings); the module's own result tables are the output.
    q.SQL = QStringLiteral("select c.relname from pg_class as c join pg_namespace as n on n.oid=c.relnamespace "
                           "where n.nspname='public' and c.relkind='r' and not c.relispartition and c.relname like 'kx\\_%' "
                           "and c.relname not in ('kx_mrp_main', 'kx_mrp_schemes', 'kx_mrp_demands', 'kx_mrp_supplies', "
                           "'kx_mrp_supadjusts', 'kx_mrp_allots', 'kx_mrp_destalters', 'kx_mrp_balance', 'kx_mrp_runlog') "
                           "order by 1");
    q.Open();
    QStringList inputs{QStringLiteral("(select * from KX_MRP_Main where ManSchIID=%1)").arg(schemeIID)};
    for (q.First(); !q.Eof(); q.Next())
        inputs << q.Fields(0).AsString();
    QElapsedTimer timer;
    timer.start();
    qint64 rows = 0;
    qint64 inputRows = 0;
    for (const QString& input : inputs) {
        raw.CopyOut(QStringLiteral("copy %1 to stdout").arg(input), rows);
        inputRows += rows;
    }
    result.FloorReadMs = timer.elapsed();

    qint64 outputRows = 0;
    for (const auto& t : kResultTables) {
        const QString table = QLatin1String(t.Table);
        const QString copy = QStringLiteral("floor_") + table;
        const QByteArray data = raw.CopyOut(
            QStringLiteral("copy (select * from %1 where %2=%3) to stdout").arg(table, QLatin1String(t.SchemeColumn)).arg(schemeIID),
            rows);
        outputRows += rows;
        raw.Execute(QStringLiteral("create table %1 (like %2 including defaults including indexes)")
                        .arg(copy, table));
        timer.restart();
        raw.CopyIn(QStringLiteral("copy %1 from stdin").arg(copy), data);
        result.FloorWriteMs += timer.elapsed();
        raw.Execute(QStringLiteral("drop table %1").arg(copy));
    }
    Print(QStringLiteral("  下限: 读入 %1 行 %2 秒, 写入结果 %3 行 %4 秒")
              .arg(inputRows).arg(Seconds(result.FloorReadMs)).arg(outputRows).arg(Seconds(result.FloorWriteMs)));
}

TSizeResult BenchSize(const QString& kxmrp, const QString& server, const QString& size, int weeks, bool keep)
{
    TSizeResult result;
    result.Size = size;
    const QString database = QStringLiteral("kx_bench_") + size.toLower();
    TConnection admin;
    admin.ConnectionString = BuildConnectionString(0, server, QStringLiteral("postgres"), {}, {});
    admin.Execute(QStringLiteral("drop database if exists %1 with (force)").arg(QuotedIdent(database)));
    Print(QStringLiteral("== 规模 %1: 数据库 %2").arg(size, database));
    const QStringList where{QStringLiteral("--server"), server, QStringLiteral("--database"), database};
    // The demo factory brings the administrator who generates the case; loaded again after it,
    // it adds back its own rows, which the generator's --replace cleared.
    const QStringList login{QStringLiteral("--login"), QStringLiteral("admin"), QStringLiteral("--password"), QStringLiteral("admin123")};
    RunTool(kxmrp, where + QStringList{QStringLiteral("db"), QStringLiteral("init"), QStringLiteral("--demo")});
    RunTool(kxmrp, where + login + QStringList{QStringLiteral("gen"), QStringLiteral("--size"), size, QStringLiteral("--replace")});
    RunTool(kxmrp, where + QStringList{QStringLiteral("db"), QStringLiteral("init"), QStringLiteral("--demo")});
    // A factory's database has long been vacuumed; a freshly generated one would be, by the
    // server on its own, in the middle of the timings (both cores) and before the floor is taken.
    // Each timing starts from a checkpoint: the pages written before it (the generated case for
    // the run, the run's results for the floor) would otherwise go to disk during it, by chance
    // more in one than in the other.
    const QString connectionString = BuildConnectionString(0, server, database, {}, {});
    TRawSession(connectionString).Execute(QStringLiteral("vacuum"));

    {
        cli::TCliHost host(TConnectOptions{server, database, {}, {}}, QStringLiteral("admin"), QStringLiteral("admin123"));
        TConnection& connection = host.Connection();
        TPlanScheme s(&connection);
        s.SchemeName = QStringLiteral("性能测试 ") + size;
        s.PlanCalIID = 1;
        s.CareMRPTrackMode = 9;
        s.PlanPeriods = cli::ConsecutivePeriods(QDate::currentDate().addDays(1 - QDate::currentDate().dayOfWeek()), weeks,
                                                QStringLiteral("weeks"));
        s.PlanState = DeriveSavedState(true, 0, {}, TSchemeParams::Of(s));
        if (!s.Save())
            throw EKxError(QStringLiteral("计划方案无法保存!"));

        cli::TConsoleProgress progress(false);
        connection.Execute(QStringLiteral("checkpoint"));
        QElapsedTimer timer;
        timer.start();
        if (!s.RunMPS(false, false, progress))
            throw EKxError(QStringLiteral("主需求获取失败!"));
        result.MpsMs = timer.elapsed();
        result.MainLines = Count(connection, QStringLiteral("select count(*) from KX_MRP_Main where ManSchIID=%1").arg(s.SchemeIID));
        Print(QStringLiteral("  主需求 %1 行, %2 秒").arg(result.MainLines).arg(Seconds(result.MpsMs)));

        // Each top-level line of the run log opens a step that lasts until the next one.
        QString step;
        qint64 stepStart = 0;
        timer.restart();
        const auto endStep = [&](qint64 now) {
            if (!step.isEmpty())
                Print(QStringLiteral("    %1  %2").arg(Seconds(now - stepStart), 7).arg(step));
        };
        const TMRPLogEvent log = [&](int kind, int indent, const QString& text, const QString&) {
            if (indent != 0 || kind >= 2)
                return;
            const qint64 now = timer.elapsed();
            endStep(now);
            step = text.section(QLatin1Char('\r'), 0, 0);
            stepStart = now;
        };
        if (!s.RunMRP(false, false, log, progress, false))
            throw EKxError(QStringLiteral("MRP运算失败!"));
        result.RunMs = timer.elapsed();
        endStep(result.RunMs);
        const qint64 backend = Count(connection, QStringLiteral("select pg_backend_pid()"));
        result.ServerKB = PeakMemoryKB(backend);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        result.ProcessKB = usage.ru_maxrss;
        for (const auto& t : kResultTables)
            result.ResultRows += Count(connection, QStringLiteral("select count(*) from %1 where %2=%3")
                                                       .arg(QLatin1String(t.Table), QLatin1String(t.SchemeColumn))
                                                       .arg(s.SchemeIID));
        Print(QStringLiteral("  MRP运算 %1 秒, 结果 %2 行; 内存峰值: 本进程 %3 MiB, 服务进程 %4 MiB")
                  .arg(Seconds(result.RunMs)).arg(result.ResultRows).arg(result.ProcessKB / 1024).arg(result.ServerKB / 1024));
        connection.Execute(QStringLiteral("checkpoint"));
        MeasureFloor(connectionString, connection, s.SchemeIID, result);
    }
    if (!keep)
        admin.Execute(QStringLiteral("drop database %1 with (force)").arg(QuotedIdent(database)));
    return result;
}

// The line a one-size run ends with, read back by the run over all sizes.
constexpr char kResultMark[] = "#result";

TSizeResult BenchChild(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    TSizeResult r;
    bool found = false;
    while (p.state() != QProcess::NotRunning || p.canReadLine()) {
        if (!p.canReadLine() && !p.waitForReadyRead(1000))
            continue;
        const QString line = QString::fromUtf8(p.readLine()).trimmed();
        const QStringList f = line.split(QLatin1Char(' '));
        if (f.size() == 10 && f[0] == QLatin1String(kResultMark)) {
            r = TSizeResult{f[1], f[2].toLongLong(), f[3].toLongLong(), f[4].toLongLong(), f[5].toLongLong(),
                            f[6].toLongLong(), f[7].toLongLong(), f[8].toLongLong(), f[9].toLongLong()};
            found = true;
        } else {
            Print(line);
        }
    }
    if (!found)
        throw EKxError(QStringLiteral("%1 %2 失败!").arg(program, args.join(QLatin1Char(' '))));
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString server = Option(args, QStringLiteral("server"), qEnvironmentVariable("PGHOST"));
    const QStringList sizes = Option(args, QStringLiteral("sizes"), QStringLiteral("S,M,L")).split(QLatin1Char(','));
    const int weeks = Option(args, QStringLiteral("weeks"), QStringLiteral("26")).toInt();
    const QString kxmrp = QCoreApplication::applicationDirPath() + QStringLiteral("/kxmrp");
    try {
        if (args.contains(QStringLiteral("--tracking")))
            return bench::BenchTracking(kxmrp, server, Option(args, QStringLiteral("size"), QStringLiteral("M")).toUpper(), weeks,
                                        args.contains(QStringLiteral("--keep")))
                ? 0
                : 1;
        // One size per process: each size's peak memory is its own, and nothing the module
        // keeps per process (its shared session) outlives the database it was opened on.
        if (sizes.size() == 1) {
            const TSizeResult r = BenchSize(kxmrp, server, sizes[0].trimmed().toUpper(), weeks,
                                            args.contains(QStringLiteral("--keep")));
            Print(QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10")
                      .arg(QLatin1String(kResultMark), r.Size).arg(r.MainLines).arg(r.ResultRows).arg(r.MpsMs).arg(r.RunMs)
                      .arg(r.FloorReadMs).arg(r.FloorWriteMs).arg(r.ProcessKB).arg(r.ServerKB));
            return 0;
        }
        QList<TSizeResult> results;
        for (const QString& size : sizes) {
            QStringList childArgs = args;
            childArgs << QStringLiteral("--sizes") << size;
            results << BenchChild(QCoreApplication::applicationFilePath(), childArgs);
        }

        Print(QStringLiteral("== 汇总"));
        Print(QStringLiteral("规模  主需求行   结果行  主需求秒  MRP秒  合计秒  每千结果行毫秒  下限秒  倍数  内存MiB(本/服务)"));
        bool met = false;
        bool sizeL = false;
        for (const TSizeResult& r : results) {
            const double multiple = double(r.TotalMs()) / double(qMax<qint64>(1, r.FloorMs()));
            Print(QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10/%11")
                      .arg(r.Size, 4).arg(r.MainLines, 9).arg(r.ResultRows, 9).arg(Seconds(r.MpsMs), 8)
                      .arg(Seconds(r.RunMs), 6).arg(Seconds(r.TotalMs()), 7)
                      .arg(double(r.TotalMs()) * 1000.0 / double(qMax<qint64>(1, r.ResultRows)), 14, 'f', 2)
                      .arg(Seconds(r.FloorMs()), 7).arg(multiple, 5, 'f', 2).arg(r.ProcessKB / 1024).arg(r.ServerKB / 1024));
            if (r.Size == QLatin1String("L")) {
                sizeL = true;
                met = r.TotalMs() < qint64(kGoalSeconds * 1000) && r.ProcessKB < kGoalMemoryKB && r.ServerKB < kGoalMemoryKB
                   && multiple <= kGoalFloorMultiple;
            }
        }
        Print(QStringLiteral("目标 (L: %1 秒以内, 内存 2 GiB 以内, 不超过下限的 %2 倍): %3")
                  .arg(kGoalSeconds).arg(kGoalFloorMultiple)
                  .arg(!sizeL ? QStringLiteral("未测L") : met ? QStringLiteral("达到") : QStringLiteral("未达到")));
        return met ? 0 : 1;
    } catch (const EKxError& e) {
        std::fprintf(stderr, "错误: %s\n", e.Message().toUtf8().constData());
        return 2;
    }
}
