#include "analysis/bomexpandframe.h"

#include "db/dataset.h"
#include "db/settings.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "db/strutils.h"
#include "masterdata/copyitemsubsdlg.h"
#include "views/hostobject.h"
#include "views/commonui.h"
#include "views/messagebox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTreeView>
#include <QVBoxLayout>

namespace kx {

namespace {

enum TNodeKind { nkRoot = 0, nkLine = 1, nkSubGroup = 2, nkSub = 3 };

const QString kItemSubs = QStringLiteral("[ItemSubs]");
const QString kLossChoice = QStringLiteral("[LossRate]");
const QString kProductList = QStringLiteral("KX_MRP.BOMHeads");

const char* const kColumnFields[] = {
    "BomEntry",   "BomItmNo",     "BomItmName", "BomItmSpec",  "BomItmTypeName", "BomItmMrpType", "BomRole",
    "BomPercent", "BomUnit",      "BomFixed",   "BomUCurrQty", "BomUFullQty",    "BomUBaseQty",   "BomLossRate",
    "BomPutLossRate", "BomUTestQty", "BomBeginDate", "BomEndDate", "BomNote",       "BomBaseUnit",   "BomCurrQty",
    "BomBaseQty", "BomFullQty",   "BomTestQty", "BomItmBomNo", "BomItmOkRate"};

int Kind(const TTreeNode* node)
{
    return node ? node->Data.toMap().value(QStringLiteral("Kind")).toInt() : -1;
}

QVariant NodeData(const TTreeNode* node, const char* key)
{
    return node->Data.toMap().value(QLatin1String(key));
}

// The text of a master value as SetMasterValues passes it: quotes taken off a text literal.
QString MasterValue(const QString& values, const QString& field)
{
    QString v = GetParamValue(values, field).trimmed();
    if (v.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0)
        return QString();
    if (v.size() >= 2 && v.startsWith(QLatin1Char('\'')) && v.endsWith(QLatin1Char('\'')))
        v = v.mid(1, v.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
    return v;
}

// The quantity fields of a node, in the order of QuantityValues.
const QStringList kQuantityFields{QStringLiteral("BomFullQty"), QStringLiteral("BomTestQty"), QStringLiteral("BomUFullQty"),
                                  QStringLiteral("BomUTestQty")};

// A node's usage for the whole product and trial quantity, in base units and in the unit of
// its line (factor: base units in one line unit).
QVariantList QuantityValues(const TBomNodeQty& qty, double factor)
{
    const double f = factor > 0 ? factor : 1;
    return {qty.Full, qty.Trial, Round8(qty.Full / f), Round8(qty.Trial / f)};
}

// The yield the lines under a node are issued at: the node's BOM's, which may be a trial
// value typed in the tree.
double ParentYield(const TTreeNode* node)
{
    const QVariant yield = node->Value(QStringLiteral("BomItmOkRate"));
    return yield.isNull() ? 100 : yield.toDouble();
}

QVariant DateOrNull(const TQuery& q, const QString& field)
{
    const TField f = q.FieldByName(field);
    return f.IsNull() ? QVariant() : QVariant(f.AsDate());
}

} // namespace

TBOMExpandFrame::TBOMExpandFrame(QWidget* owner, const TInfoObjectDef* objectDef) : TInfoTreeView(owner, objectDef)
{
    trlMain->setObjectName(QStringLiteral("trlBOMExpand"));
    for (const char* field : kColumnFields)
        BindStaticColumn(CreateColumn(QString()), QLatin1String(field));
    for (int n = 1; n <= 10; ++n)
        BindStaticColumn(CreateColumn(QString()), QStringLiteral("BomProp%1").arg(n));
    for (const char* field : {"BomItmOkRate", "BomItmNo", "BomCurrQty", "BomBaseQty", "BomBeginDate", "BomEndDate", "BomNote"})
        GetColumnByField(QLatin1String(field))->Editable = true;
    for (int n = 1; n <= 10; ++n)
        GetColumnByField(QStringLiteral("BomProp%1").arg(n))->Editable = true;
    // A trial yield may be typed for every BOM in the tree; in edit mode the local substitutes
    // are edited too.
    Nodes->SetEditableHook([this](const TTreeNode* node, const TViewColumn* column) {
        if (column->FieldName == QLatin1String("BomItmOkRate"))
            return (Kind(node) == nkRoot || Kind(node) == nkLine) && !NodeData(node, "BomID").toString().isEmpty();
        return SubEditable(node, column);
    });
    Nodes->SetEditing(true);
    connect(Nodes, &TTreeModel::CellEdited, this, &TBOMExpandFrame::trlMainEditValueChanged);

    FBomQtyUseStdQty = ReadSettingBool(QStringLiteral("KX_MRP"), QStringLiteral("BomQtyUseStdQty"), true, false);
    FBomExpandVirtualItem = ReadSettingBool(QStringLiteral("KX_MRP"), QStringLiteral("BomExpandVirtualItem"), true, false);
    FReader = std::make_unique<TBomLineReader>(SharedConnection(), FBomQtyUseStdQty);

    lblLossRate = new QLabel(QStringLiteral("试算考虑(&L):"), this);
    cboLossRate = new QComboBox(this);
    cboLossRate->setObjectName(QStringLiteral("cboLossRate"));
    cboLossRate->addItems(BomLossChoiceTexts());
    cboLossRate->setCurrentIndex(blLossRate);
    lblLossRate->setBuddy(cboLossRate);
    lblPrdQty = new QLabel(QStringLiteral("产品数量(&Q):"), this);
    edtPrdQty = new QDoubleSpinBox(this);
    edtPrdQty->setObjectName(QStringLiteral("edtPrdQty"));
    edtPrdQty->setDecimals(4);
    edtPrdQty->setRange(0.0001, 999999999);
    edtPrdQty->setValue(1);
    edtPrdQty->setMinimumWidth(110);
    lblPrdQty->setBuddy(edtPrdQty);
    chkSubItems = new QCheckBox(QStringLiteral("显示替代物料(&S)"), this);
    chkSubItems->setObjectName(QStringLiteral("chkSubItems"));
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 4, 4, 4);
    bar->addWidget(lblLossRate);
    bar->addWidget(cboLossRate);
    bar->addSpacing(12);
    bar->addWidget(lblPrdQty);
    bar->addWidget(edtPrdQty);
    bar->addSpacing(12);
    bar->addWidget(chkSubItems);
    bar->addStretch(1);
    ContentLayout()->insertLayout(0, bar);

    connect(cboLossRate, &QComboBox::currentIndexChanged, this, [this] {
        ViewScheme.Params = SetParamValue(ViewScheme.Params, kLossChoice, QString::number(cboLossRate->currentIndex()));
        for (int i = 0; i < Nodes->Root()->ChildCount(); ++i)
            Recompute(Nodes->Root()->Child(i));
    });
    connect(edtPrdQty, &QDoubleSpinBox::valueChanged, this, [this] {
        if (TTreeNode* root = Nodes->Root()->Child(0)) {
            ShowQuantities(root);
            Recompute(root);
        }
    });
    connect(chkSubItems, &QCheckBox::toggled, this, [this](bool on) {
        ViewScheme.Params = SetParamValue(ViewScheme.Params, kItemSubs, on ? QStringLiteral("1") : QStringLiteral("0"));
        if (DataIsFresh)
            RefreshData(true);
    });
}

TBOMExpandFrame::~TBOMExpandFrame() = default;

void TBOMExpandFrame::InitializeView(const QString& AAsDetailID, IInfoView* AMasterView)
{
    TInfoTreeView::InitializeView(AAsDetailID, AMasterView);
    for (const auto& [field, width] : {std::pair{"BomEntry", 150}, {"BomItmNo", 90}, {"BomItmName", 90}, {"BomItmSpec", 140},
                                       {"BomUTestQty", 110}, {"BomUFullQty", 90}, {"BomTestQty", 110}})
        GetColumnByField(QLatin1String(field))->Width = width;
    ApplyViewLayout();
    {
        const QSignalBlocker block(chkSubItems);
        chkSubItems->setChecked(GetParamValue(ViewScheme.Params, kItemSubs).trimmed() == QLatin1String("1"));
    }
    const QString choice = GetParamValue(ViewScheme.Params, kLossChoice).trimmed();
    if (!choice.isEmpty()) {
        const QSignalBlocker block(cboLossRate);
        cboLossRate->setCurrentIndex(qBound(0, choice.toInt(), 2));
    }
    // Opened on its own, the view shows the BOM list it expands above the tree.
    if (AMasterView || !Env() || !Env()->CreateInfoView || !Env()->GetObjectDef)
        return;
    const TInfoObjectDef* listDef = Env()->GetObjectDef(kProductList);
    FProductList = listDef ? Env()->CreateInfoView(listDef) : nullptr;
    if (!FProductList)
        return;
    auto* holder = new QWidget(this);
    holder->setObjectName(QStringLiteral("pnlProductList"));
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    FProductList->InitializeView(QString(), nullptr);
    FProductList->SetParentControl(holder);
    ContentLayout()->insertWidget(1, holder, 2);
    ContentLayout()->setStretchFactor(trlMain, 3);
    FProductList->SetOnFocusedRecordChanged([this](IInfoView*) { ProductListFocusChanged(); });
    FProductList->RefreshData(false);
}

void TBOMExpandFrame::ProductListFocusChanged()
{
    if (!FProductList)
        return;
    auto value = [this](const char* field) {
        const QString v = FProductList->GetFocusedRecordString(QLatin1String(field));
        return v == QLatin1String("null") ? QString() : v;
    };
    SetProduct(value("BomItmID"), value("BomType").toInt(), value("BomID"));
}

void TBOMExpandFrame::SetMasterValues(const QString& Values, bool Refresh)
{
    FProductID = MasterValue(Values, QStringLiteral("BomItmID"));
    FBomType = MasterValue(Values, QStringLiteral("BomType")).toInt();
    FBomID = MasterValue(Values, QStringLiteral("BomID"));
    TInfoTreeView::SetMasterValues(Values, Refresh);
}

void TBOMExpandFrame::SetProduct(const QString& productID, int bomType, const QString& bomID)
{
    FProductID = productID;
    FBomType = bomType;
    FBomID = bomID;
    RefreshData(false);
}

void TBOMExpandFrame::LoadData(bool)
{
    Nodes->Clear();
    FReader->Clear();
    if (FProductID.isEmpty())
        return;
    TQuery q(&SharedConnection());
    {
        TWaitCursor wait;
        if (!RunSQL(q, BomHeadSQL(FProductID, FBomType, FBomID), true))
            return;
    }
    if (q.IsEmpty())
        return;
    auto v = [&q](const char* field) { return q.FieldByName(QLatin1String(field)).Value(); };
    QVariantMap values{{QStringLiteral("BomEntry"), QStringLiteral("(产品)")},
                       {QStringLiteral("BomItmNo"), v("ItmNo")},
                       {QStringLiteral("BomItmName"), v("ItmName")},
                       {QStringLiteral("BomItmSpec"), v("ItmSpec")},
                       {QStringLiteral("BomItmTypeName"), v("ItmTypeName")},
                       {QStringLiteral("BomItmMrpType"), v("ItmMrpType")},
                       {QStringLiteral("BomUnit"), v("UntName")},
                       {QStringLiteral("BomBaseUnit"), v("ItmUntName")},
                       {QStringLiteral("BomItmBomNo"), v("BomNo")},
                       {QStringLiteral("BomItmOkRate"), v("BomOkRate")},
                       {QStringLiteral("BomBeginDate"), DateOrNull(q, QStringLiteral("BomBeginDate"))},
                       {QStringLiteral("BomEndDate"), DateOrNull(q, QStringLiteral("BomEndDate"))},
                       {QStringLiteral("BomNote"), v("BomRemark")},
                       {QStringLiteral("BomItmID"), v("BomItmID")},
                       {QStringLiteral("BomProps"), v("BomProps")},
                       {QStringLiteral("BomPropMask"), v("PropMask")},
                       {QStringLiteral("BomUnitFactor"), v("UntFactor")},
                       {QStringLiteral("BomItmBomType"), v("BomType")},
                       {QStringLiteral("BomItmBomID"), v("BomID")}};
    for (int n = 1; n <= 10; ++n)
        values.insert(QStringLiteral("BomProp%1").arg(n), q.FieldByName(QStringLiteral("BomProp%1").arg(n)).Value());
    TTreeNode* root = Nodes->AddNode(nullptr, values);
    root->Data = QVariantMap{{QStringLiteral("Kind"), int(nkRoot)},
                             {QStringLiteral("ItmID"), v("BomItmID")},
                             {QStringLiteral("BomType"), v("BomType")},
                             {QStringLiteral("BomID"), v("BomID")},
                             {QStringLiteral("Factor"), q.FieldByName(QStringLiteral("UntFactor")).AsFloat()}};
    root->HasChildren = true;
    ShowQuantities(root);
    // The whole tree's BOMs in one statement per level: expanding reads nothing more. The
    // substitutes' reading goes line by line.
    if (!chkSubItems->isChecked()) {
        TWaitCursor wait;
        FReader->ReadTree(TBomRef{v("BomItmID").toString(), v("BomType").toInt(), v("BomID").toString()}, true);
    }
    Nodes->LoadChildren(root);
    trlMain->expand(Nodes->IndexOf(root));
    trlMain->setCurrentIndex(Nodes->IndexOf(root));
}

void TBOMExpandFrame::LoadChildNodes(TTreeNode* Node)
{
    LoadLines(Node);
}

void TBOMExpandFrame::LoadLines(TTreeNode* node)
{
    const TBomRef bom{NodeData(node, "ItmID").toString(), NodeData(node, "BomType").toInt(), NodeData(node, "BomID").toString()};
    if (bom.BomID.isEmpty())
        return;
    const bool subs = chkSubItems->isChecked();
    const QList<TBomLineRow>* rows = nullptr;
    {
        TWaitCursor wait;
        rows = FReader->Lines(bom, !subs);
    }
    if (!rows)
        return;
    // The lines come with their quantities under the node, all in one insertion: a big BOM
    // level has thousands of lines, and a node added and then changed value by value costs
    // the tree view a signal for every change.
    const TBomNodeQty parent{NodeData(node, "Full").toDouble(), NodeData(node, "Trial").toDouble()};
    const double yield = ParentYield(node);
    const auto choice = TBomLossChoice(cboLossRate->currentIndex());
    QList<TBomNodeQty> quantities;
    QList<QVariantList> values;
    quantities.reserve(rows->size());
    values.reserve(rows->size());
    for (const TBomLineRow& row : *rows) {
        const TBomNodeQty qty = BomLineQuantity(row.Qty, parent, yield, choice);
        QVariantList v = row.Values;
        v << QuantityValues(qty, row.Factor);
        quantities << qty;
        values << v;
    }
    static const QStringList fields = BomLineFields() + kQuantityFields;
    const QList<TTreeNode*> lines = Nodes->AddNodes(node, fields, values);
    QList<TTreeNode*> phantoms;
    QList<std::pair<QString, QString>> refs;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const TBomLineRow& row = rows->at(i);
        TTreeNode* line = lines[i];
        line->Data = QVariantMap{{QStringLiteral("Kind"), int(nkLine)},
                                 {QStringLiteral("ItmID"), row.Bom.ProductID},
                                 {QStringLiteral("BomType"), row.Bom.BomType},
                                 {QStringLiteral("BomID"), row.Bom.BomID},
                                 {QStringLiteral("Factor"), row.Factor},
                                 {QStringLiteral("Fixed"), row.Qty.Fixed},
                                 {QStringLiteral("Qty"), row.Qty.Qty},
                                 {QStringLiteral("BaseQty"), row.Qty.BaseQty},
                                 {QStringLiteral("Percent"), row.Qty.Percent},
                                 {QStringLiteral("LossRate"), row.Qty.LossRate},
                                 {QStringLiteral("PutLossRate"), row.Qty.PutLossRate},
                                 {QStringLiteral("Full"), quantities[i].Full},
                                 {QStringLiteral("Trial"), quantities[i].Trial}};
        line->HasChildren = row.HasBom;
        if (row.Phantom && row.HasBom && FBomExpandVirtualItem)
            phantoms << line;
        refs << std::pair{row.Bom.ProductID, row.RowHook};
    }
    if (subs)
        LoadSubstitutes(node, bom.BomType, bom.BomID, refs);
    // Phantoms are seen through at once: their lines come with their parent's.
    for (TTreeNode* phantom : phantoms) {
        Nodes->LoadChildren(phantom);
        trlMain->expand(Nodes->IndexOf(phantom));
    }
}

void TBOMExpandFrame::LoadSubstitutes(TTreeNode* node, int bomType, const QString& bomID,
                                      const QList<std::pair<QString, QString>>& lines)
{
    TQuery q(&SharedConnection());
    const bool read = RunSQL(q, BomSubstitutesSQL(bomType, bomID, lines), true);
    TQuery drop(&SharedConnection());
    if (!RunSQL(drop, BomDropTablesSQL(), false) || !read)
        return;
    QHash<QString, TTreeNode*> byHook;
    for (int i = 0; i < node->ChildCount(); ++i)
        byHook.insert(node->Child(i)->Value(QStringLiteral("BomRowHook")).toString(), node->Child(i));
    for (q.First(); !q.Eof(); q.Next()) {
        TTreeNode* line = byHook.value(q.FieldByName(QStringLiteral("BomRowHook")).AsString());
        if (!line)
            continue;
        const bool global = q.FieldByName(QStringLiteral("SubGlobal")).AsInteger() == 1;
        const QString groupText = global ? QStringLiteral("全局替代料") : QStringLiteral("局部替代料");
        TTreeNode* group = nullptr;
        for (int i = 0; i < line->ChildCount() && !group; ++i)
            if (Kind(line->Child(i)) == nkSubGroup && line->Child(i)->Value(QStringLiteral("BomEntry")).toString() == groupText)
                group = line->Child(i);
        if (!group) {
            group = Nodes->AddNode(line, {{QStringLiteral("BomEntry"), groupText}});
            group->Data = QVariantMap{{QStringLiteral("Kind"), int(nkSubGroup)}, {QStringLiteral("Global"), global}};
            group->ChildrenLoaded = true;
        }
        auto v = [&q](const char* field) { return q.FieldByName(QLatin1String(field)).Value(); };
        QVariantMap values{{QStringLiteral("BomEntry"), v("SubPriority")},
                           {QStringLiteral("BomItmNo"), v("ItmNo")},
                           {QStringLiteral("BomItmName"), v("ItmName")},
                           {QStringLiteral("BomItmSpec"), v("ItmSpec")},
                           {QStringLiteral("BomItmTypeName"), v("ItmTypeName")},
                           {QStringLiteral("BomItmMrpType"), v("ItmMrpType")},
                           {QStringLiteral("BomRole"), global ? QStringLiteral("全局替代") : QStringLiteral("局部替代")},
                           {QStringLiteral("BomUnit"), v("UntName")},
                           {QStringLiteral("BomBaseUnit"), v("UntName")},
                           {QStringLiteral("BomUCurrQty"), v("SubRQty")},
                           {QStringLiteral("BomUBaseQty"), v("SubQty")},
                           {QStringLiteral("BomCurrQty"), v("SubRQty")},
                           {QStringLiteral("BomBaseQty"), v("SubQty")},
                           {QStringLiteral("BomBeginDate"), DateOrNull(q, QStringLiteral("SubBeginDate"))},
                           {QStringLiteral("BomEndDate"), DateOrNull(q, QStringLiteral("SubEndDate"))},
                           {QStringLiteral("BomNote"), v("SubNote")},
                           {QStringLiteral("BomItmID"), v("SubRItmID")},
                           {QStringLiteral("BomProps"), v("SubRProps")},
                           {QStringLiteral("BomPropMask"), v("PropMask")},
                           {QStringLiteral("BomUnitFactor"), v("UntFactor")}};
        for (int n = 1; n <= 10; ++n)
            values.insert(QStringLiteral("BomProp%1").arg(n), q.FieldByName(QStringLiteral("SubRProp%1").arg(n)).Value());
        TTreeNode* sub = Nodes->AddNode(group, values);
        sub->Data = QVariantMap{{QStringLiteral("Kind"), int(nkSub)}, {QStringLiteral("Replace"), v("SubReplace")}};
        sub->ChildrenLoaded = true;
    }
}

void TBOMExpandFrame::ShowQuantities(TTreeNode* node)
{
    const double factor = NodeData(node, "Factor").toDouble() > 0 ? NodeData(node, "Factor").toDouble() : 1;
    if (Kind(node) == nkRoot) {
        const double qty = edtPrdQty->value();
        Nodes->SetNodeValue(node, QStringLiteral("BomUCurrQty"), qty);
        Nodes->SetNodeValue(node, QStringLiteral("BomCurrQty"), qty * factor);
        QVariantMap nodeData = node->Data.toMap();
        nodeData.insert(QStringLiteral("Full"), qty * factor);
        nodeData.insert(QStringLiteral("Trial"), qty * factor);
        node->Data = nodeData;
    }
    const QVariantList values = QuantityValues({NodeData(node, "Full").toDouble(), NodeData(node, "Trial").toDouble()}, factor);
    for (qsizetype i = 0; i < kQuantityFields.size(); ++i)
        Nodes->SetNodeValue(node, kQuantityFields[i], values[i]);
}

void TBOMExpandFrame::Recompute(TTreeNode* node)
{
    if (!node || (Kind(node) != nkRoot && Kind(node) != nkLine))
        return;
    const TBomNodeQty parent{NodeData(node, "Full").toDouble(), NodeData(node, "Trial").toDouble()};
    const double yield = ParentYield(node);
    const auto choice = TBomLossChoice(cboLossRate->currentIndex());
    for (int i = 0; i < node->ChildCount(); ++i) {
        TTreeNode* child = node->Child(i);
        if (Kind(child) != nkLine)
            continue;
        TBomLineQty line;
        line.Fixed = NodeData(child, "Fixed").toBool();
        line.Qty = NodeData(child, "Qty").toDouble();
        line.BaseQty = NodeData(child, "BaseQty").toDouble();
        line.Percent = NodeData(child, "Percent").toDouble();
        line.LossRate = NodeData(child, "LossRate").toDouble();
        line.PutLossRate = NodeData(child, "PutLossRate").toString();
        const TBomNodeQty qty = BomLineQuantity(line, parent, yield, choice);
        QVariantMap nodeData = child->Data.toMap();
        nodeData.insert(QStringLiteral("Full"), qty.Full);
        nodeData.insert(QStringLiteral("Trial"), qty.Trial);
        child->Data = nodeData;
        ShowQuantities(child);
        if (child->ChildrenLoaded)
            Recompute(child);
    }
}

TTreeNode* TBOMExpandFrame::LineNode(const QString& entryPath) const
{
    TTreeNode* node = Nodes->Root()->Child(0);
    for (const QString& entry : entryPath.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (!node)
            return nullptr;
        Nodes->LoadChildren(node);
        TTreeNode* found = nullptr;
        for (int i = 0; i < node->ChildCount() && !found; ++i)
            if (Kind(node->Child(i)) == nkLine && node->Child(i)->Value(QStringLiteral("BomEntry")).toString() == entry)
                found = node->Child(i);
        node = found;
    }
    return node;
}

void TBOMExpandFrame::trlMainEditValueChanged(TTreeNode* Node, const QString& Field)
{
    if (Field == QLatin1String("BomItmOkRate")) {
        Recompute(Node);
        return;
    }
    if (Kind(Node) != nkSub)
        return;
    if (Field == QLatin1String("BomItmNo")) {
        // A typed number names an enabled item of another kind than virtual, or nothing.
        const QVariantMap item = LookupSubItem(SharedQuery(), Node->Value(Field).toString().trimmed());
        Nodes->SetNodeValue(Node, QStringLiteral("BomItmID"), item.value(QStringLiteral("ItmID")));
        for (const auto& [field, source] : {std::pair{"BomItmName", "ItmName"}, {"BomItmSpec", "ItmSpec"}, {"BomItmTypeName", "ItmTypeName"},
                                            {"BomItmMrpType", "ItmMrpType"}, {"BomUnit", "UntName"}, {"BomBaseUnit", "UntName"},
                                            {"BomPropMask", "PropMask"}})
            Nodes->SetNodeValue(Node, QLatin1String(field), item.value(QLatin1String(source)));
    } else if (Field == QLatin1String("BomCurrQty")) {
        Nodes->SetNodeValue(Node, QStringLiteral("BomUCurrQty"), Node->Value(Field));
    } else if (Field == QLatin1String("BomBaseQty")) {
        Nodes->SetNodeValue(Node, QStringLiteral("BomUBaseQty"), Node->Value(Field));
    }
    MarkModified(LineOf(Node));
}

void TBOMExpandFrame::FetchCustomDrawFormat(const TTreeNode* Node, TCellDrawFormat& Format, const TViewColumn* Column)
{
    TInfoTreeView::FetchCustomDrawFormat(Node, Format, Column);
    switch (Kind(Node)) {
    case nkRoot:
        Format.Font.setBold(true);
        Format.FontChanged = true;
        break;
    case nkSubGroup:
        Format.TextColor = QColor(0x1F, 0x5F, 0xA8);
        break;
    case nkSub:
        Format.TextColor = QColor(0x55, 0x55, 0x55);
        break;
    default:
        if (Column && Column->FieldName == QLatin1String("BomUTestQty"))
            Format.Background = QColor(0xFF, 0xF8, 0xDC);
        break;
    }
}

bool TBOMExpandFrame::SubEditable(const TTreeNode* node, const TViewColumn* column) const
{
    if (!const_cast<TBOMExpandFrame*>(this)->GetEditMode() || Kind(node) != nkSub || !node->Parent()
        || NodeData(node->Parent(), "Global").toBool())
        return false;
    if (column->FieldName.startsWith(QLatin1String("BomProp"))) {
        const int n = column->FieldName.mid(7).toInt();
        return n >= 1 && node->Value(QStringLiteral("BomPropMask")).toString().mid(n - 1, 1) == QLatin1String("1");
    }
    return true;
}

TTreeNode* TBOMExpandFrame::LineOf(TTreeNode* node) const
{
    while (node && Kind(node) != nkLine && Kind(node) != nkRoot)
        node = node->Parent();
    return node && Kind(node) == nkLine ? node : nullptr;
}

TTreeNode* TBOMExpandFrame::LocalGroup(TTreeNode* line, bool create)
{
    for (int i = 0; line && i < line->ChildCount(); ++i)
        if (Kind(line->Child(i)) == nkSubGroup && !NodeData(line->Child(i), "Global").toBool())
            return line->Child(i);
    if (!create || !line)
        return nullptr;
    TTreeNode* group = Nodes->AddNode(line, {{QStringLiteral("BomEntry"), QStringLiteral("局部替代料")}});
    group->Data = QVariantMap{{QStringLiteral("Kind"), int(nkSubGroup)}, {QStringLiteral("Global"), false}};
    group->ChildrenLoaded = true;
    // Substitute groups come before the line's own components.
    int row = 0;
    while (row < line->ChildCount() && Kind(line->Child(row)) == nkSubGroup && line->Child(row) != group)
        ++row;
    Nodes->MoveNode(group, row);
    return group;
}

void TBOMExpandFrame::MarkModified(TTreeNode* line)
{
    if (!line || !line->Parent())
        return;
    FModifiedParents.insert(line->Parent());
    Modified = true;
}

bool TBOMExpandFrame::QueryCommandState(int Command, TCommandState& State)
{
    if (Command < cmdAction)
        return TInfoTreeView::QueryCommandState(Command, State);
    const bool editing = GetEditMode();
    TTreeNode* focused = FocusedNode();
    TTreeNode* line = LineOf(focused);
    auto enabled = [](bool on) { return on ? TCommandState(csEnabled) : TCommandState(0); };
    const bool localSub = Kind(focused) == nkSub && !NodeData(focused->Parent(), "Global").toBool();
    if (Command == ObjectActionCommand(ObjectDef, QStringLiteral("Update")))
        State = enabled(Nodes->Root()->ChildCount() > 0 || editing) | (editing ? TCommandState(csChecked) : 0);
    else if (Command == ObjectActionCommand(ObjectDef, QStringLiteral("AddSubs")))
        State = enabled(editing && line);
    else if (Command == ObjectActionCommand(ObjectDef, QStringLiteral("DelSubs")))
        State = enabled(editing && localSub);
    else if (Command == ObjectActionCommand(ObjectDef, QStringLiteral("UpSubs")))
        State = enabled(editing && localSub && focused->Index() > 0);
    else if (Command == ObjectActionCommand(ObjectDef, QStringLiteral("DownSubs")))
        State = enabled(editing && localSub && focused->Index() < focused->Parent()->ChildCount() - 1);
    else if (Command == ObjectActionCommand(ObjectDef, QStringLiteral("CopySubs")))
        State = enabled(!editing && line);
    else
        return TInfoTreeView::QueryCommandState(Command, State);
    return true;
}

bool TBOMExpandFrame::ExecCommand(int Command)
{
    if (Command < cmdAction)
        return TInfoTreeView::ExecCommand(Command);
    if (Command == ObjectActionCommand(ObjectDef, QStringLiteral("Update")))
        ToggleEditMode();
    else if (Command == ObjectActionCommand(ObjectDef, QStringLiteral("AddSubs")))
        AddSubs();
    else if (Command == ObjectActionCommand(ObjectDef, QStringLiteral("DelSubs")))
        DelSubs();
    else if (Command == ObjectActionCommand(ObjectDef, QStringLiteral("UpSubs")))
        MoveSubs(-1);
    else if (Command == ObjectActionCommand(ObjectDef, QStringLiteral("DownSubs")))
        MoveSubs(1);
    else if (Command == ObjectActionCommand(ObjectDef, QStringLiteral("CopySubs")))
        CopySubs();
    else
        return TInfoTreeView::ExecCommand(Command);
    return true;
}

void TBOMExpandFrame::EditModeToggled()
{
    FModifiedParents.clear();
    // Trial yields stay editable outside the edit mode too.
    SetEditing(true);
    // The substitutes are what is edited: they are shown from now on.
    if (GetEditMode() && !chkSubItems->isChecked())
        chkSubItems->setChecked(true);
}

TTreeNode* TBOMExpandFrame::AddSubs()
{
    TTreeNode* line = LineOf(FocusedNode());
    if (!GetEditMode() || !line)
        return nullptr;
    TTreeNode* group = LocalGroup(line, true);
    QVariantMap values{{QStringLiteral("BomEntry"), group->ChildCount() + 1},
                       {QStringLiteral("BomRole"), QStringLiteral("局部替代")},
                       {QStringLiteral("BomUCurrQty"), 1.0},
                       {QStringLiteral("BomUBaseQty"), 1.0},
                       {QStringLiteral("BomCurrQty"), 1.0},
                       {QStringLiteral("BomBaseQty"), 1.0}};
    TTreeNode* sub = Nodes->AddNode(group, values);
    sub->Data = QVariantMap{{QStringLiteral("Kind"), int(nkSub)}, {QStringLiteral("Replace"), 0}};
    sub->ChildrenLoaded = true;
    trlMain->expand(Nodes->IndexOf(line));
    trlMain->expand(Nodes->IndexOf(group));
    MarkModified(line);
    const int column = Columns.IndexOf(GetColumnByField(QStringLiteral("BomItmNo")));
    trlMain->setCurrentIndex(Nodes->IndexOf(sub, column));
    return sub;
}

void TBOMExpandFrame::DelSubs()
{
    TTreeNode* node = FocusedNode();
    if (!GetEditMode() || Kind(node) != nkSub || NodeData(node->Parent(), "Global").toBool())
        return;
    TTreeNode* group = node->Parent();
    MarkModified(LineOf(group));
    Nodes->DeleteNode(node);
    for (int i = 0; i < group->ChildCount(); ++i)
        Nodes->SetNodeValue(group->Child(i), QStringLiteral("BomEntry"), i + 1);
}

void TBOMExpandFrame::MoveSubs(int step)
{
    TTreeNode* node = FocusedNode();
    if (!GetEditMode() || Kind(node) != nkSub || NodeData(node->Parent(), "Global").toBool())
        return;
    const int row = node->Index() + step;
    TTreeNode* group = node->Parent();
    if (row < 0 || row >= group->ChildCount())
        return;
    Nodes->MoveNode(node, row);
    for (int i = 0; i < group->ChildCount(); ++i)
        Nodes->SetNodeValue(group->Child(i), QStringLiteral("BomEntry"), i + 1);
    MarkModified(LineOf(group));
    trlMain->setCurrentIndex(Nodes->IndexOf(node));
}

void TBOMExpandFrame::CopySubs()
{
    TTreeNode* line = LineOf(FocusedNode());
    if (GetEditMode() || !line)
        return;
    TItemSubBom target;
    if (!LoadItemSubBom(SharedQuery(), NodeData(line->Parent(), "BomID").toString(), target))
        return;
    target.BomNo = line->Parent()->Value(QStringLiteral("BomItmBomNo")).toString();
    target.ProductID = NodeData(line->Parent(), "ItmID").toString();
    if (CopyItemSubs(SharedQuery(), target, this))
        RefreshData(true);
}

TItemSubBom TBOMExpandFrame::ShownBom(TTreeNode* parent) const
{
    TItemSubBom bom;
    bom.BomType = NodeData(parent, "BomType").toInt();
    bom.BomID = NodeData(parent, "BomID").toString();
    bom.BomNo = parent->Value(QStringLiteral("BomItmBomNo")).toString();
    bom.ProductID = NodeData(parent, "ItmID").toString();
    for (int l = 0; l < parent->ChildCount(); ++l) {
        TTreeNode* lineNode = parent->Child(l);
        if (Kind(lineNode) != nkLine)
            continue;
        TItemSubLine line;
        line.Entry = lineNode->Value(QStringLiteral("BomEntry")).toInt();
        line.RowHook = lineNode->Value(QStringLiteral("BomRowHook")).toString();
        line.ItemID = lineNode->Value(QStringLiteral("BomItmID")).toString();
        line.ItemNo = lineNode->Value(QStringLiteral("BomItmNo")).toString();
        const TTreeNode* group = const_cast<TBOMExpandFrame*>(this)->LocalGroup(lineNode, false);
        for (int i = 0; group && i < group->ChildCount(); ++i) {
            const TTreeNode* n = group->Child(i);
            TItemSub sub;
            sub.SubItemID = n->Value(QStringLiteral("BomItmID")).toString();
            sub.SubItemNo = n->Value(QStringLiteral("BomItmNo")).toString();
            sub.SubItemName = n->Value(QStringLiteral("BomItmName")).toString();
            sub.SubItemSpec = n->Value(QStringLiteral("BomItmSpec")).toString();
            sub.PropMask = n->Value(QStringLiteral("BomPropMask")).toString();
            sub.SubItemProps = n->Value(QStringLiteral("BomProps")).toString();
            for (int p = 1; p <= 10; ++p)
                sub.SubProps[p - 1] = n->Value(QStringLiteral("BomProp%1").arg(p)).toString();
            sub.Qty = n->Value(QStringLiteral("BomCurrQty")).toDouble();
            sub.RQty = n->Value(QStringLiteral("BomBaseQty")).toDouble();
            sub.BeginDate = n->Value(QStringLiteral("BomBeginDate")).toDate();
            sub.EndDate = n->Value(QStringLiteral("BomEndDate")).toDate();
            sub.Note = n->Value(QStringLiteral("BomNote")).toString();
            sub.Replace = NodeData(n, "Replace").toInt();
            line.Subs << sub;
        }
        bom.Lines << line;
    }
    return bom;
}

bool TBOMExpandFrame::SaveBom(TTreeNode* parent)
{
    const TItemSubBom shown = ShownBom(parent);
    auto focus = [this, parent](const QString& rowHook, int sub, const QString& field) {
        for (int l = 0; l < parent->ChildCount(); ++l)
            if (parent->Child(l)->Value(QStringLiteral("BomRowHook")).toString() == rowHook)
                if (TTreeNode* group = LocalGroup(parent->Child(l), false); group && sub < group->ChildCount()) {
                    const QString column = field == QLatin1String("ItmNo") ? QStringLiteral("BomItmNo")
                                           : field == QLatin1String("BomQty") ? QStringLiteral("BomCurrQty") : field;
                    trlMain->setCurrentIndex(Nodes->IndexOf(group->Child(sub), std::max(0, Columns.IndexOf(GetColumnByField(column)))));
                }
    };
    // A substitute item with one property set is listed once per line.
    for (const TItemSubLine& line : shown.Lines)
        for (int s = 0; s < line.Subs.size(); ++s)
            for (int earlier = 0; earlier < s; ++earlier)
                if (!line.Subs[s].SubItemID.isEmpty() && line.Subs[s].SubItemID == line.Subs[earlier].SubItemID
                    && line.Subs[s].SubProps == line.Subs[earlier].SubProps) {
                    focus(line.RowHook, s, QStringLiteral("ItmNo"));
                    ShowWarning(QStringLiteral("局部替代料不允许重复, 替代物料\"%1\"已存在!").arg(line.Subs[s].SubItemNo));
                    return false;
                }
    TItemSubBom stored;
    if (!LoadItemSubBom(SharedQuery(), shown.BomID, stored))
        return false;
    TItemSubBom merged = MergeShownLines(stored, shown);
    merged.BomNo = shown.BomNo;
    merged.ProductID = shown.ProductID;
    const TItemSubsFault fault = CheckItemSubBom(SharedQuery(), merged);
    if (fault.Failed()) {
        focus(merged.Lines.value(fault.Line).RowHook, fault.Sub, fault.Field);
        ShowWarning(fault.Message);
        return false;
    }
    QString error;
    if (!SaveItemSubBom(Env() ? Env()->ERPAccess : nullptr, merged, EnvUserID(), error)) {
        ShowError(error);
        return false;
    }
    return true;
}

bool TBOMExpandFrame::SaveData()
{
    if (!GetEditMode())
        return true;
    const QSet<TTreeNode*> parents = FModifiedParents;
    for (TTreeNode* parent : parents) {
        if (!SaveBom(parent))
            return false;
        FModifiedParents.remove(parent);
    }
    Modified = false;
    SetEditMode(false);
    EditModeToggled();
    RefreshData(true);
    return true;
}

} // namespace kx
