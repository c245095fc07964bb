// Which plan schemes a user works with, as the workbench decides it. A user who holds the
// right "Update" of the workbench ("KX_MRP.MRP") maintains his own schemes: he sees them in
// every state and may change, fetch, run and delete them. A user who may open the workbench
// or the scheme query ("KX_MRP.MRPQuery") reads the published schemes (state 8 and beyond)
// that are his own or that were published to him or to one of his groups. Nobody maintains
// another user's scheme, an administrator neither: a scheme belongs to its planner.
#pragma once

#include <QString>

namespace kx {

class TConnection;
class TInfoObjectDef;

enum TSchemeAccess { saNone, saRead, saMaintain };

// What the user's definitions of the two objects allow him (null: he may not open it).
struct TSchemeRights {
    bool Maintains = false;       // "KX_MRP.MRP" with "Update"
    bool Reads = false;           // "KX_MRP.MRP" or "KX_MRP.MRPQuery"

    static TSchemeRights Of(const TInfoObjectDef* workbench, const TInfoObjectDef* query);
};

// The condition on KX_MRP_Schemes of the schemes the workbench lists: in maintain mode the
// user's own, otherwise the published ones he may see. userGroups: the host's quoted,
// comma-separated list of the user's groups (may be empty).
QString SchemeListCondition(bool maintainMode, const QString& userID, const QString& userGroups);
// The user's access to one scheme of the given plan type: maintain, read, or none (also for
// a scheme that does not exist).
TSchemeAccess SchemeAccessOf(TConnection& connection, int schemeIID, int planType, const QString& userID,
                             const QString& userGroups, const TSchemeRights& rights);

} // namespace kx
