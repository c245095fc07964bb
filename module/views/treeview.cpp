#include "views/treeview.h"

#include "db/errors.h"
#include "db/escape.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "views/columnheader.h"
#include "views/commonui.h"
#include "views/exportservice.h"
#include "views/gridlayout.h"
#include "views/messagebox.h"
#include "views/viewexport.h"

#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace kx {

namespace {

const TLayoutOptions kTreeLayout{false, false, false};

} // namespace

TInfoTreeView::TInfoTreeView(QWidget* owner, const TInfoObjectDef* objectDef) : TCustomInfoView(owner, objectDef)
{
    ViewScheme.Supports = voSupportFilter | voSupportFields | voSupportSort;
    Nodes = new TTreeModel(&Columns, this);
    Nodes->SetLoader([this](TTreeNode* node) { LoadChildNodes(node); });
    Nodes->SetDrawFormatHook([this](const TTreeNode* node, const TViewColumn* column, TCellDrawFormat& format) {
        FetchCustomDrawFormat(node, format, column);
    });
    trlMain = CreateColumnView(&Columns, Nodes, QStringLiteral("trlMain"), this, &FHeader);
    trlMain->setEditTriggers(QAbstractItemView::AllEditTriggers);
    ViewComponent = trlMain;
    ContentLayout()->addWidget(trlMain, 1);

    connect(Nodes, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        if (!FApplyingLayout)
            FHeader->ReadColumns();
        FLastFocusedNode = nullptr;
    });
    connect(Nodes, &QAbstractItemModel::modelReset, this, [this] {
        FHeader->ApplyColumns();
        trlMain->setTreePosition(FHeader->logicalIndex(0));
    });
    // The branches stay in the first column on screen when the user moves columns.
    connect(FHeader, &TBandedHeader::ColumnsMoved, this, [this] { trlMain->setTreePosition(FHeader->logicalIndex(0)); });
    connect(trlMain->selectionModel(), &QItemSelectionModel::currentChanged, this, &TInfoTreeView::trlMainFocusedNodeChanged);
    connect(FHeader, &QHeaderView::sectionClicked, this, &TInfoTreeView::trlMainHeaderClick);
    connect(Nodes, &TTreeModel::ValueRefused, this, [](TTreeNode*, const QString&, const QString& message) { ShowWarning(message); });
    connect(Nodes, &TTreeModel::CellEdited, this, [this] {
        if (GetEditMode())
            Modified = true;
    });
}

TInfoTreeView::~TInfoTreeView()
{
    // The tree list asks its columns while it goes; it goes before them.
    delete trlMain;
}

TViewColumn* TInfoTreeView::CreateColumn(const QString& Caption, int Band)
{
    TViewColumn* column = Columns.Add(QString(), Caption, Band);
    Nodes->ColumnsChanged();
    return column;
}

void TInfoTreeView::BindStaticColumn(TViewColumn* Column, const QString& FieldName)
{
    if (!Column || FColumnFieldNames.Count() != FStaticColumnCount || GetColumnByField(FieldName))
        throw EKxError(QStringLiteral("Bind static column error !"));
    Column->FieldName = FieldName;
    FColumnFieldNames.Append(Column);
    ++FStaticColumnCount;
}

TViewColumn* TInfoTreeView::AddDynamicColumn(const QString& FieldName, const QString& Caption, int Tag, int Band)
{
    TViewColumn* column = Columns.Add(FieldName, Caption, Band);
    column->Tag = std::max(1, Tag);
    FColumnFieldNames.Append(column);
    Nodes->ColumnsChanged();
    return column;
}

void TInfoTreeView::RemoveDynamicColumns()
{
    while (FColumnFieldNames.Count() > FStaticColumnCount)
        Columns.Remove(FColumnFieldNames.TakeLast());
    Nodes->ColumnsChanged();
}

TViewColumn* TInfoTreeView::GetColumnByField(const QString& FieldName) const
{
    return FColumnFieldNames.Find(FieldName);
}

QString TInfoTreeView::GetColumnField(const TViewColumn* Column) const
{
    return FColumnFieldNames.Contains(Column) ? Column->FieldName : QString();
}

QString TInfoTreeView::GetItemFieldNames() const
{
    QStringList names;
    for (const TViewColumn* c : FColumnFieldNames.Items())
        if (c->FieldName.startsWith(QLatin1String("Item_"), Qt::CaseInsensitive))
            names << c->FieldName;
    return names.isEmpty() ? QString() : QLatin1Char('|') + names.join(QLatin1Char('|')) + QLatin1Char('|');
}

void TInfoTreeView::BuildItemFieldsSQL(QString& SelectPart, const TInfoObjectDef* Def, QString& Join)
{
    const TInfoObjectDef* def = Def ? Def : ObjectDef;
    SelectPart.clear();
    Join.clear();
    for (qsizetype i = FColumnFieldNames.Count() - 1; i >= 0; --i) {
        const QString& name = FColumnFieldNames.Items()[i]->FieldName;
        if (!name.startsWith(QLatin1String("Item_"), Qt::CaseInsensitive))
            continue;
        const TInfoFieldDef* field = def ? def->GetFieldDef(name) : nullptr;
        SelectPart += QStringLiteral(", %1 as %2").arg(field ? field->SQLExpress : QStringLiteral("null"), QuotedIdent(name));
    }
    if (SelectPart.isEmpty() || !Env() || !Env()->BuildObjectSelect)
        return;
    QString statement, join;
    Env()->BuildObjectSelect(def, SelectPart, statement, join);
    // Only what follows the item master's key is the join the caller adds to its own text.
    const qsizetype at = join.indexOf(QLatin1String("i.ItmID"), 0, Qt::CaseInsensitive);
    Join = at < 0 ? QString() : join.mid(at + 7);
}

void TInfoTreeView::InitializeView(const QString& AAsDetailID, IInfoView* AMasterView)
{
    setUpdatesEnabled(false);
    trlMain->setSortingEnabled(false);
    if (ObjectDef)
        for (TViewColumn* c : FColumnFieldNames.Items())
            if (const TInfoFieldDef* field = ObjectDef->GetFieldDef(c->FieldName)) {
                c->Caption = FieldColumnCaption(*field);
                SetupColumnByField(*c, *field);
            }
    Nodes->ColumnsChanged();
    TCustomInfoView::InitializeView(AAsDetailID, AMasterView);
    setUpdatesEnabled(true);
}

void TInfoTreeView::MakeFocus()
{
    trlMain->setFocus();
}

void TInfoTreeView::ApplyViewLayout()
{
    if (!ObjectDef)
        return;
    FApplyingLayout = true;
    ApplyColumnLayout(Columns, *ObjectDef, ViewScheme.Params, GetDefaultFields(), kTreeLayout);
    Columns.SortByDisplayOrder();
    Nodes->ColumnsChanged();
    FApplyingLayout = false;
    FHeader->ApplyColumns();
    Nodes->SortNodes();
}

void TInfoTreeView::StoreViewLayout()
{
    FHeader->ReadColumns();
    ViewScheme.Params = StoreColumnLayout(Columns, ViewScheme.Params, kTreeLayout);
}

void TInfoTreeView::RefreshData(bool KeepPosition)
{
    if (!PrepareViewScheme())
        return;
    LoadData(KeepPosition);
    Nodes->SortNodes();
    TCustomInfoView::RefreshData(KeepPosition);
}

void TInfoTreeView::LoadData(bool) {}

void TInfoTreeView::LoadChildNodes(TTreeNode*) {}

int TInfoTreeView::LoadNodes(TTreeNode* Parent, const QString& SQL, bool HasChildren, const QString& ChildrenField)
{
    TQuery q(&SharedConnection());
    {
        TWaitCursor wait;
        if (!RunSQL(q, SQL, true)) {
            ShowReadDataFailed();
            return -1;
        }
    }
    Nodes->AddNodes(Parent, q, HasChildren, ChildrenField);
    return q.RecordCount();
}

void TInfoTreeView::LoadTopPages(std::function<QString(int, int)> pageSQL, int pageRows, bool HasChildren,
                                 const QString& ChildrenField)
{
    FTopPages = {std::move(pageSQL), std::max(pageRows, 1), 0, HasChildren, ChildrenField};
    FetchTopPage();
}

void TInfoTreeView::FetchTopPage()
{
    const int maxRows = EnvMaxRows();
    const int limit = maxRows > 0 ? std::min(FTopPages.PageRows, maxRows - FTopPages.Loaded) : FTopPages.PageRows;
    const int count = limit > 0 ? LoadNodes(nullptr, FTopPages.SQL(limit, FTopPages.Loaded), FTopPages.HasChildren, FTopPages.ChildrenField) : 0;
    FTopPages.Loaded += std::max(count, 0);
    const bool atLimit = maxRows > 0 && FTopPages.Loaded >= maxRows;
    Nodes->SetTopFetcher(count == limit && !atLimit ? std::function<void()>([this] { FetchTopPage(); }) : std::function<void()>());
    if (atLimit)
        CheckRowLimit(FTopPages.Loaded);
}

void TInfoTreeView::CloseData()
{
    TCustomInfoView::CloseData();
    Nodes->Clear();
}

TTreeNode* TInfoTreeView::FocusedNode() const
{
    return Nodes->NodeOf(trlMain->currentIndex());
}

bool TInfoTreeView::HasFocusedRecord()
{
    return FocusedNode() != nullptr;
}

QList<TTreeNode*> TInfoTreeView::SelectedNodes() const
{
    // Walking the expanded tree gives the display order.
    QList<TTreeNode*> nodes;
    const QItemSelectionModel* selection = trlMain->selectionModel();
    std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
        for (int row = 0; row < Nodes->rowCount(parent); ++row) {
            const QModelIndex child = Nodes->index(row, 0, parent);
            if (selection->isRowSelected(row, parent))
                nodes << Nodes->NodeOf(child);
            if (trlMain->isExpanded(child))
                walk(child);
        }
    };
    walk(QModelIndex());
    return nodes;
}

QString TInfoTreeView::GetFocusedRecordString(const QString& Field)
{
    const TTreeNode* node = FocusedNode();
    const TViewColumn* column = GetColumnByField(Field);
    if (!node || !column)
        return QStringLiteral("null");
    return RecordValueText(node->Value(Field), column->DataType);
}

void TInfoTreeView::SetEditing(bool Editing)
{
    Nodes->SetEditing(Editing);
}

bool TInfoTreeView::ToggleEditMode()
{
    const bool entering = !GetEditMode();
    if (!entering && !QuerySaveEdits())
        return false;
    const bool discard = !entering && Modified;
    SetEditing(entering);
    SetEditMode(entering);
    if (discard)
        RefreshData(false);
    Modified = false;
    EditModeToggled();
    trlMain->viewport()->update();
    return true;
}

TFillTarget TInfoTreeView::FillTarget()
{
    TFillTarget target;
    for (const TViewColumn* c : Columns.DisplayOrder())
        if (c->Editable && !c->FieldName.isEmpty())
            target.Columns << c;
    const QList<TTreeNode*> nodes = SelectedNodes();
    target.RowCount = int(nodes.size());
    target.FocusRow = [this, nodes](int row) {
        trlMain->selectionModel()->setCurrentIndex(Nodes->IndexOf(nodes.value(row)), QItemSelectionModel::NoUpdate);
    };
    target.SetValue = [this, nodes](int row, const TViewColumn* column, const QVariant& value, QString& message) {
        return Nodes->SetNodeValueChecked(nodes.value(row), column->FieldName, value, &message);
    };
    return target;
}

bool TInfoTreeView::ExpandNode(const QModelIndex& index)
{
    // Loads only: expanding the tree list node by node would lay out its rows again for every
    // node, which grows with the square of the tree.
    Nodes->LoadChildren(Nodes->NodeOf(index));
    for (int row = 0; row < Nodes->rowCount(index); ++row) {
        if (!ExpandNode(Nodes->index(row, 0, index)))
            return false;
        if (EscapeHeld())
            return false;
    }
    return true;
}

bool TInfoTreeView::ExpandAllNodes()
{
    ShowStatusText(QStringLiteral("正在展开树形视图的全部结点, 按[Esc]键可以中止..."), 0);
    const bool expanded = ExpandNode(QModelIndex());
    // One layout for the whole tree; after an Esc only what was loaded opens.
    if (expanded) {
        trlMain->expandAll();
    } else {
        std::function<void(const QModelIndex&)> open = [&](const QModelIndex& parent) {
            for (int row = 0; row < Nodes->rowCount(parent); ++row) {
                const QModelIndex child = Nodes->index(row, 0, parent);
                const TTreeNode* node = Nodes->NodeOf(child);
                if (node && node->ChildCount() > 0 && (node->ChildrenLoaded || !node->HasChildren)) {
                    trlMain->expand(child);
                    open(child);
                }
            }
        };
        open(QModelIndex());
    }
    ShowStatusText(QString(), 0);
    return expanded;
}

void TInfoTreeView::ExportTree(const QString& FileBaseName, bool AskFullLoad)
{
    // Without the question every loaded node goes out; with it, what is open on screen
    // (everything, once the user had all nodes loaded).
    const QTreeView* expandedOnly = nullptr;
    if (AskFullLoad) {
        const int answer = ShowQuestion(QStringLiteral("导出数据前强制展开装载全部结点的内容?\r\r提示: 全部装载可能大量耗时, "
                                                       "过程中可以按[Esc]键中止。"),
                                        mbYesNoCancel | mbDefButton2);
        if (answer == mrCancel)
            return;
        if (answer == mrYes && !ExpandAllNodes()) {
            ShowWarning(QStringLiteral("执行已被中止!"));
            return;
        }
        expandedOnly = trlMain;
    }
    FHeader->ReadColumns();
    const TViewExportTable table(ViewCaption, Columns, *Nodes, expandedOnly);
    if (ExecuteExport(this, table, FileBaseName, ViewScheme.PrintSetting))
        ShowInfo(QStringLiteral("执行完成。"));
}

std::unique_ptr<TExportTable> TInfoTreeView::CreateExportTable()
{
    FHeader->ReadColumns();
    return std::make_unique<TViewExportTable>(ViewCaption, Columns, *Nodes, trlMain);
}

bool TInfoTreeView::QueryCommandState(int Command, TCommandState& State)
{
    if (Command == cmdFillValues) {
        State = Nodes->Editing() && !FillTarget().Columns.isEmpty() && !SelectedNodes().isEmpty() ? TCommandState(csEnabled) : 0;
        return true;
    }
    return QueryListCommandState(Command, State);
}

bool TInfoTreeView::ExecCommand(int Command)
{
    switch (Command) {
    case cmdExport: ExportTree(ObjectDef ? ObjectDef->Name : ViewCaption, true); return true;
    case cmdFillValues: TFillValuesDlg::Execute(FillTarget(), this); return true;
    default: return ExecListCommand(Command);
    }
}

void TInfoTreeView::FetchCustomDrawFormat(const TTreeNode*, TCellDrawFormat&, const TViewColumn*) {}

void TInfoTreeView::trlMainFocusedNodeChanged()
{
    TTreeNode* node = FocusedNode();
    if (node == FLastFocusedNode)
        return;
    FLastFocusedNode = node;
    FireFocusedRecordChanged();
}

void TInfoTreeView::trlMainHeaderClick(int logicalIndex)
{
    TViewColumn* column = Columns.At(logicalIndex);
    if (!column || !column->Sortable || !(ViewScheme.Supports & voSupportSort))
        return;
    const bool descending = column->SortIndex >= 0 && !column->Descending;
    Nodes->sort(logicalIndex, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    FHeader->setSortIndicatorShown(true);
    FHeader->setSortIndicator(logicalIndex, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

} // namespace kx
