// kxmrp scheme create|update|copy|delete|list|show, kxmrp mps and kxmrp run: plan schemes,
// their main demand and the MRP run without a window.
#pragma once

#include "connectoptions.h"

namespace kx::cli {

int RunSchemeCommand(const TConnectOptions& options, QStringList args);
int RunMpsCommand(const TConnectOptions& options, QStringList args);
// kxmrp run: the MRP run of a scheme with the run log on the terminal; exit status 1 on
// failure, 130 when cancelled by Ctrl-C.
int RunMrpCommand(const TConnectOptions& options, QStringList args);

} // namespace kx::cli
