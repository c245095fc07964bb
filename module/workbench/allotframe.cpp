#include "workbench/allotframe.h"

#include "db/errors.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "db/strutils.h"
#include "masterdata/itemsetting.h"
#include "views/designedcolumns.h"
#include "views/messagebox.h"
#include "views/pickedit.h"
#include "workbench/schemeviewlink.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace kx {

namespace {

const QString kLimitKind = QStringLiteral("[LimitKind]");
const QString kHasChild = QStringLiteral("HasChild");

// The bound columns, band by band (captions come from the object's fields).
const QList<TDesignedBand>& Bands()
{
    static const QList<TDesignedBand> bands{
        {"", flFixedLeft, {{"DmdPriority", "", 90}, {"DmdBillType", "", 90}, {"DmdBillNo", "", 120}, {"DmdBillEntry", "", 44}}},
        {"",
         flNormal,
         {{"DmdBillDate", "", 78},   {"OrigType", "", 66},     {"OrigNo", "", 100},       {"ItmNo", "", 90},        {"ItmName", "", 100},
          {"ItmSpec", "", 90},       {"OrigCust", "", 90},     {"OrigCustPO", "", 100},   {"DmdOrigTag", "", 80},   {"DmdGroupType", "", 76},
          {"DmdGroupNo", "", 80},    {"DmdDate", "", 78},      {"DmdDept", "", 80},       {"DmdNote", "", 80},      {"UntName", "", 40},
          {"DmdUnitQty", "", 60},    {"DmdBillQty", "", 66},   {"DmdOkQty", "", 66},      {"DmdNeedQty", "", 66},   {"DmdInvQty", "", 66},
          {"DmdPOQty", "", 66},      {"DmdOOQty", "", 66},     {"DmdMOQty", "", 66},      {"DmdChkQty", "", 66},    {"DmdPRQty", "", 66},
          {"DmdORQty", "", 66},      {"DmdMRQty", "", 66},     {"DmdReplQty", "", 66},    {"DmdASetQty", "", 66},   {"DmdASetRate", "", 60},
          {"DmdNetQty", "", 66},     {"DmdPPPQty", "", 66},    {"ItmPlanner", "", 60},    {"ItmBuyer", "", 60},     {"ItmMinQty", "", 66},
          {"ItmLotQty", "", 66},     {"ItmFixLeadTime", "", 56}, {"ItmVarLeadTime", "", 56}, {"ItmVarLeadLot", "", 66}}},
        {"分配供应信息",
         flNormal,
         {{"SupBillType", "", 84}, {"BomNo", "", 90}, {"SupQty", "", 66}, {"SupDSetQty", "", 66}, {"SupDSetRate", "", 60}}},
        {"总体供需信息",
         flNormal,
         {{"BalNeedQty", "", 70}, {"BalPBomQty", "", 70}, {"BalROutQty", "", 70}, {"BalSafeQty", "", 70}, {"BalInvQty", "", 70},
          {"BalPOQty", "", 70},   {"BalOOQty", "", 70},   {"BalMOQty", "", 70},   {"BalChkQty", "", 70},  {"BalPRQty", "", 70},
          {"BalORQty", "", 70},   {"BalMRQty", "", 70},   {"BalRInQty", "", 70},  {"BalNetQty", "", 70},  {"BalQty", "", 70},
          {"BalXQty", "", 70},    {"BalEndQty", "", 70}}},
        {"辅助属性",
         flNormal,
         {{"DmdItmProp1", "", 70}, {"DmdItmProp2", "", 70}, {"DmdItmProp3", "", 70}, {"DmdItmProp4", "", 70}, {"DmdItmProp5", "", 70},
          {"DmdItmProp6", "", 70}, {"DmdItmProp7", "", 70}, {"DmdItmProp8", "", 70}, {"DmdItmProp9", "", 70}, {"DmdItmProp10", "", 70}}},
    };
    return bands;
}

} // namespace

TMRPAllotFrame::TMRPAllotFrame(QWidget* owner, const TInfoObjectDef* objectDef) : TInfoTreeView(owner, objectDef)
{
    trlMain->setObjectName(QStringLiteral("grdAllot"));
    trlMain->setSelectionMode(QAbstractItemView::ExtendedSelection);
    trlMain->setIndentation(14);
    Link = new TSchemeViewLink(this);
    FFilter = std::make_unique<TAllotFilter>(SharedConnection());
    BindDesignedColumns(*this, Bands());

    cboFilterKind = new QComboBox(this);
    cboFilterKind->addItems({QStringLiteral("物料代码"), QStringLiteral("计划员"), QStringLiteral("采购员")});
    auto* label = new QLabel(QStringLiteral("显示末级物料满足(&F):"), this);
    label->setBuddy(cboFilterKind);
    edtFilterText = new TPickEdit(this);
    edtFilterText->setMinimumWidth(150);
    chkFilterNoBom = new QCheckBox(QStringLiteral("显示缺&BOM物料"), this);
    btnFilterOK = new QPushButton(QStringLiteral("确定"), this);
    btnFilterCancel = new QPushButton(QStringLiteral("取消"), this);
    ContentLayout()->insertLayout(
        0, Link->NewBar({label, cboFilterKind, new QLabel(QStringLiteral("="), this), edtFilterText, btnFilterOK, btnFilterCancel,
                         chkFilterNoBom}));
    UpdateFilterButtons();

    connect(cboFilterKind, &QComboBox::currentIndexChanged, this, [this] {
        SetupPicker();
        UpdateFilterButtons();
    });
    connect(edtFilterText, &QLineEdit::textChanged, this, &TMRPAllotFrame::UpdateFilterButtons);
    connect(btnFilterOK, &QPushButton::clicked, this, &TMRPAllotFrame::ApplyFilter);
    connect(btnFilterCancel, &QPushButton::clicked, this, &TMRPAllotFrame::btnFilterCancelClick);
    connect(chkFilterNoBom, &QCheckBox::toggled, this, &TMRPAllotFrame::ApplyFilter);
}

TMRPAllotFrame::~TMRPAllotFrame() = default;

void TMRPAllotFrame::SetPlanScheme(TPlanScheme* scheme, const TPlanSchemeUIEvents* events)
{
    // The filter belongs to the results it was collected from.
    FFilter->Clear();
    FAppliedText.clear();
    {
        const QSignalBlocker block(chkFilterNoBom);
        chkFilterNoBom->setChecked(false);
    }
    UpdateFilterButtons();
    Link->Set(scheme, events);
}

void TMRPAllotFrame::InitializeView(const QString& AAsDetailID, IInfoView* AMasterView)
{
    TInfoTreeView::InitializeView(AAsDetailID, AMasterView);
    ApplyDesignedWidths(*this, Bands());
    ApplyViewLayout();
    bool ok = false;
    const int kind = GetParamValue(ViewScheme.Params, kLimitKind).toInt(&ok);
    const QSignalBlocker block(cboFilterKind);
    cboFilterKind->setCurrentIndex(ok && kind >= afkItem && kind <= afkBuyer ? kind : afkItem);
    SetupPicker();
}

bool TMRPAllotFrame::QueryClose()
{
    ViewScheme.Params = SetParamValue(ViewScheme.Params, kLimitKind, QString::number(cboFilterKind->currentIndex()));
    return TInfoTreeView::QueryClose();
}

void TMRPAllotFrame::SetupPicker()
{
    TPickEditProperties& picker = edtFilterText->Properties;
    if (cboFilterKind->currentIndex() == afkItem) {
        picker.FCaption = QStringLiteral("物料");
        picker.FSQL = BuildItemPickSQL(QString(), kItemPickSearch, QString());
        picker.FWhereOrder.clear();
        picker.FTextField = ItemPickColumn(QStringLiteral("ItmNo"));
        picker.FFixedFields = picker.FTextField;
        return;
    }
    picker.FCaption = cboFilterKind->currentText();
    picker.FSQL = QStringLiteral("select EmpNo as \"代码\", EmpName as \"名称\" from KX_Base_Employee where EmpNo like '%'||%0:s||'%' or "
                                 "EmpName like '%'||%0:s||'%' order by EmpNo");
    picker.FWhereOrder.clear();
    picker.FTextField = QStringLiteral("名称");
    picker.FFixedFields = QStringLiteral("代码");
}

void TMRPAllotFrame::UpdateFilterButtons()
{
    const bool differs = edtFilterText->text().trimmed() != FAppliedText || cboFilterKind->currentIndex() != FAppliedKind;
    btnFilterOK->setVisible(differs);
    btnFilterCancel->setVisible(differs);
}

void TMRPAllotFrame::ApplyFilter()
{
    FAppliedText = edtFilterText->text().trimmed();
    FAppliedKind = cboFilterKind->currentIndex();
    ViewScheme.Params = SetParamValue(ViewScheme.Params, kLimitKind, QString::number(FAppliedKind));
    if (Link->Loaded()) {
        try {
            TWaitCursor wait;
            FFilter->Apply(Link->Scheme()->SchemeIID, TAllotFilterKind(FAppliedKind), FAppliedText, chkFilterNoBom->isChecked());
        } catch (const EAbort&) {
            throw;
        } catch (const std::exception& e) {
            ShowException(e);
            FFilter->Clear();
        }
    }
    UpdateFilterButtons();
    RefreshData(false);
}

void TMRPAllotFrame::btnFilterCancelClick()
{
    // The text and kind go back to the filter applied; an empty text and "确定" remove it.
    const QSignalBlocker blockKind(cboFilterKind);
    const QSignalBlocker blockText(edtFilterText);
    cboFilterKind->setCurrentIndex(FAppliedKind);
    SetupPicker();
    edtFilterText->setText(FAppliedText);
    UpdateFilterButtons();
}

void TMRPAllotFrame::LoadData(bool)
{
    Nodes->Clear();
    if (!Link->Loaded())
        return;
    const int iid = Link->Scheme()->SchemeIID;
    LoadTopPages([this, iid](int limit, int offset) { return BuiltSQL = AllotTopSQL(iid, FFilter.get(), limit, offset); }, kPageRows, false,
                 kHasChild);
    if (Nodes->rowCount() > 0)
        trlMain->setCurrentIndex(Nodes->index(0, 0));
}

void TMRPAllotFrame::LoadChildNodes(TTreeNode* Node)
{
    if (!Node || !Link->Loaded())
        return;
    const int iid = Link->Scheme()->SchemeIID;
    if (Node->Value(QStringLiteral("DmdMainKind")).toInt() == ankSummary)
        LoadNodes(Node, AllotSummaryChildrenSQL(iid, Node->Value(QStringLiteral("DmdBillType")).toInt(), FFilter.get()), false, kHasChild);
    else if (!Node->Value(QStringLiteral("SupIID")).isNull())
        LoadNodes(Node, AllotChildrenSQL(iid, Node->Value(QStringLiteral("SupIID")).toInt(), FFilter.get()), false, kHasChild);
}

} // namespace kx
