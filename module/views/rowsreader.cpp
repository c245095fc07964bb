#include "views/rowsreader.h"

#include "db/connection.h"
#include "db/dataset.h"
#include "db/messages.h"
#include "db/shared.h"

#include <QMutex>
#include <QThread>

#include <atomic>
#include <exception>
#include <optional>

namespace kx {

struct TRowsReader::TRead {
    QString SQL;
    TRowsTaker Take;
    std::unique_ptr<QThread> Thread;
    QMutex Lock;
    std::unique_ptr<TStatementCanceller> Canceller;
    std::atomic<bool> Cancelled = false;
    std::optional<TQuery> Rows;
    std::exception_ptr Failure;
    bool Delivered = false;

    void Cancel()
    {
        Cancelled = true;
        QMutexLocker lock(&Lock);
        if (Canceller)
            Canceller->Cancel();
    }
};

TRowsReader::TRowsReader(QObject* parent) : QObject(parent) {}

TRowsReader::~TRowsReader()
{
    Cancel();
}

bool TRowsReader::Pending() const
{
    return FRead && !FRead->Delivered;
}

void TRowsReader::Cancel()
{
    if (!FRead)
        return;
    const std::shared_ptr<TRead> read = std::move(FRead);
    read->Cancel();
    read->Thread->wait();
}

void TRowsReader::Start(const QString& sql, TRowsTaker take)
{
    Cancel();
    auto read = std::make_shared<TRead>();
    read->SQL = sql;
    read->Take = std::move(take);
    auto connection = std::make_shared<TConnection>();
    if (Env())
        SetConnectionParams(*connection, *Env());
    else
        connection->ConnectionString = SharedConnection().ConnectionString;
    connection->CommandTimeout = SharedConnection().CommandTimeout;
    read->Thread.reset(QThread::create([this, read, connection] {
        try {
            connection->Open();
            {
                QMutexLocker lock(&read->Lock);
                read->Canceller = connection->MakeCanceller();
            }
            if (!read->Cancelled) {
                // What is read here is large and mostly sorted: in memory rather than on disk.
                connection->Execute(QStringLiteral("set work_mem='64MB'"));
                TQuery rows(connection.get());
                rows.SQL = read->SQL;
                rows.Open();
                rows.Connection = nullptr;
                QMutexLocker lock(&read->Lock);
                read->Rows.emplace(std::move(rows));
            }
        } catch (...) {
            QMutexLocker lock(&read->Lock);
            read->Failure = std::current_exception();
        }
        {
            QMutexLocker lock(&read->Lock);
            read->Canceller.reset();
        }
        connection->Close();
        if (!read->Cancelled)
            QMetaObject::invokeMethod(this, [this, read] { Deliver(read); }, Qt::QueuedConnection);
    }));
    FRead = read;
    read->Thread->start();
}

void TRowsReader::Wait()
{
    if (!FRead)
        return;
    FRead->Thread->wait();
    Deliver(FRead);
}

void TRowsReader::Deliver(const std::shared_ptr<TRead>& read)
{
    // Only the read in flight hands over its rows, once.
    if (read != FRead || read->Delivered || read->Cancelled)
        return;
    read->Thread->wait();
    read->Delivered = true;
    if (read->Rows) {
        read->Take(std::move(*read->Rows));
    } else if (read->Failure) {
        try {
            std::rethrow_exception(read->Failure);
        } catch (const std::exception& e) {
            ShowException(e);
        }
    }
}

} // namespace kx
