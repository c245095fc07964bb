// The plan scheme workbench: where a planner chooses or creates a plan scheme, edits its
// parameters, fetches its main demand, runs MRP, reads the run log and looks at the results.
// In maintain mode ("KX_MRP.MRP") the user works on his own schemes; in read mode
// ("KX_MRP.MRPQuery") he reads the schemes published to him.
#pragma once

#include "engine/maindemand.h"
#include "engine/planscheme.h"
#include "views/infoframe.h"
#include "workbench/resulttab.h"
#include "views/longwork.h"

#include <QList>

#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QSplitter;
class QTabWidget;
class QToolBar;

namespace kx {

class IEngineProgress;
class TDoResultFrame;
class TSchemePage;

class TMRPFrame : public TCustomInfoFrame {
    Q_OBJECT

public:
    TMRPFrame(const TInfoObjectDef* schemeDef, bool maintainMode, TResultViewFactory viewFactory, QWidget* owner = nullptr);
    ~TMRPFrame() override;

    void ProcessIdle() override;
    bool QueryClose() override;
    bool QueryCommandState(int Command, TCommandState& State) override;
    bool ExecCommand(int Command) override;

    // Controls, for the host's tests and the pictures.
    QToolBar* tbrScheme;
    QComboBox* cboScheme;
    QTabWidget* Pages;
    TSchemePage* famScheme;
    QSplitter* splScheme;
    TDoResultFrame* FRunLogFrame;
    QAction* actNew;
    QAction* actCopy;
    QAction* actUpdate;
    QAction* actDelete;
    QAction* actSave;
    QAction* actCancel;
    QAction* actRefresh;
    QAction* actRunMPS;
    QAction* actRunMRP;
    QAction* actRunLog;

    TPlanScheme* PlanScheme() const { return FPlanScheme.get(); }
    const TPlanSchemeUIEvents& PlanSchemeUIEvents() const { return FPlanSchemeUIEvents; }
    bool SchemeEditing() const { return FSchemeEditing; }
    TSchemeResultTab* ResultTab(const QString& objectID) const;
    // The chooser's entries, in order (scheme identities).
    QList<int> ListedSchemes() const;

    // The actions, as the tool bar and the host's commands run them.
    void RefreshSchemeList(int selectIID = -1);
    bool SelectScheme(int schemeIID);
    void NewScheme();
    void CopyScheme();
    void ModifyScheme();
    bool SaveScheme();
    void CancelScheme();
    void DeleteScheme();
    void RunMPS();
    void RunMRP();
    void ShowRunLog(bool show);
    // Enables the actions by the scheme's state and the edit under way.
    void UpdateActions();

    // Asks for the file a main-demand import reads (a file dialog unless replaced).
    std::function<QString(QWidget* parent, const QString& title)> FileChooser;

private:
    void BuildLayout();
    void cboSchemeChange(int index);
    void PagesChange(int index);
    // Loads the scheme into the page and hands it to the result views.
    void ShowScheme();
    // Makes another scheme object the frame's, shown and handed to the views.
    void ReplaceScheme(std::unique_ptr<TPlanScheme> scheme);
    // The parameters and state before editing, from which the saved state is derived.
    void RememberOldScheme();
    void ShowState();
    // CheckState of the scheme; on failure the list is read again (reloadList) or the scheme
    // is read again and shown.
    bool CheckState(bool reloadList);
    // Runs a long job for the workbench on a worker thread with a connection of its own.
    TLongWorkOutcome RunJob(const QString& title, const TLongJob& job);
    void LoadRunLog();
    void AddRunLogLine(int kind, int indent, const QString& text, const QString& time);
    void AfterSchemeWork(TLongWorkOutcome outcome);
    void EnterEditing(bool copying);
    void LeaveEditing();
    int ResultCommandTarget(int command) const;
    // The main-demand source dialog and the work it chooses (the import source).
    bool RunImportSource();
    // The picker over the lines of a bill kind, or over another scheme's supplies; false when
    // the planner picked nothing.
    bool PickMainLines(TMRPMainImportType type, bool showFilter, int sourceIID, const QString& sourceName,
                       QList<TMainDemandLine>& lines);

    const TInfoObjectDef* FSchemeDef;
    bool FMaintainMode;
    QList<QAction*> FMaintainSeparators;    // tool bar separators shown only in maintain mode
    TResultViewFactory FViewFactory;
    std::unique_ptr<TSchemeResultPages> FResultPages;
    std::unique_ptr<TPlanScheme> FPlanScheme;
    bool FSchemeEditing = false;
    bool FSchemeCopying = false;
    bool FSchemeLoading = false;
    bool FSchemeLoadErr = false;
    TPlanSchemeUIEvents FPlanSchemeUIEvents;
    int FLogSchemeIID = 0;
    int FOldSchemeIID = 0;
    TSchemeParams FOldParams;
    int FOldState = 0;
    QString FOldSchemeName;
    QDateTime FOldMrpRunTime;
    QList<int> FListed;
};

} // namespace kx
