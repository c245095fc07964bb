// Plan periods: the horizon buckets of a plan scheme. A list always starts with a catch-all
// period for every date before the first user period and ends with one for every date after
// the last, so each date falls into exactly one period.
#pragma once

#include <QDate>
#include <QList>
#include <QString>

namespace kx {

enum TPlanPeriodKind { ppkDelay = 0, ppkNormal = 1, ppkExceed = 2 };

struct TPlanPeriod {
    TPlanPeriodKind PeriodKind = ppkNormal;
    QDate DateBegin;              // the delay period begins on the zero date 1899-12-30
    QDate DateEnd;                // inclusive
};

using TPlanPeriods = QList<TPlanPeriod>;

class TViewColumn;

// A column of a result view that shows one period of the scheme's list.
struct TPlanPeriodCol {
    int PeriodIndex = 0;          // index into the scheme's period list
    TViewColumn* Column = nullptr;
};

// Day numbers as the stored texts count them: days since 1899-12-30.
qint64 DateToDayNumber(const QDate& date);
QDate DayNumberToDate(qint64 day);
QDate ZeroDate();
QDate LastDate();                 // 9999-12-31

// The full list from the user periods (begin and end of each, in date order; kinds ignored).
TPlanPeriods BuildPlanPeriods(const QList<TPlanPeriod>& userPeriods);
// "42217|42248|42278|": the begin of every period from the first user period on.
QString PlanPeriodsToText(const TPlanPeriods& periods);
// The list of a stored text; false (and an empty list) when the text holds no period.
bool TextToPlanPeriods(const QString& text, TPlanPeriods& periods);

// Begin of the first and end of the last user period; invalid for lists of two entries or fewer.
QDate HorizonBegin(const TPlanPeriods& periods);
QDate HorizonEnd(const TPlanPeriods& periods);
// Index of the period that holds the date, scanning from the last; -1 when none.
int PeriodOfDate(const TPlanPeriods& periods, const QDate& date);
// The SQL expression that maps a date column to its period index.
QString PeriodCaseExpr(const TPlanPeriods& periods, const QString& column);
// The first gap between consecutive user periods: false and the gap's first and last day.
bool PlanPeriodsContiguous(const QList<TPlanPeriod>& userPeriods, QDate& gapBegin, QDate& gapEnd);

// How a period is listed: "2015/08/03 (一)" for one day, "2015/08/03 (一) - 08/09 (日)" for more.
QString PlanPeriodText(const QDate& begin, const QDate& end);
// The length class of a period, the index of its image: one day, 2 to 6 days, a week, longer.
enum TPlanPeriodLength { pplDay = 0, pplDays = 1, pplWeek = 2, pplLonger = 3 };
TPlanPeriodLength PlanPeriodLength(const QDate& begin, const QDate& end);

} // namespace kx
