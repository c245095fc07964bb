#include "masterdata/planperiods.h"

#include "db/quote.h"

#include <QStringList>

namespace kx {

namespace {
// QDate's Julian day of 1899-12-30, the zero of the stored day numbers.
constexpr qint64 kZeroJulianDay = 2415019;
} // namespace

qint64 DateToDayNumber(const QDate& date)
{
    return date.toJulianDay() - kZeroJulianDay;
}

QDate DayNumberToDate(qint64 day)
{
    return QDate::fromJulianDay(day + kZeroJulianDay);
}

QDate ZeroDate()
{
    return DayNumberToDate(0);
}

QDate LastDate()
{
    return QDate(9999, 12, 31);
}

TPlanPeriods BuildPlanPeriods(const QList<TPlanPeriod>& userPeriods)
{
    TPlanPeriods periods;
    if (userPeriods.isEmpty())
        return periods;
    periods << TPlanPeriod{ppkDelay, ZeroDate(), userPeriods.first().DateBegin.addDays(-1)};
    for (const TPlanPeriod& p : userPeriods)
        periods << TPlanPeriod{ppkNormal, p.DateBegin, p.DateEnd};
    periods << TPlanPeriod{ppkExceed, userPeriods.last().DateEnd.addDays(1), LastDate()};
    return periods;
}

QString PlanPeriodsToText(const TPlanPeriods& periods)
{
    QString text;
    for (qsizetype i = 1; i < periods.size(); ++i)
        text += QString::number(DateToDayNumber(periods[i].DateBegin)) + QLatin1Char('|');
    return text;
}

bool TextToPlanPeriods(const QString& text, TPlanPeriods& periods)
{
    periods.clear();
    QStringList values = text.split(QLatin1Char('|'));
    if (!values.isEmpty() && values.last().trimmed().isEmpty())
        values.removeLast();
    if (values.isEmpty())
        return false;
    periods << TPlanPeriod{ppkDelay, ZeroDate(), QDate()};
    for (const QString& v : values) {
        const QDate begin = DayNumberToDate(qint64(v.trimmed().toDouble()));
        periods.last().DateEnd = begin.addDays(-1);
        periods << TPlanPeriod{ppkNormal, begin, QDate()};
    }
    periods.last().PeriodKind = ppkExceed;
    periods.last().DateEnd = LastDate();
    return true;
}

QDate HorizonBegin(const TPlanPeriods& periods)
{
    return periods.size() > 2 ? periods[1].DateBegin : QDate();
}

QDate HorizonEnd(const TPlanPeriods& periods)
{
    return periods.size() > 2 ? periods[periods.size() - 2].DateEnd : QDate();
}

int PeriodOfDate(const TPlanPeriods& periods, const QDate& date)
{
    for (qsizetype i = periods.size() - 1; i >= 0; --i)
        if (periods[i].DateBegin <= date && date <= periods[i].DateEnd)
            return int(i);
    return -1;
}

QString PeriodCaseExpr(const TPlanPeriods& periods, const QString& column)
{
    const qsizetype n = periods.size();
    QString expr = QStringLiteral("(case");
    for (qsizetype i = 1; i < n; ++i)
        expr += QStringLiteral(" when %1<%2 then %3").arg(column, SQLDate(periods[i].DateBegin)).arg(i - 1);
    return expr + QStringLiteral(" else %1 end)").arg(n - 1);
}

bool PlanPeriodsContiguous(const QList<TPlanPeriod>& userPeriods, QDate& gapBegin, QDate& gapEnd)
{
    for (qsizetype i = 1; i < userPeriods.size(); ++i) {
        const QDate expected = userPeriods[i - 1].DateEnd.addDays(1);
        if (userPeriods[i].DateBegin != expected) {
            gapBegin = expected;
            gapEnd = userPeriods[i].DateBegin.addDays(-1);
            return false;
        }
    }
    return true;
}

QString PlanPeriodText(const QDate& begin, const QDate& end)
{
    static const QString weekdays = QStringLiteral("日一二三四五六");
    auto weekday = [](const QDate& d) { return QString(weekdays[d.dayOfWeek() % 7]); };
    QString text = QStringLiteral("%1 (%2)").arg(begin.toString(QStringLiteral("yyyy/MM/dd")), weekday(begin));
    if (end > begin)
        text += QStringLiteral(" - %1 (%2)").arg(end.toString(QStringLiteral("MM/dd")), weekday(end));
    return text;
}

TPlanPeriodLength PlanPeriodLength(const QDate& begin, const QDate& end)
{
    const qint64 span = begin.daysTo(end);
    if (span <= 0)
        return pplDay;
    if (span < 6)
        return pplDays;
    return span == 6 ? pplWeek : pplLonger;
}

} // namespace kx
