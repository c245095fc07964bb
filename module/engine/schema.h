// The module's own tables.
#pragma once

namespace kx {

class TConnection;

// Brings the module's tables up to the newest version; returns the number of steps applied.
int ApplyModuleSchema(TConnection& connection);
int ModuleSchemaVersion(TConnection& connection);

} // namespace kx
