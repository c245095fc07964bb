// The dialog "自动冲销": how forecasts and orders are matched in time, whether earlier
// automatic results are kept, and the conditions on the forecasts, sales orders and export
// orders taken into account. It opens with the user's remembered choices.
#pragma once

#include "deduction/deductoptions.h"
#include "views/dialog.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace kx {

class TDeductAutoDlg : public TDialog {
    Q_OBJECT

public:
    explicit TDeductAutoDlg(QWidget* parent = nullptr);

    QRadioButton* rbSpan;
    QComboBox* cboSpan;
    QCheckBox* chkSpan2Month;
    QDateEdit* edtSpan2Date;
    QRadioButton* rbDays;
    QSpinBox* edtDaysBefore;
    QSpinBox* edtDaysAfter;
    QCheckBox* chkKeepLast;
    QPlainTextEdit* memForcast;
    QPlainTextEdit* memSO;
    QPlainTextEdit* memSI;
    QPushButton* btnForcast;
    QPushButton* btnSO;
    QPushButton* btnSI;
    QLabel* lblTip;

    void SetOptions(const TAuotDeductOptions& options);
    TAuotDeductOptions Options() const;

    // Opens the condition editor of one of the three objects ("KX_MRP.Forcast", "KX_MRP.SO",
    // "KX_MRP.SI") and takes the condition the user confirms.
    void EditCondition(const QString& objectID);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TCondition {
        QString Code;
        QString Text;
    };
    TCondition& ConditionOf(const QString& objectID);
    QPlainTextEdit* MemoOf(const QString& objectID) const;
    void ShowCondition(const QString& objectID);
    void UpdateEnabled();

    TCondition FForcast, FSO, FSI;
};

} // namespace kx
