// The release of a published scheme into bills through the suite's bill service: rows merge
// and split into bills as the user's settings say, every bill carries the statements that
// record its rows, a bill that fails leaves nothing of itself behind and the others intact,
// and every faulty row is reported against its row with the check's own message.
#include "releasefixture.h"

#include "db/escape.h"
#include "db/shared.h"
#include "engine/planscheme.h"
#include "engine/progress.h"
#include "release/publishing.h"

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

// Bill heads and lines of a kind: "No date dept emp creator" then "entry item qty uqty
// deliv draw supplier bom origin".
QStringList OrderBills()
{
    return TSql::Rows(QStringLiteral(
        "select h.MONo||' '||to_char(h.MODate,'YYYYMMDD')||' '||coalesce(h.MOBillDeptID,'-')||' '||h.MOCreater||' '||l.MOEntry||' '||i.ItmNo"
        "||' '||l.MOBillQty::float8||' '||to_char(l.MODelivDate,'MMDD')||'/'||to_char(l.MODrawDate,'MMDD')||' '||l.MODeptID"
        "||' '||coalesce(l.MOBomID,'-')||' '||coalesce(l.MOOrigNo,'')||'/'||coalesce(l.MOOrigEntry,0) "
        "from KX_Bill_MOHead h join KX_Bill_MOLine l on l.MOID=h.MOID join KX_Base_ItemMaster i on i.ItmID=l.MOItmID "
        "where h.MOID not like 'DM-%' order by h.MONo, l.MOEntry"));
}

QStringList RequisitionBills()
{
    return TSql::Rows(QStringLiteral(
        "select h.PRNo||' '||to_char(h.PRDate,'YYYYMMDD')||' '||coalesce(h.PRDeptID,'-')||' '||coalesce(h.PREmpID,'-')||' '||l.PREntry"
        "||' '||i.ItmNo||' '||l.PRBillQty::float8||'/'||l.PRUBillQty::float8||' '||to_char(l.PRDelivDate,'MMDD')||' '||l.PRSuppID"
        "||' '||coalesce(l.PROrigCustID,'-') "
        "from KX_Bill_PRHead h join KX_Bill_PRLine l on l.PRID=h.PRID join KX_Base_ItemMaster i on i.ItmID=l.PRItmID "
        "where h.PRID not like 'DM-%' order by h.PRNo, l.PREntry"));
}

QString Released(int scheme, const QString& item)
{
    return TSql::Rows(QStringLiteral("select string_agg(coalesce(s.SupOrigNo,'')||'/'||coalesce(s.SupOrigEntry,0)||'='"
                                              "||coalesce(s.SupDestQty::float8::text,'-'), ' ' order by s.SupDate, s.SupIID) "
                                              "from KX_MRP_Supplies s join KX_Base_ItemMaster i on i.ItmID=s.SupItmID "
                                              "where s.SupSchIID=%1 and i.ItmNo='%2' and s.SupBillType in (42, 52, 58)")
                                   .arg(scheme).arg(item))
        .value(0);
}

} // namespace

class ReleaseToBills : public TReleaseTest {
protected:
    void ProductionOptions(int maxRows)
    {
        SetOptions(btMO, [maxRows](TMRPOutputOptions& o) {
            o.SplitBy[0] = ofSupplyUnit, o.SplitBy[1] = ofNone, o.SplitBy[2] = ofNone;
            o.SortBy[0] = ofItemNo, o.SortBy[1] = ofDate, o.SortBy[2] = ofNone;
            o.MaxRows = maxRows;
            o.DepartmentID = QStringLiteral("DM-D-PMC");
        });
    }

    // Two fans and a blade, nine production rows dated after the demo's today.
    const QStringList ProductionRows{
        QStringLiteral("1.01.001 SI2611-001/1"), QStringLiteral("1.01.001 SO2612-001/1"), QStringLiteral("1.01.001 FC2611-001/1"),
        QStringLiteral("1.01.001 FC2612-001/3"), QStringLiteral("2.05.002 FC2611-001/3"), QStringLiteral("2.05.002 SI2612-001/1"),
        QStringLiteral("2.05.002 SO2612-004/1"), QStringLiteral("2.05.002 FC2612-001/2"), QStringLiteral("2.05.002 FC2612-001/1")};
};

TEST_F(ReleaseToBills, ProductionRowsBecomeOrdersSplitBySupplyUnitAndCutAtMaxRows)
{
    const int scheme = PublishedCopy(QStringLiteral("生产投放"));
    ProductionOptions(3);
    TMRPOutputList list;
    LoadRows(list, scheme, 1);
    Check(list, ProductionRows);
    TRecordingSink sink(list);
    TScriptedMessages messages;
    TReleaseCounts counts;
    ASSERT_TRUE(Release(scheme, list, sink, &counts));

    // Per workshop, by item and date, at most three lines a bill; each bill is numbered in the
    // month of its first line's order date.
    EXPECT_EQ(OrderBills(), QStringList({
        QStringLiteral("MO2026120001 20261221 DM-D-PMC DM-USR-LIMING 1 1.01.001 545 1225/1221 DM-D-WS1 DM-B-FS40 SI2611-001/1"),
        QStringLiteral("MO2026120001 20261221 DM-D-PMC DM-USR-LIMING 2 1.01.001 500 1231/1228 DM-D-WS1 DM-B-FS40 SO2612-001/1"),
        QStringLiteral("MO2026120001 20261221 DM-D-PMC DM-USR-LIMING 3 1.01.001 300 1231/1228 DM-D-WS1 DM-B-FS40 FC2611-001/1"),
        QStringLiteral("MO2026120002 20261224 DM-D-PMC DM-USR-LIMING 1 2.05.002 242 1225/1224 DM-D-WS3 DM-B-BL30 FC2611-001/3"),
        QStringLiteral("MO2026120002 20261224 DM-D-PMC DM-USR-LIMING 2 2.05.002 400 0112/0111 DM-D-WS3 DM-B-BL30 SI2612-001/1"),
        QStringLiteral("MO2026120002 20261224 DM-D-PMC DM-USR-LIMING 3 2.05.002 200 0122/0121 DM-D-WS3 DM-B-BL30 SO2612-004/1"),
        QStringLiteral("MO2027010001 20270121 DM-D-PMC DM-USR-LIMING 1 2.05.002 300 0122/0121 DM-D-WS3 DM-B-BL30 FC2612-001/2"),
        QStringLiteral("MO2027010001 20270121 DM-D-PMC DM-USR-LIMING 2 2.05.002 400 0122/0121 DM-D-WS3 DM-B-BL30 FC2612-001/1"),
        QStringLiteral("MO2027020001 20270201 DM-D-PMC DM-USR-LIMING 1 1.01.001 1000 0215/0201 DM-D-WS1 DM-B-FS40 FC2612-001/3"),
    }));
    EXPECT_EQ(counts.Entries, 9);
    EXPECT_EQ(counts.BillsSaved, 4);
    EXPECT_EQ(sink.Lines.last(), QStringLiteral("信息|共生成9行单据, 其中9行成功保存(4张单据), 0行失败保存, 0行未保存!"));
    EXPECT_TRUE(sink.Lines.contains(QStringLiteral("信息|生成3行生产任务保存成功, 单据编号: MO2026120001")));
    EXPECT_EQ(messages.LastText(), QStringLiteral("共生成9行单据, 其中9行成功保存(4张单据), 0行失败保存, 0行未保存!"));

    // The supplies record the release, the scheme has released, and the view offers the rest.
    EXPECT_EQ(Released(scheme, QStringLiteral("1.01.001")), QStringLiteral("SI2611-001/1=545 SO2612-001/1=500 FC2611-001/1=300 FC2612-001/3=1000"));
    EXPECT_EQ(Scalar(QStringLiteral("select SupDester||' '||to_char(SupDestTime,'YYYY') from KX_MRP_Supplies where SupSchIID=%1 "
                                    "and SupDestQty>0 limit 1").arg(scheme)).toString(),
              QStringLiteral("DM-USR-LIMING %1").arg(QDate::currentDate().year()));
    EXPECT_EQ(Scalar(QStringLiteral("select SchState from KX_MRP_Schemes where SchIID=%1").arg(scheme)).toInt(), int(psReleased));
    for (const QString& key : ProductionRows)
        EXPECT_LT(list.Rows[size_t(FindRow(list, key.section(' ', 0, 0), key.section(' ', 1)))].DoDestQty, 1e-9);
    TMRPOutputList again;
    LoadRows(again, scheme, 1);
    EXPECT_EQ(FindRow(again, QStringLiteral("1.01.001"), QStringLiteral("SO2612-001/1")), -1);
    EXPECT_GE(FindRow(again, QStringLiteral("1.01.002"), QStringLiteral("SO2611-002/1")), 0);
}

TEST_F(ReleaseToBills, PartlyReleasedRowOffersOnlyTheRemainderAgain)
{
    const int scheme = PublishedCopy(QStringLiteral("部分投放"));
    ProductionOptions(100);
    for (const double part : {200.0, 345.0}) {
        TMRPOutputList list;
        LoadRows(list, scheme, 1);
        const int row = FindRow(list, QStringLiteral("1.01.001"), QStringLiteral("SI2611-001/1"));
        ASSERT_GE(row, 0);
        // The second load proposes what the first left.
        EXPECT_DOUBLE_EQ(list.Rows[size_t(row)].DoDestQty, part == 200.0 ? 545.0 : 345.0);
        list.SetChecked(row, true);
        list.SetDoDestQty(row, part);
        TRecordingSink sink(list);
        TScriptedMessages messages;
        ASSERT_TRUE(Release(scheme, list, sink));
    }
    EXPECT_EQ(Released(scheme, QStringLiteral("1.01.001")).section(' ', 0, 0), QStringLiteral("SI2611-001/1=545"));
    TMRPOutputList list;
    LoadRows(list, scheme, 1);
    EXPECT_EQ(FindRow(list, QStringLiteral("1.01.001"), QStringLiteral("SI2611-001/1")), -1);
}

TEST_F(ReleaseToBills, RequisitionsMergeRowsOfOneCustomerAndConvertToThePurchaseUnit)
{
    const int scheme = PublishedCopy(QStringLiteral("采购投放"));
    LoginAs(QStringLiteral("zhangli"));
    SetOptions(btPR, [](TMRPOutputOptions& o) {
        o.MergeTrack = 5;                       // by the main demand's customer
        o.SplitBy[0] = ofBuyer, o.SplitBy[1] = ofNone;
        o.SortBy[0] = ofItemNo, o.SortBy[1] = ofDate;
        o.MaxRows = 3;
        o.DepartmentID = QStringLiteral("DM-D-PUR");
        o.EmployeeID = QStringLiteral("DM-E-03");
    });
    TMRPOutputList list;
    LoadRows(list, scheme, 3);
    Check(list, {QStringLiteral("4.04.001 FC2611-001/1"), QStringLiteral("4.04.001 FC2611-001/2"), QStringLiteral("5.01.001 SO2612-001/1"),
                 QStringLiteral("5.01.001 FC2611-001/1"), QStringLiteral("5.01.001 SO2612-002/1"), QStringLiteral("5.01.001 FC2612-001/4")});
    TRecordingSink sink(list);
    TScriptedMessages messages;
    ASSERT_TRUE(Release(scheme, list, sink));
    // Screws are bought by the thousand; the cartons of one customer go as one line, due when
    // the first of them is.
    EXPECT_EQ(RequisitionBills(), QStringList({
        QStringLiteral("PR2026120001 20261218 DM-D-PUR DM-E-03 1 4.04.001 971/0.971 1225 DM-S-04 DM-C-03"),
        QStringLiteral("PR2026120001 20261218 DM-D-PUR DM-E-03 2 4.04.001 2400/2.4 1228 DM-S-04 -"),
        QStringLiteral("PR2026120001 20261218 DM-D-PUR DM-E-03 3 5.01.001 800/800 1225 DM-S-06 DM-C-03"),
        QStringLiteral("PR2026120002 20261223 DM-D-PUR DM-E-03 1 5.01.001 480/480 0104 DM-S-06 DM-C-04"),
    }));
    EXPECT_EQ(Released(scheme, QStringLiteral("5.01.001")),
              QStringLiteral("/0=- SO2612-001/1=500 FC2611-001/1=300 FC2611-001/2=- SO2612-002/1=80 FC2612-001/3=- FC2612-001/4=400"));
}

TEST_F(ReleaseToBills, OrderCarriesItsMaterialLinesWithIssueLoss)
{
    const int scheme = PublishedCopy(QStringLiteral("投放用料"));
    SetOptions(btMO, [](TMRPOutputOptions& o) {
        o.OutPBoms = true;
        o.ItemSubs = oisNone;
        o.DepartmentID = QStringLiteral("DM-D-PMC");
    });
    TMRPOutputList list;
    LoadRows(list, scheme, 1);
    Check(list, {QStringLiteral("1.01.001 SI2611-001/1")});
    TRecordingSink sink(list);
    TScriptedMessages messages;
    ASSERT_TRUE(Release(scheme, list, sink));
    // Six screws a fan with a loss of 10 plus 2 percent: 3270 + 75.4, issued in whole screws.
    EXPECT_EQ(Rows(QStringLiteral("select b.MobEntry||' '||i.ItmNo||' '||b.MobBillQty::float8||' '||b.MobLossRate::float8||' '"
                                  "||to_char(b.MobDrawDate,'MMDD') from KX_Bill_MOBom b join KX_Bill_MOHead h on h.MOID=b.MOID "
                                  "join KX_Base_ItemMaster i on i.ItmID=b.MobItmID where h.MOID not like 'DM-%' order by b.MobEntry")),
              QStringList({QStringLiteral("1 2.01.001 545 0 1221"), QStringLiteral("2 2.02.001 545 0 1221"),
                           QStringLiteral("3 2.03.001 545 0 1221"), QStringLiteral("4 2.05.001 545 0 1221"),
                           QStringLiteral("5 2.04.001 545 0 1221"), QStringLiteral("6 4.07.003 545 0 1221"),
                           QStringLiteral("7 4.04.001 3346 2.3058104 1221"), QStringLiteral("8 5.01.001 545 0 1221"),
                           QStringLiteral("9 5.02.001 545 0 1221"), QStringLiteral("10 5.03.001 545 0 1221")}));
}

TEST_F(ReleaseToBills, LotRuleRaisesTheMergedQuantityButRecordsOnlyWhatTheRowsReleased)
{
    const int scheme = PublishedCopy(QStringLiteral("批量投放"));
    LoginAs(QStringLiteral("zhangli"));
    SetOptions(btPR, [](TMRPOutputOptions& o) {
        o.LotRule = true;
        o.DepartmentID = QStringLiteral("DM-D-PUR");
        o.EmployeeID = QStringLiteral("DM-E-03");
    });
    TMRPOutputList list;
    LoadRows(list, scheme, 3);
    Check(list, {QStringLiteral("5.01.001 /0")});
    TRecordingSink sink(list);
    TScriptedMessages messages;
    ASSERT_TRUE(Release(scheme, list, sink));
    // 43 cartons below the minimum supply of 200.
    EXPECT_EQ(RequisitionBills().value(0).section(' ', 5, 6), QStringLiteral("5.01.001 200/200"));
    EXPECT_EQ(Released(scheme, QStringLiteral("5.01.001")).section(' ', 0, 0), QStringLiteral("/0=43"));
}

TEST_F(ReleaseToBills, ABillTheServiceRefusesLeavesNothingOfItselfAndTheOthersComplete)
{
    const int scheme = PublishedCopy(QStringLiteral("失败投放"));
    ProductionOptions(3);
    TMRPOutputList list;
    LoadRows(list, scheme, 1);
    Check(list, ProductionRows);
    Access.FailingStatement = QStringLiteral("select 1/0");
    Access.FailAtBill = 2;
    TRecordingSink sink(list);
    TScriptedMessages messages;
    TReleaseCounts counts;
    ASSERT_TRUE(Release(scheme, list, sink, &counts));
    // The second bill is the February fan order: its line and its release are absent.
    const QStringList bills = OrderBills();
    EXPECT_EQ(bills.size(), 8);
    EXPECT_FALSE(bills.join(QLatin1Char('\n')).contains(QStringLiteral("MO2027020001")));
    EXPECT_EQ(Released(scheme, QStringLiteral("1.01.001")), QStringLiteral("SI2611-001/1=545 SO2612-001/1=500 FC2611-001/1=300 FC2612-001/3=-"));
    EXPECT_EQ(counts.RowsFailed, 1);
    EXPECT_EQ(sink.Lines.last(), QStringLiteral("警告|共生成9行单据, 其中8行成功保存(3张单据), 1行失败保存, 0行未保存!"));
    EXPECT_TRUE(sink.Lines.join(QLatin1Char('\n')).contains(QStringLiteral("错误|生成1行生产任务保存失败, 原因: 错误: 计算中出现除数为零!")));
    // The row that failed is still proposed, and still checked.
    const int failed = FindRow(list, QStringLiteral("1.01.001"), QStringLiteral("FC2612-001/3"));
    EXPECT_DOUBLE_EQ(list.Rows[size_t(failed)].DoDestQty, 1000.0);
    EXPECT_TRUE(list.Rows[size_t(failed)].Checked);
}

TEST_F(ReleaseToBills, EscBetweenBillsKeepsTheBillsSavedAndCountsTheRestAsLeft)
{
    const int scheme = PublishedCopy(QStringLiteral("中止投放"));
    ProductionOptions(3);
    TMRPOutputList list;
    LoadRows(list, scheme, 1);
    Check(list, ProductionRows);
    TRecordingSink sink(list);
    TScriptedMessages messages({mrYes});
    TReleaseCounts counts;
    {
        // Nine rows are checked, then the first bill starts; Esc is down before the second.
        TEscapeHold esc(10);
        TStatusProgress progress;
        ASSERT_TRUE(Release(scheme, list, sink, &counts, &progress));
    }
    EXPECT_EQ(OrderBills().size(), 3);
    EXPECT_EQ(counts.Left(), 6);
    EXPECT_EQ(sink.Lines.last(), QStringLiteral("警告|共生成9行单据, 其中3行成功保存(1张单据), 0行失败保存, 6行未保存!"));
    EXPECT_TRUE(messages.Texts().contains(QStringLiteral("您已按下[Esc]键, 中止正在执行的操作?")));
}

TEST_F(ReleaseToBills, ASubstituteReleasedInPlaceOfItsItemIsRecordedAgainstTheSupplyAndItsDemand)
{
    const int scheme = PublishedCopy(QStringLiteral("替代投放"));
    LoginAs(QStringLiteral("zhangli"));
    SetOptions(btPR, [](TMRPOutputOptions& o) {
        o.DepartmentID = QStringLiteral("DM-D-PUR");
        o.EmployeeID = QStringLiteral("DM-E-03");
    });
    TMRPOutputList list;
    LoadRows(list, scheme, 3);
    // A capacitor the run planned at least 100 of; the other capacitor may stand in for it one for one.
    int row = -1;
    for (int r : list.TopRows)
        if (list.Rows[size_t(r)].ItmNo == QLatin1String("4.03.001") && list.Rows[size_t(r)].Qty >= 100 && row < 0)
            row = r;
    ASSERT_GE(row, 0);
    const double planned = list.Rows[size_t(row)].Qty;
    list.LoadSubstitutes(SharedConnection(), row);
    ASSERT_EQ(list.Rows[size_t(row)].Children.size(), 1);
    const int sub = list.Rows[size_t(row)].Children.value(0);
    EXPECT_EQ(list.Rows[size_t(sub)].ItmNo, QStringLiteral("4.03.002"));
    EXPECT_DOUBLE_EQ(list.Rows[size_t(sub)].Qty, planned);
    list.SetChecked(row, true);
    EXPECT_TRUE(list.Rows[size_t(sub)].Checked);
    list.SetDoDestQty(sub, 60);
    EXPECT_DOUBLE_EQ(list.Rows[size_t(row)].DoDestQty, planned - 60);
    const int supply = list.Rows[size_t(row)].SupIID;
    const int demand = list.Rows[size_t(sub)].DmdIID;

    TRecordingSink sink(list);
    TScriptedMessages messages({mrYes});
    ASSERT_TRUE(Release(scheme, list, sink));
    EXPECT_EQ(Rows(QStringLiteral("select i.ItmNo||' '||l.PRBillQty::float8 from KX_Bill_PRLine l join KX_Base_ItemMaster i on "
                                  "i.ItmID=l.PRItmID where l.PRID not like 'DM-%' order by i.ItmNo")),
              QStringList({QStringLiteral("4.03.001 %1").arg(planned - 60), QStringLiteral("4.03.002 60")}));
    EXPECT_EQ(Rows(QStringLiteral("select DstSupIID||' '||DstDmdIID||' '||DstItmID||' '||DstQty::float8 from KX_MRP_DestAlters "
                                  "where DstSchIID=%1").arg(scheme)),
              QStringList({QStringLiteral("%1 %2 DM-I-CP15B 60").arg(supply).arg(demand)}));
    // The supply is covered: by its own item and by the substitute.
    EXPECT_DOUBLE_EQ(Scalar(QStringLiteral("select SupDestQty from KX_MRP_Supplies where SupSchIID=%1 and SupIID=%2").arg(scheme).arg(supply))
                         .toDouble(),
                     planned);
    TMRPOutputList again;
    LoadRows(again, scheme, 3);
    for (int r : again.TopRows)
        EXPECT_NE(again.Rows[size_t(r)].SupIID, supply);
}
