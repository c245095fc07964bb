// A view that shows one plan scheme's data: a result tab of the scheme workbench, or a
// result page of the kit and shortage analyses. The frame that owns the scheme creates
// the view through the module's dispatch, then hands it the scheme and the callbacks
// through which the view may act on it.
#pragma once

#include "engine/planscheme.h"

namespace kx {

class ISchemeView {
public:
    virtual ~ISchemeView() = default;
    // Called after creation and whenever the frame's scheme is replaced or its data
    // changed (another scheme chosen, main demand fetched, a run finished). The scheme
    // and events outlive the view; a null scheme means none is chosen. The view reloads
    // its rows when it is next shown.
    virtual void SetPlanScheme(TPlanScheme* scheme, const TPlanSchemeUIEvents* events) = 0;
};

} // namespace kx
