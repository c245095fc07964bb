// SQL pieces composed from an object definition: the condition of a key or master value,
// the condition of a whole key text, and the "#" columns that tell whether a record
// qualifies for each action with a filter.
#pragma once

#include "kx_mrp/objectdef.h"

namespace kx {

// The condition "field = value" in the form the field's type needs; the value arrives as
// SQL-ready text (quoted text, numbers, date-time text) or "null". A field the definition
// does not have gives "1=0".
QString FieldCondition(const TInfoObjectDef* def, const QString& fieldID, const QString& value);
// The conditions of "field=value" lines joined by " and "; with a field name only that
// field's line.
QString KeyValuesCondition(const TInfoObjectDef* def, const QString& keyValues, const QString& fieldID = QString());
// ", (case when <filter> then 1 else 0 end) as "#<action>"" for each action with a filter,
// last action first.
QString ActionFilterColumns(const TInfoObjectDef* def);
// The primary fields as an order list of their aliases ("ID1", "ID2").
QString PrimaryKeyOrder(const TInfoObjectDef* def);

} // namespace kx
