// The planner's changes to planned supplies, without the view: how a new quantity is spread
// over the run's periods, when a change still has to reach the lower levels by a run, what a
// changed type does to the BOM, which values are refused, and what a save stores.
#include "resultsfixture.h"

#include "db/shared.h"
#include "workbench/supplyadjust.h"

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

TEST(SupplyHints, ANewQuantityKeepsTheRunsSpreadAddingToTheEarliestAndTakingFromTheLatest)
{
    const struct {
        const char* Run;
        double Qty;
        const char* Spread;
    } cases[] = {
        {"", 120, ""},                                        // one period: the supply's own
        {"01=30\r\n02=20\r\n", 50, "01=30\r\n02=20\r\n"},     // unchanged
        {"01=30\r\n02=20\r\n", 65, "01=45\r\n02=20\r\n"},     // more: into the earliest period
        {"01=30\r\n02=20\r\n03=10\r\n", 45, "01=30\r\n02=15\r\n"},   // less: the latest go first
        {"01=30\r\n02=20\r\n", 30, ""},                        // only the earliest keeps quantity
        {"01=30\r\n02=20\r\n", 0, ""},
        {"02=12.5\r\n0A=7.25\r\n", 20.5, "02=13.25\r\n0A=7.25\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SpreadSupplyHints(QString::fromLatin1(c.Run), c.Qty), QString::fromLatin1(c.Spread)) << c.Run << " -> " << c.Qty;
}

class SupplyChanges : public TResultsTest {
protected:
    // A planned production line of 40 with BOM B1, allotted 30, never adjusted.
    static TSupplyLine MadeLine()
    {
        TSupplyLine line;
        line.SupIID = 7;
        line.BillNo = QStringLiteral("S-7");
        line.ItmID = QStringLiteral("DM-I-HD40");
        line.DrawDate = QDate(2026, 12, 14);
        line.BillType = line.SeenType = btPlanMO;
        line.BomType = 1;
        line.BomID = line.SeenBomID = QStringLiteral("DM-B-HD40");
        line.BomNo = QStringLiteral("BOM-2.01.001");
        line.BillQty = line.Qty = line.SeenQty = 40;
        line.AllotQty = 30;
        line.RestQty = 10;
        return line;
    }
};

TEST_F(SupplyChanges, TheFirstChangeRecordsTheOldValuesAndAMadeLineWaitsForARun)
{
    // Quantity: the adjustment is the difference to what the run planned; the rest may go below 0.
    TSupplyLine line = MadeLine();
    ChangeSupplyQty(line, 25);
    EXPECT_TRUE(line.HasAdjust);
    EXPECT_EQ(line.AdjOldType, btPlanMO);
    EXPECT_EQ(line.AdjOldBomID, QStringLiteral("DM-B-HD40"));
    EXPECT_DOUBLE_EQ(line.AdjOldQty, 0);
    EXPECT_DOUBLE_EQ(line.AdjQty, -15);
    EXPECT_DOUBLE_EQ(line.RestQty, -5);
    EXPECT_TRUE(line.AdjPending);
    // Back to the planned quantity: nothing differs from before the first change any more.
    ChangeSupplyAdjQty(line, 0);
    EXPECT_DOUBLE_EQ(line.Qty, 40);
    EXPECT_DOUBLE_EQ(line.RestQty, 10);
    EXPECT_FALSE(line.AdjPending);

    // Purchase: the BOM goes, and the components the line had must be planned again.
    line = MadeLine();
    ASSERT_TRUE(ChangeSupplyType(SharedConnection(), line, btPlanPO).IsEmpty());
    EXPECT_EQ(line.BillType, btPlanPO);
    EXPECT_TRUE(line.BomID.isEmpty() && line.BomNo.isEmpty());
    EXPECT_TRUE(line.AdjPending);
    // ... and back to production takes the item's default BOM at the draw date.
    ASSERT_TRUE(ChangeSupplyType(SharedConnection(), line, btPlanOO).IsEmpty());
    EXPECT_EQ(line.BomNo, QStringLiteral("BOM-2.01.001"));
    EXPECT_EQ(line.AdjOldType, btPlanMO);

    // A purchase line changed in quantity only never waits for a run.
    TSupplyLine bought;
    bought.ItmID = QStringLiteral("DM-I-BR1");
    bought.BillType = bought.SeenType = btPlanPO;
    bought.BillQty = bought.Qty = bought.SeenQty = 100;
    ChangeSupplyQty(bought, 150);
    EXPECT_FALSE(bought.AdjPending);
    EXPECT_DOUBLE_EQ(bought.AdjQty, 50);
}

TEST_F(SupplyChanges, RefusedValuesLeaveTheLineAsItWas)
{
    Exec(QStringLiteral("insert into KX_Bom_Head (BomID, BomType, BomNo, BomItmID, BomItmProps, BomUntID, BomOkRate, BomIsDefault, BomVersion, "
                        "BomDate, BomBeginDate, BomEndDate, BomChecked) values ('T-B-OLD', 1, 'BOM-2.01.001-OLD', 'DM-I-HD40', '', "
                        "'DM-U-PCS', 100, 0, 'V0.9', '2025-01-01', '2025-01-01', '2026-06-30', 1)"));
    const struct {
        const char* Field;
        QVariant Value;
        const char* Message;
    } cases[] = {
        {"SupBillType", btMO, "[类型]的值(生产任务)无效!"},
        {"SupBillType", btPlanMOSkip, "[类型]的值(MRP生产(跳层))无效!"},
        {"BomNo", QStringLiteral("BOM-2.01.001-OLD"), "[BOM单]的值(BOM-2.01.001-OLD)不存在!"},   // ended before the draw date
        {"BomNo", QStringLiteral("BOM-9.99"), "[BOM单]的值(BOM-9.99)不存在!"},
    };
    for (const auto& c : cases) {
        TSupplyLine line = MadeLine();
        const TSupplyFault fault = QLatin1String(c.Field) == sf::BillType ? ChangeSupplyType(SharedConnection(), line, c.Value.toInt())
                                                                           : ChangeSupplyBom(SharedConnection(), line, c.Value.toString());
        EXPECT_EQ(fault.Field, QLatin1String(c.Field));
        EXPECT_EQ(fault.Message, QString::fromUtf8(c.Message));
        EXPECT_FALSE(line.HasAdjust);
        EXPECT_EQ(line.BillType, btPlanMO);
        EXPECT_EQ(line.BomNo, QStringLiteral("BOM-2.01.001"));
    }
    // A line of an existing order takes no planned type.
    TSupplyLine order = MadeLine();
    order.BillType = order.SeenType = btMO;
    EXPECT_EQ(ChangeSupplyType(SharedConnection(), order, btPlanPO).Message, QStringLiteral("[类型]的值(MRP采购)无效!"));
    Exec(QStringLiteral("delete from KX_Bom_Head where BomID='T-B-OLD'"));
}

TEST_F(SupplyChanges, TheSaveNotesNameWhatThePlannerShouldLookAt)
{
    TSupplySaveNotes notes;
    EXPECT_EQ(notes.Text(), QStringLiteral("数据保存完成。"));
    notes.Pending = notes.NegativeRest = true;
    EXPECT_EQ(notes.Text(), QStringLiteral("数据保存完成。\r\r保存的内容存在以下情况需注意:"
                                           "\r- 涉及到父级物料的BOM或数量变化, 请重新运算MRP以使相关子级物料需求计划同步!"
                                           "\r- 发现有剩余数量为负数(即: 计划数量小于被分配数)的供应计划存在!"));
    notes = {false, true, false};
    EXPECT_TRUE(notes.Text().endsWith(QStringLiteral("\r- 发现有父级物料(非\"MRP采购\"类型)缺少BOM信息, 可能会影响MRP运算结果的完整性!")));
}
