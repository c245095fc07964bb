#include "views/pagesetupdlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>

namespace kx {

namespace {

QDoubleSpinBox* MarginEdit(double value, QWidget* parent)
{
    auto* edit = new QDoubleSpinBox(parent);
    edit->setRange(0, 100);
    edit->setDecimals(1);
    edit->setSuffix(QStringLiteral(" 毫米"));
    edit->setValue(value);
    return edit;
}

} // namespace

TPageSetupDlg::TPageSetupDlg(const TPrintSetting& setting, QWidget* parent) : TDialog(parent)
{
    setWindowTitle(QStringLiteral("页面设置"));
    auto* paperBox = new QGroupBox(QStringLiteral("纸张"), this);
    auto* paperRow = new QFormLayout(paperBox);
    cboPaper = new QComboBox(paperBox);
    for (const TPaperChoice& p : PaperChoices()) {
        cboPaper->addItem(p.Caption, int(p.Id));
        if (p.Id == setting.PageSize)
            cboPaper->setCurrentIndex(cboPaper->count() - 1);
    }
    paperRow->addRow(QStringLiteral("大小(&P):"), cboPaper);

    auto* orientationBox = new QGroupBox(QStringLiteral("方向"), this);
    auto* orientationRow = new QHBoxLayout(orientationBox);
    rbAuto = new QRadioButton(QStringLiteral("自动(&A)"), orientationBox);
    rbAuto->setToolTip(QStringLiteral("列宽超出纵向纸张时横向打印"));
    rbPortrait = new QRadioButton(QStringLiteral("纵向(&O)"), orientationBox);
    rbLandscape = new QRadioButton(QStringLiteral("横向(&L)"), orientationBox);
    orientationRow->addWidget(rbAuto);
    orientationRow->addWidget(rbPortrait);
    orientationRow->addWidget(rbLandscape);
    (setting.Orientation == poPortrait ? rbPortrait : setting.Orientation == poLandscape ? rbLandscape : rbAuto)->setChecked(true);

    auto* marginBox = new QGroupBox(QStringLiteral("页边距"), this);
    auto* margins = new QGridLayout(marginBox);
    edtTop = MarginEdit(setting.Margins.top(), marginBox);
    edtBottom = MarginEdit(setting.Margins.bottom(), marginBox);
    edtLeft = MarginEdit(setting.Margins.left(), marginBox);
    edtRight = MarginEdit(setting.Margins.right(), marginBox);
    const QList<QPair<QString, QDoubleSpinBox*>> edits{{QStringLiteral("上(&T):"), edtTop}, {QStringLiteral("下(&B):"), edtBottom},
                                                      {QStringLiteral("左(&E):"), edtLeft}, {QStringLiteral("右(&R):"), edtRight}};
    for (int i = 0; i < edits.size(); ++i) {
        auto* label = new QLabel(edits[i].first, marginBox);
        label->setBuddy(edits[i].second);
        margins->addWidget(label, i / 2, (i % 2) * 2);
        margins->addWidget(edits[i].second, i / 2, (i % 2) * 2 + 1);
    }

    chkFitToWidth = new QCheckBox(QStringLiteral("缩放至一页宽(&W)"), this);
    chkFitToWidth->setChecked(setting.FitToWidth);
    chkTitle = new QCheckBox(QStringLiteral("每页打印标题、制表人和打印时间(&H)"), this);
    chkTitle->setChecked(setting.PrintTitle);
    chkTotals = new QCheckBox(QStringLiteral("打印合计行(&S)"), this);
    chkTotals->setChecked(setting.PrintTotals);

    ContentLayout()->addWidget(paperBox);
    ContentLayout()->addWidget(orientationBox);
    ContentLayout()->addWidget(marginBox);
    ContentLayout()->addWidget(chkFitToWidth);
    ContentLayout()->addWidget(chkTitle);
    ContentLayout()->addWidget(chkTotals);
}

TPrintSetting TPageSetupDlg::Setting() const
{
    TPrintSetting s;
    s.PageSize = QPageSize::PageSizeId(cboPaper->currentData().toInt());
    s.Orientation = rbPortrait->isChecked() ? poPortrait : rbLandscape->isChecked() ? poLandscape : poAuto;
    s.Margins = QMarginsF(edtLeft->value(), edtTop->value(), edtRight->value(), edtBottom->value());
    s.FitToWidth = chkFitToWidth->isChecked();
    s.PrintTitle = chkTitle->isChecked();
    s.PrintTotals = chkTotals->isChecked();
    return s;
}

bool TPageSetupDlg::Execute(TPrintSetting& setting, QWidget* parent)
{
    TPageSetupDlg dialog(setting, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    setting = dialog.Setting();
    return true;
}

} // namespace kx
