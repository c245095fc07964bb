// The command line acts as a host: it logs a suite user in without a window, answers the
// module's catalogue callbacks and hands the module its environment.
#pragma once

#include "connectoptions.h"
#include "hostsession.h"
#include "engine/progress.h"
#include "masterdata/planperiods.h"
#include "kx_mrp/environment.h"

#include <memory>

namespace kx::cli {

class TCliHost {
public:
    // Logs in the suite user with the given number, or the first administrator when empty.
    // Raises EKxError when there is no such active user.
    TCliHost(const TConnectOptions& options, const QString& userNo);
    ~TCliHost();

    TConnection& Connection() { return FConnection; }
    const QString& UserName() const { return FSession->User().UserName; }

private:
    std::unique_ptr<suite::THostSession> FSession;
    TConnection FConnection;
};

// count consecutive plan periods of "days", "weeks" or "months" from the first day on.
TPlanPeriods ConsecutivePeriods(const QDate& from, int count, const QString& unit);

// Progress on a terminal: each step on its own line, a bar for positions.
class TConsoleProgress : public IEngineProgress {
public:
    // Without showText the steps are left to a log printed beside (the MRP run's).
    explicit TConsoleProgress(bool showText = true) : FShowText(showText) {}
    void ShowText(const QString& text) override;
    void ShowPosition(qint64 done, qint64 total) override;
    void CheckAbort() override {}
    ~TConsoleProgress() override;

private:
    bool FShowText;
    bool FBarShown = false;
    int FLastPercent = -1;
};

} // namespace kx::cli
