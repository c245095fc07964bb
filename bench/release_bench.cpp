// release_bench: times the release of every planned supply of a generated factory's run.
//   release_bench --server DIR [--sizes M,L] [--weeks 26] [--keep]
// For each size it builds a database kx_release_<size> with kxmrp (the generated case, then the
// demo factory), plans it (a scheme of weekly periods, main demand, the MRP run) and publishes
// the scheme. Then, as the administrator with the host's bill service in this process, it
// loads the output rows of the scheme, checks them all and releases them with the default
// output settings (department and employee of the requisitions given), timing the load and
// the release. It prints the rows, bill entries, bills and seconds per size, and at the end
// how the release time grows with the rows and whether size M released in under 30 seconds.
#include "benchsupport.h"
#include "clihost.h"
#include "db/dataset.h"
#include "db/errors.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/shared.h"
#include "engine/planscheme.h"
#include "release/outputlist.h"
#include "release/publishing.h"
#include "release/release.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace kx;

using namespace kx::bench;

namespace {

constexpr double kGoalSecondsM = 30.0;

// Counts lines and nothing more: the release's own list on a console is not the thing timed.
class TCountingSink : public IReleaseSink {
public:
    void Clear() override {}
    int AddLine(TMessageKind kind, const QString&, int, int, const QString&) override
    {
        Warnings += kind == mkWarning ? 1 : 0;
        Errors += kind == mkError ? 1 : 0;
        return Lines++;
    }
    void ChangeLine(int, TMessageKind, const QString&) override {}
    bool EditOptions(int) override { return false; }
    int Lines = 0, Warnings = 0, Errors = 0;
};

struct TSizeResult {
    QString Size;
    qint64 Rows = 0;
    qint64 Entries = 0;
    qint64 Bills = 0;
    qint64 LoadMs = 0;
    qint64 ReleaseMs = 0;
};

TSizeResult BenchSize(const QString& kxmrp, const QString& server, const QString& size, int weeks, bool keep)
{
    TSizeResult result;
    result.Size = size;
    const QString database = QStringLiteral("kx_release_") + size.toLower();
    TConnection admin;
    admin.ConnectionString = BuildConnectionString(0, server, QStringLiteral("postgres"), {}, {});
    admin.Execute(QStringLiteral("drop database if exists %1 with (force)").arg(QuotedIdent(database)));
    Print(QStringLiteral("== 规模 %1: 数据库 %2").arg(size, database));
    BuildGeneratedDatabase(kxmrp, server, database, size);
    {
        cli::TCliHost host(TConnectOptions{server, database, {}, {}}, QStringLiteral("admin"), QStringLiteral("admin123"));
        TConnection& connection = host.Connection();
        TPlanScheme s(&connection);
        s.SchemeName = QStringLiteral("投放测试 ") + size;
        s.PlanCalIID = 1;
        s.CareMRPTrackMode = 9;
        s.PlanPeriods = cli::ConsecutivePeriods(QDate::currentDate().addDays(1 - QDate::currentDate().dayOfWeek()), weeks,
                                                QStringLiteral("weeks"));
        s.PlanState = DeriveSavedState(true, 0, {}, TSchemeParams::Of(s));
        cli::TConsoleProgress progress(false);
        if (!s.Save() || !s.RunMPS(false, false, progress)
            || !s.RunMRP(false, false, [](int, int, const QString&, const QString&) {}, progress, false))
            throw EKxError(QStringLiteral("计划方案无法运算!"));
        TReleaseScheme published;
        published.IID = s.SchemeIID;
        if (!ChangeReleaseState(connection, published, psPublished, psMRPDone) || !s.Load(s.SchemeIID))
            throw EKxError(QStringLiteral("计划方案无法发布!"));
        for (const int dest : {int(btOR), int(btPR)}) {
            TMRPOutputOptions options = LoadOutputOptions(dest);
            options.DepartmentID = QStringLiteral("DM-D-PUR");
            options.EmployeeID = QStringLiteral("DM-E-03");
            SaveOutputOptions(dest, options);
        }
        connection.Execute(QStringLiteral("checkpoint"));

        QElapsedTimer timer;
        timer.start();
        TMRPOutputList list;
        TMRPOutputFilter filter;
        filter.SchemeIID = s.SchemeIID;
        list.Load(connection, filter);
        list.SetAllChecked(true);
        result.LoadMs = timer.elapsed();
        result.Rows = list.TopRows.size();
        Print(QStringLiteral("  可投放计划 %1 行, 装载 %2 秒").arg(result.Rows).arg(Seconds(result.LoadMs)));

        TCountingSink sink;
        TModuleEnvironment* env = Env();
        TMRPRelease release(connection, s, list, sink, progress);
        release.Rights = ReleaseRightsOf(env->GetObjectDef(kOutputObjectID));
        release.Access = env->ERPAccess;
        release.UserID = EnvUserID();
        release.UserName = EnvUserName();
        // Warnings (dates already past) are answered as a user who goes on would.
        const TMessageResponder previous = SetMessageResponder([](const TMessageRequest& request) { return DefaultAnswer(request.Buttons); });
        timer.restart();
        const bool generated = release.Run();
        result.ReleaseMs = timer.elapsed();
        SetMessageResponder(previous);
        if (!generated)
            throw EKxError(QStringLiteral("投放未能生成单据: 警告%1个, 错误%2个").arg(sink.Warnings).arg(sink.Errors));
        result.Entries = release.Counts().Entries;
        result.Bills = release.Counts().BillsSaved;
        Print(QStringLiteral("  %1").arg(release.SummaryText()));
        Print(QStringLiteral("  投放 %1 秒 (检查警告 %2 个); 未投放的计划 %3 行")
                  .arg(Seconds(result.ReleaseMs)).arg(sink.Warnings)
                  .arg(Count(connection, QStringLiteral("select count(*) from KX_MRP_Supplies where SupSchIID=%1 and SupBillType in "
                                                        "(42, 52, 58) and SupQty>coalesce(SupDestQty, 0)").arg(s.SchemeIID))));
    }
    if (!keep)
        admin.Execute(QStringLiteral("drop database %1 with (force)").arg(QuotedIdent(database)));
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString server = Option(args, QStringLiteral("server"), QString());
    if (server.isEmpty()) {
        std::fputs("用法: release_bench --server DIR [--sizes M,L] [--weeks 26] [--keep]\n", stderr);
        return 2;
    }
    const QString kxmrp = QCoreApplication::applicationDirPath() + QStringLiteral("/kxmrp");
    const QStringList sizes = Option(args, QStringLiteral("sizes"), QStringLiteral("M,L")).split(QLatin1Char(','));
    const int weeks = Option(args, QStringLiteral("weeks"), QStringLiteral("26")).toInt();
    try {
        QList<TSizeResult> results;
        for (const QString& size : sizes)
            results << BenchSize(kxmrp, server, size.trimmed().toUpper(), weeks, args.contains(QStringLiteral("--keep")));
        Print(QStringLiteral("规模  计划行  分录  单据  装载(秒)  投放(秒)  毫秒/行"));
        for (const TSizeResult& r : results)
            Print(QStringLiteral("%1  %2  %3  %4  %5  %6  %7")
                      .arg(r.Size, 4).arg(r.Rows, 6).arg(r.Entries, 6).arg(r.Bills, 5).arg(Seconds(r.LoadMs), 8)
                      .arg(Seconds(r.ReleaseMs), 8).arg(r.Rows ? double(r.ReleaseMs) / double(r.Rows) : 0.0, 7, 'f', 3));
        for (const TSizeResult& r : results)
            if (r.Size == QLatin1String("M"))
                Print(QStringLiteral("目标: 规模M投放 %1 秒, %2 %3 秒")
                          .arg(Seconds(r.ReleaseMs), r.ReleaseMs < kGoalSecondsM * 1000 ? QStringLiteral("低于") : QStringLiteral("超过"))
                          .arg(kGoalSecondsM));
        return 0;
    } catch (const EKxError& e) {
        std::fprintf(stderr, "错误: %s\n", e.Message().toUtf8().constData());
        return 1;
    }
}
