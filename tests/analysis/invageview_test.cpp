// The inventory aging view on the demo factory's stock history, aged on the demo's base day
// 2026-12-07: summary rows with their matched receipts, the source order and main demand of a
// receipt, the detail filter, the "Money" right, the settings dialog's refusals and the chart.
#include "../masterdata/masterdatafixture.h"

#include "analysis/invageframe.h"
#include "analysis/invagesetdlg.h"
#include "db/messages.h"
#include "db/shared.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

TTreeNode* MainRow(TInvAgeFrame& view, const QString& itemNo)
{
    for (int i = 0; i < view.Nodes->Root()->ChildCount(); ++i)
        if (view.Nodes->Root()->Child(i)->Value(QStringLiteral("ItmNo")).toString() == itemNo)
            return view.Nodes->Root()->Child(i);
    return nullptr;
}

QString RowText(const TTreeNode* node, std::initializer_list<const char*> fields)
{
    if (!node)
        return QStringLiteral("(none)");
    QStringList parts;
    for (const char* field : fields) {
        const QVariant v = node->Value(QLatin1String(field));
        parts << (v.typeId() == QMetaType::QDate ? v.toDate().toString(QStringLiteral("MMdd"))
                  : v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'g', 12) : v.toString());
    }
    return parts.join(QLatin1Char(' '));
}

TInvAgeSettings DemoDay(bool mergeStock = true)
{
    TInvAgeSettings s;
    s.InvDate = QDate(2026, 12, 7);
    s.Intervals = {30, 30, 30};
    s.MergeStock = mergeStock;
    return s;
}

} // namespace

class InvAgeView : public TMasterDataTest {
protected:
    void SetUp() override
    {
        TMasterDataTest::SetUp();
        FMessages.clear();
        FOld = SetMessageResponder([this](const TMessageRequest& r) {
            FMessages << r.Text;
            return DefaultAnswer(r.Buttons);
        });
    }
    void TearDown() override { SetMessageResponder(FOld); }

    std::unique_ptr<TInvAgeFrame> Analysed(const TInvAgeSettings& settings)
    {
        auto view = OpenModuleView<TInvAgeFrame>(QStringLiteral("KX_MRP.AgeAnalyze"));
        EXPECT_NE(view, nullptr);
        EXPECT_TRUE(view->RunAnalysis(settings, {QStringLiteral("DM-K-MAIN")})) << FMessages.join(QLatin1Char('\n')).toStdString();
        return view;
    }

    QStringList FMessages;
    TMessageResponder FOld;
};

TEST_F(InvAgeView, SummaryRowsAgeTheStockOnItsNewestReceipts)
{
    auto view = Analysed(DemoDay());
    // Bearings: 400 received 5 days ago after 400 were issued, 800 of the opening 1200 of 19
    // days ago: (400 x 5 + 800 x 19) / 1200 = 14.33 days; last issued on 11/22.
    EXPECT_EQ(RowText(MainRow(*view, QStringLiteral("4.02.003")), {"AgeBookQty", "AgeQty", "AgeDays", "AgeBillDate", "AgeOutDate", "AgeQty1"}),
              QStringLiteral("1200 1200 14.33 1202 1122 1200"));
    // Front guards came through the transit warehouse; with warehouses merged the transfer is no
    // receipt: the opening receipt of 35 days ago holds the stock.
    EXPECT_EQ(RowText(MainRow(*view, QStringLiteral("4.06.004")), {"AgeBookQty", "AgeDays", "AgeQty1", "AgeQty2"}),
              QStringLiteral("70 35 0 70"));
    EXPECT_EQ(RowText(MainRow(*view, QStringLiteral("5.03.001")), {"AgeDays", "AgeQty4"}), QStringLiteral("180 1000"));
    // The floor fans came from the production order of the overdue sales order yesterday.
    TTreeNode* fans = MainRow(*view, QStringLiteral("1.01.001"));
    ASSERT_NE(fans, nullptr);
    view->Nodes->LoadChildren(fans);
    ASSERT_EQ(fans->ChildCount(), 1);
    EXPECT_EQ(RowText(fans->Child(0), {"AgeBillTypName", "AgeBookQty", "AgeQty", "AgeDays", "AgeOrdType", "AgeOrdNo", "AgeOrigType",
                                       "AgeOrigNo", "OrigCustName", "AgeOrigCustPO", "OrigItmNo"}),
              QStringLiteral("产品入库 80 35 1 22 MO2611-001 2 SO2611-001 华东百货有限公司 HD-PO-88121 1.01.001"));
    // The planner holds no "Money": no price or amount anywhere.
    EXPECT_FALSE(view->GetColumnByField(QStringLiteral("AgeAmt"))->Visible);
    EXPECT_TRUE(fans->Value(QStringLiteral("AgeAmt")).isNull());
    // The total row sums the quantities of the rows shown.
    const TTreeNode* total = view->Nodes->Root()->Child(0);
    EXPECT_EQ(total->Value(QStringLiteral("ItmNo")).toString(), QStringLiteral("(总计)"));
    EXPECT_EQ(view->GroupQuantities().size(), 4);
    double sum = 0;
    for (double v : view->GroupQuantities())
        sum += v;
    EXPECT_DOUBLE_EQ(sum, total->Value(QStringLiteral("AgeQty")).toDouble());
    EXPECT_TRUE(FMessages.isEmpty()) << FMessages.join(QLatin1Char('\n')).toStdString();
}

TEST_F(InvAgeView, WarehousesKeptApartAgeTheTransferredGuardsFromTheTransfer)
{
    auto view = Analysed(DemoDay(false));
    // 20 moved in 30 days ago, 50 of the opening 70 of 35 days ago: (600 + 1750) / 70.
    EXPECT_EQ(RowText(MainRow(*view, QStringLiteral("4.06.004")), {"StkName", "AgeDays", "AgeQty2"}), QStringLiteral("主仓库 33.57 70"));
}

TEST_F(InvAgeView, DetailFilterKeepsRowsWithAMatchingReceipt)
{
    auto view = Analysed(DemoDay());
    view->cboFilterKind->setCurrentIndex(afkOrdNo);
    view->edtFilterText->setText(QStringLiteral("2612"));
    view->btnFilterOK->click();
    QStringList items;
    for (int i = 1; i < view->Nodes->Root()->ChildCount(); ++i)
        items << view->Nodes->Root()->Child(i)->Value(QStringLiteral("ItmNo")).toString();
    EXPECT_EQ(items, QStringList{QStringLiteral("4.03.004")}) << "only the boards came from PO2612-001";
    view->cboFilterKind->setCurrentIndex(afkOrigCust);
    view->edtFilterText->setText(QStringLiteral("华东"));
    view->btnFilterOK->click();
    EXPECT_EQ(view->Nodes->Root()->ChildCount(), 2);
    EXPECT_EQ(view->Nodes->Root()->Child(1)->Value(QStringLiteral("ItmNo")).toString(), QStringLiteral("1.01.001"));
}

TEST_F(InvAgeView, AmountsNeedMoneyAndTracesNeedTheSourceOrders)
{
    struct TPlannerAgain {
        ~TPlannerAgain() { LoginAs(QStringLiteral("DM-USR-LIMING"), QStringLiteral("'DM-G-PLAN'")); }
    } planner;
    // The buyer holds "Money" but may not read production orders, which the floor fans came from.
    LoginAs(QStringLiteral("DM-USR-ZHANGLI"), QStringLiteral("'DM-G-BUY'"));
    {
        auto view = OpenModuleView<TInvAgeFrame>(QStringLiteral("KX_MRP.AgeAnalyze"));
        EXPECT_TRUE(view->HasMoney());
        EXPECT_FALSE(view->RunAnalysis(DemoDay(), {QStringLiteral("DM-K-MAIN")}));
        EXPECT_EQ(FMessages, QStringList{QStringLiteral("访问信息对象\"生产任务\"受到限制!")});
        EXPECT_EQ(view->Nodes->Root()->ChildCount(), 0);
    }
    FMessages.clear();
    LoginAs(QStringLiteral("DM-USR-ADMIN"), QStringLiteral("'DM-G-ADMIN'"));
    auto view = Analysed(DemoDay());
    ASSERT_TRUE(view->HasMoney());
    // The boards' 20 come from the 100 received at 18.00 three days ago.
    EXPECT_EQ(RowText(MainRow(*view, QStringLiteral("4.03.004")), {"AgeQty", "AgePrice", "AgeAmt", "AgeAmt1"}),
              QStringLiteral("20 18 360 360"));
    const QList<double> amounts = view->GroupAmounts();
    ASSERT_EQ(amounts.size(), 4);
    EXPECT_GT(amounts[3], 0) << "the manuals are older than 90 days";
    EXPECT_EQ(view->chtAgeGroups->chart()->series().size(), 2);
    view->resize(1300, 700);
    view->trlMain->expand(view->Nodes->IndexOf(MainRow(*view, QStringLiteral("1.01.001"))));
    view->trlMain->expand(view->Nodes->IndexOf(MainRow(*view, QStringLiteral("4.02.003"))));
    EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("invage_money.png")));
    view.reset();
}

TEST_F(InvAgeView, SettingsDialogRefusesBadInputAndStaysOpen)
{
    auto view = OpenModuleView<TInvAgeFrame>(QStringLiteral("KX_MRP.AgeAnalyze"));
    EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("invage_empty.png")));
    bool shown = false;
    OnNextDialog<TInvAgeSetDlg>([&](TInvAgeSetDlg* dlg) {
        shown = true;
        dlg->SetIntervals({30, 0});
        dlg->btnOk->click();
        EXPECT_TRUE(dlg->isVisible());
        dlg->SetIntervals(QList<int>(20, 10));
        dlg->btnOk->click();
        dlg->SetIntervals({15, 15});
        dlg->chkAllStocks->setChecked(false);
        dlg->btnOk->click();
        EXPECT_TRUE(dlg->isVisible());
        EXPECT_EQ(dlg->grdAgeGroups->item(2, 1)->text(), QStringLiteral("30天以上"));
        SavePicture(dlg, QStringLiteral("invage_settings.png"));
        dlg->reject();
    });
    view->Analyze();
    EXPECT_TRUE(shown);
    EXPECT_EQ(FMessages, (QStringList{QStringLiteral("[区间天数]的值(0)没有大于或等于1 !"), QStringLiteral("库龄分组不能超过20个!"),
                                      QStringLiteral("请选择参与库龄分析的仓库!")}));
    EXPECT_EQ(view->RunID(), 0) << "a cancelled dialog runs nothing";
}

TEST_F(InvAgeView, ClosingTheViewRemovesItsRun)
{
    int run = 0;
    {
        auto view = Analysed(DemoDay());
        run = view->RunID();
        ASSERT_GT(run, 0);
        EXPECT_GT(Scalar(QStringLiteral("select count(*) from KX_MRP_InvAgeDetail where AgeSchIID=%1").arg(run)).toInt(), 0);
    }
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_InvAgeScheme where SchIID=%1").arg(run)).toInt(), 0);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_InvAgeMain where AgeSchIID=%1").arg(run)).toInt(), 0);
}
