// The forecast list's bill actions: approve, withdraw approval, close and reopen lines,
// delete, each on every selected record of the host's list.
#pragma once

#include "kx_mrp/interfaces.h"

namespace kx {

enum TForcastBatchMode { fbmCheck = 0, fbmUnCheck = 1, fbmClose = 2, fbmUnClose = 3, fbmDelete = 4 };

void RunForcastBatch(const TInfoObjectDef* def, const QString& actionID, IInfoView* view, bool* handled,
                     TForcastBatchMode mode);

void RunForcastDelete(const TInfoObjectDef* def, const QString& actionID, IInfoView* view, bool* handled);
void RunForcastCheck(const TInfoObjectDef* def, const QString& actionID, IInfoView* view, bool* handled);
void RunForcastUnCheck(const TInfoObjectDef* def, const QString& actionID, IInfoView* view, bool* handled);
void RunForcastClose(const TInfoObjectDef* def, const QString& actionID, IInfoView* view, bool* handled);
void RunForcastUnClose(const TInfoObjectDef* def, const QString& actionID, IInfoView* view, bool* handled);

} // namespace kx
