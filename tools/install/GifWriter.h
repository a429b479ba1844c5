#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Qt reads GIF but cannot write it, so the demo's GIF pictures are written here: the picture is
// reduced to at most 256 colours (the most frequent ones, which suits drawings on white) and
// LZW-compressed into a single-frame GIF89a.
class GifWriter {
public:
    // The palette picture that Encode would write; exposed so tests can compare pixels.
    static QImage Quantize(const QImage& image);
    static QByteArray Encode(const QImage& image);
    static bool Write(const QImage& image, const QString& file, QString* error = nullptr);
};
