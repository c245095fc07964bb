// Tables whose rows of a plan scheme are replaced whole (main demand, demands, supplies,
// allocations, balance) keep each scheme's rows in a partition of their own. New rows are
// written into a table set aside, which then takes the place of the scheme's partition: its
// indexes are built once from all its rows, and the old rows go with their table instead of
// being deleted one by one. Rows of a scheme that has no partition yet (a copied scheme) sit
// in the table's default partition until their first replacement.
#pragma once

#include <QString>

namespace kx {

struct TSchemeTable {
    const char* Table;
    const char* SchemeColumn;
};

// The table set aside for a scheme's new rows of t, to insert them into.
QString SchemeRowsTable(const TSchemeTable& t, int schemeIID);
// Creates the table set aside, checked to hold rows of the scheme only.
QString SetAsideSchemeRows(const TSchemeTable& t, int schemeIID);
// Puts the table set aside in the place of the scheme's rows of t; to be sent within the
// transaction that wrote it, which holds t locked against readers until it ends.
QString SwapInSchemeRows(const TSchemeTable& t, int schemeIID);
// Statistics for the scheme's new partitions: the views that open right after a
// replacement would otherwise join their rows one by one. A small sample tells the rows
// apart well enough, and reads little. To be sent within a transaction.
QString AnalyseSchemeRows(const TSchemeTable* tables, int count, int schemeIID);

} // namespace kx
