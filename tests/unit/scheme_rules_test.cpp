#include "engine/hints.h"
#include "engine/planscheme.h"

#include "qtprinters.h"

#include <gtest/gtest.h>

using namespace kx;

namespace {

TPlanPeriods Weeks(const QDate& monday, int count)
{
    QList<TPlanPeriod> user;
    for (int i = 0; i < count; ++i)
        user << TPlanPeriod{ppkNormal, monday.addDays(7 * i), monday.addDays(7 * i + 6)};
    return BuildPlanPeriods(user);
}

TSchemeParams Params(int source)
{
    TSchemeParams p;
    p.Source = source;
    p.Periods = QStringLiteral("46363|46370|");
    return p;
}

} // namespace

TEST(SchemeState, NewSchemesWaitForMainDemandOrAreReadyWhenImported)
{
    EXPECT_EQ(DeriveSavedState(true, 0, {}, Params(srcForcastAndOrders)), psNeedMPS);
    EXPECT_EQ(DeriveSavedState(true, 0, {}, Params(srcImport)), psMPSReady);
}

TEST(SchemeState, ChangedParametersAskForMainDemandOrARun)
{
    const TSchemeParams base = Params(srcForcastAndOrders);
    TSchemeParams periods = base;
    periods.Periods = QStringLiteral("46363|46377|");
    TSchemeParams scope = base;
    scope.NeedScope = 1;
    TSchemeParams source = base;
    source.Source = srcOrders;
    TSchemeParams forcastFilter = base;
    forcastFilter.Filters = WithFilter(QString(), QStringLiteral("KX_MRP.Forcast"), QStringLiteral("s.ForQty>10"));
    TSchemeParams moFilter = base;
    moFilter.Filters = WithFilter(QString(), QStringLiteral("KX_MRP.MO"), QStringLiteral("s.MOQty>0"));
    TSchemeParams ordersOnly = Params(srcOrders);
    TSchemeParams ordersForcastFilter = ordersOnly;
    ordersForcastFilter.Filters = forcastFilter.Filters;

    struct Case { const char* what; int state; TSchemeParams before, after; int expected; };
    const Case cases[] = {
        {"unchanged", psMRPDone, base, base, psMRPDone},
        {"periods after main demand", psMPSReady, base, periods, psParamsChangedMPS},
        {"periods after a run", psMRPDone, base, periods, psParamsChangedMPS},
        {"periods before main demand", psNeedMPS, base, periods, psNeedMPS},
        {"source", psMPSChanged, base, source, psParamsChangedMPS},
        {"condition of a source bill", psMRPDone, base, forcastFilter, psParamsChangedMPS},
        {"MRP parameter after a run", psMRPDone, base, scope, psParamsChangedMRP},
        {"MRP parameter before a run", psMPSReady, base, scope, psMPSReady},
        {"condition of a supply bill", psMRPDone, base, moFilter, psParamsChangedMRP},
        // Orders only: a forecast condition is no main-demand parameter, just a condition.
        {"forecast condition of an orders scheme", psMRPDone, ordersOnly, ordersForcastFilter, psParamsChangedMRP},
        {"to import while ready", psMPSReady, base, Params(srcImport), psMPSReady},
        {"to import after a run", psMRPDone, base, Params(srcImport), psParamsChangedMRP},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DeriveSavedState(false, c.state, c.before, c.after), c.expected) << c.what;
}

TEST(SchemeState, ConditionsAreKeptPerObject)
{
    QString filters = WithFilter(QString(), QStringLiteral("KX_MRP.SO"), QStringLiteral("s.SOQty>1"));
    filters = WithFilter(filters, QStringLiteral("KX_MRP.Inventory"), QStringLiteral("s.InvQty>0"));
    filters = WithFilter(filters, QStringLiteral("kx_mrp.so"), QStringLiteral("s.SOQty>2"));
    EXPECT_EQ(FilterOf(filters, QStringLiteral("KX_MRP.SO")), QStringLiteral("s.SOQty>2"));
    EXPECT_EQ(FilterOf(filters, QStringLiteral("KX_MRP.Inventory")), QStringLiteral("s.InvQty>0"));
    EXPECT_EQ(FilterOf(filters, QStringLiteral("KX_MRP.SI")), QString());
    filters = WithFilter(filters, QStringLiteral("KX_MRP.SO"), QString());
    EXPECT_EQ(FilterOf(filters, QStringLiteral("KX_MRP.SO")), QString());
    EXPECT_EQ(filters, QStringLiteral("[KX_MRP.Inventory]=s.InvQty>0"));
    EXPECT_EQ(TPlanScheme::PlanStateText(2), QStringLiteral("主需求就绪, 可以运算MRP"));
    EXPECT_EQ(TPlanScheme::PlanStateText(11), QString());
}

TEST(Hints, TextAndRemappingToOtherPeriods)
{
    const THints h = ParseHints(QStringLiteral("01=30\r\n0A=12.5\r\n!?=4\r\n03=\r\n"));
    EXPECT_EQ(h.size(), 2);
    EXPECT_DOUBLE_EQ(h.value(1), 30);
    EXPECT_DOUBLE_EQ(h.value(10), 12.5);
    EXPECT_EQ(FormatHints({{1, 30}, {10, 12.5}, {3, 0}}), QStringLiteral("01=30\r\n0A=12.5\r\n"));

    // From weekly periods to two-week periods: weeks 1-2 fall into period 1, weeks 3-4 into 2.
    const TPlanPeriods weeks = Weeks(QDate(2026, 12, 7), 4);
    QList<TPlanPeriod> pairs{{ppkNormal, QDate(2026, 12, 7), QDate(2026, 12, 20)}, {ppkNormal, QDate(2026, 12, 21), QDate(2027, 1, 3)}};
    const TPlanPeriods fortnights = BuildPlanPeriods(pairs);
    EXPECT_EQ(RemapHints({{1, 10}, {2, 20}, {4, 5}}, 35, weeks, fortnights), (THints{{1, 30}, {2, 5}}));
    // Shares above the total are capped from the latest period backwards.
    EXPECT_EQ(RemapHints({{1, 10}, {2, 20}, {4, 5}}, 12, weeks, fortnights), (THints{{1, 7}, {2, 5}}));
    // What the shares do not cover goes to the first target period used: the latest.
    EXPECT_EQ(RemapHints({{1, 10}, {4, 5}}, 20, weeks, fortnights), (THints{{1, 10}, {2, 10}}));
    // Shares of periods the source list does not have are ignored.
    EXPECT_EQ(RemapHints({{9, 10}}, 10, weeks, fortnights), THints());
}
