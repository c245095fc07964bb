// Pictures of a grid view (bands, groups, footers, view-sign colours) and a tree view,
// rendered offscreen into the test output folder for a look by eye.
#include "viewfixture.h"

#include "views/gridgroupmodel.h"
#include "views/treeview.h"

#include "db/quote.h"
#include "db/shared.h"

#include <QApplication>
#include <QDir>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

// Items under two band captions, as a concrete view designs them.
class TBandedItemsView : public TInfoGridView {
public:
    TBandedItemsView(QWidget* owner, const TInfoObjectDef* def) : TInfoGridView(owner, def)
    {
        Columns.AddBand(QStringLiteral("物料资料"));
        AddColumn(QStringLiteral("ItmName"), QStringLiteral("名称"))->Width = 110;
        AddColumn(QStringLiteral("ItmSpec"), QStringLiteral("规格"))->Width = 90;
        Columns.AddBand(QStringLiteral("计划资料"));
    }
};

class TItemsTree : public TInfoTreeView {
public:
    TItemsTree(QWidget* owner, const TInfoObjectDef* def) : TInfoTreeView(owner, def)
    {
        const int band = Columns.AddBand(QStringLiteral("物料"));
        for (const char* field : {"ItmNo", "ItmName", "ItmType", "ItmStdPrice"})
            BindStaticColumn(CreateColumn(QString(), band), QString::fromLatin1(field));
        Columns.At(0)->Width = 160;
    }

protected:
    void LoadData(bool) override
    {
        Nodes->Clear();
        TQuery q(&SharedConnection());
        q.SQL = QStringLiteral("select u.UntName, i.ItmNo, i.ItmName, i.ItmType, i.ItmStdPrice from KX_Base_ItemMaster as i "
                               "join KX_Base_Unit as u on u.UntID=i.ItmUnitID order by u.UntID, i.ItmNo");
        q.Open();
        TTreeNode* unit = nullptr;
        for (; !q.Eof(); q.Next()) {
            if (!unit || unit->Value(QStringLiteral("ItmName")) != q.Fields(0).Value())
                unit = Nodes->AddNode(nullptr, {{QStringLiteral("ItmNo"), QStringLiteral("单位")},
                                                {QStringLiteral("ItmName"), q.Fields(0).Value()}});
            Nodes->AddNode(unit, {{QStringLiteral("ItmNo"), q.Fields(1).Value()}, {QStringLiteral("ItmName"), q.Fields(2).Value()},
                                  {QStringLiteral("ItmType"), q.Fields(3).Value()}, {QStringLiteral("ItmStdPrice"), q.Fields(4).Value()}});
        }
    }
};

} // namespace

class Snapshots : public TViewTest {
public:
    static void SetUpTestSuite() { TViewTest::SetUpTestSuite(); }
};

TEST_F(Snapshots, GridAndTreeViewsRenderWithChineseCaptions)
{
    Exec(QStringLiteral("update KX_Base_ItemMaster set ItmStdPrice=12.5 where ItmNo='B001'; "
                        "insert into KX_SYS_ViewSchemes (ViwID, ViwUsrID, ViwName, ViwKind, ViwParams) values "
                        "('KX_TEST.Items', '', '默认', 2, %1)")
             .arg(QuotedStr(QStringLiteral("[Sorts]=ItmType:0:1|ItmNo:0:0\r\n[Total]=11\r\n[Summaries]=ItmStdPrice:1|ItmNo:2"))));
    auto grid = OpenView<TBandedItemsView>(ItemsDef());
    grid->resize(820, 380);
    grid->show();
    grid->RefreshData(false);
    grid->FocusRecord(RecordOfItem(*grid, QStringLiteral("A002")));
    QApplication::processEvents();
    EXPECT_TRUE(grid->Columns.HasBandCaptions());
    EXPECT_EQ(grid->RowModel()->rowCount(), 3);
    const QString gridFile = TestOutputPath(QStringLiteral("grid_view.png"));
    ASSERT_TRUE(grid->grab().save(gridFile));

    auto tree = OpenView<TItemsTree>(ItemsDef());
    tree->resize(640, 300);
    tree->show();
    tree->RefreshData(false);
    tree->trlMain->expandAll();
    tree->trlMain->setCurrentIndex(tree->Nodes->index(1, 0, tree->Nodes->index(0, 0)));
    QApplication::processEvents();
    const QString treeFile = TestOutputPath(QStringLiteral("tree_view.png"));
    ASSERT_TRUE(tree->grab().save(treeFile));

    EXPECT_GT(QFileInfo(gridFile).size(), 5000);
    EXPECT_GT(QFileInfo(treeFile).size(), 3000);
}
