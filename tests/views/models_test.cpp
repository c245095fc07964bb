// The item models behind grids and trees, checked by Qt's model tester while they are
// regrouped, sorted, edited, filled lazily and cleared.
#include "views/gridgroupmodel.h"
#include "views/gridmodel.h"
#include "views/treemodel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "qtprinters.h"

#include <gtest/gtest.h>

using namespace kx;

namespace {

using Tester = QAbstractItemModelTester;
constexpr auto kFatal = QAbstractItemModelTester::FailureReportingMode::Fatal;

TRecordSet Orders()
{
    TRecordSet set;
    set.SetFields({{QStringLiteral("No"), ftWideString}, {QStringLiteral("Kind"), ftInteger}, {QStringLiteral("Qty"), ftFloat}});
    set.AppendRecord({QStringLiteral("S-03"), 1, 4.0});
    set.AppendRecord({QStringLiteral("S-01"), 2, 0.0});
    set.AppendRecord({QStringLiteral("S-02"), 1, QVariant()});
    set.AppendRecord({QStringLiteral("S-05"), 2, 6.5});
    set.AppendRecord({QStringLiteral("S-04"), 1, 1.5});
    set.ClearModified();
    return set;
}

void AddOrderColumns(TViewColumns& columns)
{
    columns.Add(QStringLiteral("No"), QStringLiteral("单号"));
    TViewColumn* kind = columns.Add(QStringLiteral("Kind"), QStringLiteral("类别"));
    kind->Kind = ckEnum;
    kind->EnumItems = {{QStringLiteral("销售"), 1}, {QStringLiteral("预测"), 2}};
    TViewColumn* qty = columns.Add(QStringLiteral("Qty"), QStringLiteral("数量"));
    qty->Kind = ckNumber;
    qty->DataType = ftFloat;
    qty->Editable = true;
    qty->Summary = skSum;
}

QStringList NumbersInOrder(const TGridGroupModel& rows)
{
    QStringList numbers;
    for (int r : rows.DataRowsInOrder())
        numbers << rows.RecordModel()->Value(r, QStringLiteral("No")).toString();
    return numbers;
}

} // namespace

TEST(ViewModels, GridRowsRegroupSortAndSummariseConsistently)
{
    TViewColumns columns;
    AddOrderColumns(columns);
    TRecordTableModel records(&columns);
    TGridGroupModel rows;
    rows.setSourceModel(&records);
    Tester recordsTester(&records, kFatal);
    Tester rowsTester(&rows, kFatal);
    records.SetRecords(Orders());
    EXPECT_EQ(rows.rowCount(), 5);
    EXPECT_EQ(NumbersInOrder(rows), (QStringList{"S-03", "S-01", "S-02", "S-05", "S-04"}));

    // Grouped by kind, numbers ascending within a group, footers with the quantity sums.
    columns.FooterVisible = columns.GroupFootersVisible = true;
    columns.ByField(QStringLiteral("Kind"))->GroupIndex = 0;
    columns.ByField(QStringLiteral("No"))->SortIndex = 0;
    rows.Rebuild();
    ASSERT_EQ(rows.rowCount(), 2);
    const QModelIndex sales = rows.index(0, 0);
    EXPECT_EQ(sales.data().toString(), QStringLiteral("类别: 销售 (3)"));
    EXPECT_EQ(rows.rowCount(sales), 4);
    EXPECT_EQ(NumbersInOrder(rows), (QStringList{"S-02", "S-03", "S-04", "S-01", "S-05"}));
    EXPECT_EQ(rows.index(3, 2, sales).data().toString(), QStringLiteral("5.5"));
    EXPECT_EQ(rows.FooterSummary(2)->Result().toDouble(), 12.0);

    // An edit through the rows reaches the record and the summaries.
    records.SetEditing(true);
    const QModelIndex s02 = rows.IndexOfSourceRow(2, 2);
    EXPECT_TRUE(rows.setData(s02, QStringLiteral("2")));
    EXPECT_EQ(records.Value(2, QStringLiteral("Qty")).toDouble(), 2.0);
    EXPECT_TRUE(records.Records().RecordModified(2));
    EXPECT_EQ(rows.index(3, 2, sales).data().toString(), QStringLiteral("7.5"));

    // A value of the wrong type is refused with the field-check text.
    QSignalSpy refused(&records, &TRecordTableModel::ValueRefused);
    EXPECT_FALSE(rows.setData(s02, QStringLiteral("两个")));
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused.first().at(2).toString(), QStringLiteral("[数量]的值(两个)无效!"));
    EXPECT_FALSE(rows.setData(rows.index(0, 2), 1));          // a group row takes no value

    // Header click: one sort column, groups kept; then ungrouped and descending.
    rows.sort(0, Qt::DescendingOrder);
    EXPECT_EQ(NumbersInOrder(rows), (QStringList{"S-04", "S-03", "S-02", "S-05", "S-01"}));
    columns.ByField(QStringLiteral("Kind"))->GroupIndex = -1;
    rows.Rebuild();
    EXPECT_EQ(rows.rowCount(), 5);
    EXPECT_EQ(NumbersInOrder(rows), (QStringList{"S-05", "S-04", "S-03", "S-02", "S-01"}));
    records.Clear();
    EXPECT_EQ(rows.rowCount(), 0);
}

TEST(ViewModels, TreeNodesLoadTheirChildrenWhenFirstExpanded)
{
    TViewColumns columns;
    columns.Add(QStringLiteral("Name"), QStringLiteral("名称"));
    columns.Add(QStringLiteral("Qty"), QStringLiteral("数量"))->Kind = ckNumber;
    TTreeModel model(&columns);
    QStringList loaded;
    // Two levels below each top node: "<name>.1" .. "<name>.3"; the second level has none.
    model.SetLoader([&](TTreeNode* node) {
        loaded << node->Value(QStringLiteral("Name")).toString();
        if (node->Level() >= 1)
            return;
        for (int i = 1; i <= 3; ++i) {
            TTreeNode* child = model.AddNode(node, {{QStringLiteral("Name"), node->Value(QStringLiteral("Name")).toString()
                                                                                  + QStringLiteral(".%1").arg(i)},
                                                    {QStringLiteral("Qty"), 4 - i}});
            child->HasChildren = true;
        }
    });
    TTreeNode* a = model.AddNode(nullptr, {{QStringLiteral("Name"), QStringLiteral("A")}});
    a->HasChildren = true;
    TTreeNode* b = model.AddNode(nullptr, {{QStringLiteral("Name"), QStringLiteral("B")}});
    b->HasChildren = true;

    const QModelIndex ia = model.IndexOf(a);
    EXPECT_EQ(model.rowCount(ia), 0);
    EXPECT_TRUE(model.hasChildren(ia));
    EXPECT_TRUE(model.canFetchMore(ia));
    model.fetchMore(ia);
    EXPECT_EQ(loaded, QStringList{QStringLiteral("A")});
    EXPECT_EQ(model.rowCount(ia), 3);
    EXPECT_FALSE(model.canFetchMore(ia));

    // A child that turns out to have no children loses its expander.
    TTreeNode* a1 = a->Child(0);
    model.fetchMore(model.IndexOf(a1));
    EXPECT_FALSE(model.hasChildren(model.IndexOf(a1)));

    // Sorting by quantity ascending reorders siblings and keeps indexes on their nodes.
    const QPersistentModelIndex kept(model.IndexOf(a1, 1));
    columns.ByField(QStringLiteral("Qty"))->SortIndex = 0;
    model.SortNodes();
    EXPECT_EQ(a->Child(0)->Value(QStringLiteral("Name")).toString(), QStringLiteral("A.3"));
    EXPECT_EQ(kept.row(), 2);
    EXPECT_EQ(kept.data().toString(), QStringLiteral("3"));

    // The tester walks the whole tree, fetching what it may, while nodes come and go.
    Tester tester(&model, kFatal);
    EXPECT_TRUE(loaded.contains(QStringLiteral("B")));
    model.SetNodeValue(b, QStringLiteral("Qty"), 9);
    model.DeleteNode(a->Child(1));
    EXPECT_EQ(a->ChildCount(), 2);
    model.ResetChildren(a);
    EXPECT_TRUE(model.canFetchMore(model.IndexOf(a)));
    model.Clear();
    EXPECT_EQ(model.rowCount(), 0);
}
