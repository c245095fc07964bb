#include "views/exbuttonedit.h"

#include <QAction>
#include <QKeyEvent>
#include <QStyle>

namespace kx {

TExButtonEdit::TExButtonEdit(QWidget* parent) : QLineEdit(parent)
{
    QAction* button = addAction(style()->standardIcon(QStyle::SP_FileDialogContentsView), QLineEdit::TrailingPosition);
    button->setToolTip(QStringLiteral("选择 (F4)"));
    connect(button, &QAction::triggered, this, &TExButtonEdit::ClickButton);
}

void TExButtonEdit::SetNoKeyInput(bool noKeyInput)
{
    setReadOnly(noKeyInput);
}

void TExButtonEdit::ClickButton()
{
    Q_EMIT ButtonClick();
}

void TExButtonEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F4 || (event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier))) {
        ClickButton();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace kx
