// kxmrp age: an inventory aging analysis without a window, stored like the desktop's, for a
// nightly job that wants the results at hand in the morning.
#pragma once

#include "connectoptions.h"

namespace kx::cli {

int RunAgeCommand(const TConnectOptions& options, QStringList args);

} // namespace kx::cli
