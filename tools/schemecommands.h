// kxmrp scheme create|list|show and kxmrp mps: plan schemes and their main demand without
// a window.
#pragma once

#include "connectoptions.h"

namespace kx::cli {

int RunSchemeCommand(const TConnectOptions& options, QStringList args);
int RunMpsCommand(const TConnectOptions& options, QStringList args);
// kxmrp run: the MRP run of a scheme with the run log on the terminal; exit status 1 on failure.
int RunMrpCommand(const TConnectOptions& options, QStringList args);

} // namespace kx::cli
