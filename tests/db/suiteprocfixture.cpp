#include "suiteprocfixture.h"

#include "db/dataset.h"
#include "db/shared.h"
#include "engine/runtables.h"
#include "masterdata/itemsubs.h"

namespace kx::test {

namespace {

// Items (P made from A, fixed part F, sub-assembly S and skip-level part V; S made from C and D;
// X, Y, N substitutes; Q purchased in the master but made by its planning setting; K with a colour
// from a value list and a free second property), BOMs with dated lines and loss texts, local and
// global substitutes, suppliers with prices and supply sources, orders and a forecast.
const QString kFixture = QString::fromUtf8(R"sql(
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
)sql");

} // namespace

void TSuiteProcTest::SetUpTestSuite()
{
    TDatabaseTest::SetUpTestSuite();
    Exec(kFixture);
}

void TSuiteProcTest::CreateTables(std::initializer_list<QString> statements)
{
    for (const QString& statement : statements)
        Exec(statement);
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

namespace {

// A run table afresh, as the run creates it.
QString RunTable(const char* name)
{
    return QStringLiteral("drop table if exists %1;\r").arg(QLatin1String(name)) + RunTableStatement(QLatin1String(name));
}

} // namespace

const QString RefGetBOM = RunTable("tmp_KX_MRP_RefGetBOM");
const QString BOM = RunTable("tmp_KX_MRP_BOM");
const QString ItemLowestCode = RunTable("tmp_KX_MRP_ItemLowestCode");
const QString Demands = RunTable("tmp_KX_MRP_Demands");
const QString Supplies = RunTable("tmp_KX_MRP_Supplies");
const QString ItemInventory = RunTable("tmp_KX_MRP_ItemInventory");
const QString BOMHead = QString::fromUtf8(R"sql(
drop table if exists tmp_KX_MRP_BOMHead;
create temp table tmp_KX_MRP_BOMHead (
  BomType smallint, BomID varchar(50), BomNo varchar(80), BomItmID varchar(50), BomUntID varchar(50),
  BomOkRate numeric(28,8), BomIsDefault smallint, BomChecked smallint, BomVersion varchar(20),
  BomDate timestamp(3), BomBeginDate timestamp(3), BomEndDate timestamp(3), BomRemark varchar(500),
  BomProps varchar(100), BomProp1 varchar(80), BomProp2 varchar(80), BomProp3 varchar(80),
  BomProp4 varchar(80), BomProp5 varchar(80), BomProp6 varchar(80), BomProp7 varchar(80),
  BomProp8 varchar(80), BomProp9 varchar(80), BomProp10 varchar(80));
)sql");
const QString BOMCouples = RunTable("tmp_KX_MRP_BOMCouples");
const QString ItemSubsCouples = RunTable("tmp_KX_MRP_ItemSubsCouples");
const QString ItemSubsForMRPDemand = RunTable("tmp_KX_MRP_ItemSubsForMRPDemand");
const QString DemandRefItems = QString::fromUtf8(R"sql(
drop table if exists tmp_KX_MRP_DemandRefItems;
create temp table tmp_KX_MRP_DemandRefItems (
  SupIID int, DmdIID int, DmdItmID varchar(50) not null, DmdItmProps varchar(100) not null default '',
  DmdBomHook varchar(50), DmdDate timestamp(3));
)sql");
const QString ItemSubsForDemand = QString::fromUtf8(R"sql(
drop table if exists tmp_KX_MRP_ItemSubsForDemand;
create temp table tmp_KX_MRP_ItemSubsForDemand (
  SupIID int, DmdIID int, SubGlobal smallint, SubPriority int, SubItmID varchar(50),
  SubRItmID varchar(50), SubRProps varchar(100), SubRProp1 varchar(80), SubRProp2 varchar(80),
  SubRProp3 varchar(80), SubRProp4 varchar(80), SubRProp5 varchar(80), SubRProp6 varchar(80),
  SubRProp7 varchar(80), SubRProp8 varchar(80), SubRProp9 varchar(80), SubRProp10 varchar(80),
  SubQty numeric(28,8), SubRQty numeric(28,8), SubReplace smallint, SubBomType smallint,
  SubBomID varchar(50), SubBomNo varchar(80), SubBeginDate timestamp(3), SubEndDate timestamp(3),
  SubNote varchar(500));
)sql");
const QString RefItems = QString::fromUtf8(R"sql(
drop table if exists tmp_KX_MRP_RefItems;
drop table if exists tmp_KX_MRP_RefItemProps;
create temp table tmp_KX_MRP_RefItems (ItmID varchar(50) primary key, SubItmID varchar(50));
create temp table tmp_KX_MRP_RefItemProps (ItmID varchar(50) not null, ItmProps varchar(100) not null,
  SubItmID varchar(50), primary key (ItmID, ItmProps));
)sql");
const QString GetItemSubsList = QString::fromUtf8(kItemSubsListTable);
const QString BomRefItems = QString::fromUtf8(R"sql(
drop table if exists tmp_KX_MRP_BomRefItems;
create temp table tmp_KX_MRP_BomRefItems (BomItmID varchar(50), BomRowHook varchar(50));
)sql");
const QString ItemSubs = QString::fromUtf8(R"sql(
drop table if exists tmp_KX_MRP_ItemSubs;
create temp table tmp_KX_MRP_ItemSubs (
  BomRowHook varchar(50), SubGlobal smallint, SubPriority int, SubItmID varchar(50),
  SubItmProps varchar(100), SubRItmID varchar(50), SubRProps varchar(100),
  SubRProp1 varchar(80), SubRProp2 varchar(80), SubRProp3 varchar(80), SubRProp4 varchar(80),
  SubRProp5 varchar(80), SubRProp6 varchar(80), SubRProp7 varchar(80), SubRProp8 varchar(80),
  SubRProp9 varchar(80), SubRProp10 varchar(80), SubQty numeric(28,8), SubRQty numeric(28,8),
  SubReplace smallint, SubBeginDate timestamp(3), SubEndDate timestamp(3), SubNote varchar(500));
)sql");
const QString ItemSupplierDef = QString::fromUtf8(R"sql(
drop table if exists tmp_KX_MRP_ItemSupplierDef;
create temp table tmp_KX_MRP_ItemSupplierDef (ItmID varchar(50) primary key, POSuppID varchar(50), OOSuppID varchar(50));
)sql");
} // namespace tmp

} // namespace kx::test
