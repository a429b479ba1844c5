#pragma once

#include <QList>
#include <QString>
#include <QThread>
#include <atomic>
#include <functional>

#include "publish/CopyJob.h"

// What became of one job of a run.
struct CopyOutcome {
    enum Status { NotCopied, Copied, Failed, Cancelled };
    Status status = NotCopied;
    QString error;  // why it failed, for Failed
};

// The thread that copies a run's jobs in order. It works on its own copy of the jobs and reports
// through signals only (receivers connect queued), so it never touches a window. It stops at the
// first failure, and after the current chunk when cancelled.
class CopyWorker : public QThread {
    Q_OBJECT
public:
    // finishedFlag (may be null) is set as the thread's very last action.
    CopyWorker(QList<CopyJob> jobs, std::atomic<bool>* finishedFlag, QObject* parent = nullptr);
    ~CopyWorker() override;

    // Seams; set before start(). The clock gives monotonic milliseconds; the chunk observer is
    // called on this thread after every chunk with the job index, bytes done and file size.
    void SetChunkSize(qint64 bytes) { m_chunkSize = bytes; }
    void SetClock(std::function<qint64()> clock) { m_clock = std::move(clock); }
    void SetChunkObserver(std::function<void(int, qint64, qint64)> observer) {
        m_observer = std::move(observer);
    }

    // Asks the thread to stop after the chunk it is copying; the file is then not written.
    void RequestCancel() { m_cancel.store(true); }
    bool CancelRequested() const { return m_cancel.load(); }

    // One outcome per job; read it once the thread has finished.
    const QList<CopyOutcome>& Outcomes() const { return m_outcomes; }

    // Whole percentage of a file done: truncated, 100 for an empty file, never above 100.
    static int Percentage(qint64 done, qint64 total);

signals:
    void copyStarted();
    void fileStarted(int index, const QString& source);
    // Only when the whole percentage of the current file grows, so at most 100 times a file.
    void percentChanged(int index, int percent);
    void fileCopied(int index, int seconds, int cumulativeSeconds);
    void fileFailed(int index, const QString& error);
    void copyCancelled(int index);

protected:
    void run() override;

private:
    QList<CopyJob> m_jobs;
    std::atomic<bool>* m_finishedFlag;
    std::atomic<bool> m_cancel{false};
    qint64 m_chunkSize;
    std::function<qint64()> m_clock;
    std::function<void(int, qint64, qint64)> m_observer;
    QList<CopyOutcome> m_outcomes;
};
