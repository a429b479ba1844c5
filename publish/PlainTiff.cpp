#include "publish/PlainTiff.h"

#include <tiffio.h>

#include <QFile>
#include <memory>

#include "controls/DecodeBudget.h"
#include "controls/PictureLoader.h"

namespace {

// Told per file rather than through libtiff's process-wide handlers, which Qt's reader uses:
// a damaged file shows in the result, not on the terminal.
int Silent(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct Closer {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

}  // namespace

QImage PlainTiff::Read(const QString& path) {
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return {};
        const QByteArray magic = file.read(4);
        if (magic != QByteArray("II*\0", 4) && magic != QByteArray("MM\0*", 4)) return {};
    }
    const std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(
        TIFFOpenOptionsAlloc(), TIFFOpenOptionsFree);
    if (!options) return {};
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), Silent, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), Silent, nullptr);
    // A strip that claims more than this is no document scan.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), 64 * 1024 * 1024);
    const std::unique_ptr<TIFF, Closer> tiff(
        TIFFOpenExt(QFile::encodeName(path).constData(), "r", options.get()));
    if (!tiff) return {};
    TIFF* t = tiff.get();

    uint32_t width = 0, height = 0;
    uint16_t samples = 0, bits = 0, planar = 0, photometric = 0, orientation = 0, compression = 0;
    if (!TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(t, TIFFTAG_IMAGELENGTH, &height) ||
        !TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric) ||
        !TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &samples) ||
        !TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bits) ||
        !TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &planar) ||
        !TIFFGetFieldDefaulted(t, TIFFTAG_ORIENTATION, &orientation) ||
        !TIFFGetFieldDefaulted(t, TIFFTAG_COMPRESSION, &compression))
        return {};
    const bool rgb = samples == 3 && photometric == PHOTOMETRIC_RGB;
    const bool grey = samples == 1 && photometric == PHOTOMETRIC_MINISBLACK;
    const QSize size(int(std::min<uint32_t>(width, INT32_MAX)),
                     int(std::min<uint32_t>(height, INT32_MAX)));
    if ((!rgb && !grey) || bits != 8 || planar != PLANARCONFIG_CONTIG ||
        orientation != ORIENTATION_TOPLEFT || TIFFIsTiled(t) ||
        !TIFFIsCODECConfigured(compression) || !PictureLoader::WithinLimits(size))
        return {};
    // Each line is read into the image itself, so it must be exactly one line of it.
    const qint64 line = qint64(width) * samples;
    if (TIFFScanlineSize64(t) != uint64_t(line)) return {};

    const DecodeBudget::Reservation held = DecodeBudget::Reserve(line * height + 1024 * 1024);
    if (!held.IsHeld()) return {};
    QImage image(size, rgb ? QImage::Format_RGB888 : QImage::Format_Grayscale8);
    if (image.isNull()) return {};
    for (uint32_t y = 0; y < height; ++y)
        if (TIFFReadScanline(t, image.scanLine(int(y)), y, 0) < 0) return {};
    return image;
}
