#pragma once

#include <QByteArray>
#include <QFuture>
#include <QHash>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <memory>

// The pictures of a web catalogue that browsers cannot show as they are (TIFF and the like),
// converted into JPEG, or PNG where there is transparency to keep, and no wider than the viewer
// shows them.
//
// A publish converts them from the sources while its files are copied (Start), into a folder of
// its own; the web catalogue then only moves each into place (Take), provided the copy's file
// is still the file that was converted. Reentrant.
class WebPictures {
public:
    // Widest a converted picture is written, as the viewer shows it.
    static constexpr int kMaxWidth = 3300;

    // Whether every current browser shows the file in an <img> as it is.
    static bool BrowserShows(const QString& file);

    // What a picture becomes: the size it is shown at, and whether it is kept as PNG. An
    // invalid size when its header cannot be read.
    struct Form {
        QSize shown;
        bool png = false;
    };
    static Form FormOf(const QString& path);
    // The picture at `path` decoded and encoded in `form`; empty when it cannot be.
    static QByteArray Convert(const QString& path, const Form& form);

    // Converts on `pool`, which outlives this.
    explicit WebPictures(QThreadPool& pool);
    ~WebPictures();
    WebPictures(const WebPictures&) = delete;
    WebPictures& operator=(const WebPictures&) = delete;

    struct Picture {
        QString source;    // the file in the authoring installation
        QString relative;  // where the copy holds it, relative to the copy
    };
    // A shipped thumbnail (made for two pixels per point) at one pixel per point, in a cell of
    // `cell` points, in the same format; empty when it cannot be decoded.
    static QByteArray SingleDensity(const QByteArray& shipped, int cell);
    // The same from the thumbnail before it was encoded, as PNG or JPEG.
    static QByteArray SingleDensity(const QImage& thumbnail, bool png, int cell);
    // The files a publish writes a picture's web thumbnails to before the web catalogue takes
    // them: this path plus ".jpg" or ".png" at 1x, plus "-2x.jpg" or "-2x.png" at 2x.
    static QString ThumbnailBase(const QString& folder, const QString& key);

    // Where the web catalogue keeps the converted picture the copy holds at `relative`: the
    // same name in every copy, so a republish finds the earlier copy's.
    static QString WebName(const QString& relative, bool png);

    // Starts converting those of `pictures` that browsers cannot show into `folder`. Where the
    // copy being replaced (`earlierCopy`, may be empty) holds the same file and its conversion,
    // that is linked instead.
    void Start(const QString& folder, const QList<Picture>& pictures,
               const QString& earlierCopy = QString());
    // Waits for the conversions; with `cancel`, those not begun are skipped.
    void Wait(bool cancel = false);

    // The converted file of the picture the copy holds at `relative` (full path `copyFile`),
    // with its form; empty when there is none or the copy's file is not the one converted.
    QString Take(const QString& relative, const QString& copyFile, Form* form) const;

    // What tells one version of a file from another.
    struct Stamp;

private:
    struct Item;
    // Links the earlier copy's conversion of the same file; false where there is none.
    static bool LinkEarlier(Item& item, const QString& earlierCopy, const Stamp& source);
    QThreadPool& m_pool;
    QHash<QString, std::shared_ptr<Item>> m_items;  // by the picture's path in the copy
    QList<QFuture<void>> m_running;
    std::shared_ptr<std::atomic<bool>> m_cancel;
};
