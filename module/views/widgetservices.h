// Services of the widget layer that the widget-free layers reach through hooks: real
// message boxes and the keyboard probe for Esc.
#pragma once

#include "views/exportservice.h"
#include "views/messagebox.h"

namespace kx {

// Installs the message box responder and the Esc probe; done once when the module loads
// inside an application with widgets.
void InstallWidgetServices();

// Export and print work (exportservice.h) as long work: on a worker thread behind the
// progress window, Esc asking whether to stop.
TExportRunner LongWorkExportRunner();

} // namespace kx
