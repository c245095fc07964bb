#include "db/escape.h"

#include "db/errors.h"
#include "db/messages.h"

namespace kx {

namespace {
TEscapeProbe& Probe()
{
    static TEscapeProbe probe;
    return probe;
}
} // namespace

TEscapeProbe SetEscapeProbe(TEscapeProbe probe)
{
    TEscapeProbe old = std::move(Probe());
    Probe() = std::move(probe);
    return old;
}

bool EscapeHeld()
{
    return Probe() && Probe()();
}

bool CheckEscape(bool raiseAbort)
{
    if (!EscapeHeld())
        return false;
    if (ShowQuestion(QStringLiteral("您已按下[Esc]键, 中止正在执行的操作?"), mbYesNo | mbDefButton2) != mrYes)
        return false;
    if (raiseAbort)
        throw EAbort();
    return true;
}

} // namespace kx
