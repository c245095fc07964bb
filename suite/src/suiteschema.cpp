#include "suiteschema.h"

#include "db/dataset.h"
#include "db/migrations.h"
#include "db/quote.h"

namespace kx {

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
