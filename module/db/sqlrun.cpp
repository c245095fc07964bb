#include "db/sqlrun.h"

#include "db/messages.h"
#include "db/shared.h"

#include <utility>

namespace kx {

bool RunSQL(TQuery& query, const QString& sql, bool open, bool showError, bool reraise)
{
    query.Close();
    query.SQL = sql;
    try {
        if (open)
            query.Open();
        else
            query.ExecSQL();
        return true;
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& e) {
        if (showError)
            ShowException(e);
        if (reraise)
            throw;
        return false;
    }
}

int OpenSQLCount(TQuery& query, const QString& sql, bool showError)
{
    if (!RunSQL(query, sql, true, showError))
        return -1;
    return query.RecordCount();
}

QVariant FieldValueOrNull(const TQuery& query, const QString& fieldName)
{
    const int i = query.FieldIndex(fieldName);
    return i < 0 ? QVariant() : query.Fields(i).Value();
}

bool GetServerTime(TQuery& query, QDateTime& now, bool dateOnly)
{
    if (!RunSQL(query, QStringLiteral("select localtimestamp(3) as \"Now\""), true))
        return false;
    now = query.FieldByName(QStringLiteral("Now")).AsDateTime();
    if (dateOnly)
        now = now.date().startOfDay();
    return now.isValid();
}

void CheckRowLimit(int count)
{
    const int maxRows = EnvMaxRows();
    if (maxRows > 0 && count >= maxRows)
        ShowInfo(QStringLiteral("由于您的筛选条件过于宽松, 导致本次查询结果超过%1行, 超过部分已放弃返回显示!").arg(maxRows));
}

void TSQLBatch::Add(const QString& statement)
{
    FText += statement + QStringLiteral(";\r");
    if (FText.size() > FLimit)
        Flush();
}

void TSQLBatch::Flush()
{
    if (FText.isEmpty())
        return;
    const QString text = std::exchange(FText, QString());
    FConnection.Execute(text);
    ++FSent;
}

} // namespace kx
