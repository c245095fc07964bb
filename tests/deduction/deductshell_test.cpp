// Forecast deduction in the desktop host, logged in as the demo planner: the forecast list opens
// the forecast editor for "新增" and on a double-click and shows the focused line's deductions
// below it; the deduction log is listed with its clearing action.
#include "shellfixture.h"

#include "erplistview.h"
#include "mainwindow.h"
#include "objectpage.h"

#include "testhost.h"

#include <QAction>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::shell;
using namespace kx::test;

namespace {

QAction* CurrentAction(TMainWindow* window, const QString& caption)
{
    window->UpdateCommands();
    return ObjectAction(window, caption);
}

// The module's objects live in the plug-in: the test sees them through the host interfaces.
IInfoEdit* CurrentEditor(TMainWindow* window)
{
    TObjectPage* page = window->CurrentPage();
    return page ? page->Editor() : nullptr;
}

QString BillNoOf(IInfoEdit* editor)
{
    auto* edit = WidgetOf(editor) ? WidgetOf(editor)->findChild<QLineEdit*>(QStringLiteral("edtForNo")) : nullptr;
    return edit ? edit->text() : QString();
}

} // namespace

class DeductShell : public TShellTest {};

TEST_F(DeductShell, TheForcastListOpensTheEditorAndShowsTheFocusedLinesDeductions)
{
    TMainWindow* window = StartAsPlanner();
    ASSERT_NE(window, nullptr);
    TObjectPage* page = window->OpenObject(QStringLiteral("KX_MRP.Forcast"));
    TERPListView* list = ListOf(page);
    ASSERT_NE(list, nullptr);
    ASSERT_NE(page->DetailTabs(), nullptr);
    int tab = -1;
    for (int i = 0; i < page->DetailTabs()->count(); ++i)
        if (page->DetailTabs()->tabText(i) == QStringLiteral("预测冲销"))
            tab = i;
    ASSERT_GE(tab, 0);
    IInfoView* deduct = page->DetailViews().value(tab);
    ASSERT_NE(deduct, nullptr);
    page->DetailTabs()->setCurrentIndex(tab);
    list->FocusRow(RowWhere(*list, QStringLiteral("ForID"), QStringLiteral("DM-FC-02"), QStringLiteral("ForEntry"), 4));
    // The view shows the line with its root focused.
    EXPECT_EQ(deduct->GetFocusedRecordString(QStringLiteral("BillNo")), QStringLiteral("'FC2612-001'"));
    EXPECT_EQ(deduct->GetFocusedRecordString(QStringLiteral("BillEntry")), QStringLiteral("4"));
    window->resize(1300, 760);
    EXPECT_TRUE(window->grab().save(TestOutputPath(QStringLiteral("shell_forcast_list_deduct.png"))));

    // "新增" opens a new bill.
    QAction* add = CurrentAction(window, QStringLiteral("新增"));
    ASSERT_NE(add, nullptr);
    add->trigger();
    IInfoEdit* created = CurrentEditor(window);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->GetEditMode(), emNew);
    EXPECT_EQ(window->Pages()->tabText(window->Pages()->currentIndex()), QStringLiteral("产品预测"));

    // A double-click on an unchecked bill opens it for editing.
    window->Pages()->setCurrentIndex(window->Pages()->indexOf(page));
    const int row = RowWhere(*list, QStringLiteral("ForID"), QStringLiteral("DM-FC-03"));
    ASSERT_GE(row, 0);
    list->FocusRow(row);
    Q_EMIT list->Grid()->doubleClicked(list->Model()->index(row, 0));
    IInfoEdit* opened = CurrentEditor(window);
    ASSERT_NE(opened, nullptr);
    EXPECT_NE(opened, created);
    EXPECT_EQ(opened->GetEditMode(), emModify);
    EXPECT_EQ(BillNoOf(opened), QStringLiteral("FC2612-002"));
}

TEST_F(DeductShell, TheDeductionLogListsThePairsWithTheirBillsAndOffersToClearThem)
{
    Exec(QStringLiteral("insert into KX_MRP_Deduction (DedForID, DedForEntry, DedOrdType, DedOrdID, DedOrdEntry, DedForQty, DedOrdQty, "
                        "DedManual, DedUsrID, DedTime) values ('DM-FC-01', 2, 2, 'DM-SO-01', 2, 100, 100, 0, 'DM-USR-LIMING', localtimestamp);"
                        "insert into KX_MRP_ForcastExt (ForID, ForEntry, ForItmID, ForDedAQty, ForDedMQty) values ('DM-FC-01', 2, 'DM-I-WS40', 100, 0);"
                        "insert into KX_MRP_SOExt (SOID, SOEntry, SOItmID, SODedAQty, SODedMQty) values ('DM-SO-01', 2, 'DM-I-WS40', 100, 0)"));
    TMainWindow* window = StartAsPlanner();
    ASSERT_NE(window, nullptr);
    TObjectPage* page = window->OpenObject(QStringLiteral("KX_MRP.DeductLog"));
    TERPListView* log = ListOf(page);
    ASSERT_NE(log, nullptr);
    ASSERT_EQ(log->Model()->rowCount(), 1);
    EXPECT_EQ(log->Model()->DisplayText(0, QStringLiteral("ForNo")), QStringLiteral("FC2611-001"));
    EXPECT_EQ(log->Model()->DisplayText(0, QStringLiteral("OrdNo")), QStringLiteral("SO2611-001"));
    EXPECT_EQ(log->Model()->DisplayText(0, QStringLiteral("DedOrdType")), QStringLiteral("销售订单"));
    EXPECT_EQ(log->Model()->DisplayText(0, QStringLiteral("DedForQty")), QStringLiteral("100"));
    window->resize(1300, 500);
    EXPECT_TRUE(window->grab().save(TestOutputPath(QStringLiteral("shell_deduct_log.png"))));

    // Clearing belongs to the module (its questions are the plug-in's own boxes, tried in
    // deductactions_test): the list offers it on the focused row.
    log->FocusRow(0);
    QAction* clear = CurrentAction(window, QStringLiteral("清除冲销"));
    ASSERT_NE(clear, nullptr);
    EXPECT_TRUE(clear->isEnabled());
}
