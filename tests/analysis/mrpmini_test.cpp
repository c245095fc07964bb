// The kit and shortage analyses on the demo factory (today 2026-12-07, kit basis: stock now):
// the private schemes of the frames, the checks of the settings dialogs, two hand-derived
// runs, and the result pages: the workbench's views on the frame's scheme, where supplies are
// adjusted and kept by the re-run the planner chooses.
//
// Kit analysis of SO2611-002/2 (DS30 blue, 150) and SO2612-004/2 (40cm blades, 50), BOMs one
// level deep: 8 blue fans are in stock; the other 142 need a DS30 head, and no head is in stock
// nor on order, so the planned fans are kit-complete for none: 8 supplied, 142 short. 120
// blades are in stock: all 50 supplied.
//
// Shortage analysis of MO2611-001/2 (150 fan heads, 90 of each part issued): its open material
// lines need 60 of each part and 252 screws; in stock are 25 motors, 60 front shells, 55 back
// shells, 40 gear boxes and the screws, so 35 motors, 5 back shells and 20 gear boxes are
// missing. Every other open supply counts: MO2612-001/1 makes 300 motors, PO2612-004/4 brings
// 500 back shells, PR2612-001/2 asks for 200 gear boxes, so nothing new is planned. Counted on
// stock only, the order can be completed for 130 heads: the gear boxes hold it back (150 - 20);
// the motors count as complete as the motor order is (its own material is not in the run).
// From the heads' BOM as it is now (1 of each part and 4 screws per head) the 150 open heads
// need 150 of each part: beyond stock 125 motors, 90 front shells, 95 back shells and 110 gear
// boxes, and the kit basis leaves 40 heads (the gear boxes in stock).
#include "../masterdata/masterdatafixture.h"

#include "analysis/mrpminiframe.h"
#include "analysis/mrpminisetdlg.h"
#include "views/mrpfilters.h"
#include "db/messages.h"
#include "db/shared.h"
#include "host/dispatch.h"
#include "release/outputframe.h"
#include "release/outputpanel.h"
#include "views/checkoptionsdlg.h"
#include "views/gridview.h"
#include "views/hostobject.h"
#include "views/recordset.h"
#include "views/treeview.h"
#include "workbench/suppliesframe.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QTableWidget>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

QList<TMiniLine> Lines(int billType, const QString& where)
{
    QList<TMiniLine> lines;
    TQuery q(&SharedConnection());
    EXPECT_TRUE(ReadMiniLines(q, billType, where, lines));
    return lines;
}

// The options of the hand-derived kit cases: BOMs one level deep, no loss.
TMiniOptions OneLevelNoLoss()
{
    TMiniOptions options;
    options.CareLoss = false;
    options.OneLevel = true;
    return options;
}

// The host's filter dialog, answered: the stock of one warehouse only.
bool PickWarehouse(const TInfoObjectDef* def, QString& code, bool, QString& text, void*)
{
    if (def->ID != QLatin1String("KX_MRP.Inventory"))
        return false;
    code = QStringLiteral("InvStkID=DM-K-TRAN");
    text = QStringLiteral("s.InvStkID='DM-K-TRAN'");
    return true;
}

// The shown rows of a grid or tree view, cells joined by '|', for the columns named.
QStringList Shown(IInfoView* view, const QStringList& captions)
{
    QAbstractItemModel* model = nullptr;
    if (auto* grid = dynamic_cast<TInfoGridView*>(view))
        model = grid->grdMain->model();
    else if (auto* tree = dynamic_cast<TInfoTreeView*>(view))
        model = tree->trlMain->model();
    QStringList rows;
    if (!model)
        return rows;
    QList<int> columns;
    for (const QString& caption : captions)
        for (int c = 0; c < model->columnCount(); ++c)
            if (model->headerData(c, Qt::Horizontal).toString() == caption)
                columns << c;
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c : columns)
            cells << model->index(r, c).data().toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

} // namespace

class MiniAnalysis : public TMasterDataTest {
protected:
    void SetUp() override
    {
        TMasterDataTest::SetUp();
        FMessages.clear();
        FAnswer = mrYes;
        FOld = SetMessageResponder([this](const TMessageRequest& r) {
            FMessages << r.Text;
            return r.Icon == miQuestion ? FAnswer : DefaultAnswer(r.Buttons);
        });
    }
    void TearDown() override { SetMessageResponder(FOld); }

    std::unique_ptr<TMRPminiFrame> Frame(TMiniKind kind)
    {
        auto frame = std::make_unique<TMRPminiFrame>(Def(kind == mkKit ? QStringLiteral("KX_MRP.MRPmini") : QStringLiteral("KX_MRP.LackAnalyze")),
                                                     kind, CreateInfoViewFor);
        frame->resize(1280, 720);
        frame->show();
        return frame;
    }

    // Shows the page of a result object and gives its view.
    static IInfoView* ShowPage(TMRPminiFrame& frame, const char* objectID)
    {
        TSchemeResultTab* tab = frame.ResultTab(QLatin1String(objectID));
        EXPECT_NE(tab, nullptr) << objectID;
        if (!tab)
            return nullptr;
        frame.pgcResults->setCurrentWidget(tab);
        QApplication::processEvents();
        return tab->View();
    }

    QStringList FMessages;
    int FAnswer = mrYes;
    TMessageResponder FOld;
};

TEST_F(MiniAnalysis, KitAnalysisReportsSuppliedAndShortQuantities)
{
    auto frame = Frame(mkKit);
    const QList<TMiniLine> lines = Lines(btSO, QStringLiteral("(s.SOID='DM-SO-02' and s.SOEntry=2 or s.SOID='DM-SO-06' and s.SOEntry=2)"));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].ItemNo, QStringLiteral("1.01.002"));
    EXPECT_EQ(lines[0].CustName, QStringLiteral("广州粤美电器商行"));
    ASSERT_TRUE(frame->RunWith(lines, OneLevelNoLoss()));
    EXPECT_EQ(frame->Scheme().PlanState, int(psMRPDone));
    EXPECT_EQ(frame->Scheme().PlanNeedScope, 5);
    EXPECT_EQ(Rows(QStringLiteral("select DmdBillNo, DmdBillEntry, trim_scale(DmdNeedQty), trim_scale(coalesce(DmdASetQty, 0)),"
                                  " trim_scale(DmdNeedQty-coalesce(DmdASetQty, 0)) from KX_MRP_Demands where DmdSchIID=%1 and DmdBillType=2"
                                  " order by DmdBillNo")
                       .arg(frame->Scheme().SchemeIID)),
              (QStringList{QStringLiteral("SO2611-002, 2, 150, 8, 142"), QStringLiteral("SO2612-004, 2, 50, 50, 0")}));
    EXPECT_EQ(Rows(QStringLiteral("select count(*) from KX_MRP_Main where ManSchIID=%1").arg(frame->Scheme().SchemeIID)),
              QStringList{QStringLiteral("2")});
    EXPECT_TRUE(FMessages.isEmpty()) << FMessages.join(QLatin1Char('\n')).toStdString();
    // The frame shows the answer line by line: need, kit-complete, short.
    ASSERT_EQ(frame->grdSummary->rowCount(), 2);
    EXPECT_EQ(frame->grdSummary->item(0, 1)->text() + QLatin1Char(' ') + frame->grdSummary->item(0, 7)->text() + QLatin1Char(' ')
                  + frame->grdSummary->item(0, 8)->text() + QLatin1Char(' ') + frame->grdSummary->item(0, 9)->text(),
              QStringLiteral("SO2611-002 150 8 142"));
    frame->pgcResults->setCurrentIndex(1);
    EXPECT_TRUE(SavePicture(frame.get(), QStringLiteral("mrpmini_kit.png")));
}

TEST_F(MiniAnalysis, ShortageAnalysisWeighsTheChosenOrdersMaterialAgainstEveryOpenSupply)
{
    auto frame = Frame(mkLack);
    const QList<TMiniLine> lines = Lines(btMO, QStringLiteral("s.MOID='DM-MO-01' and s.MOEntry=2"));
    ASSERT_EQ(lines.size(), 1);
    TMiniOptions options;
    options.CareLoss = false;
    options.LackBills = lbChosen;
    ASSERT_TRUE(frame->RunWith(lines, options));
    const int iid = frame->Scheme().SchemeIID;
    EXPECT_EQ(Rows(QStringLiteral("select i.ItmNo, trim_scale(d.DmdNeedQty), trim_scale(coalesce(d.DmdInvQty, 0)),"
                                  " trim_scale(d.DmdNeedQty-coalesce(d.DmdInvQty, 0)) from KX_MRP_Demands as d"
                                  " join KX_Base_ItemMaster as i on i.ItmID=d.DmdItmID where d.DmdSchIID=%1 and d.DmdBillType=84"
                                  " and d.DmdNeedQty>coalesce(d.DmdInvQty, 0) order by i.ItmNo")
                       .arg(iid)),
              (QStringList{QStringLiteral("3.01.001, 60, 25, 35"), QStringLiteral("4.06.002, 60, 55, 5"),
                           QStringLiteral("4.07.005, 60, 40, 20")}));
    // What stock leaves open the other orders cover; the other orders' material stays out.
    EXPECT_EQ(Rows(QStringLiteral("select i.ItmNo, s.SupBillNo||'/'||s.SupBillEntry, trim_scale(a.AltQty) from KX_MRP_Allots as a"
                                  " join KX_MRP_Demands as d on d.DmdSchIID=a.AltSchIID and d.DmdIID=a.AltDmdIID"
                                  " join KX_MRP_Supplies as s on s.SupSchIID=a.AltSchIID and s.SupIID=a.AltSupIID"
                                  " join KX_Base_ItemMaster as i on i.ItmID=d.DmdItmID"
                                  " where a.AltSchIID=%1 and s.SupBillType<>%2 order by i.ItmNo")
                       .arg(iid)
                       .arg(btStock)),
              (QStringList{QStringLiteral("3.01.001, MO2612-001/1, 35"), QStringLiteral("4.06.002, PO2612-004/4, 5"),
                           QStringLiteral("4.07.005, PR2612-001/2, 20")}));
    EXPECT_EQ(Rows(QStringLiteral("select count(*) from KX_MRP_Supplies where SupSchIID=%1 and SupBillType>=42").arg(iid)),
              QStringList{QStringLiteral("0")});
    EXPECT_EQ(Rows(QStringLiteral("select distinct DmdBillID from KX_MRP_Demands where DmdSchIID=%1 and DmdBillType in (82, 84)").arg(iid)),
              QStringList{QStringLiteral("DM-MO-01")});
    // The order stays among the supplies with what its material allows.
    EXPECT_EQ(Rows(QStringLiteral("select SupBillNo, SupBillEntry, trim_scale(SupQty), trim_scale(SupDSetQty), trim_scale(SupDSetRate)"
                                  " from KX_MRP_Supplies where SupSchIID=%1 and SupPDmdIID=-1")
                       .arg(iid)),
              QStringList{QStringLiteral("MO2611-001, 2, 150, 130, 86.67")});
    ASSERT_EQ(frame->grdSummary->rowCount(), 3);
    EXPECT_EQ(frame->grdSummary->item(0, 0)->text() + QLatin1Char(' ') + frame->grdSummary->item(0, 1)->text() + QLatin1Char(' ')
                  + frame->grdSummary->item(0, 7)->text() + QLatin1Char(' ') + frame->grdSummary->item(0, 8)->text(),
              QStringLiteral("MO2611-001/2 3.01.001 35 130"));
    EXPECT_TRUE(SavePicture(frame.get(), QStringLiteral("mrpmini_lack.png")));

    // The same order planned from its BOM as it is now.
    options.CurrentBom = true;
    ASSERT_TRUE(frame->RunWith(lines, options));
    EXPECT_EQ(Rows(QStringLiteral("select i.ItmNo, trim_scale(d.DmdNeedQty), trim_scale(d.DmdNeedQty-coalesce(d.DmdInvQty, 0))"
                                  " from KX_MRP_Demands as d join KX_Base_ItemMaster as i on i.ItmID=d.DmdItmID"
                                  " where d.DmdSchIID=%1 and d.DmdBillType=%2 order by i.ItmNo")
                       .arg(iid)
                       .arg(btPlanMOComp)),
              (QStringList{QStringLiteral("3.01.001, 150, 125"), QStringLiteral("4.04.001, 600, 0"), QStringLiteral("4.06.001, 150, 90"),
                           QStringLiteral("4.06.002, 150, 95"), QStringLiteral("4.07.005, 150, 110")}));
    EXPECT_EQ(Rows(QStringLiteral("select count(*) from KX_MRP_Demands where DmdSchIID=%1 and DmdBillType=84").arg(iid)),
              QStringList{QStringLiteral("0")});
    EXPECT_EQ(Rows(QStringLiteral("select SupBillNo, trim_scale(SupDSetQty) from KX_MRP_Supplies where SupSchIID=%1 and SupPDmdIID=-1")
                       .arg(iid)),
              QStringList{QStringLiteral("MO2611-001, 40")});
}

// The 8 blue fans of SO2611-002/2 lie in the main warehouse: with only the transit warehouse
// taking part, none of the 150 is supplied.
TEST_F(MiniAnalysis, KitAnalysisReadsOnlyWhatTheUsersConditionsLetIn)
{
    TViewScheme params;
    params.ID = QStringLiteral("KX_MRP.MRPmini");
    const QList<TMiniLine> lines = Lines(btSO, QStringLiteral("s.SOID='DM-SO-02' and s.SOEntry=2"));
    ASSERT_EQ(lines.size(), 1);
    Host().Env.SelectFilter = PickWarehouse;
    TMiniOptions options;
    {
        TMRPminiSetDlg dlg(Def(QStringLiteral("KX_MRP.MRPmini")), &params, lines, QDate(2026, 12, 7));
        dlg.Prepare();
        dlg.LoadScheme();
        dlg.pgcPages->setCurrentIndex(1);
        QTreeWidget* tree = dlg.trlFilters->trlMRPFilters;
        QStringList shown;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            shown << tree->topLevelItem(i)->text(0);
        EXPECT_EQ(shown.size(), 9);
        EXPECT_EQ(shown.value(8), QStringLiteral("参与仓库"));
        EXPECT_EQ(tree->topLevelItem(8)->text(1), QStringLiteral("(默认条件)"));
        tree->setCurrentItem(tree->topLevelItem(8));
        dlg.trlFilters->btnSetFilter->click();
        EXPECT_EQ(tree->topLevelItem(8)->text(1), QStringLiteral("s.InvStkID='DM-K-TRAN'"));
        dlg.chkOneLevel->setChecked(true);
        dlg.chkCareLoss->setChecked(false);
        dlg.resize(980, 560);
        EXPECT_TRUE(SavePicture(&dlg, QStringLiteral("mrpmini_options.png")));
        options = dlg.Options();
    }
    Host().Env.SelectFilter = nullptr;
    EXPECT_EQ(FilterOf(options.Filters, QStringLiteral("KX_MRP.Inventory")), QStringLiteral("s.InvStkID='DM-K-TRAN'"));
    auto frame = Frame(mkKit);
    ASSERT_TRUE(frame->RunWith(lines, options));
    EXPECT_EQ(frame->Scheme().DataFilter(QStringLiteral("KX_MRP.Inventory")), QStringLiteral("s.InvStkID='DM-K-TRAN'"));
    EXPECT_EQ(Rows(QStringLiteral("select DmdBillNo, trim_scale(DmdNeedQty), trim_scale(coalesce(DmdInvQty, 0)), trim_scale(coalesce(DmdASetQty, 0))"
                                  " from KX_MRP_Demands where DmdSchIID=%1 and DmdBillType=2")
                       .arg(frame->Scheme().SchemeIID)),
              QStringList{QStringLiteral("SO2611-002, 150, 0, 0")});
    // The conditions are kept with the options for the next analysis.
    EXPECT_EQ(ReadMiniOptions(frame->Params().Params).Filters, options.Filters);
}

TEST_F(MiniAnalysis, FramesKeepSeparateSchemesAndClosingRemovesOwnAndStaleOnes)
{
    Exec(QStringLiteral("insert into KX_MRP_Schemes (SchIID, SchType, SchName, SchUsrID, SchNewTime) values"
                        " (9101, 1, '', 'DM-USR-LIMING', localtimestamp-interval '8 days'),"
                        " (9102, 1, '', 'DM-USR-ZHANGLI', localtimestamp-interval '8 days'),"
                        " (9103, 2, '', 'DM-USR-LIMING', localtimestamp-interval '8 days'),"
                        " (9104, 1, '', 'DM-USR-LIMING', localtimestamp-interval '6 days');"
                        "insert into KX_MRP_RunLog (LogSchIID, LogIID, LogIndent, LogKind, LogText) values (9101, 1, 0, 1, 'x')"));
    auto first = Frame(mkKit);
    auto second = Frame(mkKit);
    const int a = first->Scheme().SchemeIID, b = second->Scheme().SchemeIID;
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    EXPECT_NE(a, b);
    EXPECT_EQ(Rows(QStringLiteral("select SchType || ' ' || SchName || '|' || SchUsrID from KX_MRP_Schemes where SchIID=%1").arg(a)),
              QStringList{QStringLiteral("1 |DM-USR-LIMING")});
    first.reset();
    EXPECT_EQ(Rows(QStringLiteral("select SchIID from KX_MRP_Schemes where SchIID in (%1, %2, 9101, 9102, 9103, 9104) order by SchIID")
                       .arg(a)
                       .arg(b)),
              (QStringList{QString::number(b), QStringLiteral("9102"), QStringLiteral("9103"), QStringLiteral("9104")}));
    EXPECT_EQ(Rows(QStringLiteral("select count(*) from KX_MRP_RunLog where LogSchIID=9101")), QStringList{QStringLiteral("0")});
}

TEST_F(MiniAnalysis, SettingsDialogRefusesRepeatedLinesAndMovesPastDatesWhenAsked)
{
    TViewScheme scheme;
    scheme.ID = QStringLiteral("KX_MRP.MRPmini");
    QList<TMiniLine> lines = Lines(btSO, QStringLiteral("s.SOID='DM-SO-01'"));
    ASSERT_EQ(lines.size(), 2);
    {
        // SO2611-001/1 is due three days ago: the question moves it to today.
        TMRPminiSetDlg dlg(Def(QStringLiteral("KX_MRP.MRPmini")), &scheme, lines, QDate(2026, 12, 7));
        dlg.Prepare();
        dlg.LoadScheme();
        dlg.btnOk->click();
        EXPECT_EQ(dlg.result(), int(QDialog::Accepted));
        EXPECT_EQ(dlg.Lines().value(0).Line.Date, QDate(2026, 12, 7));
        EXPECT_EQ(dlg.Lines().value(1).Line.Date, QDate(2026, 12, 17));
        EXPECT_EQ(FMessages, QStringList{QStringLiteral("发现存在需求日期早于今天的主需求行, 统一自动修正为今天?")});
    }
    FMessages.clear();
    FAnswer = mrNo;
    lines << lines.value(1);
    {
        TMRPminiSetDlg dlg(Def(QStringLiteral("KX_MRP.MRPmini")), &scheme, lines, QDate(2026, 12, 7));
        dlg.Prepare();
        dlg.LoadScheme();
        dlg.show();
        dlg.btnOk->click();
        EXPECT_TRUE(dlg.isVisible()) << "a repeated line keeps the dialog open";
        EXPECT_EQ(dlg.Lines().value(0).Line.Date, QDate(2026, 12, 4)) << "answered No: the date stays";
        EXPECT_EQ(dlg.grdLines->rowCount(), 3);
        SavePicture(&dlg, QStringLiteral("mrpmini_settings.png"));
    }
    EXPECT_EQ(FMessages, (QStringList{QStringLiteral("发现存在需求日期早于今天的主需求行, 统一自动修正为今天?"),
                                      QStringLiteral("以下配套主需求行前面已经存在, 请修正!\r\r类型: 销售订单　需求单号: SO2611-001　需求行: 2　物料代码: 1.01.003")}));

    // The shortage dialog names its lines by order.
    FMessages.clear();
    QList<TMiniLine> orders = Lines(btMO, QStringLiteral("s.MOID='DM-MO-02' and s.MOEntry=1"));
    orders << orders.value(0);
    TViewScheme lackScheme;
    lackScheme.ID = QStringLiteral("KX_MRP.LackAnalyze");
    TMRPLackSetDlg lack(Def(QStringLiteral("KX_MRP.LackAnalyze")), &lackScheme, orders, QDate(2026, 12, 7));
    lack.Prepare();
    lack.LoadScheme();
    lack.pgcPages->setCurrentIndex(1);
    lack.resize(980, 560);
    EXPECT_TRUE(SavePicture(&lack, QStringLiteral("mrplack_options.png")));
    EXPECT_FALSE(lack.chkCurrentBom->isChecked());
    EXPECT_EQ(lack.chkCurrentBom->text(), QStringLiteral("按当前物料清单计算投料(&U)"));
    lack.pgcPages->setCurrentIndex(0);
    lack.btnOk->click();
    EXPECT_EQ(FMessages, QStringList{QStringLiteral("以下投料需求行前面已经存在, 请修正!\r\r类型: 生产任务　单据号: MO2612-001　单据行: 1　产品代码: 3.01.001")});
    SavePicture(&lack, QStringLiteral("mrplack_settings.png"));
}

TEST(MiniOrders, ShortageConditionsFollowTheChoiceOfBillsAndOptions)
{
    TMiniLine mo;
    mo.Line.BillType = btMO;
    mo.Line.BillID = QStringLiteral("M1");
    mo.Line.BillEntry = 2;
    const QString chosenMO = QStringLiteral("s.MOID||'|'||s.MOEntry in ('M1|2')");
    const QString dueMO = QStringLiteral("s.MODelivDate<'20270101'"), dueOO = QStringLiteral("s.OODelivDate<'20270101'");
    // By choice of bills and options: the orders looked at, the orders read as supplies, their
    // material lines and scrap lines ("-" for no condition). The user keeps production orders of
    // one shop and outsourcing orders of one supplier in the run.
    struct TCase {
        int Bills;
        bool AllDates, OtherOut, CurrentBom;
        QStringList Expected;     // Lack.MO, Lack.OO, MO, OO, MOBOM, OOBOM, MOScrap
    };
    const QString userMO = QStringLiteral("s.MODeptID='WS1'"), userOO = QStringLiteral("s.OOSuppID='S1'");
    const TCase cases[] = {
        {lbChosen, true, false, false,
         {chosenMO, QStringLiteral("1=0"), QStringLiteral("(%1) or (%2)").arg(userMO, chosenMO), userOO, chosenMO, QStringLiteral("1=0"),
          chosenMO}},
        {lbChosen, true, true, false,
         {chosenMO, QStringLiteral("1=0"), QStringLiteral("(%1) or (%2)").arg(userMO, chosenMO), userOO, QStringLiteral("-"),
          QStringLiteral("-"), QStringLiteral("-")}},
        {lbChosen, true, false, true,
         {chosenMO, QStringLiteral("1=0"), QStringLiteral("(%1) or (%2)").arg(userMO, chosenMO), userOO, QStringLiteral("1=0"),
          QStringLiteral("1=0"), chosenMO}},
        {lbChosen, true, true, true,
         {chosenMO, QStringLiteral("1=0"), QStringLiteral("(%1) or (%2)").arg(userMO, chosenMO), userOO,
          QStringLiteral("not (%1)").arg(chosenMO), QStringLiteral("not (1=0)"), QStringLiteral("-")}},
        {lbMOOnly, false, false, false,
         {dueMO, QStringLiteral("1=0"), QStringLiteral("(%1) or (%2)").arg(userMO, dueMO), userOO, dueMO, QStringLiteral("1=0"), dueMO}},
        {lbOrdersAll, false, false, false,
         {dueMO, dueOO, QStringLiteral("(%1) or (%2)").arg(userMO, dueMO), QStringLiteral("(%1) or (%2)").arg(userOO, dueOO), dueMO, dueOO,
          dueMO}},
        {lbOrdersAll, true, false, false,
         {QStringLiteral("1=1"), QStringLiteral("1=1"), QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("1=1"),
          QStringLiteral("1=1"), QStringLiteral("-")}},
        {lbOOOnly, true, false, true,
         {QStringLiteral("1=0"), QStringLiteral("1=1"), userMO, QStringLiteral("-"), QStringLiteral("1=0"), QStringLiteral("1=0"),
          QStringLiteral("1=0")}},
    };
    for (const TCase& c : cases) {
        TMiniOptions o;
        o.LackBills = c.Bills;
        o.AllDates = c.AllDates;
        o.DelivDate = QDate(2026, 12, 31);
        o.OtherOut = c.OtherOut;
        o.CurrentBom = c.CurrentBom;
        o.Filters = WithFilter(WithFilter(QString(), QStringLiteral("KX_MRP.MO"), userMO), QStringLiteral("KX_MRP.OO"), userOO);
        const QString f = LackFilters(o, {mo});
        QStringList got;
        for (const char* id : {kLackOrdersMO, kLackOrdersOO, "KX_MRP.MO", "KX_MRP.OO", "KX_MRP.MOBOM", "KX_MRP.OOBOM", "KX_MRP.MOScrap"}) {
            const QString v = FilterOf(f, QLatin1String(id));
            got << (v.isEmpty() ? QStringLiteral("-") : v);
        }
        EXPECT_EQ(got, c.Expected) << "bills " << c.Bills << " all dates " << c.AllDates << " other out " << c.OtherOut << " current BOM "
                                   << c.CurrentBom;
    }
    // Scopes: one or all levels, net or gross main demand, with or without other outgoing stock.
    TMiniOptions s;
    EXPECT_EQ(NeedScopeOf(s), 1);
    s.OtherOut = true;
    EXPECT_EQ(NeedScopeOf(s), 2);
    s.GrossOnly = true;
    s.OneLevel = true;
    EXPECT_EQ(NeedScopeOf(s), 8);
    // The options, the user's conditions among them, survive the parameter scheme.
    s.CurrentBom = true;
    s.Filters = WithFilter(QString(), QStringLiteral("KX_MRP.PO"), QStringLiteral("s.POSuppID='S1'\r\nand s.POQty>0"));
    const TMiniOptions back = ReadMiniOptions(WriteMiniOptions(QStringLiteral("[Other]=1"), s));
    EXPECT_TRUE(back.CurrentBom);
    EXPECT_EQ(back.Filters, s.Filters);
    EXPECT_EQ(NeedScopeOf(back), 8);
}

// Kit analysis of SO2611-002/2 (150 blue DS30 fans) and SO2612-004/2 (50 blades), one BOM level,
// no loss: 8 fans in stock, 142 planned with their 142 heads; the blades come from stock.
TEST_F(MiniAnalysis, KitPagesShowTheWorkbenchViewsOfThePrivateScheme)
{
    auto frame = Frame(mkKit);
    // Nothing analysed yet: the pages wait, and the frame says what to do.
    EXPECT_FALSE(frame->pgcResults->isVisible());
    EXPECT_TRUE(frame->lblEmpty->isVisible());
    EXPECT_TRUE(frame->lblEmpty->text().startsWith(QStringLiteral("尚未进行物料配套分析。\n\n请按[分析设置]选择要配套的主需求行")));
    EXPECT_EQ(frame->ResultTab(QStringLiteral("KX_MRP.MRP.Allot"))->View(), nullptr);
    EXPECT_TRUE(SavePicture(frame.get(), QStringLiteral("mrpmini_empty.png")));

    ASSERT_TRUE(frame->RunWith(Lines(btSO, QStringLiteral("(s.SOID='DM-SO-02' and s.SOEntry=2 or s.SOID='DM-SO-06' and s.SOEntry=2)")),
                               OneLevelNoLoss()));
    EXPECT_TRUE(frame->pgcResults->isVisible());
    EXPECT_FALSE(frame->lblEmpty->isVisible());
    QStringList tabs;
    for (int i = 0; i < frame->pgcResults->count(); ++i)
        tabs << frame->pgcResults->tabText(i);
    EXPECT_EQ(tabs, (QStringList{QStringLiteral(" 需求分配(&1) "), QStringLiteral(" 供需平衡(&2) "), QStringLiteral(" 供应计划(&3) "),
                                 QStringLiteral(" 替代挪用(&4) "), QStringLiteral(" 计划投放(&5) ")}));

    // Each page: the workbench's view on the analysis' scheme, what it shows of the answer.
    const struct {
        const char* Object;
        QStringList Columns;
        QStringList Expected;          // rows that must be shown, in order
        const char* Picture;
    } pages[] = {
        {"KX_MRP.MRP.Allot",
         {QStringLiteral("单据编号"), QStringLiteral("物料代码"), QStringLiteral("需求数量"), QStringLiteral("分配库存数"), QStringLiteral("净需求数")},
         {QStringLiteral("SO2611-002|1.01.002|150|8|142"), QStringLiteral("SO2612-004|2.05.001|50|50|")},
         "mrpmini_kit_allot.png"},
        {"KX_MRP.MRP.Balance",
         {QStringLiteral("物料代码"), QStringLiteral("初始库存"), QStringLiteral("销售订单"), QStringLiteral("相关需求"), QStringLiteral("计划数量")},
         {QStringLiteral("1.01.002|8|150||142"), QStringLiteral("2.01.002|||142|142")},
         "mrpmini_kit_balance.png"},
        {"KX_MRP.MRP.Supplies",
         {QStringLiteral("物料代码"), QStringLiteral("类型"), QStringLiteral("单据编号"), QStringLiteral("BOM单"), QStringLiteral("计划数量")},
         {QStringLiteral("1.01.002|即时库存|S-9||8"), QStringLiteral("1.01.002|MRP生产|SO2611-002|BOM-1.01.002-B|142"),
          QStringLiteral("2.01.002|MRP生产|SO2611-002/2|BOM-2.01.002|142")},
         "mrpmini_kit_supplies.png"},
        {"KX_MRP.MRP.Replaces", {QStringLiteral("需求单据编号")}, {}, "mrpmini_kit_replaces.png"},
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page.Object);
        IInfoView* view = ShowPage(*frame, page.Object);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->GetObjectDef()->ID, QLatin1String(page.Object));
        const QStringList shown = Shown(view, page.Columns);
        qsizetype at = 0;
        for (const QString& row : page.Expected) {
            at = shown.indexOf(row, at);
            EXPECT_GE(at, 0) << row.toStdString() << " not in\n" << shown.join(QLatin1Char('\n')).toStdString();
        }
        if (page.Expected.isEmpty()) {
            EXPECT_TRUE(shown.isEmpty()) << shown.join(QLatin1Char('\n')).toStdString();
        }
        EXPECT_TRUE(SavePicture(frame.get(), QLatin1String(page.Picture)));
    }
    // The supplies page carries the view's own actions: adjusting is offered on the analysis.
    TSchemeResultTab* supplies = frame->ResultTab(QStringLiteral("KX_MRP.MRP.Supplies"));
    frame->pgcResults->setCurrentWidget(supplies);
    auto* update = supplies->findChild<QAction*>(QStringLiteral("actUpdate"));
    ASSERT_NE(update, nullptr);
    EXPECT_EQ(update->text(), QStringLiteral("调整供应计划"));
    EXPECT_TRUE(update->isEnabled());

    // The page of the output view: the planned supplies of the analysis, ready for release.
    auto* output = dynamic_cast<TMRPOutputFrame*>(ShowPage(*frame, "KX_MRP.MRPOutput"));
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(output->pnlOptions->cboScheme->currentText(), QStringLiteral("物料配套分析"));
    EXPECT_EQ(Shown(output, {QStringLiteral("单据编号"), QStringLiteral("物料代码"), QStringLiteral("计划数量"), QStringLiteral("拟投放数"),
                             QStringLiteral("供应类型")}),
              (QStringList{QStringLiteral("SO2611-002|1.01.002|142|142|生产任务"), QStringLiteral("SO2611-002/2|2.01.002|142|142|生产任务")}));
    EXPECT_TRUE(SavePicture(frame.get(), QStringLiteral("mrpmini_kit_output.png")));
}

// The 142 planned fans raised to 150 in the supplies page: the analysis waits for a new run, and
// the re-run keeps the raised quantity when the planner keeps quantity adjustments.
TEST_F(MiniAnalysis, SuppliesAdjustedInTheAnalysisAreKeptByTheRerunThePlannerChooses)
{
    auto frame = Frame(mkKit);
    ASSERT_TRUE(frame->RunWith(Lines(btSO, QStringLiteral("s.SOID='DM-SO-02' and s.SOEntry=2")), OneLevelNoLoss()));
    const int iid = frame->Scheme().SchemeIID;
    // Nothing adjusted yet: a re-run asks nothing.
    bool asked = false;
    QTimer::singleShot(0, [&] {
        if (auto* dlg = qobject_cast<TCheckOptionsDlg*>(QApplication::activeModalWidget())) {
            asked = true;
            dlg->reject();
        }
    });
    EXPECT_TRUE(frame->Run(false));
    EXPECT_FALSE(asked);

    TSchemeResultTab* tab = frame->ResultTab(QStringLiteral("KX_MRP.MRP.Supplies"));
    ShowPage(*frame, "KX_MRP.MRP.Supplies");
    auto* view = dynamic_cast<TMRPSuppliesFrame*>(tab->View());
    ASSERT_NE(view, nullptr);
    tab->findChild<QAction*>(QStringLiteral("actUpdate"))->trigger();
    ASSERT_TRUE(view->GetEditMode());
    int fans = -1;
    for (int r = 0; r < view->Records().RecordCount(); ++r)
        if (view->Records().Value(r, QStringLiteral("ItmNo")).toString() == QLatin1String("1.01.002")
            && view->Records().Value(r, QStringLiteral("SupBillType")).toInt() == btPlanMO)
            fans = r;
    ASSERT_GE(fans, 0);
    ASSERT_TRUE(view->SetCellValue(fans, QStringLiteral("SupQty"), 150));
    // The host's save goes to the page shown.
    ASSERT_TRUE(frame->ExecCommand(cmdSave));
    EXPECT_FALSE(view->Modified);
    EXPECT_EQ(frame->Scheme().PlanState, int(psResultsChanged));
    EXPECT_TRUE(frame->lblStatus->text().endsWith(QStringLiteral("(MRP结果有变, 需重新运算MRP)"))) << frame->lblStatus->text().toStdString();
    tab->findChild<QAction*>(QStringLiteral("actUpdate"))->trigger();
    ASSERT_FALSE(view->GetEditMode());

    // The view's "MRP" is the analysis' re-run: it asks what to keep; a cancel runs nothing.
    const QDateTime ran = frame->Scheme().MrpRunTime;
    QStringList asks;
    OnNextDialog<TCheckOptionsDlg>([&](TCheckOptionsDlg* dlg) {
        asks << dlg->windowTitle() << dlg->FItems->findChild<QLabel*>()->text();
        for (int i = 0; i < dlg->OptionCount(); ++i)
            asks << (dlg->Checked(i) ? QStringLiteral("[x]") : QStringLiteral("[ ]"));
        dlg->reject();
    });
    auto* mrp = tab->findChild<QAction*>(QStringLiteral("actMRP"));
    ASSERT_NE(mrp, nullptr);
    ASSERT_TRUE(mrp->isEnabled());
    mrp->trigger();
    EXPECT_EQ(asks, (QStringList{QStringLiteral("重新运算MRP"), QStringLiteral("保留以下内容:"), QStringLiteral("[x]"), QStringLiteral("[x]"),
                                 QStringLiteral("[x]")}));
    EXPECT_EQ(frame->Scheme().MrpRunTime, ran);
    OnNextDialog<TCheckOptionsDlg>([](TCheckOptionsDlg* dlg) { dlg->accept(); });
    mrp->trigger();
    EXPECT_EQ(frame->Scheme().PlanState, int(psMRPDone));
    EXPECT_EQ(Rows(QStringLiteral("select trim_scale(SupBillQty), trim_scale(SupAdjQty), trim_scale(SupQty) from KX_MRP_Supplies"
                                  " where SupSchIID=%1 and SupBillType=%2 and SupItmID='DM-I-DS30'")
                       .arg(iid)
                       .arg(btPlanMO)),
              QStringList{QStringLiteral("142, 8, 150")});
    // The kit figures stand: the fans to be made still lack their heads.
    ASSERT_EQ(frame->grdSummary->rowCount(), 1);
    EXPECT_EQ(frame->grdSummary->item(0, 8)->text() + QLatin1Char(' ') + frame->grdSummary->item(0, 9)->text(), QStringLiteral("8 142"));
    EXPECT_TRUE(FMessages.value(0).startsWith(QStringLiteral("数据保存完成。"))) << FMessages.join(QLatin1Char('\n')).toStdString();
}

// The 142 fans the kit analysis plans go straight into a production order from its output
// page: the analysis' scheme needs no publishing and keeps its state.
TEST_F(MiniAnalysis, PlannedSuppliesAreReleasedStraightFromTheAnalysis)
{
    auto frame = Frame(mkKit);
    ASSERT_TRUE(frame->RunWith(Lines(btSO, QStringLiteral("s.SOID='DM-SO-02' and s.SOEntry=2")), OneLevelNoLoss()));
    auto* output = dynamic_cast<TMRPOutputFrame*>(ShowPage(*frame, "KX_MRP.MRPOutput"));
    ASSERT_NE(output, nullptr);
    int fans = -1;
    for (int row : output->FList.TopRows)
        if (output->FList.Rows[row].ItmNo == QLatin1String("1.01.002"))
            fans = row;
    ASSERT_GE(fans, 0);
    ASSERT_TRUE(output->EditCell(output->NodeOfRow(fans), QStringLiteral("SupChecked"), true));
    ERPAccess.Stored.clear();
    EXPECT_TRUE(output->Output()) << FMessages.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(ERPAccess.Stored.size(), 1);
    EXPECT_TRUE(ERPAccess.Stored.value(0).startsWith(QStringLiteral("MO"))) << ERPAccess.Stored.value(0).toStdString();
    EXPECT_EQ(Rows(QStringLiteral("select SchState from KX_MRP_Schemes where SchIID=%1").arg(frame->Scheme().SchemeIID)),
              QStringList{QString::number(psMRPDone)});
    EXPECT_EQ(Rows(QStringLiteral("select trim_scale(SupDestQty), SupDester from KX_MRP_Supplies where SupSchIID=%1"
                                  " and SupItmID='DM-I-DS30' and SupBillType=%2")
                       .arg(frame->Scheme().SchemeIID)
                       .arg(btPlanMO)),
              QStringList{QStringLiteral("142, DM-USR-LIMING")});
    EXPECT_TRUE(SavePicture(frame.get(), QStringLiteral("mrpmini_kit_released.png")));
}
