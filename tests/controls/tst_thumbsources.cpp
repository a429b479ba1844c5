// Cells drawn from stored thumbnails: the desktop's thumbnail cache, camera thumbnails in Exif
// blocks and the thumbnails a published copy carries, damaged ones included; and cells drawn
// for high-density screens.

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include "TestImages.h"
#include "controls/ExifThumbnail.h"
#include "controls/FreedesktopThumbnails.h"
#include "controls/ShippedThumbnails.h"
#include "controls/ThumbnailRenderer.h"
#include "publish/ThumbnailMaker.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueSchema.h"
#include "store/Statements.h"

using Origin = ThumbnailSource::Origin;

namespace {

// A photograph-like gradient with a red top-left quarter, so any turn or mirror shows.
QImage Marked(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(255 * x / w, 255 * y / h, 160));
    QPainter(&image).fillRect(0, 0, w / 2, h / 2, Qt::red);
    return image;
}

QByteArray Jpeg(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 90);
    return bytes;
}

// A JPEG whose Exif block holds an orientation tag and `thumb` in the second directory.
QByteArray WithExifThumbnail(const QByteArray& jpeg, quint16 orientation, const QByteArray& thumb) {
    auto u16 = [](quint32 v) { return QByteArray(1, char(v >> 8)) + char(v & 0xff); };
    auto u32 = [&](quint32 v) { return u16(v >> 16) + u16(v & 0xffff); };
    QByteArray tiff = "MM" + u16(42) + u32(8);
    tiff += u16(1) + u16(0x0112) + u16(3) + u32(1) + u16(orientation) + u16(0) + u32(26);
    tiff += u16(2) + u16(0x0201) + u16(4) + u32(1) + u32(56);
    tiff += u16(0x0202) + u16(4) + u32(1) + u32(quint32(thumb.size())) + u32(0);
    tiff += thumb;
    const QByteArray app1 = QByteArray("Exif\0\0", 6) + tiff;
    return jpeg.left(2) + "\xff\xe1" + u16(quint32(app1.size() + 2)) + app1 + jpeg.mid(2);
}

// Quarter of `image` holding the red: 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right.
int RedQuarter(const QImage& image) {
    const int x = image.width() / 4, y = image.height() / 4;
    const QPoint centres[] = {{x, y}, {3 * x, y}, {x, 3 * y}, {3 * x, 3 * y}};
    for (int q = 0; q < 4; ++q)
        if (qRed(image.pixel(centres[q])) > 200 && qGreen(image.pixel(centres[q])) < 80) return q;
    return -1;
}

}  // namespace

class TestThumbSources : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString Path(const QString& name) const { return QDir(m_dir.path()).filePath(name); }
    QString Write(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(Path(name)).absolutePath());
        QFile f(Path(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) qFatal("cannot write");
        return f.fileName();
    }
    static QImage Cell(const QString& path, Origin* origin, qreal ratio = 1) {
        ThumbnailRenderer::Job job{path, 140, 140, ThumbnailRenderer::Kind::Thumbnail, true, ratio};
        return ThumbnailRenderer::Render(job, origin);
    }
    static QImage Decoded(const QString& path) {
        const int sources = ThumbnailSource::UsedSources();
        ThumbnailSource::SetSources(ThumbnailSource::NoSources);
        const QImage cell = Cell(path, nullptr);
        ThumbnailSource::SetSources(sources);
        return cell;
    }

private slots:
    void initTestCase() { qputenv("XDG_CACHE_HOME", Path(QStringLiteral("cache")).toUtf8()); }
    void init() { ThumbnailSource::SetSources(ThumbnailSource::AllSources); }

    // Decoded once, then from the cache, with the same pixels; a damaged entry or a changed
    // picture is decoded and the entry written afresh; an unwritable cache only means decoding.
    void desktopCache() {
        const QString path = Write(QStringLiteral("photo.jpg"), Jpeg(Marked(1200, 900)));
        Origin origin;
        const QImage first = Cell(path, &origin);
        QCOMPARE(origin, Origin::Decoded);
        QVERIFY(TestImages::MeanDifference(first, Decoded(path)) < 1.5);
        FreedesktopThumbnails::WaitForWrites();
        const QByteArray md5 = QCryptographicHash::hash(QUrl::fromLocalFile(path).toEncoded(),
                                                        QCryptographicHash::Md5);
        const QString entry = Path("cache/thumbnails/large/" + md5.toHex() + ".png");
        const QImage stored(entry);
        QCOMPARE(stored.size(), QSize(256, 192));
        QCOMPARE(stored.text(QStringLiteral("Thumb::URI")), QUrl::fromLocalFile(path).toString());
        QCOMPARE(stored.text(QStringLiteral("Thumb::MTime")),
                 QString::number(QFileInfo(path).lastModified().toSecsSinceEpoch()));
        QCOMPARE(int(QFile::permissions(entry) & 0x7077),
                 int(QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(Cell(path, &origin), first);
        QCOMPARE(origin, Origin::Cache);

        for (const char* damage : {"cut", "garbage", "huge"}) {
            QFile f(entry);
            QVERIFY(f.open(QIODevice::ReadWrite));
            if (qstrcmp(damage, "cut") == 0) f.resize(f.size() / 2);
            if (qstrcmp(damage, "garbage") == 0) f.write(QByteArray(4000, '\x7f'));
            if (qstrcmp(damage, "huge") == 0) f.resize(FreedesktopThumbnails::kMaxEntryBytes + 1);
            f.close();
            QCOMPARE(Cell(path, &origin), first);
            QCOMPARE(origin, Origin::Decoded);
            FreedesktopThumbnails::WaitForWrites();
            Cell(path, &origin);
            QCOMPARE(origin, Origin::Cache);
        }

        // The picture changes: the stale entry is not used, and is replaced.
        Write(QStringLiteral("photo.jpg"), Jpeg(Marked(1200, 900).mirrored(true, false)));
        QCOMPARE(RedQuarter(Cell(path, &origin).copy(10, 32, 120, 95)), 1);
        QCOMPARE(origin, Origin::Decoded);
        FreedesktopThumbnails::WaitForWrites();
        QCOMPARE(RedQuarter(Cell(path, &origin).copy(10, 32, 120, 95)), 1);
        QCOMPARE(origin, Origin::Cache);

        // A cache that cannot be written: the pictures still show.
        Write(QStringLiteral("blocked"), "a file where the cache folder would be");
        qputenv("XDG_CACHE_HOME", Path(QStringLiteral("blocked")).toUtf8());
        const QString other = Write(QStringLiteral("other.jpg"), Jpeg(Marked(1200, 900)));
        QCOMPARE(Cell(other, &origin), first);
        FreedesktopThumbnails::WaitForWrites();
        Cell(other, &origin);
        QCOMPARE(origin, Origin::Decoded);
        qputenv("XDG_CACHE_HOME", Path(QStringLiteral("cache")).toUtf8());
    }

    // A camera thumbnail is used when it is big enough and of the picture's shape, turned as the
    // picture is; letter-boxed, small or damaged ones are not, nor is garbage in the block.
    void embeddedThumbnail_data() {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QSize>("thumbSize");
        QTest::addColumn<bool>("used");
        for (int o = 1; o <= 8; ++o)
            QTest::addRow("orientation %d", o) << o << QSize(200, 150) << true;
        QTest::newRow("letter-boxed") << 1 << QSize(200, 140) << false;
        QTest::newRow("too small") << 1 << QSize(100, 75) << false;
        QTest::newRow("damaged") << 1 << QSize() << false;
    }
    void embeddedThumbnail() {
        QFETCH(int, orientation);
        QFETCH(QSize, thumbSize);
        QFETCH(bool, used);
        ThumbnailSource::SetSources(ThumbnailSource::Embedded);
        const QByteArray thumb = thumbSize.isValid()
                                     ? Jpeg(Marked(thumbSize.width(), thumbSize.height()))
                                     : Jpeg(Marked(200, 150)).left(300) + "\xff\xd9";
        const QByteArray jpeg = WithExifThumbnail(Jpeg(Marked(1600, 1200)), orientation, thumb);
        const QString path = Write(QStringLiteral("exif%1.jpg").arg(QTest::currentDataTag()), jpeg);
        QImageReader reader(path);
        reader.setAutoTransform(true);
        const QImage upright = reader.read();
        const QSize target = upright.size() / 10;
        Origin origin;
        const QImage image =
            ThumbnailSource::Decode(path, upright.size(), target, 140, 0, nullptr, &origin);
        QCOMPARE(origin, used ? Origin::Embedded : Origin::Decoded);
        QCOMPARE(image.size(), target);
        QCOMPARE(RedQuarter(image), RedQuarter(upright));

        // Every cut of the block, and bytes flipped in it, give a thumbnail or none, never a crash.
        const int end = int(jpeg.indexOf("\xff\xdb"));
        for (int i = 2; i < end; i += 5) {
            ExifThumbnail::Parse(jpeg.left(i));
            QByteArray flipped = jpeg;
            flipped[i] = char(flipped[i] ^ 0xA5);
            ExifThumbnail::Load(ExifThumbnail::Parse(flipped), QSize(1600, 1200), QSize(16, 12));
        }
    }

    // A published copy's thumbnail is used while its picture is unchanged; a damaged, lying or
    // mismatched row gives the decoded cell; a catalogue without the table is still a catalogue.
    void shippedThumbnails() {
        ThumbnailSource::SetSources(ThumbnailSource::Shipped);
        const QString pic = Path(QStringLiteral("copy/pic"));
        const QString path =
            Write(QStringLiteral("copy/pic/c/p/photo.jpg"), Jpeg(Marked(900, 1200)));
        const QString file = Path(QStringLiteral("copy/shipped.db"));
        QVERIFY(CatalogueSchema::CreateEmpty(file));
        QVERIFY(!ShippedThumbnails::Open(file, pic, false));  // an older catalogue: none
        CatalogueDb db;
        QVERIFY(db.Open(file));
        QVERIFY(db.ExecuteSql(Sql::CreateThumbnailTable));
        const auto entry = ShippedThumbnails::Make(pic, path);
        QVERIFY(entry && entry->key == "pic/c/p/photo.jpg" && entry->picture == QSize(900, 1200));
        const QByteArray lying = QByteArray(entry->data)
                                     .replace(entry->data.indexOf("\xff\xc0"), 9,
                                              QByteArray("\xff\xc0\x00\x11\x08\x7f\xff\x7f\xff"));
        const QImage decoded = Decoded(path);
        for (const QByteArray& data : {entry->data, entry->data.left(entry->data.size() / 3),
                                       QByteArray(500, 'x'), lying, Jpeg(Marked(280, 100))}) {
            QVERIFY(db.ExecuteSql(Sql::InsertThumbnail,
                                  {entry->key, entry->size, entry->mtime, 900, 1200, data}));
            QVERIFY(ShippedThumbnails::Open(file, pic, false));
            Origin origin;
            const QImage cell = Cell(path, &origin);
            QCOMPARE(origin, data == entry->data ? Origin::Shipped : Origin::Decoded);
            QVERIFY(TestImages::MeanDifference(cell, decoded) < 3);
            QCOMPARE(Cell(path, &origin, 2).size(), QSize(280, 350));
            QCOMPARE(origin, data == entry->data ? Origin::Shipped : Origin::Decoded);
        }
        // The picture is replaced by one of another size: no longer its thumbnail.
        Write(QStringLiteral("copy/pic/c/p/photo.jpg"), Jpeg(Marked(600, 800)));
        Origin origin;
        Cell(path, &origin);
        QCOMPARE(origin, Origin::Decoded);
        ShippedThumbnails::Close();
    }

    // A publish trusts the earlier copy's row while its picture is unchanged, then the desktop
    // cache (the sharper class first; a "large" entry at its own size, enough for a cell of
    // either density), then a camera thumbnail big enough, and decodes only the rest.
    void thumbnailsForAPublish() {
        using Maker = ThumbnailMaker;
        const QString a = Write(QStringLiteral("pub/a.jpg"), Jpeg(Marked(1600, 1200)));
        const Maker::Picture picture{a, QStringLiteral("pic/c/p/a.jpg")};
        const auto make = [](const Maker::Picture& p, const Maker::EarlierRow& earlier,
                             Maker::Origin want) {
            Maker::Origin origin;
            auto row = Maker::Make(p, earlier, &origin);
            if (origin != want || !row) qWarning("origin %d", int(origin));
            return origin == want && row ? row->data : QByteArray();
        };
        const QByteArray first = make(picture, nullptr, Maker::Origin::Decoded);
        QVERIFY(!first.isEmpty());
        qint64 size = 0, mtime = 0;
        QVERIFY(ShippedThumbnails::Stamp(a, size, mtime));
        for (const qint64 shift : {0, 1}) {
            const Maker::EarlierRow earlier = [&](const QString& key) {
                return ShippedThumbnails::Entry{key, size, mtime + shift, {1600, 1200}, "kept"};
            };
            QCOMPARE(make(picture, earlier, shift ? Maker::Origin::Decoded : Maker::Origin::Earlier)
                         .startsWith("kept"),
                     !shift);
        }

        const auto source = FreedesktopThumbnails::Describe(a);
        const auto store = [&](int side, QColor colour) {
            QImage entry(FreedesktopThumbnails::ThumbnailSize({1600, 1200}, {{}, side}),
                         QImage::Format_RGB32);
            entry.fill(colour);
            QVERIFY(FreedesktopThumbnails::Store(source, FreedesktopThumbnails::ClassFor(side),
                                                 entry, {1600, 1200}));
        };
        store(256, Qt::blue);
        QImage row = QImage::fromData(make(picture, nullptr, Maker::Origin::Cache));
        QVERIFY(row.size() == QSize(256, 192) && qBlue(row.pixel(100, 100)) > 200);
        store(512, Qt::green);
        row = QImage::fromData(make(picture, nullptr, Maker::Origin::Cache));
        QVERIFY(row.size() == QSize(280, 210) && qGreen(row.pixel(100, 100)) > 200);

        // The viewer of a copy draws its cells from the large entry's row.
        const QString pic = Path(QStringLiteral("copy2/pic"));
        const QString copied =
            Write(QStringLiteral("copy2/pic/c/p/a.jpg"), Jpeg(Marked(1600, 1200)));
        const QString file = Path(QStringLiteral("copy2/shipped.db"));
        QVERIFY(CatalogueSchema::CreateEmpty(file));
        CatalogueDb db;
        QVERIFY(db.Open(file) && db.ExecuteSql(Sql::CreateThumbnailTable));
        QVERIFY(ShippedThumbnails::Stamp(copied, size, mtime));
        QImage large(256, 192, QImage::Format_RGB32);
        large.fill(Qt::blue);
        QVERIFY(db.ExecuteSql(Sql::InsertThumbnail, {QStringLiteral("pic/c/p/a.jpg"), size, mtime,
                                                     1600, 1200, Jpeg(large)}));
        QVERIFY(ShippedThumbnails::Open(file, pic, false));
        ThumbnailSource::SetSources(ThumbnailSource::Shipped);
        Origin origin;
        QVERIFY(qBlue(Cell(copied, &origin).pixel(70, 70)) > 200);
        QCOMPARE(origin, Origin::Shipped);
        QVERIFY(qBlue(Cell(copied, &origin, 2).pixel(140, 140)) > 200);
        QCOMPARE(origin, Origin::Shipped);
        ShippedThumbnails::Close();

        // Camera thumbnails: one as big as the row is taken, a smaller one is not.
        for (const int width : {320, 160}) {
            const QString b = Write(
                QStringLiteral("pub/b%1.jpg").arg(width),
                WithExifThumbnail(Jpeg(Marked(1600, 1200)), 1, Jpeg(Marked(width, width * 3 / 4))));
            row = QImage::fromData(
                make({b, QStringLiteral("pic/b.jpg")}, nullptr,
                     width > 280 ? Maker::Origin::Embedded : Maker::Origin::Decoded));
            QCOMPARE(row.size(), QSize(280, 210));
            QCOMPARE(RedQuarter(row), 0);
        }
        make({Write(QStringLiteral("pub/bad.jpg"), "not a picture"), "pic/bad.jpg"}, nullptr,
             Maker::Origin::None);
    }

    // Cells for a screen of two device pixels per point: twice the pixels, the same picture, and
    // a frame one point wide.
    void highDensityCells() {
        const QString path = Write(QStringLiteral("dense.jpg"), Jpeg(Marked(1200, 900)));
        ThumbnailSource::SetSources(ThumbnailSource::NoSources);
        const QImage single = Cell(path, nullptr);
        const QImage dense = Cell(path, nullptr, 2);
        QCOMPARE(dense.size(), single.size() * 2);
        QCOMPARE(dense.devicePixelRatio(), 2.0);
        const QImage reduced =
            dense.scaled(single.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY(TestImages::MeanDifference(reduced, single) < 6);
        QCOMPARE(dense.pixel(0, 21), single.pixel(0, 10));  // the frame's top left
        QCOMPARE(dense.pixel(279, 21), single.pixel(139, 10));
        QCOMPARE(dense.pixel(140, 299), single.pixel(70, 149));
        QCOMPARE(dense.pixel(140, 301), qRgb(255, 255, 255));
    }
};

QTEST_MAIN(TestThumbSources)
#include "tst_thumbsources.moc"
