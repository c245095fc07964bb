// The suite database schema: tables and views applied before the module's own tables,
// and the late objects that read the module's tables, applied after them.
#pragma once

namespace kx {

class TConnection;

int ApplySuiteSchema(TConnection& connection);
int ApplySuiteLateSchema(TConnection& connection);
int SuiteSchemaVersion(TConnection& connection);

} // namespace kx
