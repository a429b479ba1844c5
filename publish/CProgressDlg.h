#pragma once

#include <QDialog>
#include <QList>
#include <functional>
#include <memory>

#include "publish/CopyJobList.h"
#include "publish/CopyWorker.h"

struct CopyQueue;

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// The small modal dialog "正在处理文件，请稍后..." that copies a list of files on a worker
// thread, showing the current file, its percentage and the time taken, and closing itself
// shortly after the last job. Owners keep one as a member and run it once per operation.
//
// Cancel (the button, Escape or closing the window) stops the worker after the chunk it is
// copying; the dialog closes when the worker has stopped, so no worker outlives its run.
class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    // `queue` holds the jobs a run copies and the finished flag its worker sets.
    explicit CProgressDlg(CopyQueue& queue, QWidget* parent = nullptr);
    ~CProgressDlg() override;

    // Copies the queue's jobs (taken as they are when the run starts) and returns IDOK when
    // the dialog closed by itself after the worker's end (also after a failure), IDCANCEL when
    // the visitor cancelled.
    int DoModal();
    // The same for a list of the caller's own.
    int DoModal(const CopyJobList& jobs);

    // The last run's result: one outcome per job, in order.
    const QList<CopyOutcome>& Results() const { return m_results; }
    bool AllCopied() const;
    int CopiedCount() const;
    bool WasCancelled() const { return m_cancelled; }

    // Seams. Poll period of the finished flag (200 ms) and the pause before closing (300 ms).
    void SetPollInterval(int ms) { m_pollMs = ms; }
    void SetCloseDelay(int ms) { m_closeDelayMs = ms; }
    // Worker seams: chunk size, monotonic clock, per-chunk observer (called on the worker).
    void SetChunkSize(qint64 bytes) { m_chunkSize = bytes; }
    void SetClock(std::function<qint64()> clock) { m_clock = std::move(clock); }
    void SetChunkObserver(std::function<void(int, qint64, qint64)> observer) {
        m_observer = std::move(observer);
    }

public slots:
    void reject() override;

signals:
    // The status line (1002) and the file line (1004) changed.
    void statusTextChanged(const QString& text);
    void fileTextChanged(const QString& text);

private:
    void SetStatus(const QString& text);
    void SetFileText(const QString& text);
    void OnTimer();
    void OnWorkerEnded();
    void Finish(int result);

    void OnCopyStarted();
    void OnFileStarted(int index, const QString& source);
    void OnPercentChanged(int index, int percent);
    void OnFileCopied(int index, int seconds, int cumulativeSeconds);
    void OnFileFailed(int index, const QString& error);

    QLabel* m_status;       // 1002
    QLabel* m_fileLine;     // 1004
    QProgressBar* m_bar;    // 1003
    QPushButton* m_cancel;  // 2
    QTimer* m_pollTimer;
    QTimer* m_closeTimer;

    CopyQueue& m_queue;
    std::unique_ptr<CopyWorker> m_worker;
    QList<CopyOutcome> m_results;
    bool m_cancelled = false;
    bool m_ending = false;
    int m_pollMs = 200;
    int m_closeDelayMs = 300;
    qint64 m_chunkSize = 0;
    std::function<qint64()> m_clock;
    std::function<void(int, qint64, qint64)> m_observer;
};
