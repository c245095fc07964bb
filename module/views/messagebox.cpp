#include "views/messagebox.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMessageBox>
#include <QWidget>

namespace kx {

namespace {

QMessageBox::Icon IconOf(TMsgIcon icon)
{
    switch (icon) {
    case miWarning: return QMessageBox::Warning;
    case miInformation: return QMessageBox::Information;
    case miError: return QMessageBox::Critical;
    case miQuestion: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

struct TButtonSet {
    QList<QMessageBox::StandardButton> Buttons;
    QList<int> Results;
};

TButtonSet ButtonsOf(int buttons)
{
    switch (buttons & 0xFF) {
    case mbOKCancel: return {{QMessageBox::Ok, QMessageBox::Cancel}, {mrOK, mrCancel}};
    case mbYesNo: return {{QMessageBox::Yes, QMessageBox::No}, {mrYes, mrNo}};
    case mbYesNoCancel: return {{QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}, {mrYes, mrNo, mrCancel}};
    default: return {{QMessageBox::Ok}, {mrOK}};
    }
}

} // namespace

int WidgetMessageBox(const TMessageRequest& request)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return DefaultAnswer(request.Buttons);
    QString text = request.Text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(IconOf(request.Icon), request.Caption, text, QMessageBox::NoButton, QApplication::activeWindow());
    const TButtonSet set = ButtonsOf(request.Buttons);
    for (auto b : set.Buttons)
        box.addButton(b);
    const int defaultIndex = (request.Buttons & mbDefButton3) ? 2 : (request.Buttons & mbDefButton2) ? 1 : 0;
    box.setDefaultButton(set.Buttons.value(defaultIndex, set.Buttons.first()));
    // The box shows the normal cursor even in the middle of a long operation.
    const bool hadOverride = QGuiApplication::overrideCursor() != nullptr;
    if (hadOverride)
        QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    if (QWidget* w = QApplication::activeWindow())
        w->raise();
    const auto answer = QMessageBox::StandardButton(box.exec());
    if (hadOverride)
        QGuiApplication::restoreOverrideCursor();
    const qsizetype i = set.Buttons.indexOf(answer);
    if (i >= 0)
        return set.Results[i];
    // Closing the box answers like its escape button.
    return (request.Buttons & 0xFF) == mbYesNo ? mrNo : (request.Buttons & 0xFF) == mbOK ? mrOK : mrCancel;
}

TWaitCursor::TWaitCursor() : FShown(qGuiApp != nullptr)
{
    if (FShown)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

TWaitCursor::~TWaitCursor()
{
    if (FShown)
        QGuiApplication::restoreOverrideCursor();
}

void ShowReadDataFailed()
{
    ShowError(QStringLiteral("读取数据失败!\r\r可能是与数据库的连接已断开, 请检查网络或数据库服务器后刷新。"));
}

} // namespace kx
