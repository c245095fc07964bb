#include "db/errors.h"
#include "db/escape.h"
#include "db/messages.h"

#include "testhost.h"

#include <gtest/gtest.h>

using namespace kx;
using kx::test::TEscapeHold;
using kx::test::TScriptedMessages;

TEST(Messages, CaptionsIconsAndDefaultAnswers)
{
    TScriptedMessages script;
    EXPECT_EQ(ShowWarning(QStringLiteral("w")), mrOK);
    EXPECT_EQ(ShowInfo(QStringLiteral("i")), mrOK);
    EXPECT_EQ(ShowError(QStringLiteral("e")), mrOK);
    EXPECT_EQ(ShowQuestion(QStringLiteral("q"), mbYesNo | mbDefButton2), mrNo);
    EXPECT_EQ(ShowQuestion(QStringLiteral("q"), mbYesNoCancel | mbDefButton3), mrCancel);
    EXPECT_EQ(ShowQuestion(QStringLiteral("q"), mbOKCancel), mrOK);
    ASSERT_EQ(script.Count(), 6);
    EXPECT_EQ(script.Requests()[0].Caption, QStringLiteral("警告"));
    EXPECT_EQ(script.Requests()[1].Caption, QStringLiteral("信息"));
    EXPECT_EQ(script.Requests()[2].Caption, QStringLiteral("错误"));
    EXPECT_EQ(script.Requests()[3].Caption, QStringLiteral("疑问"));
    EXPECT_EQ(script.Requests()[0].Buttons, int(mbOK));    // -1: the OK button alone
}

TEST(Messages, ExceptionsShowTheirReasonAndAbortsShowNothing)
{
    TScriptedMessages script;
    ShowException(EAbort());
    EXPECT_EQ(script.Count(), 0);
    ShowException(EDatabaseError(QStringLiteral("relation \"x\" does not exist"), 42, QStringLiteral("42P01")));
    EXPECT_EQ(script.LastText(), QStringLiteral("错误: relation \"x\" does not exist (错误号: 42)"));
    ShowException(EKxError(QStringLiteral("原因文本")));
    EXPECT_EQ(script.LastText(), QStringLiteral("程序执行出现错误!\r\r原因: 原因文本"));
    ShowException(std::runtime_error("plain"));
    EXPECT_EQ(script.LastText(), QStringLiteral("程序执行出现错误!\r\r原因: plain"));
}

TEST(Escape, AsksOnlyWhenHeldAndAbortsOnYes)
{
    TScriptedMessages script({mrNo, mrYes, mrYes});
    EXPECT_FALSE(CheckEscape(true));          // not held: no question at all
    EXPECT_EQ(script.Count(), 0);
    TEscapeHold hold;
    EXPECT_FALSE(CheckEscape(true));          // held, but the user answers No
    EXPECT_EQ(script.LastText(), QStringLiteral("您已按下[Esc]键, 中止正在执行的操作?"));
    EXPECT_EQ(script.Requests().last().Buttons, mbYesNo | mbDefButton2);
    EXPECT_THROW(CheckEscape(true), EAbort);
    EXPECT_TRUE(CheckEscape(false));
    EXPECT_EQ(EAbort().Message(), QStringLiteral("按下[Esc]键中止操作"));
}

TEST(Escape, HoldAfterPollsLetsTheFirstStepsRun)
{
    TScriptedMessages script({mrYes});
    TEscapeHold hold(2);
    EXPECT_FALSE(CheckEscape(false));
    EXPECT_FALSE(CheckEscape(false));
    EXPECT_TRUE(CheckEscape(false));
    EXPECT_EQ(hold.Polls(), 3);
}
