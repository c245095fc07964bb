// The MRP run's work tables as the run creates them: the suite's procedures read and fill
// them, and the tests of those procedures create them the same way.
#pragma once

#include <QString>

namespace kx {

// The "create temp table" statement of one of the run's tables, with its indexes; empty for
// a name the run does not use.
QString RunTableStatement(const QString& table);

} // namespace kx
