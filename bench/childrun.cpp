#include "childrun.h"

#include <QElapsedTimer>
#include <QFile>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <vector>

extern char** environ;

namespace kx::bench {

TChildRun RunChild(const QString& program, const QStringList& args, const QString& outputFile)
{
    std::vector<QByteArray> storage{program.toLocal8Bit()};
    for (const QString& a : args)
        storage.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray out = outputFile.toLocal8Bit();
    posix_spawn_file_actions_addopen(&actions, 1, out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    TChildRun run;
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    const bool started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!started)
        return run;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.Seconds = double(timer.nsecsElapsed()) / 1e9;
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    run.PeakKB = usage.ru_maxrss;
    QFile f(outputFile);
    if (f.open(QIODevice::ReadOnly))
        run.Output = QString::fromUtf8(f.readAll()).trimmed();
    return run;
}

} // namespace kx::bench
