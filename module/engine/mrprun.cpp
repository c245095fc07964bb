#include "engine/planscheme.h"

#include "db/messages.h"

namespace kx {

bool TPlanScheme::RunMRP(bool, bool, const TMRPLogEvent&, IEngineProgress&, bool)
{
    ShowError(QStringLiteral("MRP运算尚未提供!"));
    return false;
}

} // namespace kx
