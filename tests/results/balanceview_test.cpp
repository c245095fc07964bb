// The balance of a demo run: every balance column is made of exactly the bills the bills view
// lists, period by period and in total; the tree shows the periods under a row, the bills view
// and the chart follow the focused row.
#include "resultsfixture.h"

#include "db/shared.h"
#include "views/gridmodel.h"
#include "workbench/balancechart.h"
#include "workbench/balanceframe.h"
#include "workbench/billsframe.h"
#include "workbench/schemeviewlink.h"

#include <QApplication>
#include <QLabel>
#include <QTreeView>

#include <gtest/gtest.h>

#include <cmath>

using namespace kx;
using namespace kx::test;

namespace {

TTreeNode* NodeOfItem(TMRPBalanceFrame& view, const QString& itemNo)
{
    for (int r = 0; r < view.Nodes->Root()->ChildCount(); ++r)
        if (view.Nodes->Root()->Child(r)->Value(QStringLiteral("ItmNo")).toString() == itemNo)
            return view.Nodes->Root()->Child(r);
    return nullptr;
}

} // namespace

class BalanceView : public TSharedRunTest {
public:
    static void SetUpTestSuite() { RunShared(QStringLiteral("供需平衡")); }
};

TEST_F(BalanceView, EveryBalanceColumnIsMadeOfTheBillsBehindItPeriodByPeriod)
{
    TQuery rows(&SharedConnection());
    rows.SQL = QStringLiteral("select BalItmID, BalItmProps, BalGroupType, BalGroupNo, BalInvQty, BalSafeQty, BalForQty, BalSOQty, BalFreeQty, "
                              "coalesce(BalPOODQty,0)+coalesce(BalPMODQty,0)+coalesce(BalVirDQty,0) as BalRelQty, BalOODQty, BalMODQty, "
                              "BalROutQty, BalPOQty, BalOOQty, BalMOQty, BalChkQty, BalPRQty, BalORQty, BalMRQty, BalRInQty, BalNetQty, BalQty, "
                              "BalXQty, BalEndQty from KX_MRP_Balance where BalSchIID=%1 order by BalIID")
                    .arg(Scheme->SchemeIID);
    rows.Open();
    ASSERT_EQ(rows.RecordCount(), 46);
    const int periods = int(Scheme->MrpPeriods.size());
    ASSERT_EQ(periods, 10);
    int withBills = 0;
    for (int r = 0; r < rows.RecordCount(); ++r) {
        const TBalanceKey key{Scheme->SchemeIID, rows.TextAt(r, 0), rows.TextAt(r, 1), rows.IntAt(r, 2), rows.TextAt(r, 3)};
        SCOPED_TRACE(key.ItmID.toStdString());
        const QList<TBalanceBill> bills = ReadBalanceBills(SharedConnection(), key);
        withBills += bills.isEmpty() ? 0 : 1;
        const QList<TBalancePeriod> sums = SumBalancePeriods(bills, periods);
        ASSERT_EQ(sums.size(), periods);
        for (const QString& field : BalancePeriodFields()) {
            double total = 0;
            for (const TBalancePeriod& p : sums)
                total += p.Columns.value(field);
            // The end of the row is where the last period ends, the rest add up.
            const double expected = rows.NumberAt(r, rows.FieldIndex(field));
            EXPECT_NEAR(field == QLatin1String("BalEndQty") ? sums.last().Columns.value(field) : total, expected, 1e-6) << field.toStdString();
        }
    }
    EXPECT_EQ(withBills, 46);
}

TEST_F(BalanceView, ARowShowsItsPeriodsItsBillsClassByClassAndItsChart)
{
    auto view = OpenView<TMRPBalanceFrame>(QStringLiteral("KX_MRP.MRP.Balance"), Scheme);
    ASSERT_NE(view, nullptr);
    ASSERT_NE(view->Bills, nullptr);
    EXPECT_EQ(view->Nodes->Root()->ChildCount(), 46);
    EXPECT_TRUE(view->BuiltSQL.contains(QStringLiteral("s.BalSchIID=%1").arg(Scheme->SchemeIID))) << view->BuiltSQL.toStdString();

    // 落地扇: forecasts and orders against stock and planned production.
    TTreeNode* fan = NodeOfItem(*view, QStringLiteral("1.01.001"));
    ASSERT_NE(fan, nullptr);
    const QModelIndex fanIndex = view->Nodes->IndexOf(fan);
    view->trlMain->setCurrentIndex(fanIndex);
    view->trlMain->expand(fanIndex);
    ASSERT_EQ(fan->ChildCount(), 10);
    EXPECT_EQ(fan->Child(0)->Value(QStringLiteral("BalGroupNo")).toString(), QStringLiteral("前期"));
    EXPECT_EQ(fan->Child(1)->Value(QStringLiteral("BalGroupNo")).toString(), QStringLiteral("12/07-12/13"));
    EXPECT_EQ(fan->Child(9)->Value(QStringLiteral("BalGroupNo")).toString(), QStringLiteral("后期"));
    for (const char* field : {"BalForQty", "BalSOQty", "BalQty", "BalInvQty"}) {
        double total = 0;
        for (int p = 0; p < fan->ChildCount(); ++p)
            total += fan->Child(p)->Value(QLatin1String(field)).toDouble();
        EXPECT_NEAR(total, fan->Value(QLatin1String(field)).toDouble(), 1e-6) << field;
    }
    EXPECT_NEAR(fan->Child(9)->Value(QStringLiteral("BalEndQty")).toDouble(), fan->Value(QStringLiteral("BalEndQty")).toDouble(), 1e-6);

    // The bills of the row, class by class: stock and safety first, planned supplies last.
    const TRecordSet& bills = view->Bills->Records();
    ASSERT_GT(bills.RecordCount(), 5);
    int lastClass = 0;
    double planned = 0;
    for (int b = 0; b < bills.RecordCount(); ++b) {
        const int billClass = bills.Value(b, QStringLiteral("BillClass")).toInt();
        EXPECT_GE(billClass, lastClass);
        lastClass = billClass;
        if (billClass == bcPlanned)
            planned += bills.Value(b, QStringLiteral("SupQty")).toDouble();
    }
    EXPECT_EQ(lastClass, bcPlanned);
    EXPECT_NEAR(planned, fan->Value(QStringLiteral("BalQty")).toDouble(), 1e-6);
    EXPECT_EQ(view->Bills->RecordModel()->index(0, view->Bills->RecordModel()->ColumnOf(QStringLiteral("BillClass"))).data().toString(),
              QStringLiteral("库存/安全库存"));

    // The chart of the row: its periods, the on-hand ending where the row ends before safety stock.
    EXPECT_TRUE(view->Chart->Title().startsWith(QStringLiteral("1.01.001 落地扇")));
    const QList<double> onHand = view->Chart->SeriesValues(QStringLiteral("预计结存"));
    ASSERT_EQ(onHand.size(), 10);
    EXPECT_NEAR(onHand.last(), fan->Value(QStringLiteral("BalEndQty")).toDouble() + fan->Value(QStringLiteral("BalSafeQty")).toDouble(), 1e-6);
    EXPECT_EQ(view->Chart->SeriesValues(QStringLiteral("需求")).size(), 10);
    EXPECT_EQ(view->Chart->SeriesValues(QStringLiteral("安全库存")),
              QList<double>(2, Scalar(QStringLiteral("select ItmSafeQty::float8 from KX_MRP_ItemSetting where ItmID='DM-I-FS40'")).toDouble()));
    EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("balance_view.png")));

    // A period row lists the bills of that period only.
    int busy = -1;
    for (int p = 0; p < fan->ChildCount() && busy < 0; ++p)
        if (fan->Child(p)->Value(QStringLiteral("BalForQty")).toDouble() > 0 && p > 0)
            busy = p;
    ASSERT_GT(busy, 0);
    view->trlMain->setCurrentIndex(view->Nodes->IndexOf(fan->Child(busy)));
    double forcast = 0;
    for (int b = 0; b < bills.RecordCount(); ++b)
        if (bills.Value(b, QStringLiteral("SupBillType")).toInt() == btForcast)
            forcast += bills.Value(b, QStringLiteral("SupQty")).toDouble();
    EXPECT_NEAR(forcast, fan->Child(busy)->Value(QStringLiteral("BalForQty")).toDouble(), 1e-6);
    EXPECT_TRUE(view->Bills->BuiltSQL.contains(QStringLiteral("s.\"SupPeriod\"=%1").arg(busy))) << view->Bills->BuiltSQL.toStdString();
    EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("balance_view_period.png")));
}

TEST_F(BalanceView, WithoutARunTheViewsAreEmptyAndSaySo)
{
    TPlanScheme none(&SharedConnection());
    auto view = OpenView<TMRPBalanceFrame>(QStringLiteral("KX_MRP.MRP.Balance"), &none);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Nodes->Root()->ChildCount(), 0);
    EXPECT_EQ(view->Bills->Records().RecordCount(), 0);
    EXPECT_TRUE(view->Link->lblPlanState->text().isEmpty());
    // Then a scheme is chosen: the rows come right after, the view being shown.
    view->SetPlanScheme(Scheme, &Events);
    QApplication::processEvents();
    EXPECT_EQ(view->Nodes->Root()->ChildCount(), 46);
    EXPECT_EQ(view->Link->lblPlanState->text(), QStringLiteral("(MRP运算完成)"));
}
