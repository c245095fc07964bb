#include "engine/schemelock.h"

#include "db/errors.h"
#include "db/shared.h"

#include "testdatabase.h"

#include <gtest/gtest.h>

#include <QThread>

using namespace kx;
using namespace kx::test;

class SchemeLock : public TDatabaseTest {
protected:
    // Another user's session on the same database.
    TConnection Other;
    void SetUp() override { Other.ConnectionString = SharedConnection().ConnectionString; }
    void TearDown() override { Other.Close(); }

    // The refusal a second session meets, empty when it got the lock.
    QString Refusal(TConnection& connection, int scheme)
    {
        try {
            TSchemeLock lock(connection, scheme, QStringLiteral("月度计划"), QStringLiteral("获取主需求"));
        } catch (const EKxError& e) {
            return e.Message();
        }
        return QString();
    }
};

TEST_F(SchemeLock, ASecondSessionIsRefusedWithTheHolderUntilTheFirstLetsGo)
{
    {
        TSchemeLock held(SharedConnection(), 7, QStringLiteral("月度计划"), QStringLiteral("运算MRP"));
        // Taken again by its own session it nests; another scheme stays free.
        { TSchemeLock again(SharedConnection(), 7, QStringLiteral("月度计划"), QStringLiteral("保存调整")); }
        EXPECT_EQ(Refusal(Other, 8), QString());

        const QString refusal = Refusal(Other, 7);
        const QString since = Scalar(QStringLiteral("select to_char(LckTime, 'YYYY/MM/DD HH24:MI:SS') from KX_MRP_SchemeLocks "
                                                    "where LckSchIID=7")).toString();
        EXPECT_EQ(refusal, QStringLiteral("计划方案[月度计划]正被[测试员]运算MRP(自%1起), 不能执行本操作, 请稍后再试!").arg(since));
    }
    EXPECT_EQ(Refusal(Other, 7), QString());
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_SchemeLocks")).toInt(), 0);
}

TEST_F(SchemeLock, ASessionThatEndsReleasesItsLockAndLeavesAStaleRowHarmless)
{
    {
        TSchemeLock lock(Other, 9, QStringLiteral("周计划"), QStringLiteral("运算MRP"));
        // The holder's session ends (a killed process, a lost connection) before it could
        // let go; letting go afterwards happens on a new session that holds nothing.
        Other.Close();
    }
    // The server ends a closed session's process, and so releases its locks, a moment later.
    for (int wait = 0; wait < 100 && Scalar(QStringLiteral("select count(*) from pg_locks where locktype='advisory' "
                                                           "and objid=9")).toInt() > 0; ++wait)
        QThread::msleep(50);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_SchemeLocks where LckSchIID=9")).toInt(), 1);
    EXPECT_EQ(Refusal(SharedConnection(), 9), QString());

    // A session holding the key without a row of its own is named as "其他用户".
    Other.Execute(QStringLiteral("select pg_advisory_lock(%1, 10)").arg(0x4B584D52));
    EXPECT_EQ(Refusal(SharedConnection(), 10), QStringLiteral("计划方案[月度计划]正被其他用户使用, 不能执行本操作, 请稍后再试!"));
}
