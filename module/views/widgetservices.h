// Services of the widget layer that the widget-free layers reach through hooks: real
// message boxes and the keyboard probe for Esc.
#pragma once

#include "db/messages.h"

namespace kx {

// Installs the message box responder and the Esc probe; done once when the module loads
// inside an application with widgets.
void InstallWidgetServices();
int WidgetMessageBox(const TMessageRequest& request);

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
