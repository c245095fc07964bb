#include "kx_mrp/environment.h"
#include "kx_mrp/interfaces.h"

#include "testhost.h"

#include <gtest/gtest.h>

using namespace kx;

namespace {

TInfoObjectDef MakeDef()
{
    TInfoObjectDef def;
    def.ID = QStringLiteral("KX_MRP.Forcast");
    TInfoFieldDef f;
    f.ID = QStringLiteral("ForNo");
    f.Name = QStringLiteral("单据编号");
    def.Fields << f;
    f.Name = QStringLiteral("预测单号");              // a later field with the same ID
    def.Fields << f;
    for (const char* id : {"New", "Update", "Delete", "Check"}) {
        TInfoActionDef a;
        a.ID = QString::fromLatin1(id);
        def.Actions << a;
    }
    def.AccessGroups << TInfoAccessGroup{QStringLiteral("Update"), QStringLiteral("修改")};
    def.Relations << TInfoRelationDef{QStringLiteral("Lines"), QStringLiteral("明细"), false, QStringLiteral("X"), {}};
    return def;
}

} // namespace

TEST(ObjectDef, LookupsIgnoreCaseAndTheLastElementWins)
{
    const TInfoObjectDef def = MakeDef();
    ASSERT_NE(def.GetFieldDef(QStringLiteral("forno")), nullptr);
    EXPECT_EQ(def.GetFieldDef(QStringLiteral("FORNO"))->Name, QStringLiteral("预测单号"));
    EXPECT_EQ(def.GetFieldDef(QStringLiteral("ForDate")), nullptr);
    EXPECT_NE(def.GetAccessGroup(QStringLiteral("update")), nullptr);
    EXPECT_EQ(def.GetAccessGroup(QStringLiteral("Money")), nullptr);
    EXPECT_NE(def.GetRelationDef(QStringLiteral("LINES")), nullptr);
    // The action at position 3 answers to command 103.
    const TInfoActionDef* check = def.GetActionDef(QStringLiteral("check"));
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(cmdAction + (check - def.Actions.constData()), 103);
}

TEST(ObjectDef, PermitFilterJoinsTheHostsConditionsOfEveryCode)
{
    test::TTestHost host;
    host.PermitSQL.insert(QStringLiteral("A"), QStringLiteral("s.DeptID='D1'"));
    host.PermitSQL.insert(QStringLiteral("B"), QStringLiteral("s.EmpID='E1'"));
    TInfoObjectDef def = MakeDef();

    def.PermitCodes = QString();
    EXPECT_EQ(def.GetPermitFilter(false, &host.Env), QString());
    def.PermitCodes = QStringLiteral("1=0");
    EXPECT_EQ(def.GetPermitFilter(false, &host.Env), QStringLiteral("1=0"));
    EXPECT_TRUE(host.Calls.isEmpty());

    def.PermitCodes = QStringLiteral("A|B|");
    EXPECT_EQ(def.GetPermitFilter(true, &host.Env), QStringLiteral("(s.DeptID='D1') or (s.EmpID='E1')"));
    EXPECT_EQ(host.Calls, (QStringList{QStringLiteral("GetPermitSQL:KX_MRP.Forcast:A:1"),
                                       QStringLiteral("GetPermitSQL:KX_MRP.Forcast:B:1")}));

    // A code counts only when a "|" follows it.
    def.PermitCodes = QStringLiteral("A");
    EXPECT_EQ(def.GetPermitFilter(false, &host.Env), QString());
    def.PermitCodes = QStringLiteral("|A||");
    EXPECT_EQ(def.GetPermitFilter(false, &host.Env), QStringLiteral("(s.DeptID='D1')"));
}

TEST(Interfaces, GuidsAreTheContractsOwn)
{
    EXPECT_EQ(IID_IInfoView.D1, 0x53E2B281u);
    EXPECT_EQ(IID_IInfoView.D4[7], 0xCF);
    EXPECT_EQ(IID_IInfoFrame.D1, 0x7EC08E83u);
    EXPECT_EQ(IID_IInfoEdit.D3, 0x4CD8);
    EXPECT_FALSE(IID_IInfoView == IID_IInfoFrame);
}
