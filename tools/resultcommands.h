// kxmrp supplies: the supplies of a run listed by plan type, and the planner's adjustments of
// planned supplies applied from a table file, with the checks and messages of the supplies view.
#pragma once

#include "connectoptions.h"

namespace kx::cli {

int RunSuppliesCommand(const TConnectOptions& options, QStringList args);

} // namespace kx::cli
