// The model of a tree view: nodes the view fills itself, each holding values by field
// name, shown through the view's columns. A node may promise children that are loaded
// only when it is first expanded.
#pragma once

#include "views/viewcolumns.h"

#include <QAbstractItemModel>
#include <QIcon>

#include <functional>

namespace kx {

class TQuery;
class TTreeModel;

class TTreeNode {
public:
    TTreeNode* Parent() const { return FParent; }
    int Index() const { return FRow; }    // position under the parent
    int ChildCount() const { return int(FChildren.size()); }
    TTreeNode* Child(int index) const { return FChildren.value(index); }
    int Level() const;                    // 0 for a top node

    QVariant Value(const QString& fieldName) const;
    int ImageIndex = -1;
    QVariant Data;                        // the view's own data for the node (keys and the like)
    bool HasChildren = false;             // children may exist that are not loaded yet
    bool ChildrenLoaded = false;

private:
    friend class TTreeModel;
    TTreeModel* FModel = nullptr;
    TTreeNode* FParent = nullptr;
    int FRow = 0;
    QList<TTreeNode*> FChildren;
    QVariantList FValues;                 // by the model's field slots
};

class TTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    using TNodeLoader = std::function<void(TTreeNode* node)>;
    using TDrawFormatHook = std::function<void(const TTreeNode* node, const TViewColumn* column, TCellDrawFormat& format)>;

    explicit TTreeModel(TViewColumns* columns, QObject* parent = nullptr);
    ~TTreeModel() override;

    TViewColumns* Columns() const { return FColumns; }
    TTreeNode* Root() { return &FRoot; }
    // A new node at the end of the parent's children (null: a top node).
    TTreeNode* AddNode(TTreeNode* parent = nullptr, const QVariantMap& values = {});
    // Many new nodes at the end of the parent's children in one insertion, each row giving the
    // values of the fields in order. Each node promises children when hasChildren is set, or
    // when its value of the field childrenField is true (a non-zero number).
    QList<TTreeNode*> AddNodes(TTreeNode* parent, const QStringList& fields, const QList<QVariantList>& rows,
                               bool hasChildren = false, const QString& childrenField = QString());
    // The same for every row of an open query, its columns as the fields.
    QList<TTreeNode*> AddNodes(TTreeNode* parent, const TQuery& rows, bool hasChildren = false,
                               const QString& childrenField = QString());
    void DeleteNode(TTreeNode* node);
    // Moves a node to another position among its siblings.
    void MoveNode(TTreeNode* node, int row);
    void Clear();
    // The node's children, to be loaded again when it is next expanded.
    void ResetChildren(TTreeNode* node);

    QVariant NodeValue(const TTreeNode* node, const QString& fieldName) const;
    void SetNodeValue(TTreeNode* node, const QString& fieldName, const QVariant& value);
    // Writes a value entered for a field after converting it to its column's type.
    bool SetNodeValueChecked(TTreeNode* node, const QString& fieldName, const QVariant& value, QString* message = nullptr);
    void SetImageIndex(TTreeNode* node, int imageIndex);
    void SetImages(const QList<QIcon>& images) { FImages = images; }
    // Images are shown in this column.
    void SetImageColumn(int column) { FImageColumn = column; }

    // Called when a node with HasChildren is expanded for the first time.
    void SetLoader(TNodeLoader loader) { FLoader = std::move(loader); }
    // Called when a view wants more top nodes (it was scrolled to the end), for a list loaded a
    // page at a time; the fetcher adds them and clears itself (SetTopFetcher({})) after the last.
    void SetTopFetcher(std::function<void()> fetcher) { FTopFetcher = std::move(fetcher); }
    bool HasMoreTopNodes() const { return bool(FTopFetcher); }
    // Loads the node's children if they are not loaded yet.
    void LoadChildren(TTreeNode* node);

    void SetDrawFormatHook(TDrawFormatHook hook) { FDrawFormatHook = std::move(hook); }
    // Whether a node's cell in an editable column may be edited (all nodes when not set).
    using TEditableHook = std::function<bool(const TTreeNode* node, const TViewColumn* column)>;
    void SetEditableHook(TEditableHook hook) { FEditableHook = std::move(hook); }
    void SetEditing(bool editing) { FEditing = editing; }
    bool Editing() const { return FEditing; }
    // Sorts the children of every node by the columns' sort settings.
    void SortNodes();
    void ColumnsChanged();

    TTreeNode* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const TTreeNode* node, int column = 0) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Header click: sorts the siblings by that column alone.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

Q_SIGNALS:
    void CellEdited(TTreeNode* node, const QString& fieldName);
    void ValueRefused(TTreeNode* node, const QString& fieldName, const QString& message);

private:
    friend class TTreeNode;
    int Slot(const QString& fieldName) const { return FSlots.value(fieldName.toLower(), -1); }
    int SlotForWrite(const QString& fieldName);
    void SortChildren(TTreeNode* node, const QList<TViewColumn*>& keys, bool recursive);
    // Sorts under a node, telling views about the new order.
    void SortUnder(TTreeNode* node, bool recursive);
    void FreeChildren(TTreeNode* node);

    TViewColumns* FColumns;
    TTreeNode FRoot;
    QHash<QString, int> FSlots;           // lower-cased field name -> value slot
    QList<QIcon> FImages;
    int FImageColumn = 0;
    TNodeLoader FLoader;
    std::function<void()> FTopFetcher;
    TDrawFormatHook FDrawFormatHook;
    TEditableHook FEditableHook;
    bool FEditing = false;
};

} // namespace kx
