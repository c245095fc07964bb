// Field lists of an object's views: "|"-enclosed lists of field IDs ("|ItmNo|ItmName|"),
// the default set of visible fields and the select-list item of a field.
#pragma once

#include "kx_mrp/objectdef.h"

#include <QStringList>

namespace kx {

// Whether the field ID stands in a list such as "|A|B|" (without regard to case).
bool FieldListContains(const QString& list, const QString& fieldID);
// The IDs of a "|"-separated list, blanks dropped, in list order.
QStringList FieldListItems(const QString& list);
// "|" followed by each ID and a "|"; empty for no IDs.
QString MakeFieldList(const QStringList& ids);

// The fields a view shows when the user chose none: every field that is not HideList, not
// hidden by default and not in the mask ("|"-enclosed IDs).
QString DefaultFieldList(const TInfoObjectDef& def, const QString& mask);

// "<SQLExpress> as "<ID>"": the field under its own name in a select list.
QString FieldSelectItem(const TInfoFieldDef& field);

} // namespace kx
