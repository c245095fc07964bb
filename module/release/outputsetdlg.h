// "投放选项": the user's output settings of the three destinations (production, outsourcing,
// purchase), one tab each: merging, bill splitting and entry order, the most entries a bill
// takes, the material lines, and the department and employee of the bills.
#pragma once

#include "release/outputoptions.h"
#include "views/dialog.h"

class QCheckBox;
class QComboBox;
class QSpinBox;
class QTabWidget;

namespace kx {

class TPickEdit;

class TMRPOutputSetDlg : public TDialog {
    Q_OBJECT

public:
    explicit TMRPOutputSetDlg(QWidget* parent = nullptr);

    // The controls of one destination's tab.
    struct TPage {
        int DestType = 0;
        TMRPOutputOptions Options;
        QWidget* Page = nullptr;
        QComboBox* cboMergeTrack = nullptr;
        QCheckBox* chkMergePeriods = nullptr;
        QSpinBox* edtBillMaxRows = nullptr;
        QComboBox* cboSplitBy[3] = {};
        QComboBox* cboSortBy[3] = {};
        QComboBox* cboItemSubs = nullptr;
        QCheckBox* chkOutPBoms = nullptr;
        QCheckBox* chkLotRule = nullptr;
        TPickEdit* edtDepartment = nullptr;
        TPickEdit* edtEmployee = nullptr;
    };

    QTabWidget* pgcOptions;
    TPage FPages[3];

    // Shows the tab of a destination type.
    void ShowDestType(int destType);
    // Checks a tab and takes its controls into its record; false (with the message shown and
    // the control focused) on a fault.
    bool StorePage(TPage& page);

protected:
    bool CanClose() override;

private:
    void BuildPage(TPage& page);
    void ShowPage(TPage& page);
    void pgcOptionsChanging(int index);
    int FCurrentTab = 0;
    bool FSwitching = false;
};

// The dialog on the three destinations' settings; saves them all when the user confirms.
bool ShowOutputOptionsDialog(QWidget* parent, int destType = 0);

} // namespace kx
