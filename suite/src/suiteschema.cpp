#include "suiteschema.h"

#include "db/migrations.h"

namespace kx {

int ApplySuiteSchema(TConnection& connection)
{
    return ApplyMigrations(connection, QStringLiteral("suite"), QStringLiteral(":/sql/suite"));
}

int ApplySuiteLateSchema(TConnection& connection)
{
    return ApplyMigrations(connection, QStringLiteral("suite-late"), QStringLiteral(":/sql/suite/late"));
}

int SuiteSchemaVersion(TConnection& connection)
{
    return SchemaVersion(connection, QStringLiteral("suite"));
}

} // namespace kx
