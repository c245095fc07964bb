// "kxmrp kit" and "kxmrp lack" as a nightly job uses them, on the demo factory (today
// 2026-12-07): the hand-derived kit and shortage cases of the analysis frames give the same
// figures, the lines are refused as the settings dialogs refuse them, and the private scheme
// of the run is gone afterwards whether the run completed, was refused or was interrupted.
#include "kxmrpprocess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

const QString kPrivateSchemes = QStringLiteral("select count(*) from KX_MRP_Schemes where SchType in (1, 2)");

QStringList Words(const char* text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

class MiniCommands : public TDemoDatabaseTest {
protected:
    TCliResult Kxmrp(const QStringList& args, const char* user = "liming") { return RunKxmrp(DatabaseName(), Login(user) + args); }
};

TEST_F(MiniCommands, TheHandCasesGiveTheFramesFigures)
{
    const struct {
        const char* Args;
        QStringList Out;
    } cases[] = {
        // 8 blue fans in stock, no DS30 head for the other 142; 120 blades for 50.
        {"kit --lines SO2611-002/2,SO2612-004/2 --one-level --no-loss",
         {QStringLiteral("类型\t需求单号\t需求行\t物料代码\t物料名称\t规格型号\t需求日期\t需求数量\t齐套数量\t缺口数量\t齐套率(%)"),
          QStringLiteral("销售订单\tSO2611-002\t2\t1.01.002\t台扇\tDS-30 30cm 三档\t2026/12/19\t150\t8\t142\t5.33"),
          QStringLiteral("销售订单\tSO2612-004\t2\t2.05.001\t扇叶\t40cm 五叶 ABS\t2026/12/22\t50\t50\t0\t100")}},
        // The fan heads' open material against stock: the gear boxes leave 130 of 150 heads.
        {"lack --lines MO2611-001/2 --no-loss --today-dates",
         {QStringLiteral("生产/委外单\t物料代码\t物料名称\t规格型号\t投料日期\t需求数量\t库存满足\t缺料数量\t订单齐套数量"),
          QStringLiteral("MO2611-001/2\t3.01.001\t电机\tYYF-40 40W 220V\t2026/12/06\t60\t25\t35\t130"),
          QStringLiteral("MO2611-001/2\t4.06.002\t后壳\tFS-40 ABS 白\t2026/12/06\t60\t55\t5\t130"),
          QStringLiteral("MO2611-001/2\t4.07.005\t摇头齿轮箱\t同步电机 TYJ50\t2026/12/06\t60\t40\t20\t130")}},
    };
    for (const auto& c : cases) {
        const TCliResult r = Kxmrp(Words(c.Args));
        EXPECT_EQ(r.Status, 0) << c.Args << r.Err.toStdString();
        EXPECT_EQ(r.Out.split(QLatin1Char('\n'), Qt::SkipEmptyParts), c.Out) << c.Args;
        EXPECT_EQ(Scalar(kPrivateSchemes).toInt(), 0) << c.Args;
    }

    // From the heads' BOM as it is now: 150 of each part, of which stock leaves 125 motors, 90
    // front and 95 back shells and 110 gear boxes open (the screws are covered); 40 heads are
    // kit-complete. The same summary goes into the file asked for.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("缺料.csv"));
    const TCliResult r = Kxmrp(Words("lack --lines MO2611-001/2 --no-loss --today-dates --current-bom --output") + QStringList{file});
    EXPECT_EQ(r.Status, 0) << r.Err.toStdString();
    QStringList shortages;
    for (const QString& line : r.Out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1))
        shortages << QStringList{line.section(QLatin1Char('\t'), 1, 1), line.section(QLatin1Char('\t'), 7, 8)}.join(QLatin1Char(' '));
    EXPECT_EQ(shortages, (QStringList{QStringLiteral("3.01.001 125\t40"), QStringLiteral("4.06.001 90\t40"), QStringLiteral("4.06.002 95\t40"),
                                      QStringLiteral("4.07.005 110\t40")}));
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(written.readAll()).remove(QChar(0xFEFF)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    EXPECT_EQ(rows.value(0), QStringLiteral("生产/委外单,物料代码,物料名称,规格型号,投料日期,需求数量,库存满足,缺料数量,订单齐套数量"));
    EXPECT_EQ(rows.size(), 5);
    EXPECT_TRUE(rows.value(1).startsWith(QStringLiteral("MO2611-001/2,3.01.001,电机,"))) << rows.value(1).toStdString();
    EXPECT_TRUE(rows.value(1).endsWith(QStringLiteral(",150,25,125,40"))) << rows.value(1).toStdString();
    EXPECT_EQ(Scalar(kPrivateSchemes).toInt(), 0);
}

TEST_F(MiniCommands, LinesAreRefusedAsTheSettingsDialogsRefuseThem)
{
    const struct {
        const char* Args;
        const char* User;
        int Status;
        QString Says;
    } cases[] = {
        {"kit --lines SO2611-002/2,SO2612-004/2,SO2611-002/2", "liming", 2,
         QStringLiteral("kxmrp kit: 以下配套主需求行前面已经存在, 请修正!\n\n类型: 销售订单　需求单号: SO2611-002　需求行: 2　物料代码: 1.01.002")},
        {"lack --lines MO2612-001/1,MO2612-001/1 --today-dates", "liming", 2,
         QStringLiteral("kxmrp lack: 以下投料需求行前面已经存在, 请修正!\n\n类型: 生产任务　单据号: MO2612-001　单据行: 1　产品代码: 3.01.001")},
        // Nobody answers the desktop's question: the run is refused, naming the line and its date.
        {"kit --lines SO2611-002/2,SO2611-001/1", "liming", 2,
         QStringLiteral("kxmrp kit: 发现存在需求日期早于今天的主需求行, 统一自动修正为今天?\n  SO2611-001/1 (2026/12/04)\n"
                        "加上--today-dates将这些行的日期修正为今天(2026/12/07)后分析。")},
        {"lack --lines MO2611-001/2", "liming", 2, QStringLiteral("kxmrp lack: 发现存在投料日期早于今天的单据行, 统一自动修正为今天?\n  MO2611-001/2 (2026/12/06)")},
        {"kit --lines SO2611-002/2,SO2611-002/9", "liming", 2, QStringLiteral("kxmrp kit: 单据行[SO2611-002/9]不存在")},
        // A production order is no demand line of the kit analysis.
        {"kit --lines MO2611-001/2", "liming", 2, QStringLiteral("kxmrp kit: 单据行[MO2611-001/2]不存在")},
        {"kit --lines SO2611-002", "liming", 2, QStringLiteral("参数--lines的值(SO2611-002)无效")},
        {"kit", "liming", 2, QStringLiteral("缺少参数--lines")},
        {"lack --lines MO2611-001/2 --orders mo", "liming", 2, QStringLiteral("请给出--lines (指定单据行) 或 --orders")},
        {"lack --lines MO2611-001/2 --until 2026-12-31", "liming", 2, QStringLiteral("参数--until只能与--orders同时使用!")},
        {"kit --lines SO2611-002/2 --output 结果.pdf", "liming", 2, QStringLiteral("命令行不能打印PDF")},
        {"kit --lines SO2611-002/2 --track 7", "liming", 2, QStringLiteral("参数--track的值(7)无效")},
        {"kit --lines SO2611-002/2", "zhangli", 3, QStringLiteral("访问信息对象\"齐套分析\"受到限制!")},
    };
    for (const auto& c : cases) {
        const TCliResult r = Kxmrp(Words(c.Args), c.User);
        EXPECT_EQ(r.Status, c.Status) << c.Args << r.Err.toStdString();
        EXPECT_TRUE(r.Err.contains(c.Says)) << c.Args << r.Err.toStdString();
        EXPECT_TRUE(r.Out.isEmpty()) << c.Args;
        EXPECT_EQ(Scalar(kPrivateSchemes).toInt(), 0) << c.Args;
    }
}

TEST_F(MiniCommands, AnInterruptedRunLeavesNoPrivateScheme)
{
    // Saving the analysis' parameters into its scheme holds the run in one statement until it is cancelled.
    const QVariant mainLines = Scalar(QStringLiteral("select count(*) from KX_MRP_Main"));
    Exec(QStringLiteral("create function kx_test_hold() returns trigger language plpgsql as $$ begin perform pg_sleep(120); return null; end $$;"
                        "create trigger hold_run before update on KX_MRP_Schemes for each statement execute function kx_test_hold()"));
    const QString sleeping = QStringLiteral("select count(*) from pg_stat_activity where datname=current_database() and wait_event='PgSleep'");
    QProcess p;
    StartKxmrp(p, DatabaseName(), Login("liming") + Words("kit --lines SO2611-002/2"));
    for (int waited = 0; waited < 600 && Scalar(sleeping).toInt() == 0; ++waited)
        QThread::msleep(100);
    ASSERT_EQ(Scalar(sleeping).toInt(), 1) << "the run did not reach its parameters";
    EXPECT_EQ(Scalar(kPrivateSchemes).toInt(), 1);
    ::kill(pid_t(p.processId()), SIGINT);
    const TCliResult r = Finished(p);
    Exec(QStringLiteral("drop trigger hold_run on KX_MRP_Schemes; drop function kx_test_hold()"));
    EXPECT_EQ(r.Status, 130) << r.Err.toStdString();
    EXPECT_TRUE(r.Err.contains(QStringLiteral("kxmrp: 操作被Ctrl-C中断, 进行中的工作已撤销, 数据保持原样。"))) << r.Err.toStdString();
    EXPECT_TRUE(r.Out.isEmpty());
    EXPECT_EQ(Scalar(kPrivateSchemes).toInt(), 0);
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_Main")), mainLines);
}
