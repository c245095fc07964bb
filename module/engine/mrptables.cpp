// The run's work tables: temporary tables of the scheme's connection, created afresh at the
// start of every run and dropped at its end, whatever the outcome.
#include "engine/mrprun_p.h"

#include "db/connection.h"

namespace kx {

namespace {

QString PropColumns(const char* prefix)
{
    QString text;
    for (int n = 1; n <= 10; ++n)
        text += QStringLiteral("%1%2 varchar(80), ").arg(QLatin1String(prefix)).arg(n);
    return text;
}

const char* const kRunTables[] = {
    "tmp_KX_MRP_RefGetBOM", "tmp_KX_MRP_RefGetBOM0", "tmp_KX_MRP_BOM", "tmp_KX_MRP_BOMCouples", "tmp_KX_MRP_Supplies",
    "tmp_KX_MRP_SupAdjusts", "tmp_KX_MRP_Demands", "tmp_KX_MRP_Allots", "tmp_KX_MRP_Balance", "tmp_KX_MRP_RunLog",
    "tmp_KX_MRP_ItemLowestCode", "tmp_KX_MRP_MainItems", "tmp_KX_MRP_CurLevelDmdItems", "tmp_KX_MRP_ItemInventory",
    "tmp_KX_MRP_ItemSubsForMRPDemand", "tmp_KX_MRP_ItemSubsCouples", "tmp_KX_MRP_MainOrigDates", "tmp_KX_MRP_LastSupAdjusts",
    "tmp_KX_MRP_MainX", "tmp_KX_MRP_SupUpdates", "tmp_KX_MRP_DmdUpdates", "tmp_KX_MRP_KitUpdates", "tmp_KX_MRP_SupKit",
    "tmp_KX_MRP_OrderComps",
};

} // namespace

const char* const kDemandColumns =
    "DmdIID, DmdPeriod, DmdBillType, DmdBillID, DmdBillNo, DmdBillEntry, DmdBillDate, DmdBillQty, DmdSuppID, DmdDeptID, "
    "DmdOrigType, DmdOrigID, DmdOrigNo, DmdOrigEntry, DmdOrigItmID, DmdOrigCustID, DmdOrigCustPO, DmdOrigTag, DmdOrigSubTag, "
    "DmdGroupType, DmdGroupNo, DmdItmID, DmdItmProps, DmdItmProp1, DmdItmProp2, DmdItmProp3, DmdItmProp4, DmdItmProp5, "
    "DmdItmProp6, DmdItmProp7, DmdItmProp8, DmdItmProp9, DmdItmProp10, DmdDate, DmdDayOffset, DmdPriority, DmdPSupIID, "
    "DmdUnitQty, DmdNeedQty, DmdInvQty, DmdMOQty, DmdOOQty, DmdPOQty, DmdMRQty, DmdORQty, DmdPRQty, DmdGrpxQty, DmdReplQty, "
    "DmdChkQty, DmdPChkQty, DmdASetQty, DmdASetRate, DmdPPPQty1, DmdPPPQty2, DmdPDmdIID1, DmdPDmdIID2, DmdQty, DmdBomHook, "
    "DmdBomType, DmdBomID, DmdNote, DmdHints, DmdPHints";

const char* const kSupplyColumns =
    "SupIID, SupPeriod, SupBillType, SupBillID, SupBillNo, SupBillEntry, SupBillDate, SupBillQty, SupSuppID, SupDeptID, "
    "SupOrigType, SupOrigID, SupOrigNo, SupOrigEntry, SupOrigItmID, SupOrigCustID, SupOrigCustPO, SupOrigTag, SupOrigSubTag, "
    "SupGroupType, SupGroupNo, SupItmID, SupItmProps, SupItmProp1, SupItmProp2, SupItmProp3, SupItmProp4, SupItmProp5, "
    "SupItmProp6, SupItmProp7, SupItmProp8, SupItmProp9, SupItmProp10, SupDate, SupLeadDays, SupPriority, SupPDmdIID, "
    "SupAdjQty, SupQty, SupChkQty, SupAllotQty, SupAGrpxQty, SupAReplQty, SupHasAdjDays, SupRestQty, SupBomLocked, "
    "SupBomType, SupBomID, SupDrawDate, SupDSetQty, SupDSetRate, SupDestQty, SupDester, SupDestTime, SupNote, SupHints, "
    "SupPHints, SupPDmdIIDs, SupTrackKey";

void TMRPRun::DropRunTables()
{
    QString sql = QStringLiteral("reset default_statistics_target;\rreset work_mem;\r");
    for (const char* table : kRunTables)
        sql += QStringLiteral("drop table if exists %1;\r").arg(QLatin1String(table));
    Exec(sql);
}

void TMRPRun::CreateRunTables()
{
    DropRunTables();
    FOrderComponentsLoaded = false;
    // The run's tables change size by orders of magnitude from level to level; the planner
    // sees it through statistics refreshed after each big change, which a small sample keeps
    // cheap.
    Exec(QStringLiteral("set default_statistics_target = 10"));
    // A run of a big factory holds hundreds of megabytes in its temporary tables and sorts a
    // level's demands at once: give the session room for both. The temporary buffers can only
    // grow before the session's first temporary table, so a session that had one keeps its size.
    Exec(QStringLiteral("set work_mem = '64MB';\r"
                        "do $$ begin perform set_config('temp_buffers', '512MB', false); "
                        "exception when others then null; end $$"));
    const QString q = QStringLiteral("numeric(28,8)");
    Exec(QStringLiteral(
             "create temp table tmp_KX_MRP_RefGetBOM (PrdID varchar(50), BomType smallint, BomID varchar(50));\r"
             "create index on tmp_KX_MRP_RefGetBOM (PrdID, BomType, BomID);\r"
             "create temp table tmp_KX_MRP_RefGetBOM0 (PrdID varchar(50), BomType smallint, BomID varchar(50));\r"
             "create temp table tmp_KX_MRP_BOM (BomType smallint, BomID varchar(50), BomNo varchar(80), BomPrdID varchar(50), "
             "BomPrdOkRate %1, BomEntry integer, BomItmID varchar(50) not null, BomProps varchar(100) not null default '', %2"
             "BomFixed smallint, BomQty %1, BomBaseQty %1, BomLossRate %1, BomPutLossRate varchar(500), BomUntID varchar(50), "
             "BomUQty %1, BomUBaseQty %1, BomPercent %1, BomRowHook varchar(50), BomBeginDate timestamp(3), BomEndDate timestamp(3), "
             "BomOffsetDay integer, BomPosition varchar(500), BomPosNo varchar(500), BomStkID varchar(50), BomOperSeq varchar(50), "
             "BomOperID varchar(50), BomDrawType smallint, BomRole smallint, BomRoleName varchar(100), BomItmBomType smallint, "
             "BomItmBomID varchar(50), BomItmBomNo varchar(80), BomItmBomOkRate %1, BomItmBomLocked smallint, "
             "BomItmBomSkip smallint, BomNote varchar(500), BomNote1 varchar(200), BomNote2 varchar(200), BomNote3 varchar(200));\r"
             "create index on tmp_KX_MRP_BOM (BomType, BomID);\r"
             "create temp table tmp_KX_MRP_BOMCouples (PrdID varchar(50), ItmID varchar(50), ItmBomType smallint, ItmBomID varchar(50));\r")
             .arg(q, PropColumns("BomProp")));
    Exec(QStringLiteral(
             "create temp table tmp_KX_MRP_Supplies (SupIID integer generated by default as identity primary key, "
             "SupPeriod smallint not null, SupBillType smallint, SupBillID varchar(50), SupBillNo varchar(80), SupBillEntry integer, "
             "SupBillDate timestamp(3), SupBillQty %1, SupSuppID varchar(50), SupDeptID varchar(50), SupOrigType smallint, "
             "SupOrigID varchar(50), SupOrigNo varchar(80), SupOrigEntry integer, SupOrigItmID varchar(50), SupOrigCustID varchar(50), "
             "SupOrigCustPO varchar(80), SupOrigTag varchar(80), SupOrigSubTag varchar(80), SupGroupType smallint not null default 0, "
             "SupGroupNo varchar(100) not null default '', SupItmID varchar(50) not null, SupItmProps varchar(100) not null default '', "
             "%2SupDate timestamp(3), SupLeadDays integer, SupPriority integer, SupPDmdIID integer, SupAdjQty %1, SupQty %1 not null, "
             "SupChkQty %1, SupAllotQty %1, SupAGrpxQty %1, SupAReplQty %1, SupHasAdjDays smallint, SupRestQty %1 not null, "
             "SupBomLocked smallint, SupBomType smallint not null default 0, SupBomID varchar(50), SupDrawDate timestamp(3), "
             "SupDSetQty %1, SupDSetRate %1, SupDestQty %1, SupDester varchar(50), SupDestTime timestamp(3), SupNote varchar(500), "
             "SupHints varchar(1000), SupPHints varchar(1000), SupPDmdIIDs text, SupTrackKey varchar(200));\r"
             "create index on tmp_KX_MRP_Supplies (SupBillType, SupBillID, SupBillEntry);\r"
             "create index on tmp_KX_MRP_Supplies (SupItmID);\r"
             "create temp table tmp_KX_MRP_SupAdjusts (AdjSupIID integer, AdjOldType integer, AdjOldBomID varchar(50), AdjOldQty %1);\r")
             .arg(q, PropColumns("SupItmProp")));
    Exec(QStringLiteral(
             // A demand row is written once and then updated in place once or twice (its BOM, its
             // parent link): room left on each page keeps those updates beside the row and out of
             // the indexes.
             "create temp table tmp_KX_MRP_Demands (DmdIID integer generated by default as identity primary key, "
             "DmdPeriod smallint not null, DmdBillType smallint, DmdBillID varchar(50), DmdBillNo varchar(80), DmdBillEntry integer, "
             "DmdBillDate timestamp(3), DmdBillQty %1, DmdSuppID varchar(50), DmdDeptID varchar(50), DmdOrigType smallint, "
             "DmdOrigID varchar(50), DmdOrigNo varchar(80), DmdOrigEntry integer, DmdOrigItmID varchar(50), DmdOrigCustID varchar(50), "
             "DmdOrigCustPO varchar(80), DmdOrigTag varchar(80), DmdOrigSubTag varchar(80), DmdGroupType smallint not null default 0, "
             "DmdGroupNo varchar(100) not null default '', DmdItmID varchar(50) not null, DmdItmProps varchar(100) not null default '', "
             "%2DmdDate timestamp(3), DmdDayOffset integer, DmdPriority integer, DmdPSupIID integer, DmdUnitQty numeric(28,10), "
             "DmdNeedQty %1 not null, DmdInvQty %1, DmdMOQty %1, DmdOOQty %1, DmdPOQty %1, DmdMRQty %1, DmdORQty %1, DmdPRQty %1, "
             "DmdGrpxQty %1, DmdReplQty %1, DmdChkQty %1, DmdPChkQty %1, DmdASetQty %1, DmdASetRate %1, DmdPPPQty1 %1, DmdPPPQty2 %1, "
             "DmdPDmdIID1 integer, DmdPDmdIID2 varchar(1000), DmdQty %1 not null, DmdBomHook varchar(50), "
             "DmdBomType smallint not null default 0, DmdBomID varchar(50), DmdNote varchar(500), DmdHints varchar(1000), "
             "DmdPHints varchar(1000), DmdBomLocked smallint, DmdBomSkip smallint) with (fillfactor = 70);\r"
             "create index on tmp_KX_MRP_Demands (DmdBillType, DmdBillID, DmdBillEntry);\r"
             "create index on tmp_KX_MRP_Demands (DmdItmID);\r")
             .arg(q, PropColumns("DmdItmProp")));
    Exec(QStringLiteral(
             "create temp table tmp_KX_MRP_Allots (AltIID integer generated by default as identity primary key, AltPeriod smallint, "
             "AltSupIID integer, AltDmdIID integer, AltDate timestamp(3), AltAdjDays integer, AltTrack smallint, AltQty %1, "
             "AltIsGrpx smallint, AltIsRepl smallint, AltReplQty %1);\r"
             "create index on tmp_KX_MRP_Allots (AltSupIID);\r"
             "create temp table tmp_KX_MRP_Balance (BalIID integer generated by default as identity primary key, "
             "BalGroupType smallint not null default 0, BalGroupNo varchar(100) not null default '', BalItmID varchar(50) not null, "
             "BalItmProps varchar(100) not null default '', %2"
             "BalForQty %1, BalSOQty %1, BalFreeQty %1, BalInvQty %1, BalPOQty %1, BalOOQty %1, BalMOQty %1, BalGInQty %1, "
             "BalRInQty %1, BalChkQty %1, BalPRQty %1, BalORQty %1, BalMRQty %1, BalSafeQty %1, BalOODQty %1, BalMODQty %1, "
             "BalGOutQty %1, BalROutQty %1, BalPOODQty %1, BalPMODQty %1, BalVirDQty %1, BalNetQty %1, BalQty %1, BalPPOQty %1, "
             "BalPOOQty %1, BalPMOQty %1, BalXQty %1, BalEndQty %1);\r"
             "create temp table tmp_KX_MRP_RunLog (LogIID integer generated by default as identity primary key, "
             "LogIndent smallint, LogKind smallint, LogText varchar(500), LogTime timestamp(3));\r"
             "create temp table tmp_KX_MRP_ItemLowestCode (ItmID varchar(50) primary key, LowestCode integer);\r"
             "create index on tmp_KX_MRP_ItemLowestCode (LowestCode);\r"
             "create temp table tmp_KX_MRP_MainItems (ManItmID varchar(50) not null, ManItmProps varchar(100) not null, "
             "ManGroupType smallint not null, ManGroupNo varchar(100) not null, primary key (ManItmID, ManItmProps, ManGroupType, ManGroupNo));\r"
             "create temp table tmp_KX_MRP_CurLevelDmdItems (DmdItmID varchar(50) not null, DmdItmProps varchar(100) not null, "
             "DmdGroupType smallint not null, DmdGroupNo varchar(100) not null, "
             "primary key (DmdItmID, DmdItmProps, DmdGroupType, DmdGroupNo));\r"
             "create temp table tmp_KX_MRP_ItemInventory (InvItmID varchar(50), InvItmProps varchar(100), %3"
             "InvBatch varchar(80), InvOrigType smallint, InvOrigID varchar(50), InvOrigNo varchar(80), InvOrigEntry integer, "
             "InvOrigItmID varchar(50), InvOrigCustID varchar(50), InvOrigCustPO varchar(80), InvOrigTag varchar(80), "
             "InvGroupType smallint, InvGroupNo varchar(100), InvQty %1);\r"
             "create index on tmp_KX_MRP_ItemInventory (InvItmID, InvItmProps, InvBatch);\r"
             "create temp table tmp_KX_MRP_ItemSubsForMRPDemand (DmdIID integer, SubGlobal smallint, SubPriority integer, "
             "SubRItmID varchar(50), SubRProps varchar(100), SubQty numeric(18,8), SubRQty numeric(18,8), SubReplace smallint);\r"
             "create temp table tmp_KX_MRP_ItemSubsCouples (SubItmID varchar(50), SubRItmID varchar(50), SubPrdID varchar(50), "
             "SubBomType smallint, SubBomID varchar(50));\r"
             "create temp table tmp_KX_MRP_MainOrigDates (ManBillType integer, ManBillID varchar(50), ManBillDate timestamp(3));\r"
             "create index on tmp_KX_MRP_MainOrigDates (ManBillType, ManBillID);\r")
             .arg(q, PropColumns("BalItmProp"), PropColumns("InvItmProp")));
    // Previous adjustments of this scheme that the run applies again (none without a keep flag).
    Exec(QStringLiteral("create temp table tmp_KX_MRP_LastSupAdjusts as select SupItmID, SupItmProps, SupGroupType, SupGroupNo, "
                        "SupTrackKey, SupBillType, SupBomType, SupBomID, SupAdjQty from KX_MRP_SupAdjusts join KX_MRP_Supplies "
                        "on AdjSchIID=SupSchIID and AdjSupIID=SupIID where AdjSchIID=%1%2;\r"
                        "create index on tmp_KX_MRP_LastSupAdjusts (SupItmID, SupItmProps);\r")
             .arg(Iid(), AnyKeep() ? QString() : QStringLiteral(" and 1=0")));
    // Write-back staging: rows streamed in and applied with one statement each.
    Exec(QStringLiteral(
             "create temp table tmp_KX_MRP_SupUpdates (SupIID integer primary key, SupAllotQty %1, SupAReplQty %1, SupRestQty %1, "
             "SupChkAllot %1, SupHints varchar(1000));\r"
             "create temp table tmp_KX_MRP_DmdUpdates (DmdIID integer primary key, DmdPeriod smallint, DmdDate timestamp(3), "
             "DmdInvQty %1, DmdMOQty %1, DmdOOQty %1, DmdPOQty %1, DmdMRQty %1, DmdORQty %1, DmdPRQty %1, DmdChkQty %1, "
             "DmdPChkQty %1, DmdGrpxQty %1, DmdReplQty %1, DmdPPPQty1 %1, DmdPPPQty2 %1, DmdPDmdIID1 integer, "
             "DmdPDmdIID2 varchar(1000), DmdQty %1, DmdHints varchar(1000));\r"
             "create temp table tmp_KX_MRP_SupKit (SupIID integer primary key, SupDSetQty %1, SupDSetRate %1);\r"
             "create temp table tmp_KX_MRP_KitUpdates (KitIID integer primary key, KitQty %1, KitRate %1);\r")
             .arg(q));
}

} // namespace kx
