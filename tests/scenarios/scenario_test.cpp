// The golden MRP scenarios of this folder, each run on its own clone of the template
// database; every difference from the hand-derived results is reported at its line.
#include "scenariorun.h"

#include "db/quote.h"
#include "db/shared.h"
#include "testdatabase.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <cctype>

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
    std::string name = QFileInfo(info.param).completeBaseName().toStdString();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

} // namespace

class MrpScenario : public test::TDatabaseTest, public ::testing::WithParamInterface<QString> {
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
