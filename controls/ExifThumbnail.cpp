#include "controls/ExifThumbnail.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTransform>
#include <cmath>
#include <optional>

#include "controls/PictureLoader.h"

namespace {

// Far enough for the Exif block, which follows the start of image and at most a few small
// segments.
constexpr qint64 kHeadBytes = 128 * 1024;

// Reads numbers from the TIFF structure inside the Exif block in its byte order; every read
// outside the block fails.
class Tiff {
public:
    explicit Tiff(const QByteArray& data) : m_data(data) {}

    bool ReadOrder() {
        if (m_data.size() < 8) return false;
        if (m_data.startsWith("II"))
            m_little = true;
        else if (m_data.startsWith("MM"))
            m_little = false;
        else
            return false;
        return U16(2) == std::optional<quint32>(42);
    }

    std::optional<quint32> U16(qint64 at) const { return Number(at, 2); }
    std::optional<quint32> U32(qint64 at) const { return Number(at, 4); }
    qint64 Size() const { return m_data.size(); }
    QByteArray Bytes(qint64 at, qint64 length) const {
        if (at < 0 || length <= 0 || at + length > m_data.size()) return {};
        return m_data.mid(at, length);
    }

private:
    std::optional<quint32> Number(qint64 at, int bytes) const {
        if (at < 0 || at + bytes > m_data.size()) return std::nullopt;
        quint32 value = 0;
        for (int i = 0; i < bytes; ++i) {
            const quint32 byte =
                static_cast<unsigned char>(m_data[at + (m_little ? bytes - 1 - i : i)]);
            value = (value << 8) | byte;
        }
        return value;
    }

    const QByteArray& m_data;
    bool m_little = true;
};

// The value of a SHORT or LONG entry of one count, held in the entry itself.
std::optional<quint32> EntryValue(const Tiff& tiff, qint64 entry) {
    const auto type = tiff.U16(entry + 2);
    const auto count = tiff.U32(entry + 4);
    if (!type || !count || *count != 1) return std::nullopt;
    if (*type == 3) return tiff.U16(entry + 8);
    if (*type == 4) return tiff.U32(entry + 8);
    return std::nullopt;
}

QImageIOHandler::Transformations FromExifOrientation(quint32 value) {
    switch (value) {
        case 2:
            return QImageIOHandler::TransformationMirror;
        case 3:
            return QImageIOHandler::TransformationRotate180;
        case 4:
            return QImageIOHandler::TransformationFlip;
        case 5:
            return QImageIOHandler::TransformationFlipAndRotate90;
        case 6:
            return QImageIOHandler::TransformationRotate90;
        case 7:
            return QImageIOHandler::TransformationMirrorAndRotate90;
        case 8:
            return QImageIOHandler::TransformationRotate270;
        default:
            return QImageIOHandler::TransformationNone;
    }
}

// Walks the two image directories of the TIFF structure.
ExifThumbnail::Found ParseTiff(const QByteArray& block) {
    ExifThumbnail::Found found;
    Tiff tiff(block);
    if (!tiff.ReadOrder()) return found;
    const auto ifd0 = tiff.U32(4);
    if (!ifd0) return found;
    const auto count0 = tiff.U16(*ifd0);
    if (!count0) return found;
    for (quint32 i = 0; i < *count0; ++i) {
        const qint64 entry = qint64(*ifd0) + 2 + 12 * qint64(i);
        if (tiff.U16(entry) == std::optional<quint32>(0x0112)) {
            if (const auto value = EntryValue(tiff, entry))
                found.orientation = FromExifOrientation(*value);
        }
    }
    const auto ifd1 = tiff.U32(qint64(*ifd0) + 2 + 12 * qint64(*count0));
    // A directory pointing back at itself or before the first would loop or overlap.
    if (!ifd1 || *ifd1 == 0 || *ifd1 <= *ifd0) return found;
    const auto count1 = tiff.U16(*ifd1);
    if (!count1) return found;
    std::optional<quint32> offset;
    std::optional<quint32> length;
    std::optional<quint32> compression;
    for (quint32 i = 0; i < *count1; ++i) {
        const qint64 entry = qint64(*ifd1) + 2 + 12 * qint64(i);
        const auto tag = tiff.U16(entry);
        if (!tag) return found;
        if (*tag == 0x0201) offset = EntryValue(tiff, entry);
        if (*tag == 0x0202) length = EntryValue(tiff, entry);
        if (*tag == 0x0103) compression = EntryValue(tiff, entry);
    }
    // Compression 6 is JPEG; uncompressed thumbnails (1) are left alone.
    if (!offset || !length || (compression && *compression != 6)) return found;
    const QByteArray jpeg = tiff.Bytes(*offset, *length);
    if (jpeg.startsWith("\xFF\xD8")) found.jpeg = jpeg;
    return found;
}

}  // namespace

ExifThumbnail::Found ExifThumbnail::Parse(const QByteArray& head) {
    if (!head.startsWith("\xFF\xD8")) return {};
    qint64 at = 2;
    // Segments up to the start of the picture data; the Exif block is among the first.
    while (at + 4 <= head.size()) {
        if (static_cast<unsigned char>(head[at]) != 0xFF) return {};
        const unsigned char marker = static_cast<unsigned char>(head[at + 1]);
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) return {};  // picture data or end: no Exif
        const qint64 length = (static_cast<unsigned char>(head[at + 2]) << 8) |
                              static_cast<unsigned char>(head[at + 3]);
        if (length < 2) return {};
        if (marker == 0xE1 && length >= 8 && at + 2 + length <= head.size() &&
            head.mid(at + 4, 6) == QByteArray("Exif\0\0", 6))
            return ParseTiff(head.mid(at + 10, length - 8));
        at += 2 + length;
    }
    return {};
}

ExifThumbnail::Found ExifThumbnail::Read(const QString& path) {
    // A FIFO or device would block or never end.
    QFile file;
    if (!PictureLoader::OpenRegularFile(path, file)) return {};
    return Parse(file.read(kHeadBytes));
}

QImage ExifThumbnail::Oriented(QImage image, QImageIOHandler::Transformations orientation) {
    if (image.isNull() || orientation == QImageIOHandler::TransformationNone) return image;
    // Mirror and flip first, then a quarter turn clockwise: the order image readers use.
    image = std::move(image).mirrored(orientation & QImageIOHandler::TransformationMirror,
                                      orientation & QImageIOHandler::TransformationFlip);
    if (orientation & QImageIOHandler::TransformationRotate90)
        image = image.transformed(QTransform().rotate(90));
    return image;
}

QImage ExifThumbnail::Load(const Found& found, const QSize& storedPhoto, const QSize& minimum,
                           double aspectTolerance) {
    if (found.jpeg.isEmpty() || storedPhoto.isEmpty()) return {};
    QByteArray data = found.jpeg;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QSize stored;
    {
        QImageReader reader(&buffer, "jpeg");
        stored = reader.size();
    }
    if (stored.isEmpty() || stored.width() > kMaxSide || stored.height() > kMaxSide) return {};
    const double photoAspect = double(storedPhoto.width()) / storedPhoto.height();
    const double aspect = double(stored.width()) / stored.height();
    if (std::abs(aspect - photoAspect) > aspectTolerance * photoAspect) return {};
    const bool turned = found.orientation & QImageIOHandler::TransformationRotate90;
    const QSize upright = turned ? stored.transposed() : stored;
    if (upright.width() < minimum.width() || upright.height() < minimum.height()) return {};
    // The photo's orientation applies; the thumbnail carries none of its own.
    if (!buffer.seek(0)) return {};
    QImage image = PictureLoader::LoadSmall(&buffer, kMaxSide);
    if (image.size() != stored) return {};
    return Oriented(std::move(image), found.orientation);
}
