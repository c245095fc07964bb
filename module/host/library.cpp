// Set-up when the plug-in library is loaded into a host: real message boxes and the
// keyboard probe for Esc. The shared connection and query come into being here too.
#include "db/shared.h"
#include "views/widgetservices.h"

namespace {

struct TLibraryInit {
    TLibraryInit()
    {
        kx::SharedQuery();
        kx::InstallWidgetServices();
    }
};

const TLibraryInit kLibraryInit;

} // namespace
