// The golden MRP scenarios of this folder, each run on its own clone of the template
// database; every difference from the hand-derived results is reported at its line.
#include "scenariorun.h"

#include "db/quote.h"
#include "db/shared.h"
#include "engine/planscheme.h"
#include "engine/progress.h"
#include "generator.h"
#include "testdatabase.h"

#include <gtest/gtest.h>


using namespace kx;
using namespace kx::scenario;

namespace {

std::vector<QString> Scenarios()
{
    const QStringList files = ScenarioFiles(QStringLiteral(KX_SCENARIO_DIR));
    return {files.begin(), files.end()};
}

std::string TestName(const ::testing::TestParamInfo<QString>& info)
{
    return CaseTestName(info.param);
}

} // namespace

class ScenarioDatabase : public test::TDatabaseTest {
protected:
    // Each scenario gets a database of its own, so no case sees another's factory.
    void UseScenarioDatabase(const QString& name)
    {
        FDatabase = QStringLiteral("kxt_scn_") + name.toLower();
        test::TTestDatabase::CreateClone(FDatabase);
        Host().SetDatabase(test::TTestDatabase::Server(), FDatabase);
        SetEnvironment(&Host().Env);
        // The run reads every ERP object under the user's rights: the tester holds them all.
        Exec(QStringLiteral("insert into KX_SYS_Users (UsrID, UsrNo, UsrName, UsrPwdHash, UsrPwdSalt, UsrIsAdmin) values "
                            "('U001', 'tester', '测试员', repeat('0', 64), repeat('0', 32), 1)"));
        Host().UseCatalogue();
    }

    // KX_SCENARIO_KEEP=1 keeps the databases for a look at what the run stored.
    void TearDown() override
    {
        if (FDatabase.isEmpty())
            return;
        SharedQuery().Close();
        SharedConnection().Close();
        if (qEnvironmentVariableIsEmpty("KX_SCENARIO_KEEP"))
            test::TTestDatabase::Drop(FDatabase);
    }

private:
    QString FDatabase;
};

class MrpScenario : public ScenarioDatabase, public ::testing::WithParamInterface<QString> {};

TEST_P(MrpScenario, StoresTheHandDerivedResults)
{
    QStringList errors;
    const TScenario scenario = ReadScenario(GetParam(), errors);
    for (const QString& e : errors)
        ADD_FAILURE() << e.toStdString();
    if (!errors.isEmpty())
        return;
    SCOPED_TRACE(scenario.Claim.toStdString());
    UseScenarioDatabase(scenario.Name);
    TScenarioRunner runner(scenario);
    try {
        runner.Load();
    } catch (const EScenarioLoad& e) {
        ADD_FAILURE_AT(scenario.Path.toStdString().c_str(), e.Line) << "loading: " << e.Text.toStdString();
        return;
    }
    runner.Run();
    for (const TDifference& d : runner.Check())
        ADD_FAILURE_AT(scenario.Path.toStdString().c_str(), d.Line) << d.Text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Golden, MrpScenario, ::testing::ValuesIn(Scenarios()), TestName);

// The generated factory of size M: eight levels, shared components, lot rules, substitutes
// and open orders of every kind at once. Nobody derives its results by hand, but every
// allocation must still add up on both of its sides.
class GeneratedFactory : public ScenarioDatabase {};

TEST_F(GeneratedFactory, SizeMKeepsTheBalanceIdentities)
{
    UseScenarioDatabase(QStringLiteral("generated_m"));
    suite::GenerateData(SharedConnection(), suite::GenSizeParams(QStringLiteral("M")));
    TPlanScheme scheme(&SharedConnection());
    scheme.SchemeName = QStringLiteral("生成工厂M");
    scheme.PlanPeriods = test::WeeklyPeriods(QDate::currentDate().addDays(1 - QDate::currentDate().dayOfWeek()), 26);
    scheme.CareMRPTrackMode = 9;
    scheme.PlanState = DeriveSavedState(true, 0, {}, TSchemeParams::Of(scheme));
    ASSERT_TRUE(scheme.Save());
    TSilentProgress progress;
    ASSERT_TRUE(scheme.RunMPS(false, false, progress));
    ASSERT_TRUE(scheme.RunMRP(false, false, [](int, int, const QString&, const QString&) {}, progress, false));

    const TScenario none;
    TScenarioRunner runner(none);
    runner.AdoptScheme(scheme.SchemeIID);
    EXPECT_GT(runner.Rows(QStringLiteral("allots")).size(), 10000);
    const QList<TDifference> faults = runner.CheckIdentities();
    for (qsizetype i = 0; i < qMin<qsizetype>(faults.size(), 20); ++i)
        ADD_FAILURE() << faults[i].Text.toStdString();
    EXPECT_EQ(faults.size(), 0);
}
