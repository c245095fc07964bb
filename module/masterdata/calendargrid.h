// The month grid of the factory calendar without its widget: where each day of the months
// shown lies, the holidays marked on it and the plan periods laid out on it.
#pragma once

#include "masterdata/workcalendar.h"

#include <QDate>
#include <QList>
#include <QString>

namespace kx {

// Months shown as two grid rows each below a header row of weekday letters. Column 0 holds
// the month label, columns 1 to 21 three weeks from Monday; the first row of a month holds
// its first three weeks (counted from the Monday before its first day), the second row the
// next three. Cells outside the month carry no date.
class TCalendarLayout {
public:
    static constexpr int kDayColumns = 21;

    QDate Start;                          // first day of the first month shown
    int Months = 24;

    int RowCount() const { return 2 * Months + 1; }
    int ColumnCount() const { return kDayColumns + 1; }
    // First day after the last month shown.
    QDate End() const { return Start.addMonths(Months); }
    // The day in a cell; invalid for the header, the labels and cells outside the month.
    QDate DateAt(int row, int column) const;
    // The cell of a day; false when the day is not shown.
    bool CellOf(const QDate& date, int& row, int& column) const;
    // The first day of the month a row shows; invalid for the header row.
    QDate MonthOfRow(int row) const;

    // "2026年3月".
    static QString MonthLabel(const QDate& month);
    // The weekday letter of a day column ("一" ... "日").
    static QString WeekdayLetter(int column);
};

// Holidays kept in date order (day numbers, THolidayList). A day <= 0 or one already listed
// is not added. Both answer whether the list changed.
bool AddHoliday(THolidayList& holidays, qint64 day);
bool RemoveHoliday(THolidayList& holidays, qint64 day);

// A period on the calendar, whole days (day numbers), both ends included.
struct TPeriod {
    qint64 DateBegin = 0;
    qint64 DateEnd = 0;
    friend bool operator==(const TPeriod&, const TPeriod&) = default;
};

// Periods in date order that never overlap.
class TPeriodList {
public:
    int Count() const { return int(FItems.size()); }
    const TPeriod& At(int index) const { return FItems[index]; }
    const QList<TPeriod>& Items() const { return FItems; }

    // Adds begin..end. What the new period overlaps gives way: a period inside it goes, one
    // that reaches into it is shortened, one around it is split in two.
    void Add(qint64 begin, qint64 end);
    // Removes every period that has a day in begin..end.
    void RemoveTouching(qint64 begin, qint64 end);
    void Clear() { FItems.clear(); }
    // The period that holds the day, -1 when none.
    int FindIndex(qint64 day) const;
    // The period a selection first..last extends: the one that holds first, else the last
    // one before it; -1 when there is none or it already reaches last.
    int MergeTarget(qint64 first, qint64 last) const;

private:
    QList<TPeriod> FItems;
};

} // namespace kx
