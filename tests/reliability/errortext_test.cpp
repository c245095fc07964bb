// What a user reads for a refused statement: a sentence naming what failed, the server's text
// kept as detail; our own procedures' refusals pass as they are.
#include "db/errortext.h"

#include <gtest/gtest.h>

using namespace kx;

TEST(ServerErrorText, EachKindOfFailureIsNamedInWordsWithTheServersTextAsDetail)
{
    struct TCase {
        const char* State;
        const char* Message;
        const char* Detail;
        const char* Expected;
    };
    const TCase cases[] = {
        {"42P01", "relation \"kx_mrp_schemes\" does not exist", "",
         "数据库中缺少所需的表或视图, 数据库结构尚未初始化或与程序版本不符! [服务器信息: relation \"kx_mrp_schemes\" does not exist]"},
        {"40P01", "deadlock detected", "Process 1 waits for ShareLock", "与其他用户的操作互相等待(死锁), 本次操作已被撤销! [服务器信息: deadlock detected]"},
        {"22001", "value too long for type character varying(80)", "", "文本长度超出字段允许的范围! [服务器信息: value too long for type character varying(80)]"},
        {"22023", "some new complaint", "", "数据无效! [服务器信息: some new complaint]"},
        {"57P01", "terminating connection due to administrator command", "",
         "数据库服务器已停止或正在重新启动, 连接被断开! [服务器信息: terminating connection due to administrator command]"},
        {"08001", "server closed the connection\nunexpectedly", "", "与数据库服务器的连接中断! [服务器信息: server closed the connection unexpectedly]"},
        {"ZZ999", "odd", "", "数据库操作失败! [服务器信息: odd]"},
        // Refusals our procedures raise already speak to the user.
        {"P0001", "物料[A]的BOM不存在!", "", "物料[A]的BOM不存在!"},
        {"23514", "物料[A]的属性无效!", "errnum=65285", "物料[A]的属性无效!"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(ServerErrorText(QLatin1String(c.State), QString::fromUtf8(c.Message), QString::fromUtf8(c.Detail)),
                  QString::fromUtf8(c.Expected));

    EXPECT_EQ(ConnectErrorText(QStringLiteral("/var/pg"), QStringLiteral("root"),
                               QStringLiteral("connection to server on socket \"/var/pg/.s.PGSQL.5432\" failed: FATAL:  database \"root\" does not exist")),
              QStringLiteral("无法连接数据库服务器[/var/pg]上的数据库[root]! 数据库不存在。 [服务器信息: connection to server on socket "
                             "\"/var/pg/.s.PGSQL.5432\" failed: FATAL: database \"root\" does not exist]"));
}
