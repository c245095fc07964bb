#include "engine/schemefilters.h"

#include "db/quote.h"
#include "db/settings.h"
#include "db/strutils.h"
#include "engine/planscheme.h"

#include <QStringList>

#include <algorithm>

namespace kx {

namespace {

QString CondKey(const QString& objectID)
{
    return QStringLiteral("Cond.") + objectID;
}

QString CodeKey(const QString& objectID)
{
    return QStringLiteral("Code.") + objectID;
}

QString KindsKey(const QString& objectID)
{
    return QStringLiteral("Kinds.") + objectID;
}

} // namespace

QList<TFilterKind> FilterKindsOf(const TInfoObjectDef* def)
{
    if (!def || !def->GetFieldDef(QStringLiteral("OrigType")))
        return {};
    QList<TFilterKind> kinds;
    for (int value : {int(btSO), int(btSI), int(btForcast), int(btFreeNeed)})
        kinds << TFilterKind{value, EnumText(QStringLiteral("MrpBillType"), value)};
    kinds << TFilterKind{0, QStringLiteral("(无主需求)")};
    return kinds;
}

TObjectFilter ObjectFilterOf(const QString& filters, const QString& objectID)
{
    TObjectFilter f;
    f.Code = FilterOf(filters, CodeKey(objectID));
    const QString kinds = FilterOf(filters, KindsKey(objectID));
    for (const QString& k : kinds.split(QLatin1Char(','), Qt::SkipEmptyParts))
        f.LeftOut << k.trimmed().toInt();
    std::sort(f.LeftOut.begin(), f.LeftOut.end());
    // Without kinds left out the run's entry is the dialog's condition itself.
    f.Condition = f.LeftOut.isEmpty() ? FilterOf(filters, objectID) : FilterOf(filters, CondKey(objectID));
    return f;
}

QString RunCondition(const TObjectFilter& filter)
{
    if (filter.LeftOut.isEmpty())
        return filter.Condition;
    return CombineFilter(filter.Condition, QStringLiteral("coalesce($$OrigType$$,0) not in (%1)").arg(SQLIntList(filter.LeftOut)));
}

QString WithObjectFilter(const QString& filters, const QString& objectID, const TObjectFilter& filter)
{
    QList<int> leftOut = filter.LeftOut;
    std::sort(leftOut.begin(), leftOut.end());
    leftOut.erase(std::unique(leftOut.begin(), leftOut.end()), leftOut.end());
    QStringList kinds;
    for (int k : leftOut)
        kinds << QString::number(k);
    const QString condition = filter.Condition.trimmed();
    TObjectFilter f{condition, condition.isEmpty() ? QString() : filter.Code, leftOut};
    QString result = WithFilter(filters, objectID, RunCondition(f));
    result = WithFilter(result, CodeKey(objectID), f.Code);
    result = WithFilter(result, KindsKey(objectID), kinds.join(QLatin1Char(',')));
    return WithFilter(result, CondKey(objectID), leftOut.isEmpty() ? QString() : condition);
}

} // namespace kx
