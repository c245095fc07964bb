// The desktop host on a clone of the template with the demo factory: started with the
// options a script would give, logged in as the demo planner.
#pragma once

#include "erplistview.h"
#include "mainwindow.h"
#include "objectpage.h"
#include "shellstartup.h"
#include "testdatabase.h"

#include <memory>

class QAction;

namespace kx::test {

class TShellTest : public TDatabaseTest {
protected:
    static void SetUpTestSuite();
    void TearDown() override;

    // The options of a start on the suite's database: --server, --database and the rest.
    static QStringList StartArguments(const QStringList& more = {});
    // Starts the host logged in as liming / liming123 with the main window shown.
    shell::TMainWindow* StartAsPlanner(const QStringList& more = {});

    std::unique_ptr<shell::TShellRun> Run;
};

// The record (row of the list) whose fields hold the values.
int RowWhere(const shell::TERPListView& view, const QString& field, const QVariant& value, const QString& field2 = {},
             const QVariant& value2 = {});
// The host's own list on a page, or null when the page shows something else.
shell::TERPListView* ListOf(shell::TObjectPage* page);
// The window's action of the current object with that caption, or null.
QAction* ObjectAction(shell::TMainWindow* window, const QString& caption);

} // namespace kx::test
