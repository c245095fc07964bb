// Long work in the desktop: a job that may take from seconds to minutes (an MRP run, a
// main-demand fetch, a release, an automatic deduction, an analysis, an export) runs on a
// worker thread with a database connection of its own, while the GUI thread shows what it
// does and stays repaintable.
//
// The progress window shows the step text, a progress bar (busy while the job reports no
// position) and the elapsed time. Esc, the cancel button or closing the window asks
// "您已按下[Esc]键, 中止正在执行的操作?"; Yes sets the job's abort flag, so that its next
// CheckAbort raises EAbort, and cancels the statement in flight, which then raises EAbort
// too. Whatever the job does to widgets goes through RunInGuiThread; its message boxes
// are shown by the GUI thread and waited for without further ado.
#pragma once

#include "db/connection.h"
#include "db/shared.h"
#include "engine/progress.h"

#include <QString>

#include <functional>

class QWidget;

namespace kx {

enum TLongWorkOutcome {
    lwDone,         // the job returned true
    lwFailed,       // the job returned false or raised an error (which was shown)
    lwCancelled,    // the user stopped the job
};

// The job: it works on the given connection (open, configured like the module's shared
// one; its temporary tables die with it when the job ends) and reports through progress.
// It returns false when it failed after showing why.
using TLongJob = std::function<bool(TConnection& connection, IEngineProgress& progress)>;

// Runs the job and returns when it has ended. Without canCancel neither Esc nor the window
// stops the job.
TLongWorkOutcome RunLongWork(QWidget* parent, const QString& title, const TLongJob& job, bool canCancel = true);

} // namespace kx
