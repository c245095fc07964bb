// Conditions on an object's fields as a user composes them (field, comparison, value, all
// joined by "and" or "or"), their stored form and the SQL condition they amount to; the
// editor that shows them and the host's filter dialog.
#pragma once

#include "kx_mrp/objectdef.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QTableWidget;

namespace kx::shell {

enum TFilterOperator { foEqual, foNotEqual, foGreater, foGreaterEqual, foLess, foLessEqual, foContains, foStartsWith,
                       foIsEmpty, foNotEmpty };

struct TFilterCondition {
    QString FieldID;
    TFilterOperator Operator = foEqual;
    QString Value;
};

struct TFilterConditions {
    bool AnyOf = false;           // joined by "or" instead of "and"
    QList<TFilterCondition> Items;
};

// Stored form: "AND" or "OR" on the first line, then one "field|operator|value" line each.
QString FilterCode(const TFilterConditions& conditions);
TFilterConditions ParseFilterCode(const QString& code);
// The SQL condition on the fields' expressions; values become literals of the field's
// type. A condition on an unknown field, or a value that is no number or date where one is
// needed, is reported in error and gives an empty text.
QString FilterConditionSQL(const TInfoObjectDef& def, const TFilterConditions& conditions, QString* error = nullptr);
QStringList FilterOperatorCaptions();

// A grid of conditions with a choice between "all" and "any".
class TFilterEditor : public QWidget {
    Q_OBJECT

public:
    TFilterEditor(const TInfoObjectDef* def, QWidget* parent = nullptr);
    void SetConditions(const TFilterConditions& conditions);
    TFilterConditions Conditions() const;
    void AddCondition(const TFilterCondition& condition = TFilterCondition());

private:
    const TInfoObjectDef* FDef;
    QComboBox* cboJoin;
    QTableWidget* grdConditions;
};

class TFilterDlg : public QDialog {
    Q_OBJECT

public:
    TFilterDlg(const TInfoObjectDef* def, const QString& code, QWidget* parent = nullptr);
    QString Code() const { return FCode; }
    QString ConditionSQL() const { return FSQL; }
    TFilterEditor* Editor() const { return FEditor; }
    void accept() override;

private:
    const TInfoObjectDef* FDef;
    TFilterEditor* FEditor;
    QString FCode;
    QString FSQL;
};

} // namespace kx::shell
