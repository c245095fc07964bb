// The command line as a careless, hostile or unlucky user meets it: every command but info and
// db init runs as a logged-in user with the rights the desktop asks for the same work, every
// option is checked, every refusal is a sentence with its own exit status, an interrupt
// cancels the work in flight, a killed run leaves its scheme free at once, and two
// initialisations at once take turns.
#include "hostilefiles.h"
#include "kxmrpprocess.h"
#include "sessionfixture.h"

#include "db/errors.h"
#include "db/shared.h"
#include "engine/schemelock.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

class CommandLine : public TDemoDatabaseTest {
protected:
    TCliResult Kxmrp(const QStringList& args, const QProcessEnvironment& env = CleanEnvironment())
    {
        QProcess p;
        StartKxmrp(p, DatabaseName(), args, env);
        return Finished(p);
    }

    // A scheme of a user, created through the command line, with main demand and a run.
    int SchemeOf(const char* user, const QString& name)
    {
        const TCliResult created = Kxmrp(Login(user) + QStringList{QStringLiteral("scheme"), QStringLiteral("create"), QStringLiteral("--name"),
                                                                   name, QStringLiteral("--from"), QStringLiteral("2026-12-07"),
                                                                   QStringLiteral("--weeks"), QStringLiteral("8")});
        EXPECT_EQ(created.Status, 0) << created.Err.toStdString();
        const int iid = Scalar(QStringLiteral("select max(SchIID) from KX_MRP_Schemes")).toInt();
        const QStringList scheme{QStringLiteral("--scheme"), QString::number(iid)};
        EXPECT_EQ(Kxmrp(Login(user) + QStringList{QStringLiteral("mps")} + scheme).Status, 0);
        EXPECT_EQ(Kxmrp(Login(user) + QStringList{QStringLiteral("run")} + scheme).Status, 0);
        return iid;
    }
};

TEST_F(CommandLine, EveryRefusalIsASentenceWithItsExitStatus)
{
    const QString admins = QString::number(SchemeOf("admin", QStringLiteral("管理员的方案")));
    struct TCase {
        QStringList Args;
        int Status;
        QString Says;
    };
    const QStringList admin = Login("admin");
    const QStringList create = admin + QStringList{QStringLiteral("scheme"), QStringLiteral("create"), QStringLiteral("--name"), QStringLiteral("新方案")};
    const TCase cases[] = {
        {{QStringLiteral("--help")}, 0, QStringLiteral("用法: kxmrp")},
        {{QStringLiteral("run"), QStringLiteral("--help")}, 0, QStringLiteral("用法: kxmrp run")},
        {{}, 2, QStringLiteral("kxmrp: 缺少命令")},
        {{QStringLiteral("bogus")}, 2, QStringLiteral("kxmrp: 未知命令 bogus")},
        {{QStringLiteral("info")}, 0, QStringLiteral("服务器: PostgreSQL")},
        // The login.
        {{QStringLiteral("scheme"), QStringLiteral("list")}, 2, QStringLiteral("必须登录")},
        {{QStringLiteral("--login"), QStringLiteral("admin"), QStringLiteral("scheme"), QStringLiteral("list")}, 2,
         QStringLiteral("需要用户[admin]的登录密码")},
        {{QStringLiteral("--login"), QStringLiteral("admin"), QStringLiteral("--password"), QStringLiteral("admin"), QStringLiteral("scheme"),
          QStringLiteral("list")},
         3, QStringLiteral("用户[admin]登录被拒绝")},
        // Rights: the buyer may not run, the planner does not see the administrator's scheme, only
        // an administrator generates data.
        {Login("zhangli") + QStringList{QStringLiteral("run"), QStringLiteral("--scheme"), admins}, 3,
         QStringLiteral("用户[张丽]访问信息对象\"MRP计划方案\"受到限制! (需要[修改]权限)")},
        {Login("zhangli") + QStringList{QStringLiteral("mps"), QStringLiteral("--scheme"), admins}, 3,
         QStringLiteral("访问信息对象\"MRP计划方案\"受到限制!")},
        {Login("liming") + QStringList{QStringLiteral("run"), QStringLiteral("--scheme"), admins}, 1,
         QStringLiteral("kxmrp: 计划方案%1不存在!").arg(admins)},
        {Login("liming") + QStringList{QStringLiteral("scheme"), QStringLiteral("show"), QStringLiteral("--scheme"), admins}, 1,
         QStringLiteral("kxmrp: 计划方案%1不存在!").arg(admins)},
        {Login("liming") + QStringList{QStringLiteral("gen"), QStringLiteral("--replace")}, 3, QStringLiteral("生成测试数据需要系统管理员权限")},
        // Options.
        {create + QStringList{QStringLiteral("--source"), QStringLiteral("99")}, 2, QStringLiteral("参数--source的值(99)无效, 应为0到3之间的整数!")},
        {create + QStringList{QStringLiteral("--scope"), QStringLiteral("-1")}, 2, QStringLiteral("参数--scope的值(-1)无效")},
        {create + QStringList{QStringLiteral("--safety"), QStringLiteral("7")}, 2, QStringLiteral("参数--safety的值(7)无效")},
        {create + QStringList{QStringLiteral("--safety"), QStringLiteral("2"), QStringLiteral("--scope"), QStringLiteral("1")}, 2,
         QStringLiteral("参数--safety的值(2)无效, \"全部物料考虑\"只用于需求范围0(全局物料需求)!")},
        {create + QStringList{QStringLiteral("--track"), QStringLiteral("8")}, 2, QStringLiteral("参数--track的值(8)无效, 应为0, 1, 2, 3, 4, 5, 9之一!")},
        {create + QStringList{QStringLiteral("--calendar"), QStringLiteral("999")}, 2, QStringLiteral("参数--calendar的值(999)无效, 工厂日历不存在!")},
        {create + QStringList{QStringLiteral("--weeks"), QStringLiteral("0")}, 2, QStringLiteral("参数--weeks的值(0)无效, 应为1到156之间的整数!")},
        {create + QStringList{QStringLiteral("--weeks"), QStringLiteral("-3")}, 2, QStringLiteral("参数--weeks的值(-3)无效")},
        {create + QStringList{QStringLiteral("--days"), QStringLiteral("100000")}, 2, QStringLiteral("参数--days的值(100000)无效, 应为1到1096之间的整数!")},
        {create + QStringList{QStringLiteral("--days"), QStringLiteral("7"), QStringLiteral("--weeks"), QStringLiteral("2")}, 2,
         QStringLiteral("参数--days和--weeks只能给出一个!")},
        {create + QStringList{QStringLiteral("--from"), QStringLiteral("0001-01-01")}, 2, QStringLiteral("参数--from的值(0001-01-01)无效")},
        {admin + QStringList{QStringLiteral("scheme"), QStringLiteral("create"), QStringLiteral("--name"), QString(101, QLatin1Char('x'))}, 2,
         QStringLiteral("长度101个字符, 不能超过100个字符")},
        {admin + QStringList{QStringLiteral("scheme"), QStringLiteral("create"), QStringLiteral("--name"), QStringLiteral("管理员的方案")}, 2,
         QStringLiteral("[方案名称]的值(管理员的方案)已经存在!")},
        {admin + QStringList{QStringLiteral("mps"), QStringLiteral("--scheme"), admins, QStringLiteral("--type"), QStringLiteral("bogus")}, 2,
         QStringLiteral("参数--type和--merge只用于--import!")},
        {admin + QStringList{QStringLiteral("mps"), QStringLiteral("--scheme"), admins, QStringLiteral("--merge")}, 2,
         QStringLiteral("参数--type和--merge只用于--import!")},
        {admin + QStringList{QStringLiteral("mps"), QStringLiteral("--scheme"), admins, QStringLiteral("--import"), QStringLiteral("/nonexistent.csv")}, 2,
         QStringLiteral("参数--import的值(/nonexistent.csv)无效, 文件不存在或不能读取!")},
        {admin + QStringList{QStringLiteral("gen"), QStringLiteral("--levels"), QStringLiteral("1000"), QStringLiteral("--fanout"), QStringLiteral("1")}, 2,
         QStringLiteral("参数--levels的值(1000)无效")},
        {admin + QStringList{QStringLiteral("gen"), QStringLiteral("--levels"), QStringLiteral("30")}, 2,
         QStringLiteral("逐层展开的需求单号将长达97个字符, 超过单号的80个字符!")},
    };
    const QString before = ModuleTablesDigest();
    for (const TCase& c : cases) {
        const TCliResult r = Kxmrp(c.Args);
        EXPECT_EQ(r.Status, c.Status) << c.Args.join(QLatin1Char(' ')).toStdString() << "\n" << r.Err.toStdString();
        EXPECT_TRUE((r.Status == 0 ? r.Out : r.Err).contains(c.Says)) << c.Args.join(QLatin1Char(' ')).toStdString() << "\n"
                                                                       << r.Out.toStdString() << r.Err.toStdString();
    }
    EXPECT_EQ(ModuleTablesDigest(), before);

    // An empty database name is refused, not taken for the login's own database.
    QProcess empty;
    empty.setProcessEnvironment(CleanEnvironment());
    empty.start(QStringLiteral(KX_KXMRP_PATH),
                {QStringLiteral("--server"), TTestDatabase::Server(), QStringLiteral("--database"), QString(), QStringLiteral("info")});
    const TCliResult r = Finished(empty);
    EXPECT_EQ(r.Status, 2);
    EXPECT_TRUE(r.Err.startsWith(QStringLiteral("kxmrp: 参数--database的值不能为空!"))) << r.Err.toStdString();

    // The login may come from the environment.
    QProcessEnvironment env = CleanEnvironment();
    env.insert(QStringLiteral("KXMRP_LOGIN"), QStringLiteral("liming"));
    env.insert(QStringLiteral("KXMRP_PASSWORD"), QStringLiteral("liming123"));
    EXPECT_EQ(Kxmrp({QStringLiteral("scheme"), QStringLiteral("list")}, env).Status, 0);
}

TEST_F(CommandLine, TheBuyerReadsOnlyWhatIsPublishedToHerAndATabCannotSplitAList)
{
    const int iid = SchemeOf("liming", QStringLiteral("计划发布"));
    // A name saved elsewhere with a tab in it.
    Exec(QStringLiteral("update KX_MRP_Schemes set SchName='计划'||chr(9)||'发布' where SchIID=%1").arg(iid));
    const QStringList list{QStringLiteral("scheme"), QStringLiteral("list")};
    EXPECT_FALSE(Kxmrp(Login("zhangli") + list).Out.contains(QString::number(iid)));
    Exec(QStringLiteral("update KX_MRP_Schemes set SchState=8 where SchIID=%1;"
                        "insert into KX_SYS_DataPermissions (DpmUsrID, DpmObjID, DpmDataID, DpmIsGroup) values ('DM-G-BUY', 'KX_MRP.MRP', '%1', 1)")
             .arg(iid));
    const TCliResult seen = Kxmrp(Login("zhangli") + list);
    EXPECT_EQ(seen.Status, 0);
    EXPECT_TRUE(seen.Out.contains(QStringLiteral("%1\t计划 发布\t计划方案已发布\t李明\t").arg(iid))) << seen.Out.toStdString();
    const QStringList scheme{QStringLiteral("--scheme"), QString::number(iid)};
    EXPECT_EQ(Kxmrp(Login("zhangli") + QStringList{QStringLiteral("scheme"), QStringLiteral("show")} + scheme).Status, 0);
    EXPECT_EQ(Kxmrp(Login("zhangli") + QStringList{QStringLiteral("run")} + scheme).Status, 3);
}

TEST_F(CommandLine, HostileFilesGivenToTheImportAreRefusedAndChangeNothing)
{
    const TCliResult created = Kxmrp(Login("liming") + QStringList{QStringLiteral("scheme"), QStringLiteral("create"), QStringLiteral("--name"),
                                                                   QStringLiteral("导入方案"), QStringLiteral("--source"), QStringLiteral("3")});
    ASSERT_EQ(created.Status, 0) << created.Err.toStdString();
    const QString iid = Scalar(QStringLiteral("select max(SchIID) from KX_MRP_Schemes")).toString();
    QTemporaryDir dir;
    const QString before = ModuleTablesDigest();
    for (const hostile::THostileFile& f : hostile::WriteHostileFiles(dir.path(), 16)) {
        const TCliResult r = Kxmrp(Login("liming") + QStringList{QStringLiteral("mps"), QStringLiteral("--scheme"), iid,
                                                                 QStringLiteral("--import"), f.Path});
        EXPECT_EQ(r.Status, 1) << f.Name.toStdString();
        EXPECT_TRUE(r.Err.startsWith(QStringLiteral("kxmrp: 错误: 文件\"%1\"不是可以导入的表格数据!").arg(QFileInfo(f.Path).fileName())))
            << f.Name.toStdString() << r.Err.toStdString();
    }
    EXPECT_EQ(ModuleTablesDigest(), before);
}

TEST_F(CommandLine, ARunThatDidNotCompleteNeverSaysItDid)
{
    const int iid = SchemeOf("liming", QStringLiteral("会失败的方案"));
    // A condition on the production orders that the server refuses.
    Exec(QStringLiteral("update KX_MRP_Schemes set SchFilters='[KX_MRP.MO]=no_such_column>0' where SchIID=%1").arg(iid));
    const TCliResult r = Kxmrp(Login("liming") + QStringList{QStringLiteral("run"), QStringLiteral("--scheme"), QString::number(iid)});
    EXPECT_EQ(r.Status, 1);
    EXPECT_FALSE(r.Out.contains(QStringLiteral("MRP运算完成"))) << r.Out.toStdString();
    EXPECT_TRUE(r.Out.contains(QStringLiteral("MRP运算未完成, 计划方案的结果和状态保持不变。")));
    EXPECT_TRUE(r.Err.contains(QStringLiteral("MRP运算过程被中止（原因: 数据库中缺少所需的字段"))) << r.Err.toStdString();
}

TEST_F(CommandLine, AnInterruptCancelsTheStatementInFlightAndKeepsTheData)
{
    const QString before = ModuleTablesDigest();
    const QVariant items = Scalar(QStringLiteral("select count(*) from KX_Base_ItemMaster"));
    QProcess p;
    StartKxmrp(p, DatabaseName(), Login("admin") + QStringList{QStringLiteral("gen"), QStringLiteral("--size"), QStringLiteral("M"),
                                                              QStringLiteral("--replace")},
               CleanEnvironment());
    ASSERT_TRUE(p.waitForStarted());
    // Well into the generator's one transaction: it has said what it generates.
    for (int waited = 0; waited < 600 && !p.canReadLine(); waited += 1)
        p.waitForReadyRead(100);
    ASSERT_TRUE(p.canReadLine());
    QThread::msleep(500);
    ::kill(pid_t(p.processId()), SIGINT);
    const TCliResult r = Finished(p);
    EXPECT_EQ(r.Status, 130);
    EXPECT_TRUE(r.Err.contains(QStringLiteral("kxmrp: 操作被Ctrl-C中断, 进行中的工作已撤销, 数据保持原样。"))) << r.Err.toStdString();
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from KX_Base_ItemMaster")), items);
    EXPECT_EQ(ModuleTablesDigest(), before);
}

TEST_F(CommandLine, AKilledRunFreesItsSchemeWithinSecondsEvenInTheMiddleOfAStatement)
{
    const int iid = SchemeOf("liming", QStringLiteral("被终止的方案"));
    // A condition on the production orders that holds the run in one statement for minutes.
    Exec(QStringLiteral("update KX_MRP_Schemes set SchFilters='[KX_MRP.MO]=(select pg_sleep(120)) is not null' where SchIID=%1").arg(iid));
    const QString before = ModuleTablesDigest();
    const QString sleeping = QStringLiteral("select count(*) from pg_stat_activity where datname=current_database() and wait_event='PgSleep'");
    const auto takeLock = [&] { TSchemeLock lock(SharedConnection(), iid, QStringLiteral("被终止的方案"), QStringLiteral("运算MRP")); };

    QProcess p;
    StartKxmrp(p, DatabaseName(), Login("liming") + QStringList{QStringLiteral("run"), QStringLiteral("--scheme"), QString::number(iid)},
               CleanEnvironment());
    for (int waited = 0; waited < 600 && Scalar(sleeping).toInt() == 0; ++waited)
        QThread::msleep(100);
    ASSERT_EQ(Scalar(sleeping).toInt(), 1) << "the run did not reach its statement on the production orders";
    try {
        takeLock();
        ADD_FAILURE() << "the scheme was free while its run was working";
    } catch (const EKxError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("计划方案[被终止的方案]正被[李明]运算MRP"))) << e.Message().toStdString();
    }

    ::kill(pid_t(p.processId()), SIGKILL);
    ASSERT_TRUE(p.waitForFinished(10000));
    // The server ends the session of the vanished program, and its lock with it, long before
    // the statement would have ended.
    QElapsedTimer freed;
    freed.start();
    bool taken = false;
    while (!taken && freed.elapsed() < 20000) {
        try {
            takeLock();
            taken = true;
        } catch (const EKxError&) {
            QThread::msleep(100);
        }
    }
    EXPECT_TRUE(taken);
    EXPECT_LT(freed.elapsed(), 5000);
    EXPECT_EQ(Scalar(sleeping).toInt(), 0);
    EXPECT_EQ(ModuleTablesDigest(), before);
}

TEST_F(CommandLine, TwoInitialisationsAtOnceTakeTurns)
{
    const QString database = DatabaseName() + QStringLiteral("_init");
    TTestDatabase::Drop(database);
    QProcess first, second;
    StartKxmrp(first, database, {QStringLiteral("db"), QStringLiteral("init"), QStringLiteral("--demo")}, CleanEnvironment());
    StartKxmrp(second, database, {QStringLiteral("db"), QStringLiteral("init"), QStringLiteral("--demo")}, CleanEnvironment());
    const TCliResult a = Finished(first), b = Finished(second);
    EXPECT_EQ(a.Status, 0) << a.Err.toStdString();
    EXPECT_EQ(b.Status, 0) << b.Err.toStdString();
    // One created the database and the demo factory, the other found them there.
    EXPECT_EQ((a.Out + b.Out).count(QStringLiteral("已创建数据库")), 1);
    EXPECT_EQ((a.Out + b.Out).count(QStringLiteral("演示工厂数据已存在")), 1);
    TTestDatabase::Drop(database);
}
