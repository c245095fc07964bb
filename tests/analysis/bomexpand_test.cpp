// The BOM expansion of the demo's gift-box floor fan (BOM-1.01.001-G, yield 95%) for 30 fans:
// usage per parent and for the whole product, and the trial quantity of every loss choice,
// through a made head with a 98% motor below it, the phantom guard set, a progressive loss text,
// a fixed line and a plain loss percentage. Expected values are worked out by hand below.
#include "../masterdata/masterdatafixture.h"

#include "analysis/bomexpandframe.h"
#include "db/messages.h"
#include "db/shared.h"
#include "db/strutils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

QString Qty(const TTreeNode* node, const char* field)
{
    return node ? QString::number(node->Value(QLatin1String(field)).toDouble(), 'f', 8) : QStringLiteral("(none)");
}

} // namespace

class BOMExpandView : public TMasterDataTest {
protected:
    std::unique_ptr<TBOMExpandFrame> OpenGiftBox(int choice)
    {
        auto view = OpenModuleView<TBOMExpandFrame>(QStringLiteral("KX_MRP.BOMExpand"));
        EXPECT_NE(view, nullptr);
        view->cboLossRate->setCurrentIndex(choice);
        view->SetProduct(QStringLiteral("DM-I-FS40"), 1, QStringLiteral("DM-B-FS40G"));
        view->edtPrdQty->setValue(30);
        return view;
    }
};

TEST_F(BOMExpandView, UsageAndTrialQuantityOfEveryLossChoice)
{
    // Trial usage under the product: 30 / 95% = 31.57894737 a line unit.
    // HD40 and GD40: no loss. POLE: 5% of 31.578947 = 1.57894737; its text takes 5% of the
    // first 20 (1) and 2% of the 11.578947 above (0.23157895). CTN40: fixed 5, whatever the
    // quantity. FOAM: 2 x 31.578947 = 63.15789474 and 10%. FG40 under the phantom: as the phantom.
    // MT40 under HD40 (yield 100%) as HD40; WIRE under MT40: 0.28 kg over 98%, 1.5% loss:
    // 31.57894737 / 0.98 * 0.28 * 1.015 = 9.15789474 kg, shown as 9157.89474 g in its line unit.
    struct Case {
        const char* path;
        const char* full;
        const char* none;
        const char* lossRate;
        const char* putLossRate;
    };
    const Case cases[] = {
        {"1", "30", "30", "31.57894737", "31.57894737"},
        {"2", "30", "30", "31.57894737", "31.57894737"},
        {"2/1", "30", "30", "31.57894737", "31.57894737"},
        {"3", "30", "30", "33.15789474", "32.81052632"},
        {"4", "5", "5", "5", "5"},
        {"5", "60", "60", "69.47368421", "69.47368421"},
        {"1/1", "30", "30", "31.57894737", "31.57894737"},
        {"1/1/1", "8.4", "8.4", "9.15789474", "9.15789474"},
    };
    for (int choice : {blNone, blLossRate, blPutLossRate}) {
        auto view = OpenGiftBox(choice);
        const TTreeNode* root = view->Nodes->Root()->Child(0);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(root->Value(QStringLiteral("BomEntry")).toString(), QStringLiteral("(产品)"));
        EXPECT_EQ(root->Value(QStringLiteral("BomItmBomNo")).toString(), QStringLiteral("BOM-1.01.001-G"));
        for (const Case& c : cases) {
            const TTreeNode* node = view->LineNode(QLatin1String(c.path));
            const char* trial = choice == blNone ? c.none : choice == blLossRate ? c.lossRate : c.putLossRate;
            EXPECT_EQ(Qty(node, "BomFullQty"), QString::number(QString::fromLatin1(c.full).toDouble(), 'f', 8))
                << c.path << " choice " << choice;
            EXPECT_EQ(Qty(node, "BomTestQty"), QString::number(QString::fromLatin1(trial).toDouble(), 'f', 8))
                << c.path << " choice " << choice;
        }
        // The wire's line is in grams: the unit columns convert the kilograms of the base unit.
        const TTreeNode* wire = view->LineNode(QStringLiteral("1/1/1"));
        EXPECT_EQ(wire->Value(QStringLiteral("BomUnit")).toString(), QStringLiteral("克"));
        EXPECT_EQ(Qty(wire, "BomUFullQty"), QStringLiteral("8400.00000000"));
        EXPECT_EQ(Qty(wire, "BomUCurrQty"), QStringLiteral("280.00000000"));
        if (choice == blPutLossRate) {
            EXPECT_EQ(Qty(wire, "BomUTestQty"), QStringLiteral("9157.89474000"));
        }
    }
}

TEST_F(BOMExpandView, QuantitiesFollowTheProductQuantityAndTypedYields)
{
    auto view = OpenGiftBox(blLossRate);
    // A fixed line keeps its usage when the product quantity changes; the others follow.
    view->edtPrdQty->setValue(60);
    EXPECT_EQ(Qty(view->LineNode(QStringLiteral("4")), "BomFullQty"), QStringLiteral("5.00000000"));
    EXPECT_EQ(Qty(view->LineNode(QStringLiteral("1")), "BomFullQty"), QStringLiteral("60.00000000"));
    EXPECT_EQ(Qty(view->LineNode(QStringLiteral("1")), "BomTestQty"), QStringLiteral("63.15789474"));
    // A trial yield of 50% typed for the head's BOM doubles what its motor needs.
    TTreeNode* head = view->LineNode(QStringLiteral("1"));
    ASSERT_TRUE(view->Nodes->SetNodeValueChecked(head, QStringLiteral("BomItmOkRate"), 50));
    EXPECT_EQ(Qty(view->LineNode(QStringLiteral("1/1")), "BomTestQty"), QStringLiteral("126.31578948"));
    EXPECT_EQ(Qty(view->LineNode(QStringLiteral("1/1")), "BomFullQty"), QStringLiteral("60.00000000"));
    // Without loss rates yields do not count: the trial quantity is the full usage.
    view->cboLossRate->setCurrentIndex(blNone);
    EXPECT_EQ(Qty(view->LineNode(QStringLiteral("1/1")), "BomTestQty"), QStringLiteral("60.00000000"));
}

TEST_F(BOMExpandView, ExpandsOnDemandAndListsSubstitutes)
{
    auto view = OpenModuleView<TBOMExpandFrame>(QStringLiteral("KX_MRP.BOMExpand"));
    view->SetMasterValues(QStringLiteral("BomItmID='DM-I-HD40'\r\nBomType=1\r\nBomID='DM-B-HD40'\r\n"), true);
    TTreeNode* root = view->Nodes->Root()->Child(0);
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->ChildCount(), 5);
    TTreeNode* motor = root->Child(0);
    // The motor has a BOM of its own: loaded when it is first expanded.
    EXPECT_TRUE(motor->HasChildren);
    EXPECT_FALSE(motor->ChildrenLoaded);
    EXPECT_FALSE(root->Child(1)->HasChildren) << "a purchased part has no BOM";

    view->chkSubItems->setChecked(true);
    root = view->Nodes->Root()->Child(0);
    TTreeNode* bearing = view->LineNode(QStringLiteral("1/4"));
    ASSERT_NE(bearing, nullptr);
    ASSERT_EQ(bearing->ChildCount(), 1);
    EXPECT_EQ(bearing->Child(0)->Value(QStringLiteral("BomEntry")).toString(), QStringLiteral("局部替代料"));
    EXPECT_EQ(bearing->Child(0)->Child(0)->Value(QStringLiteral("BomItmNo")).toString(), QStringLiteral("4.02.004"));
    const TTreeNode* capacitor = view->LineNode(QStringLiteral("1/5"));
    ASSERT_EQ(capacitor->ChildCount(), 1);
    EXPECT_EQ(capacitor->Child(0)->Value(QStringLiteral("BomEntry")).toString(), QStringLiteral("全局替代料"));
    EXPECT_EQ(capacitor->Child(0)->Child(0)->Value(QStringLiteral("BomItmName")).toString(), QStringLiteral("电容"));
    EXPECT_EQ(GetParamValue(view->ViewScheme.Params, QStringLiteral("[ItemSubs]")), QStringLiteral("1"));

    view->trlMain->expandAll();
    EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("bomexpand_hd40.png")));
}

TEST_F(BOMExpandView, GiftBoxPicture)
{
    auto view = OpenGiftBox(blPutLossRate);
    view->resize(1300, 560);
    view->LineNode(QStringLiteral("1/1/1"));
    view->trlMain->expandAll();
    EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("bomexpand_giftbox.png")));
}

// The motor's BOM: its bearing line has the sealed bearing as a local substitute, its capacitor
// line the second brand as a global one. Local substitutes are edited and stored with the BOM.
class BOMExpandSubstitutes : public BOMExpandView {
protected:
    void SetUp() override
    {
        BOMExpandView::SetUp();
        FMessages.clear();
        FOld = SetMessageResponder([this](const TMessageRequest& r) {
            FMessages << r.Text;
            return DefaultAnswer(r.Buttons);
        });
    }
    void TearDown() override { SetMessageResponder(FOld); }

    std::unique_ptr<TBOMExpandFrame> MotorInEditMode()
    {
        auto view = OpenModuleView<TBOMExpandFrame>(QStringLiteral("KX_MRP.BOMExpand"));
        view->SetProduct(QStringLiteral("DM-I-MT40"), 1, QStringLiteral("DM-B-MT40"));
        EXPECT_TRUE(view->ToggleEditMode());
        EXPECT_TRUE(view->chkSubItems->isChecked()) << "editing shows the substitutes";
        return view;
    }

    static TTreeNode* AddOn(TBOMExpandFrame& view, const char* linePath, const char* itemNo, double qty)
    {
        view.trlMain->setCurrentIndex(view.Nodes->IndexOf(view.LineNode(QLatin1String(linePath))));
        TTreeNode* sub = view.AddSubs();
        EXPECT_NE(sub, nullptr);
        EXPECT_TRUE(view.Nodes->SetNodeValueChecked(sub, QStringLiteral("BomItmNo"), QLatin1String(itemNo)));
        EXPECT_TRUE(view.Nodes->SetNodeValueChecked(sub, QStringLiteral("BomCurrQty"), qty));
        return sub;
    }

    QStringList FMessages;
    TMessageResponder FOld;
};

TEST_F(BOMExpandSubstitutes, AddedLocalSubstitutesAreStoredWithTheirBOM)
{
    auto view = MotorInEditMode();
    TTreeNode* sub = AddOn(*view, "5", "4.03.002", 2);
    EXPECT_EQ(sub->Value(QStringLiteral("BomItmName")).toString(), QStringLiteral("电容")) << "the typed number is resolved";
    ASSERT_TRUE(view->SaveData());
    EXPECT_FALSE(view->GetEditMode());
    EXPECT_EQ(Rows(QStringLiteral("select SubRowHook || ' ' || SubSeq || ' ' || SubRItmID || ' ' || trim_scale(SubRQty) || '/' ||"
                                  " trim_scale(SubQty) from KX_Bom_ItemSubs where SubBomID='DM-B-MT40' order by SubRowHook, SubSeq")),
              (QStringList{QStringLiteral("DM-B-MT40-4 1 DM-I-BR2 1/1"), QStringLiteral("DM-B-MT40-5 1 DM-I-CP15B 2/1")}));
    // The refreshed tree shows the new substitute under its line.
    const TTreeNode* capacitor = view->LineNode(QStringLiteral("5"));
    ASSERT_NE(capacitor, nullptr);
    EXPECT_EQ(capacitor->ChildCount(), 2) << "global and local groups";
}

TEST_F(BOMExpandSubstitutes, SavingRefusesRepeatedAndParentSubstitutes)
{
    const QString count = QStringLiteral("select count(*) from KX_Bom_ItemSubs where SubBomID='DM-B-MT40'");
    const QStringList before = Rows(count);
    {
        auto view = MotorInEditMode();
        AddOn(*view, "4", "4.02.004", 1);
        EXPECT_FALSE(view->SaveData());
        EXPECT_TRUE(view->GetEditMode());
    }
    {
        auto view = MotorInEditMode();
        AddOn(*view, "1", "3.01.001", 1);
        EXPECT_FALSE(view->SaveData());
    }
    EXPECT_EQ(FMessages, (QStringList{QStringLiteral("局部替代料不允许重复, 替代物料\"4.02.004\"已存在!"),
                                      QStringLiteral("替代物料\"3.01.001\"与被替代物料(或其上级产品)出现重复!")}));
    EXPECT_EQ(Rows(count), before) << "nothing refused is stored";
}
