// Footer and group summaries of grid columns. Only values that carry information count:
// nulls, empty or blank texts and zeros are left out of counts, sums, extremes and
// averages alike.
#pragma once

#include "views/viewcolumns.h"

#include <QVariant>

namespace kx {

// Whether a value takes part in a summary.
bool IsSummaryValue(const QVariant& value);

class TSummaryItem {
public:
    explicit TSummaryItem(TSummaryKind kind = skNone) : Kind(kind) {}

    TSummaryKind Kind;
    int Count = 0;                        // counted values
    QVariant Value;                       // running value; null while nothing counted

    // Takes one value in by the rules above.
    void Add(const QVariant& value);
    // The summary's result: the count, or the running value (the mean for an average).
    QVariant Result() const;
    // The result in the display format of its kind; empty when nothing was counted.
    QString Text() const;
};

} // namespace kx
