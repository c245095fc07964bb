#include "workbench/itembomedit.h"

#include "views/pickedit.h"
#include "workbench/itembom.h"

namespace kx {

TPickEdit* NewItemBomEdit(QWidget* parent, const QString& itemID, const QString& itemProps, const QDate& day)
{
    auto* edit = new TPickEdit(parent);
    TPickEditProperties& picker = edit->Properties;
    picker.FCaption = QStringLiteral("BOM单");
    picker.FSQL = ItemBomPickSQL(itemID, itemProps, day);
    picker.FWhereOrder = QStringLiteral("\"BOM单\" like '%'||%0:s||'%'");
    picker.FTextField = QStringLiteral("BOM单");
    return edit;
}

} // namespace kx
