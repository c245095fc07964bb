// The column layout of a grid or tree view as stored in a view scheme's parameters:
// "[Fields]" (visible fields), "[Positions]" (a 7-character base-36 code per column),
// "[Sorts]", "[Total]" and "[Summaries]".
#pragma once

#include "views/viewcolumns.h"

namespace kx {

inline const QString kParamFields = QStringLiteral("[Fields]");
inline const QString kParamPositions = QStringLiteral("[Positions]");
inline const QString kParamSorts = QStringLiteral("[Sorts]");
inline const QString kParamTotal = QStringLiteral("[Total]");
inline const QString kParamSummaries = QStringLiteral("[Summaries]");

constexpr int kMinColumnWidth = 20;
constexpr int kMaxColumnWidth = 1296;

struct TColumnPosition {
    int Band = 0;
    int ColIndex = 0;
    int Row = 0;
    int LineCount = 1;
    int Width = 70;
};

int ClampColumnWidth(int width);
// Band (1 character), column index (2), row (1), line count (1), width (2), in base 36.
QString EncodeColumnPosition(const TColumnPosition& position);
// False when the text is no such code.
bool DecodeColumnPosition(const QString& code, TColumnPosition& position);

struct TLayoutOptions {
    bool GridMode = false;                // records fetched on demand: no sorting from the scheme
    bool Grouping = true;                 // "[Sorts]" entries carry the grouping character
    bool CreateColumns = true;            // fields without a column get a generated one
};

// Applies the layout in params to the columns. fields is the "[Fields]" list to show (the
// view's default set when the scheme has none). Generated columns of an earlier layout are
// removed first; new ones are marked Dynamic.
void ApplyColumnLayout(TViewColumns& columns, const TInfoObjectDef& def, const QString& params, const QString& fields,
                       const TLayoutOptions& options);
// Writes the columns' layout into params ("[Fields]", "[Positions]" and, unless in grid
// mode, "[Sorts]") and returns the new parameter text.
QString StoreColumnLayout(const TViewColumns& columns, const QString& params, const TLayoutOptions& options);

} // namespace kx
