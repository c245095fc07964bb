// The forecast bill editor on the demo factory: a new bill entered line by line, stored through
// the host's bill service, reopened, checked and its lines closed from the list; the rules of a
// line being edited; every fault of a bill refused with its message and nothing written, also
// when two users save the same bill.
#include "masterdatafixture.h"

#include "db/quote.h"
#include "db/shared.h"
#include "editors/forcasteditor.h"
#include "fakeview.h"
#include "kx_mrp/exports.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

const QString kWallFan = QStringLiteral("1.01.003");     // 壁扇, no properties
const QString kDeskFan = QStringLiteral("1.01.002");     // 台扇, in colours

int ActionCommand(const TInfoObjectDef* def, const char* id)
{
    for (qsizetype i = 0; def && i < def->Actions.size(); ++i)
        if (def->Actions[i].ID.compare(QLatin1String(id), Qt::CaseInsensitive) == 0)
            return cmdAction + int(i);
    return -1;
}

// The stored lines of a bill: item, customer, quantities, date, group.
QStringList StoredLines(const QString& billID)
{
    TQuery q(&SharedConnection());
    q.SQL = QStringLiteral("select i.ItmNo||' '||coalesce(l.ForCustID,'-')||' '||l.ForUBillQty::float8||' '||l.ForBillQty::float8||' '||"
                           "to_char(l.ForDelivDate,'YYYY-MM-DD')||' '||l.ForItmProp1||' g'||l.ForGroupType||' c'||l.ForClosed "
                           "from KX_Bill_ForLine as l join KX_Base_ItemMaster as i on i.ItmID=l.ForItmID where l.ForID=%1 order by l.ForEntry")
                .arg(QuotedStr(billID));
    q.Open();
    QStringList rows;
    for (; !q.Eof(); q.Next())
        rows << q.Fields(0).AsString();
    return rows;
}

} // namespace

class ForcastEditor : public TMasterDataTest {
public:
    static void SetUpTestSuite() { TMasterDataTest::SetUpTestSuite(); }

protected:
    std::unique_ptr<TForcastEditor> OpenEditor(const QString& keys, TEditMode mode)
    {
        IInfoEdit* edit = nullptr;
        LoadInfoEdit(&edit, Env(), Def(QStringLiteral("KX_MRP.Forcast")));
        std::unique_ptr<TForcastEditor> editor(dynamic_cast<TForcastEditor*>(edit));
        if (editor) {
            editor->resize(1100, 460);
            editor->OpenData(keys, mode);
        }
        return editor;
    }
    static int BillCount() { return Scalar(QStringLiteral("select count(*) from KX_Bill_ForHead")).toInt(); }
    static QDate Day(int days) { return QDate::currentDate().addDays(days); }
};

TEST_F(ForcastEditor, EntersANewBillStoresItReopensChecksAndClosesIt)
{
    auto editor = OpenEditor(QString(), emNew);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->GetEditMode(), emNew);
    EXPECT_TRUE(editor->edtForNo->text().startsWith(QStringLiteral("FC") + QDate::currentDate().toString(QStringLiteral("yyyyMM"))))
        << editor->edtForNo->text().toStdString();

    editor->EnterCell(0, QStringLiteral("ItmNo"), kWallFan);
    editor->EnterCell(0, QStringLiteral("CustName"), QStringLiteral("C004"));
    editor->EnterCell(0, QStringLiteral("ForUBillQty"), 120);
    editor->EnterCell(0, QStringLiteral("ForDelivDate"), Day(40));
    // The second line inherits customer and date from the first.
    editor->EnterCell(1, QStringLiteral("ItmNo"), kDeskFan);
    editor->EnterCell(1, QStringLiteral("ItmProp1"), QStringLiteral("白色"));
    editor->EnterCell(1, QStringLiteral("ForUBillQty"), 60);
    const TForcastBill& bill = editor->Bill();
    ASSERT_GE(bill.Lines.size(), 2);
    EXPECT_EQ(bill.Lines[0].ItmName, QStringLiteral("壁扇"));
    EXPECT_EQ(bill.Lines[0].CustName, QStringLiteral("成都蓉城电器有限公司"));
    EXPECT_EQ(bill.Lines[0].Qty.toDouble(), 120);
    EXPECT_EQ(bill.Lines[1].CustID, QStringLiteral("DM-C-04"));
    EXPECT_EQ(bill.Lines[1].DelivDate, Day(40));
    EXPECT_EQ(bill.Lines[1].ForEntry, -1);
    editor->grdDetail->horizontalScrollBar()->setValue(0);
    EXPECT_TRUE(SavePicture(editor.get(), QStringLiteral("forcast_editor_new.png")));

    TScriptedMessages messages;
    ASSERT_TRUE(editor->ExecCommand(cmdSave));
    EXPECT_EQ(messages.Count(), 0) << messages.LastText().toStdString();
    EXPECT_EQ(editor->GetEditMode(), emNone);
    const QString id = editor->BillID();
    ASSERT_FALSE(id.isEmpty());
    const QString date = Day(40).toString(QStringLiteral("yyyy-MM-dd"));
    EXPECT_EQ(StoredLines(id), (QStringList{QStringLiteral("1.01.003 DM-C-04 120 120 %1  g0 c0").arg(date),
                                            QStringLiteral("1.01.002 DM-C-04 60 60 %1 白色 g0 c0").arg(date)}));

    // Reopened from the list, as the host does for "修改".
    auto reopened = OpenEditor(QStringLiteral("ForID=%1\r\nForEntry=2\r\n").arg(QuotedStr(id)), emModify);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->GetEditMode(), emModify);
    EXPECT_EQ(reopened->Bill().Lines.size(), 3);              // the two lines and a fresh one
    EXPECT_EQ(reopened->Bill().Lines[1].Props[0], QStringLiteral("白色"));
    reopened->OpenData(QStringLiteral("ForID=%1\r\nForEntry=2\r\n").arg(QuotedStr(id)), emNone);
    EXPECT_EQ(reopened->FocusedRow(), 1);                     // the line asked for
    EXPECT_TRUE(SavePicture(reopened.get(), QStringLiteral("forcast_editor_stored.png")));

    // Checking runs on the whole bill.
    const TInfoObjectDef* def = Def(QStringLiteral("KX_MRP.Forcast"));
    TCommandState state = 0;
    ASSERT_TRUE(reopened->QueryCommandState(ActionCommand(def, "Check"), state));
    EXPECT_TRUE(state & csEnabled);
    {
        TScriptedMessages checked;
        EXPECT_TRUE(reopened->ExecCommand(ActionCommand(def, "Check")));
        EXPECT_EQ(checked.Texts(), QStringList{QStringLiteral("[审核]执行完成。")});
    }
    EXPECT_EQ(reopened->lblState->text(), QStringLiteral("(已审核)"));
    EXPECT_TRUE(reopened->Bill().Head.Checked);
    {
        TScriptedMessages refused;
        reopened->OpenData(QStringLiteral("ForID=%1").arg(QuotedStr(id)), emModify);
        EXPECT_EQ(refused.Texts(), QStringList{QStringLiteral("单据状态已改变, 不能进行编辑!")});
        EXPECT_EQ(reopened->GetEditMode(), emNone);
    }
    EXPECT_TRUE(SavePicture(reopened.get(), QStringLiteral("forcast_editor_checked.png")));

    // Closing the lines from the list.
    TFakeListView list(def);
    list.Rows << QVariantMap{{QStringLiteral("ForID"), id}, {QStringLiteral("ForEntry"), 1}}
              << QVariantMap{{QStringLiteral("ForID"), id}, {QStringLiteral("ForEntry"), 2}};
    {
        TScriptedMessages closing({mrOK});
        bool handled = false;
        LoadInfoAction(Env(), def, QStringLiteral("Close"), &list, &handled);
        EXPECT_TRUE(handled);
        EXPECT_EQ(closing.Texts(), (QStringList{QStringLiteral("对所选择数据进行[行关闭], 确定?"), QStringLiteral("[行关闭]执行完成。")}));
    }
    EXPECT_TRUE(StoredLines(id).join(u';').contains(QStringLiteral("c1")));
    EXPECT_FALSE(StoredLines(id).join(u';').contains(QStringLiteral("c0")));
    // Nothing unsaved: closing the editor asks nothing.
    TScriptedMessages closed;
    EXPECT_TRUE(reopened->QueryClose());
    EXPECT_TRUE(editor->QueryClose());
    EXPECT_EQ(closed.Count(), 0);
}

TEST_F(ForcastEditor, KeepsALinesCellsInStepWhileItIsEdited)
{
    auto editor = OpenEditor(QString(), emNew);
    ASSERT_NE(editor, nullptr);
    editor->EnterCell(0, QStringLiteral("ItmNo"), kWallFan);
    editor->EnterCell(0, QStringLiteral("ForUBillQty"), 30);
    EXPECT_EQ(editor->Bill().Lines[0].Qty.toDouble(), 30);
    // Clearing one quantity clears the other, both ways.
    editor->EnterCell(0, QStringLiteral("ForUBillQty"), QString());
    EXPECT_TRUE(editor->Bill().Lines[0].Qty.isNull());
    editor->EnterCell(0, QStringLiteral("ForBillQty"), 12);
    EXPECT_EQ(editor->Bill().Lines[0].UQty.toDouble(), 12);
    editor->EnterCell(0, QStringLiteral("ForBillQty"), 0);
    EXPECT_TRUE(editor->Bill().Lines[0].UQty.isNull());
    // An item without properties edits none of them; the group number waits for a group.
    EXPECT_FALSE(editor->Bill().CellEditable(0, QStringLiteral("ItmProp1")));
    EXPECT_FALSE(editor->Bill().CellEditable(0, QStringLiteral("MRPGroupNo")));
    editor->EnterCell(0, QStringLiteral("MRPGroupType"), 9);
    EXPECT_TRUE(editor->Bill().CellEditable(0, QStringLiteral("MRPGroupNo")));
    editor->EnterCell(1, QStringLiteral("ItmNo"), kDeskFan);
    EXPECT_TRUE(editor->Bill().CellEditable(1, QStringLiteral("ItmProp1")));
    EXPECT_FALSE(editor->Bill().CellEditable(1, QStringLiteral("ItmProp2")));
    // An unknown item number is named at once.
    TScriptedMessages messages;
    editor->EnterCell(2, QStringLiteral("ItmNo"), QStringLiteral("9.99.999"));
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("[物料代码]的值(9.99.999)不存在!")});
}

TEST_F(ForcastEditor, RefusesAFaultyBillWithItsMessageAndStoresNothing)
{
    const int bills = BillCount();
    const struct {
        const char* Name;
        std::function<void(TForcastEditor&)> Enter;
        const char* Message;
        const char* Field;
    } cases[] = {
        {"no lines", [](TForcastEditor&) {}, "单据体内容为空, 请输入!", ""},
        {"a line without item",
         [](TForcastEditor& e) {
             e.EnterCell(0, QStringLiteral("ForUBillQty"), 5);
             e.EnterCell(0, QStringLiteral("ForDelivDate"), Day(10));
         },
         "[物料代码]的内容不能为空!", "ItmNo"},
        {"a line without date",
         [](TForcastEditor& e) {
             e.EnterCell(0, QStringLiteral("ItmNo"), kWallFan);
             e.EnterCell(0, QStringLiteral("ForUBillQty"), 5);
         },
         "[交货日期]的内容不能为空!", "ForDelivDate"},
        {"a date before the bill's",
         [](TForcastEditor& e) {
             e.EnterCell(0, QStringLiteral("ItmNo"), kWallFan);
             e.EnterCell(0, QStringLiteral("ForUBillQty"), 5);
             e.EnterCell(0, QStringLiteral("ForDelivDate"), Day(-3));
         },
         "[交货日期]的值没有大于或等于[单据日期]的值!", "ForDelivDate"},
        {"a negative quantity",
         [](TForcastEditor& e) {
             e.EnterCell(0, QStringLiteral("ItmNo"), kWallFan);
             e.EnterCell(0, QStringLiteral("ForUBillQty"), -4);
             e.EnterCell(0, QStringLiteral("ForDelivDate"), Day(10));
         },
         "[数量]的值(-4)没有大于0 !", "ForUBillQty"},
        {"a colour the desk fan does not come in",
         [](TForcastEditor& e) {
             e.EnterCell(0, QStringLiteral("ItmNo"), kDeskFan);
             e.EnterCell(0, QStringLiteral("ItmProp1"), QStringLiteral("紫色"));
             e.EnterCell(0, QStringLiteral("ForUBillQty"), 4);
             e.EnterCell(0, QStringLiteral("ForDelivDate"), Day(10));
         },
         "[辅助项1]的值(紫色)无效!", "ItmProp1"},
        {"a bill date before 2010",
         [](TForcastEditor& e) {
             e.edtForDate->setDate(QDate(2009, 12, 31));
             e.EnterCell(0, QStringLiteral("ItmNo"), kWallFan);
         },
         "[单据日期]的值(2009/12/31)没有大于2010/01/01 !", "ForDate"},
    };
    for (const auto& c : cases) {
        auto editor = OpenEditor(QString(), emNew);
        ASSERT_NE(editor, nullptr);
        c.Enter(*editor);
        TScriptedMessages messages;
        EXPECT_FALSE(editor->ExecCommand(cmdSave) && editor->GetEditMode() == emNone) << c.Name;
        EXPECT_EQ(messages.Texts(), QStringList{QString::fromUtf8(c.Message)}) << c.Name;
        EXPECT_EQ(editor->GetEditMode(), emNew) << c.Name;
        if (*c.Field && QLatin1String(c.Field) != QLatin1String("ForDate")) {
            EXPECT_EQ(editor->FocusedField(), QLatin1String(c.Field)) << c.Name;
        }
        EXPECT_EQ(BillCount(), bills) << c.Name;
    }
}

TEST_F(ForcastEditor, ABillTwoUsersSaveIsStoredOnceAndNeverOverwritten)
{
    // Two users start a new bill at once: both are proposed the same number.
    auto first = OpenEditor(QString(), emNew);
    auto second = OpenEditor(QString(), emNew);
    ASSERT_TRUE(first && second);
    ASSERT_EQ(first->edtForNo->text(), second->edtForNo->text());
    const QString number = first->edtForNo->text();
    for (TForcastEditor* e : {first.get(), second.get()}) {
        e->EnterCell(0, QStringLiteral("ItmNo"), kWallFan);
        e->EnterCell(0, QStringLiteral("ForUBillQty"), 7);
        e->EnterCell(0, QStringLiteral("ForDelivDate"), Day(20));
    }
    ASSERT_TRUE(first->ExecCommand(cmdSave));
    EXPECT_EQ(first->GetEditMode(), emNone);
    const int bills = BillCount();
    {
        TScriptedMessages refused({mrNo});
        second->ExecCommand(cmdSave);
        EXPECT_EQ(refused.Texts(), QStringList{QStringLiteral("单据编号\"%1\"已存在, 由系统自动生成新编号继续保存?").arg(number)});
        EXPECT_EQ(second->GetEditMode(), emNew);
        EXPECT_EQ(BillCount(), bills);
    }
    {
        TScriptedMessages renumbered({mrYes});
        second->ExecCommand(cmdSave);
        ASSERT_EQ(renumbered.Count(), 2);
        EXPECT_TRUE(renumbered.Texts().at(1).startsWith(QStringLiteral("系统已自动生成新单据编号\"")));
        EXPECT_EQ(second->GetEditMode(), emNone);
        EXPECT_NE(second->Bill().Head.ForNo, number);
        EXPECT_EQ(BillCount(), bills + 1);
    }

    // Two users edit the stored bill: the second save would overwrite the first one's change.
    const QString keys = QStringLiteral("ForID=%1").arg(QuotedStr(first->BillID()));
    auto a = OpenEditor(keys, emModify);
    auto b = OpenEditor(keys, emModify);
    ASSERT_TRUE(a && b);
    a->EnterCell(0, QStringLiteral("ForUBillQty"), 70);
    b->EnterCell(0, QStringLiteral("ForUBillQty"), 8);
    ASSERT_TRUE(a->ExecCommand(cmdSave));
    EXPECT_EQ(a->GetEditMode(), emNone);
    TScriptedMessages refused;
    b->ExecCommand(cmdSave);
    EXPECT_EQ(refused.Texts(), QStringList{QStringLiteral("保存过程中出现意外错误, 操作被中止!\r\r原因: 单据状态已改变, 不能进行编辑!")});
    EXPECT_EQ(b->GetEditMode(), emModify);
    EXPECT_EQ(StoredLines(first->BillID()).value(0).section(u' ', 2, 2), QStringLiteral("70"));
}
