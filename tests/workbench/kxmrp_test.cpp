// What the workbench does, headless through kxmrp on the test database: schemes changed,
// copied and deleted with the same checks and messages, main demand copied from another
// scheme, and a run stopped by Ctrl-C that leaves everything as it was.
#include "workbenchfixture.h"

#include "db/shared.h"

#include <QProcess>

#include <csignal>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

struct TOutput {
    int Exit = -1;
    QString Out, Err;
};

} // namespace

class Kxmrp : public TWorkbenchTest {
public:
    static void SetUpTestSuite() { TWorkbenchTest::SetUpTestSuite(); }

protected:
    // The command run by the demo planner on the test database.
    static QStringList Args(const QStringList& command)
    {
        return QStringList{QStringLiteral("--server"), TTestDatabase::Server(), QStringLiteral("--database"), DatabaseName(),
                           QStringLiteral("--login"), QStringLiteral("liming"), QStringLiteral("--password"), QStringLiteral("liming123")}
            + command;
    }
    static TOutput Run(const QStringList& command)
    {
        QProcess p;
        p.start(QStringLiteral(KX_KXMRP), Args(command));
        EXPECT_TRUE(p.waitForFinished(120000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }
    static int IIDOf(const QString& name)
    {
        return Scalar(QStringLiteral("select SchIID from KX_MRP_Schemes where SchName='%1'").arg(name)).toInt();
    }
};

TEST_F(Kxmrp, SchemesAreChangedCopiedAndDeletedWithTheWorkbenchChecks)
{
    const int source = PrepareScheme(QStringLiteral("命令源"), true, true);
    TOutput r = Run({QStringLiteral("scheme"), QStringLiteral("update"), QStringLiteral("--scheme"), QString::number(source),
                     QStringLiteral("--scope"), QStringLiteral("5"), QStringLiteral("--lot")});
    ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
    EXPECT_TRUE(r.Out.contains(QStringLiteral("状态: 4 (方案参数有变, 需重新运算MRP)"))) << r.Out.toStdString();
    EXPECT_EQ(Scalar(QStringLiteral("select SchNeedScope||'/'||SchCareLot from KX_MRP_Schemes where SchIID=%1").arg(source)).toString(),
              QStringLiteral("5/1"));

    // The name must be new among the planner's schemes, as in the workbench.
    r = Run({QStringLiteral("scheme"), QStringLiteral("copy"), QStringLiteral("--scheme"), QString::number(source), QStringLiteral("--name"),
             QStringLiteral("命令源"), QStringLiteral("--results")});
    EXPECT_EQ(r.Exit, 2);
    EXPECT_TRUE(r.Err.contains(QStringLiteral("[方案名称]的值(命令源)已经存在!"))) << r.Err.toStdString();

    r = Run({QStringLiteral("scheme"), QStringLiteral("copy"), QStringLiteral("--scheme"), QString::number(source), QStringLiteral("--name"),
             QStringLiteral("命令副本"), QStringLiteral("--results")});
    ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
    const int copy = IIDOf(QStringLiteral("命令副本"));
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_Supplies where SupSchIID=%1").arg(copy)),
              Scalar(QStringLiteral("select count(*) from KX_MRP_Supplies where SupSchIID=%1").arg(source)));

    // Main demand taken from the copy into a scheme fed by import.
    const int target = PrepareScheme(QStringLiteral("命令目标"), false);
    Exec(QStringLiteral("update KX_MRP_Schemes set SchMpsSource=3, SchState=2 where SchIID=%1").arg(target));
    r = Run({QStringLiteral("mps"), QStringLiteral("--scheme"), QString::number(target), QStringLiteral("--copy-from"), QString::number(copy)});
    ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_MRP_Main where ManSchIID=%1").arg(target)),
              Scalar(QStringLiteral("select count(*) from KX_MRP_Main where ManSchIID=%1").arg(source)));

    // Deleting asks for confirmation; a published scheme cannot be deleted.
    r = Run({QStringLiteral("scheme"), QStringLiteral("delete"), QStringLiteral("--scheme"), QString::number(copy)});
    EXPECT_EQ(r.Exit, 1);
    EXPECT_TRUE(r.Out.contains(QStringLiteral("删除计划方案[命令副本], 其主需求、MRP结果以及手工调整数据都被永久清除, 确定?")));
    EXPECT_EQ(IIDOf(QStringLiteral("命令副本")), copy);
    r = Run({QStringLiteral("scheme"), QStringLiteral("delete"), QStringLiteral("--scheme"), QString::number(copy), QStringLiteral("--yes")});
    EXPECT_EQ(r.Exit, 0) << r.Err.toStdString();
    EXPECT_EQ(IIDOf(QStringLiteral("命令副本")), 0);
    Exec(QStringLiteral("update KX_MRP_Schemes set SchState=8 where SchIID=%1").arg(target));
    r = Run({QStringLiteral("scheme"), QStringLiteral("delete"), QStringLiteral("--scheme"), QString::number(target), QStringLiteral("--yes")});
    EXPECT_EQ(r.Exit, 1);
    EXPECT_TRUE(r.Err.contains(QStringLiteral("计划方案[命令目标]当前状态为\"计划方案已发布\", 不能删除!"))) << r.Err.toStdString();
}

TEST_F(Kxmrp, RunStoppedByCtrlCLeavesResultsStateAndLogAsTheyWere)
{
    const int iid = PrepareScheme(QStringLiteral("中断运算"), true, true);
    const QString before = ResultsDigest(iid);
    // Each level waits a second, so that the interrupt lands inside one.
    Exec(QStringLiteral("alter procedure KX_MRP_SetBOMForDemand rename to KX_MRP_SetBOMForDemand_Kept;\r"
                        "create procedure KX_MRP_SetBOMForDemand(Level integer default -1) language plpgsql as $$ begin "
                        "perform pg_sleep(1); call KX_MRP_SetBOMForDemand_Kept(Level); end $$"));
    QProcess p;
    p.start(QStringLiteral(KX_KXMRP), Args({QStringLiteral("run"), QStringLiteral("--scheme"), QString::number(iid)}));
    ASSERT_TRUE(p.waitForStarted());
    QString out;
    while (!out.contains(QStringLiteral("运算第2层")) && p.state() == QProcess::Running && p.waitForReadyRead(30000))
        out += QString::fromUtf8(p.readAllStandardOutput());
    ASSERT_TRUE(out.contains(QStringLiteral("运算第2层"))) << out.toStdString();
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    Exec(QStringLiteral("drop procedure KX_MRP_SetBOMForDemand;\r"
                        "alter procedure KX_MRP_SetBOMForDemand_Kept rename to KX_MRP_SetBOMForDemand"));
    EXPECT_EQ(p.exitCode(), 130) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("操作被Ctrl-C中断, 进行中的工作已撤销, 数据保持原样。"))) << err.toStdString();
    EXPECT_EQ(ResultsDigest(iid), before);
}
