// workbench_bench: the plan scheme workbench on a generated factory, offscreen.
//   workbench_bench --server DIR --database DB [--scheme ID] [--runs 1] [--no-run] [--profile]
// The database holds a generated case with a plan scheme whose main demand was fetched (as
// "mrp_bench --sizes L --keep" leaves kx_bench_L). Logged in as the administrator who owns
// that scheme, without a row limit, it opens the workbench on the scheme and times:
//   - the main-demand tab from the click until its first rows are painted (goal: under 1 s),
//   - scrolling from there at once to the last row and painting it, the rest of the lines
//     read meanwhile (goal: under 2 s),
//   - an MRP run from the workbench against "kxmrp run" of the same scheme, alternating
//     (goal: the workbench at most 10% slower).
// It prints the rows, the period columns and the times; the machine's load average is
// printed too, since the timings are only as quiet as the machine. With --profile it then
// times the view's statement alone, a refresh and a paint, and prints the statement.
#include "db/shared.h"
#include "hostsession.h"
#include "kx_mrp/exports.h"
#include "viewschemeprep.h"
#include "views/recordset.h"
#include "workbench/mainframe.h"
#include "workbench/mrpframe.h"

#include "db/messages.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScrollBar>
#include <QTabWidget>
#include <QTreeView>

#include <unistd.h>

#include <cstdio>

using namespace kx;

namespace {

void Print(const QString& text)
{
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

QString Option(const QStringList& args, const QString& name, const QString& fallback = QString())
{
    const qsizetype at = args.lastIndexOf(QStringLiteral("--") + name);
    return at >= 0 && at + 1 < args.size() ? args[at + 1] : fallback;
}

QString LoadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).section(QLatin1Char(' '), 0, 2) : QStringLiteral("?");
}

// Paints the widget now, as the screen would show it.
void Paint(QWidget* widget)
{
    QApplication::processEvents();
    widget->grab();
}

double Seconds(qint64 ms)
{
    return double(ms) / 1000.0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    TConnectOptions options;
    options.Server = Option(args, QStringLiteral("server"));
    options.Database = Option(args, QStringLiteral("database"), QStringLiteral("kx_bench_L"));
    if (options.Server.isEmpty()) {
        std::fputs("用法: workbench_bench --server DIR --database DB [--scheme ID] [--runs N] [--no-run] [--profile]\n", stderr);
        return 2;
    }
    const int runs = Option(args, QStringLiteral("runs"), QStringLiteral("1")).toInt();
    try {
        TConnection lookup;
        Configure(lookup, options);
        suite::TLoginUser user;
        // The administrator of the generated case, who owns its scheme.
        if (suite::CheckLogin(lookup, QStringLiteral("admin"), QStringLiteral("admin123"), user) != suite::TLoginCheck::Accepted)
            throw EKxError(QStringLiteral("数据库中没有可用的系统管理员用户(admin)!"));
        suite::THostSession session(options, user, getpid(), 0);
        session.Env().PrepareViewScheme = suite::HostPrepareViewScheme;
        SetEnvironment(&session.Env());
        // Questions are answered yes, as the planner starting a run does.
        SetMessageResponder([](const TMessageRequest& r) {
            if (r.Icon == miError || r.Icon == miWarning)
                Print(QStringLiteral("消息: %1").arg(r.Text));
            return (r.Buttons & 0xFF) == mbOK ? int(mrOK) : (r.Buttons & 0xFF) == mbOKCancel ? int(mrOK) : int(mrYes);
        });

        int iid = Option(args, QStringLiteral("scheme")).toInt();
        if (iid <= 0) {
            TQuery q(&SharedConnection());
            q.SQL = QStringLiteral("select max(SchIID) from KX_MRP_Schemes where SchType=0 and SchUsrID='%1'").arg(user.UserID);
            q.Open();
            iid = q.IntAt(0, 0);
        }
        IInfoFrame* loaded = nullptr;
        LoadInfoFrame(&loaded, &session.Env(), session.Catalogue().ObjectDef(QStringLiteral("KX_MRP.MRP")));
        auto* frame = dynamic_cast<TMRPFrame*>(loaded);
        if (!frame || !frame->SelectScheme(iid))
            throw EKxError(QStringLiteral("计划方案%1不能在工作台打开!").arg(iid));
        frame->resize(1600, 900);
        frame->show();
        Paint(frame);
        Print(QStringLiteral("计划方案 %1 [%2], 负载 %3").arg(iid).arg(frame->PlanScheme()->SchemeName, LoadAverage()));

        QElapsedTimer clock;
        clock.start();
        frame->Pages->setCurrentIndex(1);
        auto* view = dynamic_cast<TMRPMainFrame*>(frame->ResultTab(QStringLiteral("KX_MRP.MRP.Main"))->View());
        if (!view)
            throw EKxError(QStringLiteral("主需求视图没有打开!"));
        Paint(frame);
        const qint64 firstRows = clock.elapsed();
        const int shownFirst = view->Records().RecordCount();
        // The planner scrolls to the end at once: the rest of the lines must be there first.
        clock.restart();
        view->WaitForRows();
        const qint64 rest = clock.elapsed();
        view->grdMain->scrollToBottom();
        Paint(frame);
        const qint64 lastRow = clock.elapsed();
        const bool atBottom = view->grdMain->verticalScrollBar()->value() == view->grdMain->verticalScrollBar()->maximum();
        Print(QStringLiteral("主需求 %1 行 (首屏时已有 %2 行), %3 个期间列: 首屏 %4 秒 (目标 < 1), 随即滚动至末行 %5 秒 (目标 < 2)%6")
                  .arg(view->Records().RecordCount())
                  .arg(shownFirst)
                  .arg(view->PeriodColumns.size())
                  .arg(Seconds(firstRows), 0, 'f', 2)
                  .arg(Seconds(lastRow), 0, 'f', 2)
                  .arg(atBottom ? QString() : QStringLiteral(" (未到末行!)")));
        Print(QStringLiteral("其中等待其余行 %1 秒, 滚动并绘制 %2 秒; 负载 %3")
                  .arg(Seconds(rest), 0, 'f', 2)
                  .arg(Seconds(lastRow - rest), 0, 'f', 2)
                  .arg(LoadAverage()));
        if (args.contains(QStringLiteral("--profile"))) {
            clock.restart();
            TQuery q(&SharedConnection());
            q.SQL = view->BuiltSQL;
            q.Open();
            Print(QStringLiteral("语句 %1 秒 (%2 行)").arg(Seconds(clock.elapsed())).arg(q.RecordCount()));
            clock.restart();
            view->RefreshData(false);
            Print(QStringLiteral("刷新 %1 秒").arg(Seconds(clock.elapsed())));
            clock.restart();
            Paint(frame);
            Print(QStringLiteral("绘制 %1 秒").arg(Seconds(clock.elapsed())));
            Print(view->BuiltSQL);
        }
        if (args.contains(QStringLiteral("--no-run")))
            return 0;

        frame->Pages->setCurrentIndex(0);
        const QString kxmrp = QCoreApplication::applicationDirPath() + QStringLiteral("/kxmrp");
        double cli = 0, desk = 0;
        for (int i = 0; i < runs; ++i) {
            QProcess p;
            clock.restart();
            p.start(kxmrp, {QStringLiteral("--server"), options.Server, QStringLiteral("--database"), options.Database,
                            QStringLiteral("--login"), QStringLiteral("admin"), QStringLiteral("--password"), QStringLiteral("admin123"),
                            QStringLiteral("run"), QStringLiteral("--scheme"), QString::number(iid)});
            p.waitForFinished(-1);
            const qint64 cliMs = clock.elapsed();
            if (p.exitCode() != 0)
                throw EKxError(QStringLiteral("kxmrp run 失败: %1").arg(QString::fromUtf8(p.readAllStandardError())));
            frame->RefreshSchemeList(iid);
            clock.restart();
            frame->RunMRP();
            const qint64 deskMs = clock.elapsed();
            if (frame->PlanScheme()->PlanState != psMRPDone)
                throw EKxError(QStringLiteral("工作台运算MRP没有完成!"));
            Print(QStringLiteral("第%1轮: kxmrp run %2 秒, 工作台 %3 秒; 负载 %4")
                      .arg(i + 1)
                      .arg(Seconds(cliMs), 0, 'f', 2)
                      .arg(Seconds(deskMs), 0, 'f', 2)
                      .arg(LoadAverage()));
            cli += Seconds(cliMs);
            desk += Seconds(deskMs);
        }
        Print(QStringLiteral("工作台运算比 kxmrp run 慢 %1% (目标 ≤ 10%)").arg((desk / cli - 1.0) * 100.0, 0, 'f', 1));
        delete frame;
    } catch (const EKxError& e) {
        std::fprintf(stderr, "错误: %s\n", e.Message().toUtf8().constData());
        return 1;
    }
    return 0;
}
