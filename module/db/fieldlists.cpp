#include "db/fieldlists.h"

#include "db/quote.h"

namespace kx {

bool FieldListContains(const QString& list, const QString& fieldID)
{
    if (fieldID.isEmpty())
        return false;
    return list.contains(QLatin1Char('|') + fieldID + QLatin1Char('|'), Qt::CaseInsensitive);
}

QStringList FieldListItems(const QString& list)
{
    QStringList ids;
    for (const QString& item : list.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const QString id = item.trimmed();
        if (!id.isEmpty())
            ids << id;
    }
    return ids;
}

QString MakeFieldList(const QStringList& ids)
{
    if (ids.isEmpty())
        return QString();
    return QLatin1Char('|') + ids.join(QLatin1Char('|')) + QLatin1Char('|');
}

QString DefaultFieldList(const TInfoObjectDef& def, const QString& mask)
{
    QStringList ids;
    for (const TInfoFieldDef& f : def.Fields)
        if (!f.HideList && f.Layout != flDefaultHide && !FieldListContains(mask, f.ID))
            ids << f.ID;
    return MakeFieldList(ids);
}

QString FieldSelectItem(const TInfoFieldDef& field)
{
    return field.SQLExpress + QLatin1String(" as ") + QuotedIdent(field.ID);
}

} // namespace kx
