#include "engine/schemestamp.h"

#include "db/dataset.h"
#include "db/errors.h"
#include "db/quote.h"
#include "engine/planscheme.h"

namespace kx {

QString SchemeChangedText(const QString& schemeName)
{
    return QStringLiteral("计划方案[%1]最新状态已被改变, 不能执行本操作!").arg(schemeName);
}

TSchemeStamp ReadSchemeStamp(TConnection& connection, const TPlanScheme& scheme, bool forUpdate)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select SchState, coalesce(SchMpsRunTime::text, ''), coalesce(SchMpsUpdTime::text, ''), "
                           "coalesce(SchUpdTime::text, '') from KX_MRP_Schemes where SchIID=%1 and SchType=%2%3")
                .arg(SQLInt(scheme.SchemeIID), SQLInt(scheme.PlanType), forUpdate ? QStringLiteral(" for update") : QString());
    q.Open();
    if (q.IsEmpty())
        throw ESchemeChanged(SchemeChangedText(scheme.SchemeName));
    return TSchemeStamp{q.Fields(0).AsInteger(), q.Fields(1).AsString(), q.Fields(2).AsString(), q.Fields(3).AsString()};
}

void RecheckSchemeStamp(TConnection& connection, const TPlanScheme& scheme, const TSchemeStamp& stamp)
{
    if (!(ReadSchemeStamp(connection, scheme, true) == stamp))
        throw ESchemeChanged(SchemeChangedText(scheme.SchemeName));
}

} // namespace kx
