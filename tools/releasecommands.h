// kxmrp publish and kxmrp release: publishing a plan scheme to receiving users and releasing
// its planned supplies into ERP bills without a window, with the checks and result lines of
// the desktop.
#pragma once

#include "connectoptions.h"

namespace kx::cli {

int RunPublishCommand(const TConnectOptions& options, QStringList args);
int RunReleaseCommand(const TConnectOptions& options, QStringList args);

} // namespace kx::cli
