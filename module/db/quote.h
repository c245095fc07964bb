// The one place where values become SQL literals. Nothing else builds a literal by hand.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

namespace kx {

// 'text' with embedded quotes doubled (backslashes are plain characters on the server).
QString QuotedStr(const QString& text);
// A quantity with eight decimals ("%8.8f"); raises EConvertError for NaN or infinity.
QString SQLQty(double value);
QString SQLInt(qint64 value);
// Integers joined by ", ", for an "in (...)" list.
QString SQLIntList(const QList<int>& values);
// 'yyyymmdd', or null for an invalid date.
QString SQLDate(const QDate& date);
// 'yyyy/mm/dd hh:nn:ss', or null for an invalid date-time.
QString SQLDateTime(const QDateTime& dateTime);
// "name" with embedded double quotes doubled: a database, table or column name.
QString QuotedIdent(const QString& name);
// A value by its type: null, text, integer, quantity, date or date-time.
QString SQLValue(const QVariant& value);

} // namespace kx
