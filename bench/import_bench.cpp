// import_bench: feeds every hostile table file to "kxmrp mps --import" and measures what each
// refusal costs: the wall time of the whole command and its peak resident memory.
//   import_bench --server DIR [--bomb-mib 1024] [--keep]
// It builds the database kx_bench_import with the demo factory, creates an import scheme as
// the demo administrator, writes the files (the bombs inflate to --bomb-mib MiB) and runs the
// command once per file. Goals: every file refused, each workbook in under 1 second and under
// 100 MB (a text table inflates nothing: it costs what it holds, and is reported alone).
#include "childrun.h"
#include "hostilefiles.h"

#include "db/connection.h"
#include "db/quote.h"
#include "db/shared.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>

using namespace kx;
using kx::bench::RunChild;
using kx::bench::TChildRun;

namespace {

constexpr double kGoalSeconds = 1.0;
constexpr long kGoalMemoryKB = 100 * 1024;

void Print(const QString& text)
{
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

QString Option(const QStringList& args, const QString& name, const QString& fallback)
{
    const qsizetype i = args.lastIndexOf(name);
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString server = Option(args, QStringLiteral("--server"), QString());
    if (server.isEmpty()) {
        std::fputs("用法: import_bench --server DIR [--bomb-mib 1024] [--keep]\n", stderr);
        return 2;
    }
    const int bombMiB = Option(args, QStringLiteral("--bomb-mib"), QStringLiteral("1024")).toInt();
    const QString kxmrp = QCoreApplication::applicationDirPath() + QStringLiteral("/kxmrp");
    const QString database = QStringLiteral("kx_bench_import");
    const QStringList where{QStringLiteral("--server"), server, QStringLiteral("--database"), database};
    const QStringList admin{QStringLiteral("--login"), QStringLiteral("admin"), QStringLiteral("--password"), QStringLiteral("admin123")};
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("output.txt"));
    try {
        TConnection maintenance;
        maintenance.ConnectionString = BuildConnectionString(0, server, QStringLiteral("postgres"), {}, {});
        maintenance.Execute(QStringLiteral("drop database if exists %1 with (force)").arg(QuotedIdent(database)));
        if (RunChild(kxmrp, where + QStringList{QStringLiteral("db"), QStringLiteral("init"), QStringLiteral("--demo")}, log).Status != 0)
            throw EKxError(QStringLiteral("db init 失败"));
        const TChildRun created = RunChild(kxmrp, where + admin + QStringList{QStringLiteral("scheme"), QStringLiteral("create"), QStringLiteral("--name"),
                                                                           QStringLiteral("导入测试"), QStringLiteral("--source"), QStringLiteral("3")},
                                         log);
        // "方案 N: name" among the command's lines (its progress text comes before it).
        const QString iid = QRegularExpression(QStringLiteral("^方案 (\\d+):"), QRegularExpression::MultilineOption).match(created.Output).captured(1);
        if (created.Status != 0 || iid.toInt() <= 0)
            throw EKxError(QStringLiteral("计划方案无法创建: ") + created.Output);
        QElapsedTimer writing;
        writing.start();
        const QList<hostile::THostileFile> files = hostile::WriteHostileFiles(dir.filePath(QStringLiteral("files")), bombMiB);
        Print(QStringLiteral("写入 %1 个文件, 用时 %2 秒 (膨胀部件 %3 MiB)").arg(files.size()).arg(double(writing.elapsed()) / 1000.0, 0, 'f', 1).arg(bombMiB));
        bool met = true;
        Print(QStringLiteral("%1 %2 %3 %4  %5").arg(QStringLiteral("文件"), -22).arg(QStringLiteral("字节"), 10).arg(QStringLiteral("秒"), 6)
                  .arg(QStringLiteral("MiB"), 6).arg(QStringLiteral("退出码 / 拒绝原因")));
        for (const hostile::THostileFile& f : files) {
            const TChildRun r = RunChild(kxmrp, where + admin + QStringList{QStringLiteral("mps"), QStringLiteral("--scheme"), iid,
                                                                          QStringLiteral("--import"), f.Path},
                                       log);
            const bool refused = r.Status == 1 && r.Output.contains(QStringLiteral("不是可以导入的表格数据"));
            // The goal is the workbooks', whose parts inflate; a text table costs what it holds.
            const bool workbook = f.Path.endsWith(QLatin1String(".xlsx"));
            const bool ok = refused && (!workbook || (r.Seconds < kGoalSeconds && r.PeakKB < kGoalMemoryKB));
            met = met && ok;
            const QString reason = r.Output.section(QStringLiteral("原因: "), 1).section(QLatin1Char('\n'), 0, 0);
            Print(QStringLiteral("%1 %2 %3 %4  %5 %6%7")
                      .arg(QFileInfo(f.Path).fileName(), -22)
                      .arg(QFileInfo(f.Path).size(), 10)
                      .arg(r.Seconds, 6, 'f', 2)
                      .arg(double(r.PeakKB) / 1024.0, 6, 'f', 1)
                      .arg(r.Status)
                      .arg(reason.isEmpty() ? QStringLiteral("(不是可以导入的表格数据)") : reason)
                      .arg(ok ? QString() : QStringLiteral("  <-- 未达目标")));
        }
        Print(met ? QStringLiteral("目标达成: 每个文件都被拒绝, 每个工作簿各用时不到1秒, 内存不到100 MB。")
                  : QStringLiteral("目标未达成。"));
        if (!args.contains(QStringLiteral("--keep")))
            maintenance.Execute(QStringLiteral("drop database if exists %1 with (force)").arg(QuotedIdent(database)));
        return met ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "import_bench: %s\n", e.what());
        return 1;
    }
}
