#include "analysis/invageframe.h"

#include "analysis/invagesetdlg.h"
#include "db/errors.h"
#include "db/messages.h"
#include "db/settings.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "engine/progress.h"
#include "views/hostobject.h"
#include "views/commonui.h"
#include "views/longwork.h"
#include "views/messagebox.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QSplitter>
#include <QTreeView>
#include <QValueAxis>
#include <QVBoxLayout>

namespace kx {

namespace {

enum TNodeKind { nkTotal = 0, nkMain = 1, nkDetail = 2 };

const char* const kColumnFields[] = {
    "ItmNo",       "ItmName",     "ItmSpec",     "AgeBillNo",      "AgeBillTypName", "AgeSupply",     "AgeBillDate",
    "AgeBatch",    "StkName",     "StpName",     "UntName",        "AgeBookQty",     "AgeQty",        "AgePrice",
    "AgeAmt",      "AgeDays",     "AgeOutDate",  "AgePlanDate",    "PlannerName",    "BuyerName",     "AgeNote",
    "AgeMemo",     "AgeOrdType",  "AgeOrdNo",    "AgeOrigType",    "AgeOrigNo",      "OrigCustName",  "AgeOrigCustPO",
    "OrigItmNo",   "OrigItmName", "OrigItmSpec", "AgeGroupType",   "AgeGroupNo"};
// Columns whose values are summed into the total row.
const char* const kSummed[] = {"AgeBookQty", "AgeQty", "AgeAmt"};
const char* const kMoneyFields[] = {"AgePrice", "AgeAmt"};

int Kind(const TTreeNode* node)
{
    return node ? node->Data.toMap().value(QStringLiteral("Kind")).toInt() : -1;
}

QVariant Field(const TQuery& q, const QString& name)
{
    const int i = q.FieldIndex(name);
    return i < 0 || q.Fields(i).IsNull() ? QVariant() : q.Fields(i).Value();
}

QVariant DateField(const TQuery& q, const QString& name)
{
    const int i = q.FieldIndex(name);
    return i < 0 || q.Fields(i).IsNull() ? QVariant() : QVariant(q.Fields(i).AsDate());
}

} // namespace

TInvAgeFrame::TInvAgeFrame(QWidget* owner, const TInfoObjectDef* objectDef) : TInfoTreeView(owner, objectDef)
{
    trlMain->setObjectName(QStringLiteral("trlInvAge"));
    for (const char* field : kColumnFields)
        BindStaticColumn(CreateColumn(QString()), QLatin1String(field));
    for (int n = 1; n <= 10; ++n)
        BindStaticColumn(CreateColumn(QString()), QStringLiteral("AgeItmProp%1").arg(n));

    btnAnalyze = new QPushButton(QStringLiteral("库龄分析(&A)..."), this);
    btnAnalyze->setObjectName(QStringLiteral("btnAnalyze"));
    lblState = new QLabel(this);
    lblState->setObjectName(QStringLiteral("lblState"));
    auto* top = new QHBoxLayout;
    top->setContentsMargins(4, 4, 4, 0);
    top->setSpacing(8);
    top->addWidget(btnAnalyze);
    top->addWidget(lblState, 1);
    lblFilterKind = new QLabel(QStringLiteral("显示入库单满足(&F):"), this);
    cboFilterKind = new QComboBox(this);
    cboFilterKind->setObjectName(QStringLiteral("cboFilterKind"));
    cboFilterKind->addItems(InvAgeFilterKinds());
    lblFilterKind->setBuddy(cboFilterKind);
    edtFilterText = new QLineEdit(this);
    edtFilterText->setObjectName(QStringLiteral("edtFilterText"));
    edtFilterText->setMinimumWidth(160);
    btnFilterOK = new QPushButton(QStringLiteral("确定"), this);
    chkShareItem = new QCheckBox(QStringLiteral("物料信息列共享显示(&S)"), this);
    auto* filter = new QHBoxLayout;
    filter->setContentsMargins(4, 2, 4, 4);
    filter->addWidget(lblFilterKind);
    filter->addWidget(cboFilterKind);
    filter->addWidget(new QLabel(QStringLiteral("含"), this));
    filter->addWidget(edtFilterText);
    filter->addWidget(btnFilterOK);
    filter->addSpacing(16);
    filter->addWidget(chkShareItem);
    filter->addStretch(1);
    ContentLayout()->insertLayout(0, top);
    ContentLayout()->insertLayout(1, filter);

    // The tree above the chart of its shown rows.
    splMain = new QSplitter(Qt::Vertical, this);
    splMain->setObjectName(QStringLiteral("splInvAge"));
    ContentLayout()->removeWidget(trlMain);
    splMain->addWidget(trlMain);
    chtAgeGroups = new QChartView(new QChart, splMain);
    chtAgeGroups->setObjectName(QStringLiteral("chtAgeGroups"));
    chtAgeGroups->setRenderHint(QPainter::Antialiasing);
    chtAgeGroups->setMinimumHeight(160);
    splMain->addWidget(chtAgeGroups);
    splMain->setStretchFactor(0, 3);
    splMain->setStretchFactor(1, 2);
    ContentLayout()->addWidget(splMain, 1);

    connect(btnAnalyze, &QPushButton::clicked, this, &TInvAgeFrame::Analyze);
    connect(btnFilterOK, &QPushButton::clicked, this, [this] { RefreshData(false); });
    connect(edtFilterText, &QLineEdit::returnPressed, this, [this] { RefreshData(false); });
    connect(chkShareItem, &QCheckBox::toggled, this, [this] { RefreshData(true); });
}

TInvAgeFrame::~TInvAgeFrame()
{
    if (FSchIID <= 0)
        return;
    try {
        DeleteInvAgeRuns(SharedConnection(), FSchIID, EnvUserID());
    } catch (const std::exception&) {
        // the connection is gone: the user's next view removes the run with the stale ones
    }
}

void TInvAgeFrame::InitializeView(const QString& AAsDetailID, IInfoView* AMasterView)
{
    TInfoTreeView::InitializeView(AAsDetailID, AMasterView);
    for (const auto& [field, width] : {std::pair{"ItmNo", 90}, {"ItmName", 90}, {"ItmSpec", 130}, {"AgeBillNo", 100},
                                       {"AgeSupply", 120}, {"AgeBillDate", 80}})
        GetColumnByField(QLatin1String(field))->Width = width;
    ApplyViewLayout();
    FStaticBands = int(Columns.Bands.size());
    if (!HasMoney())
        for (const char* field : kMoneyFields)
            GetColumnByField(QLatin1String(field))->Visible = false;
    UpdateState();
}

bool TInvAgeFrame::HasMoney() const
{
    return ObjectDef && ObjectDef->GetAccessGroup(QStringLiteral("Money"));
}

bool TInvAgeFrame::QueryCommandState(int Command, TCommandState& State)
{
    if (Command >= 0 && Command == ObjectActionCommand(ObjectDef, QStringLiteral("Analyze"))) {
        State = csEnabled;
        return true;
    }
    return TInfoTreeView::QueryCommandState(Command, State);
}

bool TInvAgeFrame::ExecCommand(int Command)
{
    if (Command >= 0 && Command == ObjectActionCommand(ObjectDef, QStringLiteral("Analyze"))) {
        Analyze();
        return true;
    }
    return TInfoTreeView::ExecCommand(Command);
}

void TInvAgeFrame::Analyze()
{
    QDateTime now = QDateTime::currentDateTime();
    TQuery q(&SharedConnection());
    if (!GetServerTime(q, now, true))
        return;
    TInvAgeSetDlg dlg(ObjectDef, ReadInvAgeSettings(ViewScheme.Params, now.date()), now.date(), this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    RunAnalysis(dlg.Settings(), dlg.OfferedStocks());
}

bool TInvAgeFrame::RunAnalysis(const TInvAgeSettings& settings, const QStringList& allStocks)
{
    ViewScheme.Params = WriteInvAgeSettings(ViewScheme.Params, settings);
    TInvAgeRun run;
    QDateTime now;
    TQuery q(&SharedConnection());
    if (!GetServerTime(q, now, true))
        return false;
    run.Settings = settings;
    run.Today = now.date();
    run.UserID = EnvUserID();
    run.Money = HasMoney();
    run.AllStocks = allStocks;
    run.SchIID = FSchIID;
    PrepareInvAgeTrace(run);
    // The run stores its rows in one transaction at its end: a cancelled or failed run leaves
    // the view's former result as it was.
    const TLongWorkOutcome outcome = RunLongWork(this, QStringLiteral("物料库龄分析"), [&run](TConnection& connection, IEngineProgress& progress) {
        return RunInvAgeAnalysis(connection, run, progress);
    });
    if (outcome != lwDone)
        return false;
    FSchIID = run.SchIID;
    RefreshData(false);
    return true;
}

void TInvAgeFrame::BuildGroupColumns()
{
    RemoveDynamicColumns();
    while (Columns.Bands.size() > FStaticBands)
        Columns.Bands.removeLast();
    FGroups = MakeAgeGroups(ReadInvAgeSettings(ViewScheme.Params, QDate::currentDate()).Intervals);
    if (FGroups.isEmpty())
        return;
    if (!Columns.HasBandCaptions())
        Columns.Bands[0].Caption = QStringLiteral("库存");
    for (qsizetype k = 0; k < FGroups.size(); ++k) {
        const int band = Columns.AddBand(FGroups[k].Name);
        for (const auto& [field, caption, amount] :
             {std::tuple{"AgeQty%1", "数量", false}, std::tuple{"AgeAmt%1", "金额", true}}) {
            TViewColumn* c = AddDynamicColumn(QString::fromLatin1(field).arg(int(k) + 1), QLatin1String(caption), int(k) + 1, band);
            c->DataType = ftFloat;
            c->Kind = ckNumber;
            c->Alignment = Qt::AlignRight | Qt::AlignVCenter;
            c->Width = 72;
            c->Editable = false;
            c->OnGetDisplayText = amount ? TCommonUI::TreeCurrencyColumnGetDisplayText : TCommonUI::TreeFloatColumnGetDisplayText;
            c->Visible = !amount || HasMoney();
        }
    }
}

QString TInvAgeFrame::DetailCondition() const
{
    return InvAgeDetailCondition(cboFilterKind->currentIndex(), edtFilterText->text());
}

void TInvAgeFrame::LoadData(bool)
{
    Nodes->Clear();
    FTotal = nullptr;
    BuildGroupColumns();
    UpdateState();
    if (FSchIID <= 0) {
        UpdateChart();
        return;
    }
    TQuery q(&SharedConnection());
    {
        TWaitCursor wait;
        if (!RunSQL(q, InvAgeMainSQL(FSchIID, DetailCondition()), true))
            return;
    }
    const bool money = HasMoney();
    QVariantMap total{{QStringLiteral("ItmNo"), QStringLiteral("(总计)")}};
    QHash<QString, double> sums;
    QString lastItem;
    for (q.First(); !q.Eof(); q.Next()) {
        const QString item = q.FieldByName(QStringLiteral("AgeItmID")).AsString();
        const bool share = chkShareItem->isChecked() && item == lastItem;
        lastItem = item;
        QVariantMap v{{QStringLiteral("ItmNo"), share ? QVariant() : Field(q, QStringLiteral("ItmNo"))},
                      {QStringLiteral("ItmName"), share ? QVariant() : Field(q, QStringLiteral("ItmName"))},
                      {QStringLiteral("ItmSpec"), share ? QVariant() : Field(q, QStringLiteral("ItmSpec"))},
                      {QStringLiteral("AgeBillDate"), DateField(q, QStringLiteral("AgeInDate"))},
                      {QStringLiteral("AgeBatch"), Field(q, QStringLiteral("AgeBatch"))},
                      {QStringLiteral("StkName"), Field(q, QStringLiteral("StkName"))},
                      {QStringLiteral("StpName"), Field(q, QStringLiteral("StpName"))},
                      {QStringLiteral("UntName"), Field(q, QStringLiteral("UntName"))},
                      {QStringLiteral("AgeBookQty"), Field(q, QStringLiteral("AgeQty"))},
                      {QStringLiteral("AgeQty"), Field(q, QStringLiteral("AgeInQty"))},
                      {QStringLiteral("AgeDays"), Field(q, QStringLiteral("AgeDays"))},
                      {QStringLiteral("AgeOutDate"), DateField(q, QStringLiteral("AgeOutDate"))},
                      {QStringLiteral("AgePlanDate"), DateField(q, QStringLiteral("AgePlanDate"))},
                      {QStringLiteral("PlannerName"), Field(q, QStringLiteral("PlannerName"))},
                      {QStringLiteral("BuyerName"), Field(q, QStringLiteral("BuyerName"))},
                      {QStringLiteral("AgeGroupType"), Field(q, QStringLiteral("AgeGroupType"))},
                      {QStringLiteral("AgeGroupNo"), Field(q, QStringLiteral("AgeGroupNo"))}};
        if (money) {
            v.insert(QStringLiteral("AgePrice"), Field(q, QStringLiteral("AgePrice")));
            v.insert(QStringLiteral("AgeAmt"), Field(q, QStringLiteral("AgeAmt")));
        }
        for (int n = 1; n <= 10; ++n)
            v.insert(QStringLiteral("AgeItmProp%1").arg(n), Field(q, QStringLiteral("AgeItmProp%1").arg(n)));
        for (qsizetype k = 1; k <= FGroups.size(); ++k) {
            const QString qty = QStringLiteral("AgeQty%1").arg(k), amt = QStringLiteral("AgeAmt%1").arg(k);
            v.insert(qty, Field(q, qty));
            sums[qty] += q.FieldByName(qty).AsFloat();
            if (money) {
                v.insert(amt, Field(q, amt));
                sums[amt] += q.FieldByName(amt).AsFloat();
            }
        }
        for (const char* field : kSummed)
            sums[QLatin1String(field)] += v.value(QLatin1String(field)).toDouble();
        if (!FTotal) {
            FTotal = Nodes->AddNode(nullptr, total);
            FTotal->Data = QVariantMap{{QStringLiteral("Kind"), int(nkTotal)}};
            FTotal->ChildrenLoaded = true;
        }
        TTreeNode* node = Nodes->AddNode(nullptr, v);
        node->Data = QVariantMap{{QStringLiteral("Kind"), int(nkMain)}, {QStringLiteral("AgeIID"), q.FieldByName(QStringLiteral("AgeIID")).AsInteger()}};
        node->HasChildren = q.FieldByName(QStringLiteral("AgeInQty")).AsFloat() > 0;
    }
    if (FTotal)
        for (auto it = sums.cbegin(); it != sums.cend(); ++it)
            if (money || !it.key().startsWith(QLatin1String("AgeAmt")))
                Nodes->SetNodeValue(FTotal, it.key(), it.value());
    UpdateChart();
}

void TInvAgeFrame::LoadChildNodes(TTreeNode* Node)
{
    if (Kind(Node) != nkMain)
        return;
    TQuery q(&SharedConnection());
    if (!RunSQL(q, InvAgeDetailSQL(FSchIID, Node->Data.toMap().value(QStringLiteral("AgeIID")).toInt(), DetailCondition()), true))
        return;
    const bool money = HasMoney();
    for (q.First(); !q.Eof(); q.Next()) {
        QVariantMap v{{QStringLiteral("AgeBillNo"), Field(q, QStringLiteral("AgeBillNo"))},
                      {QStringLiteral("AgeBillTypName"), Field(q, QStringLiteral("AgeBillTypName"))},
                      {QStringLiteral("AgeSupply"), Field(q, QStringLiteral("AgeSupply"))},
                      {QStringLiteral("AgeBillDate"), DateField(q, QStringLiteral("AgeBillDate"))},
                      {QStringLiteral("AgeBatch"), Field(q, QStringLiteral("AgeBatch"))},
                      {QStringLiteral("StkName"), Field(q, QStringLiteral("StkName"))},
                      {QStringLiteral("StpName"), Field(q, QStringLiteral("StpName"))},
                      {QStringLiteral("UntName"), Node->Value(QStringLiteral("UntName"))},
                      {QStringLiteral("AgeBookQty"), Field(q, QStringLiteral("AgeBillQty"))},
                      {QStringLiteral("AgeQty"), Field(q, QStringLiteral("AgeQty"))},
                      {QStringLiteral("AgeDays"), Field(q, QStringLiteral("AgeDays"))},
                      {QStringLiteral("AgeNote"), Field(q, QStringLiteral("AgeNote"))},
                      {QStringLiteral("AgeMemo"), Field(q, QStringLiteral("AgeMemo"))},
                      {QStringLiteral("AgeOrdType"), Field(q, QStringLiteral("AgeOrdType"))},
                      {QStringLiteral("AgeOrdNo"), Field(q, QStringLiteral("AgeOrdNo"))},
                      {QStringLiteral("AgeOrigType"), Field(q, QStringLiteral("AgeOrigType"))},
                      {QStringLiteral("AgeOrigNo"), Field(q, QStringLiteral("AgeOrigNo"))},
                      {QStringLiteral("OrigCustName"), Field(q, QStringLiteral("OrigCustName"))},
                      {QStringLiteral("AgeOrigCustPO"), Field(q, QStringLiteral("AgeOrigCustPO"))},
                      {QStringLiteral("OrigItmNo"), Field(q, QStringLiteral("OrigItmNo"))},
                      {QStringLiteral("OrigItmName"), Field(q, QStringLiteral("OrigItmName"))},
                      {QStringLiteral("OrigItmSpec"), Field(q, QStringLiteral("OrigItmSpec"))},
                      {QStringLiteral("AgeGroupType"), Field(q, QStringLiteral("AgeGroupType"))},
                      {QStringLiteral("AgeGroupNo"), Field(q, QStringLiteral("AgeGroupNo"))}};
        if (money) {
            v.insert(QStringLiteral("AgePrice"), Field(q, QStringLiteral("AgePrice")));
            v.insert(QStringLiteral("AgeAmt"), Field(q, QStringLiteral("AgeAmt")));
        }
        const int group = q.FieldByName(QStringLiteral("AgeGroup")).AsInteger();
        if (group > 0 && group <= FGroups.size()) {
            v.insert(QStringLiteral("AgeQty%1").arg(group), Field(q, QStringLiteral("AgeQty")));
            if (money)
                v.insert(QStringLiteral("AgeAmt%1").arg(group), Field(q, QStringLiteral("AgeAmt")));
        }
        TTreeNode* detail = Nodes->AddNode(Node, v);
        detail->Data = QVariantMap{{QStringLiteral("Kind"), int(nkDetail)}};
        detail->ChildrenLoaded = true;
    }
}

QList<double> TInvAgeFrame::GroupQuantities() const
{
    QList<double> values;
    for (qsizetype k = 1; k <= FGroups.size(); ++k)
        values << (FTotal ? FTotal->Value(QStringLiteral("AgeQty%1").arg(k)).toDouble() : 0.0);
    return values;
}

QList<double> TInvAgeFrame::GroupAmounts() const
{
    QList<double> values;
    for (qsizetype k = 1; k <= FGroups.size(); ++k)
        values << (FTotal && HasMoney() ? FTotal->Value(QStringLiteral("AgeAmt%1").arg(k)).toDouble() : 0.0);
    return values;
}

void TInvAgeFrame::UpdateChart()
{
    auto* chart = new QChart;
    chart->setTitle(FSchIID > 0 && !FGroups.isEmpty() ? QStringLiteral("各库龄分组的库存 (当前显示的物料)") : QString());
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->setMargins(QMargins(4, 4, 4, 4));
    if (FSchIID > 0 && !FGroups.isEmpty()) {
        QStringList names;
        for (const TAgeGroup& g : FGroups)
            names << g.Name;
        auto* categories = new QBarCategoryAxis;
        categories->append(names);
        chart->addAxis(categories, Qt::AlignBottom);

        auto* quantities = new QBarSet(QStringLiteral("数量"));
        const QList<double> qty = GroupQuantities();
        for (double v : qty)
            *quantities << v;
        auto* bars = new QBarSeries;
        bars->append(quantities);
        chart->addSeries(bars);
        // Each value axis is drawn in its series' colour, which the legend names: a rotated axis
        // title is hard to read and takes a column of the chart.
        auto* qtyAxis = new QValueAxis;
        qtyAxis->setLabelFormat(QStringLiteral("%.0f"));
        qtyAxis->setMin(0);
        chart->addAxis(qtyAxis, Qt::AlignLeft);
        bars->attachAxis(categories);
        bars->attachAxis(qtyAxis);
        qtyAxis->applyNiceNumbers();
        qtyAxis->setLabelsColor(quantities->color());
        qtyAxis->setLinePenColor(quantities->color());

        if (HasMoney()) {
            auto* amounts = new QLineSeries;
            amounts->setName(QStringLiteral("金额"));
            amounts->setPointsVisible(true);
            const QList<double> amt = GroupAmounts();
            for (qsizetype k = 0; k < amt.size(); ++k)
                amounts->append(double(k), amt[k]);
            chart->addSeries(amounts);
            auto* amtAxis = new QValueAxis;
            amtAxis->setLabelFormat(QStringLiteral("%.0f"));
            amtAxis->setMin(0);
            chart->addAxis(amtAxis, Qt::AlignRight);
            amounts->attachAxis(categories);
            amounts->attachAxis(amtAxis);
            amtAxis->applyNiceNumbers();
            amtAxis->setLabelsColor(amounts->color());
            amtAxis->setLinePenColor(amounts->color());
        }
    }
    QChart* old = chtAgeGroups->chart();
    chtAgeGroups->setChart(chart);
    delete old;
    chtAgeGroups->setVisible(!FGroups.isEmpty() || FSchIID <= 0);
}

void TInvAgeFrame::UpdateState()
{
    if (FSchIID <= 0) {
        lblState->setText(QStringLiteral("尚未进行库龄分析: 请按[库龄分析]设置库存日期、仓库和库龄分组后运行。"));
        return;
    }
    const TInvAgeSettings s = ReadInvAgeSettings(ViewScheme.Params, QDate::currentDate());
    QStringList parts;
    parts << (s.StockNow ? QStringLiteral("即时库存") : QStringLiteral("截止日期库存 %1").arg(s.InvDate.toString(QStringLiteral("yyyy/MM/dd"))));
    parts << (s.AllStocks ? QStringLiteral("全部仓库") : QStringLiteral("%1个仓库").arg(s.Stocks.size()));
    parts << (s.Intervals.isEmpty() ? QStringLiteral("(不分组)") : QStringLiteral("%1个库龄分组").arg(s.Intervals.size() + 1));
    static const char* const kTypes[] = {"加权平均库龄", "最大库龄", "最小库龄"};
    parts << QString::fromUtf8(kTypes[qBound(0, s.AgeType, 2)]);
    if (s.PlanScheme > 0)
        parts << QStringLiteral("参考计划方案: %1").arg(s.PlanSchemeText);
    lblState->setText(parts.join(QStringLiteral(", ")));
}

void TInvAgeFrame::FetchCustomDrawFormat(const TTreeNode* Node, TCellDrawFormat& Format, const TViewColumn* Column)
{
    TInfoTreeView::FetchCustomDrawFormat(Node, Format, Column);
    if (Kind(Node) == nkTotal) {
        Format.Font.setBold(true);
        Format.FontChanged = true;
        Format.Background = QColor(0xEE, 0xF3, 0xFA);
    } else if (Kind(Node) == nkDetail) {
        Format.TextColor = QColor(0x33, 0x44, 0x66);
    }
}

} // namespace kx
