// The base of the module's dialogs: OK and Cancel at the bottom right, and a hook that
// may keep the dialog open when the user confirms.
#pragma once

#include <QDialog>

class QPushButton;
class QVBoxLayout;

namespace kx {

class TDialog : public QDialog {
    Q_OBJECT

public:
    explicit TDialog(QWidget* parent = nullptr);

    QPushButton* btnOk;
    QPushButton* btnCancel;

    // The area above the buttons where a dialog puts its controls.
    QVBoxLayout* ContentLayout() const { return FContent; }

    void accept() override;

protected:
    // Called when the user confirms; false keeps the dialog open.
    virtual bool CanClose() { return true; }

private:
    QVBoxLayout* FContent;
};

} // namespace kx
