// Main demand imported from a table file: sales, export and forecast lines, production and
// outsourcing lines, or free demand, each row checked and reported on its own.
#pragma once

#include "engine/maindemand.h"
#include "engine/tablefile.h"
#include "kx_mrp/types.h"

#include <functional>

namespace kx {

// A row the import reported: its number in the file, the kind and the text.
struct TImportIssue {
    int Row = 0;
    TMessageKind Kind = mkWarning;
    QString Text;
};

// The select list that reads one line of a business bill kind (2, 4, 8, 22, 34, 24, 36) as
// main demand, each value under its name (BillID, BillNo, BillEntry, BillDate, BillQty,
// ExeQty, NeedQty, NeedDate, DeptID, SuppID, ItmID, ItmProps, ItmProp1..10, OrigTag,
// OrigSubTag, GroupType, GroupNo, BomType, BomID, Orig..., DedQty, Note), with the object's
// macros; empty for another type. The object of the kind's lines.
QString MainBillLineFields(int billType);
QString MainBillObjectID(int billType);
// A bill line read through those names.
void ReadBillLine(const std::function<QVariant(const QString& name)>& value, TMainDemandLine& line);

// The field names a file may carry (matched without regard to case).
QStringList MainImportFields();

// Reads the rows into main-demand lines and saves them as the scheme's main demand with the
// given write type. A row with a cell that does not read as its column's type, or that its
// column cannot hold, is reported in issues (with the column's caption and the value) and
// skipped, as is any row that names no plannable bill line or item; the others are imported.
// Raises EKxError, before anything is written, for a file with none of the import's fields or
// without data rows, one whose every row was refused, a scheme without periods, and a scheme
// another session holds or that is published. False when the save failed (already shown).
[[nodiscard]] bool ImportMainDemand(TPlanScheme& scheme, TMRPMainImportType importType, const TTableFile& table,
                                    TMPSOverwriteType writeType, IEngineProgress& progress, QList<TImportIssue>& issues);

} // namespace kx
