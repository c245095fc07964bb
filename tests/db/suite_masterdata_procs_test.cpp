// Contracts of the suite's procedures on master data and bills: property-set keys, default and
// possible suppliers, the item settings writer and the forecast state changes with their refusals.

#include "suiteprocfixture.h"

#include <gtest/gtest.h>

using namespace kx::test;

class MasterDataProcedures : public TSuiteProcTest {};

TEST_F(MasterDataProcedures, PropertyValuesAreCheckedAndKeyedOncePerSet)
{
    struct Case {
        const char* args;
        const char* result;   // ID, ErrNum; "#" stands for the key of the first set
    };
    const Case cases[] = {
        {"'K', 'red', ' M '", "#, 0"},                          // listed value in the list's spelling, trimmed
        {"'K', 'RED', 'M', '', '', '', '', '', '', '', ''", "#, 0"},
        {"'K', 'RED', 'M', 'unused slot'", "#, 0"},            // slots the item does not use are stored ''
        {"'K', 'GREEN', 'M'", ", 1"},                           // not in the value list of slot 1
        {"'K', 'BLUE', 'M'", ", 1"},                            // a disabled value
        {"'K', 'RED', ''", ", 2"},                              // a used slot left empty
        {"'K', '', ''", ", 1"},                                 // the first failing slot counts
        {"'A', 'RED'", ", 0"},                                  // an item without properties
        {"'NO-SUCH-ITEM', 'RED'", ", 0"},
    };
    const QString first = Rows(QStringLiteral("select ID from KX_MRP_GetItemPropsID('K', 'RED', 'M')")).value(0);
    ASSERT_FALSE(first.isEmpty());
    for (const Case& c : cases)
        EXPECT_EQ(Rows(QStringLiteral("select * from KX_MRP_GetItemPropsID(%1)").arg(QString::fromLatin1(c.args))),
                  QStringList{QString::fromLatin1(c.result).replace(QLatin1Char('#'), first)})
            << c.args;
    EXPECT_EQ(Rows(QStringLiteral("select PrsID, PrsProp1, PrsProp2, PrsProp3 from KX_Base_ItemProps where PrsItmID='K'")),
              QStringList{first + QStringLiteral(", RED, M, ")});
    // A second set of the item gets a key of its own.
    const QString second = Rows(QStringLiteral("select ID from KX_MRP_GetItemPropsID('K', 'RED', 'L')")).value(0);
    EXPECT_FALSE(second.isEmpty());
    EXPECT_NE(second, first);
}

TEST_F(MasterDataProcedures, DefaultSuppliersByLowestPriceOrLatestOrder)
{
    struct Case {
        const char* call;
        QStringList defaults;   // item, purchase supplier, outsourcing supplier
    };
    const Case cases[] = {
        // A: 95 per box of 10 beats 10 each; S3 is disabled; S1's 5 has expired.
        // C: 2 USD at 7 is dearer than 13. S: S2 also outsources, for less than O1.
        {"call KX_MRP_GetItemSupplierDef(1, 1, 1)", {"A, S2, ", "C, S2, ", "S, , S2"}},
        {"call KX_MRP_GetItemSupplierDef(1, 1, 0)", {"A, S2, ", "C, S2, "}},
        // The latest checked orders: PO-002 of S1 (PO-003 is not checked), OO-001 of O1.
        {"call KX_MRP_GetItemSupplierDef(2, 1, 1)", {"A, S1, ", "C, S2, ", "S, , O1"}},
        {"call KX_MRP_GetItemSupplierDef(1, 1, 1); call KX_MRP_GetItemSupplierDef(2, 1, 1, ItmID => 'A')",
         {"A, S1, ", "C, S2, ", "S, , S2"}},
    };
    for (const Case& c : cases) {
        CreateTables({tmp::ItemSupplierDef});
        Exec(QString::fromLatin1(c.call));
        EXPECT_EQ(Rows(QStringLiteral("select ItmID, POSuppID, OOSuppID from tmp_KX_MRP_ItemSupplierDef order by 1")),
                  c.defaults)
            << c.call;
    }
}

TEST_F(MasterDataProcedures, PossibleSuppliersFromPricesOrSupplySources)
{
    struct Case {
        const char* args;
        QStringList suppliers;
    };
    const Case cases[] = {
        {"'A', 1, 1", {"S1, S01, 甲供应商", "S2, S02, 乙供应商"}},   // S3 disabled
        {"'A', 1, 2", {"S2, S02, 乙供应商", "S1, S01, 甲供应商"}},   // by priority
        {"ItmID => 'S', SuppKind => 2, ListType => 1", {"O1, O01, 加工商", "S2, S02, 乙供应商"}},
        {"'S', 1, 1", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(QStringLiteral("select * from KX_MRP_GetItemSupplierList(%1)").arg(QString::fromLatin1(c.args))),
                  c.suppliers)
            << c.args;
}

TEST_F(MasterDataProcedures, ItemSettingsAreInsertedOrReplacedWhole)
{
    const QString call = QStringLiteral(
        "call KX_MRP_UpdateItemSetting(ItmID => 'D', ItmMrpType => %1, ItmMrpSkip => 0, ItmPlannerID => '', "
        "ItmBuyerID => 'E''1', ItmMrpGroup => 1, ItmMrpTrack => 9, ItmPreLeadTime => 1,ItmFixLeadTime => 2, "
        "ItmVarLeadTime => 3, ItmVarLeadLot => 100.000000, ItmPostLeadTime => 4, ItmSafeQty => 5.500000, "
        "ItmMinQty => %2, ItmLotQty => 5.000000, ItmMaxQty => %3, ItmPutLossType => 2, ItmPutLossRate => '3%',"
        "ItmPutInteger => 1, ItmSuitSkip => 0, ItmOutSkip => 1, ItmMOBomSkip => 2, ItmOOBomSkip => 1, "
        "ItmMODeptID => 'W1', ItmPOSuppID => 'S1', ItmOOSuppID => '', ItmPlanItmID => 'P')");
    const QString select = QStringLiteral(
        "select ItmMrpType, ItmBuyerID, ItmMrpTrack, ItmVarLeadTime, trim_scale(ItmVarLeadLot), trim_scale(ItmSafeQty),"
        " trim_scale(ItmMinQty), trim_scale(ItmMaxQty), ItmPutLossRate, ItmOutSkip, ItmMOBomSkip, ItmOOSuppID, ItmPlanItmID"
        " from KX_MRP_ItemSetting where ItmID='D'");
    Exec(call.arg(QStringLiteral("3"), QStringLiteral("10.000000"), QStringLiteral("0.000000")));
    EXPECT_EQ(Rows(select), QStringList{"3, E'1, 9, 3, 100, 5.5, 10, 0, 3%, 1, 2, , P"});
    Exec(call.arg(QStringLiteral("1"), QStringLiteral("0.000000"), QStringLiteral("20.000000")));
    EXPECT_EQ(Rows(select), QStringList{"1, E'1, 9, 3, 100, 5.5, 0, 20, 3%, 1, 2, , P"});
    // A maximum below the minimum is refused and changes nothing.
    EXPECT_FALSE(Refusal(call.arg(QStringLiteral("2"), QStringLiteral("30.000000"), QStringLiteral("20.000000"))).isEmpty());
    EXPECT_EQ(Rows(select), QStringList{"1, E'1, 9, 3, 100, 5.5, 0, 20, 3%, 1, 2, , P"});
}

TEST_F(MasterDataProcedures, ForecastStateChangesAndTheirRefusals)
{
    struct Step {
        int updateType;
        const char* entry;
        const char* refusal;    // error number and message; empty: the change is made
        const char* state;      // checked, checker; then per line: closed, closer
    };
    const Step steps[] = {
        {2, "1", "65284: 产品预测[FC-001]未审核, 不能关闭!", "0, ; 1: 0, ; 2: 0, "},
        {-1, "0", "65284: 产品预测[FC-001]未审核, 不能反审核!", "0, ; 1: 0, ; 2: 0, "},
        {-2, "1", "65286: 产品预测[FC-001]的单据行未关闭, 不能反关闭!", "0, ; 1: 0, ; 2: 0, "},
        {1, "0", "", "1, U001; 1: 0, ; 2: 0, "},
        {1, "2", "65283: 产品预测[FC-001]已审核, 不能再审核!", "1, U001; 1: 0, ; 2: 0, "},
        {3, "2", "65283: 产品预测[FC-001]已审核, 不能删除!", "1, U001; 1: 0, ; 2: 0, "},
        {2, "1", "", "1, U001; 1: 1, U001; 2: 0, "},
        {2, "1", "65285: 产品预测[FC-001]的单据行已关闭!", "1, U001; 1: 1, U001; 2: 0, "},
        {-1, "0", "65285: 产品预测[FC-001]有已关闭的单据行, 不能反审核!", "1, U001; 1: 1, U001; 2: 0, "},
        {2, "0", "", "1, U001; 1: 1, U001; 2: 1, U001"},   // the open lines
        {2, "0", "65285: 产品预测[FC-001]的单据行已关闭!", "1, U001; 1: 1, U001; 2: 1, U001"},
        {-2, "0", "", "1, U001; 1: 0, ; 2: 0, "},
        {2, "9", "65282: 产品预测[FC-001]的单据行(9)不存在!", "1, U001; 1: 0, ; 2: 0, "},
        {2, "x", "65282: 产品预测[FC-001]的单据行(x)不存在!", "1, U001; 1: 0, ; 2: 0, "},
        {4, "0", "65287: 产品预测的操作类型(4)无效!", "1, U001; 1: 0, ; 2: 0, "},
        {-1, "0", "", "0, ; 1: 0, ; 2: 0, "},
        {3, "2", "", "0, ; 1: 0, "},
        {3, "0", "", ""},                                  // the bill is gone
        {1, "0", "65281: 产品预测单据不存在, 可能已被删除!", ""},
    };
    const QString state = QStringLiteral(
        "select h.ForChecked || ', ' || coalesce(h.ForChecker, '') ||"
        " coalesce((select string_agg('; ' || l.ForEntry || ': ' || l.ForClosed || ', ' || coalesce(l.ForCloser, ''), ''"
        " order by l.ForEntry) from KX_Bill_ForLine as l where l.ForID=h.ForID), '')"
        " from KX_Bill_ForHead as h where h.ForID='F1'");
    for (const Step& s : steps) {
        const QString call = QStringLiteral("call KX_MRP_UpdateForcast('F1', '%1', %2, 'U001'); select 1")
                                 .arg(QString::fromLatin1(s.entry))
                                 .arg(s.updateType);
        EXPECT_EQ(Refusal(call), QString::fromUtf8(s.refusal)) << call.toStdString();
        EXPECT_EQ(Rows(state).value(0), QString::fromLatin1(s.state)) << call.toStdString();
    }
}

TEST_F(MasterDataProcedures, ForecastChangesStampTheUserAndTheDay)
{
    Exec(QStringLiteral("insert into KX_Bill_ForHead (ForID, ForNo, ForDate) values ('F2', 'FC-002', '20240105');"
                        "insert into KX_Bill_ForLine (ForID, ForEntry, ForItmID, ForUBillQty, ForBillQty, ForDelivDate)"
                        " values ('F2', 1, 'P', 1, 1, '20240201');"
                        "call KX_MRP_UpdateForcast('F2', '0', 1, 'U001'); call KX_MRP_UpdateForcast('F2', '1', 2, 'U001')"));
    EXPECT_EQ(Rows(QStringLiteral("select h.ForCheckDate::date = current_date, l.ForCloseDate::date = current_date"
                                  " from KX_Bill_ForHead as h join KX_Bill_ForLine as l on l.ForID=h.ForID where h.ForID='F2'")),
              QStringList{"t, t"});
    Exec(QStringLiteral("call KX_MRP_UpdateForcast('F2', '1', -2, 'U001'); call KX_MRP_UpdateForcast('F2', '0', -1, 'U001')"));
    EXPECT_EQ(Rows(QStringLiteral("select h.ForCheckDate is null, l.ForCloseDate is null, l.ForCloser is null"
                                  " from KX_Bill_ForHead as h join KX_Bill_ForLine as l on l.ForID=h.ForID where h.ForID='F2'")),
              QStringList{"t, t, t"});
}
