// Versioned schema migrations: numbered SQL files applied once each, in order, each in
// its own transaction, recorded in KX_SYS_SchemaVersion per component.
#pragma once

#include <QString>

namespace kx {

class TConnection;

// Applies the files "NNNN_name.sql" of a folder (a resource folder such as
// ":/sql/suite") whose version the component has not recorded yet. Returns the number
// applied; raises EDatabaseError naming the file that failed.
int ApplyMigrations(TConnection& connection, const QString& component, const QString& folder);
// The highest applied version of the component, 0 when none.
int SchemaVersion(TConnection& connection, const QString& component);

} // namespace kx
