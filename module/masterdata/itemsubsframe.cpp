#include "masterdata/itemsubsframe.h"

#include "db/errors.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/settings.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "db/strutils.h"
#include "masterdata/additemsubsdlg.h"
#include "masterdata/copyitemsubsdlg.h"
#include "masterdata/itemsetting.h"
#include "views/hostobject.h"
#include "views/columneditor.h"
#include "views/commonui.h"
#include "views/pickedit.h"
#include "views/widgetservices.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace kx {

namespace {

enum TNodeLevel { nlBom = 0, nlLine = 1, nlSub = 2 };

const QString kLimitKind = QStringLiteral("[LimitKind]");
const QString kItmNo = QStringLiteral("ItmNo");
const QString kNodeText = QStringLiteral("NodeText");
const QString kBomKind = QStringLiteral("BomKind");

const char* const kColumnFields[] = {"NodeText", "BomKind", "ItmNo", "ItmName", "ItmSpec", "ItmTypeName", "ItmMrpType",
                                     "BomFixed", "UntName", "BomUQty", "BomUBaseQty", "ItmUntName", "BomQty", "BomBaseQty",
                                     "BomBeginDate", "BomEndDate", "BomNote"};
const char* const kEditableFields[] = {"ItmNo", "BomQty", "BomBaseQty", "BomBeginDate", "BomEndDate", "BomNote"};

QString SubKindText(bool global)
{
    return global ? QStringLiteral("全局替代") : QStringLiteral("局部替代");
}

bool IsGlobalBom(const TTreeNode* bom)
{
    return bom && bom->Value(QStringLiteral("BomID")).toString().isEmpty();
}

// The node values of a substitute: the listing fields of a level-2 row.
QVariantMap SubValues(const TItemSub& sub, const QVariantMap& item, bool global)
{
    QVariantMap v{{QStringLiteral("BomLevel"), int(nlSub)},
                  {kBomKind, SubKindText(global)},
                  {QStringLiteral("BomSubItmID"), sub.SubItemID},
                  {kItmNo, sub.SubItemNo},
                  {QStringLiteral("ItmName"), sub.SubItemName},
                  {QStringLiteral("ItmSpec"), sub.SubItemSpec},
                  {QStringLiteral("ItmTypeName"), item.value(QStringLiteral("ItmTypeName"))},
                  {QStringLiteral("ItmMrpType"), item.value(QStringLiteral("ItmMrpType"))},
                  {QStringLiteral("UntName"), item.value(QStringLiteral("UntName"))},
                  {QStringLiteral("ItmUntName"), item.value(QStringLiteral("UntName"))},
                  {QStringLiteral("PropMask"), sub.PropMask},
                  {QStringLiteral("BomUQty"), sub.Qty},
                  {QStringLiteral("BomQty"), sub.Qty},
                  {QStringLiteral("BomBaseQty"), sub.RQty},
                  {QStringLiteral("BomUBaseQty"), sub.RQty},
                  {QStringLiteral("BomBeginDate"), sub.BeginDate.isValid() ? QVariant(sub.BeginDate) : QVariant()},
                  {QStringLiteral("BomEndDate"), sub.EndDate.isValid() ? QVariant(sub.EndDate) : QVariant()},
                  {QStringLiteral("BomNote"), sub.Note},
                  {QStringLiteral("BomSubReplace"), sub.Replace}};
    for (int n = 1; n <= 10; ++n)
        v.insert(QStringLiteral("BomProp%1").arg(n), sub.SubProps.value(n - 1));
    return v;
}

} // namespace

TItemSubsFrame::TItemSubsFrame(QWidget* owner, const TInfoObjectDef* objectDef) : TInfoTreeView(owner, objectDef)
{
    trlMain->setObjectName(QStringLiteral("trlItemSubs"));
    for (const char* field : kColumnFields)
        BindStaticColumn(CreateColumn(QString()), QLatin1String(field));
    for (int n = 1; n <= 10; ++n)
        BindStaticColumn(CreateColumn(QString()), QStringLiteral("BomProp%1").arg(n));
    for (const char* field : kEditableFields)
        GetColumnByField(QLatin1String(field))->Editable = true;
    for (int n = 1; n <= 10; ++n)
        GetColumnByField(QStringLiteral("BomProp%1").arg(n))->Editable = true;

    // Only substitutes are edited, and a property only where the substitute item uses it.
    Nodes->SetEditableHook([](const TTreeNode* node, const TViewColumn* column) {
        if (!node || node->Level() != nlSub)
            return false;
        if (column->FieldName.startsWith(QLatin1String("BomProp"), Qt::CaseInsensitive)) {
            const int n = column->FieldName.mid(7).toInt();
            return node->Value(QStringLiteral("PropMask")).toString().mid(n - 1, 1) == QLatin1String("1");
        }
        return true;
    });
    connect(Nodes, &TTreeModel::CellEdited, this, &TItemSubsFrame::trlMainEditValueChanged);

    lblFilterKind = new QLabel(QStringLiteral("显示子项满足(&F):"), this);
    cboFilterKind = new QComboBox(this);
    cboFilterKind->addItems({QStringLiteral("BOM用料"), QStringLiteral("BOM用料(有替代)"), QStringLiteral("替代物料")});
    lblFilterKind->setBuddy(cboFilterKind);
    edtFilterItem = new TPickEdit(this);
    edtFilterItem->setMinimumWidth(160);
    btnFilterOK = new QPushButton(QStringLiteral("确定"), this);
    btnFilterCancel = new QPushButton(QStringLiteral("取消"), this);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 4, 4, 4);
    bar->addWidget(lblFilterKind);
    bar->addWidget(cboFilterKind);
    bar->addWidget(new QLabel(QStringLiteral("="), this));
    bar->addWidget(edtFilterItem);
    bar->addWidget(btnFilterOK);
    bar->addWidget(btnFilterCancel);
    bar->addStretch(1);
    ContentLayout()->insertLayout(0, bar);
    connect(btnFilterOK, &QPushButton::clicked, this, &TItemSubsFrame::btnFilterOKClick);
    connect(btnFilterCancel, &QPushButton::clicked, this, &TItemSubsFrame::btnFilterCancelClick);
}

void TItemSubsFrame::InitializeView(const QString& AAsDetailID, IInfoView* AMasterView)
{
    TInfoTreeView::InitializeView(AAsDetailID, AMasterView);
    // Designed widths, unless the scheme keeps the user's own.
    for (const auto& [field, width] : {std::pair{"NodeText", 170}, {"BomKind", 72}, {"ItmNo", 80}, {"ItmName", 90}, {"ItmSpec", 120}})
        GetColumnByField(QLatin1String(field))->Width = width;
    ApplyViewLayout();
    TPickEditProperties& picker = edtFilterItem->Properties;
    picker.FCaption = QStringLiteral("物料");
    picker.FSQL = BuildItemPickSQL(QString(), kItemPickSearch, QStringLiteral("i.ItmID as \"#ItmID\""));
    picker.FTextField = ItemPickColumn(QStringLiteral("ItmNo"));
    picker.FFixedFields = picker.FTextField;
    picker.FAfterDataPicked = [this](const TRecordSet& picked) { FLimitItemID = picked.Value(0, QStringLiteral("#ItmID")).toString(); };
    connect(edtFilterItem, &QLineEdit::textEdited, this, [this] { FLimitItemID.clear(); });
    const int kind = GetParamValue(ViewScheme.Params, kLimitKind).toInt();
    cboFilterKind->setCurrentIndex(kind >= 0 && kind <= islSubstitute ? kind : 0);
}

void TItemSubsFrame::SetFilterLimit(TItemSubsLimit kind, const QString& itemID)
{
    cboFilterKind->setCurrentIndex(kind);
    FLimitItemID = itemID;
}

void TItemSubsFrame::btnFilterOKClick()
{
    const QString itemNo = edtFilterItem->text().trimmed();
    if (!itemNo.isEmpty() && FLimitItemID.isEmpty()) {
        TQuery q(&SharedConnection());
        if (RunSQL(q, QStringLiteral("select ItmID from KX_Base_ItemMaster where ItmNo=%1").arg(QuotedStr(itemNo)), true) && !q.IsEmpty())
            FLimitItemID = q.Fields(0).AsString();
        if (FLimitItemID.isEmpty()) {
            ShowWarning(FieldCheckText(fcNotExists, kCaptionItemNo, itemNo));
            edtFilterItem->setFocus();
            return;
        }
    }
    if (!QuerySaveEdits())
        return;
    ViewScheme.Params = SetParamValue(ViewScheme.Params, kLimitKind, QString::number(cboFilterKind->currentIndex()));
    RefreshData(false);
}

void TItemSubsFrame::btnFilterCancelClick()
{
    if (!QuerySaveEdits())
        return;
    edtFilterItem->clear();
    FLimitItemID.clear();
    RefreshData(false);
}

void TItemSubsFrame::LoadData(bool)
{
    Nodes->Clear();
    FModifiedBoms.clear();
    Modified = false;
    const TItemSubsLimit kind = TItemSubsLimit(cboFilterKind->currentIndex());
    BuiltSQL = ItemSubsListSQL(DataFilter.trimmed(), kind, FLimitItemID);
    TQuery q(&SharedConnection());
    {
        TWaitCursor wait;
        if (!RunSQL(q, BuiltSQL, true))
            return;
    }
    const QStringList fields = q.FieldNames();
    TTreeNode* bom = nullptr;
    TTreeNode* line = nullptr;
    setUpdatesEnabled(false);
    for (int row = 0; row < q.RecordCount(); ++row) {
        QVariantMap values;
        for (int f = 0; f < fields.size(); ++f)
            values.insert(fields[f], q.ValueAt(row, f));
        const auto value = [&values](const char* name) { return values.value(QString::fromLatin1(name).toLower()); };
        switch (value("BomLevel").toInt()) {
        case nlBom: {
            const int type = value("BomType").toInt();
            values.insert(kNodeText, value("BomNo"));
            values.insert(kBomKind, type == 0 ? QString() : EnumText(QStringLiteral("BomType"), type));
            bom = Nodes->AddNode(nullptr, values);
            line = nullptr;
            break;
        }
        case nlLine:
            values.insert(kNodeText, value("BomEntry"));
            if (bom)
                line = Nodes->AddNode(bom, values);
            break;
        default:
            values.insert(kBomKind, SubKindText(IsGlobalBom(bom)));
            if (line)
                Nodes->AddNode(line, values);
            break;
        }
    }
    for (int b = 0; b < Nodes->Root()->ChildCount(); ++b)
        for (int l = 0; l < Nodes->Root()->Child(b)->ChildCount(); ++l)
            Renumber(Nodes->Root()->Child(b)->Child(l));
    setUpdatesEnabled(true);
    trlMain->expandAll();
}

void TItemSubsFrame::Renumber(TTreeNode* line)
{
    for (int i = 0; line && i < line->ChildCount(); ++i)
        Nodes->SetNodeValue(line->Child(i), kNodeText, i + 1);
}

TTreeNode* TItemSubsFrame::BomNode(TTreeNode* node)
{
    while (node && node->Level() > nlBom)
        node = node->Parent();
    return node;
}

TTreeNode* TItemSubsFrame::LineNode(TTreeNode* node)
{
    if (!node || node->Level() == nlBom)
        return nullptr;
    return node->Level() == nlSub ? node->Parent() : node;
}

QList<TTreeNode*> TItemSubsFrame::SelectedLines() const
{
    QList<TTreeNode*> lines;
    for (TTreeNode* node : SelectedNodes())
        if (TTreeNode* line = LineNode(node); line && !lines.contains(line))
            lines << line;
    if (lines.isEmpty())
        if (TTreeNode* line = LineNode(FocusedNode()))
            lines << line;
    return lines;
}

void TItemSubsFrame::MarkModified(TTreeNode* node)
{
    if (TTreeNode* bom = BomNode(node))
        FModifiedBoms.insert(bom);
    Modified = true;
}

TItemSubBom TItemSubsFrame::BomOfNode(TTreeNode* bomNode) const
{
    TItemSubBom bom;
    if (!bomNode)
        return bom;
    bom.BomType = bomNode->Value(QStringLiteral("BomType")).toInt();
    bom.BomID = bomNode->Value(QStringLiteral("BomID")).toString();
    bom.BomNo = bomNode->Value(QStringLiteral("BomNo")).toString();
    bom.ProductID = bomNode->Value(QStringLiteral("BomItmID")).toString();
    for (int l = 0; l < bomNode->ChildCount(); ++l) {
        const TTreeNode* lineNode = bomNode->Child(l);
        TItemSubLine line;
        line.Entry = lineNode->Value(QStringLiteral("BomEntry")).toInt();
        line.RowHook = lineNode->Value(QStringLiteral("BomRowHook")).toString();
        line.ItemID = lineNode->Value(QStringLiteral("BomItmID")).toString();
        line.ItemNo = lineNode->Value(kItmNo).toString();
        for (int s = 0; s < lineNode->ChildCount(); ++s) {
            const TTreeNode* subNode = lineNode->Child(s);
            line.Subs << ItemSubOfRow([subNode](const QString& field) { return subNode->Value(field); });
        }
        bom.Lines << line;
    }
    return bom;
}

void TItemSubsFrame::FetchCustomDrawFormat(const TTreeNode* Node, TCellDrawFormat& Format, const TViewColumn* Column)
{
    if (!Node)
        return;
    if (Node->Level() == nlBom) {
        Format.Font.setBold(true);
        Format.FontChanged = true;
    }
    if (GetEditMode() && Column && Column->Editable && Nodes->flags(Nodes->IndexOf(Node, Columns.IndexOf(Column))) & Qt::ItemIsEditable)
        Format.Background = kEditBackColor;
}

bool TItemSubsFrame::QueryCommandState(int Command, TCommandState& State)
{
    if (Command < cmdAction)
        return TInfoTreeView::QueryCommandState(Command, State);
    TTreeNode* focused = FocusedNode();
    const bool editing = GetEditMode();
    const auto enabled = [](bool on) { return on ? TCommandState(csEnabled) : TCommandState(0); };
    if (Command == ActionCommand(QStringLiteral("Update"))) {
        State = enabled(Nodes->Root()->ChildCount() > 0 || editing) | (editing ? TCommandState(csChecked) : 0);
    } else if (Command == ActionCommand(QStringLiteral("AddSubs"))) {
        State = enabled(editing && LineNode(focused));
    } else if (Command == ActionCommand(QStringLiteral("AddSubsEx"))) {
        State = enabled(editing && !SelectedLines().isEmpty());
    } else if (Command == ActionCommand(QStringLiteral("DelSubs"))) {
        const QList<TTreeNode*> selected = SelectedNodes();
        State = enabled(editing && std::any_of(selected.begin(), selected.end(), [](const TTreeNode* n) { return n->Level() == nlSub; }));
    } else if (Command == ActionCommand(QStringLiteral("UpSubs"))) {
        State = enabled(editing && focused && focused->Level() == nlSub && focused->Index() > 0);
    } else if (Command == ActionCommand(QStringLiteral("DownSubs"))) {
        State = enabled(editing && focused && focused->Level() == nlSub && focused->Index() < focused->Parent()->ChildCount() - 1);
    } else if (Command == ActionCommand(QStringLiteral("CopySubs"))) {
        TTreeNode* bom = BomNode(focused);
        State = enabled(!editing && bom && !IsGlobalBom(bom));
    } else {
        return TInfoTreeView::QueryCommandState(Command, State);
    }
    return true;
}

bool TItemSubsFrame::ExecCommand(int Command)
{
    if (Command < cmdAction)
        return TInfoTreeView::ExecCommand(Command);
    if (Command == ActionCommand(QStringLiteral("Update")))
        ToggleEditMode();
    else if (Command == ActionCommand(QStringLiteral("AddSubs")))
        AddSubs();
    else if (Command == ActionCommand(QStringLiteral("AddSubsEx")))
        AddSubsEx();
    else if (Command == ActionCommand(QStringLiteral("DelSubs")))
        DelSubs();
    else if (Command == ActionCommand(QStringLiteral("UpSubs")))
        MoveSubs(-1);
    else if (Command == ActionCommand(QStringLiteral("DownSubs")))
        MoveSubs(1);
    else if (Command == ActionCommand(QStringLiteral("CopySubs")))
        CopySubs();
    else
        return TInfoTreeView::ExecCommand(Command);
    return true;
}

TTreeNode* TItemSubsFrame::AddSubstitute(TTreeNode* line, const TItemSub& sub, int row)
{
    if (!line)
        return nullptr;
    const QVariantMap item = sub.SubItemID.isEmpty() ? QVariantMap() : LookupSubItem(SharedQuery(), sub.SubItemNo);
    TTreeNode* node = Nodes->AddNode(line, SubValues(sub, item, IsGlobalBom(BomNode(line))));
    if (row >= 0)
        Nodes->MoveNode(node, row);
    Renumber(line);
    trlMain->expand(Nodes->IndexOf(line));
    MarkModified(line);
    return node;
}

void TItemSubsFrame::AddSubs()
{
    TTreeNode* line = LineNode(FocusedNode());
    if (!GetEditMode() || !line)
        return;
    TTreeNode* node = AddSubstitute(line, TItemSub{});
    FocusCell(node, kItmNo, true);
}

void TItemSubsFrame::AddSubsEx()
{
    if (!GetEditMode())
        return;
    const QList<TTreeNode*> lines = SelectedLines();
    const QList<TTreeNode*> selected = SelectedNodes();
    if (lines.isEmpty())
        return;
    TAddItemSubsDlg dlg(this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    for (TTreeNode* line : lines) {
        // The substitute of this line that is selected, for the positions relative to it.
        TTreeNode* anchor = nullptr;
        for (TTreeNode* n : selected)
            if (n->Level() == nlSub && n->Parent() == line)
                anchor = n;
        int row = -1;
        switch (dlg.Position()) {
        case aspFirst: row = 0; break;
        case aspAfterSelected: row = anchor ? anchor->Index() + 1 : -1; break;
        case aspBeforeSelected: row = anchor ? anchor->Index() : 0; break;
        case aspLast: break;
        }
        AddSubstitute(line, dlg.Substitute(), row);
    }
}

void TItemSubsFrame::DelSubs()
{
    if (!GetEditMode())
        return;
    for (TTreeNode* node : SelectedNodes()) {
        if (node->Level() != nlSub)
            continue;
        TTreeNode* line = node->Parent();
        MarkModified(line);
        Nodes->DeleteNode(node);
        Renumber(line);
    }
}

void TItemSubsFrame::MoveSubs(int step)
{
    TTreeNode* node = FocusedNode();
    if (!GetEditMode() || !node || node->Level() != nlSub)
        return;
    const int row = node->Index() + step;
    if (row < 0 || row >= node->Parent()->ChildCount())
        return;
    Nodes->MoveNode(node, row);
    Renumber(node->Parent());
    MarkModified(node);
    FocusCell(node, kNodeText, false);
}

void TItemSubsFrame::CopySubs()
{
    TTreeNode* bomNode = BomNode(FocusedNode());
    if (GetEditMode() || !bomNode || IsGlobalBom(bomNode))
        return;
    TItemSubBom target;
    if (!LoadItemSubBom(SharedQuery(), bomNode->Value(QStringLiteral("BomID")).toString(), target))
        return;
    target.BomNo = bomNode->Value(QStringLiteral("BomNo")).toString();
    target.ProductID = bomNode->Value(QStringLiteral("BomItmID")).toString();
    if (CopyItemSubs(SharedQuery(), target, this))
        RefreshData(false);
}

void TItemSubsFrame::trlMainEditValueChanged(TTreeNode* Node, const QString& Field)
{
    if (!GetEditMode() || FResolving || !Node || Node->Level() != nlSub)
        return;
    MarkModified(Node);
    FResolving = true;
    if (Field.compare(kItmNo, Qt::CaseInsensitive) == 0)
        SetSubItem(Node, LookupSubItem(SharedQuery(), Node->Value(kItmNo).toString()));
    else if (Field.compare(QLatin1String("BomQty"), Qt::CaseInsensitive) == 0)
        Nodes->SetNodeValue(Node, QStringLiteral("BomUQty"), Node->Value(Field));
    else if (Field.compare(QLatin1String("BomBaseQty"), Qt::CaseInsensitive) == 0)
        Nodes->SetNodeValue(Node, QStringLiteral("BomUBaseQty"), Node->Value(Field));
    FResolving = false;
}

void TItemSubsFrame::SetSubItem(TTreeNode* node, const QVariantMap& item)
{
    Nodes->SetNodeValue(node, QStringLiteral("BomSubItmID"), item.value(QStringLiteral("ItmID")).toString());
    for (const char* field : {"ItmName", "ItmSpec", "ItmTypeName", "ItmMrpType", "UntName", "PropMask"})
        Nodes->SetNodeValue(node, QLatin1String(field), item.value(QLatin1String(field)));
    Nodes->SetNodeValue(node, QStringLiteral("ItmUntName"), item.value(QStringLiteral("UntName")));
}

void TItemSubsFrame::FocusCell(TTreeNode* node, const QString& field, bool edit)
{
    const QModelIndex cell = Nodes->IndexOf(node, Columns.IndexOf(GetColumnByField(field)));
    if (!cell.isValid())
        return;
    trlMain->scrollTo(cell);
    trlMain->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (edit) {
        trlMain->setFocus();
        trlMain->edit(cell);
    }
}

bool TItemSubsFrame::SaveData()
{
    if (!GetEditMode())
        return false;
    CommitPendingEdit(trlMain);
    QList<TTreeNode*> boms;
    for (int b = 0; b < Nodes->Root()->ChildCount(); ++b)
        if (FModifiedBoms.contains(Nodes->Root()->Child(b)))
            boms << Nodes->Root()->Child(b);
    try {
        // Every changed BOM is checked before any is stored.
        QList<TItemSubBom> checked;
        for (TTreeNode* bomNode : boms) {
            TItemSubBom shown = BomOfNode(bomNode);
            const TItemSubsFault fault = CheckItemSubBom(SharedQuery(), shown);
            if (fault.Failed()) {
                ShowWarning(fault.Message);
                FocusCell(bomNode->Child(fault.Line)->Child(fault.Sub), fault.Field, true);
                return false;
            }
            checked << shown;
        }
        // Lines the view does not show keep their substitutes: the bill carries the whole BOM.
        for (qsizetype i = 0; i < boms.size(); ++i) {
            TItemSubBom stored;
            if (!LoadItemSubBom(SharedQuery(), checked[i].BomID, stored))
                return false;
            QString error;
            TWaitCursor wait;
            if (!SaveItemSubBom(Env() ? Env()->ERPAccess : nullptr, MergeShownLines(stored, checked[i]), EnvUserID(), error)) {
                ShowError(error);
                return false;
            }
            FModifiedBoms.remove(boms[i]);
        }
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& e) {
        ShowException(e);
        return false;
    }
    Modified = false;
    RefreshData(false);
    return true;
}

} // namespace kx
