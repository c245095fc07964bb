// What every result view of a plan scheme keeps: the scheme and the workbench's callbacks,
// the label "最新状态:" with the scheme's state, and fresh rows whenever the view is shown
// after the scheme was replaced or its data changed.
#pragma once

#include "engine/planscheme.h"

#include <QObject>

#include <initializer_list>

class QLabel;
class QHBoxLayout;
class QWidget;

namespace kx {

class TCustomInfoView;

// "(" + the scheme's state + ")" on a label, drawn in the highlight colour in the states that
// ask for a new fetch or run (1, 3, 4, 5); empty without a saved scheme.
void ShowPlanStateText(QLabel* label, const TPlanScheme* scheme);

class TSchemeViewLink : public QObject {
    Q_OBJECT

public:
    // The view's rows are loaded again when it is shown and its data are not fresh.
    explicit TSchemeViewLink(TCustomInfoView* view);

    // Takes a new scheme (or the same one with new data): the state is shown again and the
    // rows are loaded again, unless the host did so meanwhile, as soon as the view is visible:
    // right after this call when it is, else when it is next shown.
    void Set(TPlanScheme* scheme, const TPlanSchemeUIEvents* events);

    TPlanScheme* Scheme() const { return FScheme; }
    const TPlanSchemeUIEvents* Events() const { return FEvents; }
    // A saved scheme is chosen.
    bool Loaded() const { return FScheme && FScheme->SchemeIID > 0; }
    // Loaded and below "计划方案已发布": planning may still change it.
    bool Plannable() const { return Loaded() && FScheme->PlanState < psPublished; }
    int State() const { return FScheme ? FScheme->PlanState : -1; }
    // The workbench's CheckState (the scheme's own when the view stands alone).
    bool CheckState(bool reloadList = false) const;
    // The workbench re-reads the state and shows it everywhere; then this view's label.
    void RefreshState();
    // Shows the scheme's state again.
    void ShowState();

    // The view's tool bar: the widgets given at the left, "最新状态:" and the state at the right;
    // the view puts it above its content.
    QHBoxLayout* NewBar(std::initializer_list<QWidget*> leading);
    QLabel* lblPlanState = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RefreshLater();

    TCustomInfoView* FView;
    TPlanScheme* FScheme = nullptr;
    const TPlanSchemeUIEvents* FEvents = nullptr;
};

} // namespace kx
