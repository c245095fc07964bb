#include "suiteprocfixture.h"

#include "db/dataset.h"
#include "db/shared.h"
#include "masterdata/itemsubs.h"

namespace kx::test {

namespace {

// Items (P made from A, fixed part F, sub-assembly S and skip-level part V; S made from C and D;
// X, Y, N substitutes; Q purchased in the master but made by its planning setting; K with a colour
// from a value list and a free second property), BOMs with dated lines and loss texts, local and
// global substitutes, suppliers with prices and supply sources, orders and a forecast.
const char* const kFixture = R"sql(
insert into KX_Base_Unit (UntID, UntNo, UntName, UntFactor, UntIsBase) values
  ('PCS', 'PCS', '个', 1, 1), ('BOX', 'BOX', '箱', 10, 0);
insert into KX_Base_Currency (CurID, CurNo, CurName, CurRate, CurIsHome) values
  ('CNY', 'CNY', '人民币', 1, 1), ('USD', 'USD', '美元', 7, 0);
insert into KX_Base_ItemMaster (ItmID, ItmNo, ItmName, ItmType, ItmUnitID, ItmHasProp1, ItmHasProp2) values
  ('P', 'P-100', '成品', 2, 'PCS', 0, 0),
  ('S', 'S-200', '半成品', 2, 'PCS', 0, 0),
  ('V', 'V-300', '跳层件', 2, 'PCS', 0, 0),
  ('A', 'A-400', '外购件', 1, 'PCS', 0, 0),
  ('F', 'F-500', '固定件', 1, 'PCS', 0, 0),
  ('C', 'C-600', '原料', 1, 'PCS', 0, 0),
  ('D', 'D-700', '辅料', 1, 'PCS', 0, 0),
  ('X', 'X-800', '局部替代料', 1, 'PCS', 0, 0),
  ('Y', 'Y-900', '全局替代料', 1, 'PCS', 0, 0),
  ('N', 'N-950', '不计划件', 1, 'PCS', 0, 0),
  ('Q', 'Q-960', '改自制件', 1, 'PCS', 0, 0),
  ('K', 'K-970', '颜色件', 1, 'PCS', 1, 1);
insert into KX_MRP_ItemSetting (ItmID, ItmMrpType, ItmMrpSkip, ItmPutLossType, ItmPutLossRate) values
  ('F', 0, 0, 1, ''), ('C', 0, 0, 2, '3%'), ('N', 0, 1, 0, ''), ('Q', 2, 0, 0, '');
update KX_Base_ItemPropDefs set PrdName = '颜色', PrdCheckList = 1 where PrdNo = 1;
insert into KX_Base_ItemPropValues (PvlPropNo, PvlValue, PvlDisabled) values (1, 'RED', 0), (1, 'BLUE', 1);

insert into KX_Bom_Head (BomID, BomType, BomNo, BomItmID, BomOkRate, BomIsDefault, BomChecked, BomDate, BomBeginDate, BomEndDate) values
  ('BP',  1, 'BOM-P',   'P', 80,  1, 1, '2023-01-01', null, null),
  ('BO',  2, 'ORD-P',   'P', 100, 0, 1, '2023-06-01', null, null),
  ('BS',  1, 'BOM-S',   'S', 100, 1, 1, '2023-01-01', null, '2024-12-31'),
  ('BS2', 1, 'BOM-S-25','S', 100, 0, 1, '2024-10-01', '2025-01-01', null),
  ('BV',  1, 'BOM-V',   'V', 50,  1, 1, '2023-01-01', null, null),
  ('BQ',  1, 'BOM-Q',   'Q', 100, 0, 0, '2023-01-01', null, null);
insert into KX_Bom_Line (BomID, BomEntry, BolRowHook, BolItmID, BolRole, BolFixed, BolUntID, BolUQty, BolUBaseQty,
                         BolQty, BolBaseQty, BolPercent, BolLossRate, BolPutLossRate, BolBeginDate, BolEndDate,
                         BolOffsetDay, BolBomType, BolBomID, BolBomLocked, BolBomSkip) values
  ('BP', 1, 'HA',  'A', 0, 0, 'PCS', 500, 100, 500, 100, 100, 0,   '2|100:2%|1000:1%+', null, null, 0, null, null, 0, 0),
  ('BP', 2, 'HF',  'F', 0, 1, 'PCS', 1,   1,   1,   1,   100, 5,   '',                  null, null, 0, null, null, 0, 0),
  ('BP', 3, 'HS',  'S', 0, 0, 'BOX', 0.1, 1,   1,   1,   100, 2.5, '',                  null, null, 2, 1, 'BS', 1, 0),
  ('BP', 4, 'HV',  'V', 0, 0, 'PCS', 2,   1,   2,   1,   50,  0,   '',                  null, null, 1, null, null, 0, 1),
  ('BP', 5, 'HW',  'D', 2, 0, 'PCS', 1,   1,   1,   1,   100, 0,   '',                  null, null, 0, null, null, 0, 0),
  ('BS', 1, 'HC',  'C', 0, 0, 'PCS', 3,   2,   3,   2,   100, 0,   '',                  null, '2024-06-30', 0, null, null, 0, 0),
  ('BS', 2, 'HD',  'D', 0, 0, 'PCS', 1,   1,   1,   1,   100, 0,   '',                  '2024-07-01', null, 0, null, null, 0, 0),
  ('BS2',1, 'HC2', 'C', 0, 0, 'PCS', 1,   1,   1,   1,   100, 0,   '',                  null, null, 0, null, null, 0, 0),
  ('BV', 1, 'HVD', 'D', 0, 0, 'PCS', 1,   1,   1,   1,   100, 0,   '',                  null, null, 3, null, null, 0, 0),
  ('BO', 1, 'HOA', 'A', 0, 0, 'PCS', 1,   1,   1,   1,   100, 0,   '',                  null, null, 0, null, null, 0, 0),
  ('BQ', 1, 'HQ',  'C', 0, 0, 'PCS', 1,   1,   1,   1,   100, 0,   '',                  null, null, 0, null, null, 0, 0);
insert into KX_Bom_ItemSubs (SubBomType, SubBomID, SubRowHook, SubItmID, SubSeq, SubRItmID, SubQty, SubRQty,
                             SubReplace, SubBeginDate, SubEndDate, SubNote) values
  (1, 'BP', 'HA', 'A', 1, 'X', 1, 2, 0, '2024-01-01', '2024-12-31', '局部'),
  (1, 'BP', 'HA', 'A', 2, 'N', 1, 1, 1, null, null, '不计划'),
  (null, null, null, 'C', 1, 'Y', 2, 1, 1, null, null, '全局'),
  (null, null, null, 'C', 2, 'X', 1, 1, 0, '2023-01-01', '2023-12-31', '过期');
insert into KX_Base_Department (DeptID, DeptNo, DeptName, DeptWorkShop) values ('W1', 'W1', '一车间', 1);
insert into KX_Base_Supplier (SuppID, SuppNo, SuppName, SuppPO, SuppOO, SuppDisabled) values
  ('S1', 'S01', '甲供应商', 1, 0, 0), ('S2', 'S02', '乙供应商', 1, 1, 0), ('S3', 'S03', '丙供应商', 1, 0, 1),
  ('O1', 'O01', '加工商', 0, 1, 0);
insert into KX_Base_SuppPrice (SprSuppID, SprItmID, SprKind, SprCurID, SprUntID, SprPrice, SprBeginDate, SprEndDate) values
  ('S1', 'A', 1, 'CNY', 'PCS', 10,  null, null),
  ('S2', 'A', 1, 'CNY', 'BOX', 95,  null, null),
  ('S3', 'A', 1, 'CNY', 'PCS', 1,   null, null),
  ('S1', 'A', 1, 'CNY', 'PCS', 5,   '2020-01-01', '2020-12-31'),
  ('S1', 'C', 1, 'USD', 'PCS', 2,   null, null),
  ('S2', 'C', 1, 'CNY', 'PCS', 13,  null, null),
  ('O1', 'S', 2, 'CNY', 'PCS', 30,  null, null),
  ('S2', 'S', 2, 'CNY', 'PCS', 20,  null, null);
insert into KX_Base_SuppItems (SpiSuppID, SpiItmID, SpiKind, SpiPriority) values
  ('S2', 'A', 1, 1), ('S1', 'A', 1, 2), ('S3', 'A', 1, 0), ('O1', 'S', 2, 1);
insert into KX_Bill_POHead (POID, PONo, PODate, POSuppID, POChecked) values
  ('PO1', 'PO-001', '2024-02-01', 'S2', 1), ('PO2', 'PO-002', '2024-03-01', 'S1', 1), ('PO3', 'PO-003', '2024-04-01', 'S2', 0);
insert into KX_Bill_POLine (POID, POEntry, POItmID, POUBillQty, POBillQty, PODelivDate) values
  ('PO1', 1, 'A', 10, 10, '2024-02-10'), ('PO2', 1, 'A', 10, 10, '2024-03-10'), ('PO3', 1, 'A', 10, 10, '2024-04-10'),
  ('PO1', 2, 'C', 10, 10, '2024-02-10');
insert into KX_Bill_OOHead (OOID, OONo, OODate, OOSuppID, OOChecked) values ('OO1', 'OO-001', '2024-01-15', 'O1', 1);
insert into KX_Bill_OOLine (OOID, OOEntry, OOItmID, OOUBillQty, OOBillQty, OODrawDate, OODelivDate) values
  ('OO1', 1, 'S', 5, 5, '2024-01-20', '2024-02-01');
insert into KX_Bill_ForHead (ForID, ForNo, ForDate) values ('F1', 'FC-001', '2024-01-05');
insert into KX_Bill_ForLine (ForID, ForEntry, ForItmID, ForUBillQty, ForBillQty, ForDelivDate) values
  ('F1', 1, 'P', 10, 10, '2024-02-01'), ('F1', 2, 'P', 20, 20, '2024-03-01');
)sql";

} // namespace

void TSuiteProcTest::SetUpTestSuite()
{
    TDatabaseTest::SetUpTestSuite();
    Exec(QString::fromUtf8(kFixture));
}

void TSuiteProcTest::CreateTables(std::initializer_list<const char*> statements)
{
    for (const char* statement : statements)
        Exec(QString::fromUtf8(statement));
}

QString TSuiteProcTest::Refusal(const QString& sql)
{
    try {
        SharedConnection().Execute(sql);
    } catch (const EDatabaseError& e) {
        return QStringLiteral("%1: %2").arg(e.Number()).arg(e.Message());
    }
    return QString();
}

namespace tmp {
const char* const RefGetBOM = R"sql(
drop table if exists tmp_KX_MRP_RefGetBOM;
create temp table tmp_KX_MRP_RefGetBOM (PrdID varchar(50), BomType smallint, BomID varchar(50));
create index on tmp_KX_MRP_RefGetBOM (PrdID, BomType, BomID);
)sql";
const char* const BOM = R"sql(
drop table if exists tmp_KX_MRP_BOM;
create temp table tmp_KX_MRP_BOM (
  BomType smallint, BomID varchar(50), BomNo varchar(80), BomPrdID varchar(50), BomPrdOkRate numeric(28,8),
  BomEntry int, BomItmID varchar(50) not null, BomProps varchar(100) not null default '',
  BomProp1 varchar(80), BomProp2 varchar(80), BomProp3 varchar(80), BomProp4 varchar(80), BomProp5 varchar(80),
  BomProp6 varchar(80), BomProp7 varchar(80), BomProp8 varchar(80), BomProp9 varchar(80), BomProp10 varchar(80),
  BomFixed smallint, BomQty numeric(28,8), BomBaseQty numeric(28,8), BomLossRate numeric(28,8),
  BomPutLossRate varchar(500), BomUntID varchar(50), BomUQty numeric(28,8), BomUBaseQty numeric(28,8),
  BomPercent numeric(28,8), BomRowHook varchar(50), BomBeginDate timestamp(3), BomEndDate timestamp(3),
  BomOffsetDay int, BomPosition varchar(500), BomPosNo varchar(500), BomStkID varchar(50), BomOperSeq varchar(50),
  BomOperID varchar(50), BomDrawType smallint, BomRole smallint, BomRoleName varchar(100), BomItmBomType smallint,
  BomItmBomID varchar(50), BomItmBomNo varchar(80), BomItmBomOkRate numeric(28,8), BomItmBomLocked smallint,
  BomItmBomSkip smallint, BomNote varchar(500), BomNote1 varchar(200), BomNote2 varchar(200), BomNote3 varchar(200));
create index on tmp_KX_MRP_BOM (BomType, BomID);
)sql";
const char* const ItemLowestCode = R"sql(
drop table if exists tmp_KX_MRP_ItemLowestCode;
create temp table tmp_KX_MRP_ItemLowestCode (ItmID varchar(50) primary key, LowestCode int);
)sql";
const char* const Demands = R"sql(
drop table if exists tmp_KX_MRP_Demands;
create temp table tmp_KX_MRP_Demands (
  DmdIID integer generated by default as identity primary key, DmdPeriod smallint not null,
  DmdBillType smallint, DmdBillID varchar(50), DmdBillNo varchar(80), DmdBillEntry integer, DmdBillDate timestamp(3),
  DmdBillQty numeric(28,8), DmdSuppID varchar(50), DmdDeptID varchar(50),
  DmdOrigType smallint, DmdOrigID varchar(50), DmdOrigNo varchar(80), DmdOrigEntry integer, DmdOrigItmID varchar(50),
  DmdOrigCustID varchar(50), DmdOrigCustPO varchar(80), DmdOrigTag varchar(80), DmdOrigSubTag varchar(80),
  DmdGroupType smallint not null default 0, DmdGroupNo varchar(100) not null default '',
  DmdItmID varchar(50) not null, DmdItmProps varchar(100) not null default '',
  DmdItmProp1 varchar(80), DmdItmProp2 varchar(80), DmdItmProp3 varchar(80), DmdItmProp4 varchar(80), DmdItmProp5 varchar(80),
  DmdItmProp6 varchar(80), DmdItmProp7 varchar(80), DmdItmProp8 varchar(80), DmdItmProp9 varchar(80), DmdItmProp10 varchar(80),
  DmdDate timestamp(3), DmdDayOffset integer, DmdPriority integer, DmdPSupIID integer, DmdUnitQty numeric(28,10),
  DmdNeedQty numeric(28,8) not null, DmdInvQty numeric(28,8), DmdMOQty numeric(28,8), DmdOOQty numeric(28,8),
  DmdPOQty numeric(28,8), DmdMRQty numeric(28,8), DmdORQty numeric(28,8), DmdPRQty numeric(28,8),
  DmdGrpxQty numeric(28,8), DmdReplQty numeric(28,8), DmdChkQty numeric(28,8), DmdPChkQty numeric(28,8),
  DmdASetQty numeric(28,8), DmdASetRate numeric(28,8), DmdPPPQty1 numeric(28,8), DmdPPPQty2 numeric(28,8),
  DmdPDmdIID1 integer, DmdPDmdIID2 varchar(1000), DmdQty numeric(28,8) not null, DmdBomHook varchar(50),
  DmdBomType smallint not null default 0, DmdBomID varchar(50), DmdNote varchar(500), DmdHints varchar(1000),
  DmdPHints varchar(1000),
  DmdBomLocked smallint, DmdBomSkip smallint);
)sql";
const char* const Supplies = R"sql(
drop table if exists tmp_KX_MRP_Supplies;
create temp table tmp_KX_MRP_Supplies (
  SupIID integer generated by default as identity primary key, SupPeriod smallint not null,
  SupBillType smallint, SupBillID varchar(50), SupBillNo varchar(80), SupBillEntry integer, SupBillDate timestamp(3),
  SupBillQty numeric(28,8), SupSuppID varchar(50), SupDeptID varchar(50),
  SupOrigType smallint, SupOrigID varchar(50), SupOrigNo varchar(80), SupOrigEntry integer, SupOrigItmID varchar(50),
  SupOrigCustID varchar(50), SupOrigCustPO varchar(80), SupOrigTag varchar(80), SupOrigSubTag varchar(80),
  SupGroupType smallint not null default 0, SupGroupNo varchar(100) not null default '',
  SupItmID varchar(50) not null, SupItmProps varchar(100) not null default '',
  SupItmProp1 varchar(80), SupItmProp2 varchar(80), SupItmProp3 varchar(80), SupItmProp4 varchar(80), SupItmProp5 varchar(80),
  SupItmProp6 varchar(80), SupItmProp7 varchar(80), SupItmProp8 varchar(80), SupItmProp9 varchar(80), SupItmProp10 varchar(80),
  SupDate timestamp(3), SupLeadDays integer, SupPriority integer, SupPDmdIID integer, SupAdjQty numeric(28,8),
  SupQty numeric(28,8) not null, SupChkQty numeric(28,8), SupAllotQty numeric(28,8), SupAGrpxQty numeric(28,8),
  SupAReplQty numeric(28,8), SupHasAdjDays smallint, SupRestQty numeric(28,8) not null, SupBomLocked smallint,
  SupBomType smallint not null default 0, SupBomID varchar(50), SupDrawDate timestamp(3), SupDSetQty numeric(28,8), SupDSetRate numeric(28,8),
  SupDestQty numeric(28,8), SupDester varchar(50), SupDestTime timestamp(3), SupNote varchar(500), SupHints varchar(1000),
  SupPHints varchar(1000), SupPDmdIIDs text, SupTrackKey varchar(200));
)sql";
const char* const ItemInventory = R"sql(
drop table if exists tmp_KX_MRP_ItemInventory;
create temp table tmp_KX_MRP_ItemInventory (
  InvItmID varchar(50), InvItmProps varchar(100),
  InvItmProp1 varchar(80), InvItmProp2 varchar(80), InvItmProp3 varchar(80), InvItmProp4 varchar(80), InvItmProp5 varchar(80),
  InvItmProp6 varchar(80), InvItmProp7 varchar(80), InvItmProp8 varchar(80), InvItmProp9 varchar(80), InvItmProp10 varchar(80),
  InvBatch varchar(80), InvOrigType integer, InvOrigID varchar(50), InvOrigNo varchar(80), InvOrigEntry integer,
  InvOrigItmID varchar(50), InvOrigCustID varchar(50), InvOrigCustPO varchar(80), InvOrigTag varchar(80),
  InvGroupType smallint, InvGroupNo varchar(100), InvQty numeric(28,8));
create index on tmp_KX_MRP_ItemInventory (InvItmID, InvItmProps, InvBatch);
)sql";
const char* const BOMHead = R"sql(
drop table if exists tmp_KX_MRP_BOMHead;
create temp table tmp_KX_MRP_BOMHead (
  BomType smallint, BomID varchar(50), BomNo varchar(80), BomItmID varchar(50), BomUntID varchar(50),
  BomOkRate numeric(28,8), BomIsDefault smallint, BomChecked smallint, BomVersion varchar(20),
  BomDate timestamp(3), BomBeginDate timestamp(3), BomEndDate timestamp(3), BomRemark varchar(500),
  BomProps varchar(100), BomProp1 varchar(80), BomProp2 varchar(80), BomProp3 varchar(80),
  BomProp4 varchar(80), BomProp5 varchar(80), BomProp6 varchar(80), BomProp7 varchar(80),
  BomProp8 varchar(80), BomProp9 varchar(80), BomProp10 varchar(80));
)sql";
const char* const BOMCouples = R"sql(
drop table if exists tmp_KX_MRP_BOMCouples;
create temp table tmp_KX_MRP_BOMCouples (PrdID varchar(50), ItmID varchar(50), ItmBomType smallint, ItmBomID varchar(50));
)sql";
const char* const ItemSubsCouples = R"sql(
drop table if exists tmp_KX_MRP_ItemSubsCouples;
create temp table tmp_KX_MRP_ItemSubsCouples (
  SubItmID varchar(50), SubRItmID varchar(50), SubPrdID varchar(50), SubBomType smallint, SubBomID varchar(50));
)sql";
const char* const ItemSubsForMRPDemand = R"sql(
drop table if exists tmp_KX_MRP_ItemSubsForMRPDemand;
create temp table tmp_KX_MRP_ItemSubsForMRPDemand (
  DmdIID int, SubGlobal smallint, SubPriority int, SubRItmID varchar(50), SubRProps varchar(100),
  SubQty numeric(18,8), SubRQty numeric(18,8), SubReplace smallint);
)sql";
const char* const DemandRefItems = R"sql(
drop table if exists tmp_KX_MRP_DemandRefItems;
create temp table tmp_KX_MRP_DemandRefItems (
  SupIID int, DmdIID int, DmdItmID varchar(50) not null, DmdItmProps varchar(100) not null default '',
  DmdBomHook varchar(50), DmdDate timestamp(3));
)sql";
const char* const ItemSubsForDemand = R"sql(
drop table if exists tmp_KX_MRP_ItemSubsForDemand;
create temp table tmp_KX_MRP_ItemSubsForDemand (
  SupIID int, DmdIID int, SubGlobal smallint, SubPriority int, SubItmID varchar(50),
  SubRItmID varchar(50), SubRProps varchar(100), SubRProp1 varchar(80), SubRProp2 varchar(80),
  SubRProp3 varchar(80), SubRProp4 varchar(80), SubRProp5 varchar(80), SubRProp6 varchar(80),
  SubRProp7 varchar(80), SubRProp8 varchar(80), SubRProp9 varchar(80), SubRProp10 varchar(80),
  SubQty numeric(28,8), SubRQty numeric(28,8), SubReplace smallint, SubBomType smallint,
  SubBomID varchar(50), SubBomNo varchar(80), SubBeginDate timestamp(3), SubEndDate timestamp(3),
  SubNote varchar(500));
)sql";
const char* const RefItems = R"sql(
drop table if exists tmp_KX_MRP_RefItems;
drop table if exists tmp_KX_MRP_RefItemProps;
create temp table tmp_KX_MRP_RefItems (ItmID varchar(50) primary key, SubItmID varchar(50));
create temp table tmp_KX_MRP_RefItemProps (ItmID varchar(50) not null, ItmProps varchar(100) not null,
  SubItmID varchar(50), primary key (ItmID, ItmProps));
)sql";
const char* const GetItemSubsList = kItemSubsListTable;
const char* const BomRefItems = R"sql(
drop table if exists tmp_KX_MRP_BomRefItems;
create temp table tmp_KX_MRP_BomRefItems (BomItmID varchar(50), BomRowHook varchar(50));
)sql";
const char* const ItemSubs = R"sql(
drop table if exists tmp_KX_MRP_ItemSubs;
create temp table tmp_KX_MRP_ItemSubs (
  BomRowHook varchar(50), SubGlobal smallint, SubPriority int, SubItmID varchar(50),
  SubItmProps varchar(100), SubRItmID varchar(50), SubRProps varchar(100),
  SubRProp1 varchar(80), SubRProp2 varchar(80), SubRProp3 varchar(80), SubRProp4 varchar(80),
  SubRProp5 varchar(80), SubRProp6 varchar(80), SubRProp7 varchar(80), SubRProp8 varchar(80),
  SubRProp9 varchar(80), SubRProp10 varchar(80), SubQty numeric(28,8), SubRQty numeric(28,8),
  SubReplace smallint, SubBeginDate timestamp(3), SubEndDate timestamp(3), SubNote varchar(500));
)sql";
const char* const ItemSupplierDef = R"sql(
drop table if exists tmp_KX_MRP_ItemSupplierDef;
create temp table tmp_KX_MRP_ItemSupplierDef (ItmID varchar(50) primary key, POSuppID varchar(50), OOSuppID varchar(50));
)sql";
} // namespace tmp

} // namespace kx::test
