#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <memory>

#include "app/CCatalogueApp.h"
#include "controls/CThumbListCtrl.h"
#include "controls/PictureLoader.h"
#include "controls/ThumbnailCache.h"
#include "controls/ThumbnailRenderer.h"

using Kind = ThumbnailRenderer::Kind;

namespace {

bool IsRed(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}
bool IsWhite(QRgb c) {
    return qRed(c) == 255 && qGreen(c) == 255 && qBlue(c) == 255;
}
// The light-grey frame over white: alpha 200 of C0 on FF gives about CE.
bool IsFrame(QRgb c) {
    return qRed(c) >= 200 && qRed(c) <= 210 && qGreen(c) == qRed(c) && qBlue(c) == qRed(c);
}

// Smallest rectangle holding every pixel of `image` inside `area` that satisfies `pick`.
template <typename Pick>
QRect BoundingBox(const QImage& image, const QRect& area, Pick pick) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (pick(image.pixel(x, y))) box |= QRect(x, y, 1, 1);
    return box;
}

QImage Crop(const QImage& image, const QRect& r) {
    return image.copy(r);
}

QString ToText(const QList<int>& values) {
    QStringList parts;
    for (int v : values) parts << QString::number(v);
    return parts.join(QLatin1Char(' '));
}

// The part of a cell above the caption, which the name line does not touch.
QImage AboveCaption(const QImage& cellOrScreen, const QRect& icon) {
    return cellOrScreen.copy(QRect(icon.topLeft(), QSize(icon.width(), icon.height() - 20)));
}
QImage AboveCaption(const QImage& cell) {
    return AboveCaption(cell, cell.rect());
}

QImage GrabViewport(CThumbListCtrl& list) {
    return list.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// JPEG with an Exif orientation tag, which Qt's writer does not produce itself.
QByteArray WithOrientation(const QByteArray& jpeg, quint16 orientation) {
    QByteArray tiff;
    tiff += QByteArray("MM\x00\x2a", 4);
    tiff += QByteArray("\x00\x00\x00\x08", 4);                  // first directory at offset 8
    tiff += QByteArray("\x00\x01", 2);                          // one entry
    tiff += QByteArray("\x01\x12\x00\x03\x00\x00\x00\x01", 8);  // Orientation, SHORT, 1 value
    tiff += char(orientation >> 8);
    tiff += char(orientation & 0xff);
    tiff += QByteArray("\x00\x00", 2);
    tiff += QByteArray("\x00\x00\x00\x00", 4);  // no next directory
    QByteArray app1 = QByteArray("Exif\x00\x00", 6) + tiff;
    const quint16 length = quint16(app1.size() + 2);
    QByteArray segment("\xff\xe1", 2);
    segment += char(length >> 8);
    segment += char(length & 0xff);
    segment += app1;
    return jpeg.left(2) + segment + jpeg.mid(2);
}

}  // namespace

class TestThumbList : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_mode = 1;  // the owner's thumbnail mode the lists follow

    QString Path(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

    QString WriteSolid(const QString& name, int w, int h, const QColor& colour) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = Path(name);
        if (!image.save(path)) qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // Varied content: gradients, discs and noise, so that decoders do real work.
    QString WriteBusy(const QString& name, int w, int h, quint32 seed, const char* format = "JPG") {
        QImage image(w, h, QImage::Format_RGB32);
        QRandomGenerator rng(seed);
        QPainter p(&image);
        QLinearGradient g(0, 0, w, h);
        g.setColorAt(0, QColor::fromHsv(int(rng.bounded(360)), 120, 240));
        g.setColorAt(1, QColor::fromHsv(int(rng.bounded(360)), 200, 120));
        p.fillRect(image.rect(), g);
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 12; ++i) {
            p.setBrush(QColor::fromHsv(int(rng.bounded(360)), 180, 220));
            p.setPen(Qt::NoPen);
            const int r = int(rng.bounded(std::max(2, std::min(w, h) / 3))) + 1;
            p.drawEllipse(QPoint(int(rng.bounded(w)), int(rng.bounded(h))), r, r);
        }
        p.end();
        const QString path = Path(name);
        QImageWriter writer(path, format);
        if (!writer.write(image)) qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    std::unique_ptr<CThumbListCtrl> NewList(int width = 640, int height = 480) {
        auto list = std::make_unique<CThumbListCtrl>(m_mode, nullptr);
        list->setFrameShape(QFrame::NoFrame);
        list->resize(width, height);
        list->SetThumbWidth(140);
        list->SetThumbHeight(140);
        list->InitThumbList();
        list->show();
        if (!QTest::qWaitForWindowExposed(list.get())) qWarning("window not exposed");
        return list;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        CCatalogueApp::RegisterFontSubstitutions();
    }
    void init() { m_mode = 1; }

    void acceptedExtensions_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("upper JPG") << "/a/photo.JPG" << true;
        QTest::newRow("jpeg") << "/a/photo.jpeg" << true;
        QTest::newRow("TIFF") << "/a/scan.TIFF" << true;
        QTest::newRow("bmp") << "x.bmp" << true;
        QTest::newRow("gif") << "x.Gif" << true;
        QTest::newRow("png") << "x.png" << true;
        QTest::newRow("tif") << "x.tif" << true;
        QTest::newRow("text") << "/a/notes.txt" << false;
        QTest::newRow("no dot") << "/a/photojpg" << false;
        QTest::newRow("longer ext") << "/a/photo.xjpg" << false;
        QTest::newRow("folder named jpg") << "/a/b.jpg/photo" << false;
        QTest::newRow("empty") << "" << false;
    }
    void acceptedExtensions() {
        QFETCH(QString, path);
        QFETCH(bool, accepted);
        QCOMPARE(PictureLoader::IsAcceptedPicture(path), accepted);
    }

    void fitting_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QRect>("fit");         // x, y, width, height
        QTest::addColumn<QRect>("thumbnail");   // where AddThumbnail draws
        QTest::addColumn<QRect>("picture_at");  // where ShowPicture draws
        QTest::newRow("wide") << QSize(1000, 500) << QSize(140, 140) << QRect(0, 35, 140, 70)
                              << QRect(10, 50, 120, 60) << QRect(0, 65, 140, 70);
        QTest::newRow("tall") << QSize(500, 1000) << QSize(140, 140) << QRect(35, 0, 70, 140)
                              << QRect(45, 15, 50, 130) << QRect(35, 30, 70, 140);
        QTest::newRow("small") << QSize(100, 80) << QSize(140, 140) << QRect(20, 30, 100, 80)
                               << QRect(30, 45, 80, 70) << QRect(20, 60, 100, 80);
        // As high as the box but narrower: fitted, not kept.
        QTest::newRow("exact height")
            << QSize(100, 140) << QSize(140, 140) << QRect(20, 0, 100, 140)
            << QRect(30, 15, 80, 130) << QRect(20, 30, 100, 140);
        QTest::newRow("same as box")
            << QSize(3300, 2000) << QSize(3300, 2000) << QRect(0, 0, 3300, 2000)
            << QRect(10, 15, 3280, 1990) << QRect(0, 30, 3300, 2000);
        QTest::newRow("square in wide box")
            << QSize(400, 400) << QSize(200, 100) << QRect(50, 0, 100, 100) << QRect(60, 15, 80, 90)
            << QRect(50, 30, 100, 100);
        // Too small for the inset: nothing drawn rather than a mirrored picture.
        QTest::newRow("tiny") << QSize(15, 8) << QSize(140, 140) << QRect(62, 66, 15, 8) << QRect()
                              << QRect(62, 96, 15, 8);
        QTest::newRow("empty") << QSize(0, 0) << QSize(140, 140) << QRect(70, 70, 0, 0) << QRect()
                               << QRect();
    }
    void fitting() {
        QFETCH(QSize, picture);
        QFETCH(QSize, box);
        QFETCH(QRect, fit);
        QFETCH(QRect, thumbnail);
        QFETCH(QRect, picture_at);
        const auto f = ThumbnailRenderer::FitPicture(picture, box.width(), box.height());
        QCOMPARE(QRect(f.x, f.y, f.width, f.height), fit);
        QCOMPARE(ThumbnailRenderer::DrawRect(picture, box.width(), box.height(), Kind::Thumbnail),
                 thumbnail);
        QCOMPARE(ThumbnailRenderer::DrawRect(picture, box.width(), box.height(), Kind::Picture),
                 picture_at);
    }

    // The three pictures of the product list drawn in a 140 x 140 cell, checked on the screen.
    void cellRectangles_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("1000x500") << QSize(1000, 500) << QRect(10, 50, 120, 60);
        QTest::newRow("500x1000") << QSize(500, 1000) << QRect(45, 15, 50, 130);
        QTest::newRow("100x80") << QSize(100, 80) << QRect(30, 45, 80, 70);
    }
    void cellRectangles() {
        QFETCH(QSize, picture);
        QFETCH(QRect, expected);
        const QString path =
            WriteSolid(QStringLiteral("red_%1x%2.png").arg(picture.width()).arg(picture.height()),
                       picture.width(), picture.height(), Qt::red);
        auto list = NewList();
        list->AddThumbnail(path, 0, QStringLiteral("红色@R-1"));
        QVERIFY(list->WaitForThumbnails(20000));
        QVERIFY(list->IsThumbnailReady(0));

        const QImage cell = list->ItemImage(0);
        QCOMPARE(cell.size(), QSize(140, 175));
        QCOMPARE(BoundingBox(cell, cell.rect(), IsRed), expected);

        const QImage screen = GrabViewport(*list);
        const QRect icon = list->IconRect(0);
        QCOMPARE(icon.size(), QSize(140, 175));
        const QRect onScreen = expected.translated(icon.topLeft());
        QCOMPARE(BoundingBox(screen, icon, IsRed), onScreen);
        // Every pixel of the rectangle is the picture, every other pixel inside the frame white.
        for (int y = icon.top() + 11; y < icon.top() + 149; ++y)
            for (int x = icon.left() + 1; x < icon.left() + 139; ++x) {
                const QRgb c = screen.pixel(x, y);
                if (onScreen.contains(x, y) ? !IsRed(c) : !IsWhite(c))
                    QFAIL(qPrintable(QStringLiteral("unexpected pixel at %1,%2").arg(x).arg(y)));
            }
    }

    void frameFollowsMode_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("framed");
        QTest::newRow("mode 1") << 1 << true;
        QTest::newRow("mode 0") << 0 << true;
        QTest::newRow("mode 2") << 2 << false;
    }
    void frameFollowsMode() {
        QFETCH(int, mode);
        QFETCH(bool, framed);
        m_mode = mode;
        const QString path = WriteSolid(QStringLiteral("frame.png"), 300, 200, Qt::red);
        auto list = NewList();
        list->AddThumbnail(path, 0, QStringLiteral("a@b"));
        // While loading, the cell already shows its ground and (maybe) its frame.
        const QImage early = list->ItemImage(0);
        QVERIFY(!list->IsThumbnailReady(0));
        // On the screen too: the ground (and frame) with the caption, before the picture.
        const QImage earlyScreen = GrabViewport(*list);
        QCOMPARE(AboveCaption(earlyScreen, list->IconRect(0)), AboveCaption(early));
        QVERIFY(BoundingBox(earlyScreen, list->NameBand(0), [](QRgb c) {
                    return qGray(c) < 90;
                }).isValid());
        QVERIFY(list->WaitForThumbnails(20000));
        const QImage screen = GrabViewport(*list);
        const QRect icon = list->IconRect(0);
        const QList<QImage> images = {early, list->ItemImage(0), screen.copy(icon)};
        for (int k = 0; k < images.size(); ++k) {
            const QImage& img = images[k];
            QCOMPARE(img.size(), QSize(140, 175));
            int frame = 0;
            int white = 0;
            for (int x = 0; x < 140; ++x)
                for (int y : {10, 149}) (IsFrame(img.pixel(x, y)) ? frame : white) += 1;
            for (int y = 11; y < 149; ++y)
                for (int x : {0, 139}) (IsFrame(img.pixel(x, y)) ? frame : white) += 1;
            QCOMPARE(frame, framed ? 140 * 2 + 138 * 2 : 0);
            QCOMPARE(white, framed ? 0 : 140 * 2 + 138 * 2);
            // Nothing outside the frame: rows above and the caption rows are white.
            QCOMPARE(BoundingBox(img, QRect(0, 0, 140, 10), [](QRgb c) { return !IsWhite(c); }),
                     QRect());
            // Below the frame only the caption (on the screen) may be drawn.
            const int freeRows = k < 2 ? 25 : 7;
            QCOMPARE(
                BoundingBox(img, QRect(0, 150, 140, freeRows), [](QRgb c) { return !IsWhite(c); }),
                QRect());
        }
    }

    void showPictureIsUnframedAndLarger() {
        const QString path = WriteSolid(QStringLiteral("company.png"), 100, 80, Qt::red);
        auto list = NewList();
        list->AddThumbnail(WriteSolid(QStringLiteral("other.png"), 50, 50, Qt::blue), 0,
                           QStringLiteral("x"));
        list->ShowPicture(path, QString());
        QCOMPARE(list->GetItemCount(), 2);
        QCOMPARE(list->GetItemText(0), QString());
        QVERIFY(list->WaitForThumbnails(20000));
        const QImage cell = list->ItemImage(0);
        QCOMPARE(BoundingBox(cell, cell.rect(), IsRed), QRect(20, 60, 100, 80));
        QCOMPARE(BoundingBox(cell, cell.rect(), IsFrame), QRect());

        // A document page: the cell is the picture's own size, the picture fills it unchanged.
        auto page = NewList(500, 400);
        const QString doc = WriteBusy(QStringLiteral("doc.png"), 320, 240, 7, "PNG");
        const QSize size = PictureLoader::ReadSize(doc);
        QCOMPARE(size, QSize(320, 240));
        page->SetThumbWidth(size.width());
        page->SetThumbHeight(size.height());
        page->InitThumbList();
        page->ShowPicture(doc, QString());
        QVERIFY(page->WaitForThumbnails(20000));
        const QImage docCell = page->ItemImage(0);
        QCOMPARE(docCell.size(), QSize(320, 275));
        QCOMPARE(docCell.copy(0, 30, 320, 240), QImage(doc).convertToFormat(QImage::Format_RGB32));
    }

    void captionSplitting_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::newRow("one @") << "铣刀@MD-200"
                               << "铣刀"
                               << "MD-200";
        QTest::newRow("two @") << "a@b@C-1"
                               << "a@b"
                               << "C-1";
        QTest::newRow("none") << "Plain"
                              << "Plain"
                              << "";
        QTest::newRow("trailing") << "Name@"
                                  << "Name"
                                  << "";
        QTest::newRow("leading") << "@T1"
                                 << ""
                                 << "T1";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
    }
    void captionSplitting() {
        QFETCH(QString, caption);
        QFETCH(QString, name);
        QFETCH(QString, type);
        const auto [n, t] = ThumbnailRenderer::SplitCaption(caption);
        QCOMPARE(n, name);
        QCOMPARE(t, type);
    }

    // The two lines on the screen: the name in the text colour above, the type code in grey.
    void captionLines() {
        auto list = NewList(900, 480);
        const QStringList captions = {QStringLiteral("ab@cd@XY-12"), QStringLiteral("ab@cd@"),
                                      QStringLiteral("ab@XY-12"), QStringLiteral("Plain"),
                                      QStringLiteral("Plain@")};
        for (int i = 0; i < captions.size(); ++i)
            list->AddThumbnail(Path(QStringLiteral("none%1.jpg").arg(i)), i, captions[i]);
        QVERIFY(list->WaitForThumbnails(20000));
        const QImage screen = GrabViewport(*list);
        auto band = [&](int i, bool type) {
            return Crop(screen, type ? list->TypeBand(i) : list->NameBand(i));
        };
        auto darkest = [](const QImage& img) {
            int m = 255;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) m = std::min(m, qGray(img.pixel(x, y)));
            return m;
        };
        const QImage blankBand = [&] {
            QImage b(list->NameBand(0).size(), QImage::Format_RGB32);
            b.fill(Qt::white);
            return b;
        }();
        // The name line is dark text; the type line is grey, never darker than the grey.
        QVERIFY(darkest(band(0, false)) < 90);
        const int typeDarkest = darkest(band(0, true));
        QVERIFY2(typeDarkest >= 110 && typeDarkest < 200, qPrintable(QString::number(typeDarkest)));
        // Split at the last "@": the first line keeps "ab@cd".
        QCOMPARE(band(0, false), band(1, false));
        QVERIFY(band(0, false) != band(2, false));
        QCOMPARE(band(0, true), band(2, true));
        QCOMPARE(band(1, true), blankBand);
        // Without "@" the whole text is the name and the second line is empty.
        QCOMPARE(band(3, false), band(4, false));
        QCOMPARE(band(3, true), blankBand);
        // The name sits under the frame, inside the item, not on the picture.
        QVERIFY(list->NameBand(0).top() > list->IconRect(0).top() + 149);
        QVERIFY(list->ItemRect(0).contains(list->TypeBand(0)));
    }

    void missingAndCorruptFilesGiveWhiteFramedCells() {
        QFile junk(Path("corrupt.png"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(500, '\x7f'));
        junk.close();
        QFile text(Path("text.jpg"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("this is not a picture");
        text.close();

        auto list = NewList();
        list->ShowPicture(Path("model.stp"), QString());  // a single picture: only what we read
        QCOMPARE(list->GetItemCount(), 0);
        list->AddThumbnail(Path("does-not-exist.jpg"), 0, QStringLiteral("缺失@M-1"));
        list->AddThumbnail(Path("corrupt.png"), 1, QStringLiteral("损坏@C-1"));
        list->AddThumbnail(Path("text.jpg"), 2, QStringLiteral("文本@T-1"));
        // A thumbnail whose path names no picture we read, or nothing, keeps its item too.
        list->AddThumbnail(Path("notes.txt"), 3, QStringLiteral("文本@T-2"));
        list->AddThumbnail(QString(), 4, QStringLiteral("无图@N-1"));
        QCOMPARE(list->GetItemCount(), 5);
        QVERIFY(list->WaitForThumbnails(20000));
        const QImage blank = ThumbnailRenderer::Blank(140, 140, Kind::Thumbnail, true);
        const QImage screen = GrabViewport(*list);
        for (int i = 0; i < 5; ++i) {
            QVERIFY(list->IsThumbnailReady(i));
            QCOMPARE(list->ItemImage(i), blank);
            QCOMPARE(AboveCaption(screen, list->IconRect(i)), AboveCaption(blank));
            QVERIFY(BoundingBox(screen, list->NameBand(i), [](QRgb c) {
                        return qGray(c) < 90;
                    }).isValid());
        }
        QCOMPARE(list->GetItemText(1), QStringLiteral("损坏@C-1"));
    }

    void hostileHeadersAreRefusedWithoutDecoding() {
        // A BMP header claiming 20000 x 20000 pixels, then nothing.
        QByteArray bmp(54, '\0');
        bmp[0] = 'B';
        bmp[1] = 'M';
        qToLittleEndian<quint32>(54 + 3 * 20000 * 20000u, bmp.data() + 2);
        qToLittleEndian<quint32>(54, bmp.data() + 10);
        qToLittleEndian<quint32>(40, bmp.data() + 14);
        qToLittleEndian<qint32>(20000, bmp.data() + 18);
        qToLittleEndian<qint32>(20000, bmp.data() + 22);
        qToLittleEndian<quint16>(1, bmp.data() + 26);
        qToLittleEndian<quint16>(24, bmp.data() + 28);
        QFile f(Path("huge.bmp"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bmp);
        f.close();
        QElapsedTimer t;
        t.start();
        QCOMPARE(PictureLoader::ReadSize(Path("huge.bmp")), QSize(0, 0));
        QVERIFY(PictureLoader::LoadFull(Path("huge.bmp")).isNull());
        QVERIFY(PictureLoader::LoadScaled(Path("huge.bmp"), QSize(100, 100)).isNull());
        QCOMPARE(ThumbnailRenderer::Render({Path("huge.bmp"), 140, 140, Kind::Thumbnail, true}),
                 ThumbnailRenderer::Blank(140, 140, Kind::Thumbnail, true));
        QVERIFY(t.elapsed() < 2000);

        // Asking for an absurd target is refused too.
        const QString ok = WriteSolid(QStringLiteral("ok.png"), 40, 30, Qt::red);
        QVERIFY(PictureLoader::LoadScaled(ok, QSize(40000, 10)).isNull());
        QVERIFY(PictureLoader::LoadScaled(ok, QSize(0, 10)).isNull());
        QCOMPARE(PictureLoader::LoadScaled(ok, QSize(20, 15)).size(), QSize(20, 15));
        // An absurd cell is drawn as nothing rather than allocated.
        QVERIFY(ThumbnailRenderer::Render({ok, 30000, 30000, Kind::Picture, false}).isNull());
    }

    // Only JPEG decodes small; every other format must fit the reader's allocation limit whole.
    void allocationLimitApplies() {
        const QString png = WriteSolid(QStringLiteral("limit.png"), 1000, 1000, Qt::red);
        const QString bmp = WriteSolid(QStringLiteral("limit.bmp"), 1000, 1000, Qt::red);
        const QString jpg = WriteBusy(QStringLiteral("limit.jpg"), 1000, 1000, 5);
        const int saved = QImageReader::allocationLimit();
        QImageReader::setAllocationLimit(2);  // MB: a 1000 x 1000 picture needs about 4
        const QImage pngSmall = PictureLoader::LoadScaled(png, QSize(100, 100));
        const QImage bmpSmall = PictureLoader::LoadScaled(bmp, QSize(100, 100));
        const QImage jpgSmall = PictureLoader::LoadScaled(jpg, QSize(100, 100));
        const QImage jpgFull = PictureLoader::LoadFull(jpg);
        const QSize pngSize = PictureLoader::ReadSize(png);
        QImageReader::setAllocationLimit(saved);
        QVERIFY(pngSmall.isNull());
        QVERIFY(bmpSmall.isNull());
        QCOMPARE(jpgSmall.size(), QSize(100, 100));
        QVERIFY(jpgFull.isNull());
        QCOMPARE(pngSize, QSize(1000, 1000));
        QCOMPARE(PictureLoader::LoadScaled(png, QSize(100, 100)).size(), QSize(100, 100));
    }

    void limitWidth() {
        QCOMPARE(PictureLoader::LimitWidth(QSize(3300, 1000), 3300), QSize(3300, 1000));
        QCOMPARE(PictureLoader::LimitWidth(QSize(3301, 1000), 3300), QSize(3300, 999));
        QCOMPARE(PictureLoader::LimitWidth(QSize(6600, 2001), 3300), QSize(3300, 1000));
        QCOMPARE(PictureLoader::LimitWidth(QSize(100, 5000), 3300), QSize(100, 5000));
    }

    // Camera pictures are shown upright and fitted on their upright size.
    void orientationTag() {
        QImage stored(200, 100, QImage::Format_RGB32);  // left half blue, right half red
        stored.fill(Qt::red);
        QPainter(&stored).fillRect(0, 0, 100, 100, Qt::blue);
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(stored.save(&buffer, "JPG", 95));
        QFile f(Path("turned.jpg"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(WithOrientation(jpeg, 6));  // turned 90 degrees clockwise for display
        f.close();

        QCOMPARE(PictureLoader::ReadSize(f.fileName()), QSize(100, 200));
        const QImage full = PictureLoader::LoadFull(f.fileName());
        QCOMPARE(full.size(), QSize(100, 200));
        // Turned clockwise: the left (blue) half ends up on top.
        QVERIFY(qBlue(full.pixel(50, 20)) > 200 && qRed(full.pixel(50, 20)) < 60);
        QVERIFY(qRed(full.pixel(50, 180)) > 200 && qBlue(full.pixel(50, 180)) < 60);
        const QImage scaled = PictureLoader::LoadScaled(f.fileName(), QSize(50, 130));
        QCOMPARE(scaled.size(), QSize(50, 130));
        QVERIFY(qBlue(scaled.pixel(25, 10)) > 200 && qRed(scaled.pixel(25, 10)) < 60);
        QVERIFY(qRed(scaled.pixel(25, 120)) > 200 && qBlue(scaled.pixel(25, 120)) < 60);
        // In the list the portrait picture is fitted as 70 x 140 and drawn at (45, 15) 50 x 130.
        const QImage cell =
            ThumbnailRenderer::Render({f.fileName(), 140, 140, Kind::Thumbnail, true});
        const QRect picture = BoundingBox(cell, QRect(1, 11, 138, 138),
                                          [](QRgb c) { return !IsWhite(c) && !IsFrame(c); });
        QCOMPARE(picture, QRect(45, 15, 50, 130));
    }

    // The test pictures of the Pillow project carry orientations 2 to 8 of the same portrait.
    void orientationSamplesMatchUpright() {
        const QDir dir(QStringLiteral(VISTREL_TESTDATA_IMAGES));
        const QImage upright = PictureLoader::LoadFull(dir.filePath("hopper.jpg"));
        QVERIFY(!upright.isNull());
        for (int o = 2; o <= 8; ++o) {
            const QImage img = PictureLoader::LoadFull(
                dir.filePath(QStringLiteral("hopper_orientation_%1.jpg").arg(o)));
            QCOMPARE(img.size(), upright.size());
            qint64 diff = 0;
            for (int y = 0; y < img.height(); y += 2)
                for (int x = 0; x < img.width(); x += 2)
                    diff += std::abs(qGray(img.pixel(x, y)) - qGray(upright.pixel(x, y)));
            const double mean = double(diff) / ((img.height() / 2) * (img.width() / 2));
            QVERIFY2(
                mean < 12,
                qPrintable(QStringLiteral("orientation %1: mean difference %2").arg(o).arg(mean)));
        }
    }

    // Every real-world file: decoded or cleanly empty through the loader and through the list.
    void everyTestPicture() {
        const QDir dir(QStringLiteral(VISTREL_TESTDATA_IMAGES));
        const QStringList files = dir.entryList(QDir::Files, QDir::Name);
        QVERIFY(files.size() >= 30);
        auto list = NewList(900, 600);
        QStringList accepted;
        int decoded = 0;
        for (const QString& name : files) {
            const QString path = dir.filePath(name);
            QElapsedTimer t;
            t.start();
            const QSize size = PictureLoader::ReadSize(path);
            const QImage full = PictureLoader::LoadFull(path);
            QVERIFY2(size.isEmpty() || PictureLoader::WithinLimits(size), qPrintable(name));
            if (!full.isNull()) {
                QCOMPARE(full.size(), size);
                ++decoded;
            }
            if (!size.isEmpty()) {
                const QImage half = PictureLoader::LoadScaled(
                    path, QSize(std::max(1, size.width() / 2), std::max(1, size.height() / 2)));
                QVERIFY2(half.isNull() || half.size() == QSize(std::max(1, size.width() / 2),
                                                               std::max(1, size.height() / 2)),
                         qPrintable(name));
            }
            QVERIFY2(t.elapsed() < 5000, qPrintable(name));
            if (PictureLoader::IsAcceptedPicture(path)) {
                list->AddThumbnail(path, int(accepted.size()), name + QStringLiteral("@T"));
                accepted << name;
            }
        }
        // The sound pictures really decode.
        for (const char* good :
             {"hopper.jpg", "hopper.png", "hopper.bmp", "hopper.gif", "hopper.tif", "flower2.jpg",
              "pil_sample_cmyk.jpg", "hopper_gray.jpg"})
            QVERIFY2(!PictureLoader::LoadFull(dir.filePath(good)).isNull(), good);
        QVERIFY(decoded >= 20);

        QCOMPARE(list->GetItemCount(), int(accepted.size()));
        QVERIFY(list->WaitForThumbnails(60000));
        const QImage blank = ThumbnailRenderer::Blank(140, 140, Kind::Thumbnail, true);
        int withPicture = 0;
        for (int i = 0; i < list->GetItemCount(); ++i) {
            QVERIFY(list->IsThumbnailReady(i));
            const QImage cell = list->ItemImage(i);
            QCOMPARE(cell.size(), QSize(140, 175));
            if (cell != blank) ++withPicture;
            // What arrived from the pool is what an in-line rendering gives.
            QVERIFY2(cell == ThumbnailRenderer::Render(
                                 {dir.filePath(accepted[i]), 140, 140, Kind::Thumbnail, true}),
                     qPrintable(accepted[i]));
        }
        QVERIFY(withPicture >= 20);
        GrabViewport(*list).save(QDir(QCoreApplication::applicationDirPath())
                                     .filePath(QStringLiteral("thumblist_testdata.png")));
    }

    void asyncMatchesInline() {
        QStringList paths;
        for (int i = 0; i < 8; ++i)
            paths << WriteBusy(QStringLiteral("busy%1.jpg").arg(i), 600 + 97 * i, 400 + 131 * i,
                               quint32(i + 1));
        paths
            << WriteBusy(QStringLiteral("busy.png"), 333, 777, 99, "PNG")
            << WriteBusy(QStringLiteral("busy.bmp"), 90, 60, 98, "BMP")
            << WriteBusy(QStringLiteral("busy.tif"), 500, 300, 97, "TIFF")
            << QDir(QStringLiteral(VISTREL_TESTDATA_IMAGES)).filePath(QStringLiteral("hopper.gif"));
        for (int mode : {1, 2}) {
            m_mode = mode;
            auto list = NewList();
            for (int i = 0; i < paths.size(); ++i)
                list->AddThumbnail(paths[i], i, QStringLiteral("p%1@t").arg(i));
            QVERIFY(list->PendingThumbnails() > 0);
            QVERIFY(list->WaitForThumbnails(30000));
            QCOMPARE(list->PendingThumbnails(), 0);
            const QImage screen = GrabViewport(*list);
            for (int i = 0; i < paths.size(); ++i) {
                const QImage inLine =
                    ThumbnailRenderer::Render({paths[i], 140, 140, Kind::Thumbnail, mode != 2});
                QCOMPARE(list->ItemImage(i), inLine);
                if (list->viewport()->rect().contains(list->IconRect(i)))
                    QCOMPARE(AboveCaption(screen, list->IconRect(i)), AboveCaption(inLine));
            }
        }
    }

    void visibleCellsLoadFirst() {
        ThumbnailCache::Instance().Clear();
        const int count = 40;
        QStringList paths;
        for (int i = 0; i < count; ++i)
            paths << WriteBusy(QStringLiteral("order%1.jpg").arg(i), 900, 600, quint32(40 + i));
        auto list = NewList(500, 260);
        // One loader, so pictures arrive in the order they are started.
        list->SetLoaderThreads(1);
        // A scroll bar appearing later would change the columns and so the visible cells.
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        QCoreApplication::processEvents();
        QSignalSpy drawn(list.get(), &CThumbListCtrl::thumbnailDrawn);
        for (int i = 0; i < count; ++i)
            list->AddThumbnail(paths[i], i, QStringLiteral("n%1@t").arg(i));
        // Scroll to the end before any result has come back.
        list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
        QList<int> visible;
        for (int i = 0; i < count; ++i)
            if (list->ItemRect(i).intersects(list->viewport()->rect())) visible << i;
        QVERIFY(visible.size() >= 2);
        QVERIFY(visible.first() > 10);
        QVERIFY(list->WaitForThumbnails(60000));
        QCOMPARE(drawn.size(), count);
        QList<int> order;
        for (const auto& args : drawn) order << args.at(0).toInt();
        // The first picture was already loading; then the visible cells, then the others in
        // order.
        QList<int> expected = {0};
        expected += visible;
        for (int i = 1; i < count; ++i)
            if (!visible.contains(i)) expected << i;
        QCOMPARE(ToText(order), ToText(expected));
    }

    void reinitialisingDropsPendingResults() {
        QStringList slow;
        for (int i = 0; i < 3; ++i)
            slow << WriteBusy(QStringLiteral("slow%1.jpg").arg(i), 2000, 1500, quint32(70 + i));
        const QString green = WriteSolid(QStringLiteral("green.png"), 300, 300, Qt::green);
        auto list = NewList();
        for (int round = 0; round < 5; ++round) {
            for (int i = 0; i < 30; ++i)
                list->AddThumbnail(slow[i % 3], i, QStringLiteral("old%1@x").arg(i));
            QVERIFY(list->PendingThumbnails() > 0);
            // Let a few results arrive, some of them after the list changed.
            QTest::qWait(round * 15);
            list->DeleteAllItems();
            list->SetThumbWidth(100);
            list->SetThumbHeight(80);
            list->InitThumbList();
            QCOMPARE(list->PendingThumbnails(), 0);
            for (int i = 0; i < 3; ++i) list->AddThumbnail(green, i, QStringLiteral("new@y"));
            QVERIFY(list->WaitForThumbnails(30000));
            // Stale loads of the old list keep arriving for a while; none may land here.
            QTest::qWait(50);
            QCOMPARE(list->GetItemCount(), 3);
            const QImage expected =
                ThumbnailRenderer::Render({green, 100, 80, Kind::Thumbnail, true});
            QCOMPARE(expected.size(), QSize(100, 115));
            for (int i = 0; i < 3; ++i) {
                QCOMPARE(list->GetItemText(i), QStringLiteral("new@y"));
                QCOMPARE(list->ItemImage(i), expected);
            }
            list->DeleteAllItems();
            list->SetThumbWidth(140);
            list->SetThumbHeight(140);
            list->InitThumbList();
        }
        // Items left in the list by the owner keep their caption and lose their picture.
        list->AddThumbnail(green, 0, QStringLiteral("kept"));
        QVERIFY(list->WaitForThumbnails(20000));
        list->InitThumbList();
        QCOMPARE(list->GetItemCount(), 1);
        QCOMPARE(list->GetItemText(0), QStringLiteral("kept"));
        QVERIFY(list->ItemImage(0).isNull());

        // A list destroyed with loads in flight neither crashes nor receives them.
        for (int i = 0; i < 3; ++i) {
            auto doomed = NewList();
            for (int k = 0; k < 20; ++k) doomed->AddThumbnail(slow[k % 3], k, QStringLiteral("d"));
            doomed.reset();
            QTest::qWait(10);
        }
    }

    // Going back to a category shows cells from the cache; a file changed meanwhile is decoded
    // afresh, and document-sized cells are not kept.
    void cachedCells() {
        ThumbnailCache::Instance().Clear();
        const QString path = WriteSolid(QStringLiteral("changing.png"), 300, 200, Qt::red);
        auto list = NewList();
        list->AddThumbnail(path, 0, QStringLiteral("a@1"));
        QVERIFY(list->WaitForThumbnails(20000));
        QCOMPARE(BoundingBox(list->ItemImage(0), QRect(0, 0, 140, 175), IsRed),
                 ThumbnailRenderer::DrawRect(QSize(300, 200), 140, 140, Kind::Thumbnail));
        QCOMPARE(ThumbnailCache::Instance().Count(), 1);

        // Same file again: the same pixels.
        const QImage first = list->ItemImage(0);
        list->DeleteAllItems();
        list->InitThumbList();
        list->AddThumbnail(path, 0, QStringLiteral("a@1"));
        QVERIFY(list->WaitForThumbnails(20000));
        QCOMPARE(list->ItemImage(0), first);
        QCOMPARE(ThumbnailCache::Instance().Count(), 1);

        // The file is replaced by a different picture under the same name.
        QImage blue(200, 300, QImage::Format_RGB32);
        blue.fill(Qt::blue);
        QVERIFY(blue.save(path, "PNG"));
        list->DeleteAllItems();
        list->InitThumbList();
        list->AddThumbnail(path, 0, QStringLiteral("a@1"));
        QVERIFY(list->WaitForThumbnails(20000));
        QCOMPARE(BoundingBox(list->ItemImage(0), QRect(0, 0, 140, 175), IsRed), QRect());
        QCOMPARE(list->ItemImage(0),
                 ThumbnailRenderer::Render({path, 140, 140, Kind::Thumbnail, true}));

        // A document page's cell is far larger than a thumbnail and is not kept.
        const int before = ThumbnailCache::Instance().Count();
        const QString doc = WriteSolid(QStringLiteral("wide_doc.png"), 3300, 1000, Qt::red);
        list->DeleteAllItems();
        list->SetThumbWidth(3300);
        list->SetThumbHeight(1000);
        list->InitThumbList();
        list->ShowPicture(doc, QString());
        QVERIFY(list->WaitForThumbnails(20000));
        QCOMPARE(list->ItemImage(0).size(), QSize(3300, 1035));
        QCOMPARE(BoundingBox(list->ItemImage(0), QRect(0, 0, 3300, 1035), IsRed),
                 QRect(0, 30, 3300, 1000));
        QCOMPARE(ThumbnailCache::Instance().Count(), before);
    }

    void clicksAndItems() {
        auto list = NewList(500, 480);
        QSignalSpy clicked(list.get(), &CThumbListCtrl::itemClicked);
        list->AddThumbnail(Path("a.jpg"), 0, QStringLiteral("A@1"));
        list->AddThumbnail(Path("c.jpg"), 5, QStringLiteral("C@3"));  // past the end: appended
        list->AddThumbnail(Path("b.jpg"), 1, QStringLiteral("B@2"));  // inserted between
        QCOMPARE(list->GetItemCount(), 3);
        QCOMPARE(list->GetItemText(0), QStringLiteral("A@1"));
        QCOMPARE(list->GetItemText(1), QStringLiteral("B@2"));
        QCOMPARE(list->GetItemText(2), QStringLiteral("C@3"));
        QCOMPARE(list->GetItemText(3), QString());
        QCOMPARE(list->GetSelectionMark(), -1);
        QVERIFY(list->WaitForThumbnails(20000));

        // Items do not overlap and each position maps back to its item.
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(list->IndexAt(list->ItemRect(i).center()), i);
            QCOMPARE(list->IndexAt(list->NameBand(i).center()), i);
            for (int k = i + 1; k < 3; ++k)
                QVERIFY(!list->ItemRect(i).intersects(list->ItemRect(k)));
        }
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->IconRect(2).center());
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked.at(0).at(0).toInt(), 2);
        QCOMPARE(list->GetSelectionMark(), 2);
        QCOMPARE(list->GetItemText(list->GetSelectionMark()), QStringLiteral("C@3"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->TypeBand(0).center());
        QCOMPARE(clicked.size(), 2);
        QCOMPARE(clicked.at(1).at(0).toInt(), 0);
        // The empty ground: no click reported and no item chosen.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(490, 470));
        QCOMPARE(clicked.size(), 2);
        QCOMPARE(list->GetSelectionMark(), -1);
        // The right button chooses nothing.
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, list->IconRect(1).center());
        QCOMPARE(clicked.size(), 2);
        // No highlight: a clicked item looks like any other.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->IconRect(1).center());
        const QImage screen = GrabViewport(*list);
        QCOMPARE(AboveCaption(screen, list->IconRect(1)), AboveCaption(screen, list->IconRect(0)));
        list->DeleteAllItems();
        QCOMPARE(list->GetItemCount(), 0);
        QCOMPARE(list->GetSelectionMark(), -1);
    }

    void scrollingAndLayout() {
        auto list = NewList(400, 300);
        for (int i = 0; i < 30; ++i)
            list->AddThumbnail(Path("none.jpg"), i, QStringLiteral("n%1").arg(i));
        // Two cells fit side by side in 400 pixels; rows continue below.
        QCOMPARE(list->ItemRect(1).top(), list->ItemRect(0).top());
        QVERIFY(list->ItemRect(2).top() > list->ItemRect(0).bottom());
        QVERIFY(list->verticalScrollBar()->maximum() > 0);
        list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
        QVERIFY(list->viewport()->rect().intersects(list->ItemRect(29)));
        QVERIFY(!list->viewport()->rect().intersects(list->ItemRect(0)));
        list->ScrollToOrigin();
        QCOMPARE(list->verticalScrollBar()->value(), 0);
        // A picture wider than the page scrolls sideways.
        list->DeleteAllItems();
        list->SetThumbWidth(1200);
        list->SetThumbHeight(900);
        list->InitThumbList();
        list->ShowPicture(Path("none.png"), QString());
        QVERIFY(list->horizontalScrollBar()->maximum() > 0);
        QVERIFY(list->WaitForThumbnails(20000));
    }

    // A populated product list, saved for a look.
    void gallery() {
        const QStringList names = {
            QStringLiteral("立铣刀@EM-2040"),    QStringLiteral("球头铣刀@BN-1010"),
            QStringLiteral("钻头@DR-0850"),      QStringLiteral("丝锥@TP-M12"),
            QStringLiteral("铰刀@RM-1600"),      QStringLiteral("倒角刀@CH-45"),
            QStringLiteral("镗刀@BR-3200"),      QStringLiteral("T型槽铣刀@TS-22"),
            QStringLiteral("缺失的图片@NONE-1"), QStringLiteral("没有型号")};
        const QList<QSize> sizes = {{1600, 1200}, {900, 1400}, {2000, 800}, {640, 640},
                                    {120, 90},    {1000, 500}, {500, 1000}, {3000, 2000}};
        auto list = NewList(800, 470);
        for (int i = 0; i < names.size(); ++i) {
            const QString path = i < sizes.size()
                                     ? WriteBusy(QStringLiteral("g%1.jpg").arg(i), sizes[i].width(),
                                                 sizes[i].height(), quint32(200 + i))
                                     : Path(QStringLiteral("missing%1.jpg").arg(i));
            list->AddThumbnail(path, i, names[i]);
        }
        QVERIFY(list->WaitForThumbnails(30000));
        const QString out = QDir(QCoreApplication::applicationDirPath())
                                .filePath(QStringLiteral("thumblist_gallery.png"));
        QVERIFY(list->grab().save(out));
        qInfo("gallery: %s", qPrintable(out));
    }
};

QTEST_MAIN(TestThumbList)
#include "tst_thumblist.moc"
