#include "objectsql.h"

#include "db/strutils.h"

#include <QRegularExpression>

namespace kx::suite {

namespace {

const TInfoDataSourceDef* MainSource(const TInfoObjectDef& def)
{
    for (const TInfoDataSourceDef& ds : def.DataSources)
        if (ds.IsMain)
            return &ds;
    return def.DataSources.isEmpty() ? nullptr : &def.DataSources.first();
}

QString SourceText(const TInfoDataSourceDef& ds)
{
    switch (ds.DataType) {
    case dsSelect: return QLatin1Char('(') + ds.SQLData + QLatin1String(") as ") + ds.ID;
    case dsFunction:
    case dsStoredProc:
    case dsTable: break;
    }
    return ds.SQLData + QLatin1String(" as ") + ds.ID;
}

} // namespace

QString DataSourceText(const TInfoObjectDef& def)
{
    const TInfoDataSourceDef* main = MainSource(def);
    if (!main)
        return QString();
    QString text = QLatin1String("from ") + SourceText(*main);
    for (const TInfoDataSourceDef& ds : def.DataSources)
        if (&ds != main && !ds.Join.trimmed().isEmpty())
            text += QLatin1Char(' ') + ds.Join.trimmed();
    return text;
}

QString DataSourceFilter(const TInfoObjectDef& def)
{
    QString filter;
    for (const TInfoDataSourceDef& ds : def.DataSources)
        filter = CombineFilter(filter, ds.Filter.trimmed());
    return filter;
}

QString ComposeObjectSQL(const TInfoObjectDef& def, const TObjectSQLParts& parts)
{
    const QString sources = DataSourceText(def);
    if (sources.isEmpty())
        return QString();
    // "top N" belongs at the head of a select list; the server wants "limit N" at the end.
    static const QRegularExpression top(QStringLiteral("^\\s*top\\s+(\\d+)\\s+"), QRegularExpression::CaseInsensitiveOption);
    QString fields = parts.Fields;
    QString limit;
    const auto m = top.match(fields);
    if (m.hasMatch()) {
        limit = m.captured(1);
        fields = fields.mid(m.capturedLength());
    }
    QString where = CombineFilter(DataSourceFilter(def), parts.Where.trimmed());
    where = CombineFilter(where, parts.PermitFilter.trimmed());

    QString sql;
    if (!parts.Pattern.isEmpty()) {
        sql = parts.Pattern;
        sql.replace(QLatin1String("$$Fields$$"), fields, Qt::CaseInsensitive);
        sql.replace(QLatin1String("$$MainJoin$$"), sources, Qt::CaseInsensitive);
        // A pattern ends where its where clause would begin; the composed one follows.
        if (!where.isEmpty())
            sql += QLatin1String(" where ") + where;
    } else {
        sql = QLatin1String("select ") + fields + QLatin1Char(' ') + sources;
        if (!where.isEmpty())
            sql += QLatin1String(" where ") + where;
    }
    if (!parts.OrderBy.trimmed().isEmpty())
        sql += QLatin1String(" order by ") + parts.OrderBy.trimmed();
    if (!limit.isEmpty())
        sql += QLatin1String(" limit ") + limit;
    return sql;
}

QString ComposeObjectSelect(const TInfoObjectDef& def, const QString& selectList, QString& join)
{
    join = DataSourceText(def);
    if (join.isEmpty())
        return QString();
    QString list = selectList.trimmed();
    if (list.startsWith(QLatin1Char(',')))
        list = list.mid(1).trimmed();
    return QLatin1String("select ") + list + QLatin1Char(' ') + join;
}

} // namespace kx::suite
