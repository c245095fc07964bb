// Esc polling during long work: asks whether the user wants to stop, without needing the
// event loop to run.
#pragma once

#include <functional>

namespace kx {

// Reports whether Esc is held at this moment. The widget layer installs a probe that
// reads the keyboard; tests install one that holds Esc on demand.
using TEscapeProbe = std::function<bool()>;
TEscapeProbe SetEscapeProbe(TEscapeProbe probe);
bool EscapeHeld();

// When Esc is held, asks "您已按下[Esc]键, 中止正在执行的操作?". On Yes: raises EAbort when
// raiseAbort, else returns true. Returns false in every other case, at once when Esc is
// not held.
bool CheckEscape(bool raiseAbort = true);

} // namespace kx
