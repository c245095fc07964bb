// An edit with a button at its right end; with FNoKeyInput its text can only be picked
// through the button, not typed.
#pragma once

#include <QLineEdit>

namespace kx {

struct TExButtonEditProperties {
    bool FNoKeyInput = false;
};

class TExButtonEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TExButtonEdit(QWidget* parent = nullptr);

    void SetNoKeyInput(bool noKeyInput);
    bool NoKeyInput() const { return isReadOnly(); }
    // Presses the button, as a click or the picker key (F4, Alt+Down) does.
    void ClickButton();

Q_SIGNALS:
    void ButtonClick();
    // The button set a new value into the edit; an in-place editor posts it.
    void ValuePicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace kx
