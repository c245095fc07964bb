// The bar that says a list shows only some of its rows: what filters them, in words, and
// a button that clears the filter. Module grids show it for their quick filter, the host
// for the filter of a view's scheme.
#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

namespace kx {

class TFilterBar : public QFrame {
    Q_OBJECT

public:
    // name: the bar's object name; its label and button are named after it.
    TFilterBar(const QString& name, const QString& clearCaption, QWidget* parent = nullptr);

    // Shows the bar with the text after the prefix, or hides it when the text is empty.
    void ShowFilter(const QString& prefix, const QString& text);
    QLabel* Label() const { return lblFilter; }
    QPushButton* ClearButton() const { return btnClear; }

Q_SIGNALS:
    void ClearClicked();

private:
    QLabel* lblFilter;
    QPushButton* btnClear;
};

} // namespace kx
