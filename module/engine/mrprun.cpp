// The MRP run of a plan scheme: the steps in order, the run log, and what a failure or an
// Esc leaves behind (nothing: the scheme's results and state change only in the final save).
#include "engine/mrprun_p.h"

#include "db/connection.h"
#include "db/copyrows.h"
#include "db/dataset.h"
#include "db/errors.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/settings.h"
#include "db/sqlrun.h"
#include "db/strutils.h"
#include "engine/progress.h"
#include "engine/schemelock.h"
#include "engine/schemestamp.h"
#include "engine/schemerows.h"
#include "masterdata/lossrate.h"

#include <QStringList>

#include <algorithm>
#include <iterator>
#include <optional>

namespace kx {

TMRPRun::TMRPRun(TPlanScheme& scheme, bool keepType, bool keepBom, bool keepQty, const TMRPLogEvent& log, IEngineProgress& progress)
    : Scheme(scheme), Connection(*scheme.Query().Connection), Progress(progress), KeepType(keepType), KeepBom(keepBom),
      KeepQty(keepQty), FLogEvent(log)
{
}

QString TMRPRun::Iid() const
{
    return SQLInt(Scheme.SchemeIID);
}

void TMRPRun::Exec(const QString& sql)
{
    Connection.Execute(sql);
}

const TItemPlanning& TMRPRun::ItemPlanning(QByteArrayView itemID)
{
    if (!FItemPlanningLoaded) {
        TQuery q(&Connection);
        q.SQL = QStringLiteral(
            "select coalesce(i.ItmID, t.ItmID), coalesce(nullif(t.ItmMrpType, 0), i.ItmType), coalesce(t.ItmMOBomSkip, 0), "
            "coalesce(t.ItmOOBomSkip, 0), coalesce(t.ItmMrpTrack, 0), coalesce(t.ItmMinQty, 0), coalesce(t.ItmLotQty, 0), "
            "coalesce(t.ItmMaxQty, 0), coalesce(t.ItmFixLeadTime, 0), coalesce(t.ItmVarLeadTime, 0), coalesce(t.ItmVarLeadLot, 0), "
            "coalesce(t.ItmPostLeadTime, 0), coalesce(t.ItmPreLeadTime, 0), coalesce(t.ItmPutInteger, 0), i.ItmDecimal, "
            "coalesce(t.ItmPOSuppID, ''), coalesce(t.ItmMODeptID, ''), coalesce(t.ItmOOSuppID, ''), coalesce(t.ItmSuitSkip, 0) "
            "from KX_Base_ItemMaster as i full join KX_MRP_ItemSetting as t on t.ItmID=i.ItmID");
        q.Open();
        FItemPlanning.reserve(q.RecordCount());
        for (int r = 0; r < q.RecordCount(); ++r) {
            int c = 1;
            auto i = [&]() { return q.IntAt(r, c++); };
            auto f = [&]() { return q.NumberAt(r, c++); };
            const QByteArrayView code = q.BytesAt(r, 0);
            TItemPlanning& t = FItemPlanning[std::string(code.data(), size_t(code.size()))];
            t.MrpType = i();
            t.MOBomSkip = i();
            t.OOBomSkip = i();
            t.Track = i();
            t.MinQty = f();
            t.LotQty = f();
            t.MaxQty = f();
            t.FixLeadTime = i();
            t.VarLeadTime = i();
            t.VarLeadLot = f();
            t.PostLeadTime = i();
            t.PreLeadTime = i();
            t.PutInteger = i() != 0;
            t.Decimal = i();
            t.POSuppID = q.TextAt(r, c++);
            t.MODeptID = q.TextAt(r, c++);
            t.OOSuppID = q.TextAt(r, c++);
            t.SuitSkip = i() != 0;
        }
        FItemPlanningLoaded = true;
    }
    static const TItemPlanning none;
    const auto it = FItemPlanning.find(std::string_view(itemID.data(), size_t(itemID.size())));
    return it == FItemPlanning.end() ? none : it->second;
}

void TMRPRun::Log(int kind, int indent, const QString& text)
{
    const QDateTime time = RunTime.isValid() ? RunTime.addMSecs(FClock.elapsed()) : QDateTime::currentDateTime();
    FLog.append({indent, kind, text.left(500), time});
    if (FLogEvent)
        FLogEvent(kind, indent, text, DateTimeToText(time) + QLatin1Char(' '));
}

void TMRPRun::Step(const QString& text, int indent)
{
    Log(rlStep, indent, text);
    Progress.ShowText(text);
    Progress.CheckAbort();
}

bool TMRPRun::Execute()
{
    FClock.start();
    try {
        TQuery q(&Connection);
        q.SQL = QStringLiteral("select localtimestamp(0) as \"RunTime\"");
        q.Open();
        RunTime = q.Fields(0).AsDateTime();
        Progress.ShowText(QStringLiteral("正在进行MRP运算, 按[Esc]键可以取消..."));
        // Demands are ordered by the date of their originating order when the system says
        // so; the shortage analysis never does.
        Scheme.DemandByOrigDate = Scheme.PlanType != 2 && ReadSettingBool(QStringLiteral("KX_MRP"), QStringLiteral("DemandOrderByOrigDate"), true, false);
        // The run works in the periods and on the calendar of the current main demand.
        if (Scheme.MpsPeriods.size() <= 2 || Scheme.PlanType == 2) {
            Scheme.MpsPeriods = Scheme.PlanPeriods;
            Scheme.MpsCalIID = Scheme.PlanCalIID;
        }
        if (Scheme.MpsPeriods.size() <= 2)
            throw EKxError(QStringLiteral("展望期间不能为空, 请设置!"));
        CreateRunTables();
        Step(QStringLiteral("获取物料最新需求及可供应数据..."));
        q.SQL = QStringLiteral("select LosType from KX_MRP_LossRateType");
        q.Open();
        SetLossRateType(!q.IsEmpty() && q.Fields(0).AsInteger() == 1);
        if (!LoadHolidays(q, Scheme.MpsCalIID, HorizonBegin(Scheme.MpsPeriods), Holidays))
            throw EKxError(QStringLiteral("工厂日历装载失败!"));
        GatherStartingData();
        IndexDemands();
        Step(QStringLiteral("分析物料之间的依赖关系, 确定运算顺序..."));
        Levels = LowLevelCodes();
        for (int level = 0; level < Levels; ++level) {
            Progress.ShowPosition(level + 1, Levels);
            Step(QStringLiteral("运算第%1层（共%2层）物料需求计划...").arg(level + 1).arg(Levels));
            // Gathered level by level: the level's item keys bring in their supplies, their
            // safety stock, and keep their unused supplies (LevelDemand).
            if (!GlobalScope()) {
                LevelItems(level);
                Gather(level);
            }
            if (Scheme.CareItemSafety == 1)
                SafetyStock(level);
            PlanLevel(level);
            Explode(level);
        }
        WriteDemandResults();
        Step(QStringLiteral("生成物料供需平衡表..."));
        BuildBalance();
        Step(QStringLiteral("计算各层需求的齐套数量..."));
        KitQuantities();
        Step(QStringLiteral("检查需求运算结果数据..."));
        CheckResults();
        Step(QStringLiteral("保存物料需求运算结果数据..."));
        SaveResults();
    } catch (const std::exception& e) {
        const auto* kxError = dynamic_cast<const EKxError*>(&e);
        const QString reason = kxError ? kxError->Message() : QString::fromUtf8(e.what());
        const QString text = QStringLiteral("MRP运算过程被中止（原因: %1）, 本次运算结果已取消!").arg(reason);
        Log(rlError, 0, text);
        ShowError(text);
        try {
            DropRunTables();
        } catch (const EKxError&) {
            // the connection failed: its temporary tables are gone with it
        }
        // Said once: when the connection is what failed, reading the state again fails too.
        (void)Scheme.LoadState(false);
        return false;
    }
    try {
        DropRunTables();
        AnalyseResults();
    } catch (const EKxError&) {
        // the results are saved; what is left undone here costs time, not data
    }
    return Scheme.Load(Scheme.SchemeIID);
}

namespace {

// A level result of a demand that came through the levels as it came in (no row among the
// results): its own date, quantity and hints, nothing allotted.
QString AsItCame(const QString& column)
{
    if (column == QLatin1String("DmdPeriod") || column == QLatin1String("DmdDate") || column == QLatin1String("DmdQty"))
        return QStringLiteral("d.") + column;
    if (column == QLatin1String("DmdHints"))
        return QStringLiteral("coalesce(d.DmdHints, '')");
    if (column == QLatin1String("DmdPDmdIID2"))
        return QStringLiteral("''");
    return QStringLiteral("0");
}

// The saved demand columns: the run table's row "d" with its level results and kit quantities,
// which come joined as one row "u", numbered "D-" when it has no bill number. Demands absent
// from the results and kit quantities are those with nothing to change (see
// WriteDemandResults and the kit step).
QString SavedDemandColumns()
{
    QStringList columns;
    for (const QString& c : QString::fromLatin1(kDemandColumns).split(QStringLiteral(", "))) {
        static const QStringList fromResults{
            QStringLiteral("DmdPeriod"), QStringLiteral("DmdDate"), QStringLiteral("DmdInvQty"), QStringLiteral("DmdMOQty"),
            QStringLiteral("DmdOOQty"), QStringLiteral("DmdPOQty"), QStringLiteral("DmdMRQty"), QStringLiteral("DmdORQty"),
            QStringLiteral("DmdPRQty"), QStringLiteral("DmdChkQty"), QStringLiteral("DmdPChkQty"), QStringLiteral("DmdGrpxQty"),
            QStringLiteral("DmdReplQty"), QStringLiteral("DmdPPPQty1"), QStringLiteral("DmdPPPQty2"), QStringLiteral("DmdPDmdIID1"),
            QStringLiteral("DmdPDmdIID2"), QStringLiteral("DmdQty"), QStringLiteral("DmdHints")};
        if (c == QLatin1String("DmdBillNo"))
            columns << QStringLiteral("(case when d.DmdBillNo<>'' then d.DmdBillNo else 'D-'||d.DmdIID end)");
        else if (c == QLatin1String("DmdBillDate"))
            columns << QStringLiteral("(case when u.DmdUnread=0 and d.DmdBillDate=d.DmdDate then u.DmdDate else d.DmdBillDate end)");
        else if (c == QLatin1String("DmdASetQty"))
            columns << QStringLiteral("(case when u.KitIID is null then 0 else u.KitQty end)");
        else if (c == QLatin1String("DmdASetRate"))
            columns << QStringLiteral("(case when u.KitIID is null then 0 else u.KitRate end)");
        else if (fromResults.contains(c))
            columns << QStringLiteral("(case when u.DmdIID is null then %2 when u.DmdUnread=1 then d.%1 else u.%1 end)").arg(c, AsItCame(c));
        else
            columns << QStringLiteral("d.") + c;
    }
    return columns.join(QStringLiteral(", "));
}

// The saved supply columns: the run table's row with its kit quantities, numbered "S-" when
// it has no bill number.
QString SavedSupplyColumns()
{
    QStringList columns;
    for (const QString& c : QString::fromLatin1(kSupplyColumns).split(QStringLiteral(", "))) {
        if (c == QLatin1String("SupBillNo"))
            columns << QStringLiteral("(case when s.SupBillNo<>'' then s.SupBillNo else 'S-'||s.SupIID end)");
        else if (c == QLatin1String("SupDSetQty") || c == QLatin1String("SupDSetRate"))
            columns << QStringLiteral("k.") + c;
        else if (std::any_of(std::begin(kNettedSupplyColumns), std::end(kNettedSupplyColumns),
                             [&](const char* netted) { return c == QLatin1String(netted); }))
            columns << NettedSupply(c);
        else
            columns << QStringLiteral("s.") + c;
    }
    return columns.join(QStringLiteral(", "));
}

} // namespace

namespace {

// The result tables a run replaces whole.
constexpr TSchemeTable kResultTables[] = {
    {"KX_MRP_Demands", "DmdSchIID"}, {"KX_MRP_Supplies", "SupSchIID"}, {"KX_MRP_Allots", "AltSchIID"}, {"KX_MRP_Balance", "BalSchIID"}};

} // namespace

void TMRPRun::SaveResults()
{
    Log(rlStep, 0, QStringLiteral("执行完成。"));
    {
        TCopyRows rows(Connection, QStringLiteral("tmp_KX_MRP_RunLog"), QStringLiteral("LogIndent, LogKind, LogText, LogTime"));
        for (const TRunLogLine& line : FLog)
            rows.Int(line.Indent).Int(line.Kind).Text(line.Text).Text(line.Time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"))).EndRow();
        rows.Finish();
    }
    const QString iid = Iid();
    const QString demandColumns = QString::fromLatin1(kDemandColumns);
    const QString supplyColumns = QString::fromLatin1(kSupplyColumns);
    const QString balanceColumns = QStringLiteral(
        "BalIID, BalGroupType, BalGroupNo, BalItmID, BalItmProps, BalItmProp1, BalItmProp2, BalItmProp3, BalItmProp4, BalItmProp5, "
        "BalItmProp6, BalItmProp7, BalItmProp8, BalItmProp9, BalItmProp10, BalForQty, BalSOQty, BalFreeQty, BalInvQty, BalPOQty, "
        "BalOOQty, BalMOQty, BalGInQty, BalRInQty, BalChkQty, BalPRQty, BalORQty, BalMRQty, BalSafeQty, BalOODQty, BalMODQty, "
        "BalGOutQty, BalROutQty, BalPOODQty, BalPMODQty, BalVirDQty, BalNetQty, BalQty, BalPPOQty, BalPOOQty, BalPMOQty, BalXQty, "
        "BalEndQty");
    const int scheme = Scheme.SchemeIID;
    TTransaction transaction(Connection);
    RecheckSchemeStamp(Connection, Scheme, Stamp);
    for (const TSchemeTable& t : kResultTables)
        Exec(SetAsideSchemeRows(t, scheme));
    // A demand's level results and kit quantities are joined to it at once: each join passes
    // on the whole wide row.
    Exec(QStringLiteral("insert into %1 (DmdSchIID, %2) select %3, %4 from tmp_KX_MRP_Demands as d left join "
                        "(select coalesce(u.DmdIID, k.KitIID) as IID, u.*, k.KitIID, k.KitQty, k.KitRate from tmp_KX_MRP_DmdUpdates as u "
                        "full join tmp_KX_MRP_KitUpdates as k on k.KitIID=u.DmdIID) as u on u.IID=d.DmdIID")
             .arg(SchemeRowsTable(kResultTables[0], scheme), demandColumns, iid, SavedDemandColumns()));
    Exec(QStringLiteral(
             "insert into %1 (SupSchIID, %2) select %3, %4 from tmp_KX_MRP_Supplies as s left join tmp_KX_MRP_SupKit as k on "
             "k.SupIID=s.SupIID left join tmp_KX_MRP_SupUpdates as u on u.SupIID=s.SupIID;\r"
             "insert into %5 (AltSchIID, AltIID, AltPeriod, AltSupIID, AltDmdIID, AltDate, AltAdjDays, AltTrack, AltQty, AltIsGrpx, "
             "AltIsRepl, AltReplQty) select %3, AltIID, AltPeriod, AltSupIID, AltDmdIID, AltDate, AltAdjDays, AltTrack, AltQty, "
             "AltIsGrpx, AltIsRepl, AltReplQty from tmp_KX_MRP_Allots;\r"
             "insert into %6 (BalSchIID, %7) select %3, %7 from tmp_KX_MRP_Balance")
             .arg(SchemeRowsTable(kResultTables[1], scheme), supplyColumns, iid, SavedSupplyColumns(),
                  SchemeRowsTable(kResultTables[2], scheme), SchemeRowsTable(kResultTables[3], scheme), balanceColumns));
    for (const TSchemeTable& t : kResultTables)
        Exec(SwapInSchemeRows(t, scheme));
    Exec(QStringLiteral(
             "delete from KX_MRP_SupAdjusts where AdjSchIID=%1;\r"
             "delete from KX_MRP_DestAlters where DstSchIID=%1;\r"
             "delete from KX_MRP_RunLog where LogSchIID=%1;\r"
             "insert into KX_MRP_SupAdjusts (AdjSchIID, AdjSupIID, AdjOldType, AdjOldBomID, AdjOldQty, AdjPending) "
             "select distinct on (AdjSupIID) %1, AdjSupIID, AdjOldType, AdjOldBomID, AdjOldQty, 0 from tmp_KX_MRP_SupAdjusts order by AdjSupIID;\r"
             "update KX_MRP_Schemes set SchState=%2, SchMrpCalIID=%3, SchMrpPeriods=%4, SchMrpRunTime=%5, SchMrpUpdTime=%6, "
             "SchMaxTime=localtimestamp where SchIID=%1;\r"
             "insert into KX_MRP_RunLog (LogSchIID, LogIID, LogIndent, LogKind, LogText, LogTime) select %1, LogIID, LogIndent, "
             "LogKind, LogText, LogTime from tmp_KX_MRP_RunLog")
             .arg(iid, SQLInt(psMRPDone), SQLInt(Scheme.MpsCalIID), QuotedStr(PlanPeriodsToText(Scheme.MpsPeriods)), SQLDateTime(RunTime),
                  AnyKeep() ? QStringLiteral("SchMrpUpdTime") : QStringLiteral("null")));
    transaction.Commit();
}

void TMRPRun::AnalyseResults()
{
    TTransaction transaction(Connection);
    Exec(AnalyseSchemeRows(kResultTables, int(std::size(kResultTables)), Scheme.SchemeIID));
    transaction.Commit();
}

bool TPlanScheme::RunMRP(bool keepSupplyType, bool keepSupplyBom, const TMRPLogEvent& log, IEngineProgress& progress, bool keepSupplyQty)
{
    TConnection& connection = *FPublicQuery.Connection;
    // One run of a scheme at a time, and nothing else rewriting its main demand or results
    // while it runs; then the scheme must still be as the planner saw it.
    std::optional<TSchemeLock> lock;
    TSchemeStamp stamp;
    try {
        lock.emplace(connection, SchemeIID, SchemeName, QStringLiteral("运算MRP"));
        const QDateTime mpsSeen = MpsRunTime;
        if (!CheckState())
            return false;
        stamp = ReadSchemeStamp(connection, *this);
        // Main demand fetched anew by another session comes with its own periods.
        if (MpsRunTime != mpsSeen && !Load(SchemeIID))
            return false;
    } catch (const EKxError& e) {
        ShowError(e.Message());
        return false;
    }
    if (PlanState < psMPSReady || PlanState >= psPublished) {
        ShowError(QStringLiteral("计划方案[%1]当前状态为\"%2\", 不能运算MRP!").arg(SchemeName, GetPlanStateText()));
        return false;
    }
    TMRPRun run(*this, keepSupplyType, keepSupplyBom, keepSupplyQty, log, progress);
    run.Stamp = stamp;
    return run.Execute();
}

} // namespace kx
