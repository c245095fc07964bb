// The picture formats of numbers that grids, footers, exports and reports share.
#pragma once

#include <QString>

namespace kx {

inline const QString kFloatFormat = QStringLiteral("###,###,###,##0.########");
inline const QString kCurrencyFormat = QStringLiteral("###,###,###,##0.00");
inline const QString kMaxSummaryFormat = QStringLiteral("≤###,###,###,##0.########;≤-###,###,###,##0.########");
inline const QString kMinSummaryFormat = QStringLiteral("≥###,###,###,##0.########;≥-###,###,###,##0.########");

// A number in a picture format: sections "positive;negative;zero"; "0" a digit always
// shown, "#" a digit shown when significant, "," thousands grouping, "." the decimal
// point; other characters are literals. With a negative section the value is shown
// without its sign.
QString FormatFloat(const QString& format, double value);

} // namespace kx
