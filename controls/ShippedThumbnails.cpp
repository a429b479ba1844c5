#include "controls/ShippedThumbnails.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QMutex>
#include <QMutexLocker>
#include <QUrl>
#include <climits>
#include <memory>

#include "controls/FreedesktopThumbnails.h"
#include "controls/PictureLoader.h"
#include "store/Statements.h"

namespace {

// The open table: one connection that SQLite serialises, and its one prepared statement, used
// under the mutex.
struct Reader {
    sqlite3* db = nullptr;
    sqlite3_stmt* select = nullptr;
    QString picFolder;
    ~Reader() {
        sqlite3_finalize(select);
        sqlite3_close(db);
    }
};

QMutex g_mutex;
std::unique_ptr<Reader> g_reader;

}  // namespace

bool ShippedThumbnails::Stamp(const QString& path, qint64& size, qint64& mtime) {
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 ||
        !S_ISREG(st.st_mode))
        return false;
    size = st.st_size;
    mtime = st.st_mtim.tv_sec;
    return true;
}

bool ShippedThumbnails::IsRowShape(const QSize& thumbnailSize, const QSize& picture) {
    for (const int side : {kSide, kCacheSide}) {
        const QSize expected = FreedesktopThumbnails::ThumbnailSize(picture, {QString(), side});
        if (!thumbnailSize.isEmpty() && !expected.isEmpty() &&
            std::abs(thumbnailSize.width() - expected.width()) <= 1 &&
            std::abs(thumbnailSize.height() - expected.height()) <= 1)
            return true;
    }
    return false;
}

QString ShippedThumbnails::Key(const QString& picFolder, const QString& path) {
    if (picFolder.isEmpty() || path.isEmpty()) return QString();
    const QString root = QDir::cleanPath(QFileInfo(picFolder).absoluteFilePath());
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (!clean.startsWith(root + QLatin1Char('/'))) return QString();
    // "pic" whatever the folder is spelled on this disk: the key is the published path.
    return QStringLiteral("pic") + clean.mid(root.size());
}

std::optional<ShippedThumbnails::Entry> ShippedThumbnails::Make(const QString& picFolder,
                                                                const QString& path) {
    return MakeFrom(path, Key(picFolder, path));
}

std::optional<ShippedThumbnails::Entry> ShippedThumbnails::MakeFrom(const QString& source,
                                                                    const QString& key) {
    Entry entry;
    entry.key = key;
    if (entry.key.isEmpty() || !Stamp(source, entry.size, entry.mtime)) return std::nullopt;
    entry.picture = PictureLoader::ReadSize(source);
    const QImage thumbnail = PictureLoader::LoadScaled(
        source, FreedesktopThumbnails::ThumbnailSize(entry.picture, {QString(), kSide}));
    return Encode(std::move(entry), thumbnail);
}

std::optional<ShippedThumbnails::Entry> ShippedThumbnails::Encode(Entry entry,
                                                                  const QImage& thumbnail) {
    if (thumbnail.isNull()) return std::nullopt;
    entry.data.clear();
    QBuffer buffer(&entry.data);
    buffer.open(QIODevice::WriteOnly);
    // JPEG keeps them small; only a picture with transparency needs PNG to keep it.
    const bool alpha = thumbnail.hasAlphaChannel();
    QImageWriter writer(&buffer, alpha ? "png" : "jpeg");
    writer.setQuality(alpha ? 50 : 90);
    if (!writer.write(thumbnail) || entry.data.size() > kMaxDataBytes) return std::nullopt;
    return entry;
}

bool ShippedThumbnails::Open(const QString& catalogueFile, const QString& picFolder,
                             bool immutable) {
    Close();
    auto reader = std::make_unique<Reader>();
    reader->picFolder = picFolder;
    QByteArray uri = QUrl::fromLocalFile(QFileInfo(catalogueFile).absoluteFilePath()).toEncoded();
    uri += immutable ? "?mode=ro&immutable=1" : "?mode=ro";
    if (sqlite3_open_v2(uri.constData(), &reader->db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK)
        return false;
    // Another program's lock means decoding, not waiting.
    sqlite3_busy_timeout(reader->db, 0);
    // Fails on a catalogue without the table.
    if (sqlite3_prepare_v2(reader->db, Sql::SelectThumbnail, -1, &reader->select, nullptr) !=
        SQLITE_OK)
        return false;
    QMutexLocker lock(&g_mutex);
    g_reader = std::move(reader);
    return true;
}

void ShippedThumbnails::Close() {
    QMutexLocker lock(&g_mutex);
    g_reader.reset();
}

bool ShippedThumbnails::IsOpen() {
    QMutexLocker lock(&g_mutex);
    return g_reader != nullptr;
}

std::optional<ShippedThumbnails::Entry> ShippedThumbnails::Find(const QString& path) {
    Entry entry;
    {
        QMutexLocker lock(&g_mutex);
        if (!g_reader) return std::nullopt;
        entry.key = Key(g_reader->picFolder, path);
    }
    qint64 size = 0, mtime = 0;
    if (entry.key.isEmpty() || !Stamp(path, size, mtime)) return std::nullopt;
    const QByteArray key = entry.key.toUtf8();
    QMutexLocker lock(&g_mutex);
    if (!g_reader) return std::nullopt;
    sqlite3_stmt* q = g_reader->select;
    std::optional<Entry> found;
    if (sqlite3_bind_text(q, 1, key.constData(), int(key.size()), SQLITE_TRANSIENT) == SQLITE_OK &&
        sqlite3_step(q) == SQLITE_ROW)
        found = RowOf(q, entry.key);
    sqlite3_reset(q);
    sqlite3_clear_bindings(q);
    if (!found || found->size != size || found->mtime != mtime) return std::nullopt;
    return found;
}

std::optional<ShippedThumbnails::Entry> ShippedThumbnails::RowOf(sqlite3_stmt* select,
                                                                 const QString& key) {
    const qint64 w = sqlite3_column_int64(select, 2), h = sqlite3_column_int64(select, 3);
    const int bytes = sqlite3_column_bytes(select, 4);
    const void* blob = sqlite3_column_blob(select, 4);
    if (w <= 0 || h <= 0 ||
        !PictureLoader::WithinLimits(
            QSize(int(std::min<qint64>(w, INT_MAX)), int(std::min<qint64>(h, INT_MAX)))) ||
        !blob || bytes <= 0 || bytes > kMaxDataBytes)
        return std::nullopt;
    return Entry{key, sqlite3_column_int64(select, 0), sqlite3_column_int64(select, 1),
                 QSize(int(w), int(h)), QByteArray(static_cast<const char*>(blob), bytes)};
}
