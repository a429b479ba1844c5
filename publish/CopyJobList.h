#pragma once

#include <QList>

#include "publish/CopyJob.h"

// The ordered file copies an operation hands to the progress dialog. The caller empties it,
// appends its jobs and runs the dialog; the dialog copies them in order and leaves the list as it
// was, so it still holds the last run's jobs until the next caller empties it.
class CopyJobList {
public:
    void RemoveAll() { m_jobs.clear(); }
    void Append(const CopyJob& job) { m_jobs.append(job); }
    void Append(const QString& source, const QString& destination);
    // Appends the job assembled in a scratch list (source, then destination) and empties the
    // scratch list. Returns false, leaving both lists alone, when it does not hold exactly two
    // entries.
    bool AppendFrom(QStringList& scratch);

    int GetCount() const { return static_cast<int>(m_jobs.size()); }
    bool IsEmpty() const { return m_jobs.isEmpty(); }
    const CopyJob& At(int index) const { return m_jobs.at(index); }
    const QList<CopyJob>& Jobs() const { return m_jobs; }

    QList<CopyJob>::const_iterator begin() const { return m_jobs.cbegin(); }
    QList<CopyJob>::const_iterator end() const { return m_jobs.cend(); }

private:
    QList<CopyJob> m_jobs;
};
