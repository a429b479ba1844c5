#include "HostilePictures.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>
#include <algorithm>

namespace {

void Put16(QByteArray& b, quint16 v) {
    char raw[2];
    qToLittleEndian(v, raw);
    b.append(raw, 2);
}

void Put32(QByteArray& b, quint32 v) {
    char raw[4];
    qToLittleEndian(v, raw);
    b.append(raw, 4);
}

void TiffEntry(QByteArray& b, quint16 tag, quint16 type, quint32 count, quint32 value) {
    Put16(b, tag);
    Put16(b, type);
    Put32(b, count);
    if (type == 3 && count == 1) {
        Put16(b, quint16(value));
        Put16(b, 0);
    } else {
        Put32(b, value);
    }
}

}  // namespace

QByteArray HostilePictures::RleBmp(int width, int height) {
    QByteArray b("BM");
    const quint32 dataOffset = 14 + 40 + 256 * 4;
    Put32(b, dataOffset + 2);
    Put32(b, 0);
    Put32(b, dataOffset);
    Put32(b, 40);
    Put32(b, quint32(width));
    Put32(b, quint32(height));
    Put16(b, 1);
    Put16(b, 8);
    Put32(b, 1);  // BI_RLE8
    Put32(b, 2);
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, 256);
    Put32(b, 0);
    for (int i = 0; i < 256; ++i) Put32(b, quint32(i * 0x010101));
    b.append("\x00\x01", 2);  // end of picture
    return b;
}

QByteArray HostilePictures::StripTiff(int width, int height, int bitsPerSample) {
    QByteArray row;
    for (int left = (width * bitsPerSample + 7) / 8; left > 0;) {
        const int run = std::min(128, left);
        row.append(char(run == 1 ? 0 : 1 - run));  // PackBits: repeat the next byte
        row.append('\0');
        left -= run;
    }
    const quint32 ifd = 8;
    const quint32 rowAt = ifd + 2 + 9 * 12 + 4;
    const quint32 offsetsAt = rowAt + quint32(row.size());
    const quint32 countsAt = offsetsAt + 4 * quint32(height);
    QByteArray b("II*\0", 4);
    Put32(b, ifd);
    Put16(b, 9);
    TiffEntry(b, 256, 4, 1, quint32(width));
    TiffEntry(b, 257, 4, 1, quint32(height));
    TiffEntry(b, 258, 3, 1, quint32(bitsPerSample));
    TiffEntry(b, 259, 3, 1, 32773);                       // PackBits
    TiffEntry(b, 262, 3, 1, bitsPerSample == 1 ? 0 : 1);  // white or black is zero
    TiffEntry(b, 273, 4, quint32(height), offsetsAt);
    TiffEntry(b, 277, 3, 1, 1);
    TiffEntry(b, 278, 4, 1, 1);  // one row per strip
    TiffEntry(b, 279, 4, quint32(height), countsAt);
    Put32(b, 0);
    b += row;
    for (int i = 0; i < height; ++i) Put32(b, rowAt);
    for (int i = 0; i < height; ++i) Put32(b, quint32(row.size()));
    return b;
}

QByteArray HostilePictures::TinyImageGif(int width, int height) {
    QByteArray b("GIF89a");
    Put16(b, quint16(width));
    Put16(b, quint16(height));
    b.append("\x80\x00\x00", 3);                               // two-colour global table
    b.append("\x00\x00\x00\xff\xff\xff", 6);                   // black, white
    b.append("\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00", 10);  // one pixel at (0, 0)
    b.append("\x02\x02\x44\x01\x00\x3b", 6);                   // clear, 0, end; trailer
    return b;
}

QByteArray HostilePictures::ClaimingJpeg(int width, int height, bool progressive) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray b;
    QBuffer buffer(&b);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    const qsizetype sof = b.indexOf(progressive ? "\xff\xc2" : "\xff\xc0");
    if (sof < 0) return {};
    qToBigEndian(quint16(height), b.data() + sof + 5);
    qToBigEndian(quint16(width), b.data() + sof + 7);
    return b;
}
