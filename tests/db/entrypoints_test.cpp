#include "kx_mrp/exports.h"

#include "db/shared.h"

#include "fakeview.h"
#include "testdatabase.h"

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

TInfoObjectDef DefOf(const QString& id)
{
    TInfoObjectDef def;
    def.ID = id;
    return def;
}

} // namespace

class EntryPoints : public TDatabaseTest {};

TEST_F(EntryPoints, EnvironmentIsKeptWhileTheContextStaysTheSame)
{
    TModuleEnvironment copy = Host().Env;
    SetDllEnvironment(&copy);
    EXPECT_EQ(Env(), &Host().Env);                  // same ContextID: the first pointer stays
    EXPECT_TRUE(SharedConnection().Connected() || !SharedConnection().ConnectionString.isEmpty());

    const QString before = SharedConnection().ConnectionString;
    copy.ContextID = Host().Env.ContextID + 1000;
    QByteArray otherDb = "kx_other";
    copy.DBName = otherDb.constData();
    SetDllEnvironment(&copy);
    EXPECT_EQ(Env(), &copy);                        // a new context: stored and reconnected
    EXPECT_FALSE(SharedConnection().Connected());
    EXPECT_TRUE(SharedConnection().ConnectionString.contains(QStringLiteral("dbname='kx_other'")));

    Host().NewContext();
    SetDllEnvironment(&Host().Env);
    EXPECT_EQ(SharedConnection().ConnectionString, before);
    EXPECT_EQ(Scalar(QStringLiteral("select current_database()")).toString(), DatabaseName());
}

TEST_F(EntryPoints, UnknownOrUnbuiltObjectsGiveNothing)
{
    TScriptedMessages script;
    IInfoView* view = reinterpret_cast<IInfoView*>(1);
    const TInfoObjectDef unknown = DefOf(QStringLiteral("KX_MRP.NoSuchObject"));
    LoadInfoView(&view, &Host().Env, &unknown);
    EXPECT_EQ(view, nullptr);

    IInfoFrame* frame = reinterpret_cast<IInfoFrame*>(1);
    LoadInfoFrame(&frame, &Host().Env, &unknown);
    EXPECT_EQ(frame, nullptr);
    EXPECT_EQ(script.LastText(), QStringLiteral("很抱歉, 此功能处于内部测试阶段, 暂时不开放使用!"));

    IInfoEdit* edit = reinterpret_cast<IInfoEdit*>(1);
    LoadInfoEdit(&edit, &Host().Env, &unknown);
    EXPECT_EQ(edit, nullptr);
    EXPECT_EQ(LoadInfoForm(&Host().Env, &unknown), 0);

    bool handled = true;
    TFakeListView list;
    LoadInfoAction(&Host().Env, &unknown, QStringLiteral("Check"), &list, &handled);
    EXPECT_TRUE(handled);                           // untouched: nobody took the action
}

TEST_F(EntryPoints, ForecastActionsNeedASelectionAndAConfirmation)
{
    TInfoObjectDef def = DefOf(QStringLiteral("kx_mrp.forcast"));   // IDs match without regard to case
    TInfoActionDef check;
    check.ID = QStringLiteral("Check");
    check.Name = QStringLiteral("审核");
    def.Actions << check;
    TFakeListView list(&def);

    TScriptedMessages script({mrCancel});
    bool handled = true;
    LoadInfoAction(&Host().Env, &def, QStringLiteral("CHECK"), &list, &handled);
    EXPECT_FALSE(handled);
    EXPECT_EQ(script.LastText(), QStringLiteral("请选择待处理数据后重试!"));

    list.Rows << QVariantMap{{QStringLiteral("ForID"), QStringLiteral("F1")}, {QStringLiteral("ForEntry"), 1}};
    LoadInfoAction(&Host().Env, &def, QStringLiteral("check"), &list, &handled);
    EXPECT_FALSE(handled);
    EXPECT_EQ(script.LastText(), QStringLiteral("对所选择数据进行[审核], 确定?"));
    EXPECT_EQ(script.Requests().last().Buttons, mbOKCancel | mbDefButton2);
}

class ForecastActions : public TDatabaseTest {
protected:
    void SetUp() override
    {
        Exec(QStringLiteral(
            "delete from KX_Bill_ForHead;\r"
            "insert into KX_Base_Unit (UntID, UntNo, UntName) values ('PCS', 'PCS', '个') on conflict do nothing;\r"
            "insert into KX_Base_ItemMaster (ItmID, ItmNo, ItmName, ItmUnitID) values ('I1', 'FAN-01', '台扇', 'PCS') "
            "on conflict do nothing;\r"
            "insert into KX_Bill_ForHead (ForID, ForNo, ForDate) values ('F1', 'FC-001', '20261201'), ('F2', 'FC-002', '20261201');\r"
            "insert into KX_Bill_ForLine (ForID, ForEntry, ForItmID, ForUBillQty, ForBillQty, ForDelivDate) values "
            "('F1', 1, 'I1', 10, 10, '20261220'), ('F1', 2, 'I1', 20, 20, '20261227'), ('F1', 3, 'I1', 30, 30, '20270103'), "
            "('F2', 1, 'I1', 5, 5, '20261220')"));
        Def.ID = QStringLiteral("KX_MRP.Forcast");
        for (const auto& [id, name] : {std::pair{"Check", "审核"}, {"Close", "行关闭"}, {"Delete", "删除"}}) {
            TInfoActionDef a;
            a.ID = QString::fromLatin1(id);
            a.Name = QString::fromUtf8(name);
            Def.Actions << a;
        }
    }

    // The host list with the given (bill, line) pairs selected.
    void Select(std::initializer_list<std::pair<const char*, int>> lines)
    {
        List.Rows.clear();
        for (const auto& [bill, entry] : lines)
            List.Rows << QVariantMap{{QStringLiteral("ForID"), QString::fromLatin1(bill)}, {QStringLiteral("ForEntry"), entry}};
    }

    bool Run(const char* action)
    {
        bool handled = false;
        LoadInfoAction(&Host().Env, &Def, QString::fromLatin1(action), &List, &handled);
        return handled;
    }

    TInfoObjectDef Def;
    TFakeListView List{&Def};
};

TEST_F(ForecastActions, WholeBillActionsRunOncePerBillLineActionsOncePerLine)
{
    TScriptedMessages script({mrOK, mrOK});
    // Three lines of one bill: one approval, reported against a total of one.
    Select({{"F1", 1}, {"F1", 2}, {"F1", 3}});
    EXPECT_TRUE(Run("Check"));
    EXPECT_EQ(script.LastText(), QStringLiteral("[审核]执行完成。"));
    EXPECT_EQ(Scalar(QStringLiteral("select ForChecked from KX_Bill_ForHead where ForID='F1'")).toInt(), 1);
    // Closing acts on each selected line.
    Select({{"F1", 1}, {"F1", 3}});
    EXPECT_TRUE(Run("Close"));
    EXPECT_EQ(script.LastText(), QStringLiteral("[行关闭]执行完成。"));
    EXPECT_EQ(Scalar(QStringLiteral("select string_agg(ForEntry::text, ',' order by ForEntry) from KX_Bill_ForLine "
                                    "where ForID='F1' and ForClosed=1")).toString(), QStringLiteral("1,3"));
}

TEST_F(ForecastActions, FailuresAreCountedAndReported)
{
    TScriptedMessages script({mrOK, mrOK, mrOK});
    // F1 can be approved, F2 is approved already: part of the work fails.
    Exec(QStringLiteral("update KX_Bill_ForHead set ForChecked=1 where ForID='F2'"));
    Select({{"F1", 1}, {"F2", 1}});
    EXPECT_TRUE(Run("Check"));
    EXPECT_EQ(script.LastText(), QStringLiteral("[审核]执行完成。因不满足执行条件或其他原因, 部分数据执行不成功!"));
    EXPECT_EQ(script.Requests().last().Icon, miWarning);
    // Both bills are approved now: deleting them fails for all.
    EXPECT_TRUE(Run("Delete"));
    EXPECT_EQ(script.LastText(), QStringLiteral("因不满足执行条件或其他原因, 执行[删除]不成功!"));
    EXPECT_EQ(script.Requests().last().Icon, miError);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_Bill_ForLine")).toInt(), 4);
    // A row without a bill is skipped, not counted.
    TScriptedMessages answers({mrOK});
    Select({{"F1", 2}});
    List.Rows << QVariantMap{{QStringLiteral("ForEntry"), 1}};
    EXPECT_TRUE(Run("Close"));
    EXPECT_EQ(answers.LastText(), QStringLiteral("[行关闭]执行完成。"));
}
