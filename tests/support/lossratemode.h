// The loss formula mode chosen for the scope of a test; the multiply formula afterwards.
#pragma once

#include "masterdata/lossrate.h"

namespace kx::test {

struct TLossMode {
    explicit TLossMode(bool divide) { SetLossRateType(divide); }
    ~TLossMode() { SetLossRateType(false); }
};

} // namespace kx::test
