#include "db/strutils.h"

#include "db/errors.h"

#include <QLocale>
#include <QUuid>

#include <charconv>
#include <cmath>

namespace kx {

int CountText(const QString& sub, const QString& text)
{
    if (sub.isEmpty())
        return 0;
    int n = 0;
    for (qsizetype at = text.indexOf(sub); at >= 0; at = text.indexOf(sub, at + sub.size()))
        ++n;
    return n;
}

QString GetSection(const QString& text, const QString& separator, int index, int maxIndex)
{
    if (index < 1)
        return QString();
    qsizetype start = 0;
    for (int i = 1; i < index; ++i) {
        const qsizetype at = text.indexOf(separator, start);
        if (at < 0)
            return QString();
        start = at + separator.size();
    }
    if (maxIndex > 0 && index >= maxIndex)
        return text.mid(start).trimmed();
    const qsizetype end = text.indexOf(separator, start);
    return (end < 0 ? text.mid(start) : text.mid(start, end - start)).trimmed();
}

namespace {

// Position and length of the named item (name and "=" compared without regard to case).
bool FindParam(const QString& list, const QString& name, const QString& separator, qsizetype& start, qsizetype& end)
{
    const QString key = name + QLatin1Char('=');
    qsizetype at = 0;
    while (at <= list.size()) {
        qsizetype next = list.indexOf(separator, at);
        if (next < 0)
            next = list.size();
        if (QStringView(list).mid(at, next - at).startsWith(key, Qt::CaseInsensitive)) {
            start = at;
            end = next;
            return true;
        }
        if (next >= list.size())
            break;
        at = next + separator.size();
    }
    return false;
}

} // namespace

QString GetParamValue(const QString& list, const QString& name, const QString& separator)
{
    qsizetype start = 0, end = 0;
    if (!FindParam(list, name, separator, start, end))
        return QString();
    const qsizetype valueStart = start + name.size() + 1;
    return list.mid(valueStart, end - valueStart);
}

QString SetParamValue(const QString& list, const QString& name, const QString& value, const QString& separator)
{
    qsizetype start = 0, end = 0;
    const bool found = FindParam(list, name, separator, start, end);
    if (value.isEmpty()) {
        if (!found)
            return list;
        QString result = list;
        // The item goes together with the separator that follows it.
        const qsizetype cut = end < list.size() ? end + separator.size() : end;
        result.remove(start, cut - start);
        return result;
    }
    if (found) {
        QString result = list;
        const qsizetype valueStart = start + name.size() + 1;
        result.replace(valueStart, end - valueStart, value);
        return result;
    }
    QString result = list;
    if (!result.isEmpty() && !result.endsWith(separator))
        result += separator;
    return result + name + QLatin1Char('=') + value;
}

bool InList(const QString& item, const QString& list, const QString& separator)
{
    const QStringList pieces = list.split(separator);
    for (const QString& p : pieces)
        if (p.trimmed().compare(item.trimmed(), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString StrToHexStr(const QString& text)
{
    QString hex;
    hex.reserve(text.size() * 4);
    for (QChar c : text)
        hex += QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    return hex;
}

QString HexStrToStr(const QString& hex)
{
    QString text;
    for (qsizetype i = 0; i + 4 <= hex.size(); i += 4) {
        bool ok = false;
        const ushort code = hex.mid(i, 4).toUShort(&ok, 16);
        if (!ok)
            throw EConvertError(QStringLiteral("'%1'不是有效的十六进制文本!").arg(hex));
        text += QChar(code);
    }
    return text;
}

QString CombineFilter(const QString& first, const QString& second, const QString& op)
{
    if (first.isEmpty())
        return second;
    if (second.isEmpty())
        return first;
    return QLatin1Char('(') + first + QLatin1String(") ") + op + QLatin1String(" (") + second + QLatin1Char(')');
}

QVariant IfNullVar(const QVariant& value, const QVariant& otherwise)
{
    return value.isNull() ? otherwise : value;
}

QString IntToBase(qint64 value, int base, int width)
{
    if (base < 2 || base > 36)
        throw EConvertError(QStringLiteral("Range check error"));
    static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const bool negative = value < 0;
    quint64 v = negative ? quint64(-(value + 1)) + 1 : quint64(value);
    char buffer[66];              // up to 64 digits (a 64-bit value in base 2) and the sign
    char* const end = buffer + sizeof(buffer);
    char* p = end;
    do {
        *--p = digits[v % quint64(base)];
        v /= quint64(base);
    } while (v > 0);
    if (width > 64) {
        QString text = QString::fromLatin1(p, end - p);
        text.prepend(QString(width - text.size(), QLatin1Char('0')));
        return negative ? QLatin1Char('-') + text : text;
    }
    while (end - p < width)
        *--p = '0';
    if (negative)
        *--p = '-';
    return QString::fromLatin1(p, end - p);
}

qint64 BaseToInt(const QString& text, int base)
{
    if (base < 2 || base > 36)
        throw EConvertError(QStringLiteral("Range check error"));
    const QString s = text.trimmed().toUpper();
    bool ok = false;
    const qint64 v = s.toLongLong(&ok, base);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1'不是有效的%2进制数!").arg(text).arg(base));
    return v;
}

QString NewGUIDText()
{
    return QUuid::createUuid().toString(QUuid::WithBraces).toUpper();
}

QString FloatToText(double value)
{
    // Below 10^15 the shortest digits that read back as the same double, in fixed notation;
    // zero without a sign.
    if (value == 0)
        return QStringLiteral("0");
    if (std::fabs(value) < 1e15) {
        char buffer[400];         // the smallest doubles take some 330 places
        const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed);
        if (result.ec == std::errc())
            return QString::fromLatin1(buffer, result.ptr - buffer);
    }
    return QString::number(value, std::fabs(value) < 1e15 ? 'f' : 'g', QLocale::FloatingPointShortest);
}

QString DateToText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

QString DateTimeToText(const QDateTime& dateTime)
{
    return dateTime.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
}

QDateTime TextToDateTime(const QString& text)
{
    const QString s = text.trimmed();
    for (const char* format : {"yyyy/MM/dd hh:mm:ss", "yyyy/MM/dd h:mm:ss", "yyyy/MM/dd hh:mm", "yyyy-MM-dd hh:mm:ss",
                               "yyyy-MM-ddThh:mm:ss", "yyyy/MM/dd", "yyyy/M/d", "yyyy-MM-dd", "yyyyMMdd"}) {
        const QDateTime dt = QDateTime::fromString(s, QLatin1String(format));
        if (dt.isValid())
            return dt;
    }
    return QDateTime();
}

} // namespace kx
