#include "filterdlg.h"

#include "dialogbuttons.h"

#include "db/messages.h"
#include "db/quote.h"
#include "db/strutils.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kx::shell {

namespace {

const char* const kOperators[] = {"等于", "不等于", "大于", "大于等于", "小于", "小于等于", "包含", "开头是", "为空", "不为空"};
const char* const kComparisons[] = {"=", "<>", ">", ">=", "<", "<="};

// The literal of a value for a field of the type; empty when the text is not such a value.
QString Literal(const TInfoFieldDef& field, const QString& value)
{
    const QString v = value.trimmed();
    if (IsNumericFieldType(field.DataType) && field.EnumValues.isEmpty()) {
        bool ok = false;
        const double number = v.toDouble(&ok);
        return ok ? SQLQty(number) : QString();
    }
    if (!field.EnumValues.isEmpty()) {
        for (const TEnumValue& e : field.EnumValues)
            if (e.Text == v)
                return SQLInt(e.Value);
        bool ok = false;
        const int number = v.toInt(&ok);
        return ok ? SQLInt(number) : QString();
    }
    if (field.DataType == ftBoolean)
        return v == QLatin1String("1") || v == QStringLiteral("是") || v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
            ? QStringLiteral("1") : QStringLiteral("0");
    if (IsDateFieldType(field.DataType)) {
        const QDateTime dt = TextToDateTime(v);
        return dt.isValid() ? SQLDate(dt.date()) : QString();
    }
    return QuotedStr(v);
}

} // namespace

QStringList FilterOperatorCaptions()
{
    QStringList captions;
    for (const char* c : kOperators)
        captions << QString::fromUtf8(c);
    return captions;
}

QString FilterCode(const TFilterConditions& conditions)
{
    QStringList lines{conditions.AnyOf ? QStringLiteral("OR") : QStringLiteral("AND")};
    for (const TFilterCondition& c : conditions.Items)
        lines << QStringLiteral("%1|%2|%3").arg(c.FieldID).arg(int(c.Operator)).arg(c.Value);
    return lines.join(QLatin1Char('\n'));
}

TFilterConditions ParseFilterCode(const QString& code)
{
    TFilterConditions conditions;
    const QStringList lines = code.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i == 0 && (lines[0] == QLatin1String("OR") || lines[0] == QLatin1String("AND"))) {
            conditions.AnyOf = lines[0] == QLatin1String("OR");
            continue;
        }
        const QStringList parts = lines[i].split(QLatin1Char('|'));
        if (parts.size() < 2)
            continue;
        conditions.Items << TFilterCondition{parts[0], TFilterOperator(qBound(0, parts[1].toInt(), int(foNotEmpty))),
                                             parts.mid(2).join(QLatin1Char('|'))};
    }
    return conditions;
}

QString FilterConditionSQL(const TInfoObjectDef& def, const TFilterConditions& conditions, QString* error)
{
    QStringList parts;
    for (const TFilterCondition& c : conditions.Items) {
        const TInfoFieldDef* field = def.GetFieldDef(c.FieldID);
        if (!field || field->SQLExpress.trimmed().isEmpty()) {
            if (error)
                *error = QStringLiteral("[%1]不是可筛选的字段!").arg(c.FieldID);
            return QString();
        }
        const QString& x = field->SQLExpress;
        const QString caption = field->Name.section(QLatin1Char('\\'), -1);
        switch (c.Operator) {
        case foIsEmpty:
            parts << (IsTextFieldType(field->DataType) ? QStringLiteral("(%1 is null or %1='')").arg(x) : x + QStringLiteral(" is null"));
            continue;
        case foNotEmpty:
            parts << (IsTextFieldType(field->DataType) ? QStringLiteral("(%1 is not null and %1<>'')").arg(x)
                                                       : x + QStringLiteral(" is not null"));
            continue;
        case foContains:
        case foStartsWith: {
            const QString pattern = (c.Operator == foContains ? QStringLiteral("%") : QString()) + c.Value.trimmed() + QStringLiteral("%");
            parts << QStringLiteral("cast(%1 as text) ilike %2").arg(x, QuotedStr(pattern));
            continue;
        }
        default: break;
        }
        const QString literal = Literal(*field, c.Value);
        if (literal.isEmpty()) {
            if (error)
                *error = QStringLiteral("[%1]的值(%2)无效!").arg(caption, c.Value);
            return QString();
        }
        parts << x + QLatin1String(kComparisons[c.Operator]) + literal;
    }
    if (parts.size() > 1)
        for (QString& p : parts)
            p = QLatin1Char('(') + p + QLatin1Char(')');
    return parts.join(conditions.AnyOf ? QLatin1String(" or ") : QLatin1String(" and "));
}

TFilterEditor::TFilterEditor(const TInfoObjectDef* def, QWidget* parent) : QWidget(parent), FDef(def)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* top = new QHBoxLayout;
    cboJoin = new QComboBox(this);
    cboJoin->setObjectName(QStringLiteral("cboJoin"));
    cboJoin->addItems({QStringLiteral("满足全部条件"), QStringLiteral("满足任一条件")});
    top->addWidget(new QLabel(QStringLiteral("筛选方式(&J):"), this));
    top->addWidget(cboJoin);
    top->addStretch();
    auto* btnAdd = new QPushButton(QStringLiteral("增加条件(&A)"), this);
    auto* btnDelete = new QPushButton(QStringLiteral("删除条件(&D)"), this);
    btnAdd->setObjectName(QStringLiteral("btnAdd"));
    btnDelete->setObjectName(QStringLiteral("btnDelete"));
    top->addWidget(btnAdd);
    top->addWidget(btnDelete);
    layout->addLayout(top);
    grdConditions = new QTableWidget(0, 3, this);
    grdConditions->setObjectName(QStringLiteral("grdConditions"));
    grdConditions->setHorizontalHeaderLabels({QStringLiteral("字段"), QStringLiteral("比较"), QStringLiteral("值")});
    grdConditions->horizontalHeader()->setStretchLastSection(true);
    grdConditions->setColumnWidth(0, 180);
    grdConditions->setColumnWidth(1, 100);
    layout->addWidget(grdConditions);
    connect(btnAdd, &QPushButton::clicked, this, [this] { AddCondition(); });
    connect(btnDelete, &QPushButton::clicked, this, [this] {
        if (grdConditions->currentRow() >= 0)
            grdConditions->removeRow(grdConditions->currentRow());
    });
}

void TFilterEditor::AddCondition(const TFilterCondition& condition)
{
    const int row = grdConditions->rowCount();
    grdConditions->insertRow(row);
    auto* field = new QComboBox(grdConditions);
    if (FDef)
        for (const TInfoFieldDef& f : FDef->Fields)
            if (!f.HideFilter && !f.SQLExpress.trimmed().isEmpty())
                field->addItem(f.Name.section(QLatin1Char('\\'), -1), f.ID);
    const int at = field->findData(condition.FieldID, Qt::UserRole, Qt::MatchFixedString);
    field->setCurrentIndex(at >= 0 ? at : 0);
    auto* op = new QComboBox(grdConditions);
    op->addItems(FilterOperatorCaptions());
    op->setCurrentIndex(int(condition.Operator));
    grdConditions->setCellWidget(row, 0, field);
    grdConditions->setCellWidget(row, 1, op);
    grdConditions->setItem(row, 2, new QTableWidgetItem(condition.Value));
    grdConditions->setCurrentCell(row, 2);
}

void TFilterEditor::SetConditions(const TFilterConditions& conditions)
{
    grdConditions->setRowCount(0);
    cboJoin->setCurrentIndex(conditions.AnyOf ? 1 : 0);
    for (const TFilterCondition& c : conditions.Items)
        AddCondition(c);
}

TFilterConditions TFilterEditor::Conditions() const
{
    TFilterConditions conditions;
    conditions.AnyOf = cboJoin->currentIndex() == 1;
    for (int row = 0; row < grdConditions->rowCount(); ++row) {
        const auto* field = qobject_cast<QComboBox*>(grdConditions->cellWidget(row, 0));
        const auto* op = qobject_cast<QComboBox*>(grdConditions->cellWidget(row, 1));
        const QTableWidgetItem* value = grdConditions->item(row, 2);
        if (field && op && field->currentIndex() >= 0)
            conditions.Items << TFilterCondition{field->currentData().toString(), TFilterOperator(op->currentIndex()),
                                                 value ? value->text() : QString()};
    }
    return conditions;
}

TFilterDlg::TFilterDlg(const TInfoObjectDef* def, const QString& code, QWidget* parent) : QDialog(parent), FDef(def)
{
    setWindowTitle(QStringLiteral("筛选条件") + (def ? QStringLiteral(" - [%1]").arg(def->Name) : QString()));
    resize(640, 360);
    auto* layout = new QVBoxLayout(this);
    FEditor = new TFilterEditor(def, this);
    FEditor->SetConditions(ParseFilterCode(code));
    layout->addWidget(FEditor);
    AddDialogButtons(this, layout);
}

void TFilterDlg::accept()
{
    const TFilterConditions conditions = FEditor->Conditions();
    QString error;
    const QString sql = FDef ? FilterConditionSQL(*FDef, conditions, &error) : QString();
    if (!error.isEmpty()) {
        ShowWarning(error);
        return;
    }
    FCode = FilterCode(conditions);
    FSQL = sql;
    QDialog::accept();
}

} // namespace kx::shell
