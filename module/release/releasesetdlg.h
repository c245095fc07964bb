// "计划发布": how a scheme is published: directly, or as a copy under a new name (only its
// main demand, if so chosen), and whether the receiving users may release from it.
#pragma once

#include "views/dialog.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace kx {

class TMRPReleaseSetDlg : public TDialog {
    Q_OBJECT

public:
    // canCopy: copying is allowed (main demand ready or MRP complete); onlyMPS: only the main
    // demand can be published.
    TMRPReleaseSetDlg(const QString& origName, bool canCopy, bool onlyMPS, QWidget* parent = nullptr);

    QLineEdit* edtSchemeName;
    QRadioButton* rdbCopyMode;
    QRadioButton* rdbDirectMode;
    QCheckBox* chkOnlyMPS;
    QCheckBox* chkCanOutput;
    QString FOrigName;

    bool CopyMode() const;
    QString SchemeName() const;
    bool OnlyMPS() const;
    // "允许投放" counts only while the main demand is not published alone.
    bool CanOutput() const;

protected:
    bool CanClose() override;

private:
    void UpdateControls();
    bool FForcedOnlyMPS;
};

} // namespace kx
