// Item planning settings (KX_MRP_ItemSetting): the item selection statement every item picker
// of the module runs, and the checks and statements with which a changed settings row is
// stored through KX_MRP_UpdateItemSetting.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

namespace kx {

class TConnection;

inline const QString kItemsObjectID = QStringLiteral("KX_MRP.Items");
// The search of item pickers on number, name and specification; "%0:s" stands for the quoted
// search text.
inline const QString kItemPickSearch = QStringLiteral(
    "i.ItmNo like '%'||%0:s||'%' or i.ItmName like '%'||%0:s||'%' or i.ItmSpec like '%'||%0:s||'%'");
// Virtual items (a phantom assembly) can never be a substitute.
constexpr int kItemTypeVirtual = 4;

// The item selection statement over the object "KX_MRP.Items": item number, name and
// specification, then the fields listed in fieldIDs ("A|B|"), each under its field name,
// then the extra select columns. Without a filter the rows are limited to the host's row
// count. Ordered by item number. Empty when the host has no such object.
QString BuildItemPickSQL(const QString& fieldIDs, const QString& filter, const QString& extraColumns);
// The column of BuildItemPickSQL that holds a field (its field name), or the ID itself when
// the host has no such field.
QString ItemPickColumn(const QString& fieldID);

// The ten-character property mask of an item ("1" for each property slot the item uses) as
// an SQL expression over the item master under the given alias (none: the table's own columns).
QString ItemPropMaskSQL(const QString& alias);

// A settings row as the view holds it: values, captions and shown texts by field.
struct TItemSettingRow {
    std::function<QVariant(const QString& field)> Value;
    std::function<QString(const QString& field)> Caption;
    std::function<QString(const QString& field)> Text;
};

struct TItemSettingFault {
    QString Field;                        // empty: the row is valid
    QString Message;
};

// The checks of a changed row, in order; the first fault names the field to focus.
TItemSettingFault CheckItemSetting(const TItemSettingRow& row);
// "call KX_MRP_UpdateItemSetting(ItmID => ..., ...)" with the row's 27 values: texts quoted
// (empty, never null), integers, the four flags as 0/1 and quantities with eight decimals.
QString ItemSettingUpdateSQL(const TItemSettingRow& row);
// Stores the rows' statements in batches inside one transaction: all rows or none. Raises
// the database error of a failing statement.
void SaveItemSettings(TConnection& connection, const QStringList& statements);

} // namespace kx
