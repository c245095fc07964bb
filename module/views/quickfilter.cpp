#include "views/quickfilter.h"

#include "db/messages.h"
#include "db/strutils.h"
#include "views/commonui.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace kx {

namespace {

const char* const kOperators[] = {"等于", "不等于", "小于", "小于或等于", "大于", "大于或等于",
                                  "包含", "不包含", "开头是", "结尾是", "为空", "不为空"};

// The condition's text as a value of the column's kind; invalid when it is none.
QVariant TypedValue(const TViewColumn& column, const QString& text)
{
    const QString t = text.trimmed();
    switch (column.Kind) {
    case ckNumber:
    case ckCurrency: {
        bool ok = false;
        const double d = QString(t).remove(QLatin1Char(',')).toDouble(&ok);
        return ok ? QVariant(d) : QVariant();
    }
    case ckDate:
    case ckDateTime: {
        const QDateTime dt = TextToDateTime(t);
        return dt.isValid() ? QVariant(dt) : QVariant();
    }
    default: return QVariant();
    }
}

QVariant Comparable(const TViewColumn& column, const QVariant& value)
{
    if (value.isNull())
        return value;
    if (column.Kind == ckDate || column.Kind == ckDateTime)
        return value.typeId() == QMetaType::QDate ? QVariant(value.toDate().startOfDay()) : QVariant(value.toDateTime());
    return value.toDouble();
}

} // namespace

QStringList QuickFilterOperatorCaptions()
{
    QStringList captions;
    for (const char* c : kOperators)
        captions << QString::fromUtf8(c);
    return captions;
}

bool TQuickCondition::Matches(const TViewColumn& column, const QVariant& value) const
{
    const QString shown = column.Kind == ckBoolean ? (IsTrueValue(value) ? QStringLiteral("√") : QString())
                                                   : column.DisplayText(value);
    switch (Operator) {
    case qfBlank: return shown.trimmed().isEmpty();
    case qfNotBlank: return !shown.trimmed().isEmpty();
    case qfContains: return shown.contains(Value, Qt::CaseInsensitive);
    case qfNotContains: return !shown.contains(Value, Qt::CaseInsensitive);
    case qfStartsWith: return shown.startsWith(Value, Qt::CaseInsensitive);
    case qfEndsWith: return shown.endsWith(Value, Qt::CaseInsensitive);
    default: break;
    }
    int order = 0;
    const QVariant typed = TypedValue(column, Value);
    if (typed.isValid()) {
        // A number or date the cell does not hold fails every comparison but "不等于".
        const QVariant cell = Comparable(column, (column.Kind == ckNumber || column.Kind == ckCurrency) && value.isNull() ? QVariant(0.0) : value);
        if (cell.isNull())
            return Operator == qfNotEqual;
        order = CompareValues(cell, typed);
    } else {
        order = CompareValues(shown, Value);
    }
    switch (Operator) {
    case qfEqual: return order == 0;
    case qfNotEqual: return order != 0;
    case qfLess: return order < 0;
    case qfLessEqual: return order <= 0;
    case qfGreater: return order > 0;
    case qfGreaterEqual: return order >= 0;
    default: return false;
    }
}

bool TQuickFilter::Matches(const TViewColumn& column, const QVariant& value) const
{
    const bool first = First.Matches(column, value);
    if (!HasSecond)
        return first;
    const bool second = Second.Matches(column, value);
    return AnyOf ? first || second : first && second;
}

QString TQuickFilter::Text(const QString& caption) const
{
    const QStringList operators = QuickFilterOperatorCaptions();
    auto part = [&](const TQuickCondition& c) {
        QString text = caption + QLatin1Char(' ') + operators.value(c.Operator);
        if (c.Operator != qfBlank && c.Operator != qfNotBlank)
            text += QLatin1Char(' ') + c.Value;
        return text;
    };
    QString text = part(First);
    if (HasSecond)
        text += (AnyOf ? QStringLiteral(" 或 ") : QStringLiteral(" 与 ")) + part(Second);
    return text;
}

TQuickFilterDlg::TQuickFilterDlg(const QString& caption, const QStringList& values, const TQuickFilter& filter, QWidget* parent)
    : TDialog(parent), FFieldName(filter.FieldName)
{
    setObjectName(QStringLiteral("dlgQuickFilter"));
    setWindowTitle(QStringLiteral("自定义快速筛选方式"));
    ContentLayout()->addWidget(new QLabel(QStringLiteral("显示符合以下条件的行:"), this));
    lblColumn = new QLabel(caption, this);
    QFont bold = lblColumn->font();
    bold.setBold(true);
    lblColumn->setFont(bold);
    ContentLayout()->addWidget(lblColumn);
    auto* grid = new QGridLayout;
    auto makeRow = [&](int row, QComboBox*& op, QComboBox*& value, const TQuickCondition& c) {
        op = new QComboBox(this);
        op->addItems(QuickFilterOperatorCaptions());
        op->setCurrentIndex(c.Operator);
        value = new QComboBox(this);
        value->setEditable(true);
        value->addItems(values);
        value->setMinimumWidth(220);
        value->setEditText(c.Value);
        grid->addWidget(op, row, 0);
        grid->addWidget(value, row, 1);
    };
    makeRow(0, cboOperator1, cboValue1, filter.First);
    auto* join = new QHBoxLayout;
    rbAnd = new QRadioButton(QStringLiteral("与(&A)"), this);
    rbOr = new QRadioButton(QStringLiteral("或(&O)"), this);
    (filter.HasSecond && filter.AnyOf ? rbOr : rbAnd)->setChecked(true);
    join->addWidget(rbAnd);
    join->addWidget(rbOr);
    join->addStretch();
    grid->addLayout(join, 1, 0, 1, 2);
    TQuickCondition second = filter.Second;
    if (!filter.HasSecond)
        second.Value.clear();
    makeRow(2, cboOperator2, cboValue2, second);
    ContentLayout()->addLayout(grid);
    cboValue1->setFocus();
}

TQuickFilter TQuickFilterDlg::Filter() const
{
    TQuickFilter f;
    f.FieldName = FFieldName;
    f.First = {TQuickFilterOperator(cboOperator1->currentIndex()), cboValue1->currentText()};
    f.Second = {TQuickFilterOperator(cboOperator2->currentIndex()), cboValue2->currentText()};
    const bool noValue = f.Second.Operator == qfBlank || f.Second.Operator == qfNotBlank;
    f.HasSecond = noValue || !f.Second.Value.trimmed().isEmpty();
    f.AnyOf = rbOr->isChecked();
    return f;
}

bool TQuickFilterDlg::CanClose()
{
    const TQuickFilter f = Filter();
    const bool noValue = f.First.Operator == qfBlank || f.First.Operator == qfNotBlank;
    if (!noValue && f.First.Value.trimmed().isEmpty()) {
        ShowWarning(QStringLiteral("[%1]的内容不能为空!").arg(QStringLiteral("条件")));
        cboValue1->setFocus();
        return false;
    }
    return true;
}

} // namespace kx
