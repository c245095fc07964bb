#include "views/longwork.h"

#include "db/errors.h"
#include "db/escape.h"
#include "db/messages.h"

#include <QCloseEvent>
#include <QDialog>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QMutex>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>

namespace kx {

namespace {

const QString kCancelQuestion = QStringLiteral("您已按下[Esc]键, 中止正在执行的操作?");

// What the job reports and what the user asks of it, shared by the worker and the GUI.
struct TWorkState {
    std::atomic<bool> Abort{false};
    std::atomic<qint64> Done{0};
    std::atomic<qint64> Total{0};
    QMutex Lock;
    QString Text;                                     // under Lock
    std::unique_ptr<TStatementCanceller> Canceller;   // under Lock; set while the job runs
};

class TWorkerProgress : public IEngineProgress {
public:
    explicit TWorkerProgress(TWorkState& state) : FState(state) {}

    void ShowText(const QString& text) override
    {
        QMutexLocker lock(&FState.Lock);
        FState.Text = text;
    }
    void ShowPosition(qint64 done, qint64 total) override
    {
        FState.Done = done;
        FState.Total = total;
    }
    void CheckAbort() override
    {
        if (FState.Abort)
            throw EAbort();
    }

private:
    TWorkState& FState;
};

// The progress window. It refreshes from the shared state ten times a second rather than
// on every report, so a chatty job costs the GUI nothing.
class TLongWorkDlg : public QDialog {
public:
    TLongWorkDlg(QWidget* parent, const QString& title, TWorkState& state, bool canCancel)
        : QDialog(parent), FState(state), FCanCancel(canCancel)
    {
        setWindowTitle(title);
        setModal(true);
        setMinimumWidth(460);
        auto* layout = new QVBoxLayout(this);
        lblText = new QLabel(QStringLiteral("正在处理, 请稍候..."), this);
        lblText->setWordWrap(true);
        barProgress = new QProgressBar(this);
        barProgress->setRange(0, 0);
        barProgress->setTextVisible(false);
        lblElapsed = new QLabel(this);
        btnCancel = new QPushButton(QStringLiteral("取消(&C)"), this);
        btnCancel->setVisible(canCancel);
        btnCancel->setAutoDefault(false);
        auto* bottom = new QHBoxLayout;
        bottom->addWidget(lblElapsed, 1);
        bottom->addWidget(btnCancel);
        layout->addWidget(lblText);
        layout->addWidget(barProgress);
        layout->addLayout(bottom);
        connect(btnCancel, &QPushButton::clicked, this, [this] { AskCancel(); });
        connect(&FTimer, &QTimer::timeout, this, [this] { Tick(); });
        FClock.start();
        FTimer.start(100);
        Tick();
    }

    // The job has ended: the window closes without a question.
    void Finish()
    {
        FFinished = true;
        FTimer.stop();
        QDialog::accept();
    }

    // Esc (QDialog's reject) asks instead of closing.
    void reject() override { AskCancel(); }

    QLabel* lblText;
    QProgressBar* barProgress;
    QLabel* lblElapsed;
    QPushButton* btnCancel;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (!FFinished) {
            event->ignore();
            AskCancel();
        }
    }

private:
    void Tick()
    {
        {
            QMutexLocker lock(&FState.Lock);
            if (!FState.Abort && !FState.Text.isEmpty() && lblText->text() != FState.Text)
                lblText->setText(FState.Text);
        }
        const qint64 total = FState.Total;
        if (total > 0) {
            // Per mille, so that counts beyond the bar's int range still show.
            barProgress->setRange(0, 1000);
            barProgress->setValue(int(qBound(qint64(0), FState.Done.load() * 1000 / total, qint64(1000))));
        } else if (barProgress->maximum() != 0) {
            barProgress->setRange(0, 0);
        }
        const qint64 seconds = FClock.elapsed() / 1000;
        lblElapsed->setText(QStringLiteral("已用时间: %1:%2")
                                .arg(seconds / 60, 2, 10, QLatin1Char('0'))
                                .arg(seconds % 60, 2, 10, QLatin1Char('0')));
        if (FCanCancel && EscapeHeld())
            AskCancel();
    }

    void AskCancel()
    {
        if (!FCanCancel || FAsking || FFinished || FState.Abort)
            return;
        FAsking = true;
        const bool stop = ShowQuestion(kCancelQuestion, mbYesNo) == mrYes;
        FAsking = false;
        if (!stop || FFinished)
            return;
        FState.Abort = true;
        {
            QMutexLocker lock(&FState.Lock);
            if (FState.Canceller)
                FState.Canceller->Cancel();
        }
        lblText->setText(QStringLiteral("正在中止操作, 请稍候..."));
        btnCancel->setEnabled(false);
    }

    TWorkState& FState;
    bool FCanCancel;
    bool FAsking = false;
    bool FFinished = false;
    QTimer FTimer;
    QElapsedTimer FClock;
};

} // namespace

TLongWorkOutcome RunLongWork(QWidget* parent, const QString& title, const TLongJob& job, bool canCancel)
{
    TWorkState state;
    TConnection connection;
    if (Env())
        SetConnectionParams(connection, *Env());
    else
        connection.ConnectionString = SharedConnection().ConnectionString;
    connection.CommandTimeout = SharedConnection().CommandTimeout;

    TLongWorkOutcome outcome = lwFailed;
    QThread* worker = QThread::create([&] {
        TWorkerScope scope(connection, &state.Abort);
        TWorkerProgress progress(state);
        try {
            connection.Open();
            {
                QMutexLocker lock(&state.Lock);
                state.Canceller = connection.MakeCanceller();
            }
            outcome = job(connection, progress) ? lwDone : lwFailed;
        } catch (const EAbort&) {
            outcome = lwCancelled;
        } catch (const std::exception& e) {
            if (!state.Abort)
                ShowException(e);
            outcome = lwFailed;
        }
        // A job that caught the abort itself and gave up still ends as cancelled.
        if (outcome == lwFailed && state.Abort)
            outcome = lwCancelled;
        {
            QMutexLocker lock(&state.Lock);
            state.Canceller.reset();
        }
        connection.Close();
    });

    TLongWorkDlg dlg(parent, title, state, canCancel);
    QObject::connect(worker, &QThread::finished, &dlg, [&dlg] { dlg.Finish(); });
    worker->start();
    dlg.exec();
    worker->wait();
    delete worker;
    return outcome;
}

} // namespace kx
