#include "deduction/deductoptions.h"

#include "db/settings.h"
#include "db/strutils.h"

#include <QStringList>

namespace kx {

namespace {

const QString kSection = QStringLiteral("KX_MRP");

QDate MondayOf(const QDate& date)
{
    return date.addDays(1 - date.dayOfWeek());
}

QDate FirstOfMonth(const QDate& date)
{
    return QDate(date.year(), date.month(), 1);
}

QString Flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

struct TFilterKeys {
    const char* Code;
    const char* Text;
    QString TAuotDeductOptions::*CodeField;
    QString TAuotDeductOptions::*TextField;
};

const TFilterKeys kFilterKeys[] = {
    {"AutoDeductForFilterCode", "AutoDeductForFilterText", &TAuotDeductOptions::ForcastFilterCode,
     &TAuotDeductOptions::ForcastFilterText},
    {"AutoDeductSOFilterCode", "AutoDeductSOFilterText", &TAuotDeductOptions::SOFilterCode, &TAuotDeductOptions::SOFilterText},
    {"AutoDeductSIFilterCode", "AutoDeductSIFilterText", &TAuotDeductOptions::SIFilterCode, &TAuotDeductOptions::SIFilterText},
};

} // namespace

TDeductWindow DeductWindow(const TAuotDeductOptions& options, const QDate& date)
{
    if (!options.SpanDeduct)
        return {date.addDays(-options.DaysBefore), date.addDays(options.DaysAfter)};
    const bool monthsFromSwitch = options.Span1Week && options.Span2Month && options.Span2Date.isValid();
    if (options.Span1Week && !(monthsFromSwitch && date >= options.Span2Date)) {
        TDeductWindow week{MondayOf(date), MondayOf(date).addDays(6)};
        // The week that runs into the switch date ends the day before: from then on months count.
        if (monthsFromSwitch && week.To >= options.Span2Date)
            week.To = options.Span2Date.addDays(-1);
        return week;
    }
    TDeductWindow month{FirstOfMonth(date), FirstOfMonth(date).addMonths(1).addDays(-1)};
    // The month in which weeks turn into months starts on the switch date.
    if (monthsFromSwitch && month.From < options.Span2Date)
        month.From = options.Span2Date;
    return month;
}

QDate DefaultSpan2Date(const QDate& today)
{
    return FirstOfMonth(today).addMonths(1);
}

QString AutoDeductOptionsText(const TAuotDeductOptions& options)
{
    return QStringList{Flag(options.SpanDeduct),
                       Flag(options.Span1Week),
                       Flag(options.Span2Month),
                       DateToText(options.Span2Date),
                       QString::number(options.DaysBefore),
                       QString::number(options.DaysAfter),
                       Flag(options.KeepLast)}
        .join(QLatin1Char(','));
}

void ParseAutoDeductOptions(const QString& text, TAuotDeductOptions& options)
{
    const QStringList parts = text.split(QLatin1Char(','));
    const auto part = [&parts](int i) { return i < parts.size() ? parts.at(i).trimmed() : QString(); };
    const auto flag = [&part](int i, bool& value) {
        if (!part(i).isEmpty())
            value = part(i) != QLatin1String("0");
    };
    const auto days = [&part](int i, int& value) {
        bool ok = false;
        const int n = part(i).toInt(&ok);
        if (ok && n >= 0 && n <= 9999)
            value = n;
    };
    flag(0, options.SpanDeduct);
    flag(1, options.Span1Week);
    flag(2, options.Span2Month);
    const QDate switchDate = TextToDateTime(part(3)).date();
    if (switchDate.isValid())
        options.Span2Date = switchDate;
    days(4, options.DaysBefore);
    days(5, options.DaysAfter);
    flag(6, options.KeepLast);
}

TAuotDeductOptions LoadAutoDeductOptions()
{
    TAuotDeductOptions options;
    options.Span2Date = DefaultSpan2Date(QDate::currentDate());
    QString text;
    ReadSetting(kSection, QStringLiteral("AutoDeductOptions"), text, false);
    ParseAutoDeductOptions(text, options);
    for (const TFilterKeys& keys : kFilterKeys) {
        ReadSetting(kSection, QLatin1String(keys.Code), options.*keys.CodeField, false);
        ReadSetting(kSection, QLatin1String(keys.Text), options.*keys.TextField, false);
    }
    return options;
}

void SaveAutoDeductOptions(const TAuotDeductOptions& options)
{
    WriteSetting(kSection, QStringLiteral("AutoDeductOptions"), false, AutoDeductOptionsText(options));
    for (const TFilterKeys& keys : kFilterKeys) {
        WriteSetting(kSection, QLatin1String(keys.Code), false, options.*keys.CodeField);
        WriteSetting(kSection, QLatin1String(keys.Text), false, options.*keys.TextField);
    }
}

} // namespace kx
