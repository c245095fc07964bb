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
#include "masterdata/lossrate.h"

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
        Step(QStringLiteral("分析物料之间的依赖关系, 确定运算顺序..."));
        Levels = LowLevelCodes();
        for (int level = 0; level < Levels; ++level) {
            Step(QStringLiteral("运算第%1层（共%2层）物料需求计划...").arg(level + 1).arg(Levels));
            LevelItems(level);
            if (!GlobalScope())
                Gather(level);
            if (Scheme.CareItemSafety == 1)
                SafetyStock(level);
            PlanLevel(level);
            DeleteUnusedSupplies(level);
            Step(QStringLiteral("展开BOM, 准备下层物料毛需求..."), 1);
            Explode(level);
        }
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
        (void)Scheme.LoadState();
        return false;
    }
    try {
        DropRunTables();
    } catch (const EKxError&) {
    }
    return Scheme.Load(Scheme.SchemeIID);
}

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
    TTransaction transaction(Connection);
    Exec(QStringLiteral(
             "delete from KX_MRP_Demands where DmdSchIID=%1;\r"
             "delete from KX_MRP_Supplies where SupSchIID=%1;\r"
             "delete from KX_MRP_SupAdjusts where AdjSchIID=%1;\r"
             "delete from KX_MRP_Allots where AltSchIID=%1;\r"
             "delete from KX_MRP_DestAlters where DstSchIID=%1;\r"
             "delete from KX_MRP_Balance where BalSchIID=%1;\r"
             "delete from KX_MRP_RunLog where LogSchIID=%1;\r"
             "insert into KX_MRP_Demands (DmdSchIID, %2) select %1, %3 from tmp_KX_MRP_Demands")
             .arg(iid, demandColumns,
                  QString(demandColumns).replace(QStringLiteral("DmdBillNo,"), QStringLiteral("(case when DmdBillNo<>'' then DmdBillNo else "
                                                                                               "'D-'||DmdIID end),"))));
    Exec(QStringLiteral(
             "insert into KX_MRP_Supplies (SupSchIID, %2) select %1, %3 from tmp_KX_MRP_Supplies;\r"
             "insert into KX_MRP_SupAdjusts (AdjSchIID, AdjSupIID, AdjOldType, AdjOldBomID, AdjOldQty, AdjPending) "
             "select distinct on (AdjSupIID) %1, AdjSupIID, AdjOldType, AdjOldBomID, AdjOldQty, 0 from tmp_KX_MRP_SupAdjusts order by AdjSupIID;\r"
             "insert into KX_MRP_Allots (AltSchIID, AltIID, AltPeriod, AltSupIID, AltDmdIID, AltDate, AltAdjDays, AltTrack, AltQty, "
             "AltIsGrpx, AltIsRepl, AltReplQty) select %1, AltIID, AltPeriod, AltSupIID, AltDmdIID, AltDate, AltAdjDays, AltTrack, AltQty, "
             "AltIsGrpx, AltIsRepl, AltReplQty from tmp_KX_MRP_Allots;\r"
             "insert into KX_MRP_Balance (BalSchIID, %4) select %1, %4 from tmp_KX_MRP_Balance;\r"
             "update KX_MRP_Main as m set ManBillQty=x.ManBillQty, ManExeQty=x.ManExeQty, ManDedQty=x.ManDedQty, "
             "ManNeedQty=x.ManNeedQty, ManQty=x.ManQty, ManHints=x.ManHints from tmp_KX_MRP_MainX as x "
             "where m.ManSchIID=%1 and m.ManIID=x.ManIID;\r"
             "update KX_MRP_Schemes set SchState=%5, SchMrpCalIID=%6, SchMrpPeriods=%7, SchMrpRunTime=%8, SchMrpUpdTime=%9, "
             "SchMaxTime=localtimestamp where SchIID=%1;\r")
             .arg(iid, supplyColumns,
                  QString(supplyColumns).replace(QStringLiteral("SupBillNo,"), QStringLiteral("(case when SupBillNo<>'' then SupBillNo else "
                                                                                              "'S-'||SupIID end),")),
                  QStringLiteral("BalIID, BalGroupType, BalGroupNo, BalItmID, BalItmProps, BalItmProp1, BalItmProp2, BalItmProp3, "
                                 "BalItmProp4, BalItmProp5, BalItmProp6, BalItmProp7, BalItmProp8, BalItmProp9, BalItmProp10, BalForQty, "
                                 "BalSOQty, BalFreeQty, BalInvQty, BalPOQty, BalOOQty, BalMOQty, BalGInQty, BalRInQty, BalChkQty, "
                                 "BalPRQty, BalORQty, BalMRQty, BalSafeQty, BalOODQty, BalMODQty, BalGOutQty, BalROutQty, BalPOODQty, "
                                 "BalPMODQty, BalVirDQty, BalNetQty, BalQty, BalPPOQty, BalPOOQty, BalPMOQty, BalXQty, BalEndQty"),
                  SQLInt(psMRPDone), SQLInt(Scheme.MpsCalIID), QuotedStr(PlanPeriodsToText(Scheme.MpsPeriods)), SQLDateTime(RunTime),
                  AnyKeep() ? QStringLiteral("SchMrpUpdTime") : QStringLiteral("null")));
    Exec(QStringLiteral("insert into KX_MRP_RunLog (LogSchIID, LogIID, LogIndent, LogKind, LogText, LogTime) select %1, LogIID, LogIndent, "
                        "LogKind, LogText, LogTime from tmp_KX_MRP_RunLog").arg(iid));
    transaction.Commit();
}

bool TPlanScheme::RunMRP(bool keepSupplyType, bool keepSupplyBom, const TMRPLogEvent& log, IEngineProgress& progress, bool keepSupplyQty)
{
    if (PlanState < psMPSReady || PlanState >= psPublished) {
        ShowError(QStringLiteral("计划方案[%1]当前状态为\"%2\", 不能运算MRP!").arg(SchemeName, GetPlanStateText()));
        return false;
    }
    TMRPRun run(*this, keepSupplyType, keepSupplyBom, keepSupplyQty, log, progress);
    return run.Execute();
}

} // namespace kx
