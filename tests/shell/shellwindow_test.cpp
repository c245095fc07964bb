// The desktop host driven as a user would: logging in, a plug-in that does not load,
// commands enabled from the focused record, detail lists following their master, and a
// tab with unsaved edits that asks before it closes.
#include "shellfixture.h"

#include "erplistview.h"
#include "logindlg.h"
#include "objectpage.h"

#include "db/messages.h"
#include "testhost.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTabWidget>
#include <QTemporaryFile>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::shell;
using namespace kx::test;

namespace {

// An editor with unsaved edits that asks, as the module's editors do, before it closes.
class TEditedBill : public QWidget, public IInfoEdit {
public:
    explicit TEditedBill(const TInfoObjectDef* def) : FDef(def) {}
    HRESULT QueryInterface(const TGUID& IID, void** Obj) override
    {
        *Obj = IID == IID_IWidgetHandle ? static_cast<void*>(static_cast<QWidget*>(this)) : static_cast<IInfoEdit*>(this);
        return S_OK;
    }
    int AddRef() override { return -1; }
    int Release() override { return -1; }
    void ProcessIdle() override {}
    void SetParentControl(QWidget* Parent) override { setParent(Parent); }
    void OpenData(const QString&, TEditMode) override {}
    const TInfoObjectDef* GetObjectDef() override { return FDef; }
    QString GetCaption() override { return QStringLiteral("产品预测"); }
    TEditMode GetEditMode() override { return emModify; }
    bool DataInEdit(const QString&) override { return false; }
    bool QueryClose() override
    {
        const int answer = ShowQuestion(QStringLiteral("您将退出[%1]的当前编辑状态, 对未保存过的内容进行保存?").arg(GetCaption()),
                                        mbYesNoCancel | mbDefButton3);
        return answer == mrNo;
    }
    bool QueryCommandState(int Command, TCommandState& State) override
    {
        State = Command == cmdSave ? TCommandState(csEnabled) : 0;
        return Command == cmdSave;
    }
    bool ExecCommand(int) override { return false; }

private:
    const TInfoObjectDef* FDef;
};

} // namespace

class ShellWindow : public TShellTest {
public:
    static void SetUpTestSuite() { TShellTest::SetUpTestSuite(); }
};

TEST_F(ShellWindow, LogInRefusesWrongPasswordsUnknownUsersAndUnreachableServers)
{
    struct TCase {
        QString Server;
        QString User;
        QString Password;
        QString Message;
    };
    const TCase cases[] = {
        {TTestDatabase::Server(), QStringLiteral("liming"), QStringLiteral("liming124"), QStringLiteral("用户名或密码错误, 请重新输入!")},
        {TTestDatabase::Server(), QStringLiteral("nobody"), QStringLiteral("liming123"), QStringLiteral("用户名或密码错误, 请重新输入!")},
        {TTestDatabase::Server(), QStringLiteral(" "), QStringLiteral("x"), QStringLiteral("请输入用户名!")},
        {QStringLiteral("/nonexistent/socket/dir"), QStringLiteral("liming"), QStringLiteral("liming123"),
         QStringLiteral("无法连接数据库服务器\"/nonexistent/socket/dir\"的数据库\"%1\"!").arg(DatabaseName())},
    };
    for (const TCase& c : cases) {
        TConnectOptions options;
        options.Server = c.Server;
        options.Database = DatabaseName();
        suite::TLoginUser user;
        EXPECT_TRUE(AttemptLogin(options, c.User, c.Password, user).startsWith(c.Message)) << c.User.toStdString();
        EXPECT_TRUE(user.UserID.isEmpty());
    }

    // The dialog keeps itself open on a wrong password, clears it, and remembers the last
    // server, database and login name once a log-in succeeds.
    TConnectOptions options;
    options.Server = TTestDatabase::Server();
    options.Database = DatabaseName();
    TLoginDlg dialog(options, QStringLiteral("liming"));
    dialog.edtPassword->setText(QStringLiteral("wrong"));
    TScriptedMessages messages;
    dialog.accept();
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("用户名或密码错误, 请重新输入!")});
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.edtPassword->text().isEmpty());
    dialog.edtPassword->setText(QStringLiteral("liming123"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.User().UserID, QStringLiteral("DM-USR-LIMING"));
    EXPECT_EQ(ReadLastLogin().UserNo, QStringLiteral("liming"));
    EXPECT_EQ(ReadLastLogin().Database, DatabaseName());
    EXPECT_FALSE(Scalar(QStringLiteral("select UsrLastLogin from KX_SYS_Users where UsrNo='liming'")).isNull());
}

TEST_F(ShellWindow, PlugInThatFailsToLoadIsReportedAndTheSuiteListsStillOpen)
{
    QTemporaryFile notALibrary;
    ASSERT_TRUE(notALibrary.open());
    notALibrary.write("not an ELF file");
    notALibrary.flush();
    TModuleLibrary library;
    EXPECT_FALSE(library.Load(QStringLiteral("/nonexistent/libkx_mrp.so")));
    EXPECT_EQ(library.ErrorText(), QStringLiteral("模块库文件\"/nonexistent/libkx_mrp.so\"不存在!"));
    EXPECT_FALSE(library.Load(notALibrary.fileName()));
    EXPECT_TRUE(library.ErrorText().startsWith(QStringLiteral("无法加载模块库\"%1\": ").arg(notALibrary.fileName())));

    TScriptedMessages messages;
    TMainWindow* window = StartAsPlanner({QStringLiteral("--library"), notALibrary.fileName()});
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.LastText().endsWith(QStringLiteral("模块的功能暂时不能使用, 套件的业务列表仍可打开。")));
    EXPECT_EQ(window->OpenObject(QStringLiteral("KX_MRP.Items")), nullptr);
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("无法加载模块库")));
    TObjectPage* page = window->OpenObject(QStringLiteral("KX_MRP.SO"));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(window->Pages()->count(), 1);
    EXPECT_GT(ListOf(page)->Model()->rowCount(), 0);
}

TEST_F(ShellWindow, CommandsFollowTheFocusedRecord)
{
    TMainWindow* window = StartAsPlanner();
    ASSERT_NE(window, nullptr);
    TERPListView* list = ListOf(window->OpenObject(QStringLiteral("KX_MRP.Forcast")));
    ASSERT_NE(list, nullptr);
    struct TCase {
        QString ForID;
        bool Check;
        bool UnCheck;
        bool Update;
    };
    // DM-FC-03 is not checked yet, DM-FC-01 is.
    const TCase cases[] = {{QStringLiteral("DM-FC-03"), true, false, true}, {QStringLiteral("DM-FC-01"), false, true, false}};
    for (const TCase& c : cases) {
        list->FocusRow(RowWhere(*list, QStringLiteral("ForID"), c.ForID));
        window->UpdateCommands();
        ASSERT_NE(ObjectAction(window, QStringLiteral("审核")), nullptr);
        EXPECT_EQ(ObjectAction(window, QStringLiteral("审核"))->isEnabled(), c.Check) << c.ForID.toStdString();
        EXPECT_EQ(ObjectAction(window, QStringLiteral("反审核"))->isEnabled(), c.UnCheck) << c.ForID.toStdString();
        EXPECT_EQ(ObjectAction(window, QStringLiteral("修改"))->isEnabled(), c.Update) << c.ForID.toStdString();
        EXPECT_TRUE(ObjectAction(window, QStringLiteral("新增"))->isEnabled());
        EXPECT_FALSE(window->CommandAction(cmdSave)->isEnabled());
        EXPECT_FALSE(window->CommandAction(cmdFillValues)->isEnabled());
        EXPECT_TRUE(window->CommandAction(cmdRefresh)->isEnabled());
        EXPECT_TRUE(window->CommandAction(cmdExport)->isEnabled());
    }
    EXPECT_EQ(window->PositionLabel()->text(),
              QStringLiteral("记录: %1 / %2").arg(RowWhere(*list, QStringLiteral("ForID"), QStringLiteral("DM-FC-01")) + 1)
                  .arg(list->Model()->rowCount()));
}

TEST_F(ShellWindow, DetailListsFollowTheFocusedOrderLine)
{
    TMainWindow* window = StartAsPlanner();
    ASSERT_NE(window, nullptr);
    TObjectPage* page = window->OpenObject(QStringLiteral("KX_MRP.MO"));
    ASSERT_NE(page, nullptr);
    ASSERT_NE(page->DetailTabs(), nullptr);
    ASSERT_EQ(page->DetailTabs()->count(), 2);
    EXPECT_EQ(page->DetailTabs()->tabText(0), QStringLiteral("生产订单用料"));
    EXPECT_EQ(page->DetailTabs()->tabText(1), QStringLiteral("生产补料"));
    TERPListView* orders = ListOf(page);
    auto* material = dynamic_cast<TERPListView*>(page->DetailViews().value(0));
    auto* scrap = page->DetailViews().value(1);
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->GetViewScheme()->ID, QStringLiteral("Material/KX_MRP.MO"));

    const QString expected = Scalar(QStringLiteral("select string_agg(MOID || '/' || MOEntry || '=' || n, ',' order by MOID, MOEntry) from "
                                                   "(select MOID, MOEntry, count(*) as n from KX_Bill_MOBom group by MOID, MOEntry) as c"))
                                 .toString();
    QStringList seen;
    for (int row = 0; row < orders->Model()->rowCount(); ++row) {
        orders->FocusRow(row);
        const QString id = orders->GetFocusedRecordString(QStringLiteral("MOID"));
        const QString entry = orders->GetFocusedRecordString(QStringLiteral("MOEntry"));
        const TRecordSet& lines = material->Model()->Records();
        for (int i = 0; i < lines.RecordCount(); ++i)
            EXPECT_EQ(lines.Value(i, QStringLiteral("BomID")).toString() + QLatin1Char('/') + lines.Value(i, QStringLiteral("MOEntry")).toString(),
                      id + QLatin1Char('/') + entry);
        if (lines.RecordCount() > 0)
            seen << QStringLiteral("%1/%2=%3").arg(id, entry).arg(lines.RecordCount());
        // The hidden scrap list waits until it is shown.
        EXPECT_FALSE(scrap->DataRefreshed());
    }
    seen.sort();
    EXPECT_EQ(seen.join(QLatin1Char(',')), expected);
    page->DetailTabs()->setCurrentIndex(1);
    EXPECT_TRUE(scrap->DataRefreshed());
}

TEST_F(ShellWindow, TabWithUnsavedEditsAsksBeforeItCloses)
{
    TMainWindow* window = StartAsPlanner();
    ASSERT_NE(window, nullptr);
    const TInfoObjectDef* def = Run->Session()->Catalogue().ObjectDef(QStringLiteral("KX_MRP.Forcast"));
    ASSERT_NE(def, nullptr);
    auto* editor = new TEditedBill(def);
    QPointer<QWidget> widget(editor);
    window->Pages()->addTab(new TObjectPage(def, editor), editor->GetCaption());
    window->Pages()->setCurrentIndex(0);
    window->UpdateCommands();
    EXPECT_TRUE(window->CommandAction(cmdSave)->isEnabled());

    TScriptedMessages messages({mrCancel, mrNo});
    EXPECT_FALSE(window->ClosePage(0));
    EXPECT_EQ(window->Pages()->count(), 1);
    EXPECT_FALSE(widget.isNull());
    EXPECT_TRUE(window->ClosePage(0));
    EXPECT_EQ(window->Pages()->count(), 0);
    EXPECT_TRUE(widget.isNull());
    EXPECT_EQ(messages.Texts(), QStringList(2, QStringLiteral("您将退出[产品预测]的当前编辑状态, 对未保存过的内容进行保存?")));
    EXPECT_FALSE(window->CommandAction(cmdSave)->isEnabled());
}
