#include "erplistview.h"

#include "db/fieldlists.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "db/strutils.h"
#include "views/conditions.h"
#include "views/exportservice.h"
#include "views/messagebox.h"
#include "views/valueorder.h"
#include "views/viewscheme.h"

#include <QApplication>
#include <QBrush>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLayout>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <numeric>

namespace kx::shell {

namespace {

// Column captions may carry a band before a backslash ("物料\编号"); the list shows the last part.
QString Caption(const TInfoFieldDef& f)
{
    return f.Name.section(QLatin1Char('\\'), -1);
}

QColor SignColour(TInfoFieldViewSign sign)
{
    switch (sign) {
    case vsBizClosed: return QColor(128, 128, 128);
    case vsBizToDo: return QColor(0, 0, 192);
    case vsBizWarning: return QColor(192, 96, 0);
    case vsBizError: return QColor(192, 0, 0);
    case vsNormal: break;
    }
    return QColor();
}

const char* const kNotProvided = "很抱歉, 此功能处于内部测试阶段, 暂时不开放使用!";

// The list as the export service sees it: the shown columns with their widths over the
// rows in their order, values typed by the fields.
class TERPListExportTable : public TExportTable {
public:
    TERPListExportTable(const QString& title, const TERPListModel& model, const QTableView& grid) : FModel(model)
    {
        Title = title;
        const TInfoObjectDef* def = model.ObjectDef();
        for (int c = 0; c < model.FieldIDs().size(); ++c) {
            const QString& id = model.FieldIDs()[c];
            const TInfoFieldDef* f = def ? def->GetFieldDef(id) : nullptr;
            const TFieldType type = model.FieldType(id);
            TExportColumn col;
            col.Name = id;
            col.Caption = model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
            col.Width = grid.columnWidth(c);
            if (f && !f->EnumValues.isEmpty())
                col.Kind = evText;
            else if (type == ftBoolean)
                col.Kind = evBoolean;
            else if (IsDateFieldType(type))
                col.Kind = type == ftDate ? evDate : evDateTime;
            else if (IsNumericFieldType(type))
                col.Kind = evNumber;
            col.AlignRight = col.Kind == evNumber;
            Columns << col;
        }
    }

    int RowCount() const override { return FModel.rowCount(); }
    QVariant Value(int row, int column) const override
    {
        const QString& id = FModel.FieldIDs()[column];
        if (Columns[column].Kind == evText) {
            const QString text = FModel.DisplayText(row, id);
            return text.isEmpty() ? QVariant() : QVariant(text);
        }
        const QVariant v = FModel.Value(row, id);
        return Columns[column].Kind == evBoolean && !v.isNull() ? QVariant(v.toBool()) : v;
    }
    QString Text(int row, int column) const override { return FModel.DisplayText(row, FModel.FieldIDs()[column]); }

private:
    const TERPListModel& FModel;
};

} // namespace

void TERPListModel::Reset(const TInfoObjectDef* def, const QStringList& fieldIDs, TRecordSet records)
{
    beginResetModel();
    FDef = def;
    FFieldIDs = fieldIDs;
    FRecords = std::move(records);
    FOrder.resize(FRecords.RecordCount());
    std::iota(FOrder.begin(), FOrder.end(), 0);
    endResetModel();
}

TFieldType TERPListModel::FieldType(const QString& fieldID) const
{
    const TInfoFieldDef* f = FDef ? FDef->GetFieldDef(fieldID) : nullptr;
    if (f)
        return f->DataType;
    const int index = FRecords.FieldIndex(fieldID);
    return index < 0 ? ftUnknown : FRecords.Field(index).DataType;
}

void TERPListModel::sort(int column, Qt::SortOrder order)
{
    const QString id = FFieldIDs.value(column);
    if (id.isEmpty())
        return;
    const int field = FRecords.FieldIndex(id);
    Q_EMIT layoutAboutToBeChanged();
    std::stable_sort(FOrder.begin(), FOrder.end(), [&](int a, int b) {
        const int c = CompareValues(FRecords.Value(a, field), FRecords.Value(b, field));
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    });
    Q_EMIT layoutChanged();
}

int TERPListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FRecords.RecordCount();
}

int TERPListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(FFieldIDs.size());
}

QString TERPListModel::DisplayText(int row, const QString& fieldID) const
{
    const QVariant v = Value(row, fieldID);
    if (v.isNull())
        return QString();
    const TInfoFieldDef* f = FDef ? FDef->GetFieldDef(fieldID) : nullptr;
    if (f && !f->EnumValues.isEmpty()) {
        for (const TEnumValue& e : f->EnumValues)
            if (e.Value == v.toInt())
                return e.Text;
        return v.toString();
    }
    const TFieldType type = FieldType(fieldID);
    if (type == ftBoolean)
        return v.toBool() ? QStringLiteral("是") : QString();
    if (IsDateFieldType(type) || v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::QDate)
        return type == ftDateTime ? DateTimeToText(v.toDateTime()) : DateToText(v.toDate());
    if (IsNumericFieldType(type) && !IsOrdinalFieldType(type))
        return v.toDouble() == 0.0 ? QString() : FloatToText(v.toDouble());
    return v.toString();
}

QVariant TERPListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const QString& id = FFieldIDs[index.column()];
    const TInfoFieldDef* f = FDef ? FDef->GetFieldDef(id) : nullptr;
    switch (role) {
    case Qt::DisplayRole: return DisplayText(index.row(), id);
    case Qt::TextAlignmentRole:
        return f && IsNumericFieldType(f->DataType) && f->EnumValues.isEmpty() ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                                                : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        // The first view-sign field whose value is not 0 colours the whole row.
        if (FDef)
            for (const TInfoFieldDef& sign : FDef->Fields)
                if (sign.ViewSign != vsNormal && Value(index.row(), sign.ID).toInt() != 0)
                    return QBrush(SignColour(sign.ViewSign));
        return QVariant();
    default: return QVariant();
    }
}

QVariant TERPListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    const TInfoFieldDef* f = FDef ? FDef->GetFieldDef(FFieldIDs.value(section)) : nullptr;
    return f ? Caption(*f) : FFieldIDs.value(section);
}

TERPListView::TERPListView(const TInfoObjectDef* def, TActionRunner runAction, QWidget* parent)
    : QFrame(parent), FDef(def), FRunAction(std::move(runAction))
{
    setObjectName(QStringLiteral("ERPListView"));
    // The host's lists show neither groups nor totals: their scheme offers columns, filter and order.
    FScheme.Supports = voSupportFilter | voSupportFields | voSupportSort;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    grdList = new QTableView(this);
    grdList->setObjectName(QStringLiteral("grdList"));
    FModel = new TERPListModel(grdList);
    grdList->setModel(FModel);
    grdList->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grdList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdList->setAlternatingRowColors(true);
    grdList->setSortingEnabled(false);
    grdList->horizontalHeader()->setSortIndicatorShown(false);
    grdList->horizontalHeader()->setSectionsClickable(true);
    grdList->verticalHeader()->setDefaultSectionSize(22);
    grdList->horizontalHeader()->setHighlightSections(false);
    lblCount = new QLabel(this);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    layout->addWidget(grdList, 1);
    layout->addWidget(lblCount);
    connect(grdList->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { FocusedRowChanged(); });
    // A header click sorts the rows by that column; a second click turns the order.
    connect(grdList->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        const QString position = GetViewPosition();
        FSortOrder = column == FSortColumn && FSortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
        FSortColumn = column;
        FModel->sort(column, FSortOrder);
        grdList->horizontalHeader()->setSortIndicatorShown(true);
        grdList->horizontalHeader()->setSortIndicator(column, FSortOrder);
        SetViewPosition(position);
    });
    connect(grdList, &QTableView::doubleClicked, this, [this] {
        // A double click opens the record in the object's editor, as its update action would.
        for (qsizetype n = 0; FDef && n < FDef->Actions.size(); ++n)
            if (FDef->Actions[n].ActType == atUpdate) {
                TCommandState state = 0;
                if (QueryCommandState(cmdAction + int(n), state) && (state & csEnabled))
                    ExecCommand(cmdAction + int(n));
                return;
            }
    });
}

TERPListView::~TERPListView() = default;

HRESULT TERPListView::QueryInterface(const TGUID& IID, void** Obj)
{
    if (IID == IID_IInfoView || IID == IID_IInterface) {
        *Obj = static_cast<IInfoView*>(this);
        return S_OK;
    }
    if (IID == IID_IWidgetHandle) {
        *Obj = static_cast<QWidget*>(this);
        return S_OK;
    }
    *Obj = nullptr;
    return E_NOINTERFACE;
}

void TERPListView::InitializeView(const QString& AsDetailID, IInfoView* MasterView)
{
    FAsDetailID = AsDetailID.trimmed();
    FAsDetail = !FAsDetailID.isEmpty();
    const TInfoObjectDef* masterDef = MasterView ? MasterView->GetObjectDef() : nullptr;
    if (FScheme.ID.isEmpty())
        FScheme.ID = FAsDetail && MasterView ? FAsDetailID + QLatin1Char('/') + MasterView->GetViewScheme()->ID
                                             : (FDef ? FDef->ID : QString());
    if (FCaption.isEmpty()) {
        const TInfoRelationDef* relation = FAsDetail && masterDef ? masterDef->GetRelationDef(FAsDetailID) : nullptr;
        FCaption = relation ? relation->Name : (FDef ? FDef->Name : QString());
    }
    if (FAsDetail)
        FScheme.Supports &= ~TViewSupports(voSupportFilter);
    LoadViewScheme(FScheme);
}

void TERPListView::SetParentControl(QWidget* Parent)
{
    setParent(Parent);
    if (Parent && Parent->layout())
        Parent->layout()->addWidget(this);
    show();
}

void TERPListView::SetDataFilter(const QString& Filter, bool Refresh)
{
    FDataIsFresh = false;
    FDataFilter = Filter;
    if (Refresh)
        RefreshData(true);
}

void TERPListView::SetMasterValues(const QString& Values, bool Refresh)
{
    FDataIsFresh = false;
    FMasterValues = Values;
    if (Refresh)
        RefreshData(true);
}

QStringList TERPListView::ShownFields() const
{
    QString fields = GetParamValue(FScheme.Params, QStringLiteral("[Fields]"));
    if (fields.isEmpty() && FDef)
        fields = DefaultFieldList(*FDef, FScheme.Mask);
    QStringList ids;
    for (const QString& id : FieldListItems(fields))
        if (FDef && FDef->GetFieldDef(id) && !FieldListContains(FScheme.Mask, id))
            ids << FDef->GetFieldDef(id)->ID;
    return ids;
}

// The select list of the shown fields, the fields every list needs (keys, hidden fields,
// view signs) and the action marks; the master condition, the host's filter and the
// scheme's filter; the scheme's order or the key order; at most MaxRows rows.
QString TERPListView::BuildSQL()
{
    if (!FDef)
        return QString();
    QStringList select;
    if (!FScheme.FieldsSQL.trimmed().isEmpty())
        select << FScheme.FieldsSQL.trimmed();
    const QStringList shown = ShownFields();
    for (const TInfoFieldDef& f : FDef->Fields)
        if ((f.IsPrimary || f.HideList || f.ViewSign != vsNormal) && !shown.contains(f.ID, Qt::CaseInsensitive)
            && !f.SQLExpress.trimmed().isEmpty())
            select << FieldSelectItem(f);
    QString fields = select.join(QLatin1String(", ")) + ActionFilterColumns(FDef);
    if (EnvMaxRows() > 0)
        fields = QStringLiteral("top %1 ").arg(EnvMaxRows()) + fields;

    QStringList where;
    QString master;
    if (FAsDetail) {
        master = FMasterValues.trimmed().isEmpty() ? QStringLiteral("1=0") : KeyValuesCondition(FDef, FMasterValues);
        where << QLatin1Char('(') + master + QLatin1Char(')');
    }
    for (const QString& part : {FDataFilter, FScheme.FilterSQL})
        if (!part.trimmed().isEmpty())
            where << QLatin1Char('(') + part.trimmed() + QLatin1Char(')');
    const QString order = FScheme.OrderBySQL.trimmed().isEmpty() ? PrimaryKeyOrder(FDef) : FScheme.OrderBySQL.trimmed();
    QString sql;
    TModuleEnvironment* env = Env();
    if (env && env->BuildObjectSQL)
        env->BuildObjectSQL(FDef, QString(), sql, fields, where.join(QLatin1String(" and ")), order, master);
    return sql;
}

void TERPListView::RefreshData(bool KeepPosition)
{
    TModuleEnvironment* env = Env();
    if (!FScheme.SQLParsed && FDef) {
        if (FAsDetail) {
            if (env && env->PrepareDetailScheme)
                env->PrepareDetailScheme(FDef, FScheme, &SharedQuery());
        } else if (!(env && env->PrepareViewScheme && env->PrepareViewScheme(FDef, FScheme, FCaption, false, &SharedQuery()))) {
            return;
        }
    }
    const QString position = KeepPosition ? GetViewPosition() : QString();
    FBuiltSQL = BuildSQL();
    TRecordSet records;
    TQuery q(&SharedConnection());
    {
        TWaitCursor wait;
        if (FBuiltSQL.isEmpty() || !RunSQL(q, FBuiltSQL, true))
            q.Close();
        else
            records.LoadFrom(q);
    }
    FModel->Reset(FDef, ShownFields(), std::move(records));
    if (FSortColumn >= 0 && FSortColumn < FModel->columnCount())
        FModel->sort(FSortColumn, FSortOrder);
    grdList->resizeColumnsToContents();
    for (int c = 0; c < FModel->columnCount(); ++c)
        grdList->setColumnWidth(c, qBound(60, grdList->columnWidth(c), 260));
    FDataIsFresh = true;
    lblCount->setText(QStringLiteral("共 %1 行").arg(FModel->rowCount()));
    if (!position.isEmpty())
        SetViewPosition(position);
    else
        FocusRow(0);
    if (q.Active() && EnvMaxRows() > 0)
        CheckRowLimit(FModel->rowCount());
    FocusedRowChanged();
}

void TERPListView::CloseData()
{
    FDataIsFresh = false;
    FModel->Reset(FDef, ShownFields(), TRecordSet());
}

void TERPListView::FocusRow(int row)
{
    if (row < 0 || row >= FModel->rowCount())
        return;
    grdList->setCurrentIndex(FModel->index(row, 0));
    grdList->selectRow(row);
}

// The position is the focused record's key: "field=value" lines of the primary fields.
QString TERPListView::GetViewPosition()
{
    QString position;
    if (FDef && grdList->currentIndex().isValid())
        for (const TInfoFieldDef& f : FDef->Fields)
            if (f.IsPrimary)
                position += f.ID + QLatin1Char('=') + FModel->Value(grdList->currentIndex().row(), f.ID).toString()
                    + QLatin1String("\r\n");
    return position;
}

void TERPListView::SetViewPosition(const QString& Position)
{
    QList<QPair<QString, QString>> keys;
    for (const QString& line : Position.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            keys << qMakePair(line.left(eq), line.mid(eq + 1));
    }
    for (int row = 0; row < FModel->rowCount(); ++row) {
        bool same = !keys.isEmpty();
        for (const auto& key : keys)
            same = same && FModel->Value(row, key.first).toString() == key.second;
        if (same) {
            FocusRow(row);
            return;
        }
    }
    FocusRow(0);
}

void TERPListView::MakeFocus()
{
    grdList->setFocus();
}

IInfoView* TERPListView::GetRelationView(const QString& RelationID)
{
    return RelationID.trimmed().isEmpty() ? this : nullptr;
}

QString TERPListView::GetFocusedRecordString(const QString& Field)
{
    const QModelIndex current = grdList->currentIndex();
    if (!current.isValid())
        return QString();
    const QVariant v = FModel->Value(current.row(), Field);
    if (v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::QDate)
        return DateToText(v.toDate());
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return v.toString();
}

QList<int> TERPListView::SelectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : grdList->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

int TERPListView::GetSelectedRecordCount()
{
    return int(SelectedRows().size());
}

QVariant TERPListView::GetSelectedRecordValue(const QString& Field, int Index)
{
    const QList<int> rows = SelectedRows();
    if (Index < 0 || Index >= rows.size())
        return QVariant();
    return FModel->Value(rows[Index], Field);
}

bool TERPListView::IsFocused()
{
    return isAncestorOf(QApplication::focusWidget());
}

bool TERPListView::QueryClose()
{
    SaveLastUsedViewScheme(FScheme);
    return true;
}

void TERPListView::FocusedRowChanged()
{
    const QModelIndex current = grdList->currentIndex();
    ShowStatusText(current.isValid() ? QStringLiteral("记录: %1 / %2").arg(current.row() + 1).arg(FModel->rowCount())
                                     : QStringLiteral("记录: 0 / %1").arg(FModel->rowCount()),
                   1);
    if (FOnFocusedRecordChanged)
        FOnFocusedRecordChanged(this);
}

bool TERPListView::QueryCommandState(int Command, TCommandState& State)
{
    State = 0;
    switch (Command) {
    case cmdSave:
    case cmdCancel: return true;
    case cmdExport: State = FDef && FDef->CanExport ? TCommandState(csEnabled) : 0; return true;
    case cmdPageSetup:
    case cmdDesignReport:
    case cmdPrint:
    case cmdPrintPreview: State = FDef && FDef->CanPrint ? TCommandState(csEnabled) : 0; return true;
    case cmdSchemeFields:
    case cmdSchemeSettings: State = (FScheme.Supports & voSupportFields) ? TCommandState(csEnabled) : 0; return true;
    case cmdSchemeFilter: State = (FScheme.Supports & voSupportFilter) ? TCommandState(csEnabled) : 0; return true;
    case cmdRefresh: State = csEnabled; return true;
    default: break;
    }
    const int n = Command - cmdAction;
    if (!FDef || n < 0 || n >= FDef->Actions.size())
        return false;
    const TInfoActionDef& action = FDef->Actions[n];
    const bool focused = grdList->currentIndex().isValid();
    if (action.Kind != akGlobal && !focused)
        return true;
    if (!action.Filter.trimmed().isEmpty() && action.Kind != akGlobal
        && GetFocusedRecordString(QLatin1Char('#') + action.ID) != QLatin1String("1"))
        return true;
    State = csEnabled;
    return true;
}

bool TERPListView::ExecCommand(int Command)
{
    switch (Command) {
    case cmdExport: {
        const TERPListExportTable table(FCaption, *FModel, *grdList);
        ExecuteExport(this, table, FDef ? FDef->Name : FCaption, FScheme.PrintSetting);
        return true;
    }
    case cmdPageSetup:
    case cmdDesignReport:
    case cmdPrint:
    case cmdPrintPreview: {
        // The print layout is kept in the list's scheme, saved when the list closes.
        const TERPListExportTable table(FCaption, *FModel, *grdList);
        ExecutePrintCommand(this, Command, table, FScheme.PrintSetting);
        return true;
    }
    case cmdSchemeFields:
    case cmdSchemeSettings:
    case cmdSchemeFilter: {
        TModuleEnvironment* env = Env();
        if (env && env->PrepareViewScheme && env->PrepareViewScheme(FDef, FScheme, FCaption, true, &SharedQuery()))
            RefreshData(true);
        return true;
    }
    case cmdRefresh: RefreshData(true); return true;
    default: break;
    }
    const int n = Command - cmdAction;
    if (!FDef || n < 0 || n >= FDef->Actions.size())
        return false;
    const TInfoActionDef& action = FDef->Actions[n];
    if (FRunAction && FRunAction(FDef, action.ID, this)) {
        RefreshData(true);
        return true;
    }
    TModuleEnvironment* env = Env();
    if (FDef->HasEditor && (action.ActType == atNew || action.ActType == atUpdate || action.ActType == atCopy)
        && env && env->ShowEditor) {
        QString keys;
        if (action.ActType != atNew)
            for (const TInfoFieldDef& f : FDef->Fields)
                if (f.IsPrimary)
                    keys += f.ID + QLatin1Char('=') + GetFocusedRecordString(f.ID) + QLatin1String("\r\n");
        IInfoEdit* editor = nullptr;
        env->ShowEditor(FDef, keys, action.ID, &editor);
        return true;
    }
    ShowInfo(QString::fromUtf8(kNotProvided));
    return true;
}

} // namespace kx::shell
