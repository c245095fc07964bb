#include "db/quote.h"

#include "db/errors.h"

#include <QStringList>

#include <cmath>

namespace kx {

QString QuotedStr(const QString& text)
{
    QString s = text;
    s.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

QString QuotedIdent(const QString& name)
{
    QString s = name;
    s.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString SQLQty(double value)
{
    if (!std::isfinite(value))
        throw EConvertError(QStringLiteral("数量值无效, 不能写入数据库!"));
    QString s = QString::asprintf("%8.8f", value);
    return s.trimmed();
}

QString SQLInt(qint64 value)
{
    return QString::number(value);
}

QString SQLIntList(const QList<int>& values)
{
    QStringList items;
    items.reserve(values.size());
    for (int v : values)
        items << SQLInt(v);
    return items.join(QLatin1String(", "));
}

QString SQLDate(const QDate& date)
{
    if (!date.isValid())
        return QStringLiteral("null");
    return QLatin1Char('\'') + date.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char('\'');
}

QString SQLDateTime(const QDateTime& dateTime)
{
    if (!dateTime.isValid())
        return QStringLiteral("null");
    return QLatin1Char('\'') + dateTime.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")) + QLatin1Char('\'');
}

QString SQLValue(const QVariant& value)
{
    if (value.isNull())
        return QStringLiteral("null");
    switch (value.typeId()) {
    case QMetaType::Bool: return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort:
        return SQLInt(value.toLongLong());
    case QMetaType::Double: case QMetaType::Float: return SQLQty(value.toDouble());
    case QMetaType::QDate: return SQLDate(value.toDate());
    case QMetaType::QDateTime: return SQLDateTime(value.toDateTime());
    default: return QuotedStr(value.toString());
    }
}

} // namespace kx
