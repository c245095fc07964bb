#include "engine/hints.h"

#include "db/errors.h"
#include "db/strutils.h"

#include <QStringList>

#include <cmath>

namespace kx {

QString HintKey(int period)
{
    return IntToBase(period, 36, 2);
}

THints ParseHints(const QString& text)
{
    THints hints;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString entry = line.trimmed();
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        bool ok = false;
        const double qty = entry.mid(eq + 1).toDouble(&ok);
        try {
            if (ok)
                hints[int(BaseToInt(entry.left(eq), 36))] += qty;
        } catch (const EConvertError&) {
            // a malformed key names no period
        }
    }
    return hints;
}

QString FormatHints(const THints& hints)
{
    QString text;
    text.reserve(hints.size() * 20);
    for (auto it = hints.begin(); it != hints.end(); ++it) {
        if (it.value() == 0)
            continue;
        text += HintKey(it.key());
        text += QLatin1Char('=');
        text += FloatToText(std::round(it.value() * 1e8) / 1e8);
        text += QLatin1String("\r\n");
    }
    return text;
}

THints RemapHints(const THints& source, double total, const TPlanPeriods& from, const TPlanPeriods& to)
{
    THints target;
    double rest = total;
    int firstTarget = -1;
    for (auto it = source.end(); it != source.begin() && rest > 0;) {
        --it;
        if (it.key() < 0 || it.key() >= from.size() || it.value() <= 0)
            continue;
        const double qty = std::min(it.value(), rest);
        const int period = PeriodOfDate(to, from[it.key()].DateBegin);
        if (period < 0)
            continue;
        target[period] += qty;
        rest -= qty;
        if (firstTarget < 0)
            firstTarget = period;
    }
    if (rest > 0 && firstTarget >= 0)
        target[firstTarget] += rest;
    return target;
}

} // namespace kx
