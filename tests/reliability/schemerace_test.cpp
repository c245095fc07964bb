// Two users on one plan scheme. While a run, a fetch or an import holds the scheme, every other
// run, fetch, copy or import of it is refused at once, naming the scheme and who holds it,
// and changes nothing; schemes of others go on in parallel. A run or fetch that finds, when it
// saves, the scheme published, its main demand edited, its parameters saved or the scheme
// deleted by another session saves nothing and says the scheme changed. A run whose session
// the server ends saves nothing and says why once, in a sentence without the server's statement.
#include "sessionfixture.h"

#include "engine/maindemand.h"
#include "engine/mainimport.h"

#include "db/shared.h"

#include <QTemporaryDir>
#include <QThread>

#include <libpq-fe.h>
#include <unistd.h>

#include <thread>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

const TMRPLogEvent kNoLog = [](int, int, const QString&, const QString&) {};

} // namespace

class SchemeRaces : public TDemoDatabaseTest {
protected:
    // A scheme of the demo factory with main demand and one completed run.
    int NewRunScheme(const QString& name, int source = srcForcastAndOrders)
    {
        TPlanScheme s(&SharedConnection());
        s.SchemeName = name;
        s.PlanSource = source;
        s.PlanPeriods = WeeklyPeriods(QDate(2026, 12, 7), 8);
        s.PlanCalIID = 1;
        s.PlanState = DeriveSavedState(true, 0, {}, TSchemeParams::Of(s));
        EXPECT_TRUE(s.Save());
        if (source != srcImport) {
            EXPECT_TRUE(s.RunMPS(false, false, Silent));
            EXPECT_TRUE(s.RunMRP(false, false, kNoLog, Silent, false));
            EXPECT_EQ(s.PlanState, psMRPDone);
        }
        return s.SchemeIID;
    }

    static int State(int iid) { return Scalar(QStringLiteral("select SchState from KX_MRP_Schemes where SchIID=%1").arg(iid)).toInt(); }

    TTableFile Csv(const QByteArray& text) { return CsvFile(Dir.path(), text); }

    TSilentProgress Silent;
    QTemporaryDir Dir;
};

TEST_F(SchemeRaces, WhileARunHoldsTheSchemeEveryOtherRewriteIsRefusedAndOtherSchemesRunOn)
{
    const int held = NewRunScheme(QStringLiteral("并发运算"));
    const int other = NewRunScheme(QStringLiteral("另一方案"));
    TSecondSession run(DatabaseName());
    TPausingProgress atLevel2(QStringLiteral("运算第2层"));
    run.Start(held, atLevel2, [&](TPlanScheme& s, IEngineProgress& p) { return s.RunMRP(false, false, run.LogEvent(), p, false); });
    ASSERT_TRUE(atLevel2.WaitPaused());
    const QString before = ModuleTablesDigest();

    // A second user, on his own connection, tries everything that rewrites the scheme.
    std::unique_ptr<TConnection> session = NewSession(DatabaseName());
    TPlanScheme s(session.get());
    ASSERT_TRUE(s.Load(held));
    TScriptedMessages messages;
    EXPECT_FALSE(s.RunMRP(false, false, kNoLog, Silent, false));
    EXPECT_FALSE(s.RunMPS(true, true, Silent));
    EXPECT_FALSE(CopyMPS(s, other, wtOverwriteAll, true, Silent));
    ASSERT_EQ(messages.Count(), 3);
    for (const QString& text : messages.Texts()) {
        EXPECT_TRUE(text.contains(QStringLiteral("计划方案[并发运算]"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("测试员"))) << text.toStdString();     // who holds it
        EXPECT_TRUE(text.contains(QStringLiteral("运算MRP"))) << text.toStdString();    // doing what
    }
    QList<TImportIssue> issues;
    try {
        (void)ImportMainDemand(s, itImportFreeNeed, Csv("ItmNo,ManDate,ManQty\n1.01.002,2026-12-21,10\n"), wtOverwriteAll, Silent, issues);
        ADD_FAILURE() << "import of a held scheme";
    } catch (const EKxError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("计划方案[并发运算]"))) << e.Message().toStdString();
    }
    EXPECT_EQ(ModuleTablesDigest(), before);

    // Another scheme runs meanwhile.
    TPlanScheme o(session.get());
    ASSERT_TRUE(o.Load(other));
    EXPECT_TRUE(o.RunMRP(false, false, kNoLog, Silent, false));

    EXPECT_TRUE(run.Finish());
    EXPECT_EQ(State(held), psMRPDone);
    // Once the run is over, the scheme is free again.
    ASSERT_TRUE(s.Load(held));
    EXPECT_TRUE(s.RunMRP(false, false, kNoLog, Silent, false));
}

TEST_F(SchemeRaces, ARunWhoseSchemeChangedMeanwhileSavesNothing)
{
    struct TCase {
        const char* Change;
        const char* SQL;              // %1: the scheme
    };
    const TCase cases[] = {
        {"published", "update KX_MRP_Schemes set SchState=8, SchRelTime=localtimestamp where SchIID=%1 and SchState=6"},
        {"main demand edited", "update KX_MRP_Main set ManAdjQty=ManAdjQty+5, ManQty=ManQty+5 where ManSchIID=%1 and ManIID=1;"
                               "update KX_MRP_Schemes set SchState=3, SchMpsUpdTime=localtimestamp where SchIID=%1"},
        {"main demand fetched with the state kept", "update KX_MRP_Schemes set SchMpsRunTime=localtimestamp where SchIID=%1"},
        {"parameters saved", "update KX_MRP_Schemes set SchCareLot=1, SchUpdTime=localtimestamp where SchIID=%1"},
        {"deleted", "delete from KX_MRP_Schemes where SchIID=%1"},
    };
    int n = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Change);
        const QString name = QStringLiteral("被改变的方案%1").arg(++n);
        const int iid = NewRunScheme(name);
        TSecondSession run(DatabaseName());
        TPausingProgress atLevel2(QStringLiteral("运算第2层"));
        run.Start(iid, atLevel2, [&](TPlanScheme& s, IEngineProgress& p) { return s.RunMRP(false, false, run.LogEvent(), p, false); });
        ASSERT_TRUE(atLevel2.WaitPaused());
        NewSession(DatabaseName())->Execute(QString::fromUtf8(c.SQL).arg(iid));
        const QString changed = ModuleTablesDigest();
        {
            TScriptedMessages messages;
            EXPECT_FALSE(run.Finish());
        }
        EXPECT_EQ(ModuleTablesDigest(), changed);
        EXPECT_EQ(run.Log().last(), QStringLiteral("MRP运算过程被中止（原因: 计划方案[%1]最新状态已被改变, 不能执行本操作!）, 本次运算结果已取消!").arg(name));
    }
}

TEST_F(SchemeRaces, ARunWhoseSessionTheServerEndsSavesNothingAndSaysWhyOnce)
{
    const int iid = NewRunScheme(QStringLiteral("连接中断"));
    TSecondSession run(DatabaseName());
    TPausingProgress atLevel2(QStringLiteral("运算第2层"));
    run.Start(iid, atLevel2, [&](TPlanScheme& s, IEngineProgress& p) { return s.RunMRP(false, false, run.LogEvent(), p, false); });
    ASSERT_TRUE(atLevel2.WaitPaused());
    const QString before = ModuleTablesDigest();
    // The server ends the run's session, and cannot be reached again (it is going down).
    const int pid = PQbackendPID(run.Connection().Handle());
    run.Connection().ConnectionString = BuildConnectionString(0, Dir.path(), DatabaseName(), {}, {});
    NewSession(DatabaseName())->Execute(QStringLiteral("select pg_terminate_backend(%1, 5000)").arg(pid));
    TScriptedMessages messages;
    EXPECT_FALSE(run.Finish());
    // One message: the reason the run stopped, not also that the scheme could not be read again.
    ASSERT_EQ(messages.Count(), 1) << messages.Texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("MRP运算过程被中止（原因: 与数据库服务器的连接中断! [服务器信息: ")))
        << messages.LastText().toStdString();
    EXPECT_TRUE(messages.LastText().endsWith(QStringLiteral("]）, 本次运算结果已取消!"))) << messages.LastText().toStdString();
    EXPECT_EQ(run.Log().last(), messages.LastText());
    EXPECT_EQ(ModuleTablesDigest(), before);
    EXPECT_EQ(State(iid), psMRPDone);
}

TEST_F(SchemeRaces, ASessionEndedInsideAProcedureIsToldWithoutTheStatementItWasRunning)
{
    std::unique_ptr<TConnection> victim = NewSession(DatabaseName());
    victim->Open();
    const int pid = PQbackendPID(victim->Handle());
    QString told;
    std::thread work([&] {
        try {
            victim->Execute(QStringLiteral("do $$ begin perform pg_sleep(60) from KX_MRP_Schemes limit 1; end $$"));
        } catch (const EDatabaseError& e) {
            told = e.Message();
        }
    });
    const QString sleeping = QStringLiteral("select count(*) from pg_stat_activity where pid=%1 and wait_event='PgSleep'").arg(pid);
    for (int waited = 0; waited < 300 && Scalar(sleeping).toInt() == 0; ++waited)
        QThread::msleep(20);
    NewSession(DatabaseName())->Execute(QStringLiteral("select pg_terminate_backend(%1, 5000)").arg(pid));
    work.join();
    EXPECT_TRUE(told.startsWith(QStringLiteral("与数据库服务器的连接中断! [服务器信息: FATAL: terminating connection due to administrator command")))
        << told.toStdString();
    EXPECT_FALSE(told.contains(QStringLiteral("pg_sleep"))) << told.toStdString();
    EXPECT_FALSE(told.contains(QStringLiteral("PL/pgSQL"))) << told.toStdString();
}

TEST_F(SchemeRaces, ASocketThatFailsUnnoticedByTheClientLibraryIsToldAsALostConnectionAndOpenedAfresh)
{
    std::unique_ptr<TConnection> session = NewSession(DatabaseName());
    session->Open();
    // The session's socket replaced by a pipe: sending and receiving fail with errors the
    // client library reports without a code and without marking the connection as lost.
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ASSERT_GE(::dup2(pipeEnds[1], PQsocket(session->Handle())), 0);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    try {
        session->Execute(QStringLiteral("select 1"));
        ADD_FAILURE() << "a statement went through a broken socket";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("与数据库服务器的连接中断! [服务器信息: "))) << e.Message().toStdString();
    }
    TPGResult r = session->Execute(QStringLiteral("select 41+1"));
    EXPECT_EQ(QByteArray(PQgetvalue(r.get(), 0, 0)), QByteArray("42"));
}

TEST_F(SchemeRaces, AFetchThatFindsTheSchemePublishedWritesNothing)
{
    const int iid = NewRunScheme(QStringLiteral("获取中发布"));
    TSecondSession fetch(DatabaseName());
    TPausingProgress atStart(QStringLiteral("正在获取主需求数据"));
    fetch.Start(iid, atStart, [](TPlanScheme& s, IEngineProgress& p) { return s.RunMPS(false, false, p); });
    ASSERT_TRUE(atStart.WaitPaused());
    NewSession(DatabaseName())->Execute(QStringLiteral("update KX_MRP_Schemes set SchState=8 where SchIID=%1").arg(iid));
    const QString published = ModuleTablesDigest();
    TScriptedMessages messages;
    EXPECT_FALSE(fetch.Finish());
    EXPECT_EQ(messages.LastText(), QStringLiteral("计划方案[获取中发布]最新状态已被改变, 不能执行本操作!"));
    EXPECT_EQ(ModuleTablesDigest(), published);

    // A published scheme's main demand is read-only, also for a session that loaded it before.
    TPlanScheme s(&SharedConnection());
    ASSERT_TRUE(s.Load(iid));
    EXPECT_FALSE(s.RunMPS(false, false, Silent));
    EXPECT_EQ(messages.LastText(), QStringLiteral("计划方案[获取中发布]当前状态为\"计划方案已发布\", 不能获取主需求!"));
    EXPECT_EQ(ModuleTablesDigest(), published);
}

TEST_F(SchemeRaces, OfTwoImportsAtOnceTheSecondIsRefusedAndTheFirstIsKept)
{
    const int iid = NewRunScheme(QStringLiteral("两次导入"), srcImport);
    const TTableFile first = Csv("ItmNo,ManDate,ManQty\n1.01.001,2026-12-21,10\n1.01.003,2026-12-22,4\n");
    TSecondSession import(DatabaseName());
    TPausingProgress atRow1(QString(), 1);
    import.Start(iid, atRow1, [&](TPlanScheme& s, IEngineProgress& p) {
        QList<TImportIssue> issues;
        return ImportMainDemand(s, itImportFreeNeed, first, wtOverwriteAll, p, issues);
    });
    ASSERT_TRUE(atRow1.WaitPaused());
    const QString before = ModuleTablesDigest();
    std::unique_ptr<TConnection> session = NewSession(DatabaseName());
    TPlanScheme s(session.get());
    ASSERT_TRUE(s.Load(iid));
    QList<TImportIssue> issues;
    try {
        (void)ImportMainDemand(s, itImportFreeNeed, Csv("ItmNo,ManDate,ManQty\n1.01.001,2026-12-28,99\n"), wtOverwriteAll, Silent, issues);
        ADD_FAILURE() << "second import at once";
    } catch (const EKxError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("计划方案[两次导入]"))) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains(QStringLiteral("导入主需求"))) << e.Message().toStdString();
    }
    EXPECT_EQ(ModuleTablesDigest(), before);
    EXPECT_TRUE(import.Finish());
    EXPECT_EQ(Rows(QStringLiteral("select ManItmID||' '||ManQty::numeric(18,0) from KX_MRP_Main where ManSchIID=%1 order by ManIID").arg(iid)),
              (QStringList{QStringLiteral("DM-I-FS40 10"), QStringLiteral("DM-I-WS40 4")}));
}
