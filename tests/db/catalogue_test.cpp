#include "catalogue.h"
#include "objectsql.h"

#include "db/dataset.h"
#include "db/quote.h"
#include "db/shared.h"

#include "testdatabase.h"

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

class Catalogue : public TDatabaseTest {
protected:
    static void SetUpTestSuite()
    {
        TDatabaseTest::SetUpTestSuite();
        // An administrator, a planner in the planning group, and a user with no rights.
        Exec(QStringLiteral(
            "insert into KX_SYS_Users (UsrID, UsrNo, UsrName, UsrPwdHash, UsrPwdSalt, UsrIsAdmin) values "
            "('UA', 'admin', '管理员', repeat('a', 64), repeat('b', 32), 1),"
            "('UP', 'plan', '计划员', repeat('a', 64), repeat('b', 32), 0),"
            "('UN', 'none', '访客', repeat('a', 64), repeat('b', 32), 0);"
            "insert into KX_SYS_UserGroups (GrpID, GrpNo, GrpName) values ('GP', 'planners', '计划组');"
            "insert into KX_SYS_UserGroupMembers (UgmGrpID, UgmUsrID) values ('GP', 'UP');"
            "insert into KX_SYS_AccessRights (AcrObjID, AcrGroup, AcrUsrID, AcrIsGroup) values "
            "('KX_MRP.Forcast', 'Browse', 'GP', 1), ('KX_MRP.Forcast', 'Check', 'UP', 0);"
            "insert into KX_SYS_ObjPermits (PmtObjID, PmtCode, PmtName, PmtSQL, PmtQuerySQL) values "
            "('KX_MRP.Forcast', 'OwnDept', '本部门', 's.ForDeptID in (select EmpDeptID from KX_Base_Employee where EmpID=$$UserID$$)', ''),"
            "('KX_MRP.Forcast', 'Groups', '本组', 's.ForCreater in ($$UserGroups$$)', 'ForCreater in ($$UserGroups$$)');"
            "insert into KX_SYS_UserPermits (UpmObjID, UpmCode, UpmUsrID, UpmIsGroup) values ('KX_MRP.Forcast', 'Groups', 'GP', 1)"));
    }
};

TEST_F(Catalogue, EveryObjectComposesAndRuns)
{
    TConnection host;
    host.ConnectionString = SharedConnection().ConnectionString;
    suite::TCatalogue catalogue(host);
    catalogue.SetUser(QStringLiteral("UA"));
    const QList<suite::TCatalogueEntry> entries = catalogue.Entries();
    ASSERT_GE(entries.size(), 14);
    for (const suite::TCatalogueEntry& entry : entries) {
        const TInfoObjectDef* def = catalogue.ObjectDef(entry.ID);
        ASSERT_NE(def, nullptr) << entry.ID.toStdString();
        // A workbench or form of the module composes its own statements.
        if (def->DataSources.isEmpty() && !def->DllName.isEmpty())
            continue;
        QStringList fields;
        for (const TInfoFieldDef& f : def->Fields)
            fields << f.SQLExpress + QStringLiteral(" as ") + QuotedIdent(f.ID);
        const QString sql = suite::ComposeObjectSQL(*def, {QString(), QStringLiteral("top 5 ") + fields.join(QStringLiteral(", ")),
                                                           QStringLiteral("1=1"), QString(), QString()});
        ASSERT_FALSE(sql.isEmpty()) << entry.ID.toStdString();
        TQuery q(&host);
        q.SQL = sql;
        EXPECT_NO_THROW(q.Open()) << entry.ID.toStdString() << "\n" << sql.toStdString();
        EXPECT_EQ(q.FieldCount(), def->Fields.size()) << entry.ID.toStdString();
    }
}

TEST_F(Catalogue, RightsShapeTheDefinition)
{
    TConnection host;
    host.ConnectionString = SharedConnection().ConnectionString;
    suite::TCatalogue catalogue(host);

    catalogue.SetUser(QStringLiteral("UN"));
    EXPECT_EQ(catalogue.ObjectDef(QStringLiteral("KX_MRP.Forcast")), nullptr);
    EXPECT_TRUE(catalogue.Entries().isEmpty());

    catalogue.SetUser(QStringLiteral("UP"));
    EXPECT_EQ(catalogue.UserGroups(), QStringLiteral("'GP'"));
    const TInfoObjectDef* def = catalogue.ObjectDef(QStringLiteral("kx_mrp.forcast"));
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->ID, QStringLiteral("KX_MRP.Forcast"));
    EXPECT_NE(def->GetAccessGroup(QStringLiteral("browse")), nullptr);
    EXPECT_NE(def->GetAccessGroup(QStringLiteral("Check")), nullptr);
    EXPECT_EQ(def->GetAccessGroup(QStringLiteral("Update")), nullptr);
    // Actions that need a group the user does not hold are left out.
    EXPECT_NE(def->GetActionDef(QStringLiteral("Check")), nullptr);
    EXPECT_EQ(def->GetActionDef(QStringLiteral("Delete")), nullptr);
    EXPECT_EQ(def->PermitCodes, QStringLiteral("Groups|"));
    EXPECT_EQ(catalogue.PermitSQL(def, QStringLiteral("Groups"), false), QStringLiteral("s.ForCreater in ('GP')"));
    EXPECT_EQ(catalogue.PermitSQL(def, QStringLiteral("Groups"), true), QStringLiteral("ForCreater in ('GP')"));
    EXPECT_EQ(catalogue.PermitSQL(def, QStringLiteral("OwnDept"), false),
              QStringLiteral("s.ForDeptID in (select EmpDeptID from KX_Base_Employee where EmpID='UP')"));
    EXPECT_EQ(catalogue.PermitSQL(def, QStringLiteral("NoSuchCode"), false), QStringLiteral("1=0"));
    // Fields keep their enumerations and layout flags.
    const TInfoFieldDef* group = def->GetFieldDef(QStringLiteral("MRPGroupType"));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->ValueType, vtSysEnum);
    EXPECT_FALSE(group->EnumValues.isEmpty());
    EXPECT_EQ(group->Layout, flDefaultHide);
    EXPECT_TRUE(def->GetFieldDef(QStringLiteral("ForID"))->IsPrimary);
    EXPECT_TRUE(def->GetFieldDef(QStringLiteral("ForID"))->HideList);

    catalogue.SetUser(QStringLiteral("UA"));
    def = catalogue.ObjectDef(QStringLiteral("KX_MRP.Forcast"));
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->PermitCodes, QString());       // an administrator is not restricted
    EXPECT_NE(def->GetActionDef(QStringLiteral("Delete")), nullptr);
}

TEST_F(Catalogue, HostCompositionAppliesLimitPermitsAndPatterns)
{
    Host().SetUser(QStringLiteral("UP"), QStringLiteral("计划员"), QStringLiteral("'GP'"));
    Host().UseCatalogue();
    const TInfoObjectDef* def = Host().Env.GetObjectDef(QStringLiteral("KX_MRP.Forcast"));
    ASSERT_NE(def, nullptr);
    QString sql;
    ASSERT_TRUE(Host().Env.BuildObjectSQL(def, QString(), sql, QStringLiteral("top 20 s.ForNo as \"ForNo\""),
                                          QStringLiteral("s.ForQty>0"), QStringLiteral("s.ForNo"), QString()));
    EXPECT_TRUE(sql.startsWith(QStringLiteral("select s.ForNo as \"ForNo\" from KX_MRP_Forcast as s join KX_Base_ItemMaster as i")))
        << sql.toStdString();
    EXPECT_TRUE(sql.endsWith(QStringLiteral(" where (s.ForQty>0) and ((s.ForCreater in ('GP'))) order by s.ForNo limit 20")))
        << sql.toStdString();
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from (%1) as t").arg(sql)).toInt(), 0);

    ASSERT_TRUE(Host().Env.BuildObjectSQL(def, QStringLiteral("select count(*) as n, $$Fields$$ $$MainJoin$$"), sql,
                                          QStringLiteral("max(s.ForNo) as m"), QString(), QString(), QString()));
    EXPECT_TRUE(sql.startsWith(QStringLiteral("select count(*) as n, max(s.ForNo) as m from KX_MRP_Forcast as s "))) << sql.toStdString();
    EXPECT_EQ(Scalar(sql).toInt(), 0);

    QString join;
    ASSERT_TRUE(Host().Env.BuildObjectSelect(def, QStringLiteral(", i.ItmNo"), sql, join));
    EXPECT_EQ(sql, QStringLiteral("select i.ItmNo ") + join);
    EXPECT_TRUE(join.contains(QStringLiteral("join KX_Base_ItemMaster as i on i.ItmID=s.ForItmID")));
    Host().SetUser(QStringLiteral("U001"), QStringLiteral("测试员"));
}
