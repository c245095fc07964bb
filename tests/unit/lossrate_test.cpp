#include "db/strutils.h"
#include "masterdata/lossrate.h"

#include "lossratemode.h"

#include <gtest/gtest.h>

using namespace kx;
using kx::test::TLossMode;

TEST(LossRate, ProgressiveSegmentsInMultiplyMode)
{
    TLossMode mode(false);
    const QString text = QStringLiteral("10|100:2%|1000:1%+");
    struct Case { double usage; double loss; };
    const Case cases[] = {
        {50, 11},        // fixed 10 + 2% of 50
        {100, 12},       // fixed 10 + 2% of 100
        {550, 18.75},    // + the smooth segment covered for 450 of 900: rate 1.5% of 450
        {1000, 21},      // + the whole smooth segment at its target 1% of 900
        {2000, 21},      // no segment above 1000: usage beyond it adds nothing
        {0, 10},         // the fixed first segment counts for any usage
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(CalcLossQty(text, 0, c.usage), c.loss) << c.usage;
    // A last segment without bound applies its percentage to all usage above the previous bound.
    EXPECT_DOUBLE_EQ(CalcLossQty(QStringLiteral("100:2%|1%"), 0, 300), 2 + 2);
    // Spaces are ignored and a trailing "|" is tolerated.
    EXPECT_DOUBLE_EQ(CalcLossQty(QStringLiteral(" 10 | 100 : 2% |"), 0, 50), 11);
    EXPECT_DOUBLE_EQ(CalcLossQty(QStringLiteral("5%"), 0, 200), 10);
    // An empty text falls back to the caller's default rate.
    EXPECT_DOUBLE_EQ(CalcLossQty(QString(), 3, 200), 6);
    EXPECT_DOUBLE_EQ(CalcLossQty(QString(), 0, 200), 0);
}

TEST(LossRate, DivideModeAndTheInverse)
{
    TLossMode mode(true);
    EXPECT_DOUBLE_EQ(PercentToLossQty(20, 80), 20);        // 80 / (1 - 0.2) - 80
    EXPECT_DOUBLE_EQ(PercentToLossQty(100, 80), 0);        // no division by zero
    EXPECT_DOUBLE_EQ(PercentToLossQty(-5, 80), 0);
    EXPECT_DOUBLE_EQ(LossQtyToPercent(20, 80), 20);        // 20 / (80 + 20)
    EXPECT_DOUBLE_EQ(PercentToLossQty(1, 3), 0.03030303);  // rounded to 8 decimals
    SetLossRateType(false);
    EXPECT_DOUBLE_EQ(PercentToLossQty(20, 80), 16);
    EXPECT_DOUBLE_EQ(LossQtyToPercent(16, 80), 20);
    EXPECT_DOUBLE_EQ(LossQtyToPercent(0, 80), 0);
}

TEST(LossRate, TextReadsAndWritesBack)
{
    const QList<TLossSegment> rows = ParseLossRate(QStringLiteral("10|100:2%|1000:1%+|5000:3%-"));
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0].Type, lstFixed);
    EXPECT_DOUBLE_EQ(rows[0].Bound, 0);
    EXPECT_EQ(rows[1].Type, lstPercent);
    EXPECT_DOUBLE_EQ(rows[1].Bound, 100);
    EXPECT_EQ(rows[2].Type, lstSmooth);
    EXPECT_EQ(rows[3].Type, lstSmooth);
    QString text;
    EXPECT_EQ(WriteLossRate(rows, false, text).Row, -1);
    // "%-" marks a smooth target above the previous value, "%+" one below.
    EXPECT_EQ(text, QStringLiteral("10|100:2%|1000:1%+|5000:3%-"));
    EXPECT_EQ(ParseLossRate(QStringLiteral("0.125%")).first().Value, 0.125);
    EXPECT_TRUE(ParseLossRate(QString()).isEmpty());
    EXPECT_EQ(FloatToText(0.1), QStringLiteral("0.1"));
    EXPECT_EQ(FloatToText(1e6), QStringLiteral("1000000"));
}

TEST(LossRate, MalformedTextIsRefused)
{
    for (const char* good : {"", "5%", "10|100:2%|1000:1%+", "100:2%|", " 1.5 % "})
        EXPECT_TRUE(CheckLossRateText(QString::fromUtf8(good)).isEmpty()) << good;
    for (const char* bad : {"abc", "5%%", "x:5%", "10|:2%", "|", "5%|1:2:3%", "%"})
        EXPECT_EQ(CheckLossRateText(QString::fromUtf8(bad)), QStringLiteral("损耗率(%1)格式无效!").arg(QString::fromUtf8(bad)))
            << bad;
}

TEST(LossRate, SegmentTableChecks)
{
    struct Case {
        QList<TLossSegment> rows;
        bool divide;
        int row;
        int column;
        const char* message;
    };
    const Case cases[] = {
        {{{-1, lstPercent, 2}}, false, 0, 0, "[标准用量]的值(-1)没有大于或等于0 !"},
        {{{100, lstPercent, 2}, {50, lstPercent, 1}}, false, 1, 0, "分段的标准用量(50)不能小于前面分段的值(100)!"},
        {{{100, lstSmooth, 2}}, false, 0, 1, "[平滑至百分比]类型分段只能出现在[百分比]或[平滑至百分比]类型分段之后!"},
        {{{0, lstFixed, 5}, {100, lstSmooth, 2}}, false, 1, 1, "[平滑至百分比]类型分段只能出现在[百分比]或[平滑至百分比]类型分段之后!"},
        {{{100, lstPercent, 2}, {100, lstSmooth, 1}}, false, 1, 0, "[平滑至百分比]类型分段的标准用量(100)没有大于前面分段的值(100)!"},
        {{{0, lstFixed, 5}, {0, lstPercent, 1}, {100, lstPercent, 2}}, false, 1, 0, "中间分段的标准用量不能等于0 !"},
        {{{100, lstPercent, 2}, {0, lstFixed, 1}}, false, 1, 1, "尾分段的标准用量为0时(表示标准用量无上限), 只能设置[百分比]类型的损耗值!"},
        {{{0, lstFixed, 1}}, false, 0, 1, "尾分段的标准用量为0时(表示标准用量无上限), 只能设置[百分比]类型的损耗值!"},
        {{{0, lstPercent, 1}, {100, lstPercent, 2}}, false, 0, 1, "首分段的标准用量为0时(表示标准用量任意), 只能设置[固定数量]类型的损耗值!"},
        {{{100, lstPercent, -2}}, false, 0, 2, "[损耗值]的值(-2)没有大于或等于0 !"},
        {{{100, lstFixed, 0}, {0, lstPercent, 2}}, false, 0, 2, "[固定数量]类型的损耗值不能等于0 !"},
        {{{0, lstPercent, 100.5}}, true, 0, 2, "当前系统损耗率模式下[公式: 投料数=标准用量÷(1-损耗率%)], 损耗值不能大于100% !"},
        {{{0, lstPercent, 100}}, true, 0, 2, "当前系统损耗率模式下[公式: 投料数=标准用量÷(1-损耗率%)], 损耗值不能大于100% !"},
        {{{100, lstPercent, 2}, {200, lstSmooth, 2}}, false, 1, 2, "[平滑至百分比]类型的损耗值不能与前面分段的值相同!"},
    };
    for (const Case& c : cases) {
        QString text = QStringLiteral("unchanged");
        const TLossRateFault f = WriteLossRate(c.rows, c.divide, text);
        EXPECT_EQ(f.Row, c.row) << c.message;
        EXPECT_EQ(f.Column, c.column) << c.message;
        EXPECT_EQ(f.Message, QString::fromUtf8(c.message));
        EXPECT_EQ(text, QStringLiteral("unchanged"));
    }
    // The same value above 100 is fine in multiply mode and for a fixed quantity.
    QString text;
    EXPECT_EQ(WriteLossRate({{0, lstPercent, 150}}, false, text).Row, -1);
    EXPECT_EQ(text, QStringLiteral("150%"));
    EXPECT_EQ(WriteLossRate({{0, lstFixed, 150}, {10, lstPercent, 1}}, true, text).Row, -1);
    EXPECT_EQ(text, QStringLiteral("150|10:1%"));
}

TEST(LossRate, SegmentDescriptions)
{
    const QList<TLossSegment> rows{{0, lstFixed, 10}, {100, lstPercent, 2}, {1000, lstSmooth, 1}, {0, lstPercent, 1}};
    EXPECT_EQ(LossSegmentDescription(rows, 0), QStringLiteral("任意标准用量"));
    EXPECT_EQ(LossSegmentDescription(rows, 1), QStringLiteral("标准用量 ≤ 100"));
    EXPECT_EQ(LossSegmentDescription(rows, 2), QStringLiteral("100 < 标准用量 ≤ 1000"));
    EXPECT_EQ(LossSegmentDescription(rows, 3), QStringLiteral("1000 < 标准用量"));
}
