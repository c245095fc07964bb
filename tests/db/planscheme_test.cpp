#include "engine/planscheme.h"

#include "db/shared.h"

#include "testdatabase.h"

#include <gtest/gtest.h>

#include <QThread>

using namespace kx;
using namespace kx::test;

namespace {

TPlanPeriods TwoWeeks()
{
    return BuildPlanPeriods({{ppkNormal, QDate(2026, 12, 7), QDate(2026, 12, 13)}, {ppkNormal, QDate(2026, 12, 14), QDate(2026, 12, 20)}});
}

} // namespace

class PlanScheme : public TDatabaseTest {
protected:
    // A second session on the same database, as another user's workbench.
    TConnection Other;
    void SetUp() override { Other.ConnectionString = SharedConnection().ConnectionString; }

    int NewScheme(const QString& name)
    {
        TPlanScheme s(&SharedConnection());
        s.SchemeName = name;
        s.PlanPeriods = TwoWeeks();
        s.PlanState = DeriveSavedState(true, 0, {}, TSchemeParams::Of(s));
        EXPECT_TRUE(s.Save());
        return s.SchemeIID;
    }
};

TEST_F(PlanScheme, SavedAndLoadedWithItsOwnerAndTimes)
{
    TPlanScheme s(&SharedConnection());
    s.SchemeName = QStringLiteral("十二月计划'A'");
    s.PlanPeriods = TwoWeeks();
    s.PlanCalIID = 3;
    s.PlanNeedScope = 5;
    s.CareItemLotRule = true;
    s.SetDataFilter(QStringLiteral("KX_MRP.SO"), QStringLiteral("s.SONo like 'SO%'"));
    EXPECT_EQ(s.GetPlanStateText(), QString());        // an unsaved scheme has no state text
    ASSERT_TRUE(s.Save());
    ASSERT_GT(s.SchemeIID, 0);
    EXPECT_EQ(s.GetPlanStateText(), QStringLiteral("待获取主需求数据"));

    TPlanScheme loaded(&SharedConnection());
    ASSERT_TRUE(loaded.Load(s.SchemeIID));
    EXPECT_EQ(loaded.SchemeName, s.SchemeName);
    EXPECT_EQ(loaded.Creater, QStringLiteral("测试员"));
    EXPECT_EQ(loaded.PlanCalIID, 3);
    EXPECT_EQ(loaded.PlanNeedScope, 5);
    EXPECT_TRUE(loaded.CareItemLotRule);
    EXPECT_FALSE(loaded.CareItemLossRate);
    EXPECT_EQ(PlanPeriodsToText(loaded.PlanPeriods), PlanPeriodsToText(s.PlanPeriods));
    EXPECT_EQ(loaded.DataFilter(QStringLiteral("KX_MRP.SO")), QStringLiteral("s.SONo like 'SO%'"));
    EXPECT_EQ(Scalar(QStringLiteral("select SchUsrID from KX_MRP_Schemes where SchIID=%1").arg(s.SchemeIID)).toString(),
              QStringLiteral("U001"));

    // Saving again rewrites the parameters and times, never the owner or the creation.
    const QVariant created = Scalar(QStringLiteral("select SchNewTime from KX_MRP_Schemes where SchIID=%1").arg(s.SchemeIID));
    QThread::msleep(20);
    Host().SetUser(QStringLiteral("U002"), QStringLiteral("另一人"));
    loaded.SchemeName = QStringLiteral("十二月计划B");
    ASSERT_TRUE(loaded.Save());
    Host().SetUser(QStringLiteral("U001"), QStringLiteral("测试员"));
    EXPECT_EQ(Scalar(QStringLiteral("select SchUsrID||'|'||SchName from KX_MRP_Schemes where SchIID=%1").arg(s.SchemeIID)).toString(),
              QStringLiteral("U001|十二月计划B"));
    EXPECT_EQ(Scalar(QStringLiteral("select SchNewTime from KX_MRP_Schemes where SchIID=%1").arg(s.SchemeIID)), created);
    EXPECT_GT(loaded.UpdateTime, created.toDateTime());
    EXPECT_TRUE(Scalar(QStringLiteral("select SchMaxTime>SchNewTime from KX_MRP_Schemes where SchIID=%1").arg(s.SchemeIID)).toBool());

    TPlanScheme missing(&SharedConnection());
    EXPECT_FALSE(missing.Load(999999));
    EXPECT_EQ(missing.SchemeIID, 0);
}

TEST_F(PlanScheme, CheckStateRefusesWhenAnotherSessionChangedOrDeletedIt)
{
    const int iid = NewScheme(QStringLiteral("并发方案"));
    TPlanScheme mine(&SharedConnection());
    ASSERT_TRUE(mine.Load(iid));
    TScriptedMessages script;
    EXPECT_TRUE(mine.CheckState());
    EXPECT_EQ(script.Count(), 0);

    Other.Execute(QStringLiteral("update KX_MRP_Schemes set SchState=2 where SchIID=%1").arg(iid));
    EXPECT_FALSE(mine.CheckState());
    EXPECT_EQ(script.LastText(), QStringLiteral("计划方案[并发方案]最新状态已被改变, 不能执行本操作!"));
    // Having seen the new state, the next check passes.
    EXPECT_TRUE(mine.CheckState());

    Other.Execute(QStringLiteral("delete from KX_MRP_Schemes where SchIID=%1").arg(iid));
    EXPECT_FALSE(mine.CheckState());
    EXPECT_EQ(script.Count(), 2);
}

TEST_F(PlanScheme, CopiesKeepRowKeysButNoReleases)
{
    const int from = NewScheme(QStringLiteral("源方案"));
    const int to = NewScheme(QStringLiteral("复制方案"));
    Exec(QStringLiteral(
        "insert into KX_MRP_Main (ManSchIID, ManIID, ManPeriod, ManBillType, ManDate, ManItmID, ManQty) values "
        "(%1, 4, 1, 2, '20261208', 'I1', 10), (%1, 9, 1, 12, '20261209', 'I2', 5);\r"
        "insert into KX_MRP_Supplies (SupSchIID, SupIID, SupPeriod, SupBillType, SupItmID, SupQty, SupRestQty, SupDestQty, "
        "SupDester, SupDestTime, SupNote) values (%1, 7, 1, 58, 'I1', 10, 0, 6, 'U001', '20261205', '已投放');\r"
        "insert into KX_MRP_DestAlters (DstSchIID, DstSupIID, DstDmdIID, DstItmID, DstQty) values (%1, 7, 1, 'I3', 2);\r"
        "insert into KX_MRP_RunLog (LogSchIID, LogIID, LogText) values (%1, 1, '执行完成。')").arg(from));
    CopySchemeData(SharedConnection(), to, from, false);
    EXPECT_EQ(Scalar(QStringLiteral("select string_agg(ManIID::text, ',' order by ManIID) from KX_MRP_Main where ManSchIID=%1").arg(to))
                  .toString(),
              QStringLiteral("4,9"));
    EXPECT_EQ(Scalar(QStringLiteral("select SupIID||'|'||SupNote||'|'||coalesce(SupDestQty::text, 'null')||coalesce(SupDester, 'null') "
                                    "from KX_MRP_Supplies where SupSchIID=%1").arg(to)).toString(),
              QStringLiteral("7|已投放|nullnull"));
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_DestAlters where DstSchIID=%1").arg(to)).toInt(), 0);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_RunLog where LogSchIID=%1").arg(to)).toInt(), 1);

    // Main demand only, of the chosen bill types.
    const int third = NewScheme(QStringLiteral("主需求副本"));
    CopySchemeData(SharedConnection(), third, from, true, QStringLiteral("12"));
    EXPECT_EQ(Scalar(QStringLiteral("select string_agg(ManIID::text, ',') from KX_MRP_Main where ManSchIID=%1").arg(third)).toString(),
              QStringLiteral("9"));
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_Supplies where SupSchIID=%1").arg(third)).toInt(), 0);
}
