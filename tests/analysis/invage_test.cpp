// Inventory aging on a hand-built stock history: which stock-in lines the stock is matched
// against, the age of every matched quantity, the group quantities and amounts, the statistic of
// each summary row, the last stock-out, the stock of a past day and the checks of the settings.
//
// Item A (price list: 2.00, 3.00, 4.00, 5.00 a piece), warehouse W1 place P1 and W2 place P3:
//   2024-12-01 receipt  W2/P3  40 @ 1.50
//   2025-01-01 receipt  W1/P1 100 @ 2.00
//   2025-02-01 receipt  W1/P1  50 @ 3.00
//   2025-02-15 issue    W1/P1  80
//   2025-03-01 transfer W2/P3 -> W1/P1 30
//   2025-03-20 receipt  W1/P1  20 @ 4.00
//   2025-04-10 receipt  W1/P1  10 @ 5.00      (after the cut-off day 2025-03-31)
//   2025-04-15 issue    W1/P1  15
// Stock at the end of 2025-03-31: W1/P1 120, W2/P3 10; now: W1/P1 115, W2/P3 10.
// Item B has 5 in stock and no stock bill at all.

#include "analysis/invage.h"
#include "analysis/invagetables.h"
#include "db/errors.h"
#include "db/shared.h"
#include "engine/progress.h"
#include "masterdata/planperiods.h"
#include "testdatabase.h"

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

const char* const kHistory = R"sql(
insert into KX_Base_Unit (UntID, UntNo, UntName, UntFactor, UntIsBase) values ('PCS', 'PCS', '个', 1, 1);
insert into KX_Base_ItemMaster (ItmID, ItmNo, ItmName, ItmType, ItmUnitID, ItmStdPrice) values
  ('A', 'A-100', '轴承', 1, 'PCS', 9), ('B', 'B-200', '期初件', 1, 'PCS', 7);
insert into KX_Base_Stock (StkID, StkNo, StkName, StkVirtual, StkHasPlace) values
  ('W1', 'W1', '一号仓', 0, 1), ('W2', 'W2', '二号仓', 0, 1), ('WV', 'WV', '在途仓', 1, 0);
insert into KX_Base_StockPlace (StpID, StpStkID, StpNo, StpName) values
  ('P1', 'W1', 'P1', '一区'), ('P3', 'W2', 'P3', '三区');
insert into KX_Base_Supplier (SuppID, SuppNo, SuppName, SuppPO) values ('S1', 'S1', '甲供应商', 1);
insert into KX_Stk_BillHead (StbID, StbNo, StbDate, StbType, StbSuppID, StbChecked, StbRemark) values
  ('R0', 'R0', '2024-12-01', 1, 'S1', 1, null),
  ('R1', 'R1', '2025-01-01', 1, 'S1', 1, '首批'),
  ('R2', 'R2', '2025-02-01', 1, 'S1', 1, null),
  ('I1', 'I1', '2025-02-15', 13, null, 1, null),
  ('T1', 'T1', '2025-03-01', 21, null, 1, null),
  ('R3', 'R3', '2025-03-20', 1, 'S1', 1, null),
  ('R4', 'R4', '2025-04-10', 1, 'S1', 1, null),
  ('I2', 'I2', '2025-04-15', 13, null, 1, null),
  ('RX', 'RX', '2025-03-25', 1, 'S1', 0, '未审核');
insert into KX_Stk_BillLine (StbID, StbEntry, StlItmID, StlStkID, StlStpID, StlToStkID, StlToStpID, StlUBillQty, StlQty,
                             StlPrice, StlAmount) values
  ('R0', 1, 'A', 'W2', 'P3', null, null, 40, 40, 1.5, 60),
  ('R1', 1, 'A', 'W1', 'P1', null, null, 100, 100, 2, 200),
  ('R2', 1, 'A', 'W1', 'P1', null, null, 50, 50, 3, 150),
  ('I1', 1, 'A', 'W1', 'P1', null, null, 80, 80, 0, 0),
  ('T1', 1, 'A', 'W2', 'P3', 'W1', 'P1', 30, 30, 0, 0),
  ('R3', 1, 'A', 'W1', 'P1', null, null, 20, 20, 4, 80),
  ('R4', 1, 'A', 'W1', 'P1', null, null, 10, 10, 5, 50),
  ('I2', 1, 'A', 'W1', 'P1', null, null, 15, 15, 0, 0),
  ('RX', 1, 'A', 'W1', 'P1', null, null, 999, 999, 1, 999);
insert into KX_Stk_Inventory (InvItmID, InvStkID, InvStpID, InvQty) values
  ('A', 'W1', 'P1', 115), ('A', 'W2', 'P3', 10), ('B', 'W1', 'P1', 5);
)sql";

class InventoryAging : public TDatabaseTest {
protected:
    static void SetUpTestSuite()
    {
        TDatabaseTest::SetUpTestSuite();
        Exec(QString::fromUtf8(kHistory));
    }

    // A run over W1 and W2 on 2025-03-31 with the groups 30|30|30 and every dimension merged.
    static TInvAgeRun Run31March()
    {
        TInvAgeRun run;
        run.Today = QDate(2025, 4, 20);
        run.UserID = QStringLiteral("U001");
        run.Money = true;
        run.AllStocks = {QStringLiteral("W1"), QStringLiteral("W2")};
        run.Settings.InvDate = QDate(2025, 3, 31);
        run.Settings.Intervals = {30, 30, 30};
        return run;
    }

    static TInvAgeRun Analyse(TInvAgeRun run)
    {
        TSilentProgress progress;
        EXPECT_TRUE(RunInvAgeAnalysis(SharedConnection(), run, progress));
        return run;
    }

    static QStringList Summary(const TInvAgeRun& run)
    {
        return Rows(QStringLiteral("select AgeItmID, coalesce(AgeStkID, '*'), trim_scale(AgeQty), trim_scale(AgeInQty), AgeDays,"
                                   " to_char(AgeInDate, 'YYYYMMDD'), to_char(AgeOutDate, 'YYYYMMDD'), trim_scale(AgePrice),"
                                   " trim_scale(AgeAmt), trim_scale(AgeInAmt)"
                                   " from KX_MRP_InvAgeMain where AgeSchIID=%1 order by AgeItmID, AgeStkID")
                       .arg(run.SchIID));
    }

    static QStringList Groups(const TInvAgeRun& run, const QString& item)
    {
        return Rows(QStringLiteral("select concat_ws(' ', trim_scale(AgeQty1), trim_scale(AgeQty2), trim_scale(AgeQty3), trim_scale(AgeQty4)),"
                                   " concat_ws(' ', trim_scale(AgeAmt1), trim_scale(AgeAmt2), trim_scale(AgeAmt3), trim_scale(AgeAmt4))"
                                   " from KX_MRP_InvAgeMain where AgeSchIID=%1 and AgeItmID='%2' order by AgeStkID")
                       .arg(run.SchIID)
                       .arg(item));
    }

    static QStringList Details(const TInvAgeRun& run)
    {
        return Rows(QStringLiteral("select d.AgeBillNo, d.AgeBillTypName, d.AgeStkID, trim_scale(d.AgeQty), d.AgeDays, d.AgeGroup,"
                                   " trim_scale(d.AgeAmt), d.AgeSupply from KX_MRP_InvAgeDetail as d join KX_MRP_InvAgeMain as a"
                                   " on a.AgeSchIID=d.AgeSchIID and a.AgeIID=d.AgeIID where d.AgeSchIID=%1"
                                   " order by a.AgeStkID, d.AgeBillDate desc")
                       .arg(run.SchIID));
    }
};

} // namespace

TEST_F(InventoryAging, HistoryStockIsTheStockOfThatDay)
{
    struct Case {
        const char* date;
        const char* stock;
    };
    const Case cases[] = {
        {"null", "A W1 P1 115, A W2 P3 10, B W1 P1 5"},            // now
        {"'20250331'", "A W1 P1 120, A W2 P3 10, B W1 P1 5"},      // R4 and I2 taken back
        {"'20250301'", "A W1 P1 100, A W2 P3 10, B W1 P1 5"},      // the transfer of that day counts
        {"'20250220'", "A W1 P1 70, A W2 P3 40, B W1 P1 5"},       // before the transfer
        {"'20241231'", "A W2 P3 40, B W1 P1 5"},                   // W1 held nothing yet
    };
    for (const Case& c : cases) {
        Exec(QString::fromLatin1(kInvAgeInventoryTable)
             + QStringLiteral("call KX_MRP_GetHistoryInventory(%1, '$$StockID$$ in (''W1'', ''W2'')')").arg(QLatin1String(c.date)));
        EXPECT_EQ(Rows(QStringLiteral("select string_agg(concat_ws(' ', InvItmID, InvStkID, InvStpID, trim_scale(InvQty)), ', '"
                                      " order by InvItmID, InvStkID) from tmp_KX_MRP_Inventory")),
                  QStringList{QString::fromLatin1(c.stock)})
            << c.date;
    }
    // The data condition speaks of the item and the warehouse by the filter object's aliases.
    Exec(QString::fromLatin1(kInvAgeInventoryTable)
         + QStringLiteral("call KX_MRP_GetHistoryInventory(null, '$$StockID$$ in (''W1'') and i.ItmNo like ''A%%'' and k.StkVirtual=0')"));
    EXPECT_EQ(Rows(QStringLiteral("select InvItmID || ' ' || InvStkID || ' ' || trim_scale(InvQty) from tmp_KX_MRP_Inventory")),
              QStringList{QStringLiteral("A W1 115")});
}

TEST_F(InventoryAging, MergedStockTakesTheNewestReceiptsAndUndoesTheInnerTransfer)
{
    const TInvAgeRun run = Analyse(Run31March());
    // 130 in stock: R3 20 (11 days), R2 50 (58), 60 of R1's 100 (89); the transfer between
    // the merged warehouses is no stock-in, the unchecked receipt and R4 after the day count not.
    EXPECT_EQ(Details(run), (QStringList{"R3, 采购入库, W1, 20, 11, 1, 80, 甲供应商", "R2, 采购入库, W1, 50, 58, 2, 150, 甲供应商",
                                         "R1, 采购入库, W1, 60, 89, 3, 120, 甲供应商"}));
    // Weighted age (20*11 + 50*58 + 60*89) / 130 = 65.08; price 430 / 170 of the matched lines;
    // all stock matched, so its amount is that of the matched quantities; last issue I1.
    EXPECT_EQ(Summary(run), (QStringList{"A, *, 130, 130, 65.08, 20250320, 20250215, 2.529412, 350, 350",
                                         "B, *, 5, 0, , , , , , "}));
    EXPECT_EQ(Groups(run, QStringLiteral("A")), (QStringList{"20 50 60 0, 80 150 120 0"}));
    EXPECT_EQ(Groups(run, QStringLiteral("B")), (QStringList{", "}));
}

TEST_F(InventoryAging, WarehousesKeptApartSeeTheTransferAsAStockIn)
{
    TInvAgeRun request = Run31March();
    request.Settings.MergeStock = false;
    request.Settings.MergePlace = false;
    request.Settings.AgeType = asMaximum;
    const TInvAgeRun run = Analyse(request);
    // W1/P1 120: R3 20, the transfer's 30 (priced at R2's 3.00, the last price before it),
    // R2 50 and 20 of R1; W2/P3 10 from R0. W2 never issued anything.
    EXPECT_EQ(Details(run), (QStringList{"R3, 采购入库, W1, 20, 11, 1, 80, 甲供应商", "T1, 调拨单, W1, 30, 30, 2, 90, ",
                                         "R2, 采购入库, W1, 50, 58, 2, 150, 甲供应商", "R1, 采购入库, W1, 20, 89, 3, 40, 甲供应商",
                                         "R0, 采购入库, W2, 10, 120, 4, 15, 甲供应商"}));
    EXPECT_EQ(Summary(run), (QStringList{"A, W1, 120, 120, 89.00, 20250320, 20250215, 2.6, 360, 360",
                                         "A, W2, 10, 10, 120.00, 20241201, , 1.5, 15, 15", "B, W1, 5, 0, , , , , , "}));
    EXPECT_EQ(Groups(run, QStringLiteral("A")), (QStringList{"20 80 20 0, 80 240 40 0", "0 0 0 10, 0 0 0 15"}));
}

TEST_F(InventoryAging, StatisticsWithoutGroupsAndWithoutTheMoneyRight)
{
    struct Case {
        int ageType;
        const char* days;
    };
    for (const Case& c : {Case{asWeighted, "65.08"}, Case{asMaximum, "89.00"}, Case{asMinimum, "11.00"}}) {
        TInvAgeRun request = Run31March();
        request.Money = false;
        request.Settings.Intervals.clear();
        request.Settings.AgeType = c.ageType;
        const TInvAgeRun run = Analyse(request);
        EXPECT_EQ(Summary(run).value(0), QStringLiteral("A, *, 130, 130, %1, 20250320, 20250215, , , ").arg(QLatin1String(c.days)));
        EXPECT_EQ(Groups(run, QStringLiteral("A")), (QStringList{", "})) << "no grouping";
        EXPECT_EQ(Rows(QStringLiteral("select count(*) from KX_MRP_InvAgeDetail where AgeSchIID=%1 and (AgeAmt is not null or AgeGroup is not null)")
                           .arg(run.SchIID)),
                  QStringList{QStringLiteral("0")});
    }
}

TEST_F(InventoryAging, StockNowAgesToTodayAndARerunReplacesItsRows)
{
    TInvAgeRun request = Run31March();
    // Today 2025-04-20, 125 in stock: R4 10 (10 days), R3 20 (31), R2 50 (78), 45 of R1 (109);
    // weighted (100 + 620 + 3900 + 4905) / 125 = 76.2; price 480 / 180; the last issue I2.
    request.Settings.StockNow = true;
    TInvAgeRun run = Analyse(request);
    EXPECT_EQ(Summary(run).value(0), QStringLiteral("A, *, 125, 125, 76.20, 20250410, 20250415, 2.666667, 370, 370"));
    EXPECT_EQ(Groups(run, QStringLiteral("A")).value(0), QStringLiteral("10 20 50 45, 50 80 150 90"));

    // The same view runs again on the 31st: its run row is reused and its rows replaced.
    const int schIID = run.SchIID;
    run.Settings.StockNow = false;
    run = Analyse(run);
    EXPECT_EQ(run.SchIID, schIID);
    EXPECT_EQ(Rows(QStringLiteral("select count(*), sum(AgeQty)::integer from KX_MRP_InvAgeMain where AgeSchIID=%1").arg(schIID)),
              QStringList{QStringLiteral("2, 135")});
}

TEST_F(InventoryAging, ClosingRemovesTheOwnRunAndTheUsersStaleRunsOnly)
{
    const TInvAgeRun mine = Analyse(Run31March());
    const TInvAgeRun other = Analyse(Run31March());        // another view of the same user
    TInvAgeRun stale = Run31March();
    stale.UserID = QStringLiteral("U001");
    stale = Analyse(stale);
    TInvAgeRun foreign = Run31March();
    foreign.UserID = QStringLiteral("U002");
    foreign = Analyse(foreign);
    Exec(QStringLiteral("update KX_MRP_InvAgeScheme set SchTime=localtimestamp-interval '8 days' where SchIID in (%1, %2)")
             .arg(stale.SchIID)
             .arg(foreign.SchIID));

    DeleteInvAgeRuns(SharedConnection(), mine.SchIID, QStringLiteral("U001"));
    EXPECT_EQ(Rows(QStringLiteral("select SchIID from KX_MRP_InvAgeScheme where SchIID in (%1, %2, %3, %4) order by SchIID")
                       .arg(mine.SchIID)
                       .arg(other.SchIID)
                       .arg(stale.SchIID)
                       .arg(foreign.SchIID)),
              (QStringList{QString::number(other.SchIID), QString::number(foreign.SchIID)}));
    EXPECT_EQ(Rows(QStringLiteral("select count(*) from KX_MRP_InvAgeDetail where AgeSchIID in (%1, %2)").arg(mine.SchIID).arg(stale.SchIID)),
              QStringList{QStringLiteral("0")});
    EXPECT_EQ(Rows(QStringLiteral("select count(*) from KX_MRP_InvAgeMain where AgeSchIID=%1").arg(other.SchIID)), QStringList{QStringLiteral("2")});
}

TEST_F(InventoryAging, GroupsAreNamedByTheirAges)
{
    QStringList names;
    for (const TAgeGroup& g : MakeAgeGroups({30, 30, 30}))
        names << QStringLiteral("%1/%2/%3").arg(g.Name).arg(g.Offset).arg(g.Days);
    EXPECT_EQ(names, (QStringList{"0 - 29天/0/30", "30 - 59天/30/30", "60 - 89天/60/30", "90天以上/90/0"}));
    EXPECT_TRUE(MakeAgeGroups({}).isEmpty());
    EXPECT_EQ(MakeAgeGroups({7, 23}).value(1).Name, QStringLiteral("7 - 29天"));
}

TEST_F(InventoryAging, SettingsAreRefusedWithTheirMessages)
{
    Exec(QStringLiteral("insert into KX_MRP_Schemes (SchIID, SchName, SchMrpPeriods, SchFilters, SchState) values"
                        " (901, '三月计划', '%1|%2|%3|%4|', '[KX_MRP.Stocks]=(''W2'')', 6)")
             .arg(DateToDayNumber(QDate(2025, 3, 3)))
             .arg(DateToDayNumber(QDate(2025, 3, 10)))
             .arg(DateToDayNumber(QDate(2025, 3, 17)))
             .arg(DateToDayNumber(QDate(2025, 3, 24))));
    auto settings = [](auto change) {
        TInvAgeSettings s;
        s.InvDate = QDate(2025, 3, 5);
        s.Intervals = {30};
        change(s);
        return s;
    };
    const QDate today(2025, 3, 20);
    struct Case {
        TInvAgeSettings settings;
        const char* message;
    };
    const Case cases[] = {
        {settings([](TInvAgeSettings& s) { s.Intervals = {30, 0}; }), "[区间天数]的值(0)没有大于或等于1 !"},
        {settings([](TInvAgeSettings& s) { s.Intervals = QList<int>(20, 10); }), "库龄分组不能超过20个!"},
        {settings([](TInvAgeSettings& s) { s.Intervals = QList<int>(19, 10); }), ""},
        {settings([](TInvAgeSettings& s) { s.AllStocks = false; }), "请选择参与库龄分析的仓库!"},
        {settings([](TInvAgeSettings& s) { s.PlanScheme = 901; }), ""},
        // The horizon runs from 2025/03/03 to 2025/03/23; the day before it starts is allowed.
        {settings([](TInvAgeSettings& s) { s.PlanScheme = 901; s.InvDate = QDate(2025, 3, 2); }), ""},
        {settings([](TInvAgeSettings& s) { s.PlanScheme = 901; s.InvDate = QDate(2025, 3, 1); }),
         "库龄分析的截止日期(2025/03/01)未与参考计划方案\"三月计划\"的展望期间(2025/03/03至2025/03/23)起始相连或不在其范围之内!"},
        {settings([](TInvAgeSettings& s) { s.PlanScheme = 901; s.StockNow = true; }), ""},
        {settings([](TInvAgeSettings& s) { s.PlanScheme = 901; s.InvDate = QDate(2025, 3, 24); }),
         "库龄分析的截止日期(2025/03/24)未与参考计划方案\"三月计划\"的展望期间(2025/03/03至2025/03/23)起始相连或不在其范围之内!"},
        {settings([](TInvAgeSettings& s) { s.PlanScheme = 901; s.AllStocks = false; s.Stocks = {"W1"}; }),
         "库龄分析的参与仓库和参考计划方案\"三月计划\"的参与仓库(二号仓)范围上不存在交集!"},
        {settings([](TInvAgeSettings& s) { s.PlanScheme = 901; s.AllStocks = false; s.Stocks = {"W1", "W2"}; }), ""},
    };
    TQuery q(&SharedConnection());
    for (const Case& c : cases)
        EXPECT_EQ(CheckInvAgeSettings(q, c.settings, today), QString::fromUtf8(c.message));
}

TEST_F(InventoryAging, SettingsSurviveTheirParameterText)
{
    TInvAgeSettings s;
    s.StockNow = true;
    s.InvDate = QDate(2025, 1, 31);
    s.AllStocks = false;
    s.Stocks = {QStringLiteral("W1"), QStringLiteral("W2")};
    s.Intervals = {15, 45};
    s.AgeType = asMinimum;
    s.PlanScheme = 7;
    s.PlanSchemeText = QStringLiteral("方案七");
    s.MergeStock = false;
    s.Criteria = QStringLiteral("i.ItmNo like 'A%'");
    const QString text = WriteInvAgeSettings(QString(), s);
    const TInvAgeSettings back = ReadInvAgeSettings(text, QDate(2025, 2, 1));
    EXPECT_EQ(back.StockNow, true);
    EXPECT_EQ(back.InvDate, QDate(2025, 1, 31));
    EXPECT_EQ(back.Stocks, s.Stocks);
    EXPECT_EQ(back.Intervals, s.Intervals);
    EXPECT_EQ(back.AgeType, asMinimum);
    EXPECT_EQ(back.PlanSchemeText, QStringLiteral("方案七"));
    EXPECT_EQ(back.MergeStock, false);
    EXPECT_EQ(back.MergeBatch, true);
    EXPECT_EQ(back.Criteria, s.Criteria);
    // An empty text gives the defaults: the stock of yesterday, all warehouses, all merged.
    const TInvAgeSettings fresh = ReadInvAgeSettings(QString(), QDate(2025, 2, 1));
    EXPECT_EQ(fresh.InvDate, QDate(2025, 1, 31));
    EXPECT_TRUE(fresh.AllStocks && fresh.MergeBatch && fresh.MergeTrack && !fresh.StockNow);
    EXPECT_EQ(fresh.PlanSchemeText, QStringLiteral("(无)"));
}

TEST_F(InventoryAging, PlanDateIsTheFirstAllocationOfTheReferenceSchemesStockAfterTheDay)
{
    // The scheme gives A's stock to demands on 03/28 (before the day), 04/25 and 05/10.
    Exec(QStringLiteral("insert into KX_MRP_Schemes (SchIID, SchName, SchState) values (902, '参考方案', 6);"
                        "insert into KX_MRP_Supplies (SupSchIID, SupIID, SupPeriod, SupBillType, SupItmID, SupQty, SupRestQty)"
                        " values (902, 1, 0, 16, 'A', 125, 0), (902, 2, 1, 26, 'A', 50, 0), (902, 3, 0, 16, 'B', 5, 5);"
                        "insert into KX_MRP_Allots (AltSchIID, AltIID, AltSupIID, AltDmdIID, AltDate, AltQty) values"
                        " (902, 1, 1, 11, '2025-03-28', 10), (902, 2, 1, 12, '2025-05-10', 60), (902, 3, 1, 13, '2025-04-25', 55),"
                        " (902, 4, 2, 14, '2025-04-01', 50)"));
    TInvAgeRun request = Run31March();
    request.Settings.PlanScheme = 902;
    const TInvAgeRun run = Analyse(request);
    EXPECT_EQ(Rows(QStringLiteral("select AgeItmID || ' ' || coalesce(to_char(AgePlanDate, 'YYYYMMDD'), '-') from KX_MRP_InvAgeMain"
                                  " where AgeSchIID=%1 order by AgeItmID")
                       .arg(run.SchIID)),
              (QStringList{QStringLiteral("A 20250425"), QStringLiteral("B -")}))
        << "a purchase order's allocation and one before the day do not count; unallocated stock has none";
}
