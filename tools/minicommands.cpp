// The analyses run on a private scheme of the user, as the desktop's frames do: the lines
// named on the command line are read as the settings dialogs list them, checked as their OK
// button checks them, written as the scheme's main demand and planned. The summary goes to
// standard output as tab-separated lines under a caption line (and, with --output, into a
// file through the export service); the private scheme is removed afterwards, whether the
// run succeeded, failed or was interrupted.
#include "minicommands.h"

#include "analysis/mrpmini.h"
#include "cliargs.h"
#include "clihost.h"
#include "db/dataset.h"
#include "db/errors.h"
#include "db/settings.h"
#include "db/sqlrun.h"
#include "engine/planscheme.h"
#include "engine/schemelock.h"
#include "views/exportservice.h"

#include <QFileInfo>
#include <QHash>

#include <cstdio>

namespace kx::cli {

namespace {

const char* const kRunOptionsUsage =
    "  运算参数 (与桌面程序分析设置的[参数]页相同, 缺省为不勾选):\n"
    "    --track N      跟踪合并 (MrpTrackType 的代码, 缺省 0)\n"
    "    --replace 0-3  物料替代 (0 不考虑, 1 即时库存, 2 +供应订单, 3 +供应申请)\n"
    "    --suites 0-3   齐套计算 (0 即时库存, 1 +采购在检, 2 +采购订单, 3 +采购申请)\n"
    "    --one-level    仅展开单级物料清单        --lot     考虑供应批量规则\n"
    "    --safety       考虑安全库存              --no-loss 不考虑BOM损耗率\n"
    "    --other-out    考虑目标需求之外的预计出库量\n"
    "  --today-dates    日期早于今天的行统一修正为今天 (不给出时, 有这样的行则拒绝分析)\n"
    "  --output 文件    同时把结果导出到文件 (.xlsx, .csv, .txt, .html 或 .xml)\n"
    "  结果以制表符分隔输出到标准输出, 第一行为列标题; 分析用的临时方案在结束后删除。\n";

const char* const kKitUsage =
    "用法: kxmrp kit --lines 单号/行号,... [运算参数] [--today-dates] [--output 文件]\n"
    "  齐套分析: 以指定的销售订单、销售出库或产品预测行为主需求运算MRP, 列出每行的需求、齐套和缺口数量。\n"
    "  需要[齐套分析]的浏览权限。\n";

const char* const kLackUsage =
    "用法: kxmrp lack (--lines 单号/行号,... | --orders all|mo|oo [--until yyyy-mm-dd])\n"
    "                 [--current-bom] [运算参数] [--today-dates] [--output 文件]\n"
    "  生产缺料分析: 以指定的生产任务、委外订单行 (或全部/生产任务/委外订单, 可截止交货日期) 的投料运算MRP,\n"
    "  列出库存不能满足的投料、缺料数量和订单的齐套数量; --current-bom 按当前物料清单计算投料。\n"
    "  需要[生产缺料分析]的浏览权限。\n";

// The bill objects the lines of an analysis come from.
struct TLineSource {
    int BillType;
    const char* ObjectID;
};
const TLineSource kKitSources[] = {{btSO, "KX_MRP.SO"}, {btSI, "KX_MRP.SI"}, {btForcast, "KX_MRP.Forcast"}};
const TLineSource kLackSources[] = {{btMO, "KX_MRP.MO"}, {btOO, "KX_MRP.OO"}};

// A refusal of the lines named: exit 2 as for a wrong option, without the usage, which
// would only bury the line it names.
[[noreturn]] void RefuseLines(const TCliArgs& a, const QString& text)
{
    throw ECliRefusal(QStringLiteral("kxmrp %1: %2").arg(a.Command(), text), esUsage);
}

// A line as the command line names it: "单号/行号".
QString LineName(const QString& billNo, int entry)
{
    return QStringLiteral("%1/%2").arg(billNo).arg(entry);
}

QString LineName(const TMainDemandLine& l)
{
    return LineName(l.BillNo, l.BillEntry);
}

// "单号/行号,..." as written: bill numbers and lines, each named as the user wrote it.
struct TLineRef {
    QString BillNo;
    int Entry = 0;
};

QList<TLineRef> LineRefs(TCliArgs& a)
{
    QList<TLineRef> refs;
    for (const QString& item : a.Text("lines", 100000).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString text = item.trimmed();
        const qsizetype slash = text.lastIndexOf(QLatin1Char('/'));
        bool ok = false;
        const int entry = slash > 0 ? text.mid(slash + 1).toInt(&ok) : 0;
        if (!ok || entry <= 0)
            a.RefuseValue("lines", text, QStringLiteral("应为以逗号分隔的 单号/行号, 如 SO2611-002/2"));
        refs << TLineRef{text.left(slash).trimmed(), entry};
    }
    return refs;
}

// What both commands take beside their lines: the run options, the answer to past dates and
// the file of the summary.
struct TRunRequest {
    TMiniOptions Options;
    bool TodayDates = false;
    QString Output;
};

TRunRequest RunRequest(TCliArgs& a)
{
    TRunRequest r;
    TMiniOptions& o = r.Options;
    o.TrackMode = a.Int("track", 0, 99, 0);
    o.Replace = a.Int("replace", 0, 3, 0);
    o.Suites = a.Int("suites", 0, 3, 0);
    o.OneLevel = a.Flag("one-level");
    o.CareLot = a.Flag("lot");
    o.CareSafety = a.Flag("safety");
    o.CareLoss = !a.Flag("no-loss");
    o.OtherOut = a.Flag("other-out");
    r.TodayDates = a.Flag("today-dates");
    r.Output = a.Text("output", 1000);
    // Pages need the desktop's printing; every other format is written without a window.
    if (!r.Output.isEmpty() && QFileInfo(r.Output).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0)
        a.RefuseValue("output", r.Output, QStringLiteral("命令行不能打印PDF, 应为 .xlsx, .csv, .txt, .html 或 .xml 文件"));
    return r;
}

// The open lines named, in the order named, from the bill objects the user may read. A line
// that is not open for MRP, or that two kinds of bill share, is refused by name.
QList<TMiniLine> NamedLines(TCliHost& host, const TCliArgs& a, const QList<TLineRef>& refs, const TLineSource* sources, int sourceCount)
{
    QStringList billNos;
    for (const TLineRef& r : refs)
        if (!billNos.contains(r.BillNo))
            billNos << r.BillNo;
    QHash<QString, TMiniLine> open;
    TQuery q(&host.Connection());
    for (int s = 0; s < sourceCount && !billNos.isEmpty(); ++s) {
        if (!host.HoldsRight(QString::fromLatin1(sources[s].ObjectID), QString()))
            continue;
        QList<TMiniLine> read;
        if (!ReadMiniLines(q, sources[s].BillType, MiniBillNoCondition(sources[s].BillType, billNos), read))
            throw ECliRefusal(QStringLiteral("kxmrp %1: 单据行读取失败!").arg(a.Command()), esFailed);
        for (const TMiniLine& m : read) {
            const QString name = LineName(m.Line);
            if (open.contains(name) && open.value(name).Line.BillType != m.Line.BillType)
                RefuseLines(a, QStringLiteral("单据行[%1]同时是%2和%3的单据行, 无法区分!").arg(name, open.value(name).TypeName, m.TypeName));
            open.insert(name, m);
        }
    }
    QList<TMiniLine> lines;
    for (const TLineRef& r : refs) {
        const QString name = LineName(r.BillNo, r.Entry);
        if (!open.contains(name))
            RefuseLines(a, QStringLiteral("单据行[%1]不存在, 或已关闭、已执行完毕、不参与MRP, 或用户无权查看!").arg(name));
        TMiniLine m = open.value(name);
        m.Priority = int(lines.size()) + 1;
        lines << m;
    }
    return lines;
}

// The checks of the settings dialogs' OK. Without a window nobody answers the question about
// past dates: --today-dates is the answer yes, and without it the run is refused.
void CheckLines(const TCliArgs& a, QList<TMiniLine>& lines, TMiniKind kind, const QDate& today, bool todayDates)
{
    const QString duplicate = CheckMiniLines(lines, kind, today, [&](const QList<int>& past) {
        if (todayDates)
            return true;
        QStringList named;
        for (int i : past)
            named << QStringLiteral("%1 (%2)").arg(LineName(lines[i].Line), lines[i].Line.Date.toString(QStringLiteral("yyyy/MM/dd")));
        RefuseLines(a, QStringLiteral("%1\n  %2\n加上--today-dates将这些行的日期修正为今天(%3)后分析。")
                     .arg(PastDateQuestion(kind), named.join(QStringLiteral(", ")), today.toString(QStringLiteral("yyyy/MM/dd"))));
    });
    if (!duplicate.isEmpty())
        RefuseLines(a, duplicate);
}

// The private scheme of one command, removed when the command ends however it ends. An
// interrupt during the removal does not cancel it.
class TMiniSchemeGuard {
public:
    TMiniSchemeGuard(TCliHost& host, TMiniKind kind) : FHost(host), FKind(kind), FIID(CreateMiniScheme(host.Connection(), kind, host.UserID())) {}
    ~TMiniSchemeGuard()
    {
        WatchConnection(nullptr);
        try {
            DeleteMiniSchemes(FHost.Connection(), FIID, FKind, FHost.UserID());
        } catch (const std::exception&) {
            // the connection is gone: the user's next analysis removes the scheme with the stale ones
        }
    }
    int IID() const { return FIID; }

private:
    TCliHost& FHost;
    TMiniKind FKind;
    int FIID;
};

// The summary of the run: printed, and with a file named exported through the export service,
// run in place with the terminal's progress.
bool ReportSummary(TConnection& connection, TMiniKind kind, int schemeIID, const QString& outputFile)
{
    TQuery q(&connection);
    if (!RunSQL(q, MiniSummarySQL(kind, schemeIID), true))
        return false;
    const QStringList captions = MiniSummaryCaptions(kind);
    const int numbersFrom = MiniSummaryNumbersFrom(kind);
    TExportMemoryTable table;
    table.Title = MiniCaption(kind);
    for (int c = 0; c < captions.size(); ++c) {
        TExportColumn column;
        column.Name = column.Caption = captions[c];
        column.Kind = c >= numbersFrom ? evNumber : evText;
        column.AlignRight = c >= numbersFrom;
        table.Columns << column;
    }
    Print(captions.join(QLatin1Char('\t')));
    for (int r = 0; r < q.RecordCount(); ++r) {
        QVariantList values;
        QStringList texts;
        for (int c = 0; c < q.FieldCount(); ++c) {
            texts << q.TextAt(r, c);
            values << (q.IsNullAt(r, c) ? QVariant() : c >= numbersFrom ? QVariant(q.NumberAt(r, c)) : QVariant(q.TextAt(r, c)));
        }
        Print(texts.join(QLatin1Char('\t')));
        table.AddRow(values, texts);
    }
    if (outputFile.isEmpty())
        return true;
    const TExportRunner previous = SetExportRunner([](QWidget*, const QString&, const TExportWork& work) {
        TConsoleProgress progress(false);
        try {
            work(progress);
        } catch (const EAbort&) {
            return false;
        }
        return true;
    });
    const bool written = ExportTableToFile(nullptr, table, outputFile);
    SetExportRunner(previous);
    if (written)
        std::fprintf(stderr, "%s\n", QStringLiteral("结果已导出至文档\"%1\"。").arg(outputFile).toUtf8().constData());
    return written;
}

// Logs in, reads the lines named and runs the analysis on them.
int RunAnalysis(const TConnectOptions& connect, const TCliArgs& a, TMiniKind kind, const QList<TLineRef>& refs, const TRunRequest& request)
{
    TCliHost host(connect);
    host.RequireRight(kind == mkKit ? QStringLiteral("KX_MRP.MRPmini") : QStringLiteral("KX_MRP.LackAnalyze"));
    QList<TMiniLine> lines = kind == mkKit ? NamedLines(host, a, refs, kKitSources, int(std::size(kKitSources)))
                                           : NamedLines(host, a, refs, kLackSources, int(std::size(kLackSources)));
    const TMiniOptions& options = request.Options;
    QDateTime now;
    TQuery q(&host.Connection());
    if (!GetServerTime(q, now, true))
        return esFailed;
    const QDate today = now.date();
    CheckLines(a, lines, kind, today, request.TodayDates);
    bool trackKnown = false;
    for (const TEnumItem& e : GetEnumList(QStringLiteral("MrpTrackType")))
        trackKnown = trackKnown || e.ID == options.TrackMode;
    if (!trackKnown && options.TrackMode != 0)
        a.RefuseValue("track", QString::number(options.TrackMode), QStringLiteral("应为跟踪合并方式(MrpTrackType)的代码"));

    TMiniSchemeGuard guard(host, kind);
    bool ok = false;
    {
        TSchemeLock lock(host.Connection(), guard.IID(), MiniCaption(kind), QStringLiteral("运算MRP"));
        TPlanScheme scheme(&host.Connection(), int(kind));
        if (!scheme.Load(guard.IID()))
            return esFailed;
        // The run's steps would drown the text that says what runs: the bar alone follows it.
        std::fprintf(stderr, "%s\n", MiniRunText(kind).toUtf8().constData());
        TConsoleProgress progress(false);
        // Standard output keeps the summary alone; the run's warnings and errors go beside it.
        const TMRPLogEvent log = [](int logKind, int, const QString& text, const QString&) {
            if (logKind >= 2)
                std::fprintf(stderr, "%s%s\n", logKind == 3 ? "错误 " : "警告 ",
                             QString(text).replace(QLatin1Char('\r'), QStringLiteral("\n    ")).toUtf8().constData());
        };
        ok = SaveMiniDemand(scheme, kind, options, lines, today, progress) && scheme.RunMRP(false, false, log, progress, false);
    }
    if (!ok) {
        std::fprintf(stderr, "%s\n", QStringLiteral("kxmrp %1: %2未完成。").arg(a.Command(), MiniCaption(kind)).toUtf8().constData());
        return esFailed;
    }
    return ReportSummary(host.Connection(), kind, guard.IID(), request.Output) ? esDone : esFailed;
}

} // namespace

int RunKitCommand(const TConnectOptions& options, QStringList args)
{
    TCliArgs a(args, QStringLiteral("kit"), QString::fromUtf8(kKitUsage) + QString::fromUtf8(kRunOptionsUsage));
    if (!a.Has("lines"))
        a.Refuse(QStringLiteral("缺少参数--lines: 请给出要配套的需求行!"));
    const QList<TLineRef> refs = LineRefs(a);
    const TRunRequest request = RunRequest(a);
    a.Finish();
    return RunAnalysis(options, a, mkKit, refs, request);
}

int RunLackCommand(const TConnectOptions& options, QStringList args)
{
    TCliArgs a(args, QStringLiteral("lack"), QString::fromUtf8(kLackUsage) + QString::fromUtf8(kRunOptionsUsage));
    if (a.Has("lines") == a.Has("orders"))
        a.Refuse(QStringLiteral("请给出--lines (指定单据行) 或 --orders (全部、生产任务或委外订单) 之一!"));
    if (a.Has("until") && !a.Has("orders"))
        a.Refuse(QStringLiteral("参数--until只能与--orders同时使用!"));
    TRunRequest request = RunRequest(a);
    TMiniOptions& run = request.Options;
    QList<TLineRef> refs;
    if (a.Has("lines")) {
        refs = LineRefs(a);
        run.LackBills = lbChosen;
    } else {
        const QString orders = a.OneOf("orders", {QStringLiteral("all"), QStringLiteral("mo"), QStringLiteral("oo")}, QString());
        run.LackBills = orders == QLatin1String("mo") ? lbMOOnly : orders == QLatin1String("oo") ? lbOOOnly : lbOrdersAll;
        run.DelivDate = a.Date("until", QDate(1900, 1, 1), QDate(9999, 12, 31), QDate());
        run.AllDates = !run.DelivDate.isValid();
    }
    run.CurrentBom = a.Flag("current-bom");
    a.Finish();
    return RunAnalysis(options, a, mkLack, refs, request);
}

} // namespace kx::cli
