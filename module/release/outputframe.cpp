#include "release/outputframe.h"

#include "db/errors.h"
#include "db/messages.h"
#include "db/settings.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "db/strutils.h"
#include "engine/planscheme.h"
#include "engine/progress.h"
#include "kx_mrp/erpaccess.h"
#include "release/outputsetdlg.h"
#include "release/publishing.h"
#include "views/columneditor.h"
#include "views/commonui.h"
#include "views/doresultframe.h"
#include "views/longwork.h"
#include "views/messagebox.h"

#include <QApplication>
#include <QCoreApplication>
#include <QComboBox>
#include <QLabel>
#include <QPalette>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

namespace kx {

namespace {

const QString kChecked = QStringLiteral("SupChecked");
const QString kPeriodPrefix = QStringLiteral("SupP_");

struct TColumnSpec {
    const char* Field;
    const char* Caption;
    TColumnKind Kind;
    bool Editable;
    bool Visible;
};

const TColumnSpec kColumns[] = {
    {"SupChecked", "选择", ckBoolean, true, true},
    {"SupBillNo", "单据编号", ckText, false, true},
    {"SupItmNo", "物料代码", ckText, false, true},
    {"SupItmName", "物料名称", ckText, false, true},
    {"SupItmSpec", "规格型号", ckText, false, true},
    {"SupQty", "计划数量", ckNumber, false, true},
    {"SupDestQty", "已投放数", ckNumber, false, true},
    {"SupDoDestQty", "拟投放数", ckNumber, true, true},
    {"SupUnDestQty", "未投放数", ckNumber, false, true},
    {"SupUnit", "单位", ckText, false, true},
    {"SupDoDestQtyU", "拟投放数(换算)", ckNumber, true, true},
    {"SupDestUnit", "单位(换算)", ckText, false, true},
    {"SupDestType", "供应类型", ckEnum, true, true},
    {"SupDept", "供应单位", ckText, true, true},
    {"SupDrawDate", "开工日期", ckDate, true, true},
    {"SupDate", "交货日期", ckDate, true, true},
    {"SupBillDate", "下单日期", ckDate, false, true},
    {"SupBOM", "BOM单", ckText, true, true},
    {"SupBillType", "计划类型", ckEnum, false, true},
    {"SupRefPOQty", "历史采购数", ckNumber, false, false},
    {"SupRefUseQty", "历史领料数", ckNumber, false, false},
    {"SupOrigType", "主需求", ckEnum, false, true},
    {"SupOrigNo", "主需求号", ckText, false, true},
    {"SupOrigEntry", "主需求行", ckNumber, false, true},
    {"SupCust", "主需求客户", ckText, false, true},
    {"SupCustPO", "主需求客户单号", ckText, false, false},
    {"SupOrigItmNo", "主需求物料代码", ckText, false, false},
    {"SupOrigItmName", "主需求物料名称", ckText, false, false},
    {"SupOrigItmSpec", "主需求规格型号", ckText, false, false},
    {"SupOrigTag", "需求分类号", ckText, false, false},
    {"SupOrigSubTag", "子件需求分类号", ckText, false, false},
    {"SupGroupType", "MRP分组", ckEnum, false, false},
    {"SupGroupNo", "MRP分组号", ckText, false, false},
    {"SupDester", "投放人", ckText, false, true},
    {"SupDestTime", "投放时间", ckDateTime, false, true},
    {"SupNote", "备注", ckText, true, true},
    {"ItmPlanner", "计划员", ckText, false, true},
    {"ItmBuyer", "采购员", ckText, false, true},
    {"ItmMinQty", "最小供应量", ckNumber, false, false},
    {"ItmLotQty", "批量增量", ckNumber, false, false},
    {"ItmFixLeadTime", "固定提前期", ckNumber, false, false},
    {"ItmVarLeadTime", "变动提前期", ckNumber, false, false},
    {"ItmVarLeadLot", "变动提前期批量", ckNumber, false, false},
};

// What a substitute row may change: whether it is released, how much, and from whom.
const QSet<QString> kSubstituteEditable{QStringLiteral("SupChecked"), QStringLiteral("SupDoDestQty"),
                                        QStringLiteral("SupDoDestQtyU"), QStringLiteral("SupDept")};

QString CellKey(int row, const QString& field)
{
    return QStringLiteral("%1|%2").arg(row).arg(field.toLower());
}

QVariant Date(const QDate& date)
{
    return date.isValid() ? QVariant(date) : QVariant();
}

QVariant Qty(double qty)
{
    return qty;
}

QVariantMap RowValues(const TMRPOutputRow& r, const TMRPOutputList& list)
{
    QVariantMap v{
        {kChecked, r.Checked},
        {QStringLiteral("SupBillNo"), r.Level == 0 ? r.BillNo : QString()},
        {QStringLiteral("SupItmNo"), r.ItmNo},
        {QStringLiteral("SupItmName"), r.ItmName},
        {QStringLiteral("SupItmSpec"), r.ItmSpec},
        {QStringLiteral("SupItmProps"), r.ItmProps},
        {QStringLiteral("SupDestType"), r.DestType},
        {QStringLiteral("SupDept"), r.DeptName},
        {QStringLiteral("SupBillDate"), Date(r.BillDate)},
        {QStringLiteral("SupDrawDate"), Date(r.DrawDate)},
        {QStringLiteral("SupDate"), Date(r.Date)},
        {QStringLiteral("SupBillType"), r.SupBillType},
        {QStringLiteral("SupBOM"), r.BomNo},
        {QStringLiteral("SupUnit"), r.UnitName},
        {QStringLiteral("SupQty"), Qty(r.Qty)},
        {QStringLiteral("SupDestQty"), Qty(r.DestQty)},
        {QStringLiteral("SupDoDestQty"), Qty(r.DoDestQty)},
        {QStringLiteral("SupDoDestQtyU"), Qty(r.DoDestQtyU)},
        {QStringLiteral("SupUnDestQty"), Qty(r.UnDestQty)},
        {QStringLiteral("SupDestUnit"), r.DestUnitName},
        {QStringLiteral("SupRefPOQty"), r.RefPOQty},
        {QStringLiteral("SupRefUseQty"), r.RefUseQty},
        {QStringLiteral("SupOrigType"), r.OrigType ? QVariant(r.OrigType) : QVariant()},
        {QStringLiteral("SupOrigNo"), r.OrigNo},
        {QStringLiteral("SupOrigEntry"), r.OrigEntry ? QVariant(r.OrigEntry) : QVariant()},
        {QStringLiteral("SupCust"), r.OrigCust},
        {QStringLiteral("SupCustPO"), r.OrigCustPO},
        {QStringLiteral("SupOrigItmNo"), r.OrigItmNo},
        {QStringLiteral("SupOrigItmName"), r.OrigItmName},
        {QStringLiteral("SupOrigItmSpec"), r.OrigItmSpec},
        {QStringLiteral("SupOrigTag"), r.OrigTag},
        {QStringLiteral("SupOrigSubTag"), r.OrigSubTag},
        {QStringLiteral("SupGroupType"), r.GroupType},
        {QStringLiteral("SupGroupNo"), r.GroupNo},
        {QStringLiteral("SupDester"), r.Dester},
        {QStringLiteral("SupDestTime"), r.DestTime.isValid() ? QVariant(r.DestTime) : QVariant()},
        {QStringLiteral("SupNote"), r.Note},
        {QStringLiteral("ItmPlanner"), r.Planner},
        {QStringLiteral("ItmBuyer"), r.Buyer},
        {QStringLiteral("ItmMinQty"), Qty(r.MinQty)},
        {QStringLiteral("ItmLotQty"), Qty(r.LotQty)},
        {QStringLiteral("ItmFixLeadTime"), r.FixLeadTime},
        {QStringLiteral("ItmVarLeadTime"), r.VarLeadTime},
        {QStringLiteral("ItmVarLeadLot"), Qty(r.VarLeadLot)},
    };
    for (int n = 0; n < 10; ++n)
        v.insert(QStringLiteral("SupItmProp%1").arg(n + 1), r.ItmProp[n]);
    if (r.Level == 0) {
        const QMap<int, double> periods = list.PeriodQuantities(r);
        for (auto it = periods.begin(); it != periods.end(); ++it)
            v.insert(kPeriodPrefix + QString::number(it.key()), it.value());
    }
    return v;
}

QList<TEnumValue> EnumValues(const QString& enumClass, const QList<int>& only = {})
{
    QList<TEnumValue> values;
    for (const TEnumItem& item : GetEnumList(enumClass))
        if (only.isEmpty() || only.contains(item.ID))
            values.append({item.Name, item.ID});
    return values;
}

// The result list of a release under the view. The release runs on a worker thread: lines
// are numbered where they are added and built on the GUI thread in that order; findings are
// remembered there for the colours of their rows and cells.
class TFrameReleaseSink : public IReleaseSink {
public:
    TFrameReleaseSink(TDoResultFrame* results, TMRPOutputFrame* frame, QHash<int, TMessageKind>& rows,
                      QHash<QString, TMessageKind>& cells)
        : FResults(results), FFrame(frame), FRows(rows), FCells(cells)
    {
    }
    void Clear() override
    {
        FNext = 0;
        RunInGuiThread([this] {
            FResults->ClearResultNodes();
            FLines.clear();
        }, false);
    }
    int AddLine(TMessageKind kind, const QString& text, int parent, int row, const QString& field) override
    {
        // Read here: the worker owns the rows while it runs.
        QString position;
        if (row >= 0) {
            const TMRPOutputRow& r = FFrame->FList.Rows[size_t(row)];
            position = r.Level == 0 ? QStringLiteral("%1 %2").arg(r.BillNo, r.ItmNo) : QStringLiteral("%1 (替代料)").arg(r.ItmNo);
        }
        const int line = FNext++;
        RunInGuiThread([this, kind, text, parent, row, field, position, line] {
            if (row >= 0) {
                FRows[row] = qMax(FRows.value(row, mkNone), kind);
                FCells[CellKey(row, field)] = qMax(FCells.value(CellKey(row, field), mkNone), kind);
            }
            FLines.insert(line, FResults->AddResultNode(kind, text, position, row >= 0 ? QVariant(row) : QVariant(),
                                                        field.isEmpty() ? QVariant() : QVariant(field), FLines.value(parent)));
        }, false);
        return line;
    }
    void ChangeLine(int line, TMessageKind kind, const QString& text) override
    {
        RunInGuiThread([this, line, kind, text] {
            if (TTreeNode* node = FLines.value(line))
                FResults->ChangeResultNode(node, kind, text);
        }, false);
    }
    bool EditOptions(int destType) override
    {
        bool confirmed = false;
        RunInGuiThread([&] { confirmed = ShowOutputOptionsDialog(FFrame, destType); });
        return confirmed;
    }

private:
    TDoResultFrame* FResults;
    TMRPOutputFrame* FFrame;
    QHash<int, TMessageKind>& FRows;
    QHash<QString, TMessageKind>& FCells;
    QHash<int, TTreeNode*> FLines;            // GUI thread only
    int FNext = 0;
};

} // namespace

TMRPOutputFrame::TMRPOutputFrame(QWidget* owner, const TInfoObjectDef* objectDef) : TInfoTreeView(owner, objectDef)
{
    trlMain->setObjectName(QStringLiteral("trlOutput"));
    for (const TColumnSpec& spec : kColumns) {
        TViewColumn* column = CreateColumn(QString::fromUtf8(spec.Caption));
        BindStaticColumn(column, QLatin1String(spec.Field));
        column->Kind = spec.Kind;
        column->Editable = spec.Editable;
        column->Visible = spec.Visible;
        switch (spec.Kind) {
        case ckNumber:
            column->DataType = ftFloat;
            column->Alignment = Qt::AlignRight | Qt::AlignVCenter;
            column->OnGetDisplayText = TCommonUI::TreeFloatColumnGetDisplayText;
            break;
        case ckDate: column->DataType = ftDate; break;
        case ckDateTime: column->DataType = ftDateTime; break;
        case ckBoolean: column->DataType = ftBoolean; column->Width = 40; break;
        case ckEnum: column->DataType = ftInteger; break;
        default: column->DataType = ftWideString; break;
        }
    }
    for (int n = 1; n <= 10; ++n) {
        TViewColumn* column = CreateColumn(QStringLiteral("辅助项%1").arg(n));
        BindStaticColumn(column, QStringLiteral("SupItmProp%1").arg(n));
        column->Visible = false;
    }
    GetColumnByField(QStringLiteral("SupBillType"))->EnumItems = EnumValues(QStringLiteral("MrpBillType"), {btPlanMO, btPlanOO, btPlanPO});
    GetColumnByField(QStringLiteral("SupOrigType"))->EnumItems = EnumValues(QStringLiteral("MrpBillType"), {btSO, btSI, btForcast, btFreeNeed});
    GetColumnByField(QStringLiteral("SupGroupType"))->EnumItems = EnumValues(QStringLiteral("MrpGroupType"));

    Nodes->SetEditableHook([](const TTreeNode* node, const TViewColumn* column) {
        return node->Level() == 0 || kSubstituteEditable.contains(column->FieldName);
    });
    SetEditing(true);
    connect(Nodes, &TTreeModel::CellEdited, this, &TMRPOutputFrame::trlMainEditValueChanged);

    pnlOptions = new TMRPOutputPanel(this);
    ContentLayout()->insertWidget(0, pnlOptions);
    // The tree and, once a release ran, its result list below it.
    splResults = new QSplitter(Qt::Vertical, this);
    splResults->setHandleWidth(4);
    ContentLayout()->removeWidget(trlMain);
    splResults->addWidget(trlMain);
    splResults->setStretchFactor(0, 2);
    ContentLayout()->addWidget(splResults, 1);

    FCanToMO = objectDef && objectDef->GetAccessGroup(QStringLiteral("ToMO"));
    FCanToOR = objectDef && objectDef->GetAccessGroup(QStringLiteral("ToOR"));
    FCanToPR = objectDef && objectDef->GetAccessGroup(QStringLiteral("ToPR"));
    FDirectOO = ReadSettingBool(QStringLiteral("KX_MRP"), QStringLiteral("OutputDirectOO"), true, false);
    GetColumnByField(QStringLiteral("SupDestType"))->EnumItems =
        EnumValues(QStringLiteral("MrpBillType"), {btMO, FDirectOO ? btOO : btOR, btPR});

    connect(pnlOptions, &TMRPOutputPanel::SchemeChanged, this, &TMRPOutputFrame::pnlOptionsSchemeChanged);
    connect(pnlOptions, &TMRPOutputPanel::Applied, this, &TMRPOutputFrame::pnlOptionsApplied);
    connect(pnlOptions, &TMRPOutputPanel::Dropped, this, &TMRPOutputFrame::pnlOptionsDropped);
    connect(pnlOptions, &TMRPOutputPanel::SelectAll, this, [this](bool checked) {
        CommitPendingEdit(trlMain);
        FList.SetAllChecked(checked);
        RefreshAllNodes();
    });
}

TMRPOutputFrame::~TMRPOutputFrame() = default;

void TMRPOutputFrame::InitializeView(const QString& AAsDetailID, IInfoView* AMasterView)
{
    TInfoTreeView::InitializeView(AAsDetailID, AMasterView);
    TMRPOutputPanel::ReadParams(ViewScheme.Params, FCurrent);
    // The designed layout, unless the scheme keeps the user's own.
    for (const TColumnSpec& spec : kColumns)
        GetColumnByField(QLatin1String(spec.Field))->Visible = spec.Visible;
    for (int n = 1; n <= 10; ++n)
        GetColumnByField(QStringLiteral("SupItmProp%1").arg(n))->Visible = false;
    GetColumnByField(QStringLiteral("SupRefPOQty"))->Visible = FCurrent.RefPOQty;
    GetColumnByField(QStringLiteral("SupRefUseQty"))->Visible = FCurrent.RefUseQty;
    for (const auto& [field, width] : {std::pair{"SupChecked", 40}, {"SupBillNo", 96}, {"SupItmNo", 80}, {"SupItmName", 80},
                                       {"SupItmSpec", 110}, {"SupUnit", 40}, {"SupDoDestQtyU", 96}, {"SupDestUnit", 70},
                                       {"SupDept", 90}, {"SupDrawDate", 84}, {"SupDate", 84}, {"SupBillDate", 84},
                                       {"SupBOM", 110}, {"SupCust", 100}, {"SupDestTime", 130}})
        GetColumnByField(QLatin1String(field))->Width = width;
    ApplyViewLayout();
    pnlOptions->SetValues(FCurrent);
    LoadSchemes();
}

int TMRPOutputFrame::SchemeType() const
{
    return FPlanScheme ? FPlanScheme->PlanType : 0;
}

void TMRPOutputFrame::SetPlanScheme(TPlanScheme* scheme, const TPlanSchemeUIEvents*)
{
    FPlanScheme = scheme;
    LoadSchemes();
    RefreshData(false);
}

void TMRPOutputFrame::LoadSchemes()
{
    QComboBox* combo = pnlOptions->cboScheme;
    const QSignalBlocker block(combo);
    const int keep = combo->currentData().toInt();
    combo->clear();
    if (FPlanScheme) {
        if (FPlanScheme->SchemeIID)
            combo->addItem(FPlanScheme->Caption(), FPlanScheme->SchemeIID);
    } else {
        try {
            for (const TReleaseScheme& s : LoadReleasableSchemes(SharedConnection(), EnvUserID(), EnvText(Env() ? Env()->UserGroups : nullptr)))
                combo->addItem(ReleasableSchemeText(s, EnvUserID()), s.IID);
        } catch (const EKxError& e) {
            ShowException(e);
        }
    }
    const int index = combo->findData(keep);
    combo->setCurrentIndex(index >= 0 ? index : (combo->count() > 0 ? 0 : -1));
    FCurrent.SchemeIID = combo->currentData().toInt();
    FillEndPeriods();
    ShowSchemeState();
}

// The scheme's state in brackets; states that ask for new main demand or a new run stand out.
void TMRPOutputFrame::ShowSchemeState()
{
    QLabel* label = pnlOptions->lblState;
    const int iid = pnlOptions->cboScheme->currentData().toInt();
    if (iid == 0) {
        label->setText(QStringLiteral("(没有可投放的计划方案: 计划方案发布给您并允许投放后, 在此列出)"));
        return;
    }
    TPlanScheme* scheme = FPlanScheme;
    if (!scheme) {
        if (!FOwnScheme || FOwnScheme->SchemeIID != iid) {
            FOwnScheme = std::make_unique<TPlanScheme>(&SharedConnection(), 0);
            if (!FOwnScheme->Load(iid))
                FOwnScheme.reset();
        } else {
            (void)FOwnScheme->LoadState();
        }
        scheme = FOwnScheme.get();
    }
    if (!scheme)
        return;
    const int state = scheme->PlanState;
    const bool stale = state == 1 || (state >= 3 && state <= 5);
    label->setText(QStringLiteral("[%1]").arg(scheme->GetPlanStateText()));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, stale ? QApplication::palette().color(QPalette::Highlight)
                                                 : QApplication::palette().color(QPalette::WindowText));
    label->setPalette(palette);
}

void TMRPOutputFrame::FillEndPeriods()
{
    QComboBox* combo = pnlOptions->cboEndPeriod;
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItem(QString(), -1);
    const int iid = pnlOptions->cboScheme->currentData().toInt();
    if (iid == 0)
        return;
    TQuery q(&SharedConnection());
    TPlanPeriods periods;
    if (RunSQL(q, QStringLiteral("select SchMrpPeriods from KX_MRP_Schemes where SchIID=%1").arg(iid), true) && !q.IsEmpty()
        && TextToPlanPeriods(q.Fields(0).AsString(), periods))
        for (int i = 1; i + 1 < periods.size(); ++i)
            combo->addItem(PlanPeriodText(periods[i].DateBegin, periods[i].DateEnd), i);
    const int keep = combo->findData(FCurrent.EndPeriod);
    combo->setCurrentIndex(keep < 0 ? 0 : keep);
}

void TMRPOutputFrame::pnlOptionsSchemeChanged()
{
    if (Modified && ShowQuestion(QStringLiteral("此操作将重新装载待投放的计划数据, 视图中的修改信息将被丢弃, 确定?"), mbOKCancel) != mrOK) {
        const QSignalBlocker block(pnlOptions->cboScheme);
        pnlOptions->cboScheme->setCurrentIndex(pnlOptions->cboScheme->findData(FCurrent.SchemeIID));
        return;
    }
    FCurrent.SchemeIID = pnlOptions->cboScheme->currentData().toInt();
    FCurrent.EndPeriod = -1;
    FillEndPeriods();
    ShowSchemeState();
    RefreshData(false);
}

void TMRPOutputFrame::pnlOptionsApplied()
{
    const TOutputPanelValues v = pnlOptions->Values();
    if ((v.RefPOQty || v.RefUseQty) && !v.RefDate.isValid()) {
        ShowWarning(QStringLiteral("计算历史采购数或历史领料数的起算日期不能为空!"));
        return;
    }
    FCurrent = v;
    pnlOptions->SetPending(false);
    GetColumnByField(QStringLiteral("SupRefPOQty"))->Visible = v.RefPOQty;
    GetColumnByField(QStringLiteral("SupRefUseQty"))->Visible = v.RefUseQty;
    Nodes->ColumnsChanged();
    RefreshData(false);
}

void TMRPOutputFrame::pnlOptionsDropped()
{
    pnlOptions->SetValues(FCurrent);
    pnlOptions->SetPending(false);
}

void TMRPOutputFrame::StoreViewLayout()
{
    TInfoTreeView::StoreViewLayout();
    ViewScheme.Params = TMRPOutputPanel::WriteParams(ViewScheme.Params, FCurrent);
}

void TMRPOutputFrame::LoadData(bool)
{
    Nodes->Clear();
    FNodeOfRow.clear();
    FEditedCells.clear();
    FRowFindings.clear();
    FCellFindings.clear();
    Modified = false;
    FList.Rows.clear();
    FList.TopRows.clear();
    if (FCurrent.SchemeIID == 0)
        return;
    TMRPOutputFilter filter;
    filter.SchemeIID = FCurrent.SchemeIID;
    filter.PlanType = FCurrent.PlanType;
    filter.EndPeriod = FCurrent.EndPeriod;
    filter.SuppDef = FCurrent.SuppDef;
    filter.ItemSubs = FCurrent.Replace;
    filter.RefPOQty = FCurrent.RefPOQty;
    filter.RefUseQty = FCurrent.RefUseQty;
    filter.RefDate = FCurrent.RefDate;
    filter.Filter = CombineFilter(DataFilter.trimmed(), ViewScheme.FilterSQL.trimmed());
    filter.MaxRows = EnvMaxRows();
    filter.OutsourcingType = FDirectOO ? btOO : btOR;
    try {
        TWaitCursor wait;
        FList.Load(SharedConnection(), filter);
    } catch (const EKxError& e) {
        ShowException(e);
        return;
    }
    BuildPeriodColumns();
    for (int row : FList.TopRows)
        AddRowNode(row, nullptr);
    CheckRowLimit(int(FList.TopRows.size()));
}

// A column per plan period showing each supply's quantity due in it.
void TMRPOutputFrame::BuildPeriodColumns()
{
    RemoveDynamicColumns();
    const TPlanPeriods& periods = FList.Periods;
    QSet<int> used;
    for (int row : FList.TopRows) {
        const QMap<int, double> quantities = FList.PeriodQuantities(FList.Rows[size_t(row)]);
        for (auto it = quantities.keyBegin(); it != quantities.keyEnd(); ++it)
            used.insert(*it);
    }
    for (int i = 0; i < periods.size(); ++i) {
        if (!used.contains(i))
            continue;
        const QString caption = i == 0 ? QStringLiteral("(以前)")
                              : i + 1 == periods.size() ? QStringLiteral("(以后)")
                                                        : PlanPeriodText(periods[i].DateBegin, periods[i].DateEnd);
        TViewColumn* column = AddDynamicColumn(kPeriodPrefix + QString::number(i), caption);
        column->Kind = ckNumber;
        column->DataType = ftFloat;
        column->Alignment = Qt::AlignRight | Qt::AlignVCenter;
        column->OnGetDisplayText = TCommonUI::TreeFloatColumnGetDisplayText;
        column->Width = 90;
    }
}

void TMRPOutputFrame::AddRowNode(int row, TTreeNode* parent)
{
    const TMRPOutputRow& r = FList.Rows[size_t(row)];
    TTreeNode* node = Nodes->AddNode(parent, RowValues(r, FList));
    node->Data = row;
    node->HasChildren = r.Level == 0 && FCurrent.Replace && r.HasSubs && !r.ChildrenLoaded;
    node->ChildrenLoaded = r.ChildrenLoaded;
    FNodeOfRow.insert(row, node);
    for (int child : r.Children)
        AddRowNode(child, node);
}

void TMRPOutputFrame::LoadChildNodes(TTreeNode* Node)
{
    const int row = Node->Data.toInt();
    try {
        FList.LoadSubstitutes(SharedConnection(), row);
    } catch (const EKxError& e) {
        ShowException(e);
    }
    for (int child : FList.Rows[size_t(row)].Children)
        if (!FNodeOfRow.contains(child))
            AddRowNode(child, Node);
}

void TMRPOutputFrame::RefreshNode(TTreeNode* node)
{
    if (!node)
        return;
    FRefreshingNode = true;
    const QVariantMap values = RowValues(FList.Rows[size_t(node->Data.toInt())], FList);
    for (auto it = values.begin(); it != values.end(); ++it)
        if (Nodes->NodeValue(node, it.key()) != it.value())
            Nodes->SetNodeValue(node, it.key(), it.value());
    FRefreshingNode = false;
}

void TMRPOutputFrame::RefreshAllNodes()
{
    for (int row : FList.TopRows) {
        TTreeNode* node = FNodeOfRow.value(row);
        RefreshNode(node);
        for (int child : FList.Rows[size_t(row)].Children) {
            if (!FNodeOfRow.contains(child))
                AddRowNode(child, node);
            RefreshNode(FNodeOfRow.value(child));
        }
    }
    trlMain->viewport()->update();
}

bool TMRPOutputFrame::EditCell(TTreeNode* node, const QString& field, const QVariant& value)
{
    QString message;
    if (Nodes->SetNodeValueChecked(node, field, value, &message))
        return true;
    if (!message.isEmpty())
        ShowWarning(message);
    return false;
}

void TMRPOutputFrame::trlMainEditValueChanged(TTreeNode* Node, const QString& Field)
{
    if (FRefreshingNode || !Node)
        return;
    const int row = Node->Data.toInt();
    TMRPOutputRow& r = FList.Rows[size_t(row)];
    const QVariant value = Node->Value(Field);
    const QString field = Field.toLower();
    try {
        if (field == kChecked.toLower()) {
            FList.SetChecked(row, value.toBool());
        } else if (field == QLatin1String("supdesttype")) {
            FList.SetDestType(SharedConnection(), row, value.toInt());
        } else if (field == QLatin1String("supdept")) {
            FList.SetDeptText(SharedConnection(), row, value.toString());
        } else if (field == QLatin1String("supdrawdate")) {
            r.DrawDate = value.toDate();
        } else if (field == QLatin1String("supdate")) {
            r.Date = value.toDate();
        } else if (field == QLatin1String("supbom")) {
            FList.SetBomText(SharedConnection(), row, value.toString());
        } else if (field == QLatin1String("supdodestqty")) {
            FList.SetDoDestQty(row, value.toDouble());
        } else if (field == QLatin1String("supdodestqtyu")) {
            FList.SetDoDestQtyU(row, value.toDouble());
        } else if (field == QLatin1String("supnote")) {
            r.Note = value.toString();
        }
    } catch (const EKxError& e) {
        ShowException(e);
    }
    if (field != kChecked.toLower()) {
        FEditedCells.insert(CellKey(row, Field));
        Modified = true;
    }
    RefreshNode(Node);
    for (TTreeNode* child : [&] {
             QList<TTreeNode*> children;
             for (int i = 0; i < Node->ChildCount(); ++i)
                 children << Node->Child(i);
             return children;
         }())
        RefreshNode(child);
    if (Node->Parent() && Node->Level() > 0)
        RefreshNode(Node->Parent());
}

void TMRPOutputFrame::FetchCustomDrawFormat(const TTreeNode* Node, TCellDrawFormat& Format, const TViewColumn* Column)
{
    if (!Node || !Column)
        return;
    const int row = Node->Data.toInt();
    if (FEditedCells.contains(CellKey(row, Column->FieldName)))
        Format.Background = kEditBackColor;
    const TMessageKind cell = FCellFindings.value(CellKey(row, Column->FieldName), mkNone);
    const TMessageKind kind = cell != mkNone ? cell : FRowFindings.value(row, mkNone);
    if (kind == mkError)
        Format.TextColor = QColor(200, 0, 0);
    else if (kind == mkWarning)
        Format.TextColor = QColor(190, 110, 0);
    else if (Node->Level() > 0)
        Format.TextColor = QColor(0, 90, 160);
    if (cell != mkNone) {
        Format.Font.setBold(true);
        Format.FontChanged = true;
    }
}

bool TMRPOutputFrame::QueryCommandState(int Command, TCommandState& State)
{
    if (Command >= cmdAction && ObjectDef && Command - cmdAction < ObjectDef->Actions.size()) {
        const bool ready = FCurrent.SchemeIID != 0 && !pnlOptions->Pending() && (FCanToMO || FCanToOR || FCanToPR);
        bool enabled = ready;
        if (Command == ActionCommand(QStringLiteral("Output")))
            enabled = ready && FList.CheckedCount() > 0;
        State = enabled ? TCommandState(csEnabled) : 0;
        return true;
    }
    return TInfoTreeView::QueryCommandState(Command, State);
}

bool TMRPOutputFrame::ExecCommand(int Command)
{
    if (Command == cmdRefresh) {
        CommitPendingEdit(trlMain);
        if (Modified && ShowQuestion(QStringLiteral("此操作将重新装载待投放的计划数据, 视图中的修改信息将被丢弃, 确定?"), mbOKCancel) != mrOK)
            return true;
        LoadSchemes();
        RefreshData(false);
        return true;
    }
    if (Command >= cmdAction && ObjectDef && Command - cmdAction < ObjectDef->Actions.size()) {
        TCommandState state = 0;
        QueryCommandState(Command, state);
        if (!(state & csEnabled))
            return true;
        if (Command == ActionCommand(QStringLiteral("Options")))
            ShowOutputOptionsDialog(this);
        else if (Command == ActionCommand(QStringLiteral("Output")))
            Output();
        return true;
    }
    return TInfoTreeView::ExecCommand(Command);
}

TDoResultFrame* TMRPOutputFrame::Resulter()
{
    if (!FResulter) {
        FResulter = new TDoResultFrame(splResults);
        FResulter->setObjectName(QStringLiteral("FResulter"));
        FResulter->FTitle = QStringLiteral("投放信息");
        FResulter->FOnTrackPosition = [this](TTreeNode*, const QVariant& row, const QVariant& field) { TrackPosition(row, field); };
        splResults->addWidget(FResulter);
        // The list takes a third of the height.
        splResults->setStretchFactor(1, 1);
        const int height = qMax(splResults->height(), 300);
        splResults->setSizes({height - height / 3, height / 3});
    }
    FResulter->show();
    return FResulter;
}

void TMRPOutputFrame::TrackPosition(const QVariant& row, const QVariant& field)
{
    if (!row.isValid())
        return;
    TTreeNode* node = FNodeOfRow.value(row.toInt());
    if (!node)
        return;
    const TViewColumn* column = GetColumnByField(field.toString());
    const int col = column ? Columns.IndexOf(column) : 0;
    const QModelIndex index = Nodes->IndexOf(node, col < 0 ? 0 : col);
    trlMain->clearSelection();
    trlMain->scrollTo(index);
    trlMain->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    trlMain->setFocus();
}

// The release runs as long work on a connection of its own; the host's bill service is
// called on the GUI thread, where the host keeps its own connection and objects.
bool TMRPOutputFrame::Output()
{
    CommitPendingEdit(trlMain);
    const int iid = FCurrent.SchemeIID;
    if (iid == 0 || FList.CheckedCount() == 0)
        return false;
    TDoResultFrame* results = Resulter();
    FRowFindings.clear();
    FCellFindings.clear();
    // Enumeration captions are read before the worker asks for them.
    GetEnumList(QStringLiteral("MrpBillType"));
    TFrameReleaseSink sink(results, this, FRowFindings, FCellFindings);
    const TReleaseRights rights{FCanToMO, FCanToOR, FCanToPR};
    IERPAccess* access = Env() ? Env()->ERPAccess : nullptr;
    const QString userID = EnvUserID(), userName = EnvUserName();
    const int planType = SchemeType();
    bool generated = false;
    RunLongWork(this, QStringLiteral("投放计划"), [&](TConnection& connection, IEngineProgress& progress) {
        TPlanScheme scheme(&connection, planType);
        if (!scheme.Load(iid)) {
            ShowError(QStringLiteral("计划方案%1不存在!").arg(iid));
            return false;
        }
        TMRPRelease release(connection, scheme, FList, sink, progress);
        release.Rights = rights;
        release.Access = access;
        release.UserID = userID;
        release.UserName = userName;
        release.HostCall = [](const std::function<void()>& call) { RunInGuiThread(call, true); };
        generated = release.Run();
        return true;
    });
    QCoreApplication::processEvents();
    RefreshAllNodes();
    if (!FPlanScheme)
        ShowSchemeState();
    return generated;
}

} // namespace kx
