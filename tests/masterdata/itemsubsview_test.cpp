// The substitute maintenance view on the demo factory: the listing, substitutes copied, added,
// reordered and deleted through the view and its dialogs and stored as substitute bills, every
// check with its message and focused cell, and saves that fail without storing anything.
#include "masterdatafixture.h"

#include "db/shared.h"
#include "masterdata/additemsubsdlg.h"
#include "masterdata/copyitemsubsdlg.h"
#include "masterdata/itemsubsframe.h"
#include "views/pickedit.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

TTreeNode* BomNodeOf(TItemSubsFrame& view, const QString& bomNo)
{
    for (int i = 0; i < view.Nodes->Root()->ChildCount(); ++i)
        if (view.Nodes->Root()->Child(i)->Value(QStringLiteral("NodeText")).toString() == bomNo)
            return view.Nodes->Root()->Child(i);
    return nullptr;
}

TTreeNode* LineNodeOf(TItemSubsFrame& view, const QString& bomNo, int entry)
{
    TTreeNode* bom = BomNodeOf(view, bomNo);
    for (int i = 0; bom && i < bom->ChildCount(); ++i)
        if (bom->Child(i)->Value(QStringLiteral("BomEntry")).toInt() == entry)
            return bom->Child(i);
    return nullptr;
}

void Focus(TItemSubsFrame& view, TTreeNode* node)
{
    view.trlMain->selectionModel()->setCurrentIndex(view.Nodes->IndexOf(node),
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int Command(const TItemSubsFrame& view, const char* action)
{
    return view.ActionCommand(QLatin1String(action));
}

bool Enabled(TItemSubsFrame& view, const char* action)
{
    TCommandState state = 0;
    return view.QueryCommandState(Command(view, action), state) && (state & csEnabled);
}

// A new substitute under a line with the values typed into its cells.
TTreeNode* AddTyped(TItemSubsFrame& view, TTreeNode* line, const QList<std::pair<const char*, QVariant>>& cells)
{
    Focus(view, line);
    view.ExecCommand(Command(view, "AddSubs"));
    TTreeNode* node = view.FocusedNode();
    for (const auto& [field, value] : cells)
        EXPECT_TRUE(view.Nodes->SetNodeValueChecked(node, QLatin1String(field), value)) << field;
    return node;
}

const char* const kAllSubs = "select coalesce(SubRowHook, '-'), SubItmID, SubSeq, SubRItmID, SubRProps, SubQty, SubRQty from KX_Bom_ItemSubs order by 1, 2, 3";

} // namespace

class ItemSubsView : public TMasterDataTest {
public:
    static void SetUpTestSuite() { TMasterDataTest::SetUpTestSuite(); }

protected:
    void SetUp() override
    {
        TMasterDataTest::SetUp();
        // The demo's two substitutes, and nothing else.
        Exec(QStringLiteral("delete from KX_Bom_ItemSubs where SubRowHook is not null and SubRowHook<>'DM-B-MT40-4'"));
    }
    static QStringList StoredSubs(const QString& rowHook)
    {
        return Rows(QStringLiteral("select s.SubSeq, i.ItmNo, s.SubRQty, s.SubQty, s.SubReplace, to_char(s.SubBeginDate, 'YYYY-MM-DD') "
                                   "from KX_Bom_ItemSubs as s join KX_Base_ItemMaster as i on i.ItmID=s.SubRItmID "
                                   "where s.SubRowHook='%1' order by s.SubSeq").arg(rowHook));
    }
    std::unique_ptr<TItemSubsFrame> OpenForEditing()
    {
        auto view = OpenModuleView<TItemSubsFrame>(QStringLiteral("KX_MRP.ItemSubs"));
        EXPECT_TRUE(view && view->ToggleEditMode());
        return view;
    }
};

TEST_F(ItemSubsView, ListsGlobalAndLocalSubstitutesUnderBomsAndLines)
{
    auto view = OpenModuleView<TItemSubsFrame>(QStringLiteral("KX_MRP.ItemSubs"));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Nodes->Root()->ChildCount(), 15);              // the global range and the demo's 14 BOMs
    TTreeNode* global = view->Nodes->Root()->Child(0);
    EXPECT_EQ(global->Value(QStringLiteral("NodeText")).toString(), QStringLiteral("(全局范围)"));
    ASSERT_EQ(global->ChildCount(), 1);
    EXPECT_EQ(global->Child(0)->Value(QStringLiteral("ItmNo")).toString(), QStringLiteral("4.03.001"));
    const TTreeNode* cp15b = global->Child(0)->Child(0);
    ASSERT_NE(cp15b, nullptr);
    EXPECT_EQ(cp15b->Value(QStringLiteral("ItmNo")).toString(), QStringLiteral("4.03.002"));
    EXPECT_EQ(cp15b->Value(QStringLiteral("BomKind")).toString(), QStringLiteral("全局替代"));

    TTreeNode* bearing = LineNodeOf(*view, QStringLiteral("BOM-3.01.001"), 4);
    ASSERT_NE(bearing, nullptr);
    EXPECT_EQ(BomNodeOf(*view, QStringLiteral("BOM-3.01.001"))->Value(QStringLiteral("BomKind")).toString(), QStringLiteral("标准BOM"));
    EXPECT_EQ(bearing->Value(QStringLiteral("ItmNo")).toString(), QStringLiteral("4.02.003"));
    ASSERT_EQ(bearing->ChildCount(), 1);
    const TTreeNode* br2 = bearing->Child(0);
    EXPECT_EQ(br2->Value(QStringLiteral("NodeText")).toInt(), 1);
    EXPECT_EQ(br2->Value(QStringLiteral("BomKind")).toString(), QStringLiteral("局部替代"));
    EXPECT_EQ(br2->Value(QStringLiteral("ItmSpec")).toString(), QStringLiteral("608-2RS"));
    EXPECT_EQ(br2->Value(QStringLiteral("BomQty")).toDouble(), 1);
    EXPECT_EQ(view->Columns.At(0)->Caption, QStringLiteral("BOM单号/行号"));
    EXPECT_EQ(view->GetColumnByField(QStringLiteral("BomBaseQty"))->Caption, QStringLiteral("用量基数(基本)"));

    // Edit commands wait for edit mode; copying needs a BOM outside it.
    Focus(*view, bearing);
    EXPECT_FALSE(Enabled(*view, "AddSubs"));
    EXPECT_TRUE(Enabled(*view, "CopySubs"));
    Focus(*view, global);
    EXPECT_FALSE(Enabled(*view, "CopySubs"));
    view->trlMain->scrollTo(view->Nodes->IndexOf(bearing));
    EXPECT_TRUE(SavePicture(view.get(), QStringLiteral("item_subs_view.png")));

    // The filter bar: lines that have a given item as substitute, the kind kept in the scheme.
    view->SetFilterLimit(islSubstitute, QStringLiteral("DM-I-BR2"));
    view->btnFilterOK->click();
    ASSERT_EQ(view->Nodes->Root()->ChildCount(), 1);
    EXPECT_EQ(view->Nodes->Root()->Child(0)->Value(QStringLiteral("NodeText")).toString(), QStringLiteral("BOM-3.01.001"));
    EXPECT_TRUE(view->ViewScheme.Params.contains(QStringLiteral("[LimitKind]=2")));
}

TEST_F(ItemSubsView, SubstitutesAreCopiedAddedReorderedAndDeletedThroughTheViews)
{
    const QString demoBegin = Scalar(QStringLiteral("select to_char(SubBeginDate, 'YYYY-MM-DD') from KX_Bom_ItemSubs "
                                                    "where SubRowHook='DM-B-MT40-4'")).toString();
    const QString bearingSub = QStringLiteral("1, 4.02.004, 1.00000000, 1.00000000, 0, ") + demoBegin;
    auto view = OpenModuleView<TItemSubsFrame>(QStringLiteral("KX_MRP.ItemSubs"));
    // Copy: the 30W motor takes the bearing substitute of the 40W motor, dates and all.
    Focus(*view, BomNodeOf(*view, QStringLiteral("BOM-3.01.002")));
    ASSERT_TRUE(Enabled(*view, "CopySubs"));
    OnNextDialog<TCopyItemSubsDlg>([](TCopyItemSubsDlg* dlg) {
        TScriptedMessages script;
        dlg->accept();
        dlg->edtSource->setText(QStringLiteral("1.01.001"));          // the floor fan's BOM has no substitutes
        EXPECT_FALSE(dlg->Search());
        dlg->edtSource->clear();
        EXPECT_FALSE(dlg->Search());
        dlg->edtSource->setText(QStringLiteral("3.01.00_"));
        ASSERT_TRUE(dlg->Search());
        EXPECT_EQ(script.Texts(), (QStringList{"请勾选需复制的替代料数据!", "未搜索到与复制目标产品相同BOM用料子项的替代料数据!",
                                               "请输入需复制替代料信息的来源产品搜索内容!"}));
        ASSERT_EQ(dlg->trlSource->topLevelItemCount(), 1);          // the target itself is no source
        QTreeWidgetItem* source = dlg->trlSource->topLevelItem(0);
        EXPECT_EQ(source->text(0), QStringLiteral("BOM-3.01.001"));
        EXPECT_EQ(source->text(1), QStringLiteral("源"));
        EXPECT_EQ(source->child(0)->child(0)->text(1), QStringLiteral("局部替代"));
        dlg->SetChecked(source, true);
        EXPECT_EQ(source->child(0)->child(0)->checkState(0), Qt::Checked);
        dlg->accept();
    });
    view->ExecCommand(Command(*view, "CopySubs"));
    EXPECT_EQ(ERPAccess.Stored, QStringList{QStringLiteral("1/DM-B-MT30:1")});
    EXPECT_EQ(StoredSubs(QStringLiteral("DM-B-MT30-4")), QStringList{bearingSub});
    ASSERT_EQ(LineNodeOf(*view, QStringLiteral("BOM-3.01.002"), 4)->ChildCount(), 1);

    // Add: two substitutes typed into new rows, the second moved up before saving.
    ASSERT_TRUE(view->ToggleEditMode());
    TTreeNode* capacitor = LineNodeOf(*view, QStringLiteral("BOM-3.01.002"), 5);
    TTreeNode* first = AddTyped(*view, capacitor, {{"ItmNo", QStringLiteral("4.03.002")}, {"BomQty", 2}, {"BomBeginDate", QDate(2026, 1, 1)}});
    EXPECT_EQ(first->Value(QStringLiteral("ItmName")).toString(), QStringLiteral("电容"));
    EXPECT_EQ(first->Value(QStringLiteral("BomUQty")).toDouble(), 2);
    EXPECT_EQ(first->Value(QStringLiteral("BomKind")).toString(), QStringLiteral("局部替代"));
    TTreeNode* second = AddTyped(*view, capacitor, {{"ItmNo", QStringLiteral("4.06.003")}, {"BomProp1", QStringLiteral("白色")}});
    EXPECT_EQ(second->Value(QStringLiteral("NodeText")).toInt(), 2);
    Focus(*view, second);
    ASSERT_TRUE(Enabled(*view, "UpSubs"));
    EXPECT_FALSE(Enabled(*view, "DownSubs"));
    view->ExecCommand(Command(*view, "UpSubs"));
    EXPECT_EQ(second->Value(QStringLiteral("NodeText")).toInt(), 1);
    TScriptedMessages script;
    ASSERT_TRUE(view->ExecCommand(cmdSave));
    EXPECT_EQ(script.Count(), 0) << script.LastText().toStdString();
    EXPECT_EQ(ERPAccess.Stored.last(), QStringLiteral("1/DM-B-MT30:3"));
    EXPECT_EQ(StoredSubs(QStringLiteral("DM-B-MT30-5")),
              (QStringList{"1, 4.06.003, 1.00000000, 1.00000000, 0, ", "2, 4.03.002, 2.00000000, 1.00000000, 0, 2026-01-01"}));
    EXPECT_EQ(Scalar(QStringLiteral("select p.PrsProp1 from KX_Bom_ItemSubs as s join KX_Base_ItemProps as p on p.PrsID=s.SubRProps "
                                    "where s.SubRowHook='DM-B-MT30-5' and s.SubSeq=1")).toString(),
              QStringLiteral("白色"));
    EXPECT_EQ(StoredSubs(QStringLiteral("DM-B-MT30-4")).size(), 1);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_Bom_ItemSubs where SubRowHook is null")).toInt(), 1);

    // Delete: the copied bearing substitute goes, the capacitors stay.
    TTreeNode* bearing = LineNodeOf(*view, QStringLiteral("BOM-3.01.002"), 4);
    ASSERT_TRUE(view->GetEditMode());
    view->trlMain->selectionModel()->select(view->Nodes->IndexOf(bearing->Child(0)),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ASSERT_TRUE(Enabled(*view, "DelSubs"));
    view->ExecCommand(Command(*view, "DelSubs"));
    EXPECT_EQ(bearing->ChildCount(), 0);
    ASSERT_TRUE(view->SaveData());
    EXPECT_TRUE(StoredSubs(QStringLiteral("DM-B-MT30-4")).isEmpty());
    EXPECT_EQ(StoredSubs(QStringLiteral("DM-B-MT30-5")).size(), 2);
    EXPECT_EQ(StoredSubs(QStringLiteral("DM-B-MT40-4")), QStringList{bearingSub});
}

TEST_F(ItemSubsView, TheBatchAddPutsOneSubstituteOnEverySelectedLine)
{
    auto view = OpenForEditing();
    TTreeNode* mt40 = LineNodeOf(*view, QStringLiteral("BOM-3.01.001"), 4);
    TTreeNode* mt30 = LineNodeOf(*view, QStringLiteral("BOM-3.01.002"), 4);
    view->trlMain->selectionModel()->select(view->Nodes->IndexOf(mt40), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->trlMain->selectionModel()->select(view->Nodes->IndexOf(mt30), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ASSERT_TRUE(Enabled(*view, "AddSubsEx"));
    OnNextDialog<TAddItemSubsDlg>([](TAddItemSubsDlg* dlg) {
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("批量新增替代物料"));
        dlg->edtItemNo->setText(QStringLiteral("4.02.001"));
        dlg->edtItemNoExit();
        EXPECT_EQ(dlg->edtItemSpec->text(), QStringLiteral("φ8×120 45#钢"));
        dlg->edtQty->setText(QStringLiteral("3"));
        dlg->cboPosition->setCurrentIndex(aspFirst);
        dlg->accept();
    });
    view->ExecCommand(Command(*view, "AddSubsEx"));
    ASSERT_EQ(mt40->ChildCount(), 2);
    EXPECT_EQ(mt40->Child(0)->Value(QStringLiteral("ItmNo")).toString(), QStringLiteral("4.02.001"));
    EXPECT_EQ(mt40->Child(0)->Value(QStringLiteral("BomQty")).toDouble(), 3);
    EXPECT_EQ(mt40->Child(1)->Value(QStringLiteral("NodeText")).toInt(), 2);
    ASSERT_EQ(mt30->ChildCount(), 1);
    EXPECT_TRUE(view->NeedSave());

    // The dialog's own checks.
    const struct {
        const char* ItemNo;
        const char* Qty;
        const char* End;
        const char* Message;
    } cases[] = {
        {"", "1", "", "[替代物料代码]的内容不能为空!"},
        {"2.03.001", "1", "", "[替代物料代码]的值(2.03.001)不存在!"},   // a virtual item is no substitute
        {"4.02.001", "0", "", "[替代用量]的值(0)没有大于0 !"},
        {"4.02.001", "1", "2026/13/40", "[失效日期]的值(2026/13/40)无效!"},
        {"4.02.001", "1", "2025/12/31", "[失效日期]的值没有大于[生效日期]的值!"},
    };
    for (const auto& c : cases) {
        TAddItemSubsDlg dlg;
        dlg.edtItemNo->setText(QString::fromUtf8(c.ItemNo));
        dlg.edtQty->setText(QLatin1String(c.Qty));
        dlg.edtBeginDate->setText(QStringLiteral("2026/01/01"));
        dlg.edtEndDate->setText(QLatin1String(c.End));
        TScriptedMessages script;
        dlg.accept();
        EXPECT_NE(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(script.Texts(), QStringList{QString::fromUtf8(c.Message)});
    }
}

TEST_F(ItemSubsView, EveryCheckShowsItsMessageFocusesTheCellAndStoresNothing)
{
    const struct {
        QList<std::pair<const char*, QVariant>> Cells;
        const char* Message;
        const char* Focus;
    } cases[] = {
        {{}, "[物料代码]的内容不能为空!", "ItmNo"},
        {{{"ItmNo", "X.99"}}, "[物料代码]的值(X.99)不存在!", "ItmNo"},
        {{{"ItmNo", "2.03.001"}}, "[物料代码]的值(2.03.001)不存在!", "ItmNo"},
        {{{"ItmNo", "4.02.004"}}, "替代物料不允许重复, \"4.02.004\"已存在!", "ItmNo"},
        {{{"ItmNo", "4.02.003"}}, "替代物料\"4.02.003\"与被替代物料(或其上级产品)出现重复!", "ItmNo"},
        {{{"ItmNo", "3.01.001"}}, "替代物料\"3.01.001\"与被替代物料(或其上级产品)出现重复!", "ItmNo"},
        // The products above the BOM's product (the motor goes into the head, the head into the fans).
        {{{"ItmNo", "2.01.001"}}, "替代物料\"2.01.001\"与被替代物料(或其上级产品)出现重复!", "ItmNo"},
        {{{"ItmNo", "1.01.003"}}, "替代物料\"1.01.003\"与被替代物料(或其上级产品)出现重复!", "ItmNo"},
        {{{"ItmNo", "4.06.003"}}, "[辅助项1]的内容不能为空!", "BomProp1"},
        {{{"ItmNo", "4.06.003"}, {"BomProp1", "红色"}}, "[辅助项1]的值(红色)无效!", "BomProp1"},
        {{{"ItmNo", "4.02.001"}, {"BomQty", 0}}, "[用量(基本)]的值(0)没有大于0 !", "BomQty"},
        {{{"ItmNo", "4.02.001"}, {"BomBeginDate", QDate(2026, 2, 1)}, {"BomEndDate", QDate(2026, 2, 1)}},
         "[失效日期]的值没有大于[生效日期]的值!", "BomEndDate"},
    };
    const QStringList before = Rows(QLatin1String(kAllSubs));
    auto view = OpenForEditing();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Message);
        // A valid substitute on another BOM is not stored either.
        AddTyped(*view, LineNodeOf(*view, QStringLiteral("BOM-3.01.002"), 5), {{"ItmNo", QStringLiteral("4.03.002")}});
        TTreeNode* node = AddTyped(*view, LineNodeOf(*view, QStringLiteral("BOM-3.01.001"), 4), c.Cells);
        TScriptedMessages script;
        EXPECT_FALSE(view->SaveData());
        EXPECT_EQ(script.Texts(), QStringList{QString::fromUtf8(c.Message)});
        EXPECT_EQ(view->FocusedNode(), node);
        EXPECT_EQ(view->trlMain->currentIndex().data(vrFieldName).toString(), QLatin1String(c.Focus));
        EXPECT_TRUE(view->NeedSave());
        view->RefreshData(false);
    }
    EXPECT_TRUE(ERPAccess.Stored.isEmpty());
    EXPECT_EQ(Rows(QLatin1String(kAllSubs)), before);
}

TEST_F(ItemSubsView, AGlobalSubstituteMayBeNoProductThatUsesTheItemAtAnyLevel)
{
    // The capacitor goes into the motors, the motors into the heads, the heads into the fans.
    for (const char* product : {"3.01.002", "2.01.001", "1.01.003"}) {
        SCOPED_TRACE(product);
        auto view = OpenForEditing();
        TTreeNode* capacitor = view->Nodes->Root()->Child(0)->Child(0);
        ASSERT_EQ(capacitor->Value(QStringLiteral("ItmNo")).toString(), QStringLiteral("4.03.001"));
        TTreeNode* node = AddTyped(*view, capacitor, {{"ItmNo", QString::fromLatin1(product)}});
        TScriptedMessages script;
        EXPECT_FALSE(view->SaveData());
        EXPECT_EQ(script.Texts(), QStringList{QStringLiteral("替代物料\"%1\"与被替代物料(或其上级产品)出现重复!").arg(QLatin1String(product))});
        EXPECT_EQ(view->FocusedNode(), node);
    }
    EXPECT_TRUE(ERPAccess.Stored.isEmpty());
}

TEST_F(ItemSubsView, ABillTheServiceRefusesLeavesTheStoredSubstitutesAsTheyWere)
{
    const QStringList before = Rows(QLatin1String(kAllSubs));
    auto view = OpenForEditing();
    AddTyped(*view, LineNodeOf(*view, QStringLiteral("BOM-3.01.001"), 4), {{"ItmNo", QStringLiteral("4.02.001")}});
    ERPAccess.FailingStatement = QStringLiteral("select 1/0");
    {
        TScriptedMessages script;
        EXPECT_FALSE(view->SaveData());
        ASSERT_EQ(script.Count(), 1);
        EXPECT_TRUE(script.LastText().contains(QStringLiteral("division by zero"))) << script.LastText().toStdString();
    }
    EXPECT_TRUE(view->NeedSave());
    EXPECT_EQ(Rows(QLatin1String(kAllSubs)), before);

    // Without a bill service nothing can be stored.
    Host().Env.ERPAccess = nullptr;
    {
        TScriptedMessages script;
        EXPECT_FALSE(view->SaveData());
        EXPECT_EQ(script.Texts(), QStringList{QStringLiteral("主程序没有提供替代物料的单据服务, 不能保存!")});
    }
    Host().Env.ERPAccess = &ERPAccess;
    EXPECT_EQ(Rows(QLatin1String(kAllSubs)), before);
    TScriptedMessages script;
    EXPECT_TRUE(view->SaveData());
    EXPECT_EQ(StoredSubs(QStringLiteral("DM-B-MT40-4")).size(), 2);
}
