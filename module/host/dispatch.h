// The dispatch tables of the entry points: object ID (without regard to case) to the
// class that serves it. Each later feature adds its row here.
#pragma once

#include "kx_mrp/interfaces.h"

namespace kx {

IInfoView* CreateInfoViewFor(const TInfoObjectDef* def);
IInfoFrame* CreateInfoFrameFor(const TInfoObjectDef* def);   // shows the "not open yet" box when none
void ShowInfoFormFor(const TInfoObjectDef* def);
IInfoEdit* CreateInfoEditFor(const TInfoObjectDef* def);
void RunInfoActionFor(const TInfoObjectDef* def, const QString& actionID, IInfoView* view, bool* handled);

} // namespace kx
