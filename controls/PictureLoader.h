#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include "controls/DecodeBudget.h"

class QFile;
class QIODevice;

// Safe picture decoding shared by every window that shows a picture file.
//
// Every reader applies the camera orientation tag, so sizes and images are upright. Only
// regular files are opened: a FIFO, device or socket counts as missing (opening one could wait
// for ever). Missing, damaged and hostile files (decompression bombs, absurd dimensions) give
// an empty result without large allocations: before any pixel is decoded, the memory the
// decode will really hold is worked out from the header, counting every picture the decoder,
// a conversion or the scaling makes at 32 bits per pixel, whatever depth the file stores. A
// decode must fit an allowance that grows with the file's size, so a tiny file cannot make a
// huge picture, and all decodes of the process together stay within DecodeBudget. A JPEG that
// does not fit at the asked size is decoded at a smaller one and scaled up; other formats that
// do not fit are refused. Qt's allocation limit for image readers stays on as well.
//
// All functions are reentrant and may run on worker threads.
class PictureLoader {
public:
    // Largest width or height accepted, and largest pixel count. Files whose header claims more
    // are treated as undecodable.
    static constexpr int kMaxSide = 32767;
    static constexpr qint64 kMaxPixels = 100'000'000;
    // Memory one decode may hold: a base for every file, and more for a file that carries more
    // data (a real photograph), never more than the whole budget.
    static constexpr qint64 kBaseDecodeBytes = 112ll * 1024 * 1024;
    static constexpr qint64 kDecodeBytesPerFileByte = 16;
    static qint64 DecodeAllowance(qint64 fileSize);

    // True when the file name ends in one of the catalogue's picture extensions
    // (.jpg .jpeg .bmp .gif .png .tif .tiff), compared without regard to case.
    static bool IsAcceptedPicture(const QString& path);
    // Those extensions, lower case and without the dot.
    static const QStringList& AcceptedSuffixes();

    // True when `path` names a regular file (a symbolic link to one counts), which is all the
    // program ever opens as a picture or copies.
    static bool IsRegularFile(const QString& path);
    // Opens a regular file for reading without ever waiting on a special file; false (and
    // `file` closed) for anything else.
    static bool OpenRegularFile(const QString& path, QFile& file);

    // Upright size read from the file header only; an empty QSize (0 x 0) when the file is
    // missing, unreadable, or exceeds the limits above.
    static QSize ReadSize(const QString& path);

    // Decodes the picture straight to exactly `target` (upright, aspect not kept: the caller
    // decides the rectangle), so a camera-sized JPEG costs a fraction of a full decode.
    // Null when the file cannot be decoded or `target` is empty or larger than the limits.
    // `afterBytes` is memory the caller allocates afterwards while it holds the picture (the
    // cell it draws into): it is counted with the decode and, when `hold` is given, stays
    // reserved in `hold` until the caller releases it.
    static QImage LoadScaled(const QString& path, const QSize& target, qint64 afterBytes = 0,
                             DecodeBudget::Reservation* hold = nullptr);

    // Decodes the whole picture at its own (upright) size; null on any failure.
    static QImage LoadFull(const QString& path);

    // Decodes a small stored picture (a thumbnail kept in a cache, a catalogue or a camera's
    // Exif block) from `device`, as stored, without orientation. Null when its header claims
    // more than maxSide on either side, when the decode does not fit DecodeBudget, or when it
    // comes out another size than its header said (damaged data).
    static QImage LoadSmall(QIODevice* device, int maxSide);

    // The memory a decode of `path` to `target` (empty: its full size) would hold, in bytes,
    // as the loader counts it; -1 when the file cannot be read.
    static qint64 DecodeCost(const QString& path, const QSize& target = QSize());

    // Limits a size to `maxWidth`, keeping the aspect: the width becomes exactly maxWidth and
    // the height is scaled and truncated. Sizes no wider than maxWidth come back unchanged.
    static QSize LimitWidth(const QSize& size, int maxWidth);

    // True when a w x h picture is within kMaxSide / kMaxPixels (and both are positive).
    static bool WithinLimits(const QSize& size);
};
