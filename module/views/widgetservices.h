// Services of the widget layer that the widget-free layers reach through hooks: real
// message boxes and the keyboard probe for Esc.
#pragma once

#include "views/messagebox.h"

namespace kx {

// Installs the message box responder and the Esc probe; done once when the module loads
// inside an application with widgets.
void InstallWidgetServices();

} // namespace kx
