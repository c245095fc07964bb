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
