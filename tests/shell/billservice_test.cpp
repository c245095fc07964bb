// The host's bill service on the demo factory: numbering, forecasts new and changed, the
// supply bills of a release with their component lines and write-back statements, and
// stores that fail without leaving anything behind.
#include "billservice.h"
#include "demofactory.h"

#include "db/shared.h"
#include "testdatabase.h"

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::suite;
using namespace kx::test;

namespace {

void SetItem(IValueList* row, const QString& item, double stdQty, const QDate& date)
{
    row->SetValue(QStringLiteral("ItemID"), item);
    row->SetValue(QStringLiteral("StdQty"), stdQty);
    row->SetValue(QStringLiteral("Date"), date);
}

} // namespace

class BillService : public TDatabaseTest {
protected:
    static void SetUpTestSuite()
    {
        TDatabaseTest::SetUpTestSuite();
        LoadDemoFactory(SharedConnection());
    }
    void SetUp() override { Access = std::make_unique<TERPAccess>(SharedConnection(), QStringLiteral("DM-USR-LIMING")); }

    std::unique_ptr<TERPAccess> Access;
};

TEST_F(BillService, NewForecastsAreNumberedByKindAndMonthAndStoreTheirLines)
{
    QString error;
    QStringList numbers;
    for (int bill = 0; bill < 2; ++bill) {
        auto forecast = Access->NewBill(1);
        forecast->Head()->SetValue(QStringLiteral("Date"), QDate(2027, 2, 3));
        IValueList* row = forecast->GetRowList(QStringLiteral("Rows"))->Add();
        SetItem(row, QStringLiteral("DM-I-FS40"), 40, QDate(2027, 3, 1));
        row->SetValue(QStringLiteral("Qty"), 10);
        row->SetValue(QStringLiteral("UnitID"), QStringLiteral("DM-U-CTN4"));
        row->SetValue(QStringLiteral("CustID"), QStringLiteral("DM-C-03"));
        row->SetValue(QStringLiteral("MRPGroupType"), 9);
        row->SetValue(QStringLiteral("MRPGroupNo"), QStringLiteral("G-7"));
        const QString id = forecast->Save(error);
        ASSERT_FALSE(id.isEmpty()) << error.toStdString();
        EXPECT_EQ(forecast->Head()->GetValue(QStringLiteral("BillID")).toString(), id);
        numbers << forecast->Head()->GetValue(QStringLiteral("BillNo")).toString();
        if (bill == 0) {
            EXPECT_EQ(Scalar(QStringLiteral("select ForEntry || ':' || ForItmID || ':' || ForUBillQty::float8 || ':' || ForBillQty::float8"
                                            " || ':' || ForUntID || ':' || ForCustID || ':' || to_char(ForDelivDate, 'YYYYMMDD')"
                                            " || ':' || ForGroupType || ':' || ForGroupNo from KX_Bill_ForLine where ForID='%1'")
                                 .arg(id)).toString(),
                      QStringLiteral("1:DM-I-FS40:10:40:DM-U-CTN4:DM-C-03:20270301:9:G-7"));
        }
        EXPECT_EQ(Scalar(QStringLiteral("select ForCreater from KX_Bill_ForHead where ForID='%1'").arg(id)).toString(),
                  QStringLiteral("DM-USR-LIMING"));
    }
    EXPECT_EQ(numbers, QStringList({QStringLiteral("FC2027020001"), QStringLiteral("FC2027020002")}));

    // A number another bill holds is refused, and nothing of the bill is written.
    auto taken = Access->NewBill(1);
    taken->Head()->SetValue(QStringLiteral("BillNo"), QStringLiteral("FC2612-001"));
    taken->Head()->SetValue(QStringLiteral("Date"), QDate(2027, 2, 3));
    SetItem(taken->GetRowList(QStringLiteral("Rows"))->Add(), QStringLiteral("DM-I-FS40"), 5, QDate(2027, 3, 1));
    const int heads = Scalar(QStringLiteral("select count(*) from KX_Bill_ForHead")).toInt();
    EXPECT_TRUE(taken->Save(error).isEmpty());
    EXPECT_EQ(error, QStringLiteral("单据编号\"FC2612-001\"已存在!"));
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_Bill_ForHead")).toInt(), heads);
}

TEST_F(BillService, ChangedForecastKeepsTheLineNumbersItBringsBack)
{
    // DM-FC-03 is unchecked with one line: line 1 changes, a new line follows it.
    auto forecast = Access->NewBill(1);
    IValueList* head = forecast->Head();
    head->SetValue(QStringLiteral("BillID"), QStringLiteral("DM-FC-03"));
    head->SetValue(QStringLiteral("BillNo"), QStringLiteral("FC2612-002"));
    head->SetValue(QStringLiteral("Date"), QDate(2026, 12, 6));
    IRowList* rows = forecast->GetRowList(QStringLiteral("Rows"));
    IValueList* kept = rows->Add();
    kept->SetValue(QStringLiteral("Index"), 1);
    SetItem(kept, QStringLiteral("DM-I-FS40"), 450, QDate(2027, 3, 20));
    IValueList* added = rows->Add();
    added->SetValue(QStringLiteral("Index"), -1);
    SetItem(added, QStringLiteral("DM-I-WS40"), 120, QDate(2027, 3, 25));
    QString error;
    EXPECT_EQ(forecast->Save(error), QStringLiteral("DM-FC-03")) << error.toStdString();
    EXPECT_EQ(Scalar(QStringLiteral("select string_agg(ForEntry || '=' || ForItmID || '/' || ForBillQty::float8, ',' order by ForEntry)"
                                    " from KX_Bill_ForLine where ForID='DM-FC-03'")).toString(),
              QStringLiteral("1=DM-I-FS40/450,2=DM-I-WS40/120"));

    // A checked forecast is not changed.
    auto checked = Access->NewBill(1);
    checked->Head()->SetValue(QStringLiteral("BillID"), QStringLiteral("DM-FC-01"));
    checked->Head()->SetValue(QStringLiteral("Date"), QDate(2026, 11, 7));
    SetItem(checked->GetRowList(QStringLiteral("Rows"))->Add(), QStringLiteral("DM-I-FS40"), 1, QDate(2027, 1, 1));
    EXPECT_TRUE(checked->Save(error).isEmpty());
    EXPECT_EQ(error, QStringLiteral("单据状态已改变, 不能进行编辑!"));
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_Bill_ForLine where ForID='DM-FC-01'")).toInt(), 3);
}

TEST_F(BillService, ProductionOrderCarriesItsMaterialAndRunsTheWriteBackInItsTransaction)
{
    Exec(QStringLiteral("create table tmp_written (Note text)"));
    auto order = Access->NewBill(10);
    IValueList* head = order->Head();
    head->SetValue(QStringLiteral("Date"), QDate(2027, 1, 4));
    head->SetValue(QStringLiteral("DeptID"), QStringLiteral("DM-D-PMC"));
    head->SetValue(QStringLiteral("EmpID"), QStringLiteral("DM-E-02"));
    head->SetValue(QStringLiteral("HasPBom"), true);
    IValueList* row = order->GetRowList(QStringLiteral("Rows"))->Add();
    SetItem(row, QStringLiteral("DM-I-FS40"), 100, QDate(2027, 1, 20));
    row->SetValue(QStringLiteral("DrawDate"), QDate(2027, 1, 15));
    row->SetValue(QStringLiteral("SupID"), QStringLiteral("DM-D-WS1"));
    row->SetValue(QStringLiteral("UnitID"), QStringLiteral("DM-U-CTN4"));
    row->SetValue(QStringLiteral("UnitRate"), 4);
    row->SetValue(QStringLiteral("OrigType"), 2);
    row->SetValue(QStringLiteral("OrigNo"), QStringLiteral("SO2612-001"));
    row->SetValue(QStringLiteral("WriteBackSQL"), QStringLiteral("insert into tmp_written values ('released')"));
    IValueList* group = row->GetRowList(QStringLiteral("SubGroups"))->Add();
    group->SetValue(QStringLiteral("StdQty"), 100);
    SetItem(group->GetRowList(QStringLiteral("Items"))->Add(), QStringLiteral("DM-I-MT40"), 0, QDate());
    IValueList* substitute = group->GetRowList(QStringLiteral("Items"))->Add();
    SetItem(substitute, QStringLiteral("DM-I-MT30"), 0, QDate());
    substitute->SetValue(QStringLiteral("SubRate"), 25);
    QString error;
    const QString id = order->Save(error);
    ASSERT_FALSE(id.isEmpty()) << error.toStdString();
    EXPECT_EQ(order->Head()->GetValue(QStringLiteral("BillNo")).toString(), QStringLiteral("MO2027010001"));
    EXPECT_EQ(Scalar(QStringLiteral("select MODeptID || ':' || MOUBillQty::float8 || ':' || MOBillQty::float8 || ':' || "
                                    "to_char(MODrawDate, 'YYYYMMDD') || ':' || to_char(MODelivDate, 'YYYYMMDD') || ':' || MOOrigType"
                                    " || ':' || MOOrigNo from KX_Bill_MOLine where MOID='%1'").arg(id)).toString(),
              QStringLiteral("DM-D-WS1:25:100:20270115:20270120:2:SO2612-001"));
    EXPECT_EQ(Scalar(QStringLiteral("select string_agg(MobEntry || ':' || MobItmID || ':' || MobRole || ':' || MobBillQty::float8 || ':'"
                                    " || coalesce(MobSubOf::text, '-') || ':' || MobUntID, ',' order by MobEntry)"
                                    " from KX_Bill_MOBom where MOID='%1'").arg(id)).toString(),
              QStringLiteral("1:DM-I-MT40:0:100:-:DM-U-PCS,2:DM-I-MT30:1:25:1:DM-U-PCS"));
    EXPECT_EQ(Scalar(QStringLiteral("select string_agg(Note, ',') from tmp_written")).toString(), QStringLiteral("released"));
}

TEST_F(BillService, FailedStoreLeavesNoRowsAndHandsItsNumberOutAgain)
{
    const auto newOrder = [&](const QString& writeBack) {
        auto order = Access->NewBill(8);
        order->Head()->SetValue(QStringLiteral("Date"), QDate(2027, 5, 10));
        order->Head()->SetValue(QStringLiteral("SupID"), QStringLiteral("DM-S-07"));
        IValueList* row = order->GetRowList(QStringLiteral("Rows"))->Add();
        SetItem(row, QStringLiteral("DM-I-BS40"), 60, QDate(2027, 5, 30));
        row->SetValue(QStringLiteral("WriteBackSQL"), writeBack);
        return order;
    };
    const auto counts = [&] {
        return Scalar(QStringLiteral("select (select count(*) from KX_Bill_OOHead) || '/' || (select count(*) from KX_Bill_OOLine)"
                                     " || '/' || (select count(*) from KX_SYS_BillSerials where BksKind=8)")).toString();
    };
    const QString before = counts();
    QString error;
    auto failing = newOrder(QStringLiteral("update KX_MRP_NoSuchTable set x=1"));
    EXPECT_TRUE(failing->Save(error).isEmpty());
    EXPECT_TRUE(error.startsWith(QStringLiteral("错误: "))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("kx_mrp_nosuchtable"))) << error.toStdString();
    EXPECT_EQ(counts(), before);
    EXPECT_TRUE(failing->Head()->GetValue(QStringLiteral("BillNo")).isNull());

    auto stored = newOrder(QString());
    EXPECT_FALSE(stored->Save(error).isEmpty()) << error.toStdString();
    EXPECT_EQ(stored->Head()->GetValue(QStringLiteral("BillNo")).toString(), QStringLiteral("OO2027050001"));
    EXPECT_EQ(Scalar(QStringLiteral("select h.OOSuppID || ':' || l.OOItmID from KX_Bill_OOHead as h join KX_Bill_OOLine as l "
                                    "on l.OOID=h.OOID where h.OONo='OO2027050001'")).toString(),
              QStringLiteral("DM-S-07:DM-I-BS40"));
}

TEST_F(BillService, RefusalsNameWhatIsMissing)
{
    struct TCase {
        int Kind;
        QString HeadSupplier;
        QString LineSupplier;
        int Rows;
        QString Error;
    };
    Exec(QStringLiteral("update KX_SYS_BillKinds set BknMaxRows=2 where BknID=4"));
    const TCase cases[] = {
        {8, QString(), QString(), 1, QStringLiteral("[委外加工商]的内容不能为空!")},
        {10, QString(), QString(), 1, QStringLiteral("第1行的[生产车间]的内容不能为空!")},
        {4, QString(), QStringLiteral("DM-S-01"), 3, QStringLiteral("单据体内容不允许超过 2 行, 请修正!")},
        {4, QString(), QStringLiteral("DM-S-01"), 0, QStringLiteral("单据体内容为空, 不能保存!")},
        {99, QString(), QString(), 1, QStringLiteral("系统不支持保存类型为99的单据!")},
    };
    for (const TCase& c : cases) {
        auto bill = Access->NewBill(c.Kind);
        bill->Head()->SetValue(QStringLiteral("SupID"), c.HeadSupplier);
        for (int i = 0; i < c.Rows; ++i) {
            IValueList* row = bill->GetRowList(QStringLiteral("Rows"))->Add();
            SetItem(row, QStringLiteral("DM-I-WIRE"), 10, QDate(2027, 6, 1));
            row->SetValue(QStringLiteral("SupID"), c.LineSupplier);
        }
        QString error;
        EXPECT_TRUE(bill->Save(error).isEmpty()) << c.Kind;
        EXPECT_EQ(error, c.Error) << c.Kind;
    }
    EXPECT_EQ(Access->MaxBillRows(4), 2);
    EXPECT_EQ(Access->MaxBillRows(1), 500);
    EXPECT_EQ(Access->MaxBillRows(99), 0);

    // A requisition takes its buyer from the proposed supplier.
    auto requisition = Access->NewBill(4);
    IValueList* row = requisition->GetRowList(QStringLiteral("Rows"))->Add();
    SetItem(row, QStringLiteral("DM-I-WIRE"), 250, QDate(2027, 6, 1));
    row->SetValue(QStringLiteral("SupID"), QStringLiteral("DM-S-01"));
    QString error;
    const QString id = requisition->Save(error);
    ASSERT_FALSE(id.isEmpty()) << error.toStdString();
    EXPECT_EQ(Scalar(QStringLiteral("select PRSuppID || ':' || PRBuyerID || ':' || PRBillQty::float8 from KX_Bill_PRLine where PRID='%1'")
                         .arg(id)).toString(),
              QStringLiteral("DM-S-01:DM-E-03:250"));
}
