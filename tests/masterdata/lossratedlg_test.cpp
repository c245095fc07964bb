// The loss-rate dialog: a text opened as segment rows and written back, faults that focus
// their cell, the trial calculation, clearing, and the row buttons.
#include "masterdata/lossratedlg.h"
#include "lossratemode.h"
#include "testhost.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

TEST(LossRateDialog, OpensATextAsRowsAndWritesItBack)
{
    TLossMode mode(false);
    TLossRateDlg dlg(QStringLiteral(" 10|100:2%|1000:1%+ "));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("投料损耗率设置"));
    EXPECT_EQ(dlg.lblFormula->text(), QStringLiteral("当前系统公式: 投料数=标准用量×(1+损耗率%)"));
    ASSERT_EQ(dlg.Rows().size(), 3);
    EXPECT_EQ(dlg.RowDescription(0), QStringLiteral("任意标准用量"));
    EXPECT_EQ(dlg.RowDescription(1), QStringLiteral("标准用量 ≤ 100"));
    EXPECT_EQ(dlg.RowDescription(2), QStringLiteral("100 < 标准用量 ≤ 1000"));
    const QAbstractItemModel* model = dlg.trlLossRate->model();
    EXPECT_EQ(model->index(2, 2).data().toString(), QStringLiteral("平滑至百分比(%)"));
    EXPECT_EQ(model->index(0, 2).data().toString(), QStringLiteral("固定数量"));
    // An edit of a bound changes the descriptions that depend on it.
    dlg.SetRow(1, {200, lstPercent, 2});
    EXPECT_EQ(dlg.RowDescription(2), QStringLiteral("200 < 标准用量 ≤ 1000"));
    // A smooth segment to a greater value is written "%-".
    dlg.SetRow(2, {1000, lstSmooth, 3});
    TScriptedMessages script;
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(script.Count(), 0);
    EXPECT_EQ(dlg.LossRateText(), QStringLiteral("10|200:2%|1000:3%-"));
}

TEST(LossRateDialog, AFaultIsShownAndFocusesItsCell)
{
    TLossMode mode(false);
    const struct {
        QList<TLossSegment> Rows;
        const char* Message;
        int Row, Column;                  // columns: usage 0, description 1, type 2, value 3
    } cases[] = {
        {{{-5, lstPercent, 2}}, "[标准用量]的值(-5)没有大于或等于0 !", 0, 0},
        {{{0, lstFixed, 5}, {0, lstPercent, 1}, {1000, lstPercent, 1}}, "中间分段的标准用量不能等于0 !", 1, 0},
        {{{0, lstPercent, 5}, {100, lstPercent, 2}}, "首分段的标准用量为0时(表示标准用量任意), 只能设置[固定数量]类型的损耗值!", 0, 2},
        {{{100, lstPercent, -1}}, "[损耗值]的值(-1)没有大于或等于0 !", 0, 3},
    };
    for (const auto& c : cases) {
        TLossRateDlg dlg{QString()};
        for (int i = 0; i < c.Rows.size(); ++i) {
            if (i > 0) {
                dlg.trlLossRate->setCurrentIndex(dlg.trlLossRate->model()->index(i - 1, 0));
                dlg.InsertRow();
                // Leaving the cell posts the editor the new row opened with.
                dlg.trlLossRate->setCurrentIndex(dlg.trlLossRate->model()->index(i, 3));
            }
            dlg.SetRow(i, c.Rows[i]);
        }
        TScriptedMessages script;
        dlg.accept();
        EXPECT_NE(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(script.Texts(), QStringList{QString::fromUtf8(c.Message)});
        EXPECT_EQ(dlg.trlLossRate->currentIndex().row(), c.Row) << c.Message;
        EXPECT_EQ(dlg.trlLossRate->currentIndex().column(), c.Column) << c.Message;
    }
    // Divide mode refuses percentages that leave no issue quantity.
    TLossMode divide(true);
    TLossRateDlg dlg(QStringLiteral("100%"));
    EXPECT_EQ(dlg.lblFormula->text(), QStringLiteral("当前系统公式: 投料数=标准用量÷(1-损耗率%)"));
    TScriptedMessages script;
    dlg.accept();
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(script.LastText(), QStringLiteral("当前系统损耗率模式下[公式: 投料数=标准用量÷(1-损耗率%)], 损耗值不能大于100% !"));
}

TEST(LossRateDialog, TrialCalculationClearingAndRows)
{
    TLossMode mode(false);
    TLossRateDlg dlg(QStringLiteral("10|100:2%|1000:1%+"));
    dlg.edtTrialQty->setText(QStringLiteral("550"));
    dlg.btnTrial->click();
    EXPECT_EQ(dlg.edtTrialLoss->text(), QStringLiteral("18.75"));
    dlg.edtTrialQty->setText(QStringLiteral("1,000"));
    EXPECT_EQ(dlg.edtTrialLoss->text(), QString());            // a new usage clears the shown loss
    dlg.btnTrial->click();
    EXPECT_EQ(dlg.edtTrialLoss->text(), QStringLiteral("21"));
    {
        dlg.edtTrialQty->setText(QStringLiteral("0"));
        TScriptedMessages script;
        dlg.btnTrial->click();
        EXPECT_EQ(script.Texts(), QStringList{QStringLiteral("[标准用量]的值不能为零!")});
        EXPECT_EQ(dlg.edtTrialLoss->text(), QString());
    }
    // Removing every row leaves one empty percentage row; inserting adds after the focused one.
    for (int i = 0; i < 3; ++i) {
        dlg.trlLossRate->setCurrentIndex(dlg.trlLossRate->model()->index(0, 0));
        dlg.RemoveRow();
    }
    ASSERT_EQ(dlg.Rows().size(), 1);
    EXPECT_EQ(dlg.Rows()[0].Type, lstPercent);
    EXPECT_EQ(dlg.Rows()[0].Value, 0);
    dlg.InsertRow();
    EXPECT_EQ(dlg.Rows().size(), 2);
    EXPECT_EQ(dlg.trlLossRate->currentIndex().row(), 1);
    // "清除设置" confirms an empty text.
    dlg.btnClear->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.LossRateText(), QString());

    TLossRateDlg empty{QString()};
    ASSERT_EQ(empty.Rows().size(), 1);
    EXPECT_EQ(empty.RowDescription(0), QStringLiteral("任意标准用量"));

    TLossRateDlg shown(QStringLiteral("10|100:2%|1000:1%+"));
    shown.resize(640, 420);
    shown.show();
    shown.edtTrialQty->setText(QStringLiteral("550"));
    shown.btnTrial->click();
    EXPECT_TRUE(shown.grab().save(TestOutputPath(QStringLiteral("loss_rate_dialog.png"))));
}
