#pragma once

#include <QString>

// One queued file copy.
struct CopyJob {
    QString source;       // full path of an existing file
    QString destination;  // full path of the file to create or overwrite

    bool operator==(const CopyJob& other) const = default;
};
