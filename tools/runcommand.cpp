// kxmrp run: the MRP run of a scheme on the terminal. The run log goes to standard output;
// on a terminal a bar under it shows the level being planned and the time taken. Ctrl-C
// stops the run as Esc does in the workbench: the statement in flight is cancelled and the
// scheme keeps its previous results, state and log.
#include "schemecommands.h"

#include "cliargs.h"
#include "clihost.h"
#include "db/errors.h"
#include "engine/planscheme.h"

#include <QElapsedTimer>

#include <unistd.h>

#include <cstdio>
#include <limits>

namespace kx::cli {

namespace {

// The run's log lines and, on a terminal, a bar of the levels planned under them.
class TRunConsole : public IEngineProgress {
public:
    TRunConsole() : FBar(isatty(fileno(stderr)) != 0) { FClock.start(); }
    ~TRunConsole() override { ClearBar(); }

    void Log(int kind, int indent, const QString& text, const QString& time)
    {
        ClearBar();
        const char* mark = kind == 3 ? "错误 " : kind == 2 ? "警告 " : "";
        std::printf("%s%s%s%s\n", time.toUtf8().constData(), indent ? "    " : "", mark,
                    QString(text).replace(QLatin1Char('\r'), QStringLiteral("\n        ")).toUtf8().constData());
        std::fflush(stdout);
        DrawBar();
    }
    void ShowText(const QString&) override { DrawBar(); }
    void ShowPosition(qint64 done, qint64 total) override
    {
        FDone = done;
        FTotal = total;
        DrawBar();
    }
    void CheckAbort() override
    {
        if (Interrupted())
            throw EAbort();
    }

private:
    void DrawBar()
    {
        if (!FBar || FTotal <= 0)
            return;
        const int width = 30;
        const int filled = int(FDone * width / FTotal);
        std::fprintf(stderr, "\r[%s%s] 第%lld层/共%lld层  %.1f秒", QByteArray(filled, '#').constData(),
                     QByteArray(width - filled, '.').constData(), FDone, FTotal, double(FClock.elapsed()) / 1000.0);
        std::fflush(stderr);
        FShown = true;
    }
    void ClearBar()
    {
        if (FShown)
            std::fputs("\r\033[K", stderr);
        FShown = false;
    }

    bool FBar;
    bool FShown = false;
    qint64 FDone = 0, FTotal = 0;
    QElapsedTimer FClock;
};

} // namespace

int RunMrpCommand(const TConnectOptions& options, QStringList args)
{
    static const char* const kUsage =
        "用法: kxmrp run --scheme ID [--keep-type] [--keep-bom] [--keep-qty]\n"
        "  运算计划方案的MRP, 保留供应类型/BOM/数量的手工调整; 运算日志输出到标准输出, 在终端上其下显示运算到第几层。\n"
        "  Ctrl-C 中止运算, 计划方案原有的结果、状态和日志保持不变。\n"
        "  需要[MRP计划方案]的修改权限, 且方案须是用户自己的。\n";
    TCliArgs a(args, QStringLiteral("run"), QString::fromUtf8(kUsage));
    const int iid = a.RequiredInt("scheme", 1, std::numeric_limits<int>::max());
    const bool keepType = a.Flag("keep-type");
    const bool keepBom = a.Flag("keep-bom");
    const bool keepQty = a.Flag("keep-qty");
    a.Finish();

    TCliHost host(options);
    std::unique_ptr<TPlanScheme> scheme = host.OpenScheme(iid, saMaintain);
    QElapsedTimer timer;
    timer.start();
    bool ok = false;
    {
        TRunConsole console;
        ok = scheme->RunMRP(keepType, keepBom,
                            [&console](int kind, int indent, const QString& text, const QString& time) { console.Log(kind, indent, text, time); },
                            console, keepQty);
    }
    const QString seconds = QString::number(double(timer.elapsed()) / 1000.0, 'f', 2);
    if (!ok) {
        std::printf("%s\n", QStringLiteral("用时 %1 秒; MRP运算未完成, 计划方案的结果和状态保持不变。").arg(seconds).toUtf8().constData());
        return esFailed;
    }
    std::printf("%s\n", QStringLiteral("用时 %1 秒; 状态: %2").arg(seconds, scheme->GetPlanStateText()).toUtf8().constData());
    return esDone;
}

} // namespace kx::cli
