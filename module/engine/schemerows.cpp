#include "engine/schemerows.h"

#include "db/quote.h"

#include <QStringList>

namespace kx {

namespace {

QString Partition(const TSchemeTable& t, int schemeIID, const QString& suffix = QString())
{
    return QuotedIdent(QString::fromLatin1(t.Table).toLower() + QStringLiteral("_s") + QString::number(schemeIID) + suffix);
}

} // namespace

QString SchemeRowsTable(const TSchemeTable& t, int schemeIID)
{
    return Partition(t, schemeIID, QStringLiteral("_next"));
}

QString SetAsideSchemeRows(const TSchemeTable& t, int schemeIID)
{
    // The partition is replaced whole by the scheme's next fetch or run, and its statistics
    // are taken when it is swapped in: vacuuming it in between would mostly hold up that
    // replacement, which waits until the vacuum gives way.
    return QStringLiteral("create table %1 (like %2 including defaults including constraints, check (%3=%4)) "
                          "with (autovacuum_enabled = false)")
        .arg(SchemeRowsTable(t, schemeIID), QLatin1String(t.Table), QLatin1String(t.SchemeColumn), SQLInt(schemeIID));
}

QString SwapInSchemeRows(const TSchemeTable& t, int schemeIID)
{
    return QStringLiteral("drop table if exists %1;\rdelete from %2 where %3=%4;\ralter table %5 rename to %1;\r"
                          "alter table %2 attach partition %1 for values in (%4)")
        .arg(Partition(t, schemeIID), QLatin1String(t.Table), QLatin1String(t.SchemeColumn), SQLInt(schemeIID),
             SchemeRowsTable(t, schemeIID));
}

QString AnalyseSchemeRows(const TSchemeTable* tables, int count, int schemeIID)
{
    QStringList statements{QStringLiteral("set local default_statistics_target=10")};
    for (int i = 0; i < count; ++i)
        statements << QStringLiteral("analyze ") + Partition(tables[i], schemeIID);
    return statements.join(QStringLiteral(";\r"));
}

} // namespace kx
