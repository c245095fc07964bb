#include "masterdata/calendargrid.h"

#include <algorithm>

namespace kx {

namespace {

constexpr int kWeekRows = 3;              // weeks in one grid row

// Days from the Monday before the month's first day to that first day.
int LeadDays(const QDate& month)
{
    return month.dayOfWeek() - 1;
}

} // namespace

QDate TCalendarLayout::MonthOfRow(int row) const
{
    if (row < 1 || row >= RowCount() || !Start.isValid())
        return QDate();
    return Start.addMonths((row - 1) / 2);
}

QDate TCalendarLayout::DateAt(int row, int column) const
{
    const QDate month = MonthOfRow(row);
    if (!month.isValid() || column < 1 || column > kDayColumns)
        return QDate();
    const int week = ((row - 1) % 2) * kWeekRows + (column - 1) / 7;
    const int day = week * 7 + (column - 1) % 7 - LeadDays(month) + 1;
    if (day < 1 || day > month.daysInMonth())
        return QDate();
    return month.addDays(day - 1);
}

bool TCalendarLayout::CellOf(const QDate& date, int& row, int& column) const
{
    if (!date.isValid() || !Start.isValid() || date < Start || date >= End())
        return false;
    const QDate month(date.year(), date.month(), 1);
    const int monthIndex = (month.year() - Start.year()) * 12 + month.month() - Start.month();
    const int offset = LeadDays(month) + date.day() - 1;
    const int week = offset / 7;
    row = 1 + 2 * monthIndex + week / kWeekRows;
    column = 1 + (week % kWeekRows) * 7 + offset % 7;
    return true;
}

QString TCalendarLayout::MonthLabel(const QDate& month)
{
    return QStringLiteral("%1年%2月").arg(month.year()).arg(month.month());
}

QString TCalendarLayout::WeekdayLetter(int column)
{
    static const QString letters = QStringLiteral("一二三四五六日");
    return column < 1 ? QString() : QString(letters[(column - 1) % 7]);
}

bool AddHoliday(THolidayList& holidays, qint64 day)
{
    if (day <= 0)
        return false;
    const auto at = std::lower_bound(holidays.begin(), holidays.end(), day);
    if (at != holidays.end() && *at == day)
        return false;
    holidays.insert(at, day);
    return true;
}

bool RemoveHoliday(THolidayList& holidays, qint64 day)
{
    const auto at = std::lower_bound(holidays.begin(), holidays.end(), day);
    if (at == holidays.end() || *at != day)
        return false;
    holidays.erase(at);
    return true;
}

void TPeriodList::Add(qint64 begin, qint64 end)
{
    if (end < begin)
        std::swap(begin, end);
    QList<TPeriod> kept;
    for (const TPeriod& p : FItems) {
        if (p.DateEnd < begin || p.DateBegin > end) {
            kept << p;
            continue;
        }
        if (p.DateBegin < begin)
            kept << TPeriod{p.DateBegin, begin - 1};
        if (p.DateEnd > end)
            kept << TPeriod{end + 1, p.DateEnd};
    }
    kept << TPeriod{begin, end};
    std::sort(kept.begin(), kept.end(), [](const TPeriod& a, const TPeriod& b) { return a.DateBegin < b.DateBegin; });
    FItems = kept;
}

void TPeriodList::RemoveTouching(qint64 begin, qint64 end)
{
    if (end < begin)
        std::swap(begin, end);
    FItems.removeIf([begin, end](const TPeriod& p) { return p.DateEnd >= begin && p.DateBegin <= end; });
}

int TPeriodList::FindIndex(qint64 day) const
{
    // The last period that begins on or before the day holds it if it reaches the day.
    const auto after = std::upper_bound(FItems.begin(), FItems.end(), day,
                                        [](qint64 d, const TPeriod& p) { return d < p.DateBegin; });
    if (after == FItems.begin())
        return -1;
    const auto at = after - 1;
    return at->DateEnd >= day ? int(at - FItems.begin()) : -1;
}

int TPeriodList::MergeTarget(qint64 first, qint64 last) const
{
    const auto after = std::upper_bound(FItems.begin(), FItems.end(), first,
                                        [](qint64 d, const TPeriod& p) { return d < p.DateBegin; });
    if (after == FItems.begin())
        return -1;
    const auto at = after - 1;
    return at->DateEnd < last ? int(at - FItems.begin()) : -1;
}

} // namespace kx
