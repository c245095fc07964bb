#include "workbench/balanceframe.h"

#include "db/errors.h"
#include "db/fieldlists.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "views/designedcolumns.h"
#include "views/messagebox.h"
#include "workbench/balancechart.h"
#include "workbench/billsframe.h"
#include "workbench/schemeviewlink.h"

#include "kx_mrp/environment.h"

#include <QHBoxLayout>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

namespace kx {

namespace {

const QString kBillsObject = QStringLiteral("KX_MRP.MRP.Bills");
constexpr int kPageRows = 500;
const QString kPeriodField = QStringLiteral("#Period");

// The bound columns, band by band (captions come from the object's fields).
const QList<TDesignedBand>& Bands()
{
    static const QList<TDesignedBand> bands{
        {"",
         flFixedLeft,
         {{"ItmNo", "", 90}, {"ItmName", "", 90}, {"ItmSpec", "", 90}, {"UntName", "", 36}, {"BalGroupType", "", 70},
          {"BalGroupNo", "", 100}}},
        {"库存及需求",
         flNormal,
         {{"BalInvQty", "", 66}, {"BalSafeQty", "", 66}, {"BalForQty", "", 66}, {"BalSOQty", "", 66}, {"BalFreeQty", "", 66},
          {"BalRelQty", "", 66}, {"BalOODQty", "", 66}, {"BalMODQty", "", 66}, {"BalROutQty", "", 66}}},
        {"供应",
         flNormal,
         {{"BalPOQty", "", 66}, {"BalOOQty", "", 66}, {"BalMOQty", "", 66}, {"BalChkQty", "", 66}, {"BalPRQty", "", 66},
          {"BalORQty", "", 66}, {"BalMRQty", "", 66}, {"BalRInQty", "", 66}}},
        {"计划结果", flNormal, {{"BalNetQty", "", 66}, {"BalQty", "", 66}, {"BalXQty", "", 66}, {"BalEndQty", "", 66}}},
        {"计划参数", flNormal, {{"ItmPlanner", "", 60}, {"ItmBuyer", "", 60}, {"ItmMinQty", "", 66}, {"ItmLotQty", "", 66}}},
        {"辅助属性",
         flNormal,
         {{"BalItmProp1", "", 70}, {"BalItmProp2", "", 70}, {"BalItmProp3", "", 70}, {"BalItmProp4", "", 70}, {"BalItmProp5", "", 70},
          {"BalItmProp6", "", 70}, {"BalItmProp7", "", 70}, {"BalItmProp8", "", 70}, {"BalItmProp9", "", 70}, {"BalItmProp10", "", 70}}},
    };
    return bands;
}

// The fields the view reads for a balance row whatever the layout shows.
const char* const kKeyFields[] = {"BalSchIID", "BalItmID", "BalItmProps", "BalGroupType", "BalGroupNo", "ItmSafeQty", "ItmNo", "ItmName"};

} // namespace

TMRPBalanceFrame::TMRPBalanceFrame(QWidget* owner, const TInfoObjectDef* objectDef) : TInfoTreeView(owner, objectDef)
{
    trlMain->setObjectName(QStringLiteral("grdBalance"));
    Link = new TSchemeViewLink(this);
    BindDesignedColumns(*this, Bands());

    ContentLayout()->insertLayout(0, Link->NewBar({}));

    // The tree above, the bills of the focused row and its chart below.
    splBalance = new QSplitter(Qt::Vertical, this);
    ContentLayout()->removeWidget(trlMain);
    splBalance->addWidget(trlMain);
    auto* lower = new QSplitter(Qt::Horizontal, splBalance);
    if (const TInfoObjectDef* billsDef = Env() && Env()->GetObjectDef ? Env()->GetObjectDef(kBillsObject) : nullptr) {
        Bills = new TMRPBillsFrame(lower, billsDef);
        lower->addWidget(Bills);
    }
    Chart = new TBalanceChart(lower);
    lower->addWidget(Chart);
    lower->setStretchFactor(0, 3);
    lower->setStretchFactor(1, 2);
    lower->setSizes({600, 400});
    splBalance->addWidget(lower);
    splBalance->setStretchFactor(0, 1);
    splBalance->setStretchFactor(1, 1);
    ContentLayout()->addWidget(splBalance, 1);
    connect(trlMain->selectionModel(), &QItemSelectionModel::currentChanged, this, &TMRPBalanceFrame::trlBalanceFocusedNodeChanged);
}

TMRPBalanceFrame::~TMRPBalanceFrame() = default;

void TMRPBalanceFrame::SetPlanScheme(TPlanScheme* scheme, const TPlanSchemeUIEvents* events)
{
    Link->Set(scheme, events);
}

void TMRPBalanceFrame::InitializeView(const QString& AAsDetailID, IInfoView* AMasterView)
{
    TInfoTreeView::InitializeView(AAsDetailID, AMasterView);
    ApplyDesignedWidths(*this, Bands());
    ApplyViewLayout();
    if (Bills)
        Bills->InitializeView(QStringLiteral("Bills"), this);
}

bool TMRPBalanceFrame::QueryClose()
{
    return (!Bills || Bills->QueryClose()) && TInfoTreeView::QueryClose();
}

TBalanceKey TMRPBalanceFrame::KeyOf(const TTreeNode* node) const
{
    if (node && node->Parent() && node->Parent()->Parent())
        node = node->Parent();
    TBalanceKey key;
    if (!node || !Link->Loaded())
        return key;
    key.SchemeIID = Link->Scheme()->SchemeIID;
    key.ItmID = node->Value(QStringLiteral("BalItmID")).toString();
    key.ItmProps = node->Value(QStringLiteral("BalItmProps")).toString();
    key.GroupType = node->Value(QStringLiteral("BalGroupType")).toInt();
    key.GroupNo = node->Value(QStringLiteral("BalGroupNo")).toString();
    return key;
}

int TMRPBalanceFrame::PeriodOf(const TTreeNode* node)
{
    const QVariant period = node ? node->Value(kPeriodField) : QVariant();
    return period.isNull() ? -1 : period.toInt();
}

const QList<TBalancePeriod>& TMRPBalanceFrame::PeriodsOf(TTreeNode* balanceRow)
{
    auto it = FPeriods.find(balanceRow);
    if (it == FPeriods.end()) {
        QList<TBalancePeriod> periods;
        if (Link->Loaded())
            periods = SumBalancePeriods(ReadBalanceBills(SharedConnection(), KeyOf(balanceRow)), int(Link->Scheme()->MrpPeriods.size()));
        it = FPeriods.insert(balanceRow, periods);
    }
    return it.value();
}

void TMRPBalanceFrame::LoadData(bool)
{
    FPeriods.clear();
    Nodes->Clear();
    if (!Link->Loaded()) {
        trlBalanceFocusedNodeChanged();
        return;
    }
    QStringList fields;
    for (const TViewColumn* c : Columns.Items())
        if (!c->FieldName.isEmpty())
            fields << c->FieldName;
    for (const char* field : kKeyFields)
        fields << QLatin1String(field);
    const QString sql = BuildViewSQL(MakeFieldList(fields), QString(), QStringLiteral("s.BalSchIID=%1").arg(SQLInt(Link->Scheme()->SchemeIID)),
                                     QStringLiteral("i.ItmNo, s.BalIID"), false);
    if (sql.isEmpty())
        return;
    // A long balance comes a page at a time, as the tree is scrolled.
    LoadTopPages([this, sql](int limit, int offset) { return BuiltSQL = sql + QStringLiteral(" limit %1 offset %2").arg(limit).arg(offset); },
                 kPageRows, true);
    if (Nodes->rowCount() > 0)
        trlMain->setCurrentIndex(Nodes->index(0, 0));
}

void TMRPBalanceFrame::LoadChildNodes(TTreeNode* Node)
{
    if (!Node || Node->Parent() != Nodes->Root())
        return;
    const TPlanPeriods& captions = Link->Scheme()->MrpPeriods;
    QList<TBalancePeriod> periods;
    try {
        TWaitCursor wait;
        periods = PeriodsOf(Node);
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& e) {
        ShowException(e);
        return;
    }
    QStringList fields = BalancePeriodFields();
    fields << QStringLiteral("BalGroupNo") << kPeriodField;
    QList<QVariantList> rows;
    for (int p = 0; p < periods.size(); ++p) {
        QVariantList row;
        for (const QString& field : BalancePeriodFields())
            row << periods[p].Columns.value(field);
        row << PeriodCaption(captions, p) << p;
        rows << row;
    }
    Nodes->AddNodes(Node, fields, rows);
}

void TMRPBalanceFrame::trlBalanceFocusedNodeChanged()
{
    TTreeNode* node = FocusedNode();
    TTreeNode* row = node && node->Parent() != Nodes->Root() ? node->Parent() : node;
    if (Bills)
        Bills->SetBalanceRow(KeyOf(node), PeriodOf(node));
    if (!row) {
        Chart->ShowEmpty(Link->Loaded() ? QStringLiteral("(没有物料供需平衡数据)") : QString());
        return;
    }
    try {
        const QList<TBalancePeriod>& periods = PeriodsOf(row);
        // The chart names a period by its first day: the labels stay short under the bars.
        const TPlanPeriods& mrpPeriods = Link->Scheme()->MrpPeriods;
        QStringList captions;
        for (int p = 0; p < periods.size(); ++p)
            captions << (p < mrpPeriods.size() && mrpPeriods[p].PeriodKind == ppkNormal
                             ? mrpPeriods[p].DateBegin.toString(QStringLiteral("MM/dd"))
                             : PeriodCaption(mrpPeriods, p));
        QString title = row->Value(QStringLiteral("ItmNo")).toString() + QLatin1Char(' ') + row->Value(QStringLiteral("ItmName")).toString();
        if (!row->Value(QStringLiteral("BalGroupNo")).toString().isEmpty())
            title += QStringLiteral(" [%1]").arg(row->Value(QStringLiteral("BalGroupNo")).toString());
        Chart->ShowBalance(title, captions, periods, row->Value(QStringLiteral("ItmSafeQty")).toDouble());
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& e) {
        ShowException(e);
    }
}

} // namespace kx
