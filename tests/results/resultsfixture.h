// The demo factory run by its planner, and the result views of a scheme opened as the workbench
// opens them: created through the module's dispatch, initialised, handed the scheme and the
// workbench's callbacks, sized and shown offscreen.
#pragma once

#include "testdatabase.h"

#include "engine/planscheme.h"
#include "workbench/schemeview.h"

#include "kx_mrp/interfaces.h"

#include <QWidget>

#include <memory>

namespace kx::test {

class TResultsTest : public TDemoDatabaseTest {
protected:
    static void SetUpTestSuite();
    void SetUp() override;

    // A new scheme on the demo (eight weeks from 2026-12-07, the demo calendar) with main
    // demand fetched and MRP run.
    static std::unique_ptr<TPlanScheme> RunDemoScheme(const QString& name);
    // Runs MRP again with the keep flags; false when the run failed.
    static bool Rerun(TPlanScheme& scheme, bool keepType, bool keepBom, bool keepQty);

    // The view of an object, created and set up as the workbench does, on the scheme.
    template <class TView>
    std::unique_ptr<TView> OpenView(const QString& objectID, TPlanScheme* scheme)
    {
        IInfoView* created = CreateView(objectID);
        auto* view = dynamic_cast<TView*>(created);
        std::unique_ptr<TView> owned(view);
        if (!view)
            return owned;
        view->resize(1200, 640);
        view->InitializeView(QString(), nullptr);
        view->SetPlanScheme(scheme, &Events);
        view->show();
        if (!view->DataRefreshed())
            view->RefreshData(false);
        return owned;
    }
    static IInfoView* CreateView(const QString& objectID);
    // Saves a picture of the widget into the test output folder; false when it could not.
    static bool SavePicture(QWidget* widget, const QString& fileName);

    // The workbench's callbacks: CheckState and RefreshState act on the scheme given last,
    // RunMRP is counted.
    static TPlanSchemeUIEvents Events;
    static TPlanScheme* EventsScheme;
    static int RunMRPCalls;
    static int RefreshStateCalls;
};

// A suite whose tests all read one demo run, made once for the suite.
class TSharedRunTest : public TResultsTest {
protected:
    static void RunShared(const QString& name);
    static void TearDownTestSuite();
    void SetUp() override;

    static TPlanScheme* Scheme;
};

} // namespace kx::test
