// The hand-written deduction cases of cases/*.ded, each on an empty factory of its own; every
// difference from the expected log rows and line totals is reported at its line.
#include "deductcase.h"

#include "db/shared.h"
#include "testdatabase.h"

#include <gtest/gtest.h>


using namespace kx;
using namespace kx::scenario;

namespace {

std::vector<QString> Cases()
{
    const QStringList files = ScenarioFiles(QStringLiteral(KX_DEDUCT_CASE_DIR), QStringLiteral("*.ded"));
    return {files.begin(), files.end()};
}

std::string TestName(const ::testing::TestParamInfo<QString>& info)
{
    return CaseTestName(info.param);
}

} // namespace

class DeductCase : public test::TDatabaseTest, public ::testing::WithParamInterface<QString> {
protected:
    static void SetUpTestSuite()
    {
        TDatabaseTest::SetUpTestSuite();
        // The deduction reads the bills under the user's rights: the tester holds them all.
        Exec(QStringLiteral("update KX_SYS_Users set UsrIsAdmin=1 where UsrID='U001'"));
        Host().UseCatalogue();
    }

    void SetUp() override
    {
        Exec(QStringLiteral("truncate KX_MRP_Deduction, KX_MRP_ForcastExt, KX_MRP_SOExt, KX_MRP_SIExt, KX_MRP_ItemSetting, "
                            "KX_Bill_ForHead, KX_Bill_SOHead, KX_Bill_SIHead, KX_Base_Customer, KX_Base_ItemMaster, KX_Base_Unit cascade"));
    }
};

TEST_P(DeductCase, LeavesTheHandDerivedLogAndTotals)
{
    QStringList errors;
    const TScenario deductCase = ReadCaseFile(GetParam(), DeductCaseFormat(), errors);
    for (const QString& e : errors)
        ADD_FAILURE() << e.toStdString();
    if (!errors.isEmpty())
        return;
    SCOPED_TRACE(deductCase.Claim.toStdString());
    for (const TDifference& d : RunDeductCase(deductCase))
        ADD_FAILURE_AT(deductCase.Path.toStdString().c_str(), d.Line) << d.Text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, DeductCase, ::testing::ValuesIn(Cases()), TestName);
