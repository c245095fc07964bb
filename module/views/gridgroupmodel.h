// The rows a grid view shows over its table model: the records sorted by the sort
// columns and, when columns are grouped, under group rows (one level per grouping
// column) that end with a group-footer row of the group's summaries. Without grouping
// the rows are a flat list, so a tree view over this model behaves like a grid.
#pragma once

#include "views/gridmodel.h"
#include "views/gridsummary.h"

#include <QAbstractProxyModel>

#include <functional>

namespace kx {

enum TRowKind { rkData, rkGroup, rkGroupFooter };

class TGridGroupModel : public QAbstractProxyModel {
    Q_OBJECT

public:
    // Takes one value into a summary (the grid view's GridSummary).
    using TSummaryHook = std::function<void(TSummaryItem& item, const QVariant& value)>;

    explicit TGridGroupModel(QObject* parent = nullptr);

    void setSourceModel(QAbstractItemModel* source) override;
    TRecordTableModel* RecordModel() const { return FRecords; }
    TViewColumns* Columns() const;

    // Sorts and groups the rows again by the columns' sort and group settings.
    void Rebuild();
    // Computes the footer and group summaries again (after values changed).
    void RecomputeSummaries();
    void SetSummaryHook(TSummaryHook hook) { FSummaryHook = std::move(hook); }
    // Records that fail the filter are not shown (nor counted in the summaries).
    using TRowFilter = std::function<bool(int sourceRow)>;
    void SetRowFilter(TRowFilter filter);

    TRowKind RowKind(const QModelIndex& index) const;
    // The record (row of the snapshot) of a data row, -1 for other rows.
    int SourceRow(const QModelIndex& index) const;
    // A number that orders rows as they are shown, across groups.
    int DisplayOrder(const QModelIndex& index) const { return NodeOf(index); }
    // The records in the order they are shown.
    QList<int> DataRowsInOrder() const;
    // The index of a record's row in the given column.
    QModelIndex IndexOfSourceRow(int row, int column = 0) const;
    // Number of records under a group row (all records for the root).
    int RecordCountUnder(const QModelIndex& index) const;

    // The footer summary of a column over all records, and of a group.
    const TSummaryItem* FooterSummary(int column) const;
    const TSummaryItem* GroupSummary(const QModelIndex& group, int column) const;
    bool HasSummaries() const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    bool canFetchMore(const QModelIndex&) const override { return false; }
    void fetchMore(const QModelIndex&) override {}
    // Header click: sorts by that column alone (ungrouped columns only; -1 clears).
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

Q_SIGNALS:
    void SummariesChanged();

private:
    struct TNode {
        int Parent = -1;
        int Row = 0;                      // position under the parent
        int SourceRow = -1;
        TRowKind Kind = rkData;
        int GroupColumn = -1;             // for group rows: the model column grouped by
        QVariant Key;
        int RecordCount = 0;
        QList<int> Children;
        QList<TSummaryItem> Summaries;    // group rows: per model column
    };

    int NodeOf(const QModelIndex& index) const;
    void ComputeSummaries();
    int AddNode(int parent, TRowKind kind);
    void Accumulate(QList<TSummaryItem>& items, int sourceRow) const;
    QList<TSummaryItem> EmptySummaries() const;
    void SourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles);

    TRecordTableModel* FRecords = nullptr;
    QList<TNode> FNodes;                  // node 0 is the root
    QList<int> FNodeOfSourceRow;
    QList<TSummaryItem> FFooter;
    TSummaryHook FSummaryHook;
    TRowFilter FRowFilter;
    bool FGroupFooters = false;
};

} // namespace kx
