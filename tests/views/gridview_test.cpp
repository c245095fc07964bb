// The grid view over a catalogue object on the real database: loading through the host's
// statement composition, the row limit, master/detail links, action filters, the layout
// kept in the last-used scheme, summaries, closing with edits and batch filling.
#include "viewfixture.h"

#include "views/gridgroupmodel.h"
#include "views/gridlayout.h"
#include "views/gridmodel.h"

#include "db/strutils.h"

#include <QHeaderView>
#include <QLayout>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

// An items view whose name column can be edited; SaveData answers as told.
class TEditableItemsView : public TInfoGridView {
public:
    using TInfoGridView::TInfoGridView;
    bool SaveResult = true;
    int SaveCalls = 0;

    void StartEditing()
    {
        for (const QString& field : {QStringLiteral("ItmName"), QStringLiteral("ItmStdPrice")})
            if (TViewColumn* c = Columns.ByField(field))
                c->Editable = true;
        SetEditing(true);
        SetEditMode(true);
    }
    bool SaveData() override
    {
        ++SaveCalls;
        if (SaveResult)
            Modified = false;
        return SaveResult;
    }
};

QStringList ItemNumbersInOrder(const TInfoGridView& view)
{
    QStringList numbers;
    for (int record : view.RowModel()->DataRowsInOrder())
        numbers << view.Records().Value(record, QStringLiteral("ItmNo")).toString();
    return numbers;
}

} // namespace

class GridView : public TViewTest {
public:
    static void SetUpTestSuite() { TViewTest::SetUpTestSuite(); }
};

TEST_F(GridView, LoadsTheObjectThroughTheHostsStatementWithTheDefaultColumns)
{
    TScriptedMessages script;
    auto view = OpenView(ItemsDef());
    view->RefreshData(false);

    EXPECT_EQ(CallsStartingWith(QStringLiteral("PrepareViewScheme")), QStringList{QStringLiteral("PrepareViewScheme:KX_TEST.Items:0")});
    EXPECT_EQ(CallsStartingWith(QStringLiteral("BuildObjectSQL")).size(), 1);
    EXPECT_TRUE(view->BuiltSQL.endsWith(QStringLiteral("order by \"ItmID\" limit 1000"))) << view->BuiltSQL.toStdString();
    EXPECT_TRUE(view->BuiltSQL.contains(QStringLiteral("(case when i.ItmDisabled=0 then 1 else 0 end) as \"#Disable\"")));
    EXPECT_EQ(view->Records().RecordCount(), 6);
    EXPECT_EQ(script.Count(), 0);
    EXPECT_TRUE(view->DataRefreshed());

    // Not HideList and not hidden by default, the fixed-left item number first.
    EXPECT_EQ(ShownFields(view->Columns), (QStringList{"ItmNo", "ItmName", "ItmType", "UntName", "ItmStdPrice"}));
    EXPECT_EQ(view->Columns.ByField(QStringLiteral("ItmNo"))->Caption, QStringLiteral("编号"));

    // Cells by the field rules: enumeration texts, currency with two decimals, zero and
    // null blank; SQL-ready texts of the focused record.
    TRecordTableModel* model = view->RecordModel();
    const int a002 = RecordOfItem(*view, QStringLiteral("A002"));
    const int a001 = RecordOfItem(*view, QStringLiteral("A001"));
    const int type = model->ColumnOf(QStringLiteral("ItmType"));
    const int price = model->ColumnOf(QStringLiteral("ItmStdPrice"));
    EXPECT_EQ(model->index(a002, type).data().toString(), QStringLiteral("外购"));
    EXPECT_EQ(model->index(a002, price).data().toString(), QStringLiteral("5.00"));
    EXPECT_EQ(model->index(a001, price).data().toString(), QString());
    view->FocusRecord(a002);
    EXPECT_EQ(view->GetFocusedRecordString(QStringLiteral("ItmNo")), QStringLiteral("'A002'"));
    EXPECT_EQ(view->GetFocusedRecordString(QStringLiteral("ItmType")), QStringLiteral("1"));
    EXPECT_EQ(view->GetFocusedRecordString(QStringLiteral("ItmStdPrice")), QStringLiteral("5"));
    EXPECT_EQ(view->GetFocusedRecordString(QStringLiteral("NoSuchField")), QStringLiteral("null"));
    view->FocusRecord(RecordOfItem(*view, QStringLiteral("A003")));
    EXPECT_EQ(view->GetFocusedRecordString(QStringLiteral("ItmStdPrice")), QStringLiteral("null"));

    // Command 50: the focused row of the row count, through the host's status text kind 1.
    view->FocusRecord(a002);
    view->ExecCommand(cmdPosition);
    EXPECT_EQ(Host().Calls.last(), QStringLiteral("ShowStatusText:1:2 / 6"));
}

TEST_F(GridView, TheHostsSchemeFilterAndSortShapeTheStatementAndSchemeCommandsAskTheHostAgain)
{
    Exec(QStringLiteral("insert into KX_SYS_ViewSchemes (ViwID, ViwUsrID, ViwName, ViwKind, ViwParams) values "
                        "('KX_TEST.Items', '', '默认', 2, '[Filter]=i.ItmType<>1' || chr(13) || chr(10) || "
                        "'[Sorts]=ItmName:1:0')"));
    auto view = OpenView(ItemsDef());
    view->RefreshData(false);
    EXPECT_EQ(view->ViewScheme.FilterSQL, QStringLiteral("i.ItmType<>1"));
    EXPECT_EQ(view->ViewScheme.OrderBySQL, QStringLiteral("i.ItmName desc"));
    EXPECT_TRUE(view->BuiltSQL.contains(QStringLiteral("where (i.ItmType<>1) order by i.ItmName desc limit 1000")))
        << view->BuiltSQL.toStdString();
    EXPECT_EQ(view->Records().RecordCount(), 3);

    // Commands 42 and 44 let the host prepare the scheme again, with and without its dialog.
    Host().Calls.clear();
    const struct {
        int Command;
        QString Call;
    } cases[] = {
        {cmdSchemeFields, QStringLiteral("PrepareViewScheme:KX_TEST.Items:1")},
        {cmdSchemeFilter, QStringLiteral("PrepareViewScheme:KX_TEST.Items:0")},
        {cmdSchemeQuickFilter, QStringLiteral("PrepareViewScheme:KX_TEST.Items:0")},
    };
    for (const auto& c : cases) {
        TCommandState state = 0;
        EXPECT_TRUE(view->QueryCommandState(c.Command, state));
        EXPECT_EQ(state, TCommandState(csEnabled));
        Host().Calls.clear();
        EXPECT_TRUE(view->ExecCommand(c.Command));
        EXPECT_EQ(CallsStartingWith(QStringLiteral("PrepareViewScheme")), QStringList{c.Call});
        EXPECT_EQ(CallsStartingWith(QStringLiteral("BuildObjectSQL")).size(), 1);
    }

    // Without the host's preparation the view keeps its data as it is.
    const auto prepare = Host().Env.PrepareViewScheme;
    Host().Env.PrepareViewScheme = nullptr;
    auto unprepared = OpenView(ItemsDef());
    unprepared->RefreshData(false);
    EXPECT_EQ(unprepared->Records().RecordCount(), 0);
    EXPECT_FALSE(unprepared->DataRefreshed());
    Host().Env.PrepareViewScheme = prepare;
}

TEST_F(GridView, DoubleClickOpensTheEditorAndEditModePaintsTheBorder)
{
    auto view = OpenView<TEditableItemsView>(ItemsDef());
    view->RefreshData(false);
    const int record = RecordOfItem(*view, QStringLiteral("B001"));
    view->FocusRecord(record);
    Host().Calls.clear();
    Q_EMIT view->grdMain->doubleClicked(view->RowModel()->IndexOfSourceRow(record, 0));
    EXPECT_EQ(CallsStartingWith(QStringLiteral("ShowEditor")), QStringList{QStringLiteral("ShowEditor:KX_TEST.Items:ItmID='I4'\r\n:")});

    EXPECT_EQ(view->layout()->contentsMargins(), QMargins());
    view->StartEditing();
    EXPECT_EQ(view->palette().color(QPalette::Window), QColor(255, 0, 255));
    EXPECT_EQ(view->layout()->contentsMargins(), QMargins(3, 3, 3, 3));
    TCommandState state = 0;
    view->QueryCommandState(cmdRefresh, state);
    EXPECT_EQ(state, 0u);
    view->QueryCommandState(cmdPrint, state);
    EXPECT_EQ(state, 0u);
}

TEST_F(GridView, WarnsWhenTheRowLimitIsReached)
{
    auto view = OpenView(ItemsDef());
    const struct {
        int MaxRows;
        int Rows;
        QStringList Messages;
    } cases[] = {
        {6, 6, {QStringLiteral("由于您的筛选条件过于宽松, 导致本次查询结果超过6行, 超过部分已放弃返回显示!")}},
        {7, 6, {}},
        {4, 4, {QStringLiteral("由于您的筛选条件过于宽松, 导致本次查询结果超过4行, 超过部分已放弃返回显示!")}},
    };
    for (const auto& c : cases) {
        TScriptedMessages script;
        Host().Env.MaxRows = c.MaxRows;
        view->RefreshData(true);
        EXPECT_EQ(view->Records().RecordCount(), c.Rows) << c.MaxRows;
        EXPECT_EQ(script.Texts(), c.Messages) << c.MaxRows;
    }
}

TEST_F(GridView, DetailViewFollowsItsMasterThroughTheMasterPlaceholder)
{
    TScriptedMessages script;
    auto master = OpenView(UnitsDef());
    master->RefreshData(false);
    auto detail = OpenView(ItemsDef(), QStringLiteral(" Items "), master.get());

    EXPECT_EQ(detail->ViewScheme.ID, QStringLiteral("Items/KX_TEST.Units"));
    EXPECT_EQ(detail->ViewCaption, QStringLiteral("单位物料"));
    EXPECT_FALSE(detail->ViewScheme.Supports & voSupportFilter);

    Host().Calls.clear();
    detail->SetMasterValues(QStringLiteral("ItmUnitID='U1'"), true);
    EXPECT_EQ(CallsStartingWith(QStringLiteral("PrepareDetailScheme")), QStringList{QStringLiteral("PrepareDetailScheme:Items/KX_TEST.Units")});
    EXPECT_EQ(ItemNumbersInOrder(*detail), (QStringList{"A001", "A002", "A003", "B001"}));
    const QString pattern = detail->DetailSQLPattern;
    EXPECT_TRUE(pattern.contains(QStringLiteral("[Master]"))) << pattern.toStdString();

    detail->SetMasterValues(QStringLiteral("ItmUnitID='U2'"), false);
    EXPECT_FALSE(detail->DataRefreshed());
    detail->RefreshData(true);
    EXPECT_EQ(ItemNumbersInOrder(*detail), (QStringList{"C001", "C002"}));
    EXPECT_EQ(detail->DetailSQLPattern, pattern);
    EXPECT_TRUE(detail->BuiltSQL.contains(QStringLiteral("i.ItmUnitID='U2'")));
    EXPECT_EQ(CallsStartingWith(QStringLiteral("BuildObjectSQL")).size(), 1);   // the pattern is composed once

    // A master without a focused record shows nothing.
    detail->SetMasterValues(QString(), true);
    EXPECT_EQ(detail->Records().RecordCount(), 0);
    EXPECT_EQ(script.Count(), 0);
}

TEST_F(GridView, ActionsWithAFilterFollowTheRecordsHashColumn)
{
    auto view = OpenView(ItemsDef());
    view->RefreshData(false);
    const int cmdNew = cmdAction + 0, cmdEdit = cmdAction + 1, cmdDisable = cmdAction + 2;
    const struct {
        QString Item;
        TCommandState New, Edit, Disable;
    } cases[] = {
        {QStringLiteral("A001"), csEnabled, csEnabled, csEnabled},
        {QStringLiteral("A003"), csEnabled, csEnabled, 0},           // disabled item: "#Disable" is 0
        {QString(), csEnabled, 0, 0},                                // no record: only the global action
    };
    for (const auto& c : cases) {
        view->FocusRecord(c.Item.isEmpty() ? -1 : RecordOfItem(*view, c.Item));
        TCommandState state = 99;
        EXPECT_TRUE(view->QueryCommandState(cmdNew, state));
        EXPECT_EQ(state, c.New) << c.Item.toStdString();
        EXPECT_TRUE(view->QueryCommandState(cmdEdit, state));
        EXPECT_EQ(state, c.Edit) << c.Item.toStdString();
        EXPECT_TRUE(view->QueryCommandState(cmdDisable, state));
        EXPECT_EQ(state, c.Disable) << c.Item.toStdString();
    }

    // New opens the editor without a key; Edit with the focused record's key.
    view->FocusRecord(RecordOfItem(*view, QStringLiteral("A002")));
    Host().Calls.clear();
    EXPECT_TRUE(view->ExecCommand(cmdNew));
    EXPECT_TRUE(view->ExecCommand(cmdEdit));
    EXPECT_FALSE(view->ExecCommand(cmdAction + 3));
    EXPECT_EQ(CallsStartingWith(QStringLiteral("ShowEditor")),
              (QStringList{QStringLiteral("ShowEditor:KX_TEST.Items::New"), QStringLiteral("ShowEditor:KX_TEST.Items:ItmID='I2'\r\n:Edit")}));
}

TEST_F(GridView, LayoutIsSavedAsTheLastUsedSchemeOnCloseAndRestoredOnTheNextOpen)
{
    TScriptedMessages script;
    {
        auto view = OpenView(ItemsDef());
        view->RefreshData(false);
        QHeaderView* header = view->grdMain->header();
        header->setSectionHidden(view->RecordModel()->ColumnOf(QStringLiteral("ItmName")), true);
        header->resizeSection(view->RecordModel()->ColumnOf(QStringLiteral("ItmNo")), 150);
        view->RowModel()->sort(view->RecordModel()->ColumnOf(QStringLiteral("ItmNo")), Qt::DescendingOrder);
        EXPECT_TRUE(view->QueryClose());
    }
    EXPECT_EQ(script.Count(), 0);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_SYS_ViewSchemes where ViwID='KX_TEST.Items' and ViwUsrID='U001' "
                                    "and ViwKind=0")).toInt(), 1);
    const QString params = Scalar(QStringLiteral("select ViwParams from KX_SYS_ViewSchemes")).toString();
    EXPECT_EQ(GetParamValue(params, kParamFields), QStringLiteral("|ItmNo|ItmType|UntName|ItmStdPrice|"));
    EXPECT_EQ(GetParamValue(params, kParamSorts), QStringLiteral("ItmNo:1:0"));

    auto view = OpenView(ItemsDef());
    view->RefreshData(false);
    EXPECT_EQ(ShownFields(view->Columns), (QStringList{"ItmNo", "ItmType", "UntName", "ItmStdPrice"}));
    EXPECT_EQ(view->Columns.ByField(QStringLiteral("ItmNo"))->Width, 150);
    EXPECT_EQ(view->grdMain->header()->sectionSize(view->RecordModel()->ColumnOf(QStringLiteral("ItmNo"))), 150);
    EXPECT_EQ(ItemNumbersInOrder(*view), (QStringList{"C002", "C001", "B001", "A003", "A002", "A001"}));

    // Closing again updates the same row.
    EXPECT_TRUE(view->QueryClose());
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_SYS_ViewSchemes")).toInt(), 1);
}

TEST_F(GridView, GroupsAndFooterSummariesLeaveZerosAndNullsOut)
{
    Exec(QStringLiteral("insert into KX_SYS_ViewSchemes (ViwID, ViwUsrID, ViwName, ViwKind, ViwParams) values "
                        "('KX_TEST.Items', '', '默认', 2, '[Sorts]=ItmType:0:1|ItmNo:1:0' || chr(13) || chr(10) || "
                        "'[Total]=11' || chr(13) || chr(10) || '[Summaries]=ItmStdPrice:1|ItmNo:2')"));
    auto view = OpenView(ItemsDef());
    view->RefreshData(false);
    TGridGroupModel* rows = view->RowModel();
    const int price = view->RecordModel()->ColumnOf(QStringLiteral("ItmStdPrice"));
    const int number = view->RecordModel()->ColumnOf(QStringLiteral("ItmNo"));

    // Prices 0, 5 and four nulls: only the 5 counts.
    ASSERT_NE(rows->FooterSummary(price), nullptr);
    EXPECT_EQ(rows->FooterSummary(price)->Result().toDouble(), 5.0);
    EXPECT_EQ(rows->FooterSummary(price)->Text(), QStringLiteral("5"));
    EXPECT_EQ(rows->FooterSummary(number)->Result().toInt(), 6);

    // Groups by item type, ascending; within a group item numbers descending; each group
    // ends with its footer row.
    ASSERT_EQ(rows->rowCount(), 3);
    const QModelIndex purchased = rows->index(0, 0);
    EXPECT_EQ(rows->RowKind(purchased), rkGroup);
    EXPECT_EQ(purchased.data().toString(), QStringLiteral("物料类型: 外购 (3)"));
    EXPECT_EQ(rows->rowCount(purchased), 4);
    EXPECT_EQ(rows->RowKind(rows->index(3, 0, purchased)), rkGroupFooter);
    EXPECT_EQ(rows->index(3, number, purchased).data().toString(), QStringLiteral("3"));
    EXPECT_EQ(rows->GroupSummary(rows->index(1, 0), number)->Result().toInt(), 2);
    EXPECT_EQ(ItemNumbersInOrder(*view), (QStringList{"A003", "A002", "A001", "C001", "B001", "C002"}));
    EXPECT_FALSE(view->Columns.ByField(QStringLiteral("ItmType"))->Visible);

    // A group row counts as a selected record but gives no values.
    view->grdMain->selectionModel()->clearSelection();
    view->grdMain->selectionModel()->select(purchased, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view->grdMain->selectionModel()->select(rows->index(1, 0, purchased), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(view->GetSelectedRecordCount(), 2);
    EXPECT_TRUE(view->GetSelectedRecordValue(QStringLiteral("ItmNo"), 0).isNull());
    EXPECT_EQ(view->GetSelectedRecordValue(QStringLiteral("ItmNo"), 1).toString(), QStringLiteral("A002"));

    // The grouping is stored back in grouping order, before the plain sort, and the
    // hidden grouping column stays among the fields.
    EXPECT_TRUE(view->QueryClose());
    const QString params = Scalar(QStringLiteral("select ViwParams from KX_SYS_ViewSchemes where ViwUsrID='U001'")).toString();
    EXPECT_EQ(GetParamValue(params, kParamSorts), QStringLiteral("ItmType:0:1|ItmNo:1:0"));
    EXPECT_EQ(GetParamValue(params, kParamFields), QStringLiteral("|ItmNo|ItmName|UntName|ItmStdPrice|ItmType|"));
}

TEST_F(GridView, ClosingWithEditsOffersSaveDiscardOrCancel)
{
    const QString question = QStringLiteral("您将退出[物料]的当前编辑状态, 对未保存过的内容进行保存?");
    auto view = OpenView<TEditableItemsView>(ItemsDef());
    view->RefreshData(false);
    view->StartEditing();
    const int record = RecordOfItem(*view, QStringLiteral("A001"));
    const QModelIndex name = view->RowModel()->IndexOfSourceRow(record, view->RecordModel()->ColumnOf(QStringLiteral("ItmName")));
    ASSERT_TRUE(view->RowModel()->setData(name, QStringLiteral("六角螺栓")));
    EXPECT_TRUE(view->NeedSave());

    {   // Cancel keeps the view open with its edits.
        TScriptedMessages script({mrCancel});
        EXPECT_FALSE(view->QueryClose());
        ASSERT_EQ(script.Count(), 1);
        EXPECT_EQ(script.LastText(), question);
        EXPECT_EQ(script.Requests().last().Buttons, mbYesNoCancel | mbDefButton3);
        EXPECT_EQ(view->Records().Value(record, QStringLiteral("ItmName")).toString(), QStringLiteral("六角螺栓"));
        EXPECT_TRUE(view->NeedSave());
        EXPECT_EQ(view->SaveCalls, 0);
    }
    {   // Yes with a failing save keeps it open too.
        TScriptedMessages script({mrYes});
        view->SaveResult = false;
        EXPECT_FALSE(view->QueryClose());
        EXPECT_EQ(view->SaveCalls, 1);
    }
    {   // No discards the edits and closes; no scheme row is written in edit mode layout.
        TScriptedMessages script({mrNo});
        EXPECT_TRUE(view->QueryClose());
        EXPECT_EQ(view->SaveCalls, 1);
    }
    {   // Yes with a good save closes.
        TScriptedMessages script({mrYes});
        view->SaveResult = true;
        EXPECT_TRUE(view->QueryClose());
        EXPECT_EQ(view->SaveCalls, 2);
    }
}

TEST_F(GridView, BatchFillRefusesAValueOfTheWrongTypeAndFillsTheSelectedRows)
{
    auto view = OpenView<TEditableItemsView>(ItemsDef());
    view->RefreshData(false);
    TCommandState state = 0;
    view->QueryCommandState(cmdFillValues, state);
    EXPECT_EQ(state, 0u);                 // not editable yet

    view->StartEditing();
    const int b001 = RecordOfItem(*view, QStringLiteral("B001"));
    const int c001 = RecordOfItem(*view, QStringLiteral("C001"));
    view->grdMain->selectionModel()->clearSelection();
    for (int record : {b001, c001})
        view->grdMain->selectionModel()->select(view->RowModel()->IndexOfSourceRow(record),
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view->QueryCommandState(cmdFillValues, state);
    EXPECT_EQ(state, TCommandState(csEnabled));

    TFillValuesDlg dlg(view->FillTarget());
    {
        TScriptedMessages script;
        dlg.accept();
        EXPECT_NE(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(script.Texts(), QStringList{QStringLiteral("您未勾选需要批量填充内容的字段!")});
    }
    {
        TScriptedMessages script;
        dlg.SetFieldValue(QStringLiteral("ItmStdPrice"), QStringLiteral("12.5元"));
        dlg.accept();
        EXPECT_NE(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(script.Texts(), QStringList{QStringLiteral("[标准价格]的值(12.5元)无效!")});
        EXPECT_TRUE(view->Records().Value(b001, QStringLiteral("ItmStdPrice")).isNull());
    }
    {
        TScriptedMessages script;
        dlg.SetFieldValue(QStringLiteral("ItmStdPrice"), QStringLiteral("12.5"));
        dlg.SetFieldValue(QStringLiteral("ItmName"), QStringLiteral("外协件"));
        dlg.accept();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(dlg.FillRows(), 2);
        EXPECT_EQ(script.Count(), 0);
    }
    for (int record : {b001, c001}) {
        EXPECT_EQ(view->Records().Value(record, QStringLiteral("ItmStdPrice")).toDouble(), 12.5);
        EXPECT_EQ(view->Records().Value(record, QStringLiteral("ItmName")).toString(), QStringLiteral("外协件"));
    }
    EXPECT_TRUE(view->Modified);
    EXPECT_EQ(Host().Calls.filter(QStringLiteral("ShowStatusText:0")),
              (QStringList{QStringLiteral("ShowStatusText:0:正在批量填充字段内容, 按[Esc]键可以中止..."), QStringLiteral("ShowStatusText:0:")}));

    // Esc held stops after the row being filled.
    TEscapeHold esc;
    TFillValuesDlg again(view->FillTarget());
    again.SetFieldValue(QStringLiteral("ItmStdPrice"), 7);
    EXPECT_EQ(again.FillRows(), 1);
    EXPECT_EQ(view->Records().Value(b001, QStringLiteral("ItmStdPrice")).toDouble(), 7.0);
    EXPECT_EQ(view->Records().Value(c001, QStringLiteral("ItmStdPrice")).toDouble(), 12.5);
}
