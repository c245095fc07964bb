// The usage arithmetic of the BOM expansion for each way a line can ask for its component:
// per parent quantity or fixed per lot, a plan share below 100 %, the parent BOM's yield, and
// the loss of a percentage or of a loss-rate text under both loss formulas.
#include "analysis/bomexpand.h"
#include "masterdata/lossrate.h"

#include <gtest/gtest.h>

using namespace kx;

TEST(BomQuantity, FullUsageAndTrialQuantityOfALine)
{
    struct Case {
        const char* what;
        bool divide;
        TBomLineQty line;
        TBomNodeQty parent;
        double yield;
        TBomLossChoice choice;
        double full;
        double trial;
    };
    auto line = [](bool fixed, double qty, double base, double percent, double rate, const char* text) {
        TBomLineQty l;
        l.Fixed = fixed;
        l.Qty = qty;
        l.BaseQty = base;
        l.Percent = percent;
        l.LossRate = rate;
        l.PutLossRate = QString::fromUtf8(text);
        return l;
    };
    const Case cases[] = {
        // 3 per 2 parents of 10 (trial 12 after the parent's own loss): 15; no loss: trial = full.
        {"per parent", false, line(false, 3, 2, 100, 10, "10%"), {10, 12}, 100, blNone, 15, 15},
        {"loss of the percentage", false, line(false, 3, 2, 100, 10, "10%"), {10, 12}, 100, blLossRate, 15, 19.8},
        {"over the parent's yield", false, line(false, 3, 2, 100, 10, "10%"), {10, 12}, 80, blLossRate, 15, 24.75},
        {"no yield without loss", false, line(false, 3, 2, 100, 10, "10%"), {10, 12}, 80, blNone, 15, 15},
        // Half of the parents use the line.
        {"plan share", false, line(false, 4, 1, 50, 0, ""), {10, 10}, 100, blLossRate, 20, 20},
        // Fixed: 5 per lot whatever the parent's quantity or yield.
        {"fixed", false, line(true, 5, 1, 100, 10, "10%"), {10, 12}, 50, blLossRate, 5, 5.5},
        // The text: a fixed 2 for any usage, then 5% of up to 20 and 1% above: 2 + 1 + 0.4.
        {"segments", false, line(false, 1, 1, 100, 0, "2|20:5%|1%"), {60, 60}, 100, blPutLossRate, 60, 63.4},
        // Divide formula: 10% of 90 is 90 / 0.9 - 90 = 10.
        {"divide", true, line(false, 1, 1, 100, 10, "10%"), {90, 90}, 100, blLossRate, 90, 100},
        {"divide, text", true, line(false, 1, 1, 100, 0, "10%"), {90, 90}, 100, blPutLossRate, 90, 100},
    };
    for (const Case& c : cases) {
        SetLossRateType(c.divide);
        const TBomNodeQty q = BomLineQuantity(c.line, c.parent, c.yield, c.choice);
        EXPECT_DOUBLE_EQ(q.Full, c.full) << c.what;
        EXPECT_DOUBLE_EQ(q.Trial, c.trial) << c.what;
    }
    SetLossRateType(false);
}
