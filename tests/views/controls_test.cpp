// Common controls and the view-scheme store: the user picker, the execution-result list,
// stored schemes (last used, named, default) and the scheme dialogs.
#include "viewfixture.h"

#include "views/doresultframe.h"
#include "views/gridlayout.h"
#include "views/pickedit.h"
#include "views/pickpopupdlg.h"
#include "views/recordset.h"
#include "views/viewscheme.h"
#include "views/viewsettingdlg.h"

#include "db/quote.h"
#include "db/shared.h"
#include "db/strutils.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

QStringList Column(const TRecordSet& rows, const QString& field)
{
    QStringList values;
    for (int r = 0; r < rows.RecordCount(); ++r)
        values << rows.Value(r, field).toString();
    return values;
}

void StoreScheme(const QString& user, const QString& name, int kind, const QString& params)
{
    SharedConnection().Execute(QStringLiteral("insert into KX_SYS_ViewSchemes (ViwID, ViwUsrID, ViwName, ViwKind, ViwParams) "
                                              "values ('KX_TEST.Items', %1, %2, %3, %4)")
                                   .arg(QuotedStr(user), QuotedStr(name), SQLInt(kind), QuotedStr(params)));
}

} // namespace

class Controls : public TViewTest {
public:
    static void SetUpTestSuite() { TViewTest::SetUpTestSuite(); }
};

TEST_F(Controls, UserPickerOffersTheCurrentUserOnlyInsideAFilterDialog)
{
    TInfoFieldDef creator;
    creator.ID = QStringLiteral("ItmCreater");
    creator.Name = QStringLiteral("创建人");
    creator.ValueType = vtCreater;
    TScriptedMessages script;
    for (bool inFilter : {false, true}) {
        TPickEditProperties picker;
        ASSERT_TRUE(picker.SetupForField(creator, inFilter));
        EXPECT_EQ(picker.FTextField, QStringLiteral("名称"));
        TPickPopupDlg dlg(&picker);
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("选择数据 - [创建人]"));
        ASSERT_TRUE(dlg.Search(QString()));
        const QStringList codes = Column(dlg.Rows(), QStringLiteral("代码"));
        const QStringList names = Column(dlg.Rows(), QStringLiteral("名称"));
        if (inFilter) {
            EXPECT_EQ(codes, (QStringList{"", "li", "tester"}));
            EXPECT_EQ(names, (QStringList{"<我>", "李四", "测试员"}));
        } else {
            EXPECT_EQ(names, (QStringList{"李四", "测试员"}));
        }
        // Searching narrows by code or name; nothing found keeps the search text selected.
        EXPECT_TRUE(dlg.Search(QStringLiteral("李")));
        EXPECT_EQ(Column(dlg.Rows(), QStringLiteral("代码")), QStringList{QStringLiteral("li")});
        EXPECT_EQ(dlg.lblCount->text(), QStringLiteral("1 / 1"));
        EXPECT_EQ(dlg.PickedText(), QStringLiteral("李四"));
        EXPECT_FALSE(dlg.Search(QStringLiteral("nobody")));
        EXPECT_FALSE(dlg.Failed());
        EXPECT_FALSE(dlg.btnOk->isEnabled());
    }
    EXPECT_EQ(script.Count(), 0);
}

TEST_F(Controls, LookupPickerIsBuiltFromTheValueSource)
{
    TInfoFieldDef unit;
    unit.Name = QStringLiteral("单位");
    unit.ValueType = vtLookup;
    const struct {
        QString Source;
        bool Set;
        QString SQL;
    } cases[] = {
        {QStringLiteral("UntID=[编号]^[名称]|[编号]|KX_Base_Unit|UntID as [UntID], UntNo as [编号], UntName as [名称]"), true,
         QStringLiteral("select * from (select UntID as \"UntID\", UntNo as \"编号\", UntName as \"名称\" from KX_Base_Unit) as t where "
                        "\"编号\" like '%'||'P'||'%' or \"名称\" like '%'||'P'||'%' order by \"编号\"")},
        {QStringLiteral("名称|  |select UntName as \"名称\" from KX_Base_Unit"), true,
         QStringLiteral("select * from (select UntName as \"名称\" from KX_Base_Unit) as t where \"名称\" like '%'||'P'||'%' "
                        "order by \"名称\"")},
        {QStringLiteral("KX_Base_Unit"), false, QString()},
        {QStringLiteral("|x|select 1"), false, QString()},
    };
    for (const auto& c : cases) {
        unit.ValueSource = c.Source;
        TPickEditProperties picker;
        EXPECT_EQ(picker.SetupForField(unit), c.Set) << c.Source.toStdString();
        EXPECT_EQ(picker.IsSet() ? picker.BuildSQL(QStringLiteral("P")) : QString(), c.SQL) << c.Source.toStdString();
    }
    unit.ValueSource = cases[0].Source;
    TPickEditProperties picker;
    picker.SetupForField(unit);
    TPickPopupDlg dlg(&picker);
    ASSERT_TRUE(dlg.Search(QStringLiteral("S")));
    EXPECT_EQ(Column(dlg.Rows(), QStringLiteral("名称")), (QStringList{"个", "套"}));
}

TEST_F(Controls, ResultListNeverLowersASeverityAndLeadsBackToTheRecord)
{
    TDoResultFrame frame;
    const struct {
        TMessageKind First, Then, Result;
    } cases[] = {
        {mkError, mkInformation, mkError},
        {mkError, mkWarning, mkError},
        {mkWarning, mkError, mkError},
        {mkInformation, mkWarning, mkWarning},
        {mkNone, mkInformation, mkInformation},
        {mkWarning, mkNone, mkWarning},
    };
    for (const auto& c : cases) {
        TTreeNode* node = frame.AddResultNode(c.First, QStringLiteral("检查"));
        EXPECT_EQ(frame.GetResultNodeKind(node), c.First);
        frame.ChangeResultNode(node, c.Then, QStringLiteral("检查完成"));
        EXPECT_EQ(frame.GetResultNodeKind(node), c.Result) << c.First << "->" << c.Then;
        EXPECT_EQ(node->Value(QStringLiteral("Text")).toString(), QStringLiteral("检查完成"));
    }
    EXPECT_EQ(frame.ResultNodeCount(), 6);
    EXPECT_EQ(Host().Env.ResultSink, 0);

    TTreeNode* parent = frame.AddResultNode(mkWarning, QStringLiteral("物料[A001]"));
    TTreeNode* line = frame.AddResultNode(mkError, QStringLiteral("没有BOM"), QStringLiteral("第3行"), QStringLiteral("I1"), 3, parent);
    EXPECT_EQ(line->Parent(), parent);
    EXPECT_TRUE(frame.grdResults->isExpanded(frame.Nodes()->IndexOf(parent)));
    EXPECT_EQ(frame.grdResults->currentIndex(), frame.Nodes()->IndexOf(line));
    QVariantList tracked;
    frame.FOnTrackPosition = [&](TTreeNode* node, const QVariant& p1, const QVariant& p2) { tracked = {node->Value(QStringLiteral("Text")), p1, p2}; };
    Q_EMIT frame.grdResults->doubleClicked(frame.Nodes()->IndexOf(line));
    EXPECT_EQ(tracked, (QVariantList{QStringLiteral("没有BOM"), QStringLiteral("I1"), 3}));

    TCommandState state = 0;
    EXPECT_TRUE(frame.QueryCommandState(cmdPrint, state));
    EXPECT_EQ(state, TCommandState(csEnabled));
    EXPECT_FALSE(frame.QueryCommandState(cmdRefresh, state));
    frame.ClearResultNodes();
    EXPECT_EQ(frame.ResultNodeCount(), 0);
}

TEST_F(Controls, SchemesLoadTheLastUsedRowBeforeTheDefault)
{
    StoreScheme(QString(), QStringLiteral("系统默认"), vkPublic, QStringLiteral("[Fields]=|ItmNo|"));
    Exec(QStringLiteral("insert into KX_SYS_ViewMasks (ViwID, ViwMask) values ('KX_TEST.Items', ' ItmStdPrice | UntName ')"));
    TViewScheme scheme;
    scheme.ID = QStringLiteral("KX_TEST.Items");
    ASSERT_TRUE(LoadViewScheme(scheme));
    EXPECT_EQ(scheme.Name, QStringLiteral("系统默认"));
    EXPECT_EQ(scheme.Kind, vkPublic);
    EXPECT_EQ(scheme.Mask, QStringLiteral("|ItmStdPrice|UntName|"));

    // Closing a view saves the user's own last-used row; the default stays as it was.
    scheme.Params = QStringLiteral("[Fields]=|ItmName|");
    ASSERT_TRUE(SaveLastUsedViewScheme(scheme));
    EXPECT_EQ(Scalar(QStringLiteral("select ViwParams from KX_SYS_ViewSchemes where ViwUsrID=''")).toString(), QStringLiteral("[Fields]=|ItmNo|"));
    TViewScheme again;
    again.ID = QStringLiteral("kx_test.items");
    ASSERT_TRUE(LoadViewScheme(again));
    EXPECT_EQ(again.Kind, vkLastUsed);
    EXPECT_EQ(again.IID, scheme.IID);
    EXPECT_EQ(again.Params, QStringLiteral("[Fields]=|ItmName|"));

    // Another user still gets the default.
    Host().SetUser(QStringLiteral("U002"), QStringLiteral("李四"));
    TViewScheme other;
    other.ID = QStringLiteral("KX_TEST.Items");
    LoadViewScheme(other);
    EXPECT_EQ(other.Name, QStringLiteral("系统默认"));
    Host().SetUser(QStringLiteral("U001"), QStringLiteral("测试员"));

    // Masked fields are neither shown nor selected.
    Exec(QStringLiteral("delete from KX_SYS_ViewSchemes"));
    auto view = OpenView(ItemsDef());
    view->RefreshData(false);
    EXPECT_EQ(ShownFields(view->Columns), (QStringList{"ItmNo", "ItmName", "ItmType"}));
    EXPECT_FALSE(view->BuiltSQL.contains(QStringLiteral("ItmStdPrice")));
}

TEST_F(Controls, NamedSchemesReplaceTheUsersSchemeOfTheSameNameAndListOnlyWhatHeMaySee)
{
    StoreScheme(QStringLiteral("U001"), QStringLiteral("A"), vkPublic, QStringLiteral("[Fields]=|ItmNo|"));
    StoreScheme(QStringLiteral("U001"), QString(), vkLastUsed, QString());
    StoreScheme(QStringLiteral("U002"), QStringLiteral("B"), vkPublic, QString());
    StoreScheme(QStringLiteral("U002"), QStringLiteral("C"), vkPrivate, QString());
    StoreScheme(QStringLiteral("U002"), QString(), vkLastUsed, QString());

    TViewScheme scheme;
    scheme.ID = QStringLiteral("KX_TEST.Items");
    scheme.Name = QStringLiteral("a");
    scheme.Kind = vkPrivate;
    scheme.Params = QStringLiteral("[Fields]=|ItmName|");
    ASSERT_TRUE(SaveViewScheme(scheme, false));
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_SYS_ViewSchemes where ViwUsrID='U001' and ViwName='A'")).toInt(), 1);
    EXPECT_EQ(Scalar(QStringLiteral("select ViwKind from KX_SYS_ViewSchemes where ViwIID=%1").arg(scheme.IID)).toInt(), 1);

    TQuery query(&SharedConnection());
    QStringList listed;
    for (const TSchemeListEntry& e : ListViewSchemes(query, QStringLiteral("KX_TEST.Items")))
        listed << QStringLiteral("%1:%2").arg(e.Kind).arg(e.Text);
    EXPECT_EQ(listed, (QStringList{"0:(最近使用方案)", "1:a", "3:B(李四)", "4:(默认方案)"}));

    // Deleting is for own rows only.
    TViewScheme foreign;
    foreign.ID = QStringLiteral("KX_TEST.Items");
    foreign.IID = Scalar(QStringLiteral("select ViwIID from KX_SYS_ViewSchemes where ViwName='B'")).toInt();
    EXPECT_FALSE(DeleteViewScheme(foreign));
    EXPECT_TRUE(DeleteViewScheme(scheme));
    EXPECT_EQ(scheme.IID, 0);
}

TEST_F(Controls, ChoosingASchemeKeepsTheColumnLayoutWhenTheSchemeHasNone)
{
    StoreScheme(QStringLiteral("U001"), QStringLiteral("简洁"), vkPrivate, QStringLiteral("[Fields]=|ItmNo|ItmName|"));
    TViewScheme current;
    current.ID = QStringLiteral("KX_TEST.Items");
    current.Params = SetParamValue(QStringLiteral("[Fields]=|ItmNo|"), kParamPositions, QStringLiteral("ItmNo:000012S|"));
    TViewSettingDlg dlg(ItemsDef(), &current);
    dlg.Prepare();
    ASSERT_EQ(dlg.cboScheme->count(), 3);
    EXPECT_EQ(dlg.cboScheme->currentIndex(), 0);
    EXPECT_FALSE(dlg.btnSchemeDelete->isEnabled());

    dlg.ChooseEntry(1);
    EXPECT_EQ(dlg.ViewScheme.Name, QStringLiteral("简洁"));
    EXPECT_EQ(GetParamValue(dlg.ViewScheme.Params, kParamFields), QStringLiteral("|ItmNo|ItmName|"));
    EXPECT_EQ(GetParamValue(dlg.ViewScheme.Params, kParamPositions), QStringLiteral("ItmNo:000012S|"));
    EXPECT_TRUE(dlg.btnSchemeDelete->isEnabled());

    dlg.ChooseEntry(2);                   // the default, not stored: an empty layout with the positions
    EXPECT_EQ(dlg.ViewScheme.IID, -1);
    EXPECT_EQ(dlg.ViewScheme.Params, QStringLiteral("[Positions]=ItmNo:000012S|"));

    // Saving under a name lists it and selects it; deleting asks first.
    ASSERT_TRUE(dlg.SaveSchemeAs(QStringLiteral("共享方案"), true));
    EXPECT_EQ(dlg.cboScheme->currentText(), QStringLiteral("共享方案"));
    {
        TScriptedMessages script({mrCancel});
        dlg.DeleteChosenScheme();
        EXPECT_EQ(script.Texts(), QStringList{QStringLiteral("您所选的项目将被删除, 确定?")});
        EXPECT_EQ(dlg.cboScheme->count(), 4);
    }
    {
        TScriptedMessages script({mrOK});
        dlg.DeleteChosenScheme();
        EXPECT_EQ(dlg.cboScheme->count(), 3);
        EXPECT_EQ(dlg.cboScheme->currentIndex(), 0);
    }
}

TEST_F(Controls, SaveDialogAsksForANameAndBeforeOverwriting)
{
    const QList<TSchemeListEntry> items{{sekCurrent, 0, QStringLiteral("(最近使用方案)"), QString()},
                                        {sekPrivate, 5, QStringLiteral("月报"), QStringLiteral("月报")},
                                        {sekOwnPublic, 6, QStringLiteral("周报"), QStringLiteral("周报")},
                                        {sekOtherPublic, 7, QStringLiteral("日报(李四)"), QStringLiteral("日报")}};
    TViewSettingSaveDlg dlg(items);
    ASSERT_EQ(dlg.edtName->count(), 2);
    EXPECT_EQ(dlg.edtName->itemText(1), QStringLiteral("周报 (共享)"));
    Q_EMIT dlg.edtName->activated(1);
    EXPECT_TRUE(dlg.Shared());
    EXPECT_EQ(dlg.SchemeName(), QStringLiteral("周报"));

    const struct {
        QString Name;
        int Answer;
        bool Closes;
        QString Message;
    } cases[] = {
        {QStringLiteral("  "), mrOK, false, QStringLiteral("名称不能为空, 请输入!")},
        {QStringLiteral("周报"), mrCancel, false, QStringLiteral("您指定的\"周报\"已经存在, 确定覆盖?")},
        {QStringLiteral("月报 "), mrOK, true, QStringLiteral("您指定的\"月报\"已经存在, 确定覆盖?")},
        {QStringLiteral("日报"), mrOK, true, QString()},
    };
    for (const auto& c : cases) {
        TScriptedMessages script({c.Answer});
        dlg.setResult(0);
        dlg.edtName->setEditText(c.Name);
        dlg.accept();
        EXPECT_EQ(dlg.result() == QDialog::Accepted, c.Closes) << c.Name.toStdString();
        EXPECT_EQ(script.LastText(), c.Message) << c.Name.toStdString();
    }
}
