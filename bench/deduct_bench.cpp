// deduct_bench: times the automatic forecast deduction on a generated factory.
//   deduct_bench --server DIR [--size L] [--database NAME] [--keep]
// Without --database it builds kx_bench_deduct_<size> with kxmrp (the generated case, then the
// demo factory) and vacuums it; with --database it works on that database as it is. It runs
//   1. the automatic deduction with the default choices (orders due from the forecast's date to
//      30 days after it), earlier results kept: on a fresh factory every pair is new;
//   2. the same again without keeping earlier results: everything is taken back and matched anew;
// each from a checkpoint, and checks afterwards that the log and the lines' totals agree. It
// prints the lines taken into account, the pairs made, the times and the peak memory of this
// process and of its server process. Goal: each run of size L under 60 seconds.
#include "benchsupport.h"
#include "clihost.h"
#include "db/connection.h"
#include "db/errors.h"
#include "db/quote.h"
#include "db/shared.h"
#include "deduction/autodeduct.h"
#include "deduction/deductlog.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <sys/resource.h>

using namespace kx;
using namespace kx::bench;

namespace {

constexpr double kGoalSeconds = 60.0;

qint64 TimedDeduction(TConnection& connection, const TAuotDeductOptions& options, const QString& name)
{
    connection.Execute(QStringLiteral("checkpoint"));
    cli::TConsoleProgress progress;
    TAutoDeductReport report;
    QElapsedTimer timer;
    timer.start();
    if (!AutoDeduct(connection, options, progress, &report))
        throw EKxError(QStringLiteral("自动冲销失败!"));
    const qint64 ms = timer.elapsed();
    Print(QStringLiteral("  %1: 撤销 %2 行预测, 预测 %3 行参与, 冲销 %4 对, %5 秒 — %6")
              .arg(name)
              .arg(report.Undone)
              .arg(report.Forecasts)
              .arg(report.Pairs)
              .arg(Seconds(ms), Verdict(ms, kGoalSeconds)));
    const QStringList faults = CheckDeductionRules(connection);
    Print(faults.isEmpty() ? QStringLiteral("  冲销记录与冲销数量一致")
                           : QStringLiteral("  冲销记录与冲销数量不一致 %1 处, 例如: %2").arg(faults.size()).arg(faults.first()));
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString server = Option(args, QStringLiteral("server"));
    const QString size = Option(args, QStringLiteral("size"), QStringLiteral("L"));
    QString database = Option(args, QStringLiteral("database"));
    const bool build = database.isEmpty();
    const bool keep = args.contains(QStringLiteral("--keep"));
    if (server.isEmpty()) {
        std::fputs("用法: deduct_bench --server 目录 [--size S|M|L] [--database 名称] [--keep]\n", stderr);
        return 2;
    }
    try {
        if (build) {
            database = QStringLiteral("kx_bench_deduct_") + size.toLower();
            Print(QStringLiteral("== 规模 %1: 数据库 %2").arg(size, database));
            BuildGeneratedDatabase(QCoreApplication::applicationDirPath() + QStringLiteral("/kxmrp"), server, database, size);
        }
        {
            cli::TCliHost host(TConnectOptions{server, database, {}, {}}, QStringLiteral("admin"), QStringLiteral("admin123"));
            TConnection& connection = host.Connection();
            connection.Execute(QStringLiteral("truncate KX_MRP_Deduction, KX_MRP_ForcastExt, KX_MRP_SOExt, KX_MRP_SIExt"));
            Print(QStringLiteral("  产品预测 %1 行 (可参与 %2), 销售订单 %3 行, 出口订单 %4 行")
                      .arg(Count(connection, QStringLiteral("select count(*) from KX_Bill_ForLine")))
                      .arg(Count(connection, QStringLiteral("select count(*) from KX_MRP_Forcast where CanMRP<>0 and ForQty>0")))
                      .arg(Count(connection, QStringLiteral("select count(*) from KX_Bill_SOLine")))
                      .arg(Count(connection, QStringLiteral("select count(*) from KX_Bill_SILine"))));
            TAuotDeductOptions options;
            options.Span2Date = DefaultSpan2Date(QDate::currentDate());
            TimedDeduction(connection, options, QStringLiteral("首次自动冲销"));
            options.KeepLast = false;
            TimedDeduction(connection, options, QStringLiteral("重新自动冲销"));
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            Print(QStringLiteral("  内存峰值: 本进程 %1 MiB, 服务进程 %2 MiB")
                      .arg(usage.ru_maxrss / 1024)
                      .arg(PeakMemoryKB(Count(connection, QStringLiteral("select pg_backend_pid()"))) / 1024));
        }
        if (build && !keep) {
            TConnection admin;
            admin.ConnectionString = BuildConnectionString(0, server, QStringLiteral("postgres"), {}, {});
            admin.Execute(QStringLiteral("drop database %1 with (force)").arg(QuotedIdent(database)));
        }
    } catch (const EKxError& e) {
        std::fprintf(stderr, "错误: %s\n", e.Message().toUtf8().constData());
        return 1;
    }
    return 0;
}
