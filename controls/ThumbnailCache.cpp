#include "controls/ThumbnailCache.h"

#include <QFileInfo>
#include <QMutexLocker>

ThumbnailCache::ThumbnailCache() {
    m_cells.setMaxCost(static_cast<qsizetype>(kDefaultCapacity / 1024));
}

ThumbnailCache& ThumbnailCache::Instance() {
    static ThumbnailCache cache;
    return cache;
}

QString ThumbnailCache::KeyFor(const ThumbnailRenderer::Job& job) {
    const QFileInfo info(job.path);
    if (!info.isFile()) return QString();
    return QStringLiteral("%1|%2|%3|%4x%5@%6|%7%8")
        .arg(info.absoluteFilePath())
        .arg(info.size())
        .arg(info.lastModified().toMSecsSinceEpoch())
        .arg(job.thumbWidth)
        .arg(job.thumbHeight)
        .arg(job.devicePixelRatio)
        .arg(job.kind == ThumbnailRenderer::Kind::Picture ? QLatin1Char('P') : QLatin1Char('T'))
        .arg(job.framed ? QLatin1Char('F') : QLatin1Char('-'));
}

QImage ThumbnailCache::Find(const QString& key) {
    QMutexLocker lock(&m_mutex);
    const QImage* cell = m_cells.object(key);
    return cell ? *cell : QImage();
}

void ThumbnailCache::Insert(const QString& key, const QImage& cell) {
    if (key.isEmpty() || cell.isNull() || cell.sizeInBytes() > kMaxEntryBytes) return;
    QMutexLocker lock(&m_mutex);
    m_cells.insert(key, new QImage(cell), static_cast<qsizetype>(cell.sizeInBytes() / 1024 + 1));
}

void ThumbnailCache::Clear() {
    QMutexLocker lock(&m_mutex);
    m_cells.clear();
}

void ThumbnailCache::SetCapacity(qint64 bytes) {
    QMutexLocker lock(&m_mutex);
    m_cells.setMaxCost(static_cast<qsizetype>(std::max<qint64>(0, bytes / 1024)));
}

int ThumbnailCache::Count() {
    QMutexLocker lock(&m_mutex);
    return static_cast<int>(m_cells.count());
}

QImage ThumbnailCache::RenderCached(const ThumbnailRenderer::Job& job) {
    const QString key = KeyFor(job);
    ThumbnailCache& cache = Instance();
    if (!key.isEmpty()) {
        const QImage found = cache.Find(key);
        if (!found.isNull()) return found;
    }
    QImage cell = ThumbnailRenderer::Render(job);
    cache.Insert(key, cell);
    return cell;
}
