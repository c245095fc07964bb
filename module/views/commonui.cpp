#include "views/commonui.h"

#include "db/messages.h"
#include "db/quote.h"
#include "db/strutils.h"

#include <QElapsedTimer>

#include <cmath>

namespace kx {

namespace {

bool IsZeroNumber(const QVariant& value)
{
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok && d == 0;
}

QString NumberDisplayText(const QVariant& value, const QString& format)
{
    if (value.isNull() || IsZeroNumber(value))
        return QString();
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok ? FormatFloat(format, d) : value.toString();
}

} // namespace

quint32 TickCount()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return quint32(clock.elapsed());
}

QString TCommonUI::GridFloatColumnGetDisplayText(const QVariant& value)
{
    return NumberDisplayText(value, kFloatFormat);
}

QString TCommonUI::GridCurrencyColumnGetDisplayText(const QVariant& value)
{
    return NumberDisplayText(value, kCurrencyFormat);
}

bool IsTrueValue(const QVariant& value)
{
    if (value.isNull())
        return false;
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        return text == QLatin1String("1") || text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    }
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok ? d != 0 : value.toBool();
}

QString RecordValueText(const QVariant& value, TFieldType type)
{
    if (type == ftUnknown) {
        switch (value.typeId()) {
        case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
        case QMetaType::Short: case QMetaType::UShort:
            type = ftLargeint;
            break;
        case QMetaType::Double: case QMetaType::Float: type = ftFloat; break;
        default: break;
        }
    }
    if (value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isEmpty()))
        return QStringLiteral("null");
    if (IsDateFieldType(type) || value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate) {
        const QDateTime dt = value.typeId() == QMetaType::QDate ? value.toDate().startOfDay() : value.toDateTime();
        return DateTimeToText(dt);
    }
    if (type == ftBoolean || value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    if (IsOrdinalFieldType(type))
        return QString::number(value.toLongLong());
    if (IsNumericFieldType(type))
        return QString::number(value.toDouble(), 'g', 15);
    return QuotedStr(value.toString());
}

bool ConvertFieldValue(const QVariant& input, TFieldType type, QVariant& output)
{
    output = QVariant();
    if (input.isNull())
        return true;
    const bool isText = input.typeId() == QMetaType::QString;
    const QString text = input.toString().trimmed();
    if (isText && text.isEmpty())
        return true;
    if (IsTextFieldType(type) || type == ftUnknown) {
        output = input.toString();
        return true;
    }
    if (type == ftBoolean) {
        if (input.typeId() == QMetaType::Bool) {
            output = input.toBool();
            return true;
        }
        static const QStringList yes{QStringLiteral("1"), QStringLiteral("true"), QStringLiteral("是")};
        static const QStringList no{QStringLiteral("0"), QStringLiteral("false"), QStringLiteral("否")};
        if (yes.contains(text, Qt::CaseInsensitive))
            output = true;
        else if (no.contains(text, Qt::CaseInsensitive))
            output = false;
        return output.isValid();
    }
    if (IsNumericFieldType(type)) {
        bool ok = false;
        const double d = isText ? QString(text).remove(QLatin1Char(',')).toDouble(&ok) : input.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            return false;
        if (IsOrdinalFieldType(type)) {
            if (d != std::floor(d))
                return false;
            output = qlonglong(d);
        } else {
            output = d;
        }
        return true;
    }
    if (IsDateFieldType(type)) {
        QDateTime dt;
        if (input.typeId() == QMetaType::QDate)
            dt = input.toDate().startOfDay();
        else if (input.typeId() == QMetaType::QDateTime)
            dt = input.toDateTime();
        else
            dt = TextToDateTime(text);
        if (!dt.isValid())
            return false;
        output = type == ftDate ? QVariant(dt.date()) : QVariant(dt);
        return true;
    }
    output = input;
    return true;
}

QString EnteredValueText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QDate: return DateToText(value.toDate());
    case QMetaType::QDateTime: return DateTimeToText(value.toDateTime());
    case QMetaType::Bool: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default: return value.toString();
    }
}

} // namespace kx
