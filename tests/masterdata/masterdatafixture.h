// The demo factory opened by its planner through the suite's catalogue, with a bill service
// that stores substitute bills: the setting of the planning master-data tests.
#pragma once

#include "testdatabase.h"
#include "testerpaccess.h"
#include "viewhelpers.h"

#include "kx_mrp/interfaces.h"

#include <QApplication>
#include <QDate>
#include <QStringList>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class QWidget;

namespace kx::test {

class TMasterDataTest : public TDatabaseTest {
protected:
    static void SetUpTestSuite();
    void SetUp() override;

    static const TInfoObjectDef* Def(const QString& objectID);
    // A view of the module created through LoadInfoView as the host does: sized, initialised,
    // refreshed. The widget is owned by the returned pointer.
    template <class TView>
    static std::unique_ptr<TView> OpenModuleView(const QString& objectID);
    // Saves a picture of the widget into the test output folder; false when it could not.
    static bool SavePicture(QWidget* widget, const QString& fileName);
    // The user switched to another login of the demo (catalogue rights follow).
    static void LoginAs(const QString& userID, const QString& groups);

    static TTestERPAccess ERPAccess;
};

template <class TView>
std::unique_ptr<TView> TMasterDataTest::OpenModuleView(const QString& objectID)
{
    IInfoView* view = LoadModuleView(Def(objectID));
    if (!view)
        return nullptr;
    auto* typed = dynamic_cast<TView*>(view);
    std::unique_ptr<TView> owned(typed);
    if (typed) {
        typed->resize(1100, 520);
        typed->InitializeView(QString(), nullptr);
        typed->RefreshData(false);
    }
    return owned;
}

} // namespace kx::test
