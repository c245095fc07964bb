// The frame of the kit analysis ("KX_MRP.MRPmini") and of the production shortage analysis
// ("KX_MRP.LackAnalyze"): a private plan scheme created when the frame opens and removed when it
// closes, the settings dialog that chooses the demand lines and options, the quick MRP run, and
// result pages that host the scheme's result views.
#pragma once

#include "analysis/mrpmini.h"
#include "engine/planscheme.h"
#include "views/infoframe.h"

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
class IInfoView;

class TMRPminiFrame : public TCustomInfoFrame {
    Q_OBJECT

public:
    // Creates a view of the module's own objects (the result views), null when it has none.
    using TViewFactory = std::function<IInfoView*(const TInfoObjectDef* def)>;

    TMRPminiFrame(const TInfoObjectDef* objectDef, TMiniKind kind, TViewFactory createView, QWidget* owner = nullptr);
    ~TMRPminiFrame() override;

    QLabel* lblStatus;
    QPushButton* btnSetup;
    QPushButton* btnRun;
    QSplitter* splResults;
    QTableWidget* grdSummary;
    QTabWidget* pgcResults;

    bool QueryCommandState(int Command, TCommandState& State) override;
    bool ExecCommand(int Command) override;

    TMiniKind Kind() const { return FKind; }
    TPlanScheme& Scheme() { return *FScheme; }
    const QList<TMiniLine>& Lines() const { return FLines; }
    const TViewScheme& Params() const;

    // The run through the settings dialog (withDialog) or with the current settings; a re-run
    // of a scheme with results first asks what to keep. False when nothing ran.
    bool Run(bool withDialog);
    // Stores lines and options as the settings dialog's OK does, then runs.
    bool RunWith(const QList<TMiniLine>& lines, const TMiniOptions& options, bool keepType = false, bool keepBom = false,
                 bool keepQty = false);
    // The view hosted by a page, created when the page was first shown; null for none.
    IInfoView* PageView(int page) const;

private:
    struct TPage {
        const char* Caption;
        const char* OwnObject;
        const char* Object;
        IInfoView* View = nullptr;
        QWidget* Holder = nullptr;
        bool Tried = false;
    };

    void ShowPage(int index);
    void SchemeChanged();
    void UpdateStatus();
    void UpdateSummary();

    const TInfoObjectDef* FObjectDef;
    TMiniKind FKind;
    TViewFactory FCreateView;
    std::unique_ptr<TPlanScheme> FScheme;
    std::unique_ptr<TViewScheme> FParams;
    TPlanSchemeUIEvents FEvents;
    QList<TMiniLine> FLines;
    QList<TPage> FPages;
};

} // namespace kx
