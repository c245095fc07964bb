// The quick filter of a grid: per column, one or two conditions on what the cells show
// ("等于 内销", "包含 上海" or "大于 100"), chosen from the column's header menu or in the
// dialog "自定义快速筛选方式". It hides the records that fail in the grid (footer and group
// totals then count the records shown) and is not kept in the view's scheme.
#pragma once

#include "views/dialog.h"
#include "views/viewcolumns.h"

class QComboBox;
class QLabel;
class QRadioButton;

namespace kx {

enum TQuickFilterOperator {
    qfEqual, qfNotEqual, qfLess, qfLessEqual, qfGreater, qfGreaterEqual,
    qfContains, qfNotContains, qfStartsWith, qfEndsWith, qfBlank, qfNotBlank,
};

// "等于", "不等于", "小于" ... in the order of the operators.
QStringList QuickFilterOperatorCaptions();

struct TQuickCondition {
    TQuickFilterOperator Operator = qfEqual;
    QString Value;                        // as the user typed or picked it

    // Whether a cell passes: numbers and dates compare by value when the text is one,
    // everything else by the text the cell shows, without regard to case.
    bool Matches(const TViewColumn& column, const QVariant& value) const;
};

struct TQuickFilter {
    QString FieldName;
    TQuickCondition First;
    bool HasSecond = false;
    bool AnyOf = false;                   // the second joins by "或" instead of "与"
    TQuickCondition Second;

    bool Matches(const TViewColumn& column, const QVariant& value) const;
    // "客户 包含 上海 或 客户 开头是 华"
    QString Text(const QString& caption) const;
};

class TQuickFilterDlg : public TDialog {
    Q_OBJECT

public:
    // values: what the column's cells show, offered in the value boxes.
    TQuickFilterDlg(const QString& caption, const QStringList& values, const TQuickFilter& filter, QWidget* parent = nullptr);

    QLabel* lblColumn;
    QComboBox* cboOperator1;
    QComboBox* cboValue1;
    QRadioButton* rbAnd;
    QRadioButton* rbOr;
    QComboBox* cboOperator2;
    QComboBox* cboValue2;

    TQuickFilter Filter() const;

protected:
    bool CanClose() override;

private:
    QString FFieldName;
};

} // namespace kx
