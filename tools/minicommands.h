// kxmrp kit and kxmrp lack: the kit analysis and the production shortage analysis without a
// window, for a nightly job that wants to know which demand lines are kit-complete and what
// material the production and outsourcing orders lack.
#pragma once

#include "connectoptions.h"

namespace kx::cli {

int RunKitCommand(const TConnectOptions& options, QStringList args);
int RunLackCommand(const TConnectOptions& options, QStringList args);

} // namespace kx::cli
