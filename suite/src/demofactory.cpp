#include "demofactory.h"

#include "db/connection.h"
#include "db/dataset.h"
#include "db/quote.h"
#include "passwords.h"
#include "suiteschema.h"

#include <QFile>
#include <QStringList>

namespace kx::suite {

namespace {

// The demo logins. Their passwords are documented for trying the demo; only digests are stored.
struct TDemoLogin {
    const char* ID;
    const char* No;
    const char* Name;
    const char* EmpID;
    int IsAdmin;
    const char* Password;
};

constexpr TDemoLogin kDemoLogins[] = {
    {"DM-USR-ADMIN", "admin", "系统管理员", nullptr, 1, "admin123"},
    {"DM-USR-LIMING", "liming", "李明", "DM-E-02", 0, "liming123"},
    {"DM-USR-ZHANGLI", "zhangli", "张丽", "DM-E-03", 0, "zhangli123"},
};

// Runs one of the suite's data scripts (resource folder :/data/suite); a failure names the script.
void RunDataScript(TConnection& connection, const QString& name)
{
    QFile file(QStringLiteral(":/data/suite/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw EDatabaseError(QStringLiteral("无法读取数据脚本%1!").arg(name), 0);
    try {
        connection.Execute(QString::fromUtf8(file.readAll()));
    } catch (const EDatabaseError& e) {
        throw EDatabaseError(QStringLiteral("%1: %2").arg(name, e.Message()), e.Number(), e.SQLState(), e.Statement());
    }
}

int DemoItemCount(TConnection& connection)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select count(*) from KX_Base_ItemMaster where ItmID like 'DM-%'");
    q.Open();
    return q.Fields(0).AsInteger();
}

// tmp_KX_DemoLogins: the demo users that do not exist yet, with fresh password digests.
void PrepareLogins(TConnection& connection)
{
    connection.Execute(QStringLiteral(
        "create temp table tmp_KX_DemoLogins (UsrID varchar(50) not null, UsrNo varchar(50) not null, UsrName varchar(50) not null,"
        " UsrEmpID varchar(50), UsrIsAdmin smallint not null, UsrPwdHash varchar(128) not null, UsrPwdSalt varchar(64) not null,"
        " UsrPwdIter integer not null) on commit drop"));
    QStringList ids;
    for (const TDemoLogin& login : kDemoLogins)
        ids << QuotedStr(QString::fromLatin1(login.ID));
    TQuery q(&connection);
    q.SQL = QStringLiteral("select UsrID from KX_SYS_Users where UsrID in (%1)").arg(ids.join(QLatin1Char(',')));
    q.Open();
    QStringList rows;
    for (const TDemoLogin& login : kDemoLogins) {
        if (q.Locate(QStringLiteral("UsrID"), {QString::fromLatin1(login.ID)}))
            continue;
        const TPasswordDigest digest = HashPassword(QString::fromLatin1(login.Password));
        rows << QStringLiteral("(%1, %2, %3, %4, %5, %6, %7, %8)")
                    .arg(QuotedStr(QString::fromLatin1(login.ID)), QuotedStr(QString::fromLatin1(login.No)),
                         QuotedStr(QString::fromUtf8(login.Name)),
                         login.EmpID ? QuotedStr(QString::fromLatin1(login.EmpID)) : QStringLiteral("null"),
                         SQLInt(login.IsAdmin), QuotedStr(digest.Hash), QuotedStr(digest.Salt), SQLInt(digest.Iterations));
    }
    if (!rows.isEmpty())
        connection.Execute(QStringLiteral("insert into tmp_KX_DemoLogins values ") + rows.join(QLatin1Char(',')));
}

} // namespace

QDate DemoBaseDate()
{
    return QDate(2026, 12, 7);
}

void LoadStandardCalendars(TConnection& connection)
{
    RunDataScript(connection, QStringLiteral("calendar_cn.sql"));
}

TDemoLoadResult LoadDemoFactory(TConnection& connection)
{
    TDemoLoadResult result;
    TTransaction transaction(connection);
    result.AlreadyPresent = DemoItemCount(connection) > 0;
    PrepareLogins(connection);
    RunDataScript(connection, QStringLiteral("demo_factory.sql"));
    LoadStandardCalendars(connection);
    result.ItemSettings = TableExists(connection, QStringLiteral("KX_MRP_ItemSetting"));
    if (result.ItemSettings)
        RunDataScript(connection, QStringLiteral("demo_itemsetting.sql"));
    result.Items = DemoItemCount(connection);
    transaction.Commit();
    return result;
}

} // namespace kx::suite
