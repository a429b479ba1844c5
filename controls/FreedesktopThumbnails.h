#pragma once

#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>

// The desktop's shared thumbnail cache ($XDG_CACHE_HOME/thumbnails, by default ~/.cache/
// thumbnails) as the freedesktop.org thumbnail convention lays it out: one PNG per picture in a
// folder per size class, named by the MD5 of the picture's file URI, carrying Thumb::URI,
// Thumb::MTime and Thumb::Size so that a changed picture is recognised. File managers and image
// viewers read and write the same files.
//
// Failures never reach the user: a cache that cannot be read or written (read-only home, full
// disk, damaged files) is the same as an empty one. Reentrant.
class FreedesktopThumbnails {
public:
    // A size class: its folder and the longest side of its thumbnails.
    struct SizeClass {
        QString folder;
        int maxSide = 0;
        bool IsValid() const { return maxSide > 0; }
    };

    // The smallest class whose thumbnails are at least `longestSide` pixels long; invalid when
    // none is (beyond 1024).
    static SizeClass ClassFor(int longestSide);
    // Size of a thumbnail of a `picture`-sized picture in `sizeClass`: the picture fitted into
    // the class's square, never enlarged.
    static QSize ThumbnailSize(const QSize& picture, const SizeClass& sizeClass);

    // The cache folder; from XDG_CACHE_HOME, else the home folder's .cache.
    static QString Root();
    // The file URI of a picture (absolute, percent-encoded), as the cache names it.
    static QString Uri(const QString& path);
    // Where the thumbnail of `path` lives in `sizeClass`.
    static QString CacheFile(const QString& path, const SizeClass& sizeClass);

    // Cache files larger than this are damaged or not ours: they are never read.
    static constexpr qint64 kMaxEntryBytes = 8 * 1024 * 1024;

    // What identifies the picture's current content: its URI, size and modification time.
    struct Source {
        QString path;
        QString uri;
        qint64 size = 0;
        qint64 mtime = 0;      // seconds since the epoch
        qint64 mtimeNsec = 0;  // and the nanoseconds beyond, which a quick re-save changes
        bool IsValid() const { return !uri.isEmpty(); }
    };
    // Empty for anything but a regular file, and for files inside the cache itself.
    static Source Describe(const QString& path);

    // The cached thumbnail of the picture if the cache holds a current one (same URI,
    // modification time and size) of the picture's shape; null otherwise. `picture` is the
    // picture's upright size: when it is empty it is taken from the entry (written by us) or
    // else read from the picture's header, and given back.
    static QImage Find(const Source& source, const SizeClass& sizeClass, QSize* picture);
    // Writes the thumbnail, replacing an older one, with the picture's upright size when
    // given; false when it cannot be written.
    static bool Store(const Source& source, const SizeClass& sizeClass, const QImage& thumbnail,
                      const QSize& picture = QSize());
    // Writes it on a background thread of low priority, so that showing pictures goes first.
    // Beyond a bounded amount of waiting thumbnails it writes at once instead.
    static void StoreLater(const Source& source, const SizeClass& sizeClass,
                           const QImage& thumbnail, const QSize& picture = QSize());
    // Waits until every thumbnail handed to StoreLater is written (or failed).
    static void WaitForWrites();
};
