#include "controls/ThumbnailSource.h"

#include <QBuffer>
#include <atomic>
#include <cstdlib>

#include "controls/ExifThumbnail.h"
#include "controls/FreedesktopThumbnails.h"
#include "controls/PictureLoader.h"
#include "controls/ShippedThumbnails.h"

namespace {

std::atomic<int> g_sources{ThumbnailSource::AllSources};

// One 32-bit format, as decoded pictures have, scaled to exactly `target`.
QImage Scaled(QImage image, const QSize& target) {
    if (image.isNull()) return image;
    if (image.size() != target)
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage::Format want =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != want) image.convertTo(want);
    return image;
}

// The desktop cache keeps thumbnails in "large" at least, as the desktop's own programs read.
FreedesktopThumbnails::SizeClass CacheClass(int side) {
    return FreedesktopThumbnails::ClassFor(std::max(side, 256));
}

}  // namespace

void ThumbnailSource::SetSources(int sources) {
    g_sources = sources;
}

int ThumbnailSource::UsedSources() {
    return g_sources;
}

ThumbnailSource::Stored ThumbnailSource::Find(const QString& path, int side) {
    Stored found;
    const int sources = side > 0 ? g_sources.load() : NoSources;
    if (sources & Shipped) {
        if (auto entry = ShippedThumbnails::Find(path)) {
            QBuffer buffer(&entry->data);
            buffer.open(QIODevice::ReadOnly);
            QImage image = PictureLoader::LoadSmall(&buffer, ShippedThumbnails::kSide);
            if (ShippedThumbnails::IsRowShape(image.size(), entry->picture)) {
                found.picture = entry->picture;
                found.image = std::move(image);
                found.origin = Origin::Shipped;
                return found;
            }
        }
    }
    if (sources & DesktopCache) {
        const FreedesktopThumbnails::Source source = FreedesktopThumbnails::Describe(path);
        QImage image = FreedesktopThumbnails::Find(source, CacheClass(side), &found.picture);
        if (!image.isNull()) {
            found.image = std::move(image);
            found.origin = Origin::Cache;
            return found;
        }
    }
    if (found.picture.isEmpty()) found.picture = PictureLoader::ReadSize(path);
    return found;
}

QImage ThumbnailSource::Fitted(const Stored& stored, const QSize& target) {
    const QSize have = stored.image.size();
    if (stored.image.isNull() || target.isEmpty()) return {};
    // A pixel short is rounding; more would blur the cell.
    const bool enough = have.width() + 1 >= target.width() && have.height() + 1 >= target.height();
    if (!enough && have != stored.picture) return {};
    return Scaled(stored.image, target);
}

QImage ThumbnailSource::Decode(const QString& path, const QSize& picture, const QSize& target,
                               int side, qint64 afterBytes, DecodeBudget::Reservation* hold,
                               Origin* origin) {
    Origin dummy;
    Origin& from = origin ? *origin : dummy;
    from = Origin::None;
    if (picture.isEmpty() || target.isEmpty()) return {};
    const int sources = side > 0 ? g_sources.load() : NoSources;
    if (sources & Embedded) {
        const ExifThumbnail::Found found = ExifThumbnail::Read(path);
        if (!found.jpeg.isEmpty()) {
            // The thumbnail is stored as the photo is; the orientation turns both.
            const bool turned = found.orientation & QImageIOHandler::TransformationRotate90;
            QImage embedded =
                ExifThumbnail::Load(found, turned ? picture.transposed() : picture, target);
            if (!embedded.isNull()) {
                from = Origin::Embedded;
                return Scaled(std::move(embedded), target);
            }
        }
    }
    const FreedesktopThumbnails::SizeClass sizeClass = CacheClass(side);
    // Worth keeping only when the picture is bigger than its thumbnail would be.
    if ((sources & DesktopCache) && sizeClass.IsValid() &&
        std::max(picture.width(), picture.height()) > sizeClass.maxSide) {
        const FreedesktopThumbnails::Source source = FreedesktopThumbnails::Describe(path);
        if (source.IsValid()) {
            // The cache's thumbnail is what this cell is drawn from, now and next time alike.
            const qint64 scaledBytes = 4ll * target.width() * target.height();
            QImage thumbnail = PictureLoader::LoadScaled(
                path, FreedesktopThumbnails::ThumbnailSize(picture, sizeClass),
                afterBytes + scaledBytes, hold);
            if (!thumbnail.isNull()) {
                FreedesktopThumbnails::StoreLater(source, sizeClass, thumbnail, picture);
                from = Origin::Decoded;
                return Scaled(std::move(thumbnail), target);
            }
        }
    }
    QImage decoded = PictureLoader::LoadScaled(path, target, afterBytes, hold);
    if (!decoded.isNull()) from = Origin::Decoded;
    return decoded;
}
