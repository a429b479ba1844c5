#pragma once

#include <QByteArray>
#include <QImage>
#include <QImageIOHandler>
#include <QString>

// The small JPEG that cameras store in a photo's Exif block (the second image directory), and
// the photo's orientation tag, which applies to that thumbnail as well.
//
// Only the head of the file is read (the Exif block lies before the picture data). Every
// offset and length in the block is checked against the block itself, so a damaged or hostile
// block gives "no thumbnail", never a read outside it. Reentrant.
class ExifThumbnail {
public:
    // Largest embedded thumbnail decoded; an Exif block holds at most 64 KiB, so a header that
    // claims more is lying.
    static constexpr int kMaxSide = 1024;

    struct Found {
        QByteArray jpeg;  // the embedded thumbnail, empty when there is none
        // How the photo is to be turned upright (the orientation tag; none without one).
        QImageIOHandler::Transformations orientation = QImageIOHandler::TransformationNone;
    };

    // Reads the head of the JPEG at `path` (a regular file) and finds its Exif thumbnail.
    static Found Read(const QString& path);
    // Same, from the first bytes of a JPEG file.
    static Found Parse(const QByteArray& head);

    // The embedded thumbnail decoded and turned upright, provided its stored shape matches the
    // photo's stored size within `aspectTolerance` (letter-boxed thumbnails do not), and its
    // upright size is at least `minimum`. Null otherwise, and for damaged data.
    static QImage Load(const Found& found, const QSize& storedPhoto, const QSize& minimum,
                       double aspectTolerance = 0.01);

    // `image` turned as an image reader with automatic orientation would turn it.
    static QImage Oriented(QImage image, QImageIOHandler::Transformations orientation);
};
