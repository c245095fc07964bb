// The page setup of a view's printout ("页面设置"): paper, orientation (automatic takes
// landscape when the columns are wider than portrait paper), margins, fitting the columns
// to one page wide, the title block and the totals row.
#pragma once

#include "views/dialog.h"
#include "views/printsetting.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QRadioButton;

namespace kx {

class TPageSetupDlg : public TDialog {
    Q_OBJECT

public:
    TPageSetupDlg(const TPrintSetting& setting, QWidget* parent = nullptr);

    QComboBox* cboPaper;
    QRadioButton* rbAuto;
    QRadioButton* rbPortrait;
    QRadioButton* rbLandscape;
    QDoubleSpinBox* edtTop;
    QDoubleSpinBox* edtBottom;
    QDoubleSpinBox* edtLeft;
    QDoubleSpinBox* edtRight;
    QCheckBox* chkFitToWidth;
    QCheckBox* chkTitle;
    QCheckBox* chkTotals;

    // The setting as the controls show it.
    TPrintSetting Setting() const;

    // Shows the dialog on the setting; true (and the setting changed) on OK.
    static bool Execute(TPrintSetting& setting, QWidget* parent = nullptr);
};

} // namespace kx
