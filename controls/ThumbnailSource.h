#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include "controls/DecodeBudget.h"

// A picture at thumbnail size, decoded only when no stored thumbnail will do. Decoding a camera
// picture costs tens of milliseconds however small the result; a stored thumbnail costs one.
// In order:
//   1. the thumbnail a published copy carries in its catalogue (ShippedThumbnails);
//   2. the desktop's thumbnail cache (FreedesktopThumbnails), when it holds a current entry;
//   3. the thumbnail a camera embedded in the JPEG (ExifThumbnail), when it is big enough and
//      has the picture's shape;
//   4. decoding the picture at the cache's size, then keeping that thumbnail in the cache for
//      the next time (written in the background).
// Pictures no larger than the cache's thumbnails are decoded directly: they are cheap already.
// Stored thumbnails are untrusted data like the pictures: a damaged one means decoding.
// Every result is upright. Reentrant.
class ThumbnailSource {
public:
    enum class Origin { None, Shipped, Cache, Embedded, Decoded };
    enum Sources { NoSources = 0, Shipped = 1, DesktopCache = 2, Embedded = 4, AllSources = 7 };

    struct Stored {
        QSize picture;  // the picture's upright size; empty when it cannot be read
        QImage image;   // a current stored thumbnail of it, or null
        Origin origin = Origin::None;
    };

    // The picture's size and, for a cell that draws it at most `side` device pixels long, a
    // stored thumbnail (shipped, then cached) when there is a current one. Only the picture's
    // header is read otherwise; side 0 looks at no stored thumbnail.
    static Stored Find(const QString& path, int side);

    // The stored image at exactly `target` when it is big enough for it (or as big as the
    // picture itself); null otherwise.
    static QImage Fitted(const Stored& stored, const QSize& target);

    // The picture at exactly `target` when no stored thumbnail did: the camera's thumbnail if
    // it will do, else decoded (and kept in the desktop cache when side > 0). `afterBytes` and
    // `hold` as for PictureLoader::LoadScaled. Null when the picture cannot be read.
    static QImage Decode(const QString& path, const QSize& picture, const QSize& target, int side,
                         qint64 afterBytes = 0, DecodeBudget::Reservation* hold = nullptr,
                         Origin* origin = nullptr);

    // Which stored thumbnails are used (all by default). Without any, every cell is decoded
    // straight to its size: benchmarks measure against that.
    static void SetSources(int sources);
    static int UsedSources();
};
