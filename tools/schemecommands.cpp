#include "schemecommands.h"

#include "cliargs.h"
#include "clihost.h"
#include "db/errors.h"
#include "db/quote.h"
#include "db/strutils.h"
#include "engine/maindemand.h"
#include "engine/mainimport.h"

#include <QElapsedTimer>

#include <cstdio>
#include <limits>

namespace kx::cli {

namespace {

void Print(const QString& text)
{
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

// A text printed in a tab-separated line: its own tabs and line breaks would split it.
QString OneCell(const QString& text)
{
    QString cell = text;
    for (QChar& c : cell)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    return cell;
}

void PrintScheme(const TPlanScheme& s)
{
    auto time = [](const QDateTime& t) { return t.isValid() ? DateTimeToText(t) : QStringLiteral("-"); };
    Print(QStringLiteral("方案 %1: %2").arg(s.SchemeIID).arg(OneCell(s.SchemeName)));
    Print(QStringLiteral("  状态: %1 (%2)").arg(s.PlanState).arg(s.GetPlanStateText()));
    Print(QStringLiteral("  创建者: %1  创建: %2  更新: %3").arg(s.Creater, time(s.CreateTime), time(s.UpdateTime)));
    Print(QStringLiteral("  主需求源 %1, 需求范围 %2, 安全库存 %3, 物料替代 %4, 齐套 %5, 跟踪合并 %6%7%8%9")
              .arg(s.PlanSource).arg(s.PlanNeedScope).arg(s.CareItemSafety).arg(s.CareItemReplace).arg(s.CareItemSuites)
              .arg(s.CareMRPTrackMode)
              .arg(s.CareItemMRPTrack ? QStringLiteral(", 物料跟踪") : QString())
              .arg(s.CareItemLossRate ? QStringLiteral(", 损耗率") : QString())
              .arg(s.CareItemLotRule ? QStringLiteral(", 批量规则") : QString()));
    Print(QStringLiteral("  日历 %1, 展望期 %2 个: %3 至 %4")
              .arg(s.PlanCalIID).arg(qMax(0, int(s.PlanPeriods.size()) - 2))
              .arg(DateToText(HorizonBegin(s.PlanPeriods)), DateToText(HorizonEnd(s.PlanPeriods))));
    Print(QStringLiteral("  主需求: %1  MRP: %2").arg(time(s.MpsRunTime), time(s.MrpRunTime)));
}

const char* const kSchemeUsage =
    "用法:\n"
    "  kxmrp scheme create --name 名称 [--source 0-3] [--scope 0-8] [--calendar ID] [--from yyyy-mm-dd]\n"
    "                      [--weeks 1-156 | --days 1-1096 | --months 1-36] [--safety 0-2] [--replace 0-3]\n"
    "                      [--suites 0-3] [--track 0-5|9] [--item-track] [--loss] [--lot]\n"
    "  kxmrp scheme list\n"
    "  kxmrp scheme show --scheme ID\n"
    "  创建和修改方案需要[MRP计划方案]的修改权限; 列出和查看的是用户自己的方案和发布给他的方案。\n"
    "  --calendar 0 表示不用工厂日历 (每天都是工作日); 缺省为第一个工厂日历。\n"
    "  --safety 2 (全部物料考虑) 只用于 --scope 0 (全局物料需求)。\n";

// The horizon of a new scheme: at most one of --days, --weeks, --months, within three years.
TPlanPeriods HorizonOf(TCliArgs& a)
{
    const QDate from = a.Date("from", QDate(1900, 1, 1), QDate(9990, 12, 31), QDate::currentDate());
    struct TUnit {
        const char* Name;
        int Max;
    };
    static const TUnit kUnits[] = {{"days", 1096}, {"weeks", 156}, {"months", 36}};
    const char* unit = nullptr;
    int count = 12;
    for (const TUnit& u : kUnits) {
        if (!a.Has(u.Name))
            continue;
        if (unit)
            a.Refuse(QStringLiteral("参数--%1和--%2只能给出一个!").arg(QLatin1String(unit), QLatin1String(u.Name)));
        unit = u.Name;
        count = a.Int(u.Name, 1, u.Max, 12);
    }
    const QString unitName = unit ? QLatin1String(unit) : QStringLiteral("weeks");
    // Weeks begin on Mondays.
    const QDate begin = unitName == QLatin1String("weeks") ? from.addDays(1 - from.dayOfWeek()) : from;
    return ConsecutivePeriods(begin, count, unitName);
}

int CreateScheme(const TConnectOptions& options, TCliArgs& a)
{
    TPlanScheme s(nullptr);
    s.SchemeName = a.Required("name", 100);
    s.PlanSource = a.Int("source", 0, 3, srcForcastAndOrders);
    s.PlanNeedScope = a.Int("scope", 0, 8, 0);
    s.CareItemSafety = a.Int("safety", 0, 2, 1);
    if (s.CareItemSafety == 2 && s.PlanNeedScope != 0)
        a.RefuseValue("safety", QStringLiteral("2"), QStringLiteral("\"全部物料考虑\"只用于需求范围0(全局物料需求)"));
    s.CareItemReplace = a.Int("replace", 0, 3, 3);
    s.CareItemSuites = a.Int("suites", 0, 3, 0);
    s.CareMRPTrackMode = a.OneOf("track", {0, 1, 2, 3, 4, 5, 9}, 0);
    s.CareItemMRPTrack = a.Flag("item-track");
    s.CareItemLossRate = a.Flag("loss");
    s.CareItemLotRule = a.Flag("lot");
    const bool calendarGiven = a.Has("calendar");
    s.PlanCalIID = a.Int("calendar", 0, std::numeric_limits<int>::max(), 0);
    s.PlanPeriods = HorizonOf(a);
    a.Finish();

    TCliHost host(options);
    host.RequireRight(QStringLiteral("KX_MRP.MRP"), QStringLiteral("Update"));
    s.Query().Connection = &host.Connection();
    TQuery q(&host.Connection());
    if (!calendarGiven) {
        q.SQL = QStringLiteral("select coalesce(min(CalIID), 0) from KX_MRP_Calendar");
        q.Open();
        s.PlanCalIID = q.Fields(0).AsInteger();
    } else if (s.PlanCalIID != 0) {
        q.SQL = QStringLiteral("select 1 from KX_MRP_Calendar where CalIID=%1").arg(SQLInt(s.PlanCalIID));
        q.Open();
        if (q.IsEmpty())
            a.RefuseValue("calendar", QString::number(s.PlanCalIID), QStringLiteral("工厂日历不存在"));
    }
    q.SQL = QStringLiteral("select 1 from KX_MRP_Schemes where SchType=0 and SchName=%1 and SchUsrID=%2")
                .arg(QuotedStr(s.SchemeName), QuotedStr(host.UserID()));
    q.Open();
    if (!q.IsEmpty())
        a.Refuse(QStringLiteral("[%1]的值(%2)已经存在!").arg(QStringLiteral("方案名称"), s.SchemeName));
    s.PlanState = DeriveSavedState(true, 0, {}, TSchemeParams::Of(s));
    if (!s.Save())
        return esFailed;
    PrintScheme(s);
    return esDone;
}

int ListSchemes(const TConnectOptions& options, TCliArgs& a)
{
    a.Finish();
    TCliHost host(options);
    const TSchemeRights rights = TSchemeRights::Of(host.Catalogue().ObjectDef(QStringLiteral("KX_MRP.MRP")),
                                                   host.Catalogue().ObjectDef(QStringLiteral("KX_MRP.MRPQuery")));
    if (!rights.Reads)
        host.RequireRight(QStringLiteral("KX_MRP.MRP"));
    const QString& groups = host.Catalogue().UserGroups();
    QStringList conditions;
    if (rights.Maintains)
        conditions << SchemeListCondition(true, host.UserID(), groups);
    conditions << SchemeListCondition(false, host.UserID(), groups);
    TQuery q(&host.Connection());
    q.SQL = QStringLiteral("select SchIID, SchName, SchState, UsrName, SchMaxTime from KX_MRP_Schemes left join KX_SYS_Users "
                           "on SchUsrID=UsrID where SchType=0 and ((%1)) order by (case when SchState>=%2 then 1 else 0 end), "
                           "SchMaxTime desc")
                .arg(conditions.join(QStringLiteral(") or (")), SQLInt(psPublished));
    q.Open();
    for (q.First(); !q.Eof(); q.Next())
        Print(QStringLiteral("%1\t%2\t%3\t%4\t%5")
                  .arg(q.Fields(0).AsString(), OneCell(q.Fields(1).AsString()), TPlanScheme::PlanStateText(q.Fields(2).AsInteger()),
                       OneCell(q.Fields(3).AsString()), q.Fields(4).AsString()));
    return esDone;
}

} // namespace

int RunSchemeCommand(const TConnectOptions& options, QStringList args)
{
    const QString usage = QString::fromUtf8(kSchemeUsage);
    const QString action = args.value(0);
    if (action == QLatin1String("create") || action == QLatin1String("list") || action == QLatin1String("show")) {
        TCliArgs a(args.mid(1), QStringLiteral("scheme ") + action, usage);
        if (action == QLatin1String("show")) {
            const int iid = a.RequiredInt("scheme", 1, std::numeric_limits<int>::max());
            a.Finish();
            TCliHost host(options);
            PrintScheme(*host.OpenScheme(iid, saRead));
            return esDone;
        }
        return action == QLatin1String("create") ? CreateScheme(options, a) : ListSchemes(options, a);
    }
    TCliArgs a(args, QStringLiteral("scheme"), usage);
    a.Refuse(action.isEmpty() ? QStringLiteral("缺少子命令(create, list, show)") : QStringLiteral("未知子命令 %1").arg(action.left(60)));
}

int RunMpsCommand(const TConnectOptions& options, QStringList args)
{
    static const char* const kUsage =
        "用法: kxmrp mps --scheme ID [--keep-free] [--keep-adj]\n"
        "       kxmrp mps --scheme ID --import 文件 [--type so|mo|free] [--merge]\n"
        "  获取计划方案的主需求 (主需求源0-2), 或从CSV/xlsx文件导入主需求 (主需求源3\"(导入排程)\");\n"
        "  --keep-free/--keep-adj 保留自由需求/排程调整; --merge 同需求行覆盖, 否则追加 (缺省完全覆盖)。\n"
        "  需要[MRP计划方案]的修改权限, 且方案须是用户自己的。\n";
    TCliArgs a(args, QStringLiteral("mps"), QString::fromUtf8(kUsage));
    const int iid = a.RequiredInt("scheme", 1, std::numeric_limits<int>::max());
    const bool keepFree = a.Flag("keep-free");
    const bool keepAdj = a.Flag("keep-adj");
    const QString file = a.ExistingFile("import");
    const bool importing = !file.isNull();
    if (!importing && (a.Has("type") || a.Has("merge")))
        a.Refuse(QStringLiteral("参数--type和--merge只用于--import!"));
    if (importing && (keepFree || keepAdj))
        a.Refuse(QStringLiteral("参数--keep-free和--keep-adj只用于获取主需求, 不能与--import同用!"));
    const QString type = a.OneOf("type", {QStringLiteral("so"), QStringLiteral("mo"), QStringLiteral("free")}, QStringLiteral("so"));
    const bool merge = a.Flag("merge");
    a.Finish();

    TCliHost host(options);
    std::unique_ptr<TPlanScheme> scheme = host.OpenScheme(iid, saMaintain);
    TPlanScheme& s = *scheme;
    if (importing != (s.PlanSource == srcImport))
        throw ECliRefusal(importing ? QStringLiteral("kxmrp mps: 计划方案[%1]的主需求从业务单据获取, 只有主需求源为\"(导入排程)\"的方案才能导入主需求!").arg(s.SchemeName)
                                    : QStringLiteral("kxmrp mps: 计划方案[%1]的主需求源为\"(导入排程)\", 请用--import导入主需求!").arg(s.SchemeName),
                          esFailed);
    TConsoleProgress progress;
    QElapsedTimer timer;
    timer.start();
    bool ok = false;
    if (!importing) {
        ok = s.RunMPS(keepFree, keepAdj, progress);
    } else {
        const TMRPMainImportType importType = type == QLatin1String("mo") ? itImportMOorOO
                                            : type == QLatin1String("free") ? itImportFreeNeed
                                                                           : itImportSOorForcast;
        QList<TImportIssue> issues;
        // The rows refused are listed whether the import went on or not.
        auto printIssues = [&issues] {
            for (const TImportIssue& issue : issues)
                Print(QStringLiteral("第%1行: %2").arg(issue.Row).arg(QString(issue.Text).replace(QLatin1Char('\r'), QLatin1Char(' '))));
        };
        try {
            ok = ImportMainDemand(s, importType, ReadTableFile(file), merge ? wtInsertOrUpdate : wtOverwriteAll, progress, issues);
        } catch (const EKxError&) {
            printIssues();
            throw;
        }
        printIssues();
    }
    if (!ok)
        return esFailed;
    TQuery q(&host.Connection());
    q.SQL = QStringLiteral("select count(*), coalesce(sum(ManQty), 0) from KX_MRP_Main where ManSchIID=%1").arg(SQLInt(iid));
    q.Open();
    Print(QStringLiteral("主需求 %1 行, 计划数量合计 %2, 用时 %3 秒; 状态: %4")
              .arg(q.Fields(0).AsString(), FloatToText(q.Fields(1).AsFloat()))
              .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 2)
              .arg(s.GetPlanStateText()));
    return esDone;
}

int RunMrpCommand(const TConnectOptions& options, QStringList args)
{
    static const char* const kUsage =
        "用法: kxmrp run --scheme ID [--keep-type] [--keep-bom] [--keep-qty]\n"
        "  运算计划方案的MRP, 保留供应类型/BOM/数量的手工调整; 运算日志输出到标准输出。\n"
        "  需要[MRP计划方案]的修改权限, 且方案须是用户自己的。\n";
    TCliArgs a(args, QStringLiteral("run"), QString::fromUtf8(kUsage));
    const int iid = a.RequiredInt("scheme", 1, std::numeric_limits<int>::max());
    const bool keepType = a.Flag("keep-type");
    const bool keepBom = a.Flag("keep-bom");
    const bool keepQty = a.Flag("keep-qty");
    a.Finish();

    TCliHost host(options);
    std::unique_ptr<TPlanScheme> scheme = host.OpenScheme(iid, saMaintain);
    TConsoleProgress progress(false);
    QElapsedTimer timer;
    timer.start();
    const TMRPLogEvent log = [](int kind, int indent, const QString& text, const QString& time) {
        const char* mark = kind == 3 ? "错误 " : kind == 2 ? "警告 " : "";
        std::printf("%s%s%s%s\n", time.toUtf8().constData(), indent ? "    " : "", mark,
                    QString(text).replace(QLatin1Char('\r'), QStringLiteral("\n        ")).toUtf8().constData());
        std::fflush(stdout);
    };
    if (!scheme->RunMRP(keepType, keepBom, log, progress, keepQty)) {
        Print(QStringLiteral("用时 %1 秒; MRP运算未完成, 计划方案的结果和状态保持不变。").arg(double(timer.elapsed()) / 1000.0, 0, 'f', 2));
        return esFailed;
    }
    Print(QStringLiteral("用时 %1 秒; 状态: %2").arg(double(timer.elapsed()) / 1000.0, 0, 'f', 2).arg(scheme->GetPlanStateText()));
    return esDone;
}

} // namespace kx::cli
