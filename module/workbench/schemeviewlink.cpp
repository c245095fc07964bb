#include "workbench/schemeviewlink.h"

#include "views/infoview.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>

namespace kx {

void ShowPlanStateText(QLabel* label, const TPlanScheme* scheme)
{
    const bool saved = scheme && scheme->SchemeIID > 0;
    label->setText(saved ? QStringLiteral("(%1)").arg(scheme->GetPlanStateText()) : QString());
    const int state = saved ? scheme->PlanState : -1;
    const bool attention = state == psParamsChangedMPS || state == psMPSChanged || state == psParamsChangedMRP || state == psResultsChanged;
    QPalette palette = label->palette();
    const QPalette& parent = label->parentWidget() ? label->parentWidget()->palette() : label->palette();
    palette.setColor(QPalette::WindowText, parent.color(attention ? QPalette::Highlight : QPalette::WindowText));
    label->setPalette(palette);
}

TSchemeViewLink::TSchemeViewLink(TCustomInfoView* view) : QObject(view), FView(view)
{
    view->installEventFilter(this);
}

void TSchemeViewLink::Set(TPlanScheme* scheme, const TPlanSchemeUIEvents* events)
{
    FScheme = scheme;
    FEvents = events;
    ShowState();
    FView->DataIsFresh = false;
    if (FView->isVisible())
        RefreshLater();
}

void TSchemeViewLink::RefreshLater()
{
    // After what the host does at once: a workbench tab that refreshes its view itself is
    // not followed by a second reading of the same rows.
    QTimer::singleShot(0, this, [this] {
        if (FView->isVisible() && !FView->DataIsFresh && !FView->ViewScheme.ID.isEmpty())
            FView->RefreshData(false);
    });
}

bool TSchemeViewLink::CheckState(bool reloadList) const
{
    if (!FScheme)
        return false;
    if (FEvents && FEvents->CheckState)
        return FEvents->CheckState(reloadList);
    return FScheme->CheckState();
}

void TSchemeViewLink::RefreshState()
{
    if (FEvents && FEvents->RefreshState)
        FEvents->RefreshState();
    else if (FScheme)
        (void)FScheme->LoadState();
    ShowState();
}

QHBoxLayout* TSchemeViewLink::NewBar(std::initializer_list<QWidget*> leading)
{
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 4, 4, 4);
    for (QWidget* widget : leading)
        bar->addWidget(widget);
    bar->addStretch(1);
    bar->addWidget(new QLabel(QStringLiteral("最新状态:"), FView));
    lblPlanState = new QLabel(FView);
    lblPlanState->setObjectName(QStringLiteral("lblPlanState"));
    bar->addWidget(lblPlanState);
    ShowState();
    return bar;
}

void TSchemeViewLink::ShowState()
{
    if (lblPlanState)
        ShowPlanStateText(lblPlanState, FScheme);
}

bool TSchemeViewLink::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FView && event->type() == QEvent::Show && !FView->DataIsFresh)
        RefreshLater();
    return QObject::eventFilter(watched, event);
}

} // namespace kx
