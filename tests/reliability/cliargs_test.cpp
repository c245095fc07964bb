// A command's options are read against their kind and range; anything else ends the command
// with exit 2, the option, the value and what is expected. A command a signal reached ends
// saying whether its work was undone or had been completed.
#include "cliargs.h"
#include "clihost.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace kx;
using namespace kx::cli;

namespace {

// The refusal of reading args with read, or "" when it reads.
QString Refusal(const QStringList& args, const std::function<void(TCliArgs&)>& read)
{
    try {
        TCliArgs a(args, QStringLiteral("scheme create"), QStringLiteral("用法\n"));
        read(a);
        a.Finish();
    } catch (const ECliRefusal& e) {
        EXPECT_EQ(e.Status(), esUsage);
        EXPECT_EQ(e.Usage(), QStringLiteral("用法\n"));
        return e.Message();
    }
    return QString();
}

} // namespace

TEST(CliArgs, OptionsOutOfKindOrRangeAreRefusedNamingOptionValueAndExpectation)
{
    auto source = [](TCliArgs& a) { (void)a.Int("source", 0, 3, 0); };
    auto track = [](TCliArgs& a) { (void)a.OneOf("track", {0, 1, 2, 3, 4, 5, 9}, 0); };
    auto from = [](TCliArgs& a) { (void)a.Date("from", QDate(1900, 1, 1), QDate(9990, 12, 31), QDate()); };
    auto name = [](TCliArgs& a) { (void)a.Required("name", 100); };
    auto type = [](TCliArgs& a) { (void)a.OneOf("type", {QStringLiteral("so"), QStringLiteral("mo")}, QStringLiteral("so")); };
    struct TCase {
        QStringList Args;
        std::function<void(TCliArgs&)> Read;
        QString Expected;
    };
    const QString p = QStringLiteral("kxmrp scheme create: ");
    const TCase cases[] = {
        {{"--source", "2"}, source, {}},
        {{"--source=3"}, source, {}},
        {{"--source", "99"}, source, p + "参数--source的值(99)无效, 应为0到3之间的整数!"},
        {{"--source", "-1"}, source, p + "参数--source的值(-1)无效, 应为0到3之间的整数!"},
        {{"--source", "2x"}, source, p + "参数--source的值(2x)无效, 应为0到3之间的整数!"},
        {{"--source", "99999999999999"}, source, p + "参数--source的值(99999999999999)无效, 应为0到3之间的整数!"},
        {{"--source"}, source, p + "参数--source缺少值!"},
        {{"--source", "--lot"}, source, p + "参数--source缺少值!"},
        {{"--source", "1", "--source", "2"}, source, p + "参数--source重复给出!"},
        {{"--track", "8"}, track, p + "参数--track的值(8)无效, 应为0, 1, 2, 3, 4, 5, 9之一!"},
        {{"--track", "9"}, track, {}},
        {{"--from", "0001-01-01"}, from, p + "参数--from的值(0001-01-01)无效, 应为1900-01-01至9990-12-31之间的日期(yyyy-mm-dd)!"},
        {{"--from", "2026-02-30"}, from, p + "参数--from的值(2026-02-30)无效, 应为1900-01-01至9990-12-31之间的日期(yyyy-mm-dd)!"},
        {{"--from", "2026/12/07"}, from, {}},
        {{"--name", QString(101, QLatin1Char('x'))}, name, p + "参数--name的值(" + QString(60, QLatin1Char('x')) + ")无效, 长度101个字符, 不能超过100个字符!"},
        {{"--name", "a\tb"}, name, p + "参数--name的值(a\tb)无效, 不能含有制表符、换行等控制字符!"},
        {{"--name", "  "}, name, p + "必须给出参数--name!"},
        {{}, name, p + "必须给出参数--name!"},
        {{"--type", "bogus"}, type, p + "参数--type的值(bogus)无效, 应为so, mo之一!"},
        {{"--type", "MO"}, type, {}},
        {{"--name", "A", "--colour", "red"}, name, p + "未知参数 --colour red"},
        {{"--name", "A", "extra"}, name, p + "未知参数 extra"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Refusal(c.Args, c.Read), c.Expected) << c.Args.join(QLatin1Char(' ')).toStdString();
}

TEST(CliArgs, HelpAnywhereAsksForTheUsage)
{
    for (const QStringList& args : {QStringList{"--help"}, QStringList{"--name", "A", "-h"}}) {
        try {
            TCliArgs a(args, QStringLiteral("run"), QStringLiteral("用法: kxmrp run\n"));
            ADD_FAILURE() << "no help";
        } catch (const ECliHelp& help) {
            EXPECT_EQ(help.Message(), QStringLiteral("用法: kxmrp run\n"));
        }
    }
    TCliArgs a({QStringLiteral("--lot"), QStringLiteral("--loss")}, QStringLiteral("x"), QString());
    EXPECT_TRUE(a.Flag("lot"));
    EXPECT_FALSE(a.Flag("item-track"));
    EXPECT_TRUE(a.Has("loss"));
    EXPECT_THROW(a.Finish(), ECliRefusal);
}

TEST(CliEnd, ASignalUndoesTheWorkInFlightButNotWorkAlreadyCompleted)
{
    struct TCase {
        int Status;
        int Signal;
        int Expected;
        QString Message;
    };
    const QString undone = QStringLiteral("kxmrp: 操作被%1中断, 进行中的工作已撤销, 数据保持原样。");
    const QString completed = QStringLiteral("kxmrp: 收到%1时操作已经完成, 结果已保存。");
    const TCase cases[] = {
        {esFailed, SIGINT, 130, undone.arg(QStringLiteral("Ctrl-C"))},
        {esFailed, SIGTERM, 143, undone.arg(QStringLiteral("终止信号"))},
        // A refusal the signal overtook ends as interrupted: nothing was written either way.
        {esRefused, SIGINT, 130, undone.arg(QStringLiteral("Ctrl-C"))},
        // A run that saved its results before the signal came: it must not claim to have undone them.
        {esDone, SIGINT, 0, completed.arg(QStringLiteral("Ctrl-C"))},
        {esDone, SIGTERM, 0, completed.arg(QStringLiteral("终止信号"))},
    };
    for (const TCase& c : cases) {
        const TInterruptedEnd end = InterruptedEnd(c.Status, c.Signal);
        EXPECT_EQ(end.Status, c.Expected) << c.Status << " " << c.Signal;
        EXPECT_EQ(end.Message, c.Message) << end.Message.toStdString();
    }
    // A release stopped after some bills were saved keeps them: it must not claim nothing was written.
    const TInterruptedEnd partly = InterruptedEnd(esFailed, SIGINT, true);
    EXPECT_EQ(partly.Status, 130);
    EXPECT_EQ(partly.Message, QStringLiteral("kxmrp: 操作被Ctrl-C中断, 中断前已保存的部分保留, 进行中的部分已撤销。"));
    EXPECT_EQ(InterruptedEnd(esDone, SIGINT, true).Status, 0);
}
