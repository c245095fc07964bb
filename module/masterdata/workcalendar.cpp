#include "masterdata/workcalendar.h"

#include "db/dataset.h"
#include "db/quote.h"
#include "db/sqlrun.h"
#include "masterdata/planperiods.h"

#include <QStringList>

#include <algorithm>

namespace kx {

namespace {
constexpr qint64 kFloorDay = 36526;   // 2000-01-01
} // namespace

namespace {

bool ReadHolidays(TQuery& query, const QString& sql, THolidayList& holidays)
{
    holidays.clear();
    if (!RunSQL(query, sql, true))
        return false;
    holidays.reserve(query.RecordCount());
    for (int row = 0; row < query.RecordCount(); ++row)
        holidays << DateToDayNumber(query.ValueAt(row, 0).toDate());
    return true;
}

} // namespace

bool LoadHolidays(TQuery& query, int calendarID, const QDate& from, THolidayList& holidays)
{
    return ReadHolidays(query,
                        QStringLiteral("select CalHoliday from KX_MRP_Holidays where CalIID=%1 and CalHoliday>=%2 order by CalHoliday")
                            .arg(SQLInt(calendarID), SQLDate(from.isValid() ? from : ZeroDate())),
                        holidays);
}

bool LoadHolidaysBetween(TQuery& query, int calendarID, const QDate& from, const QDate& to, THolidayList& holidays)
{
    return ReadHolidays(query,
                        QStringLiteral("select CalHoliday from KX_MRP_Holidays where CalIID=%1 and CalHoliday>=%2 and "
                                       "CalHoliday<%3 order by CalHoliday")
                            .arg(SQLInt(calendarID), SQLDate(from), SQLDate(to)),
                        holidays);
}

QString ReplaceHolidaysSQL(int calendarID, const QDate& from, const QDate& to, const THolidayList& holidays)
{
    const QString id = SQLInt(calendarID);
    QString sql = QStringLiteral("delete from KX_MRP_Holidays where CalIID=%1 and CalHoliday>=%2 and CalHoliday<%3;\r")
                      .arg(id, SQLDate(from), SQLDate(to));
    const qint64 first = DateToDayNumber(from), last = DateToDayNumber(to);
    QStringList rows;
    for (qint64 day : holidays)
        if (day >= first && day < last)
            rows << QStringLiteral("(%1, %2)").arg(id, SQLDate(DayNumberToDate(day)));
    if (!rows.isEmpty())
        sql += QStringLiteral("insert into KX_MRP_Holidays (CalIID, CalHoliday) values ") + rows.join(QStringLiteral(",\r")) + QStringLiteral(";\r");
    return sql;
}

bool IsHoliday(const THolidayList& holidays, const QDate& date)
{
    return std::binary_search(holidays.begin(), holidays.end(), DateToDayNumber(date));
}

QDate WorkDayOffset(const QDate& d, int n, const THolidayList& holidays)
{
    if (n == 0)
        return d;
    const qint64 day = DateToDayNumber(d);
    if (n > 0) {
        qint64 result = day - n;
        if (result < kFloorDay)
            return day < kFloorDay ? d : DayNumberToDate(kFloorDay);
        // Walk down from the last holiday before d: each holiday not before the result
        // pushes the result one day earlier.
        auto it = std::lower_bound(holidays.begin(), holidays.end(), day);
        while (it != holidays.begin()) {
            --it;
            if (*it < result)
                break;
            --result;
        }
        if (result < kFloorDay)
            return DayNumberToDate(kFloorDay);
        return DayNumberToDate(result);
    }
    qint64 result = day - n;
    if (result < kFloorDay)
        return day < kFloorDay ? d : DayNumberToDate(kFloorDay);
    // Walk up from the first holiday at or after d: each holiday before the result pushes
    // the result one day later.
    for (auto it = std::lower_bound(holidays.begin(), holidays.end(), day); it != holidays.end(); ++it) {
        if (*it >= result)
            break;
        ++result;
    }
    return DayNumberToDate(result);
}

} // namespace kx
