#include "analysis/mrpminiframe.h"

#include "analysis/mrpminisetdlg.h"
#include "db/errors.h"
#include "db/messages.h"
#include "db/shared.h"
#include "db/sqlrun.h"
#include "engine/progress.h"
#include "engine/schemelock.h"
#include "views/hostobject.h"
#include "views/longwork.h"
#include "views/viewscheme.h"

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

bool HasYear(const QDateTime& t)
{
    return t.isValid() && t.date().year() > 1900;
}

// A scheme has MRP results when its run time lies after 1900.
bool HasResults(const TPlanScheme& scheme)
{
    return HasYear(scheme.MrpRunTime);
}

} // namespace

TMRPminiFrame::TMRPminiFrame(const TInfoObjectDef* objectDef, TMiniKind kind, TResultViewFactory createView, QWidget* owner)
    : TCustomInfoFrame(owner), FObjectDef(objectDef), FKind(kind), FScheme(std::make_unique<TPlanScheme>(&SharedConnection(), int(kind))),
      FParams(std::make_unique<TViewScheme>())
{
    setObjectName(kind == mkKit ? QStringLiteral("MRPminiFrame") : QStringLiteral("MRPLackFrame"));

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
    lblEmpty = new QLabel(splResults);
    lblEmpty->setObjectName(QStringLiteral("lblEmpty"));
    lblEmpty->setAlignment(Qt::AlignCenter);
    lblEmpty->setWordWrap(true);
    lblEmpty->setMargin(40);
    lblEmpty->setText(
        kind == mkKit
            ? QStringLiteral("尚未进行物料配套分析。\n\n请按[分析设置]选择要配套的主需求行(销售订单、销售出库、产品预测等)和参数, 确定后系统以这些需求运算MRP: "
                             "上表列出每行需求的齐套数量和缺口数量, 下方各页列出需求分配、供需平衡、供应计划、替代挪用和可直接投放的计划供应。")
            : QStringLiteral("尚未进行生产缺料分析。\n\n请按[分析设置]选择要分析的生产任务或委外订单及参数, 确定后系统以这些单据的投料运算MRP: "
                             "上表列出库存不能满足的投料和订单的齐套数量, 下方各页列出需求分配、供需平衡、供应计划、替代挪用和可直接投放的计划供应。"));
    splResults->addWidget(grdSummary);
    splResults->addWidget(pgcResults);
    splResults->addWidget(lblEmpty);
    splResults->setStretchFactor(0, 1);
    splResults->setStretchFactor(1, 3);
    splResults->setStretchFactor(2, 3);
    // Each page shows the analysis' own object when the catalogue defines one, else the
    // workbench's view of the same results.
    FResultPages = std::make_unique<TSchemeResultPages>(pgcResults, std::move(createView));
    static const struct {
        const char* Caption;
        const char* OwnObject;
        const char* Object;
    } kPages[] = {
        {" 需求分配(&1) ", "KX_MRP.MRPmini.Allot", "KX_MRP.MRP.Allot"},
        {" 供需平衡(&2) ", "KX_MRP.MRPmini.Balance", "KX_MRP.MRP.Balance"},
        {" 供应计划(&3) ", "KX_MRP.MRPmini.Supplies", "KX_MRP.MRP.Supplies"},
        {" 替代挪用(&4) ", "KX_MRP.MRPmini.Replaces", "KX_MRP.MRP.Replaces"},
        {" 计划投放(&5) ", "KX_MRP.MRPmini.Output", "KX_MRP.MRPOutput"},
    };
    for (const auto& page : kPages)
        FResultPages->Add(QLatin1String(page.OwnObject), QString::fromUtf8(page.Caption), QLatin1String(page.Object));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(splResults, 1);
    connect(btnSetup, &QPushButton::clicked, this, [this] { Run(true); });
    connect(btnRun, &QPushButton::clicked, this, [this] { Run(false); });
    connect(pgcResults, &QTabWidget::currentChanged, this, [this] { ShowPage(); });

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
    ShowPage();
}

TMRPminiFrame::~TMRPminiFrame()
{
    // The result views go before the scheme they show.
    FResultPages->Clear();
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

TSchemeResultTab* TMRPminiFrame::ResultTab(const QString& generalObjectID) const
{
    for (TSchemeResultTab* tab : FResultPages->Tabs())
        if (tab->GeneralObjectID.compare(generalObjectID, Qt::CaseInsensitive) == 0)
            return tab;
    return nullptr;
}

bool TMRPminiFrame::QueryClose()
{
    return FResultPages->QueryClose();
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
    // The rest belongs to the result view shown.
    if (TSchemeResultTab* tab = FResultPages->Active())
        return tab->QueryViewCommand(Command, State);
    return TCustomInfoFrame::QueryCommandState(Command, State);
}

bool TMRPminiFrame::ExecCommand(int Command)
{
    if (Command >= cmdAction && Command == ObjectActionCommand(FObjectDef, QStringLiteral("RunMRP")))
        return Run(false), true;
    if (Command >= cmdAction && Command == ObjectActionCommand(FObjectDef, QStringLiteral("SetupMRP")))
        return Run(true), true;
    if (Command == cmdRefresh) {
        const QString editing = FResultPages->EditingViewCaption();
        if (!editing.isEmpty())
            ShowWarning(QStringLiteral("视图[%1]处于编辑状态, 不能刷新计划方案!").arg(editing));
        else if (FScheme->Load(FScheme->SchemeIID))
            SchemeChanged();
        return true;
    }
    if (TSchemeResultTab* tab = FResultPages->Active())
        return tab->ExecViewCommand(Command);
    return TCustomInfoFrame::ExecCommand(Command);
}

bool TMRPminiFrame::Run(bool withDialog)
{
    if (FScheme->SchemeIID <= 0)
        return false;
    // Nothing chosen yet: the settings come first.
    if (FLines.isEmpty() && (FKind == mkKit || ReadMiniOptions(FParams->Params).LackBills == lbChosen))
        withDialog = true;
    // What the planner adjusted in the supplies page (the scheme's MRP update time) may be kept.
    TRunOptions keep;
    if (!withDialog && HasYear(FScheme->MrpUpdTime) && !AskRunKeepOptions(this, keep))
        return false;
    if (!FResultPages->LeaveEditMode())
        return false;
    if (!withDialog)
        return RunWith(FLines, ReadMiniOptions(FParams->Params), keep);

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

bool TMRPminiFrame::RunWith(const QList<TMiniLine>& lines, const TMiniOptions& options, const TRunOptions& keep)
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
            return scheme.RunMRP(keep.KeepSupplyType, keep.KeepSupplyBom, [](int, int, const QString&, const QString&) {}, progress,
                                 keep.KeepSupplyQty);
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
    FResultPages->SetPlanScheme(FScheme->SchemeIID > 0 ? FScheme.get() : nullptr, &FEvents);
    ShowPage();
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
    // Supplies adjusted since the run: the answer above waits for a new one.
    if (HasResults(*FScheme) && FScheme->PlanState == psResultsChanged)
        text += QStringLiteral(" (%1)").arg(FScheme->GetPlanStateText());
    lblStatus->setText(text);
    const bool analysed = HasResults(*FScheme);
    pgcResults->setVisible(analysed);
    lblEmpty->setVisible(!analysed);
}

void TMRPminiFrame::UpdateSummary()
{
    grdSummary->setRowCount(0);
    if (!HasResults(*FScheme))
        return;
    TQuery q(&SharedConnection());
    if (!RunSQL(q, MiniSummarySQL(FKind, FScheme->SchemeIID), true))
        return;
    const int numbersFrom = MiniSummaryNumbersFrom(FKind);
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

void TMRPminiFrame::ShowPage()
{
    // The views come with the first results.
    if (!HasResults(*FScheme))
        return;
    FResultPages->ShowActive(FScheme->SchemeIID > 0 ? FScheme.get() : nullptr, &FEvents);
}

} // namespace kx
