#include "views/conditions.h"

#include "db/quote.h"
#include "db/strutils.h"

#include <QRegularExpression>

namespace kx {

namespace {

bool IsEmptyValue(const QString& value)
{
    const QString v = value.trimmed();
    return v.isEmpty() || v == QLatin1String("''");
}

QString Unquoted(const QString& text)
{
    if (text.size() >= 2 && text.startsWith(QLatin1Char('\'')) && text.endsWith(QLatin1Char('\'')))
        return text.mid(1, text.size() - 2);
    return text;
}

} // namespace

QString FieldCondition(const TInfoObjectDef* def, const QString& fieldID, const QString& value)
{
    const TInfoFieldDef* field = def ? def->GetFieldDef(fieldID) : nullptr;
    if (!field)
        return QStringLiteral("1=0");
    const QString& x = field->SQLExpress;
    const QString v = value.trimmed();
    if (v.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0)
        return x + QStringLiteral(" is null");
    const TFieldType type = field->DataType;
    if (IsTextFieldType(type))
        return v.isEmpty() ? QStringLiteral("(%1='' or %1 is null)").arg(x) : x + QLatin1Char('=') + v;
    if (IsNumericFieldType(type))
        return !IsEmptyValue(v) && v != QLatin1String("0") ? x + QLatin1Char('=') + v
                                                           : QStringLiteral("(%1=0 or %1 is null)").arg(x);
    if (type == ftBoolean)
        return v == QLatin1String("1") || v.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0
            ? x + QStringLiteral("=1")
            : QStringLiteral("(%1=0 or %1 is null)").arg(x);
    if (IsDateFieldType(type)) {
        if (IsEmptyValue(v))
            return x + QStringLiteral(" is null");
        const QDateTime dt = TextToDateTime(Unquoted(v));
        return dt.isValid() ? x + QLatin1Char('=') + SQLDate(dt.date()) : QStringLiteral("1=0");
    }
    return QStringLiteral("1=0");
}

QString KeyValuesCondition(const TInfoObjectDef* def, const QString& keyValues, const QString& fieldID)
{
    static const QRegularExpression lineBreaks(QStringLiteral("[\r\n]+"));
    QStringList conditions;
    for (const QString& line : keyValues.split(lineBreaks, Qt::SkipEmptyParts)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString name = line.left(eq).trimmed();
        if (!fieldID.isEmpty() && name.compare(fieldID, Qt::CaseInsensitive) != 0)
            continue;
        conditions << FieldCondition(def, name, line.mid(eq + 1));
    }
    return conditions.join(QLatin1String(" and "));
}

QString ActionFilterColumns(const TInfoObjectDef* def)
{
    QString columns;
    if (!def)
        return columns;
    for (qsizetype i = def->Actions.size() - 1; i >= 0; --i) {
        const TInfoActionDef& a = def->Actions[i];
        if (!a.Filter.trimmed().isEmpty())
            columns += QStringLiteral(", (case when %1 then 1 else 0 end) as %2").arg(a.Filter.trimmed(), QuotedIdent(QLatin1Char('#') + a.ID));
    }
    return columns;
}

QString PrimaryKeyOrder(const TInfoObjectDef* def)
{
    QStringList keys;
    if (def)
        for (const TInfoFieldDef& f : def->Fields)
            if (f.IsPrimary)
                keys << QuotedIdent(f.ID);
    return keys.join(QLatin1String(", "));
}

} // namespace kx
