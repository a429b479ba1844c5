#pragma once

#include <QHash>
#include <QJsonArray>
#include <QList>
#include <QMutex>
#include <QSemaphore>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>

class CatalogueDb;
class QImage;
class QSqlQuery;
class WebPictures;

// The static web catalogue of a published copy: `index.html` beside the program and a `web/`
// folder, plain HTML, CSS and JavaScript over the copy's own `pic/` files, so any browser can
// open the copy from a stick (file://) or from a static web host.
//
// Everything comes from the copy's catalogue as publishing left it: the categories and products
// in [Number] order, the relative paths of their pictures, documents and model files, and the
// thumbnails in [缩略图表]. Nothing is found by looking through the layout on disk, except the
// pictures inside a folder document, which the viewer lists in the same way.
//
// The data is loaded as script files (browsers refuse fetch() of local files), split so that
// the first view reads little:
//   web/data/catalogue.js   categories with counts, company, chat link
//   web/data/c<N>.js        the product grid of category N: name, type code, thumbnail
//   web/data/d<N>.js        the products' documents and model files, loaded when one opens
//   web/data/search.js      type codes and what a hit shows, loaded on the first search
//   web/thumbs/<N>/<k>.jpg and <k>-2x.jpg   the shipped thumbnails at 1x and 2x
//   web/pics/<h>.jpg        a document picture in a format browsers cannot show (TIFF),
//                           named by a hash of its path in the copy
// Every text is written as JSON data; the page inserts it as text, never as markup.
class WebCatalogue {
public:
    // The viewer's own rules, handed in so that the page shows what the desktop viewer shows.
    struct Rules {
        QString companyName;  // bottom band
        QString chatHint;     // the chat link's text
        QString chatAddress;  // the chat link
        // The address a company web-site text opens; empty when the viewer refuses it.
        std::function<QString(const QString& web)> webLink;
        // The picture files of a folder document, in the viewer's order.
        std::function<QStringList(const QString& folder)> folderPictures;
    };

    // Thumbnails are drawn in a cell of this side at 1x.
    static constexpr int kCell = 140;
    WebCatalogue(CatalogueDb& catalogue, const QString& copyFolder, Rules rules);
    // Waits for the pictures still being written.
    ~WebCatalogue();
    WebCatalogue(const WebCatalogue&) = delete;
    WebCatalogue& operator=(const WebCatalogue&) = delete;

    // Told, on the calling thread, how many of the pictures to decode are written, of how many.
    using Progress = std::function<void(int done, int total)>;
    void SetProgress(Progress progress) { m_progress = std::move(progress); }
    // Pictures a publish has converted already; they are moved into web/pics.
    void SetConverted(const WebPictures* converted) { m_converted = converted; }
    // The folder the publish wrote web thumbnails to (WebPictures::ThumbnailBase); they are
    // moved into web/thumbs.
    void SetMadeThumbnails(const QString& folder) { m_madeThumbnails = folder; }
    // The copy this one replaces: thumbnails of unchanged pictures are linked from its web/.
    void SetEarlierCopy(const QString& folder) { m_earlierCopy = folder; }

    // Writes the web catalogue into the copy, replacing an earlier one. False, with Error(), when
    // the catalogue cannot be read or any file cannot be written.
    bool Write();
    const QString& Error() const { return m_error; }

    // A published column value ("pic/<class>/...") as a path relative to the copy, "/"-separated;
    // empty when it is empty or would lead out of the picture folder.
    static QString CopyRelative(const QString& published);

    // How a data file carries its JSON: one call of the page's loader, `vistrelData(name, data)`.
    static QByteArray DataScript(const QString& name, const QByteArray& json);

private:
    bool Fail(const QString& why);
    bool WriteFile(const QString& relative, const QByteArray& bytes);
    bool MakeFolderOf(const QString& relative);
    void ReadEarlierThumbs();
    bool CopyResource(const QString& resource, const QString& relative);
    // Writes the file on the pool; a failure shows in Error() once the pool is done.
    void QueueWrite(const QString& relative, const QByteArray& bytes);
    // The thumbnail of a product picture as web/thumbs/<category>/<k>; 0 none, 1 JPEG, 2 PNG.
    int WriteThumb(const QString& picture, int category, int index);
    // The page's pictures of a document column: URLs relative to the copy, with sizes.
    QJsonArray DocumentPictures(const QString& published);
    // The URL of a picture as browsers can show it; a TIFF and the like is queued for conversion.
    QString WebPicture(const QString& relative, QSize* size);

    CatalogueDb& m_db;
    QString m_copy;
    Rules m_rules;
    QString m_error;
    const WebPictures* m_converted = nullptr;
    QString m_earlierCopy;
    QString m_madeThumbnails;
    struct EarlierThumb {
        QString base;  // web/thumbs/<category>/<k>
        qint64 size = 0, mtime = 0;
    };
    QHash<QString, EarlierThumb> m_earlierThumbs;  // by the picture's key
    // Writing and decoding pictures, on every core while the rows are read.
    // Only a picture being made counts in the progress; moving and writing files does not.
    void Queue(std::function<bool()> job, bool picture = true);
    QThreadPool m_pool;
    QSemaphore m_waiting{256};
    int m_queued = 0;
    std::atomic<int> m_done = 0;
    QMutex m_errorLock;
    Progress m_progress;
    bool m_hasThumbs = false;
    std::unique_ptr<QSqlQuery> m_thumbStamp;  // prepared once for every product
    int m_thumbFolder = -1;                   // the category whose thumbnail folder exists
};
