// The MRP run under each tracking mode, measured (mrp_bench --tracking).
#pragma once

#include <QString>

namespace kx::bench {

// Builds a make-to-order factory of the size and runs a scheme of each tracking mode (0 to 5
// and 9); then the default scheme on a make-to-stock factory of the size. Prints the figures;
// true when every tracked run completed under 2 GiB and the default one completed under 2 GiB
// or stopped within 10 seconds with its estimate.
bool BenchTracking(const QString& kxmrp, const QString& server, const QString& size, int weeks, bool keep);

} // namespace kx::bench
