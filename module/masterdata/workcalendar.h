// Work days of a factory calendar: a day is a working day unless the calendar lists it as a
// holiday (weekends are holidays like any other).
#pragma once

#include <QDate>
#include <QList>

namespace kx {

class TQuery;

// Holidays as day numbers (days since 1899-12-30), ascending.
using THolidayList = QList<qint64>;

// Reads the calendar's holidays from a start date on. False when the statement failed
// (already shown).
[[nodiscard]] bool LoadHolidays(TQuery& query, int calendarID, const QDate& from, THolidayList& holidays);
bool IsHoliday(const THolidayList& holidays, const QDate& date);

// The date n work days before d (n > 0) or |n| work days after it (n < 0), stepping over
// holidays. Backwards, every holiday from the result up to d pushes the result one day
// earlier, so it never lands on a holiday. Forwards, every holiday from d itself up to (not
// including) the result pushes it one day later: a holiday on d counts, and a holiday right
// on the result does not. Never earlier than 2000-01-01, unless d itself is earlier, in which
// case d.
QDate WorkDayOffset(const QDate& d, int n, const THolidayList& holidays);

} // namespace kx
