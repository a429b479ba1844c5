#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

#include "TestFiles.h"
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

using namespace TestFiles;
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

QMap<QString, QByteArray> HashTree(const QString& root) {
    QMap<QString, QByteArray> hashes;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly))
            hashes.insert(QDir(root).relativeFilePath(f.fileName()),
                          QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256));
    }
    return hashes;
}

// The decoded format of a picture file, or nothing when it does not decode.
QByteArray DecodedFormat(const QString& path, int* width = nullptr) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    const QImage image = reader.read();
    if (width) *width = std::max(*width, image.width());
    return image.isNull() ? QByteArray() : format;
}

int DifferingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return a.width() * a.height();
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

}  // namespace

class TestInstaller : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    QString m_demo;       // small authoring demo with a stand-in executable
    QString m_published;  // small published copy

    // Checks an authoring or published installation: rows numbered in order, every path where
    // the viewer looks for it, every picture decoding, models beside their products.
    void CheckInstallation(const QString& folder, bool published) {
        CatalogueDb db;
        QString error;
        const QString data = DemoInstaller::DataFolder(folder);
        QVERIFY2(db.Open(QDir(data).filePath(QStringLiteral("数据.db")), &error),
                 qPrintable(error));
        const QString media = DemoInstaller::MediaFolder(folder);
        InstallPaths paths;
        paths.picFolder = DemoInstaller::PicFolder(folder);
        auto fileOf = [&](const QString& source, const QString& publishedPath) {
            return published ? paths.ResolvePublished(publishedPath) : source;
        };
        QVERIFY(!QFileInfo::exists(published ? media : paths.picFolder));

        const Rows categories = ReadTable(db, QStringLiteral("大类表"));
        QVERIFY(categories.size() >= 6);
        for (int i = 0; i < categories.size(); ++i)
            QCOMPARE(categories[i][1], QString::number(i + 1));
        const Rows products = ReadTable(db, QStringLiteral("小类表"));
        QVERIFY(products.size() >= 12);
        const Rows models = ReadTable(db, QStringLiteral("3D模型表"));
        QMap<QString, int> perClass;
        QSet<QByteArray> formats;
        int widest = 0, withModels = 0;
        for (const QStringList& row : products) {
            const ProductRecord p{row[1], row[2], row[3], row[4],  row[5],  row[6],
                                  row[7], row[8], row[9], row[10], row[11], row[12]};
            QCOMPARE(p.number, QString::number(++perClass[p.className]));
            const StoredProductName split = StoredProductName::Split(p.productName);
            QVERIFY2(!split.name.isEmpty() && p.key.contains(split.typeCode),
                     qPrintable(p.productName));
            const QString productDir =
                p.className + QLatin1Char('/') + p.productName + QLatin1Char('/');
            for (const QString& source : {p.opath, p.oIntroduce, p.oAddProcess, p.oTecReference})
                QVERIFY2(source.startsWith(media + QLatin1Char('/') + productDir),
                         qPrintable(source));
            if (published) {
                QCOMPARE(
                    p.dpath,
                    QStringLiteral("pic/%1/%2").arg(p.className, QFileInfo(p.opath).fileName()));
                for (const QString& d : {p.pIntroduce, p.pAddProcess, p.pTecReference})
                    QVERIFY2(d.startsWith(QStringLiteral("pic/") + productDir), qPrintable(d));
            } else {
                QVERIFY(p.dpath.isEmpty() && p.pIntroduce.isEmpty());
            }
            formats << DecodedFormat(fileOf(p.opath, p.dpath));
            for (const QString& doc :
                 {fileOf(p.oIntroduce, p.pIntroduce), fileOf(p.oAddProcess, p.pAddProcess),
                  fileOf(p.oTecReference, p.pTecReference)}) {
                QVERIFY2(QFileInfo::exists(doc), qPrintable(doc));
                QStringList pages = {doc};
                if (QFileInfo(doc).isDir()) {  // a folder document: its pictures in name order
                    pages.clear();
                    for (const QFileInfo& fi : QDir(doc).entryInfoList(QDir::Files, QDir::Name))
                        pages << fi.absoluteFilePath();
                    QCOMPARE(pages.size(), 2);
                }
                for (const QString& page : pages) formats << DecodedFormat(page, &widest);
            }
            int number = 0;
            for (const QStringList& m : models) {
                if (m[1] != p.className || m[2] != p.productName) continue;
                const ModelFileRecord r{m[1], m[2], m[3], m[4], m[5], m[6], m[7]};
                QCOMPARE(r.number, QString::number(++number));
                const QString file =
                    published ? QDir(paths.ResolvePublished(r.dpath)).filePath(r.modelFile)
                              : r.opath;
                QVERIFY2(QFileInfo(file).size() > 20, qPrintable(file));
            }
            withModels += number > 0;
        }
        QVERIFY(!formats.contains(QByteArray()));
        QCOMPARE(formats, (QSet<QByteArray>{"jpeg", "png", "bmp", "gif", "tiff"}));
        QVERIFY2(widest > 3300, qPrintable(QString::number(widest)));
        QVERIFY(withModels > 0 && withModels < products.size());

        const Rows company = ReadTable(db, QStringLiteral("企业表"));
        QCOMPARE(company.size(), 1);
        const CompanyRecord c{company[0][1], company[0][2], company[0][3],
                              company[0][4], company[0][5], company[0][6]};
        QVERIFY(!DecodedFormat(fileOf(c.opath, c.dpath)).isEmpty());
        CIniFile ini(QDir(data).filePath(QStringLiteral("config.ini")));
        QCOMPARE(ini.GetString(QStringLiteral("SysInfo"), QStringLiteral("发布状态")),
                 published ? QStringLiteral("1") : QStringLiteral("0"));
    }

private slots:
    void initTestCase() {
        QVERIFY(m_tmp.isValid());
        m_demo = m_tmp.filePath(QStringLiteral("demo"));
        m_published = m_tmp.filePath(QStringLiteral("published"));
        QVERIFY(QDir().mkpath(m_demo));
        QVERIFY(WriteFile(QDir(m_demo).filePath(QStringLiteral("vistrel")), "\177ELF not really"));
        QString error;
        QVERIFY2(DemoInstaller::WriteDemo(m_demo, &error, DemoInstaller::Variant::Small),
                 qPrintable(error));
        QVERIFY2(DemoInstaller::WritePublished(m_published, &error, DemoInstaller::Variant::Small),
                 qPrintable(error));
    }

    void demoCatalogueIsConsistent() {
        QSet<QString> codes;
        for (const DemoProduct& p : DemoCatalogue::Products()) {
            QVERIFY2(!codes.contains(p.typeCode), qPrintable(p.typeCode));
            codes << p.typeCode;
            // Type codes become file names and stored names are split at "@".
            QVERIFY(!p.typeCode.contains(QLatin1Char('/')));
            QCOMPARE(StoredProductName::Split(p.StoredName()).typeCode, p.typeCode);
            const DimensionTable t = DemoCatalogue::Table(p);
            QVERIFY2(t.highlight >= 0, qPrintable(p.typeCode));
            for (const QStringList& row : t.rows) QCOMPARE(row.size(), t.header.size());
            QCOMPARE(p.ModelNotes().size(), p.ModelFiles().size());
        }
        QVERIFY(codes.size() >= 40);
    }

    void authoringDemoIsComplete() { CheckInstallation(m_demo, false); }
    void publishedCopyUsesRelativePicPaths() { CheckInstallation(m_published, true); }

    // Sizes and filled areas only: captions depend on the installed fonts.
    void skinBitmapsFollowTheLayout() {
        const QDir data(DemoInstaller::DataFolder(m_demo));
        auto load = [&](const QString& name) { return QImage(data.filePath(name + ".bmp")); };
        const QList<std::pair<QString, QSize>> sizes = {
            {"top", {2560, 59}},    {"bottom", {2560, 30}}, {"产品中心", {96, 36}},
            {"系统发布", {96, 36}}, {"返回", {72, 28}},     {"search", {28, 24}},
            {"QQ", {96, 30}},       {"min", {32, 19}},      {"close", {32, 19}}};
        for (const auto& [name, size] : sizes) {
            QCOMPARE(ReadFile(data.filePath(name + ".bmp")).mid(28, 2), QByteArray("\x18\x00", 2));
            for (const QString& state : {QString(), QStringLiteral("1"), QStringLiteral("2")})
                if (!name.startsWith(QLatin1String("top")) && name != QLatin1String("bottom"))
                    QCOMPARE(load(name + state).size(), size);
            QCOMPARE(load(name).size(), size);
        }
        // The bands repeat along x (the top one beyond the brand), so tiling shows no seam.
        const QImage top = load(QStringLiteral("top")), bottom = load(QStringLiteral("bottom"));
        for (int y = 0; y < top.height(); ++y)
            for (int x = SkinPainter::kBrandWidth; x < top.width(); x += 7)
                QCOMPARE(top.pixel(x, y), top.pixel(top.width() - 1, y));
        for (int y = 0; y < bottom.height(); ++y)
            for (int x = 0; x < bottom.width(); x += 7)
                QCOMPARE(bottom.pixel(x, y), bottom.pixel(0, y));
        // A plain button carries the band rows behind it at its edges; hover and pressed fill
        // it differently.
        const QList<std::tuple<QString, const QImage*, int>> onBand = {
            {"产品中心", &top, 14}, {"search", &top, 19}, {"close", &top, 5}, {"QQ", &bottom, 0}};
        for (const auto& [name, band, row] : onBand) {
            const QImage plain = load(name), hover = load(name + "1"), pressed = load(name + "2");
            for (int y = 0; y < plain.height(); ++y)
                QCOMPARE(plain.pixel(plain.width() - 1, y), band->pixel(1000, row + y));
            const int area = plain.width() * plain.height();
            QVERIFY2(DifferingPixels(plain, hover) > area / 10, qPrintable(name));
            QVERIFY2(DifferingPixels(hover, pressed) > area / 10, qPrintable(name));
        }
        // The cover picture fills the cover window.
        QCOMPARE(QImage(data.filePath(QStringLiteral("splash.jpg"))).size(),
                 CSplashDlg::WindowSize());
    }

    // A rerun writes the same bytes, leaves the executable alone and never replays a stale
    // journal; a rerun that fails keeps the old catalogue.
    void rerunIsByteIdenticalOrKeepsTheOld() {
        const QMap<QString, QByteArray> first = HashTree(m_demo);
        QVERIFY(first.contains(QStringLiteral("vistrel")));
        const QString file =
            QDir(DemoInstaller::DataFolder(m_demo)).filePath(QStringLiteral("数据.db"));
        const QString journal = file + QStringLiteral("-journal");
        QVERIFY(WriteFile(journal, QByteArray(4096, 'x')));
        QString error;
        QVERIFY2(DemoInstaller::WriteDemo(m_demo, &error, DemoInstaller::Variant::Small),
                 qPrintable(error));
        QVERIFY(!QFileInfo::exists(journal));
        QCOMPARE(HashTree(m_demo), first);

        const QByteArray before = ReadFile(file);
        QVERIFY(QDir().mkpath(file + QStringLiteral(".new/x")));  // in the way of the new file
        QVERIFY(!DemoInstaller::WriteDemo(m_demo, &error, DemoInstaller::Variant::Small));
        QVERIFY(!error.isEmpty());
        QCOMPARE(ReadFile(file), before);
    }

    void refusesAMediaFolderItDidNotWrite() {
        const QString folder = m_tmp.filePath(QStringLiteral("foreign"));
        const QString media = DemoInstaller::MediaFolder(folder);
        QVERIFY(QDir().mkpath(media));
        const QString mine = QDir(media).filePath(QStringLiteral("我的照片.jpg"));
        QVERIFY(WriteFile(mine, "keep me"));
        QString error;
        QVERIFY(!DemoInstaller::WriteDemo(folder, &error, DemoInstaller::Variant::Small));
        QVERIFY(error.contains(media));
        QCOMPARE(ReadFile(mine), QByteArray("keep me"));
    }

    // Our own GIF encoder: exact round trips, clear codes once the code table fills up.
    // One command makes a complete empty installation: the program without its symbols, the
    // skin, an empty catalogue and 发布状态=0, with nothing of the demo company.
    void newInstallationIsCompleteAndEmpty() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("我的 目录"));
        const QString exe = QStringLiteral(VISTREL_EXE);
        QString error;
        QVERIFY2(DemoInstaller::WriteNew(folder, exe, &error), qPrintable(error));
        const QFileInfo copy(folder + QStringLiteral("/vistrel"));
        QVERIFY(copy.isExecutable());
        QVERIFY(copy.size() < QFileInfo(exe).size());
        const QString data = DemoInstaller::DataFolder(folder);
        for (const SkinPainter::Bitmap& b : SkinPainter::SkinBitmaps())
            QVERIFY2(QFileInfo::exists(data + '/' + b.fileName), qPrintable(b.fileName));
        QVERIFY(QFileInfo::exists(data + QStringLiteral("/splash.jpg")));
        const CIniFile ini(data + QStringLiteral("/config.ini"));
        QCOMPARE(ini.GetString(QStringLiteral("SysInfo"), QStringLiteral("发布状态")),
                 QStringLiteral("0"));
        QCOMPARE(ini.GetString(QStringLiteral("SysInfo"), QStringLiteral("企业名称")), QString());
        QVERIFY(CatalogueDb().Open(CatalogueDb::CatalogueFile(data)));
        // A second run never overwrites someone's catalogue.
        const QFileInfo before(CatalogueDb::CatalogueFile(data));
        QVERIFY(!DemoInstaller::WriteNew(folder, exe, &error));
        QVERIFY2(error.contains(QStringLiteral("exists")), qPrintable(error));
        QCOMPARE(QFileInfo(before.filePath()).lastModified(), before.lastModified());
        // Without the program there is nothing to run: refused before anything is written.
        QVERIFY(!DemoInstaller::WriteNew(dir.filePath("b"), dir.filePath("none"), &error));
        QVERIFY(!QFileInfo::exists(dir.filePath("b")));
    }

    void gifRoundTrip_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("colours");
        QTest::newRow("few colours") << 37 << 23 << 5;
        QTest::newRow("noise, full palette") << 640 << 480 << 256;
        QTest::newRow("more colours than a palette") << 300 << 200 << 4000;
    }
    void gifRoundTrip() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, colours);
        QImage image(width, height, QImage::Format_RGB32);
        quint32 seed = 12345;
        auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
        QList<QRgb> palette;
        for (int i = 0; i < colours; ++i) palette << (0xff000000u | (next() & 0xffffff));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) image.setPixel(x, y, palette[next() % colours]);
        const QString file = m_tmp.filePath(QStringLiteral("round.gif"));
        QString error;
        QVERIFY2(DemoInstaller::SavePicture(image, file, PictureFormat::Gif, &error),
                 qPrintable(error));
        const QImage decoded = QImage(file, "gif").convertToFormat(QImage::Format_RGB32);
        const QImage expected = GifWriter::Quantize(image).convertToFormat(QImage::Format_RGB32);
        if (colours <= 256) QCOMPARE(expected, image);  // no colour lost when they all fit
        QCOMPARE(decoded, expected);
    }
};

QTEST_MAIN(TestInstaller)
#include "tst_installer.moc"
