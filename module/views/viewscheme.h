// Stored view schemes (KX_SYS_ViewSchemes): a user's last-used scheme of a view, his
// named private and public schemes and the system default, and the fields masked from
// every user (KX_SYS_ViewMasks).
#pragma once

#include "kx_mrp/viewscheme.h"

#include <QList>

namespace kx {

class TQuery;

// Loads the scheme by IID, or with IID 0 the user's last-used scheme, else the system
// default. True when a row was found. The view's field mask is read in any case.
bool LoadViewScheme(TViewScheme& scheme);
// Stores the scheme (a stored one in place; a new one replaces the user's last-used row,
// or his named scheme of the same name) and sets its IID.
bool SaveViewScheme(TViewScheme& scheme, bool withPrintSetting);
// Stores the scheme as the user's last-used scheme of the view: the user's own last-used
// row in place, anything else (a named scheme, the default) as a new last-used row.
bool SaveLastUsedViewScheme(TViewScheme& scheme);
// Deletes one of the user's own schemes; IID becomes 0.
bool DeleteViewScheme(TViewScheme& scheme);

// An entry of the scheme list a user chooses from.
enum TSchemeEntryKind {
    sekCurrent = 0,                       // "(最近使用方案)": the view's current scheme
    sekPrivate = 1,
    sekOwnPublic = 2,
    sekOtherPublic = 3,
    sekDefault = 4,                       // "(默认方案)"
};

struct TSchemeListEntry {
    TSchemeEntryKind Kind = sekCurrent;
    int IID = 0;
    QString Text;
    QString Name;
};

// The entries of a view's scheme list for the current user: the current scheme, his own
// named schemes, other users' public schemes and the default (IID -1 when none is stored).
// Other users' private and last-used rows are never listed.
QList<TSchemeListEntry> ListViewSchemes(TQuery& query, const QString& viewID);

} // namespace kx
