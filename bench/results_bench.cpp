// results_bench: times the result views of a run on a generated factory, without a row limit.
//   results_bench --server DIR [--size L] [--database NAME] [--keep]
// Without --database it builds kx_bench_results_<size> with kxmrp (the generated case, then the
// demo factory), vacuums it, fetches main demand and runs MRP on a scheme of 26 weeks; with
// --database it works on the last run scheme of that database. It measures, offscreen:
//   1. each result tab (supplies, pegging, balance, substitutions) from its creation to its first
//      rows shown (goal: under 1 s each);
//   2. expanding a pegging node with 1,000 children (goal: under 0.3 s);
//   3. saving 1,000 adjusted planned supplies with their balance corrections (goal: under 2 s).
#include "benchsupport.h"
#include "clihost.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/errors.h"
#include "db/quote.h"
#include "db/shared.h"
#include "engine/planscheme.h"
#include "engine/progress.h"
#include "kx_mrp/exports.h"
#include "views/gridview.h"
#include "views/treeview.h"
#include "workbench/allotframe.h"
#include "workbench/schemeview.h"
#include "workbench/supplyadjust.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeView>

#include <cstdio>
#include <memory>

using namespace kx;

using namespace kx::bench;

namespace {

int BuildRunScheme(const QString& server, const QString& database, const QString& size)
{
    BuildGeneratedDatabase(QCoreApplication::applicationDirPath() + QStringLiteral("/kxmrp"), server, database, size);
    TConnection c;
    c.ConnectionString = BuildConnectionString(0, server, database, {}, {});
    cli::TCliHost host(TConnectOptions{server, database, {}, {}}, QStringLiteral("admin"), QStringLiteral("admin123"));
    TPlanScheme s(&host.Connection());
    s.SchemeName = QStringLiteral("结果视图 ") + size;
    s.PlanCalIID = 1;
    s.CareMRPTrackMode = 9;
    s.PlanPeriods = cli::ConsecutivePeriods(QDate::currentDate().addDays(1 - QDate::currentDate().dayOfWeek()), 26, QStringLiteral("weeks"));
    s.PlanState = DeriveSavedState(true, 0, {}, TSchemeParams::Of(s));
    TSilentProgress progress;
    if (!s.Save() || !s.RunMPS(false, false, progress)
        || !s.RunMRP(false, false, [](int, int, const QString&, const QString&) {}, progress, false))
        throw EKxError(QStringLiteral("计划方案运算失败!"));
    c.Execute(QStringLiteral("vacuum analyze"));
    return s.SchemeIID;
}

// A result tab as the workbench opens it: created, initialised, given the scheme, shown. The
// time runs until its first rows are there.
qint64 OpenTab(const QString& objectID, TPlanScheme& scheme, int& rows, std::unique_ptr<QWidget>& kept)
{
    static TPlanSchemeUIEvents events;
    QElapsedTimer timer;
    timer.start();
    IInfoView* created = nullptr;
    LoadInfoView(&created, Env(), Env()->GetObjectDef(objectID));
    auto* widget = dynamic_cast<QWidget*>(created);
    auto* schemeView = dynamic_cast<ISchemeView*>(created);
    if (!widget || !schemeView)
        throw EKxError(QStringLiteral("视图%1无法建立!").arg(objectID));
    kept.reset(widget);
    widget->resize(1280, 720);
    created->InitializeView(QString(), nullptr);
    schemeView->SetPlanScheme(&scheme, &events);
    widget->show();
    if (!created->DataRefreshed())
        created->RefreshData(false);
    QApplication::processEvents();
    const qint64 ms = timer.elapsed();
    if (auto* grid = dynamic_cast<TInfoGridView*>(created))
        rows = grid->RowModel() ? grid->grdMain->model()->rowCount() : 0;
    else if (auto* tree = dynamic_cast<TInfoTreeView*>(created))
        rows = tree->Nodes->rowCount();
    return ms;
}

// A planned supply with 1,000 component demands: its first 1,000 demands of other parents
// become its children (copies under new numbers), then its node is expanded in the pegging.
qint64 BenchWideNode(TConnection& connection, TPlanScheme& scheme, std::unique_ptr<QWidget>& allotWidget)
{
    const int iid = scheme.SchemeIID;
    TQuery q(&connection);
    q.SQL = QStringLiteral("select s.SupIID, d.DmdIID from KX_MRP_Supplies as s join KX_MRP_Demands as d on d.DmdSchIID=s.SupSchIID and "
                           "d.DmdIID=s.SupPDmdIID where s.SupSchIID=%1 and s.SupBillType=%2 and d.DmdBillType in (2, 4, 8, 12) "
                           "order by s.SupIID limit 1")
                .arg(iid)
                .arg(btPlanMO);
    q.Open();
    if (q.IsEmpty())
        throw EKxError(QStringLiteral("没有主需求的MRP生产计划!"));
    const int parent = q.Fields(0).AsInteger();
    const int mainDemand = q.Fields(1).AsInteger();
    connection.Execute(QStringLiteral("delete from KX_MRP_Demands where DmdSchIID=%1 and DmdIID>=900000000;\r"
                                      "create temp table tmp_wide as select * from KX_MRP_Demands where DmdSchIID=%1 and "
                                      "DmdPSupIID is not null and DmdPSupIID<>%2 order by DmdIID limit 1000;\r"
                                      "update tmp_wide set DmdIID=900000000+DmdIID, DmdPSupIID=%2;\r"
                                      "insert into KX_MRP_Demands select * from tmp_wide;\r"
                                      "drop table tmp_wide;\r"
                                      "analyze KX_MRP_Demands")
                           .arg(iid)
                           .arg(parent));
    auto* view = dynamic_cast<TMRPAllotFrame*>(allotWidget.get());
    TTreeNode* node = nullptr;
    // The main demand's node: the top level is read a page at a time, the page with it is fetched.
    while (!node) {
        for (int r = 0; r < view->Nodes->Root()->ChildCount() && !node; ++r)
            if (view->Nodes->Root()->Child(r)->Value(QStringLiteral("DmdIID")).toInt() == mainDemand)
                node = view->Nodes->Root()->Child(r);
        if (!node && !view->Nodes->HasMoreTopNodes())
            throw EKxError(QStringLiteral("需求分配中找不到主需求%1!").arg(mainDemand));
        if (!node)
            view->Nodes->fetchMore(QModelIndex());
    }
    QElapsedTimer timer;
    timer.start();
    view->trlMain->expand(view->Nodes->IndexOf(node));
    QApplication::processEvents();
    const qint64 ms = timer.elapsed();
    Print(QStringLiteral("需求分配: 展开有 %1 个下级的结点 %2 毫秒 - %3").arg(node->ChildCount()).arg(ms).arg(Verdict(ms, 0.3)));
    connection.Execute(QStringLiteral("delete from KX_MRP_Demands where DmdSchIID=%1 and DmdIID>=900000000").arg(iid));
    return ms;
}

qint64 BenchSave(TConnection& connection, TPlanScheme& scheme)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select SupIID from KX_MRP_Supplies where SupSchIID=%1 and SupBillType in (%2, %3, %4) order by SupIID limit 1000")
                .arg(scheme.SchemeIID)
                .arg(btPlanPO)
                .arg(btPlanMO)
                .arg(btPlanOO);
    q.Open();
    QList<int> ids;
    for (q.First(); !q.Eof(); q.Next())
        ids << q.Fields(0).AsInteger();
    QList<TSupplyLine> lines = ReadSupplyLines(connection, scheme.SchemeIID, ids);
    for (TSupplyLine& line : lines)
        ChangeSupplyQty(line, line.Qty + 1);
    connection.Execute(QStringLiteral("checkpoint"));
    QElapsedTimer timer;
    timer.start();
    const TSupplySaveResult result = SaveSupplyAdjustments(connection, scheme, lines);
    const qint64 ms = timer.elapsed();
    if (!result.Saved)
        throw EKxError(QStringLiteral("供应计划调整保存失败!"));
    Print(QStringLiteral("供应计划: 保存 %1 行调整 %2 秒 - %3").arg(lines.size()).arg(Seconds(ms), Verdict(ms, 2)));
    return ms;
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
        std::fputs("用法: results_bench --server DIR [--size S|M|L] [--database NAME] [--keep]\n", stderr);
        return 2;
    }
    try {
        const bool build = database.isEmpty();
        int iid = 0;
        if (build) {
            database = QStringLiteral("kx_bench_results_") + size.toLower();
            QElapsedTimer timer;
            timer.start();
            iid = BuildRunScheme(server, database, size);
            Print(QStringLiteral("数据库 %1 (规模 %2) 已建立并运算, %3 秒").arg(database, size, Seconds(timer.elapsed())));
        }
        cli::TCliHost host(TConnectOptions{server, database, {}, {}}, QStringLiteral("admin"), QStringLiteral("admin123"));
        Env()->MaxRows = 0;
        if (iid == 0)
            iid = int(Count(host.Connection(), QStringLiteral("select max(SchIID) from KX_MRP_Schemes where SchType=0 and SchMrpRunTime is not null")));
        TPlanScheme scheme(&SharedConnection());
        if (!scheme.Load(iid))
            throw EKxError(QStringLiteral("计划方案%1无法装载!").arg(iid));
        Print(QStringLiteral("方案 %1: 需求 %2 行, 供应 %3 行, 分配 %4 行, 平衡 %5 行")
                  .arg(iid)
                  .arg(Count(host.Connection(), QStringLiteral("select count(*) from KX_MRP_Demands where DmdSchIID=%1").arg(iid)))
                  .arg(Count(host.Connection(), QStringLiteral("select count(*) from KX_MRP_Supplies where SupSchIID=%1").arg(iid)))
                  .arg(Count(host.Connection(), QStringLiteral("select count(*) from KX_MRP_Allots where AltSchIID=%1").arg(iid)))
                  .arg(Count(host.Connection(), QStringLiteral("select count(*) from KX_MRP_Balance where BalSchIID=%1").arg(iid))));
        bool met = true;
        std::unique_ptr<QWidget> allot;
        for (const char* object : {"KX_MRP.MRP.Supplies", "KX_MRP.MRP.Allot", "KX_MRP.MRP.Balance", "KX_MRP.MRP.Replaces"}) {
            int rows = 0;
            std::unique_ptr<QWidget> view;
            const qint64 ms = OpenTab(QLatin1String(object), scheme, rows, view);
            Print(QStringLiteral("%1: 首屏 %2 行 %3 秒 - %4").arg(QLatin1String(object)).arg(rows).arg(Seconds(ms), Verdict(ms, 1)));
            met = met && ms < 1000;
            if (QLatin1String(object) == QLatin1String("KX_MRP.MRP.Allot"))
                allot = std::move(view);
        }
        met = BenchWideNode(SharedConnection(), scheme, allot) < 300 && met;
        allot.reset();
        met = BenchSave(SharedConnection(), scheme) < 2000 && met;
        if (build && !args.contains(QStringLiteral("--keep"))) {
            SharedConnection().Close();
            host.Connection().Close();
            TConnection admin;
            admin.ConnectionString = BuildConnectionString(0, server, QStringLiteral("postgres"), {}, {});
            admin.Execute(QStringLiteral("drop database if exists %1 with (force)").arg(QuotedIdent(database)));
        }
        return met ? 0 : 1;
    } catch (const EKxError& e) {
        std::fprintf(stderr, "错误: %s\n", e.Message().toUtf8().constData());
        return 1;
    }
}
