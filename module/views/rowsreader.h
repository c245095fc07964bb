// A statement read behind the screen: it runs on a database connection of its own in a worker
// thread while the GUI goes on, and its rows are handed back on the GUI thread. A view shows
// the first rows of a large result at once and takes the whole result from here when it is
// there. A new read, Cancel or the reader's end cancels the statement in flight and drops
// its rows.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace kx {

class TQuery;

class TRowsReader : public QObject {
    Q_OBJECT

public:
    using TRowsTaker = std::function<void(TQuery&& rows)>;

    explicit TRowsReader(QObject* parent = nullptr);
    ~TRowsReader() override;

    // Starts reading; take gets the rows on the GUI thread. A failed read is shown and gives
    // nothing.
    void Start(const QString& sql, TRowsTaker take);
    void Cancel();
    bool Pending() const;
    // Waits for the read in flight and hands its rows over now.
    void Wait();

private:
    struct TRead;
    void Deliver(const std::shared_ptr<TRead>& read);

    std::shared_ptr<TRead> FRead;
};

} // namespace kx
