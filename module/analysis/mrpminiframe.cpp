#include "analysis/mrpminiframe.h"

#include "analysis/mrpminisetdlg.h"
#include "db/errors.h"
#include "db/messages.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "engine/progress.h"
#include "engine/schemelock.h"
#include "views/hostobject.h"
#include "views/checkoptionsdlg.h"
#include "views/longwork.h"
#include "views/viewscheme.h"
#include "workbench/schemeview.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kx {

namespace {

// A scheme has MRP results when its run time lies after 1900.
bool HasResults(const TPlanScheme& scheme)
{
    return scheme.MrpRunTime.isValid() && scheme.MrpRunTime.date().year() > 1900;
}

} // namespace

TMRPminiFrame::TMRPminiFrame(const TInfoObjectDef* objectDef, TMiniKind kind, TViewFactory createView, QWidget* owner)
    : TCustomInfoFrame(owner), FObjectDef(objectDef), FKind(kind), FCreateView(std::move(createView)),
      FScheme(std::make_unique<TPlanScheme>(&SharedConnection(), int(kind))), FParams(std::make_unique<TViewScheme>())
{
    setObjectName(kind == mkKit ? QStringLiteral("MRPminiFrame") : QStringLiteral("MRPLackFrame"));
    FPages = {
        {" 需求分配(&1) ", "KX_MRP.MRPmini.Allot", "KX_MRP.MRP.Allot"},
        {" 供需平衡(&2) ", "KX_MRP.MRPmini.Balance", "KX_MRP.MRP.Balance"},
        {" 供应计划(&3) ", "KX_MRP.MRPmini.Supplies", "KX_MRP.MRP.Supplies"},
        {" 替代挪用(&4) ", "KX_MRP.MRPmini.Replaces", "KX_MRP.MRP.Replaces"},
        {" 计划投放(&5) ", "KX_MRP.MRPmini.Output", "KX_MRP.MRPOutput"},
    };

    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    btnSetup = new QPushButton(QStringLiteral("分析设置(&S)..."), this);
    btnRun = new QPushButton(QStringLiteral("重新分析(&R)"), this);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 4, 4, 4);
    bar->addWidget(btnSetup);
    bar->addWidget(btnRun);
    bar->addSpacing(12);
    bar->addWidget(lblStatus, 1);
    splResults = new QSplitter(Qt::Vertical, this);
    grdSummary = new QTableWidget(0, int(MiniSummaryCaptions(kind).size()), splResults);
    grdSummary->setObjectName(QStringLiteral("grdSummary"));
    grdSummary->setHorizontalHeaderLabels(MiniSummaryCaptions(kind));
    grdSummary->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdSummary->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdSummary->verticalHeader()->setDefaultSectionSize(22);
    pgcResults = new QTabWidget(splResults);
    pgcResults->setObjectName(QStringLiteral("pgcResults"));
    splResults->addWidget(grdSummary);
    splResults->addWidget(pgcResults);
    splResults->setStretchFactor(0, 1);
    splResults->setStretchFactor(1, 3);
    for (TPage& page : FPages) {
        page.Holder = new QWidget(pgcResults);
        auto* layout = new QVBoxLayout(page.Holder);
        layout->setContentsMargins(0, 0, 0, 0);
        pgcResults->addTab(page.Holder, QString::fromUtf8(page.Caption));
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(splResults, 1);
    connect(btnSetup, &QPushButton::clicked, this, [this] { Run(true); });
    connect(btnRun, &QPushButton::clicked, this, [this] { Run(false); });
    connect(pgcResults, &QTabWidget::currentChanged, this, &TMRPminiFrame::ShowPage);

    FEvents.RunMPS = [] {};
    FEvents.RunMRP = [this] { Run(false); };
    FEvents.RefreshState = [this] {
        if (FScheme->LoadState())
            UpdateStatus();
    };
    FEvents.CheckState = [this](bool) { return FScheme->CheckState(); };

    // The frame's private scheme, and the options kept for the user.
    FParams->ID = objectDef ? objectDef->ID : QString();
    LoadViewScheme(*FParams);
    try {
        const int iid = CreateMiniScheme(SharedConnection(), kind, EnvUserID());
        if (!FScheme->Load(iid))
            ShowError(QStringLiteral("计划方案[%1]不存在!").arg(iid));
    } catch (const std::exception& e) {
        ShowException(e);
    }
    UpdateStatus();
    ShowPage(0);
}

TMRPminiFrame::~TMRPminiFrame()
{
    // The result views go before the scheme they show.
    for (TPage& page : FPages)
        delete page.Holder;
    FPages.clear();
    if (FScheme->SchemeIID <= 0)
        return;
    try {
        DeleteMiniSchemes(SharedConnection(), FScheme->SchemeIID, FKind, EnvUserID());
    } catch (const std::exception&) {
        // the connection is gone: the user's next analysis removes the scheme with the stale ones
    }
}

const TViewScheme& TMRPminiFrame::Params() const
{
    return *FParams;
}

bool TMRPminiFrame::QueryCommandState(int Command, TCommandState& State)
{
    if (Command >= cmdAction && (Command == ObjectActionCommand(FObjectDef, QStringLiteral("RunMRP")) || Command == ObjectActionCommand(FObjectDef, QStringLiteral("SetupMRP")))) {
        State = FScheme->SchemeIID > 0 ? TCommandState(csEnabled) : 0;
        return true;
    }
    if (Command == cmdRefresh) {
        State = csEnabled;
        return true;
    }
    return TCustomInfoFrame::QueryCommandState(Command, State);
}

bool TMRPminiFrame::ExecCommand(int Command)
{
    if (Command >= cmdAction && Command == ObjectActionCommand(FObjectDef, QStringLiteral("RunMRP")))
        return Run(false), true;
    if (Command >= cmdAction && Command == ObjectActionCommand(FObjectDef, QStringLiteral("SetupMRP")))
        return Run(true), true;
    if (Command == cmdRefresh) {
        if (FScheme->Load(FScheme->SchemeIID))
            SchemeChanged();
        return true;
    }
    return TCustomInfoFrame::ExecCommand(Command);
}

bool TMRPminiFrame::Run(bool withDialog)
{
    if (FScheme->SchemeIID <= 0)
        return false;
    // Nothing chosen yet: the settings come first.
    if (FLines.isEmpty() && (FKind == mkKit || ReadMiniOptions(FParams->Params).LackBills == lbChosen))
        withDialog = true;
    bool keepType = false, keepBom = false, keepQty = false;
    if (!withDialog && HasResults(*FScheme)) {
        TCheckOptionsDlg dlg(this);
        dlg.setWindowTitle(QStringLiteral("重新运算MRP"));
        dlg.setObjectName(QStringLiteral("RerunDlg"));
        const int type = dlg.AddOption(QStringLiteral("供应类型调整(&1)"), true);
        const int bom = dlg.AddOption(QStringLiteral("供应BOM调整(&2)"), true);
        const int qty = dlg.AddOption(QStringLiteral("供应数量调整(&3)"), true);
        if (dlg.exec() != QDialog::Accepted)
            return false;
        keepType = dlg.Checked(type);
        keepBom = dlg.Checked(bom);
        keepQty = dlg.Checked(qty);
    }
    if (!withDialog)
        return RunWith(FLines, ReadMiniOptions(FParams->Params), keepType, keepBom, keepQty);

    QDateTime now;
    TQuery q(&SharedConnection());
    if (!GetServerTime(q, now, true))
        return false;
    std::unique_ptr<TMiniSetDlgBase> dlg;
    if (FKind == mkKit)
        dlg = std::make_unique<TMRPminiSetDlg>(FObjectDef, FParams.get(), FLines, now.date(), this);
    else
        dlg = std::make_unique<TMRPLackSetDlg>(FObjectDef, FParams.get(), FLines, now.date(), this);
    dlg->Prepare();
    dlg->LoadScheme();
    if (dlg->exec() != QDialog::Accepted)
        return false;
    return RunWith(dlg->Lines(), dlg->Options());
}

bool TMRPminiFrame::RunWith(const QList<TMiniLine>& lines, const TMiniOptions& options, bool keepType, bool keepBom, bool keepQty)
{
    FLines = lines;
    FParams->Params = WriteMiniOptions(FParams->Params, options);
    SaveLastUsedViewScheme(*FParams);
    QDateTime now;
    TQuery q(&SharedConnection());
    if (!GetServerTime(q, now, true))
        return false;
    // The demand and the run on the job's own connection: the run's work tables live there.
    const int iid = FScheme->SchemeIID;
    const TMiniKind kind = FKind;
    const QDate today = now.date();
    const QList<TMiniLine> chosen = FLines;
    lblStatus->setText(MiniRunText(FKind));
    const TLongWorkOutcome outcome =
        RunLongWork(this, MiniCaption(FKind), [=](TConnection& connection, IEngineProgress& progress) {
            TSchemeLock lock(connection, iid, MiniCaption(kind), QStringLiteral("运算MRP"));
            TPlanScheme scheme(&connection, int(kind));
            if (!scheme.Load(iid))
                return false;
            progress.ShowText(MiniRunText(kind));
            if (!SaveMiniDemand(scheme, kind, options, chosen, today, progress))
                return false;
            return scheme.RunMRP(keepType, keepBom, [](int, int, const QString&, const QString&) {}, progress, keepQty);
        });
    if (FScheme->Load(iid))
        SchemeChanged();
    else
        UpdateStatus();
    return outcome == lwDone;
}

void TMRPminiFrame::SchemeChanged()
{
    UpdateStatus();
    UpdateSummary();
    for (TPage& page : FPages)
        if (auto* view = dynamic_cast<ISchemeView*>(page.View))
            view->SetPlanScheme(FScheme.get(), &FEvents);
    if (IInfoView* shown = PageView(pgcResults->currentIndex()))
        shown->RefreshData(false);
}

void TMRPminiFrame::UpdateStatus()
{
    QString text;
    if (FScheme->SchemeIID <= 0)
        text = QStringLiteral("分析方案无法建立。");
    else if (!HasResults(*FScheme))
        text = QStringLiteral("请按[分析设置]选择%1后运行%2。")
                   .arg(FKind == mkKit ? QStringLiteral("配套主需求") : QStringLiteral("投料单据"), MiniCaption(FKind));
    else
        text = QStringLiteral("%1: %2行, 运算时间 %3")
                   .arg(MiniCaption(FKind))
                   .arg(FLines.size())
                   .arg(FScheme->MrpRunTime.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")));
    lblStatus->setText(text);
}

void TMRPminiFrame::UpdateSummary()
{
    grdSummary->setRowCount(0);
    if (!HasResults(*FScheme))
        return;
    TQuery q(&SharedConnection());
    if (!RunSQL(q, MiniSummarySQL(FKind, FScheme->SchemeIID), true))
        return;
    const int numbersFrom = FKind == mkKit ? 7 : 5;
    grdSummary->setRowCount(q.RecordCount());
    for (int r = 0; r < q.RecordCount(); ++r)
        for (int c = 0; c < q.FieldCount(); ++c) {
            auto* item = new QTableWidgetItem(q.TextAt(r, c));
            if (c >= numbersFrom)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grdSummary->setItem(r, c, item);
        }
    grdSummary->resizeColumnsToContents();
}

IInfoView* TMRPminiFrame::PageView(int page) const
{
    return page >= 0 && page < FPages.size() ? FPages[page].View : nullptr;
}

void TMRPminiFrame::ShowPage(int index)
{
    if (index < 0 || index >= FPages.size())
        return;
    TPage& page = FPages[index];
    if (page.Tried) {
        if (page.View && !page.View->DataRefreshed())
            page.View->RefreshData(true);
        return;
    }
    page.Tried = true;
    // The analysis' own object when the catalogue has one, else the workbench's.
    const TInfoObjectDef* def = nullptr;
    if (Env() && Env()->GetObjectDef) {
        def = Env()->GetObjectDef(QLatin1String(page.OwnObject));
        if (!def)
            def = Env()->GetObjectDef(QLatin1String(page.Object));
    }
    page.View = def && FCreateView ? FCreateView(def) : nullptr;
    if (!page.View) {
        auto* note = new QLabel(QStringLiteral("该页的结果视图尚不可用; 运算结果已保存在分析方案中。"), page.Holder);
        note->setAlignment(Qt::AlignCenter);
        page.Holder->layout()->addWidget(note);
        return;
    }
    if (auto* view = dynamic_cast<ISchemeView*>(page.View))
        view->SetPlanScheme(FScheme.get(), &FEvents);
    page.View->InitializeView(QString(), nullptr);
    page.View->SetParentControl(page.Holder);
    page.View->RefreshData(false);
}

} // namespace kx
