#include "controls/PictureLoader.h"

#include <QFileInfo>
#include <QImageIOHandler>
#include <QImageReader>
#include <algorithm>

namespace {

// Size of the stored (not yet oriented) picture and whether the orientation tag turns it by
// 90 degrees. Returns false when the header cannot be read or is out of limits.
bool ProbeHeader(QImageReader& reader, QSize& stored, bool& turned) {
    if (!reader.canRead()) return false;
    stored = reader.size();
    if (!PictureLoader::WithinLimits(stored)) return false;
    turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    return true;
}

QSize Upright(const QSize& stored, bool turned) {
    return turned ? stored.transposed() : stored;
}

// Reads the picture within the reader's allocation limit.
//
// Only the JPEG decoder really decodes at a reduced size; every other decoder builds the whole
// picture first, whatever size is asked for (some outside the reader's own allocation check),
// so their full size must fit the limit.
//
// Some decoders leave pixels of damaged files unwritten (RLE bitmaps with bad runs), which
// would show leftover memory and differ from one decode to the next; decoders that take the
// caller's buffer get a zeroed one of the stored size.
QImage Decode(QImageReader& reader, const QSize& stored) {
    const bool scaled = reader.scaledSize().isValid();
    const bool handlerScales = scaled && reader.supportsOption(QImageIOHandler::ScaledSize);
    const bool decodesSmall = handlerScales && reader.format() == "jpeg";
    const QImage::Format format = reader.imageFormat();
    if (!decodesSmall) {
        const int bits =
            format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(format).bitsPerPixel();
        const qint64 bytes =
            static_cast<qint64>(stored.width()) * stored.height() * std::max(bits, 8) / 8;
        const int limitMb = QImageReader::allocationLimit();
        if (limitMb > 0 && bytes > static_cast<qint64>(limitMb) * 1024 * 1024) return {};
    }
    QImage image;
    if (!handlerScales && format != QImage::Format_Invalid) {
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

}  // namespace

bool PictureLoader::WithinLimits(const QSize& size) {
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxSide &&
           size.height() <= kMaxSide &&
           static_cast<qint64>(size.width()) * size.height() <= kMaxPixels;
}

bool PictureLoader::IsAcceptedPicture(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    static const QStringList accepted = {
        QStringLiteral("jpg"), QStringLiteral("bmp"),  QStringLiteral("gif"), QStringLiteral("png"),
        QStringLiteral("tif"), QStringLiteral("jpeg"), QStringLiteral("tiff")};
    return accepted.contains(suffix);
}

QSize PictureLoader::ReadSize(const QString& path) {
    if (path.isEmpty()) return {0, 0};
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QSize stored;
    bool turned = false;
    if (!ProbeHeader(reader, stored, turned)) return {0, 0};
    return Upright(stored, turned);
}

QImage PictureLoader::LoadScaled(const QString& path, const QSize& target) {
    if (path.isEmpty() || !WithinLimits(target)) return {};
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QSize stored;
    bool turned = false;
    if (!ProbeHeader(reader, stored, turned)) return {};
    // The decoder scales the stored picture; the orientation is applied afterwards, so a turned
    // picture is asked for the transposed size.
    reader.setScaledSize(Upright(target, turned));
    QImage image = Decode(reader, stored);
    if (image.isNull()) return {};
    // Decoders may round; the caller relies on the exact size.
    if (image.size() != target)
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return Normalised(std::move(image));
}

QImage PictureLoader::LoadFull(const QString& path) {
    if (path.isEmpty()) return {};
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QSize stored;
    bool turned = false;
    if (!ProbeHeader(reader, stored, turned)) return {};
    QImage image = Decode(reader, stored);
    if (image.isNull() || image.size() != Upright(stored, turned)) return {};
    return Normalised(std::move(image));
}

QSize PictureLoader::LimitWidth(const QSize& size, int maxWidth) {
    if (maxWidth <= 0 || size.width() <= maxWidth) return size;
    const qint64 h = static_cast<qint64>(size.height()) * maxWidth / size.width();
    return {maxWidth, static_cast<int>(h)};
}
