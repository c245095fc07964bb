// mrp_bench --tracking: the MRP run under every tracking mode on a make-to-order factory, and
// the default scheme (tracked by order line) on a make-to-stock one, each run by kxmrp as a
// child and measured from outside (time, peak memory).
#include "mrptracking.h"

#include "childrun.h"
#include "db/connection.h"
#include "db/errors.h"
#include "db/quote.h"
#include "db/shared.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>

namespace kx::bench {

namespace {

constexpr long kGoalMemoryKB = 2L * 1024 * 1024;
constexpr double kGoalStopSeconds = 10.0;

void Print(const QString& text)
{
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

class TBenchDatabase {
public:
    TBenchDatabase(const QString& kxmrp, const QString& server, const QString& database, bool keep)
        : FKxmrp(kxmrp), FServer(server), FDatabase(database), FKeep(keep)
    {
        FMaintenance.ConnectionString = BuildConnectionString(0, server, QStringLiteral("postgres"), {}, {});
        FMaintenance.Execute(QStringLiteral("drop database if exists %1 with (force)").arg(QuotedIdent(database)));
    }
    ~TBenchDatabase()
    {
        if (!FKeep)
            FMaintenance.Execute(QStringLiteral("drop database if exists %1 with (force)").arg(QuotedIdent(FDatabase)));
    }

    // kxmrp on this database as the demo administrator; raises when it fails unless allowed.
    TChildRun Kxmrp(const QStringList& args, bool mayFail = false)
    {
        const TChildRun r = RunChild(FKxmrp,
                                     QStringList{QStringLiteral("--server"), FServer, QStringLiteral("--database"), FDatabase,
                                                 QStringLiteral("--login"), QStringLiteral("admin"), QStringLiteral("--password"),
                                                 QStringLiteral("admin123")} + args,
                                     FDir.filePath(QStringLiteral("output.txt")));
        if (r.Status != 0 && !mayFail)
            throw EKxError(QStringLiteral("kxmrp %1 失败: %2").arg(args.join(QLatin1Char(' ')), r.Output.right(400)));
        return r;
    }

    // The demo factory with a generated case of the size and profile, vacuumed.
    void Build(const QString& size, const QString& profile)
    {
        Kxmrp({QStringLiteral("db"), QStringLiteral("init"), QStringLiteral("--demo")});
        Kxmrp({QStringLiteral("gen"), QStringLiteral("--size"), size, QStringLiteral("--profile"), profile, QStringLiteral("--replace")});
        Kxmrp({QStringLiteral("db"), QStringLiteral("init"), QStringLiteral("--demo")});
        TConnection c;
        c.ConnectionString = BuildConnectionString(0, FServer, FDatabase, {}, {});
        c.Execute(QStringLiteral("vacuum analyze"));
    }

    // A scheme with the given options and its main demand; its IID.
    QString Scheme(const QString& name, const QStringList& options, int weeks)
    {
        const TChildRun created = Kxmrp(QStringList{QStringLiteral("scheme"), QStringLiteral("create"), QStringLiteral("--name"), name,
                                                    QStringLiteral("--weeks"), QString::number(weeks)} + options);
        const QString iid = created.Output.section(QLatin1Char(':'), 0, 0).section(QLatin1Char(' '), 1, 1);
        Kxmrp({QStringLiteral("mps"), QStringLiteral("--scheme"), iid});
        return iid;
    }

private:
    QString FKxmrp, FServer, FDatabase;
    bool FKeep;
    TConnection FMaintenance;
    QTemporaryDir FDir;
};

// The estimate the run logged, or "-".
QString Estimate(const QString& output)
{
    static const QRegularExpression logged(QStringLiteral("估计的物料需求记录: ([0-9,]+) 条"));
    static const QRegularExpression refused(QStringLiteral("估计将产生约([0-9,]+)条"));
    QRegularExpressionMatch m = logged.match(output);
    if (!m.hasMatch())
        m = refused.match(output);
    return m.hasMatch() ? m.captured(1) : QStringLiteral("-");
}

QString Row(const QString& what, const TChildRun& r, const QString& verdict)
{
    return QStringLiteral("%1 %2 %3 %4 %5  %6")
        .arg(what, -16)
        .arg(r.Status == 0 ? QStringLiteral("完成") : r.Output.contains(QStringLiteral("估计将产生")) ? QStringLiteral("估计后停止")
                                                                                                   : QStringLiteral("失败"),
             -6)
        .arg(r.Seconds, 8, 'f', 1)
        .arg(double(r.PeakKB) / 1024.0, 8, 'f', 0)
        .arg(Estimate(r.Output), 14)
        .arg(verdict);
}

} // namespace

bool BenchTracking(const QString& kxmrp, const QString& server, const QString& size, int weeks, bool keep)
{
    bool met = true;
    const QString header = QStringLiteral("%1 %2 %3 %4 %5").arg(QStringLiteral("方案"), -16).arg(QStringLiteral("结果"), -6)
                               .arg(QStringLiteral("秒"), 8).arg(QStringLiteral("MiB"), 8).arg(QStringLiteral("估计需求记录"), 14);
    {
        Print(QStringLiteral("== 订单生产型工厂 (规模 %1): 每种跟踪合并方式").arg(size));
        TBenchDatabase db(kxmrp, server, QStringLiteral("kx_bench_mto_") + size.toLower(), keep);
        db.Build(size, QStringLiteral("mto"));
        Print(header);
        for (const int mode : {0, 1, 2, 3, 4, 5, 9}) {
            const QString iid = db.Scheme(QStringLiteral("跟踪%1").arg(mode), {QStringLiteral("--track"), QString::number(mode)}, weeks);
            const TChildRun r = db.Kxmrp({QStringLiteral("run"), QStringLiteral("--scheme"), iid}, true);
            const bool ok = r.Status == 0 && r.PeakKB < kGoalMemoryKB;
            met = met && ok;
            Print(Row(QStringLiteral("跟踪合并 %1").arg(mode), r, ok ? QString() : QStringLiteral("<-- 未达目标 (须完成且<2 GiB)")));
        }
    }
    {
        Print(QStringLiteral("== 库存生产型工厂 (规模 %1): 缺省方案 (按主需求单据行跟踪)").arg(size));
        TBenchDatabase db(kxmrp, server, QStringLiteral("kx_bench_mts_") + size.toLower(), keep);
        db.Build(size, QStringLiteral("mts"));
        Print(header);
        const QString iid = db.Scheme(QStringLiteral("缺省方案"), {}, weeks);
        const TChildRun r = db.Kxmrp({QStringLiteral("run"), QStringLiteral("--scheme"), iid}, true);
        const bool completed = r.Status == 0 && r.PeakKB < kGoalMemoryKB;
        const bool stopped = r.Status == 1 && r.Output.contains(QStringLiteral("估计将产生")) && r.Seconds < kGoalStopSeconds;
        met = met && (completed || stopped);
        Print(Row(QStringLiteral("缺省方案"), r, completed || stopped ? QString() : QStringLiteral("<-- 未达目标 (须<2 GiB完成, 或10秒内估计后停止)")));
        if (stopped)
            Print(QStringLiteral("  ") + r.Output.section(QStringLiteral("MRP运算过程被中止（原因: "), 1).section(QStringLiteral("）, 本次运算"), 0, 0)
                                          .replace(QLatin1Char('\n'), QStringLiteral("\n  ")));
    }
    Print(met ? QStringLiteral("目标达成。") : QStringLiteral("目标未达成。"));
    return met;
}

} // namespace kx::bench
