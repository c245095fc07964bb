// What the workbench does to schemes, without widgets: the chooser's list and captions in
// both modes, the checks before a save, a copy with or without its results (and nothing at
// all when it fails), and deleting a scheme with every row it owns in one transaction.
#include "workbenchfixture.h"

#include "db/errors.h"
#include "db/shared.h"
#include "engine/progress.h"
#include "workbench/schemeops.h"

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

TEST(SchemeRules, ChooserCaptionsCarryPublishingAndOwner)
{
    const struct {
        int State;
        const char* Owner;
        const char* Caption;
    } cases[] = {
        {6, "U1", "计划A"},                     {7, "U1", "计划A (已取消发布)"},       {8, "U1", "计划A (已发布)"},
        {9, "U1", "计划A (已投放)"},            {10, "U1", "计划A (已关闭投放)"},       {8, "U2", "计划A (已发布)[王芳]"},
        {2, "U2", "计划A[王芳]"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SchemeListCaption(QStringLiteral("计划A"), c.State, QLatin1String(c.Owner), QStringLiteral("王芳"), QStringLiteral("U1")),
                  QString::fromUtf8(c.Caption));
}

TEST(SchemeRules, CopyKeepsResultsOnlyWhenAskedAndAnswered)
{
    const QDateTime ran(QDate(2026, 12, 1), QTime(8, 0));
    EXPECT_TRUE(CopyResultsAsked(ran, srcForcastAndOrders, srcForcastAndOrders));
    EXPECT_TRUE(CopyResultsAsked(ran, srcOrders, srcImport));
    EXPECT_FALSE(CopyResultsAsked(ran, srcOrders, srcForcast));
    EXPECT_FALSE(CopyResultsAsked(QDateTime(), srcOrders, srcOrders));
    EXPECT_FALSE(CopyResultsAsked(QDateTime(QDate(1900, 1, 1), QTime()), srcOrders, srcOrders));
    EXPECT_EQ(CopiedState(psReleased, true), psMRPDone);
    EXPECT_EQ(CopiedState(psMRPDone, false), psMPSReady);
    EXPECT_EQ(CopiedState(psParamsChangedMPS, false), psParamsChangedMPS);
    EXPECT_EQ(MainBillTypesOf(srcOrders), QStringLiteral("2, 4, 12"));
    EXPECT_EQ(MainBillTypesOf(srcForcast), QStringLiteral("8, 12"));
    EXPECT_EQ(MainBillTypesOf(srcImport), QString());
}

class SchemeOps : public TWorkbenchTest {
public:
    static void SetUpTestSuite() { TWorkbenchTest::SetUpTestSuite(); }

protected:
    static int RowsOf(int iid)
    {
        return Scalar(QStringLiteral("select (select count(*) from KX_MRP_Main where ManSchIID=%1) + (select count(*) from KX_MRP_Demands "
                                     "where DmdSchIID=%1) + (select count(*) from KX_MRP_Supplies where SupSchIID=%1) + (select count(*) "
                                     "from KX_MRP_Allots where AltSchIID=%1) + (select count(*) from KX_MRP_Balance where BalSchIID=%1) "
                                     "+ (select count(*) from KX_MRP_RunLog where LogSchIID=%1) + (select count(*) from KX_MRP_Schemes "
                                     "where SchIID=%1)")
                          .arg(iid))
            .toInt();
    }
};

TEST_F(SchemeOps, ListsTheUsersOwnSchemesOrThoseGrantedToHimWhenPublished)
{
    const int draft = PrepareScheme(QStringLiteral("草稿"), false);
    const int mine = PrepareScheme(QStringLiteral("我的已发布"), false);
    Exec(QStringLiteral("update KX_MRP_Schemes set SchState=8, SchMaxTime='2026-12-01' where SchIID=%1").arg(mine));
    // Another planner's schemes: one published and granted to the planning group, one not granted.
    const int granted = PrepareScheme(QStringLiteral("同事的"), false);
    const int hidden = PrepareScheme(QStringLiteral("未授权的"), false);
    Exec(QStringLiteral("update KX_MRP_Schemes set SchUsrID='DM-USR-ZHANGLI', SchState=9, SchMaxTime='2026-12-02' where SchIID in (%1, %2);\r"
                        "insert into KX_SYS_DataPermissions (DpmUsrID, DpmIsGroup, DpmObjID, DpmDataID) values ('DM-G-PLAN', 1, 'KX_MRP.MRP', '%1')")
             .arg(granted)
             .arg(hidden));
    auto ids = [](const QList<TSchemeListItem>& items) {
        QList<int> list;
        for (const TSchemeListItem& i : items)
            list << i.IID;
        return list;
    };
    EXPECT_EQ(ids(ReadSchemeList(SharedConnection(), QStringLiteral("KX_MRP_Schemes"), true)), (QList<int>{draft, mine}));
    const QList<TSchemeListItem> read = ReadSchemeList(SharedConnection(), QStringLiteral("KX_MRP_Schemes"), false);
    EXPECT_EQ(ids(read), (QList<int>{granted, mine}));
    const QString owner = Scalar(QStringLiteral("select UsrName from KX_SYS_Users where UsrID='DM-USR-ZHANGLI'")).toString();
    ASSERT_FALSE(owner.isEmpty());
    EXPECT_EQ(read.first().Caption, QStringLiteral("同事的 (已投放)[%1]").arg(owner));
    // The source list of another scheme offers the planner's own from state 2 and what he was granted.
    Exec(QStringLiteral("update KX_MRP_Schemes set SchState=2, SchMpsRunTime='2026-12-01 08:00' where SchIID=%1").arg(draft));
    EXPECT_EQ(ids(ReadSourceSchemes(SharedConnection(), mine)), (QList<int>{draft, granted}));
    EXPECT_EQ(ReadSourceSchemes(SharedConnection(), mine).first().Caption, QStringLiteral("草稿 (2026/12/01 08:00:00)"));
}

TEST_F(SchemeOps, SaveIsRefusedWithoutNameUniqueNameOrHorizon)
{
    PrepareScheme(QStringLiteral("Plan-A"), false);
    const struct {
        const char* Name;
        bool Periods;
        TSchemeFault Fault;
        const char* Message;
    } cases[] = {
        {"  ", true, sfEmptyName, "[方案名称]的内容不能为空!"},
        {"Plan-A", true, sfDuplicateName, "[方案名称]的值(Plan-A)已经存在!"},
        {"plan-a ", true, sfDuplicateName, "[方案名称]的值(plan-a)已经存在!"},
        {"Plan-B", false, sfNoPeriods, "展望期间不能为空, 请设置!"},
        {"Plan-B", true, sfNone, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Message);
        TPlanScheme s(&SharedConnection());
        s.SchemeName = QString::fromUtf8(c.Name);
        if (c.Periods)
            s.PlanPeriods = WeeklyPeriods(QDate(2026, 12, 7), 2);
        QString message;
        EXPECT_EQ(CheckSchemeForSave(SharedConnection(), s, message), c.Fault);
        EXPECT_EQ(message, QString::fromUtf8(c.Message));
    }
    // The scheme itself keeps its name when saved again; another owner may use it.
    TPlanScheme own(&SharedConnection());
    ASSERT_TRUE(own.Load(Scalar(QStringLiteral("select SchIID from KX_MRP_Schemes where SchName='Plan-A'")).toInt()));
    QString message;
    EXPECT_EQ(CheckSchemeForSave(SharedConnection(), own, message), sfNone);
    Exec(QStringLiteral("update KX_MRP_Schemes set SchUsrID='DM-USR-ZHANGLI'"));
    TPlanScheme fresh(&SharedConnection());
    fresh.SchemeName = QStringLiteral("Plan-A");
    fresh.PlanPeriods = WeeklyPeriods(QDate(2026, 12, 7), 2);
    EXPECT_EQ(CheckSchemeForSave(SharedConnection(), fresh, message), sfNone);
}

TEST_F(SchemeOps, CopyTakesItsSourcesRowsOrNothing)
{
    const int source = PrepareScheme(QStringLiteral("原方案"), true, true);
    TPlanScheme original(&SharedConnection());
    ASSERT_TRUE(original.Load(source));
    TSilentProgress silent;
    auto copyOf = [&](const QString& name, int planSource, bool results) {
        TPlanScheme copy(&SharedConnection());
        AssignScheme(copy, original);
        copy.SchemeIID = 0;
        copy.SchemeName = name;
        copy.PlanSource = planSource;
        copy.PlanState = CopiedState(DeriveSavedState(false, original.PlanState, TSchemeParams::Of(original), TSchemeParams::Of(copy)), results);
        const TSchemeCopy request{source, results, planSource};
        EXPECT_TRUE(SaveSchemeWithData(copy, &request, original.SchemeName, silent));
        return copy.SchemeIID;
    };
    const int full = copyOf(QStringLiteral("全部复制"), srcForcastAndOrders, true);
    EXPECT_EQ(RowsOf(full), RowsOf(source));
    EXPECT_EQ(Scalar(QStringLiteral("select SchState||'/'||(SchMrpRunTime=(select SchMrpRunTime from KX_MRP_Schemes where SchIID=%2)) "
                                    "from KX_MRP_Schemes where SchIID=%1")
                         .arg(full)
                         .arg(source))
                  .toString(),
              QStringLiteral("6/true"));
    // Orders only: the forecast lines stay behind, and the copy must run again.
    const int orders = copyOf(QStringLiteral("仅订单"), srcOrders, false);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_Main where ManSchIID=%1").arg(orders)).toInt(),
              Scalar(QStringLiteral("select count(*) from KX_MRP_Main where ManSchIID=%1 and ManBillType in (2, 4, 12)").arg(source)).toInt());
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_Supplies where SupSchIID=%1").arg(orders)).toInt(), 0);
    EXPECT_EQ(Scalar(QStringLiteral("select SchState||'/'||(SchMrpRunTime is null) from KX_MRP_Schemes where SchIID=%1").arg(orders)).toString(),
              QStringLiteral("1/true"));

    // A copy that fails on its way writes no scheme and no row, and says why.
    Exec(QStringLiteral("create or replace function pg_temp.kx_refuse() returns trigger language plpgsql as $$ begin raise exception 'disk full'; end $$;\r"
                        "create trigger kx_refuse before insert on KX_MRP_Supplies for each statement execute function pg_temp.kx_refuse()"));
    const int schemes = Scalar(QStringLiteral("select count(*) from KX_MRP_Schemes")).toInt();
    TPlanScheme failed(&SharedConnection());
    AssignScheme(failed, original);
    failed.SchemeIID = 0;
    failed.SchemeName = QStringLiteral("失败的复制");
    const TSchemeCopy request{source, true, srcForcastAndOrders};
    TScriptedMessages messages;
    EXPECT_FALSE(SaveSchemeWithData(failed, &request, original.SchemeName, silent));
    Exec(QStringLiteral("drop trigger kx_refuse on KX_MRP_Supplies"));
    EXPECT_EQ(failed.SchemeIID, 0);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_Schemes")).toInt(), schemes);
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("保存过程中出现意外错误, 操作被中止!\r\r原因: "))) << messages.LastText().toStdString();
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("disk full")));
}

TEST_F(SchemeOps, DeleteRemovesEveryRowOfTheSchemeAndNothingElse)
{
    const int doomed = PrepareScheme(QStringLiteral("将删除"), true, true);
    const int kept = PrepareScheme(QStringLiteral("保留"), true, true);
    const int keptRows = RowsOf(kept);
    Exec(QStringLiteral("update KX_MRP_Supplies set SupDestQty=SupQty where SupSchIID=%1 and SupIID in (select SupIID from KX_MRP_Supplies "
                        "where SupSchIID=%1 order by SupIID limit 2);\r"
                        "insert into KX_SYS_DataPermissions (DpmUsrID, DpmIsGroup, DpmObjID, DpmDataID) values ('DM-G-PLAN', 1, 'KX_MRP.MRP', '%1')")
             .arg(doomed));
    const int released = ReleasedSupplyCount(SharedConnection(), doomed);
    EXPECT_EQ(released, 2);
    EXPECT_EQ(DeleteSchemeQuestion(QStringLiteral("将删除"), psReleaseClosed, released),
              QStringLiteral("计划方案[将删除]有2条MRP供应计划已被投放, 删除后意味着不能进行追溯查询, 确定?"));
    EXPECT_EQ(DeleteSchemeQuestion(QStringLiteral("将删除"), psMRPDone, released),
              QStringLiteral("删除计划方案[将删除], 其主需求、MRP结果以及手工调整数据都被永久清除, 确定?"));

    // A failing step leaves everything in place.
    Exec(QStringLiteral("create or replace function pg_temp.kx_refuse() returns trigger language plpgsql as $$ begin raise exception 'locked'; end $$;\r"
                        "create trigger kx_refuse before delete on KX_MRP_Schemes for each statement execute function pg_temp.kx_refuse()"));
    const int rows = RowsOf(doomed);
    TSilentProgress silent;
    EXPECT_THROW(DeleteSchemeData(SharedConnection(), doomed, QStringLiteral("将删除"), silent), EDatabaseError);
    Exec(QStringLiteral("drop trigger kx_refuse on KX_MRP_Schemes"));
    EXPECT_EQ(RowsOf(doomed), rows);

    DeleteSchemeData(SharedConnection(), doomed, QStringLiteral("将删除"), silent);
    EXPECT_EQ(RowsOf(doomed), 0);
    EXPECT_EQ(RowsOf(kept), keptRows);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_SYS_DataPermissions where DpmDataID='%1'").arg(doomed)).toInt(), 0);
    EXPECT_TRUE(Scalar(QStringLiteral("select to_regclass('kx_mrp_main_s%1') is null").arg(doomed)).toBool());
}
