#include "views/gridgroupmodel.h"

#include "views/commonui.h"

#include <algorithm>
#include <numeric>

namespace kx {

TGridGroupModel::TGridGroupModel(QObject* parent) : QAbstractProxyModel(parent)
{
    FNodes.append(TNode{});
}

TViewColumns* TGridGroupModel::Columns() const
{
    return FRecords ? FRecords->Columns() : nullptr;
}

void TGridGroupModel::setSourceModel(QAbstractItemModel* source)
{
    if (FRecords)
        disconnect(FRecords, nullptr, this, nullptr);
    FRecords = qobject_cast<TRecordTableModel*>(source);
    QAbstractProxyModel::setSourceModel(FRecords);
    if (FRecords) {
        connect(FRecords, &QAbstractItemModel::modelReset, this, &TGridGroupModel::Rebuild);
        connect(FRecords, &QAbstractItemModel::layoutChanged, this, &TGridGroupModel::Rebuild);
        connect(FRecords, &QAbstractItemModel::rowsInserted, this, &TGridGroupModel::Rebuild);
        connect(FRecords, &QAbstractItemModel::rowsRemoved, this, &TGridGroupModel::Rebuild);
        connect(FRecords, &QAbstractItemModel::columnsInserted, this, &TGridGroupModel::Rebuild);
        connect(FRecords, &QAbstractItemModel::columnsRemoved, this, &TGridGroupModel::Rebuild);
        connect(FRecords, &QAbstractItemModel::dataChanged, this, &TGridGroupModel::SourceDataChanged);
        connect(FRecords, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
    }
    Rebuild();
}

int TGridGroupModel::AddNode(int parent, TRowKind kind)
{
    TNode node;
    node.Parent = parent;
    node.Kind = kind;
    node.Row = int(FNodes[parent].Children.size());
    FNodes.append(node);
    const int id = int(FNodes.size()) - 1;
    FNodes[parent].Children.append(id);
    return id;
}

QList<TSummaryItem> TGridGroupModel::EmptySummaries() const
{
    QList<TSummaryItem> items;
    if (TViewColumns* columns = Columns())
        for (const TViewColumn* c : columns->Items())
            items.append(TSummaryItem(c->Summary));
    return items;
}

bool TGridGroupModel::HasSummaries() const
{
    TViewColumns* columns = Columns();
    return columns && columns->FooterVisible
        && std::any_of(columns->Items().begin(), columns->Items().end(), [](const TViewColumn* c) { return c->Summary != skNone; });
}

void TGridGroupModel::Accumulate(QList<TSummaryItem>& items, int sourceRow) const
{
    TViewColumns* columns = Columns();
    for (int c = 0; c < items.size(); ++c) {
        if (items[c].Kind == skNone)
            continue;
        const QVariant value = FRecords->Value(sourceRow, columns->At(c)->FieldName);
        if (FSummaryHook)
            FSummaryHook(items[c], value);
        else
            items[c].Add(value);
    }
}

void TGridGroupModel::Rebuild()
{
    beginResetModel();
    FNodes.clear();
    FNodes.append(TNode{});
    FNodeOfSourceRow.clear();
    TViewColumns* columns = Columns();
    const int rows = FRecords ? FRecords->rowCount() : 0;
    if (!columns) {
        endResetModel();
        return;
    }

    QList<TViewColumn*> groups = columns->GroupColumns();
    QList<TViewColumn*> keys = groups;
    keys << columns->SortColumns();
    QList<int> order(rows);
    std::iota(order.begin(), order.end(), 0);
    if (FRowFilter)
        order.removeIf([this](int row) { return !FRowFilter(row); });
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        for (const TViewColumn* k : keys) {
            const int c = CompareValues(FRecords->Value(a, k->FieldName), FRecords->Value(b, k->FieldName));
            if (c != 0)
                return k->Descending ? c > 0 : c < 0;
        }
        return false;
    });

    FGroupFooters = !groups.isEmpty() && columns->GroupFootersVisible && HasSummaries();
    FNodeOfSourceRow = QList<int>(rows, -1);
    QList<int> open;                      // the open group node of each level
    auto closeFrom = [&](int level) {
        while (open.size() > level) {
            if (FGroupFooters)
                AddNode(open.last(), rkGroupFooter);
            open.removeLast();
        }
    };
    for (int row : order) {
        for (int level = 0; level < groups.size(); ++level) {
            const QVariant key = FRecords->Value(row, groups[level]->FieldName);
            if (level < open.size()) {
                const TNode& g = FNodes[open[level]];
                if (CompareValues(g.Key, key) == 0 && g.Key.isNull() == key.isNull())
                    continue;
                closeFrom(level);
            }
            const int g = AddNode(level == 0 ? 0 : open[level - 1], rkGroup);
            FNodes[g].Key = key;
            FNodes[g].GroupColumn = columns->IndexOf(groups[level]);
            open.append(g);
        }
        const int node = AddNode(open.isEmpty() ? 0 : open.last(), rkData);
        FNodes[node].SourceRow = row;
        FNodeOfSourceRow[row] = node;
    }
    closeFrom(0);
    ComputeSummaries();
    endResetModel();
    Q_EMIT SummariesChanged();
}

void TGridGroupModel::SetRowFilter(TRowFilter filter)
{
    FRowFilter = std::move(filter);
    Rebuild();
}

void TGridGroupModel::ComputeSummaries()
{
    FFooter = EmptySummaries();
    for (TNode& n : FNodes) {
        n.RecordCount = 0;
        if (n.Kind == rkGroup)
            n.Summaries = EmptySummaries();
    }
    const bool summaries = HasSummaries();
    for (int node = 1; node < FNodes.size(); ++node) {
        if (FNodes[node].Kind != rkData)
            continue;
        const int row = FNodes[node].SourceRow;
        if (summaries)
            Accumulate(FFooter, row);
        for (int g = FNodes[node].Parent; g > 0; g = FNodes[g].Parent) {
            ++FNodes[g].RecordCount;
            if (summaries)
                Accumulate(FNodes[g].Summaries, row);
        }
    }
    FNodes[0].RecordCount = int(std::count_if(FNodes.begin() + 1, FNodes.end(), [](const TNode& n) { return n.Kind == rkData; }));
}

void TGridGroupModel::RecomputeSummaries()
{
    ComputeSummaries();
    // Group rows show their record counts and footers their summaries.
    for (int node = 1; node < FNodes.size(); ++node)
        if (FNodes[node].Kind != rkData) {
            if (columnCount() > 0)
                Q_EMIT dataChanged(createIndex(FNodes[node].Row, 0, quintptr(FNodes[node].Parent)),
                                   createIndex(FNodes[node].Row, columnCount() - 1, quintptr(FNodes[node].Parent)));
        }
    Q_EMIT SummariesChanged();
}

void TGridGroupModel::SourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles)
{
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        const QModelIndex first = IndexOfSourceRow(row, topLeft.column());
        const QModelIndex last = IndexOfSourceRow(row, bottomRight.column());
        if (first.isValid())
            Q_EMIT dataChanged(first, last, roles);
    }
    RecomputeSummaries();
}

int TGridGroupModel::NodeOf(const QModelIndex& index) const
{
    if (!index.isValid())
        return 0;
    const int parent = int(index.internalId());
    if (parent < 0 || parent >= FNodes.size() || index.row() >= FNodes[parent].Children.size())
        return -1;
    return FNodes[parent].Children[index.row()];
}

TRowKind TGridGroupModel::RowKind(const QModelIndex& index) const
{
    const int node = NodeOf(index);
    return node > 0 ? FNodes[node].Kind : rkGroup;
}

int TGridGroupModel::SourceRow(const QModelIndex& index) const
{
    const int node = NodeOf(index);
    return node > 0 ? FNodes[node].SourceRow : -1;
}

QList<int> TGridGroupModel::DataRowsInOrder() const
{
    QList<int> rows;
    // Nodes were added depth-first, so node order is display order.
    for (int node = 1; node < FNodes.size(); ++node)
        if (FNodes[node].Kind == rkData)
            rows << FNodes[node].SourceRow;
    return rows;
}

QModelIndex TGridGroupModel::IndexOfSourceRow(int row, int column) const
{
    if (row < 0 || row >= FNodeOfSourceRow.size() || FNodeOfSourceRow[row] < 0)
        return QModelIndex();
    const TNode& n = FNodes[FNodeOfSourceRow[row]];
    return createIndex(n.Row, column, quintptr(n.Parent));
}

int TGridGroupModel::RecordCountUnder(const QModelIndex& index) const
{
    const int node = NodeOf(index);
    return node >= 0 ? FNodes[node].RecordCount : 0;
}

const TSummaryItem* TGridGroupModel::FooterSummary(int column) const
{
    return column >= 0 && column < FFooter.size() ? &FFooter[column] : nullptr;
}

const TSummaryItem* TGridGroupModel::GroupSummary(const QModelIndex& group, int column) const
{
    const int node = NodeOf(group);
    if (node <= 0 || FNodes[node].Kind != rkGroup || column < 0 || column >= FNodes[node].Summaries.size())
        return nullptr;
    return &FNodes[node].Summaries[column];
}

QModelIndex TGridGroupModel::index(int row, int column, const QModelIndex& parent) const
{
    const int p = NodeOf(parent);
    if (p < 0 || row < 0 || column < 0 || row >= FNodes[p].Children.size() || column >= columnCount())
        return QModelIndex();
    return createIndex(row, column, quintptr(p));
}

QModelIndex TGridGroupModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return QModelIndex();
    const int p = int(child.internalId());
    if (p <= 0 || p >= FNodes.size())
        return QModelIndex();
    return createIndex(FNodes[p].Row, 0, quintptr(FNodes[p].Parent));
}

QModelIndex TGridGroupModel::sibling(int row, int column, const QModelIndex& idx) const
{
    return index(row, column, parent(idx));
}

int TGridGroupModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    const int node = NodeOf(parent);
    return node < 0 ? 0 : int(FNodes[node].Children.size());
}

int TGridGroupModel::columnCount(const QModelIndex&) const
{
    return FRecords ? FRecords->columnCount() : 0;
}

bool TGridGroupModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QVariant TGridGroupModel::data(const QModelIndex& index, int role) const
{
    const int node = NodeOf(index);
    if (node <= 0)
        return QVariant();
    const TNode& n = FNodes[node];
    if (role == vrRowKind)
        return int(n.Kind);
    if (n.Kind == rkData)
        return FRecords->data(FRecords->index(n.SourceRow, index.column()), role);
    const TViewColumns* columns = Columns();
    if (n.Kind == rkGroup) {
        if (role == Qt::DisplayRole) {
            const TViewColumn* c = columns->At(n.GroupColumn);
            return QStringLiteral("%1: %2 (%3)").arg(c->Caption, c->DisplayText(n.Key)).arg(n.RecordCount);
        }
        if (role == vrRawValue)
            return n.Key;
        if (role == Qt::FontRole) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return QVariant();
    }
    // Group footer: the summaries of its group.
    const TNode& group = FNodes[n.Parent];
    switch (role) {
    case Qt::DisplayRole: return group.Summaries.value(index.column()).Text();
    case Qt::TextAlignmentRole: return int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole: return QColor(0xF2, 0xF4, 0xF7);
    case vrRawValue: return group.Summaries.value(index.column()).Result();
    default: return QVariant();
    }
}

Qt::ItemFlags TGridGroupModel::flags(const QModelIndex& index) const
{
    const int node = NodeOf(index);
    if (node <= 0)
        return Qt::NoItemFlags;
    switch (FNodes[node].Kind) {
    case rkData: return FRecords->flags(FRecords->index(FNodes[node].SourceRow, index.column()));
    case rkGroup: return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    case rkGroupFooter: return Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    }
    return Qt::NoItemFlags;
}

QVariant TGridGroupModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return FRecords ? FRecords->headerData(section, orientation, role) : QVariant();
}

QModelIndex TGridGroupModel::mapToSource(const QModelIndex& proxyIndex) const
{
    const int node = NodeOf(proxyIndex);
    if (node <= 0 || FNodes[node].Kind != rkData)
        return QModelIndex();
    return FRecords->index(FNodes[node].SourceRow, proxyIndex.column());
}

QModelIndex TGridGroupModel::mapFromSource(const QModelIndex& sourceIndex) const
{
    return sourceIndex.isValid() ? IndexOfSourceRow(sourceIndex.row(), sourceIndex.column()) : QModelIndex();
}

void TGridGroupModel::sort(int column, Qt::SortOrder order)
{
    TViewColumns* columns = Columns();
    if (!columns)
        return;
    for (TViewColumn* c : columns->Items())
        c->SortIndex = -1;
    if (TViewColumn* c = columns->At(column); c && c->GroupIndex < 0 && c->Sortable) {
        c->SortIndex = 0;
        c->Descending = order == Qt::DescendingOrder;
    }
    Rebuild();
}

} // namespace kx
