#include "db/settings.h"
#include "db/shared.h"

#include "testdatabase.h"

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

class Settings : public TDatabaseTest {};

TEST_F(Settings, SystemAndUserSettingsRoundTrip)
{
    WriteSetting(QStringLiteral("KX_MRP"), QStringLiteral("OutputDirectOO"), true, QStringLiteral("1"));
    EXPECT_TRUE(ReadSettingBool(QStringLiteral("KX_MRP"), QStringLiteral("OutputDirectOO"), true, false));
    WriteSetting(QStringLiteral("KX_MRP"), QStringLiteral("OutputDirectOO"), true, QStringLiteral("0"));
    EXPECT_FALSE(ReadSettingBool(QStringLiteral("KX_MRP"), QStringLiteral("OutputDirectOO"), true, true));
    // A stored empty text reads true: only "0" is false. A missing row gives the default.
    WriteSetting(QStringLiteral("KX_MRP"), QStringLiteral("PROutputItemSubs"), true, QString());
    EXPECT_TRUE(ReadSettingBool(QStringLiteral("KX_MRP"), QStringLiteral("PROutputItemSubs"), true, false));
    EXPECT_FALSE(ReadSettingBool(QStringLiteral("KX_MRP"), QStringLiteral("NoSuchKey"), true, false));
    EXPECT_TRUE(ReadSettingBool(QStringLiteral("KX_MRP"), QStringLiteral("NoSuchKey"), true, true));

    WriteSettingInt(QStringLiteral("KX_MRP"), QStringLiteral("OutputMaxRows"), false, 250);
    EXPECT_EQ(ReadSettingInt(QStringLiteral("KX_MRP"), QStringLiteral("OutputMaxRows"), false, 0), 250);
    EXPECT_EQ(ReadSettingInt(QStringLiteral("KX_MRP"), QStringLiteral("OutputMaxRows"), true, 7), 7);
    WriteSetting(QStringLiteral("KX_MRP"), QStringLiteral("OutputDeptID"), false, QStringLiteral("车间'一"));
    QString value;
    ReadSetting(QStringLiteral("kx_mrp"), QStringLiteral("outputdeptid"), value, false, QStringLiteral("x"));
    EXPECT_EQ(value, QStringLiteral("车间'一"));
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_SYS_UserSettings where SetUsrID='U001'")).toInt(), 2);

    // Without a logged-in user, user settings read as defaults and are never written.
    Host().SetUser(QString(), QString());
    ReadSetting(QStringLiteral("KX_MRP"), QStringLiteral("OutputDeptID"), value, false, QStringLiteral("default"));
    EXPECT_EQ(value, QStringLiteral("default"));
    WriteSetting(QStringLiteral("KX_MRP"), QStringLiteral("OutputEmpID"), false, QStringLiteral("E1"));
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_SYS_UserSettings")).toInt(), 2);
    Host().SetUser(QStringLiteral("U001"), QStringLiteral("测试员"));
}

TEST_F(Settings, EnumerationsAreReadOncePerClass)
{
    Exec(QStringLiteral("insert into KX_SYS_Enums (EnmClass, EnmID, EnmName) values "
                        "('KxTestKind', 9, '九'), ('KxTestKind', 0, '零'), ('KxTestOther', 1, '一')"));
    const QList<TEnumItem>& items = GetEnumList(QStringLiteral("KxTestKind"));
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].ID, 0);                      // ordered by ID
    EXPECT_EQ(items[1].Name, QStringLiteral("九"));
    EXPECT_EQ(EnumText(QStringLiteral("kxtestkind"), 9), QStringLiteral("九"));
    EXPECT_EQ(EnumText(QStringLiteral("KxTestKind"), 7), QStringLiteral("(7)"));
    EXPECT_FALSE(EnumHasValue(QStringLiteral("KxNoSuchClass"), 1));
    EXPECT_TRUE(Host().EnumCache.Classes.contains(QStringLiteral("kxtestkind")));

    // Later calls answer from the host's cache, not from the table.
    Exec(QStringLiteral("delete from KX_SYS_Enums where EnmClass in ('KxTestKind', 'KxTestOther')"));
    EXPECT_EQ(EnumText(QStringLiteral("KxTestKind"), 0), QStringLiteral("零"));
    EXPECT_EQ(EnumText(QStringLiteral("KxTestOther"), 1), QStringLiteral("(1)"));
}
