#include "views/valueorder.h"

#include <QCollator>

namespace kx {

int CompareValues(const QVariant& a, const QVariant& b)
{
    const bool nullA = a.isNull() || !a.isValid(), nullB = b.isNull() || !b.isValid();
    if (nullA || nullB)
        return int(nullB) - int(nullA);
    if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString) {
        static const QCollator collator = [] {
            QCollator c;
            c.setCaseSensitivity(Qt::CaseInsensitive);
            return c;
        }();
        return collator.compare(a.toString(), b.toString());
    }
    const QPartialOrdering order = QVariant::compare(a, b);
    if (order == QPartialOrdering::Less)
        return -1;
    if (order == QPartialOrdering::Greater)
        return 1;
    return 0;
}

} // namespace kx
