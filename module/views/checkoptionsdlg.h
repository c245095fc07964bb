// A dialog of check-box options, supplied by the caller ("指定选项").
#pragma once

#include "views/dialog.h"

class QCheckBox;

namespace kx {

class TCheckOptionsDlg : public TDialog {
    Q_OBJECT

public:
    explicit TCheckOptionsDlg(QWidget* parent = nullptr);

    QWidget* FItems;                      // holds the option check boxes

    // Adds an option and returns its index.
    int AddOption(const QString& caption, bool checked = false, bool enabled = true);
    int OptionCount() const { return int(FBoxes.size()); }
    bool Checked(int index) const;
    void SetChecked(int index, bool checked);

private:
    QList<QCheckBox*> FBoxes;
};

// The options dialog of a repeated fetch or run: "保留以下内容:" and the options, all ticked.
// False when the user cancels; checked gets the choices.
bool AskKeepOptions(QWidget* parent, const QString& title, const QStringList& options, QList<bool>& checked);

} // namespace kx
