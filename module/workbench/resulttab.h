// One result tab of the plan scheme workbench: the view of its object, created through the
// module's dispatch the first time the tab is shown and handed the frame's scheme, with a bar
// of the view's own actions above it. A tab that cannot show its view (the user may not open
// the object, or no view serves it) says why it is empty.
#pragma once

#include "engine/planscheme.h"

#include "kx_mrp/interfaces.h"

#include <QWidget>

#include <functional>

class QAction;
class QLabel;
class QToolBar;

namespace kx {

// Creates the view of a result object (the module's dispatch).
using TResultViewFactory = std::function<IInfoView*(const TInfoObjectDef* def)>;

class TSchemeResultTab : public QWidget {
    Q_OBJECT

public:
    TSchemeResultTab(const QString& objectID, const QString& caption, TResultViewFactory factory, QWidget* parent = nullptr);
    ~TSchemeResultTab() override;

    const QString ObjectID;
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

} // namespace kx
