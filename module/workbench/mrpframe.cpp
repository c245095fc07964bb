#include "workbench/mrpframe.h"

#include "db/dataset.h"
#include "db/errors.h"
#include "db/messages.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/strutils.h"
#include "engine/progress.h"
#include "views/checkoptionsdlg.h"
#include "views/doresultframe.h"
#include "views/messagebox.h"
#include "engine/mainimport.h"
#include "engine/schemeaccess.h"
#include "views/pickedit.h"
#include "workbench/importresults.h"
#include "workbench/mainpick.h"
#include "workbench/mainsourcedlg.h"
#include "workbench/schemeops.h"
#include "workbench/schemepage.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace kx {

namespace {

const QString kDone = QStringLiteral("执行完成。");
const QString kStopped = QStringLiteral("执行过程中发现错误, 操作被停止!");

// The result tabs after the scheme tab: object and caption.
const struct {
    const char* ObjectID;
    const char* Caption;
} kResultTabs[] = {
    {"KX_MRP.MRP.Main", " 主需求(&1) "},     {"KX_MRP.MRP.Allot", " 需求分配(&2) "},
    {"KX_MRP.MRP.Balance", " 供需平衡(&3) "}, {"KX_MRP.MRP.Supplies", " 供应计划(&4) "},
    {"KX_MRP.MRP.Replaces", " 替代挪用(&5) "},
};

bool HasYear(const QDateTime& t)
{
    return t.isValid() && t.date().year() > 1900;
}

QString SchemeTableOf(const TInfoObjectDef* def)
{
    if (def)
        for (const TInfoDataSourceDef& source : def->DataSources)
            if (source.IsMain && !source.SQLData.trimmed().isEmpty())
                return source.SQLData.trimmed();
    return QStringLiteral("KX_MRP_Schemes");
}

} // namespace

TMRPFrame::TMRPFrame(const TInfoObjectDef* schemeDef, bool maintainMode, TResultViewFactory viewFactory, QWidget* owner)
    : TCustomInfoFrame(owner), FSchemeDef(schemeDef),
      // Only a user who may change the workbench's schemes maintains his own.
      FMaintainMode(maintainMode && TSchemeRights::Of(schemeDef, nullptr).Maintains), FViewFactory(std::move(viewFactory)),
      FPlanScheme(std::make_unique<TPlanScheme>(&SharedConnection()))
{
    FPlanSchemeUIEvents.RunMPS = [this] { RunMPS(); };
    FPlanSchemeUIEvents.RunMRP = [this] { RunMRP(); };
    FPlanSchemeUIEvents.RefreshState = [this] {
        if (FPlanScheme->SchemeIID > 0 && FPlanScheme->LoadState())
            ShowState();
    };
    FPlanSchemeUIEvents.CheckState = [this](bool reloadList) { return CheckState(reloadList); };
    BuildLayout();
    RefreshSchemeList();
}

TMRPFrame::~TMRPFrame()
{
    // The result views go first: they hold the scheme and its events.
    FResultPages->Clear();
}

void TMRPFrame::BuildLayout()
{
    tbrScheme = new QToolBar(this);
    tbrScheme->setObjectName(QStringLiteral("tbrScheme"));
    tbrScheme->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto add = [this](const QString& text, const QString& hint, const char* name, void (TMRPFrame::*slot)()) {
        QAction* action = tbrScheme->addAction(text);
        action->setObjectName(QLatin1String(name));
        action->setToolTip(hint.isEmpty() ? text : hint);
        connect(action, &QAction::triggered, this, [this, slot] {
            (this->*slot)();
            UpdateActions();
        });
        return action;
    };
    actNew = add(QStringLiteral("新建计划方案"), QString(), "actNew", &TMRPFrame::NewScheme);
    actCopy = add(QStringLiteral("复制计划方案"), QString(), "actCopy", &TMRPFrame::CopyScheme);
    actUpdate = add(QStringLiteral("修改计划方案"), QString(), "actUpdate", &TMRPFrame::ModifyScheme);
    actDelete = add(QStringLiteral("删除计划方案"), QString(), "actDelete", &TMRPFrame::DeleteScheme);
    FMaintainSeparators << tbrScheme->addSeparator();
    actSave = tbrScheme->addAction(QStringLiteral("保存"));
    actSave->setObjectName(QStringLiteral("actSave"));
    actSave->setToolTip(QStringLiteral("保存计划方案"));
    connect(actSave, &QAction::triggered, this, [this] {
        SaveScheme();
        UpdateActions();
    });
    actCancel = add(QStringLiteral("取消"), QStringLiteral("取消编辑计划方案"), "actCancel", &TMRPFrame::CancelScheme);
    FMaintainSeparators << tbrScheme->addSeparator();
    actRefresh = tbrScheme->addAction(QStringLiteral("刷新(&R)"));
    actRefresh->setObjectName(QStringLiteral("actRefresh"));
    actRefresh->setToolTip(QStringLiteral("刷新计划方案"));
    connect(actRefresh, &QAction::triggered, this, [this] {
        RefreshSchemeList();
        UpdateActions();
    });
    FMaintainSeparators << tbrScheme->addSeparator();
    actRunMPS = add(QStringLiteral("获取主需求"), QString(), "actRunMPS", &TMRPFrame::RunMPS);
    actRunMRP = add(QStringLiteral("运算MRP"), QString(), "actRunMRP", &TMRPFrame::RunMRP);
    tbrScheme->addSeparator();
    actRunLog = tbrScheme->addAction(QStringLiteral("运算日志"));
    actRunLog->setObjectName(QStringLiteral("actRunLog"));
    actRunLog->setToolTip(QStringLiteral("显示MRP运算日志"));
    actRunLog->setCheckable(true);
    connect(actRunLog, &QAction::toggled, this, [this](bool on) { ShowRunLog(on); });

    cboScheme = new QComboBox(this);
    cboScheme->setObjectName(QStringLiteral("cboScheme"));
    cboScheme->setMinimumWidth(360);
    auto* chooser = new QHBoxLayout;
    auto* lblScheme = new QLabel(QStringLiteral("方案:"), this);
    lblScheme->setBuddy(cboScheme);
    chooser->addWidget(lblScheme);
    chooser->addWidget(cboScheme);
    chooser->addStretch(1);

    Pages = new QTabWidget(this);
    Pages->setObjectName(QStringLiteral("Pages"));
    splScheme = new QSplitter(Qt::Vertical, Pages);
    famScheme = new TSchemePage(splScheme);
    FRunLogFrame = new TDoResultFrame(splScheme);
    FRunLogFrame->setObjectName(QStringLiteral("famRunLog"));
    FRunLogFrame->FTitle = QStringLiteral("MRP运算日志");
    FRunLogFrame->ShowTrackPosition(false);
    FRunLogFrame->hide();
    splScheme->addWidget(famScheme);
    splScheme->addWidget(FRunLogFrame);
    splScheme->setStretchFactor(0, 2);
    splScheme->setStretchFactor(1, 3);
    Pages->addTab(splScheme, QStringLiteral(" 计划方案(&0) "));
    FResultPages = std::make_unique<TSchemeResultPages>(Pages, FViewFactory);
    for (const auto& t : kResultTabs)
        FResultPages->Add(QLatin1String(t.ObjectID), QString::fromUtf8(t.Caption));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(tbrScheme);
    layout->addLayout(chooser);
    layout->addWidget(Pages, 1);

    connect(cboScheme, &QComboBox::activated, this, &TMRPFrame::cboSchemeChange);
    connect(Pages, &QTabWidget::currentChanged, this, &TMRPFrame::PagesChange);
}

TSchemeResultTab* TMRPFrame::ResultTab(const QString& objectID) const
{
    return FResultPages->Tab(objectID);
}

QList<int> TMRPFrame::ListedSchemes() const
{
    return FListed;
}

void TMRPFrame::RefreshSchemeList(int selectIID)
{
    const QString editing = FResultPages->EditingViewCaption();
    if (!editing.isEmpty()) {
        ShowWarning(QStringLiteral("视图[%1]处于编辑状态, 不能刷新计划方案!").arg(editing));
        return;
    }
    if (selectIID < 0)
        selectIID = FPlanScheme->SchemeIID;
    QList<TSchemeListItem> items;
    try {
        items = ReadSchemeList(SharedConnection(), SchemeTableOf(FSchemeDef), FMaintainMode);
        FSchemeLoadErr = false;
    } catch (const EKxError& e) {
        FSchemeLoadErr = true;
        ShowError(QStringLiteral("读取数据失败!\r\r可能是与数据库的连接已断开, 请检查网络或数据库服务器后刷新。(%1)").arg(e.Message()));
    }
    FSchemeLoading = true;
    cboScheme->clear();
    FListed.clear();
    int index = items.isEmpty() ? -1 : 0;
    for (const TSchemeListItem& item : items) {
        if (item.IID == selectIID)
            index = int(FListed.size());
        cboScheme->addItem(item.Caption, item.IID);
        FListed << item.IID;
    }
    // An empty chooser says why it is empty and what to do, instead of a blank box.
    if (FSchemeLoadErr)
        cboScheme->setPlaceholderText(QStringLiteral("(计划方案读取失败, 请刷新)"));
    else if (items.isEmpty())
        cboScheme->setPlaceholderText(FMaintainMode ? QStringLiteral("(还没有计划方案: 请按[新建计划方案]建立第一个方案)")
                                                    : QStringLiteral("(没有发布给您的计划方案)"));
    else
        cboScheme->setPlaceholderText(QString());
    cboScheme->setCurrentIndex(index);
    FSchemeLoading = false;
    SelectScheme(index >= 0 ? FListed[index] : 0);
}

void TMRPFrame::cboSchemeChange(int index)
{
    if (FSchemeLoading || index < 0 || FListed.value(index) == FPlanScheme->SchemeIID)
        return;
    const QString editing = FResultPages->EditingViewCaption();
    if (!editing.isEmpty() || FSchemeEditing) {
        // Another scheme may be chosen only when nothing is being edited.
        if (!editing.isEmpty())
            ShowWarning(QStringLiteral("视图[%1]处于编辑状态, 不能刷新计划方案!").arg(editing));
        cboScheme->setCurrentIndex(int(FListed.indexOf(FPlanScheme->SchemeIID)));
        return;
    }
    SelectScheme(FListed[index]);
    UpdateActions();
}

bool TMRPFrame::SelectScheme(int schemeIID)
{
    auto scheme = std::make_unique<TPlanScheme>(&SharedConnection());
    const bool found = schemeIID > 0 && scheme->Load(schemeIID);
    ReplaceScheme(found ? std::move(scheme) : std::make_unique<TPlanScheme>(&SharedConnection()));
    const int index = int(FListed.indexOf(FPlanScheme->SchemeIID));
    if (index >= 0 && cboScheme->currentIndex() != index) {
        FSchemeLoading = true;
        cboScheme->setCurrentIndex(index);
        FSchemeLoading = false;
    }
    return found;
}

void TMRPFrame::ReplaceScheme(std::unique_ptr<TPlanScheme> scheme)
{
    // The result views still hold the old scheme: they get the new one before it goes.
    std::swap(scheme, FPlanScheme);
    ShowScheme();
    scheme.reset();
}

void TMRPFrame::RememberOldScheme()
{
    FOldSchemeIID = FPlanScheme->SchemeIID;
    FOldParams = TSchemeParams::Of(*FPlanScheme);
    FOldState = FPlanScheme->PlanState;
    FOldSchemeName = FPlanScheme->SchemeName;
    FOldMrpRunTime = FPlanScheme->MrpRunTime;
}

void TMRPFrame::ShowScheme()
{
    famScheme->ShowScheme(*FPlanScheme);
    TPlanScheme* shown = FPlanScheme->SchemeIID > 0 ? FPlanScheme.get() : nullptr;
    FResultPages->SetPlanScheme(shown, &FPlanSchemeUIEvents);
    if (FRunLogFrame->isVisible())
        LoadRunLog();
    UpdateActions();
}

void TMRPFrame::ShowState()
{
    famScheme->ShowState(*FPlanScheme);
    UpdateActions();
}

void TMRPFrame::PagesChange(int)
{
    FResultPages->ShowActive(FPlanScheme->SchemeIID > 0 ? FPlanScheme.get() : nullptr, &FPlanSchemeUIEvents);
    UpdateActions();
}

bool TMRPFrame::CheckState(bool reloadList)
{
    if (FPlanScheme->SchemeIID == 0 || FPlanScheme->CheckState())
        return true;
    if (reloadList)
        RefreshSchemeList();
    else if (!SelectScheme(FPlanScheme->SchemeIID))
        RefreshSchemeList();
    return false;
}

void TMRPFrame::UpdateActions()
{
    const int state = FPlanScheme->PlanState;
    const bool selected = FPlanScheme->SchemeIID > 0;
    const bool idle = !FSchemeEditing;
    const bool maintain = FMaintainMode;
    actNew->setEnabled(maintain && idle);
    actCopy->setEnabled(maintain && idle && selected);
    actUpdate->setEnabled(maintain && idle && selected && state < psPublished);
    actDelete->setEnabled(maintain && idle && selected && state != psPublished && state != psReleased);
    actSave->setEnabled(FSchemeEditing && (!selected || state < psPublished));
    actCancel->setEnabled(FSchemeEditing);
    actRefresh->setEnabled(idle);
    actRunMPS->setEnabled(maintain && idle && selected && state < psPublished);
    actRunMRP->setEnabled(maintain && idle && selected && state >= psMPSReady && state < psPublished);
    actRunLog->setEnabled(selected || FRunLogFrame->isVisible());
    for (QAction* a : {actNew, actCopy, actUpdate, actDelete, actSave, actCancel, actRunMPS, actRunMRP})
        a->setVisible(maintain);
    // Read mode shows only the refresh and the run log: no separator before or between them.
    for (QAction* a : FMaintainSeparators)
        a->setVisible(maintain);
    cboScheme->setEnabled(idle);
    if (TSchemeResultTab* tab = FResultPages->Active())
        tab->UpdateActions();
}

void TMRPFrame::ProcessIdle()
{
    UpdateActions();
}

void TMRPFrame::EnterEditing(bool copying)
{
    FSchemeEditing = true;
    FSchemeCopying = copying;
    FPlanScheme->Editing = true;
    famScheme->SetEditing(true);
    Pages->setCurrentIndex(0);
    famScheme->cboSchemeName->setFocus();
    UpdateActions();
}

void TMRPFrame::LeaveEditing()
{
    FSchemeEditing = false;
    FSchemeCopying = false;
    FPlanScheme->Editing = false;
    famScheme->SetEditing(false);
    UpdateActions();
}

void TMRPFrame::NewScheme()
{
    if (FSchemeEditing)
        return;
    RememberOldScheme();
    FOldParams = {};
    FOldState = psNeedMPS;
    ReplaceScheme(std::make_unique<TPlanScheme>(&SharedConnection()));
    EnterEditing(false);
}

void TMRPFrame::CopyScheme()
{
    if (FSchemeEditing || FPlanScheme->SchemeIID == 0 || !CheckState(true))
        return;
    RememberOldScheme();
    // The copy keeps the parameters and starts without identity or stamps.
    auto copy = std::make_unique<TPlanScheme>(&SharedConnection());
    AssignScheme(*copy, *FPlanScheme);
    copy->SchemeIID = 0;
    copy->Creater = EnvUserName();
    copy->CreateTime = copy->UpdateTime = copy->MpsRunTime = copy->MpsUpdTime = copy->MrpRunTime = copy->MrpUpdTime = QDateTime();
    copy->MpsPeriods.clear();
    ReplaceScheme(std::move(copy));
    EnterEditing(true);
}

void TMRPFrame::ModifyScheme()
{
    if (FSchemeEditing || FPlanScheme->SchemeIID == 0 || !CheckState(false))
        return;
    RememberOldScheme();
    EnterEditing(false);
}

bool TMRPFrame::SaveScheme()
{
    if (!FSchemeEditing)
        return false;
    const bool isNew = FPlanScheme->SchemeIID == 0;
    if (!isNew && !CheckState(false)) {
        LeaveEditing();
        return false;
    }
    famScheme->WriteScheme(*FPlanScheme);
    QString message;
    switch (CheckSchemeForSave(SharedConnection(), *FPlanScheme, message)) {
    case sfNone: break;
    case sfNoPeriods:
        ShowWarning(message);
        famScheme->EditPeriods();
        return false;
    default:
        ShowWarning(message);
        famScheme->cboSchemeName->setFocus();
        return false;
    }
    const TSchemeParams params = TSchemeParams::Of(*FPlanScheme);
    TSchemeCopy copy;
    if (FSchemeCopying) {
        const int derived = DeriveSavedState(false, FOldState, FOldParams, params);
        copy.SourceIID = FOldSchemeIID;
        copy.Source = params.Source;
        if (CopyResultsAsked(FOldMrpRunTime, FOldParams.Source, params.Source)) {
            const int answer = ShowQuestion(QStringLiteral("计划方案[%1]已运算过MRP, 复制其结果数据至新方案?").arg(FOldSchemeName), mbYesNoCancel);
            if (answer == mrCancel)
                return false;
            copy.WithResults = answer == mrYes;
        }
        FPlanScheme->PlanState = CopiedState(derived, copy.WithResults);
    } else {
        FPlanScheme->PlanState = DeriveSavedState(isNew, FOldState, FOldParams, params);
    }
    // The scheme is saved on the job's connection; the frame reads it back afterwards.
    const TPlanScheme& edited = *FPlanScheme;
    const bool copying = FSchemeCopying;
    const QString sourceName = FOldSchemeName;
    int savedIID = 0;
    const TLongWorkOutcome outcome = RunJob(QStringLiteral("正在保存数据, 请稍候..."), [&](TConnection& connection, IEngineProgress& progress) {
        TPlanScheme scheme(&connection);
        AssignScheme(scheme, edited);
        if (!SaveSchemeWithData(scheme, copying ? &copy : nullptr, sourceName, progress))
            return false;
        savedIID = scheme.SchemeIID;
        return true;
    });
    if (outcome != lwDone)
        return false;
    LeaveEditing();
    RefreshSchemeList(savedIID);
    return true;
}

void TMRPFrame::CancelScheme()
{
    if (!FSchemeEditing)
        return;
    const int iid = FPlanScheme->SchemeIID > 0 ? FPlanScheme->SchemeIID : FOldSchemeIID;
    LeaveEditing();
    if (!SelectScheme(iid))
        RefreshSchemeList(0);
}

void TMRPFrame::DeleteScheme()
{
    if (FSchemeEditing || FPlanScheme->SchemeIID == 0 || !CheckState(true))
        return;
    const int iid = FPlanScheme->SchemeIID;
    const int released = FPlanScheme->PlanState == psReleaseClosed ? ReleasedSupplyCount(SharedConnection(), iid) : 0;
    if (ShowQuestion(DeleteSchemeQuestion(FPlanScheme->SchemeName, FPlanScheme->PlanState, released), mbOKCancel | mbDefButton2) != mrOK)
        return;
    if (!CheckState(true))
        return;
    const QString name = FPlanScheme->SchemeName;
    const TLongWorkOutcome outcome =
        RunJob(QStringLiteral("正在删除数据, 请稍候..."), [iid, name](TConnection& connection, IEngineProgress& progress) {
            DeleteSchemeData(connection, iid, name, progress);
            return true;
        });
    if (outcome == lwDone)
        ShowState();
    RefreshSchemeList(outcome == lwDone ? 0 : iid);
    if (outcome == lwDone)
        ShowInfo(kDone);
    else if (outcome == lwFailed)
        ShowWarning(kStopped);
}

void TMRPFrame::AfterSchemeWork(TLongWorkOutcome outcome)
{
    RefreshSchemeList(FPlanScheme->SchemeIID);
    // A job the planner stopped needs no word more.
    if (outcome == lwDone)
        ShowInfo(kDone);
    else if (outcome == lwFailed)
        ShowWarning(kStopped);
}

void TMRPFrame::RunMPS()
{
    if (FSchemeEditing || FPlanScheme->SchemeIID == 0 || !CheckState(true))
        return;
    if (FPlanScheme->PlanSource == srcImport) {
        RunImportSource();
        return;
    }
    TFetchOptions options;
    if (HasYear(FPlanScheme->MpsUpdTime)) {
        QList<bool> keep;
        if (!AskKeepOptions(this, QStringLiteral("重新获取主需求"), {QStringLiteral("自由需求数据(&1)"), QStringLiteral("排程调整数据(&2)")}, keep))
            return;
        options.KeepFreeDemand = keep.value(0);
        options.KeepAdjustments = keep.value(1);
    } else {
        if (ShowQuestion(QStringLiteral("系统将开始获取主需求数据, 这可能需要较长时间, 确定?"), mbOKCancel) != mrOK)
            return;
        options = {false, false};
    }
    if (!CheckState(true) || !FResultPages->LeaveEditMode())
        return;
    const int iid = FPlanScheme->SchemeIID;
    AfterSchemeWork(RunJob(QStringLiteral("正在获取主需求数据, 请稍候..."), [iid, options](TConnection& connection, IEngineProgress& progress) {
        return RunFetchJob(connection, iid, options, progress);
    }));
}

void TMRPFrame::RunMRP()
{
    if (FSchemeEditing || FPlanScheme->SchemeIID == 0 || !CheckState(true))
        return;
    TRunOptions options;
    if (HasYear(FPlanScheme->MrpUpdTime)) {
        QList<bool> keep;
        if (!AskRunKeepOptions(this, options))
            return;
    } else if (ShowQuestion(QStringLiteral("系统将开始运算MRP, 这可能需要较长时间, 确定?\r\r提示: 运算过程中按[Esc]键可以取消。"), mbOKCancel) != mrOK) {
        return;
    }
    if (!CheckState(true) || !FResultPages->LeaveEditMode())
        return;
    Pages->setCurrentIndex(0);
    actRunLog->setChecked(true);
    FRunLogFrame->ClearResultNodes();
    const int iid = FPlanScheme->SchemeIID;
    FLogSchemeIID = iid;
    // The run's log lines reach the pane as the run writes them.
    const TMRPLogEvent log = [this](int kind, int indent, const QString& text, const QString& time) {
        RunInGuiThread([&] { AddRunLogLine(kind, indent, text, time); });
    };
    const TLongWorkOutcome outcome =
        RunJob(QStringLiteral("正在进行MRP运算, 按[Esc]键可以取消..."), [iid, options, log](TConnection& connection, IEngineProgress& progress) {
            return RunMRPJob(connection, iid, options, log, progress);
        });
    RefreshSchemeList(iid);
    // A run that did not finish left the stored log of the previous run in place.
    if (outcome != lwDone)
        LoadRunLog();
    else
        ShowInfo(kDone);
}

TLongWorkOutcome TMRPFrame::RunJob(const QString& title, const TLongJob& job)
{
    return RunLongWork(this, title, job);
}

void TMRPFrame::ShowRunLog(bool show)
{
    if (actRunLog->isChecked() != show)
        actRunLog->setChecked(show);
    FRunLogFrame->setVisible(show);
    if (show) {
        Pages->setCurrentIndex(0);
        LoadRunLog();
    }
    UpdateActions();
}

void TMRPFrame::LoadRunLog()
{
    FRunLogFrame->ClearResultNodes();
    FLogSchemeIID = FPlanScheme->SchemeIID;
    if (FLogSchemeIID == 0)
        return;
    TQuery q(&SharedConnection());
    q.SQL = QStringLiteral("select LogIndent, LogKind, LogText, LogTime from KX_MRP_RunLog where LogSchIID=%1 order by LogIID")
                .arg(SQLInt(FLogSchemeIID));
    try {
        q.Open();
    } catch (const EKxError& e) {
        ShowException(e);
        return;
    }
    for (int r = 0; r < q.RecordCount(); ++r)
        AddRunLogLine(q.IntAt(r, 1), q.IntAt(r, 0), q.TextAt(r, 2), q.Fields(3).AsString());
}

void TMRPFrame::AddRunLogLine(int kind, int indent, const QString& text, const QString& time)
{
    const TMessageKind messageKind = kind == 3 ? mkError : kind == 2 ? mkWarning : mkInformation;
    // A detail line goes under the step before it.
    TTreeNode* parent = nullptr;
    TTreeNode* root = FRunLogFrame->Nodes()->Root();
    if (indent > 0 && root->ChildCount() > 0)
        parent = root->Child(root->ChildCount() - 1);
    // Each line starts with the time of day it was written.
    const QDateTime at = TextToDateTime(time.trimmed());
    const QString clock = at.isValid() ? at.toString(QStringLiteral("hh:mm:ss")) : time.trimmed();
    FRunLogFrame->AddResultNode(messageKind, clock + QStringLiteral("  ") + QString(text).replace(QLatin1Char('\r'), QLatin1Char(' ')),
                                QString(), QVariant(), QVariant(), parent);
    FRunLogFrame->grdResults->repaint();
}

bool TMRPFrame::RunImportSource()
{
    TMRPMainSourceDlg dlg(FPlanScheme->SchemeIID, this);
    dlg.LoadChoices();
    if (dlg.exec() != QDialog::Accepted)
        return false;
    const TMRPMainImportType type = dlg.ImportType();
    const TMPSOverwriteType writeType = dlg.WriteType();
    const int iid = FPlanScheme->SchemeIID;
    TLongWorkOutcome outcome = lwFailed;
    if (type == itMRPMain) {
        const int source = dlg.SourceSchemeIID();
        const bool periods = dlg.SynPeriods();
        if (!CheckState(true) || !FResultPages->LeaveEditMode())
            return false;
        outcome = RunJob(QStringLiteral("正在获取主需求数据, 请稍候..."), [=](TConnection& connection, IEngineProgress& progress) {
            return RunCopyMPSJob(connection, iid, source, writeType, periods, progress);
        });
    } else if (type == itImportSOorForcast || type == itImportMOorOO || type == itImportFreeNeed) {
        const QString file = FileChooser ? FileChooser(this, QStringLiteral("导入主需求"))
                                         : QFileDialog::getOpenFileName(this, QStringLiteral("导入主需求"), QString(),
                                                                        QStringLiteral("表格文件 (*.csv *.xlsx);;所有文件 (*)"));
        if (file.isEmpty() || !CheckState(true) || !FResultPages->LeaveEditMode())
            return false;
        QList<TImportIssue> issues;
        outcome = RunJob(QStringLiteral("正在从外部数据源导入主需求信息, 按[Esc]键可以中止..."), [&](TConnection& connection, IEngineProgress& progress) {
            TPlanScheme scheme(&connection);
            return scheme.Load(iid) && ImportMainDemand(scheme, type, ReadTableFile(file), writeType, progress, issues);
        });
        ShowImportIssues(this, QStringLiteral("导入主需求"), issues);
    } else {
        QList<TMainDemandLine> lines;
        if (!PickMainLines(type, dlg.ShowFilter(), dlg.SourceSchemeIID(), dlg.SourceSchemeName(), lines) || lines.isEmpty())
            return false;
        if (!CheckState(true) || !FResultPages->LeaveEditMode())
            return false;
        outcome = RunJob(QStringLiteral("正在从业务数据导入主需求信息, 按[Esc]键可以中止..."), [&](TConnection& connection, IEngineProgress& progress) {
            TPlanScheme scheme(&connection);
            return scheme.Load(iid) && SaveMainDemandLines(scheme, lines, writeType, progress);
        });
    }
    AfterSchemeWork(outcome);
    return outcome == lwDone;
}

bool TMRPFrame::PickMainLines(TMRPMainImportType type, bool showFilter, int sourceIID, const QString& sourceName,
                              QList<TMainDemandLine>& lines)
{
    QString sql;
    QString caption;
    if (type == itMRPSupplies) {
        // The source's name without the time and owner its entry shows.
        sql = SupplyPickSQL(sourceIID, sourceName.section(QStringLiteral(" ("), 0, 0));
        caption = QStringLiteral("供应计划");
    } else {
        const QString objectID = TMRPMainSourceDlg::ObjectOfImportType(type);
        const QString key = QStringLiteral("Src.") + objectID;
        QString condition = FPlanScheme->DataFilter(key);
        TModuleEnvironment* env = Env();
        const TInfoObjectDef* def = env && env->GetObjectDef ? env->GetObjectDef(objectID) : nullptr;
        if (showFilter && def && env->SelectFilter) {
            QString code = FPlanScheme->DataFilter(QStringLiteral("Code.") + key);
            QString text;
            if (!env->SelectFilter(def, code, false, text, nullptr))
                return false;
            condition = text.trimmed();
            FPlanScheme->SetDataFilter(key, condition);
            FPlanScheme->SetDataFilter(QStringLiteral("Code.") + key, condition.isEmpty() ? QString() : code);
            try {
                SharedConnection().Execute(QStringLiteral("update KX_MRP_Schemes set SchFilters=%1 where SchIID=%2")
                                               .arg(QuotedStr(FPlanScheme->DataFilters), SQLInt(FPlanScheme->SchemeIID)));
            } catch (const EKxError& e) {
                ShowException(e);
                return false;
            }
        }
        sql = MainPickSQL(type, condition);
        caption = def ? def->Name : objectID;
    }
    if (sql.isEmpty())
        return false;
    TPickEditProperties picker;
    picker.FCaption = caption;
    picker.FSQL = QStringLiteral("select * from (%1) as p").arg(sql);
    picker.FWhereOrder = MainPickSearch();
    picker.FFixedFields = QStringLiteral("需求日期,单据编号,单据行");
    picker.FTextField = QStringLiteral("单据编号");
    picker.FMultiSelect = true;
    picker.FAfterDataPicked = [&](const TRecordSet& rows) {
        for (int r = 0; r < rows.RecordCount(); ++r)
            lines << PickedMainLine(type, [&rows, r](const QString& column) { return rows.Value(r, column); });
    };
    return picker.ShowPicker(this);
}

int TMRPFrame::ResultCommandTarget(int command) const
{
    return command;
}

bool TMRPFrame::QueryCommandState(int Command, TCommandState& State)
{
    State = 0;
    if (FSchemeDef && Command >= cmdAction && Command < cmdAction + FSchemeDef->Actions.size()) {
        const QString id = FSchemeDef->Actions[Command - cmdAction].ID;
        static const char* const kIDs[] = {"New", "Copy", "Update", "Delete", "MPS", "MRP"};
        QAction* const actions[] = {actNew, actCopy, actUpdate, actDelete, actRunMPS, actRunMRP};
        for (int i = 0; i < 6; ++i)
            if (id.compare(QLatin1String(kIDs[i]), Qt::CaseInsensitive) == 0) {
                State = actions[i]->isEnabled() ? TCommandState(csEnabled) : 0;
                return true;
            }
        return false;
    }
    if (TSchemeResultTab* tab = FResultPages->Active())
        return tab->QueryViewCommand(Command, State);
    switch (Command) {
    case cmdSave: State = actSave->isEnabled() ? TCommandState(csEnabled) : 0; return true;
    case cmdCancel: State = actCancel->isEnabled() ? TCommandState(csEnabled) : 0; return true;
    case cmdRefresh: State = actRefresh->isEnabled() ? TCommandState(csEnabled) : 0; return true;
    default: return FRunLogFrame->isVisible() && FRunLogFrame->QueryCommandState(Command, State);
    }
}

bool TMRPFrame::ExecCommand(int Command)
{
    TCommandState state = 0;
    if (!QueryCommandState(Command, state) || !(state & csEnabled))
        return false;
    if (FSchemeDef && Command >= cmdAction && Command < cmdAction + FSchemeDef->Actions.size()) {
        const QString id = FSchemeDef->Actions[Command - cmdAction].ID;
        static const char* const kIDs[] = {"New", "Copy", "Update", "Delete", "MPS", "MRP"};
        QAction* const actions[] = {actNew, actCopy, actUpdate, actDelete, actRunMPS, actRunMRP};
        for (int i = 0; i < 6; ++i)
            if (id.compare(QLatin1String(kIDs[i]), Qt::CaseInsensitive) == 0)
                actions[i]->trigger();
        return true;
    }
    if (TSchemeResultTab* tab = FResultPages->Active())
        return tab->ExecViewCommand(ResultCommandTarget(Command));
    switch (Command) {
    case cmdSave: actSave->trigger(); return true;
    case cmdCancel: actCancel->trigger(); return true;
    case cmdRefresh: actRefresh->trigger(); return true;
    default: return FRunLogFrame->ExecCommand(Command);
    }
}

bool TMRPFrame::QueryClose()
{
    if (!FResultPages->QueryClose())
        return false;
    if (!FSchemeEditing)
        return true;
    const QString name = famScheme->cboSchemeName->currentText().trimmed();
    switch (ShowQuestion(QStringLiteral("您将退出[%1]的当前编辑状态, 对未保存过的内容进行保存?").arg(name.isEmpty() ? QStringLiteral("计划方案") : name),
                         mbYesNoCancel | mbDefButton3)) {
    case mrYes: return SaveScheme();
    case mrNo: CancelScheme(); return true;
    default: return false;
    }
}

} // namespace kx
