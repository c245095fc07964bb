// The tree view: field bindings, lazy loading of children, expanding everything with an
// Esc stop, and export with or without loading every node.
#include "viewfixture.h"

#include "views/exportservice.h"
#include "views/treeview.h"

#include "db/errors.h"
#include "db/quote.h"
#include "db/shared.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

// Units with their items below, and below each item a line with its size and form (ItmSpec).
class TUnitItemsTree : public TInfoTreeView {
public:
    TUnitItemsTree(QWidget* owner, const TInfoObjectDef* def) : TInfoTreeView(owner, def)
    {
        BindStaticColumn(CreateColumn(QStringLiteral("编号")), QStringLiteral("ItmNo"));
        BindStaticColumn(CreateColumn(QStringLiteral("名称")), QStringLiteral("ItmName"));
        BindStaticColumn(CreateColumn(QStringLiteral("类型")), QStringLiteral("ItmType"));
        BindStaticColumn(CreateColumn(QStringLiteral("价格")), QStringLiteral("ItmStdPrice"));
    }

    QStringList Loads;
    using TInfoTreeView::BindStaticColumn;

protected:
    void LoadData(bool) override
    {
        Nodes->Clear();
        TQuery q(&SharedConnection());
        q.SQL = QStringLiteral("select UntID, UntNo, UntName from KX_Base_Unit order by UntID");
        q.Open();
        for (; !q.Eof(); q.Next()) {
            TTreeNode* unit = Nodes->AddNode(nullptr, {{QStringLiteral("ItmNo"), q.Fields(1).AsString()},
                                                       {QStringLiteral("ItmName"), q.Fields(2).AsString()}});
            unit->Data = q.Fields(0).AsString();
            unit->HasChildren = true;
        }
    }

    void LoadChildNodes(TTreeNode* node) override
    {
        Loads << node->Value(QStringLiteral("ItmNo")).toString();
        if (node->Level() == 1) {
            Nodes->AddNode(node, {{QStringLiteral("ItmName"), node->Data}});
            return;
        }
        TQuery q(&SharedConnection());
        q.SQL = QStringLiteral("select ItmNo, ItmName, ItmType, ItmStdPrice, ItmSpec from KX_Base_ItemMaster where ItmUnitID=%1 "
                               "order by ItmNo").arg(QuotedStr(node->Data.toString()));
        q.Open();
        for (; !q.Eof(); q.Next()) {
            TTreeNode* item = Nodes->AddNode(node, {{QStringLiteral("ItmNo"), q.Fields(0).Value()},
                                                    {QStringLiteral("ItmName"), q.Fields(1).Value()},
                                                    {QStringLiteral("ItmType"), q.Fields(2).Value()},
                                                    {QStringLiteral("ItmStdPrice"), q.Fields(3).Value()}});
            item->Data = q.Fields(4).Value();
            item->HasChildren = true;
        }
    }
};

} // namespace

class TreeView : public TViewTest {
public:
    static void SetUpTestSuite() { TViewTest::SetUpTestSuite(); }
};

TEST_F(TreeView, BindsColumnsToFieldsWithTheDefinitionsCaptions)
{
    auto tree = OpenView<TUnitItemsTree>(ItemsDef());
    // A name "物料\编号" shows only the part after the band name; others whole.
    EXPECT_EQ(tree->GetColumnByField(QStringLiteral("itmno"))->Caption, QStringLiteral("编号"));
    EXPECT_EQ(tree->GetColumnByField(QStringLiteral("ItmType"))->Caption, QStringLiteral("物料类型"));
    EXPECT_EQ(tree->GetColumnByField(QStringLiteral("ItmType"))->Kind, ckEnum);
    EXPECT_EQ(tree->GetColumnField(tree->GetColumnByField(QStringLiteral("ItmName"))), QStringLiteral("ItmName"));
    EXPECT_EQ(tree->GetColumnByField(QStringLiteral("Nothing")), nullptr);
    EXPECT_EQ(tree->GetItemFieldNames(), QString());

    // A field bound twice, or a static binding after a dynamic column, is refused.
    const auto bindError = [&](TViewColumn* column, const QString& field) {
        try {
            tree->BindStaticColumn(column, field);
        } catch (const EKxError& e) {
            return e.Message();
        }
        return QString();
    };
    EXPECT_EQ(bindError(tree->CreateColumn(QStringLiteral("重复")), QStringLiteral("ItmNo")), QStringLiteral("Bind static column error !"));
    EXPECT_EQ(bindError(tree->CreateColumn(QStringLiteral("规格")), QStringLiteral("Item_Spec")), QString());
    EXPECT_EQ(tree->GetItemFieldNames(), QStringLiteral("|Item_Spec|"));
    tree->AddDynamicColumn(QStringLiteral("P01"), QStringLiteral("第1期"));
    EXPECT_EQ(bindError(tree->CreateColumn(QStringLiteral("单位")), QStringLiteral("UntName")), QStringLiteral("Bind static column error !"));
    tree->RemoveDynamicColumns();
    EXPECT_EQ(tree->GetColumnByField(QStringLiteral("P01")), nullptr);
    EXPECT_EQ(bindError(tree->CreateColumn(QStringLiteral("单位")), QStringLiteral("UntName")), QString());

    // The select part of "Item_" fields: expressions of the definition, else null.
    QString select, join;
    tree->BuildItemFieldsSQL(select, nullptr, join);
    EXPECT_EQ(select, QStringLiteral(", null as \"Item_Spec\""));
}

TEST_F(TreeView, LoadsChildrenOnlyWhenANodeIsFirstExpanded)
{
    auto tree = OpenView<TUnitItemsTree>(ItemsDef());
    tree->show();
    tree->RefreshData(false);
    QApplication::processEvents();
    EXPECT_EQ(tree->Nodes->rowCount(), 2);
    EXPECT_TRUE(tree->Loads.isEmpty());

    const QModelIndex sets = tree->Nodes->index(1, 0);
    tree->trlMain->expand(sets);
    QApplication::processEvents();
    EXPECT_EQ(tree->Loads, QStringList{QStringLiteral("SET")});
    EXPECT_EQ(tree->Nodes->rowCount(sets), 2);
    EXPECT_EQ(tree->Nodes->index(0, 0, sets).data().toString(), QStringLiteral("C001"));

    // The focused node's values as SQL-ready texts.
    tree->trlMain->setCurrentIndex(tree->Nodes->index(1, 0, sets));
    EXPECT_EQ(tree->GetFocusedRecordString(QStringLiteral("ItmNo")), QStringLiteral("'C002'"));
    EXPECT_EQ(tree->GetFocusedRecordString(QStringLiteral("ItmType")), QStringLiteral("3"));
    EXPECT_EQ(tree->GetFocusedRecordString(QStringLiteral("ItmStdPrice")), QStringLiteral("null"));
    EXPECT_EQ(tree->GetFocusedRecordString(QStringLiteral("UntName")), QStringLiteral("null"));
    tree->CloseData();
    EXPECT_EQ(tree->Nodes->rowCount(), 0);
    EXPECT_EQ(tree->GetFocusedRecordString(QStringLiteral("ItmNo")), QStringLiteral("null"));
}

TEST_F(TreeView, ExpandingAllNodesStopsSilentlyOnEsc)
{
    auto tree = OpenView<TUnitItemsTree>(ItemsDef());
    {
        TScriptedMessages script;
        tree->RefreshData(false);
        Host().Calls.clear();
        EXPECT_TRUE(tree->ExpandAllNodes());
        EXPECT_EQ(tree->Loads, (QStringList{"PCS", "A001", "A002", "A003", "B001", "SET", "C001", "C002"}));
        EXPECT_EQ(Host().Calls, (QStringList{QStringLiteral("ShowStatusText:0:正在展开树形视图的全部结点, 按[Esc]键可以中止..."),
                                             QStringLiteral("ShowStatusText:0:")}));
        EXPECT_EQ(script.Count(), 0);
    }
    {
        // Esc goes down at the fourth poll: after A001's line, A001, A002's line, A002.
        TScriptedMessages script;
        tree->Loads.clear();
        tree->RefreshData(false);
        TEscapeHold esc(3);
        EXPECT_FALSE(tree->ExpandAllNodes());
        EXPECT_EQ(esc.Polls(), 4);
        EXPECT_EQ(tree->Loads, (QStringList{"PCS", "A001", "A002"}));
        EXPECT_FALSE(tree->Nodes->Root()->Child(1)->ChildrenLoaded);
        EXPECT_EQ(script.Count(), 0);                 // no question: Esc stops at once
        EXPECT_EQ(Host().Calls.last(), QStringLiteral("ShowStatusText:0:"));
    }
}

TEST_F(TreeView, ExportAsksForAFullLoadAndWritesWhatIsOpenOrEverything)
{
    const QString question = QStringLiteral("导出数据前强制展开装载全部结点的内容?\r\r提示: 全部装载可能大量耗时, 过程中可以按[Esc]键中止。");
    const QString done = QStringLiteral("执行完成。");
    const QString file = QDir::temp().filePath(QStringLiteral("kx-tree-export-%1.csv").arg(QCoreApplication::applicationPid()));
    SetExportFileChooser([file](QWidget*, const QString&) { return file; });
    auto tree = OpenView<TUnitItemsTree>(ItemsDef());
    tree->RefreshData(false);
    // Records written: without a full load only the two units on screen; with it every
    // unit, item and item line; a stopped load writes nothing.
    const struct {
        int Answer;
        bool EscHeld;
        QStringList Texts;
        int Lines;
    } cases[] = {
        {mrCancel, false, {question}, -1},
        {mrNo, false, {question, done}, 2},
        {mrYes, true, {question, QStringLiteral("执行已被中止!")}, -1},
        {mrYes, false, {question, done}, 2 + 6 + 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Answer);
        QFile::remove(file);
        TScriptedMessages script({c.Answer});
        std::unique_ptr<TEscapeHold> esc(c.EscHeld ? new TEscapeHold : nullptr);
        EXPECT_TRUE(tree->ExecCommand(cmdExport));
        EXPECT_EQ(script.Texts(), c.Texts);
        EXPECT_EQ(script.Requests().first().Buttons, mbYesNoCancel | mbDefButton2);
        QFile written(file);
        EXPECT_EQ(written.open(QIODevice::ReadOnly), c.Lines >= 0);
        if (c.Lines >= 0) {
            EXPECT_EQ(written.readAll().count("\r\n"), 1 + c.Lines);
        }
    }
    SetExportFileChooser(nullptr);
    QFile::remove(file);
}
