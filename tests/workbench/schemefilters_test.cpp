// The conditions of a scheme's data objects: the filter dialog's condition and the kinds of
// main demand whose supply lines are left out are kept apart, read back as they were written,
// and given to the run together; a run leaves out exactly the lines of those kinds.
#include "workbenchfixture.h"

#include "db/shared.h"
#include "engine/progress.h"
#include "engine/schemefilters.h"

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

const QString kPO = QStringLiteral("KX_MRP.PO");
const QString kSeparator = QString(QChar(0xF8F5)) + QChar(0xF8F5);

QString Entries(const QStringList& entries)
{
    return entries.join(kSeparator);
}

} // namespace

TEST(SchemeFilters, DialogConditionAndKindsLeftOutAreKeptApartAndRunTogether)
{
    const QString other = QStringLiteral("[KX_MRP.SO]=s.SOQty>0");
    const struct {
        const char* Case;
        QString Before;
        TObjectFilter Filter;
        QString After;
        const char* Run;
    } cases[] = {
        {"a condition alone is what the run reads",
         other, {QStringLiteral("s.POQty>5"), QStringLiteral("code-1"), {}},
         Entries({other, QStringLiteral("[KX_MRP.PO]=s.POQty>5"), QStringLiteral("[Code.KX_MRP.PO]=code-1")}), "s.POQty>5"},
        {"kinds left out join the condition; the dialog's condition is kept apart",
         Entries({other, QStringLiteral("[KX_MRP.PO]=s.POQty>5")}), {QStringLiteral("s.POQty>5"), QStringLiteral("code-1"), {8, 0, 8}},
         Entries({other, QStringLiteral("[KX_MRP.PO]=(s.POQty>5) and (coalesce($$OrigType$$,0) not in (0, 8))"),
                  QStringLiteral("[Code.KX_MRP.PO]=code-1"), QStringLiteral("[Kinds.KX_MRP.PO]=0,8"), QStringLiteral("[Cond.KX_MRP.PO]=s.POQty>5")}),
         "(s.POQty>5) and (coalesce($$OrigType$$,0) not in (0, 8))"},
        {"kinds without a condition",
         QString(), {QString(), QStringLiteral("stale code"), {2}},
         Entries({QStringLiteral("[KX_MRP.PO]=coalesce($$OrigType$$,0) not in (2)"), QStringLiteral("[Kinds.KX_MRP.PO]=2")}),
         "coalesce($$OrigType$$,0) not in (2)"},
        {"every kind back: the entries of the kinds go",
         Entries({QStringLiteral("[KX_MRP.PO]=(a) and (coalesce($$OrigType$$,0) not in (2))"), QStringLiteral("[Kinds.KX_MRP.PO]=2"),
                  QStringLiteral("[Cond.KX_MRP.PO]=a"), other}),
         {QStringLiteral("a"), QString(), {}}, Entries({other, QStringLiteral("[KX_MRP.PO]=a")}), "a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        const QString after = WithObjectFilter(c.Before, kPO, c.Filter);
        EXPECT_EQ(after, c.After);
        EXPECT_EQ(FilterOf(after, kPO), QString::fromUtf8(c.Run));
        // Read back as written (the kinds in order, once each).
        const TObjectFilter read = ObjectFilterOf(after, kPO);
        EXPECT_EQ(read.Condition, c.Filter.Condition.trimmed());
        QList<int> kinds = c.Filter.LeftOut;
        std::sort(kinds.begin(), kinds.end());
        kinds.erase(std::unique(kinds.begin(), kinds.end()), kinds.end());
        EXPECT_EQ(read.LeftOut, kinds);
        EXPECT_EQ(FilterOf(after, QStringLiteral("KX_MRP.SO")), FilterOf(c.Before, QStringLiteral("KX_MRP.SO")));
    }
    // A condition written before the kinds existed reads as the dialog's condition.
    EXPECT_EQ(ObjectFilterOf(QStringLiteral("[KX_MRP.PO]=s.POQty>5"), kPO).Condition, QStringLiteral("s.POQty>5"));
}

class SchemeFiltersRun : public TWorkbenchTest {
public:
    static void SetUpTestSuite() { TWorkbenchTest::SetUpTestSuite(); }

protected:
    // The production orders a run of the scheme holds as supplies, with the kinds of their
    // production orders left out.
    static QStringList OrdersPlannedWith(int iid, const QList<int>& leftOut)
    {
        TPlanScheme s(&SharedConnection());
        EXPECT_TRUE(s.Load(iid));
        s.DataFilters = WithObjectFilter(s.DataFilters, QStringLiteral("KX_MRP.MO"), TObjectFilter{QString(), QString(), leftOut});
        EXPECT_TRUE(s.Save());
        TSilentProgress silent;
        EXPECT_TRUE(s.RunMRP(false, false, [](int, int, const QString&, const QString&) {}, silent, false));
        return Rows(QStringLiteral("select distinct SupBillNo from KX_MRP_Supplies where SupSchIID=%1 and SupBillType=22 "
                                   "and SupBillNo<>'' order by 1")
                        .arg(iid));
    }
};

TEST_F(SchemeFiltersRun, ARunLeavesOutTheSupplyLinesOfTheKindsLeftOut)
{
    // MO2611-001 was made for a sales order; MO2612-001 serves no main demand.
    const int iid = PrepareScheme(QStringLiteral("参与范围"), true);
    const QStringList all = OrdersPlannedWith(iid, {});
    ASSERT_TRUE(all.contains(QStringLiteral("MO2611-001")) && all.contains(QStringLiteral("MO2612-001"))) << all.join(' ').toStdString();
    QStringList withoutSales = all, withoutUnserved = all;
    withoutSales.removeAll(QStringLiteral("MO2611-001"));
    withoutUnserved.removeAll(QStringLiteral("MO2612-001"));
    withoutUnserved.removeAll(QStringLiteral("MO2612-002"));
    EXPECT_EQ(OrdersPlannedWith(iid, {2}), withoutSales);
    EXPECT_EQ(OrdersPlannedWith(iid, {0}), withoutUnserved);
    EXPECT_EQ(OrdersPlannedWith(iid, {0, 2, 4, 8, 12}), QStringList());
}
