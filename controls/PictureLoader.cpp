#include "controls/PictureLoader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QImageIOHandler>
#include <QImageReader>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Decoder row buffers, tables and headers on top of the pictures themselves.
constexpr qint64 kSlackBytes = 8 * 1024 * 1024;

qint64 Pixels(const QSize& s) {
    return s.isValid() ? static_cast<qint64>(s.width()) * s.height() : 0;
}

QSize Upright(const QSize& stored, bool turned) {
    return turned ? stored.transposed() : stored;
}

// What the header tells about the memory a decode takes.
struct Header {
    QByteArray kind;                                 // the reader's format name
    QSize stored;                                    // the stored (not yet oriented) picture
    QImage::Format format = QImage::Format_Invalid;  // what the decoder builds
    bool turned = false;                             // the orientation turns by 90 degrees
    bool transformed = false;                        // any orientation change (one more copy)
    qint64 fileSize = 0;
    // JPEG: bytes per pixel of the whole-picture coefficient store that progressive and
    // multi-scan files need (the scaled decode does not shrink it), and a grey picture.
    double coefficientBytes = 0;
    bool grey = false;
    // GIF: the logical screen, which the decoder allocates whole whatever the image's size.
    QSize screen;
};

// Reads a JPEG's segments up to its first scan header for what the reader does not tell.
void ScanJpeg(QFile& f, Header& h) {
    // Until proven otherwise, assume the costliest layout: four full-size components kept whole.
    h.coefficientBytes = 8;
    if (f.read(2) != QByteArray("\xff\xd8", 2)) return;
    int components = 0;
    bool progressive = false;
    double coefficients = 8;
    for (int segment = 0; segment < 1024; ++segment) {
        char c = 0;
        do {
            if (!f.getChar(&c)) return;
        } while (uchar(c) != 0xff);
        do {
            if (!f.getChar(&c)) return;
        } while (uchar(c) == 0xff);
        const uchar marker = uchar(c);
        if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd8)) continue;  // no length
        const QByteArray length = f.read(2);
        if (length.size() < 2) return;
        const int size = qFromBigEndian<quint16>(length.constData()) - 2;
        if (size < 0) return;
        const bool frame =
            marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        if (frame) {
            const QByteArray sof = f.read(size);
            if (sof.size() < 6) return;
            components = uchar(sof[5]);
            if (components < 1 || sof.size() < 6 + 3 * components) return;
            progressive = (marker & 3) == 2;  // SOF2, SOF6, SOF10, SOF14
            int hMax = 1, vMax = 1, blocks = 0;
            for (int i = 0; i < components; ++i) {
                const int hv = uchar(sof[7 + 3 * i]);
                hMax = std::max(hMax, hv >> 4);
                vMax = std::max(vMax, hv & 15);
                blocks += (hv >> 4) * (hv & 15);
            }
            // 64 coefficients of 2 bytes for every 8 x 8 block of each component.
            coefficients = 2.0 * blocks / (hMax * vMax);
        } else if (marker == 0xda) {
            const QByteArray sos = f.read(1);
            if (sos.size() < 1 || components == 0) return;
            // A first scan without every component means more scans follow, as progressive does.
            const bool buffered = progressive || uchar(sos[0]) < components;
            h.coefficientBytes = buffered ? coefficients : 0;
            h.grey = components == 1;
            return;
        } else if (!f.seek(f.pos() + size)) {
            return;
        }
    }
}

// Reads the GIF logical screen.
void ScanGif(QFile& f, Header& h) {
    const QByteArray head = f.read(10);
    if (head.size() < 10) return;
    h.screen = QSize(qFromLittleEndian<quint16>(head.constData() + 6),
                     qFromLittleEndian<quint16>(head.constData() + 8));
}

// An opened picture file and its reader.
struct Source {
    explicit Source(const QString& path) {
        if (!PictureLoader::OpenRegularFile(path, file)) return;
        h.fileSize = file.size();
        const QByteArray magic = file.peek(4);
        if (magic.startsWith("\xff\xd8"))
            ScanJpeg(file, h);
        else if (magic.startsWith("GIF8"))
            ScanGif(file, h);
        if (!file.seek(0)) return;
        reader.setDevice(&file);
        reader.setAutoTransform(true);
        if (!reader.canRead()) return;
        h.kind = reader.format();
        h.stored = reader.size();
        if (!PictureLoader::WithinLimits(h.stored)) return;
        if (!h.screen.isEmpty() && !PictureLoader::WithinLimits(h.screen)) return;
        h.format = reader.imageFormat();
        const QImageIOHandler::Transformations t = reader.transformation();
        h.turned = t.testFlag(QImageIOHandler::TransformationRotate90);
        h.transformed = t != QImageIOHandler::TransformationNone;
        ok = true;
    }

    QFile file;
    QImageReader reader;  // destroyed before the file it reads
    Header h;
    bool ok = false;
};

// The M of libjpeg's M/8 scaled decode that Qt's JPEG reader picks for `request`.
int JpegEighths(const Header& h, const QSize& request) {
    if (!request.isValid() || request.isEmpty()) return 8;
    const double f = std::min(double(h.stored.width()) / request.width(),
                              double(h.stored.height()) / request.height());
    return std::clamp(static_cast<int>(std::ceil(8 / f)), 1, 8);
}

bool Native32(QImage::Format f) {
    return f == QImage::Format_Invalid || f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
           f == QImage::Format_ARGB32_Premultiplied;
}

bool IsJpeg(const Header& h) {
    return h.kind == "jpeg";
}

// Bytes a decode holds at most, every picture it makes counted as if all were alive at once.
// `request` is the size asked of the JPEG decoder (stored orientation; invalid: full size);
// other decoders always build the whole picture, which is then turned to 32 bits (a copy unless
// it is 32 bits already) and scaled to `result`.
qint64 DecodeBytes(const Header& h, const QSize& request, const QSize& result) {
    qint64 bytes = kSlackBytes;
    if (IsJpeg(h)) {
        const int m = JpegEighths(h, request);
        const QSize decoded((h.stored.width() * m + 7) / 8, (h.stored.height() * m + 7) / 8);
        const QSize asked = request.isValid() ? request : decoded;
        bytes += static_cast<qint64>(h.coefficientBytes * static_cast<double>(Pixels(h.stored)));
        // A grey picture is decoded at 8 bits; Qt's scaling and the display format turn it to
        // 32 bits through a further copy.
        bytes += Pixels(decoded) * (h.grey ? 6 : 4);
        if (decoded != asked) bytes += 4 * Pixels(asked);
        if (h.transformed) bytes += 4 * Pixels(asked);
        if (Upright(asked, h.turned) != result) bytes += 4 * Pixels(result);
        return bytes;
    }
    // A GIF decoder paints the image onto its whole screen.
    const qint64 decoded = Pixels(h.stored) + Pixels(h.screen);
    const int bits =
        h.format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(h.format).bitsPerPixel();
    const qint64 native = (decoded * std::max(bits, 1) + 7) / 8;
    bytes += h.transformed ? 2 * native : native;
    if (!Native32(h.format)) bytes += 4 * decoded;
    if (Upright(h.stored, h.turned) != result) bytes += 4 * Pixels(result);
    return bytes;
}

struct Plan {
    QSize request;  // scaled size asked of the JPEG decoder (stored orientation), or invalid
    qint64 bytes = -1;
};

// How to decode to `target` (upright; empty: full size) within `allowance`, while the caller
// keeps the result and allocates `after` more bytes. bytes = -1: it cannot be done.
Plan MakePlan(const Header& h, const QSize& target, qint64 after, qint64 allowance) {
    const QSize result = target.isEmpty() ? Upright(h.stored, h.turned) : target;
    const auto cost = [&](const QSize& request) {
        return std::max(DecodeBytes(h, request, result), 4 * Pixels(result) + after);
    };
    const QSize request = IsJpeg(h) && !target.isEmpty() ? Upright(target, h.turned) : QSize();
    if (cost(request) <= allowance) return {request, cost(request)};
    // libjpeg alone decodes at a reduced size: a smaller decode, scaled up to the target.
    if (request.isValid()) {
        for (int m = JpegEighths(h, request) - 1; m >= 1; --m) {
            const QSize reduced(h.stored.width() * m / 8, h.stored.height() * m / 8);
            if (reduced.isEmpty()) break;
            if (cost(reduced) <= allowance) return {reduced, cost(reduced)};
        }
    }
    return {};
}

// Reads the picture, as planned, within the reader's allocation limit.
//
// Only a JPEG is asked for a reduced size; every other decode builds the whole picture, which
// must fit the limit. Some decoders leave pixels of damaged files unwritten (RLE bitmaps with
// bad runs), which would show leftover memory and differ from one decode to the next; so a
// whole picture is decoded into a zeroed buffer of its stored size, which decoders take over.
QImage Decode(QImageReader& reader, const QSize& stored) {
    const QImage::Format format = reader.imageFormat();
    QImage image;
    if (!reader.scaledSize().isValid() && format != QImage::Format_Invalid) {
        const qint64 bytes =
            (Pixels(stored) * QImage::toPixelFormat(format).bitsPerPixel() + 7) / 8;
        const int limitMb = QImageReader::allocationLimit();
        if (limitMb > 0 && bytes > static_cast<qint64>(limitMb) * 1024 * 1024) return {};
        image = QImage(stored, format);
        if (image.isNull()) return {};
        if (image.format() == QImage::Format_Indexed8)
            image.setColorCount(256);
        else if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB)
            image.setColorCount(2);
        image.fill(0);
    }
    if (!reader.read(&image)) return {};
    return image;
}

// Normalises the decoded picture to one 32-bit format so callers can draw and compare it.
QImage Normalised(QImage image) {
    if (image.isNull()) return image;
    const QImage::Format want =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != want) image.convertTo(want);
    return image;
}

QImage Load(const QString& path, const QSize& target, qint64 after,
            DecodeBudget::Reservation* hold) {
    Source src(path);
    if (!src.ok) return {};
    const Plan plan =
        MakePlan(src.h, target, after, PictureLoader::DecodeAllowance(src.h.fileSize));
    if (plan.bytes < 0) return {};
    DecodeBudget::Reservation reservation = DecodeBudget::Reserve(plan.bytes);
    if (!reservation.IsHeld()) return {};
    if (plan.request.isValid()) src.reader.setScaledSize(plan.request);
    QImage image = Normalised(Decode(src.reader, src.h.stored));
    if (image.isNull()) return {};
    if (target.isEmpty()) {
        // A full decode that comes out another size than its header said is damaged.
        if (image.size() != Upright(src.h.stored, src.h.turned)) return {};
    } else if (image.size() != target) {
        // Scaled here at 32 bits, where Qt's smooth scaling makes no copy of the whole picture;
        // this also corrects a decoder's rounding and scales up a reduced JPEG decode.
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (hold && !image.isNull()) *hold = std::move(reservation);
    return image;
}

}  // namespace

qint64 PictureLoader::DecodeAllowance(qint64 fileSize) {
    const qint64 bytes = std::max<qint64>(fileSize, 0);
    if (bytes > (DecodeBudget::kTotalBytes - kBaseDecodeBytes) / kDecodeBytesPerFileByte)
        return DecodeBudget::kTotalBytes;
    return kBaseDecodeBytes + bytes * kDecodeBytesPerFileByte;
}

bool PictureLoader::WithinLimits(const QSize& size) {
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxSide &&
           size.height() <= kMaxSide &&
           static_cast<qint64>(size.width()) * size.height() <= kMaxPixels;
}

const QStringList& PictureLoader::AcceptedSuffixes() {
    static const QStringList accepted = {
        QStringLiteral("jpg"), QStringLiteral("bmp"),  QStringLiteral("gif"), QStringLiteral("png"),
        QStringLiteral("tif"), QStringLiteral("jpeg"), QStringLiteral("tiff")};
    return accepted;
}

bool PictureLoader::IsAcceptedPicture(const QString& path) {
    return AcceptedSuffixes().contains(QFileInfo(path).suffix().toLower());
}

bool PictureLoader::IsRegularFile(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &st) == 0 &&
           S_ISREG(st.st_mode);
}

bool PictureLoader::OpenRegularFile(const QString& path, QFile& file) {
    file.close();
    if (!IsRegularFile(path)) return false;
    // Not blocking: should the name have become a FIFO since the look above, the open must
    // still return at once (and the check below refuses it).
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

QSize PictureLoader::ReadSize(const QString& path) {
    const Source src(path);
    if (!src.ok) return {0, 0};
    return Upright(src.h.stored, src.h.turned);
}

QImage PictureLoader::LoadScaled(const QString& path, const QSize& target, qint64 afterBytes,
                                 DecodeBudget::Reservation* hold) {
    if (!WithinLimits(target)) return {};
    return Load(path, target, std::max<qint64>(afterBytes, 0), hold);
}

QImage PictureLoader::LoadFull(const QString& path) {
    return Load(path, QSize(), 0, nullptr);
}

QImage PictureLoader::LoadSmall(QIODevice* device, int maxSide) {
    if (!device || device->isSequential()) return {};
    // A JPEG cut short decodes without complaint, its lost part grey; its end-of-image marker,
    // which entropy-coded data cannot contain, shows it is whole.
    const qint64 start = device->pos();
    if (device->peek(2) == QByteArray("\xff\xd8", 2)) {
        const qint64 tail = std::min<qint64>(device->size() - start, 64);
        if (!device->seek(device->size() - tail)) return {};
        const bool whole = device->read(tail).contains(QByteArray("\xff\xd9", 2));
        if (!device->seek(start) || !whole) return {};
    }
    QImageReader reader(device);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (size.width() <= 0 || size.height() <= 0 || size.width() > maxSide ||
        size.height() > maxSide || !WithinLimits(size))
        return {};
    // The picture, a conversion to 32 bits and, for a progressive JPEG, its coefficients.
    const DecodeBudget::Reservation held = DecodeBudget::Reserve(16 * Pixels(size) + 1024 * 1024);
    if (!held.IsHeld()) return {};
    QImage image;
    if (!reader.read(&image) || image.size() != size) return {};
    return Normalised(std::move(image));
}

qint64 PictureLoader::DecodeCost(const QString& path, const QSize& target) {
    const Source src(path);
    if (!src.ok) return -1;
    return MakePlan(src.h, target, 0, std::numeric_limits<qint64>::max()).bytes;
}

QSize PictureLoader::LimitWidth(const QSize& size, int maxWidth) {
    if (maxWidth <= 0 || size.width() <= maxWidth) return size;
    const qint64 h = static_cast<qint64>(size.height()) * maxWidth / size.width();
    return {maxWidth, static_cast<int>(h)};
}
