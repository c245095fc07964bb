#include "schemecommands.h"

#include "cliargs.h"
#include "clihost.h"
#include "db/errors.h"
#include "db/quote.h"
#include "db/strutils.h"
#include "engine/maindemand.h"
#include "engine/mainimport.h"
#include "workbench/schemeops.h"

#include <QElapsedTimer>

#include <limits>
#include <optional>

namespace kx::cli {

namespace {

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
    "  kxmrp scheme create --name 名称 [参数...]\n"
    "  kxmrp scheme update --scheme ID [--name 名称] [参数...]\n"
    "  kxmrp scheme copy --scheme ID --name 新名称 [--results] [参数...]\n"
    "  kxmrp scheme delete --scheme ID [--yes]\n"
    "  kxmrp scheme list\n"
    "  kxmrp scheme show --scheme ID\n"
    "参数: [--source 0-3] [--scope 0-8] [--calendar ID] [--from yyyy-mm-dd]\n"
    "      [--weeks 1-156 | --days 1-1096 | --months 1-36] [--safety 0-2] [--replace 0-3]\n"
    "      [--suites 0-3] [--track 0-5|9] [--item-track | --no-item-track] [--loss | --no-loss] [--lot | --no-lot]\n"
    "  创建、修改、复制和删除方案需要[MRP计划方案]的修改权限; 列出和查看的是用户自己的方案和发布给他的方案。\n"
    "  修改时只改给出的参数, 方案的状态随之而定, 与工作台保存方案时相同; 复制时 --results 同时复制运算结果\n"
    "  (仅当原方案已运算过MRP且主需求源相同或为导入排程); 删除须加 --yes 确认。\n"
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

// The parameters a command gives a scheme; what is not given stays as it is.
struct TSchemeOptions {
    std::optional<QString> Name;
    std::optional<int> Source, Scope, Safety, Replace, Suites, Track, Calendar;
    std::optional<bool> ItemTrack, Loss, Lot;
    std::optional<TPlanPeriods> Periods;

    void ApplyTo(TPlanScheme& s) const
    {
        s.SchemeName = Name.value_or(s.SchemeName);
        s.PlanSource = Source.value_or(s.PlanSource);
        s.PlanNeedScope = Scope.value_or(s.PlanNeedScope);
        s.CareItemSafety = Safety.value_or(s.CareItemSafety);
        s.CareItemReplace = Replace.value_or(s.CareItemReplace);
        s.CareItemSuites = Suites.value_or(s.CareItemSuites);
        s.CareMRPTrackMode = Track.value_or(s.CareMRPTrackMode);
        s.PlanCalIID = Calendar.value_or(s.PlanCalIID);
        s.CareItemMRPTrack = ItemTrack.value_or(s.CareItemMRPTrack);
        s.CareItemLossRate = Loss.value_or(s.CareItemLossRate);
        s.CareItemLotRule = Lot.value_or(s.CareItemLotRule);
        s.PlanPeriods = Periods.value_or(s.PlanPeriods);
    }
};

TSchemeOptions ReadSchemeOptions(TCliArgs& a, bool creating)
{
    TSchemeOptions o;
    auto number = [&a](const char* name, int min, int max, std::optional<int>& value) {
        if (a.Has(name))
            value = a.Int(name, min, max, 0);
    };
    if (creating)
        o.Name = a.Required("name", 100);
    else if (a.Has("name"))
        o.Name = a.Required("name", 100);
    number("source", 0, 3, o.Source);
    number("scope", 0, 8, o.Scope);
    number("safety", 0, 2, o.Safety);
    number("replace", 0, 3, o.Replace);
    number("suites", 0, 3, o.Suites);
    number("calendar", 0, std::numeric_limits<int>::max(), o.Calendar);
    if (a.Has("track"))
        o.Track = a.OneOf("track", {0, 1, 2, 3, 4, 5, 9}, 0);
    // A switch is turned on by --name and off by --no-name.
    auto flag = [&a](const char* on, const char* off, std::optional<bool>& value) {
        if (a.Flag(on))
            value = true;
        if (a.Flag(off))
            value = false;
    };
    flag("item-track", "no-item-track", o.ItemTrack);
    flag("loss", "no-loss", o.Loss);
    flag("lot", "no-lot", o.Lot);
    if (creating || a.Has("from") || a.Has("days") || a.Has("weeks") || a.Has("months"))
        o.Periods = HorizonOf(a);
    return o;
}

// The checks of the workbench's save, and those of the options together: a calendar that
// exists, safety stock for all items only with the global scope.
void CheckSchemeOptions(TCliHost& host, TCliArgs& a, const TPlanScheme& s, bool calendarGiven)
{
    if (s.CareItemSafety == 2 && s.PlanNeedScope != 0)
        a.RefuseValue("safety", QStringLiteral("2"), QStringLiteral("\"全部物料考虑\"只用于需求范围0(全局物料需求)"));
    if (calendarGiven && s.PlanCalIID != 0) {
        TQuery q(&host.Connection());
        q.SQL = QStringLiteral("select 1 from KX_MRP_Calendar where CalIID=%1").arg(SQLInt(s.PlanCalIID));
        q.Open();
        if (q.IsEmpty())
            a.RefuseValue("calendar", QString::number(s.PlanCalIID), QStringLiteral("工厂日历不存在"));
    }
    QString message;
    if (CheckSchemeForSave(host.Connection(), s, message) != sfNone)
        a.Refuse(message);
}

int SaveScheme(TPlanScheme& s, const TSchemeCopy* copy, const QString& sourceName)
{
    TConsoleProgress progress;
    if (!SaveSchemeWithData(s, copy, sourceName, progress))
        return esFailed;
    PrintScheme(s);
    return esDone;
}

int CreateScheme(const TConnectOptions& options, TCliArgs& a)
{
    TSchemeOptions o = ReadSchemeOptions(a, true);
    a.Finish();

    TCliHost host(options);
    host.RequireRight(QStringLiteral("KX_MRP.MRP"), QStringLiteral("Update"));
    TPlanScheme s(&host.Connection());
    if (!o.Calendar) {
        // Without --calendar the first factory calendar is taken.
        TQuery q(&host.Connection());
        q.SQL = QStringLiteral("select coalesce(min(CalIID), 0) from KX_MRP_Calendar");
        q.Open();
        s.PlanCalIID = q.Fields(0).AsInteger();
    }
    const bool calendarGiven = o.Calendar.has_value();
    o.ApplyTo(s);
    CheckSchemeOptions(host, a, s, calendarGiven);
    s.PlanState = DeriveSavedState(true, 0, {}, TSchemeParams::Of(s));
    return SaveScheme(s, nullptr, QString());
}

int UpdateScheme(const TConnectOptions& options, TCliArgs& a)
{
    const int iid = a.RequiredInt("scheme", 1, std::numeric_limits<int>::max());
    const TSchemeOptions o = ReadSchemeOptions(a, false);
    a.Finish();

    TCliHost host(options);
    std::unique_ptr<TPlanScheme> scheme = host.OpenScheme(iid, saMaintain);
    TPlanScheme& s = *scheme;
    if (s.PlanState >= psPublished)
        throw ECliRefusal(QStringLiteral("kxmrp scheme update: 计划方案[%1]当前状态为\"%2\", 不能修改!").arg(s.SchemeName, s.GetPlanStateText()),
                          esFailed);
    const TSchemeParams before = TSchemeParams::Of(s);
    o.ApplyTo(s);
    CheckSchemeOptions(host, a, s, o.Calendar.has_value());
    s.PlanState = DeriveSavedState(false, s.PlanState, before, TSchemeParams::Of(s));
    return SaveScheme(s, nullptr, QString());
}

int CopyScheme(const TConnectOptions& options, TCliArgs& a)
{
    const int iid = a.RequiredInt("scheme", 1, std::numeric_limits<int>::max());
    const bool results = a.Flag("results");
    const TSchemeOptions o = ReadSchemeOptions(a, true);
    a.Finish();

    TCliHost host(options);
    host.RequireRight(QStringLiteral("KX_MRP.MRP"), QStringLiteral("Update"));
    std::unique_ptr<TPlanScheme> source = host.OpenScheme(iid, saRead);
    TPlanScheme s(&host.Connection());
    AssignScheme(s, *source);
    s.SchemeIID = 0;
    o.ApplyTo(s);
    CheckSchemeOptions(host, a, s, o.Calendar.has_value());
    // Results come along only where the workbench would offer them.
    const TSchemeCopy copy{source->SchemeIID, results && CopyResultsAsked(source->MrpRunTime, source->PlanSource, s.PlanSource),
                           s.PlanSource};
    if (results && !copy.WithResults)
        Print(QStringLiteral("计划方案[%1]未运算过MRP或主需求源不同, 只复制主需求数据。").arg(source->SchemeName));
    s.PlanState = CopiedState(DeriveSavedState(false, source->PlanState, TSchemeParams::Of(*source), TSchemeParams::Of(s)), copy.WithResults);
    return SaveScheme(s, &copy, source->SchemeName);
}

int DeleteScheme(const TConnectOptions& options, TCliArgs& a)
{
    const int iid = a.RequiredInt("scheme", 1, std::numeric_limits<int>::max());
    const bool confirmed = a.Flag("yes");
    a.Finish();

    TCliHost host(options);
    std::unique_ptr<TPlanScheme> scheme = host.OpenScheme(iid, saMaintain);
    const TPlanScheme& s = *scheme;
    if (s.PlanState == psPublished || s.PlanState == psReleased)
        throw ECliRefusal(QStringLiteral("kxmrp scheme delete: 计划方案[%1]当前状态为\"%2\", 不能删除!").arg(s.SchemeName, s.GetPlanStateText()),
                          esFailed);
    const int released = s.PlanState == psReleaseClosed ? ReleasedSupplyCount(host.Connection(), iid) : 0;
    if (!confirmed) {
        Print(DeleteSchemeQuestion(s.SchemeName, s.PlanState, released));
        throw ECliRefusal(QStringLiteral("kxmrp scheme delete: 未加 --yes 确认, 计划方案没有删除。"), esFailed);
    }
    TConsoleProgress progress;
    DeleteSchemeData(host.Connection(), iid, s.SchemeName, progress);
    Print(QStringLiteral("计划方案[%1]已删除。").arg(s.SchemeName));
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
    static const QStringList kActions{QStringLiteral("create"), QStringLiteral("update"), QStringLiteral("copy"),
                                      QStringLiteral("delete"), QStringLiteral("list"), QStringLiteral("show")};
    if (kActions.contains(action)) {
        TCliArgs a(args.mid(1), QStringLiteral("scheme ") + action, usage);
        if (action == QLatin1String("show")) {
            const int iid = a.RequiredInt("scheme", 1, std::numeric_limits<int>::max());
            a.Finish();
            TCliHost host(options);
            PrintScheme(*host.OpenScheme(iid, saRead));
            return esDone;
        }
        if (action == QLatin1String("create"))
            return CreateScheme(options, a);
        if (action == QLatin1String("update"))
            return UpdateScheme(options, a);
        if (action == QLatin1String("copy"))
            return CopyScheme(options, a);
        if (action == QLatin1String("delete"))
            return DeleteScheme(options, a);
        return ListSchemes(options, a);
    }
    TCliArgs a(args, QStringLiteral("scheme"), usage);
    a.Refuse(action.isEmpty() ? QStringLiteral("缺少子命令(create, update, copy, delete, list, show)") : QStringLiteral("未知子命令 %1").arg(action.left(60)));
}

int RunMpsCommand(const TConnectOptions& options, QStringList args)
{
    static const char* const kUsage =
        "用法: kxmrp mps --scheme ID [--keep-free] [--keep-adj]\n"
        "       kxmrp mps --scheme ID --import 文件 [--type so|mo|free] [--merge]\n"
        "       kxmrp mps --scheme ID --copy-from ID [--merge] [--periods]\n"
        "  获取计划方案的主需求 (主需求源0-2), 或从CSV/xlsx文件导入、从其他计划方案复制主需求 (主需求源3\"(导入排程)\");\n"
        "  --keep-free/--keep-adj 保留自由需求/排程调整; --merge 同需求行覆盖, 否则追加 (缺省完全覆盖);\n"
        "  --periods 同时采用来源方案的展望期间 (仅与完全覆盖同用)。\n"
        "  需要[MRP计划方案]的修改权限, 且方案须是用户自己的。\n";
    TCliArgs a(args, QStringLiteral("mps"), QString::fromUtf8(kUsage));
    const int iid = a.RequiredInt("scheme", 1, std::numeric_limits<int>::max());
    const bool keepFree = a.Flag("keep-free");
    const bool keepAdj = a.Flag("keep-adj");
    const QString file = a.ExistingFile("import");
    const int copyFrom = a.Int("copy-from", 1, std::numeric_limits<int>::max(), 0);
    const bool periods = a.Flag("periods");
    if (!file.isNull() && copyFrom > 0)
        a.Refuse(QStringLiteral("参数--import和--copy-from只能给出一个!"));
    const bool importing = !file.isNull() || copyFrom > 0;
    if ((!importing && a.Has("merge")) || (file.isNull() && a.Has("type")))
        a.Refuse(QStringLiteral("参数--type和--merge只用于--import!"));
    if (periods && copyFrom == 0)
        a.Refuse(QStringLiteral("参数--periods只用于--copy-from!"));
    if (importing && (keepFree || keepAdj))
        a.Refuse(QStringLiteral("参数--keep-free和--keep-adj只用于获取主需求, 不能与--import或--copy-from同用!"));
    const QString type = a.OneOf("type", {QStringLiteral("so"), QStringLiteral("mo"), QStringLiteral("free")}, QStringLiteral("so"));
    const bool merge = a.Flag("merge");
    a.Finish();

    TCliHost host(options);
    std::unique_ptr<TPlanScheme> scheme = host.OpenScheme(iid, saMaintain);
    TPlanScheme& s = *scheme;
    if (importing != (s.PlanSource == srcImport))
        throw ECliRefusal(importing ? QStringLiteral("kxmrp mps: 计划方案[%1]的主需求从业务单据获取, 只有主需求源为\"(导入排程)\"的方案才能导入主需求!").arg(s.SchemeName)
                                    : QStringLiteral("kxmrp mps: 计划方案[%1]的主需求源为\"(导入排程)\", 请用--import或--copy-from获取主需求!").arg(s.SchemeName),
                          esFailed);
    TConsoleProgress progress;
    QElapsedTimer timer;
    timer.start();
    bool ok = false;
    if (!importing) {
        ok = s.RunMPS(keepFree, keepAdj, progress);
    } else if (copyFrom > 0) {
        // The source as the workbench's list offers it: one the user may read.
        host.OpenScheme(copyFrom, saRead);
        ok = CopyMPS(s, copyFrom, merge ? wtInsertOrUpdate : wtOverwriteAll, periods, progress);
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

} // namespace kx::cli
