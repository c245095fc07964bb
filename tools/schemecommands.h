// kxmrp scheme create|list|show and kxmrp mps: plan schemes and their main demand without
// a window.
#pragma once

#include "connectoptions.h"

namespace kx::cli {

int RunSchemeCommand(const TConnectOptions& options, QStringList args);
int RunMpsCommand(const TConnectOptions& options, QStringList args);

} // namespace kx::cli
