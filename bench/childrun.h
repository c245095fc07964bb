// A program run by a benchmark as a child of its own, measured from outside: its exit
// status, wall time and peak resident memory (through wait4), and what it printed.
#pragma once

#include <QString>
#include <QStringList>

namespace kx::bench {

struct TChildRun {
    int Status = -1;              // exit status; minus the signal when a signal ended it
    double Seconds = 0;
    long PeakKB = 0;
    QString Output;               // standard output and error together
};

// Runs program with args, its input from /dev/null and its output kept in outputFile.
TChildRun RunChild(const QString& program, const QStringList& args, const QString& outputFile);

} // namespace kx::bench
