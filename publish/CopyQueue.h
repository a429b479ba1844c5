#pragma once

#include <QStringList>
#include <atomic>

#include "publish/CopyJobList.h"

// The application's file copies, shared by the operations that queue them and the progress
// dialog that runs them: the jobs of the next run, the scratch list one job is assembled in
// (source, then destination), and the flag the copy worker sets when it has finished.
struct CopyQueue {
    CopyJobList jobs;
    QStringList scratch;
    std::atomic<bool> finished{false};
};
