// The pegging of a demo run: a main demand of an end item shows its whole chain down to the
// purchased parts, each node's need made of what covered it, each component's need what its
// parent's planned supply asks of it; the filter keeps the branches that lead to chosen
// bottom-level items or planners.
#include "resultsfixture.h"

#include "db/shared.h"
#include "views/pickedit.h"
#include "workbench/allotframe.h"
#include "workbench/schemeviewlink.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>

using namespace kx;
using namespace kx::test;

namespace {

double Value(const TTreeNode* node, const char* field)
{
    return node->Value(QLatin1String(field)).toDouble();
}

// What covered a demand: stock, orders, requisitions, substitutes and the net left to planning.
double Covered(const TTreeNode* node)
{
    double sum = 0;
    for (const char* field : {"DmdInvQty", "DmdPOQty", "DmdOOQty", "DmdMOQty", "DmdPRQty", "DmdORQty", "DmdMRQty", "DmdReplQty", "DmdNetQty"})
        sum += Value(node, field);
    return sum;
}

} // namespace

class AllotView : public TSharedRunTest {
public:
    static void SetUpTestSuite() { RunShared(QStringLiteral("需求分配")); }
};

TEST_F(AllotView, AnEndItemShowsItsChainDownToPurchasedPartsWithQuantitiesThatAddUp)
{
    auto view = OpenView<TMRPAllotFrame>(QStringLiteral("KX_MRP.MRP.Allot"), Scheme);
    ASSERT_NE(view, nullptr);
    // The main demand, then the rows without parent, then the open orders.
    const int mainDemand = Scalar(QStringLiteral("select count(*) from KX_MRP_Demands where DmdSchIID=%1 and DmdBillType in (2, 4, 8, 12)")
                                      .arg(Scheme->SchemeIID))
                               .toInt();
    TTreeNode* root = view->Nodes->Root();
    int mains = 0, summaries = 0, orders = 0;
    for (int r = 0; r < root->ChildCount(); ++r) {
        const int kind = root->Child(r)->Value(QStringLiteral("DmdMainKind")).toInt();
        mains += kind == ankMainDemand;
        summaries += kind == ankSummary;
        orders += kind == ankOrder;
    }
    EXPECT_EQ(mains, mainDemand);
    EXPECT_GE(summaries, 1);
    EXPECT_GE(orders, 1);

    // The export order line of 落地扇 (SI2611-001): expand it all the way down.
    TTreeNode* fan = nullptr;
    for (int r = 0; r < root->ChildCount() && !fan; ++r)
        if (root->Child(r)->Value(QStringLiteral("ItmNo")).toString() == QLatin1String("1.01.001")
            && root->Child(r)->Value(QStringLiteral("DmdBillNo")).toString() == QLatin1String("SI2611-001"))
            fan = root->Child(r);
    ASSERT_NE(fan, nullptr);
    std::function<void(TTreeNode*)> expand = [&](TTreeNode* node) {
        view->trlMain->expand(view->Nodes->IndexOf(node));
        for (int c = 0; c < node->ChildCount(); ++c)
            expand(node->Child(c));
    };
    expand(fan);
    int depth = 0, leaves = 0, purchasedLeaves = 0;
    std::function<void(const TTreeNode*, int)> walk = [&](const TTreeNode* node, int level) {
        SCOPED_TRACE(node->Value(QStringLiteral("ItmNo")).toString().toStdString());
        depth = std::max(depth, level);
        // A demand's need is what covered it.
        EXPECT_NEAR(Covered(node), Value(node, "DmdNeedQty"), 1e-6);
        for (int c = 0; c < node->ChildCount(); ++c) {
            const TTreeNode* child = node->Child(c);
            // A component needs its unit quantity for each piece of the parent's planned supply.
            EXPECT_NEAR(Value(child, "DmdNeedQty"), std::ceil(Value(node, "SupQty") * Value(child, "DmdUnitQty") - 1e-9), 1.0);
            walk(child, level + 1);
        }
        if (node->ChildCount() == 0) {
            ++leaves;
            purchasedLeaves += node->Value(QStringLiteral("SupBillType")).toInt() == btPlanPO || node->Value(QStringLiteral("SupIID")).isNull();
        }
    };
    walk(fan, 0);
    EXPECT_GE(depth, 3);              // 落地扇 -> 扇头组件 -> 电机 -> 漆包线
    EXPECT_EQ(purchasedLeaves, leaves);
    EXPECT_GT(leaves, 10);
    view->trlMain->setCurrentIndex(view->Nodes->IndexOf(fan));
    EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("allot_view.png")));
}

TEST_F(AllotView, TheFilterKeepsTheBranchesThatLeadToTheChosenItemsOrPlanners)
{
    auto view = OpenView<TMRPAllotFrame>(QStringLiteral("KX_MRP.MRP.Allot"), Scheme);
    ASSERT_NE(view, nullptr);
    const int all = view->Nodes->Root()->ChildCount();

    // 漆包线 is in every motor: the fans that have a motor planned lead to it.
    view->cboFilterKind->setCurrentIndex(afkItem);
    view->edtFilterText->setText(QStringLiteral("4.01.001"));
    EXPECT_TRUE(view->btnFilterOK->isVisibleTo(view.get()));
    view->ApplyFilter();
    EXPECT_FALSE(view->btnFilterOK->isVisibleTo(view.get()));
    TTreeNode* root = view->Nodes->Root();
    ASSERT_GT(root->ChildCount(), 0);
    EXPECT_LT(root->ChildCount(), all);
    // Every branch shown ends in the item.
    std::function<bool(TTreeNode*)> leadsToWire = [&](TTreeNode* node) {
        if (node->Value(QStringLiteral("ItmNo")).toString() == QLatin1String("4.01.001"))
            return true;
        view->Nodes->LoadChildren(node);
        bool any = false;
        for (int c = 0; c < node->ChildCount(); ++c)
            any = leadsToWire(node->Child(c)) || any;
        return any;
    };
    for (int r = 0; r < root->ChildCount(); ++r) {
        TTreeNode* top = root->Child(r);
        const bool main = top->Value(QStringLiteral("DmdMainKind")).toInt() == ankMainDemand;
        EXPECT_TRUE(!main || leadsToWire(top)) << top->Value(QStringLiteral("DmdBillNo")).toString().toStdString();
    }
    EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("allot_view_filtered.png")));

    // An item that no demand uses leaves the tree empty; the buyer filter keeps items without buyer
    // (the made ones), every other item only under its own buyer.
    view->edtFilterText->setText(QStringLiteral("9.99.999"));
    view->ApplyFilter();
    EXPECT_EQ(root->ChildCount(), 0);
    view->cboFilterKind->setCurrentIndex(afkBuyer);
    view->edtFilterText->setText(QStringLiteral("没有此人"));
    view->ApplyFilter();
    const int unplanned = root->ChildCount();
    EXPECT_GT(unplanned, 0);
    view->edtFilterText->setText(QStringLiteral("王芳"));
    view->ApplyFilter();
    EXPECT_GE(root->ChildCount(), unplanned);
    EXPECT_LE(root->ChildCount(), all);

    // Cancel puts back the text of the filter applied; an empty filter shows everything again.
    view->edtFilterText->setText(QStringLiteral("王"));
    EXPECT_TRUE(view->btnFilterCancel->isVisibleTo(view.get()));
    view->btnFilterCancel->click();
    EXPECT_EQ(view->edtFilterText->text(), QStringLiteral("王芳"));
    EXPECT_FALSE(view->btnFilterCancel->isVisibleTo(view.get()));
    view->edtFilterText->clear();
    view->ApplyFilter();
    EXPECT_EQ(root->ChildCount(), all);
}
