// The columns a concrete view designs: bands of fields with their captions and widths, put on
// a grid as its own columns or bound on a tree as its static columns.
#pragma once

#include "kx_mrp/objectdef.h"

#include <QList>

namespace kx {

class TInfoGridView;
class TInfoTreeView;

struct TDesignedColumn {
    const char* Field;
    const char* Caption;              // a tree takes the caption of the field's definition
    int Width;
};

struct TDesignedBand {
    const char* Caption;
    TInfoFieldLayout Fixed;
    QList<TDesignedColumn> Columns;
};

// Adds the bands and their columns to a grid, in order.
void AddDesignedColumns(TInfoGridView& view, const QList<TDesignedBand>& bands);
// Adds the bands and binds their columns on a tree, in order (before InitializeView).
void BindDesignedColumns(TInfoTreeView& view, const QList<TDesignedBand>& bands);
// Puts the designed widths on a tree's columns after InitializeView; the view then applies its
// layout again, so that the widths its scheme keeps win.
void ApplyDesignedWidths(TInfoTreeView& view, const QList<TDesignedBand>& bands);

} // namespace kx
