// The deduction actions the host starts on its lists through LoadInfoAction: the automatic
// deduction ("AutoDed") on forecasts and orders, the exclusion of selected lines from it and
// their readmission ("NoAutoDed", "CanAutoDed"), and the clearing of selected log rows
// ("ClearDed") on the deduction log.
#pragma once

#include "kx_mrp/interfaces.h"

namespace kx {

// "AutoDed", "NoAutoDed" and "CanAutoDed" of "KX_MRP.Forcast".
void RunForcastAutoDeduct(const TInfoObjectDef* def, const QString& actionID, IInfoView* view, bool* handled);
void RunForcastNoAutoDeduct(const TInfoObjectDef* def, const QString& actionID, IInfoView* view, bool* handled);
void RunForcastCanAutoDeduct(const TInfoObjectDef* def, const QString& actionID, IInfoView* view, bool* handled);
// Every action of "KX_MRP.SO" and "KX_MRP.SI": the three above on the order lines.
void RunOrderDeductAction(const TInfoObjectDef* def, const QString& actionID, IInfoView* view, bool* handled);
// Every action of "KX_MRP.DeductLog": "ClearDed".
void RunDeductLogAction(const TInfoObjectDef* def, const QString& actionID, IInfoView* view, bool* handled);

} // namespace kx
