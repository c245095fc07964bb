// Message boxes and the wait cursor on widgets: what the module and a host show when the
// message routines of the database layer are answered by a person.
#pragma once

#include "db/messages.h"

namespace kx {

// A modal box for the request; without a widget application it answers with the default
// button.
int WidgetMessageBox(const TMessageRequest& request);

// "读取数据失败!" with its likely cause, a lost connection to the database: a list whose
// statement failed (the database error has been shown before).
void ShowReadDataFailed();

// The hour-glass cursor for the life of the object, also when the work unwinds.
class TWaitCursor {
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    bool FShown;
};

} // namespace kx
