// The deduction view on the demo factory: a forecast line as the root, a sales order added as
// its counterpart with a manual quantity and saved; every check before saving with its message
// and nothing written; the counterparts the picker offers.
#include "masterdatafixture.h"

#include "db/shared.h"
#include "db/strutils.h"
#include "deduction/deductframe.h"
#include "deduction/deductlog.h"
#include "views/pickpopupdlg.h"

#include <QComboBox>
#include <QLabel>
#include <QApplication>
#include <QCheckBox>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

// What the deduction tables hold, one text per row.
QStringList Bookkeeping()
{
    QStringList rows;
    TQuery q(&SharedConnection());
    q.SQL = QStringLiteral(
        "select 'log '||DedForID||'/'||DedForEntry||' '||DedOrdID||'/'||DedOrdEntry||' '||DedForQty::float8||' m'||DedManual "
        "from KX_MRP_Deduction union all select 'for '||ForID||'/'||ForEntry||' '||coalesce(ForDedAQty,0)::float8||' '||"
        "coalesce(ForDedMQty,0)::float8 from KX_MRP_ForcastExt union all select 'so '||SOID||'/'||SOEntry||' '||"
        "coalesce(SODedAQty,0)::float8||' '||coalesce(SODedMQty,0)::float8 from KX_MRP_SOExt order by 1");
    q.Open();
    for (; !q.Eof(); q.Next())
        rows << q.Fields(0).AsString();
    return rows;
}

// The condition editor of the host: forecasts of 成都蓉城 only.
bool PickCustomer(const TInfoObjectDef*, QString& code, bool, QString& text, void*)
{
    code = QStringLiteral("客户=C004");
    text = QStringLiteral("s.ForCustID='DM-C-04'");
    return true;
}

// Picks in the picker the rows whose bill is one of ids, and confirms.
void PickBills(const QStringList& ids, const QString& picture = QString())
{
    OnNextDialog<TPickPopupDlg>([ids, picture](TPickPopupDlg* dlg) {
        QItemSelection selection;
        for (int row = 0; row < dlg->Rows().RecordCount(); ++row)
            if (ids.contains(dlg->Rows().Value(row, QStringLiteral("#BillID")).toString()))
                selection.select(dlg->grdPickData->model()->index(row, 0), dlg->grdPickData->model()->index(row, 0));
        dlg->grdPickData->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        if (!picture.isEmpty()) {
            dlg->resize(900, 300);
            QApplication::processEvents();
            EXPECT_TRUE(dlg->grab().save(TestOutputPath(picture)));
        }
        dlg->accept();
    });
}

TTreeNode* ChildNode(TMRPDeductFrame& view, int child)
{
    TTreeNode* root = view.Nodes->Root()->Child(0);
    return root ? root->Child(child) : nullptr;
}

} // namespace

class DeductView : public TMasterDataTest {
public:
    static void SetUpTestSuite() { TMasterDataTest::SetUpTestSuite(); }

protected:
    void SetUp() override
    {
        TMasterDataTest::SetUp();
        Exec(QStringLiteral("truncate KX_MRP_Deduction, KX_MRP_ForcastExt, KX_MRP_SOExt, KX_MRP_SIExt"));
    }

    // The view under the forecast list, its root FC2612-001/4 (400 wall fans for 成都蓉城).
    std::unique_ptr<TMRPDeductFrame> OpenOnForcastLine()
    {
        auto view = OpenModuleView<TMRPDeductFrame>(QStringLiteral("KX_MRP.Deduct"));
        if (view)
            view->SetMasterValues(QStringLiteral("ForID='DM-FC-02'\r\nForEntry='4'\r\n"), true);
        return view;
    }
};

TEST_F(DeductView, AddsACounterpartWithAManualQuantityAndSavesItInOneGo)
{
    auto view = OpenOnForcastLine();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->Bill().HasRoot());
    EXPECT_FALSE(view->lblEmpty->isVisibleTo(view.get()));
    EXPECT_EQ(view->Bill().Root.LineText(), QStringLiteral("FC2612-001/4"));
    EXPECT_EQ(view->Bill().Root.Capacity(), 400);

    ASSERT_TRUE(view->ToggleEditMode());
    // The picker offers the approved wall-fan orders of the same customer: SO2612-002/1, not
    // SO2611-001/2 of another customer.
    const QStringList offered = Rows(view->Bill().PickSQL(dkSO, view->PickOptions()));
    ASSERT_EQ(offered.size(), 1);
    EXPECT_TRUE(offered.first().contains(QStringLiteral("SO2612-002"))) << offered.first().toStdString();

    ASSERT_TRUE(view->AddCounterparts(dkSO, {{QStringLiteral("DM-SO-04"), 1}}));
    ASSERT_EQ(view->Bill().Children.size(), 1);
    EXPECT_EQ(view->Bill().Children[0].Qty, 80);            // what both still have open
    TTreeNode* child = ChildNode(*view, 0);
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(view->Nodes->SetNodeValueChecked(child, QStringLiteral("DedQty"), 50));
    EXPECT_EQ(view->Nodes->Root()->Child(0)->Value(QStringLiteral("DedQty")).toDouble(), 50);
    view->resize(1500, 360);
    EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("deduct_view_editing.png")));

    TScriptedMessages messages;
    ASSERT_TRUE(view->SaveData());
    EXPECT_EQ(messages.Count(), 0) << messages.LastText().toStdString();
    EXPECT_EQ(Bookkeeping(), (QStringList{QStringLiteral("for DM-FC-02/4 0 50"), QStringLiteral("log DM-FC-02/4 DM-SO-04/1 50 m1"),
                                          QStringLiteral("so DM-SO-04/1 0 50")}));
    EXPECT_TRUE(CheckDeductionRules(SharedConnection()).isEmpty());
    // Reloaded as stored, out of edit mode.
    EXPECT_FALSE(view->GetEditMode());
    ASSERT_EQ(view->Bill().Children.size(), 1);
    EXPECT_EQ(view->Bill().Children[0].DedUsrName, Scalar(QStringLiteral("select UsrName from KX_SYS_Users where UsrID='DM-USR-LIMING'")).toString());
    EXPECT_EQ(view->Bill().Root.DedMQty, 50);
    EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("deduct_view_saved.png")));
}

TEST_F(DeductView, RefusesEveryFaultyQuantityWithItsMessageAndWritesNothing)
{
    auto view = OpenOnForcastLine();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->ToggleEditMode());
    ASSERT_TRUE(view->AddCounterparts(dkSO, {{QStringLiteral("DM-SO-04"), 1}}));
    const struct {
        double Qty;
        const char* Message;
    } cases[] = {
        {500, "各明细行的本次冲销数量累计(500)超出当前产品预测行的最大可冲销数量(400)!"},
        {90, "销售订单行(SO2612-002/1)的本次冲销数量(90)超出其自身的最大可冲销数量(80)!"},
        {-5, "[本次冲销数]的值(-5)没有大于或等于0 !"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(view->Nodes->SetNodeValueChecked(ChildNode(*view, 0), QStringLiteral("DedQty"), c.Qty));
        TScriptedMessages messages;
        EXPECT_FALSE(view->SaveData()) << c.Qty;
        EXPECT_EQ(messages.Texts(), QStringList{QString::fromUtf8(c.Message)});
        EXPECT_TRUE(view->GetEditMode());
        EXPECT_TRUE(Bookkeeping().isEmpty());
        if (c.Qty == 500) {
            EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("deduct_view_over_deducted.png")));
        }
    }
    // A counterpart of another item is refused when the scope keeps to the root's item: the
    // floor fan order SO2611-001/1 is no wall fan.
    view->cboBillScope->setCurrentIndex(disSame);
    {
        TScriptedMessages messages;
        EXPECT_FALSE(view->AddCounterparts(dkSO, {{QStringLiteral("DM-SO-01"), 1}}));
        EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("[物料代码]的值(1.01.001)无效!")});
        EXPECT_EQ(view->Bill().Children.size(), 1);
    }
    // With every item allowed it comes in; narrowed again, saving refuses it.
    view->cboBillScope->setCurrentIndex(disAll);
    ASSERT_TRUE(view->AddCounterparts(dkSO, {{QStringLiteral("DM-SO-01"), 1}}));
    ASSERT_TRUE(view->Nodes->SetNodeValueChecked(ChildNode(*view, 0), QStringLiteral("DedQty"), 10));
    view->cboBillScope->setCurrentIndex(disSame);
    {
        TScriptedMessages messages;
        EXPECT_FALSE(view->SaveData());
        EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("[物料代码]的值(1.01.001)无效!")});
        EXPECT_TRUE(Bookkeeping().isEmpty());
    }
    // The options are kept with the view.
    EXPECT_EQ(GetParamValue(view->ViewScheme.Params, QStringLiteral("[BillScope]")), QStringLiteral("1"));
}

TEST_F(DeductView, OnItsOwnExplainsWhatToDoUntilALineIsChosen)
{
    auto view = OpenModuleView<TMRPDeductFrame>(QStringLiteral("KX_MRP.Deduct"));
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(view->Bill().HasRoot());
    EXPECT_TRUE(view->lblEmpty->isVisibleTo(view.get()));
    TCommandState state = 0;
    ASSERT_TRUE(view->QueryCommandState(view->ActionCommand(QStringLiteral("AddSO")), state));
    EXPECT_TRUE(state & csEnabled);                            // picks the line to deduct
    ASSERT_TRUE(view->QueryCommandState(view->ActionCommand(QStringLiteral("Update")), state));
    EXPECT_FALSE(state & csEnabled);
    EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("deduct_view_empty.png")));

    // An order line as the root takes forecasts.
    view->SetRootLine(dkSO, QStringLiteral("DM-SO-04"), 1);
    ASSERT_TRUE(view->Bill().HasRoot());
    EXPECT_TRUE(view->Bill().TakesKind(dkForcast));
    EXPECT_FALSE(view->Bill().TakesKind(dkSI));
    ASSERT_TRUE(view->ToggleEditMode());
    // Wall-fan forecasts of its customer or of none: FC2611-001/2 and FC2612-001/4.
    const QStringList offered = Rows(view->Bill().PickSQL(dkForcast, view->PickOptions()));
    ASSERT_EQ(offered.size(), 2);
    EXPECT_TRUE(offered.join(u';').contains(QStringLiteral("FC2611-001"))) << offered.join(u';').toStdString();
    EXPECT_TRUE(offered.join(u';').contains(QStringLiteral("FC2612-001")));
}

TEST_F(DeductView, ThePickersChooseTheLineAndItsCounterpartsUnderTheUsersCondition)
{
    auto view = OpenModuleView<TMRPDeductFrame>(QStringLiteral("KX_MRP.Deduct"));
    ASSERT_NE(view, nullptr);
    // Without a line, "选销售订单" picks the line to deduct.
    PickBills({QStringLiteral("DM-SO-04")});
    ASSERT_TRUE(view->ExecCommand(view->ActionCommand(QStringLiteral("AddSO"))));
    ASSERT_TRUE(view->Bill().HasRoot());
    EXPECT_EQ(view->Bill().Root.LineText(), QStringLiteral("SO2612-002/1"));

    // With the filter asked first, the picker offers only the forecasts of the condition:
    // FC2612-001/4, not FC2611-001/2 (no customer).
    Host().Env.SelectFilter = PickCustomer;
    view->chkShowFilter->setChecked(true);
    ASSERT_TRUE(view->ToggleEditMode());
    PickBills({QStringLiteral("DM-FC-01"), QStringLiteral("DM-FC-02")}, QStringLiteral("deduct_view_picker.png"));
    ASSERT_TRUE(view->ExecCommand(view->ActionCommand(QStringLiteral("AddForcast"))));
    Host().Env.SelectFilter = nullptr;
    ASSERT_EQ(view->Bill().Children.size(), 1);
    EXPECT_EQ(view->Bill().Children[0].LineText(), QStringLiteral("FC2612-001/4"));
    EXPECT_EQ(view->Bill().Children[0].Qty, 80);
    EXPECT_EQ(GetParamValue(view->ViewScheme.Params, QStringLiteral("[ShowFilter]")), QStringLiteral("1"));
}
