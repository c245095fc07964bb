// Editing main demand without widgets: what a period cell shows and what typing into it or
// double-clicking it does to the line, the batch move of deliveries into one period, the
// checks of a free line with their messages, the statements of a save (all lines or none),
// and the import of delivery adjustments with the rows it refuses.
#include "workbenchfixture.h"

#include "db/errors.h"
#include "db/shared.h"
#include "engine/progress.h"
#include "engine/tablefile.h"
#include "workbench/mainedit.h"

#include <QBuffer>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

// Eight weeks from Monday 2026-12-07: 0 before them, 1 = 12/07-12/13, 2 = 12/14-12/20, ...
// 8 = 01/25-01/31, 9 after them.
const TPlanPeriods& Weeks()
{
    static const TPlanPeriods periods = WeeklyPeriods(QDate(2026, 12, 7), 8);
    return periods;
}

// A line needing 10 on 2026-12-15 (period 2) with the given distribution.
TMainLineQty Line(const QString& hints = QString(), double qty = 10)
{
    return TMainLineQty{QDate(2026, 12, 15), 10, qty - 10, qty, hints};
}

QString Cells(const TMainLineQty& line)
{
    QStringList cells;
    for (int p = 0; p < Weeks().size(); ++p)
        cells << PeriodCellText(PeriodCellQty(line, Weeks(), p));
    return cells.join(QLatin1Char('|'));
}

} // namespace

TEST(MainPeriodCells, ShowTheQuantityInItsOwnPeriodOrAsDistributed)
{
    EXPECT_EQ(Cells(Line()), QStringLiteral("||10|||||||"));
    EXPECT_EQ(Cells(Line(QStringLiteral("01=4\r\n05=6\r\n"))), QStringLiteral("|4||||6||||"));
    EXPECT_EQ(Cells(Line(QStringLiteral("03=-2.5\r\n"), -2.5)), QStringLiteral("|||-2.5||||||"));
    EXPECT_EQ(PeriodCellText(1234567.125), QStringLiteral("1234567.125"));
    EXPECT_EQ(PeriodCellText(0), QString());
}

TEST(MainPeriodCells, TypingMovesTheLineQuantityAndItsAdjustment)
{
    const struct {
        const char* Hints;
        int Period;
        const char* Text;
        bool Taken;
        double Qty;
        const char* NewHints;
    } cases[] = {
        {"", 2, "8", true, 8, ""},                              // own period, no distribution: the quantity itself
        {"", 3, "4", true, 14, "02=10\r\n03=4\r\n"},            // another period: own share seeded, the new share added
        {"02=10\r\n03=4\r\n", 3, "", true, 10, ""},             // emptied: back to the whole quantity in its own period
        {"", 2, "1,200", true, 1200, ""},                       // grouping commas are read
        {"", 3, "-3", false, 10, ""},                           // a negative number is ignored
        {"", 3, "abc", false, 10, ""},                          // so is text that is no number
        {"03=10\r\n", 3, "0", true, 0, ""},                     // the only share removed
        {"01=4\r\n02=6\r\n", 1, "0", true, 6, ""},              // what is left is the own period's: no hints
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Hints) + " p" + std::to_string(c.Period) + " '" + c.Text + "'");
        const double qty = ParseHints(QLatin1String(c.Hints)).isEmpty() ? 10 : [&] {
            double sum = 0;
            for (double v : ParseHints(QLatin1String(c.Hints)))
                sum += v;
            return sum;
        }();
        TMainLineQty line = Line(QLatin1String(c.Hints), qty);
        EXPECT_EQ(TypePeriodQty(line, Weeks(), c.Period, QString::fromUtf8(c.Text)), c.Taken);
        EXPECT_DOUBLE_EQ(line.Qty, c.Qty);
        EXPECT_DOUBLE_EQ(line.AdjQty, c.Qty - 10);
        EXPECT_EQ(line.Hints, c.Taken ? QLatin1String(c.NewHints) : QLatin1String(c.Hints));
    }
}

TEST(MainPeriodCells, DoubleClickMovesTheWholeQuantityOnlyFromOnePeriod)
{
    TMainLineQty line = Line();
    EXPECT_TRUE(MovePeriodQty(line, Weeks(), 5));
    EXPECT_EQ(line.Hints, QStringLiteral("05=10\r\n"));
    EXPECT_FALSE(MovePeriodQty(line, Weeks(), 5));     // already there
    EXPECT_TRUE(MovePeriodQty(line, Weeks(), 2));      // back to its own period
    EXPECT_EQ(line.Hints, QString());
    TMainLineQty spread = Line(QStringLiteral("01=4\r\n05=6\r\n"));
    EXPECT_FALSE(MovePeriodQty(spread, Weeks(), 7));   // spread over two periods: left alone
    EXPECT_DOUBLE_EQ(line.Qty, 10);
}

TEST(MainPeriodCells, BatchAdjustmentMovesDeliveriesIntoTheTargetPeriod)
{
    const struct {
        QDate Date;
        const char* Hints;
        int Target;
        bool OnlyEarlier;
        bool Changed;
        const char* NewHints;
    } cases[] = {
        {QDate(2026, 12, 15), "", 4, true, true, "04=10\r\n"},            // earlier than the target: moved
        {QDate(2027, 1, 5), "", 4, true, false, ""},                      // later, only earlier ones: untouched
        {QDate(2027, 1, 5), "", 4, false, true, "04=10\r\n"},             // later, all: moved back
        {QDate(2026, 12, 29), "", 4, false, false, ""},                   // already in the target
        {QDate(2026, 12, 15), "01=4\r\n03=6\r\n", 3, true, true, "03=10\r\n"},  // earlier shares join the target
        {QDate(2026, 12, 15), "01=4\r\n02=6\r\n", 2, true, true, ""},          // joined in the own period: no hints
        {QDate(2026, 12, 15), "05=10\r\n", 2, false, true, ""},                // to its own period
        {QDate(2026, 12, 15), "05=4\r\n06=6\r\n", 3, true, false, "05=4\r\n06=6\r\n"},  // all later: untouched
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Date.toString().toStdString() + " " + c.Hints + " -> " + std::to_string(c.Target));
        TMainLineQty line{c.Date, 10, 0, 10, QLatin1String(c.Hints)};
        EXPECT_EQ(AdjustLineToPeriod(line, Weeks(), c.Target, c.OnlyEarlier), c.Changed);
        EXPECT_EQ(line.Hints, QLatin1String(c.NewHints));
    }
}

TEST(MainPeriodCells, ColumnCaptionsNameThePeriods)
{
    TPlanPeriods periods = Weeks();
    EXPECT_EQ(PeriodColumnCaption(periods, 0), QStringLiteral("前期"));
    EXPECT_EQ(PeriodColumnCaption(periods, 4), QStringLiteral("12/28-01/03"));
    EXPECT_EQ(PeriodColumnCaption(periods, 9), QStringLiteral("后期"));
    periods = BuildPlanPeriods({{ppkNormal, QDate(2026, 12, 7), QDate(2026, 12, 7)}});
    EXPECT_EQ(PeriodColumnCaption(periods, 1), QStringLiteral("12/07"));
}

class MainEdit : public TWorkbenchTest {
public:
    static void SetUpTestSuite() { TWorkbenchTest::SetUpTestSuite(); }

protected:
    static QString Caption(const QString& field)
    {
        static const QHash<QString, QString> captions{{QStringLiteral("ManDate"), QStringLiteral("需求日期")},
                                                      {QStringLiteral("ItmNo"), QStringLiteral("物料代码")},
                                                      {QStringLiteral("ManItmProp1"), QStringLiteral("辅助项1")},
                                                      {QStringLiteral("ManItmProps"), QStringLiteral("辅助属性")},
                                                      {QStringLiteral("ManGroupNo"), QStringLiteral("MRP分组号")},
                                                      {QStringLiteral("BomNo"), QStringLiteral("BOM单")},
                                                      {QStringLiteral("ManQty"), QStringLiteral("计划数量")}};
        return captions.value(field, field);
    }
    // A free line of 1.01.001 needing 5 on 2026-12-16.
    static TMainLine FreeLine()
    {
        TMainLine line;
        line.ItmNo = QStringLiteral("1.01.001");
        line.Q = TMainLineQty{QDate(2026, 12, 16), 0, 5, 5, QString()};
        return line;
    }
    // A scheme with two lines of order SO-T1 for 1.01.001: 10 on 12/15 and 6 on 12/22.
    static int SchemeWithOrderLines(TPlanScheme& scheme)
    {
        const int iid = PrepareScheme(QStringLiteral("交期调整"), false);
        Exec(QStringLiteral("update KX_MRP_Schemes set SchMpsPeriods=SchPeriods, SchState=2 where SchIID=%1;\r"
                            "insert into KX_MRP_Main (ManSchIID, ManIID, ManPeriod, ManBillType, ManBillID, ManBillNo, ManBillEntry, "
                            "ManDate, ManItmID, ManNeedQty, ManAdjQty, ManQty, ManHints) values "
                            "(%1, 1, 2, 2, 'T1', 'SO-T1', 1, '2026-12-15', 'DM-I-FS40', 10, 0, 10, ''), "
                            "(%1, 2, 3, 2, 'T1', 'SO-T1', 2, '2026-12-22', 'DM-I-FS40', 6, 0, 6, '')")
                 .arg(iid));
        EXPECT_TRUE(scheme.Load(iid));
        return iid;
    }
    static TTableFile Csv(const QByteArray& text)
    {
        QBuffer buffer;
        buffer.setData(text);
        buffer.open(QIODevice::ReadOnly);
        return ReadCsv(buffer, QStringLiteral("adjust.csv"));
    }
};

TEST_F(MainEdit, FreeLineChecksNameTheFieldAndTheRule)
{
    const struct {
        std::function<void(TMainLine&)> Change;
        const char* Field;
        const char* Message;
    } cases[] = {
        {[](TMainLine& l) { l.Q.Date = QDate(2027, 3, 1); }, "ManDate", "[需求日期]的值(2027/03/01)没有介于2026/12/07与2027/01/31之间!"},
        {[](TMainLine& l) { l.Q.Date = QDate(2026, 12, 6); }, "ManDate", "[需求日期]的值(2026/12/06)没有介于2026/12/07与2027/01/31之间!"},
        {[](TMainLine& l) { l.Q.Date = QDate(); }, "ManDate", "[需求日期]的内容不能为空!"},
        {[](TMainLine& l) { l.ItmNo = QStringLiteral(" "); }, "ItmNo", "[物料代码]的内容不能为空!"},
        {[](TMainLine& l) { l.ItmNo = QStringLiteral("9.99.999"); }, "ItmNo", "[物料代码]的值(9.99.999)不存在!"},
        {[](TMainLine& l) { l.ItmNo = QStringLiteral("1.01.002"); }, "ManItmProp1", "[辅助项1]的内容不能为空!"},
        {[](TMainLine& l) { l.BomNo = QStringLiteral("BOM-2.01.001"); }, "BomNo", "[BOM单]的值(BOM-2.01.001)不存在!"},  // another item's
        {[](TMainLine& l) {                                                      // the blue set's BOM on a white fan
             l.ItmNo = QStringLiteral("1.01.002");
             l.ItmProp[0] = QStringLiteral("白色");
             l.BomNo = QStringLiteral("BOM-1.01.002-B");
         },
         "BomNo", "[BOM单]的值(BOM-1.01.002-B)不存在!"},
        {[](TMainLine& l) { l.GroupType = 9; }, "ManGroupNo", "[MRP分组号]的内容不能为空!"},
        {[](TMainLine& l) { l.Q.Qty = 0; }, "ManQty", "[计划数量]的值(0)没有大于0 !"},
        {[](TMainLine& l) { l.Q.Qty = -1; }, "ManQty", "[计划数量]的值(-1)没有大于0 !"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Message);
        TMainLine line = FreeLine();
        c.Change(line);
        const TMainLineFault fault = CheckFreeLine(SharedConnection(), line, Weeks(), Caption, false);
        EXPECT_EQ(fault.Field, QLatin1String(c.Field));
        EXPECT_EQ(fault.Message, QString::fromUtf8(c.Message));
    }

    // A valid line is completed: the item's identity, the property key, the BOM, the group.
    TMainLine line = FreeLine();
    line.ItmProp[3] = QStringLiteral("不用的");
    line.BomNo = QStringLiteral(" bom-1.01.001-g ");
    line.GroupType = 0;
    line.GroupNo = QStringLiteral("G1");
    EXPECT_FALSE(CheckFreeLine(SharedConnection(), line, Weeks(), Caption, true).IsFault());
    EXPECT_EQ(line.ItmID, QStringLiteral("DM-I-FS40"));
    EXPECT_EQ(line.ItmProp[3], QString());
    EXPECT_EQ(QStringLiteral("%1|%2|%3").arg(line.BomType).arg(line.BomID, line.BomNo), QStringLiteral("1|DM-B-FS40G|BOM-1.01.001-G"));
    EXPECT_EQ(line.GroupNo, QString());
    TMainLine white = FreeLine();
    white.ItmNo = QStringLiteral("1.01.002");
    white.ItmProp[0] = QStringLiteral("白色");
    white.BomNo = QStringLiteral("BOM-1.01.002-W");
    EXPECT_FALSE(CheckFreeLine(SharedConnection(), white, Weeks(), Caption, false).IsFault());
    EXPECT_EQ(white.BomID, QStringLiteral("DM-B-DS30W"));
    white.BomNo.clear();                               // no BOM named: none kept
    EXPECT_FALSE(CheckFreeLine(SharedConnection(), white, Weeks(), Caption, false).IsFault());
    EXPECT_EQ(QStringLiteral("%1|%2").arg(white.BomType).arg(white.BomID), QStringLiteral("0|"));
    line.GroupType = 9;
    line.GroupNo = QStringLiteral(" G7 ");
    EXPECT_FALSE(CheckFreeLine(SharedConnection(), line, Weeks(), Caption, true).IsFault());
    EXPECT_EQ(line.OrigTag, QStringLiteral("G7"));     // the tag column is hidden: the group names it
}

TEST_F(MainEdit, SaveWritesAllLinesAndTheStateOrNothing)
{
    TPlanScheme scheme(&SharedConnection());
    const int iid = SchemeWithOrderLines(scheme);
    TMainLine a = FreeLine(), b = FreeLine();
    b.Q.Date = QDate(2027, 1, 5);
    b.Note = QStringLiteral("临时'加单");
    b.BomNo = QStringLiteral("BOM-1.01.001-G");
    for (TMainLine* l : {&a, &b})
        ASSERT_FALSE(CheckFreeLine(SharedConnection(), *l, Weeks(), Caption, false).IsFault());
    TMainLine order;
    order.IID = 1;
    order.BillType = btSO;
    order.Priority = 5;
    order.Q = TMainLineQty{QDate(2026, 12, 15), 10, 2, 12, QStringLiteral("02=10\r\n05=2\r\n")};
    const QStringList statements{MainLineSaveSQL(iid, a, Weeks()), MainLineSaveSQL(iid, b, Weeks()), MainLineSaveSQL(iid, order, Weeks())};
    SaveMainLines(SharedConnection(), iid, {2}, statements);
    EXPECT_EQ(Rows(QStringLiteral("select ManIID, ManBillType, ManBillEntry, ManPeriod, ManPriority, ManQty::float8, ManAdjQty::float8, "
                                  "ManHints, ManNote, ManBomType, ManBomID from KX_MRP_Main where ManSchIID=%1 order by ManIID")
                       .arg(iid)),
              (QStringList{QStringLiteral("1, 2, 1, 2, 5, 12, 2, 02=10\r\n05=2\r\n, , 0, "), QStringLiteral("2, 12, 1, 2, 0, 5, 5, , , 0, "),
                           QStringLiteral("3, 12, 2, 5, 0, 5, 5, , 临时'加单, 1, DM-B-FS40G")}));
    EXPECT_EQ(Scalar(QStringLiteral("select SchState||'/'||(SchMpsUpdTime is not null) from KX_MRP_Schemes where SchIID=%1").arg(iid)).toString(),
              QStringLiteral("2/true"));

    // Once MRP has run the edit asks for a new run; a failing statement writes nothing.
    Exec(QStringLiteral("update KX_MRP_Schemes set SchMrpRunTime=localtimestamp, SchState=6 where SchIID=%1").arg(iid));
    const QStringList before = Rows(QStringLiteral("select ManIID, ManQty from KX_MRP_Main where ManSchIID=%1 order by ManIID").arg(iid));
    EXPECT_THROW(SaveMainLines(SharedConnection(), iid, {3}, {QStringLiteral("update KX_MRP_Main set ManQty=null where ManSchIID=%1").arg(iid)}),
                 EDatabaseError);
    EXPECT_EQ(Rows(QStringLiteral("select ManIID, ManQty from KX_MRP_Main where ManSchIID=%1 order by ManIID").arg(iid)), before);
    EXPECT_EQ(Scalar(QStringLiteral("select SchState from KX_MRP_Schemes where SchIID=%1").arg(iid)).toInt(), 6);
    SaveMainLines(SharedConnection(), iid, {}, {});
    EXPECT_EQ(Scalar(QStringLiteral("select SchState from KX_MRP_Schemes where SchIID=%1").arg(iid)).toInt(), 3);
}

TEST_F(MainEdit, BatchAdjustmentOfSelectedLinesOnly)
{
    TPlanScheme scheme(&SharedConnection());
    const int iid = SchemeWithOrderLines(scheme);
    TSilentProgress silent;
    EXPECT_EQ(AdjustMainToPeriod(SharedConnection(), scheme, {2}, 5, true, silent), 1);
    EXPECT_EQ(Rows(QStringLiteral("select ManIID, ManHints from KX_MRP_Main where ManSchIID=%1 order by ManIID").arg(iid)),
              (QStringList{QStringLiteral("1, "), QStringLiteral("2, 05=6\r\n")}));
    // All lines to period 3, only earlier ones: the line already later stays where it is.
    EXPECT_EQ(AdjustMainToPeriod(SharedConnection(), scheme, {}, 3, true, silent), 1);
    EXPECT_EQ(Rows(QStringLiteral("select ManIID, ManHints from KX_MRP_Main where ManSchIID=%1 order by ManIID").arg(iid)),
              (QStringList{QStringLiteral("1, 03=10\r\n"), QStringLiteral("2, 05=6\r\n")}));
}

TEST_F(MainEdit, DeliveryImportSpreadsEachRowOverItsLinesAndReportsTheRest)
{
    TPlanScheme scheme(&SharedConnection());
    const int iid = SchemeWithOrderLines(scheme);
    TSilentProgress silent;
    QList<TImportIssue> issues;
    const int changed = ImportDeliveryAdjustments(
        SharedConnection(), scheme,
        Csv("ManBillNo,ManBillEntry,ItmNo,[12/07-12/13],[12/14-12/20],[12/21-12/27],[12/28-01/03]\n"
            "SO-T1,,1.01.001,4,0,8,3\n"
            ",1,1.01.001,1\n"
            "SO-T9,,1.01.001,1\n"
            "SO-T1,1,1.01.001,0,0\n"),
        silent, issues);
    EXPECT_EQ(changed, 2);
    // Line 1 (10) takes 4 and 6, line 2 (6) takes 2 and 3 and keeps its last 1 in its own period.
    EXPECT_EQ(Rows(QStringLiteral("select ManIID, ManQty::float8, ManHints from KX_MRP_Main where ManSchIID=%1 order by ManIID").arg(iid)),
              (QStringList{QStringLiteral("1, 10, 01=4\r\n03=6\r\n"), QStringLiteral("2, 6, 03=3\r\n04=3\r\n")}));
    ASSERT_EQ(issues.size(), 3);
    EXPECT_EQ(issues[0].Row, 3);
    EXPECT_EQ(issues[0].Text, QStringLiteral("字段ManBillNo导入内容为空, 忽略导入!"));
    EXPECT_EQ(issues[1].Text,
              QStringLiteral("当前计划方案中不存在此需求记录, 或此需求无计划数量!\r\r需求单号: SO-T9\r需求行: \r物料代码: 1.01.001"));
    EXPECT_EQ(issues[2].Text, QStringLiteral("导入内容无计划数量, 或计划数量不大于0, 忽略导入。"));

    issues.clear();
    ImportDeliveryAdjustments(SharedConnection(), scheme, Csv("需求单号,物料代码,[12/07-12/13]\nSO-T1,1.01.001,20\n"), silent, issues);
    ASSERT_EQ(issues.size(), 1);
    EXPECT_EQ(issues[0].Text, QStringLiteral("导入的计划数量大于相应需求单实际的计划数量, 超出的计划数量(4.000000)忽略导入。"));
    EXPECT_EQ(Rows(QStringLiteral("select ManIID, ManHints from KX_MRP_Main where ManSchIID=%1 order by ManIID").arg(iid)),
              (QStringList{QStringLiteral("1, 01=10\r\n"), QStringLiteral("2, 01=6\r\n")}));

    EXPECT_THROW(ImportDeliveryAdjustments(SharedConnection(), scheme, Csv("a,b\n1,2\n"), silent, issues), EKxError);
}
