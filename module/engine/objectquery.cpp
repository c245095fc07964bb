#include "engine/objectquery.h"

#include "db/messages.h"
#include "db/shared.h"

#include <QRegularExpression>

namespace kx {

QString ReplaceObjectMacros(const QString& text, const TInfoObjectDef* def)
{
    static const QRegularExpression macro(QStringLiteral("\\$\\$(\\w+)\\$\\$"));
    QString result;
    qsizetype at = 0;
    for (auto it = macro.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        result += text.mid(at, m.capturedStart() - at);
        const QString name = m.captured(1);
        if (name.compare(QLatin1String("Fields"), Qt::CaseInsensitive) == 0
            || name.compare(QLatin1String("MainJoin"), Qt::CaseInsensitive) == 0) {
            result += m.captured(0);      // the host's own placeholders
        } else {
            const TInfoFieldDef* field = def ? def->GetFieldDef(name) : nullptr;
            result += field ? field->SQLExpress : QStringLiteral("null");
        }
        at = m.capturedEnd();
    }
    return result + text.mid(at);
}

const TInfoObjectDef* RequireObjectDef(const QString& objectID)
{
    const TInfoObjectDef* def = (Env() && Env()->GetObjectDef) ? Env()->GetObjectDef(objectID) : nullptr;
    if (!def)
        ShowError(QStringLiteral("访问信息对象\"%1\"受到限制!").arg(objectID));
    return def;
}

QString ComposeObjectStatement(const TInfoObjectDef* def, const QString& pattern, const QString& fields, const QString& where,
                               const QString& orderBy)
{
    if (!def || !Env() || !Env()->BuildObjectSQL)
        return QString();
    QString sql;
    if (!Env()->BuildObjectSQL(def, pattern, sql, ReplaceObjectMacros(fields, def), ReplaceObjectMacros(where, def), orderBy,
                               QString()))
        return QString();
    return sql;
}

} // namespace kx
