#include "editors/forcasteditor.h"

#include "db/dataset.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "db/strutils.h"
#include "editors/forcastops.h"
#include "masterdata/itemsetting.h"
#include "views/columneditor.h"
#include "views/columnheader.h"
#include "views/commonui.h"
#include "views/pickedit.h"
#include "views/treemodel.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace kx {

namespace {

// The lines' columns: field and caption in the editor's order; null captions are hidden.
const struct {
    const char* Field;
    const char* Caption;
    bool Editable;
} kLineColumns[] = {
    {"ForEntry", "行号", false},       {"ItmNo", "物料代码", true},     {"ItmName", "物料名称", false},
    {"ItmSpec", "规格型号", false},    {"CustName", "客户", true},      {"UntName", "单位", false},
    {"ItmUntName", "基本单位", false}, {"ForUBillQty", "数量", true},   {"ForBillQty", "数量(基本)", true},
    {"ForDelivDate", "交货日期", true}, {"ForNote", "备注", true},      {"OrigTag", "需求分类号", true},
    {"OrigSubTag", "子件需求分类号", true}, {"MRPGroupType", "MRP分组", true}, {"MRPGroupNo", "MRP分组号", true},
    {"ItmProps", nullptr, false},      {"PropMask", nullptr, false},    {"ForItmID", nullptr, false},
};

QString Unquoted(QString text)
{
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith(u'\'') && text.endsWith(u'\''))
        text = text.mid(1, text.size() - 2).replace(QLatin1String("''"), QLatin1String("'"));
    return text == QLatin1String("null") ? QString() : text;
}

QVariantMap LineValues(const TForcastLine& line, int position, bool editing)
{
    QVariantMap v{{QStringLiteral("ForEntry"), editing ? QVariant(position + 1) : (line.ForEntry > 0 ? QVariant(line.ForEntry) : QVariant())},
                  {QStringLiteral("ItmNo"), line.ItmNo},
                  {QStringLiteral("ItmName"), line.ItmName},
                  {QStringLiteral("ItmSpec"), line.ItmSpec},
                  {QStringLiteral("CustName"), line.CustName},
                  {QStringLiteral("UntName"), line.UntName},
                  {QStringLiteral("ItmUntName"), line.ItmUntName},
                  {QStringLiteral("ForUBillQty"), line.UQty},
                  {QStringLiteral("ForBillQty"), line.Qty},
                  {QStringLiteral("ForDelivDate"), line.DelivDate.isValid() ? QVariant(line.DelivDate) : QVariant()},
                  {QStringLiteral("ForNote"), line.Note},
                  {QStringLiteral("OrigTag"), line.OrigTag},
                  {QStringLiteral("OrigSubTag"), line.OrigSubTag},
                  {QStringLiteral("MRPGroupType"), line.IsEmpty() ? QVariant() : QVariant(line.GroupType)},
                  {QStringLiteral("MRPGroupNo"), line.GroupNo},
                  {QStringLiteral("ItmProps"), line.ItmProps},
                  {QStringLiteral("PropMask"), line.PropMask},
                  {QStringLiteral("ForItmID"), line.ItmID}};
    for (int n = 1; n <= 10; ++n)
        v.insert(QStringLiteral("ItmProp%1").arg(n), line.Props[n - 1]);
    return v;
}

QLineEdit* ReadOnlyEdit(QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    return edit;
}

} // namespace

TForcastEditor::TForcastEditor(QWidget* owner, const TInfoObjectDef* objectDef) : TCustomInfoEdit(owner, objectDef)
{
    edtForNo = new QLineEdit(this);
    edtForNo->setObjectName(QStringLiteral("edtForNo"));
    edtForDate = new QDateEdit(this);
    edtForDate->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    edtForDate->setCalendarPopup(true);
    edtForDate->setDateRange(QDate(2000, 1, 1), QDate(9999, 12, 31));
    btnToday = new QPushButton(QStringLiteral("今天"), this);
    edtCreater = ReadOnlyEdit(this);
    edtChecker = ReadOnlyEdit(this);
    edtCheckDate = ReadOnlyEdit(this);
    auto* head = new QGridLayout;
    const auto label = [this](const char* text, QWidget* buddy) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setBuddy(buddy);
        return l;
    };
    auto* date = new QHBoxLayout;
    date->setContentsMargins(0, 0, 0, 0);
    date->addWidget(edtForDate, 1);
    date->addWidget(btnToday);
    head->addWidget(label("单据编号(&N):", edtForNo), 0, 0);
    head->addWidget(edtForNo, 0, 1);
    head->addWidget(label("单据日期(&D):", edtForDate), 0, 2);
    head->addLayout(date, 0, 3);
    head->addWidget(label("制单人(&B):", edtCreater), 0, 4);
    head->addWidget(edtCreater, 0, 5);
    head->addWidget(label("审核人(&C):", edtChecker), 1, 4);
    head->addWidget(edtChecker, 1, 5);
    head->addWidget(label("审核日期(&T):", edtCheckDate), 1, 2);
    head->addWidget(edtCheckDate, 1, 3);
    for (int c : {1, 3, 5})
        head->setColumnStretch(c, 1);
    ContentLayout()->addLayout(head);

    for (const auto& c : kLineColumns) {
        TViewColumn* column = BodyColumns.Add(QString(), QString());
        BindBodyColumn(column, QLatin1String(c.Field));
        column->Editable = c.Editable;
        column->Visible = c.Caption != nullptr;
        if (c.Caption)
            column->Caption = QString::fromUtf8(c.Caption);
    }
    for (int n = 1; n <= 10; ++n) {
        TViewColumn* column = BodyColumns.Add(QString(), QString());
        BindBodyColumn(column, QStringLiteral("ItmProp%1").arg(n));
        column->Editable = true;
        column->Visible = true;
        column->Caption = QStringLiteral("辅助项%1").arg(n);
    }
    // The MRP group of a forecast line is none (0) or an order of its own (9).
    if (TViewColumn* group = GetBodyColumn(QStringLiteral("MRPGroupType"))) {
        QList<TEnumValue> kept;
        for (const TEnumValue& item : group->EnumItems)
            if (item.Value == 0 || item.Value == 9)
                kept << item;
        group->EnumItems = kept;
    }
    for (const auto& [field, width] : {std::pair{"ForEntry", 44}, {"ItmNo", 90}, {"ItmName", 90}, {"ItmSpec", 150}, {"CustName", 170},
                                       {"UntName", 44}, {"ItmUntName", 60}, {"ForDelivDate", 84}, {"ForNote", 120},
                                       {"OrigTag", 80}, {"OrigSubTag", 100}})
        GetBodyColumn(QLatin1String(field))->Width = width;
    // The item and the customer are picked from their lists.
    if (TViewColumn* item = GetBodyColumn(QStringLiteral("ItmNo"))) {
        item->OwnEditor = true;
        item->OnCreateEditor = [](QWidget* parent) -> QWidget* {
            auto* edit = new TPickEdit(parent);
            TPickEditProperties& picker = edit->Properties;
            picker.FCaption = QStringLiteral("物料");
            picker.FSQL = BuildItemPickSQL(QString(), QStringLiteral("i.ItmDisabled=0 and (%1)").arg(kItemPickSearch), QString());
            picker.FTextField = ItemPickColumn(QStringLiteral("ItmNo"));
            picker.FFixedFields = picker.FTextField;
            return edit;
        };
    }
    if (TViewColumn* customer = GetBodyColumn(QStringLiteral("CustName"))) {
        customer->OwnEditor = true;
        customer->OnCreateEditor = [](QWidget* parent) -> QWidget* {
            auto* edit = new TPickEdit(parent);
            TPickEditProperties& picker = edit->Properties;
            picker.FCaption = QStringLiteral("客户");
            picker.FSQL = QStringLiteral("select CustNo as \"代码\", CustName as \"名称\" from KX_Base_Customer where CustDisabled=0 and "
                                         "(CustNo like '%'||%0:s||'%' or CustName like '%'||%0:s||'%') order by CustNo");
            picker.FTextField = QStringLiteral("名称");
            picker.FFixedFields = QStringLiteral("代码|名称");
            return edit;
        };
    }

    auto* lines = new QHBoxLayout;
    btnAddLine = new QPushButton(QStringLiteral("增加行(&A)"), this);
    btnDeleteLines = new QPushButton(QStringLiteral("删除行(&L)"), this);
    lines->addWidget(btnAddLine);
    lines->addWidget(btnDeleteLines);
    lines->addStretch(1);
    ContentLayout()->addLayout(lines);
    Detail = new TTreeModel(&BodyColumns, this);
    grdDetail = CreateColumnView(&BodyColumns, Detail, QStringLiteral("grdDetail"), this, &FHeader);
    grdDetail->setRootIsDecorated(false);
    grdDetail->setEditTriggers(QAbstractItemView::AllEditTriggers);
    ContentLayout()->addWidget(grdDetail, 1);
    Detail->ColumnsChanged();
    FHeader->ApplyColumns();

    Detail->SetEditableHook([this](const TTreeNode* node, const TViewColumn* column) {
        return EditMode != emNone && node && column && FBill.CellEditable(node->Index(), column->FieldName);
    });
    // The editable cells of the focused line show in the edit colour.
    Detail->SetDrawFormatHook([this](const TTreeNode* node, const TViewColumn* column, TCellDrawFormat& format) {
        if (EditMode != emNone && node && column && column->Editable && node->Index() == FocusedRow()
            && FBill.CellEditable(node->Index(), column->FieldName))
            format.Background = kEditBackColor;
    });
    connect(Detail, &TTreeModel::CellEdited, this, &TForcastEditor::grdDetailEditValueChanged);
    connect(Detail, &TTreeModel::ValueRefused, this, [](TTreeNode*, const QString&, const QString& message) { ShowWarning(message); });
    connect(grdDetail->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        btnDeleteLines->setEnabled(CanDeleteLines());
        grdDetail->viewport()->update();
    });
    connect(edtForNo, &QLineEdit::textEdited, this, &TForcastEditor::HeadChanged);
    connect(edtForDate, &QDateEdit::dateChanged, this, &TForcastEditor::HeadChanged);
    connect(btnToday, &QPushButton::clicked, this, [this] { edtForDate->setDate(QDate::currentDate()); });
    connect(btnAddLine, &QPushButton::clicked, this, &TForcastEditor::AddLine);
    connect(btnDeleteLines, &QPushButton::clicked, this, &TForcastEditor::DeleteSelectedLines);
    SetControlsEditable();
}

TForcastEditor::~TForcastEditor()
{
    // The list asks its columns while it goes; it goes before them.
    delete grdDetail;
}

QString TForcastEditor::ProposedBillNo()
{
    // The number the bill service would give next: the kind's prefix, the month and a serial.
    TQuery q(&SharedConnection());
    const QString stem = QStringLiteral("(select BknPrefix from KX_SYS_BillKinds where BknID=1)||%1")
                             .arg(QuotedStr(QDate::currentDate().toString(QStringLiteral("yyyyMM"))));
    if (!RunSQL(q, QStringLiteral("select %1||lpad((coalesce((select BksLastNo from KX_SYS_BillSerials where BksKind=1 and BksStem=%1), 0)+1)::text, 4, '0')")
                       .arg(stem),
                true, false))
        return QString();
    return q.IsEmpty() ? QString() : q.Fields(0).AsString();
}

void TForcastEditor::OpenData(const QString& AKeyValues, TEditMode AMode)
{
    TEditMode mode = AMode;
    FBillID = mode == emNew ? QString() : Unquoted(GetParamValue(AKeyValues, QStringLiteral("ForID")));
    const int focusEntry = Unquoted(GetParamValue(AKeyValues, QStringLiteral("ForEntry"))).toInt();
    bool loaded = false;
    try {
        loaded = FBill.Load(SharedConnection(), FBillID);
    } catch (const EAbort&) {
        throw;
    } catch (const EKxError& e) {
        ShowException(e);
    }
    if (!loaded) {
        if (!FBillID.isEmpty())
            ShowWarning(QStringLiteral("单据无法打开, 可能已被删除!"));
        FBill = TForcastBill();
        FBillID.clear();
        mode = emNone;
    }
    if (mode == emModify && FBill.Head.Checked) {
        ShowWarning(QStringLiteral("单据状态已改变, 不能进行编辑!"));
        mode = emNone;
    }
    if (mode == emNew) {
        FNewBillNo = ProposedBillNo();
        FBill.Head.ForNo = FNewBillNo;
        FBill.Head.ForDate = QDate::currentDate();
        FBill.Head.Creater = EnvUserName();
    }
    KeyValues = FBillID.isEmpty() ? QString() : QStringLiteral("ForID=%1\r\n").arg(QuotedStr(FBillID));
    EditMode = mode;
    Modified = false;
    qryMain.Close();
    if (!KeyValues.isEmpty())
        (void)RunSQL(qryMain, BuildEditSQL(), true);
    if (EditMode != emNone)
        FBill.Lines << TForcastLine();
    ShowBill();
    if (EditMode != emNone) {
        // Editing shows the lines in their order, starting on the first item number.
        BodyColumns.ClearSortingAndGrouping();
        FocusCell(0, QStringLiteral("ItmNo"));
    } else {
        int row = 0;
        for (int r = 0; r < FBill.Lines.size(); ++r)
            if (FBill.Lines[r].ForEntry == focusEntry)
                row = r;
        FocusCell(row, QStringLiteral("ItmNo"));
    }
}

void TForcastEditor::ShowHead()
{
    const TForcastHead& h = FBill.Head;
    edtForNo->setText(h.ForNo);
    edtForDate->setDate(h.ForDate.isValid() ? h.ForDate : QDate::currentDate());
    edtCreater->setText(h.Creater);
    edtChecker->setText(h.Checker);
    edtCheckDate->setText(h.CheckDate.isValid() ? DateToText(h.CheckDate.date()) : QString());
    lblState->setText(h.Checked ? QStringLiteral("(") + QStringLiteral("已审核") + QStringLiteral(")") : QString());
}

void TForcastEditor::ShowBill()
{
    FShowing = true;
    ShowHead();
    Detail->Clear();
    for (int row = 0; row < FBill.Lines.size(); ++row)
        Detail->AddNode(nullptr, LineValues(FBill.Lines[row], row, EditMode != emNone));
    SetControlsEditable();
    grdDetail->horizontalScrollBar()->setValue(0);
    FShowing = false;
}

void TForcastEditor::ShowLine(int row)
{
    TTreeNode* node = Detail->Root()->Child(row);
    if (!node)
        return;
    const QVariantMap values = LineValues(FBill.Lines[row], row, EditMode != emNone);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        Detail->SetNodeValue(node, it.key(), it.value());
}

void TForcastEditor::SetControlsEditable()
{
    const bool editing = EditMode != emNone;
    edtForNo->setReadOnly(!editing);
    edtForDate->setReadOnly(!editing);
    btnToday->setEnabled(editing);
    btnAddLine->setEnabled(editing);
    btnDeleteLines->setEnabled(CanDeleteLines());
    Detail->SetEditing(editing);
    grdDetail->viewport()->update();
}

void TForcastEditor::HeadChanged()
{
    if (FShowing || EditMode == emNone)
        return;
    FBill.Head.ForNo = edtForNo->text();
    FBill.Head.ForDate = edtForDate->date();
    Modified = true;
}

int TForcastEditor::FocusedRow() const
{
    const TTreeNode* node = Detail->NodeOf(grdDetail->currentIndex());
    return node ? node->Index() : -1;
}

QString TForcastEditor::FocusedField() const
{
    const TViewColumn* column = BodyColumns.At(grdDetail->currentIndex().column());
    return column ? column->FieldName : QString();
}

bool TForcastEditor::CanDeleteLines() const
{
    return EditMode != emNone && grdDetail->selectionModel() && !grdDetail->selectionModel()->selectedRows().isEmpty();
}

void TForcastEditor::AddLine()
{
    if (EditMode == emNone)
        return;
    if (FBill.Lines.isEmpty() || !FBill.Lines.last().IsEmpty()) {
        FBill.Lines << TForcastLine();
        Detail->AddNode(nullptr, LineValues(FBill.Lines.last(), int(FBill.Lines.size()) - 1, true));
    }
    FocusCell(int(FBill.Lines.size()) - 1, QStringLiteral("ItmNo"));
}

void TForcastEditor::DeleteSelectedLines()
{
    if (!CanDeleteLines())
        return;
    QList<int> rows;
    for (const QModelIndex& index : grdDetail->selectionModel()->selectedRows())
        if (const TTreeNode* node = Detail->NodeOf(index))
            rows << node->Index();
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (int row : rows)
        if (!FBill.Lines[row].IsEmpty()) {
            FBill.Lines.removeAt(row);
            Modified = true;
        }
    if (FBill.Lines.isEmpty() || !FBill.Lines.last().IsEmpty())
        FBill.Lines << TForcastLine();
    ShowBill();
}

void TForcastEditor::EnterCell(int row, const QString& field, const QVariant& value)
{
    if (EditMode == emNone)
        return;
    while (row >= FBill.Lines.size())
        AddLine();
    TTreeNode* node = Detail->Root()->Child(row);
    // Written as the cell's editor writes it: the model tells the editor what changed.
    QString message;
    if (!Detail->SetNodeValueChecked(node, field, value, &message))
        ShowWarning(message);
}

void TForcastEditor::grdDetailEditValueChanged(TTreeNode* Node, const QString& Field)
{
    if (FShowing || EditMode == emNone || !Node)
        return;
    const int row = Node->Index();
    if (row < 0 || row >= FBill.Lines.size())
        return;
    FOldValue = Node->Value(Field);
    FBill.StartLine(row);
    TForcastLine& line = FBill.Lines[row];
    const QVariant value = Node->Value(Field);
    const QString f = Field.toLower();
    try {
        if (f == QLatin1String("itmno")) {
            if (!FBill.SetItemNo(SharedConnection(), row, value.toString()) && !value.toString().trimmed().isEmpty())
                ShowWarning(FieldCheckText(fcNotExists, ForcastFieldCaption(Field), value.toString().trimmed()));
        } else if (f == QLatin1String("custname")) {
            if (!FBill.SetCustomer(SharedConnection(), row, value.toString()))
                ShowWarning(FieldCheckText(fcNotExists, ForcastFieldCaption(Field), value.toString().trimmed()));
        } else if (f == QLatin1String("forubillqty")) {
            FBill.SetUnitQty(row, value);
        } else if (f == QLatin1String("forbillqty")) {
            FBill.SetBaseQty(row, value);
        } else if (f == QLatin1String("fordelivdate")) {
            line.DelivDate = value.toDate();
        } else if (f == QLatin1String("fornote")) {
            line.Note = value.toString();
        } else if (f == QLatin1String("origtag")) {
            line.OrigTag = value.toString().trimmed();
        } else if (f == QLatin1String("origsubtag")) {
            line.OrigSubTag = value.toString().trimmed();
        } else if (f == QLatin1String("mrpgrouptype")) {
            line.GroupType = value.toInt();
            if (line.GroupType == 0)
                line.GroupNo.clear();
        } else if (f == QLatin1String("mrpgroupno")) {
            line.GroupNo = value.toString().trimmed();
        } else if (f.startsWith(QLatin1String("itmprop")) && f != QLatin1String("itmprops")) {
            line.Props[f.mid(7).toInt() - 1] = value.toString().trimmed();
        }
    } catch (const EAbort&) {
        throw;
    } catch (const EKxError& e) {
        ShowException(e);
    }
    Modified = true;
    FShowing = true;
    ShowLine(row);
    FShowing = false;
    // The last line in use: a fresh one follows for the next entry.
    if (row == FBill.Lines.size() - 1)
        AddLine();
    FocusCell(row, Field);
}

void TForcastEditor::FocusCell(int row, const QString& field)
{
    const QModelIndex cell = Detail->IndexOf(Detail->Root()->Child(row), BodyColumns.IndexOf(GetBodyColumn(field)));
    if (!cell.isValid())
        return;
    grdDetail->scrollTo(cell);
    grdDetail->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TForcastEditor::MakeFocus()
{
    if (EditMode != emNone)
        grdDetail->setFocus();
    else
        TCustomInfoEdit::MakeFocus();
}

bool TForcastEditor::QueryCommandState(int Command, TCommandState& State)
{
    return TCustomInfoEdit::QueryCommandState(Command, State);
}

bool TForcastEditor::ExecCommand(int Command)
{
    const int n = Command - cmdAction;
    if (ObjectDef && n >= 0 && n < ObjectDef->Actions.size()) {
        const TInfoActionDef& action = ObjectDef->Actions[n];
        if (action.ID.compare(QLatin1String("Check"), Qt::CaseInsensitive) == 0) {
            RunBillAction(action, futCheck);
            return true;
        }
        if (action.ID.compare(QLatin1String("UnCheck"), Qt::CaseInsensitive) == 0) {
            RunBillAction(action, futUnCheck);
            return true;
        }
    }
    return TCustomInfoEdit::ExecCommand(Command);
}

void TForcastEditor::RunBillAction(const TInfoActionDef& action, int updateType)
{
    if (FBillID.isEmpty() || EditMode != emNone)
        return;
    TQuery query(&SharedConnection());
    if (UpdateForcast(query, FBillID, QStringLiteral("0"), updateType))
        ShowInfo(QLatin1Char('[') + action.Name + QLatin1Char(']') + QStringLiteral("执行完成。"));
    else
        ShowError(QStringLiteral("因不满足执行条件或其他原因, 执行[%1]不成功!").arg(action.Name));
    OpenData(KeyValues, emNone);
}

bool TForcastEditor::SaveData()
{
    if (EditMode == emNone)
        return false;
    CommitPendingEdit(grdDetail);
    FBill.Head.ForNo = edtForNo->text();
    FBill.Head.ForDate = edtForDate->date();
    TForcastFault fault;
    bool saved = false;
    try {
        saved = FBill.Save(SharedConnection(), Env() ? Env()->ERPAccess : nullptr, fault);
    } catch (const EAbort&) {
        throw;
    } catch (const EKxError& e) {
        ShowException(e);
    }
    if (!saved) {
        // The checks drop untouched rows; the editor keeps one for the next entry.
        if (FBill.Lines.isEmpty() || !FBill.Lines.last().IsEmpty())
            FBill.Lines << TForcastLine();
        ShowBill();
        if (fault.Line >= 0)
            FocusCell(fault.Line, fault.Field);
        else if (fault.Field.compare(QLatin1String("ForDate"), Qt::CaseInsensitive) == 0)
            edtForDate->setFocus();
        else if (!fault.Field.isEmpty())
            edtForNo->setFocus();
        return false;
    }
    FBillID = FBill.Head.ForID;
    KeyValues = QStringLiteral("ForID=%1\r\n").arg(QuotedStr(FBillID));
    EditMode = emNone;
    Modified = false;
    return true;
}

} // namespace kx
