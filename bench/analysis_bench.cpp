// analysis_bench: times the analyses on a generated factory.
//   analysis_bench --server DIR [--size L] [--database NAME] [--keep] [--only age|kit|bom]
// Without --database it builds kx_bench_age_<size> with kxmrp (the generated case, then the demo
// factory) and vacuums it; with --database it works on that database as it is. It measures
//   1. inventory aging of all stock now, four age groups, with prices (goal: under 20 s on L);
//   2. a kit analysis of the first 100 open sales-order lines, saved and run (goal: under 15 s);
//   3. the BOM expansion view of a product whose BOM is 8 levels deep, fully expanded, offscreen
//      (goal: under 2 s).
#include "analysis/bomexpandframe.h"
#include "analysis/invage.h"
#include "analysis/mrpmini.h"
#include "benchsupport.h"
#include "clihost.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/errors.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "engine/planscheme.h"
#include "kx_mrp/exports.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>

using namespace kx;
using namespace kx::bench;

namespace {

qint64 BenchAging(TConnection& connection)
{
    TInvAgeRun run;
    QDateTime now;
    TQuery q(&connection);
    if (!GetServerTime(q, now, true))
        throw EKxError(QStringLiteral("无法读取服务器时间!"));
    run.Today = now.date();
    run.UserID = EnvUserID();
    run.Money = true;
    run.Settings.StockNow = true;
    run.Settings.Intervals = {30, 30, 30, 90};
    q.SQL = InvAgeStocksSQL();
    q.Open();
    for (q.First(); !q.Eof(); q.Next())
        run.AllStocks << q.FieldByName(QStringLiteral("StkID")).AsString();
    PrepareInvAgeTrace(run);
    TSilentProgress progress;
    connection.Execute(QStringLiteral("checkpoint"));
    QElapsedTimer timer;
    timer.start();
    if (!RunInvAgeAnalysis(connection, run, progress))
        throw EKxError(QStringLiteral("库龄分析失败!"));
    const qint64 ms = timer.elapsed();
    Print(QStringLiteral("库龄分析 (全部库存, 即时): 汇总 %1 行, 入库明细 %2 行, %3 秒 - %4")
              .arg(run.MainRows).arg(run.DetailRows).arg(Seconds(ms), Verdict(ms, 20)));
    DeleteInvAgeRuns(connection, run.SchIID, run.UserID);
    return ms;
}

qint64 BenchKit(TConnection& connection)
{
    QList<TMiniLine> lines;
    TQuery q(&connection);
    const QString first100 = QStringLiteral(
        "s.SOID||'|'||s.SOEntry in (select SOID||'|'||SOEntry from KX_MRP_SO where CanMRP<>0 and SOQty>0 order by SODelivDate, SOID, SOEntry limit 100)");
    if (!ReadMiniLines(q, btSO, first100, lines))
        throw EKxError(QStringLiteral("销售订单行读取失败!"));
    QDateTime now;
    if (!GetServerTime(q, now, true))
        throw EKxError(QStringLiteral("无法读取服务器时间!"));
    const int iid = CreateMiniScheme(connection, mkKit, EnvUserID());
    TPlanScheme scheme(&connection, mkKit);
    if (!scheme.Load(iid))
        throw EKxError(QStringLiteral("分析方案无法装载!"));
    TSilentProgress progress;
    connection.Execute(QStringLiteral("checkpoint"));
    QElapsedTimer timer;
    timer.start();
    // Each top-level line of the run log opens a step that lasts until the next one.
    QString step;
    qint64 stepStart = 0;
    const auto endStep = [&](qint64 at) {
        if (!step.isEmpty())
            Print(QStringLiteral("    %1  %2").arg(Seconds(at - stepStart), 7).arg(step));
    };
    const TMRPLogEvent log = [&](int kind, int indent, const QString& text, const QString&) {
        if (indent != 0 || kind >= 2)
            return;
        endStep(timer.elapsed());
        step = text.section(QLatin1Char('\r'), 0, 0);
        stepStart = timer.elapsed();
    };
    if (!SaveMiniDemand(scheme, mkKit, TMiniOptions{}, lines, now.date(), progress))
        throw EKxError(QStringLiteral("配套分析失败!"));
    Print(QStringLiteral("    %1  保存主需求").arg(Seconds(timer.elapsed()), 7));
    if (!scheme.RunMRP(false, false, log, progress, false))
        throw EKxError(QStringLiteral("配套分析失败!"));
    endStep(timer.elapsed());
    const qint64 ms = timer.elapsed();
    const QString kit = QString::number(Count(connection, QStringLiteral("select count(*) from KX_MRP_Demands where DmdSchIID=%1 and DmdBillType=2 "
                                                                         "and coalesce(DmdASetQty,0)>=DmdNeedQty").arg(iid)));
    Print(QStringLiteral("配套分析 (%1 个销售订单行, 其中齐套 %2 行): 需求 %3 行, 供应 %4 行, %5 秒 - %6")
              .arg(lines.size())
              .arg(kit)
              .arg(Count(connection, QStringLiteral("select count(*) from KX_MRP_Demands where DmdSchIID=%1").arg(iid)))
              .arg(Count(connection, QStringLiteral("select count(*) from KX_MRP_Supplies where SupSchIID=%1").arg(iid)))
              .arg(Seconds(ms), Verdict(ms, 15)));
    // What the analysis found, without the run's row numbers: two engines that plan alike print
    // the same two sums.
    TQuery f(&connection);
    f.SQL = QStringLiteral(
                "select (select md5(string_agg(x, '|' order by x)) from (select concat_ws(',', DmdBillType, "
                "(case when DmdBillNo like 'D-%' then '' else DmdBillNo end), DmdBillEntry, DmdItmID, DmdItmProps, DmdDate, "
                "trim_scale(DmdNeedQty), trim_scale(DmdQty), trim_scale(DmdInvQty), trim_scale(DmdMOQty), trim_scale(DmdPOQty), "
                "trim_scale(DmdOOQty), trim_scale(DmdReplQty), trim_scale(DmdASetQty)) as x from KX_MRP_Demands where DmdSchIID=%1) as d), "
                "(select md5(string_agg(x, '|' order by x)) from (select concat_ws(',', SupBillType, (case when SupBillNo like 'S-%' "
                "then '' else SupBillNo end), SupBillEntry, SupItmID, SupItmProps, SupDate, trim_scale(SupQty), trim_scale(SupAllotQty), "
                "trim_scale(SupRestQty), trim_scale(SupDSetQty)) as x from KX_MRP_Supplies where SupSchIID=%1) as s)")
                .arg(iid);
    f.Open();
    Print(QStringLiteral("    结果指纹: 需求 %1, 供应 %2").arg(f.Fields(0).AsString(), f.Fields(1).AsString()));
    DeleteMiniSchemes(connection, iid, mkKit, EnvUserID());
    return ms;
}

// Expands the whole BOM of a product in the view, offscreen, and reports the time.
qint64 ExpandProduct(const QString& product, const QString& what)
{
    const TInfoObjectDef* def = Env()->GetObjectDef(QStringLiteral("KX_MRP.BOMExpand"));
    IInfoView* created = nullptr;
    LoadInfoView(&created, Env(), def);
    auto* view = dynamic_cast<TBOMExpandFrame*>(created);
    if (!view)
        throw EKxError(QStringLiteral("BOM展开查询视图无法建立!"));
    view->resize(1200, 700);
    view->InitializeView(QString(), nullptr);
    view->ViewScheme.SQLParsed = true;    // the command line's host prepares no view schemes
    QElapsedTimer timer;
    timer.start();
    view->SetProduct(product, 1, QString());
    Print(QStringLiteral("    根结点及全部BOM行装载 %1 秒").arg(Seconds(timer.elapsed())));
    const bool all = view->ExpandAllNodes();
    const qint64 ms = timer.elapsed();
    // The tree as a planner reads it: every node's level and shown values, and the usages the
    // quantities come from, in tree order. Equal fingerprints: the same expansion.
    int nodes = 0;
    QCryptographicHash hash(QCryptographicHash::Md5);
    const QList<TViewColumn*> columns = view->Columns.Items();
    std::function<void(TTreeNode*)> walk = [&](TTreeNode* n) {
        for (int i = 0; i < n->ChildCount(); ++i) {
            TTreeNode* child = n->Child(i);
            ++nodes;
            QStringList texts{QString::number(child->Level())};
            for (const TViewColumn* column : columns)
                texts << child->Value(column->FieldName).toString();
            const QVariantMap data = child->Data.toMap();
            texts << QString::number(data.value(QStringLiteral("Full")).toDouble(), 'g', 15)
                  << QString::number(data.value(QStringLiteral("Trial")).toDouble(), 'g', 15);
            hash.addData(texts.join(QLatin1Char('\t')).toUtf8());
            hash.addData(QByteArrayView("\n"));
            walk(child);
        }
    };
    walk(view->Nodes->Root());
    Print(QStringLiteral("BOM展开 (%1 %2, 8层, 全部展开%3): %4 个结点, 读BOM语句 %5 次, %6 秒 - %7")
              .arg(what, product, all ? QString() : QStringLiteral("中止"))
              .arg(nodes)
              .arg(view->Reader().Statements())
              .arg(Seconds(ms), Verdict(ms, 2)));
    Print(QStringLiteral("    展开树指纹: %1").arg(QString::fromLatin1(hash.result().toHex())));
    delete view;
    return ms;
}

qint64 BenchBomExpand()
{
    // The products whose items stand on 8 levels (7 BOM levels), by the number of BOMs their
    // tree passes through: the median and the largest.
    TQuery q(&SharedConnection());
    q.SQL = QStringLiteral(
        "with recursive walk (Root, BomID, Depth) as ("
        " select h.BomItmID, h.BomID, 1 from KX_Bom_Head as h"
        "  where h.BomItmID like 'GI%' and not exists (select 1 from KX_Bom_Line as u where u.BolItmID=h.BomItmID)"
        " union all"
        " select w.Root, c.BomID, w.Depth + 1 from walk as w join KX_Bom_Line as l on l.BomID=w.BomID"
        "  join KX_Bom_Head as c on c.BomItmID=l.BolItmID and c.BomIsDefault=1 where w.Depth < 8),"
        " r as (select Root, count(*) as Boms from walk group by Root having max(Depth)=7)"
        " select (select Root from r order by Boms, Root offset (select count(*)/2 from r) limit 1),"
        " (select Root from r order by Boms desc, Root limit 1)");
    q.Open();
    if (q.IsEmpty() || q.Fields(0).IsNull())
        throw EKxError(QStringLiteral("没有8层BOM的产品!"));
    const QString median = q.Fields(0).AsString(), largest = q.Fields(1).AsString();
    ExpandProduct(median, QStringLiteral("中等产品"));
    return ExpandProduct(largest, QStringLiteral("最大产品"));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString server = Option(args, QStringLiteral("server"));
    const QString size = Option(args, QStringLiteral("size"), QStringLiteral("L"));
    QString database = Option(args, QStringLiteral("database"));
    if (server.isEmpty()) {
        std::fputs("用法: analysis_bench --server DIR [--size S|M|L] [--database NAME] [--keep]\n", stderr);
        return 2;
    }
    try {
        const bool build = database.isEmpty();
        if (build) {
            database = QStringLiteral("kx_bench_age_") + size.toLower();
            TConnection admin;
            admin.ConnectionString = BuildConnectionString(0, server, QStringLiteral("postgres"), {}, {});
            admin.Execute(QStringLiteral("drop database if exists %1 with (force)").arg(QuotedIdent(database)));
            const QString kxmrp = QCoreApplication::applicationDirPath() + QStringLiteral("/kxmrp");
            const QStringList where{QStringLiteral("--server"), server, QStringLiteral("--database"), database};
            QElapsedTimer timer;
            timer.start();
            // The demo factory brings the administrator who generates the case; loaded again
            // after it, it adds back its own rows, which the generator's --replace cleared.
            const QStringList login{QStringLiteral("--login"), QStringLiteral("admin"), QStringLiteral("--password"), QStringLiteral("admin123")};
            RunTool(kxmrp, where + QStringList{QStringLiteral("db"), QStringLiteral("init"), QStringLiteral("--demo")});
            RunTool(kxmrp, where + login + QStringList{QStringLiteral("gen"), QStringLiteral("--size"), size, QStringLiteral("--replace")});
            RunTool(kxmrp, where + QStringList{QStringLiteral("db"), QStringLiteral("init"), QStringLiteral("--demo")});
            TConnection c;
            c.ConnectionString = BuildConnectionString(0, server, database, {}, {});
            c.Execute(QStringLiteral("vacuum analyze"));
            Print(QStringLiteral("数据库 %1 (规模 %2) 已建立, %3 秒").arg(database, size, Seconds(timer.elapsed())));
        }
        cli::TCliHost host(TConnectOptions{server, database, {}, {}}, QStringLiteral("admin"), QStringLiteral("admin123"));
        Print(QStringLiteral("库存 %1 行, 入出库单据行 %2 行, 销售订单行 %3 行")
                  .arg(Count(host.Connection(), QStringLiteral("select count(*) from KX_Stk_Inventory")))
                  .arg(Count(host.Connection(), QStringLiteral("select count(*) from KX_Stk_BillLine")))
                  .arg(Count(host.Connection(), QStringLiteral("select count(*) from KX_Bill_SOLine"))));
        const QString only = Option(args, QStringLiteral("only"));
        const qint64 aging = only.isEmpty() || only == QLatin1String("age") ? BenchAging(host.Connection()) : 0;
        const qint64 kit = only.isEmpty() || only == QLatin1String("kit") ? BenchKit(host.Connection()) : 0;
        const qint64 bom = only.isEmpty() || only == QLatin1String("bom") ? BenchBomExpand() : 0;
        if (build && !args.contains(QStringLiteral("--keep"))) {
            SharedConnection().Close();
            host.Connection().Close();
            TConnection admin;
            admin.ConnectionString = BuildConnectionString(0, server, QStringLiteral("postgres"), {}, {});
            admin.Execute(QStringLiteral("drop database if exists %1 with (force)").arg(QuotedIdent(database)));
        }
        return aging < 20000 && kit < 15000 && bom < 2000 ? 0 : 1;
    } catch (const EKxError& e) {
        std::fprintf(stderr, "错误: %s\n", e.Message().toUtf8().constData());
        return 1;
    }
}
