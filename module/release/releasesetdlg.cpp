#include "release/releasesetdlg.h"

#include "db/messages.h"
#include "db/shared.h"
#include "release/publishing.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kx {

TMRPReleaseSetDlg::TMRPReleaseSetDlg(const QString& origName, bool canCopy, bool onlyMPS, QWidget* parent)
    : TDialog(parent), FOrigName(origName), FForcedOnlyMPS(onlyMPS)
{
    setWindowTitle(QStringLiteral("计划发布"));
    edtSchemeName = new QLineEdit(origName, this);
    edtSchemeName->setObjectName(QStringLiteral("edtSchemeName"));
    edtSchemeName->setMaxLength(80);
    edtSchemeName->setMinimumWidth(260);
    auto* name = new QFormLayout;
    auto* label = new QLabel(QStringLiteral("发布名称(&N):"), this);
    label->setBuddy(edtSchemeName);
    name->addRow(label, edtSchemeName);
    ContentLayout()->addLayout(name);

    auto* mode = new QGroupBox(this);
    auto* modeLayout = new QVBoxLayout(mode);
    rdbCopyMode = new QRadioButton(QStringLiteral("复制方案发布(&1)"), mode);
    rdbCopyMode->setObjectName(QStringLiteral("rdbCopyMode"));
    rdbDirectMode = new QRadioButton(QStringLiteral("直接发布(&2)"), mode);
    rdbDirectMode->setObjectName(QStringLiteral("rdbDirectMode"));
    chkOnlyMPS = new QCheckBox(QStringLiteral("仅发布主需求(&M)"), mode);
    chkOnlyMPS->setObjectName(QStringLiteral("chkOnlyMPS"));
    modeLayout->addWidget(rdbCopyMode);
    modeLayout->addWidget(rdbDirectMode);
    modeLayout->addWidget(chkOnlyMPS);
    ContentLayout()->addWidget(mode);
    chkCanOutput = new QCheckBox(QStringLiteral("允许投放(&E)"), this);
    chkCanOutput->setObjectName(QStringLiteral("chkCanOutput"));
    chkCanOutput->setChecked(true);
    ContentLayout()->addWidget(chkCanOutput);

    rdbCopyMode->setEnabled(canCopy);
    (canCopy ? rdbCopyMode : rdbDirectMode)->setChecked(true);
    chkOnlyMPS->setChecked(onlyMPS);
    connect(rdbCopyMode, &QRadioButton::toggled, this, &TMRPReleaseSetDlg::UpdateControls);
    connect(chkOnlyMPS, &QCheckBox::toggled, this, &TMRPReleaseSetDlg::UpdateControls);
    UpdateControls();
}

void TMRPReleaseSetDlg::UpdateControls()
{
    const bool copy = CopyMode();
    if (!copy) {
        edtSchemeName->setText(FOrigName);
    } else if (edtSchemeName->text().trimmed().isEmpty()) {
        edtSchemeName->setText(FOrigName);
    }
    edtSchemeName->setReadOnly(!copy);
    // Only a copy may leave the run's results behind; without a run only main demand goes.
    if (FForcedOnlyMPS) {
        chkOnlyMPS->setChecked(true);
        chkOnlyMPS->setEnabled(false);
    } else {
        if (!copy)
            chkOnlyMPS->setChecked(false);
        chkOnlyMPS->setEnabled(copy);
    }
    chkCanOutput->setVisible(!chkOnlyMPS->isChecked());
}

bool TMRPReleaseSetDlg::CopyMode() const
{
    return rdbCopyMode->isChecked();
}

QString TMRPReleaseSetDlg::SchemeName() const
{
    return edtSchemeName->text().trimmed();
}

bool TMRPReleaseSetDlg::OnlyMPS() const
{
    return chkOnlyMPS->isChecked();
}

bool TMRPReleaseSetDlg::CanOutput() const
{
    return !OnlyMPS() && chkCanOutput->isChecked();
}

bool TMRPReleaseSetDlg::CanClose()
{
    if (!CopyMode())
        return true;
    const QString fault = CheckCopyName(SharedConnection(), edtSchemeName->text(), FOrigName, EnvUserID());
    if (fault.isEmpty())
        return true;
    ShowWarning(fault);
    edtSchemeName->setFocus();
    edtSchemeName->selectAll();
    return false;
}

} // namespace kx
