#include "engine/schema.h"

#include "db/migrations.h"

namespace kx {

int ApplyModuleSchema(TConnection& connection)
{
    return ApplyMigrations(connection, QStringLiteral("module"), QStringLiteral(":/sql/module"));
}

int ModuleSchemaVersion(TConnection& connection)
{
    return SchemaVersion(connection, QStringLiteral("module"));
}

} // namespace kx
