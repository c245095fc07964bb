#include "sessionfixture.h"

#include "db/dataset.h"
#include "db/shared.h"

#include <QCoreApplication>
#include <QFile>

#include <chrono>

namespace kx::test {

void TPausingProgress::ShowText(const QString& text)
{
    if (!FMarker.isEmpty() && text.contains(FMarker))
        Pause();
}

void TPausingProgress::ShowPosition(qint64 done, qint64)
{
    if (FPosition >= 0 && done >= FPosition)
        Pause();
}

void TPausingProgress::Pause()
{
    std::unique_lock<std::mutex> lock(FMutex);
    if (FPaused)
        return;
    FPaused = true;
    FChanged.notify_all();
    FChanged.wait(lock, [this] { return FReleased; });
}

bool TPausingProgress::WaitPaused()
{
    // The work's message boxes are shown on this thread: it keeps serving them while it waits.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    std::unique_lock<std::mutex> lock(FMutex);
    while (!FPaused && !FEnded && std::chrono::steady_clock::now() < deadline) {
        FChanged.wait_for(lock, std::chrono::milliseconds(20));
        lock.unlock();
        QCoreApplication::processEvents();
        lock.lock();
    }
    return FPaused;
}

void TPausingProgress::Release()
{
    std::lock_guard<std::mutex> lock(FMutex);
    FReleased = true;
    FChanged.notify_all();
}

std::unique_ptr<TConnection> NewSession(const QString& database)
{
    auto connection = std::make_unique<TConnection>();
    connection->ConnectionString = BuildConnectionString(0, TTestDatabase::Server(), database, {}, {});
    return connection;
}

TSecondSession::TSecondSession(const QString& database) : FConnection(NewSession(database)) {}

TSecondSession::~TSecondSession()
{
    if (FThread.joinable())
        (void)Finish();
}

void TSecondSession::Start(int schemeIID, TPausingProgress& progress, std::function<bool(TPlanScheme&, IEngineProgress&)> work)
{
    FProgress = &progress;
    FThread = std::thread([this, schemeIID, work] {
        TPlanScheme scheme(FConnection.get());
        FResult = scheme.Load(schemeIID) && work(scheme, *FProgress);
        std::lock_guard<std::mutex> lock(FProgress->FMutex);
        FProgress->FEnded = true;
        FProgress->FChanged.notify_all();
    });
}

bool TSecondSession::Finish()
{
    FProgress->Release();
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(FProgress->FMutex);
            if (FProgress->FChanged.wait_for(lock, std::chrono::milliseconds(20), [this] { return FProgress->FEnded; }))
                break;
        }
        QCoreApplication::processEvents();
    }
    FThread.join();
    return FResult;
}

TMRPLogEvent TSecondSession::LogEvent()
{
    return [this](int, int, const QString& text, const QString&) {
        std::lock_guard<std::mutex> lock(FLogMutex);
        FLog << text;
    };
}

QStringList TSecondSession::Log() const
{
    std::lock_guard<std::mutex> lock(FLogMutex);
    return FLog;
}

TTableFile CsvFile(const QString& folder, const QByteArray& text)
{
    const QString path = folder + QStringLiteral("/rows.csv");
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
    f.close();
    return ReadTableFile(path);
}

QString ModuleTablesDigest()
{
    TQuery tables(&SharedConnection());
    // Who holds which scheme is bookkeeping of the sessions, not data of the schemes.
    tables.SQL = QStringLiteral("select relname from pg_class where relname like 'kx\\_mrp\\_%' and relkind in ('r', 'p') "
                                "and not relispartition and relnamespace=current_schema()::regnamespace "
                                "and relname<>'kx_mrp_schemelocks' order by relname");
    tables.Open();
    QStringList digests;
    for (int r = 0; r < tables.RecordCount(); ++r) {
        const QString table = tables.TextAt(r, 0);
        TQuery q(&SharedConnection());
        q.SQL = QStringLiteral("select coalesce(md5(string_agg(t::text, '|' order by t::text)), '-') from %1 as t").arg(table);
        q.Open();
        digests << table + QLatin1Char('=') + q.TextAt(0, 0);
    }
    return digests.join(QLatin1Char(' '));
}

} // namespace kx::test
