// The result tabs of a frame that owns a plan scheme (the scheme workbench, the kit and
// shortage analyses). One tab hosts the view of its object, created through the module's
// dispatch the first time the tab is shown and handed the frame's scheme, with a bar of the
// view's own actions above it; a tab that cannot show its view (the user may not open the
// object, or no view serves it) says why it is empty. The tabs of a frame together take the
// scheme, leave edit mode, close and pass the host's commands to the view shown.
#pragma once

#include "engine/planscheme.h"

#include "kx_mrp/interfaces.h"

#include <QWidget>

#include <functional>

class QAction;
class QLabel;
class QTabWidget;
class QToolBar;

namespace kx {

struct TRunOptions;

// The question before a repeated run: "重新运算MRP", which of the planner's adjustments of
// planned supplies (made in the supplies tab) the run keeps. False when the user cancels.
bool AskRunKeepOptions(QWidget* parent, TRunOptions& options);

// Creates the view of a result object (the module's dispatch).
using TResultViewFactory = std::function<IInfoView*(const TInfoObjectDef* def)>;

class TSchemeResultTab : public QWidget {
    Q_OBJECT

public:
    // The tab shows the view of objectID, or of generalObjectID when the catalogue does not
    // define the first (an analysis' own object, else the workbench's).
    TSchemeResultTab(const QString& objectID, const QString& caption, TResultViewFactory factory, QWidget* parent = nullptr,
                     const QString& generalObjectID = QString());
    ~TSchemeResultTab() override;

    const QString ObjectID;
    const QString GeneralObjectID;
    QToolBar* tbrActions;
    QLabel* lblPlaceholder;

    // The view, once created; null while the tab was never shown or no view serves it.
    IInfoView* View() const { return FView; }
    QWidget* ViewWidget() const { return FViewWidget; }
    // Creates the view on first call (true when there is one) and hands it the scheme.
    bool EnsureView(TPlanScheme* scheme, const TPlanSchemeUIEvents* events);
    // The scheme changed or was replaced: the view gets it again and reloads when shown.
    void SetPlanScheme(TPlanScheme* scheme, const TPlanSchemeUIEvents* events);
    // Loads the view's rows when they are not fresh.
    void RefreshIfStale();
    // Enables the view's actions by what the view answers.
    void UpdateActions();
    // Leaves the view's edit mode through its "Update" action (the save question included);
    // false when the view stays in edit mode.
    bool LeaveEditMode();
    // The host's commands for the view; false when there is no view or it does not know one.
    bool QueryViewCommand(int command, TCommandState& state) const;
    bool ExecViewCommand(int command);

private:
    void BuildActions(const TInfoObjectDef* def);

    QString FCaption;
    TResultViewFactory FFactory;
    IInfoView* FView = nullptr;
    QWidget* FViewWidget = nullptr;
    bool FTried = false;
    bool FStale = true;
    QList<QAction*> FActions;
};

// The result tabs of one frame, on the frame's tab widget.
class TSchemeResultPages {
public:
    TSchemeResultPages(QTabWidget* pages, TResultViewFactory factory);
    ~TSchemeResultPages();
    TSchemeResultPages(const TSchemeResultPages&) = delete;
    TSchemeResultPages& operator=(const TSchemeResultPages&) = delete;

    TSchemeResultTab* Add(const QString& objectID, const QString& caption, const QString& generalObjectID = QString());
    const QList<TSchemeResultTab*>& Tabs() const { return FTabs; }
    TSchemeResultTab* Tab(const QString& objectID) const;
    // The result tab shown, null while another page is.
    TSchemeResultTab* Active() const;
    // Every view created so far takes the scheme (null for none).
    void SetPlanScheme(TPlanScheme* scheme, const TPlanSchemeUIEvents* events);
    // The tab shown gets its view (first time) and fresh rows.
    void ShowActive(TPlanScheme* scheme, const TPlanSchemeUIEvents* events);
    // The caption of a view in edit mode, empty when none is.
    QString EditingViewCaption() const;
    // Every view leaves its edit mode; false when one stays in it.
    bool LeaveEditMode();
    // Every view agrees to close.
    bool QueryClose();
    // Removes the tabs and their views (before the scheme they show goes).
    void Clear();

private:
    QTabWidget* FPages;
    TResultViewFactory FFactory;
    QList<TSchemeResultTab*> FTabs;
};

} // namespace kx
