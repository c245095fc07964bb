// Two sessions on one scheme: a run, fetch or import held still at a chosen step on a
// connection and thread of its own, while the test acts as a second user on other connections.
#pragma once

#include "engine/planscheme.h"
#include "engine/progress.h"
#include "engine/tablefile.h"
#include "testdatabase.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace kx::test {

// Progress that holds the work at the first step whose text contains a marker, or at the
// first row position reaching a number, until released.
class TPausingProgress : public IEngineProgress {
public:
    TPausingProgress(const QString& stepMarker, qint64 position = -1) : FMarker(stepMarker), FPosition(position) {}
    void ShowText(const QString& text) override;
    void ShowPosition(qint64 done, qint64 total) override;
    void CheckAbort() override {}
    // False when the work ended or did not reach the step within a minute.
    bool WaitPaused();
    void Release();

private:
    void Pause();

    QString FMarker;
    qint64 FPosition;
    std::mutex FMutex;
    std::condition_variable FChanged;
    bool FPaused = false, FReleased = false, FEnded = false;
    friend class TSecondSession;
};

// Work on a scheme in a session of its own, on its own thread: started by Start, held at the
// progress marker, then let go by Finish, which answers what the work returned.
class TSecondSession {
public:
    explicit TSecondSession(const QString& database);
    ~TSecondSession();
    TConnection& Connection() { return *FConnection; }
    // Loads the scheme on this session's connection and runs work(scheme, progress) on the thread.
    void Start(int schemeIID, TPausingProgress& progress, std::function<bool(TPlanScheme&, IEngineProgress&)> work);
    bool Finish();
    // The run log lines the work wrote (for an MRP run).
    QStringList Log() const;
    TMRPLogEvent LogEvent();

private:
    std::unique_ptr<TConnection> FConnection;
    std::thread FThread;
    TPausingProgress* FProgress = nullptr;
    bool FResult = false;
    mutable std::mutex FLogMutex;
    QStringList FLog;
};

// A new connection to the test database: another user's session.
std::unique_ptr<TConnection> NewSession(const QString& database);
// A text table written to a file of the folder and read back as an import reads it.
TTableFile CsvFile(const QString& folder, const QByteArray& text);
// A digest of every row of every module table ("kx_mrp_..."), to tell that nothing changed.
QString ModuleTablesDigest();

} // namespace kx::test
