// The host's preparation of a view scheme: the select list, filter and order a view
// composes its statement from, taken from the scheme's parameter lines. This host has no
// scheme dialog; asked to show one it prepares the scheme as it stands.
#pragma once

#include "kx_mrp/objectdef.h"
#include "kx_mrp/viewscheme.h"

namespace kx::suite {

// The parameter line in which the host keeps the scheme's filter condition (one line of
// SQL on the object's field expressions).
inline const QString kSchemeFilterParam = QStringLiteral("[Filter]");

// Fills FieldsSQL (the visible fields of "[Fields]", or the default set, as
// "<expression> as "<ID>"" joined by ", "), FilterSQL ("[Filter]") and OrderBySQL
// ("[Sorts]", grouping columns included) and sets SQLParsed.
void PrepareSchemeSQL(const TInfoObjectDef& def, TViewScheme& scheme);

// Host callbacks (slots 30 and 33): false only without a definition.
bool HostPrepareViewScheme(const TInfoObjectDef* def, TViewScheme& scheme, const QString& viewCaption, bool showDialog,
                           void* sharedQuery);
bool HostPrepareDetailScheme(const TInfoObjectDef* def, TViewScheme& scheme, void* sharedQuery);

} // namespace kx::suite
