// The deduction actions the host starts on its lists, on the demo factory: the automatic
// deduction through its dialog with remembered choices and an Esc that stops it, lines excluded
// and readmitted, and log rows cleared with their quantities.
#include "masterdatafixture.h"

#include "db/settings.h"
#include "db/shared.h"
#include "deduction/deductautodlg.h"
#include "deduction/deductlog.h"
#include "fakeview.h"
#include "kx_mrp/exports.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {


// The condition editor of the host, answering for the forecasts only.
bool PickCondition(const TInfoObjectDef* def, QString& code, bool, QString& text, void*)
{
    if (def->ID != QLatin1String("KX_MRP.Forcast"))
        return false;
    code = QStringLiteral("ForDelivDate>=2000-01-01");
    text = QStringLiteral("s.ForDelivDate>='20000101'");
    return true;
}

} // namespace

class DeductActions : public TMasterDataTest {
public:
    static void SetUpTestSuite() { TMasterDataTest::SetUpTestSuite(); }

protected:
    void SetUp() override
    {
        TMasterDataTest::SetUp();
        Exec(QStringLiteral("truncate KX_MRP_Deduction, KX_MRP_ForcastExt, KX_MRP_SOExt, KX_MRP_SIExt; "
                            "delete from KX_SYS_UserSettings where SetKey like 'AutoDeduct%'"));
    }
    static int LogRows() { return Scalar(QStringLiteral("select count(*) from KX_MRP_Deduction")).toInt(); }
    static bool RunAction(const QString& objectID, const QString& actionID, IInfoView* view)
    {
        bool handled = false;
        LoadInfoAction(Env(), Def(objectID), actionID, view, &handled);
        return handled;
    }
};

TEST_F(DeductActions, AutoDeductRunsWithTheDialogsChoicesAndRemembersThem)
{
    Host().Env.SelectFilter = PickCondition;
    OnNextDialog<TDeductAutoDlg>([](TDeductAutoDlg* dlg) {
        // First time: the defaults.
        EXPECT_TRUE(dlg->rbDays->isChecked());
        EXPECT_EQ(dlg->edtDaysBefore->value(), 0);
        EXPECT_EQ(dlg->edtDaysAfter->value(), 30);
        EXPECT_TRUE(dlg->chkKeepLast->isChecked());
        EXPECT_EQ(dlg->memSO->toPlainText(), QStringLiteral("(默认范围)"));
        EXPECT_FALSE(dlg->chkSpan2Month->isEnabled());
        dlg->edtDaysBefore->setValue(14);
        dlg->EditCondition(QStringLiteral("KX_MRP.Forcast"));
        EXPECT_EQ(dlg->memForcast->toPlainText(), QStringLiteral("s.ForDelivDate>='20000101'"));
        dlg->resize(600, 440);
        EXPECT_TRUE(SavePicture(dlg, QStringLiteral("deduct_auto_dialog.png")));
        dlg->accept();
    });
    {
        TScriptedMessages messages;
        EXPECT_TRUE(RunAction(QStringLiteral("KX_MRP.Forcast"), QStringLiteral("AutoDed"), nullptr));
        EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("执行完成。")});
    }
    // The four pairs of the demo within 14 days before and 30 after (see deductmps_test).
    EXPECT_EQ(LogRows(), 4);
    EXPECT_TRUE(CheckDeductionRules(SharedConnection()).isEmpty());
    QString remembered;
    ReadSetting(QStringLiteral("KX_MRP"), QStringLiteral("AutoDeductOptions"), remembered, false);
    EXPECT_EQ(remembered.section(u',', 4, 6), QStringLiteral("14,30,1"));

    // The next time the dialog opens as it was left; Cancel runs nothing.
    OnNextDialog<TDeductAutoDlg>([](TDeductAutoDlg* dlg) {
        EXPECT_EQ(dlg->edtDaysBefore->value(), 14);
        EXPECT_EQ(dlg->memForcast->toPlainText(), QStringLiteral("s.ForDelivDate>='20000101'"));
        dlg->reject();
    });
    TScriptedMessages none;
    EXPECT_TRUE(RunAction(QStringLiteral("KX_MRP.SO"), QStringLiteral("AutoDed"), nullptr));
    EXPECT_EQ(none.Count(), 0);
    Host().Env.SelectFilter = nullptr;
}

TEST_F(DeductActions, AnEscStopsTheAutomaticDeductionBeforeItPairsAnything)
{
    OnNextDialog<TDeductAutoDlg>([](TDeductAutoDlg* dlg) {
        dlg->edtDaysBefore->setValue(14);
        dlg->accept();
    });
    TEscapeHold esc;
    TScriptedMessages messages({mrYes});
    EXPECT_TRUE(RunAction(QStringLiteral("KX_MRP.Forcast"), QStringLiteral("AutoDed"), nullptr));
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("您已按下[Esc]键, 中止正在执行的操作?")});
    EXPECT_EQ(LogRows(), 0);
}

TEST_F(DeductActions, LinesAreExcludedAndReadmittedAndLogRowsClearedWithTheirQuantities)
{
    TFakeListView orders;
    {
        TScriptedMessages messages;
        EXPECT_TRUE(RunAction(QStringLiteral("KX_MRP.SO"), QStringLiteral("NoAutoDed"), &orders));
        EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("请选择待处理数据后重试!")});
    }
    orders.Rows << QVariantMap{{QStringLiteral("SOID"), QStringLiteral("DM-SO-01")}, {QStringLiteral("SOEntry"), 2}};
    {
        TScriptedMessages messages({mrOK});
        EXPECT_TRUE(RunAction(QStringLiteral("KX_MRP.SO"), QStringLiteral("NoAutoDed"), &orders));
        EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("您所选的单据行将被禁止自动冲销, 确定?")});
    }
    EXPECT_EQ(Rows(QStringLiteral("select SOID||'/'||SOEntry||' '||SOItmID||' '||SODedADis from KX_MRP_SOExt")),
              QStringList{QStringLiteral("DM-SO-01/2 DM-I-WS40 1")});
    {
        TScriptedMessages cancelled({mrCancel});
        EXPECT_TRUE(RunAction(QStringLiteral("KX_MRP.SO"), QStringLiteral("CanAutoDed"), &orders));
        EXPECT_EQ(Scalar(QStringLiteral("select SODedADis from KX_MRP_SOExt")).toInt(), 1);
        TScriptedMessages readmitted({mrOK});
        EXPECT_TRUE(RunAction(QStringLiteral("KX_MRP.SO"), QStringLiteral("CanAutoDed"), &orders));
        EXPECT_EQ(readmitted.Texts(), QStringList{QStringLiteral("您所选的单据行将被重新允许自动冲销, 确定?")});
        EXPECT_EQ(Scalar(QStringLiteral("select SODedADis from KX_MRP_SOExt")).toInt(), 0);
    }

    // Two pairs on the wall-fan forecast FC2611-001/2; clearing one takes back its 100 from both lines.
    Exec(QStringLiteral("insert into KX_MRP_Deduction (DedForID, DedForEntry, DedOrdType, DedOrdID, DedOrdEntry, DedForQty, DedOrdQty, "
                        "DedManual) values ('DM-FC-01', 2, 2, 'DM-SO-01', 2, 100, 100, 0), ('DM-FC-01', 2, 4, 'DM-SI-01', 2, 30, 30, 1);"
                        "insert into KX_MRP_ForcastExt (ForID, ForEntry, ForItmID, ForDedAQty, ForDedMQty) values ('DM-FC-01', 2, 'DM-I-WS40', 100, 30);"
                        "update KX_MRP_SOExt set SODedAQty=100;"
                        "insert into KX_MRP_SIExt (SIID, SIEntry, SIItmID, SIDedAQty, SIDedMQty) values ('DM-SI-01', 2, 'DM-I-WS40', 0, 30)"));
    ASSERT_TRUE(CheckDeductionRules(SharedConnection()).isEmpty());
    TFakeListView log;
    log.Rows << QVariantMap{{QStringLiteral("DedIID"), Scalar(QStringLiteral("select DedIID from KX_MRP_Deduction where DedOrdType=2"))}};
    TScriptedMessages messages({mrOK});
    EXPECT_TRUE(RunAction(QStringLiteral("KX_MRP.DeductLog"), QStringLiteral("ClearDed"), &log));
    EXPECT_EQ(messages.Texts(), (QStringList{QStringLiteral("对所选择数据进行[清除冲销], 确定?"), QStringLiteral("[清除冲销]执行完成。")}));
    EXPECT_EQ(Rows(QStringLiteral("select DedOrdID||' '||DedForQty::float8 from KX_MRP_Deduction")), QStringList{QStringLiteral("DM-SI-01 30")});
    EXPECT_EQ(Rows(QStringLiteral("select ForDedAQty::float8||' '||ForDedMQty::float8 from KX_MRP_ForcastExt")), QStringList{QStringLiteral("0 30")});
    EXPECT_EQ(Scalar(QStringLiteral("select SODedAQty::float8 from KX_MRP_SOExt")).toDouble(), 0);
    EXPECT_TRUE(CheckDeductionRules(SharedConnection()).isEmpty());
}
