// The command line acts as a host: it logs a suite user in without a window, answers the
// module's catalogue callbacks with that user's rights and hands the module its environment.
// Every command but "info" and "db init" starts by constructing a TCliHost, which is what
// makes it run as a user, and asks it for the rights it needs (RequireRight, OpenScheme):
// the same rights the desktop asks for the same work.
#pragma once

#include "cliargs.h"
#include "connectoptions.h"
#include "hostsession.h"
#include "engine/progress.h"
#include "engine/schemeaccess.h"
#include "masterdata/planperiods.h"
#include "kx_mrp/environment.h"

#include <memory>

namespace kx {
class TPlanScheme;
}

namespace kx::cli {

// The login given to this run of kxmrp. main takes --login and --password out of the
// arguments wherever they stand; without them the environment's KXMRP_LOGIN and
// KXMRP_PASSWORD count, and on a terminal the password is asked for.
struct TCliLogin {
    QString UserNo;
    QString Password;
    bool HasPassword = false;
};
void SetCliLogin(const TCliLogin& login);

class TCliHost {
public:
    // Logs in the user of this run (userNo, when a command took its own --login, else the
    // run's). Raises ECliRefusal: exit 2 when no login is named or no password can be had,
    // exit 3 when the login is refused (unknown or disabled user, wrong password).
    explicit TCliHost(const TConnectOptions& options, const QString& userNo = QString());
    // A login with a known password, for programs that drive the engine as a user (benchmarks).
    TCliHost(const TConnectOptions& options, const QString& userNo, const QString& password);
    ~TCliHost();

    TConnection& Connection() { return FConnection; }
    const QString& UserName() const { return FSession->User().UserName; }
    const QString& UserID() const { return FSession->User().UserID; }
    suite::TCatalogue& Catalogue() { return FSession->Catalogue(); }

    // The user's definition of an object, when he may open it and, with a group, holds that
    // access group ("Update", "ToMO" ...). Raises ECliRefusal (exit 3) "访问信息对象"%s"受到限制!" otherwise.
    const TInfoObjectDef* RequireRight(const QString& objectID, const QString& group = QString());
    // True when the user's definition of the object holds the group.
    bool HoldsRight(const QString& objectID, const QString& group);
    // The administrator's right over the whole database (generated data).
    void RequireAdministrator(const QString& work);
    // A plan scheme of the workbench loaded on this host's connection, when the user may read
    // it (saRead) or maintain it (saMaintain), as the workbench would let him. Raises
    // ECliRefusal: "计划方案%d不存在!" (exit 1) for one that does not exist or that he may not
    // see; exit 3 for one he may only read where he asked to maintain.
    std::unique_ptr<TPlanScheme> OpenScheme(int schemeIID, TSchemeAccess needed);

private:
    void LogIn(const TConnectOptions& options, const QString& userNo, const QString& password);

    std::unique_ptr<suite::THostSession> FSession;
    TConnection FConnection;
};

// count consecutive plan periods of "days", "weeks" or "months" from the first day on.
TPlanPeriods ConsecutivePeriods(const QDate& from, int count, const QString& unit);

// Ctrl-C (SIGINT) and SIGTERM: the first one cancels the statement in flight on the connection
// watched and makes the next progress check stop the work (EAbort); a second one ends the
// program at once. Installed once by main.
void InstallInterruptHandlers();
// The signal that interrupted the work, 0 when none did.
int Interrupted();
// How a command ends that a Ctrl-C or a termination reached. Work it completed before the
// signal told (a run saved before its last check) stays done: exit 0, saying so. Otherwise
// the work in flight was cancelled and rolled back: 128 + the signal. A command that saves
// its work in steps (a release bill by bill, a copy before it is published) keeps the steps
// saved before the signal, and says so rather than that nothing was written.
struct TInterruptedEnd {
    int Status;
    QString Message;
};
TInterruptedEnd InterruptedEnd(int status, int signal, bool savedInSteps = false);
// Called by a command before its first step that commits on its own; read when it ends.
void NoteWorkSavedInSteps();
bool WorkSavedInSteps();
// The connection whose statement an interrupt cancels (the host's; null: none).
void WatchConnection(TConnection* connection);

// One line of a command's answer on standard output, flushed at once so that a job reading
// the output sees each line as it is done.
void Print(const QString& text);

// Progress on a terminal: each step on its own line, a bar for positions; an interrupt stops
// the work at the next check.
class TConsoleProgress : public IEngineProgress {
public:
    // Without showText the steps are left to a log printed beside (the MRP run's).
    explicit TConsoleProgress(bool showText = true) : FShowText(showText) {}
    void ShowText(const QString& text) override;
    void ShowPosition(qint64 done, qint64 total) override;
    void CheckAbort() override;
    ~TConsoleProgress() override;

private:
    bool FShowText;
    bool FBarShown = false;
    int FLastPercent = -1;
};

} // namespace kx::cli
