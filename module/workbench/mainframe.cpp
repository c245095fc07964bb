#include "workbench/mainframe.h"

#include "db/errors.h"
#include "db/fieldlists.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/settings.h"
#include "db/shared.h"
#include "db/strutils.h"
#include "masterdata/itemsetting.h"
#include "views/columneditor.h"
#include "views/commonui.h"
#include "views/gridgroupmodel.h"
#include "views/gridmodel.h"
#include "views/messagebox.h"
#include "views/exporttable.h"
#include "views/pickedit.h"
#include "views/rowsreader.h"
#include "engine/schemelock.h"
#include "workbench/itembom.h"
#include "workbench/itembomedit.h"
#include "workbench/mainadjustdlg.h"
#include "workbench/schemeops.h"
#include "workbench/schemeviewlink.h"

#include <QHBoxLayout>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace kx {

namespace {

const QString kPeriodField = QStringLiteral("DumbQty");
// Lines shown before the rest of a large main demand is read: a few screens.
constexpr int kFirstLines = 500;

// The columns of the view: field, caption; the first four stay at the left edge.
const struct {
    const char* Field;
    const char* Caption;
} kFixedColumns[] = {{"ManPriority", "优先级"}, {"ManBillType", "类型"}, {"ManBillNo", "需求单号"}, {"ManBillEntry", "需求行"}};
const struct {
    const char* Field;
    const char* Caption;
} kColumns[] = {
    {"DeptName", "需求单位"},         {"ManBillDate", "单据日期"},      {"ManDate", "需求日期"},
    {"ItmNo", "物料代码"},            {"ItmName", "物料名称"},          {"ItmSpec", "规格型号"},
    {"BomNo", "BOM单"},               {"UntName", "单位"},              {"OrigType", "主需求"},
    {"OrigNo", "主需求号"},           {"OrigCust", "主需求客户"},       {"OrigCustPO", "主需求客户单号"},
    {"OrigItmNo", "主需求物料代码"},  {"OrigItmName", "主需求物料名称"}, {"OrigItmSpec", "主需求规格型号"},
    {"ManOrigTag", "需求分类号"},     {"ManOrigSubTag", "子件需求分类号"}, {"ManGroupType", "MRP分组"},
    {"ManGroupNo", "MRP分组号"},      {"ManBillQty", "单据数量"},       {"ManExeQty", "执行数量"},
    {"ManDedQty", "冲销数量"},        {"ManNeedQty", "需求数量"},       {"ManAdjQty", "调整数量"},
    {"ManQty", "计划数量"},           {"ManNote", "备注"},              {"ItmPlanner", "计划员"},
    {"ItmBuyer", "采购员"},           {"LastBillQty", "最新单据数"},    {"LastExeQty", "最新执行数"},
    {"LastDedQty", "最新冲销数"},     {"LastNeedQty", "最新需求数"},    {"LastStatus", "最新需求状态"},
};

// Fields the save and the period cells read, selected whether shown or not.
QStringList RequiredFields()
{
    QStringList fields{QStringLiteral("ManPriority"), QStringLiteral("ManBillType"), QStringLiteral("ManBillNo"), QStringLiteral("ManBillEntry"),
                       QStringLiteral("ManDate"),     QStringLiteral("ItmNo"),       QStringLiteral("ItmName"),   QStringLiteral("ItmSpec"),
                       QStringLiteral("UntName"),     QStringLiteral("ItmPlanner"),  QStringLiteral("ItmBuyer"),  QStringLiteral("ManNeedQty"),
                       QStringLiteral("ManAdjQty"),   QStringLiteral("ManQty"),      QStringLiteral("ManNote"),   QStringLiteral("ManOrigTag"),
                       QStringLiteral("ManOrigSubTag"), QStringLiteral("ManGroupType"), QStringLiteral("ManGroupNo"), QStringLiteral("BomNo")};
    for (int n = 1; n <= 10; ++n)
        fields << QStringLiteral("ManItmProp%1").arg(n);
    return fields;
}

// Cells a planner may change on a free demand line only.
bool FreeLineField(const QString& field)
{
    static const QStringList fields{QStringLiteral("ManDate"), QStringLiteral("ItmNo"), QStringLiteral("BomNo"), QStringLiteral("ManOrigTag"),
                                    QStringLiteral("ManOrigSubTag"), QStringLiteral("ManGroupType")};
    return fields.contains(field, Qt::CaseInsensitive);
}

// Widths that show a column's usual content whole.
int ColumnWidth(const QString& field)
{
    static const QHash<QString, int> widths{
        {QStringLiteral("ManPriority"), 46}, {QStringLiteral("ManBillType"), 66}, {QStringLiteral("ManBillNo"), 96},
        {QStringLiteral("ManBillEntry"), 46}, {QStringLiteral("DeptName"), 70}, {QStringLiteral("ManBillDate"), 80},
        {QStringLiteral("ManDate"), 80}, {QStringLiteral("ItmNo"), 80}, {QStringLiteral("ItmName"), 80},
        {QStringLiteral("ItmSpec"), 140}, {QStringLiteral("BomNo"), 80}, {QStringLiteral("UntName"), 40},
        {QStringLiteral("ManNote"), 140}, {QStringLiteral("OrigCust"), 100}, {QStringLiteral("OrigItmSpec"), 140},
        {QStringLiteral("LastStatus"), 80}};
    return widths.value(field, 70);
}

double NumberOf(const QVariant& v)
{
    return v.isNull() ? 0 : v.toDouble();
}

} // namespace

TMRPMainFrame::TMRPMainFrame(QWidget* owner, const TInfoObjectDef* objectDef) : TInfoGridView(owner, objectDef)
{
    grdMain->setObjectName(QStringLiteral("grvMain"));
    FRest = new TRowsReader(this);
    ViewCaption = objectDef ? objectDef->Name : QStringLiteral("主需求");
    auto design = [this](const char* field, const char* caption, int band) {
        TViewColumn* c = AddColumn(QLatin1String(field), QString::fromUtf8(caption), band);
        c->Visible = !c->FieldDef || c->FieldDef->Layout != flDefaultHide;
        c->Width = ColumnWidth(c->FieldName);
        return c;
    };
    // Each band gets its columns before the next band is added.
    const int fixed = Columns.AddBand(QString(), flFixedLeft);
    for (const auto& c : kFixedColumns)
        design(c.Field, c.Caption, fixed);
    const int normal = Columns.AddBand(QString());
    for (const auto& c : kColumns)
        design(c.Field, c.Caption, normal);
    for (int n = 1; n <= 10; ++n) {
        TViewColumn* c = AddColumn(QStringLiteral("ManItmProp%1").arg(n), QStringLiteral("辅助项%1").arg(n), normal);
        c->Tag = -100 - n;
        c->Visible = false;
    }
    FPeriodBand = Columns.AddBand(QStringLiteral("各期间计划数量"));
    for (const char* field : {"ManPriority", "ManNote", "ManDate", "ItmNo", "BomNo", "ManOrigTag", "ManOrigSubTag", "ManGroupType", "ManGroupNo"})
        if (TViewColumn* c = Columns.ByField(QLatin1String(field)))
            c->Editable = true;
    for (int n = 1; n <= 10; ++n)
        Columns.ByField(QStringLiteral("ManItmProp%1").arg(n))->Editable = true;
    // The group type of a free line is either none or a group of the planner's own.
    if (TViewColumn* c = Columns.ByField(QStringLiteral("ManGroupType"))) {
        c->Kind = ckEnum;
        c->EnumItems = {TEnumValue{EnumText(QStringLiteral("MrpGroupType"), 0), 0}, TEnumValue{EnumText(QStringLiteral("MrpGroupType"), 9), 9}};
    }
    if (TViewColumn* c = Columns.ByField(QStringLiteral("ItmNo"))) {
        c->OwnEditor = true;
        c->OnCreateEditor = [](QWidget* parent) {
            auto* edit = new TPickEdit(parent);
            TPickEditProperties& p = edit->Properties;
            p.FCaption = QStringLiteral("物料代码");
            p.FSQL = QStringLiteral("select * from (select ItmNo as \"物料代码\", ItmName as \"物料名称\", ItmSpec as \"规格型号\", "
                                    "ItmTypeName as \"物料属性\" from KX_Base_ItemMaster where ItmDisabled=0) as t");
            p.FWhereOrder = QStringLiteral("\"物料代码\" like '%'||%0:s||'%' or \"物料名称\" like '%'||%0:s||'%' or "
                                           "\"规格型号\" like '%'||%0:s||'%' order by \"物料代码\"");
            p.FFixedFields = QStringLiteral("物料代码");
            p.FTextField = QStringLiteral("物料代码");
            return edit;
        };
    }
    // The BOM of a free line: one of the item's BOMs valid on the need date.
    if (TViewColumn* c = Columns.ByField(QStringLiteral("BomNo"))) {
        c->OwnEditor = true;
        c->OnCreateEditor = [this](QWidget* parent) -> QWidget* {
            const int record = FocusedRecord();
            if (record < 0)
                return new TPickEdit(parent);
            return NewItemBomEdit(parent, Records().Value(record, QStringLiteral("ManItmID")).toString(),
                                  Records().Value(record, QStringLiteral("ManItmProps")).toString(), Records().Value(record, FDateField).toDate());
        };
    }

    lblPlanState = new QLabel(this);
    lblPlanState->setObjectName(QStringLiteral("lblPlanState"));
    auto* head = new QHBoxLayout;
    head->setContentsMargins(4, 2, 4, 2);
    head->addStretch(1);
    head->addWidget(new QLabel(QStringLiteral("最新状态:"), this));
    head->addWidget(lblPlanState);
    ContentLayout()->insertLayout(0, head);

    RecordModel()->SetComputedFields({
        [](const QString& field) { return field.size() > kPeriodField.size() && field.startsWith(kPeriodField, Qt::CaseInsensitive); },
        [this](int row, const QString& field) {
            const double qty = PeriodCellQty(QtyOf(row), Periods(), PeriodOfField(field));
            return qty == 0 ? QVariant() : QVariant(qty);
        },
        [this](int row, const QString& field, const QVariant& value, QString*) {
            TMainLineQty qty = QtyOf(row);
            if (!TypePeriodQty(qty, Periods(), PeriodOfField(field), value.toString()))
                return false;
            SetQty(row, qty);
            return true;
        }});
    RecordModel()->SetCellEditableHook([this](int row, const TViewColumn* column) { return CellEditable(row, column); });
    connect(RecordModel(), &TRecordTableModel::CellEdited, this, &TMRPMainFrame::grdMainEditValueChanged);
    grdMain->viewport()->installEventFilter(this);
    grdMain->installEventFilter(this);
    ShowPlanState();
}

const TPlanPeriods& TMRPMainFrame::Periods() const
{
    static const TPlanPeriods none;
    if (!FPlanScheme)
        return none;
    return FPlanScheme->MpsPeriods.size() > 2 ? FPlanScheme->MpsPeriods : FPlanScheme->PlanPeriods;
}

int TMRPMainFrame::PeriodOfField(const QString& field) const
{
    return field.mid(kPeriodField.size()).toInt();
}

void TMRPMainFrame::SetPlanScheme(TPlanScheme* scheme, const TPlanSchemeUIEvents* events)
{
    if (GetEditMode())
        LeaveEditing(false);
    FPlanScheme = scheme && scheme->SchemeIID > 0 ? scheme : nullptr;
    FEvents = events;
    FDeleted.clear();
    Modified = false;
    DataIsFresh = false;
    // Lines still being read belong to the scheme shown until now.
    FRest->Cancel();
    BuildPeriodColumns();
    ShowPlanState();
    if (!FPlanScheme)
        RecordModel()->Clear();
}

void TMRPMainFrame::BuildPeriodColumns()
{
    for (const TPlanPeriodCol& p : PeriodColumns)
        Columns.Remove(p.Column);
    PeriodColumns.clear();
    const TPlanPeriods& periods = Periods();
    for (int i = 0; i < periods.size(); ++i) {
        TViewColumn* c = Columns.Add(kPeriodField + QString::number(i), PeriodColumnCaption(periods, i), FPeriodBand);
        c->Tag = i + 1;
        // Wide enough for a caption of two dates ("12/28-01/03") to show whole.
        c->Width = 84;
        c->Editable = true;
        c->Sortable = false;
        c->Filterable = false;
        c->Kind = ckNumber;
        c->DataType = ftFloat;
        c->Alignment = Qt::AlignRight | Qt::AlignVCenter;
        PeriodColumns << TPlanPeriodCol{i, c};
    }
    ApplyViewLayout();
}

void TMRPMainFrame::ApplyViewLayout()
{
    TInfoGridView::ApplyViewLayout();
    // Period columns sum as the plan quantity does.
    const TViewColumn* qty = Columns.ByField(QStringLiteral("ManQty"));
    for (const TPlanPeriodCol& p : PeriodColumns)
        p.Column->Summary = qty ? qty->Summary : skNone;
}

void TMRPMainFrame::ShowPlanState()
{
    ShowPlanStateText(lblPlanState, FPlanScheme);
}

void TMRPMainFrame::CacheFields()
{
    const TRecordSet& r = Records();
    FDateField = r.FieldIndex(QStringLiteral("ManDate"));
    FNeedField = r.FieldIndex(QStringLiteral("ManNeedQty"));
    FAdjField = r.FieldIndex(QStringLiteral("ManAdjQty"));
    FQtyField = r.FieldIndex(QStringLiteral("ManQty"));
    FHintsField = r.FieldIndex(QStringLiteral("ManHints"));
    FTypeField = r.FieldIndex(QStringLiteral("ManBillType"));
    FGroupTypeField = r.FieldIndex(QStringLiteral("ManGroupType"));
    FMaskField = r.FieldIndex(QStringLiteral("PropMask"));
}

bool TMRPMainFrame::RowsPending() const
{
    return FRest->Pending();
}

void TMRPMainFrame::WaitForRows()
{
    FRest->Wait();
}

std::unique_ptr<TExportTable> TMRPMainFrame::CreateExportTable()
{
    FRest->Wait();
    return TInfoGridView::CreateExportTable();
}

void TMRPMainFrame::LoadData(bool KeepPosition)
{
    if (!FPlanScheme) {
        FRest->Cancel();
        RecordModel()->Clear();
        return;
    }
    const QString position = KeepPosition ? GetViewPosition() : QString();
    QStringList fields = RequiredFields();
    for (const TViewColumn* c : Columns.DisplayOrder())
        if (c->Tag < 1 && ObjectDef && ObjectDef->GetFieldDef(c->FieldName) && !fields.contains(c->FieldName, Qt::CaseInsensitive))
            fields << c->FieldName;
    QString extra = QStringLiteral("s.ManItmID as \"ManItmID\", s.ManBomType as \"ManBomType\", s.ManBomID as \"ManBomID\", "
                                   "%1 as \"PropMask\", s.ManHints as \"ManHints\", cast(null as numeric(28,8)) as \"DumbQty\"")
                        .arg(ItemPropMaskSQL(QStringLiteral("i")));
    for (const char* name : {"ManItmProps", "ManOrigTag", "ManOrigSubTag", "ManGroupType", "ManGroupNo"})
        if (!ObjectDef || !ObjectDef->GetFieldDef(QLatin1String(name)))
            extra += QStringLiteral(", s.%1 as \"%1\"").arg(QLatin1String(name));
    const QString select = BuildViewSQL(MakeFieldList(fields), extra, QStringLiteral("s.ManSchIID=%1").arg(SQLInt(FPlanScheme->SchemeIID)),
                                        QStringLiteral("s.ManDate, s.ManPriority desc, s.ManBillType, i.ItmNo, s.ManBillNo"), true);
    if (select.isEmpty())
        return;
    FRest->Cancel();
    if (!GetEditMode()) {
        BuiltSQL = select;
        // A large main demand shows its first lines at once (the lines come in the view's
        // order from the index by scheme, date, priority and kind) and the rest when it has
        // been read behind them. Sorted or grouped by the user, the grid needs every line;
        // under a row limit the statement reads no more than the limit anyway.
        const bool limited = Env() && Env()->MaxRows > 0;
        if (!limited && Columns.SortColumns().isEmpty() && Columns.GroupColumns().isEmpty()) {
            {
                TWaitCursor wait;
                if (OpenData(QStringLiteral("%1 limit %2").arg(select).arg(kFirstLines), false) < kFirstLines) {
                    CacheFields();
                    if (KeepPosition && !position.isEmpty())
                        SetViewPosition(position);
                    return;
                }
            }
            CacheFields();
            if (KeepPosition && !position.isEmpty())
                SetViewPosition(position);
            FRest->Start(select, [this](TQuery&& rows) {
                const QString at = GetViewPosition();
                const int scrolled = grdMain->verticalScrollBar()->value();
                TakeData(std::move(rows), true);
                CacheFields();
                SetViewPosition(at);
                grdMain->verticalScrollBar()->setValue(scrolled);
            });
            return;
        }
    } else {
        // Edit mode keeps the rows as they were read while the planner works on them.
        BuiltSQL = QStringLiteral("drop table if exists tmp_KX_MRP_MainView;\r"
                                  "create temp table tmp_KX_MRP_MainView on commit drop as %1;\r"
                                  "select * from tmp_KX_MRP_MainView order by %2")
                       .arg(select, EditOrder.isEmpty() ? QStringLiteral("\"ManDate\", \"ManPriority\", \"ManBillType\", \"ItmNo\", \"ManBillNo\"")
                                                        : EditOrder);
    }
    {
        TWaitCursor wait;
        OpenData(BuiltSQL, true);
    }
    CacheFields();
    if (KeepPosition && !position.isEmpty())
        SetViewPosition(position);
}

TMainLineQty TMRPMainFrame::QtyOf(int Record) const
{
    const TRecordSet& r = Records();
    TMainLineQty q;
    q.Date = r.Value(Record, FDateField).toDate();
    q.NeedQty = NumberOf(r.Value(Record, FNeedField));
    q.AdjQty = NumberOf(r.Value(Record, FAdjField));
    q.Qty = NumberOf(r.Value(Record, FQtyField));
    q.Hints = r.Value(Record, FHintsField).toString();
    return q;
}

void TMRPMainFrame::SetQty(int Record, const TMainLineQty& qty)
{
    SetCellValue(Record, QStringLiteral("ManQty"), qty.Qty);
    SetCellValue(Record, QStringLiteral("ManAdjQty"), qty.AdjQty);
    SetCellValue(Record, QStringLiteral("ManHints"), qty.Hints);
    Modified = true;
}

TMainLine TMRPMainFrame::LineOf(int Record) const
{
    const TRecordSet& r = Records();
    auto text = [&](const char* field) { return r.Value(Record, QLatin1String(field)).toString(); };
    TMainLine line;
    line.IID = r.Value(Record, QStringLiteral("ManIID")).toInt();
    line.BillType = r.Value(Record, FTypeField).toInt();
    line.Priority = r.Value(Record, QStringLiteral("ManPriority")).toInt();
    line.ItmID = text("ManItmID");
    line.ItmNo = text("ItmNo");
    line.ItmProps = text("ManItmProps");
    line.PropMask = text("PropMask");
    for (int n = 0; n < 10; ++n)
        line.ItmProp[n] = r.Value(Record, QStringLiteral("ManItmProp%1").arg(n + 1)).toString();
    line.BomType = r.Value(Record, QStringLiteral("ManBomType")).toInt();
    line.BomID = text("ManBomID");
    line.BomNo = text("BomNo");
    line.OrigTag = text("ManOrigTag");
    line.OrigSubTag = text("ManOrigSubTag");
    line.GroupType = r.Value(Record, FGroupTypeField).toInt();
    line.GroupNo = text("ManGroupNo");
    line.Note = text("ManNote");
    line.Q = QtyOf(Record);
    return line;
}

bool TMRPMainFrame::CellEditable(int Record, const TViewColumn* Column) const
{
    if (!RecordModel()->Editing())
        return false;
    const QString& field = Column->FieldName;
    const bool free = Records().Value(Record, FTypeField).toInt() == btFreeNeed;
    if (FreeLineField(field))
        return free;
    if (field.compare(QLatin1String("ManGroupNo"), Qt::CaseInsensitive) == 0)
        return free && Records().Value(Record, FGroupTypeField).toInt() != 0;
    if (field.startsWith(QLatin1String("ManItmProp"), Qt::CaseInsensitive)) {
        const int n = field.mid(10).toInt();
        return free && Records().Value(Record, FMaskField).toString().mid(n - 1, 1) == QLatin1String("1");
    }
    return true;
}

void TMRPMainFrame::FetchCustomDrawFormat(int Record, TCellDrawFormat& Format, const TViewColumn* Column)
{
    if (GetEditMode() && Column && Column->Editable && CellEditable(Record, Column))
        Format.Background = kEditBackColor;
}

int TMRPMainFrame::ActionCommand(const QString& id) const
{
    for (qsizetype i = 0; ObjectDef && i < ObjectDef->Actions.size(); ++i)
        if (ObjectDef->Actions[i].ID.compare(id, Qt::CaseInsensitive) == 0)
            return cmdAction + int(i);
    return -1;
}

bool TMRPMainFrame::SchemeUsable() const
{
    return FPlanScheme && FPlanScheme->SchemeIID > 0 && FPlanScheme->PlanState < psPublished;
}

bool TMRPMainFrame::QueryCommandState(int Command, TCommandState& State)
{
    const int n = Command - cmdAction;
    if (ObjectDef && n >= 0 && n < ObjectDef->Actions.size()) {
        const QString id = ObjectDef->Actions[n].ID;
        const bool usable = SchemeUsable();
        const bool schemeIdle = usable && !FPlanScheme->Editing;
        const int state = usable ? FPlanScheme->PlanState : -1;
        bool enabled = false;
        bool checked = false;
        if (id.compare(QLatin1String("MPS"), Qt::CaseInsensitive) == 0)
            enabled = schemeIdle && !GetEditMode();
        else if (id.compare(QLatin1String("Adjust"), Qt::CaseInsensitive) == 0)
            enabled = schemeIdle && (FPlanScheme->PlanSource != srcImport || Records().RecordCount() > 0);
        else if (id.compare(QLatin1String("Update"), Qt::CaseInsensitive) == 0) {
            enabled = usable && state >= psMPSReady && (GetEditMode() || !FPlanScheme->Editing);
            checked = GetEditMode();
        } else if (id.compare(QLatin1String("AddNeed"), Qt::CaseInsensitive) == 0)
            enabled = usable && GetEditMode();
        else if (id.compare(QLatin1String("DelNeed"), Qt::CaseInsensitive) == 0)
            enabled = usable && GetEditMode() && Records().RecordCount() > 0;
        else if (id.compare(QLatin1String("MRP"), Qt::CaseInsensitive) == 0)
            enabled = schemeIdle && !GetEditMode() && state >= psMPSReady;
        else
            return TInfoGridView::QueryCommandState(Command, State);
        State = (enabled ? TCommandState(csEnabled) : 0) | (checked ? TCommandState(csChecked) : 0);
        return true;
    }
    return TInfoGridView::QueryCommandState(Command, State);
}

bool TMRPMainFrame::ExecCommand(int Command)
{
    const int n = Command - cmdAction;
    if (ObjectDef && n >= 0 && n < ObjectDef->Actions.size()) {
        const QString id = ObjectDef->Actions[n].ID.toLower();
        if (id == QLatin1String("mps")) {
            if (FEvents && FEvents->RunMPS)
                FEvents->RunMPS();
        } else if (id == QLatin1String("adjust")) {
            Adjust();
        } else if (id == QLatin1String("update")) {
            ToggleEditMode();
        } else if (id == QLatin1String("addneed")) {
            AddNeed();
        } else if (id == QLatin1String("delneed")) {
            DelNeed();
        } else if (id == QLatin1String("mrp")) {
            if (FEvents && FEvents->RunMRP)
                FEvents->RunMRP();
        } else {
            return TInfoGridView::ExecCommand(Command);
        }
        return true;
    }
    return TInfoGridView::ExecCommand(Command);
}

void TMRPMainFrame::EnterEditMode()
{
    FDeleted.clear();
    EnterGridEditMode();
}

void TMRPMainFrame::LeaveEditMode()
{
    LeaveEditing(true);
}

void TMRPMainFrame::LeaveEditing(bool refresh)
{
    FDeleted.clear();
    LeaveGridEditMode({}, refresh);
}

void TMRPMainFrame::AddNeed()
{
    if (!GetEditMode())
        return;
    const int record = RecordModel()->AppendRecord();
    CacheFields();
    SetCellValue(record, QStringLiteral("ManBillType"), btFreeNeed);
    SetCellValue(record, QStringLiteral("ManGroupType"), 0);
    SetCellValue(record, QStringLiteral("ManPriority"), 0);
    for (const char* field : {"ManNeedQty", "ManAdjQty", "ManQty"})
        SetCellValue(record, QLatin1String(field), 0.0);
    Modified = true;
    FocusRecord(record);
    const QModelIndex cell = RowModel()->IndexOfSourceRow(record, RecordModel()->ColumnOf(QStringLiteral("ManDate")));
    if (cell.isValid()) {
        grdMain->setCurrentIndex(cell);
        grdMain->setFocus();
        grdMain->edit(cell);
    }
}

void TMRPMainFrame::DelNeed()
{
    const QList<int> rows = SelectedRows();
    if (!GetEditMode() || rows.isEmpty())
        return;
    if (ShowQuestion(QStringLiteral("您所选的项目将被删除, 确定?"), mbOKCancel | mbDefButton2) != mrOK)
        return;
    QList<int> records;
    for (int r : rows) {
        if (r < 0)
            continue;
        const QVariant iid = Records().Value(r, QStringLiteral("ManIID"));
        if (!iid.isNull() && iid.toInt() > 0)
            FDeleted << iid.toInt();
        records << r;
    }
    RecordModel()->RemoveRecords(records);
    Modified = true;
}

bool TMRPMainFrame::PeriodCellClicked(int Record, int Period)
{
    if (!GetEditMode() || Record < 0)
        return false;
    TMainLineQty qty = QtyOf(Record);
    if (!MovePeriodQty(qty, Periods(), Period))
        return false;
    SetQty(Record, qty);
    return true;
}

bool TMRPMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    QModelIndex index;
    if (watched == grdMain->viewport() && event->type() == QEvent::MouseButtonDblClick)
        index = grdMain->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
    else if (watched == grdMain && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space
             && !grdMain->indexWidget(grdMain->currentIndex()))
        index = grdMain->currentIndex();
    if (index.isValid() && GetEditMode()) {
        const QString field = index.data(vrFieldName).toString();
        if (RecordModel()->IsComputed(field)) {
            PeriodCellClicked(RowModel()->SourceRow(index), PeriodOfField(field));
            return true;
        }
    }
    return TInfoGridView::eventFilter(watched, event);
}

void TMRPMainFrame::grdMainEditValueChanged(int Record, const QString& Field)
{
    const bool item = Field.compare(QLatin1String("ItmNo"), Qt::CaseInsensitive) == 0;
    const bool bom = Field.compare(QLatin1String("BomNo"), Qt::CaseInsensitive) == 0;
    if (!GetEditMode() || FResolving || !(item || bom))
        return;
    FResolving = true;
    if (item)
        ResolveItem(Record);
    else
        ResolveBom(Record);
    FResolving = false;
}

void TMRPMainFrame::ResolveItem(int Record)
{
    TMainItem item;
    if (FindMainItem(SharedConnection(), Records().Value(Record, QStringLiteral("ItmNo")).toString(), item)) {
        SetCellValue(Record, QStringLiteral("ManItmID"), item.ItmID);
        SetCellValue(Record, QStringLiteral("ItmName"), item.ItmName);
        SetCellValue(Record, QStringLiteral("ItmSpec"), item.ItmSpec);
        SetCellValue(Record, QStringLiteral("UntName"), item.UntName);
        SetCellValue(Record, QStringLiteral("ItmPlanner"), item.Planner);
        SetCellValue(Record, QStringLiteral("ItmBuyer"), item.Buyer);
        SetCellValue(Record, QStringLiteral("PropMask"), item.PropMask);
        for (int n = 0; n < 10; ++n)
            if (item.PropMask.mid(n, 1) != QLatin1String("1"))
                SetCellValue(Record, QStringLiteral("ManItmProp%1").arg(n + 1), QVariant());
    } else {
        SetCellValue(Record, QStringLiteral("ManItmID"), QVariant());
    }
    // A BOM belongs to its item.
    SetCellValue(Record, QStringLiteral("BomNo"), QVariant());
    SetCellValue(Record, QStringLiteral("ManBomType"), 0);
    SetCellValue(Record, QStringLiteral("ManBomID"), QVariant());
}

void TMRPMainFrame::ResolveBom(int Record)
{
    // A number the item has no BOM of stays as typed, without a BOM behind it: the save
    // refuses it on its cell.
    TItemBom bom;
    const QString no = Records().Value(Record, QStringLiteral("BomNo")).toString().trimmed();
    const bool found = !no.isEmpty() && FindItemBom(SharedConnection(), Records().Value(Record, QStringLiteral("ManItmID")).toString(),
                                                    Records().Value(Record, QStringLiteral("ManItmProps")).toString(),
                                                    Records().Value(Record, FDateField).toDate(), no, bom);
    if (found)
        SetCellValue(Record, QStringLiteral("BomNo"), bom.No);
    SetCellValue(Record, QStringLiteral("ManBomType"), bom.Type);
    SetCellValue(Record, QStringLiteral("ManBomID"), found ? QVariant(bom.ID) : QVariant());
}

bool TMRPMainFrame::TagHidden() const
{
    const TViewColumn* c = Columns.ByField(QStringLiteral("ManOrigTag"));
    return !c || !c->Visible;
}

void TMRPMainFrame::FocusFault(int Record, const QString& Field, const QString& Message)
{
    ShowWarning(Message);
    FocusRecord(Record);
    const QModelIndex cell = RowModel()->IndexOfSourceRow(Record, RecordModel()->ColumnOf(Field));
    if (!cell.isValid())
        return;
    grdMain->setCurrentIndex(cell);
    grdMain->setFocus();
    if (RecordModel()->flags(RowModel()->mapToSource(cell)) & Qt::ItemIsEditable)
        grdMain->edit(cell);
}

bool TMRPMainFrame::SaveData()
{
    if (!GetEditMode() || !FPlanScheme)
        return false;
    CommitPendingEdit(grdMain);
    if (FEvents && FEvents->CheckState && !FEvents->CheckState(false))
        return false;
    const QString position = GetViewPosition();
    const TRecordSet& records = Records();
    const int iid = FPlanScheme->SchemeIID;
    const TPlanPeriods periods = Periods();
    QStringList statements;
    for (int r = 0; r < records.RecordCount(); ++r) {
        if (!records.RecordModified(r))
            continue;
        TMainLine line = LineOf(r);
        if (line.BillType == btFreeNeed) {
            const TMainLineFault fault = CheckFreeLine(
                SharedConnection(), line, periods, [this](const QString& f) { return RecordModel()->FieldCaption(f); }, TagHidden());
            if (fault.IsFault()) {
                FocusFault(r, fault.Field, fault.Message);
                return false;
            }
        }
        statements << MainLineSaveSQL(iid, line, periods);
    }
    // Lines typed before any main demand was fetched are counted in the scheme's periods,
    // which become those of its main demand.
    if (FPlanScheme->MpsPeriods.size() <= 2)
        statements << QStringLiteral("update KX_MRP_Schemes set SchMpsCalIID=%1, SchMpsPeriods=%2 where SchIID=%3")
                          .arg(SQLInt(FPlanScheme->PlanCalIID), QuotedStr(PlanPeriodsToText(periods)), SQLInt(iid));
    try {
        TWaitCursor wait;
        TSchemeLock lock(SharedConnection(), iid, FPlanScheme->SchemeName, kMainEditOperation);
        SaveMainLines(SharedConnection(), iid, FDeleted, statements);
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& e) {
        ShowException(e);
        ShowError(QStringLiteral("保存过程中出现意外错误, 操作被中止!"));
        return false;
    }
    FDeleted.clear();
    Modified = false;
    if (FEvents && FEvents->RefreshState)
        FEvents->RefreshState();
    FPlanScheme->MpsPeriods = periods;
    ShowPlanState();
    RefreshData(false);
    SetViewPosition(position);
    return true;
}

void TMRPMainFrame::Adjust()
{
    if (!SchemeUsable() || !FEvents || !FEvents->CheckState || !FEvents->CheckState(false))
        return;
    if (GetEditMode() && Modified && !SaveData())
        return;
    TMRPMainAdjustDlg::Execute(this, *FPlanScheme, SelectedRows().isEmpty() ? QList<int>() : [this] {
        QList<int> ids;
        for (int r : SelectedRows())
            if (r >= 0 && !Records().Value(r, QStringLiteral("ManIID")).isNull())
                ids << Records().Value(r, QStringLiteral("ManIID")).toInt();
        return ids;
    }());
    if (FEvents->RefreshState)
        FEvents->RefreshState();
    ShowPlanState();
    RefreshData(true);
}

} // namespace kx
