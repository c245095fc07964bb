// The choices of an automatic forecast deduction: how a forecast line and the orders that
// consume it are matched in time, whether earlier automatic results are kept, and which
// forecasts and orders take part. They are remembered per user.
#pragma once

#include <QDate>
#include <QString>

namespace kx {

struct TAuotDeductOptions {
    // true: a forecast takes orders due in its own week or month; false: orders due within
    // DaysBefore days before to DaysAfter days after its delivery date.
    bool SpanDeduct = false;
    bool Span1Week = true;        // the period is the week (Monday to Sunday), else the month
    bool Span2Month = false;      // with weeks: from Span2Date on the period is the month
    QDate Span2Date;
    int DaysBefore = 0;
    int DaysAfter = 30;
    bool KeepLast = true;         // keep the earlier automatic deductions of the forecasts
    // The user's conditions on the three objects, as the condition editor keeps them (the
    // code reopens the editor) and as SQL (what the deduction applies); empty: all lines.
    QString ForcastFilterCode, SOFilterCode, SIFilterCode;
    QString ForcastFilterText, SOFilterText, SIFilterText;
};

// The days whose orders a forecast due on date may take.
struct TDeductWindow {
    QDate From;
    QDate To;
};
TDeductWindow DeductWindow(const TAuotDeductOptions& options, const QDate& date);

// The switch date taken when the user has never chosen one: the first day of next month.
QDate DefaultSpan2Date(const QDate& today);

// The remembered choices as the settings text "SpanDeduct,Span1Week,Span2Month,Span2Date,
// DaysBefore,DaysAfter,KeepLast" (flags "1"/"0"), and back. Parts that are missing or
// unreadable keep the values options already has.
QString AutoDeductOptionsText(const TAuotDeductOptions& options);
void ParseAutoDeductOptions(const QString& text, TAuotDeductOptions& options);

// The current user's remembered choices (section "KX_MRP"), defaults where none are stored.
TAuotDeductOptions LoadAutoDeductOptions();
void SaveAutoDeductOptions(const TAuotDeductOptions& options);

} // namespace kx
