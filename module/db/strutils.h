// Text helpers shared by every part of the module: parameter lists ("name=value" items
// joined by a separator), sections, number bases, filters, the date formats and the rounding
// of quantities.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

#include <cmath>

namespace kx {

// Number of non-overlapping occurrences of sub in text.
int CountText(const QString& sub, const QString& text);
// The index-th piece (from 1) of text split by separator, trimmed; empty past the end.
// With maxIndex > 0 the last piece taken (index == maxIndex) keeps the rest of the text.
QString GetSection(const QString& text, const QString& separator, int index, int maxIndex = 0);

// In a list of name=value items joined by separator: the value of the named item.
QString GetParamValue(const QString& list, const QString& name, const QString& separator = QStringLiteral("\r\n"));
// The list with the named item's value replaced or appended; an empty value removes it.
QString SetParamValue(const QString& list, const QString& name, const QString& value,
                      const QString& separator = QStringLiteral("\r\n"));
bool InList(const QString& item, const QString& list, const QString& separator = QStringLiteral(","));

QString StrToHexStr(const QString& text);
QString HexStrToStr(const QString& hex);

// "(first) op (second)", or whichever of the two is not empty.
QString CombineFilter(const QString& first, const QString& second, const QString& op = QStringLiteral("and"));

QVariant IfNullVar(const QVariant& value, const QVariant& otherwise);
inline QVariant IfVar(bool condition, const QVariant& a, const QVariant& b) { return condition ? a : b; }
inline QString IfStr(bool condition, const QString& a, const QString& b) { return condition ? a : b; }
inline int IfInt(bool condition, int a, int b) { return condition ? a : b; }
inline double IfFloat(bool condition, double a, double b) { return condition ? a : b; }

// value in base 2..36 (digits 0-9, A-Z), left-padded with "0" to width; raises EConvertError
// for a base outside 2..36.
QString IntToBase(qint64 value, int base, int width = 1);
qint64 BaseToInt(const QString& text, int base);

QString NewGUIDText();

// Shortest decimal form that reads back to the same number, "." as decimal point and no
// exponent for the magnitudes quantities have.
QString FloatToText(double value);

// A quantity rounded to the eight decimals quantities are kept with.
inline double Round8(double v) { return std::round(v * 1e8) / 1e8; }

// The process-wide date formats: "yyyy/mm/dd" and "yyyy/mm/dd hh:nn:ss".
QString DateToText(const QDate& date);
QString DateTimeToText(const QDateTime& dateTime);
// Reads the long or short format (also the ISO forms); invalid when it is neither.
QDateTime TextToDateTime(const QString& text);

} // namespace kx
