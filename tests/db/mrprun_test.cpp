// An MRP run replaces the results of its own scheme only. One that does not finish, stopped
// by Esc or by a failing statement anywhere up to the last write of its results, leaves the
// scheme's previous results, run log and state as they were. A run takes the quantities of
// the sales lines as the bills stand when it runs, and counts in kit quantities and in the
// balance every demand row, also one that no level reads.
#include "engine/maindemand.h"
#include "engine/progress.h"

#include "db/shared.h"

#include "testdatabase.h"

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

class MRPRunAbort : public TDemoDatabaseTest {
protected:
    void SetUp() override
    {
        Scheme = std::make_unique<TPlanScheme>(&SharedConnection());
        Scheme->SchemeName = QStringLiteral("中止测试");
        Scheme->PlanPeriods = WeeklyPeriods(QDate(2026, 12, 7), 8);
        Scheme->PlanCalIID = 1;
        Scheme->PlanState = DeriveSavedState(true, 0, {}, TSchemeParams::Of(*Scheme));
        ASSERT_TRUE(Scheme->Save());
        ASSERT_TRUE(Scheme->RunMPS(false, false, Silent));
        ASSERT_TRUE(Run(Silent));
        Before = Snapshot();
        ASSERT_TRUE(Before.contains(QStringLiteral("state 6")));
    }

    bool Run(IEngineProgress& progress)
    {
        return Scheme->RunMRP(false, false, [](int, int, const QString&, const QString&) {}, progress, false);
    }

    // Rows and quantity totals of every result table, the log and the scheme's state and times.
    QString Snapshot(int iid = 0) const
    {
        if (iid == 0)
            iid = Scheme->SchemeIID;
        return Scalar(QStringLiteral(
                          "select concat_ws(' ',"
                          " (select count(*)||'/'||coalesce(sum(DmdQty),0)||'/'||coalesce(sum(DmdASetQty),0) from KX_MRP_Demands where DmdSchIID=%1),"
                          " (select count(*)||'/'||coalesce(sum(SupQty),0) from KX_MRP_Supplies where SupSchIID=%1),"
                          " (select count(*)||'/'||coalesce(sum(AltQty),0) from KX_MRP_Allots where AltSchIID=%1),"
                          " (select count(*)||'/'||coalesce(sum(BalEndQty),0) from KX_MRP_Balance where BalSchIID=%1),"
                          " (select count(*)||'/'||max(LogTime) from KX_MRP_RunLog where LogSchIID=%1),"
                          " (select 'state '||SchState||' '||SchMrpRunTime||' '||SchMaxTime from KX_MRP_Schemes where SchIID=%1))")
                          .arg(iid))
            .toString();
    }

    // The run's work tables are gone whatever the outcome.
    static bool RunTablesLeft()
    {
        return Scalar(QStringLiteral("select to_regclass('tmp_KX_MRP_Demands') is not null or to_regclass('tmp_KX_MRP_Supplies') is not null"))
            .toBool();
    }

    TSilentProgress Silent;
    std::unique_ptr<TPlanScheme> Scheme;
    QString Before;
};

TEST_F(MRPRunAbort, EscAtAnyPointOfTheRunCancelsIt)
{
    // Esc goes down after the first poll, in the middle of the levels, and at the last poll
    // before saving.
    int polls = 0;
    {
        TEscapeHold neverPressed(1000000);
        TStatusProgress status;
        ASSERT_TRUE(Run(status));
        polls = neverPressed.Polls();
    }
    ASSERT_GT(polls, 10);
    Before = Snapshot();
    for (int after : {0, polls / 2, polls - 1}) {
        SCOPED_TRACE(after);
        TScriptedMessages messages({mrYes});
        TEscapeHold esc(after);
        TStatusProgress status;
        EXPECT_FALSE(Run(status));
        ASSERT_GE(messages.Count(), 2);
        EXPECT_EQ(messages.Texts().first(), QStringLiteral("您已按下[Esc]键, 中止正在执行的操作?"));
        EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("MRP运算过程被中止（原因: ")));
        EXPECT_EQ(Snapshot(), Before);
        EXPECT_FALSE(RunTablesLeft());
    }

    // Answering no to the question lets the run go on to the end.
    TScriptedMessages messages({mrNo});
    TEscapeHold esc(polls - 1);
    TStatusProgress status;
    EXPECT_TRUE(Run(status));
    EXPECT_EQ(messages.Count(), 1);
}

TEST_F(MRPRunAbort, FailingStatementInALevelOrInTheSaveCancelsIt)
{
    // A procedure that fails on the second level.
    Exec(QStringLiteral("alter procedure KX_MRP_SetBOMForDemand rename to KX_MRP_SetBOMForDemand_Kept;\r"
                        "create procedure KX_MRP_SetBOMForDemand(Level integer default -1) language plpgsql as $$ begin "
                        "if Level = 1 then raise exception 'BOM lookup failed at level %', Level; end if; "
                        "call KX_MRP_SetBOMForDemand_Kept(Level); end $$"));
    {
        TScriptedMessages messages;
        EXPECT_FALSE(Run(Silent));
        EXPECT_TRUE(messages.LastText().contains(QStringLiteral("BOM lookup failed at level 1"))) << messages.LastText().toStdString();
    }
    Exec(QStringLiteral("drop procedure KX_MRP_SetBOMForDemand;\r"
                        "alter procedure KX_MRP_SetBOMForDemand_Kept rename to KX_MRP_SetBOMForDemand"));
    EXPECT_EQ(Snapshot(), Before);
    EXPECT_FALSE(RunTablesLeft());

    // The save fails at its last table, after the old results were deleted in it.
    Exec(QStringLiteral("create function pg_temp.kx_refuse() returns trigger language plpgsql as $$ begin "
                        "raise exception 'disk full'; end $$;\r"
                        "create trigger kx_refuse before insert on KX_MRP_RunLog for each statement execute function pg_temp.kx_refuse()"));
    {
        TScriptedMessages messages;
        EXPECT_FALSE(Run(Silent));
        EXPECT_TRUE(messages.LastText().contains(QStringLiteral("disk full"))) << messages.LastText().toStdString();
    }
    Exec(QStringLiteral("drop trigger kx_refuse on KX_MRP_RunLog"));
    EXPECT_EQ(Snapshot(), Before);
    EXPECT_FALSE(RunTablesLeft());

    // And the next run succeeds with the same results.
    ASSERT_TRUE(Run(Silent));
    const QString after = Snapshot();
    EXPECT_EQ(after.section(QLatin1Char(' '), 0, 3), Before.section(QLatin1Char(' '), 0, 3));
}

TEST_F(MRPRunAbort, RunReplacesTheResultsOfItsSchemeOnly)
{
    // A copy of the scheme with its results, which the copy keeps until its first run.
    TPlanScheme copy(&SharedConnection());
    copy.SchemeName = QStringLiteral("中止测试副本");
    copy.PlanPeriods = Scheme->PlanPeriods;
    copy.PlanCalIID = 1;
    copy.PlanState = psMPSReady;
    ASSERT_TRUE(copy.Save());
    CopySchemeData(SharedConnection(), copy.SchemeIID, Scheme->SchemeIID, false);
    const auto results = [](const QString& snapshot) { return snapshot.section(QLatin1Char(' '), 0, 3); };
    EXPECT_EQ(results(Snapshot(copy.SchemeIID)), results(Before));

    // Its run and a rerun of the first scheme give both the same results again.
    ASSERT_TRUE(copy.RunMRP(false, false, [](int, int, const QString&, const QString&) {}, Silent, false));
    ASSERT_TRUE(Run(Silent));
    EXPECT_EQ(results(Snapshot(copy.SchemeIID)), results(Before));
    EXPECT_EQ(results(Snapshot()), results(Before));

    // A deleted scheme leaves nothing behind, and takes nothing of another with it.
    Exec(QStringLiteral("delete from KX_MRP_Schemes where SchIID=%1").arg(copy.SchemeIID));
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from pg_class where relname like 'kx\\_mrp\\_%\\_s%1'").arg(copy.SchemeIID)).toInt(), 0);
    EXPECT_EQ(results(Snapshot()), results(Before));
}

TEST_F(MRPRunAbort, RunTakesTheSalesLinesAsTheyStandNow)
{
    // One more piece delivered on one sales line since the main demand was fetched: that
    // line's main demand and demand shrink by one, and no other line changes.
    const QString line = Scalar(QStringLiteral("select ManBillID||'/'||ManBillEntry from KX_MRP_Main where ManSchIID=%1 and "
                                               "ManBillType=2 and ManQty>=2 order by ManIID limit 1")
                                    .arg(Scheme->SchemeIID))
                             .toString();
    ASSERT_FALSE(line.isEmpty());
    const QString id = line.section(QLatin1Char('/'), 0, 0), entry = line.section(QLatin1Char('/'), 1);
    const auto mainRows = [&]() {
        return Scalar(QStringLiteral("select string_agg(ManIID||':'||ManExeQty||':'||ManQty, ' ' order by ManIID) from KX_MRP_Main "
                                     "where ManSchIID=%1")
                          .arg(Scheme->SchemeIID))
            .toString();
    };
    const QString mainBefore = mainRows();
    const double qtyBefore = Scalar(QStringLiteral("select ManQty from KX_MRP_Main where ManSchIID=%1 and ManBillType=2 and "
                                                   "ManBillID='%2' and ManBillEntry=%3")
                                        .arg(Scheme->SchemeIID).arg(id, entry))
                                 .toDouble();
    const double needBefore = Scalar(QStringLiteral("select sum(DmdNeedQty) from KX_MRP_Demands where DmdSchIID=%1 and DmdBillType=2")
                                         .arg(Scheme->SchemeIID))
                                  .toDouble();
    Exec(QStringLiteral("update KX_Bill_SOLine set SOOkQty=SOOkQty+1 where SOID='%1' and SOEntry=%2").arg(id, entry));
    ASSERT_TRUE(Run(Silent));

    EXPECT_EQ(Scalar(QStringLiteral("select ManQty from KX_MRP_Main where ManSchIID=%1 and ManBillType=2 and ManBillID='%2' and "
                                    "ManBillEntry=%3")
                         .arg(Scheme->SchemeIID).arg(id, entry))
                  .toDouble(),
              qtyBefore - 1);
    EXPECT_DOUBLE_EQ(Scalar(QStringLiteral("select sum(DmdNeedQty) from KX_MRP_Demands where DmdSchIID=%1 and DmdBillType=2")
                                .arg(Scheme->SchemeIID))
                         .toDouble(),
                     needBefore - 1);
    const QStringList before = mainBefore.split(QLatin1Char(' ')), after = mainRows().split(QLatin1Char(' '));
    ASSERT_EQ(before.size(), after.size());
    int changed = 0;
    for (int i = 0; i < before.size(); ++i)
        changed += before[i] != after[i];
    EXPECT_EQ(changed, 1);
}

TEST_F(MRPRunAbort, LinesWithoutBOMTakeTheDefaultOfTheirPropertySetOnTheirDay)
{
    // DM-I-FS40's BOMs carry no dates: for a set, the one marked default beats the checked one,
    // which beats the newest; a disabled BOM counts for nothing, and a set without BOMs of its
    // own takes the BOM for every set.
    Exec(QStringLiteral(
        "update KX_Bom_Head set BomBeginDate=null where BomItmID='DM-I-FS40';"
        "insert into KX_Bom_Head (BomID, BomNo, BomItmID, BomItmProps, BomIsDefault, BomChecked, BomDate, BomDisabled) values "
        "('T-X1', 'T-X1', 'DM-I-FS40', 'X', 0, 0, '2026-01-01', 0), ('T-X2', 'T-X2', 'DM-I-FS40', 'X', 0, 1, '2025-01-01', 0), "
        "('T-Y', 'T-Y', 'DM-I-FS40', 'Y', 1, 1, '2025-01-01', 1), ('T-N', 'T-N', 'DM-I-FS40', '', 0, 1, '2026-06-01', 0), "
        "('T-Z1', 'T-Z1', 'DM-I-FS40', 'Z', 0, 0, '2025-05-01', 0), ('T-Z2', 'T-Z2', 'DM-I-FS40', 'Z', 0, 0, '2025-09-01', 0), "
        "('T-V1', 'T-V1', 'DM-I-FS40', 'V', 1, 0, '2024-01-01', 0), ('T-V2', 'T-V2', 'DM-I-FS40', 'V', 0, 1, '2026-01-01', 0);"
        // DM-I-DS30's BOMs are dated: set 3 has one only from 2030 on, and none for every set.
        "insert into KX_Bom_Head (BomID, BomNo, BomItmID, BomItmProps, BomIsDefault, BomChecked, BomBeginDate) values "
        "('T-D3', 'T-D3', 'DM-I-DS30', '3', 1, 1, '2030-01-01');"
        "update KX_MRP_Main as m set ManItmProps=v.Props, ManBomID='' from (select ManIID, (array['X', 'Y', 'Z', '', 'V'])"
        "[row_number() over (order by ManIID)] as Props from KX_MRP_Main where ManSchIID=%1 and ManItmID='DM-I-FS40') as v "
        "where m.ManSchIID=%1 and m.ManIID=v.ManIID;"
        "update KX_MRP_Main set ManItmProps='3', ManBomID='' where ManSchIID=%1 and ManIID=(select min(ManIID) from KX_MRP_Main "
        "where ManSchIID=%1 and ManItmID='DM-I-DS30')")
             .arg(Scheme->SchemeIID));
    ASSERT_TRUE(Run(Silent));

    const auto boms = [&](const char* item) {
        return Scalar(QStringLiteral("select string_agg(distinct DmdItmProps||'='||coalesce(nullif(DmdBomID, ''), '-'), ' ') from "
                                     "KX_MRP_Demands where DmdSchIID=%1 and DmdItmID='%2' and DmdBillType<=12")
                          .arg(Scheme->SchemeIID).arg(QLatin1String(item)))
            .toString();
    };
    EXPECT_EQ(boms("DM-I-FS40"), QStringLiteral("=DM-B-FS40 V=T-V1 X=T-X2 Y=DM-B-FS40 Z=T-Z2"));
    EXPECT_EQ(boms("DM-I-DS30"), QStringLiteral("1=DM-B-DS30W 2=DM-B-DS30B 3=-"));
    // Every demand of a made item that came in without a BOM has the one the suite's choice
    // gives for its set and day.
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_Demands as d join KX_MRP_Main as m on m.ManSchIID=d.DmdSchIID and "
                                    "m.ManBillType=d.DmdBillType and m.ManBillID=d.DmdBillID and m.ManBillEntry=d.DmdBillEntry "
                                    "join KX_Base_ItemMaster as i on i.ItmID=d.DmdItmID where d.DmdSchIID=%1 and m.ManBomID='' and "
                                    "i.ItmType>1 and coalesce(nullif(d.DmdBomID, ''), '-') is distinct from coalesce((select BomID "
                                    "from KX_MRP_DefaultBOM(d.DmdItmID, d.DmdItmProps, d.DmdDate)), '-')")
                         .arg(Scheme->SchemeIID))
                  .toInt(),
              0);
}

TEST_F(MRPRunAbort, KitQuantitiesAndBalanceCountDemandsThatNoLevelReads)
{
    const auto kits = [&]() {
        return Scalar(QStringLiteral("select string_agg(k, ' ' order by k) from (select DmdItmID||'/'||DmdBillType||'='||sum(DmdASetQty)||'/'||"
                                     "sum(DmdASetRate) as k from KX_MRP_Demands where DmdSchIID=%1 and DmdItmID<>'T-NOITEM' "
                                     "group by DmdItmID, DmdBillType) as g")
                          .arg(Scheme->SchemeIID))
            .toString();
    };
    const auto balance = [&]() {
        return Scalar(QStringLiteral("select md5(string_agg(b::text, ' ' order by b::text)) from (select BalGroupType, BalGroupNo, "
                                     "BalItmID, BalItmProps, BalItmProp1, BalItmProp2, BalForQty, BalSOQty, BalFreeQty, BalInvQty, "
                                     "BalSafeQty, BalOODQty, BalMODQty, BalPOODQty, BalPMODQty, BalVirDQty, BalNetQty, BalQty, BalEndQty "
                                     "from KX_MRP_Balance where BalSchIID=%1 and BalItmID<>'T-NOITEM') as b")
                          .arg(Scheme->SchemeIID))
            .toString();
    };
    const QString before = kits(), balanceBefore = balance();
    ASSERT_GT(Scalar(QStringLiteral("select sum(DmdASetQty) from KX_MRP_Demands where DmdSchIID=%1").arg(Scheme->SchemeIID)).toDouble(), 0);

    // A free demand of an item the item master does not know: no level reads it, and the kit
    // quantities are worked from the rows as they are, with the same result for every other.
    Exec(QStringLiteral("insert into KX_MRP_Main (ManSchIID, ManIID, ManPeriod, ManBillType, ManBillID, ManBillNo, ManBillEntry, "
                        "ManGroupType, ManGroupNo, ManDate, ManItmID, ManItmProps, ManBomType, ManQty) select %1, max(ManIID)+1, 1, "
                        "%2, 'T-F', 'T-F', 1, 0, '', '2026-12-10', 'T-NOITEM', '', 0, 5 from KX_MRP_Main where ManSchIID=%1")
             .arg(Scheme->SchemeIID).arg(btFreeNeed));
    ASSERT_TRUE(Run(Silent));
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_Demands where DmdSchIID=%1 and DmdItmID='T-NOITEM'").arg(Scheme->SchemeIID))
                  .toInt(),
              1);
    EXPECT_EQ(kits(), before);
    // The balance is summed from the rows too, with the same result; the unknown item has
    // its own line.
    EXPECT_EQ(balance(), balanceBefore);
    EXPECT_EQ(Scalar(QStringLiteral("select BalFreeQty||'/'||BalEndQty from KX_MRP_Balance where BalSchIID=%1 and BalItmID='T-NOITEM'")
                         .arg(Scheme->SchemeIID))
                  .toString(),
              QStringLiteral("5.00000000/-5.00000000"));
}
