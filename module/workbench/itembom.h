// The BOMs an item may be made by on a day: what the BOM cell of a planned supply or of a free
// demand line offers to pick from, and what a typed BOM number stands for.
#pragma once

#include <QDate>
#include <QString>

namespace kx {

class TConnection;

struct TItemBom {
    int Type = 0;                     // 0: no BOM
    QString ID;
    QString No;
};

// The item's BOM of that number valid on the day (order BOMs included, the number compared
// without case), or with an empty number the default BOM of the day. An empty property key
// looks only at the BOMs that serve every property set. False when there is none.
bool FindItemBom(TConnection& connection, const QString& itemID, const QString& itemProps, const QDate& day, const QString& bomNo,
                 TItemBom& bom);

// The statement of the BOM picker: the item's standard BOMs valid on the day, the default first
// and marked, with version, checked mark and remark; the column "BOM单" is the pick.
QString ItemBomPickSQL(const QString& itemID, const QString& itemProps, const QDate& day);

} // namespace kx
