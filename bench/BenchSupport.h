#pragma once

// What every benchmark shares: its summary lines, its peak memory, camera-sized pictures, cold
// file reads and medians.

#include <fcntl.h>
#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QList>
#include <QPainter>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>
#include <cstdio>

// The one summary line a benchmark prints per goal, in the form every run is compared by:
//   GOAL <name>: <figure> <unit> (<ratio>x <baseline>) target <target> MET|MISSED
inline QByteArray GoalLine(const QString& name, double figure, const QString& unit, double ratio,
                           const QString& baseline, const QString& target, bool met) {
    return QStringLiteral("GOAL %1: %2 %3 (%4x %5) target %6 %7")
        .arg(name)
        .arg(figure, 0, 'f', 2)
        .arg(unit)
        .arg(ratio, 0, 'f', 2)
        .arg(baseline, target, met ? QStringLiteral("MET") : QStringLiteral("MISSED"))
        .toUtf8();
}

inline bool PrintGoal(const char* name, double figure, const char* unit, double ratio,
                      const char* baseline, const char* target, bool met) {
    std::printf("%s\n", GoalLine(QString::fromUtf8(name), figure, QString::fromUtf8(unit), ratio,
                                 QString::fromUtf8(baseline), QString::fromUtf8(target), met)
                            .constData());
    return met;
}

// Peak resident memory of this process so far, in MiB. VmHWM belongs to this program's own
// memory map; getrusage's figure would carry over the forking parent's size across exec.
inline double PeakRssMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return -1;
}

// The middle of the figures (the mean of the two middle ones for an even count); 0 for none.
inline double MedianOfRuns(QList<double> values) {
    if (values.isEmpty()) return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// A photograph-like picture of `width` x `height`: soft gradients, overlapping shapes, edges
// and sensor noise, so the JPEG carries real detail and decoding it is real work. At 4000 x 3000
// and quality 90 a file is about 2.2 MB (1.5 bits per pixel), like a 12-megapixel phone or
// studio product photo. Every seed gives a different picture.
inline QImage MakeCameraPicture(quint32 seed, int width = 4000, int height = 3000) {
    QRandomGenerator rng(seed);
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor::fromHsv(int(rng.bounded(360)), 90, 235));
    sky.setColorAt(1, QColor::fromHsv(int(rng.bounded(360)), 160, 110));
    p.fillRect(image.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 60; ++i) {
        QRadialGradient g(QPointF(rng.bounded(width), rng.bounded(height)), 80 + rng.bounded(700));
        g.setColorAt(0, QColor::fromHsv(int(rng.bounded(360)), 200, 250, 220));
        g.setColorAt(1, QColor::fromHsv(int(rng.bounded(360)), 220, 90, 40));
        p.setBrush(g);
        p.setPen(QPen(QColor::fromHsv(int(rng.bounded(360)), 100, 60), 1 + rng.bounded(6)));
        const QRectF r(rng.bounded(width), rng.bounded(height), 60 + rng.bounded(1200),
                       60 + rng.bounded(900));
        if (i % 3 == 0)
            p.drawRect(r);
        else
            p.drawEllipse(r);
    }
    p.end();
    // Sensor noise on every pixel.
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int n = int(rng.generate() % 11) - 5;
            const QRgb c = line[x];
            line[x] = qRgb(std::clamp(qRed(c) + n, 0, 255), std::clamp(qGreen(c) + n, 0, 255),
                           std::clamp(qBlue(c) + n, 0, 255));
        }
    }
    return image;
}

// `jpeg` as a camera writes it: an Exif block before the picture data holding the orientation
// (upright) and a 160 x 120 JPEG thumbnail of `picture`, the size the camera file standard sets.
inline QByteArray WithCameraExif(const QByteArray& jpeg, const QImage& picture) {
    QByteArray thumb;
    QBuffer buffer(&thumb);
    buffer.open(QIODevice::WriteOnly);
    picture.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .save(&buffer, "JPG", 90);
    const auto u16 = [](quint32 v) { return QByteArray(1, char(v >> 8)) + char(v & 0xff); };
    const auto u32 = [&](quint32 v) { return u16(v >> 16) + u16(v & 0xffff); };
    // Big-endian TIFF: IFD0 with the orientation, then IFD1 with the thumbnail's place.
    QByteArray tiff = "MM" + u16(42) + u32(8);
    tiff += u16(1) + u16(0x0112) + u16(3) + u32(1) + u16(1) + u16(0) + u32(26);
    tiff += u16(2) + u16(0x0201) + u16(4) + u32(1) + u32(56);
    tiff += u16(0x0202) + u16(4) + u32(1) + u32(quint32(thumb.size())) + u32(0);
    tiff += thumb;
    const QByteArray app1 = QByteArray("Exif\0\0", 6) + tiff;
    return jpeg.left(2) + "\xff\xe1" + u16(quint32(app1.size() + 2)) + app1 + jpeg.mid(2);
}

// Writes MakeCameraPicture(seed) as a quality-90 JPEG. The file appears only when complete, so
// an interrupted run never leaves a half picture to be taken for a finished one.
inline bool WriteCameraPicture(const QString& path, quint32 seed) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    QImageWriter writer(&file, "jpg");
    writer.setQuality(90);
    return writer.write(MakeCameraPicture(seed)) && file.commit();
}

// Every regular file below `folder`.
inline QStringList FilesUnder(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
    return files;
}

// Drops the files' pages from the page cache (theirs only), so the next read goes to the disk.
// Written pages are flushed first: dirty pages cannot be dropped.
inline void EvictFromPageCache(const QStringList& files) {
    for (const QString& file : files) {
        const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

// Waits until everything written to the file system holding `path` is on the disk.
inline void SyncFileSystem(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    ::syncfs(fd);
    ::close(fd);
}
