#include "masterdata/planperiods.h"
#include "masterdata/workcalendar.h"

#include <gtest/gtest.h>

using namespace kx;

namespace {

THolidayList Holidays(std::initializer_list<QDate> dates)
{
    THolidayList list;
    for (const QDate& d : dates)
        list << DateToDayNumber(d);
    std::sort(list.begin(), list.end());
    return list;
}

} // namespace

TEST(PlanPeriods, TextRoundTripAndCatchAllPeriods)
{
    EXPECT_EQ(DateToDayNumber(QDate(2015, 8, 1)), 42217);
    const TPlanPeriods one = BuildPlanPeriods({{ppkNormal, QDate(2015, 8, 1), QDate(2015, 8, 31)}});
    ASSERT_EQ(one.size(), 3);
    EXPECT_EQ(one[0].PeriodKind, ppkDelay);
    EXPECT_EQ(one[0].DateBegin, QDate(1899, 12, 30));
    EXPECT_EQ(one[0].DateEnd, QDate(2015, 7, 31));
    EXPECT_EQ(one[2].PeriodKind, ppkExceed);
    EXPECT_EQ(one[2].DateBegin, QDate(2015, 9, 1));
    EXPECT_EQ(one[2].DateEnd, QDate(9999, 12, 31));

    const TPlanPeriods two = BuildPlanPeriods({{ppkNormal, QDate(2015, 8, 1), QDate(2015, 8, 31)},
                                               {ppkNormal, QDate(2015, 9, 1), QDate(2015, 9, 30)}});
    EXPECT_EQ(PlanPeriodsToText(two), QStringLiteral("42217|42248|42278|"));
    TPlanPeriods read;
    ASSERT_TRUE(TextToPlanPeriods(QStringLiteral("42217|42248|42278|"), read));
    ASSERT_EQ(read.size(), 4);
    for (qsizetype i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].PeriodKind, two[i].PeriodKind);
        EXPECT_EQ(read[i].DateBegin, two[i].DateBegin);
        EXPECT_EQ(read[i].DateEnd, two[i].DateEnd);
    }
    EXPECT_FALSE(TextToPlanPeriods(QString(), read));
    EXPECT_TRUE(read.isEmpty());
    EXPECT_EQ(PlanPeriodsToText(TPlanPeriods()), QString());
    EXPECT_TRUE(BuildPlanPeriods({}).isEmpty());

    EXPECT_EQ(HorizonBegin(two), QDate(2015, 8, 1));
    EXPECT_EQ(HorizonEnd(two), QDate(2015, 9, 30));
    EXPECT_FALSE(HorizonBegin(TPlanPeriods(two.mid(0, 2))).isValid());
}

TEST(PlanPeriods, DatesOnPeriodBordersAndTheCaseExpression)
{
    const TPlanPeriods p = BuildPlanPeriods({{ppkNormal, QDate(2026, 12, 7), QDate(2026, 12, 13)},
                                             {ppkNormal, QDate(2026, 12, 14), QDate(2026, 12, 31)}});
    EXPECT_EQ(PeriodOfDate(p, QDate(2026, 12, 6)), 0);
    EXPECT_EQ(PeriodOfDate(p, QDate(2026, 12, 7)), 1);
    EXPECT_EQ(PeriodOfDate(p, QDate(2026, 12, 13)), 1);
    EXPECT_EQ(PeriodOfDate(p, QDate(2026, 12, 14)), 2);
    EXPECT_EQ(PeriodOfDate(p, QDate(2027, 1, 1)), 3);
    EXPECT_EQ(PeriodOfDate(TPlanPeriods(), QDate(2027, 1, 1)), -1);
    EXPECT_EQ(PeriodCaseExpr(p, QStringLiteral("s.SODelivDate")),
              QStringLiteral("(case when s.SODelivDate<'20261207' then 0 when s.SODelivDate<'20261214' then 1 "
                             "when s.SODelivDate<'20270101' then 2 else 3 end)"));

    QDate gapBegin, gapEnd;
    EXPECT_TRUE(PlanPeriodsContiguous({{ppkNormal, QDate(2026, 12, 7), QDate(2026, 12, 13)},
                                       {ppkNormal, QDate(2026, 12, 14), QDate(2026, 12, 20)}},
                                      gapBegin, gapEnd));
    // Two weeks with a one-day gap: the gap's single day is both ends.
    EXPECT_FALSE(PlanPeriodsContiguous({{ppkNormal, QDate(2026, 12, 7), QDate(2026, 12, 13)},
                                        {ppkNormal, QDate(2026, 12, 15), QDate(2026, 12, 21)}},
                                       gapBegin, gapEnd));
    EXPECT_EQ(gapBegin, QDate(2026, 12, 14));
    EXPECT_EQ(gapEnd, QDate(2026, 12, 14));
}

TEST(WorkDays, OffsetsOverWeekendsAndHolidays)
{
    // December 2026: the 5th/6th and 12th/13th are weekends; the 9th is a holiday.
    const THolidayList h = Holidays({QDate(2026, 12, 5), QDate(2026, 12, 6), QDate(2026, 12, 9), QDate(2026, 12, 12),
                                     QDate(2026, 12, 13)});
    struct Case { QDate from; int days; QDate expected; };
    const Case cases[] = {
        {QDate(2026, 12, 14), 0, QDate(2026, 12, 14)},
        {QDate(2026, 12, 7), 3, QDate(2026, 12, 2)},     // Monday back 3 over the weekend: Wednesday
        {QDate(2026, 12, 14), 3, QDate(2026, 12, 8)},    // over a weekend and the holiday on the 9th
        {QDate(2026, 12, 11), 1, QDate(2026, 12, 10)},
        {QDate(2026, 12, 10), 1, QDate(2026, 12, 8)},    // the day before is a holiday
        // Forwards, holidays from d itself up to (not including) the result push it on, so a
        // result may land on a holiday: Friday forward 1 is Saturday, Thursday forward 3 Tuesday.
        {QDate(2026, 12, 4), -1, QDate(2026, 12, 5)},
        {QDate(2026, 12, 3), -3, QDate(2026, 12, 8)},
        {QDate(2026, 12, 9), -1, QDate(2026, 12, 11)},   // starting on a holiday counts it too
        {QDate(2026, 12, 8), -2, QDate(2026, 12, 11)},   // over the holiday
        {QDate(2026, 12, 1), -10, QDate(2026, 12, 16)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WorkDayOffset(c.from, c.days, h).toString(Qt::ISODate).toStdString(), c.expected.toString(Qt::ISODate).toStdString())
            << c.from.toString(Qt::ISODate).toStdString() << " " << c.days;
    EXPECT_TRUE(IsHoliday(h, QDate(2026, 12, 9)));
    EXPECT_FALSE(IsHoliday(h, QDate(2026, 12, 10)));
}

TEST(WorkDays, NeverBeforeTheYear2000)
{
    const THolidayList none;
    EXPECT_EQ(WorkDayOffset(QDate(2000, 1, 5), 10, none), QDate(2000, 1, 1));
    EXPECT_EQ(WorkDayOffset(QDate(1999, 12, 1), 10, none), QDate(1999, 12, 1));
    EXPECT_EQ(WorkDayOffset(QDate(2000, 1, 3), 2, none), QDate(2000, 1, 1));
    // Holidays that would push the result below the floor stop there.
    EXPECT_EQ(WorkDayOffset(QDate(2000, 1, 4), 2, Holidays({QDate(2000, 1, 2), QDate(2000, 1, 3)})), QDate(2000, 1, 1));
}
