// The batch adjustment of a scheme's main demand ("主需求批调整"): moving the delivery of the
// selected lines, or of all, into one plan period, or importing delivery adjustments from a
// table file.
#pragma once

#include "views/dialog.h"

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace kx {

class TPlanScheme;

class TMRPMainAdjustDlg : public TDialog {
    Q_OBJECT

public:
    TMRPMainAdjustDlg(const TPlanScheme& scheme, QWidget* parent = nullptr);

    QRadioButton* rbtAdjPeriod;
    QComboBox* cboAdjPeriod;
    QCheckBox* chkOnlyEarlier;
    QRadioButton* rbtImport;
    QRadioButton* rbtSelected;
    QRadioButton* rbtAll;

    // Shows the dialog and carries out the chosen adjustment on the lines (identities) the
    // view has selected; true when lines were adjusted.
    static bool Execute(QWidget* parent, const TPlanScheme& scheme, const QList<int>& selectedLines,
                        const QString& importFile = QString());

private:
    void UpdateControls();
};

} // namespace kx
