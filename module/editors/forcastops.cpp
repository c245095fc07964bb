#include "editors/forcastops.h"

#include "db/dataset.h"
#include "db/quote.h"
#include "db/shared.h"
#include "db/sqlrun.h"

namespace kx {

bool UpdateForcast(TQuery& query, const QString& forID, const QString& forEntry, int updateType)
{
    const QString sql = QStringLiteral("call KX_MRP_UpdateForcast(%1, %2, %3, %4);\rselect 1")
                            .arg(QuotedStr(forID), QuotedStr(forEntry), SQLInt(updateType), QuotedStr(EnvUserID()));
    return RunSQL(query, sql, true, false) && query.RecordCount() == 1;
}

} // namespace kx
