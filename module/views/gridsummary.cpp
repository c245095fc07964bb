#include "views/gridsummary.h"

#include "views/commonui.h"

namespace kx {

bool IsSummaryValue(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return false;
    switch (value.typeId()) {
    case QMetaType::QString: return !value.toString().trimmed().isEmpty();
    case QMetaType::Bool: return value.toBool();
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort:
        return value.toLongLong() != 0;
    case QMetaType::Double: case QMetaType::Float: return value.toDouble() != 0;
    default: return true;
    }
}

void TSummaryItem::Add(const QVariant& value)
{
    if (!IsSummaryValue(value))
        return;
    ++Count;
    if (Kind == skCount || Kind == skNone)
        return;
    if (Count == 1) {
        Value = value;
        return;
    }
    switch (Kind) {
    case skMin:
        if (QVariant::compare(value, Value) == QPartialOrdering::Less)
            Value = value;
        break;
    case skMax:
        if (QVariant::compare(value, Value) == QPartialOrdering::Greater)
            Value = value;
        break;
    case skSum:
    case skAverage: Value = Value.toDouble() + value.toDouble(); break;
    case skCount:
    case skNone: break;
    }
}

QVariant TSummaryItem::Result() const
{
    if (Kind == skCount)
        return Count;
    if (Kind == skAverage)
        return Count > 0 ? QVariant(Value.toDouble() / Count) : QVariant();
    return Value;
}

QString TSummaryItem::Text() const
{
    const QVariant result = Result();
    if (Kind == skNone || (Kind != skCount && result.isNull()))
        return QString();
    bool numeric = false;
    const double d = result.toDouble(&numeric);
    if (!numeric || result.typeId() == QMetaType::QString)
        return result.toString();
    switch (Kind) {
    case skMax: return FormatFloat(kMaxSummaryFormat, d);
    case skMin: return FormatFloat(kMinSummaryFormat, d);
    default: return FormatFloat(kFloatFormat, d);
    }
}

} // namespace kx
