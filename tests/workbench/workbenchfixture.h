// The demo factory opened by its planner in the plan scheme workbench: the frame created
// through LoadInfoFrame as the host does, schemes prepared through the engine, and a digest
// of everything a run writes, to tell whether anything changed.
#pragma once

#include "../masterdata/masterdatafixture.h"

#include "engine/planscheme.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <memory>

namespace kx {
class TMRPFrame;
class TMRPMainFrame;
} // namespace kx

namespace kx::test {

// Runs act on the next modal dialog of type T (with that object name when one is given) as
// soon as it shows; several may wait at once for different dialogs.
template <class T>
void WhenDialogShows(std::function<void(T*)> act, const QString& name = QString())
{
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, act, clock, name] {
        auto* dlg = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dlg && !name.isEmpty() && dlg->objectName() != name)
            dlg = nullptr;
        if (!dlg && clock->elapsed() < 30000)
            return;
        timer->stop();
        timer->deleteLater();
        if (dlg)
            act(dlg);
    });
    timer->start(10);
}

class TWorkbenchTest : public TMasterDataTest {
protected:
    static void SetUpTestSuite();
    void SetUp() override;

    // The workbench of the object ("KX_MRP.MRP" or "KX_MRP.MRPQuery"), sized and shown.
    static std::unique_ptr<TMRPFrame> OpenWorkbench(const QString& objectID = QStringLiteral("KX_MRP.MRP"));
    // The main-demand view of the frame's first result tab, created by showing the tab.
    static TMRPMainFrame* ShowMainDemand(TMRPFrame& frame);
    // A scheme of the planner over eight weeks from 2026-12-07 on calendar 1, saved; with
    // fetch its main demand is fetched, with run MRP runs too.
    static int PrepareScheme(const QString& name, bool fetch = true, bool run = false);
    // An md5 of the ordered rows of the main demand, demands, supplies, the run log and the
    // scheme's state and stamps.
    static QString ResultsDigest(int schemeIID);

public:
    // Conditions the fake filter dialog answers with: code and SQL text (empty: cancelled),
    // and the objects it was opened on with the code it got.
    static QString FilterCode, FilterText;
    static QStringList FilterObjects;
};

} // namespace kx::test
