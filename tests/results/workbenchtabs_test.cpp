// The result tabs inside the plan scheme workbench after a demo run: each tab shows its view on
// the chosen scheme with the run's rows (pictures of every tab for anyone to look at), and a
// scheme published to a reader is shown read-only in "MRP计划查询".
#include "../workbench/workbenchfixture.h"

#include "views/gridview.h"
#include "views/hostobject.h"
#include "views/treeview.h"
#include "workbench/balancechart.h"
#include "workbench/balanceframe.h"
#include "workbench/mrpframe.h"
#include "workbench/resulttab.h"
#include "workbench/suppliesframe.h"

#include <QAction>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

// The rows a result view shows.
int RowsOf(IInfoView* view)
{
    if (auto* grid = dynamic_cast<TInfoGridView*>(view))
        return grid->grdMain->model()->rowCount();
    if (auto* tree = dynamic_cast<TInfoTreeView*>(view))
        return tree->Nodes->rowCount();
    return -1;
}

} // namespace

class WorkbenchTabs : public TWorkbenchTest {
public:
    static void SetUpTestSuite() { TWorkbenchTest::SetUpTestSuite(); }

protected:
    // Shows the tab of an object and gives its view.
    static IInfoView* ShowTab(TMRPFrame& frame, const char* objectID)
    {
        TSchemeResultTab* tab = frame.ResultTab(QLatin1String(objectID));
        EXPECT_NE(tab, nullptr) << objectID;
        if (!tab)
            return nullptr;
        frame.Pages->setCurrentWidget(tab);
        QApplication::processEvents();
        return tab->View();
    }
};

TEST_F(WorkbenchTabs, EveryResultTabShowsTheRunOfTheChosenScheme)
{
    const int iid = PrepareScheme(QStringLiteral("结果页"), true, true);
    auto frame = OpenWorkbench();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(frame->SelectScheme(iid));
    const struct {
        const char* Object;
        int Rows;
        const char* Picture;
    } tabs[] = {
        {"KX_MRP.MRP.Allot", 20, "workbench_allot.png"},
        {"KX_MRP.MRP.Balance", 46, "workbench_balance.png"},
        {"KX_MRP.MRP.Supplies", 300, "workbench_supplies.png"},
        {"KX_MRP.MRP.Replaces", 6, "workbench_replaces.png"},
    };
    for (const auto& t : tabs) {
        SCOPED_TRACE(t.Object);
        IInfoView* view = ShowTab(*frame, t.Object);
        ASSERT_NE(view, nullptr);
        EXPECT_GE(RowsOf(view), t.Rows);
        if (auto* balance = dynamic_cast<TMRPBalanceFrame*>(view)) {
            // The chart follows the first row.
            EXPECT_FALSE(balance->Chart->Title().isEmpty());
            EXPECT_EQ(balance->Chart->SeriesValues(QStringLiteral("预计结存")).size(), 10);
        }
        EXPECT_TRUE(SavePicture(frame.get(), QLatin1String(t.Picture)));
    }
    // The supplies' own actions stand on the tab's tool bar; "调整供应计划" is offered on a run scheme.
    TSchemeResultTab* supplies = frame->ResultTab(QStringLiteral("KX_MRP.MRP.Supplies"));
    frame->Pages->setCurrentWidget(supplies);
    auto* update = supplies->findChild<QAction*>(QStringLiteral("actUpdate"));
    ASSERT_NE(update, nullptr);
    EXPECT_EQ(update->text(), QStringLiteral("调整供应计划"));
    EXPECT_TRUE(update->isEnabled());
}

TEST_F(WorkbenchTabs, APublishedSchemeIsReadOnlyInTheQueryWorkbench)
{
    const int iid = PrepareScheme(QStringLiteral("已发布计划"), true, true);
    Exec(QStringLiteral("update KX_MRP_Schemes set SchState=8 where SchIID=%1;"
                        "insert into KX_SYS_DataPermissions (DpmUsrID, DpmObjID, DpmDataID, DpmIsGroup) values ('DM-G-BUY', 'KX_MRP.MRP', '%1', 1)")
             .arg(iid));
    LoginAs(QStringLiteral("DM-USR-ZHANGLI"), QStringLiteral("'DM-G-BUY'"));
    auto frame = OpenWorkbench(QStringLiteral("KX_MRP.MRPQuery"));
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(frame->SelectScheme(iid));
    auto* view = dynamic_cast<TMRPSuppliesFrame*>(ShowTab(*frame, "KX_MRP.MRP.Supplies"));
    ASSERT_NE(view, nullptr);
    EXPECT_GT(RowsOf(view), 100);
    // Nothing may be changed: adjusting and running are not offered.
    for (const char* action : {"Update", "MRP"}) {
        const int command = ObjectActionCommand(view->ObjectDef, QLatin1String(action));
        TCommandState state = csEnabled;
        if (command >= 0) {
            ASSERT_TRUE(view->QueryCommandState(command, state));
            EXPECT_EQ(state, 0) << action;
        }
    }
    EXPECT_TRUE(SavePicture(frame.get(), QStringLiteral("workbench_query_supplies.png")));
    LoginAs(QStringLiteral("DM-USR-LIMING"), QStringLiteral("'DM-G-PLAN'"));
}
