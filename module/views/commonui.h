// Shared display rules of the views: the number formats, the display handlers of numeric
// columns, the SQL-ready text of a record value, value conversion for edited cells and
// the field-check messages.
#pragma once

#include "db/messages.h"
#include "views/numberformat.h"
#include "views/valueorder.h"
#include "kx_mrp/types.h"

#include <QColor>
#include <QString>
#include <QVariant>

namespace kx {

// Cell colours shared by the views: editable cells in edit mode, read-only cells of editing
// tables, and the text of disabled records.
inline const QColor kEditBackColor = QColor(255, 255, 215);
inline const QColor kReadOnlyBackColor = QColor(236, 236, 236);
inline const QColor kDisabledTextColor = QColor(140, 140, 140);

// Milliseconds of a monotonic clock (the tick count of the system).
quint32 TickCount();

class TCommonUI {
public:
    // Null or zero shows an empty cell; other numbers in kFloatFormat / kCurrencyFormat.
    static QString GridFloatColumnGetDisplayText(const QVariant& value);
    static QString GridCurrencyColumnGetDisplayText(const QVariant& value);
    static constexpr auto TreeFloatColumnGetDisplayText = &GridFloatColumnGetDisplayText;
    static constexpr auto TreeCurrencyColumnGetDisplayText = &GridCurrencyColumnGetDisplayText;
};

// Whether a stored value means true: a true boolean, a non-zero number, "1" or "True".
bool IsTrueValue(const QVariant& value);

// A record value as SQL-ready text: "null" for null or empty; text quoted; dates and
// date-times in the long date format; ordinals and booleans as integers; other numbers in
// the plain float form.
QString RecordValueText(const QVariant& value, TFieldType type);

// Converts a value entered for a field of the given type; false when it is not such a
// value. An empty text becomes null.
bool ConvertFieldValue(const QVariant& input, TFieldType type, QVariant& output);
// The text a user sees for a value he entered (for messages).
QString EnteredValueText(const QVariant& value);

} // namespace kx
