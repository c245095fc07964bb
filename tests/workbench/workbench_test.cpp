// The planner's road through the workbench on the demo factory, offscreen: a new scheme with
// its periods, saved; main demand fetched and edited in the main-demand tab; MRP run with
// the run log filled step by step. And what must not happen: a cancelled run that changes
// anything, a refresh that drops a view's edits, a result tab that says "内部测试" or stays
// empty without saying why.
#include "workbenchfixture.h"

#include "db/escape.h"
#include "db/shared.h"
#include "engine/schemelock.h"
#include "masterdata/setplanperiodsdlg.h"
#include "views/checkoptionsdlg.h"
#include "views/pickedit.h"
#include "views/pickpopupdlg.h"
#include "views/doresultframe.h"
#include "views/exportservice.h"
#include "views/gridgroupmodel.h"
#include "views/gridmodel.h"
#include "views/mrpfilters.h"
#include "workbench/mainframe.h"
#include "workbench/mainsourcedlg.h"
#include "workbench/mrpframe.h"
#include "workbench/schemepage.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QItemSelectionModel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

int RecordWhere(const TMRPMainFrame& view, const char* field, const QVariant& value)
{
    for (int r = 0; r < view.Records().RecordCount(); ++r)
        if (view.Records().Value(r, QLatin1String(field)) == value)
            return r;
    return -1;
}

// Types a text into a cell as the grid's editor would post it.
bool Type(TMRPMainFrame& view, int record, const QString& field, const QVariant& text)
{
    const QModelIndex cell = view.RecordModel()->index(record, view.RecordModel()->ColumnOf(field));
    return view.RecordModel()->setData(cell, text, Qt::EditRole);
}

QStringList LogTexts(const TDoResultFrame& log)
{
    QStringList texts;
    QList<TTreeNode*> pending{log.Nodes()->Root()};
    while (!pending.isEmpty()) {
        TTreeNode* node = pending.takeFirst();
        for (int i = 0; i < node->ChildCount(); ++i) {
            texts << node->Child(i)->Value(QStringLiteral("Text")).toString().section(QStringLiteral("  "), 1);
            pending << node->Child(i);
        }
    }
    return texts;
}

} // namespace

class Workbench : public TWorkbenchTest {
public:
    static void SetUpTestSuite() { TWorkbenchTest::SetUpTestSuite(); }
};

TEST_F(Workbench, PlannerCreatesFetchesEditsAndRunsAScheme)
{
    auto frame = OpenWorkbench();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->Pages->count(), 6);
    EXPECT_EQ(frame->Pages->tabText(0), QStringLiteral(" 计划方案(&0) "));
    EXPECT_EQ(frame->Pages->tabText(5), QStringLiteral(" 替代挪用(&5) "));

    // A new scheme takes the default parameters; its periods come from the period dialog.
    frame->actNew->trigger();
    ASSERT_TRUE(frame->SchemeEditing());
    EXPECT_EQ(frame->famScheme->cboMainSource->currentText(), QStringLiteral("产品预测+销售订单"));
    EXPECT_EQ(frame->famScheme->cboNeedScope->currentText(), QStringLiteral("(全局物料需求)"));
    EXPECT_EQ(frame->famScheme->cboCareItemSafety->currentText(), QStringLiteral("有需求的考虑"));
    EXPECT_EQ(frame->famScheme->cboCareItemReplace->currentText(), QStringLiteral("即时库存+供应订单+供应申请"));
    EXPECT_EQ(frame->famScheme->cboCareItemSuites->currentText(), QStringLiteral("即时库存"));
    frame->famScheme->cboSchemeName->setEditText(QStringLiteral("十二月主计划"));
    OnNextDialog<TSetPlanPeriodsDlg>([](TSetPlanPeriodsDlg* dlg) {
        dlg->SetPlanPeriods(WeeklyPeriods(QDate(2026, 12, 7), 8));
        dlg->accept();
    });
    frame->famScheme->btnSetPeriods->click();
    ASSERT_EQ(frame->famScheme->trlPlanPeriods->topLevelItemCount(), 8);
    {
        TScriptedMessages messages;
        ASSERT_TRUE(frame->SaveScheme()) << messages.Texts().join(QLatin1Char('\n')).toStdString();
    }
    const int iid = frame->PlanScheme()->SchemeIID;
    ASSERT_GT(iid, 0);
    EXPECT_EQ(frame->cboScheme->currentText(), QStringLiteral("十二月主计划"));
    EXPECT_EQ(frame->famScheme->lblPlanState->text(), QStringLiteral("待获取主需求数据"));
    EXPECT_FALSE(frame->actRunMRP->isEnabled());

    // Fetching main demand asks first, then reports.
    {
        TScriptedMessages messages({mrOK});
        frame->actRunMPS->trigger();
        ASSERT_EQ(messages.Count(), 2) << messages.Texts().join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(messages.Texts()[0], QStringLiteral("系统将开始获取主需求数据, 这可能需要较长时间, 确定?"));
        EXPECT_EQ(messages.Texts()[1], QStringLiteral("执行完成。"));
    }
    EXPECT_EQ(frame->PlanScheme()->PlanState, psMPSReady);
    EXPECT_EQ(frame->famScheme->lblPlanState->text(), QStringLiteral("主需求就绪, 可以运算MRP"));

    // The main-demand tab lists the lines with a column per period.
    TMRPMainFrame* view = ShowMainDemand(*frame);
    ASSERT_NE(view, nullptr);
    const int lines = Scalar(QStringLiteral("select count(*) from KX_MRP_Main where ManSchIID=%1").arg(iid)).toInt();
    ASSERT_GT(lines, 3);
    EXPECT_EQ(view->Records().RecordCount(), lines);
    ASSERT_EQ(view->PeriodColumns.size(), 10);
    EXPECT_EQ(view->PeriodColumns.first().Column->Caption, QStringLiteral("前期"));
    EXPECT_EQ(view->PeriodColumns[1].Column->Caption, QStringLiteral("12/07-12/13"));
    EXPECT_EQ(view->lblPlanState->text(), QStringLiteral("(主需求就绪, 可以运算MRP)"));

    // Edit: a sales line's quantity moves partly into another period, its priority changes,
    // a free line is added, another added and deleted before saving.
    ASSERT_TRUE(view->ToggleEditMode());
    const int so = RecordWhere(*view, "ManBillType", btSO);
    ASSERT_GE(so, 0);
    const TMainLine before = view->LineOf(so);
    const int own = PeriodOfDate(view->Periods(), before.Q.Date);
    const int later = own + 1 < view->Periods().size() ? own + 1 : own - 1;
    ASSERT_TRUE(Type(*view, so, QStringLiteral("DumbQty%1").arg(later), QStringLiteral("5")));
    ASSERT_TRUE(Type(*view, so, QStringLiteral("ManPriority"), 7));
    view->AddNeed();
    const int free = view->Records().RecordCount() - 1;
    ASSERT_TRUE(Type(*view, free, QStringLiteral("ManDate"), QDate(2026, 12, 16)));
    ASSERT_TRUE(Type(*view, free, QStringLiteral("ItmNo"), QStringLiteral("1.01.001")));
    EXPECT_EQ(view->Records().Value(free, QStringLiteral("ItmName")).toString(), QStringLiteral("落地扇"));
    // Its BOM cell picks among the fan's BOMs, the default first; a typed number is resolved.
    {
        std::unique_ptr<QWidget> editor(view->Columns.ByField(QStringLiteral("BomNo"))->OnCreateEditor(nullptr));
        auto* picker = qobject_cast<TPickEdit*>(editor.get());
        ASSERT_NE(picker, nullptr);
        EXPECT_EQ(Rows(picker->Properties.BuildSQL(QString())), (QStringList{QStringLiteral("BOM-1.01.001, √, V1.0, √, 落地扇总装"),
                                                                              QStringLiteral("BOM-1.01.001-G, , V1.1, √, 落地扇礼盒装; 成品率95%")}));
    }
    ASSERT_TRUE(Type(*view, free, QStringLiteral("BomNo"), QStringLiteral("bom-1.01.001-g")));
    EXPECT_EQ(view->Records().Value(free, QStringLiteral("BomNo")).toString(), QStringLiteral("BOM-1.01.001-G"));
    ASSERT_TRUE(Type(*view, free, QStringLiteral("DumbQty2"), QStringLiteral("12")));
    view->AddNeed();
    view->FocusRecord(view->Records().RecordCount() - 1);
    {
        TScriptedMessages messages({mrOK});
        view->DelNeed();
        EXPECT_EQ(messages.LastText(), QStringLiteral("您所选的项目将被删除, 确定?"));
    }
    EXPECT_TRUE(view->DeletedLines().isEmpty());       // an unsaved line leaves nothing to delete
    {
        TScriptedMessages messages;
        ASSERT_TRUE(view->SaveData()) << messages.Texts().join(QLatin1Char('\n')).toStdString();
    }
    EXPECT_EQ(Rows(QStringLiteral("select ManPriority, ManQty::float8, ManAdjQty::float8 from KX_MRP_Main where ManSchIID=%1 and ManIID=%2")
                       .arg(iid)
                       .arg(before.IID)),
              QStringList{QStringLiteral("7, %1, 5").arg(before.Q.Qty + 5)});
    EXPECT_EQ(Rows(QStringLiteral("select ManBillEntry, ManPeriod, ManQty::float8, ManHints, ManBomID from KX_MRP_Main m join KX_Base_ItemMaster i "
                                  "on i.ItmID=m.ManItmID where ManSchIID=%1 and ManBillType=12")
                       .arg(iid)),
              QStringList{QStringLiteral("1, 2, 12, , DM-B-FS40G")});
    EXPECT_EQ(frame->PlanScheme()->PlanState, psMPSReady);
    EXPECT_TRUE(frame->PlanScheme()->MpsUpdTime.isValid());

    // The saved free line is deleted again, with the statement this time.
    const int savedFree = RecordWhere(*view, "ManBillType", btFreeNeed);
    ASSERT_GE(savedFree, 0);
    view->FocusRecord(savedFree);
    {
        TScriptedMessages messages({mrOK});
        view->DelNeed();
    }
    EXPECT_EQ(view->DeletedLines().size(), 1);
    {
        TScriptedMessages messages;
        ASSERT_TRUE(view->SaveData());
    }
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_Main where ManSchIID=%1").arg(iid)).toInt(), lines);
    ASSERT_TRUE(view->ToggleEditMode());
    frame->ProcessIdle();
    // The picture shows the quantities and the period columns beside them.
    view->grdMain->scrollTo(view->RowModel()->IndexOfSourceRow(0, view->RecordModel()->ColumnOf(QStringLiteral("DumbQty6"))));
    EXPECT_TRUE(SavePicture(frame.get(), QStringLiteral("workbench_main_demand.png")));

    // The run: its log lists every step as it goes, and the scheme is done.
    {
        TScriptedMessages messages({mrOK});
        frame->actRunMRP->trigger();
        EXPECT_EQ(messages.Texts().value(0), QStringLiteral("系统将开始运算MRP, 这可能需要较长时间, 确定?\r\r提示: 运算过程中按[Esc]键可以取消。"));
        EXPECT_EQ(messages.LastText(), QStringLiteral("执行完成。"));
    }
    EXPECT_EQ(frame->PlanScheme()->PlanState, psMRPDone);
    EXPECT_EQ(frame->famScheme->lblPlanState->text(), QStringLiteral("MRP运算完成"));
    EXPECT_EQ(frame->Pages->currentIndex(), 0);
    ASSERT_TRUE(frame->FRunLogFrame->isVisible());
    const QStringList stored = Rows(QStringLiteral("select replace(LogText, chr(13), ' ') from KX_MRP_RunLog where LogSchIID=%1 order by LogIID").arg(iid));
    ASSERT_GT(stored.size(), 6);
    EXPECT_EQ(LogTexts(*frame->FRunLogFrame).size(), stored.size());
    for (const QString& text : stored)
        EXPECT_TRUE(LogTexts(*frame->FRunLogFrame).contains(text)) << text.toStdString();
    for (const char* step : {"获取物料最新需求及可供应数据...", "分析物料之间的依赖关系, 确定运算顺序...", "生成物料供需平衡表...",
                             "保存物料需求运算结果数据...", "执行完成。"})
        EXPECT_TRUE(stored.contains(QString::fromUtf8(step))) << step;
    EXPECT_TRUE(SavePicture(frame.get(), QStringLiteral("workbench_scheme_after_run.png")));
}

// A result object the planner may not open leaves its tab empty with the reason and what the
// tab would list; the other tabs show their views and nothing says "内部测试".
TEST_F(Workbench, ResultTabTheUserMayNotOpenSaysWhy)
{
    const int iid = PrepareScheme(QStringLiteral("结果页"), true, true);
    // The planner's groups lose their rights on the substitutions for the test.
    Exec(QStringLiteral("update KX_SYS_AccessRights set AcrObjID='Kept.KX_MRP.MRP.Replaces' where AcrObjID='KX_MRP.MRP.Replaces'"));
    struct TRestore {
        ~TRestore()
        {
            Exec(QStringLiteral("update KX_SYS_AccessRights set AcrObjID='KX_MRP.MRP.Replaces' where AcrObjID='Kept.KX_MRP.MRP.Replaces'"));
            LoginAs(QStringLiteral("DM-USR-LIMING"), QStringLiteral("'DM-G-PLAN'"));
        }
    } restore;
    LoginAs(QStringLiteral("DM-USR-LIMING"), QStringLiteral("'DM-G-PLAN'"));
    auto frame = OpenWorkbench();
    ASSERT_TRUE(frame->SelectScheme(iid));
    for (int page = 1; page < frame->Pages->count(); ++page) {
        TScriptedMessages messages;
        frame->Pages->setCurrentIndex(page);
        auto* tab = qobject_cast<TSchemeResultTab*>(frame->Pages->currentWidget());
        ASSERT_NE(tab, nullptr);
        EXPECT_FALSE(messages.Texts().join(QString()).contains(QStringLiteral("内部测试")));
        const bool barred = tab->ObjectID == QLatin1String("KX_MRP.MRP.Replaces");
        EXPECT_EQ(tab->View() == nullptr, barred) << tab->ObjectID.toStdString();
        EXPECT_EQ(tab->lblPlaceholder->isVisible(), barred) << tab->ObjectID.toStdString();
    }
    auto* tab = frame->ResultTab(QStringLiteral("KX_MRP.MRP.Replaces"));
    EXPECT_EQ(tab->lblPlaceholder->text(),
              QStringLiteral("访问信息对象\"KX_MRP.MRP.Replaces\"受到限制!\n\n[替代挪用]页列出运算中以替代料或挪用其他需求的供应满足的明细。"
                             "请系统管理员授予您此信息对象的使用权限, 然后重新打开计划方案。"));
    EXPECT_TRUE(SavePicture(frame.get(), QStringLiteral("workbench_barred_tab.png")));
}

TEST_F(Workbench, CancelledOrRefusedRunLeavesResultsStateAndLogAsTheyWere)
{
    const int iid = PrepareScheme(QStringLiteral("中止运算"), true, true);
    auto frame = OpenWorkbench();
    ASSERT_TRUE(frame->SelectScheme(iid));
    // The main demand changed by hand since the last run.
    Exec(QStringLiteral("update KX_MRP_Schemes set SchState=3 where SchIID=%1").arg(iid));
    frame->RefreshSchemeList(iid);
    const QString before = ResultsDigest(iid);
    const int storedLines = Scalar(QStringLiteral("select count(*) from KX_MRP_RunLog where LogSchIID=%1").arg(iid)).toInt();

    // Another session works on the scheme: the run is refused, naming what it does.
    {
        TConnection other;
        other.ConnectionString = SharedConnection().ConnectionString;
        TSchemeLock held(other, iid, QStringLiteral("中止运算"), QStringLiteral("获取主需求"));
        TScriptedMessages messages({mrOK});
        frame->actRunMRP->trigger();
        EXPECT_TRUE(messages.Texts().join(QLatin1Char('\n')).contains(QStringLiteral("获取主需求"))) << messages.Texts().join(QLatin1Char('\n')).toStdString();
        EXPECT_FALSE(messages.Texts().contains(QStringLiteral("执行完成。")));
    }
    EXPECT_EQ(ResultsDigest(iid), before);

    // Esc in the middle of the levels, each of which waits a moment.
    Exec(QStringLiteral("alter procedure KX_MRP_SetBOMForDemand rename to KX_MRP_SetBOMForDemand_Kept;\r"
                        "create procedure KX_MRP_SetBOMForDemand(Level integer default -1) language plpgsql as $$ begin "
                        "perform pg_sleep(0.5); call KX_MRP_SetBOMForDemand_Kept(Level); end $$"));
    {
        TScriptedMessages messages({mrOK, mrYes});
        TEscapeHold esc(8);
        frame->actRunMRP->trigger();
        EXPECT_TRUE(messages.Texts().contains(QStringLiteral("您已按下[Esc]键, 中止正在执行的操作?")));
        EXPECT_FALSE(messages.Texts().contains(QStringLiteral("执行完成。")));
    }
    Exec(QStringLiteral("drop procedure KX_MRP_SetBOMForDemand;\r"
                        "alter procedure KX_MRP_SetBOMForDemand_Kept rename to KX_MRP_SetBOMForDemand"));
    EXPECT_EQ(ResultsDigest(iid), before);
    EXPECT_EQ(frame->PlanScheme()->PlanState, psMPSChanged);
    // The pane shows the stored log of the previous run again.
    EXPECT_EQ(LogTexts(*frame->FRunLogFrame).size(), storedLines);
}

TEST_F(Workbench, RefreshIsRefusedWhileTheMainDemandIsEdited)
{
    const int iid = PrepareScheme(QStringLiteral("编辑中"));
    auto frame = OpenWorkbench();
    ASSERT_TRUE(frame->SelectScheme(iid));
    TMRPMainFrame* view = ShowMainDemand(*frame);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->ToggleEditMode());
    ASSERT_TRUE(Type(*view, 0, QStringLiteral("ManPriority"), 9));
    TScriptedMessages messages;
    frame->RefreshSchemeList();
    EXPECT_EQ(messages.LastText(), QStringLiteral("视图[主需求]处于编辑状态, 不能刷新计划方案!"));
    EXPECT_TRUE(view->GetEditMode());
    EXPECT_EQ(view->Records().Value(0, QStringLiteral("ManPriority")).toInt(), 9);
}

// A large main demand shows its first lines at once and every line once the rest is read,
// in the same order, the focused line kept; entering edit mode meanwhile drops that read.
TEST_F(Workbench, LargeMainDemandShowsItsFirstLinesThenTheRest)
{
    const int iid = PrepareScheme(QStringLiteral("大主需求"));
    // 1,300 more lines of the first one, a few on each day of the horizon.
    Exec(QStringLiteral("insert into KX_MRP_Main (ManSchIID, ManIID, ManPeriod, ManBillType, ManBillID, ManBillNo, ManBillEntry, ManDate, "
                        "ManPriority, ManItmID, ManItmProps, ManNeedQty, ManAdjQty, ManQty, ManHints) "
                        "select m.ManSchIID, 1000+g, m.ManPeriod, 12, '', 'F-'||g, g, date '2026-12-07' + (g % 56), g % 3, m.ManItmID, "
                        "m.ManItmProps, g, 0, g, '' from KX_MRP_Main as m, generate_series(1, 1300) as g "
                        "where m.ManSchIID=%1 and m.ManIID=1")
             .arg(iid));
    const int lines = Scalar(QStringLiteral("select count(*) from KX_MRP_Main where ManSchIID=%1").arg(iid)).toInt();
    // The planner reads without a row limit.
    struct TNoRowLimit {
        int Kept = Host().Env.MaxRows;
        TNoRowLimit() { Host().Env.MaxRows = 0; }
        ~TNoRowLimit() { Host().Env.MaxRows = Kept; }
    } noLimit;
    auto frame = OpenWorkbench();
    ASSERT_TRUE(frame->SelectScheme(iid));
    TMRPMainFrame* view = ShowMainDemand(*frame);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->RowsPending());
    ASSERT_EQ(view->Records().RecordCount(), 500);
    QStringList first;
    for (int r = 0; r < 500; ++r)
        first << view->Records().Value(r, QStringLiteral("ManIID")).toString();
    view->FocusRecord(120);
    // Exported meanwhile, the file holds every line, not the first screens.
    {
        const QString file = TestOutputPath(QStringLiteral("large_main_demand.csv"));
        QFile::remove(file);
        SetExportFileChooser([file](QWidget*, const QString&) { return file; });
        TScriptedMessages messages;
        EXPECT_TRUE(view->ExecCommand(cmdExport));
        SetExportFileChooser(nullptr);
        EXPECT_EQ(messages.Count(), 0) << messages.LastText().toStdString();
        QFile csv(file);
        ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(csv.readAll()).count(QRegularExpression(QStringLiteral("\\bF-\\d+\\b"))), 1300);
    }
    EXPECT_FALSE(view->RowsPending());
    ASSERT_EQ(view->Records().RecordCount(), lines);
    QStringList all;
    for (int r = 0; r < lines; ++r)
        all << view->Records().Value(r, QStringLiteral("ManIID")).toString();
    EXPECT_EQ(all.mid(0, 500), first);
    EXPECT_EQ(view->FocusedRecord(), 120);
    EXPECT_EQ(Rows(QStringLiteral("select ManIID from KX_MRP_Main as s join KX_Base_ItemMaster as i on i.ItmID=s.ManItmID where ManSchIID=%1 "
                                  "order by s.ManDate, s.ManPriority desc, s.ManBillType, i.ItmNo, s.ManBillNo")
                       .arg(iid)),
              all);

    // Edit mode reads every line itself: the read in flight is dropped, never taken in.
    view->RefreshData(false);
    ASSERT_TRUE(view->RowsPending());
    ASSERT_TRUE(view->ToggleEditMode());
    EXPECT_FALSE(view->RowsPending());
    EXPECT_EQ(view->Records().RecordCount(), lines);
    ASSERT_TRUE(Type(*view, 0, QStringLiteral("ManPriority"), 9));
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QApplication::processEvents();
    EXPECT_EQ(view->Records().Value(0, QStringLiteral("ManPriority")).toInt(), 9);
}

TEST_F(Workbench, SchemeChangedByAnotherSessionIsNotOverwritten)
{
    const int iid = PrepareScheme(QStringLiteral("并发"));
    auto frame = OpenWorkbench();
    ASSERT_TRUE(frame->SelectScheme(iid));
    TMRPMainFrame* view = ShowMainDemand(*frame);
    ASSERT_TRUE(view->ToggleEditMode());
    ASSERT_TRUE(Type(*view, 0, QStringLiteral("ManPriority"), 9));
    // Another planner runs MRP on it meanwhile.
    Exec(QStringLiteral("update KX_MRP_Schemes set SchState=6 where SchIID=%1").arg(iid));
    const QString before = ResultsDigest(iid);
    TScriptedMessages messages;
    EXPECT_FALSE(view->SaveData());
    EXPECT_TRUE(messages.Texts().contains(QStringLiteral("计划方案[并发]最新状态已被改变, 不能执行本操作!")));
    EXPECT_EQ(ResultsDigest(iid), before);
}

TEST_F(Workbench, ReadModeListsPublishedSchemesOnly)
{
    const int own = PrepareScheme(QStringLiteral("自己的"), false);
    const int published = PrepareScheme(QStringLiteral("已发布的"), false);
    Exec(QStringLiteral("update KX_MRP_Schemes set SchState=8 where SchIID=%1").arg(published));
    auto frame = OpenWorkbench(QStringLiteral("KX_MRP.MRPQuery"));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->ListedSchemes(), QList<int>{published});
    EXPECT_EQ(frame->cboScheme->currentText(), QStringLiteral("已发布的 (已发布)"));
    EXPECT_FALSE(frame->actNew->isVisible());
    EXPECT_FALSE(frame->actRunMRP->isVisible());
    auto maintain = OpenWorkbench();
    // The planner's own list: unpublished first.
    EXPECT_EQ(maintain->ListedSchemes(), (QList<int>{own, published}));
}


// The condition tree: every object the run reads with its condition; the supply objects whose
// lines record the demand they serve have a box per kind of that demand. Boxes and the filter
// dialog change the scheme's conditions only while it is edited, and the saved scheme keeps them.
TEST_F(Workbench, ConditionTreeKeepsEachObjectsConditionAndTheKindsItLeavesOut)
{
    const int iid = PrepareScheme(QStringLiteral("参与范围"), false);
    auto frame = OpenWorkbench();
    ASSERT_TRUE(frame->SelectScheme(iid));
    TMRPFilterTree* tree = frame->famScheme->famFilters;
    QTreeWidget* list = tree->trlMRPFilters;
    ASSERT_EQ(list->topLevelItemCount(), 12);
    QStringList shown;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        shown << QStringLiteral("%1 %2 %3").arg(list->topLevelItem(i)->text(0), list->topLevelItem(i)->text(1)).arg(list->topLevelItem(i)->childCount());
    EXPECT_EQ(shown, (QStringList{QStringLiteral("产品预测 (默认条件) 0"), QStringLiteral("销售订单 (默认条件) 0"), QStringLiteral("出口订单 (默认条件) 0"),
                                  QStringLiteral("生产申请 (默认条件) 5"), QStringLiteral("生产订单 (默认条件) 5"), QStringLiteral("生产补料 (默认条件) 0"),
                                  QStringLiteral("委外申请 (默认条件) 5"), QStringLiteral("委外订单 (默认条件) 5"), QStringLiteral("采购申请 (默认条件) 5"),
                                  QStringLiteral("采购订单 (默认条件) 5"), QStringLiteral("采购待检 (默认条件) 5"), QStringLiteral("参与仓库 (默认条件) 0")}));
    QTreeWidgetItem* mo = tree->ObjectItem(QStringLiteral("KX_MRP.MO"));
    QStringList kinds;
    for (int i = 0; i < mo->childCount(); ++i)
        kinds << mo->child(i)->text(0);
    EXPECT_EQ(kinds, (QStringList{QStringLiteral("销售订单"), QStringLiteral("出口订单"), QStringLiteral("产品预测"), QStringLiteral("自由需求"),
                                  QStringLiteral("(无主需求)")}));
    // Not being edited, nothing can be ticked or opened.
    EXPECT_FALSE(mo->child(0)->flags() & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(tree->btnSetFilter->isEnabled());

    frame->actUpdate->trigger();
    ASSERT_TRUE(frame->SchemeEditing());
    // Clearing a kind's box leaves its lines out; the object's box shows part of it ticked.
    mo = tree->ObjectItem(QStringLiteral("KX_MRP.MO"));
    ASSERT_TRUE(mo->child(0)->flags() & Qt::ItemIsUserCheckable);
    mo->child(0)->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(mo->checkState(0), Qt::PartiallyChecked);
    EXPECT_EQ(FilterOf(tree->Filters(), QStringLiteral("KX_MRP.MO")), QStringLiteral("coalesce($$OrigType$$,0) not in (2)"));
    // The object's box clears them all: the object takes no part.
    QTreeWidgetItem* po = tree->ObjectItem(QStringLiteral("KX_MRP.PO"));
    po->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(FilterOf(tree->Filters(), QStringLiteral("Kinds.KX_MRP.PO")), QStringLiteral("0,2,4,8,12"));
    EXPECT_EQ(po->text(1), QStringLiteral("(不参与运算)"));
    // A double click on a kind opens its object's filter dialog; the condition joins the kinds.
    FilterCode = QStringLiteral("<code>");
    FilterText = QStringLiteral("s.MOQty>10");
    list->setCurrentItem(mo->child(3));
    Q_EMIT list->itemDoubleClicked(mo->child(3), 0);
    EXPECT_EQ(FilterObjects, QStringList{QStringLiteral("KX_MRP.MO|")});
    mo = tree->ObjectItem(QStringLiteral("KX_MRP.MO"));
    EXPECT_EQ(mo->text(1), QStringLiteral("s.MOQty>10"));
    {
        TScriptedMessages messages;
        ASSERT_TRUE(frame->SaveScheme()) << messages.Texts().join(QLatin1Char('\n')).toStdString();
    }
    const QString saved = Scalar(QStringLiteral("select SchFilters from KX_MRP_Schemes where SchIID=%1").arg(iid)).toString();
    EXPECT_EQ(FilterOf(saved, QStringLiteral("KX_MRP.MO")), QStringLiteral("(s.MOQty>10) and (coalesce($$OrigType$$,0) not in (2))"));
    EXPECT_EQ(FilterOf(saved, QStringLiteral("Code.KX_MRP.MO")), QStringLiteral("<code>"));
    // Shown again from the saved scheme, the dialog reopens on the user's own code.
    frame->actRefresh->trigger();
    mo = tree->ObjectItem(QStringLiteral("KX_MRP.MO"));
    EXPECT_TRUE(mo->isExpanded());
    EXPECT_EQ(mo->child(0)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(mo->child(1)->checkState(0), Qt::Checked);
    frame->famScheme->setFocus();
    EXPECT_TRUE(SavePicture(frame.get(), QStringLiteral("workbench_conditions.png")));
    frame->actUpdate->trigger();
    FilterObjects.clear();
    FilterCode.clear();
    FilterText.clear();
    list->setCurrentItem(tree->ObjectItem(QStringLiteral("KX_MRP.MO")));
    EXPECT_FALSE(tree->EditFilter());                  // cancelled: nothing changes
    EXPECT_EQ(FilterObjects, QStringList{QStringLiteral("KX_MRP.MO|<code>")});
    EXPECT_EQ(FilterOf(tree->Filters(), QStringLiteral("KX_MRP.MO")), QStringLiteral("(s.MOQty>10) and (coalesce($$OrigType$$,0) not in (2))"));
}

TEST_F(Workbench, BadInputIsRefusedWithItsMessageAndNothingWritten)
{
    const int iid = PrepareScheme(QStringLiteral("已有方案"));
    auto frame = OpenWorkbench();
    const int schemes = Scalar(QStringLiteral("select count(*) from KX_MRP_Schemes")).toInt();
    frame->actNew->trigger();
    frame->famScheme->cboSchemeName->setEditText(QStringLiteral("已有方案"));
    {
        TScriptedMessages messages;
        EXPECT_FALSE(frame->SaveScheme());
        EXPECT_EQ(messages.LastText(), QStringLiteral("[方案名称]的值(已有方案)已经存在!"));
    }
    frame->famScheme->cboSchemeName->setEditText(QStringLiteral("新方案"));
    {
        // Without periods the period dialog opens after the warning; cancelled, nothing is saved.
        TScriptedMessages messages;
        bool dialogShown = false;
        WhenDialogShows<TSetPlanPeriodsDlg>([&](TSetPlanPeriodsDlg* dlg) {
            dialogShown = true;
            dlg->reject();
        });
        EXPECT_FALSE(frame->SaveScheme());
        EXPECT_EQ(messages.LastText(), QStringLiteral("展望期间不能为空, 请设置!"));
        EXPECT_TRUE(dialogShown);
    }
    EXPECT_TRUE(frame->SchemeEditing());
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_Schemes")).toInt(), schemes);
    frame->actCancel->trigger();
    EXPECT_EQ(frame->PlanScheme()->SchemeIID, iid);

    // In the main demand: a free line dated outside the horizon, then with an unknown item; a
    // negative period quantity is not taken.
    TMRPMainFrame* view = ShowMainDemand(*frame);
    ASSERT_TRUE(view->ToggleEditMode());
    const QString before = ResultsDigest(iid);
    const double qty0 = view->Records().Value(0, QStringLiteral("ManQty")).toDouble();
    EXPECT_FALSE(Type(*view, 0, QStringLiteral("DumbQty3"), QStringLiteral("-4")));
    EXPECT_DOUBLE_EQ(view->Records().Value(0, QStringLiteral("ManQty")).toDouble(), qty0);
    view->AddNeed();
    const int free = view->Records().RecordCount() - 1;
    ASSERT_TRUE(Type(*view, free, QStringLiteral("ManDate"), QDate(2027, 3, 1)));
    ASSERT_TRUE(Type(*view, free, QStringLiteral("ItmNo"), QStringLiteral("1.01.001")));
    ASSERT_TRUE(Type(*view, free, QStringLiteral("DumbQty9"), QStringLiteral("3")));
    {
        TScriptedMessages messages;
        EXPECT_FALSE(view->SaveData());
        EXPECT_EQ(messages.LastText(), QStringLiteral("[需求日期]的值(2027/03/01)没有介于2026/12/07与2027/01/31之间!"));
        EXPECT_EQ(view->grdMain->currentIndex().data(vrFieldName).toString(), QStringLiteral("ManDate"));
    }
    ASSERT_TRUE(Type(*view, free, QStringLiteral("ManDate"), QDate(2027, 1, 20)));
    ASSERT_TRUE(Type(*view, free, QStringLiteral("ItmNo"), QStringLiteral("X-404")));
    {
        TScriptedMessages messages;
        EXPECT_FALSE(view->SaveData());
        EXPECT_EQ(messages.LastText(), QStringLiteral("[物料代码]的值(X-404)不存在!"));
    }
    EXPECT_TRUE(view->GetEditMode());
    EXPECT_EQ(ResultsDigest(iid), before);
    {
        TScriptedMessages messages({mrNo});
        ASSERT_TRUE(view->ToggleEditMode());
        EXPECT_EQ(messages.LastText(), QStringLiteral("您将退出[主需求]的当前编辑状态, 对未保存过的内容进行保存?"));
    }

    // Deleting a closed scheme with released lines warns of them; declined, nothing goes.
    Exec(QStringLiteral("update KX_MRP_Schemes set SchState=10 where SchIID=%1;\r"
                        "insert into KX_MRP_Supplies (SupSchIID, SupIID, SupPeriod, SupItmID, SupQty, SupRestQty, SupDestQty) "
                        "values (%1, 1, 1, 'DM-I-FS40', 5, 0, 5)")
             .arg(iid));
    frame->RefreshSchemeList(iid);
    frame->Pages->setCurrentIndex(0);
    {
        TScriptedMessages messages({mrCancel});
        frame->actDelete->trigger();
        EXPECT_EQ(messages.LastText(), QStringLiteral("计划方案[已有方案]有1条MRP供应计划已被投放, 删除后意味着不能进行追溯查询, 确定?"));
    }
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_Schemes where SchIID=%1").arg(iid)).toInt(), 1);
    EXPECT_FALSE(frame->actUpdate->isEnabled());     // closed: read only for planning
    EXPECT_FALSE(frame->actRunMRP->isEnabled());
}

TEST_F(Workbench, ImportedSchemeTakesAnotherSchemesMainDemandAFileOrPickedOrders)
{
    const int source = PrepareScheme(QStringLiteral("来源方案"));
    const int target = PrepareScheme(QStringLiteral("导入方案"), false);
    Exec(QStringLiteral("update KX_MRP_Schemes set SchMpsSource=3, SchState=2 where SchIID=%1").arg(target));
    auto frame = OpenWorkbench();
    ASSERT_TRUE(frame->SelectScheme(target));
    auto lines = [&] { return Scalar(QStringLiteral("select count(*) from KX_MRP_Main where ManSchIID=%1").arg(target)).toInt(); };

    // Another scheme's main demand, replacing everything.
    WhenDialogShows<TMRPMainSourceDlg>([&](TMRPMainSourceDlg* dlg) {
        dlg->rbtMrp->setChecked(true);
        dlg->cboScheme->setCurrentIndex(dlg->cboScheme->findData(source));
        dlg->cboWriteType->setCurrentIndex(dlg->cboWriteType->findData(int(wtOverwriteAll)));
        dlg->accept();
    });
    {
        TScriptedMessages messages;
        frame->actRunMPS->trigger();
        EXPECT_EQ(messages.LastText(), QStringLiteral("执行完成。"));
    }
    const int copied = Scalar(QStringLiteral("select count(*) from KX_MRP_Main where ManSchIID=%1").arg(source)).toInt();
    EXPECT_EQ(lines(), copied);

    // A file of free demand: the good row is added, the bad one listed.
    const QString file = TestOutputPath(QStringLiteral("free_demand_import.csv"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("ItmNo,ManDate,ManQty\n1.01.001,2026-12-16,7\n9.99.999,2026-12-16,1\n");
    }
    frame->FileChooser = [file](QWidget*, const QString&) { return file; };
    QStringList listed;
    WhenDialogShows<TMRPMainSourceDlg>([&](TMRPMainSourceDlg* dlg) {
        EXPECT_TRUE(dlg->rbtMrp->isChecked());           // the last choice comes back
        dlg->rbtImport->setChecked(true);
        dlg->cboImport->setCurrentIndex(dlg->cboImport->findData(int(itImportFreeNeed)));
        dlg->cboWriteType->setCurrentIndex(dlg->cboWriteType->findData(int(wtInsertOrUpdate)));
        dlg->accept();
    });
    WhenDialogShows<TDialog>(
        [&](TDialog* dlg) {
            for (auto* results : dlg->findChildren<TDoResultFrame*>())
                for (int i = 0; i < results->ResultNodeCount(); ++i)
                    listed << results->Nodes()->Root()->Child(i)->Value(QStringLiteral("Text")).toString();
            dlg->accept();
        },
        QStringLiteral("dlgImportIssues"));
    {
        TScriptedMessages messages;
        frame->actRunMPS->trigger();
    }
    EXPECT_EQ(lines(), copied + 1);
    EXPECT_EQ(listed, QStringList{QStringLiteral("[物料代码]的值(9.99.999)不存在!")});

    // Two sales order lines picked in the picker.
    WhenDialogShows<TMRPMainSourceDlg>([&](TMRPMainSourceDlg* dlg) {
        dlg->rbtBills->setChecked(true);
        dlg->cboBills->setCurrentIndex(dlg->cboBills->findData(int(itSelectSO)));
        dlg->cboWriteType->setCurrentIndex(dlg->cboWriteType->findData(int(wtOverwriteAll)));
        dlg->accept();
    });
    WhenDialogShows<TPickPopupDlg>([&](TPickPopupDlg* dlg) {
        ASSERT_GT(dlg->Rows().RecordCount(), 2);
        dlg->grdPickData->selectionModel()->select(QItemSelection(dlg->grdPickData->model()->index(0, 0), dlg->grdPickData->model()->index(1, 0)),
                                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
        dlg->accept();
    });
    {
        TScriptedMessages messages;
        frame->actRunMPS->trigger();
        EXPECT_EQ(messages.LastText(), QStringLiteral("执行完成。"));
    }
    EXPECT_EQ(Rows(QStringLiteral("select ManBillType, ManPriority, (ManQty=ManNeedQty) from KX_MRP_Main where ManSchIID=%1").arg(target)),
              (QStringList{QStringLiteral("2, 1, t"), QStringLiteral("2, 1, t")}));
    EXPECT_EQ(frame->PlanScheme()->PlanState, psMPSReady);
}
