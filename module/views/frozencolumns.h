// Keeps the columns of fixed-left bands in place while the rest of a grid scrolls
// sideways: a second list over the same model and selection, laid over the grid's left
// edge, shows only those columns and follows the grid's vertical scrolling, expanded
// groups and column widths.
#pragma once

#include <QObject>

class QTreeView;

namespace kx {

class TBandedHeader;
class TViewColumns;

class TFrozenColumns : public QObject {
    Q_OBJECT

public:
    TFrozenColumns(QTreeView* grid, TViewColumns* columns);

    // The overlay list; hidden while no fixed-left column is shown.
    QTreeView* View() const { return FView; }
    TBandedHeader* Header() const { return FHeader; }
    // Takes the grid's columns, widths, groups and place again (after layout changes and
    // new rows).
    void Update();
    // The width the fixed columns take at the grid's left edge (0 when there are none).
    int FrozenWidth() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();

    QTreeView* FGrid;
    TViewColumns* FColumns;
    QTreeView* FView;
    TBandedHeader* FHeader;
    bool FUpdating = false;
};

} // namespace kx
