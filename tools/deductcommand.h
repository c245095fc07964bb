// kxmrp deduct: the automatic forecast deduction without a window, for nightly jobs.
#pragma once

#include "connectoptions.h"

namespace kx::cli {

// Exit status 0 when the deduction ran and its bookkeeping is sound, 1 when it failed or a
// rule of the bookkeeping is broken, 2 for a bad option, 3 without the deduction's right.
int RunDeductCommand(const TConnectOptions& options, QStringList args);

} // namespace kx::cli
