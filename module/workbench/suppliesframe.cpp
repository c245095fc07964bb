#include "workbench/suppliesframe.h"

#include "db/errors.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/strutils.h"
#include "views/columneditor.h"
#include "views/commonui.h"
#include "views/designedcolumns.h"
#include "views/gridmodel.h"
#include "views/hostobject.h"
#include "views/messagebox.h"
#include "views/pickedit.h"
#include "workbench/itembomedit.h"
#include "workbench/schemeviewlink.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace kx {

namespace {

const QString kPlanTypeParam = QStringLiteral("[PlanType]");
const QString kDefaultOrder = QStringLiteral("i.ItmNo, s.SupDate, s.SupBillType, s.SupBillNo");
const QString kEditOrder = QStringLiteral("\"ItmNo\", \"SupDate\", \"SupBillType\", \"SupBillNo\"");
constexpr int kAllTypes = kSupplyPlanTypeAll;

// The designed columns, band by band.
const QList<TDesignedColumn> kItemColumns{
    {"ItmNo", "物料代码", 90}, {"ItmName", "物料名称", 100}, {"ItmSpec", "规格型号", 120}, {"SupBillType", "类型", 90}};
const QList<TDesignedColumn> kBillColumns{
    {"SupBillNo", "单据编号", 100}, {"SupBillEntry", "单据行", 44}, {"SupDate", "交货日期", 78}, {"DeptName", "供应单位", 90},
    {"BomNo", "BOM单", 110},         {"SupDrawDate", "发料日期", 78}, {"SupNote", "备注", 90},    {"UntName", "单位", 40}};
const QList<TDesignedColumn> kQtyColumns{
    {"SupBillQty", "单据数量", 70}, {"SupOkQty", "执行数量", 70},     {"SupAdjQty", "(调整数)", 70}, {"SupQty", "计划数量", 70},
    {"SupChkQty", "(在检数)", 70},  {"SupAllotQty", "被分配数", 70},  {"SupAReplQty", "(替代他料)", 70},
    {"SupRestQty", "剩余数量", 70}, {"SupDestQty", "已投放数", 70},   {"SupUnDestQty", "未投放数", 70},
    {"SupDester", "投放人", 60},    {"SupDestTime", "投放时间", 120}};
const QList<TDesignedColumn> kOriginColumns{
    {"OrigType", "主需求", 70},          {"OrigNo", "主需求号", 100},         {"OrigCust", "主需求客户", 100},
    {"OrigCustPO", "主需求客户单号", 100}, {"OrigItmNo", "主需求物料代码", 100}, {"OrigItmName", "主需求物料名称", 110},
    {"OrigItmSpec", "主需求规格型号", 100}, {"SupBillDate", "下单日期", 78},      {"SupOrigTag", "需求分类号", 90},
    {"SupOrigSubTag", "子件需求分类号", 90}, {"SupGroupType", "MRP分组", 80},     {"SupGroupNo", "MRP分组号", 90}};
const QList<TDesignedColumn> kPlanningColumns{
    {"ItmPlanner", "计划员", 60},       {"ItmBuyer", "采购员", 60},         {"ItmMinQty", "最小供应量", 70},
    {"ItmLotQty", "批量增量", 70},      {"ItmFixLeadTime", "固定提前期", 60}, {"ItmVarLeadTime", "变动提前期", 60},
    {"ItmVarLeadLot", "变动提前期批量", 80}};

const QList<TDesignedColumn> kPropColumns{
    {"SupItmProp1", "辅助项1", 70}, {"SupItmProp2", "辅助项2", 70}, {"SupItmProp3", "辅助项3", 70}, {"SupItmProp4", "辅助项4", 70},
    {"SupItmProp5", "辅助项5", 70}, {"SupItmProp6", "辅助项6", 70}, {"SupItmProp7", "辅助项7", 70}, {"SupItmProp8", "辅助项8", 70},
    {"SupItmProp9", "辅助项9", 70}, {"SupItmProp10", "辅助项10", 70}};

const char* const kEditableFields[] = {"SupBillType", "BomNo", "SupQty", "SupAdjQty"};

bool SameField(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

TMRPSuppliesFrame::TMRPSuppliesFrame(QWidget* owner, const TInfoObjectDef* objectDef) : TInfoGridView(owner, objectDef)
{
    grdMain->setObjectName(QStringLiteral("grvSupplies"));
    Link = new TSchemeViewLink(this);
    AddDesignedColumns(*this, {{"", flFixedLeft, kItemColumns},
                               {"供应单据", flNormal, kBillColumns},
                               {"供应数量", flNormal, kQtyColumns},
                               {"主需求", flNormal, kOriginColumns},
                               {"计划参数", flNormal, kPlanningColumns},
                               {"辅助属性", flNormal, kPropColumns}});
    for (const char* field : kEditableFields)
        Columns.ByField(QLatin1String(field))->Editable = true;
    TViewColumn* bom = Columns.ByField(sf::BomNo);
    bom->OwnEditor = true;
    bom->OnCreateEditor = [this](QWidget* parent) { return CreateBomEditor(parent); };

    cboPlanType = new QComboBox(this);
    cboPlanType->setObjectName(QStringLiteral("cboPlanType"));
    cboPlanType->addItems(SupplyPlanTypeCaptions());
    cboPlanType->setCurrentIndex(kAllTypes);
    auto* label = new QLabel(QStringLiteral("计划类型(&T):"), this);
    label->setBuddy(cboPlanType);
    ContentLayout()->insertLayout(0, Link->NewBar({label, cboPlanType}));
    connect(cboPlanType, &QComboBox::currentIndexChanged, this, &TMRPSuppliesFrame::cboPlanTypeChange);
    connect(RecordModel(), &TRecordTableModel::CellEdited, this, &TMRPSuppliesFrame::grdSuppliesEditValueChanged);
}

void TMRPSuppliesFrame::SetPlanScheme(TPlanScheme* scheme, const TPlanSchemeUIEvents* events)
{
    // Another scheme, or new results: edits of the rows shown so far are dropped.
    if (GetEditMode()) {
        FLines.clear();
        LeaveGridEditMode([this] { SetTypeEditorItems(false); }, false);
    }
    Link->Set(scheme, events);
}

void TMRPSuppliesFrame::InitializeView(const QString& AAsDetailID, IInfoView* AMasterView)
{
    TInfoGridView::InitializeView(AAsDetailID, AMasterView);
    bool ok = false;
    const int kept = GetParamValue(ViewScheme.Params, kPlanTypeParam).toInt(&ok);
    const QSignalBlocker block(cboPlanType);
    cboPlanType->setCurrentIndex(ok && kept >= 0 && kept < SupplyPlanTypeCaptions().size() ? kept : kAllTypes);
}

int TMRPSuppliesFrame::PlanType() const
{
    return cboPlanType->currentIndex();
}

void TMRPSuppliesFrame::SetPlanType(int index)
{
    cboPlanType->setCurrentIndex(index);
}

void TMRPSuppliesFrame::cboPlanTypeChange()
{
    if (PlanType() == FShownPlanType)
        return;
    // Unsaved edits of the rows shown so far are saved or dropped first.
    if (GetEditMode() && !QuerySaveEdits()) {
        const QSignalBlocker block(cboPlanType);
        cboPlanType->setCurrentIndex(FShownPlanType);
        return;
    }
    ViewScheme.Params = SetParamValue(ViewScheme.Params, kPlanTypeParam, QString::number(PlanType()));
    // The virtual, skip and stock lines cannot be edited.
    if (GetEditMode() && (PlanType() == 7 || PlanType() == 8))
        LeaveEditMode();
    else
        RefreshData(false);
}

bool TMRPSuppliesFrame::QueryClose()
{
    ViewScheme.Params = SetParamValue(ViewScheme.Params, kPlanTypeParam, QString::number(PlanType()));
    return TInfoGridView::QueryClose();
}

bool TMRPSuppliesFrame::QueryCommandState(int Command, TCommandState& State)
{
    const TPlanScheme* scheme = Link->Scheme();
    if (Command >= cmdAction && Command == ObjectActionCommand(ObjectDef, QStringLiteral("Update"))) {
        const bool editable = PlanType() != 7 && PlanType() != 8;
        const bool enabled = Link->Plannable() && scheme->PlanState >= psMPSReady && (GetEditMode() || !scheme->Editing) && editable;
        State = (enabled ? TCommandState(csEnabled) : 0) | (GetEditMode() ? TCommandState(csChecked) : 0);
        return true;
    }
    if (Command >= cmdAction && Command == ObjectActionCommand(ObjectDef, QStringLiteral("MRP"))) {
        const int state = Link->State();
        const bool enabled = Link->Plannable() && !scheme->Editing && !GetEditMode()
            && (state == psMPSChanged || state == psParamsChangedMRP || state == psResultsChanged);
        State = enabled ? TCommandState(csEnabled) : 0;
        return true;
    }
    return TInfoGridView::QueryCommandState(Command, State);
}

bool TMRPSuppliesFrame::ExecCommand(int Command)
{
    TCommandState state = 0;
    if (Command >= cmdAction && Command == ObjectActionCommand(ObjectDef, QStringLiteral("Update"))) {
        if (QueryCommandState(Command, state) && (state & csEnabled))
            ToggleEditMode();
        return true;
    }
    if (Command >= cmdAction && Command == ObjectActionCommand(ObjectDef, QStringLiteral("MRP"))) {
        if (QueryCommandState(Command, state) && (state & csEnabled) && Link->Events() && Link->Events()->RunMRP)
            Link->Events()->RunMRP();
        return true;
    }
    return TInfoGridView::ExecCommand(Command);
}

void TMRPSuppliesFrame::EnterEditMode()
{
    EnterGridEditMode([this] { SetTypeEditorItems(true); });
}

void TMRPSuppliesFrame::LeaveEditMode()
{
    FLines.clear();
    LeaveGridEditMode([this] { SetTypeEditorItems(false); });
}

void TMRPSuppliesFrame::SetTypeEditorItems(bool editing)
{
    TViewColumn* type = Columns.ByField(sf::BillType);
    if (!type || !type->FieldDef)
        return;
    SetupColumnByField(*type, *type->FieldDef);
    if (editing)
        type->EnumItems.removeIf([](const TEnumValue& item) { return !IsAdjustableSupplyType(item.Value); });
}

void TMRPSuppliesFrame::LoadData(bool KeepPosition)
{
    const QString position = KeepPosition ? GetViewPosition() : QString();
    FShownPlanType = PlanType();
    FLines.clear();
    if (!Link->Loaded()) {
        RecordModel()->Clear();
        return;
    }
    const bool editing = GetEditMode();
    const QList<int> types = SupplyPlanTypeBillTypes(PlanType(), editing);
    QString filter = QStringLiteral("s.SupSchIID=%1").arg(SQLInt(Link->Scheme()->SchemeIID));
    if (!types.isEmpty())
        filter += QStringLiteral(" and s.SupBillType in (%1)").arg(SQLIntList(types));
    filter += QStringLiteral(" and (s.SupQty>0 or s.SupBillType>=%1)").arg(btPlanMO);
    const QString fields = QStringLiteral("|SupBillQty|SupRestQty|SupAllotQty|SupBillNo|SupBillType|SupDate|SupDrawDate|SupQty|SupAdjQty|BomNo|SupDestQty|");
    QString extra = QStringLiteral("s.SupItmID, s.SupBomType, s.SupBomID, s.SupPHints, j.AdjSupIID, j.AdjOldType, j.AdjOldQty, "
                                   "j.AdjOldBomID, j.AdjPending");
    if (editing)
        extra += QStringLiteral(", s.SupBillType as \"SupSeenType\", s.SupBomID as \"SupSeenBomID\", s.SupQty as \"SupSeenQty\"");
    QString sql = BuildViewSQL(fields, extra, filter, kDefaultOrder, true);
    if (sql.isEmpty())
        return;
    // Edit mode works on a copy of the rows, in the order the layout had.
    if (editing)
        sql = QStringLiteral("drop table if exists tmp_KX_MRP_SuppliesView;\r"
                             "create temp table tmp_KX_MRP_SuppliesView on commit drop as %1;\r"
                             "select * from tmp_KX_MRP_SuppliesView order by %2")
                  .arg(sql, EditOrder.isEmpty() ? kEditOrder : EditOrder);
    BuiltSQL = sql;
    if (!LoadRows(BuiltSQL, true, position))
        return;
    if (editing)
        for (int r = 0; r < Records().RecordCount(); ++r)
            FLines.insert(r, SupplyLineOf([this, r](const QString& field) { return Records().Value(r, field); }));
}

void TMRPSuppliesFrame::FetchCustomDrawFormat(int Record, TCellDrawFormat& Format, const TViewColumn* Column)
{
    // Lines the planner adjusted stand out; released lines are done with.
    if (Records().Value(Record, QStringLiteral("SupDestQty")).toDouble() > 0)
        Format.TextColor = kDisabledTextColor;
    else if (!Records().Value(Record, QStringLiteral("AdjSupIID")).isNull())
        Format.TextColor = QColor(0, 64, 192);
    if (Column && SameField(Column->FieldName, QStringLiteral("SupRestQty")) && Records().Value(Record, Column->FieldName).toDouble() < 0)
        Format.TextColor = QColor(208, 0, 0);
    if (GetEditMode() && Column && Column->Editable)
        Format.Background = kEditBackColor;
}

QWidget* TMRPSuppliesFrame::CreateBomEditor(QWidget* parent)
{
    const int record = FocusedRecord();
    if (record < 0 || !FLines.contains(record))
        return new TPickEdit(parent);
    const TSupplyLine& line = FLines[record];
    return NewItemBomEdit(parent, line.ItmID, line.ItmProps, line.DrawDate);
}

void TMRPSuppliesFrame::grdSuppliesEditValueChanged(int Record, const QString& Field)
{
    if (!GetEditMode() || FResolving || !FLines.contains(Record))
        return;
    const bool known = SameField(Field, sf::BillType) || SameField(Field, sf::BomNo) || SameField(Field, sf::Qty) || SameField(Field, sf::AdjQty);
    if (!known)
        return;
    TSupplyLine line = FLines.value(Record);
    const QVariant value = Records().Value(Record, Field);
    TSupplyFault fault;
    try {
        if (line.DestQty > 0)
            fault = {Field, QStringLiteral("供应计划[%1]已有投放数量, 不能调整!").arg(line.BillNo)};
        else if (SameField(Field, sf::BillType))
            fault = ChangeSupplyType(SharedConnection(), line, value.toInt());
        else if (SameField(Field, sf::BomNo))
            fault = ChangeSupplyBom(SharedConnection(), line, value.toString());
        else if (SameField(Field, sf::Qty))
            ChangeSupplyQty(line, value.toDouble());
        else
            ChangeSupplyAdjQty(line, value.toDouble());
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& e) {
        WriteLine(Record, FLines.value(Record));
        ShowException(e);
        return;
    }
    if (!fault.IsEmpty()) {
        WriteLine(Record, FLines.value(Record));
        ShowWarning(fault.Message);
        return;
    }
    FLines.insert(Record, line);
    WriteLine(Record, line);
}

void TMRPSuppliesFrame::WriteLine(int Record, const TSupplyLine& line)
{
    FResolving = true;
    auto set = [&](const char* field, const QVariant& value) { SetCellValue(Record, QLatin1String(field), value); };
    auto text = [](const QString& t) { return t.isEmpty() ? QVariant() : QVariant(t); };
    set("SupBillType", line.BillType);
    set("SupBomType", line.BomType);
    set("SupBomID", text(line.BomID));
    set("BomNo", text(line.BomNo));
    set("SupAdjQty", line.AdjQty);
    set("SupQty", line.Qty);
    set("SupRestQty", line.RestQty);
    set("SupHints", text(line.Hints));
    set("AdjSupIID", line.HasAdjust ? QVariant(line.SupIID) : QVariant());
    set("AdjOldType", line.HasAdjust ? QVariant(line.AdjOldType) : QVariant());
    set("AdjOldBomID", line.HasAdjust ? text(line.AdjOldBomID) : QVariant());
    set("AdjOldQty", line.HasAdjust ? QVariant(line.AdjOldQty) : QVariant());
    set("AdjPending", line.HasAdjust ? QVariant(line.AdjPending ? 1 : 0) : QVariant());
    FResolving = false;
}

bool TMRPSuppliesFrame::SaveData()
{
    if (!GetEditMode() || !Link->Loaded())
        return false;
    CommitPendingEdit(grdMain);
    QList<TSupplyLine> lines;
    QList<int> records;
    for (int r = 0; r < Records().RecordCount(); ++r)
        if (FLines.contains(r) && SupplyLineChanged(FLines[r])) {
            lines << FLines[r];
            records << r;
        }
    TSupplySaveResult result;
    {
        TWaitCursor wait;
        result = SaveSupplyAdjustments(SharedConnection(), *Link->Scheme(), lines);
    }
    if (!result.Fault.IsEmpty()) {
        ShowCellFault(records.value(result.Fault.Line, -1), result.Fault.Field, result.Fault.Message);
        return false;
    }
    Link->RefreshState();
    if (!result.Saved)
        return false;
    Modified = false;
    const QString position = GetViewPosition();
    RefreshData(false);
    SetViewPosition(position);
    if (result.Notes.Any())
        ShowInfo(result.Notes.Text());
    return true;
}

} // namespace kx
