#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// Safe picture decoding shared by every window that shows a picture file.
//
// Every reader applies the camera orientation tag, so sizes and images are upright. Missing,
// damaged and hostile files (decompression bombs, absurd dimensions) give an empty result
// without large allocations: the header size is checked against fixed limits before any
// pixel is decoded, and Qt's allocation limit for image readers (QImageReader::allocationLimit)
// stays on. Decoding a picture means building it whole, so a picture must fit that limit at
// full size, except a JPEG asked for at a reduced size: it is decoded small from the start.
//
// All functions are reentrant and may run on worker threads.
class PictureLoader {
public:
    // Largest width or height accepted, and largest pixel count. Files whose header claims more
    // are treated as undecodable.
    static constexpr int kMaxSide = 32767;
    static constexpr qint64 kMaxPixels = 100'000'000;

    // True when the file name ends in one of the catalogue's picture extensions
    // (.jpg .jpeg .bmp .gif .png .tif .tiff), compared without regard to case.
    static bool IsAcceptedPicture(const QString& path);

    // Upright size read from the file header only; an empty QSize (0 x 0) when the file is
    // missing, unreadable, or exceeds the limits above.
    static QSize ReadSize(const QString& path);

    // Decodes the picture straight to exactly `target` (upright, aspect not kept: the caller
    // decides the rectangle), so a camera-sized JPEG costs a fraction of a full decode.
    // Null when the file cannot be decoded or `target` is empty or larger than the limits.
    static QImage LoadScaled(const QString& path, const QSize& target);

    // Decodes the whole picture at its own (upright) size; null on any failure.
    static QImage LoadFull(const QString& path);

    // Limits a size to `maxWidth`, keeping the aspect: the width becomes exactly maxWidth and
    // the height is scaled and truncated. Sizes no wider than maxWidth come back unchanged.
    static QSize LimitWidth(const QSize& size, int maxWidth);

    // True when a w x h picture is within kMaxSide / kMaxPixels (and both are positive).
    static bool WithinLimits(const QSize& size);
};
