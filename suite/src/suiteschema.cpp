#include "suiteschema.h"

#include "db/dataset.h"
#include "db/migrations.h"
#include "db/quote.h"

namespace kx {

void CreateSuiteDatabase(TConnection& admin, const QString& name)
{
    // Codes and numbers sort by code point, the order of the suite's own C.UTF-8 cluster. The
    // "C" collation gives that order by comparing bytes; a UTF-8 locale goes through the C
    // library for every comparison, and every sort, index build and index insert on a text
    // column pays for it (seconds in a run of a big factory).
    admin.Execute(QStringLiteral("create database %1 encoding 'UTF8' lc_collate 'C' template template0").arg(QuotedIdent(name)));
}

int ApplySuiteSchema(TConnection& connection)
{
    return ApplyMigrations(connection, QStringLiteral("suite"), QStringLiteral(":/sql/suite"));
}

int ApplySuiteLateSchema(TConnection& connection)
{
    return ApplyMigrations(connection, QStringLiteral("suite-late"), QStringLiteral(":/sql/suite/late"));
}

bool TableExists(TConnection& connection, const QString& table)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select to_regclass(%1) is not null").arg(QuotedStr(table));
    q.Open();
    return q.Fields(0).AsBoolean();
}

int SuiteSchemaVersion(TConnection& connection)
{
    return SchemaVersion(connection, QStringLiteral("suite"));
}

} // namespace kx
