// Driving the module's screens as a host does: views created through the entry points, and
// modal dialogs answered while they are open.
#pragma once

#include "kx_mrp/interfaces.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

class QWidget;

namespace kx::test {

// Runs `act` on the modal dialog of type T that the next call opens.
template <class T>
void OnNextDialog(std::function<void(T*)> act)
{
    QTimer::singleShot(0, [act] {
        auto* dlg = qobject_cast<T*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        act(dlg);
    });
}

// The view LoadInfoView creates for a definition, and the widget behind a view.
IInfoView* LoadModuleView(const TInfoObjectDef* def);
QWidget* WidgetOf(IInfoView* view);

} // namespace kx::test
