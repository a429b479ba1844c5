#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

struct sqlite3_stmt;

// The thumbnails a published copy carries in its catalogue (table [缩略图表]): one small
// picture per product picture, made when the copy is published, so that a visitor's first look
// at a category costs no decoding of camera-sized pictures.
//
// Each row is keyed by the picture's path in the copy ("pic/<class>/<product>/<file>") and
// holds the picture's size and modification time when the thumbnail was made; a picture that
// changed since gets no thumbnail from here. The rows are untrusted data like any picture file:
// they are decoded within bounds by the renderer, and a damaged one only means decoding.
//
// The viewer opens the table once (Open); the loading threads look thumbnails up at the same
// time through SQLite's own serialised connection. Reentrant.
class ShippedThumbnails {
public:
    // Thumbnails fit this square: the 140 x 140 cell on a screen of two pixels per point.
    static constexpr int kSide = 280;
    // Larger rows are not made, and not read.
    static constexpr qint64 kMaxDataBytes = 1024 * 1024;
    // A row made from the desktop cache's "large" thumbnail fits this square instead; the
    // viewer uses it where it is big enough for the screen.
    static constexpr int kCacheSide = 256;

    struct Entry {
        QString key;
        qint64 size = 0;
        qint64 mtime = 0;  // seconds since the epoch
        QSize picture;     // the picture's upright size
        QByteArray data;   // JPEG, or PNG for a picture with transparency
    };

    // The key of the picture at `path` in a copy whose picture folder is `picFolder`; empty for
    // a path outside it.
    static QString Key(const QString& picFolder, const QString& path);

    // Makes the row of the picture at `path`: its thumbnail fitted into kSide x kSide (never
    // enlarged) and what identifies the file now. Nothing for a file that cannot be decoded.
    static std::optional<Entry> Make(const QString& picFolder, const QString& path);
    // The same for a picture read from `source` whose row is keyed `key`.
    static std::optional<Entry> MakeFrom(const QString& source, const QString& key);
    // Completes `entry` (key, stamp and picture size given) with `thumbnail` encoded: JPEG, or
    // PNG to keep transparency. Nothing when it does not fit kMaxDataBytes.
    static std::optional<Entry> Encode(Entry entry, const QImage& thumbnail);
    // Size and modification time (seconds) of a regular file.
    static bool Stamp(const QString& path, qint64& size, qint64& mtime);
    // Whether a thumbnail of `thumbnailSize` has a shape rows are made in for a picture of
    // `picture`: fitted into kSide, or into kCacheSide (up to rounding).
    static bool IsRowShape(const QSize& thumbnailSize, const QSize& picture);

    // Starts using the thumbnails of the catalogue file of a published copy whose pictures lie
    // in `picFolder`; `immutable` for a catalogue on read-only media. False (and nothing used)
    // when the catalogue has no thumbnails, as older copies do.
    static bool Open(const QString& catalogueFile, const QString& picFolder, bool immutable);
    static void Close();
    static bool IsOpen();

    // The row a step of the select statement (Sql::SelectThumbnail) stands on, keyed `key`,
    // when it is one the viewer may use (sizes within limits, data within kMaxDataBytes); its
    // stamp is the caller's to check.
    static std::optional<Entry> RowOf(sqlite3_stmt* select, const QString& key);

    // The thumbnail of the picture at `path` when the catalogue holds one whose picture still
    // has the same size and modification time.
    static std::optional<Entry> Find(const QString& path);
};
