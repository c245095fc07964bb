// State changes of forecast bills and lines, shared by the forecast editor and the
// forecast list's actions.
#pragma once

#include <QString>

namespace kx {

class TQuery;

enum TForcastUpdateType { futCheck = 1, futUnCheck = -1, futClose = 2, futUnClose = -2, futDelete = 3 };

// Runs the suite's forecast update for a whole bill (forEntry "0") or one line. True when
// the statement ran and returned its row; a failure is not shown (callers count failures).
bool UpdateForcast(TQuery& query, const QString& forID, const QString& forEntry, int updateType);

} // namespace kx
