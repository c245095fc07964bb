// The demo factory released through the desktop: the planner publishes the run scheme to the
// buyer in the publishing dialog, releases production rows in the output view, the buyer
// releases requisitions; the bills are exactly those the settings ask for, the view shows
// what was released and offers only the rest, and a finding in the result list leads back to
// its row and column.
#include "releasefixture.h"
#include "viewhelpers.h"

#include "db/shared.h"
#include "engine/planscheme.h"
#include "release/outputframe.h"
#include "release/outputsetdlg.h"
#include "release/releasedlg.h"
#include "release/releasesetdlg.h"
#include "views/doresultframe.h"
#include "views/pickedit.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

bool SavePicture(QWidget* widget, const QString& fileName)
{
    widget->show();
    QApplication::processEvents();
    return widget->grab().save(TestOutputPath(fileName));
}

std::unique_ptr<TMRPOutputFrame> OpenOutputView()
{
    auto* view = dynamic_cast<TMRPOutputFrame*>(LoadModuleView(Env()->GetObjectDef(kOutputObjectID)));
    std::unique_ptr<TMRPOutputFrame> owned(view);
    if (view) {
        view->resize(1280, 720);
        view->InitializeView(QString(), nullptr);
        view->RefreshData(false);
    }
    return owned;
}

// Shows only rows of one plan type ("MRP生产" ...) of the scheme named.
void ChooseRows(TMRPOutputFrame& view, const QString& schemeName, int planType)
{
    QComboBox* schemes = view.pnlOptions->cboScheme;
    for (int i = 0; i < schemes->count(); ++i)
        if (schemes->itemText(i).startsWith(schemeName + QLatin1String(" (")))
            schemes->setCurrentIndex(i);
    view.pnlOptions->cboPlanType->setCurrentIndex(planType);
    ASSERT_TRUE(view.pnlOptions->btnOk->isVisibleTo(&view));
    view.pnlOptions->btnOk->click();
}

TTreeNode* NodeOf(TMRPOutputFrame& view, const QString& item, const QString& origin)
{
    const int row = TReleaseTest::FindRow(view.FList, item, origin);
    return row < 0 ? nullptr : view.NodeOfRow(row);
}

void Tick(TMRPOutputFrame& view, const QStringList& rows)
{
    view.pnlOptions->lblUnselectAll->linkActivated(QStringLiteral("#"));
    for (const QString& key : rows) {
        TTreeNode* node = NodeOf(view, key.section(QLatin1Char(' '), 0, 0), key.section(QLatin1Char(' '), 1));
        ASSERT_NE(node, nullptr) << key.toStdString();
        ASSERT_TRUE(view.EditCell(node, QStringLiteral("SupChecked"), true));
    }
}

bool Enabled(TMRPOutputFrame& view, const char* action)
{
    TCommandState state = 0;
    return view.QueryCommandState(view.ActionCommand(QLatin1String(action)), state) && (state & csEnabled);
}

QStringList ResultLines(TDoResultFrame* results)
{
    QStringList lines;
    std::function<void(TTreeNode*, int)> walk = [&](TTreeNode* node, int depth) {
        for (int i = 0; i < node->ChildCount(); ++i) {
            lines << QString(depth * 2, QLatin1Char(' ')) + node->Child(i)->Value(QStringLiteral("Text")).toString();
            walk(node->Child(i), depth + 1);
        }
    };
    walk(results->Nodes()->Root(), 0);
    return lines;
}

} // namespace

class OutputView : public TReleaseTest {};

TEST_F(OutputView, PlannerPublishesToTheBuyerAndBothReleaseTheirBills)
{
    // The planner publishes a copy of the run directly, to the buyer, from the dialog.
    const int scheme = CopySchemeForPublish(SharedConnection(), RunScheme, QStringLiteral("演示投放"), false);
    Host().UsersToPick = {QStringLiteral("DM-USR-ZHANGLI")};
    {
        TMRPReleaseDlg dialog;
        dialog.SelectScheme(scheme);
        EXPECT_TRUE(dialog.actRelease->isEnabled());
        EXPECT_FALSE(dialog.actUnrelease->isEnabled());
        TScriptedMessages messages({mrOK});
        OnNextDialog<TMRPReleaseSetDlg>([](TMRPReleaseSetDlg* set) {
            EXPECT_TRUE(set->rdbCopyMode->isChecked());
            set->rdbDirectMode->setChecked(true);
            EXPECT_TRUE(set->edtSchemeName->isReadOnly());
            set->btnOk->click();
        });
        dialog.actRelease->trigger();
        EXPECT_EQ(messages.Texts().last(), QStringLiteral("执行完成。"));
        EXPECT_TRUE(messages.Texts().value(0).startsWith(QStringLiteral("所选方案存在")));
        EXPECT_EQ(dialog.CurrentScheme().State, int(psPublished));
        EXPECT_TRUE(dialog.cboScheme->currentText().startsWith(QStringLiteral("演示投放 (已发布 ")));
        ASSERT_EQ(dialog.grdUsers->topLevelItemCount(), 1);
        EXPECT_EQ(dialog.grdUsers->topLevelItem(0)->text(0), QStringLiteral("张丽(zhangli)"));
        EXPECT_TRUE(dialog.actStopOutput->isEnabled());
        EXPECT_TRUE(SavePicture(&dialog, QStringLiteral("release_publishing.png")));
    }
    Host().UsersToPick.clear();

    // The planner releases production orders: three lines a bill, by workshop.
    SetOptions(btMO, [](TMRPOutputOptions& o) {
        o.SplitBy[0] = ofSupplyUnit, o.SplitBy[1] = ofNone;
        o.SortBy[0] = ofItemNo, o.SortBy[1] = ofDate;
        o.MaxRows = 3;
        o.OutPBoms = true;
        o.ItemSubs = oisNone;
        o.DepartmentID = QStringLiteral("DM-D-PMC");
    });
    auto planner = OpenOutputView();
    ASSERT_NE(planner, nullptr);
    ChooseRows(*planner, QStringLiteral("演示投放"), 1);
    EXPECT_FALSE(Enabled(*planner, "Output"));
    Tick(*planner, {QStringLiteral("1.01.001 SI2611-001/1"), QStringLiteral("1.01.001 SO2612-001/1"),
                    QStringLiteral("1.01.001 FC2611-001/1"), QStringLiteral("2.05.002 FC2611-001/3")});
    // Half of the blades now, the rest later.
    TTreeNode* blades = NodeOf(*planner, QStringLiteral("2.05.002"), QStringLiteral("FC2611-001/3"));
    ASSERT_TRUE(planner->EditCell(blades, QStringLiteral("SupDoDestQty"), 121));
    EXPECT_DOUBLE_EQ(blades->Value(QStringLiteral("SupUnDestQty")).toDouble(), 121.0);
    ASSERT_TRUE(Enabled(*planner, "Output"));
    {
        TScriptedMessages messages;
        planner->ExecCommand(planner->ActionCommand(QStringLiteral("Output")));
        EXPECT_EQ(messages.LastText(), QStringLiteral("共生成4行单据, 其中4行成功保存(2张单据), 0行失败保存, 0行未保存!"));
    }
    EXPECT_EQ(Rows(QStringLiteral("select h.MONo||' '||h.MOBillDeptID||' '||l.MOEntry||' '||i.ItmNo||' '||l.MOBillQty::float8||' '||l.MODeptID"
                                  "||' '||(select count(*)||'/'||coalesce(sum(b.MobBillQty),0)::float8 from KX_Bill_MOBom b where b.MOID=l.MOID "
                                  "and b.MOEntry=l.MOEntry) from KX_Bill_MOHead h join KX_Bill_MOLine l on l.MOID=h.MOID join KX_Base_ItemMaster i "
                                  "on i.ItmID=l.MOItmID where h.MOID not like 'DM-%' order by h.MONo, l.MOEntry")),
              QStringList({QStringLiteral("MO2026120001 DM-D-PMC 1 1.01.001 545 DM-D-WS1 10/8251"),
                           QStringLiteral("MO2026120001 DM-D-PMC 2 1.01.001 500 DM-D-WS1 10/7570"),
                           QStringLiteral("MO2026120001 DM-D-PMC 3 1.01.001 300 DM-D-WS1 10/4546"),
                           QStringLiteral("MO2026120002 DM-D-PMC 1 2.05.002 121 DM-D-WS3 1/22.4334")}));
    EXPECT_EQ(ResultLines(planner->FResulter),
              QStringList({QStringLiteral("检查待投放数据: 警告0个, 错误0个 ..."), QStringLiteral("投放生成目标单据, 共4行 ..."),
                           QStringLiteral("  生成3行生产任务保存成功, 单据编号: MO2026120001"),
                           QStringLiteral("  生成1行生产任务保存成功, 单据编号: MO2026120002"),
                           QStringLiteral("共生成4行单据, 其中4行成功保存(2张单据), 0行失败保存, 0行未保存!")}));
    // The view shows the release; released rows are no longer checked.
    EXPECT_DOUBLE_EQ(blades->Value(QStringLiteral("SupDestQty")).toDouble(), 121.0);
    EXPECT_DOUBLE_EQ(blades->Value(QStringLiteral("SupDoDestQty")).toDouble(), 0.0);
    EXPECT_EQ(blades->Value(QStringLiteral("SupDester")).toString(), QStringLiteral("李明"));
    EXPECT_FALSE(blades->Value(QStringLiteral("SupChecked")).toBool());
    EXPECT_TRUE(SavePicture(planner.get(), QStringLiteral("release_output_view.png")));

    // Releasing again offers the rest of the blades and none of the fans released.
    {
        TScriptedMessages messages({mrOK});
        planner->ExecCommand(cmdRefresh);
        EXPECT_EQ(messages.Texts(), QStringList({QStringLiteral("此操作将重新装载待投放的计划数据, 视图中的修改信息将被丢弃, 确定?")}));
    }
    blades = NodeOf(*planner, QStringLiteral("2.05.002"), QStringLiteral("FC2611-001/3"));
    ASSERT_NE(blades, nullptr);
    EXPECT_DOUBLE_EQ(blades->Value(QStringLiteral("SupDoDestQty")).toDouble(), 121.0);
    EXPECT_EQ(NodeOf(*planner, QStringLiteral("1.01.001"), QStringLiteral("SO2612-001/1")), nullptr);
    EXPECT_EQ(Scalar(QStringLiteral("select SchState from KX_MRP_Schemes where SchIID=%1").arg(scheme)).toInt(), int(psReleased));

    // The buyer releases requisitions of the same scheme, two lines a bill.
    LoginAs(QStringLiteral("zhangli"));
    SetOptions(btPR, [](TMRPOutputOptions& o) {
        o.SplitBy[0] = ofBuyer, o.SplitBy[1] = ofNone;
        o.MaxRows = 2;
        o.DepartmentID = QStringLiteral("DM-D-PUR");
        o.EmployeeID = QStringLiteral("DM-E-03");
    });
    auto buyer = OpenOutputView();
    ChooseRows(*buyer, QStringLiteral("演示投放"), 3);
    Tick(*buyer, {QStringLiteral("4.04.001 FC2611-001/1"), QStringLiteral("4.04.001 FC2611-001/2"), QStringLiteral("5.01.001 SO2612-001/1")});
    {
        TScriptedMessages messages;
        buyer->ExecCommand(buyer->ActionCommand(QStringLiteral("Output")));
        EXPECT_EQ(messages.LastText(), QStringLiteral("共生成3行单据, 其中3行成功保存(2张单据), 0行失败保存, 0行未保存!"));
    }
    EXPECT_EQ(Rows(QStringLiteral("select h.PRNo||' '||h.PRDeptID||' '||h.PREmpID||' '||l.PREntry||' '||i.ItmNo||' '||l.PRBillQty::float8||'/'"
                                  "||l.PRUBillQty::float8||' '||l.PRSuppID from KX_Bill_PRHead h join KX_Bill_PRLine l on l.PRID=h.PRID "
                                  "join KX_Base_ItemMaster i on i.ItmID=l.PRItmID where h.PRID not like 'DM-%' order by h.PRNo, l.PREntry")),
              QStringList({QStringLiteral("PR2026120001 DM-D-PUR DM-E-03 1 4.04.001 971/0.971 DM-S-04"),
                           QStringLiteral("PR2026120001 DM-D-PUR DM-E-03 2 4.04.001 2400/2.4 DM-S-04"),
                           QStringLiteral("PR2026120002 DM-D-PUR DM-E-03 1 5.01.001 500/500 DM-S-06")}));
    // Neither may release what the other's right covers.
    EXPECT_FALSE(buyer->FCanToMO);
    EXPECT_TRUE(buyer->FCanToPR && buyer->FCanToOR);
    EXPECT_TRUE(planner->FCanToMO && !planner->FCanToPR && !planner->FCanToOR);
}

TEST_F(OutputView, AFindingInTheResultListLeadsToItsRowAndColumn)
{
    PublishedCopy(QStringLiteral("定位方案"));
    SetOptions(btMO, [](TMRPOutputOptions& o) { o.DepartmentID = QStringLiteral("DM-D-PMC"); });
    auto view = OpenOutputView();
    ChooseRows(*view, QStringLiteral("定位方案"), 1);
    Tick(*view, {QStringLiteral("1.01.001 SI2611-001/1"), QStringLiteral("2.05.002 FC2611-001/3")});
    TTreeNode* fans = NodeOf(*view, QStringLiteral("1.01.001"), QStringLiteral("SI2611-001/1"));
    ASSERT_TRUE(view->EditCell(fans, QStringLiteral("SupDept"), QStringLiteral("五号车间")));
    EXPECT_EQ(fans->Value(QStringLiteral("SupDept")).toString(), QStringLiteral("五号车间"));
    {
        TScriptedMessages messages;
        view->ExecCommand(view->ActionCommand(QStringLiteral("Output")));
        EXPECT_EQ(messages.LastText(), QStringLiteral("检查待投放数据时发现错误1个, 请修正后再投放!"));
    }
    const QStringList lines = ResultLines(view->FResulter);
    EXPECT_EQ(lines, QStringList({QStringLiteral("检查待投放数据: 警告0个, 错误1个 ..."), QStringLiteral("  [供应单位]的值(五号车间)不存在!")}));
    TTreeNode* finding = view->FResulter->Nodes()->Root()->Child(0)->Child(0);
    view->FResulter->FOnTrackPosition(finding, finding->Value(QStringLiteral("Position1")), finding->Value(QStringLiteral("Position2")));
    const QModelIndex current = view->trlMain->currentIndex();
    EXPECT_EQ(view->Nodes->NodeOf(current), fans);
    EXPECT_EQ(view->Columns.At(current.column())->FieldName, QStringLiteral("SupDept"));
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_Bill_MOHead where MOID not like 'DM-%'")).toInt(), 0);
    EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("release_output_findings.png")));
}

TEST_F(OutputView, OutputSettingsAreKeptPerUserAndDestinationAndChecked)
{
    TMRPOutputSetDlg dialog;
    EXPECT_EQ(dialog.pgcOptions->tabText(0), QStringLiteral("生产任务(&1)"));
    EXPECT_EQ(dialog.pgcOptions->tabText(2), QStringLiteral("采购申请(&3)"));
    TMRPOutputSetDlg::TPage& purchase = dialog.FPages[2];
    // A repeated split field, then a sort field that splits, then no department.
    purchase.cboSplitBy[1]->setCurrentIndex(purchase.cboSplitBy[1]->findData(int(ofBuyer)));
    {
        TScriptedMessages messages;
        EXPECT_FALSE(dialog.StorePage(purchase));
        EXPECT_EQ(messages.LastText(), QStringLiteral("分单依据字段出现重复, 请修正!"));
    }
    purchase.cboSplitBy[1]->setCurrentIndex(purchase.cboSplitBy[1]->findData(int(ofMainDemand)));
    purchase.cboSortBy[0]->setCurrentIndex(purchase.cboSortBy[0]->findData(int(ofMainDemand)));
    {
        TScriptedMessages messages;
        EXPECT_FALSE(dialog.StorePage(purchase));
        EXPECT_EQ(messages.LastText(), QStringLiteral("分录排序字段与分单依据字段出现重复, 请修正!"));
    }
    purchase.cboSortBy[0]->setCurrentIndex(purchase.cboSortBy[0]->findData(int(ofItemNo)));
    {
        TScriptedMessages messages;
        EXPECT_FALSE(dialog.StorePage(purchase));
        EXPECT_EQ(messages.LastText(), QStringLiteral("[部门]的内容不能为空!"));
        purchase.edtDepartment->setText(QStringLiteral("采购部"));
        purchase.edtEmployee->setText(QStringLiteral("无此人"));
        EXPECT_FALSE(dialog.StorePage(purchase));
        EXPECT_EQ(messages.LastText(), QStringLiteral("[业务员]的值(无此人)无效!"));
    }
    purchase.edtEmployee->setText(QStringLiteral("E003"));
    purchase.edtBillMaxRows->setValue(40);
    // Clearing the first split field clears and locks those after it.
    purchase.cboSplitBy[0]->setCurrentIndex(0);
    EXPECT_EQ(purchase.cboSplitBy[1]->currentData().toInt(), 0);
    EXPECT_FALSE(purchase.cboSplitBy[1]->isEnabled());
    ASSERT_TRUE(dialog.StorePage(purchase));
    SaveOutputOptions(btPR, purchase.Options);
    const TMRPOutputOptions stored = LoadOutputOptions(btPR, 500);
    EXPECT_EQ(stored.DepartmentID, QStringLiteral("DM-D-PUR"));
    EXPECT_EQ(stored.EmployeeID, QStringLiteral("DM-E-03"));
    EXPECT_EQ(stored.MaxRows, 40);
    EXPECT_EQ(stored.SplitBy[0] + stored.SplitBy[1] + stored.SplitBy[2], 0);
    // The host's limit caps the stored value; a limit of one row allows one.
    EXPECT_EQ(LoadOutputOptions(btPR, 30).MaxRows, 30);
    EXPECT_EQ(LoadOutputOptions(btPR, 1).MaxRows, 1);
    EXPECT_EQ(LoadOutputOptions(btMO, 500).MaxRows, 100);
    EXPECT_TRUE(SavePicture(&dialog, QStringLiteral("release_output_settings.png")));
}
