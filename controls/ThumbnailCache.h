#pragma once

#include <QCache>
#include <QImage>
#include <QMutex>
#include <QString>

#include "controls/ThumbnailRenderer.h"

// Finished thumbnail cells of recently shown pictures, shared by every list and safe to use
// from the loading threads. Visitors go back and forth between categories; a cell found here
// is shown at once instead of being decoded again. Entries are keyed by the file's path, size
// and modification time and by the cell's geometry, so a changed file is decoded afresh.
class ThumbnailCache {
public:
    // Cells larger than this (document pages) are not kept.
    static constexpr qint64 kMaxEntryBytes = 4 * 1024 * 1024;
    // About twenty product cells: the first screen of the last category, enough to go back and
    // forth, while a long category costs no more than a short one (the list keeps the cells
    // around the screen itself).
    static constexpr qint64 kDefaultCapacity = 2 * 1024 * 1024;

    static ThumbnailCache& Instance();

    // The key of a job's cell; empty when the file does not exist (nothing worth keeping).
    static QString KeyFor(const ThumbnailRenderer::Job& job);

    // The cached cell, or a null image.
    QImage Find(const QString& key);
    void Insert(const QString& key, const QImage& cell);
    void Clear();
    // Total size the cache may hold, in bytes (kDefaultCapacity unless set).
    void SetCapacity(qint64 bytes);
    int Count();

    // Renders the job's cell, through the cache when the file can be keyed.
    static QImage RenderCached(const ThumbnailRenderer::Job& job);

private:
    ThumbnailCache();

    QMutex m_mutex;
    QCache<QString, QImage> m_cells;  // cost in KiB
};
