// The delivery window a forecast line takes its orders from, and the remembered choices of
// the automatic deduction.
#include "deduction/deductoptions.h"

#include <gtest/gtest.h>

using namespace kx;

namespace {

QDate D(const char* text)
{
    return QDate::fromString(QLatin1String(text), QStringLiteral("yyyy-MM-dd"));
}

} // namespace

TEST(DeductWindow, FollowsTheDaysWeeksAndMonthsAroundTheSwitchDate)
{
    // 2027-03-10 is a Wednesday; the switch date 2027-03-12 the Friday of its week.
    const struct {
        const char* Name;
        bool Span, Week, Switch;
        int Before, After;
        const char* Date;
        const char* From;
        const char* To;
    } cases[] = {
        {"days around the date", false, true, false, 3, 30, "2027-03-10", "2027-03-07", "2027-04-09"},
        {"days after only", false, true, false, 0, 0, "2027-03-10", "2027-03-10", "2027-03-10"},
        {"the week, Monday to Sunday", true, true, false, 0, 0, "2027-03-10", "2027-03-08", "2027-03-14"},
        {"a Sunday keeps its own week", true, true, false, 0, 0, "2027-03-14", "2027-03-08", "2027-03-14"},
        {"a Monday starts its week", true, true, false, 0, 0, "2027-03-15", "2027-03-15", "2027-03-21"},
        {"the week cut before the switch", true, true, true, 0, 0, "2027-03-10", "2027-03-08", "2027-03-11"},
        {"on the switch date: from it to the month's end", true, true, true, 0, 0, "2027-03-12", "2027-03-12", "2027-03-31"},
        {"after the switch: from it to the month's end", true, true, true, 0, 0, "2027-03-20", "2027-03-12", "2027-03-31"},
        {"a later month whole", true, true, true, 0, 0, "2027-04-02", "2027-04-01", "2027-04-30"},
        {"weeks well before the switch stay whole", true, true, true, 0, 0, "2027-03-03", "2027-03-01", "2027-03-07"},
        {"months without weeks ignore the switch", true, false, true, 0, 0, "2027-03-05", "2027-03-01", "2027-03-31"},
        {"February of a leap year", true, false, false, 0, 0, "2028-02-10", "2028-02-01", "2028-02-29"},
    };
    for (const auto& c : cases) {
        TAuotDeductOptions options;
        options.SpanDeduct = c.Span;
        options.Span1Week = c.Week;
        options.Span2Month = c.Switch;
        options.Span2Date = D("2027-03-12");
        options.DaysBefore = c.Before;
        options.DaysAfter = c.After;
        const TDeductWindow w = DeductWindow(options, D(c.Date));
        EXPECT_EQ(w.From, D(c.From)) << c.Name;
        EXPECT_EQ(w.To, D(c.To)) << c.Name;
    }
}

TEST(DeductOptions, AreRememberedAsOneTextAndReadBackPartByPart)
{
    TAuotDeductOptions options;
    options.SpanDeduct = true;
    options.Span1Week = false;
    options.Span2Month = true;
    options.Span2Date = D("2027-05-01");
    options.DaysBefore = 7;
    options.DaysAfter = 45;
    options.KeepLast = false;
    const QString text = AutoDeductOptionsText(options);
    EXPECT_EQ(text, QStringLiteral("1,0,1,2027/05/01,7,45,0"));

    TAuotDeductOptions read;
    ParseAutoDeductOptions(text, read);
    EXPECT_EQ(AutoDeductOptionsText(read), text);

    // What cannot be read keeps the value it had: a negative day count, a date that is none,
    // parts missing at the end.
    TAuotDeductOptions kept;
    kept.Span2Date = D("2027-01-01");
    ParseAutoDeductOptions(QStringLiteral("1,1,0,2027/02/30,-4"), kept);
    EXPECT_TRUE(kept.SpanDeduct);
    EXPECT_EQ(kept.Span2Date, D("2027-01-01"));
    EXPECT_EQ(kept.DaysBefore, 0);
    EXPECT_EQ(kept.DaysAfter, 30);
    EXPECT_TRUE(kept.KeepLast);
    EXPECT_EQ(DefaultSpan2Date(D("2027-12-15")), D("2028-01-01"));
}
