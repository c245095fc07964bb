// The automatic forecast deduction: open forecast lines, earliest first, are consumed by the
// approved sales and export order lines that materialise them, each pair recorded in the
// deduction log and in the two lines' extension rows.
#pragma once

#include "deduction/deductoptions.h"

namespace kx {

class IEngineProgress;
class TConnection;

struct TAutoDeductReport {
    int Undone = 0;           // forecast lines whose earlier automatic deductions were taken back
    int Forecasts = 0;        // open forecast lines that looked for orders
    int Pairs = 0;            // pairs made (log rows written)
};

// Runs one automatic deduction on the connection, which must not be inside a transaction
// block: pairs are committed as they are made, a few at a time, so that what is done stays
// done when the run is stopped. Without KeepLast the earlier automatic deductions of the forecasts taken
// into account are first taken back, in one transaction.
// False when an object's statement cannot be composed or a statement fails (the failure
// has been shown); a confirmed Esc raises EAbort, leaving the pairs made so far.
bool AutoDeduct(TConnection& connection, const TAuotDeductOptions& options, IEngineProgress& progress,
                TAutoDeductReport* report = nullptr);

} // namespace kx
