// The main-demand source dialog ("获取主需求") of a scheme fed by import: pick lines of one kind
// of business bill, import a table file, or take another scheme's main demand or planned
// supplies; with how the lines already there are treated. The last choices are kept per user.
#pragma once

#include "engine/maindemand.h"
#include "views/dialog.h"

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace kx {

class TMRPMainSourceDlg : public TDialog {
    Q_OBJECT

public:
    explicit TMRPMainSourceDlg(int schemeIID, QWidget* parent = nullptr);

    QRadioButton* rbtBills;
    QComboBox* cboBills;
    QCheckBox* chkShowFilter;
    QRadioButton* rbtImport;
    QComboBox* cboImport;
    QRadioButton* rbtMrp;
    QComboBox* cboMrpType;
    QComboBox* cboScheme;
    QComboBox* cboWriteType;
    QCheckBox* chkSynPeriods;

    // The choices, read when the dialog was confirmed.
    TMRPMainImportType ImportType() const;
    TMPSOverwriteType WriteType() const;
    bool ShowFilter() const;
    bool SynPeriods() const;
    int SourceSchemeIID() const;
    QString SourceSchemeName() const;

    // Puts the user's last choices on the controls, and keeps the current ones.
    void LoadChoices();
    void StoreChoices() const;

    // The object whose lines an import type picks (empty for the other types).
    static QString ObjectOfImportType(TMRPMainImportType type);

protected:
    bool CanClose() override;

private:
    void UpdateControls();
    void LoadSchemes(int schemeIID);
    void SelectImportType(TMRPMainImportType type);
};

} // namespace kx
