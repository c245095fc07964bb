// Main demand on the demo factory: fetched from its sales, export and forecast lines, kept
// across fetches as the planner asked, and imported from table files.
#include "engine/hints.h"
#include "engine/maindemand.h"
#include "engine/mainimport.h"
#include "engine/progress.h"

#include "db/quote.h"
#include "db/shared.h"

#include "testdatabase.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace kx;
using namespace kx::test;

namespace {

// Four fortnights over the eight weeks of the tests: 2026-12-07 to 2027-01-31.
TPlanPeriods FourFortnights()
{
    QList<TPlanPeriod> fortnights;
    for (int f = 0; f < 4; ++f)
        fortnights << TPlanPeriod{ppkNormal, QDate(2026, 12, 7).addDays(14 * f), QDate(2026, 12, 20).addDays(14 * f)};
    return BuildPlanPeriods(fortnights);
}

} // namespace

class MainDemand : public TDemoDatabaseTest {
protected:
    TSilentProgress Progress;

    TPlanScheme& NewScheme(int source = srcForcastAndOrders)
    {
        FScheme = std::make_unique<TPlanScheme>(&SharedConnection());
        FScheme->SchemeName = QStringLiteral("主需求测试");
        FScheme->PlanSource = source;
        FScheme->PlanPeriods = WeeklyPeriods(QDate(2026, 12, 7), 8);   // to 2027-01-31
        FScheme->PlanState = DeriveSavedState(true, 0, {}, TSchemeParams::Of(*FScheme));
        EXPECT_TRUE(FScheme->Save());
        return *FScheme;
    }

    // "type:lines:total" per bill type of a scheme's main demand (the test's scheme when none
    // is named), in type order.
    QString Summary(int schemeIID = 0) const
    {
        return Scalar(QStringLiteral("select string_agg(t, ' ' order by ManBillType) from (select ManBillType, ManBillType||':'||"
                                     "count(*)||':'||sum(ManQty)::numeric(18,0) as t from KX_MRP_Main where ManSchIID=%1 "
                                     "group by ManBillType) as g")
                          .arg(schemeIID ? schemeIID : FScheme->SchemeIID))
            .toString();
    }

    QString Line(const QString& billNo, int entry, const QString& columns) const
    {
        return Scalar(QStringLiteral("select concat_ws('|', %1) from KX_MRP_Main where ManSchIID=%2 and ManBillNo='%3' and ManBillEntry=%4")
                          .arg(columns).arg(FScheme->SchemeIID).arg(billNo).arg(entry))
            .toString();
    }

    std::unique_ptr<TPlanScheme> FScheme;
};

TEST_F(MainDemand, EachSourceTakesItsOpenBillLinesIntoTheirPeriods)
{
    // Orders: the eleven sales lines less the two not planned, and the three export lines;
    // forecasts: seven of eight, the last is not planned.
    TPlanScheme& both = NewScheme();
    ASSERT_TRUE(both.RunMPS(false, false, Progress));
    EXPECT_EQ(Summary(), QStringLiteral("2:9:1450 4:3:1240 8:7:3100"));
    EXPECT_EQ(both.PlanState, psMPSReady);
    EXPECT_EQ(PlanPeriodsToText(both.MpsPeriods), PlanPeriodsToText(both.PlanPeriods));
    // Due before the horizon: period 0; on the last day of December: the fourth week;
    // after the horizon: the period after the last.
    EXPECT_EQ(Line(QStringLiteral("SO2611-001"), 1, QStringLiteral("ManPeriod, ManQty::numeric(18,0), ManPriority")), QStringLiteral("0|50|2"));
    EXPECT_EQ(Line(QStringLiteral("FC2611-001"), 1, QStringLiteral("ManPeriod, ManQty::numeric(18,0), ManPriority")), QStringLiteral("4|300|1"));
    EXPECT_EQ(Line(QStringLiteral("FC2612-001"), 3, QStringLiteral("ManPeriod, ManDate::date")), QStringLiteral("9|2027-02-15"));

    NewScheme(srcOrders);
    ASSERT_TRUE(FScheme->RunMPS(false, false, Progress));
    EXPECT_EQ(Summary(), QStringLiteral("2:9:1450 4:3:1240"));

    NewScheme(srcForcast);
    ASSERT_TRUE(FScheme->RunMPS(false, false, Progress));
    EXPECT_EQ(Summary(), QStringLiteral("8:7:3100"));
}

TEST_F(MainDemand, SchemeConditionNarrowsTheBillsAndDeductionsLowerForecasts)
{
    TPlanScheme& s = NewScheme();
    s.SetDataFilter(QStringLiteral("KX_MRP.SO"), QStringLiteral("s.SONo='SO2612-004'"));
    s.SetDataFilter(QStringLiteral("KX_MRP.SI"), QStringLiteral("1=0"));
    ASSERT_TRUE(s.Save());
    // 400 of the forecast line are already deducted by orders: 0 is left of it. A part
    // deduction leaves the rest.
    Exec(QStringLiteral("insert into KX_MRP_ForcastExt (ForID, ForEntry, ForDedAQty, ForDedMQty) select ForID, ForEntry, 400, 0 "
                        "from KX_Bill_ForLine join KX_Bill_ForHead using (ForID) where ForNo='FC2612-001' and ForEntry=1;\r"
                        "insert into KX_MRP_ForcastExt (ForID, ForEntry, ForDedAQty, ForDedMQty) select ForID, ForEntry, 100, 50 "
                        "from KX_Bill_ForLine join KX_Bill_ForHead using (ForID) where ForNo='FC2612-001' and ForEntry=2"));
    ASSERT_TRUE(s.RunMPS(false, false, Progress));
    Exec(QStringLiteral("delete from KX_MRP_ForcastExt"));
    EXPECT_EQ(Summary(), QStringLiteral("2:2:250 8:6:2550"));
    EXPECT_EQ(Line(QStringLiteral("FC2612-001"), 2, QStringLiteral("ManDedQty::numeric(18,0), ManNeedQty::numeric(18,0), ManQty::numeric(18,0)")),
              QStringLiteral("150|150|150"));
}

TEST_F(MainDemand, RefetchKeepsFreeDemandAndAdjustmentsOnlyWhenAsked)
{
    TPlanScheme& s = NewScheme(srcOrders);
    ASSERT_TRUE(s.RunMPS(false, false, Progress));
    // The planner adds 10 to a sales line and a free demand line, and the scheme has been run.
    TMainDemandLine free;
    free.BillNo = QStringLiteral("FREE-1");
    free.ItmID = QStringLiteral("DM-I-WS40");
    free.Date = QDate(2026, 12, 16);
    free.NeedQty = 25;
    free.Qty = 25;
    ASSERT_TRUE(SaveMainDemandLines(s, {free}, wtInsertOrUpdate, Progress));
    Exec(QStringLiteral("update KX_MRP_Main set ManAdjQty=10, ManQty=ManQty+10 where ManSchIID=%1 and ManBillNo='SO2612-001' and ManBillEntry=1;\r"
                        "update KX_MRP_Schemes set SchMrpRunTime=localtimestamp, SchState=%2 where SchIID=%1")
             .arg(s.SchemeIID).arg(psMRPDone));
    ASSERT_TRUE(s.Load(s.SchemeIID));
    EXPECT_EQ(Summary(), QStringLiteral("2:9:1460 4:3:1240 12:1:25"));

    ASSERT_TRUE(s.RunMPS(true, true, Progress));
    EXPECT_EQ(Summary(), QStringLiteral("2:9:1460 4:3:1240 12:1:25"));
    EXPECT_EQ(Line(QStringLiteral("SO2612-001"), 1, QStringLiteral("ManNeedQty::numeric(18,0), ManAdjQty::numeric(18,0), ManQty::numeric(18,0)")),
              QStringLiteral("500|10|510"));
    EXPECT_EQ(Line(QStringLiteral("FREE-1"), 0, QStringLiteral("ManPeriod, ManItmID")), QStringLiteral("2|DM-I-WS40"));
    // A scheme that was run before learns that its main demand changed.
    EXPECT_EQ(s.PlanState, psMPSChanged);

    ASSERT_TRUE(s.RunMPS(false, false, Progress));
    EXPECT_EQ(Summary(), QStringLiteral("2:9:1450 4:3:1240"));
    // The line numbers are dense again after the refetch.
    EXPECT_EQ(Scalar(QStringLiteral("select max(ManIID)-count(*) from KX_MRP_Main where ManSchIID=%1").arg(s.SchemeIID)).toInt(), 0);
}

TEST_F(MainDemand, PeriodHintsFollowTheLineIntoTheNewPeriods)
{
    TPlanScheme& s = NewScheme(srcForcast);
    ASSERT_TRUE(s.RunMPS(false, false, Progress));
    // The planner spreads the 400 of a forecast line over the second and fourth weeks.
    Exec(QStringLiteral("update KX_MRP_Main set ManHints=%1 where ManSchIID=%2 and ManBillNo='FC2611-001' and ManBillEntry=3")
             .arg(QuotedStr(FormatHints({{2, 150}, {4, 250}})))
             .arg(s.SchemeIID));
    const TSchemeParams before = TSchemeParams::Of(s);
    s.PlanPeriods = FourFortnights();
    s.PlanState = DeriveSavedState(false, s.PlanState, before, TSchemeParams::Of(s));
    ASSERT_TRUE(s.Save());
    EXPECT_EQ(s.PlanState, psParamsChangedMPS);

    ASSERT_TRUE(s.RunMPS(false, true, Progress));
    EXPECT_EQ(Line(QStringLiteral("FC2611-001"), 3, QStringLiteral("ManPeriod, ManHints")),
              QStringLiteral("2|") + FormatHints({{1, 150}, {2, 250}}));
    EXPECT_EQ(s.PlanState, psMPSReady);

    // A changed MRP parameter after a run asks for a new run, not for new main demand.
    Exec(QStringLiteral("update KX_MRP_Schemes set SchMrpRunTime=localtimestamp, SchState=%1 where SchIID=%2").arg(psMRPDone).arg(s.SchemeIID));
    ASSERT_TRUE(s.Load(s.SchemeIID));
    const TSchemeParams run = TSchemeParams::Of(s);
    s.CareItemSafety = 2;
    s.PlanState = DeriveSavedState(false, s.PlanState, run, TSchemeParams::Of(s));
    ASSERT_TRUE(s.Save());
    ASSERT_TRUE(s.Load(s.SchemeIID));
    EXPECT_EQ(s.PlanState, psParamsChangedMRP);
}

TEST_F(MainDemand, CopyTakesTheSourceLinesIntoTheChosenPeriodsAndLeavesTheSourceAlone)
{
    TPlanScheme& source = NewScheme();
    ASSERT_TRUE(source.RunMPS(false, false, Progress));
    const QString lines = Summary();
    ASSERT_FALSE(lines.isEmpty());
    TPlanScheme copy(&SharedConnection());
    copy.SchemeName = QStringLiteral("主需求副本");
    copy.PlanPeriods = FourFortnights();
    copy.PlanState = DeriveSavedState(true, 0, {}, TSchemeParams::Of(copy));
    ASSERT_TRUE(copy.Save());
    const QString periods = QStringLiteral("select max(ManPeriod) from KX_MRP_Main where ManSchIID=%1");

    // Taken whole, in the source's weeks.
    ASSERT_TRUE(CopyMPS(copy, source.SchemeIID, wtOverwriteAll, true, Progress));
    EXPECT_EQ(Summary(copy.SchemeIID), lines);
    EXPECT_EQ(copy.MpsPeriods.size(), source.MpsPeriods.size());
    EXPECT_EQ(copy.PlanState, psMPSReady);

    // Taken again over the copy's own lines, now in its fortnights: the same lines, each once.
    copy.PlanPeriods = FourFortnights();
    ASSERT_TRUE(copy.Save());
    ASSERT_TRUE(CopyMPS(copy, source.SchemeIID, wtInsertOrUpdate, false, Progress));
    EXPECT_EQ(Summary(copy.SchemeIID), lines);
    EXPECT_LE(Scalar(periods.arg(copy.SchemeIID)).toInt(), 5);
    EXPECT_EQ(Summary(source.SchemeIID), lines);
}

TEST_F(MainDemand, FailedFetchLeavesMainDemandAndStateAsTheyWere)
{
    TPlanScheme& s = NewScheme();
    ASSERT_TRUE(s.RunMPS(false, false, Progress));
    const QString before = Summary();
    const QVariant runTime = Scalar(QStringLiteral("select SchMpsRunTime from KX_MRP_Schemes where SchIID=%1").arg(s.SchemeIID));

    // The forecast statement fails after the orders were read.
    s.SetDataFilter(QStringLiteral("KX_MRP.Forcast"), QStringLiteral("s.NoSuchColumn=1"));
    ASSERT_TRUE(s.Save());
    {
        TScriptedMessages messages;
        EXPECT_FALSE(s.RunMPS(false, false, Progress));
        ASSERT_EQ(messages.Count(), 1);
        EXPECT_TRUE(messages.LastText().contains(QStringLiteral("nosuchcolumn")));
    }
    EXPECT_EQ(Summary(), before);
    EXPECT_EQ(Scalar(QStringLiteral("select SchMpsRunTime from KX_MRP_Schemes where SchIID=%1").arg(s.SchemeIID)), runTime);
    EXPECT_EQ(Scalar(QStringLiteral("select to_regclass('tmp_KX_MRP_Main') is null")).toBool(), true);

    // Esc, confirmed: nothing but the question is shown and nothing changes.
    s.SetDataFilter(QStringLiteral("KX_MRP.Forcast"), QString());
    {
        TScriptedMessages messages({mrYes});
        TEscapeHold esc;
        TStatusProgress status;
        EXPECT_FALSE(s.RunMPS(false, false, status));
        EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("您已按下[Esc]键, 中止正在执行的操作?")});
    }
    EXPECT_EQ(Summary(), before);

    // Without periods there is nothing to fetch into.
    s.PlanPeriods = {};
    TScriptedMessages messages;
    EXPECT_FALSE(s.RunMPS(false, false, Progress));
    EXPECT_EQ(messages.LastText(), QStringLiteral("展望期间不能为空, 请设置!"));
}

class MainDemandImport : public MainDemand {
protected:
    QTemporaryDir Dir;

    TTableFile Csv(const QByteArray& text)
    {
        const QString path = Dir.filePath(QStringLiteral("main.csv"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
        f.close();
        return ReadTableFile(path);
    }
};

TEST_F(MainDemandImport, GoodRowsAreSavedAndEveryBadRowIsReportedByItsNumber)
{
    TPlanScheme& s = NewScheme();
    const TTableFile file = Csv("ManBillNo,ManBillEntry,ItmNo,ManDate,ManAdjQty,ManQty\n"
                                "SO2612-001,1,1.01.001,,5,\n"          // row 2: adjustment on the order's need
                                "SO2612-001,2,2.01.001,2027-01-05,,12\n" // row 3: own date, plan quantity outright
                                ",1,1.01.001,,,\n"                      // row 4: no bill number
                                "SO2612-001,1,9.99.999,,,\n"            // row 5: unknown item
                                "SO2612-002,2,1.01.001,,,\n"            // row 6: line not planned
                                "SO2611-002,0,1.01.002,,,\n"            // row 7: two lines of that item, no entry
                                "SI2611-001,1,1.01.001,,,-3\n"          // row 8: no plan quantity
                                "FC2612-001,4,1.01.003,,,\n"            // row 9: a forecast line
                                "SO2612-001,1,1.01.001,,7,\n");         // row 10: the same line again wins
    QList<TImportIssue> issues;
    ASSERT_TRUE(ImportMainDemand(s, itImportSOorForcast, file, wtOverwriteAll, Progress, issues));
    QStringList rows;
    for (const TImportIssue& i : issues)
        rows << QString::number(i.Row) + QLatin1Char(':') + i.Text.section(QLatin1Char('\r'), 0, 0);
    EXPECT_EQ(rows, (QStringList{QStringLiteral("4:字段ManBillNo导入内容为空, 忽略导入!"),
                                 QStringLiteral("5:[物料代码]的值(9.99.999)不存在!"),
                                 QStringLiteral("6:导入的需求单据不存在, 或不符合计划运算条件!"),
                                 QStringLiteral("7:导入的需求单据因未指定行号而存在重复内容, 忽略导入!"),
                                 QStringLiteral("8:导入内容无计划数量, 或计划数量不大于0, 忽略导入。")}));
    EXPECT_EQ(Summary(), QStringLiteral("2:2:519 8:1:400"));
    EXPECT_EQ(Line(QStringLiteral("SO2612-001"), 1, QStringLiteral("ManNeedQty::numeric(18,0), ManAdjQty::numeric(18,0), ManPeriod")),
              QStringLiteral("500|7|4"));
    EXPECT_EQ(Line(QStringLiteral("SO2612-001"), 2, QStringLiteral("ManNeedQty::numeric(18,0), ManAdjQty::numeric(18,0), ManDate::date, ManPeriod")),
              QStringLiteral("20|-8|2027-01-05|5"));
    EXPECT_EQ(s.PlanState, psMPSReady);

    // Merging a workbook of free demand keeps the lines already there; its unknown item and
    // its row without a quantity are reported.
    const TTableFile free = ReadTableFile(QStringLiteral(KX_TEST_DATA_DIR "/free_demand.xlsx"));
    issues.clear();
    ASSERT_TRUE(ImportMainDemand(s, itImportFreeNeed, free, wtInsertOrUpdate, Progress, issues));
    ASSERT_EQ(issues.size(), 2);
    EXPECT_EQ(issues[0].Row, 3);
    EXPECT_EQ(issues[0].Text, QStringLiteral("[物料代码]的值(9.99.999)不存在!"));
    EXPECT_EQ(issues[1].Row, 4);
    EXPECT_EQ(issues[1].Text, QStringLiteral("导入内容无计划数量, 或计划数量不大于0, 忽略导入。"));
    EXPECT_EQ(Summary(), QStringLiteral("2:2:519 8:1:400 12:2:38"));
    EXPECT_EQ(Scalar(QStringLiteral("select string_agg(ManItmID||'@'||ManDate::date||'#'||ManPeriod, ' ' order by ManDate) "
                                    "from KX_MRP_Main where ManSchIID=%1 and ManBillType=%2").arg(s.SchemeIID).arg(btFreeNeed))
                  .toString(),
              QStringLiteral("DM-I-WS40@2026-12-20#2 DM-I-HD40@2026-12-29#4"));

    // Free lines with a bad colour or date are reported too.
    issues.clear();
    ASSERT_TRUE(ImportMainDemand(s, itImportFreeNeed,
                                 Csv("ItmNo,ManDate,ManNeedQty,ManItmProp1\n"
                                     "1.01.002,2026-12-21,10,NOSUCHCOLOUR\n"
                                     "1.01.003,someday,5,\n"
                                     "1.01.003,2026-12-22,4,\n"),
                                 wtInsertOrUpdate, Progress, issues));
    ASSERT_EQ(issues.size(), 2);
    EXPECT_EQ(issues[0].Text, QStringLiteral("[辅助项1]的值(NOSUCHCOLOUR)无效!"));
    EXPECT_EQ(issues[1].Text, QStringLiteral("[需求日期]的值(someday)无效!"));
    EXPECT_EQ(Summary(), QStringLiteral("2:2:519 8:1:400 12:3:42"));

    // Merged again, the same free lines replace themselves instead of being added twice: by
    // item, property set and date without a demand number, by number and line with one.
    issues.clear();
    ASSERT_TRUE(ImportMainDemand(s, itImportFreeNeed, free, wtInsertOrUpdate, Progress, issues));
    EXPECT_EQ(Summary(), QStringLiteral("2:2:519 8:1:400 12:3:42"));
    const QByteArray numbered = "ManBillNo,ManBillEntry,ItmNo,ManDate,ManNeedQty\n"
                                "FD-9,1,2.01.001,2026-12-23,6\n"
                                "FD-9,2,2.01.001,2026-12-23,2\n";
    ASSERT_TRUE(ImportMainDemand(s, itImportFreeNeed, Csv(numbered), wtInsertOrUpdate, Progress, issues));
    EXPECT_EQ(Summary(), QStringLiteral("2:2:519 8:1:400 12:5:50"));
    ASSERT_TRUE(ImportMainDemand(s, itImportFreeNeed, Csv(QByteArray(numbered).replace(",6\n", ",9\n")), wtInsertOrUpdate,
                                 Progress, issues));
    EXPECT_EQ(Summary(), QStringLiteral("2:2:519 8:1:400 12:5:53"));
    EXPECT_EQ(Line(QStringLiteral("FD-9"), 1, QStringLiteral("ManNeedQty::numeric(18,0)")), QStringLiteral("9"));

    // A file without one known column is refused as a whole.
    EXPECT_THROW((void)ImportMainDemand(s, itImportFreeNeed, Csv("Item,Qty\nA,1\n"), wtInsertOrUpdate, Progress, issues), EKxError);
    EXPECT_EQ(Summary(), QStringLiteral("2:2:519 8:1:400 12:5:53"));
}
