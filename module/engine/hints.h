// Period hints: how a main-demand or supply quantity is spread over plan periods, stored as
// lines "key=quantity" joined by CR LF, the key being the period index in base 36 with two
// digits.
#pragma once

#include "masterdata/planperiods.h"

#include <QMap>
#include <QString>

namespace kx {

using THints = QMap<int, double>;           // period index -> quantity

THints ParseHints(const QString& text);
QString FormatHints(const THints& hints);
QString HintKey(int period);

// Carries a distribution from one period list to another: walking the source shares from the
// latest period back, each positive share (capped at what is left of total) goes to the
// target period that holds the source period's first day; what is left at the end goes to
// the first target period used.
THints RemapHints(const THints& source, double total, const TPlanPeriods& from, const TPlanPeriods& to);

} // namespace kx
