// kxmrp db init | info | gen.
#pragma once

#include "connectoptions.h"

namespace kx::cli {

int RunDbCommand(const TConnectOptions& options, QStringList args);
int RunInfo(const TConnectOptions& options, QStringList args);
int RunGen(const TConnectOptions& options, QStringList args);

} // namespace kx::cli
