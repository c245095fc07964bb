#include "views/numberformat.h"

#include <QStringList>

#include <cmath>

namespace kx {

namespace {

bool IsPlaceholder(QChar c)
{
    return c == QLatin1Char('0') || c == QLatin1Char('#') || c == QLatin1Char('.') || c == QLatin1Char(',');
}

QString GroupThousands(const QString& digits)
{
    QString grouped;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            grouped += QLatin1Char(',');
        grouped += digits[i];
    }
    return grouped;
}

} // namespace

QString FormatFloat(const QString& format, double value)
{
    const QStringList sections = format.split(QLatin1Char(';'));
    QString section = sections.value(0);
    const bool negativeSection = value < 0 && !sections.value(1).isEmpty();
    if (negativeSection)
        section = sections.value(1);
    else if (value == 0 && !sections.value(2).isEmpty())
        section = sections.value(2);

    qsizetype first = 0;
    while (first < section.size() && !IsPlaceholder(section[first]))
        ++first;
    qsizetype last = section.size() - 1;
    while (last >= first && !IsPlaceholder(section[last]))
        --last;
    const QString prefix = section.left(first);
    const QString suffix = section.mid(last + 1);
    const QString picture = section.mid(first, last - first + 1);
    const qsizetype dot = picture.indexOf(QLatin1Char('.'));
    const QString intPicture = dot < 0 ? picture : picture.left(dot);
    const QString decPicture = dot < 0 ? QString() : picture.mid(dot + 1);
    const int minInt = int(intPicture.count(QLatin1Char('0')));
    const int minDec = int(decPicture.count(QLatin1Char('0')));
    const int maxDec = minDec + int(decPicture.count(QLatin1Char('#')));

    const QString fixed = QString::number(std::fabs(value), 'f', maxDec);
    const qsizetype point = fixed.indexOf(QLatin1Char('.'));
    QString intDigits = point < 0 ? fixed : fixed.left(point);
    QString decDigits = point < 0 ? QString() : fixed.mid(point + 1);
    while (decDigits.size() > minDec && decDigits.endsWith(QLatin1Char('0')))
        decDigits.chop(1);
    if (intDigits == QLatin1String("0") && minInt == 0)
        intDigits.clear();
    while (intDigits.size() < minInt)
        intDigits.prepend(QLatin1Char('0'));
    if (intPicture.contains(QLatin1Char(',')))
        intDigits = GroupThousands(intDigits);

    QString number = intDigits;
    if (!decDigits.isEmpty())
        number += QLatin1Char('.') + decDigits;
    const bool shownAsZero = QString(number).remove(QLatin1Char('0')).remove(QLatin1Char(',')).remove(QLatin1Char('.')).isEmpty();
    const QString sign = value < 0 && !negativeSection && !shownAsZero ? QStringLiteral("-") : QString();
    return prefix + sign + number + suffix;
}

} // namespace kx
