// Work days of a factory calendar: a day is a working day unless the calendar lists it as a
// holiday (weekends are holidays like any other).
#pragma once

#include <QDate>
#include <QList>
#include <QString>

namespace kx {

class TQuery;

// Holidays as day numbers (days since 1899-12-30), ascending.
using THolidayList = QList<qint64>;

// Reads the calendar's holidays from a start date on. False when the statement failed
// (already shown).
[[nodiscard]] bool LoadHolidays(TQuery& query, int calendarID, const QDate& from, THolidayList& holidays);
// Reads the holidays from `from` up to the day before `to`.
[[nodiscard]] bool LoadHolidaysBetween(TQuery& query, int calendarID, const QDate& from, const QDate& to,
                                       THolidayList& holidays);
// The statement that replaces the calendar's holidays from `from` up to the day before `to` by
// the given ones (those outside the range are left out); holidays outside the range stay.
QString ReplaceHolidaysSQL(int calendarID, const QDate& from, const QDate& to, const THolidayList& holidays);
// The named calendars, by name: CalIID and CalName.
inline const QString kCalendarListSQL = QStringLiteral("select * from KX_MRP_Calendar order by CalName");
bool IsHoliday(const THolidayList& holidays, const QDate& date);

// The date n work days before d (n > 0) or |n| work days after it (n < 0), stepping over
// holidays. Backwards, every holiday from the result up to d pushes the result one day
// earlier, so it never lands on a holiday. Forwards, every holiday from d itself up to (not
// including) the result pushes it one day later: a holiday on d counts, and a holiday right
// on the result does not. Never earlier than 2000-01-01, unless d itself is earlier, in which
// case d.
QDate WorkDayOffset(const QDate& d, int n, const THolidayList& holidays);

} // namespace kx
