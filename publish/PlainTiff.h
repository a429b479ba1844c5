#pragma once

#include <QImage>
#include <QString>

// The TIFF of a scanned document or drawing: 8-bit RGB or grey, in strips, upright. It is read
// line by line straight into a QImage of the same layout (RGB888 or Grayscale8), about half the
// work of Qt's reader, which converts every pixel twice on its way to 32 bits. Any other kind,
// and a damaged file, comes back null, for Qt's reader to take.
class PlainTiff {
public:
    static QImage Read(const QString& path);
};
