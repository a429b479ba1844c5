#include "publish/ThumbnailMaker.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QtConcurrent>
#include <cstdlib>

#include "controls/ExifThumbnail.h"
#include "controls/FreedesktopThumbnails.h"
#include "controls/PictureLoader.h"
#include "publish/WebCatalogue.h"
#include "publish/WebPictures.h"
#include "store/CatalogueDb.h"
#include "store/Statements.h"

using Entry = ShippedThumbnails::Entry;

namespace {

// The earlier copy's rows, looked up one at a time from every making thread.
class EarlierRows {
public:
    explicit EarlierRows(const QString& catalogue) {
        if (catalogue.isEmpty() || !QFileInfo(catalogue).isFile()) return;
        const QByteArray uri =
            QUrl::fromLocalFile(QFileInfo(catalogue).absoluteFilePath()).toEncoded() + "?mode=ro";
        // A copy without the table (an older one) simply has no rows to give.
        if (sqlite3_open_v2(uri.constData(), &m_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
                            nullptr) != SQLITE_OK ||
            sqlite3_prepare_v2(m_db, Sql::SelectThumbnail, -1, &m_select, nullptr) != SQLITE_OK) {
            sqlite3_finalize(m_select);
            m_select = nullptr;
        }
    }
    ~EarlierRows() {
        sqlite3_finalize(m_select);
        sqlite3_close(m_db);
    }
    EarlierRows(const EarlierRows&) = delete;
    EarlierRows& operator=(const EarlierRows&) = delete;

    std::optional<Entry> Find(const QString& key) {
        QMutexLocker lock(&m_mutex);
        if (!m_select) return std::nullopt;
        const QByteArray utf8 = key.toUtf8();
        std::optional<Entry> found;
        // Only a row the viewer would use is carried over.
        if (sqlite3_bind_text(m_select, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) ==
                SQLITE_OK &&
            sqlite3_step(m_select) == SQLITE_ROW)
            found = ShippedThumbnails::RowOf(m_select, key);
        sqlite3_reset(m_select);
        sqlite3_clear_bindings(m_select);
        return found;
    }

private:
    QMutex m_mutex;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_select = nullptr;
};

// `image` at exactly `size`.
QImage Sized(const QImage& image, const QSize& size) {
    return image.size() == size
               ? image
               : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

bool Covers(const QSize& have, const QSize& want) {
    return have.width() + 1 >= want.width() && have.height() + 1 >= want.height();
}

}  // namespace

struct ThumbnailMaker::Run {
    QString catalogue;
    QString earlierCatalogue;
    QString webFolder;
    QList<Picture> pictures;
    std::atomic<bool> cancel = false;
    std::atomic<int> done = 0;
    std::atomic<int> made[5] = {};  // by Origin
    bool ok = false;
    QString error;
};

ThumbnailMaker::ThumbnailMaker(QThreadPool& pool) : m_pool(pool) {
    m_driver.setMaxThreadCount(1);
}

ThumbnailMaker::~ThumbnailMaker() {
    Cancel();
}

std::optional<Entry> ThumbnailMaker::Make(const Picture& picture, const EarlierRow& earlier,
                                          Origin* origin, QImage* thumbnail) {
    *origin = Origin::None;
    Entry entry;
    entry.key = picture.key;
    if (entry.key.isEmpty() || !ShippedThumbnails::Stamp(picture.source, entry.size, entry.mtime))
        return std::nullopt;

    if (earlier) {
        std::optional<Entry> row = earlier(entry.key);
        if (row && row->size == entry.size && row->mtime == entry.mtime) {
            *origin = Origin::Earlier;
            return row;
        }
    }

    // The desktop cache: the extra-large class gives the sharpest row, the large class (what
    // the editor's program writes on an ordinary screen) is kept at its own size.
    QImage image;
    Origin from = Origin::None;
    const FreedesktopThumbnails::Source cached = FreedesktopThumbnails::Describe(picture.source);
    for (const int side : {512, 256, 1024}) {
        if (!cached.IsValid()) break;
        QSize upright;
        const QImage stored =
            FreedesktopThumbnails::Find(cached, FreedesktopThumbnails::ClassFor(side), &upright);
        if (stored.isNull() || upright.isEmpty()) continue;
        const QSize want =
            FreedesktopThumbnails::ThumbnailSize(upright, {QString(), ShippedThumbnails::kSide});
        const QSize size = Covers(stored.size(), want) ? want : stored.size();
        if (!ShippedThumbnails::IsRowShape(size, upright)) continue;
        entry.picture = upright;
        image = Sized(stored, size);
        from = Origin::Cache;
        break;
    }

    if (image.isNull()) {
        entry.picture = PictureLoader::ReadSize(picture.source);
        if (entry.picture.isEmpty()) return std::nullopt;
        const QSize want = FreedesktopThumbnails::ThumbnailSize(
            entry.picture, {QString(), ShippedThumbnails::kSide});
        const ExifThumbnail::Found found = ExifThumbnail::Read(picture.source);
        if (!found.jpeg.isEmpty()) {
            // Stored as the photo is; the orientation turns both.
            const bool turned = found.orientation & QImageIOHandler::TransformationRotate90;
            const QImage embedded = ExifThumbnail::Load(
                found, turned ? entry.picture.transposed() : entry.picture, want);
            if (!embedded.isNull()) {
                image = Sized(embedded, want);
                from = Origin::Embedded;
            }
        }
        if (image.isNull()) {
            image = PictureLoader::LoadScaled(picture.source, want);
            from = Origin::Decoded;
        }
    }

    auto row = ShippedThumbnails::Encode(entry, image);
    if (row) {
        *origin = from;
        if (thumbnail) *thumbnail = std::move(image);
    }
    return row;
}

void ThumbnailMaker::WriteWebFiles(const Entry& entry, const QImage& thumbnail,
                                   const QString& folder) {
    // The web catalogue makes what is missing here itself: failures only cost it time.
    const bool png = entry.data.startsWith("\x89PNG");
    const QByteArray single = WebPictures::SingleDensity(thumbnail, png, WebCatalogue::kCell);
    if (single.isEmpty() || !QDir().mkpath(folder)) return;
    const QString base = WebPictures::ThumbnailBase(folder, entry.key);
    const QString suffix = png ? QStringLiteral(".png") : QStringLiteral(".jpg");
    for (const auto& [path, data] :
         {std::pair{base + suffix, single},
          std::pair{base + QStringLiteral("-2x") + suffix, entry.data}}) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) return;
    }
}

void ThumbnailMaker::Start(const QString& catalogue, const QString& earlierCatalogue,
                           QList<Picture> pictures, const QString& webFolder) {
    Cancel();
    m_run = std::make_shared<Run>();
    m_run->catalogue = catalogue;
    m_run->earlierCatalogue = earlierCatalogue;
    m_run->pictures = std::move(pictures);
    m_run->webFolder = webFolder;
    m_driver.start([this, run = m_run] { Work(*run); });
}

void ThumbnailMaker::Work(Run& run) {
    const auto failed = [&run](const QString& why) { run.error = why; };
    CatalogueDb copy;
    QString why;
    if (!copy.Open(run.catalogue, &why)) return failed(why);
    if (!copy.ExecuteSql(Sql::CreateThumbnailTable) || !copy.ExecuteSql(Sql::DeleteThumbnails))
        return failed(copy.LastError());
    QSqlDatabase db = copy.Database();
    if (!db.transaction()) return failed(db.lastError().text());
    QSqlQuery insert(db);
    if (!insert.prepare(QString::fromUtf8(Sql::InsertThumbnail)))
        return failed(insert.lastError().text());

    EarlierRows earlierRows(run.earlierCatalogue);
    const EarlierRow earlier = [&earlierRows](const QString& key) { return earlierRows.Find(key); };
    const auto make = [&run, &earlier](const Picture& picture) -> std::optional<Entry> {
        if (run.cancel) return std::nullopt;
        Origin origin = Origin::None;
        QImage thumbnail;
        std::optional<Entry> entry = Make(picture, earlier, &origin, &thumbnail);
        ++run.made[int(origin)];
        // The earlier copy's web files serve its rows.
        if (entry && origin != Origin::Earlier && !run.webFolder.isEmpty())
            WriteWebFiles(*entry, thumbnail, run.webFolder);
        return entry;
    };
    // A few at a time, so that memory stays small however many there are.
    constexpr int kChunk = 32;
    for (qsizetype from = 0; from < run.pictures.size() && !run.cancel; from += kChunk) {
        const QList<std::optional<Entry>> entries =
            QtConcurrent::blockingMapped(&m_pool, run.pictures.mid(from, kChunk), make);
        for (const auto& entry : entries) {
            if (!entry) continue;
            CatalogueDb::BindAll(insert,
                                 {entry->key, entry->size, entry->mtime, entry->picture.width(),
                                  entry->picture.height(), entry->data});
            if (!insert.exec()) {
                failed(insert.lastError().text());
                insert.finish();
                db.rollback();
                return;
            }
        }
        run.done += int(entries.size());
    }
    insert.finish();
    if (run.cancel) {
        db.rollback();
        return failed(QStringLiteral("stopped"));
    }
    if (!db.commit()) {
        failed(db.lastError().text());
        db.rollback();
        return;
    }
    run.ok = true;
}

bool ThumbnailMaker::Finish(const Progress& progress, QString* error) {
    if (!m_run) return true;
    const int total = int(m_run->pictures.size());
    if (progress && total > 0) progress(m_run->done, total);
    while (!m_driver.waitForDone(100))
        if (progress) progress(m_run->done, total);
    if (progress && total > 0) progress(total, total);
    if (!m_run->ok && error) *error = m_run->error;
    return m_run->ok;
}

void ThumbnailMaker::Cancel() {
    if (m_run) m_run->cancel = true;
    m_driver.waitForDone();
}

ThumbnailMaker::Counts ThumbnailMaker::Made() const {
    Counts counts;
    if (!m_run) return counts;
    const auto& made = m_run->made;
    counts.earlier = made[int(Origin::Earlier)];
    counts.cache = made[int(Origin::Cache)];
    counts.embedded = made[int(Origin::Embedded)];
    counts.decoded = made[int(Origin::Decoded)];
    counts.missing = made[int(Origin::None)];
    return counts;
}
