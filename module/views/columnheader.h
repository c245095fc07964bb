// The header of grid and tree views: shows the view's columns in their layout (order,
// widths, visibility), draws band captions above the column captions when the view has
// bands with captions, and reads what the user changed back into the columns.
#pragma once

#include "views/viewcolumns.h"

#include <QHeaderView>

class QAbstractItemModel;
class QTreeView;

namespace kx {

class TBandedHeader : public QHeaderView {
    Q_OBJECT

public:
    TBandedHeader(TViewColumns* columns, QWidget* parent = nullptr);

    // Puts the columns' visibility, widths and order on the header sections (section n is
    // column n of the list).
    void ApplyColumns();
    // Takes the sections' widths, visibility and order back into the columns.
    void ReadColumns();

    QSize sizeHint() const override;
    // A header that only shows the columns (the fixed columns' copy) never writes widths,
    // visibility or order back into them.
    void SetShowOnly(bool showOnly) { FShowOnly = showOnly; }

Q_SIGNALS:
    // The user moved a column; the columns hold the new order.
    void ColumnsMoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    bool Banded() const;
    void SectionResized(int logicalIndex, int oldSize, int newSize);
    void SectionMoved(int logicalIndex, int oldVisualIndex, int newVisualIndex);

    TViewColumns* FColumns;
    bool FApplying = false;
    bool FShowOnly = false;
};

// Creates the list widget of a grid or tree view over a model whose column n is column n
// of the list: banded header, whole-row multiple selection, the columns' own editors.
QTreeView* CreateColumnView(TViewColumns* columns, QAbstractItemModel* model, const QString& name, QWidget* parent,
                            TBandedHeader** header);

} // namespace kx
