#include "db/dataset.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/sqlrun.h"

#include "testdatabase.h"

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

class Connection : public TDatabaseTest {};

TEST_F(Connection, FailingStatementShowsServerMessageWithNumber)
{
    TScriptedMessages script;
    TQuery q(&SharedConnection());
    EXPECT_FALSE(RunSQL(q, QStringLiteral("select * from KX_No_Such_Table"), true));
    // What failed in words, the server's text kept, and SQLSTATE 42P01 read as a base-36 number.
    EXPECT_EQ(script.LastText(), QStringLiteral("错误: 数据库中缺少所需的表或视图, 数据库结构尚未初始化或与程序版本不符! "
                                                "[服务器信息: relation \"kx_no_such_table\" does not exist] (错误号: %1)")
                                     .arg(QStringLiteral("42P01").toInt(nullptr, 36)));
    EXPECT_EQ(OpenSQLCount(q, QStringLiteral("select 1/0"), false), -1);
    EXPECT_EQ(script.Count(), 1);                  // ShowError off: nothing shown
    EXPECT_THROW((void)RunSQL(q, QStringLiteral("select 1/0"), true, false, true), EDatabaseError);

    // Our own procedures carry their number in the detail.
    Exec(QStringLiteral("create function kx_test_fail() returns int language plpgsql as $$ begin "
                        "raise exception '物料属性值无效' using detail = 'errnum=65285'; end $$"));
    EXPECT_FALSE(RunSQL(q, QStringLiteral("select kx_test_fail()"), true));
    EXPECT_EQ(script.LastText(), QStringLiteral("错误: 物料属性值无效 (错误号: 65285)"));
}

TEST_F(Connection, BatchStopsAtTheFirstFailingStatement)
{
    TQuery q(&SharedConnection());
    Exec(QStringLiteral("create table kx_test_batch (n int)"));
    EXPECT_FALSE(RunSQL(q, QStringLiteral("insert into kx_test_batch values (1);\rselect 1/0;\rinsert into kx_test_batch values (2)"),
                        false, false));
    // The batch runs as one implicit transaction: the first insert is gone too.
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from kx_test_batch")).toInt(), 0);
}

TEST_F(Connection, FieldsByNameWithoutRegardToCaseAndNulls)
{
    TQuery q(&SharedConnection());
    ASSERT_EQ(OpenSQLCount(q, QStringLiteral("select 1 as SchIID, null::text as SchName, 2.5::numeric(28,8) as Qty, "
                                             "date '2026-01-02' as D union all select 2, 'b', 0, null"),
                           true),
              2);
    EXPECT_EQ(q.FieldByName(QStringLiteral("SCHIID")).AsInteger(), 1);
    EXPECT_TRUE(q.FieldByName(QStringLiteral("schname")).IsNull());
    EXPECT_DOUBLE_EQ(q.FieldByName(QStringLiteral("Qty")).AsFloat(), 2.5);
    EXPECT_EQ(q.FieldByName(QStringLiteral("D")).AsDate(), QDate(2026, 1, 2));
    EXPECT_EQ(q.FieldByName(QStringLiteral("D")).DataType(), ftDate);
    EXPECT_TRUE(FieldValueOrNull(q, QStringLiteral("NoSuchField")).isNull());
    q.Next();
    EXPECT_EQ(q.FieldByName(QStringLiteral("SchName")).AsString(), QStringLiteral("b"));
    q.Next();
    EXPECT_TRUE(q.Eof());
    EXPECT_TRUE(q.Locate(QStringLiteral("SchName"), {QStringLiteral("B")}, true));
    EXPECT_EQ(q.RecNo(), 1);
    EXPECT_FALSE(q.Locate(QStringLiteral("SchName"), {QStringLiteral("B")}, false));

    QDateTime now;
    ASSERT_TRUE(GetServerTime(q, now, true));
    EXPECT_EQ(now.time(), QTime(0, 0));
    EXPECT_LE(qAbs(now.date().daysTo(QDate::currentDate())), 1);
}

TEST_F(Connection, BigReadsTakeNumbersStraightFromTheText)
{
    TQuery q(&SharedConnection());
    ASSERT_EQ(OpenSQLCount(q, QStringLiteral("select -7, 163801899.98::numeric(28,8), 1e-05::float8, null::int, 2.5::numeric, "
                                             "'12a'::text, ''::text"),
                           true),
              1);
    EXPECT_EQ(q.IntAt(0, 0), -7);
    EXPECT_EQ(q.NumberAt(0, 1), 163801899.98);      // the nearest double, as a compiler reads it
    EXPECT_EQ(q.NumberAt(0, 2), 1e-05);
    // Null, a fraction read as a whole number, and text that is no number all read as 0.
    EXPECT_EQ(q.IntAt(0, 3), 0);
    EXPECT_EQ(q.NumberAt(0, 3), 0);
    EXPECT_EQ(q.IntAt(0, 4), 0);
    EXPECT_EQ(q.IntAt(0, 5), 0);
    EXPECT_EQ(q.NumberAt(0, 6), 0);
}

TEST_F(Connection, CopyReadsGiveEveryRowOnceAsTheServerWroteItAndLeaveTheConnectionAsTheyFoundIt)
{
    TConnection& c = SharedConnection();
    // The rows of every chunk, in order.
    const auto readAll = [&](int rows, int chunkRows) {
        QStringList chunks;
        TCopyRead read(c, QStringLiteral("select n from generate_series(1, %1) as n order by n").arg(rows), chunkRows);
        TRowChunk q;
        while (read.Next(q)) {
            QStringList values;
            for (int r = 0; r < q.RecordCount(); ++r) {
                read.KeepUp();
                values << QString::number(q.IntAt(r, 0));
            }
            chunks << values.join(QLatin1Char(','));
        }
        return chunks.join(QLatin1Char('|'));
    };
    EXPECT_EQ(readAll(7, 3), QStringLiteral("1,2,3|4,5,6|7"));
    EXPECT_EQ(readAll(6, 3), QStringLiteral("1,2,3|4,5,6"));
    EXPECT_EQ(readAll(0, 3), QString());
    EXPECT_FALSE(c.InTransaction());

    // Text comes back as it was, whatever COPY escapes on the way; null apart from empty text
    // and from the text "\N"; numbers and dates as the query reads them.
    const QString tricky = QStringLiteral("a\tb\nc\rd\\e\\\\Nf\bg\fh\vi 物料|");
    {
        TCopyRead read(c, QStringLiteral("select %1::text, null::text, ''::text, '\\N'::text, -12, 2.5::numeric(28,8), "
                                         "'2026-12-07 08:30:00'::timestamp, null::date")
                              .arg(QuotedStr(tricky)));
        TRowChunk q;
        ASSERT_TRUE(read.Next(q));
        ASSERT_EQ(q.RecordCount(), 1);
        ASSERT_EQ(q.FieldCount(), 8);
        EXPECT_EQ(q.TextAt(0, 0), tricky);
        EXPECT_TRUE(q.IsNullAt(0, 1));
        EXPECT_TRUE(q.TextAt(0, 1).isNull());
        EXPECT_FALSE(q.IsNullAt(0, 2));
        EXPECT_TRUE(q.TextAt(0, 2).isEmpty() && !q.TextAt(0, 2).isNull());
        EXPECT_EQ(q.TextAt(0, 3), QStringLiteral("\\N"));
        EXPECT_EQ(q.IntAt(0, 4), -12);
        EXPECT_EQ(q.NumberAt(0, 5), 2.5);
        EXPECT_EQ(q.BytesAt(0, 5), QByteArrayView("2.50000000"));
        EXPECT_EQ(q.DateAt(0, 6), QDate(2026, 12, 7));
        EXPECT_FALSE(q.DateAt(0, 7).isValid());
        EXPECT_FALSE(read.Next(q));
    }

    // Inside a transaction the read is part of it, and the transaction goes on.
    Exec(QStringLiteral("create table kx_test_chunks (n int)"));
    {
        TTransaction t(c);
        Exec(QStringLiteral("insert into kx_test_chunks values (1)"));
        EXPECT_EQ(readAll(7, 3), QStringLiteral("1,2,3|4,5,6|7"));
        EXPECT_TRUE(c.InTransaction());
        t.Commit();
    }
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from kx_test_chunks")).toInt(), 1);

    // A read left midway, or failing midway, or not starting: the connection serves the next
    // statement outside any transaction.
    {
        TCopyRead read(c, QStringLiteral("select n from generate_series(1, 100000) as n"), 2);
        TRowChunk q;
        ASSERT_TRUE(read.Next(q));
    }
    EXPECT_FALSE(c.InTransaction());
    EXPECT_EQ(Scalar(QStringLiteral("select 5")).toInt(), 5);
    EXPECT_THROW(
        {
            TCopyRead read(c, QStringLiteral("select 10/(5-n) from generate_series(1, 10) as n"), 2);
            TRowChunk q;
            while (read.Next(q)) {}
        },
        EDatabaseError);
    EXPECT_FALSE(c.InTransaction());
    EXPECT_EQ(Scalar(QStringLiteral("select 6")).toInt(), 6);
    EXPECT_THROW(TCopyRead(c, QStringLiteral("select no_such_column")), EDatabaseError);
    EXPECT_EQ(Scalar(QStringLiteral("select 7")).toInt(), 7);
}

TEST_F(Connection, StatementsSentAheadGiveTheirResultWhenWaitedForAndLeaveTheConnectionUsable)
{
    TConnection& c = SharedConnection();
    {
        TSentAhead select(c, QStringLiteral("select n from generate_series(1, 3) as n"));
        TQuery q(&c);
        select.Take(q);
        EXPECT_EQ(q.RecordCount(), 3);
        EXPECT_EQ(q.IntAt(2, 0), 3);
    }
    // Several statements go as one: the first failing one undoes them all, and waiting raises
    // its error.
    Exec(QStringLiteral("create table kx_test_ahead (n int)"));
    {
        TSentAhead statements(c, QStringLiteral("insert into kx_test_ahead values (1);\rselect 1/0;\rinsert into kx_test_ahead values (2)"));
        EXPECT_THROW(statements.Wait(), EDatabaseError);
    }
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from kx_test_ahead")).toInt(), 0);
    // Left without waiting, as when the caller leaves on an error of its own: the result is
    // taken in and dropped, failed or not.
    { TSentAhead dropped(c, QStringLiteral("select 1/0")); }
    { TSentAhead dropped(c, QStringLiteral("insert into kx_test_ahead values (3)")); }
    EXPECT_FALSE(c.InTransaction());
    EXPECT_EQ(Scalar(QStringLiteral("select string_agg(n::text, ',' order by n) from kx_test_ahead")).toString(), QStringLiteral("3"));
}

TEST_F(Connection, QuotedValuesSurviveTheRoundTrip)
{
    TQuery q(&SharedConnection());
    const QString texts[] = {QStringLiteral("O'Brien''s"), QStringLiteral("C:\\path\\n"), QStringLiteral("物料'代码\\ 测试"),
                             QStringLiteral("'; drop table x; --"), QString()};
    for (const QString& text : texts) {
        ASSERT_TRUE(RunSQL(q, QStringLiteral("select %1 as t").arg(QuotedStr(text)), true));
        EXPECT_EQ(q.Fields(0).AsString(), text);
    }
    ASSERT_TRUE(RunSQL(q, QStringLiteral("select %1::numeric(28,8) as q, %2::date as d, %3::timestamp as t")
                              .arg(SQLQty(1234.56789012), SQLDate(QDate(2026, 12, 6)),
                                   SQLDateTime(QDateTime(QDate(2026, 12, 6), QTime(23, 59, 58)))),
                       true));
    EXPECT_DOUBLE_EQ(q.Fields(0).AsFloat(), 1234.56789012);
    EXPECT_EQ(q.Fields(1).AsDate(), QDate(2026, 12, 6));
    EXPECT_EQ(q.Fields(2).AsDateTime(), QDateTime(QDate(2026, 12, 6), QTime(23, 59, 58)));
}

TEST_F(Connection, RowLimitWarnsAtTheLimitAndNotBelow)
{
    TScriptedMessages script;
    Host().Env.MaxRows = 50;
    CheckRowLimit(49);
    EXPECT_EQ(script.Count(), 0);
    CheckRowLimit(50);
    EXPECT_EQ(script.LastText(), QStringLiteral("由于您的筛选条件过于宽松, 导致本次查询结果超过50行, 超过部分已放弃返回显示!"));
    Host().Env.MaxRows = 1000;
}

TEST(ConnectionFailure, WrongDatabaseServerOrKindGivesAClearError)
{
    TScriptedMessages script;
    struct Case { QString server; QString database; int kind; const char* contains; };
    const Case cases[] = {
        {TTestDatabase::Server(), QStringLiteral("kx_no_such_database"), 0, "kx_no_such_database"},
        {QStringLiteral("/nonexistent/socket/dir"), QStringLiteral("kx"), 0, "无法连接数据库"},
        {QStringLiteral("c:\\data\\kx.mdb"), QStringLiteral("system.mdw"), 2, "不受支持"},
    };
    for (const Case& c : cases) {
        TConnection connection;
        connection.ConnectionString = BuildConnectionString(c.kind, c.server, c.database, {}, {});
        TQuery q(&connection);
        EXPECT_FALSE(RunSQL(q, QStringLiteral("select 1"), true));
        EXPECT_TRUE(script.LastText().startsWith(QStringLiteral("错误: ")));
        EXPECT_TRUE(script.LastText().contains(QString::fromUtf8(c.contains))) << script.LastText().toStdString();
        // Unable to connect: SQLSTATE 08001.
        EXPECT_TRUE(script.LastText().endsWith(QStringLiteral("(错误号: %1)").arg(QStringLiteral("08001").toInt(nullptr, 36))));
    }
}

TEST(ConnectionString, KindsServersAndLogins)
{
    EXPECT_EQ(BuildConnectionString(2, QStringLiteral("f.mdb"), QStringLiteral("s"), QStringLiteral("u"), QStringLiteral("p")),
              QString());
    const QString tcp = BuildConnectionString(0, QStringLiteral("db.example:6543"), QStringLiteral("kx"),
                                              QStringLiteral("planner"), QStringLiteral("pa'ss"));
    EXPECT_TRUE(tcp.contains(QStringLiteral("host='db.example'")));
    EXPECT_TRUE(tcp.contains(QStringLiteral("port='6543'")));
    EXPECT_TRUE(tcp.contains(QStringLiteral("user='planner'")));
    EXPECT_TRUE(tcp.contains(QStringLiteral("password='pa\\'ss'")));
    // A blank user is the operating-system login: no user and no password.
    const QString peer = BuildConnectionString(0, QStringLiteral("/run/kx"), QStringLiteral("kx"), QStringLiteral("  "),
                                               QStringLiteral("secret"));
    EXPECT_TRUE(peer.contains(QStringLiteral("host='/run/kx'")));
    EXPECT_FALSE(peer.contains(QStringLiteral("port=")));
    EXPECT_FALSE(peer.contains(QStringLiteral("secret")));
}
