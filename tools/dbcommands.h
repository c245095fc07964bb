// kxmrp db init | info.
#pragma once

#include "cliconnection.h"

namespace kx::cli {

int RunDbInit(const TConnectOptions& options, QStringList args);
int RunInfo(const TConnectOptions& options);

} // namespace kx::cli
