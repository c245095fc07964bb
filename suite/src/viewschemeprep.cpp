#include "viewschemeprep.h"

#include "db/fieldlists.h"
#include "db/strutils.h"

namespace kx::suite {

namespace {

// "[Sorts]" entries are "ID:D" or "ID:D:G" (D "1" descending), separated by "|".
QString OrderBySQLOf(const TInfoObjectDef& def, const QString& sorts)
{
    QStringList order;
    for (const QString& entry : sorts.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(QLatin1Char(':'));
        const TInfoFieldDef* field = def.GetFieldDef(parts.value(0).trimmed());
        if (!field || field->SQLExpress.trimmed().isEmpty())
            continue;
        order << field->SQLExpress + (parts.value(1).trimmed() == QLatin1String("1") ? QStringLiteral(" desc") : QString());
    }
    return order.join(QLatin1String(", "));
}

} // namespace

void PrepareSchemeSQL(const TInfoObjectDef& def, TViewScheme& scheme)
{
    QString fields = GetParamValue(scheme.Params, QStringLiteral("[Fields]"));
    if (fields.isEmpty())
        fields = DefaultFieldList(def, scheme.Mask);
    QStringList items;
    for (const TInfoFieldDef& f : def.Fields)
        if (FieldListContains(fields, f.ID) && !FieldListContains(scheme.Mask, f.ID) && !f.SQLExpress.trimmed().isEmpty())
            items << FieldSelectItem(f);
    scheme.FieldsSQL = items.join(QLatin1String(", "));
    scheme.FilterSQL = GetParamValue(scheme.Params, kSchemeFilterParam).trimmed();
    scheme.OrderBySQL = OrderBySQLOf(def, GetParamValue(scheme.Params, QStringLiteral("[Sorts]")));
    scheme.SQLParsed = true;
}

bool HostPrepareViewScheme(const TInfoObjectDef* def, TViewScheme& scheme, const QString& /*viewCaption*/,
                           bool /*showDialog*/, void* /*sharedQuery*/)
{
    if (!def)
        return false;
    PrepareSchemeSQL(*def, scheme);
    return true;
}

bool HostPrepareDetailScheme(const TInfoObjectDef* def, TViewScheme& scheme, void* /*sharedQuery*/)
{
    if (!def)
        return false;
    PrepareSchemeSQL(*def, scheme);
    return true;
}

} // namespace kx::suite
