#include "views/treemodel.h"

#include "db/dataset.h"
#include "views/commonui.h"

#include <algorithm>

namespace kx {

int TTreeNode::Level() const
{
    int level = -1;
    for (const TTreeNode* n = FParent; n; n = n->FParent)
        ++level;
    return level;
}

QVariant TTreeNode::Value(const QString& fieldName) const
{
    return FModel ? FModel->NodeValue(this, fieldName) : QVariant();
}

TTreeModel::TTreeModel(TViewColumns* columns, QObject* parent) : QAbstractItemModel(parent), FColumns(columns)
{
    FRoot.FModel = this;
    FRoot.ChildrenLoaded = true;
}

TTreeModel::~TTreeModel()
{
    FreeChildren(&FRoot);
}

void TTreeModel::FreeChildren(TTreeNode* node)
{
    for (TTreeNode* child : node->FChildren) {
        FreeChildren(child);
        delete child;
    }
    node->FChildren.clear();
}

TTreeNode* TTreeModel::AddNode(TTreeNode* parent, const QVariantMap& values)
{
    TTreeNode* p = parent ? parent : &FRoot;
    const int row = int(p->FChildren.size());
    beginInsertRows(IndexOf(p), row, row);
    auto* node = new TTreeNode;
    node->FModel = this;
    node->FParent = p;
    node->FRow = row;
    for (auto it = values.begin(); it != values.end(); ++it) {
        const int slot = SlotForWrite(it.key());
        if (node->FValues.size() <= slot)
            node->FValues.resize(slot + 1);
        node->FValues[slot] = it.value();
    }
    p->FChildren.append(node);
    p->ChildrenLoaded = true;
    endInsertRows();
    return node;
}

QList<TTreeNode*> TTreeModel::AddNodes(TTreeNode* parent, const QStringList& fields, const QList<QVariantList>& rows,
                                       bool hasChildren, const QString& childrenField)
{
    const qsizetype childrenAt = childrenField.isEmpty() ? -1 : fields.indexOf(childrenField);
    TTreeNode* p = parent ? parent : &FRoot;
    QList<TTreeNode*> added;
    p->ChildrenLoaded = true;
    if (rows.isEmpty())
        return added;
    QList<int> slots;
    for (const QString& field : fields)
        slots << SlotForWrite(field);
    const int width = slots.isEmpty() ? 0 : *std::max_element(slots.begin(), slots.end()) + 1;
    const int first = int(p->FChildren.size());
    beginInsertRows(IndexOf(p), first, first + int(rows.size()) - 1);
    added.reserve(rows.size());
    p->FChildren.reserve(first + rows.size());
    for (const QVariantList& row : rows) {
        auto* node = new TTreeNode;
        node->FModel = this;
        node->FParent = p;
        node->FRow = int(p->FChildren.size());
        node->HasChildren = childrenAt >= 0 ? row.value(childrenAt).toInt() != 0 : hasChildren;
        node->FValues.resize(width);
        for (qsizetype i = 0; i < slots.size() && i < row.size(); ++i)
            node->FValues[slots[i]] = row[i];
        p->FChildren.append(node);
        added << node;
    }
    endInsertRows();
    return added;
}

QList<TTreeNode*> TTreeModel::AddNodes(TTreeNode* parent, const TQuery& rows, bool hasChildren, const QString& childrenField)
{
    QList<QVariantList> values;
    values.reserve(rows.RecordCount());
    for (int r = 0; r < rows.RecordCount(); ++r) {
        QVariantList row;
        row.reserve(rows.FieldCount());
        for (int f = 0; f < rows.FieldCount(); ++f)
            row << rows.ValueAt(r, f);
        values << row;
    }
    return AddNodes(parent, rows.FieldNames(), values, hasChildren, childrenField);
}

void TTreeModel::DeleteNode(TTreeNode* node)
{
    if (!node || node == &FRoot)
        return;
    TTreeNode* p = node->FParent;
    const int row = node->FRow;
    beginRemoveRows(IndexOf(p), row, row);
    p->FChildren.removeAt(row);
    for (int i = row; i < p->FChildren.size(); ++i)
        p->FChildren[i]->FRow = i;
    FreeChildren(node);
    delete node;
    endRemoveRows();
}

void TTreeModel::MoveNode(TTreeNode* node, int row)
{
    if (!node || node == &FRoot)
        return;
    TTreeNode* p = node->FParent;
    const int from = node->FRow;
    row = std::clamp(row, 0, int(p->FChildren.size()) - 1);
    if (row == from)
        return;
    const QModelIndex parentIndex = IndexOf(p);
    // Qt counts the destination before the move: one past the target when moving down.
    beginMoveRows(parentIndex, from, from, parentIndex, row > from ? row + 1 : row);
    p->FChildren.move(from, row);
    for (int i = 0; i < p->FChildren.size(); ++i)
        p->FChildren[i]->FRow = i;
    endMoveRows();
}

void TTreeModel::Clear()
{
    FTopFetcher = nullptr;
    beginResetModel();
    FreeChildren(&FRoot);
    endResetModel();
}

void TTreeModel::ResetChildren(TTreeNode* node)
{
    if (!node || node->FChildren.isEmpty()) {
        if (node) {
            node->ChildrenLoaded = false;
            node->HasChildren = true;
        }
        return;
    }
    beginRemoveRows(IndexOf(node), 0, int(node->FChildren.size()) - 1);
    FreeChildren(node);
    endRemoveRows();
    node->ChildrenLoaded = false;
    node->HasChildren = true;
}

int TTreeModel::SlotForWrite(const QString& fieldName)
{
    const QString key = fieldName.toLower();
    auto it = FSlots.find(key);
    if (it == FSlots.end())
        it = FSlots.insert(key, int(FSlots.size()));
    return it.value();
}

QVariant TTreeModel::NodeValue(const TTreeNode* node, const QString& fieldName) const
{
    const int slot = Slot(fieldName);
    return node && slot >= 0 ? node->FValues.value(slot) : QVariant();
}

void TTreeModel::SetNodeValue(TTreeNode* node, const QString& fieldName, const QVariant& value)
{
    if (!node || node == &FRoot)
        return;
    const int slot = SlotForWrite(fieldName);
    if (node->FValues.size() <= slot)
        node->FValues.resize(slot + 1);
    node->FValues[slot] = value;
    if (const int column = FColumns->IndexOf(FColumns->ByField(fieldName)); column >= 0) {
        const QModelIndex index = IndexOf(node, column);
        Q_EMIT dataChanged(index, index);
    }
}

bool TTreeModel::SetNodeValueChecked(TTreeNode* node, const QString& fieldName, const QVariant& value, QString* message)
{
    const TViewColumn* column = FColumns->ByField(fieldName);
    QVariant converted;
    if (!ConvertFieldValue(value, column ? column->DataType : ftUnknown, converted)) {
        if (message)
            *message = FieldCheckText(fcInvalid, column && !column->Caption.isEmpty() ? column->Caption : fieldName,
                                      EnteredValueText(value));
        return false;
    }
    SetNodeValue(node, fieldName, converted);
    Q_EMIT CellEdited(node, fieldName);
    return true;
}

void TTreeModel::SetImageIndex(TTreeNode* node, int imageIndex)
{
    if (!node || node == &FRoot)
        return;
    node->ImageIndex = imageIndex;
    const QModelIndex index = IndexOf(node, FImageColumn);
    Q_EMIT dataChanged(index, index, {Qt::DecorationRole});
}

void TTreeModel::LoadChildren(TTreeNode* node)
{
    if (!node || !node->HasChildren || node->ChildrenLoaded)
        return;
    node->ChildrenLoaded = true;
    if (FLoader)
        FLoader(node);
    if (node->FChildren.isEmpty()) {
        node->HasChildren = false;
        // The expander of a node that turned out empty goes away.
        const QModelIndex index = IndexOf(node);
        if (index.isValid())
            Q_EMIT dataChanged(index, index);
        return;
    }
    SortUnder(node, false);
}

void TTreeModel::SortChildren(TTreeNode* node, const QList<TViewColumn*>& keys, bool recursive)
{
    std::stable_sort(node->FChildren.begin(), node->FChildren.end(), [&](const TTreeNode* a, const TTreeNode* b) {
        for (const TViewColumn* k : keys) {
            const int c = CompareValues(NodeValue(a, k->FieldName), NodeValue(b, k->FieldName));
            if (c != 0)
                return k->Descending ? c > 0 : c < 0;
        }
        return false;
    });
    for (int i = 0; i < node->FChildren.size(); ++i) {
        node->FChildren[i]->FRow = i;
        if (recursive)
            SortChildren(node->FChildren[i], keys, true);
    }
}

void TTreeModel::SortNodes()
{
    SortUnder(&FRoot, true);
}

void TTreeModel::SortUnder(TTreeNode* node, bool recursive)
{
    const QList<TViewColumn*> keys = FColumns->SortColumns();
    if (keys.isEmpty())
        return;
    const QList<QPersistentModelIndex> parents{QPersistentModelIndex(IndexOf(node))};
    Q_EMIT layoutAboutToBeChanged(node == &FRoot ? QList<QPersistentModelIndex>() : parents, QAbstractItemModel::VerticalSortHint);
    // Indexes kept by views follow their nodes to the new places.
    const QModelIndexList persistent = persistentIndexList();
    QList<QPair<TTreeNode*, int>> saved;
    for (const QModelIndex& p : persistent)
        saved.append({NodeOf(p), p.column()});
    SortChildren(node, keys, recursive);
    QModelIndexList updated;
    for (const auto& s : saved)
        updated << IndexOf(s.first, s.second);
    changePersistentIndexList(persistent, updated);
    Q_EMIT layoutChanged(node == &FRoot ? QList<QPersistentModelIndex>() : parents, QAbstractItemModel::VerticalSortHint);
}

void TTreeModel::ColumnsChanged()
{
    beginResetModel();
    endResetModel();
}

TTreeNode* TTreeModel::NodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<TTreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex TTreeModel::IndexOf(const TTreeNode* node, int column) const
{
    if (!node || node == &FRoot || column < 0 || column >= columnCount())
        return QModelIndex();
    return createIndex(node->FRow, column, const_cast<TTreeNode*>(node));
}

QModelIndex TTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const TTreeNode* p = parent.isValid() ? NodeOf(parent) : &FRoot;
    if (!p || row < 0 || row >= p->FChildren.size() || column < 0 || column >= columnCount())
        return QModelIndex();
    return createIndex(row, column, p->FChildren[row]);
}

QModelIndex TTreeModel::parent(const QModelIndex& child) const
{
    const TTreeNode* node = NodeOf(child);
    if (!node || !node->FParent || node->FParent == &FRoot)
        return QModelIndex();
    return createIndex(node->FParent->FRow, 0, node->FParent);
}

int TTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    const TTreeNode* p = parent.isValid() ? NodeOf(parent) : &FRoot;
    return p ? int(p->FChildren.size()) : 0;
}

int TTreeModel::columnCount(const QModelIndex&) const
{
    return FColumns->Count();
}

bool TTreeModel::hasChildren(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return false;
    const TTreeNode* p = parent.isValid() ? NodeOf(parent) : &FRoot;
    return p && (!p->FChildren.isEmpty() || (p->HasChildren && !p->ChildrenLoaded));
}

bool TTreeModel::canFetchMore(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return bool(FTopFetcher);
    const TTreeNode* p = NodeOf(parent);
    return p && p->HasChildren && !p->ChildrenLoaded;
}

void TTreeModel::fetchMore(const QModelIndex& parent)
{
    if (!parent.isValid()) {
        // The fetcher may clear itself while it runs.
        const std::function<void()> fetcher = FTopFetcher;
        if (fetcher)
            fetcher();
        return;
    }
    LoadChildren(NodeOf(parent));
}

QVariant TTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return QVariant();
    const TTreeNode* node = NodeOf(index);
    const TViewColumn* column = FColumns->At(index.column());
    if (role == Qt::DecorationRole)
        return index.column() == FImageColumn && node->ImageIndex >= 0 && node->ImageIndex < FImages.size()
            ? QVariant(FImages[node->ImageIndex])
            : QVariant();
    const QVariant value = NodeValue(node, column->FieldName);
    if (role == Qt::BackgroundRole || role == Qt::ForegroundRole || role == Qt::FontRole) {
        TCellDrawFormat format;
        if (FDrawFormatHook)
            FDrawFormatHook(node, column, format);
        return ColumnCellData(column, value, role, &format);
    }
    return ColumnCellData(column, value, role, nullptr);
}

bool TTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid) || !(flags(index) & (Qt::ItemIsEditable | Qt::ItemIsUserCheckable)))
        return false;
    TTreeNode* node = NodeOf(index);
    const TViewColumn* column = FColumns->At(index.column());
    QVariant entered = value;
    if (role == Qt::CheckStateRole)
        entered = value.toInt() == Qt::Checked;
    else if (role != Qt::EditRole)
        return false;
    QString message;
    if (SetNodeValueChecked(node, column->FieldName, entered, &message))
        return true;
    Q_EMIT ValueRefused(node, column->FieldName, message);
    return false;
}

Qt::ItemFlags TTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const TViewColumn* column = FColumns->At(index.column());
    if (FEditing && column->Editable && !column->FieldName.isEmpty() && (!FEditableHook || FEditableHook(NodeOf(index), column)))
        f |= column->Kind == ckBoolean ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable;
    return f;
}

QVariant TTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= FColumns->Count())
        return QVariant();
    if (role == Qt::DisplayRole)
        return FColumns->At(section)->Caption;
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return QVariant();
}

void TTreeModel::sort(int column, Qt::SortOrder order)
{
    for (TViewColumn* c : FColumns->Items())
        c->SortIndex = -1;
    if (TViewColumn* c = FColumns->At(column); c && c->Sortable) {
        c->SortIndex = 0;
        c->Descending = order == Qt::DescendingOrder;
    }
    SortNodes();
}

} // namespace kx
