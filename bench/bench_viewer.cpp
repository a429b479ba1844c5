// Speed and memory of the main window on large catalogues; prints figures and one GOAL line per
// goal.
//
//  1. A category of 500 products whose pictures are 500 distinct 4000 x 3000 JPEGs: time from
//     the category click to the first screen of thumbnails, and to all the cells the list keeps.
//     First visits start with the pictures (and any stored thumbnails) evicted from the page
//     cache, so they are read from the disk. Measured in one run, each against the plain decode
//     path (every cell decoded straight to its size, no stored thumbnail looked at):
//       - a published copy carrying its thumbnails in its catalogue;
//       - the authoring copy with an empty desktop thumbnail cache (no thumbnail anywhere), and
//         its second run with that cache filled;
//       - how far a cell drawn from a stored thumbnail differs from the decoded one.
//     Baseline for the decode itself: a plain full decode of one of those pictures. Goals:
//     shipped thumbnails >= 30x today's path, the desktop cache's second run >= 15x the first,
//     no thumbnail anywhere >= 0.95x today's path.
//  2. Search over 10,000, 100,000 and 1,000,000 products with varied codes (series of capitals,
//     small letters, Chinese, "%" and "_", random tokens, varied endings) and 2,000 distinct
//     pictures: from typing done to the hits on the screen drawn with their pictures, the cell
//     cache emptied before every search; median over five fragments of each kind (one hit, a
//     3,000-hit series, two characters). Baseline: the same search by the plain scan, in turns
//     with the index. Measured as a visitor of a published copy searches (cells from the shipped
//     thumbnails; the goals), and again with every cell decoded from its picture. Goals: a
//     one-hit fragment under 5 ms at 100k and under 20 ms at 1M; a 3,000-hit fragment under
//     60 ms at 1M.
//  3. Peak resident memory browsing the 500-product category top to bottom, a screen at a time,
//     in a child process of its own with an empty desktop thumbnail cache, against a bare Qt
//     window of the same size in another child (and a 50-product category); median of 5.
//     Goal: at most 2x the bare window.
//
// The GOAL lines of all cases come together at the end. Generated data is cached in
// <bench folder>/bench-cache and reused by later runs; the desktop thumbnail cache is a private
// one there. Options: --products N (category size, 500 by default), --runs N (runs of the slow
// decoding cases, 5 by default), --search-sizes 10000,100000,1000000, --no-category,
// --no-search, --no-memory.
//
// clang-format off
// Ends with one line per goal (BenchSupport.h, GoalLine):
//   GOAL category_shipped_thumbnails: <figure> ms (<ratio>x today's path) target >= 30x MET|MISSED
//   GOAL category_desktop_cache_second_run: <figure> ms (<ratio>x first run) target >= 15x MET|MISSED
//   GOAL category_no_thumbnail_anywhere: <figure> ms (<ratio>x today's path) target >= 0.95x MET|MISSED
//   GOAL search_1hit_100k: <figure> ms (<ratio>x plain scan) target < 5 ms MET|MISSED
//   GOAL search_1hit_1m: <figure> ms (<ratio>x plain scan) target < 20 ms MET|MISSED
//   GOAL search_3000hits_1m: <figure> ms (<ratio>x plain scan) target < 60 ms MET|MISSED
//   GOAL peak_memory_category500: <figure> MiB (<ratio>x bare Qt window) target <= 2x MET|MISSED
// clang-format on

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTest>
#include <QtConcurrent>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>
#include <numeric>
#include <vector>

#include "ScopedInstallation.h"
#include "ScriptedPrompter.h"
#include "TestImages.h"
#include "app/CCatalogueApp.h"
#include "app/CIniFile.h"
#include "bench/BenchSupport.h"
#include "controls/CButtonListBox.h"
#include "controls/CHoverButton.h"
#include "controls/CThumbListCtrl.h"
#include "controls/FreedesktopThumbnails.h"
#include "controls/PictureLoader.h"
#include "controls/ShippedThumbnails.h"
#include "controls/ThumbnailCache.h"
#include "controls/ThumbnailRenderer.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueRecordset.h"
#include "store/CatalogueSchema.h"
#include "store/Statements.h"
#include "viewer/CMainDlg.h"

namespace {

int kProducts = 500;
constexpr int kVariants = 4;  // backgrounds; each product's picture adds its own marks
constexpr int kSearchCategories = 20;

double Ms(qint64 ns) {
    return ns / 1e6;
}

// A photograph-like picture: sky and ground gradients, a machine part with highlights, text,
// and sensor noise, so the JPEG has the entropy (and decode cost) of a real camera picture.
QImage MakePhoto(int variant) {
    QImage image(4000, 3000, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 3000);
    sky.setColorAt(0, QColor(180 - variant * 20, 200, 230));
    sky.setColorAt(0.6, QColor(235, 235, 240));
    sky.setColorAt(1, QColor(120, 110, 100 + variant * 10));
    p.fillRect(image.rect(), sky);
    QRandomGenerator rng(1234 + variant);
    for (int i = 0; i < 400; ++i) {
        const QColor c(rng.bounded(256), rng.bounded(256), rng.bounded(256), 60);
        p.setBrush(c);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(rng.bounded(4000), rng.bounded(3000)), rng.bounded(10, 300),
                      rng.bounded(10, 300));
    }
    QLinearGradient metal(1000, 1000, 3000, 2000);
    metal.setColorAt(0, QColor(90, 95, 100));
    metal.setColorAt(0.5, QColor(230, 232, 235));
    metal.setColorAt(1, QColor(70, 72, 75));
    p.setBrush(metal);
    p.setPen(QPen(Qt::black, 6));
    p.drawRoundedRect(QRectF(800 + variant * 50, 1100, 2400, 800), 60, 60);
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 120, QFont::Bold));
    p.setPen(QColor(20, 40, 90));
    p.drawText(QRect(0, 200, 4000, 400), Qt::AlignCenter,
               QStringLiteral("HGR%1-1000").arg(variant));
    p.end();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(rng.bounded(17)) - 8;
            const QRgb v = line[x];
            line[x] = qRgb(std::clamp(qRed(v) + n, 0, 255), std::clamp(qGreen(v) + n, 0, 255),
                           std::clamp(qBlue(v) + n, 0, 255));
        }
    }
    return image;
}

// Each product's own picture: a background with marks in other places and the product's
// number, so no two files share their data.
QImage ProductPhoto(const QImage& background, int product) {
    QImage image = background.copy();
    QRandomGenerator rng(77 + product);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 12; ++i) {
        p.setBrush(QColor(rng.bounded(256), rng.bounded(256), rng.bounded(256), 120));
        p.setPen(QPen(Qt::black, 4));
        p.drawEllipse(QPointF(rng.bounded(4000), rng.bounded(3000)), rng.bounded(40, 400),
                      rng.bounded(40, 400));
    }
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 90, QFont::Bold));
    p.setPen(QColor(90, 20, 20));
    p.drawText(QRect(0, 2500, 4000, 400), Qt::AlignCenter, QStringLiteral("P-%1").arg(product));
    return image;
}

// Drops the files' pages from the page cache (theirs only), so the next read goes to the disk.
void Evict(const QStringList& files) {
    for (const QString& file : files) {
        const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
        if (fd < 0) continue;
        ::fsync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

QStringList ProductPictures(const QString& root) {
    QStringList files;
    for (int i = 0; i < kProducts; ++i)
        files << QDir(root).filePath(
            QStringLiteral("pictures/p%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
    return files;
}

void WriteSkin(const QString& sysfile) {
    auto save = [&](const QString& name, QSize size, QColor colour) {
        QImage image(size, QImage::Format_RGB888);
        image.fill(colour);
        image.save(QDir(sysfile).filePath(name), "BMP");
    };
    save(QStringLiteral("top.bmp"), {2560, 59}, QColor(10, 90, 140));
    save(QStringLiteral("bottom.bmp"), {2560, 30}, QColor(5, 50, 80));
    const char* bases[] = {"min",      "max",      "close",    "search",   "QQ",
                           "产品中心", "企业介绍", "系统设置", "系统发布", "返回"};
    for (const char* base : bases)
        for (const char* suffix : {"", "1", "2"})
            save(QString::fromUtf8(base) + QString::fromUtf8(suffix) + QStringLiteral(".bmp"),
                 {32, 20}, QColor(40, 120, 170));
}

// A third category of the first 50 of those products, for comparing a short category with the
// long one.
void AddShortCategory(const QString& root) {
    CatalogueDb db;
    if (!db.Open(CatalogueDb::CatalogueFile(QDir(root).filePath(QStringLiteral("sysfile")))))
        qFatal("cannot open %s", qPrintable(root));
    const QString name = QStringLiteral("五十");
    CatalogueRecordset rs(&db);
    rs.OpenRecordset(Sql::SelectCategoryByName, {name});
    if (!rs.IsEOF()) return;
    const QStringList files = ProductPictures(root);
    db.Database().transaction();
    db.ExecuteSql(Sql::InsertCategory, {name});
    db.ExecuteSql(Sql::SetCategoryNumber, {3, name});
    for (int i = 0; i < std::min<int>(50, files.size()); ++i)
        db.ExecuteSql(Sql::InsertProduct,
                      {i + 1, name, QStringLiteral("短%1@SH%1").arg(i),
                       QStringLiteral("SH%1").arg(i), files[i], QString(), QString(), QString()});
    db.Database().commit();
}

// The 500-product installation, each product with a picture of its own.
QString PrepareCategoryInstallation(const QString& cache, QStringList* notes) {
    const QString root = QDir(cache).filePath(QStringLiteral("category%1-distinct").arg(kProducts));
    const QString sysfile = QDir(root).filePath(QStringLiteral("sysfile"));
    const QString pictures = QDir(root).filePath(QStringLiteral("pictures"));
    const QString done = QDir(root).filePath(QStringLiteral("ready"));
    const QStringList files = ProductPictures(root);
    if (QFileInfo::exists(done)) {
        *notes << QStringLiteral("category data reused from %1: %2 distinct 4000x3000 JPEGs")
                      .arg(root)
                      .arg(kProducts);
        AddShortCategory(root);
        return root;
    }
    const QString sample = QDir(pictures).filePath(QStringLiteral("sample.jpg"));
    // Pictures left by an unfinished preparation are kept; only the catalogue is written anew.
    const bool havePictures = QFileInfo::exists(sample) &&
                              std::all_of(files.begin(), files.end(),
                                          [](const QString& f) { return QFileInfo::exists(f); });
    QDir(sysfile).removeRecursively();
    QDir().mkpath(sysfile);
    QDir().mkpath(pictures);
    if (havePictures) {
        *notes << QStringLiteral("pictures reused from %1").arg(pictures);
    } else {
        QElapsedTimer t;
        t.start();
        std::vector<QImage> backgrounds;
        for (int v = 0; v < kVariants; ++v) backgrounds.push_back(MakePhoto(v));
        backgrounds[0].save(sample, "JPEG", 90);
        std::vector<int> products(kProducts);
        for (int i = 0; i < kProducts; ++i) products[i] = i;
        QtConcurrent::blockingMap(products, [&](int i) {
            if (!ProductPhoto(backgrounds[i % kVariants], i).save(files[i], "JPEG", 90))
                qFatal("cannot write %s", qPrintable(files[i]));
        });
        qint64 bytes = 0;
        for (const QString& f : files) bytes += QFileInfo(f).size();
        *notes << QStringLiteral("generated %1 distinct 4000x3000 JPEGs (%2 MiB in all) in %3 s")
                      .arg(kProducts)
                      .arg(bytes / (1024 * 1024))
                      .arg(t.elapsed() / 1000.0, 0, 'f', 1);
    }
    WriteSkin(sysfile);
    CIniFile(QDir(sysfile).filePath(QStringLiteral("config.ini")))
        .WriteString(QStringLiteral("SysInfo"), QStringLiteral("发布状态"), QStringLiteral("0"));
    CatalogueSchema::CreateEmpty(CatalogueDb::CatalogueFile(sysfile));
    CatalogueDb db;
    db.Open(CatalogueDb::CatalogueFile(sysfile));
    db.ExecuteSql(Sql::InsertCategory, {QStringLiteral("小类")});
    db.ExecuteSql(Sql::SetCategoryNumber, {1, QStringLiteral("小类")});
    db.ExecuteSql(Sql::InsertCategory, {QStringLiteral("大批量")});
    db.ExecuteSql(Sql::SetCategoryNumber, {2, QStringLiteral("大批量")});
    db.ExecuteSql(Sql::InsertProduct,
                  {1, QStringLiteral("小类"), QStringLiteral("样品@S1"), QStringLiteral("S1"),
                   sample, QString(), QString(), QString()});
    db.Database().transaction();
    for (int i = 0; i < kProducts; ++i) {
        db.ExecuteSql(Sql::InsertProduct,
                      {i + 1, QStringLiteral("大批量"), QStringLiteral("产品%1@HG%1").arg(i),
                       QStringLiteral("HG%1").arg(i), files[i], QString(), QString(), QString()});
    }
    db.Database().commit();
    db.Close();
    AddShortCategory(root);
    QFile f(done);
    f.open(QIODevice::WriteOnly);
    return root;
}

// ---- search ----------------------------------------------------------------------------------

constexpr int kSearchPictures = 2000;  // distinct pictures the products of a search catalogue use
constexpr int kSeriesSize = 3000;      // products per series: a series name is a 3,000-hit fragment

// Series prefixes: capitals and small letters, Chinese, and the characters LIKE treats
// specially; a series is a prefix and a number, ended by "-".
const char* const kSeriesPrefixes[] = {"HGH", "hgw", "MGN", "SFU", "滑块", "LK",
                                       "CHR", "bk",  "FK",  "ÖL",  "P%",   "Z_"};

QString SeriesName(int series) {
    const int prefixes = int(std::size(kSeriesPrefixes));
    return QString::fromUtf8(kSeriesPrefixes[series % prefixes]) + QString::number(series) +
           QLatin1Char('-');
}

struct SearchCatalogue {
    QString root;
    int products = 0;
    int series = 0;
    QStringList oneHit;      // fragments with exactly one product (checked by the benchmark)
    QStringList seriesHits;  // fragments with about kSeriesSize products
};

// Type codes that look like real ones: a series, a random token, a varied ending. Product i
// belongs to series i % series, so every series has products / series of them.
QString TypeCode(QRandomGenerator& rng, int series, QString* token) {
    static const QString alphabet =
        QStringLiteral("0123456789ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnpqrstuvwxyz");
    static const QStringList endings = {
        QString(),           QStringLiteral("-C"),    QStringLiteral("_Z0"),
        QStringLiteral("%"), QStringLiteral("-1200"), QStringLiteral(" 直线导轨")};
    QString t;
    for (int k = 0; k < 7; ++k) t += alphabet[int(rng.bounded(quint32(alphabet.size())))];
    *token = t;
    return SeriesName(series) + t + endings[int(rng.bounded(quint32(endings.size())))];
}

QStringList SearchPictures(const QString& cache) {
    QStringList files;
    const QString folder = QDir(cache).filePath(QStringLiteral("search-pictures"));
    for (int i = 0; i < kSearchPictures; ++i)
        files << QDir(folder).filePath(QStringLiteral("s%1.jpg").arg(i, 4, 10, QLatin1Char('0')));
    if (QFileInfo::exists(QDir(folder).filePath(QStringLiteral("ready")))) return files;
    QDir().mkpath(folder);
    std::vector<int> indices(kSearchPictures);
    std::iota(indices.begin(), indices.end(), 0);
    QtConcurrent::blockingMap(indices, [&](int i) {
        QImage image(640, 480, QImage::Format_RGB32);
        QRandomGenerator rng(5000 + i);
        image.fill(QColor::fromHsv(i * 37 % 360, 120, 220));
        QPainter p(&image);
        for (int k = 0; k < 30; ++k) {
            p.setBrush(QColor(rng.bounded(256), rng.bounded(256), rng.bounded(256)));
            p.drawEllipse(QPointF(rng.bounded(640), rng.bounded(480)), rng.bounded(10, 120),
                          rng.bounded(10, 120));
        }
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 40, QFont::Bold));
        p.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("S-%1").arg(i));
        p.end();
        if (!image.save(files[i], "JPEG", 88)) qFatal("cannot write %s", qPrintable(files[i]));
    });
    QFile f(QDir(folder).filePath(QStringLiteral("ready")));
    f.open(QIODevice::WriteOnly);
    return files;
}

// The thumbnail table a published copy of the search pictures carries, made once the way
// publishing makes it; the pictures' folder stands for the copy's picture folder.
QString SearchShippedThumbnails(const QString& cache) {
    const QString folder = QDir(cache).filePath(QStringLiteral("search-pictures"));
    const QString file = QDir(folder).filePath(QStringLiteral("shipped.db"));
    const QString done = QDir(folder).filePath(QStringLiteral("shipped-ready"));
    if (QFileInfo::exists(done)) return file;
    QFile::remove(file);
    CatalogueDb db;
    // Marked ready only when whole: a half-made table would be taken for one on the next run.
    if (!CatalogueSchema::CreateEmpty(file) || !db.Open(file) ||
        !db.ExecuteSql(Sql::CreateThumbnailTable))
        qFatal("cannot make %s", qPrintable(file));
    const QList<std::optional<ShippedThumbnails::Entry>> entries = QtConcurrent::blockingMapped(
        SearchPictures(cache),
        [&](const QString& path) { return ShippedThumbnails::Make(folder, path); });
    db.Database().transaction();
    for (const auto& e : entries) {
        if (!e) qFatal("no thumbnail made");
        if (!db.ExecuteSql(Sql::InsertThumbnail, {e->key, e->size, e->mtime, e->picture.width(),
                                                  e->picture.height(), e->data}))
            qFatal("cannot write %s", qPrintable(file));
    }
    if (!db.Database().commit()) qFatal("cannot write %s", qPrintable(file));
    db.Close();
    QFile f(done);
    f.open(QIODevice::WriteOnly);
    return file;
}

// An authoring installation with `products` products of varied codes in 20 categories.
SearchCatalogue PrepareSearchInstallation(const QString& cache, int products, QStringList* notes) {
    SearchCatalogue sc;
    sc.products = products;
    sc.series = std::max(1, products / kSeriesSize);
    sc.root = QDir(cache).filePath(QStringLiteral("search-varied-%1").arg(products));
    const QString sysfile = QDir(sc.root).filePath(QStringLiteral("sysfile"));
    const QString done = QDir(sc.root).filePath(QStringLiteral("ready"));
    const QStringList pictures = SearchPictures(cache);
    // The fragments are picked from the same generator, so a reused catalogue gives them again.
    QRandomGenerator rng(4242 + products);
    QRandomGenerator pick(99);
    std::vector<int> chosen;
    for (int k = 0; k < 5; ++k) chosen.push_back(int(pick.bounded(quint32(products))));
    for (int k = 0; k < 5; ++k) sc.seriesHits << SeriesName(int(pick.bounded(quint32(sc.series))));
    const bool reuse = QFileInfo::exists(done);
    std::unique_ptr<CatalogueDb> db;
    std::unique_ptr<QSqlQuery> insert;
    QElapsedTimer t;
    t.start();
    if (!reuse) {
        QDir(sc.root).removeRecursively();
        QDir().mkpath(sysfile);
        WriteSkin(sysfile);
        CIniFile(QDir(sysfile).filePath(QStringLiteral("config.ini")))
            .WriteString(QStringLiteral("SysInfo"), QStringLiteral("发布状态"),
                         QStringLiteral("0"));
        CatalogueSchema::CreateEmpty(CatalogueDb::CatalogueFile(sysfile));
        db = std::make_unique<CatalogueDb>();
        db->Open(CatalogueDb::CatalogueFile(sysfile));
        db->Database().transaction();
        for (int c = 0; c < kSearchCategories; ++c) {
            db->ExecuteSql(Sql::InsertCategory, {QStringLiteral("类别%1").arg(c)});
            db->ExecuteSql(Sql::SetCategoryNumber, {c + 1, QStringLiteral("类别%1").arg(c)});
        }
        insert = std::make_unique<QSqlQuery>(db->Database());
        insert->prepare(QString::fromUtf8(Sql::InsertProduct));
    }
    for (int i = 0; i < products; ++i) {
        QString token;
        const QString code = TypeCode(rng, i % sc.series, &token);
        if (std::find(chosen.begin(), chosen.end(), i) != chosen.end())
            sc.oneHit << QLatin1Char('-') + token;
        if (reuse) continue;
        CatalogueDb::BindAll(
            *insert,
            {i / kSearchCategories, QStringLiteral("类别%1").arg(i % kSearchCategories),
             QStringLiteral("产品%1@%2").arg(i).arg(code), code,
             pictures[int((qint64(i) * 7919) % kSearchPictures)], QString(), QString(), QString()});
        if (!insert->exec()) qFatal("cannot insert a product");
    }
    if (!reuse) {
        insert.reset();
        db->Database().commit();
        db->Close();
        QFile f(done);
        f.open(QIODevice::WriteOnly);
        *notes << QStringLiteral("generated %1 products with varied codes in %2 s")
                      .arg(products)
                      .arg(t.elapsed() / 1000.0, 0, 'f', 1);
    } else {
        *notes << QStringLiteral("search data reused from %1").arg(sc.root);
    }
    return sc;
}

bool FirstScreenReady(CThumbListCtrl* list) {
    const QRect view = list->viewport()->rect();
    for (int i = 0; i < list->GetItemCount(); ++i) {
        const QRect r = list->ItemRect(i);
        if (r.top() > view.bottom()) break;
        if (r.intersects(view) && !list->IsThumbnailReady(i)) return false;
    }
    return true;
}

int VisibleItems(CThumbListCtrl* list) {
    int n = 0;
    const QRect view = list->viewport()->rect();
    for (int i = 0; i < list->GetItemCount(); ++i)
        if (list->ItemRect(i).intersects(view)) ++n;
    return n;
}

// The thumbnail table a published copy of these pictures carries, made once the way publishing
// makes it. The pictures' folder stands for the copy's picture folder.
QString PrepareShippedThumbnails(const QString& root, QStringList* notes) {
    const QString file = QDir(root).filePath(QStringLiteral("shipped.db"));
    const QString done = QDir(root).filePath(QStringLiteral("shipped-ready"));
    if (QFileInfo::exists(done)) return file;
    QFile::remove(file);
    QElapsedTimer t;
    t.start();
    CatalogueSchema::CreateEmpty(file);
    CatalogueDb db;
    db.Open(file);
    db.ExecuteSql(Sql::CreateThumbnailTable);
    const QString picFolder = QDir(root).filePath(QStringLiteral("pictures"));
    const QList<std::optional<ShippedThumbnails::Entry>> entries = QtConcurrent::blockingMapped(
        ProductPictures(root),
        [&](const QString& path) { return ShippedThumbnails::Make(picFolder, path); });
    db.Database().transaction();
    qint64 bytes = 0;
    for (const auto& e : entries) {
        if (!e) qFatal("no thumbnail made");
        bytes += e->data.size();
        db.ExecuteSql(Sql::InsertThumbnail, {e->key, e->size, e->mtime, e->picture.width(),
                                             e->picture.height(), e->data});
    }
    db.Database().commit();
    db.Close();
    *notes << QStringLiteral("made %1 shipped thumbnails (%2 KiB each on average) in %3 s")
                  .arg(entries.size())
                  .arg(bytes / 1024 / std::max<qsizetype>(1, entries.size()))
                  .arg(t.elapsed() / 1000.0, 0, 'f', 1);
    QFile f(done);
    f.open(QIODevice::WriteOnly);
    return file;
}

struct Visit {
    double listed = 0;  // click until the items are listed
    double first = 0;   // until the first screen of thumbnails is drawn
    double all = 0;     // until every thumbnail is drawn
    double cpu = 0;     // processor time of the whole process (all threads) meanwhile
};

double ProcessCpuMs() {
    struct rusage u {};
    ::getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// Clicks the small category, then the big one, and waits until every cell is drawn. A first
// visit keeps no finished cell and reads `evicted` from the disk.
Visit VisitCategory(CMainDlg& dlg, bool firstVisit, const QStringList& evicted) {
    QTest::mouseClick(dlg.ClassList()->ButtonAt(0), Qt::LeftButton);
    dlg.ProductList()->WaitForThumbnails(600000);
    FreedesktopThumbnails::WaitForWrites();
    if (firstVisit) {
        ThumbnailCache::Instance().Clear();
        Evict(evicted);
    }
    Visit v;
    const double cpuStart = ProcessCpuMs();
    QElapsedTimer t;
    t.start();
    QTest::mouseClick(dlg.ClassList()->ButtonAt(1), Qt::LeftButton);
    v.listed = Ms(t.nsecsElapsed());
    v.first = -1;
    while (true) {
        if (v.first < 0 && FirstScreenReady(dlg.ProductList())) {
            dlg.ProductList()->viewport()->repaint();
            v.first = Ms(t.nsecsElapsed());
        }
        if (dlg.ProductList()->PendingThumbnails() == 0) break;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    dlg.ProductList()->viewport()->repaint();
    v.all = Ms(t.nsecsElapsed());
    v.cpu = ProcessCpuMs() - cpuStart;
    if (v.first < 0) v.first = v.all;
    if (dlg.ProductList()->GetItemCount() != kProducts) qFatal("wrong item count");
    return v;
}

// Median by the time until every cell is drawn; of an even number, the mean of the middle two.
Visit Median(std::vector<Visit> visits) {
    std::sort(visits.begin(), visits.end(),
              [](const Visit& a, const Visit& b) { return a.all < b.all; });
    const Visit& high = visits[visits.size() / 2];
    if (visits.size() % 2) return high;
    const Visit& low = visits[visits.size() / 2 - 1];
    return {(low.listed + high.listed) / 2, (low.first + high.first) / 2, (low.all + high.all) / 2,
            (low.cpu + high.cpu) / 2};
}

QStringList CacheFiles(const QString& xdg) {
    QStringList files;
    QDirIterator it(xdg, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
    return files;
}

// The summary lines, printed together when every case has run.
std::vector<QByteArray>& GoalLines() {
    static std::vector<QByteArray> lines;
    return lines;
}

void KeepGoal(const QString& name, double figure, const char* unit, double ratio,
              const QString& baseline, const QString& target, bool met) {
    GoalLines().push_back(
        GoalLine(name, figure, QString::fromUtf8(unit), ratio, baseline, target, met));
}

void BenchCategory(const QString& cache, int slowRuns) {
    QStringList notes;
    const QString root = PrepareCategoryInstallation(cache, &notes);
    const QString shipped = PrepareShippedThumbnails(root, &notes);
    for (const QString& n : notes) std::printf("  note: %s\n", qPrintable(n));
    // The desktop thumbnail cache of this run, empty at the start.
    const QString xdg = QDir(cache).filePath(QStringLiteral("xdg-cache"));
    QDir(xdg).removeRecursively();
    QDir().mkpath(xdg);
    qputenv("XDG_CACHE_HOME", QFile::encodeName(xdg));
    ScopedInstallation install({.existing = root});
    if (!install.Ok()) qFatal("cannot open %s", qPrintable(root));
    ScriptedPrompter prompter;

    const QString sample = QDir(root).filePath(QStringLiteral("pictures/sample.jpg"));
    const QStringList pictures = ProductPictures(root);
    // Baseline: a plain full decode of one picture (median of 5).
    std::vector<double> decodes;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        QImageReader reader(sample);
        const QImage full = reader.read();
        decodes.push_back(Ms(t.nsecsElapsed()));
        if (full.isNull()) qFatal("baseline decode failed");
    }
    std::sort(decodes.begin(), decodes.end());
    const double fullDecode = decodes[2];
    // The work of one thumbnail: a decode straight to the drawn size, and the whole cell.
    ThumbnailSource::SetSources(ThumbnailSource::NoSources);
    std::vector<double> scaled;
    std::vector<double> cells;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        PictureLoader::LoadScaled(sample, QSize(120, 90));
        scaled.push_back(Ms(t.nsecsElapsed()));
        t.restart();
        ThumbnailRenderer::Render({sample, 140, 140, ThumbnailRenderer::Kind::Thumbnail, true});
        cells.push_back(Ms(t.nsecsElapsed()));
    }
    std::sort(scaled.begin(), scaled.end());
    std::sort(cells.begin(), cells.end());

    CMainDlg dlg(install.Parts());
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg)) qFatal("window not shown");
    dlg.ProductList()->WaitForThumbnails(60000);

    // Today's path, every cell decoded, and the authoring copy's first run, which finds no
    // thumbnail anywhere and fills the desktop cache: taken in turns (`slowRuns` each) so that a
    // change in the machine's load meets both alike. The quick cases run three times.
    std::vector<Visit> decodedVisits, firstRuns;
    for (int r = 0; r < slowRuns; ++r) {
        ThumbnailSource::SetSources(ThumbnailSource::NoSources);
        decodedVisits.push_back(VisitCategory(dlg, true, pictures));
        ThumbnailSource::SetSources(ThumbnailSource::AllSources);
        QDir(xdg).removeRecursively();
        firstRuns.push_back(VisitCategory(dlg, true, pictures));
        FreedesktopThumbnails::WaitForWrites();
    }
    // Counted in the big category, which fills the list.
    const int visible = VisibleItems(dlg.ProductList());
    const Visit decoded = Median(decodedVisits);
    const Visit firstRun = Median(firstRuns);
    const Visit revisit = VisitCategory(dlg, false, pictures);

    // A published copy with its thumbnails; its catalogue is read from the disk too.
    ThumbnailSource::SetSources(ThumbnailSource::AllSources);
    if (!ShippedThumbnails::Open(shipped, QDir(root).filePath(QStringLiteral("pictures")), false))
        qFatal("no shipped thumbnails");
    std::vector<Visit> shippedVisits;
    for (int i = 0; i < 3; ++i)
        shippedVisits.push_back(VisitCategory(dlg, true, pictures + QStringList{shipped}));
    const Visit fromShipped = Median(shippedVisits);
    ShippedThumbnails::Close();

    // The authoring copy's second run draws from the desktop cache, whose files are read from
    // the disk as well.
    const QStringList cached = CacheFiles(xdg);
    std::vector<Visit> secondRuns;
    for (int i = 0; i < 3; ++i) secondRuns.push_back(VisitCategory(dlg, true, pictures + cached));
    const Visit secondRun = Median(secondRuns);

    // Quality: cells drawn from stored thumbnails against the decoded cells.
    double shippedDiff = 0, shippedMax = 0, cacheDiff = 0, cacheMax = 0;
    // The cells the visits drew (the list loads those near the screen).
    const int compared = std::min(kProducts, CThumbListCtrl::kMinKeptCells);
    ShippedThumbnails::Open(shipped, QDir(root).filePath(QStringLiteral("pictures")), false);
    for (int i = 0; i < compared; ++i) {
        const ThumbnailRenderer::Job job{pictures[i], 140, 140, ThumbnailRenderer::Kind::Thumbnail,
                                         true};
        ThumbnailSource::Origin origin;
        ThumbnailSource::SetSources(ThumbnailSource::NoSources);
        const QImage plain = ThumbnailRenderer::Render(job);
        ThumbnailSource::SetSources(ThumbnailSource::Shipped);
        const QImage a = ThumbnailRenderer::Render(job, &origin);
        if (origin != ThumbnailSource::Origin::Shipped) qFatal("shipped thumbnail not used");
        ThumbnailSource::SetSources(ThumbnailSource::DesktopCache);
        const QImage b = ThumbnailRenderer::Render(job, &origin);
        if (origin != ThumbnailSource::Origin::Cache) qFatal("cached thumbnail not used");
        const double da = TestImages::MeanDifference(a, plain),
                     db = TestImages::MeanDifference(b, plain);
        shippedDiff += da / compared;
        cacheDiff += db / compared;
        shippedMax = std::max(shippedMax, da);
        cacheMax = std::max(cacheMax, db);
    }
    ShippedThumbnails::Close();
    ThumbnailSource::SetSources(ThumbnailSource::AllSources);

    std::printf(
        "Category of %d products, 4000x3000 JPEG pictures (%d thumbnails on the first "
        "screen, %d decoding threads):\n",
        kProducts, visible, QThread::idealThreadCount());
    std::printf("  first visits read the pictures and stored thumbnails from the disk\n");
    std::printf("  baseline: one plain full decode             %8.1f ms\n", fullDecode);
    std::printf("  one decode straight to 120x90               %8.1f ms\n", scaled[2]);
    std::printf("  one whole thumbnail cell, decoded           %8.1f ms\n", cells[2]);
    std::printf("  click -> %d items listed, captions shown   %8.1f ms\n", kProducts,
                decoded.listed);
    std::printf("  %-46s %10s %10s  %s\n", "click -> thumbnails drawn", "first screen", "all",
                "all, against today's path");
    const auto row = [&](const char* what, const Visit& v) {
        std::printf("  %-46s %9.1f ms %8.1f ms  %6.2f x faster  (processor %.0f ms, %.2f x)\n",
                    what, v.first, v.all, decoded.all / v.all, v.cpu, decoded.cpu / v.cpu);
    };
    const QByteArray slow = QStringLiteral("(median of %1)").arg(slowRuns).toUtf8();
    row(("today's path: every cell decoded " + slow).constData(), decoded);
    row("published copy, shipped thumbnails (median of 3)", fromShipped);
    row(("authoring, no thumbnail anywhere, first run " + slow).constData(), firstRun);
    row("authoring, desktop cache warm (median of 3)", secondRun);
    row("revisit, cells kept in memory", revisit);
    const QString todays = QStringLiteral("today's path");
    KeepGoal(QStringLiteral("category_shipped_thumbnails"), fromShipped.all, "ms",
             decoded.all / fromShipped.all, todays, QStringLiteral(">= 30x"),
             decoded.all / fromShipped.all >= 30);
    KeepGoal(QStringLiteral("category_desktop_cache_second_run"), secondRun.all, "ms",
             firstRun.all / secondRun.all, QStringLiteral("first run"), QStringLiteral(">= 15x"),
             firstRun.all / secondRun.all >= 15);
    KeepGoal(QStringLiteral("category_no_thumbnail_anywhere"), firstRun.all, "ms",
             decoded.all / firstRun.all, todays, QStringLiteral(">= 0.95x"),
             decoded.all / firstRun.all >= 0.95);
    std::printf("  the slow cases run by run (all drawn): today's path");
    for (const Visit& v : decodedVisits) std::printf(" %.0f ms", v.all);
    std::printf("; first run");
    for (const Visit& v : firstRuns) std::printf(" %.0f ms", v.all);
    std::printf("\n");
    std::printf("  per picture: today %.2f ms, shipped %.2f ms, cache %.2f ms\n",
                decoded.all / kProducts, fromShipped.all / kProducts, secondRun.all / kProducts);
    qint64 cachedBytes = 0;
    for (const QString& file : cached) cachedBytes += QFileInfo(file).size();
    std::printf(
        "  desktop cache entries: %lld files, %.1f KB each on average, read and drawn in "
        "%.2f ms per picture\n",
        static_cast<long long>(cached.size()),
        cached.isEmpty() ? 0.0 : cachedBytes / 1024.0 / cached.size(), secondRun.all / kProducts);
    std::printf(
        "  quality over %d cells, mean absolute difference per channel from the decoded "
        "cell (goal <= 3): shipped %.2f (worst %.2f), desktop cache %.2f (worst %.2f)\n",
        compared, shippedDiff, shippedMax, cacheDiff, cacheMax);
}

double MedianOf(const std::vector<double>& v) {
    return MedianOfRuns(QList<double>(v.begin(), v.end()));
}

struct SearchRun {
    double listed = 0;  // typing done -> the hits listed with their captions
    double drawn = 0;   // typing done -> the hits on the screen drawn with their pictures
    int hits = 0;
};

// One search as a visitor makes it: the text is in the box, Enter runs it, and it is done when
// the hits on the screen show their pictures. No finished cell or stored thumbnail helps: every
// picture on the screen is decoded from its file.
SearchRun TimedSearch(CMainDlg& dlg, const QString& text) {
    ThumbnailCache::Instance().Clear();
    QElapsedTimer t;
    t.start();
    dlg.SearchFor(text);
    const double listed = Ms(t.nsecsElapsed());
    // Waits for the events (cells arriving) instead of spinning: on two cores a spinning
    // main thread would take the processor the loaders need.
    while (!FirstScreenReady(dlg.ProductList()))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    dlg.ProductList()->viewport()->repaint();
    return {listed, Ms(t.nsecsElapsed()), dlg.ProductList()->GetItemCount()};
}

struct SearchResult {
    double indexed = 0, scanned = 0;
    double indexedListed = 0, scannedListed = 0;
    int minHits = 0, maxHits = 0;
};

// Median over the fragments (each searched once per way, the two ways in turns).
SearchResult MeasureSearch(CMainDlg& dlg, CatalogueDb& db, const QStringList& fragments) {
    std::vector<double> indexed, scanned, indexedListed, scannedListed;
    SearchResult r;
    r.minHits = INT_MAX;
    for (const QString& f : fragments) {
        db.UseSearchIndex(false);
        const SearchRun scan = TimedSearch(dlg, f);
        db.UseSearchIndex(true);
        const SearchRun index = TimedSearch(dlg, f);
        if (scan.hits != index.hits) qFatal("the two ways differ for %s", qPrintable(f));
        scanned.push_back(scan.drawn);
        indexed.push_back(index.drawn);
        scannedListed.push_back(scan.listed);
        indexedListed.push_back(index.listed);
        r.minHits = std::min(r.minHits, index.hits);
        r.maxHits = std::max(r.maxHits, index.hits);
    }
    r.indexed = MedianOf(indexed);
    r.scanned = MedianOf(scanned);
    r.indexedListed = MedianOf(indexedListed);
    r.scannedListed = MedianOf(scannedListed);
    return r;
}

void BenchSearch(const QString& cache, const std::vector<int>& sizes) {
    const QString xdg = QDir(cache).filePath(QStringLiteral("xdg-cache-search"));
    QDir(xdg).removeRecursively();
    QDir().mkpath(xdg);
    qputenv("XDG_CACHE_HOME", QFile::encodeName(xdg));
    const QString shipped = SearchShippedThumbnails(cache);
    const QString pictureFolder = QDir(cache).filePath(QStringLiteral("search-pictures"));
    struct Goal {
        QString name;
        double figure, ratio, target;
    };
    std::vector<Goal> goals;
    for (const int products : sizes) {
        QStringList notes;
        const SearchCatalogue sc = PrepareSearchInstallation(cache, products, &notes);
        for (const QString& n : notes) std::printf("  note: %s\n", qPrintable(n));
        QElapsedTimer opening;
        opening.start();
        ScopedInstallation install({.existing = sc.root});
        if (!install.Ok()) qFatal("cannot open %s", qPrintable(sc.root));
        if (!install.Db().HasSearchIndex()) qFatal("no search index");
        const double openMs = Ms(opening.nsecsElapsed());
        ScriptedPrompter prompter;
        CMainDlg dlg(install.Parts());
        dlg.resize(1024, 700);
        dlg.show();
        if (!QTest::qWaitForWindowExposed(&dlg)) qFatal("window not shown");
        // Warm-up: the first statements of a connection prepare their caches.
        TimedSearch(dlg, sc.oneHit.first());
        std::printf(
            "Search over %d products with varied codes (%d categories, %d distinct "
            "pictures; opened in %.0f ms), median of %lld fragments each:\n",
            products, kSearchCategories, kSearchPictures, openMs, sc.oneHit.size());
        // What one hit's cell costs by itself: its picture decoded to the cell, in line.
        std::vector<double> cellMs;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer cell;
            cell.start();
            ThumbnailRenderer::Render({SearchPictures(cache)[100 + i], 140, 140,
                                       ThumbnailRenderer::Kind::Thumbnail, true});
            cellMs.push_back(Ms(cell.nsecsElapsed()));
        }
        std::printf("  one hit's cell decoded from its 640x480 JPEG, in line: %.2f ms\n",
                    MedianOf(cellMs));
        const auto report = [&](const char* what, const SearchResult& r) {
            std::printf(
                "  %-22s (%4d..%4d hits): typing -> hits drawn %8.2f ms with the index, "
                "%8.2f ms by the plain scan (%.1fx faster); listed after %.2f / %.2f ms\n",
                what, r.minHits, r.maxHits, r.indexed, r.scanned, r.scanned / r.indexed,
                r.indexedListed, r.scannedListed);
        };
        // As a visitor searches a published copy: every picture has its shipped thumbnail.
        ThumbnailSource::SetSources(ThumbnailSource::Shipped);
        if (!ShippedThumbnails::Open(shipped, pictureFolder, false))
            qFatal("no shipped thumbnails");
        std::printf("  published copy, cells from the shipped thumbnails:\n");
        const SearchResult one = MeasureSearch(dlg, install.Db(), sc.oneHit);
        if (one.minHits != 1 || one.maxHits != 1) qFatal("a one-hit fragment does not hit once");
        report("one-hit fragment", one);
        const SearchResult series = MeasureSearch(dlg, install.Db(), sc.seriesHits);
        report("series fragment", series);
        const SearchResult twoChars =
            MeasureSearch(dlg, install.Db(),
                          {sc.oneHit[0].mid(2, 2), sc.oneHit[1].mid(3, 2), sc.oneHit[2].mid(1, 2),
                           sc.oneHit[3].mid(4, 2), sc.oneHit[4].mid(2, 2)});
        report("two characters (scan)", twoChars);
        ShippedThumbnails::Close();
        // No stored thumbnail anywhere: every cell on the screen decoded from its picture.
        ThumbnailSource::SetSources(ThumbnailSource::NoSources);
        std::printf("  no stored thumbnail, cells decoded from the pictures:\n");
        report("one-hit fragment", MeasureSearch(dlg, install.Db(), sc.oneHit));
        report("series fragment", MeasureSearch(dlg, install.Db(), sc.seriesHits));
        if (products == 100000)
            goals.push_back({"search_1hit_100k", one.indexed, one.scanned / one.indexed, 5});
        if (products == 1000000) {
            goals.push_back({"search_1hit_1m", one.indexed, one.scanned / one.indexed, 20});
            goals.push_back(
                {"search_3000hits_1m", series.indexed, series.scanned / series.indexed, 60});
        }
    }
    ThumbnailSource::SetSources(ThumbnailSource::AllSources);
    for (const Goal& g : goals)
        KeepGoal(g.name, g.figure, "ms", g.ratio, QStringLiteral("plain scan"),
                 QStringLiteral("< %1 ms").arg(g.target), g.figure < g.target);
}

// ---- memory ----------------------------------------------------------------------------------

// In a child process: a bare Qt window of the main window's size, shown and painted.
int MemoryChildBare() {
    QWidget window;
    window.resize(1024, 700);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) qFatal("window not shown");
    QTest::qWait(300);
    window.repaint();
    std::printf("PEAK %.2f\n", PeakRssMiB());
    return 0;
}

// In a child process: the main window browsing category `entry` of the installation from top
// to bottom, a screen at a time, each screen's pictures drawn before the next.
int MemoryChildCategory(const QString& root, int entry) {
    ScopedInstallation install({.existing = root});
    if (!install.Ok()) qFatal("cannot open %s", qPrintable(root));
    ScriptedPrompter prompter;
    CMainDlg dlg(install.Parts());
    dlg.resize(1024, 700);
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg)) qFatal("window not shown");
    QTest::mouseClick(dlg.ClassList()->ButtonAt(entry), Qt::LeftButton);
    CThumbListCtrl* list = dlg.ProductList();
    QScrollBar* bar = list->verticalScrollBar();
    int screens = 0;
    while (true) {
        if (!list->WaitForThumbnails(600000)) qFatal("thumbnails not drawn");
        list->viewport()->repaint();
        ++screens;
        if (bar->value() >= bar->maximum()) break;
        bar->setValue(bar->value() + bar->pageStep());
    }
    std::printf("PEAK %.2f\nITEMS %d\nSCREENS %d\n", PeakRssMiB(), list->GetItemCount(), screens);
    return 0;
}

struct ChildPeak {
    double peak = 0;
    int items = 0;
    int screens = 0;
};

ChildPeak RunMemoryChild(const QStringList& args, const QString& xdg) {
    QDir(xdg).removeRecursively();
    QDir().mkpath(xdg);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CACHE_HOME"), xdg);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), args);
    if (!child.waitForFinished(900000) || child.exitCode() != 0)
        qFatal("memory child %s failed: %s", qPrintable(args.join(' ')),
               child.readAllStandardError().constData());
    ChildPeak r;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        if (line.startsWith("PEAK ")) r.peak = line.mid(5).toDouble();
        if (line.startsWith("ITEMS ")) r.items = line.mid(6).toInt();
        if (line.startsWith("SCREENS ")) r.screens = line.mid(8).toInt();
    }
    if (r.peak <= 0) qFatal("memory child printed no peak");
    return r;
}

// Each case in a child of its own, in turns, five times; the authoring copy starts with an
// empty desktop thumbnail cache every time, so each picture is decoded from its 12-megapixel
// file.
void BenchMemory(const QString& cache) {
    QStringList notes;
    const QString root = PrepareCategoryInstallation(cache, &notes);
    for (const QString& n : notes) std::printf("  note: %s\n", qPrintable(n));
    const QString xdg = QDir(cache).filePath(QStringLiteral("xdg-cache-memory"));
    std::vector<double> bare, big, small;
    ChildPeak bigRun, smallRun;
    for (int r = 0; r < 5; ++r) {
        bare.push_back(
            RunMemoryChild({QStringLiteral("--memory-child"), QStringLiteral("bare")}, xdg).peak);
        bigRun = RunMemoryChild({QStringLiteral("--memory-child"), QStringLiteral("category"), root,
                                 QStringLiteral("1")},
                                xdg);
        big.push_back(bigRun.peak);
        smallRun = RunMemoryChild({QStringLiteral("--memory-child"), QStringLiteral("category"),
                                   root, QStringLiteral("2")},
                                  xdg);
        small.push_back(smallRun.peak);
    }
    const double b = MedianOf(bare), g = MedianOf(big), s = MedianOf(small);
    std::printf(
        "Peak memory browsing a category of 4000x3000 JPEGs top to bottom (median of 5, "
        "each in a process of its own):\n");
    std::printf("  bare Qt window                          %7.1f MiB\n", b);
    std::printf("  category of %3d products (%2d screens)   %7.1f MiB\n", smallRun.items,
                smallRun.screens, s);
    std::printf("  category of %3d products (%2d screens)   %7.1f MiB  (%.1f MiB more than %d)\n",
                bigRun.items, bigRun.screens, g, g - s, smallRun.items);
    KeepGoal(QStringLiteral("peak_memory_category%1").arg(bigRun.items), g, "MiB", g / b,
             QStringLiteral("bare Qt window"), QStringLiteral("<= 2x"), g <= 2 * b);
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // figures show as they come, also into a file
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The bare window is a plain Qt program: none of ours is set up for it.
    if (argc >= 3 && qstrcmp(argv[1], "--memory-child") == 0 && qstrcmp(argv[2], "bare") == 0)
        return MemoryChildBare();
    CCatalogueApp::RegisterFontSubstitutions();
    const QString cache =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("bench-cache"));
    QDir().mkpath(cache);
    bool search = true, category = true, memory = true;
    int slowRuns = 5;
    std::vector<int> sizes = {10000, 100000, 1000000};
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 5 && args[1] == QLatin1String("--memory-child"))
        return MemoryChildCategory(args[3], args[4].toInt());
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--products") && i + 1 < args.size())
            kProducts = std::max(2, args[++i].toInt());
        else if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            slowRuns = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--search-sizes") && i + 1 < args.size()) {
            sizes.clear();
            for (const QString& n : args[++i].split(QLatin1Char(',')))
                sizes.push_back(std::max(1000, n.toInt()));
        } else if (args[i] == QLatin1String("--no-search"))
            search = false;
        else if (args[i] == QLatin1String("--no-category"))
            category = false;
        else if (args[i] == QLatin1String("--no-memory"))
            memory = false;
    }
    std::printf("bench_viewer (cache: %s)\n", qPrintable(cache));
    if (category) BenchCategory(cache, slowRuns);
    if (search) BenchSearch(cache, sizes);
    if (memory) BenchMemory(cache);
    for (const QByteArray& line : GoalLines()) std::printf("%s\n", line.constData());
    return 0;
}
