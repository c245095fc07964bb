#include "deduction/deductframe.h"

#include "db/errors.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/settings.h"
#include "db/shared.h"
#include "db/strutils.h"
#include "engine/objectquery.h"
#include "views/columneditor.h"
#include "views/commonui.h"
#include "views/pickedit.h"
#include "views/widgetservices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace kx {

namespace {

const QString kBillScope = QStringLiteral("[BillScope]");
const QString kDiffCustom = QStringLiteral("[DiffCustom]");
const QString kShowFilter = QStringLiteral("[ShowFilter]");
const QString kDedQty = QStringLiteral("DedQty");

const char* const kColumnFields[] = {"DedKind", "BillNo", "NeedDate", "ItmNo", "ItmName", "ItmSpec", "BomNo", "BillEntry",
                                     "CustName", "CustPO", "DeptName", "BillDate", "BillQty", "ExeQty", "DedAQty", "DedMQty",
                                     "LeftQty", "UntName", "DedManual", "DedQty", "DedUsrName", "DedTime"};

// The node values of a line; Data holds the child's index (-1 for the root).
QVariantMap LineValues(const TDeductLine& line)
{
    const auto date = [](const QDate& d) { return d.isValid() ? QVariant(d) : QVariant(); };
    QVariantMap v{{QStringLiteral("DedKind"), line.KindName()},
                  {QStringLiteral("BillNo"), line.BillNo},
                  {QStringLiteral("NeedDate"), date(line.NeedDate)},
                  {QStringLiteral("ItmNo"), line.ItmNo},
                  {QStringLiteral("ItmName"), line.ItmName},
                  {QStringLiteral("ItmSpec"), line.ItmSpec},
                  {QStringLiteral("BomNo"), line.BomNo},
                  {QStringLiteral("BillEntry"), line.Entry},
                  {QStringLiteral("CustName"), line.CustName},
                  {QStringLiteral("CustPO"), line.CustPO},
                  {QStringLiteral("DeptName"), line.DeptName},
                  {QStringLiteral("BillDate"), date(line.BillDate)},
                  {QStringLiteral("BillQty"), line.BillQty},
                  {QStringLiteral("ExeQty"), line.ExeQty},
                  {QStringLiteral("DedAQty"), line.DedAQty},
                  {QStringLiteral("DedMQty"), line.DedMQty},
                  {QStringLiteral("LeftQty"), line.LeftQty()},
                  {QStringLiteral("UntName"), line.UntName},
                  {QStringLiteral("MaxQty"), TDeductBill::MaxManualQty(line)},
                  {QStringLiteral("OldQty"), line.OldQty},
                  {QStringLiteral("BillID"), line.BillID},
                  {QStringLiteral("ItmID"), line.ItmID}};
    for (int n = 1; n <= 10; ++n)
        v.insert(QStringLiteral("ItmProp%1").arg(n), line.ItmPropValues.value(n - 1));
    return v;
}

// "ForID='1'\r\nForEntry='2'" as the line's kind and key.
bool ParseMasterLine(const QString& values, TDeductBillKind& kind, QString& id, int& entry)
{
    const QString idField = GetParamValue(values, QStringLiteral("ForID")).isEmpty()
                                ? (GetParamValue(values, QStringLiteral("SOID")).isEmpty() ? QStringLiteral("SI") : QStringLiteral("SO"))
                                : QStringLiteral("For");
    kind = idField == QLatin1String("For") ? dkForcast : idField == QLatin1String("SO") ? dkSO : dkSI;
    const auto unquoted = [](QString text) {
        text = text.trimmed();
        if (text.size() >= 2 && text.startsWith(u'\'') && text.endsWith(u'\''))
            text = text.mid(1, text.size() - 2).replace(QLatin1String("''"), QLatin1String("'"));
        return text == QLatin1String("null") ? QString() : text;
    };
    id = unquoted(GetParamValue(values, idField + QLatin1String("ID")));
    entry = unquoted(GetParamValue(values, idField + QLatin1String("Entry"))).toInt();
    return !id.isEmpty();
}

} // namespace

TMRPDeductFrame::TMRPDeductFrame(QWidget* owner, const TInfoObjectDef* objectDef) : TInfoTreeView(owner, objectDef)
{
    trlMain->setObjectName(QStringLiteral("trlDeduct"));
    for (const char* field : kColumnFields)
        BindStaticColumn(CreateColumn(QString()), QLatin1String(field));
    for (int n = 1; n <= 10; ++n)
        BindStaticColumn(CreateColumn(QString()), QStringLiteral("ItmProp%1").arg(n));
    GetColumnByField(kDedQty)->Editable = true;
    // Only a manual deduction's quantity is entered; the root's is the sum of its children's.
    Nodes->SetEditableHook([this](const TTreeNode* node, const TViewColumn*) {
        const int child = node ? node->Data.toInt() : -1;
        return child >= 0 && child < FBill.Children.size() && FBill.Children[child].Manual;
    });
    connect(Nodes, &TTreeModel::CellEdited, this, &TMRPDeductFrame::trlMainEditValueChanged);

    lblBillScope = new QLabel(QStringLiteral("物料冲销范围(&F):"), this);
    cboBillScope = new QComboBox(this);
    cboBillScope->addItems({QStringLiteral("相同物料+预测物料"), QStringLiteral("相同物料"), QStringLiteral("全部物料")});
    lblBillScope->setBuddy(cboBillScope);
    chkDiffCustom = new QCheckBox(QStringLiteral("允许相异客户冲销(&C)"), this);
    chkShowFilter = new QCheckBox(QStringLiteral("选单前显示筛选条件(&H)"), this);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 4, 4, 4);
    bar->addWidget(lblBillScope);
    bar->addWidget(cboBillScope);
    bar->addSpacing(12);
    bar->addWidget(chkDiffCustom);
    bar->addWidget(chkShowFilter);
    bar->addStretch(1);
    ContentLayout()->insertLayout(0, bar);
    lblEmpty = new QLabel(QStringLiteral("请在产品预测、销售订单或出口订单的列表中选择要冲销的单据行, "
                                         "或用[选产品预测]、[选销售订单]、[选出口订单]选择一个单据行。"),
                          this);
    lblEmpty->setWordWrap(true);
    lblEmpty->setContentsMargins(8, 4, 8, 4);
    ContentLayout()->insertWidget(1, lblEmpty);
    connect(cboBillScope, &QComboBox::currentIndexChanged, this, &TMRPDeductFrame::OptionsChanged);
    connect(chkDiffCustom, &QCheckBox::toggled, this, &TMRPDeductFrame::OptionsChanged);
    connect(chkShowFilter, &QCheckBox::toggled, this, &TMRPDeductFrame::OptionsChanged);
}

void TMRPDeductFrame::InitializeView(const QString& AAsDetailID, IInfoView* AMasterView)
{
    TInfoTreeView::InitializeView(AAsDetailID, AMasterView);
    for (const auto& [field, width] : {std::pair{"DedKind", 112}, {"BillNo", 100}, {"NeedDate", 88}, {"ItmNo", 76}, {"ItmName", 70},
                                       {"ItmSpec", 130}, {"BillEntry", 50}, {"CustName", 150}, {"BillDate", 88}, {"UntName", 40},
                                       {"DedManual", 60}, {"DedTime", 130}})
        GetColumnByField(QLatin1String(field))->Width = width;
    // A deduction is marked manual in words; the root is no deduction and shows nothing.
    TViewColumn* manual = GetColumnByField(QStringLiteral("DedManual"));
    manual->Kind = ckText;
    manual->OwnEditor = true;
    manual->Alignment = Qt::AlignCenter;
    manual->OnGetDisplayText = [](const QVariant& value) {
        return value.isNull() ? QString() : IsTrueValue(value) ? QStringLiteral("是") : QStringLiteral("否");
    };
    ApplyViewLayout();
    const QSignalBlocker scope(cboBillScope), diff(chkDiffCustom), filter(chkShowFilter);
    const int index = GetParamValue(ViewScheme.Params, kBillScope).toInt();
    cboBillScope->setCurrentIndex(index >= disSameAndPlan && index <= disAll ? index : disSameAndPlan);
    chkDiffCustom->setChecked(GetParamValue(ViewScheme.Params, kDiffCustom) == QLatin1String("1"));
    chkShowFilter->setChecked(GetParamValue(ViewScheme.Params, kShowFilter) == QLatin1String("1"));
}

void TMRPDeductFrame::OptionsChanged()
{
    ViewScheme.Params = SetParamValue(ViewScheme.Params, kBillScope, QString::number(cboBillScope->currentIndex()));
    ViewScheme.Params = SetParamValue(ViewScheme.Params, kDiffCustom, chkDiffCustom->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    ViewScheme.Params = SetParamValue(ViewScheme.Params, kShowFilter, chkShowFilter->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

TDeductPickOptions TMRPDeductFrame::PickOptions() const
{
    TDeductPickOptions options;
    options.Scope = TDeductItemScope(cboBillScope->currentIndex());
    options.DiffCustom = chkDiffCustom->isChecked();
    return options;
}

void TMRPDeductFrame::SetMasterValues(const QString& Values, bool Refresh)
{
    TDeductBillKind kind = dkForcast;
    QString id;
    int entry = 0;
    if (ParseMasterLine(Values, kind, id, entry)) {
        FRootKind = kind;
        FRootID = id;
        FRootEntry = entry;
    } else {
        FRootID.clear();
    }
    TInfoTreeView::SetMasterValues(Values, Refresh);
}

void TMRPDeductFrame::SetRootLine(TDeductBillKind kind, const QString& billID, int entry)
{
    FRootKind = kind;
    FRootID = billID;
    FRootEntry = entry;
    RefreshData(false);
}

void TMRPDeductFrame::LoadData(bool)
{
    FBill = TDeductBill();
    Modified = false;
    if (!FRootID.isEmpty()) {
        try {
            TWaitCursor wait;
            FBill.Load(SharedConnection(), FRootKind, FRootID, FRootEntry);
        } catch (const EAbort&) {
            throw;
        } catch (const EKxError& e) {
            ShowException(e);
        }
    }
    ShowBill();
}

void TMRPDeductFrame::ShowBill()
{
    lblEmpty->setVisible(!FBill.HasRoot());
    setUpdatesEnabled(false);
    // Property columns show where a line has properties (unless the user's layout says otherwise).
    bool changed = false;
    for (int n = 1; n <= 10; ++n) {
        bool used = !FBill.Root.ItmPropValues.value(n - 1).isEmpty();
        for (const TDeductLine& c : FBill.Children)
            used = used || !c.ItmPropValues.value(n - 1).isEmpty();
        TViewColumn* column = GetColumnByField(QStringLiteral("ItmProp%1").arg(n));
        changed = changed || column->Visible != used;
        column->Visible = used;
    }
    if (changed)
        ApplyViewLayout();
    Nodes->Clear();
    if (FBill.HasRoot()) {
        TTreeNode* root = Nodes->AddNode(nullptr, LineValues(FBill.Root));
        root->Data = -1;
        for (qsizetype i = 0; i < FBill.Children.size(); ++i) {
            const TDeductLine& c = FBill.Children[i];
            QVariantMap values = LineValues(c);
            values.insert(QStringLiteral("DedManual"), c.Manual);
            values.insert(kDedQty, c.Qty);
            values.insert(QStringLiteral("DedUsrName"), c.DedUsrName);
            values.insert(QStringLiteral("DedTime"), c.DedTime.isValid() ? QVariant(c.DedTime) : QVariant());
            TTreeNode* node = Nodes->AddNode(root, values);
            node->Data = int(i);
        }
        UpdateRootTotal();
        trlMain->expandAll();
        trlMain->selectionModel()->setCurrentIndex(Nodes->IndexOf(root), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    trlMain->horizontalScrollBar()->setValue(0);
    setUpdatesEnabled(true);
}

void TMRPDeductFrame::UpdateRootTotal()
{
    TTreeNode* root = Nodes->Root()->Child(0);
    if (!root)
        return;
    double total = 0;
    for (const TDeductLine& c : FBill.Children)
        total += c.Qty;
    Nodes->SetNodeValue(root, kDedQty, Round8(total));
}

bool TMRPDeductFrame::QueryCommandState(int Command, TCommandState& State)
{
    if (Command < cmdAction)
        return TInfoTreeView::QueryCommandState(Command, State);
    const bool editing = GetEditMode();
    const auto enabled = [](bool on) { return on ? TCommandState(csEnabled) : TCommandState(0); };
    // Without a root the pickers choose one; with a root they add the kinds it takes.
    const auto canAdd = [&](TDeductBillKind kind) { return FBill.HasRoot() ? editing && FBill.TakesKind(kind) : !AsDetail; };
    if (Command == ActionCommand(QStringLiteral("Update"))) {
        State = enabled(FBill.HasRoot()) | (editing ? TCommandState(csChecked) : 0);
    } else if (Command == ActionCommand(QStringLiteral("AddForcast"))) {
        State = enabled(canAdd(dkForcast));
    } else if (Command == ActionCommand(QStringLiteral("AddSO"))) {
        State = enabled(canAdd(dkSO));
    } else if (Command == ActionCommand(QStringLiteral("AddSI"))) {
        State = enabled(canAdd(dkSI));
    } else if (Command == ActionCommand(QStringLiteral("Delete"))) {
        const QList<TTreeNode*> selected = SelectedNodes();
        State = enabled(editing && std::any_of(selected.begin(), selected.end(), [](const TTreeNode* n) { return n->Level() == 1; }));
    } else {
        return TInfoTreeView::QueryCommandState(Command, State);
    }
    return true;
}

bool TMRPDeductFrame::ExecCommand(int Command)
{
    if (Command < cmdAction)
        return TInfoTreeView::ExecCommand(Command);
    if (Command == ActionCommand(QStringLiteral("Update")))
        ToggleEditMode();
    else if (Command == ActionCommand(QStringLiteral("AddForcast")))
        AddLines(dkForcast);
    else if (Command == ActionCommand(QStringLiteral("AddSO")))
        AddLines(dkSO);
    else if (Command == ActionCommand(QStringLiteral("AddSI")))
        AddLines(dkSI);
    else if (Command == ActionCommand(QStringLiteral("Delete")))
        DeleteChildren();
    else
        return TInfoTreeView::ExecCommand(Command);
    return true;
}

bool TMRPDeductFrame::ToggleEditMode()
{
    return (GetEditMode() || FBill.HasRoot()) && TInfoTreeView::ToggleEditMode();
}

void TMRPDeductFrame::AddLines(TDeductBillKind kind)
{
    const bool chooseRoot = !FBill.HasRoot();
    if (!chooseRoot && (!GetEditMode() || !FBill.TakesKind(kind)))
        return;
    TDeductPickOptions options = PickOptions();
    if (chkShowFilter->isChecked() && Env() && Env()->SelectFilter) {
        const TInfoObjectDef* def = RequireObjectDef(DeductObjectID(kind));
        QString code, text;
        if (!def || !Env()->SelectFilter(def, code, false, text, nullptr))
            return;
        options.Condition = text;
    }
    TPickEditProperties picker;
    picker.FCaption = EnumText(QStringLiteral("MrpBillType"), kind);
    picker.FTextField = QStringLiteral("单据编号");
    picker.FFixedFields = QStringLiteral("需求日期|单据编号|单据行");
    picker.FMultiSelect = !chooseRoot;
    try {
        picker.FSQL = chooseRoot ? TDeductBill::RootPickSQL(kind, options.Condition) : FBill.PickSQL(kind, options);
    } catch (const EKxError& e) {
        ShowException(e);
        return;
    }
    QList<TBillLineKey> keys;
    picker.FAfterDataPicked = [&keys](const TRecordSet& picked) {
        for (int row = 0; row < picked.RecordCount(); ++row)
            keys << TBillLineKey{picked.Value(row, QStringLiteral("#BillID")).toString(),
                                 picked.Value(row, QStringLiteral("#BillEntry")).toInt()};
    };
    if (!picker.ShowPicker(this) || keys.isEmpty())
        return;
    if (chooseRoot)
        SetRootLine(kind, keys.first().ID, keys.first().Entry);
    else
        AddCounterparts(kind, keys);
}

bool TMRPDeductFrame::AddCounterparts(TDeductBillKind kind, const QList<TBillLineKey>& keys)
{
    QString refusal;
    int added = 0;
    try {
        added = FBill.AddCounterparts(SharedConnection(), kind, keys, PickOptions(), refusal);
    } catch (const EKxError& e) {
        ShowException(e);
        return false;
    }
    if (!refusal.isEmpty()) {
        ShowWarning(refusal);
        return false;
    }
    if (added > 0) {
        Modified = true;
        ShowBill();
        FocusChild(int(FBill.Children.size()) - 1, true);
    }
    return true;
}

void TMRPDeductFrame::DeleteChildren()
{
    if (!GetEditMode())
        return;
    QList<int> rows;
    for (TTreeNode* node : SelectedNodes())
        if (node->Level() == 1)
            rows << node->Data.toInt();
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (int row : rows)
        FBill.Children.removeAt(row);
    if (!rows.isEmpty()) {
        Modified = true;
        ShowBill();
    }
}

void TMRPDeductFrame::trlMainEditValueChanged(TTreeNode* Node, const QString& Field)
{
    if (!GetEditMode() || !Node || Field.compare(kDedQty, Qt::CaseInsensitive) != 0)
        return;
    const int child = Node->Data.toInt();
    if (child < 0 || child >= FBill.Children.size())
        return;
    FBill.Children[child].Qty = Node->Value(kDedQty).toDouble();
    Modified = true;
    UpdateRootTotal();
}

void TMRPDeductFrame::FocusChild(int child, bool edit)
{
    TTreeNode* root = Nodes->Root()->Child(0);
    TTreeNode* node = child < 0 ? root : root ? root->Child(child) : nullptr;
    const QModelIndex cell = Nodes->IndexOf(node, Columns.IndexOf(GetColumnByField(kDedQty)));
    if (!cell.isValid())
        return;
    trlMain->scrollTo(cell);
    trlMain->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (edit && GetEditMode()) {
        trlMain->setFocus();
        trlMain->edit(cell);
    }
}

bool TMRPDeductFrame::SaveData()
{
    if (!GetEditMode() || !FBill.HasRoot())
        return false;
    CommitPendingEdit(trlMain);
    const TDeductFault fault = FBill.Check(PickOptions());
    if (fault.Failed()) {
        ShowWarning(fault.Message);
        FocusChild(fault.Child, false);
        return false;
    }
    try {
        TWaitCursor wait;
        FBill.Save(SharedConnection(), EnvUserID());
    } catch (const EAbort&) {
        throw;
    } catch (const EKxError& e) {
        ShowError(QStringLiteral("保存过程中出现意外错误, 操作被中止!\r\r原因: %1").arg(e.Message()));
        return false;
    }
    Modified = false;
    SetEditing(false);
    SetEditMode(false);
    RefreshData(false);
    return true;
}

void TMRPDeductFrame::FetchCustomDrawFormat(const TTreeNode* Node, TCellDrawFormat& Format, const TViewColumn* Column)
{
    if (!Node)
        return;
    if (Node->Level() == 0) {
        Format.Font.setBold(true);
        Format.FontChanged = true;
    }
    const int child = Node->Data.toInt();
    if (child >= 0 && child < FBill.Children.size() && FBill.Children[child].DedError)
        Format.TextColor = QColor(200, 0, 0);
    if (GetEditMode() && Column && Column->Editable && Nodes->flags(Nodes->IndexOf(Node, Columns.IndexOf(Column))) & Qt::ItemIsEditable)
        Format.Background = kEditBackColor;
}

} // namespace kx
