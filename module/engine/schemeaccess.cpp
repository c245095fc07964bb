#include "engine/schemeaccess.h"

#include "db/dataset.h"
#include "db/quote.h"
#include "engine/planscheme.h"
#include "kx_mrp/objectdef.h"

namespace kx {

TSchemeRights TSchemeRights::Of(const TInfoObjectDef* workbench, const TInfoObjectDef* query)
{
    TSchemeRights r;
    r.Maintains = workbench && workbench->GetAccessGroup(QStringLiteral("Update"));
    r.Reads = workbench || query;
    return r;
}

QString SchemeListCondition(bool maintainMode, const QString& userID, const QString& userGroups)
{
    const QString user = QuotedStr(userID);
    if (maintainMode)
        return QStringLiteral("SchUsrID=%1").arg(user);
    // A user without groups matches no group's permission.
    const QString groups = userGroups.trimmed().isEmpty() ? QStringLiteral("''") : userGroups;
    return QStringLiteral("SchState>=%1 and (SchUsrID=%2 or SchIID::varchar in (select DpmDataID from "
                          "KX_SYS_DataPermissions where DpmObjID='KX_MRP.MRP' and (DpmUsrID=%2 and DpmIsGroup=0 or "
                          "DpmUsrID in (%3) and DpmIsGroup=1)))")
        .arg(SQLInt(psPublished), user, groups);
}

TSchemeAccess SchemeAccessOf(TConnection& connection, int schemeIID, int planType, const QString& userID,
                             const QString& userGroups, const TSchemeRights& rights)
{
    auto listed = [&](bool maintainMode) {
        TQuery q(&connection);
        q.SQL = QStringLiteral("select 1 from KX_MRP_Schemes where SchIID=%1 and SchType=%2 and %3")
                    .arg(SQLInt(schemeIID), SQLInt(planType), SchemeListCondition(maintainMode, userID, userGroups));
        q.Open();
        return !q.IsEmpty();
    };
    if (rights.Maintains && listed(true))
        return saMaintain;
    if (rights.Reads && listed(false))
        return saRead;
    return saNone;
}

} // namespace kx
