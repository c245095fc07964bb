// The module's message boxes. Every box goes through one core routine and one
// replaceable responder: the widget layer shows a real box, the command line prints the
// text, and tests answer from a script.
#pragma once

#include <QString>

#include <exception>
#include <functional>

namespace kx {

// Buttons, as the classic message-box flags; -1 means the OK button alone.
enum TMsgButtons : int {
    mbOK = 0,
    mbOKCancel = 1,
    mbYesNoCancel = 3,
    mbYesNo = 4,
    mbDefButton2 = 0x100,
    mbDefButton3 = 0x200,
};
// Dialog results.
enum TModalResult : int { mrNone = 0, mrOK = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

enum TMsgIcon { miWarning, miInformation, miError, miQuestion };

struct TMessageRequest {
    QString Text;
    QString Caption;
    TMsgIcon Icon;
    int Buttons;                  // TMsgButtons flags, already resolved from -1
};

using TMessageResponder = std::function<int(const TMessageRequest&)>;

// Installs a responder and returns the one it replaces.
TMessageResponder SetMessageResponder(TMessageResponder responder);
// What a box answers when nobody is asked: its default button.
int DefaultAnswer(int buttons);

int ShowWarning(const QString& text, int buttons = -1);
int ShowInfo(const QString& text, int buttons = -1);
int ShowError(const QString& text, int buttons = -1);
int ShowQuestion(const QString& text, int buttons);

// "程序执行出现错误!\r\r原因: %s" for any exception but an abort; a database error
// shows its server message and number.
void ShowException(const std::exception& e);
// "错误: %s (错误号: %d)".
void ShowDatabaseError(const QString& message, int number);

// The shared field-check messages, column caption first.
enum TFieldCheck {
    fcEmpty,                              // "[%s]的内容不能为空!"
    fcNotExists,                          // "[%s]的值(%s)不存在!"
    fcInvalid,                            // "[%s]的值(%s)无效!"
    fcNotGreater,                         // "[%s]的值(%s)没有大于%s !"
    fcNotGreaterOrEqual,                  // "[%s]的值(%s)没有大于或等于%s !"
    fcNotGreaterOrEqualField,             // "[%s]的值没有大于或等于[%s]的值!" (limit: the other caption)
    fcNotGreaterField,                    // "[%s]的值没有大于[%s]的值!"
};
QString FieldCheckText(TFieldCheck check, const QString& caption, const QString& value = QString(),
                       const QString& limit = QString());

} // namespace kx
