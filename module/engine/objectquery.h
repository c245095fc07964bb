// Statements over the host's information objects (sales orders, forecasts, work orders ...):
// field lists with "$$Field$$" macros, composed by the host with the object's sources and the
// user's data permissions.
#pragma once

#include "kx_mrp/objectdef.h"

#include <QString>

namespace kx {

// Replaces every "$$Name$$" by the SQL expression of the object's field Name, or by null
// when the object has no such field.
QString ReplaceObjectMacros(const QString& text, const TInfoObjectDef* def);

// The host's definition of an object for the current user; null (after the message
// "访问信息对象"%s"受到限制!") when the host does not give it.
const TInfoObjectDef* RequireObjectDef(const QString& objectID);

// "pattern up to its where clause" with "$$Fields$$"/"$$MainJoin$$", the fields (macros
// replaced) and the where clause composed by the host; empty when it cannot be composed.
QString ComposeObjectStatement(const TInfoObjectDef* def, const QString& pattern, const QString& fields,
                               const QString& where, const QString& orderBy = QString());

} // namespace kx
