#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

#include "app/CIniFile.h"
#include "app/CSplashDlg.h"
#include "app/InstallPaths.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueRecords.h"
#include "tools/install/DemoCatalogue.h"
#include "tools/install/DemoInstaller.h"
#include "tools/install/GifWriter.h"
#include "tools/install/SkinPainter.h"

namespace {

using Rows = QList<QStringList>;

// Every row of a table, each value as text, read by position.
Rows ReadTable(CatalogueDb& db, const QString& table) {
    Rows rows;
    QSqlQuery q(db.Database());
    if (!q.exec(QStringLiteral("select * from [%1] order by rowid").arg(table))) return rows;
    while (q.next()) {
        QStringList row;
        for (int i = 0; i < q.record().count(); ++i) row << q.value(i).toString();
        rows << row;
    }
    return rows;
}

QStringList Columns(CatalogueDb& db, const QString& table) {
    QStringList names;
    QSqlQuery q(db.Database());
    q.exec(QStringLiteral("pragma table_info([%1])").arg(table));
    while (q.next()) names << q.value(1).toString();
    return names;
}

QMap<QString, QByteArray> HashTree(const QString& root) {
    QMap<QString, QByteArray> hashes;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) continue;
        hashes.insert(QDir(root).relativeFilePath(path),
                      QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256));
    }
    return hashes;
}

qint64 TreeSize(const QString& root) {
    qint64 total = 0;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) total += QFileInfo(it.next()).size();
    return total;
}

// What a decoded picture file turned out to be.
struct Decoded {
    bool ok = false;
    QByteArray format;
    QSize size;
};

Decoded Decode(const QString& path) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    Decoded d;
    d.format = reader.format();
    const QImage image = reader.read();
    d.ok = !image.isNull();
    d.size = image.size();
    return d;
}

// The pictures a document column names: the file, or the pictures of the folder it names.
QStringList DocumentPictures(const QString& path) {
    if (QFileInfo(path).isDir()) {
        QStringList files;
        for (const QFileInfo& fi : QDir(path).entryInfoList(QDir::Files, QDir::Name))
            files << fi.absoluteFilePath();
        return files;
    }
    return {path};
}

struct BmpHeader {
    bool ok = false;
    int width = 0, height = 0, bits = 0;
};

BmpHeader ReadBmpHeader(const QString& path) {
    QFile f(path);
    BmpHeader h;
    if (!f.open(QIODevice::ReadOnly)) return h;
    const QByteArray b = f.read(54);
    if (b.size() < 54 || !b.startsWith("BM")) return h;
    auto le32 = [&](int at) {
        return qint32(quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 |
                      quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24);
    };
    h.ok = true;
    h.width = le32(18);
    h.height = qAbs(le32(22));
    h.bits = quint8(b[28]) | quint8(b[29]) << 8;
    return h;
}

int DifferingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return a.width() * a.height();
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) ++n;
    return n;
}

// A fixed-seed generator so the GIF round trips are the same on every run.
quint32 Next(quint32& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

}  // namespace

class TestInstaller : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    QString m_demo;       // small authoring demo, written once
    QString m_published;  // small published copy, written once

    // Checks an authoring or published catalogue of `folder`; `published` selects which
    // columns name the files. Returns the decoded formats seen and the widest document.
    void CheckInstallation(const QString& folder, bool published, int minCategories,
                           int minProducts, QSet<QByteArray>* formats, int* widestDocument) {
        CatalogueDb db;
        QString error;
        QVERIFY2(
            db.Open(QDir(DemoInstaller::DataFolder(folder)).filePath(QStringLiteral("数据.db")),
                    &error),
            qPrintable(error));
        const QString media = DemoInstaller::MediaFolder(folder);
        InstallPaths paths;
        paths.picFolder = DemoInstaller::PicFolder(folder);
        auto fileOf = [&](const QString& source, const QString& publishedPath) {
            return published ? paths.ResolvePublished(publishedPath) : source;
        };

        const Rows categories = ReadTable(db, QStringLiteral("大类表"));
        QVERIFY(categories.size() >= minCategories);
        QStringList classNames;
        for (int i = 0; i < categories.size(); ++i) {
            QCOMPARE(categories[i][1], QString::number(i + 1));  // numbered 1..n in order
            classNames << categories[i][2];
        }

        const Rows products = ReadTable(db, QStringLiteral("小类表"));
        QVERIFY(products.size() >= minProducts);
        const Rows models = ReadTable(db, QStringLiteral("3D模型表"));
        QMap<QString, int> perClass;
        QSet<QString> storedNames;
        int withModels = 0;
        bool folderDocument = false;
        for (const QStringList& row : products) {
            const ProductRecord p{row[1], row[2], row[3], row[4],  row[5],  row[6],
                                  row[7], row[8], row[9], row[10], row[11], row[12]};
            QVERIFY2(classNames.contains(p.className), qPrintable(p.className));
            QCOMPARE(p.number, QString::number(++perClass[p.className]));
            const StoredProductName split = StoredProductName::Split(p.productName);
            QVERIFY2(!split.name.isEmpty() && !split.typeCode.isEmpty(), qPrintable(p.productName));
            QVERIFY2(p.key.contains(split.typeCode), qPrintable(p.key));
            QVERIFY(!storedNames.contains(p.className + p.productName));
            storedNames << p.className + p.productName;
            // Sources are the editor's full paths into the media folder.
            for (const QString& source : {p.opath, p.oIntroduce, p.oAddProcess, p.oTecReference}) {
                QVERIFY2(QDir::isAbsolutePath(source), qPrintable(source));
                QVERIFY2(source.startsWith(media + QLatin1Char('/') + p.className +
                                           QLatin1Char('/') + p.productName + QLatin1Char('/')),
                         qPrintable(source));
            }
            if (published) {
                QCOMPARE(
                    p.dpath,
                    QStringLiteral("pic/%1/%2").arg(p.className, QFileInfo(p.opath).fileName()));
                const QString productDir =
                    QStringLiteral("pic/%1/%2/").arg(p.className, p.productName);
                for (const QString& d : {p.pIntroduce, p.pAddProcess, p.pTecReference})
                    QVERIFY2(d.startsWith(productDir), qPrintable(d));
                // The published copy carries no media folder: a viewer that used the source
                // columns would show nothing.
                QVERIFY(!QFileInfo::exists(p.opath));
                QVERIFY(QFileInfo(QDir(paths.picFolder)
                                      .filePath(p.className + QLatin1Char('/') + p.productName +
                                                QStringLiteral("/3D模型")))
                            .isDir());
            } else {
                QVERIFY(p.dpath.isEmpty() && p.pIntroduce.isEmpty());
            }
            const QString picture = fileOf(p.opath, p.dpath);
            const Decoded pic = Decode(picture);
            QVERIFY2(pic.ok, qPrintable(picture));
            formats->insert(pic.format);
            const QString docs[3] = {fileOf(p.oIntroduce, p.pIntroduce),
                                     fileOf(p.oAddProcess, p.pAddProcess),
                                     fileOf(p.oTecReference, p.pTecReference)};
            for (const QString& doc : docs) {
                QVERIFY2(QFileInfo::exists(doc), qPrintable(doc));
                const QStringList pages = DocumentPictures(doc);
                if (QFileInfo(doc).isDir()) {
                    folderDocument = true;
                    QCOMPARE(pages.size(), 2);
                }
                for (const QString& page : pages) {
                    const Decoded d = Decode(page);
                    QVERIFY2(d.ok, qPrintable(page));
                    formats->insert(d.format);
                    *widestDocument = qMax(*widestDocument, d.size.width());
                }
            }
            // Model rows of this product: numbered 1..k, files present where the copy keeps them.
            int number = 0;
            for (const QStringList& m : models) {
                if (m[1] != p.className || m[2] != p.productName) continue;
                const ModelFileRecord r{m[1], m[2], m[3], m[4], m[5], m[6], m[7]};
                QCOMPARE(r.number, QString::number(++number));
                QCOMPARE(QFileInfo(r.opath).fileName(), r.modelFile);
                QVERIFY(!r.note.isEmpty());
                const QString file =
                    published ? QDir(paths.ResolvePublished(r.dpath)).filePath(r.modelFile)
                              : r.opath;
                if (published)
                    QCOMPARE(r.dpath,
                             QStringLiteral("pic/%1/%2/3D模型").arg(p.className, p.productName));
                QFile f(file);
                QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(file));
                const QByteArray head = f.read(20);
                QVERIFY(head.startsWith("ISO-10303-21;") || head.startsWith("**ABCDEF") ||
                        head.mid(72, 1) == "S" || head.contains("Harbelt"));
            }
            if (number > 0) ++withModels;
        }
        // Every model row belongs to a product.
        for (const QStringList& m : models) QVERIFY(storedNames.contains(m[1] + m[2]));
        QVERIFY2(withModels * 10 >= products.size() * 3 && withModels * 10 <= products.size() * 7,
                 qPrintable(QStringLiteral("%1 of %2").arg(withModels).arg(products.size())));
        QVERIFY(folderDocument);

        const Rows company = ReadTable(db, QStringLiteral("企业表"));
        QCOMPARE(company.size(), 1);
        const CompanyRecord c{company[0][1], company[0][2], company[0][3],
                              company[0][4], company[0][5], company[0][6]};
        QVERIFY(Decode(fileOf(c.opath, c.dpath)).ok);
        if (published)
            QCOMPARE(c.dpath,
                     QStringLiteral("pic/%1/%2").arg(c.className, QFileInfo(c.opath).fileName()));
        QVERIFY(c.company.contains(QStringLiteral("www.harbelt-demo.com")));
        QVERIFY(c.web.contains(QStringLiteral("www.")));

        CIniFile ini(
            QDir(DemoInstaller::DataFolder(folder)).filePath(QStringLiteral("config.ini")));
        QCOMPARE(ini.GetString(QStringLiteral("SysInfo"), QStringLiteral("发布状态")),
                 published ? QStringLiteral("1") : QStringLiteral("0"));
        QVERIFY(ini.GetString(QStringLiteral("SysInfo"), QStringLiteral("企业QQ")).toLongLong() >
                0);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_tmp.isValid());
        m_demo = m_tmp.filePath(QStringLiteral("demo"));
        m_published = m_tmp.filePath(QStringLiteral("published"));
        QString error;
        QVERIFY2(DemoInstaller::WriteDemo(m_demo, &error, DemoInstaller::Variant::Small),
                 qPrintable(error));
        QVERIFY2(DemoInstaller::WritePublished(m_published, &error, DemoInstaller::Variant::Small),
                 qPrintable(error));
    }

    void emptyCatalogueHasTheFourTablesInOrder() {
        const QString file = m_tmp.filePath(QStringLiteral("empty.db"));
        QString error;
        QVERIFY2(DemoInstaller::WriteEmpty(file, &error), qPrintable(error));
        CatalogueDb db;
        QVERIFY2(db.Open(file, &error), qPrintable(error));
        // Readers take values by position, so the order is what matters.
        QCOMPARE(Columns(db, QStringLiteral("大类表")).mid(1),
                 (QStringList{"Number", "ClassName"}));
        QCOMPARE(Columns(db, QStringLiteral("小类表")).mid(1),
                 (QStringList{"Number", "ClassName", "ProductName", "Key", "Opath", "Dpath",
                              "OIntroduce", "OAddProcess", "OTecReference", "PIntroduce",
                              "PAddProcess", "PTecReference"}));
        QCOMPARE(Columns(db, QStringLiteral("3D模型表")).mid(1),
                 (QStringList{"ClassName", "ProductName", "3DModel", "Number", "Opath", "Dpath",
                              "Note"}));
        const QStringList company = Columns(db, QStringLiteral("企业表"));
        QCOMPARE(company.size(), 7);
        QCOMPARE(company.mid(2), (QStringList{"ClassName", "Opath", "Dpath", "Company", "Web"}));
        QCOMPARE(ReadTable(db, QStringLiteral("企业表")).size(), 1);
        QVERIFY(ReadTable(db, QStringLiteral("小类表")).isEmpty());
        db.Close();

        // An existing file is never overwritten.
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        QVERIFY(!DemoInstaller::WriteEmpty(file, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }

    void demoCatalogueIsConsistent() {
        const QList<DemoProduct> full = DemoCatalogue::Products();
        QVERIFY(DemoCatalogue::Categories().size() >= 6);
        QVERIFY(full.size() >= 40);
        QSet<QString> codes;
        for (const DemoProduct& p : full) {
            QVERIFY2(!codes.contains(p.typeCode), qPrintable(p.typeCode));
            codes << p.typeCode;
            // Type codes become file names and stored names are split at "@".
            QVERIFY(!p.typeCode.contains(QLatin1Char('/')) &&
                    !p.typeCode.contains(QLatin1Char('@')));
            QCOMPARE(StoredProductName::Split(p.StoredName()).typeCode, p.typeCode);
            // Each product's own row is in its dimension table, and rows fit the header.
            const DimensionTable t = DemoCatalogue::Table(p);
            QVERIFY2(t.highlight >= 0, qPrintable(p.typeCode));
            for (const QStringList& row : t.rows) QCOMPARE(row.size(), t.header.size());
            QCOMPARE(p.ModelNotes().size(), p.ModelFiles().size());
        }
    }

    void smallDemoIsCompleteAndDecodes() {
        QSet<QByteArray> formats;
        int widest = 0;
        CheckInstallation(m_demo, false, 6, 12, &formats, &widest);
        if (QTest::currentTestFailed()) return;
        QCOMPARE(formats, (QSet<QByteArray>{"jpeg", "png", "bmp", "gif", "tiff"}));
        QVERIFY2(widest > 3300, qPrintable(QString::number(widest)));
        QVERIFY(!QFileInfo::exists(DemoInstaller::PicFolder(m_demo)));
    }

    void publishedCopyUsesRelativePicPaths() {
        QSet<QByteArray> formats;
        int widest = 0;
        CheckInstallation(m_published, true, 6, 12, &formats, &widest);
        if (QTest::currentTestFailed()) return;
        QCOMPARE(formats, (QSet<QByteArray>{"jpeg", "png", "bmp", "gif", "tiff"}));
        QVERIFY(widest > 3300);
        QVERIFY(!QFileInfo::exists(DemoInstaller::MediaFolder(m_published)));
    }

    void skinBitmapsFollowTheLayout() {
        const QString data = DemoInstaller::DataFolder(m_demo);
        struct Expect {
            QString name;
            QSize size;
        };
        QList<Expect> expected = {{"top", {2560, 59}}, {"bottom", {2560, 30}}};
        for (const QString& suffix : {QString(), QStringLiteral("1"), QStringLiteral("2")}) {
            for (const char* nav : {"产品中心", "企业介绍", "系统设置", "系统发布"})
                expected.append({QString::fromUtf8(nav) + suffix, {96, 36}});
            expected.append({"返回" + suffix, {72, 28}});
            expected.append({"search" + suffix, {28, 24}});
            expected.append({"QQ" + suffix, {96, 30}});
            expected.append({"min" + suffix, {32, 19}});
            expected.append({"max" + suffix, {34, 19}});
            expected.append({"close" + suffix, {32, 19}});
        }
        for (const Expect& e : expected) {
            const QString path = QDir(data).filePath(e.name + QStringLiteral(".bmp"));
            const BmpHeader h = ReadBmpHeader(path);
            QVERIFY2(h.ok, qPrintable(path));
            QCOMPARE(h.bits, 24);
            QCOMPARE(QSize(h.width, h.height), e.size);
            QVERIFY2(!QImage(path).isNull(), qPrintable(path));
        }
        const QImage splash(QDir(data).filePath(QStringLiteral("splash.jpg")));
        QCOMPARE(splash.size(), CSplashDlg::WindowSize());  // it fills the cover window

        // The top band repeats along x beyond the brand, and the bottom band everywhere, so a
        // tiled or stretched band never shows a seam.
        const QImage top(QDir(data).filePath(QStringLiteral("top.bmp")));
        const QImage bottom(QDir(data).filePath(QStringLiteral("bottom.bmp")));
        for (int y = 0; y < top.height(); ++y)
            for (int x = SkinPainter::kBrandWidth; x < top.width(); x += 7)
                QCOMPARE(top.pixel(x, y), top.pixel(top.width() - 1, y));
        for (int y = 0; y < bottom.height(); ++y)
            for (int x = 0; x < bottom.width(); x += 7)
                QCOMPARE(bottom.pixel(x, y), bottom.pixel(0, y));
        // The brand is drawn at the left.
        int brand = 0;
        for (int y = 0; y < top.height(); ++y)
            for (int x = 0; x < SkinPainter::kBrandWidth; ++x)
                if (top.pixel(x, y) != top.pixel(top.width() - 1, y)) ++brand;
        QVERIFY(brand > 2000);

        // A plain button carries the band rows behind it at its edges; hover and pressed are
        // visibly different from it and from each other.
        auto load = [&](const QString& name) {
            return QImage(QDir(data).filePath(name + QStringLiteral(".bmp")));
        };
        struct OnBand {
            QString name;
            const QImage* band;
            int row;
        };
        const QList<OnBand> onBand = {{"产品中心", &top, 14}, {"系统发布", &top, 14},
                                      {"search", &top, 19},   {"min", &top, 5},
                                      {"close", &top, 5},     {"QQ", &bottom, 0}};
        for (const OnBand& b : onBand) {
            const QImage plain = load(b.name), hover = load(b.name + "1"),
                         pressed = load(b.name + "2");
            for (int y = 0; y < plain.height(); ++y) {
                QCOMPARE(plain.pixel(0, y), b.band->pixel(1000, b.row + y));
                QCOMPARE(plain.pixel(plain.width() - 1, y), b.band->pixel(1000, b.row + y));
            }
            const int area = plain.width() * plain.height();
            QVERIFY2(DifferingPixels(plain, hover) > area / 10, qPrintable(b.name));
            QVERIFY2(DifferingPixels(plain, pressed) > area / 10, qPrintable(b.name));
            QVERIFY2(DifferingPixels(hover, pressed) > area / 10, qPrintable(b.name));
        }
        // Navigation captions are drawn: plenty of light text pixels on the dark band.
        for (const char* nav : {"产品中心", "企业介绍", "系统设置", "系统发布"}) {
            const QImage plain = load(QString::fromUtf8(nav));
            int light = 0;
            for (int y = 0; y < plain.height(); ++y)
                for (int x = 0; x < plain.width(); ++x)
                    if (qGray(plain.pixel(x, y)) > 170) ++light;
            QVERIFY2(light > 120, nav);
        }
        // The back button sits on the light content ground.
        const QImage back = load(QStringLiteral("返回"));
        QCOMPARE(QColor(back.pixel(0, 0)), QColor(240, 240, 240));
        QVERIFY(DifferingPixels(back, load(QStringLiteral("返回1"))) > 72 * 28 / 10);
        // The close button turns red under the mouse.
        const QImage closeHover = load(QStringLiteral("close1"));
        const QColor mid(closeHover.pixel(4, 3));
        QVERIFY(mid.red() > 180 && mid.green() < 80);
    }

    void rerunIsByteIdenticalAndLeavesTheExecutable() {
        const QString folder = m_tmp.filePath(QStringLiteral("twice"));
        QVERIFY(QDir().mkpath(folder));
        QFile exe(QDir(folder).filePath(QStringLiteral("vistrel")));
        QVERIFY(exe.open(QIODevice::WriteOnly));
        exe.write(
            "\x7f"
            "ELF not really");
        exe.close();
        QString error;
        QVERIFY2(DemoInstaller::WriteDemo(folder, &error, DemoInstaller::Variant::Small),
                 qPrintable(error));
        const QMap<QString, QByteArray> first = HashTree(folder);
        // A stale journal beside the old catalogue must not be replayed into the new one.
        QFile journal(
            QDir(DemoInstaller::DataFolder(folder)).filePath(QStringLiteral("数据.db-journal")));
        QVERIFY(journal.open(QIODevice::WriteOnly));
        journal.write(QByteArray(4096, 'x'));
        journal.close();
        QVERIFY2(DemoInstaller::WriteDemo(folder, &error, DemoInstaller::Variant::Small),
                 qPrintable(error));
        QVERIFY(!journal.exists());
        const QMap<QString, QByteArray> second = HashTree(folder);
        QCOMPARE(second.keys(), first.keys());
        for (auto it = first.cbegin(); it != first.cend(); ++it)
            QVERIFY2(second.value(it.key()) == it.value(), qPrintable(it.key()));
        QVERIFY(first.contains(QStringLiteral("sysfile/数据.db")));
        QVERIFY(first.contains(QStringLiteral("vistrel")));
        QVERIFY(first.size() > 60);
    }

    void failedRewriteKeepsTheOldCatalogue() {
        const QString folder = m_tmp.filePath(QStringLiteral("blocked"));
        QString error;
        QVERIFY2(DemoInstaller::WriteDemo(folder, &error, DemoInstaller::Variant::Small),
                 qPrintable(error));
        const QString file =
            QDir(DemoInstaller::DataFolder(folder)).filePath(QStringLiteral("数据.db"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        // Something in the way of the new catalogue makes the rewrite fail.
        QVERIFY(QDir().mkpath(file + QStringLiteral(".new/x")));
        QVERIFY(!DemoInstaller::WriteDemo(folder, &error, DemoInstaller::Variant::Small));
        QVERIFY(!error.isEmpty());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        CatalogueDb db;
        QVERIFY(db.Open(file, &error));
        QVERIFY(ReadTable(db, QStringLiteral("小类表")).size() >= 12);
    }

    void refusesAMediaFolderItDidNotWrite() {
        const QString folder = m_tmp.filePath(QStringLiteral("foreign"));
        const QString media = DemoInstaller::MediaFolder(folder);
        QVERIFY(QDir().mkpath(media));
        QFile mine(QDir(media).filePath(QStringLiteral("我的照片.jpg")));
        QVERIFY(mine.open(QIODevice::WriteOnly));
        mine.write("keep me");
        mine.close();
        QString error;
        QVERIFY(!DemoInstaller::WriteDemo(folder, &error, DemoInstaller::Variant::Small));
        QVERIFY(error.contains(media));
        QVERIFY(mine.exists());
        QVERIFY(!QFileInfo::exists(
            QDir(DemoInstaller::DataFolder(folder)).filePath(QStringLiteral("数据.db"))));
    }

    void fullDemo() {
        const QString folder = m_tmp.filePath(QStringLiteral("full"));
        QString error;
        QVERIFY2(DemoInstaller::WriteDemo(folder, &error), qPrintable(error));
        QSet<QByteArray> formats;
        int widest = 0;
        CheckInstallation(folder, false, 6, 40, &formats, &widest);
        if (QTest::currentTestFailed()) return;
        QCOMPARE(formats, (QSet<QByteArray>{"jpeg", "png", "bmp", "gif", "tiff"}));
        QVERIFY(widest > 3300);
        const qint64 size = TreeSize(folder);
        QVERIFY2(size < 60ll * 1024 * 1024, qPrintable(QString::number(size)));
        qInfo("full demo: %lld bytes", size);
    }

    void gifRoundTrip_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("colours");
        QTest::newRow("tiny") << 1 << 1 << 1;
        QTest::newRow("few colours") << 37 << 23 << 5;
        // Noise outgrows the 4096-entry code table many times, exercising the clear codes.
        QTest::newRow("noise, full palette") << 640 << 480 << 256;
        QTest::newRow("more colours than a palette") << 300 << 200 << 4000;
    }

    void gifRoundTrip() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, colours);
        QImage image(width, height, QImage::Format_RGB32);
        quint32 seed = 12345;
        QList<QRgb> palette;
        for (int i = 0; i < colours; ++i) palette << (0xff000000u | (Next(seed) & 0xffffff));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) image.setPixel(x, y, palette[Next(seed) % colours]);
        const QString file = m_tmp.filePath(QStringLiteral("round.gif"));
        QString error;
        QVERIFY2(DemoInstaller::SavePicture(image, file, PictureFormat::Gif, &error),
                 qPrintable(error));
        QImageReader reader(file);
        QCOMPARE(reader.format(), QByteArray("gif"));
        const QImage decoded = reader.read().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(decoded.size(), image.size());
        const QImage expected = GifWriter::Quantize(image).convertToFormat(QImage::Format_RGB32);
        if (colours <= 256) QCOMPARE(expected, image);  // no colour lost when they all fit
        QCOMPARE(decoded, expected);
    }

    void gifKeepsSmoothPicturesClose() {
        QImage image(256, 64, QImage::Format_RGB32);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 256; ++x) image.setPixel(x, y, qRgb(x, 255 - x, (x + y) % 256));
        const QImage q = GifWriter::Quantize(image).convertToFormat(QImage::Format_RGB32);
        int worst = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 256; ++x) {
                const QRgb a = image.pixel(x, y), b = q.pixel(x, y);
                worst = std::max({worst, qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b)),
                                  qAbs(qBlue(a) - qBlue(b))});
            }
        QVERIFY2(worst <= 48, qPrintable(QString::number(worst)));
    }

    void everyFormatIsWritten() {
        const QImage image = SkinPainter::Splash(QSize(120, 80));
        for (PictureFormat f : {PictureFormat::Jpeg, PictureFormat::Png, PictureFormat::Bmp,
                                PictureFormat::Gif, PictureFormat::Tiff}) {
            const QString file = m_tmp.filePath(QStringLiteral("fmt.") + DemoCatalogue::Suffix(f));
            QString error;
            QVERIFY2(DemoInstaller::SavePicture(image, file, f, &error), qPrintable(error));
            const Decoded d = Decode(file);
            QVERIFY2(d.ok, qPrintable(file));
            QCOMPARE(d.size, QSize(120, 80));
        }
        QString error;
        QVERIFY(!DemoInstaller::SavePicture(QImage(), m_tmp.filePath(QStringLiteral("none.png")),
                                            PictureFormat::Png, &error));
        QVERIFY(!DemoInstaller::SavePicture(image,
                                            m_tmp.filePath(QStringLiteral("no/such/dir/x.png")),
                                            PictureFormat::Png, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_MAIN(TestInstaller)
#include "tst_installer.moc"
