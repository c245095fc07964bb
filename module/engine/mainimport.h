// Main demand imported from a table file: sales, export and forecast lines, production and
// outsourcing lines, or free demand, each row checked and reported on its own.
#pragma once

#include "engine/maindemand.h"
#include "engine/tablefile.h"
#include "kx_mrp/types.h"

namespace kx {

// A row the import reported: its number in the file, the kind and the text.
struct TImportIssue {
    int Row = 0;
    TMessageKind Kind = mkWarning;
    QString Text;
};

// The field names a file may carry (matched without regard to case).
QStringList MainImportFields();

// Reads the rows into main-demand lines and saves them as the scheme's main demand with the
// given write type. Rows with errors are reported in issues and skipped; the others are
// imported. False when nothing could be saved (a failure already shown) or the file has
// none of the import's fields (raised as EKxError).
[[nodiscard]] bool ImportMainDemand(TPlanScheme& scheme, TMRPMainImportType importType, const TTableFile& table,
                                    TMPSOverwriteType writeType, IEngineProgress& progress, QList<TImportIssue>& issues);

} // namespace kx
