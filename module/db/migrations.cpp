#include "db/migrations.h"

#include "db/connection.h"
#include "db/dataset.h"
#include "db/quote.h"

#include <QDir>
#include <QFile>
#include <QSet>

namespace kx {

namespace {

void EnsureVersionTable(TConnection& connection)
{
    connection.Execute(QStringLiteral(
        "create table if not exists KX_SYS_SchemaVersion ("
        " SvnComponent varchar(40) not null, SvnVersion integer not null, SvnName varchar(200) not null,"
        " SvnApplied timestamp(3) not null default localtimestamp, primary key (SvnComponent, SvnVersion))"));
}

} // namespace

int SchemaVersion(TConnection& connection, const QString& component)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select coalesce(max(SvnVersion), 0) from KX_SYS_SchemaVersion where SvnComponent=%1")
                .arg(QuotedStr(component));
    try {
        q.Open();
    } catch (const EDatabaseError& e) {
        if (e.SQLState() == QLatin1String("42P01"))   // no version table yet
            return 0;
        throw;
    }
    return q.Fields(0).AsInteger();
}

int ApplyMigrations(TConnection& connection, const QString& component, const QString& folder)
{
    EnsureVersionTable(connection);
    // Every file not applied yet is applied, in name order, also one numbered below the
    // newest applied version (files written side by side land in any order).
    QSet<int> done;
    {
        TQuery q(&connection);
        q.SQL = QStringLiteral("select SvnVersion from KX_SYS_SchemaVersion where SvnComponent=%1").arg(QuotedStr(component));
        q.Open();
        for (q.First(); !q.Eof(); q.Next())
            done.insert(q.Fields(0).AsInteger());
    }
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
    int applied = 0;
    for (const QString& name : files) {
        const int version = name.section(QLatin1Char('_'), 0, 0).toInt();
        if (version <= 0 || done.contains(version))
            continue;
        QFile file(folder + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly))
            throw EDatabaseError(QStringLiteral("无法读取数据库升级脚本%1!").arg(name), 0);
        const QString sql = QString::fromUtf8(file.readAll());
        TTransaction transaction(connection);
        try {
            connection.Execute(sql);
        } catch (const EDatabaseError& e) {
            throw EDatabaseError(QStringLiteral("%1: %2").arg(name, e.Message()), e.Number(), e.SQLState(), e.Statement());
        }
        connection.Execute(QStringLiteral("insert into KX_SYS_SchemaVersion (SvnComponent, SvnVersion, SvnName) values (%1, %2, %3)")
                               .arg(QuotedStr(component), SQLInt(version), QuotedStr(name)));
        transaction.Commit();
        ++applied;
    }
    return applied;
}

} // namespace kx
