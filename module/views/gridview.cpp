#include "views/gridview.h"

#include "db/fieldlists.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/strutils.h"
#include "db/sqlrun.h"
#include "views/columnheader.h"
#include "views/commonui.h"
#include "views/exportservice.h"
#include "views/filterbar.h"
#include "views/frozencolumns.h"
#include "views/gridfooter.h"
#include "views/gridgroupmodel.h"
#include "views/gridlayout.h"
#include "views/gridmodel.h"
#include "views/messagebox.h"
#include "views/viewexport.h"

#include <QGuiApplication>
#include <QMenu>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace kx {

namespace {

QColor ViewSignColor(TInfoFieldViewSign sign)
{
    switch (sign) {
    case vsBizClosed: return QColor(128, 128, 128);
    case vsBizToDo: return QColor(0, 64, 192);
    case vsBizWarning: return QColor(192, 96, 0);
    case vsBizError: return QColor(208, 0, 0);
    case vsNormal: break;
    }
    return QColor();
}

} // namespace

TInfoGridView::TInfoGridView(QWidget* owner, const TInfoObjectDef* objectDef) : TCustomInfoView(owner, objectDef)
{
    FRecords = new TRecordTableModel(&Columns, this);
    FRows = new TGridGroupModel(this);
    FRows->setSourceModel(FRecords);
    FRows->SetSummaryHook([this](TSummaryItem& item, const QVariant& value) { GridSummary(item, value); });
    FRecords->SetDrawFormatHook([this](int record, const TViewColumn* column, TCellDrawFormat& format) {
        ViewSignFormat(record, format);
        FetchCustomDrawFormat(record, format, column);
    });

    grdMain = CreateColumnView(&Columns, FRows, QStringLiteral("grdMain"), this, &FHeader);
    grdMain->setRootIsDecorated(false);
    grdMain->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::AnyKeyPressed);
    FHeader->setContextMenuPolicy(Qt::CustomContextMenu);
    ViewComponent = grdMain;
    FFrozen = new TFrozenColumns(grdMain, &Columns);
    FFrozen->Header()->setContextMenuPolicy(Qt::CustomContextMenu);

    FFooter = new TGridFooter(FHeader, [this](int column) {
        const TSummaryItem* item = FRows->FooterSummary(column);
        return item ? item->Text() : QString();
    }, this);
    FFooter->hide();
    FFooter->setObjectName(QStringLiteral("grdMainFooter"));
    FFooter->SetFrozenHeader(FFrozen->Header());
    ContentLayout()->addWidget(grdMain, 1);
    ContentLayout()->addWidget(FFooter);
    pnlQuickFilter = new TFilterBar(QStringLiteral("pnlQuickFilter"), QStringLiteral("清除筛选(&C)"), this);
    connect(pnlQuickFilter, &TFilterBar::ClearClicked, this, &TInfoGridView::ClearQuickFilters);
    ContentLayout()->addWidget(pnlQuickFilter);

    connect(FRows, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        if (!FApplyingLayout)
            FHeader->ReadColumns();
    });
    connect(FRows, &QAbstractItemModel::modelReset, this, &TInfoGridView::RowsReset);
    connect(FRows, &TGridGroupModel::SummariesChanged, FFooter, qOverload<>(&QWidget::update));
    connect(grdMain->horizontalScrollBar(), &QScrollBar::valueChanged, FFooter, qOverload<>(&QWidget::update));
    connect(grdMain->selectionModel(), &QItemSelectionModel::currentChanged, this, &TInfoGridView::grdMainFocusedRecordChanged);
    connect(grdMain, &QTreeView::doubleClicked, this, &TInfoGridView::grdMainDblClick);
    connect(FHeader, &QHeaderView::sectionClicked, this, &TInfoGridView::grdMainHeaderClick);
    connect(FFrozen->Header(), &QHeaderView::sectionClicked, this, &TInfoGridView::grdMainHeaderClick);
    // Model columns follow the screen order, so that group rows span from the first column.
    connect(FHeader, &TBandedHeader::ColumnsMoved, this, [this] {
        FApplyingLayout = true;
        Columns.SortByDisplayOrder();
        FRecords->ColumnsChanged();
        FApplyingLayout = false;
        FFrozen->Update();
    });
    connect(FHeader, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) { grdMainHeaderMenu(FHeader, pos); });
    connect(FFrozen->Header(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { grdMainHeaderMenu(FFrozen->Header(), pos); });
    connect(FRecords, &TRecordTableModel::ValueRefused, this, &TInfoGridView::grdMainValueRefused);
    connect(FRecords, &TRecordTableModel::CellEdited, this, [this] {
        if (GetEditMode())
            Modified = true;
    });
}

TInfoGridView::~TInfoGridView()
{
    // The grid asks its columns while it goes; it goes before them.
    delete grdMain;
    delete FFooter;
}

TViewColumn* TInfoGridView::AddColumn(const QString& FieldName, const QString& Caption, int Band)
{
    TViewColumn* column = Columns.Add(FieldName, Caption, Band);
    if (const TInfoFieldDef* field = ObjectDef ? ObjectDef->GetFieldDef(FieldName) : nullptr)
        SetupColumnByField(*column, *field);
    return column;
}

void TInfoGridView::MakeFocus()
{
    grdMain->setFocus();
}

const TRecordSet& TInfoGridView::Records() const
{
    return FRecords->Records();
}

void TInfoGridView::ApplyViewLayout()
{
    if (!ObjectDef)
        return;
    FApplyingLayout = true;
    ApplyColumnLayout(Columns, *ObjectDef, ViewScheme.Params, GetDefaultFields(), {GridMode, true, true});
    Columns.SortByDisplayOrder();
    FRecords->ColumnsChanged();
    FApplyingLayout = false;
    FHeader->ApplyColumns();
    FFrozen->Update();
}

void TInfoGridView::StoreViewLayout()
{
    FHeader->ReadColumns();
    ViewScheme.Params = StoreColumnLayout(Columns, ViewScheme.Params, {GridMode, true, true});
}

void TInfoGridView::RowsReset()
{
    FHeader->ApplyColumns();
    const bool grouped = !Columns.GroupColumns().isEmpty();
    grdMain->setRootIsDecorated(grouped);
    grdMain->setIndentation(grouped ? 12 : 0);
    if (grouped) {
        // Group rows show their caption across the row.
        QList<QModelIndex> pending{QModelIndex()};
        while (!pending.isEmpty()) {
            const QModelIndex parent = pending.takeLast();
            for (int row = 0; row < FRows->rowCount(parent); ++row) {
                const QModelIndex child = FRows->index(row, 0, parent);
                if (FRows->RowKind(child) == rkGroup) {
                    grdMain->setFirstColumnSpanned(row, parent, true);
                    pending << child;
                }
            }
        }
        grdMain->expandAll();
    }
    const QList<TViewColumn*> sorted = Columns.SortColumns();
    FHeader->setSortIndicatorShown(!sorted.isEmpty());
    if (!sorted.isEmpty())
        FHeader->setSortIndicator(Columns.IndexOf(sorted.first()), sorted.first()->Descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    FFooter->setVisible(FRows->HasSummaries());
    FFrozen->Update();
}

void TInfoGridView::RefreshData(bool KeepPosition)
{
    if (!PrepareViewScheme())
        return;
    LoadData(KeepPosition);
    TCustomInfoView::RefreshData(KeepPosition);
}

void TInfoGridView::LoadData(bool KeepPosition)
{
    const QString position = KeepPosition ? GetViewPosition() : QString();
    // Visible columns a concrete view designed for fields outside "[Fields]" need their data too.
    QStringList designed;
    for (const TViewColumn* c : Columns.DisplayOrder())
        if (!c->Dynamic && c->Tag < 1 && ObjectDef && ObjectDef->GetFieldDef(c->FieldName))
            designed << c->FieldName;
    BuiltSQL = BuildViewSQL(MakeFieldList(designed), QString(), QString(), QString(), true);
    if (BuiltSQL.isEmpty())
        return;
    OpenData(BuiltSQL, true);
    if (KeepPosition && !position.isEmpty())
        SetViewPosition(position);
}

int TInfoGridView::OpenData(const QString& SQL, bool CheckLimit)
{
    TQuery query(&SharedConnection());
    if (!RunSQL(query, SQL, true)) {
        FRecords->Clear();
        return -1;
    }
    return TakeData(std::move(query), CheckLimit);
}

int TInfoGridView::TakeData(TQuery&& Rows, bool CheckLimit)
{
    FRecords->TakeFrom(std::move(Rows));
    const TRecordSet& records = FRecords->Records();
    for (TViewColumn* c : Columns.Items())
        if (c->DataType == ftUnknown && records.HasField(c->FieldName))
            c->DataType = records.Field(records.FieldIndex(c->FieldName)).DataType;
    FLastFocusedRecord = -1;
    if (records.RecordCount() > 0)
        FocusRecord(FRows->DataRowsInOrder().value(0, -1));
    if (CheckLimit)
        CheckRowLimit(records.RecordCount());
    return records.RecordCount();
}

bool TInfoGridView::ToggleEditMode()
{
    if (!GetEditMode()) {
        EnterEditMode();
        return true;
    }
    if (!QuerySaveEdits())
        return false;
    LeaveEditMode();
    return true;
}

void TInfoGridView::EnterGridEditMode(const std::function<void()>& arrangeColumns)
{
    const QString position = GetViewPosition();
    StoreViewLayout();
    FLayoutBeforeEditing = ViewScheme.Params;
    QStringList order;
    for (const TViewColumn* c : Columns.SortColumns())
        if (!c->FieldName.isEmpty())
            order << QuotedIdent(c->FieldName) + (c->Descending ? QStringLiteral(" desc") : QString());
    EditOrder = order.join(QLatin1String(", "));
    ViewScheme.Params = SetParamValue(SetParamValue(FLayoutBeforeEditing, kParamTotal, QString()), kParamSummaries, QString());
    GridMode = true;
    ApplyViewLayout();
    if (arrangeColumns)
        arrangeColumns();
    SetEditing(true);
    SetEditMode(true);
    Modified = false;
    RefreshData(false);
    SetViewPosition(position);
}

void TInfoGridView::LeaveGridEditMode(const std::function<void()>& arrangeColumns, bool refresh)
{
    const QString position = GetViewPosition();
    ViewScheme.Params = FLayoutBeforeEditing;
    GridMode = false;
    SetEditing(false);
    SetEditMode(false);
    Modified = false;
    ApplyViewLayout();
    if (arrangeColumns)
        arrangeColumns();
    if (!refresh)
        return;
    RefreshData(false);
    SetViewPosition(position);
}

void TInfoGridView::ShowCellFault(int Record, const QString& Field, const QString& Message)
{
    ShowWarning(Message);
    FocusRecord(Record);
    const QModelIndex cell = FRows->IndexOfSourceRow(Record, FRecords->ColumnOf(Field));
    if (!cell.isValid())
        return;
    grdMain->setCurrentIndex(cell);
    grdMain->setFocus();
    grdMain->edit(cell);
}

bool TInfoGridView::LoadRows(const QString& SQL, bool CheckLimit, const QString& Position)
{
    int count = 0;
    {
        TWaitCursor wait;
        count = OpenData(SQL, CheckLimit);
    }
    if (count < 0) {
        ShowReadDataFailed();
        return false;
    }
    if (!Position.isEmpty())
        SetViewPosition(Position);
    return true;
}

void TInfoGridView::CloseData()
{
    TCustomInfoView::CloseData();
    FRecords->Clear();
}

int TInfoGridView::FocusedRecord() const
{
    return FRows->SourceRow(grdMain->currentIndex());
}

void TInfoGridView::FocusRecord(int Record)
{
    const QModelIndex index = FRows->IndexOfSourceRow(Record, 0);
    if (!index.isValid()) {
        grdMain->setCurrentIndex(QModelIndex());
        return;
    }
    grdMain->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    grdMain->scrollTo(index);
}

bool TInfoGridView::HasFocusedRecord()
{
    return FocusedRecord() >= 0;
}

QList<int> TInfoGridView::SelectedRows() const
{
    QModelIndexList selected = grdMain->selectionModel()->selectedRows(0);
    std::sort(selected.begin(), selected.end(),
              [this](const QModelIndex& a, const QModelIndex& b) { return FRows->DisplayOrder(a) < FRows->DisplayOrder(b); });
    QList<int> rows;
    for (const QModelIndex& index : selected)
        if (FRows->RowKind(index) != rkGroupFooter)
            rows << FRows->SourceRow(index);
    return rows;
}

QString TInfoGridView::GetFocusedRecordString(const QString& Field)
{
    const int record = FocusedRecord();
    if (record < 0 || !Records().HasField(Field))
        return QStringLiteral("null");
    return RecordValueText(Records().Value(record, Field), FRecords->FieldType(Field));
}

int TInfoGridView::GetSelectedRecordCount()
{
    return int(SelectedRows().size());
}

QVariant TInfoGridView::GetSelectedRecordValue(const QString& Field, int Index)
{
    const int record = SelectedRows().value(Index, -1);
    if (record < 0 || !Records().HasField(Field))
        return QVariant();
    return Records().Value(record, Field);
}

void TInfoGridView::SetSelectedRecordValue(const QString& Field, int Index, const QVariant& Value)
{
    const int record = SelectedRows().value(Index, -1);
    if (record >= 0 && Records().HasField(Field))
        FRecords->SetFieldValue(record, Field, Value);
}

QString TInfoGridView::GetViewPosition()
{
    const int record = FocusedRecord();
    const qsizetype at = record < 0 ? -1 : FRows->DataRowsInOrder().indexOf(record);
    return at < 0 ? QString() : QString::number(at);
}

void TInfoGridView::SetViewPosition(const QString& Position)
{
    bool ok = false;
    const int at = Position.trimmed().toInt(&ok);
    FocusRecord(ok ? FRows->DataRowsInOrder().value(at, -1) : -1);
}

void TInfoGridView::SetEditing(bool Editing)
{
    FRecords->SetEditing(Editing);
}

bool TInfoGridView::SetCellValue(int Record, const QString& Field, const QVariant& Value, QString* Message)
{
    return FRecords->SetFieldValue(Record, Field, Value, Message);
}

TFillTarget TInfoGridView::FillTarget()
{
    TFillTarget target;
    for (const TViewColumn* c : Columns.DisplayOrder())
        if (c->Editable && Records().HasField(c->FieldName))
            target.Columns << c;
    const QList<int> rows = SelectedRows();
    target.RowCount = int(rows.size());
    target.FocusRow = [this, rows](int row) {
        if (rows.value(row, -1) >= 0)
            grdMain->selectionModel()->setCurrentIndex(FRows->IndexOfSourceRow(rows[row]), QItemSelectionModel::NoUpdate);
    };
    target.SetValue = [this, rows](int row, const TViewColumn* column, const QVariant& value, QString& message) {
        const int record = rows.value(row, -1);
        return record < 0 || SetCellValue(record, column->FieldName, value, &message);
    };
    return target;
}

bool TInfoGridView::QueryCommandState(int Command, TCommandState& State)
{
    switch (Command) {
    case cmdFillValues:
        State = FRecords->Editing() && FRecords->HasEditableColumns() && GetSelectedRecordCount() > 0 ? TCommandState(csEnabled) : 0;
        return true;
    case cmdPosition: State = csEnabled; return true;
    default: return QueryListCommandState(Command, State);
    }
}

bool TInfoGridView::ExecCommand(int Command)
{
    switch (Command) {
    case cmdExport:
        if (const std::unique_ptr<TExportTable> table = CreateExportTable())
            ExecuteExport(this, *table, ObjectDef ? ObjectDef->Name : ViewCaption, ViewScheme.PrintSetting);
        return true;
    case cmdFillValues: TFillValuesDlg::Execute(FillTarget(), this); return true;
    case cmdPosition: ShowPositionText(); return true;
    default: return ExecListCommand(Command);
    }
}

std::unique_ptr<TExportTable> TInfoGridView::CreateExportTable()
{
    FHeader->ReadColumns();
    TViewExportTable::TFooterSource footer;
    if (FRows->HasSummaries())
        footer = [this](int column) { return FRows->FooterSummary(column); };
    return std::make_unique<TViewExportTable>(ViewCaption, Columns, *FRows, nullptr, footer);
}

void TInfoGridView::ShowPositionText()
{
    const QList<int> order = FRows->DataRowsInOrder();
    const int record = FocusedRecord();
    QString text;
    if (!order.isEmpty())
        text = QStringLiteral("%1 / %2").arg(record < 0 ? 0 : order.indexOf(record) + 1).arg(order.size());
    ShowStatusText(text, 1);
}

void TInfoGridView::GridSummary(TSummaryItem& Item, const QVariant& Value)
{
    Item.Add(Value);
}

void TInfoGridView::FetchCustomDrawFormat(int, TCellDrawFormat&, const TViewColumn*) {}

void TInfoGridView::ViewSignFormat(int Record, TCellDrawFormat& Format) const
{
    if (!ObjectDef)
        return;
    for (const TInfoFieldDef& f : ObjectDef->Fields)
        if (f.ViewSign != vsNormal && IsTrueValue(Records().Value(Record, f.ID)))
            Format.TextColor = ViewSignColor(f.ViewSign);
}

void TInfoGridView::grdMainFocusedRecordChanged()
{
    const int record = FocusedRecord();
    if (record == FLastFocusedRecord)
        return;
    FLastFocusedRecord = record;
    FireFocusedRecordChanged();
}

void TInfoGridView::grdMainDblClick(const QModelIndex& index)
{
    if (FRows->RowKind(index) != rkData || (FRows->flags(index) & Qt::ItemIsEditable))
        return;
    ShowEditor(QString());
}

void TInfoGridView::grdMainHeaderClick(int logicalIndex)
{
    TViewColumn* column = Columns.At(logicalIndex);
    if (!column || !column->Sortable || GridMode || !(ViewScheme.Supports & voSupportSort))
        return;
    const QList<TViewColumn*> sorted = Columns.SortColumns();
    const bool adding = QGuiApplication::keyboardModifiers() & Qt::ControlModifier;
    if (adding && column->SortIndex < 0) {
        column->SortIndex = int(sorted.size());
        column->Descending = false;
        FRows->Rebuild();
        return;
    }
    const bool descending = column->SortIndex >= 0 && !column->Descending;
    FRows->sort(logicalIndex, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TInfoGridView::grdMainHeaderMenu(QHeaderView* header, const QPoint& pos)
{
    TViewColumn* column = Columns.At(header->logicalIndexAt(pos));
    QMenu menu(this);
    const bool grouping = (ViewScheme.Supports & voSupportGroup) && !GridMode;
    if (column && grouping && column->GroupIndex < 0)
        menu.addAction(QStringLiteral("按此列分组"), this, [this, column] {
            column->GroupIndex = int(Columns.GroupColumns().size());
            column->Visible = false;
            FRows->Rebuild();
        });
    if (grouping && !Columns.GroupColumns().isEmpty())
        menu.addAction(QStringLiteral("取消分组"), this, [this] {
            for (TViewColumn* c : Columns.GroupColumns()) {
                c->GroupIndex = -1;
                c->Visible = true;
            }
            FRows->Rebuild();
        });
    if (column && column->Sortable && (ViewScheme.Supports & voSupportSort) && !GridMode) {
        menu.addSeparator();
        menu.addAction(QStringLiteral("升序排列"), this, [this, column] { FRows->sort(Columns.IndexOf(column), Qt::AscendingOrder); });
        menu.addAction(QStringLiteral("降序排列"), this, [this, column] { FRows->sort(Columns.IndexOf(column), Qt::DescendingOrder); });
        menu.addAction(QStringLiteral("取消排序"), this, [this] { FRows->sort(-1); });
    }
    if (column && column->Filterable && !GridMode)
        AddQuickFilterMenu(menu, column);
    if (column && Columns.DisplayOrder().size() > 1) {
        menu.addSeparator();
        menu.addAction(QStringLiteral("隐藏此列"), this, [this, column] {
            FHeader->setSectionHidden(Columns.IndexOf(column), true);
            column->Visible = false;
            FFrozen->Update();
        });
    }
    if (!menu.isEmpty())
        menu.exec(header->mapToGlobal(pos));
}

void TInfoGridView::SetQuickFilter(const TQuickFilter& Filter)
{
    for (TQuickFilter& f : FQuickFilters)
        if (f.FieldName.compare(Filter.FieldName, Qt::CaseInsensitive) == 0) {
            f = Filter;
            ApplyQuickFilters();
            return;
        }
    FQuickFilters << Filter;
    ApplyQuickFilters();
}

void TInfoGridView::RemoveQuickFilter(const QString& FieldName)
{
    FQuickFilters.removeIf([&](const TQuickFilter& f) { return f.FieldName.compare(FieldName, Qt::CaseInsensitive) == 0; });
    ApplyQuickFilters();
}

void TInfoGridView::ClearQuickFilters()
{
    FQuickFilters.clear();
    ApplyQuickFilters();
}

QString TInfoGridView::QuickFilterText() const
{
    QStringList parts;
    for (const TQuickFilter& f : FQuickFilters) {
        const TViewColumn* c = Columns.ByField(f.FieldName);
        parts << QLatin1Char('(') + f.Text(c ? c->Caption : f.FieldName) + QLatin1Char(')');
    }
    return parts.join(QStringLiteral(" 与 "));
}

void TInfoGridView::ApplyQuickFilters()
{
    const int focused = FocusedRecord();
    if (FQuickFilters.isEmpty()) {
        FRows->SetRowFilter({});
    } else {
        FRows->SetRowFilter([this](int record) {
            for (const TQuickFilter& f : FQuickFilters) {
                const TViewColumn* c = Columns.ByField(f.FieldName);
                if (c && !f.Matches(*c, FRecords->Value(record, f.FieldName)))
                    return false;
            }
            return true;
        });
    }
    pnlQuickFilter->ShowFilter(QStringLiteral("筛选: "), QuickFilterText());
    const QList<int> shown = FRows->DataRowsInOrder();
    FocusRecord(shown.contains(focused) ? focused : shown.value(0, -1));
}

QStringList TInfoGridView::ColumnValues(const TViewColumn* Column, int Limit) const
{
    std::set<QString> seen;
    QList<QVariant> values;
    for (int r = 0; r < Records().RecordCount() && int(values.size()) < Limit; ++r) {
        const QVariant v = Records().Value(r, Column->FieldName);
        const QString text = Column->DisplayText(v);
        if (!text.trimmed().isEmpty() && seen.insert(text).second)
            values << v;
    }
    std::sort(values.begin(), values.end(), [](const QVariant& a, const QVariant& b) { return CompareValues(a, b) < 0; });
    QStringList texts;
    for (const QVariant& v : values)
        texts << Column->DisplayText(v);
    return texts;
}

bool TInfoGridView::ShowQuickFilterDialog(const TViewColumn* Column)
{
    if (!Column)
        return false;
    TQuickFilter current;
    current.FieldName = Column->FieldName;
    for (const TQuickFilter& f : FQuickFilters)
        if (f.FieldName.compare(Column->FieldName, Qt::CaseInsensitive) == 0)
            current = f;
    TQuickFilterDlg dialog(Column->Caption, ColumnValues(Column), current, this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    SetQuickFilter(dialog.Filter());
    return true;
}

void TInfoGridView::AddQuickFilterMenu(QMenu& menu, const TViewColumn* Column)
{
    menu.addSeparator();
    QMenu* filter = menu.addMenu(QStringLiteral("快速筛选(&Q)"));
    const QString field = Column->FieldName;
    auto condition = [this, field](TQuickFilterOperator op, const QString& value) {
        TQuickFilter f;
        f.FieldName = field;
        f.First = {op, value};
        SetQuickFilter(f);
    };
    filter->addAction(QStringLiteral("(全部)"), this, [this, field] { RemoveQuickFilter(field); });
    filter->addAction(QStringLiteral("(自定义...)"), this, [this, Column] { ShowQuickFilterDialog(Column); });
    filter->addAction(QStringLiteral("(空白)"), this, [condition] { condition(qfBlank, QString()); });
    filter->addAction(QStringLiteral("(非空白)"), this, [condition] { condition(qfNotBlank, QString()); });
    const QStringList values = ColumnValues(Column, 50);
    if (!values.isEmpty())
        filter->addSeparator();
    for (const QString& v : values)
        filter->addAction(v, this, [condition, v] { condition(qfEqual, v); });
}

void TInfoGridView::grdMainValueRefused(int Record, const QString& Field, const QString& Message)
{
    ShowWarning(Message);
    const QModelIndex index = FRows->IndexOfSourceRow(Record, FRecords->ColumnOf(Field));
    if (index.isValid())
        grdMain->setCurrentIndex(index);
}

} // namespace kx
