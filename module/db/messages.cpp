#include "db/messages.h"

#include "db/errors.h"
#include "db/shared.h"

#include <cstdio>

namespace kx {

namespace {

int PrintToConsole(const TMessageRequest& request)
{
    std::fprintf(stderr, "[%s] %s\n", request.Caption.toUtf8().constData(),
                 QString(request.Text).replace(QLatin1Char('\r'), QLatin1Char('\n')).toUtf8().constData());
    return DefaultAnswer(request.Buttons);
}

TMessageResponder& Responder()
{
    static TMessageResponder responder = PrintToConsole;
    return responder;
}

int MessageBoxCore(const QString& text, const QString& caption, TMsgIcon icon, int buttons)
{
    const TMessageRequest request{text, caption, icon, buttons < 0 ? int(mbOK) : buttons};
    // Boxes raised by long work on a worker thread are shown by the GUI thread, and the
    // work waits for the answer.
    int answer = DefaultAnswer(request.Buttons);
    RunInGuiThread([&] {
        if (Responder())
            answer = Responder()(request);
    });
    return answer;
}

} // namespace

TMessageResponder SetMessageResponder(TMessageResponder responder)
{
    TMessageResponder old = std::move(Responder());
    Responder() = std::move(responder);
    return old;
}

int DefaultAnswer(int buttons)
{
    const int kind = buttons & 0xFF;
    const int defaultIndex = (buttons & mbDefButton3) ? 2 : (buttons & mbDefButton2) ? 1 : 0;
    switch (kind) {
    case mbOKCancel: return defaultIndex == 0 ? mrOK : mrCancel;
    case mbYesNo: return defaultIndex == 0 ? mrYes : mrNo;
    case mbYesNoCancel: return defaultIndex == 0 ? mrYes : defaultIndex == 1 ? mrNo : mrCancel;
    default: return mrOK;
    }
}

int ShowWarning(const QString& text, int buttons) { return MessageBoxCore(text, QStringLiteral("警告"), miWarning, buttons); }
int ShowInfo(const QString& text, int buttons) { return MessageBoxCore(text, QStringLiteral("信息"), miInformation, buttons); }
int ShowError(const QString& text, int buttons) { return MessageBoxCore(text, QStringLiteral("错误"), miError, buttons); }
int ShowQuestion(const QString& text, int buttons) { return MessageBoxCore(text, QStringLiteral("疑问"), miQuestion, buttons); }

void ShowDatabaseError(const QString& message, int number)
{
    ShowError(QStringLiteral("错误: %1 (错误号: %2)").arg(message).arg(number));
}

void ShowException(const std::exception& e)
{
    if (dynamic_cast<const EAbort*>(&e))
        return;
    if (const auto* db = dynamic_cast<const EDatabaseError*>(&e)) {
        ShowDatabaseError(db->Message(), db->Number());
        return;
    }
    const auto* kxError = dynamic_cast<const EKxError*>(&e);
    const QString reason = kxError ? kxError->Message() : QString::fromUtf8(e.what());
    ShowError(QStringLiteral("程序执行出现错误!\r\r原因: %1").arg(reason));
}

QString FieldCheckText(TFieldCheck check, const QString& caption, const QString& value, const QString& limit)
{
    switch (check) {
    case fcEmpty: return QStringLiteral("[%1]的内容不能为空!").arg(caption);
    case fcNotExists: return QStringLiteral("[%1]的值(%2)不存在!").arg(caption, value);
    case fcInvalid: return QStringLiteral("[%1]的值(%2)无效!").arg(caption, value);
    case fcNotGreater: return QStringLiteral("[%1]的值(%2)没有大于%3 !").arg(caption, value, limit);
    case fcNotGreaterOrEqual: return QStringLiteral("[%1]的值(%2)没有大于或等于%3 !").arg(caption, value, limit);
    case fcNotGreaterOrEqualField: return QStringLiteral("[%1]的值没有大于或等于[%2]的值!").arg(caption, limit);
    case fcNotGreaterField: return QStringLiteral("[%1]的值没有大于[%2]的值!").arg(caption, limit);
    }
    return QString();
}

} // namespace kx
