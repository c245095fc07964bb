// The kit and shortage analyses on the demo factory (today 2026-12-07, kit basis: stock now):
// the private schemes of the frames, the checks of the settings dialogs, and two hand-derived
// runs.
//
// Kit analysis of SO2611-002/2 (DS30 blue, 150) and SO2612-004/2 (40cm blades, 50), BOMs one
// level deep: 8 blue fans are in stock; the other 142 need a DS30 head, and no head is in stock
// nor on order, so the planned fans are kit-complete for none: 8 supplied, 142 short. 120
// blades are in stock: all 50 supplied.
//
// Shortage analysis of MO2611-001/2 (150 fan heads): its open material lines need 60 of each
// part and 252 screws; in stock are 25 motors, 60 front shells, 55 back shells, 40 gear boxes
// and 18000 screws, so 35 motors, 5 back shells and 20 gear boxes are missing.
#include "../masterdata/masterdatafixture.h"

#include "analysis/mrpminiframe.h"
#include "analysis/mrpminisetdlg.h"
#include "views/checkoptionsdlg.h"
#include "db/messages.h"
#include "db/shared.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTabWidget>

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
                                                     kind, nullptr);
        frame->resize(1100, 600);
        return frame;
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
    TMiniOptions options;
    options.CareLoss = false;
    options.OneLevel = true;
    ASSERT_TRUE(frame->RunWith(lines, options));
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

TEST_F(MiniAnalysis, ShortageAnalysisFindsTheMissingComponentsOfTheChosenOrder)
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
    // Only the chosen order takes part: the motors it misses are planned (no other production
    // order supplies them here), the back shells and gear boxes are on order already.
    EXPECT_EQ(Rows(QStringLiteral("select SupBillType || ' ' || SupItmID || ' ' || trim_scale(SupQty) from KX_MRP_Supplies"
                                  " where SupSchIID=%1 and SupBillType>=42 order by SupItmID")
                       .arg(iid)),
              QStringList{QStringLiteral("42 DM-I-MT40 35")});
    EXPECT_EQ(Rows(QStringLiteral("select distinct DmdBillID from KX_MRP_Demands where DmdSchIID=%1 and DmdBillType=84").arg(iid)),
              QStringList{QStringLiteral("DM-MO-01")});
    ASSERT_EQ(frame->grdSummary->rowCount(), 3);
    EXPECT_EQ(frame->grdSummary->item(0, 1)->text() + QLatin1Char(' ') + frame->grdSummary->item(0, 7)->text(), QStringLiteral("3.01.001 35"));
    EXPECT_TRUE(SavePicture(frame.get(), QStringLiteral("mrpmini_lack.png")));
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
    lack.btnOk->click();
    EXPECT_EQ(FMessages, QStringList{QStringLiteral("以下投料需求行前面已经存在, 请修正!\r\r类型: 生产任务　单据号: MO2612-001　单据行: 1　产品代码: 3.01.001")});
    SavePicture(&lack, QStringLiteral("mrplack_settings.png"));
}

TEST(MiniOrders, ShortageConditionsFollowTheChoiceOfBills)
{
    TMiniOptions o;
    TMiniLine mo;
    mo.Line.BillType = btMO;
    mo.Line.BillID = QStringLiteral("M1");
    mo.Line.BillEntry = 2;
    EXPECT_EQ(FilterOf(LackFilters(o, {mo}), QStringLiteral("KX_MRP.MO")), QStringLiteral("s.MOID||'|'||s.MOEntry in ('M1|2')"));
    EXPECT_EQ(FilterOf(LackFilters(o, {mo}), QStringLiteral("KX_MRP.OO")), QStringLiteral("1=0"));
    o.LackBills = lbMOOnly;
    o.AllDates = false;
    o.DelivDate = QDate(2026, 12, 31);
    EXPECT_EQ(FilterOf(LackFilters(o, {}), QStringLiteral("KX_MRP.MO")), QStringLiteral("s.MODelivDate<'20270101'"));
    EXPECT_EQ(FilterOf(LackFilters(o, {}), QStringLiteral("KX_MRP.OO")), QStringLiteral("(1=0) and (s.OODelivDate<'20270101')"));
    o.LackBills = lbOrdersAll;
    o.AllDates = true;
    EXPECT_TRUE(LackFilters(o, {}).isEmpty());
    // Scopes: one or all levels, net or gross main demand, with or without other outgoing stock.
    TMiniOptions s;
    EXPECT_EQ(NeedScopeOf(s), 1);
    s.OtherOut = true;
    EXPECT_EQ(NeedScopeOf(s), 2);
    s.GrossOnly = true;
    s.OneLevel = true;
    EXPECT_EQ(NeedScopeOf(s), 8);
}

TEST_F(MiniAnalysis, ARerunAsksWhatToKeepAndACancelRunsNothing)
{
    auto frame = Frame(mkKit);
    TMiniOptions options;
    options.CareLoss = false;
    ASSERT_TRUE(frame->RunWith(Lines(btSO, QStringLiteral("s.SOID='DM-SO-06' and s.SOEntry=2")), options));
    const QDateTime first = frame->Scheme().MrpRunTime;
    QStringList captions;
    OnNextDialog<TCheckOptionsDlg>([&](TCheckOptionsDlg* dlg) {
        captions << dlg->windowTitle();
        for (int i = 0; i < dlg->OptionCount(); ++i)
            captions << (dlg->Checked(i) ? QStringLiteral("[x]") : QStringLiteral("[ ]"));
        dlg->reject();
    });
    EXPECT_FALSE(frame->Run(false));
    EXPECT_EQ(captions, (QStringList{QStringLiteral("重新运算MRP"), QStringLiteral("[x]"), QStringLiteral("[x]"), QStringLiteral("[x]")}));
    EXPECT_EQ(frame->Scheme().MrpRunTime, first);
    OnNextDialog<TCheckOptionsDlg>([](TCheckOptionsDlg* dlg) { dlg->accept(); });
    EXPECT_TRUE(frame->Run(false));
    EXPECT_EQ(frame->grdSummary->rowCount(), 1);
}
