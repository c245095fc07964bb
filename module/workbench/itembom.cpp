#include "workbench/itembom.h"

#include "db/connection.h"
#include "db/dataset.h"
#include "db/quote.h"

namespace kx {

bool FindItemBom(TConnection& connection, const QString& itemID, const QString& itemProps, const QDate& day, const QString& bomNo,
                 TItemBom& bom)
{
    const QString no = bomNo.trimmed();
    TQuery q(&connection);
    q.SQL = QStringLiteral("select BomType, BomID, BomNo from KX_MRP_GetBOMForItem(%1, %2, %3%4) limit 1")
                .arg(QuotedStr(itemID), QuotedStr(itemProps), SQLDate(day),
                     no.isEmpty() ? QStringLiteral(", OnlyDefault => 1") : QStringLiteral(", BomNo => %1").arg(QuotedStr(no)));
    q.Open();
    if (q.IsEmpty())
        return false;
    bom = TItemBom{q.Fields(0).AsInteger(), q.Fields(1).AsString(), q.Fields(2).AsString()};
    return true;
}

QString ItemBomPickSQL(const QString& itemID, const QString& itemProps, const QDate& day)
{
    return QStringLiteral("select * from (select BomNo as \"BOM单\", (case when BomIsDefault=1 then '√' else '' end) as \"默认\", "
                          "BomVersion as \"版本\", (case when Checked=1 then '√' else '' end) as \"审核\", BomRemark as \"备注\" "
                          "from KX_MRP_GetBOMForItem(%1, %2, %3)) as t")
        .arg(QuotedStr(itemID), QuotedStr(itemProps), SQLDate(day));
}

} // namespace kx
