#include "masterdata/itemsettingframe.h"

#include "db/errors.h"
#include "db/fieldlists.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "db/strutils.h"
#include "masterdata/itemsetting.h"
#include "masterdata/lossratedlg.h"
#include "views/hostobject.h"
#include "views/columneditor.h"
#include "views/commonui.h"
#include "views/gridgroupmodel.h"
#include "views/gridlayout.h"
#include "views/gridmodel.h"
#include "views/pickedit.h"
#include "views/widgetservices.h"

#include <QTreeView>

namespace kx {

namespace {

// Picker columns and the settings column that stores the identity of their value.
const struct {
    const char* Field;
    const char* Identity;
} kPickerFields[] = {
    {"ItmPlanner", "ItmPlannerID"}, {"ItmBuyer", "ItmBuyerID"},   {"ItmPlanNo", "ItmPlanItmID"},
    {"ItmMODept", "ItmMODeptID"},   {"ItmPOSupp", "ItmPOSuppID"}, {"ItmOOSupp", "ItmOOSuppID"},
};

const QString kPlanNo = QStringLiteral("ItmPlanNo");

// The identities the edit-mode statement brings along, '' for an item without settings.
QString IdentityColumns()
{
    QStringList columns;
    for (const auto& p : kPickerFields)
        columns << QStringLiteral("coalesce(s.%1, '') as %2").arg(QLatin1String(p.Identity), QuotedIdent(QLatin1String(p.Identity)));
    return columns.join(QLatin1String(", "));
}

// A picked or found row of a picker: identity, code, name and specification.
QVariantMap PickerRow(const std::function<QVariant(const QString&)>& value)
{
    QVariantMap row;
    for (const char* name : {"#ID", "代码", "名称", "规格型号"})
        row.insert(QString::fromUtf8(name), value(QString::fromUtf8(name)));
    return row;
}

} // namespace

TItemSettingFrame::TItemSettingFrame(QWidget* owner, const TInfoObjectDef* objectDef) : TInfoGridView(owner, objectDef)
{
    grdMain->setObjectName(QStringLiteral("grvItemSetting"));
    const int fixed = Columns.AddBand(QString(), flFixedLeft);
    AddColumn(QStringLiteral("ItmID"), QStringLiteral("ItmID"), fixed)->Visible = false;
    AddColumn(QStringLiteral("ItmNo"), QStringLiteral("物料代码"), fixed)->Width = 100;
    AddColumn(QStringLiteral("ItmName"), QStringLiteral("物料名称"), fixed)->Width = 120;
    AddColumn(QStringLiteral("ItmSpec"), QStringLiteral("规格型号"), fixed)->Width = 100;

    const int people = Columns.AddBand(QString());
    AddColumn(QStringLiteral("ItmType"), QStringLiteral("物料属性"), people);
    AddColumn(QStringLiteral("ItmPlanner"), QStringLiteral("计划员"), people)->Editable = true;
    AddColumn(QStringLiteral("ItmBuyer"), QStringLiteral("采购员"), people)->Editable = true;
    AddColumn(QStringLiteral("ItmDisabled"), QStringLiteral("禁用"), people)->Width = 40;

    const int units = Columns.AddBand(QStringLiteral("计量单位"));
    for (const auto& [field, caption] : {std::pair{"UntName", "基本"}, {"BuyUnit", "采购"}, {"SaleUnit", "销售"}, {"ProdUnit", "生产"},
                                         {"InvUnit", "库存"}})
        AddColumn(QLatin1String(field), QString::fromUtf8(caption), units)->Width = 45;

    const int planning = Columns.AddBand(QStringLiteral("计划运算参数"));
    for (const auto& [field, caption] :
         {std::pair{"ItmMrpType", "计划属性"}, {"ItmMrpGroup", "计划分组模式"}, {"ItmMrpTrack", "计划跟踪类型"}, {"ItmSafeQty", "安全库存"},
          {"ItmMinQty", "最小供应量"}, {"ItmLotQty", "批量增量"}, {"ItmMaxQty", "最大供应量"}, {"ItmFixLeadTime", "固定提前期"},
          {"ItmVarLeadTime", "变动提前期"}, {"ItmVarLeadLot", "变动提前期批量"}, {"ItmPostLeadTime", "来料检验提前期"},
          {"ItmPreLeadTime", "开工备料提前期"}, {"ItmMOBomSkip", "作自制子件跳层"}, {"ItmOOBomSkip", "作委外子件跳层"},
          {"ItmMrpSkip", "不参与计划"}, {"ItmSuitSkip", "不参与齐套"}, {"ItmOutSkip", "不参与投放"}, {"ItmPlanNo", "预测物料代码"}})
        AddColumn(QLatin1String(field), QString::fromUtf8(caption), planning)->Editable = true;
    AddColumn(QStringLiteral("ItmPlanName"), QStringLiteral("预测物料名称"), planning);
    AddColumn(QStringLiteral("ItmPlanSpec"), QStringLiteral("预测规格型号"), planning);

    const int props = Columns.AddBand(QStringLiteral("计划运算支持辅助属性选项 (ERP同步设置后生效)"));
    Columns.Bands[props].Visible = false;

    const int release = Columns.AddBand(QStringLiteral("计划投放参数"));
    for (const auto& [field, caption] : {std::pair{"ItmPutLossType", "投料损耗率控制"}, {"ItmPutLossRate", "投料默认损耗率"},
                                         {"ItmPutInteger", "投料取整"}, {"ItmMODept", "默认生产部门"}, {"ItmPOSupp", "默认供应商"},
                                         {"ItmOOSupp", "默认加工商"}})
        AddColumn(QLatin1String(field), QString::fromUtf8(caption), release)->Editable = true;

    TViewColumn* lossRate = Columns.ByField(QStringLiteral("ItmPutLossRate"));
    lossRate->OwnEditor = true;
    lossRate->OnCreateEditor = [](QWidget* parent) { return new TLossRateEdit(parent); };
    // A row picked in a popup is taken as it is, so that names that are not unique pick the right row.
    for (const auto& p : kPickerFields) {
        TViewColumn* column = Columns.ByField(QLatin1String(p.Field));
        if (!column || !column->FieldDef)
            continue;
        const TInfoFieldDef* field = column->FieldDef;
        column->OnCreateEditor = [this, field](QWidget* parent) {
            auto* edit = new TPickEdit(parent);
            edit->Properties.SetupForField(*field);
            edit->Properties.FAfterDataPicked = [this, field](const TRecordSet& picked) {
                if (picked.RecordCount() > 0)
                    FPicked.insert(QStringLiteral("%1|%2").arg(FocusedRecord()).arg(field->ID),
                                   PickerRow([&picked](const QString& name) { return picked.Value(0, name); }));
            };
            return edit;
        };
    }
    connect(RecordModel(), &TRecordTableModel::CellEdited, this, &TItemSettingFrame::grdItemSettingEditValueChanged);
}

QString TItemSettingFrame::IdentityField(const QString& field)
{
    for (const auto& p : kPickerFields)
        if (field.compare(QLatin1String(p.Field), Qt::CaseInsensitive) == 0)
            return QLatin1String(p.Identity);
    return QString();
}

int TItemSettingFrame::UpdateCommand() const
{
    return ObjectActionCommand(ObjectDef, QStringLiteral("Update"));
}

bool TItemSettingFrame::QueryCommandState(int Command, TCommandState& State)
{
    if (Command >= cmdAction && Command == UpdateCommand()) {
        State = (Records().RecordCount() > 0 ? TCommandState(csEnabled) : 0) | (GetEditMode() ? TCommandState(csChecked) : 0);
        return true;
    }
    return TInfoGridView::QueryCommandState(Command, State);
}

bool TItemSettingFrame::ExecCommand(int Command)
{
    if (Command >= cmdAction && Command == UpdateCommand()) {
        ToggleEditMode();
        return true;
    }
    return TInfoGridView::ExecCommand(Command);
}

void TItemSettingFrame::EnterEditMode()
{
    // Every column can be seen while editing.
    EnterGridEditMode([this] {
        for (TViewColumn* c : Columns.Items())
            if (c->FieldName.compare(QLatin1String("ItmID"), Qt::CaseInsensitive) != 0)
                c->Visible = true;
        UpdateBandVisibility();
    });
}

void TItemSettingFrame::LeaveEditMode()
{
    FPicked.clear();
    LeaveGridEditMode([this] { UpdateBandVisibility(); });
}

void TItemSettingFrame::UpdateBandVisibility()
{
    for (int b = 1; b < Columns.Bands.size(); ++b) {
        bool shown = false;
        for (const TViewColumn* c : Columns.Items())
            shown = shown || (c->Band == b && c->Visible);
        Columns.Bands[b].Visible = shown;
    }
}

void TItemSettingFrame::LoadData(bool KeepPosition)
{
    const QString position = KeepPosition ? GetViewPosition() : QString();
    QStringList fields{QStringLiteral("ItmDisabled")};
    for (const TViewColumn* c : Columns.DisplayOrder())
        if (ObjectDef && ObjectDef->GetFieldDef(c->FieldName) && (GetEditMode() || !c->Dynamic))
            fields << c->FieldName;
    if (!GetEditMode()) {
        BuiltSQL = BuildViewSQL(MakeFieldList(fields), QString(), QString(), QStringLiteral("i.ItmNo"), true);
    } else {
        const QString select = BuildViewSQL(MakeFieldList(fields), IdentityColumns(), QString(), QStringLiteral("i.ItmNo"), true);
        BuiltSQL = select.isEmpty() ? QString()
                                    : QStringLiteral("drop table if exists tmp_KX_MRP_ItemSettingView;\r"
                                                     "create temp table tmp_KX_MRP_ItemSettingView on commit drop as %1;\r"
                                                     "select * from tmp_KX_MRP_ItemSettingView order by %2")
                                          .arg(select, EditOrder.isEmpty() ? QStringLiteral("\"ItmNo\"") : EditOrder);
    }
    if (BuiltSQL.isEmpty())
        return;
    {
        TWaitCursor wait;
        OpenData(BuiltSQL, true);
    }
    if (KeepPosition && !position.isEmpty())
        SetViewPosition(position);
}

void TItemSettingFrame::FetchCustomDrawFormat(int Record, TCellDrawFormat& Format, const TViewColumn* Column)
{
    if (IsTrueValue(Records().Value(Record, QStringLiteral("ItmDisabled"))))
        Format.TextColor = kDisabledTextColor;
    if (GetEditMode() && Column && Column->Editable)
        Format.Background = kEditBackColor;
}

void TItemSettingFrame::grdItemSettingEditValueChanged(int Record, const QString& Field)
{
    if (!GetEditMode() || FResolving || IdentityField(Field).isEmpty())
        return;
    FResolving = true;
    QVariantMap row = FPicked.take(QStringLiteral("%1|%2").arg(Record).arg(Field));
    const QString text = Records().Value(Record, Field).toString().trimmed();
    const TInfoFieldDef* field = ObjectDef ? ObjectDef->GetFieldDef(Field) : nullptr;
    if (row.isEmpty() && !text.isEmpty() && field) {
        TPickEditProperties picker;
        picker.SetupForField(*field);
        const QString quoted = QuotedStr(text);
        TQuery q(&SharedConnection());
        if (RunSQL(q, QString(picker.FSQL).replace(QStringLiteral("%0:s"), quoted)
                          + QStringLiteral(" where \"代码\"=%1 or \"名称\"=%1").arg(quoted),
                   true)
            && !q.IsEmpty())
            row = PickerRow([&q](const QString& name) { return FieldValueOrNull(q, name); });
    }
    SetPicked(Record, Field, row);
    FResolving = false;
}

void TItemSettingFrame::SetPicked(int Record, const QString& Field, const QVariantMap& row)
{
    SetCellValue(Record, IdentityField(Field), row.value(QStringLiteral("#ID")).toString());
    if (Field.compare(kPlanNo, Qt::CaseInsensitive) == 0) {
        if (!row.isEmpty())
            SetCellValue(Record, kPlanNo, row.value(QStringLiteral("代码")));
        SetCellValue(Record, QStringLiteral("ItmPlanName"), row.value(QStringLiteral("名称")));
        SetCellValue(Record, QStringLiteral("ItmPlanSpec"), row.value(QStringLiteral("规格型号")));
    } else if (!row.isEmpty()) {
        SetCellValue(Record, Field, row.value(QStringLiteral("名称")));
    }
}

bool TItemSettingFrame::SaveData()
{
    if (!GetEditMode())
        return false;
    CommitPendingEdit(grdMain);
    const QString position = GetViewPosition();
    const TRecordSet& records = Records();
    QStringList statements;
    for (int r = 0; r < records.RecordCount(); ++r) {
        if (!records.RecordModified(r))
            continue;
        const TItemSettingRow row{
            [&records, r](const QString& f) { return records.Value(r, f); },
            [this](const QString& f) { return RecordModel()->FieldCaption(f); },
            [this, &records, r](const QString& f) {
                const TViewColumn* c = Columns.ByField(f);
                return c ? c->DisplayText(records.Value(r, f)) : records.Value(r, f).toString();
            }};
        const TItemSettingFault fault = CheckItemSetting(row);
        if (!fault.Field.isEmpty()) {
            ShowCellFault(r, fault.Field, fault.Message);
            return false;
        }
        statements << ItemSettingUpdateSQL(row);
    }
    try {
        TWaitCursor wait;
        SaveItemSettings(SharedConnection(), statements);
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& e) {
        ShowException(e);
        ShowError(QStringLiteral("保存过程中出现意外错误, 操作被中止!"));
        return false;
    }
    Modified = false;
    RefreshData(false);
    SetViewPosition(position);
    return true;
}

} // namespace kx
