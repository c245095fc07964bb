// Planning master data without widgets or database: the calendar's month grid, holiday and
// period lists, the period texts, the checks and statement of an item settings row, and the
// merging and copying of BOM substitutes.
#include "masterdata/calendargrid.h"
#include "masterdata/itemsetting.h"
#include "masterdata/itemsubs.h"
#include "masterdata/planperiods.h"
#include "masterdata/workcalendar.h"

#include "qtprinters.h"

#include <QMap>

#include <gtest/gtest.h>

using namespace kx;

namespace {

QDate D(int y, int m, int d)
{
    return QDate(y, m, d);
}

qint64 N(int y, int m, int d)
{
    return DateToDayNumber(QDate(y, m, d));
}

QString PeriodsText(const TPeriodList& list)
{
    QStringList parts;
    for (const TPeriod& p : list.Items())
        parts << DayNumberToDate(p.DateBegin).toString(QStringLiteral("MM-dd")) + QLatin1Char('~')
                     + DayNumberToDate(p.DateEnd).toString(QStringLiteral("MM-dd"));
    return parts.join(QLatin1Char(' '));
}

// A settings row with every value 0 or empty, captions and texts as the view gives them.
struct TRow {
    QMap<QString, QVariant> Values;
    TItemSettingRow Access() const
    {
        return {[this](const QString& f) { return Values.value(f); },
                [](const QString& f) { return QStringLiteral("<%1>").arg(f); },
                [this](const QString& f) { return Values.value(f).toString(); }};
    }
};

TItemSub Sub(const QString& id, const QString& no, const QString& prop1 = QString())
{
    TItemSub s;
    s.SubItemID = id;
    s.SubItemNo = no;
    s.SubProps[0] = prop1;
    return s;
}

QString SubsOf(const TItemSubLine& line)
{
    QStringList ids;
    for (const TItemSub& s : line.Subs)
        ids << s.SubItemID + (s.SubProps[0].isEmpty() ? QString() : QLatin1Char('/') + s.SubProps[0]);
    return ids.join(QLatin1Char(','));
}

} // namespace

TEST(CalendarLayout, MonthsLieInTwoRowsOfThreeWeeksFromTheMondayBeforeTheFirst)
{
    TCalendarLayout layout;
    layout.Start = D(2026, 3, 1);     // a Sunday: six days of the first week lie in February
    layout.Months = 24;
    EXPECT_EQ(layout.RowCount(), 49);
    EXPECT_EQ(layout.End(), D(2028, 3, 1));
    const struct {
        QDate Day;
        int Row, Column;
    } cases[] = {
        {D(2026, 3, 1), 1, 7},        // Sunday of the first week
        {D(2026, 3, 2), 1, 8},
        {D(2026, 3, 15), 1, 21},      // end of the third week
        {D(2026, 3, 16), 2, 1},       // the second row starts with the fourth week
        {D(2026, 3, 31), 2, 16},      // sixth week, Tuesday
        {D(2026, 4, 1), 3, 3},        // next month, a Wednesday
        {D(2028, 2, 29), 48, 9},      // last month shown, a Tuesday
    };
    for (const auto& c : cases) {
        int row = -1, column = -1;
        SCOPED_TRACE(c.Day.toString(Qt::ISODate).toStdString());
        ASSERT_TRUE(layout.CellOf(c.Day, row, column));
        EXPECT_EQ(row, c.Row);
        EXPECT_EQ(column, c.Column);
        EXPECT_EQ(layout.DateAt(row, column), c.Day);
    }
    // Every shown day has exactly one cell and comes back from it.
    int dated = 0;
    for (int row = 0; row < layout.RowCount(); ++row)
        for (int column = 0; column < layout.ColumnCount(); ++column)
            if (const QDate day = layout.DateAt(row, column); day.isValid()) {
                ++dated;
                int r = 0, c = 0;
                ASSERT_TRUE(layout.CellOf(day, r, c));
                EXPECT_EQ(r, row);
                EXPECT_EQ(c, column);
            }
    EXPECT_EQ(dated, D(2026, 3, 1).daysTo(D(2028, 3, 1)));
    // Header, labels, cells before the first and after the last day, days not shown.
    EXPECT_FALSE(layout.DateAt(0, 5).isValid());
    EXPECT_FALSE(layout.DateAt(1, 0).isValid());
    EXPECT_FALSE(layout.DateAt(1, 6).isValid());
    EXPECT_FALSE(layout.DateAt(2, 17).isValid());
    int row = 0, column = 0;
    EXPECT_FALSE(layout.CellOf(D(2026, 2, 28), row, column));
    EXPECT_FALSE(layout.CellOf(D(2028, 3, 1), row, column));
    EXPECT_EQ(TCalendarLayout::MonthLabel(layout.MonthOfRow(4)), QStringLiteral("2026年4月"));
    EXPECT_EQ(TCalendarLayout::WeekdayLetter(7) + TCalendarLayout::WeekdayLetter(8) + TCalendarLayout::WeekdayLetter(21),
              QStringLiteral("日一日"));
}

TEST(CalendarLayout, HolidaysStayInDateOrderWithoutDoublesOrEmptyDays)
{
    THolidayList holidays;
    EXPECT_TRUE(AddHoliday(holidays, N(2026, 5, 1)));
    EXPECT_TRUE(AddHoliday(holidays, N(2026, 1, 1)));
    EXPECT_FALSE(AddHoliday(holidays, N(2026, 5, 1)));
    EXPECT_FALSE(AddHoliday(holidays, 0));
    EXPECT_TRUE(AddHoliday(holidays, N(2026, 3, 8)));
    EXPECT_EQ(holidays, (THolidayList{N(2026, 1, 1), N(2026, 3, 8), N(2026, 5, 1)}));
    EXPECT_TRUE(RemoveHoliday(holidays, N(2026, 3, 8)));
    EXPECT_FALSE(RemoveHoliday(holidays, N(2026, 3, 9)));
    EXPECT_EQ(holidays, (THolidayList{N(2026, 1, 1), N(2026, 5, 1)}));
}

TEST(CalendarLayout, ReplacingHolidaysTouchesOnlyTheMonthsShown)
{
    const THolidayList holidays{N(2025, 12, 31), N(2026, 1, 1), N(2026, 2, 17), N(2026, 3, 1)};
    EXPECT_EQ(ReplaceHolidaysSQL(7, D(2026, 1, 1), D(2026, 3, 1), holidays),
              QStringLiteral("delete from KX_MRP_Holidays where CalIID=7 and CalHoliday>='20260101' and CalHoliday<'20260301';\r"
                             "insert into KX_MRP_Holidays (CalIID, CalHoliday) values (7, '20260101'),\r(7, '20260217');\r"));
    EXPECT_EQ(ReplaceHolidaysSQL(7, D(2026, 1, 1), D(2026, 3, 1), {}),
              QStringLiteral("delete from KX_MRP_Holidays where CalIID=7 and CalHoliday>='20260101' and CalHoliday<'20260301';\r"));
}

TEST(PeriodList, ANewPeriodCutsWhatItOverlaps)
{
    const struct {
        QDate Begin, End;
        const char* Expected;
    } cases[] = {
        {D(2015, 8, 15), D(2015, 8, 15), "08-01~08-14 08-15~08-15 08-16~08-31"},   // a day out of a month: split
        {D(2015, 7, 25), D(2015, 8, 5), "07-25~08-05 08-06~08-31"},                // the start given way
        {D(2015, 8, 25), D(2015, 9, 5), "08-01~08-24 08-25~09-05"},                // the end given way
        {D(2015, 7, 1), D(2015, 9, 30), "07-01~09-30"},                            // swallowed
        {D(2015, 9, 1), D(2015, 9, 7), "08-01~08-31 09-01~09-07"},                 // next to it: untouched
    };
    for (const auto& c : cases) {
        TPeriodList list;
        list.Add(N(2015, 8, 1), N(2015, 8, 31));
        list.Add(DateToDayNumber(c.Begin), DateToDayNumber(c.End));
        EXPECT_EQ(PeriodsText(list), QLatin1String(c.Expected)) << c.Begin.toString(Qt::ISODate).toStdString();
    }
}

TEST(PeriodList, LookupMergeAndRemoval)
{
    TPeriodList list;
    list.Add(N(2015, 8, 10), N(2015, 8, 16));
    list.Add(N(2015, 8, 3), N(2015, 8, 9));
    EXPECT_EQ(PeriodsText(list), QStringLiteral("08-03~08-09 08-10~08-16"));
    EXPECT_EQ(list.FindIndex(N(2015, 8, 3)), 0);
    EXPECT_EQ(list.FindIndex(N(2015, 8, 16)), 1);
    EXPECT_EQ(list.FindIndex(N(2015, 8, 17)), -1);
    EXPECT_EQ(list.FindIndex(N(2015, 8, 2)), -1);
    // A selection after the last period extends it; one inside a period that reaches past the
    // selection does not; nothing lies before the first period.
    EXPECT_EQ(list.MergeTarget(N(2015, 8, 18), N(2015, 8, 20)), 1);
    EXPECT_EQ(list.MergeTarget(N(2015, 8, 12), N(2015, 8, 20)), 1);
    EXPECT_EQ(list.MergeTarget(N(2015, 8, 4), N(2015, 8, 5)), -1);
    EXPECT_EQ(list.MergeTarget(N(2015, 8, 1), N(2015, 8, 2)), -1);
    list.RemoveTouching(N(2015, 8, 9), N(2015, 8, 9));
    EXPECT_EQ(PeriodsText(list), QStringLiteral("08-10~08-16"));
}

TEST(PlanPeriodText, DaysAndSpansWithTheirWeekdays)
{
    EXPECT_EQ(PlanPeriodText(D(2015, 8, 3), D(2015, 8, 3)), QStringLiteral("2015/08/03 (一)"));
    EXPECT_EQ(PlanPeriodText(D(2015, 8, 3), D(2015, 8, 9)), QStringLiteral("2015/08/03 (一) - 08/09 (日)"));
    EXPECT_EQ(PlanPeriodText(D(2015, 8, 1), D(2015, 8, 31)), QStringLiteral("2015/08/01 (六) - 08/31 (一)"));
    EXPECT_EQ(PlanPeriodLength(D(2015, 8, 3), D(2015, 8, 3)), pplDay);
    EXPECT_EQ(PlanPeriodLength(D(2015, 8, 3), D(2015, 8, 8)), pplDays);
    EXPECT_EQ(PlanPeriodLength(D(2015, 8, 3), D(2015, 8, 9)), pplWeek);
    EXPECT_EQ(PlanPeriodLength(D(2015, 8, 3), D(2015, 8, 10)), pplLonger);
}

TEST(ItemSettingChecks, TheFirstFaultOfARowNamesItsFieldAndMessage)
{
    const struct {
        QMap<QString, QVariant> Values;
        const char* Field;
        const char* Message;
    } cases[] = {
        {{{"ItmVarLeadTime", 0}, {"ItmVarLeadLot", 0}}, "", ""},
        {{{"ItmVarLeadTime", 3}, {"ItmVarLeadLot", 0}}, "ItmVarLeadLot", "设置[变动提前期]时(值大于0), [变动提前期批量]不能小于0 !"},
        {{{"ItmVarLeadTime", 3}, {"ItmVarLeadLot", 500}}, "", ""},
        {{{"ItmMaxQty", 0}, {"ItmMinQty", 10}}, "", ""},
        {{{"ItmMaxQty", 5}, {"ItmMinQty", 10}}, "ItmMaxQty", "设置[最大供应量]时(值大于0), 不能小于[最小供应量]!"},
        {{{"ItmSafeQty", -1}}, "ItmSafeQty", "[<ItmSafeQty>]的值(-1)没有大于或等于0 !"},
        // The negative lead time is found before the missing batch.
        {{{"ItmVarLeadTime", 3}, {"ItmPostLeadTime", -2}}, "ItmPostLeadTime", "[<ItmPostLeadTime>]的值(-2)没有大于或等于0 !"},
        {{{"ItmPutLossType", 2}}, "ItmPutLossRate", "设置[投料损耗控制]为\"默认损耗率\"时, 必须设置[投料默认损耗率]的值!"},
        {{{"ItmPutLossType", 1}, {"ItmPutLossRate", ""}}, "ItmPutLossRate",
         "设置[投料损耗控制]为\"默认损耗率\"时, 必须设置[投料默认损耗率]的值!"},
        {{{"ItmPutLossType", 2}, {"ItmPutLossRate", "10|100:2%"}}, "", ""},
        // A text the loss arithmetic would read as nothing is refused.
        {{{"ItmPutLossType", 2}, {"ItmPutLossRate", "五%"}}, "ItmPutLossRate", "[<ItmPutLossRate>]的值(五%)无效!"},
        {{{"ItmPutLossType", 0}, {"ItmPutLossRate", "100:|2%"}}, "ItmPutLossRate", "[<ItmPutLossRate>]的值(100:|2%)无效!"},
    };
    int i = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(i++);
        const TRow row{c.Values};
        const TItemSettingFault fault = CheckItemSetting(row.Access());
        EXPECT_EQ(fault.Field, QString::fromUtf8(c.Field));
        EXPECT_EQ(fault.Message, QString::fromUtf8(c.Message));
    }
}

TEST(ItemSettingChecks, TheUpdateCallCarriesAll27ValuesTypedAndQuoted)
{
    TRow row{{{"ItmID", "DM-I-BR1"}, {"ItmMrpType", 1}, {"ItmMrpSkip", true}, {"ItmPlannerID", "O'Neil"},
              {"ItmMrpGroup", 2}, {"ItmMrpTrack", 9}, {"ItmPreLeadTime", 1}, {"ItmFixLeadTime", 7}, {"ItmVarLeadTime", 2},
              {"ItmVarLeadLot", 250.5}, {"ItmPostLeadTime", 1}, {"ItmSafeQty", 100}, {"ItmMinQty", 0.125}, {"ItmLotQty", 50},
              {"ItmMaxQty", 1e6}, {"ItmPutLossType", 2}, {"ItmPutLossRate", "10|100:2%"}, {"ItmPutInteger", 1},
              {"ItmSuitSkip", false}, {"ItmOutSkip", 0}, {"ItmMOBomSkip", 1}, {"ItmOOBomSkip", 2}, {"ItmMODeptID", "DM-D-WS2"},
              {"ItmPlanItmID", "DM-I-BR2"}}};
    EXPECT_EQ(ItemSettingUpdateSQL(row.Access()),
              QStringLiteral("call KX_MRP_UpdateItemSetting(ItmID => 'DM-I-BR1', ItmMrpType => 1, ItmMrpSkip => 1, "
                             "ItmPlannerID => 'O''Neil', ItmBuyerID => '', ItmMrpGroup => 2, ItmMrpTrack => 9, ItmPreLeadTime => 1, "
                             "ItmFixLeadTime => 7, ItmVarLeadTime => 2, ItmVarLeadLot => 250.50000000, ItmPostLeadTime => 1, "
                             "ItmSafeQty => 100.00000000, ItmMinQty => 0.12500000, ItmLotQty => 50.00000000, "
                             "ItmMaxQty => 1000000.00000000, ItmPutLossType => 2, ItmPutLossRate => '10|100:2%', "
                             "ItmPutInteger => 1, ItmSuitSkip => 0, ItmOutSkip => 0, ItmMOBomSkip => 1, ItmOOBomSkip => 2, "
                             "ItmMODeptID => 'DM-D-WS2', ItmPOSuppID => '', ItmOOSuppID => '', ItmPlanItmID => 'DM-I-BR2')"));
}

TEST(ItemSubstitutes, SavingABomKeepsTheLinesTheViewDoesNotShow)
{
    TItemSubBom stored;
    stored.BomType = 1;
    stored.BomID = QStringLiteral("B1");
    stored.ProductID = QStringLiteral("P");
    stored.Lines = {{1, QStringLiteral("H1"), QStringLiteral("A"), QStringLiteral("A"), {}, {}, {Sub("X", "x")}},
                    {2, QStringLiteral("H2"), QStringLiteral("C"), QStringLiteral("C"), {}, {}, {Sub("Y", "y")}}};
    TItemSubBom shown = stored;
    shown.Lines = {{2, QStringLiteral("H2"), QStringLiteral("C"), QStringLiteral("C"), {}, {}, {Sub("Z", "z"), Sub("Y", "y")}},
                   {3, QStringLiteral("H3"), QStringLiteral("D"), QStringLiteral("D"), {}, {}, {Sub("X", "x")}}};
    const TItemSubBom merged = MergeShownLines(stored, shown);
    ASSERT_EQ(merged.Lines.size(), 3);
    EXPECT_EQ(SubsOf(merged.Lines[0]), QStringLiteral("X"));
    EXPECT_EQ(SubsOf(merged.Lines[1]), QStringLiteral("Z,Y"));
    EXPECT_EQ(SubsOf(merged.Lines[2]), QStringLiteral("X"));

    // Under the global range lines are replaced items, matched by item.
    TItemSubBom global;
    global.Lines = {{1, QString(), QStringLiteral("A"), QStringLiteral("A"), {}, {}, {Sub("X", "x")}}};
    TItemSubBom globalShown;
    globalShown.Lines = {{1, QString(), QStringLiteral("A"), QStringLiteral("A"), {}, {}, {}}};
    EXPECT_EQ(SubsOf(MergeShownLines(global, globalShown).Lines.value(0)), QString());
}

TEST(ItemSubstitutes, CopyingGoesToTheTargetLinesOfTheSameComponent)
{
    TItemSubBom target;
    target.BomID = QStringLiteral("T");
    target.Lines = {{1, QStringLiteral("T1"), QStringLiteral("A"), QStringLiteral("A"), {}, {}, {Sub("X", "x")}},
                    {2, QStringLiteral("T2"), QStringLiteral("B"), QStringLiteral("B"), {}, {}, {}},
                    {3, QStringLiteral("T3"), QStringLiteral("A"), QStringLiteral("A"), {}, {}, {}}};
    TItemSubBom source;
    source.BomID = QStringLiteral("S");
    source.Lines = {{1, QStringLiteral("S1"), QStringLiteral("A"), QStringLiteral("A"), {}, {}, {Sub("X", "x"), Sub("W", "w", "红")}},
                    {2, QStringLiteral("S2"), QStringLiteral("C"), QStringLiteral("C"), {}, {}, {Sub("V", "v")}},
                    {3, QStringLiteral("S3"), QStringLiteral("B"), QStringLiteral("B"), {}, {}, {}}};
    TItemSubBom global;
    global.Lines = {{1, QString(), QStringLiteral("A"), QStringLiteral("A"), {}, {}, {Sub("Q", "q")}}};
    const QList<TItemSubBom> sources = CopySources({source, target, global}, target);
    ASSERT_EQ(sources.size(), 1);
    ASSERT_EQ(sources[0].Lines.size(), 1);          // C is not used by the target, B has nothing to copy
    EXPECT_EQ(sources[0].Lines[0].RowHook, QStringLiteral("S1"));

    const QList<TCopiedSub> copied{{QStringLiteral("A"), Sub("X", "x")}, {QStringLiteral("A"), Sub("W", "w", "红")}};
    TItemSubBom added = target;
    EXPECT_EQ(ApplyCopiedSubs(added, copied, false), 3);   // X is on line 1 already
    EXPECT_EQ(SubsOf(added.Lines[0]), QStringLiteral("X,W/红"));
    EXPECT_EQ(SubsOf(added.Lines[1]), QString());
    EXPECT_EQ(SubsOf(added.Lines[2]), QStringLiteral("X,W/红"));
    TItemSubBom replaced = target;
    replaced.Lines[0].Subs = {Sub("Y", "y")};
    EXPECT_EQ(ApplyCopiedSubs(replaced, {{QStringLiteral("A"), Sub("W", "w", "红")}}, true), 2);
    EXPECT_EQ(SubsOf(replaced.Lines[0]), QStringLiteral("W/红"));
}
