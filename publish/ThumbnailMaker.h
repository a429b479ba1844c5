#pragma once

#include <QList>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "controls/ShippedThumbnails.h"

// The shipped thumbnails of a publish, made while its files are copied.
//
// A thumbnail that was made before is trusted rather than made again, in this order: the
// earlier copy's row for the same picture path when the source still has the size and
// modification time the row was made from; the desktop's cached thumbnail of the source (the
// editor's program wrote it while the products were shown); the camera's own thumbnail in the
// Exif block where it is big enough. Only the rest are decoded. Everything is read from the
// sources, so nothing waits for the copies: the work runs on a pool the publish sizes (one
// thread while files are copied, so the copies keep the other core). The rows go into the copy's
// catalogue in one transaction.
class ThumbnailMaker {
public:
    struct Picture {
        QString source;  // the file in the authoring installation
        QString key;     // its row's key: the picture's path in the copy ("pic/...")
    };
    enum class Origin { None, Earlier, Cache, Embedded, Decoded };
    struct Counts {
        int earlier = 0, cache = 0, embedded = 0, decoded = 0, missing = 0;
    };
    using Progress = std::function<void(int done, int total)>;

    // Makes the thumbnails on `pool`, which outlives the maker.
    explicit ThumbnailMaker(QThreadPool& pool);
    // Stops at the next picture and waits; rows not yet committed are not written.
    ~ThumbnailMaker();
    ThumbnailMaker(const ThumbnailMaker&) = delete;
    ThumbnailMaker& operator=(const ThumbnailMaker&) = delete;

    // Starts writing the rows of `pictures` into `catalogue` (the copy's, in place), replacing
    // any it has. `earlierCatalogue` is the earlier copy's catalogue, or empty. With `webFolder`
    // each new row is also written there as the web catalogue's thumbnail files
    // (WebPictures::ThumbnailBase); rows the earlier copy had are not, its web files serve.
    void Start(const QString& catalogue, const QString& earlierCatalogue, QList<Picture> pictures,
               const QString& webFolder = QString());
    // Waits until the rows are written, telling progress on the way. False, with the reason,
    // when they could not be written; pictures without a thumbnail fail nothing.
    bool Finish(const Progress& progress, QString* error);
    // Stops and waits; nothing more is written.
    void Cancel();

    // Where the last run's thumbnails came from.
    Counts Made() const;

    // The row of one picture from the first source that can be trusted; `earlier` looks up the
    // earlier copy's row of a key (may be null). A row made here also gives its thumbnail before
    // encoding in `thumbnail` (may be null).
    using EarlierRow = std::function<std::optional<ShippedThumbnails::Entry>(const QString& key)>;
    static std::optional<ShippedThumbnails::Entry> Make(const Picture& picture,
                                                        const EarlierRow& earlier, Origin* origin,
                                                        QImage* thumbnail = nullptr);

private:
    struct Run;
    static void WriteWebFiles(const ShippedThumbnails::Entry& entry, const QImage& thumbnail,
                              const QString& folder);
    void Work(Run& run);

    QThreadPool& m_pool;   // makes the thumbnails
    QThreadPool m_driver;  // reads and writes the catalogues
    std::shared_ptr<Run> m_run;
};
