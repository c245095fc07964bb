// Main demand picked by the planner: the picker statements over the open lines of one kind
// of business bill, or over the planned and existing supplies of another scheme, and the
// main-demand line each picked row becomes.
#pragma once

#include "engine/maindemand.h"

#include <functional>

namespace kx {

// The bill type a pick type takes its lines from (0 for none).
int BillTypeOfPick(TMRPMainImportType type);

// The picker statement over the plannable open lines of a bill kind, with the user's
// condition; empty when the object cannot be composed. Visible columns are captioned, the
// values to insert come in hidden "#..." columns.
QString MainPickSQL(TMRPMainImportType type, const QString& condition);
// The picker statement over another scheme's supplies of the kinds main demand can take.
QString SupplyPickSQL(int sourceSchemeIID, const QString& sourceName);
// The picker's search over the shown columns and its order; "%0:s" stands for the search text.
QString MainPickSearch();

// A picked row (read through its column names) as a main-demand line of priority 1 with
// the picked need quantity.
TMainDemandLine PickedMainLine(TMRPMainImportType type, const std::function<QVariant(const QString& column)>& value);

} // namespace kx
