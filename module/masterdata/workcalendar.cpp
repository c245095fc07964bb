#include "masterdata/workcalendar.h"

#include "db/dataset.h"
#include "db/quote.h"
#include "db/sqlrun.h"
#include "masterdata/planperiods.h"

#include <algorithm>

namespace kx {

namespace {
constexpr qint64 kFloorDay = 36526;   // 2000-01-01
} // namespace

bool LoadHolidays(TQuery& query, int calendarID, const QDate& from, THolidayList& holidays)
{
    holidays.clear();
    if (!RunSQL(query, QStringLiteral("select CalHoliday from KX_MRP_Holidays where CalIID=%1 and CalHoliday>=%2 order by CalHoliday")
                           .arg(SQLInt(calendarID), SQLDate(from.isValid() ? from : ZeroDate())),
                true))
        return false;
    holidays.reserve(query.RecordCount());
    for (int row = 0; row < query.RecordCount(); ++row)
        holidays << DateToDayNumber(query.ValueAt(row, 0).toDate());
    return true;
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
