// The suite database schema: tables and views applied before the module's own tables,
// and the late objects that read the module's tables, applied after them.
#pragma once

#include <QString>

namespace kx {

class TConnection;

// Creates an empty suite database through a connection to the server's maintenance database.
void CreateSuiteDatabase(TConnection& admin, const QString& name);
int ApplySuiteSchema(TConnection& connection);
int ApplySuiteLateSchema(TConnection& connection);
int SuiteSchemaVersion(TConnection& connection);
// Whether a table exists; writers of optional module tables (KX_MRP_ItemSetting) ask first.
bool TableExists(TConnection& connection, const QString& table);

} // namespace kx
