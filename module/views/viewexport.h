// What a grid or tree view shows, as the export service's table: the visible columns of
// the view in screen order (captions, widths, bands, value kinds, summaries) over the rows
// of its model, group rows and group footers included, and the footer totals.
#pragma once

#include "views/exporttable.h"
#include "views/viewcolumns.h"

#include <QModelIndex>

#include <functional>

class QAbstractItemModel;
class QTreeView;

namespace kx {

class TSummaryItem;

class TViewExportTable : public TExportTable {
public:
    // The footer summary of a model column, null when the column has none.
    using TFooterSource = std::function<const TSummaryItem*(int modelColumn)>;

    // columns: the view's column list, whose column n is column n of the model. With view
    // given, only the rows of expanded nodes are taken (what is loaded and open); without,
    // every row the model holds.
    TViewExportTable(const QString& title, const TViewColumns& columns, const QAbstractItemModel& model,
                     const QTreeView* view = nullptr, TFooterSource footer = {});

    int RowCount() const override { return int(FRows.size()); }
    TExportRowKind RowKind(int row) const override;
    int RowLevel(int row) const override { return FLevels[row]; }
    QVariant Value(int row, int column) const override;
    QString Text(int row, int column) const override;
    QString GroupText(int row) const override;
    QVariant FooterValue(int column) const override;
    QString FooterText(int column) const override;

private:
    void AddRows(const QModelIndex& parent, int level, const QTreeView* view);
    QModelIndex Cell(int row, int column) const;

    const QAbstractItemModel& FModel;
    QList<const TViewColumn*> FViewColumns;   // by export column
    QList<int> FModelColumns;                 // model column of each export column
    QList<QModelIndex> FRows;
    QList<int> FLevels;
    TFooterSource FFooter;
};

} // namespace kx
