// Peak memory of every path that decodes pictures, fed with small files that declare huge
// pictures, with the largest file the decoder still accepts, and with ordinary 50-megapixel
// photographs.
//
// Each case runs in a child process of its own, so that no earlier case raises the peak. The
// child prints its peak resident memory (getrusage) and how much it grew over the idle window;
// the parent prints the table. Baseline in the same run: a plain QImageReader decoding the same
// file to the thumbnail size, which is what the files cost without the loader's accounting.
// Goals: every file under 1 MB costs at most 150 MB in every path; a category of 100 such
// files stays under 400 MB at every loader thread count; the photographs show in full quality
// on the document page.
//
// clang-format off
// Ends with one line per goal (BenchSupport.h, GoalLine):
//   GOAL growth_small_file: <figure> MB (<ratio>x plain QImageReader) target <=150 MB MET|MISSED
//   GOAL category_peak: <figure> MB (<ratio>x plain QImageReader worst file) target <400 MB MET|MISSED
// clang-format on

#include <sys/resource.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "TestFiles.h"
#include "app/CCatalogueApp.h"
#include "app/CSplashDlg.h"
#include "bench/BenchSupport.h"
#include "controls/CThumbListCtrl.h"
#include "controls/PictureLoader.h"
#include "controls/ThumbnailRenderer.h"
#include "viewer/CDocPageDlg.h"
#include "viewer/DocPictures.h"

// ---- small files that declare huge pictures ------------------------------------------------
// Each is a few bytes to a few dozen KB on disk and decodes (or claims to decode) to
// width x height pixels.

namespace HostilePictures {
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

// An 8-bit run-length BMP whose only run is "end of picture": about 1 KB.
QByteArray RleBmp(int width, int height) {
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

// A complete grey (8-bit) or black-and-white (1-bit) TIFF: every row is the same PackBits
// strip, stored once and referenced by every strip offset.
QByteArray StripTiff(int width, int height, int bitsPerSample) {
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

// A GIF whose logical screen is width x height and whose one image is a single pixel.
QByteArray TinyImageGif(int width, int height) {
    QByteArray b("GIF89a");
    Put16(b, quint16(width));
    Put16(b, quint16(height));
    b.append("\x80\x00\x00", 3);                               // two-colour global table
    b.append("\x00\x00\x00\xff\xff\xff", 6);                   // black, white
    b.append("\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00", 10);  // one pixel at (0, 0)
    b.append("\x02\x02\x44\x01\x00\x3b", 6);                   // clear, 0, end; trailer
    return b;
}

// A small JPEG (progressive or not) whose frame header is rewritten to claim width x height.
QByteArray ClaimingJpeg(int width, int height, bool progressive) {
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
}  // namespace HostilePictures

namespace {

constexpr double kFileGoalMb = 150;
constexpr double kCategoryGoalMb = 400;

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double Mb(long kib) {
    return kib * 1024.0 / 1e6;
}

// A photograph-like picture: gradients, shapes and sensor noise, so the JPEG carries the
// entropy of a real camera picture (about 2 bits per pixel at quality 90).
QImage MakePhoto(int w, int h, quint32 seed) {
    QRandomGenerator rng(seed);
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(150, 190, 235));
    sky.setColorAt(1, QColor(70, 90, 60));
    p.fillRect(image.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 80; ++i) {
        p.setBrush(QColor::fromHsv(int(rng.bounded(360)), 160, 90 + int(rng.bounded(160))));
        p.setPen(QPen(Qt::black, 1 + rng.bounded(8)));
        p.drawEllipse(QRectF(rng.bounded(w), rng.bounded(h), 50 + rng.bounded(w / 4),
                             50 + rng.bounded(h / 4)));
    }
    p.end();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int n = int(rng.generate() % 13) - 6;
            const QRgb c = line[x];
            line[x] = qRgb(std::clamp(qRed(c) + n, 0, 255), std::clamp(qGreen(c) + n, 0, 255),
                           std::clamp(qBlue(c) + n, 0, 255));
        }
    }
    return image;
}

struct Case {
    QString name;
    QString file;
    bool small;  // under 1 MB: held to the goal
};

void Write(const QString& path, const QByteArray& bytes) {
    if (!TestFiles::WriteFile(path, bytes)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

QList<Case> PrepareFiles(const QDir& dir) {
    QList<Case> cases;
    const auto add = [&](const QString& name, const QByteArray& bytes) {
        const QString file = dir.filePath(name);
        Write(file, bytes);
        cases.append({name, file, true});
    };
    add(QStringLiteral("rle8-10000x10000.bmp"), HostilePictures::RleBmp(10000, 10000));
    add(QStringLiteral("grey-10000x10000.tif"), HostilePictures::StripTiff(10000, 10000, 8));
    add(QStringLiteral("mono-10000x10000.tif"), HostilePictures::StripTiff(10000, 10000, 1));
    add(QStringLiteral("screen-5500x5500.gif"), HostilePictures::TinyImageGif(5500, 5500));
    add(QStringLiteral("progressive-10000x10000.jpg"),
        HostilePictures::ClaimingJpeg(10000, 10000, true));
    add(QStringLiteral("baseline-10000x10000.jpg"),
        HostilePictures::ClaimingJpeg(10000, 10000, false));
    add(QStringLiteral("tall-3300x30000.jpg"), HostilePictures::ClaimingJpeg(3300, 30000, false));
    {
        // Flat grey: a few KB, and about the largest picture whose thumbnail is still decoded.
        if (PictureLoader::ReadSize(dir.filePath(QStringLiteral("grey-4500x4500.png"))) !=
            QSize(4500, 4500)) {
            QImage grey(4500, 4500, QImage::Format_Grayscale8);
            grey.fill(128);
            grey.save(dir.filePath(QStringLiteral("grey-4500x4500.png")));
        }
        cases.append({QStringLiteral("grey-4500x4500.png"),
                      dir.filePath(QStringLiteral("grey-4500x4500.png")), true});
    }
    // Ordinary photographs, kept between runs: as cameras write them, and as web tools save
    // them (progressive: libjpeg keeps every coefficient of the whole picture while it decodes).
    struct Photo {
        int w, h;
        bool progressive;
    };
    for (const Photo& p :
         {Photo{8660, 5773, false}, Photo{5773, 8660, false}, Photo{8660, 5773, true}}) {
        const QString name = QStringLiteral("photo-%1x%2%3.jpg")
                                 .arg(p.w)
                                 .arg(p.h)
                                 .arg(p.progressive ? QStringLiteral("-progressive") : QString());
        const QString file = dir.filePath(name);
        if (PictureLoader::ReadSize(file) != QSize(p.w, p.h)) {
            QImageWriter writer(file, "jpeg");
            writer.setQuality(90);
            writer.setProgressiveScanWrite(p.progressive);
            if (!writer.write(MakePhoto(p.w, p.h, quint32(p.w)))) std::exit(1);
        }
        cases.append({name, file, QFileInfo(file).size() < 1000 * 1000});
    }
    return cases;
}

// ---- the child: one path, one file --------------------------------------------------------

bool WaitFor(CThumbListCtrl& list) {
    return list.WaitForThumbnails(120000);
}

// Mean difference (0..255) between what the page shows and the whole picture decoded and
// scaled smoothly to the same size.
double DifferenceToReference(const QImage& shown, const QString& file) {
    QImageReader reader(file);
    reader.setAutoTransform(true);
    QImageReader::setAllocationLimit(0);
    const QImage reference =
        reader.read().scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (reference.isNull()) return -1;
    double sum = 0;
    for (int y = 0; y < shown.height(); y += 3)
        for (int x = 0; x < shown.width(); x += 3)
            sum += std::abs(qGray(shown.pixel(x, y)) - qGray(reference.pixel(x, y)));
    return sum / (((shown.height() + 2) / 3) * ((shown.width() + 2) / 3));
}

int Child(const QString& way, const QString& file, int threads) {
    theApp.thumbListMode = 1;
    QString extra;
    long before = 0;
    if (way == QLatin1String("thumbnail") || way == QLatin1String("category") ||
        way == QLatin1String("company")) {
        CThumbListCtrl list;
        list.resize(900, 700);
        list.show();
        list.SetLoaderThreads(threads);
        QCoreApplication::processEvents();
        if (way == QLatin1String("company")) {
            // What the company page does with its picture.
            const QSize shown = DocPictures::ShownSize(PictureLoader::ReadSize(file));
            before = PeakKiB();
            if (!shown.isEmpty()) {
                list.SetThumbWidth(shown.width());
                list.SetThumbHeight(shown.height());
                list.InitThumbList();
                list.ShowPicture(file, QString());
            }
        } else {
            list.SetThumbWidth(140);
            list.SetThumbHeight(140);
            list.InitThumbList();
            QStringList files{file};
            if (way == QLatin1String("category")) {
                files = QDir(file).entryList(QDir::Files, QDir::Name);
                for (QString& f : files) f = QDir(file).filePath(f);
            }
            before = PeakKiB();
            for (int i = 0; i < files.size(); ++i)
                list.AddThumbnail(files[i], i, QStringLiteral("产品@%1").arg(i));
        }
        if (!WaitFor(list)) return 3;
    } else if (way == QLatin1String("page") || way == QLatin1String("folder")) {
        CDocPageDlg page(133);
        page.resize(1200, 800);
        page.show();
        QCoreApplication::processEvents();
        QString target = file;
        if (way == QLatin1String("folder")) {
            target = file + QStringLiteral(".folder");
            QDir().mkpath(target);
            QFile::remove(QDir(target).filePath(QFileInfo(file).fileName()));
            QFile::link(file, QDir(target).filePath(QFileInfo(file).fileName()));
        }
        before = PeakKiB();
        page.ShowPagePicture(target);
        if (!page.WaitForPictures(120000)) return 3;
        QCoreApplication::processEvents();
        const long peak = PeakKiB();
        if (way == QLatin1String("page") && page.List()->GetItemCount() == 1 &&
            QFileInfo(file).size() > 1000 * 1000) {
            // The photograph: drawn at its shown size, and how close to a full-quality scaling.
            const QImage cell = page.List()->ItemImage(0);
            const QRect r = ThumbnailRenderer::DrawRect(
                PictureLoader::ReadSize(file), page.List()->GetThumbWidth(),
                page.List()->GetThumbHeight(), ThumbnailRenderer::Kind::Picture);
            extra = QStringLiteral("shown %1x%2, mean difference to a full decode %3")
                        .arg(r.width())
                        .arg(r.height())
                        .arg(DifferenceToReference(cell.copy(r), file), 0, 'f', 2);
        }
        std::printf("%ld %ld %s\n", peak, peak - before, qPrintable(extra));
        return 0;
    } else if (way == QLatin1String("splash")) {
        before = PeakKiB();
        CSplashDlg splash(file);
    } else if (way == QLatin1String("plain")) {
        before = PeakKiB();
        QImageReader reader(file);
        reader.setAutoTransform(true);
        const QRect r = ThumbnailRenderer::DrawRect(reader.size(), 140, 140,
                                                    ThumbnailRenderer::Kind::Thumbnail);
        if (r.isValid()) reader.setScaledSize(r.size());
        reader.read();
    }
    const long peak = PeakKiB();
    std::printf("%ld %ld %s\n", peak, peak - before, qPrintable(extra));
    return 0;
}

// ---- the parent -----------------------------------------------------------------------------

struct Measured {
    double peakMb = -1;
    double grownMb = -1;
    QString extra;
};

Measured RunChild(const QString& way, const QString& file, int threads = 2) {
    QProcess child;
    child.setStandardErrorFile(QProcess::nullDevice());  // decoder warnings about the files
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child"), way, file, QString::number(threads)});
    if (!child.waitForFinished(600000) || child.exitCode() != 0) return {};
    const QString out = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
    const QStringList parts = out.split(QLatin1Char(' '));
    if (parts.size() < 2) return {};
    Measured m;
    m.peakMb = Mb(parts[0].toLong());
    m.grownMb = Mb(parts[1].toLong());
    m.extra = parts.mid(2).join(QLatin1Char(' '));
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CCatalogueApp::RegisterFontSubstitutions();
    if (argc == 5 && qstrcmp(argv[1], "--child") == 0)
        return Child(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                     atoi(argv[4]));

    const QDir dir(QDir::temp().filePath(QStringLiteral("vistrel-bench-picture-memory-v1")));
    QDir().mkpath(dir.path());
    if (argc == 3 && qstrcmp(argv[1], "--prepare") == 0) {
        PrepareFiles(QDir(QString::fromLocal8Bit(argv[2])));
        return 0;
    }
    QElapsedTimer clock;
    clock.start();
    // The big pictures are made in a child: a child started later would inherit the peak of
    // this process, which would then count in every figure.
    if (QProcess::execute(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--prepare"), dir.path()}) != 0)
        return 1;
    const QList<Case> cases = PrepareFiles(dir);
    std::printf("files ready in %.1f s (%s)\n", clock.elapsed() / 1000.0, qPrintable(dir.path()));
    std::printf(
        "each figure: growth of peak memory over the idle window, MB (peak of the "
        "process in brackets)\n\n");

    const QStringList ways{QStringLiteral("thumbnail"), QStringLiteral("page"),
                           QStringLiteral("folder"),    QStringLiteral("company"),
                           QStringLiteral("splash"),    QStringLiteral("plain")};
    std::printf("%-30s %9s", "file", "size");
    for (const QString& way : ways) std::printf(" %17s", qPrintable(way));
    std::printf("\n");
    bool met = true;
    double worstSmall = 0;
    QStringList photoNotes;
    for (const Case& c : cases) {
        std::printf("%-30s %8.1fK", qPrintable(c.name), QFileInfo(c.file).size() / 1024.0);
        for (const QString& way : ways) {
            const Measured m = RunChild(way, c.file);
            std::printf(" %7.1f (%7.1f)", m.grownMb, m.peakMb);
            std::fflush(stdout);
            if (way == QLatin1String("plain")) continue;
            if (m.grownMb < 0) met = false;
            if (c.small) worstSmall = std::max(worstSmall, m.grownMb);
            if (!m.extra.isEmpty()) photoNotes << c.name + QStringLiteral(": ") + m.extra;
        }
        std::printf("\n");
    }
    std::printf("\nlargest growth for a file under 1 MB, any path: %.1f MB   goal <= %.0f MB: %s\n",
                worstSmall, kFileGoalMb, worstSmall <= kFileGoalMb ? "met" : "MISSED");
    met = met && worstSmall <= kFileGoalMb;
    for (const QString& note : photoNotes) std::printf("document page, %s\n", qPrintable(note));

    // A category of 100 small hostile files, at several loader thread counts.
    const QDir category(dir.filePath(QStringLiteral("category")));
    QDir().mkpath(category.path());
    QList<Case> small;
    for (const Case& c : cases)
        if (c.small) small << c;
    for (int i = 0; i < 100; ++i) {
        const Case& c = small[i % small.size()];
        const QString link =
            category.filePath(QStringLiteral("%1-%2").arg(i, 3, 10, QChar('0')).arg(c.name));
        if (!QFileInfo::exists(link)) QFile::copy(c.file, link);
    }
    std::printf("\ncategory of 100 files under 1 MB (%lld kinds), peak of the process:\n",
                static_cast<long long>(small.size()));
    double worstCategory = 0;
    for (int threads : {1, 2, 8, 16}) {
        const Measured m = RunChild(QStringLiteral("category"), category.path(), threads);
        std::printf("  %2d loader threads: %7.1f MB (grew %.1f MB)\n", threads, m.peakMb,
                    m.grownMb);
        worstCategory = std::max(worstCategory, m.peakMb < 0 ? 1e9 : m.peakMb);
    }
    std::printf("largest category peak: %.1f MB   goal < %.0f MB: %s\n", worstCategory,
                kCategoryGoalMb, worstCategory < kCategoryGoalMb ? "met" : "MISSED");
    met = met && worstCategory < kCategoryGoalMb;

    // The ratio against the plain decoder, for the files it did decode.
    double plainWorst = 0;
    for (const Case& c : small)
        plainWorst = std::max(plainWorst, RunChild("plain", c.file).grownMb);
    std::printf(
        "\nplain QImageReader, worst file under 1 MB: %.1f MB; ratio to the loader's "
        "worst: %.1fx\n",
        plainWorst, plainWorst / std::max(1.0, worstSmall));
    PrintGoal("growth_small_file", worstSmall, "MB", worstSmall / std::max(1.0, plainWorst),
              "plain QImageReader", "<=150 MB", worstSmall <= kFileGoalMb);
    PrintGoal("category_peak", worstCategory, "MB", worstCategory / std::max(1.0, plainWorst),
              "plain QImageReader worst file", "<400 MB", worstCategory < kCategoryGoalMb);
    return met ? 0 : 2;
}
