#include "shellfixture.h"

#include "demofactory.h"
#include "erplistview.h"

#include "db/shared.h"

#include <QAction>
#include <QStandardPaths>

namespace kx::test {

void TShellTest::SetUpTestSuite()
{
    QStandardPaths::setTestModeEnabled(true);
    TDatabaseTest::SetUpTestSuite();
    suite::LoadDemoFactory(SharedConnection());
}

void TShellTest::TearDown()
{
    Run.reset();
}

QStringList TShellTest::StartArguments(const QStringList& more)
{
    return QStringList{QStringLiteral("--server"), TTestDatabase::Server(), QStringLiteral("--database"), DatabaseName()} + more;
}

shell::TMainWindow* TShellTest::StartAsPlanner(const QStringList& more)
{
    Run = std::make_unique<shell::TShellRun>(shell::ParseShellOptions(
        StartArguments({QStringLiteral("--user"), QStringLiteral("liming"), QStringLiteral("--password"), QStringLiteral("liming123")})
        + more));
    if (!Run->LogIn(false))
        return nullptr;
    return Run->ShowMainWindow();
}

int RowWhere(const shell::TERPListView& view, const QString& field, const QVariant& value, const QString& field2,
             const QVariant& value2)
{
    const shell::TERPListModel& model = *view.Model();
    for (int row = 0; row < model.rowCount(); ++row)
        if (model.Value(row, field) == value && (field2.isEmpty() || model.Value(row, field2) == value2))
            return row;
    return -1;
}

shell::TERPListView* ListOf(shell::TObjectPage* page)
{
    return page ? dynamic_cast<shell::TERPListView*>(page->View()) : nullptr;
}

QAction* ObjectAction(shell::TMainWindow* window, const QString& caption)
{
    for (QAction* action : window->ObjectActions())
        if (action->text() == caption)
            return action;
    return nullptr;
}

} // namespace kx::test
