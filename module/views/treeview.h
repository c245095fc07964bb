// The base of every hierarchical view (bills of materials, allocations, outputs): a tree
// the concrete view fills itself, with its own map from field names to columns, the
// layout kept in the view scheme, lazy loading of children, expanding all nodes with an
// Esc stop, and export with an optional full load.
#pragma once

#include "views/fillvaluesdlg.h"
#include "views/infoview.h"
#include "views/treemodel.h"
#include "views/viewcolumns.h"

#include <functional>

class QTreeView;

namespace kx {

class TBandedHeader;

class TInfoTreeView : public TCustomInfoView {
    Q_OBJECT

public:
    TInfoTreeView(QWidget* owner, const TInfoObjectDef* objectDef);
    ~TInfoTreeView() override;

    void InitializeView(const QString& AAsDetailID, IInfoView* AMasterView) override;
    void MakeFocus() override;
    bool QueryCommandState(int Command, TCommandState& State) override;
    bool ExecCommand(int Command) override;
    void RefreshData(bool KeepPosition) override;
    void CloseData() override;
    QString GetFocusedRecordString(const QString& Field) override;

    // Colours a node's cells.
    virtual void FetchCustomDrawFormat(const TTreeNode* Node, TCellDrawFormat& Format, const TViewColumn* Column);

    TViewColumns Columns;
    QTreeView* trlMain;
    TTreeModel* Nodes;

    // A designed column of the concrete view, not bound yet.
    TViewColumn* CreateColumn(const QString& Caption, int Band = -1);
    // Binds a designed column to a field. Allowed only while no dynamic column is bound
    // and the field is not bound yet; otherwise raises "Bind static column error !".
    void BindStaticColumn(TViewColumn* Column, const QString& FieldName);
    // A column the view adds at run time (Tag > 0: never stored in the layout).
    TViewColumn* AddDynamicColumn(const QString& FieldName, const QString& Caption, int Tag = 1, int Band = -1);
    void RemoveDynamicColumns();
    TViewColumn* GetColumnByField(const QString& FieldName) const;
    QString GetColumnField(const TViewColumn* Column) const;
    // The bound fields that start with "Item_", as "|A|B|"; empty when there are none.
    QString GetItemFieldNames() const;
    // The select part of the bound "Item_" fields (their expressions in the definition, or
    // null) and the join that brings the item master in, as the host composes it.
    void BuildItemFieldsSQL(QString& SelectPart, const TInfoObjectDef* Def, QString& Join);
    // Expands every node depth-first, loading children as it goes; the Esc key stops it.
    // True when all nodes were expanded.
    bool ExpandAllNodes();
    void ExportTree(const QString& FileBaseName, bool AskFullLoad);

    TTreeNode* FocusedNode() const;
    // The selected nodes in display order.
    QList<TTreeNode*> SelectedNodes() const;
    void SetEditing(bool Editing);
    // The edit command of views that edit their nodes: enters edit mode, or leaves it after
    // asking about unsaved edits (edits not saved are dropped by loading the data again).
    // False when the user stays.
    virtual bool ToggleEditMode();
    TFillTarget FillTarget();

protected:
    void ApplyViewLayout() override;
    void StoreViewLayout() override;
    bool HasFocusedRecord() override;
    // The visible columns over the loaded nodes that are open on screen.
    std::unique_ptr<TExportTable> CreateExportTable() override;
    // Fills the top nodes; concrete views load their data here.
    virtual void LoadData(bool KeepPosition);
    // Fills the children of a node that promised some (HasChildren) when it is first
    // expanded.
    virtual void LoadChildNodes(TTreeNode* Node);
    // Called when ToggleEditMode enters or leaves edit mode, for the view's own edit state.
    virtual void EditModeToggled() {}
    // The rows of a statement as nodes under a parent (null: top nodes), read under the
    // hour-glass; "读取数据失败!" when it failed. Each node promises children when hasChildren
    // is set or its value of childrenField is true. The number of rows, -1 on failure.
    int LoadNodes(TTreeNode* Parent, const QString& SQL, bool HasChildren, const QString& ChildrenField = QString());
    // Fills the top level a page at a time, for lists too long to read at once: pageSQL(limit,
    // offset) gives the statement of a page. The first page now, the next ones as the list is
    // scrolled to its end, up to the host's row limit (then its warning).
    void LoadTopPages(std::function<QString(int limit, int offset)> pageSQL, int pageRows, bool HasChildren,
                      const QString& ChildrenField = QString());

private:
    bool ExpandNode(const QModelIndex& index);
    void trlMainFocusedNodeChanged();
    void trlMainHeaderClick(int logicalIndex);

    void FetchTopPage();

    TColumnBindings FColumnFieldNames;    // the static bindings first, then the dynamic ones
    struct TTopPages {
        std::function<QString(int, int)> SQL;
        int PageRows = 0;
        int Loaded = 0;
        bool HasChildren = false;
        QString ChildrenField;
    } FTopPages;
    int FStaticColumnCount = 0;
    TBandedHeader* FHeader;
    TTreeNode* FLastFocusedNode = nullptr;
    bool FApplyingLayout = false;
};

} // namespace kx
