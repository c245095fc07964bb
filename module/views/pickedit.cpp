#include "views/pickedit.h"

#include "db/quote.h"
#include "views/pickpopupdlg.h"

#include <QRegularExpression>

namespace kx {

namespace {

const QString kSearchMacro = QStringLiteral("%0:s");

QString UserPickSQL(bool withCurrentUser)
{
    return QStringLiteral("select * from (select UsrNo as \"代码\", UsrName as \"名称\", UsrDisabled as \"禁用\" "
                          "from KX_SYS_Users%1) as t")
        .arg(withCurrentUser ? QStringLiteral(" union select '', '<我>', cast(0 as smallint)") : QString());
}

QString LikeSearch(const QString& column)
{
    return column + QStringLiteral(" like '%'||%0:s||'%'");
}

} // namespace

QString BracketsToQuotes(const QString& text)
{
    static const QRegularExpression bracketed(QStringLiteral("\\[([^\\]]*)\\]"));
    QString result;
    qsizetype at = 0;
    for (auto it = bracketed.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        result += text.mid(at, m.capturedStart() - at) + QuotedIdent(m.captured(1));
        at = m.capturedEnd();
    }
    return result + text.mid(at);
}

bool TPickEditProperties::SetupForField(const TInfoFieldDef& field, bool inFilterDialog)
{
    FCaption = field.Name;
    if (field.ValueType == vtCreater || field.ValueType == vtUser) {
        FFixedFields = QStringLiteral("代码");
        FTextField = QStringLiteral("名称");
        FWhereOrder = LikeSearch(QStringLiteral("\"代码\"")) + QStringLiteral(" or ") + LikeSearch(QStringLiteral("\"名称\""))
            + QStringLiteral(" order by \"代码\"");
        FSQL = UserPickSQL(inFilterDialog);
        FRefQuery = nullptr;
        return true;
    }
    // Lookups: "[key=]col1^col2..|fixed columns|select ..." or "...|fixed|table|columns".
    const QStringList parts = field.ValueSource.split(QLatin1Char('|'));
    if (parts.size() < 2 || parts[0].trimmed().isEmpty())
        return false;
    QString columns = parts[0].trimmed();
    if (const qsizetype eq = columns.indexOf(QLatin1Char('=')); eq > 0) {
        FKeyField = columns.left(eq).trimmed().remove(QLatin1Char('[')).remove(QLatin1Char(']'));
        columns = columns.mid(eq + 1);
    }
    QStringList search;
    for (const QString& c : columns.split(QLatin1Char('^'), Qt::SkipEmptyParts))
        search << c.trimmed().remove(QLatin1Char('[')).remove(QLatin1Char(']'));
    if (search.isEmpty())
        return false;
    FTextField = search.first();
    FFixedFields = parts.value(1).trimmed();
    const QString source = parts.mid(2).join(QLatin1Char('|')).trimmed();
    if (source.startsWith(QLatin1String("select "), Qt::CaseInsensitive))
        FSQL = QStringLiteral("select * from (%1) as t").arg(source);
    else
        FSQL = QStringLiteral("select * from (select %1 from %2) as t")
                   .arg(BracketsToQuotes(parts.value(3).trimmed()), parts.value(2).trimmed());
    FWhereOrder = LikeSearch(QuotedIdent(FTextField));
    for (qsizetype i = 1; i < search.size(); ++i)
        FWhereOrder += QStringLiteral(" or ") + LikeSearch(QuotedIdent(search[i]));
    FWhereOrder += QStringLiteral(" order by ")
        + (FFixedFields.isEmpty() ? QuotedIdent(FTextField) : BracketsToQuotes(FFixedFields));
    FRefQuery = nullptr;
    return true;
}

QString TPickEditProperties::BuildSQL(const QString& searchText) const
{
    const QString quoted = QuotedStr(searchText);
    QString sql = QString(FSQL).replace(kSearchMacro, quoted);
    if (!FWhereOrder.isEmpty())
        sql += QStringLiteral(" where ") + QString(FWhereOrder).replace(kSearchMacro, quoted);
    return sql;
}

bool TPickEditProperties::ShowPicker(QWidget* parent)
{
    TPickPopupDlg dlg(this, parent);
    if (!dlg.Search(FText) && dlg.Failed())
        return false;
    if (dlg.exec() != QDialog::Accepted)
        return false;
    FText = dlg.PickedText();
    if (FAfterDataPicked)
        FAfterDataPicked(dlg.PickedRows());
    return true;
}

TPickEdit::TPickEdit(QWidget* parent) : TExButtonEdit(parent)
{
    connect(this, &TExButtonEdit::ButtonClick, this, &TPickEdit::PickValue);
}

void TPickEdit::PickValue()
{
    Properties.FText = text();
    if (!Properties.IsSet() || !Properties.ShowPicker(this))
        return;
    setText(Properties.FText);
    Q_EMIT editingFinished();
    Q_EMIT ValuePicked();
    selectAll();
}

} // namespace kx
