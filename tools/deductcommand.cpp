#include "deductcommand.h"

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
    "                   [--redo] [--forcast-filter 条件] [--so-filter 条件] [--si-filter 条件] [--login 用户代码]\n"
    "  --saved           以登录用户在[自动冲销]中保存的选项为准, 其余参数覆盖之\n"
    "  --span            date: 按交期顺序先后冲销 (默认); week/month: 按交期时间段(周次/月份)对齐冲销\n"
    "  --before/--after  订单交期早于/晚于预测交期不超过的天数 (0-9999, 默认 0/30)\n"
    "  --switch          按周次冲销时, 从该日期开始按月份冲销\n"
    "  --redo            不保留以前自动冲销的结果, 全部重新冲销\n"
    "  --*-filter        产品预测/销售订单/出口订单的范围 (SQL条件, 别名 s)\n";

// A refusal of the command line: printed with the usage, exit status 2.
struct EUsage {
    QString Text;
};

// A day count 0 to 9999; -1 when the option is not given.
int Days(QStringList& args, const char* name)
{
    const QString text = TakeOption(args, QLatin1String(name));
    if (text.isEmpty())
        return -1;
    bool ok = false;
    const int days = text.toInt(&ok);
    if (!ok || days < 0 || days > 9999)
        throw EUsage{QStringLiteral("参数--%1的值(%2)无效!").arg(QLatin1String(name), text)};
    return days;
}

void Print(const QString& text)
{
    std::printf("%s\n", text.toUtf8().constData());
}

} // namespace

int RunDeductCommand(const TConnectOptions& options, QStringList args)
{
    try {
        if (TakeFlag(args, QStringLiteral("help"))) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        const QString login = TakeOption(args, QStringLiteral("login"));
        const bool saved = TakeFlag(args, QStringLiteral("saved"));
        const QString span = TakeOption(args, QStringLiteral("span"));
        const QString switchText = TakeOption(args, QStringLiteral("switch"));
        const bool redo = TakeFlag(args, QStringLiteral("redo"));
        const QString forcastFilter = TakeOption(args, QStringLiteral("forcast-filter"));
        const QString soFilter = TakeOption(args, QStringLiteral("so-filter"));
        const QString siFilter = TakeOption(args, QStringLiteral("si-filter"));
        if (!span.isEmpty() && span != QLatin1String("date") && span != QLatin1String("week") && span != QLatin1String("month"))
            throw EUsage{QStringLiteral("参数--span的值(%1)无效!").arg(span)};
        const QDate switchDate = switchText.isEmpty() ? QDate() : TextToDateTime(switchText).date();
        if (!switchText.isEmpty() && !switchDate.isValid())
            throw EUsage{QStringLiteral("参数--switch的值(%1)无效!").arg(switchText)};
        const int before = Days(args, "before");
        const int after = Days(args, "after");
        if (!args.isEmpty())
            throw EUsage{QStringLiteral("无法识别的参数: %1").arg(args.join(u' '))};

        TCliHost host(options, login);
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
            return 1;
        Print(QStringLiteral("自动冲销完成: 撤销 %1 行预测的自动冲销, 预测 %2 行参与, 冲销 %3 对, 用时 %4 秒")
                  .arg(report.Undone)
                  .arg(report.Forecasts)
                  .arg(report.Pairs)
                  .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 2));
        const QStringList faults = CheckDeductionRules(host.Connection());
        for (const QString& fault : faults)
            Print(QStringLiteral("冲销记录与冲销数量不一致: ") + fault);
        return faults.isEmpty() ? 0 : 1;
    } catch (const EUsage& e) {
        std::fprintf(stderr, "%s\n%s", e.Text.toUtf8().constData(), kUsage);
        return 2;
    }
}

} // namespace kx::cli
