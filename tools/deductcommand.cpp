#include "deductcommand.h"

#include "cliargs.h"
#include "clihost.h"
#include "db/errors.h"
#include "db/strutils.h"
#include "deduction/autodeduct.h"
#include "deduction/deductlog.h"

#include <QElapsedTimer>

#include <cstdio>

namespace kx::cli {

namespace {

const char* const kUsage =
    "用法: kxmrp deduct [--saved] [--span date|week|month] [--before 天数] [--after 天数] [--switch yyyy-mm-dd]\n"
    "                   [--redo] [--forcast-filter 条件] [--so-filter 条件] [--si-filter 条件]\n"
    "  --saved           以登录用户在[自动冲销]中保存的选项为准, 其余参数覆盖之\n"
    "  --span            date: 按交期顺序先后冲销 (默认); week/month: 按交期时间段(周次/月份)对齐冲销\n"
    "  --before/--after  订单交期早于/晚于预测交期不超过的天数 (0-9999, 默认 0/30)\n"
    "  --switch          按周次冲销时, 从该日期开始按月份冲销\n"
    "  --redo            不保留以前自动冲销的结果, 全部重新冲销\n"
    "  --*-filter        产品预测/销售订单/出口订单的范围 (SQL条件, 别名 s)\n"
    "  需要[预测冲销]的修改权限。\n";

} // namespace

int RunDeductCommand(const TConnectOptions& options, QStringList args)
{
    TCliArgs a(args, QStringLiteral("deduct"), QString::fromUtf8(kUsage));
    const bool saved = a.Flag("saved");
    const QString span = a.OneOf("span", {QStringLiteral("date"), QStringLiteral("week"), QStringLiteral("month")}, QString());
    const QDate switchDate = a.Date("switch", QDate(1900, 1, 1), QDate(9999, 12, 31), QDate());
    const bool redo = a.Flag("redo");
    const QString forcastFilter = a.Text("forcast-filter", 4000);
    const QString soFilter = a.Text("so-filter", 4000);
    const QString siFilter = a.Text("si-filter", 4000);
    const int before = a.Int("before", 0, 9999, -1);
    const int after = a.Int("after", 0, 9999, -1);
    a.Finish();

    TCliHost host(options);
    host.RequireRight(QStringLiteral("KX_MRP.Deduct"), QStringLiteral("Update"));
    TAuotDeductOptions o = saved ? LoadAutoDeductOptions() : TAuotDeductOptions();
    if (!saved)
        o.Span2Date = DefaultSpan2Date(QDate::currentDate());
    if (before >= 0)
        o.DaysBefore = before;
    if (after >= 0)
        o.DaysAfter = after;
    if (!span.isEmpty()) {
        o.SpanDeduct = span != QLatin1String("date");
        o.Span1Week = span != QLatin1String("month");
    }
    if (switchDate.isValid()) {
        o.Span2Month = true;
        o.Span2Date = switchDate;
    }
    if (redo)
        o.KeepLast = false;
    if (!forcastFilter.isEmpty())
        o.ForcastFilterText = forcastFilter;
    if (!soFilter.isEmpty())
        o.SOFilterText = soFilter;
    if (!siFilter.isEmpty())
        o.SIFilterText = siFilter;

    TConsoleProgress progress;
    QElapsedTimer timer;
    timer.start();
    TAutoDeductReport report;
    if (!AutoDeduct(host.Connection(), o, progress, &report))
        return esFailed;
    Print(QStringLiteral("自动冲销完成: 撤销 %1 行预测的自动冲销, 预测 %2 行参与, 冲销 %3 对, 用时 %4 秒")
              .arg(report.Undone)
              .arg(report.Forecasts)
              .arg(report.Pairs)
              .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 2));
    const QStringList faults = CheckDeductionRules(host.Connection());
    for (const QString& fault : faults)
        Print(QStringLiteral("冲销记录与冲销数量不一致: ") + fault);
    return faults.isEmpty() ? esDone : esFailed;
}

} // namespace kx::cli
