// In-place editors of view columns: a drop-down for enumerations, the search popup for
// users and lookups, date editors for dates and a right-aligned edit for numbers. Used by
// grids, trees and the batch-fill dialog, so a value is entered the same way everywhere.
#pragma once

#include "views/viewcolumns.h"

#include <QStyledItemDelegate>

class QAbstractItemView;

#include <functional>

namespace kx {

// The editor of a column's values, or null when the column has none (check boxes).
QWidget* CreateColumnEditor(const TViewColumn& column, QWidget* parent);
void SetColumnEditorValue(QWidget* editor, const TViewColumn& column, const QVariant& value);
QVariant ColumnEditorValue(QWidget* editor, const TViewColumn& column);

// Posts the value of an editor open on the view's current cell, as leaving the cell would.
void CommitPendingEdit(QAbstractItemView* view);

class TColumnDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // columnOf gives the column whose editor an index uses (null: the standard editor).
    TColumnDelegate(std::function<const TViewColumn*(const QModelIndex&)> columnOf, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    std::function<const TViewColumn*(const QModelIndex&)> FColumnOf;
};

} // namespace kx
