#include "agecommands.h"

#include "analysis/invage.h"
#include "clihost.h"
#include "db/dataset.h"
#include "db/errors.h"
#include "db/shared.h"
#include "db/sqlrun.h"

#include <QElapsedTimer>

#include <cstdio>

namespace kx::cli {

namespace {

const char* const kUsage =
    "用法: kxmrp age [--date yyyy-mm-dd | --now] [--stocks 仓库代码,...] [--groups 天数,...]\n"
    "                [--stat weighted|max|min] [--scheme 方案ID] [--keep batch,stock,place,track]\n"
    "                [--condition SQL条件] [--print 行数] [--login 用户代码]\n"
    "  按截止日期 (默认昨天) 或即时库存分析库龄, 结果保存为当前用户的一次库龄分析。\n";

int Usage(const QString& problem = QString())
{
    if (!problem.isEmpty())
        std::fprintf(stderr, "%s\n", problem.toUtf8().constData());
    std::fputs(kUsage, stderr);
    return 2;
}

void Print(const QString& text)
{
    std::printf("%s\n", text.toUtf8().constData());
}

QStringList ListOption(QStringList& args, const char* name)
{
    return TakeOption(args, QLatin1String(name)).split(QLatin1Char(','), Qt::SkipEmptyParts);
}

} // namespace

int RunAgeCommand(const TConnectOptions& options, QStringList args)
{
    TCliHost host(options, TakeOption(args, QStringLiteral("login")));
    TInvAgeRun run;
    QDateTime now;
    TQuery q(&host.Connection());
    if (!GetServerTime(q, now, true))
        return 1;
    run.Today = now.date();
    run.UserID = EnvUserID();
    TInvAgeSettings& s = run.Settings;
    s.StockNow = TakeFlag(args, QStringLiteral("now"));
    const QString date = TakeOption(args, QStringLiteral("date"));
    s.InvDate = date.isEmpty() ? run.Today.addDays(-1) : QDate::fromString(date, Qt::ISODate);
    if (!s.InvDate.isValid())
        return Usage(QStringLiteral("参数--date的值(%1)无效!").arg(date));
    if (s.StockNow && !date.isEmpty())
        return Usage(QStringLiteral("参数--now与--date不能同时使用!"));
    for (const QString& days : ListOption(args, "groups")) {
        bool ok = false;
        s.Intervals << days.trimmed().toInt(&ok);
        if (!ok)
            return Usage(QStringLiteral("参数--groups的值(%1)无效!").arg(days));
    }
    const QString stat = TakeOption(args, QStringLiteral("stat"), QStringLiteral("weighted"));
    const QStringList stats{QStringLiteral("weighted"), QStringLiteral("max"), QStringLiteral("min")};
    s.AgeType = int(stats.indexOf(stat));
    if (s.AgeType < 0)
        return Usage(QStringLiteral("参数--stat的值(%1)无效!").arg(stat));
    const QString scheme = TakeOption(args, QStringLiteral("scheme"));
    if (!scheme.isEmpty()) {
        bool ok = false;
        s.PlanScheme = scheme.toInt(&ok);
        if (!ok || s.PlanScheme <= 0)
            return Usage(QStringLiteral("参数--scheme的值(%1)无效!").arg(scheme));
        s.PlanSchemeText = scheme;
    }
    const QStringList keep = ListOption(args, "keep");
    for (const QString& k : keep)
        if (!QStringList{QStringLiteral("batch"), QStringLiteral("stock"), QStringLiteral("place"), QStringLiteral("track")}.contains(k))
            return Usage(QStringLiteral("参数--keep的值(%1)无效!").arg(k));
    s.MergeBatch = !keep.contains(QStringLiteral("batch"));
    s.MergeStock = !keep.contains(QStringLiteral("stock"));
    s.MergePlace = !keep.contains(QStringLiteral("place"));
    s.MergeTrack = !keep.contains(QStringLiteral("track"));
    s.Criteria = TakeOption(args, QStringLiteral("condition"));
    const QString printText = TakeOption(args, QStringLiteral("print"), QStringLiteral("0"));
    bool printOk = false;
    const int printRows = printText.toInt(&printOk);
    if (!printOk || printRows < 0)
        return Usage(QStringLiteral("参数--print的值(%1)无效!").arg(printText));

    // Warehouses by their numbers, among those an analysis may use.
    if (!RunSQL(q, InvAgeStocksSQL(), true))
        return 1;
    QHash<QString, QString> byNo;
    for (q.First(); !q.Eof(); q.Next()) {
        run.AllStocks << q.FieldByName(QStringLiteral("StkID")).AsString();
        byNo.insert(q.FieldByName(QStringLiteral("StkNo")).AsString().toLower(), q.FieldByName(QStringLiteral("StkID")).AsString());
    }
    const QStringList stocks = ListOption(args, "stocks");
    s.AllStocks = stocks.isEmpty();
    for (const QString& no : stocks) {
        if (!byNo.contains(no.trimmed().toLower()))
            return Usage(QStringLiteral("仓库\"%1\"不存在或不参与库龄分析!").arg(no));
        s.Stocks << byNo.value(no.trimmed().toLower());
    }
    if (!args.isEmpty())
        return Usage(QStringLiteral("无法识别的参数: %1").arg(args.join(QLatin1Char(' '))));
    const QString refusal = CheckInvAgeSettings(q, s, run.Today);
    if (!refusal.isEmpty()) {
        std::fprintf(stderr, "%s\n", refusal.toUtf8().constData());
        return 2;
    }
    const TInfoObjectDef* def = Env() && Env()->GetObjectDef ? Env()->GetObjectDef(QStringLiteral("KX_MRP.AgeAnalyze")) : nullptr;
    if (!def) {
        std::fprintf(stderr, "访问信息对象\"库龄分析\"受到限制!\n");
        return 1;
    }
    run.Money = def->GetAccessGroup(QStringLiteral("Money")) != nullptr;
    PrepareInvAgeTrace(run);

    TConsoleProgress progress;
    QElapsedTimer timer;
    timer.start();
    if (!RunInvAgeAnalysis(host.Connection(), run, progress))
        return 1;
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
    return 0;
}

} // namespace kx::cli
