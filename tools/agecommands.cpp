#include "agecommands.h"

#include "analysis/invage.h"
#include "cliargs.h"
#include "clihost.h"
#include "db/dataset.h"
#include "db/errors.h"
#include "db/shared.h"
#include "db/sqlrun.h"

#include <QElapsedTimer>

#include <limits>

namespace kx::cli {

namespace {

const char* const kUsage =
    "用法: kxmrp age [--date yyyy-mm-dd | --now] [--stocks 仓库代码,...] [--groups 天数,...]\n"
    "                [--stat weighted|max|min] [--scheme 方案ID] [--keep batch,stock,place,track]\n"
    "                [--condition SQL条件] [--print 行数]\n"
    "  按截止日期 (默认昨天) 或即时库存分析库龄, 结果保存为当前用户的一次库龄分析。\n"
    "  需要[库龄分析]的浏览权限; 金额只对有[金额]权限的用户计算。\n";

QStringList ListOption(TCliArgs& a, const char* name)
{
    return a.Text(name, 4000).split(QLatin1Char(','), Qt::SkipEmptyParts);
}

} // namespace

int RunAgeCommand(const TConnectOptions& options, QStringList args)
{
    TCliArgs a(args, QStringLiteral("age"), QString::fromUtf8(kUsage));
    TInvAgeRun run;
    TInvAgeSettings& s = run.Settings;
    s.StockNow = a.Flag("now");
    if (s.StockNow && a.Has("date"))
        a.Refuse(QStringLiteral("参数--now与--date不能同时使用!"));
    const QDate date = a.Date("date", QDate(1900, 1, 1), QDate(9999, 12, 31), QDate());
    for (const QString& days : ListOption(a, "groups")) {
        bool ok = false;
        s.Intervals << days.trimmed().toInt(&ok);
        if (!ok)
            a.RefuseValue("groups", days, QStringLiteral("应为以逗号分隔的天数"));
    }
    s.AgeType = int(QStringList{QStringLiteral("weighted"), QStringLiteral("max"), QStringLiteral("min")}.indexOf(
        a.OneOf("stat", {QStringLiteral("weighted"), QStringLiteral("max"), QStringLiteral("min")}, QStringLiteral("weighted"))));
    s.PlanScheme = a.Int("scheme", 1, std::numeric_limits<int>::max(), 0);
    if (s.PlanScheme > 0)
        s.PlanSchemeText = QString::number(s.PlanScheme);
    const QStringList keep = ListOption(a, "keep");
    for (const QString& k : keep)
        if (!QStringList{QStringLiteral("batch"), QStringLiteral("stock"), QStringLiteral("place"), QStringLiteral("track")}.contains(k))
            a.RefuseValue("keep", k, QStringLiteral("应为batch, stock, place, track"));
    s.MergeBatch = !keep.contains(QStringLiteral("batch"));
    s.MergeStock = !keep.contains(QStringLiteral("stock"));
    s.MergePlace = !keep.contains(QStringLiteral("place"));
    s.MergeTrack = !keep.contains(QStringLiteral("track"));
    s.Criteria = a.Text("condition", 4000);
    const int printRows = a.Int("print", 0, 1000000, 0);
    const QStringList stocks = ListOption(a, "stocks");
    a.Finish();

    TCliHost host(options);
    const TInfoObjectDef* def = host.RequireRight(QStringLiteral("KX_MRP.AgeAnalyze"));
    run.Money = def->GetAccessGroup(QStringLiteral("Money")) != nullptr;
    QDateTime now;
    TQuery q(&host.Connection());
    if (!GetServerTime(q, now, true))
        return esFailed;
    run.Today = now.date();
    run.UserID = EnvUserID();
    s.InvDate = date.isValid() ? date : run.Today.addDays(-1);

    // Warehouses by their numbers, among those an analysis may use.
    if (!RunSQL(q, InvAgeStocksSQL(), true))
        return esFailed;
    QHash<QString, QString> byNo;
    for (q.First(); !q.Eof(); q.Next()) {
        run.AllStocks << q.FieldByName(QStringLiteral("StkID")).AsString();
        byNo.insert(q.FieldByName(QStringLiteral("StkNo")).AsString().toLower(), q.FieldByName(QStringLiteral("StkID")).AsString());
    }
    s.AllStocks = stocks.isEmpty();
    for (const QString& no : stocks) {
        if (!byNo.contains(no.trimmed().toLower()))
            a.RefuseValue("stocks", no, QStringLiteral("仓库不存在或不参与库龄分析"));
        s.Stocks << byNo.value(no.trimmed().toLower());
    }
    const QString refusal = CheckInvAgeSettings(q, s, run.Today);
    if (!refusal.isEmpty())
        a.Refuse(refusal);
    PrepareInvAgeTrace(run);

    TConsoleProgress progress;
    QElapsedTimer timer;
    timer.start();
    if (!RunInvAgeAnalysis(host.Connection(), run, progress))
        return esFailed;
    Print(QStringLiteral("库龄分析完成: 截止 %1, 汇总 %2 行, 入库明细 %3 行, 用时 %4 秒; 结果保存为库龄分析 %5 (用户 %6)")
              .arg(InvAgeCutOff(s, run.Today).toString(QStringLiteral("yyyy/MM/dd")))
              .arg(run.MainRows)
              .arg(run.DetailRows)
              .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 2)
              .arg(run.SchIID)
              .arg(host.UserName()));
    if (printRows > 0) {
        q.SQL = InvAgeMainSQL(run.SchIID, QString()) + QStringLiteral(" limit %1").arg(printRows);
        q.Open();
        for (q.First(); !q.Eof(); q.Next())
            Print(QStringLiteral("%1\t%2\t%3\t%4\t%5")
                      .arg(q.FieldByName(QStringLiteral("ItmNo")).AsString(), q.FieldByName(QStringLiteral("ItmName")).AsString(),
                           q.FieldByName(QStringLiteral("AgeQty")).AsString(), q.FieldByName(QStringLiteral("AgeDays")).AsString(),
                           q.FieldByName(QStringLiteral("AgeInDate")).AsDate().toString(QStringLiteral("yyyy/MM/dd"))));
    }
    return esDone;
}

} // namespace kx::cli
