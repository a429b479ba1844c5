#include "publish/CopyWorker.h"

#include <chrono>

#include "publish/FileCopier.h"

CopyWorker::CopyWorker(QList<CopyJob> jobs, std::atomic<bool>* finishedFlag, QObject* parent)
    : QThread(parent),
      m_jobs(std::move(jobs)),
      m_finishedFlag(finishedFlag),
      m_chunkSize(FileCopier::kDefaultChunkSize),
      m_clock([] {
          return std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now().time_since_epoch())
              .count();
      }),
      m_outcomes(m_jobs.size()) {}

CopyWorker::~CopyWorker() {
    RequestCancel();
    wait();
}

int CopyWorker::Percentage(qint64 done, qint64 total) {
    if (total <= 0 || done >= total) return 100;
    if (done <= 0) return 0;
    return static_cast<int>(static_cast<double>(done) / static_cast<double>(total) * 100.0);
}

void CopyWorker::run() {
    emit copyStarted();
    FileCopier copier;
    copier.SetChunkSize(m_chunkSize);
    int cumulative = 0;
    for (int i = 0; i < m_jobs.size(); ++i) {
        if (m_cancel.load()) {
            emit copyCancelled(i);
            break;
        }
        const CopyJob& job = m_jobs.at(i);
        unsigned lastPercent = 0;
        const qint64 start = m_clock();
        emit fileStarted(i, job.source);
        const auto result =
            copier.Copy(job.source, job.destination, [&](qint64 done, qint64 total) {
                if (m_observer) m_observer(i, done, total);
                const unsigned percent = static_cast<unsigned>(Percentage(done, total));
                if (percent > lastPercent) {
                    lastPercent = percent;
                    emit percentChanged(i, static_cast<int>(percent));
                }
                return !m_cancel.load();
            });
        if (result == FileCopier::Result::Cancelled) {
            m_outcomes[i].status = CopyOutcome::Cancelled;
            emit copyCancelled(i);
            break;
        }
        if (result == FileCopier::Result::Failed) {
            m_outcomes[i] = {CopyOutcome::Failed, copier.ErrorString()};
            emit fileFailed(i, copier.ErrorString());
            break;
        }
        m_outcomes[i].status = CopyOutcome::Copied;
        // Measured on the monotonic clock, so a copy across midnight or a clock change reports
        // its real duration.
        const int seconds = static_cast<int>((m_clock() - start) / 1000);
        cumulative += seconds;
        emit fileCopied(i, seconds, cumulative);
    }
    if (m_finishedFlag) m_finishedFlag->store(true);
}
