#include "testdatabase.h"

#include "db/quote.h"
#include "db/shared.h"
#include "demofactory.h"

namespace kx::test {

TTestHost* TDatabaseTest::FHost = nullptr;
QString TDatabaseTest::FDatabase;

namespace {

TConnection& AdminConnection()
{
    static TConnection connection;
    if (connection.ConnectionString.isEmpty())
        connection.ConnectionString = BuildConnectionString(0, TTestDatabase::Server(), QStringLiteral("postgres"), {}, {});
    return connection;
}

} // namespace

QString TTestDatabase::Server()
{
    return qEnvironmentVariable("KX_TEST_PGHOST");
}

void TTestDatabase::Drop(const QString& name)
{
    AdminConnection().Execute(QStringLiteral("drop database if exists %1 with (force)").arg(QuotedIdent(name)));
}

void TTestDatabase::CreateClone(const QString& name)
{
    Drop(name);
    const QString templ = qEnvironmentVariable("KX_TEST_TEMPLATE", QStringLiteral("kx_template"));
    AdminConnection().Execute(QStringLiteral("create database %1 template %2").arg(QuotedIdent(name), QuotedIdent(templ)));
}

void TDatabaseTest::SetUpTestSuite()
{
    ASSERT_FALSE(TTestDatabase::Server().isEmpty()) << "KX_TEST_PGHOST is not set: run the tests through ctest";
    const auto* suite = ::testing::UnitTest::GetInstance()->current_test_suite();
    FDatabase = QStringLiteral("kxt_") + QString::fromLatin1(suite ? suite->name() : "suite").toLower();
    TTestDatabase::CreateClone(FDatabase);
    FHost = new TTestHost;
    FHost->SetDatabase(TTestDatabase::Server(), FDatabase);
    SetEnvironment(&FHost->Env);
    // The host's user exists in the suite, as a logged-in user does.
    Exec(QStringLiteral("insert into KX_SYS_Users (UsrID, UsrNo, UsrName, UsrPwdHash, UsrPwdSalt) values "
                        "('U001', 'tester', '测试员', repeat('0', 64), repeat('0', 32))"));
}

void TDatabaseTest::TearDownTestSuite()
{
    SharedQuery().Close();
    SharedConnection().Close();
    delete FHost;
    FHost = nullptr;
    TTestDatabase::Drop(FDatabase);
}

void TDatabaseTest::Exec(const QString& sql)
{
    try {
        SharedConnection().Execute(sql);
    } catch (const EDatabaseError& e) {
        ADD_FAILURE() << "statement failed: " << e.Message().toStdString() << "\n" << sql.toStdString();
    }
}

QVariant TDatabaseTest::Scalar(const QString& sql)
{
    TQuery q(&SharedConnection());
    q.SQL = sql;
    try {
        q.Open();
    } catch (const EDatabaseError& e) {
        ADD_FAILURE() << "query failed: " << e.Message().toStdString() << "\n" << sql.toStdString();
        return QVariant();
    }
    return q.IsEmpty() || q.FieldCount() == 0 ? QVariant() : q.Fields(0).Value();
}

QStringList TDatabaseTest::Rows(const QString& sql)
{
    TQuery q(&SharedConnection());
    q.SQL = sql;
    QStringList rows;
    try {
        q.Open();
    } catch (const EDatabaseError& e) {
        ADD_FAILURE() << "query failed: " << e.Message().toStdString() << "\n" << sql.toStdString();
        return rows;
    }
    for (int row = 0; row < q.RecordCount(); ++row) {
        QStringList cells;
        for (int field = 0; field < q.FieldCount(); ++field)
            cells << q.TextAt(row, field);
        rows << cells.join(QStringLiteral(", "));
    }
    return rows;
}

void TDemoDatabaseTest::SetUpTestSuite()
{
    TDatabaseTest::SetUpTestSuite();
    suite::LoadDemoFactory(SharedConnection());
    Exec(QStringLiteral("update KX_SYS_Users set UsrIsAdmin=1 where UsrID='U001'"));
    Host().UseCatalogue();
}

TPlanPeriods WeeklyPeriods(const QDate& monday, int count)
{
    QList<TPlanPeriod> weeks;
    for (int w = 0; w < count; ++w)
        weeks << TPlanPeriod{ppkNormal, monday.addDays(7 * w), monday.addDays(7 * w + 6)};
    return BuildPlanPeriods(weeks);
}

} // namespace kx::test
