#include "db/errors.h"
#include "db/shared.h"
#include "demofactory.h"
#include "generator.h"

#include "bomchecks.h"
#include "testdatabase.h"

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::suite;
using namespace kx::test;

namespace {

// Checksums over the generated content of the key tables (no time stamps, no identity columns).
const char* const kChecksums[] = {
    "select md5(string_agg(concat_ws('|', ItmID, ItmNo, ItmName, ItmType, ItmUnitID, ItmHasProp1, ItmStdPrice), ',' order by ItmID))"
    " from KX_Base_ItemMaster",
    "select md5(string_agg(concat_ws('|', BomID, BomEntry, BolItmID, BolQty, BolLossRate), ',' order by BomID, BomEntry)) from KX_Bom_Line",
    "select md5(string_agg(concat_ws('|', SubBomID, SubRowHook, SubItmID, SubRItmID, SubReplace), ',' order by SubItmID, SubRowHook))"
    " from KX_Bom_ItemSubs",
    "select md5(string_agg(concat_ws('|', InvItmID, InvItmProps, InvBatch, InvStkID, InvQty, InvInDate), ','"
    " order by InvItmID, InvItmProps, InvBatch, InvStkID)) from KX_Stk_Inventory",
    "select md5(string_agg(concat_ws('|', ForID, ForEntry, ForItmID, ForItmProps, ForBillQty, ForOkQty, ForDelivDate), ','"
    " order by ForID, ForEntry)) from KX_Bill_ForLine",
    "select md5(string_agg(concat_ws('|', SOID, SOEntry, SOItmID, SOItmProps, SOBillQty, SODelivDate, SOForcastID), ','"
    " order by SOID, SOEntry)) from KX_Bill_SOLine",
    "select md5(string_agg(concat_ws('|', MOID, MobEntry, MobItmID, MobBillQty, MobOkQty), ',' order by MOID, MobEntry)) from KX_Bill_MOBom",
    "select md5(string_agg(concat_ws('|', POID, POEntry, POItmID, POBillQty, PORecvQty, PODelivDate), ',' order by POID, POEntry))"
    " from KX_Bill_POLine",
};

TGenParams SmallCase(quint64 seed, bool replace)
{
    TGenParams params = GenSizeParams(QStringLiteral("S"));
    params.Seed = seed;
    params.Replace = replace;
    return params;
}

qint64 RowsOf(const TGenReport& report, const QStringList& tables)
{
    qint64 rows = 0;
    for (const TGenTableRows& t : report.Tables)
        if (tables.contains(t.Table))
            rows += t.Rows;
    return rows;
}

} // namespace

TEST(GeneratorParams, SizesAndOptions)
{
    const TGenParams large = GenSizeParams(QStringLiteral("l"));
    EXPECT_EQ(large.Items, 50000);
    EXPECT_EQ(large.Levels, 8);
    EXPECT_EQ(large.Orders, 200000);
    EXPECT_EQ(large.Supplies, 100000);
    const TGenParams medium = GenSizeParams(QStringLiteral("M"));
    EXPECT_EQ(medium.Items, 5000);
    EXPECT_EQ(medium.Orders, 20000);
    EXPECT_EQ(medium.Supplies, 10000);
    EXPECT_EQ(GenSizeParams(QStringLiteral("S")).Items, 500);
    try {
        GenSizeParams(QStringLiteral("XL"));
        ADD_FAILURE() << "size XL accepted";
    } catch (const EKxError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("未知的数据规模: XL (可选 S, M, L)"));
    }

    // Made to order: shallower BOMs, a tenth as many demand lines, each ten times as large.
    const TGenParams toOrder = GenSizeParams(QStringLiteral("M"), gpMakeToOrder);
    EXPECT_EQ(toOrder.Items, 5000);
    EXPECT_EQ(toOrder.Levels, 4);
    EXPECT_EQ(toOrder.Fanout, 6);
    EXPECT_EQ(toOrder.Orders, 600);
    EXPECT_EQ(toOrder.QtyScale, 10);
}

TEST(GeneratorParams, ImpossibleParametersAreRefusedWithTheirReason)
{
    struct {
        int Items, Levels, Fanout, Orders, Supplies, Horizon;
        const char* Refusal;
    } const cases[] = {
        {500, 8, 5, 2000, 1000, 180, ""},
        {500, 0, 5, 2000, 1000, 180, "BOM层数(--levels 0)必须在1到36之间!"},
        {500, 37, 1, 2000, 1000, 180, "BOM层数(--levels 37)必须在1到36之间!"},
        {500, 36, 1, 2000, 1000, 180, ""},
        {500, 30, 5, 2000, 1000, 180, "BOM层数(--levels 30)与子件数(--fanout 5)过多: 逐层展开的需求单号将长达97个字符, 超过单号的80个字符!"},
        {0, 8, 5, 2000, 1000, 180, "物料数(--items 0)必须在1到5000000之间!"},
        {7, 8, 5, 2000, 1000, 180, "物料数(--items 7)不能少于BOM层数(--levels 8)!"},
        {500, 8, 0, 2000, 1000, 180, "BOM子件数(--fanout 0)必须在1到200之间!"},
        {100, 8, 40, 2000, 1000, 180, "BOM子件数(--fanout 40)超过了最底层的物料数(28), 请减少子件数或增加物料数!"},
        {100, 8, 28, 2000, 1000, 180, ""},
        {500, 8, 5, -1, 1000, 180, "需求行数(--orders -1)必须在0到50000000之间!"},
        {500, 8, 5, 2000, -5, 180, "供应行数(--supplies -5)必须在0到50000000之间!"},
        {500, 8, 5, 2000, 1000, 0, "计划展望天数(--horizon 0)必须在1到3660之间!"},
        // One level: trading goods only, no BOMs, so the fan-out does not matter.
        {10, 1, 0, 20, 10, 30, ""},
    };
    for (const auto& c : cases) {
        TGenParams p;
        p.Items = c.Items;
        p.Levels = c.Levels;
        p.Fanout = c.Fanout;
        p.Orders = c.Orders;
        p.Supplies = c.Supplies;
        p.Horizon = c.Horizon;
        EXPECT_EQ(CheckGenParams(p), QString::fromUtf8(c.Refusal)) << c.Items << " " << c.Levels << " " << c.Fanout;
    }
}

class Generator : public TDatabaseTest {
protected:
    static QStringList Checksums()
    {
        QStringList sums;
        for (const char* sql : kChecksums)
            sums << Scalar(QLatin1String(sql)).toString();
        return sums;
    }
};

TEST_F(Generator, SameSeedSameCaseOtherSeedOtherCase)
{
    const TGenReport first = GenerateData(SharedConnection(), SmallCase(7, false));
    const QStringList sums = Checksums();
    // Exactly the demand and supply lines asked for.
    EXPECT_EQ(RowsOf(first, {QStringLiteral("KX_Bill_ForLine"), QStringLiteral("KX_Bill_SOLine"), QStringLiteral("KX_Bill_SILine")}), 2000);
    EXPECT_EQ(RowsOf(first, {QStringLiteral("KX_Bill_MOLine"), QStringLiteral("KX_Bill_OOLine"), QStringLiteral("KX_Bill_POLine"),
                             QStringLiteral("KX_Bill_PILine"), QStringLiteral("KX_Bill_PRLine"), QStringLiteral("KX_Bill_MRLine"),
                             QStringLiteral("KX_Bill_ORLine")}),
              1000);
    EXPECT_EQ(RowsOf(first, {QStringLiteral("KX_Base_ItemMaster")}), 500);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_Bill_SOLine")).toInt(), 1000);

    const TGenReport again = GenerateData(SharedConnection(), SmallCase(7, true));
    EXPECT_EQ(Checksums(), sums);
    EXPECT_EQ(again.TotalRows(), first.TotalRows());
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_Base_ItemMaster")).toInt(), 500);

    GenerateData(SharedConnection(), SmallCase(8, true));
    const QStringList other = Checksums();
    for (int i = 1; i < other.size(); ++i)     // the item master differs only in types and prices
        EXPECT_NE(other[i], sums[i]) << kChecksums[i];
}

TEST_F(Generator, BomsAreAcyclicWithComponentsOnlyFromDeeperLevels)
{
    GenerateData(SharedConnection(), SmallCase(3, true));
    // Items carry their level in the class (GCL0 .. GCL7).
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_Bom_Head as h join KX_Bom_Line as l on l.BomID = h.BomID"
                                    " join KX_Base_ItemMaster as p on p.ItmID = h.BomItmID join KX_Base_ItemMaster as c on c.ItmID = l.BolItmID"
                                    " where substr(c.ItmClsID, 4)::integer <= substr(p.ItmClsID, 4)::integer"))
                  .toInt(),
              0);
    EXPECT_EQ(Scalar(QLatin1String(kBomLoopCount)).toInt(), 0);
    // Eight levels deep, every item below the finished ones used by some BOM, shared components,
    // and substitutes that stay on their item's level.
    EXPECT_EQ(Scalar(QString::fromLatin1(kBomDepthBelow).arg(QStringLiteral("i.ItmClsID = 'GCL0'"))).toInt(), 7);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_Base_ItemMaster as i where i.ItmClsID <> 'GCL0'"
                                    " and not exists (select 1 from KX_Bom_Line as l where l.BolItmID = i.ItmID)"))
                  .toInt(),
              0);
    EXPECT_GT(Scalar(QStringLiteral("select count(*) from (select BolItmID from KX_Bom_Line group by BolItmID having count(*) > 1) as t")).toInt(),
              50);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_Bom_ItemSubs as s join KX_Base_ItemMaster as a on a.ItmID = s.SubItmID"
                                    " join KX_Base_ItemMaster as b on b.ItmID = s.SubRItmID where a.ItmClsID <> b.ItmClsID or b.ItmType = 4"))
                  .toInt(),
              0);
    EXPECT_GT(Scalar(QStringLiteral("select count(*) from KX_Bom_ItemSubs")).toInt(), 0);
    // Only made, outsourced and phantom items have BOMs; the deepest level is bought.
    EXPECT_EQ(Scalar(QStringLiteral("select string_agg(distinct i.ItmType::text, ',') from KX_Bom_Head as h join KX_Base_ItemMaster as i"
                                    " on i.ItmID = h.BomItmID"))
                  .toString(),
              QStringLiteral("2,3,4"));
    EXPECT_EQ(Scalar(QStringLiteral("select string_agg(distinct ItmType::text, ',') from KX_Base_ItemMaster where ItmClsID = 'GCL7'")).toString(),
              QStringLiteral("1"));
}

TEST_F(Generator, RefusesADatabaseWithDataUnlessReplacing)
{
    GenerateData(SharedConnection(), SmallCase(1, true));
    LoadDemoFactory(SharedConnection());
    const int rows = Scalar(QStringLiteral("select count(*) from KX_Base_ItemMaster")).toInt();
    try {
        GenerateData(SharedConnection(), SmallCase(2, false));
        ADD_FAILURE() << "generated into a database with data";
    } catch (const EKxError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("数据库中已有数据(表KX_Base_UnitGroup), 生成数据未写入; 加 --replace 可先清空生成器写入的各表!"));
    }
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_Base_ItemMaster")).toInt(), rows);

    // Replacing empties the demo's master data and bills too; its logins stay, without employee.
    GenerateData(SharedConnection(), SmallCase(2, true));
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_Base_ItemMaster where ItmID like 'DM-%'")).toInt(), 0);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) || '/' || count(UsrEmpID) from KX_SYS_Users where UsrID like 'DM-%'")).toString(),
              QStringLiteral("3/0"));
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_Base_ItemMaster")).toInt(), 500);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_Calendar")).toInt(), 2);
}
