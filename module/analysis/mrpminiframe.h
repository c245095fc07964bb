// The frame of the kit analysis ("KX_MRP.MRPmini") and of the production shortage analysis
// ("KX_MRP.LackAnalyze"): a private plan scheme created when the frame opens and removed when it
// closes, the settings dialog that chooses the demand lines and options, the quick MRP run, and
// result pages that host the scheme's result views (the workbench's result tabs).
#pragma once

#include "analysis/mrpmini.h"
#include "engine/planscheme.h"
#include "views/infoframe.h"
#include "workbench/resulttab.h"
#include "workbench/schemeops.h"

#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QSplitter;
class QTableWidget;
class QTabWidget;

namespace kx {

struct TInfoObjectDef;
struct TViewScheme;

class TMRPminiFrame : public TCustomInfoFrame {
    Q_OBJECT

public:
    // createView makes the result views (the module's dispatch); without it the pages stay empty.
    TMRPminiFrame(const TInfoObjectDef* objectDef, TMiniKind kind, TResultViewFactory createView, QWidget* owner = nullptr);
    ~TMRPminiFrame() override;

    QLabel* lblStatus;
    QPushButton* btnSetup;
    QPushButton* btnRun;
    QSplitter* splResults;
    QTableWidget* grdSummary;
    QTabWidget* pgcResults;
    QLabel* lblEmpty;                     // in place of the pages while nothing was analysed

    bool QueryClose() override;
    bool QueryCommandState(int Command, TCommandState& State) override;
    bool ExecCommand(int Command) override;

    TMiniKind Kind() const { return FKind; }
    TPlanScheme& Scheme() { return *FScheme; }
    const QList<TMiniLine>& Lines() const { return FLines; }
    const TViewScheme& Params() const;

    // The run through the settings dialog (withDialog) or with the current settings; a re-run
    // after the planner adjusted planned supplies first asks which adjustments to keep. A
    // result view in edit mode is left first. False when nothing ran.
    bool Run(bool withDialog);
    // Stores lines and options as the settings dialog's OK does, then runs.
    bool RunWith(const QList<TMiniLine>& lines, const TMiniOptions& options, const TRunOptions& keep = {});
    // The result page of a general result object ("KX_MRP.MRP.Supplies", "KX_MRP.MRPOutput"...).
    TSchemeResultTab* ResultTab(const QString& generalObjectID) const;
    TSchemeResultTab* ActiveResultTab() const { return FResultPages->Active(); }

private:
    void ShowPage();
    void SchemeChanged();
    void UpdateStatus();
    void UpdateSummary();

    const TInfoObjectDef* FObjectDef;
    TMiniKind FKind;
    std::unique_ptr<TPlanScheme> FScheme;
    std::unique_ptr<TViewScheme> FParams;
    TPlanSchemeUIEvents FEvents;
    QList<TMiniLine> FLines;
    std::unique_ptr<TSchemeResultPages> FResultPages;
};

} // namespace kx
