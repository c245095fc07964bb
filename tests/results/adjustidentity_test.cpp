// The generated factory of size M after many planner adjustments of every kind: more, less or
// nothing planned, purchase made production and production bought, another BOM. The balance
// still adds up supply by supply and item by item, as it did after the run.
#include "db/shared.h"
#include "engine/planscheme.h"
#include "engine/progress.h"
#include "generator.h"
#include "scenariorun.h"
#include "testdatabase.h"
#include "workbench/supplyadjust.h"

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

class GeneratedAdjustments : public TDatabaseTest {
public:
    static void SetUpTestSuite()
    {
        TDatabaseTest::SetUpTestSuite();
        Exec(QStringLiteral("update KX_SYS_Users set UsrIsAdmin=1 where UsrID='U001'"));
        Host().UseCatalogue();
    }
};

TEST_F(GeneratedAdjustments, SizeMKeepsTheBalanceIdentitiesAfterEveryKindOfAdjustment)
{
    suite::GenerateData(SharedConnection(), suite::GenSizeParams(QStringLiteral("M")));
    TPlanScheme scheme(&SharedConnection());
    scheme.SchemeName = QStringLiteral("生成工厂M调整");
    scheme.PlanPeriods = WeeklyPeriods(QDate::currentDate().addDays(1 - QDate::currentDate().dayOfWeek()), 26);
    scheme.CareMRPTrackMode = 9;
    scheme.PlanState = DeriveSavedState(true, 0, {}, TSchemeParams::Of(scheme));
    ASSERT_TRUE(scheme.Save());
    TSilentProgress progress;
    ASSERT_TRUE(scheme.RunMPS(false, false, progress));
    ASSERT_TRUE(scheme.RunMRP(false, false, [](int, int, const QString&, const QString&) {}, progress, false));

    // Every seventh planned supply, changed in turn in one of six ways.
    QList<TSupplyLine> lines = ReadSupplyLines(SharedConnection(), scheme.SchemeIID);
    ASSERT_GT(lines.size(), 3000);
    QList<TSupplyLine> changed;
    int kinds[6] = {};
    for (int i = 0; i < lines.size(); i += 7) {
        TSupplyLine line = lines[i];
        const int kind = (i / 7) % 6;
        switch (kind) {
        case 0: ChangeSupplyQty(line, line.Qty + 12.5); break;
        case 1: ChangeSupplyQty(line, line.Qty / 2); break;
        case 2: ChangeSupplyQty(line, 0); break;
        case 3: ASSERT_TRUE(ChangeSupplyType(SharedConnection(), line, line.BillType == btPlanPO ? btPlanMO : btPlanPO).IsEmpty()); break;
        case 4: ASSERT_TRUE(ChangeSupplyType(SharedConnection(), line, line.BillType == btPlanOO ? btPlanMO : btPlanOO).IsEmpty()); break;
        default: ChangeSupplyAdjQty(line, 3); break;
        }
        if (SupplyLineChanged(line)) {
            changed << line;
            ++kinds[kind];
        }
    }
    for (int count : kinds)
        EXPECT_GT(count, 50);
    const TSupplySaveResult result = SaveSupplyAdjustments(SharedConnection(), scheme, changed);
    ASSERT_TRUE(result.Saved);
    EXPECT_TRUE(result.Notes.Pending && result.Notes.NegativeRest);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_SupAdjusts where AdjSchIID=%1").arg(scheme.SchemeIID)).toInt(),
              changed.size());

    const scenario::TScenario none;
    scenario::TScenarioRunner runner(none);
    runner.AdoptScheme(scheme.SchemeIID);
    const QList<scenario::TDifference> faults = runner.CheckIdentities();
    for (qsizetype i = 0; i < qMin<qsizetype>(faults.size(), 20); ++i)
        ADD_FAILURE() << faults[i].Text.toStdString();
    EXPECT_EQ(faults.size(), 0);
}
