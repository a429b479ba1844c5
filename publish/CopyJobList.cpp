#include "publish/CopyJobList.h"

#include <QStringList>

void CopyJobList::Append(const QString& source, const QString& destination) {
    m_jobs.append(CopyJob{source, destination});
}

bool CopyJobList::AppendFrom(QStringList& scratch) {
    if (scratch.size() != 2) return false;
    m_jobs.append(CopyJob{scratch.at(0), scratch.at(1)});
    scratch.clear();
    return true;
}
