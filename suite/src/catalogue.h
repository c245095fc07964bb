// The host's object catalogue: object definitions read from the catalogue tables and
// shaped by the logged-in user's rights (access groups held, actions allowed, data-permission
// codes), and the host services built on them.
#pragma once

#include "kx_mrp/environment.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>

namespace kx {
class TConnection;
}

namespace kx::suite {

struct TCatalogueEntry {
    QString ID;
    QString Name;
    int ObjType = 0;
    QString Menu;
    QString DllName;
};

class TCatalogue {
public:
    explicit TCatalogue(TConnection& connection);

    // The user whose rights shape the definitions. Clears the definitions read so far.
    void SetUser(const QString& userID);
    const QString& UserID() const { return FUserID; }
    bool IsAdmin() const { return FIsAdmin; }
    // The user's groups, quoted and comma-separated ("" when none).
    const QString& UserGroups() const { return FUserGroups; }

    // The definition of an object (ID without regard to case) as the user may see it, or
    // null when there is no such object or the user holds none of its access groups. The
    // definition lives as long as the catalogue (or until SetUser).
    const TInfoObjectDef* ObjectDef(const QString& id);
    // The objects the user may open, in menu order.
    QList<TCatalogueEntry> Entries();
    // The condition of a data-permission code, with the user's macros filled in.
    QString PermitSQL(const TInfoObjectDef* def, const QString& code, bool byQuery);

private:
    std::unique_ptr<TInfoObjectDef> Load(const QString& id);
    bool HoldsAny(const QString& objectID, const QStringList& groups, QStringList& held);

    TConnection& FConnection;
    QString FUserID;
    QString FUserGroups;
    QStringList FGroupIDs;
    bool FIsAdmin = false;
    std::map<QString, std::unique_ptr<TInfoObjectDef>> FDefs;    // by lower-cased ID; null: not visible
};

// Host callbacks over one catalogue, for a host that has a single catalogue at a time.
void SetCurrentCatalogue(TCatalogue* catalogue);
TCatalogue* CurrentCatalogue();
const TInfoObjectDef* HostGetObjectDef(const QString& objectID);
bool HostBuildObjectSQL(const TInfoObjectDef* def, const QString& pattern, QString& sql, const QString& fields,
                        const QString& where, const QString& orderBy, const QString& masterCondition);
bool HostBuildObjectSelect(const TInfoObjectDef* def, const QString& selectList, QString& sql, QString& join);
QString HostGetPermitSQL(const TInfoObjectDef* def, const QString& code, bool byQuery);
// Puts the four catalogue callbacks into an environment.
void InstallCatalogueCallbacks(TModuleEnvironment& env);

} // namespace kx::suite
