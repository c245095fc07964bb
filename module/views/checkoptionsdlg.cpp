#include "views/checkoptionsdlg.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

namespace kx {

TCheckOptionsDlg::TCheckOptionsDlg(QWidget* parent) : TDialog(parent)
{
    setWindowTitle(QStringLiteral("指定选项"));
    FItems = new QWidget(this);
    auto* layout = new QVBoxLayout(FItems);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addStretch(1);
    ContentLayout()->addWidget(FItems, 1);
    setMinimumWidth(320);
}

int TCheckOptionsDlg::AddOption(const QString& caption, bool checked, bool enabled)
{
    auto* box = new QCheckBox(caption, FItems);
    box->setChecked(checked);
    box->setEnabled(enabled);
    auto* layout = static_cast<QVBoxLayout*>(FItems->layout());
    layout->insertWidget(layout->count() - 1, box);
    FBoxes << box;
    return int(FBoxes.size()) - 1;
}

bool TCheckOptionsDlg::Checked(int index) const
{
    return index >= 0 && index < FBoxes.size() && FBoxes[index]->isChecked();
}

void TCheckOptionsDlg::SetChecked(int index, bool checked)
{
    if (index >= 0 && index < FBoxes.size())
        FBoxes[index]->setChecked(checked);
}

bool AskKeepOptions(QWidget* parent, const QString& title, const QStringList& options, QList<bool>& checked)
{
    TCheckOptionsDlg dlg(parent);
    dlg.setWindowTitle(title);
    auto* prompt = new QLabel(QStringLiteral("保留以下内容:"), dlg.FItems);
    static_cast<QVBoxLayout*>(dlg.FItems->layout())->insertWidget(0, prompt);
    for (const QString& option : options)
        dlg.AddOption(option, true);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    checked.clear();
    for (int i = 0; i < options.size(); ++i)
        checked << dlg.Checked(i);
    return true;
}

} // namespace kx
