// The order of cell values that grids, trees and lists sort by.
#pragma once

#include <QVariant>

namespace kx {

// Orders two cell values: nulls first, numbers by value, texts by the locale without
// regard to case, dates by time. Negative, zero or positive.
int CompareValues(const QVariant& a, const QVariant& b);

} // namespace kx
