// Long work off the GUI thread: its own connection, its messages shown by the GUI thread,
// Esc that stops it between steps or in the middle of a statement, and failures shown once.
#include "views/longwork.h"

#include "db/errors.h"
#include "db/escape.h"
#include "db/messages.h"
#include "db/settings.h"

#include "testdatabase.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::test;

namespace {

int BackendPID(TConnection& connection)
{
    TQuery q(&connection);
    q.SQL = QStringLiteral("select pg_backend_pid()");
    q.Open();
    return q.Fields(0).AsInteger();
}

// Esc goes down for one poll only, the given number of polls from now.
class TEscapeOnce {
public:
    explicit TEscapeOnce(int atPoll)
    {
        SetEscapeProbe([polls = std::make_shared<int>(0), atPoll] { return ++*polls == atPoll; });
    }
    ~TEscapeOnce() { SetEscapeProbe(nullptr); }
};

} // namespace

class LongWork : public TDatabaseTest {};

TEST_F(LongWork, RunsOnItsOwnConnectionWhileItsMessagesAreAnsweredByTheGuiThread)
{
    TScriptedMessages messages;
    QThread* answeredOn = nullptr;
    const TMessageResponder recorder = SetMessageResponder([&](const TMessageRequest&) {
        answeredOn = QThread::currentThread();
        return int(mrOK);
    });
    const int guiPID = BackendPID(SharedConnection());
    int jobPID = 0, sharedPIDInJob = 0;
    bool offGuiThread = false;
    const TLongWorkOutcome outcome = RunLongWork(nullptr, QStringLiteral("测试"), [&](TConnection& connection, IEngineProgress& progress) {
        offGuiThread = QThread::currentThread() != qApp->thread();
        progress.ShowText(QStringLiteral("运算第2层（共8层）物料需求计划..."));
        progress.ShowPosition(2, 8);
        QThread::msleep(250);
        RunInGuiThread([] {
            if (QWidget* dlg = QApplication::activeModalWidget())
                dlg->grab().save(TestOutputPath(QStringLiteral("longwork_progress.png")));
        });
        jobPID = BackendPID(connection);
        sharedPIDInJob = BackendPID(SharedConnection());
        QString value;
        ReadSetting(QStringLiteral("KX_MRP"), QStringLiteral("NoSuchKey"), value, true, QStringLiteral("缺省"));
        EXPECT_EQ(value, QStringLiteral("缺省"));
        ShowInfo(QStringLiteral("任务信息"));
        return true;
    });
    SetMessageResponder(recorder);
    EXPECT_EQ(outcome, lwDone);
    EXPECT_TRUE(offGuiThread);
    EXPECT_NE(jobPID, guiPID);
    EXPECT_EQ(sharedPIDInJob, jobPID);        // settings and shared queries of the job use its connection
    EXPECT_EQ(answeredOn, qApp->thread());
    EXPECT_EQ(BackendPID(SharedConnection()), guiPID);
}

TEST_F(LongWork, EscConfirmedStopsTheJobBetweenStepsAndInTheMiddleOfAStatement)
{
    const QString question = QStringLiteral("您已按下[Esc]键, 中止正在执行的操作?");
    struct TCase {
        const char* Name;
        TLongJob Job;
    };
    const TCase cases[] = {
        {"steps", [](TConnection&, IEngineProgress& progress) {
             for (int step = 0; step < 600; ++step) {
                 progress.CheckAbort();
                 QThread::msleep(50);
             }
             return true;
         }},
        {"statement", [](TConnection& connection, IEngineProgress&) {
             connection.Execute(QStringLiteral("select pg_sleep(30)"));
             return true;
         }},
        // A job that catches the abort itself and gives up ends as cancelled all the same.
        {"caught", [](TConnection& connection, IEngineProgress&) {
             try {
                 connection.Execute(QStringLiteral("select pg_sleep(30)"));
             } catch (const EAbort&) {
                 return false;
             }
             return true;
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TScriptedMessages messages({mrYes});
        TEscapeOnce esc(5);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(RunLongWork(nullptr, QStringLiteral("测试"), c.Job), lwCancelled);
        EXPECT_LT(clock.elapsed(), 10000);
        EXPECT_EQ(messages.Texts(), QStringList{question});     // no database error on top
    }

    // Answered No, the job goes on to its end.
    TScriptedMessages messages({mrNo});
    TEscapeOnce esc(3);
    EXPECT_EQ(RunLongWork(nullptr, QStringLiteral("测试"), [](TConnection& connection, IEngineProgress& progress) {
                  connection.Execute(QStringLiteral("select pg_sleep(0.8)"));
                  progress.CheckAbort();
                  return true;
              }),
              lwDone);
    EXPECT_EQ(messages.Texts(), QStringList{question});

    // Without cancel, Esc asks nothing.
    TScriptedMessages unasked({mrYes});
    TEscapeOnce esc2(2);
    EXPECT_EQ(RunLongWork(nullptr, QStringLiteral("测试"), [](TConnection& connection, IEngineProgress&) {
                  connection.Execute(QStringLiteral("select pg_sleep(0.5)"));
                  return true;
              }, false),
              lwDone);
    EXPECT_EQ(unasked.Count(), 0);
}

TEST_F(LongWork, AFailureIsShownOnceAndAJobThatGivesUpShowsNothing)
{
    TScriptedMessages messages;
    EXPECT_EQ(RunLongWork(nullptr, QStringLiteral("测试"), [](TConnection& connection, IEngineProgress&) {
                  connection.Execute(QStringLiteral("select * from KX_NoSuchTable"));
                  return true;
              }),
              lwFailed);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("错误: "))) << messages.LastText().toStdString();
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("kx_nosuchtable")));

    EXPECT_EQ(RunLongWork(nullptr, QStringLiteral("测试"), [](TConnection&, IEngineProgress&) { return false; }), lwFailed);
    EXPECT_EQ(messages.Count(), 1);
}
