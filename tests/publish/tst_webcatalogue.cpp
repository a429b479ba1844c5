// The web catalogue's generator without a browser: what it writes for the published demo, for a
// catalogue of hostile names and paths, and that a file it cannot write fails the publish.
#include <sys/stat.h>

#include <QImageReader>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include "TestFiles.h"
#include "publish/FileCopier.h"
#include "publish/PlainTiff.h"
#include "publish/PublishCommand.h"
#include "publish/PublishOperation.h"
#include "publish/WebCatalogue.h"
#include "publish/WebCatalogueWriter.h"
#include "publish/WebPictures.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueSchema.h"
#include "store/Statements.h"
#include "tools/install/DemoInstaller.h"

namespace {

// The data of one web/data script, which must be exactly one call of the page's loader.
QJsonObject Data(const QString& copy, const QString& name) {
    QFile file(QDir(copy).filePath("web/data/" + name + ".js"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray text = file.readAll();
    const QByteArray head = "vistrelData(\"" + name.toUtf8() + "\",";
    if (!text.startsWith(head) || !text.endsWith(");\n")) return {};
    QJsonParseError error;
    const QJsonDocument doc =
        QJsonDocument::fromJson(text.mid(head.size(), text.size() - head.size() - 3), &error);
    return error.error == QJsonParseError::NoError ? doc.object() : QJsonObject{};
}

int RunWeb(const QStringList& args, QString* out = nullptr, QString* err = nullptr) {
    QString o, e;
    QTextStream os(&o), es(&e);
    const int code = PublishCommand::RunWeb(args, os, es);
    if (out) *out = o;
    if (err) *err = e;
    return code;
}

}  // namespace

class TestWebCatalogue : public QObject {
    Q_OBJECT
private slots:
    // The demo published as a web catalogue alone: every category in order with its count, its
    // grid and details in files of their own, thumbnails at 1x and 2x, folder documents as
    // their pictures, pictures browsers cannot show converted, model files with their sizes.
    void publishedDemo() {
        QTemporaryDir tmp;
        const QString inst = tmp.filePath("inst"), root = tmp.filePath("root");
        QVERIFY(DemoInstaller::WriteDemo(inst, nullptr, DemoInstaller::Variant::Small));
        QString out, err;
        QCOMPARE(RunWeb({inst, root}, &out, &err), 0);
        const QString copy = root + "/Vistrel";
        QVERIFY2(out.endsWith(copy + "/index.html\n"), qPrintable(out));
        for (const char* file : {"index.html", "web/app.js", "web/style.css"})
            QVERIFY2(QFileInfo(QDir(copy).filePath(file)).size() > 100, file);
        // A preview: no program, no runtime.
        QVERIFY(!QFileInfo::exists(copy + "/Vistrel") && !QFileInfo::exists(copy + "/lib"));

        CatalogueDb db;
        QVERIFY(db.Open(CatalogueDb::CatalogueFile(copy + "/sysfile")));
        QStringList classes;
        QSqlQuery q(db.Database());
        QVERIFY(q.exec("select ClassName from [大类表] order by Number"));
        while (q.next()) classes << q.value(0).toString();
        QVERIFY(classes.size() >= 2);

        const QJsonObject catalogue = Data(copy, "catalogue");
        const QJsonArray categories = catalogue["categories"].toArray();
        QCOMPARE(categories.size(), classes.size());
        int total = 0, thumbs = 0, folders = 0, converted = 0, models = 0;
        for (int c = 0; c < classes.size(); ++c) {
            QCOMPARE(categories[c][0].toString(), classes[c]);
            QSqlQuery products(db.Database());
            products.prepare(
                "select ProductName, Dpath from [小类表] where ClassName=? order by Number");
            products.addBindValue(classes[c]);
            QVERIFY(products.exec());
            const QJsonArray grid = Data(copy, QString("c%1").arg(c))["p"].toArray();
            const QJsonArray details = Data(copy, QString("d%1").arg(c))["p"].toArray();
            QCOMPARE(categories[c][1].toInt(), grid.size());
            QCOMPARE(details.size(), grid.size());
            for (int p = 0; products.next(); ++p) {
                QCOMPARE(grid[p][0].toString(), products.value(0).toString());
                const int kind = grid[p][1].toInt();
                QCOMPARE(kind != 0, !products.value(1).toString().isEmpty());
                if (kind) {
                    const QString base = copy + QString("/web/thumbs/%1/%2").arg(c).arg(p);
                    const QString ext = kind == 2 ? ".png" : ".jpg";
                    const QImage x1(base + ext), x2(base + "-2x" + ext);
                    QVERIFY(!x1.isNull() && !x2.isNull());
                    QVERIFY(qMax(x1.width(), x1.height()) <= WebCatalogue::kCell);
                    QVERIFY(qMax(x2.width(), x2.height()) > WebCatalogue::kCell);
                    ++thumbs;
                }
                for (const QJsonValue& doc : details[p][0].toArray()) {
                    const QJsonArray pictures = doc.toArray();
                    folders += pictures.size() > 1;
                    for (const QJsonValue& picture : pictures) {
                        const QString url = picture[0].toString();
                        converted += url.startsWith("web/pics/");
                        QVERIFY2(url.startsWith("pic/") || url.startsWith("web/pics/"),
                                 qPrintable(url));
                        QVERIFY2(!QImage(QDir(copy).filePath(url)).isNull(), qPrintable(url));
                        QVERIFY(picture[1].toInt() > 0 && picture[2].toInt() > 0);
                    }
                }
                for (const QJsonValue& model : details[p][1].toArray()) {
                    const QFileInfo file(QDir(copy).filePath(model[3].toString()));
                    QVERIFY(file.isFile());
                    QCOMPARE(file.fileName(), model[0].toString());
                    QCOMPARE(model[1].toInteger(), file.size());
                    ++models;
                }
                ++total;
            }
        }
        QVERIFY(thumbs > 0 && folders > 0 && converted > 0 && models > 0);
        QVERIFY(!QFileInfo::exists(copy + "/.web-pictures"));  // moved into web/pics
        const QJsonObject search = Data(copy, "search");
        QCOMPARE(search["k"].toArray().size(), total);
        QCOMPARE(search["n"].toArray().size(), total);
        const QJsonObject company = catalogue["company"].toObject();
        QVERIFY(QFileInfo(QDir(copy).filePath(company["picture"].toString())).isFile());
        QVERIFY(catalogue["chat"]["href"].toString().contains("/msgrd?v=3&uin="));

        // Publishing again replaces the web folder: nothing of the first run is left over, and
        // what is made from unchanged pictures is the same file, linked; a changed picture's
        // thumbnails are made afresh.
        QVERIFY(QDir().mkpath(copy + "/web/data/stale"));
        const auto inode = [&copy](const QString& relative) -> quint64 {
            struct stat st {};
            return ::stat(QFile::encodeName(QDir(copy).filePath(relative)).constData(), &st) == 0
                       ? st.st_ino
                       : 0;
        };
        const QString pics = QDir(copy + "/web/pics").entryList(QDir::Files).value(0);
        const QString first = "web/thumbs/0/0.jpg", second = "web/thumbs/0/1-2x.jpg";
        const QList<quint64> before = {inode(first), inode(second), inode("web/pics/" + pics)};
        QSqlQuery source(db.Database());
        source.prepare("select Opath from [小类表] where ClassName=? order by Number limit 1");
        source.addBindValue(classes[0]);
        QVERIFY(source.exec() && source.next());
        QFile touched(source.value(0).toString());
        QVERIFY(touched.open(QIODevice::ReadWrite) &&
                touched.setFileTime(QDateTime::currentDateTime().addDays(1),
                                    QFileDevice::FileModificationTime));
        touched.close();
        QCOMPARE(RunWeb({inst, root}), 0);
        QVERIFY(!QFileInfo::exists(copy + "/web/data/stale"));
        QVERIFY(before[0] != inode(first) && inode(first) != 0 && before[1] != 0);
        QCOMPARE(QList<quint64>({inode(second), inode("web/pics/" + pics)}), before.mid(1));
    }

    // Names are data: they come back exactly, whatever they hold; paths that would lead out of
    // the copy are dropped; a missing model file has no path; refused web sites get no link.
    void hostileNames() {
        QTemporaryDir tmp;
        const QString copy = tmp.path();
        QVERIFY(QDir().mkpath(copy + "/sysfile"));
        QVERIFY(CatalogueSchema::CreateEmpty(CatalogueDb::CatalogueFile(copy + "/sysfile")));
        const QString cls = "<b>类 #?%</b> \"x\"";
        const QString product = "<img src=x onerror=alert(1)>@</script>\u2028T-1";
        const QString folder = "pic/" + cls + "/p #1?%";
        QVERIFY(QDir().mkpath(QDir(copy).filePath(folder)));
        QImage picture(600, 400, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(QDir(copy).filePath(folder + "/a 1.jpg")));
        QVERIFY(TestFiles::WriteFile(QDir(copy).filePath(folder + "/m #1.stp"), "solid"));
        {
            CatalogueDb db;
            QVERIFY(db.Open(CatalogueDb::CatalogueFile(copy + "/sysfile")));
            QVERIFY(db.ExecuteAll({
                {Sql::InsertCategory, {cls}},
                {Sql::InsertProduct, {1, cls, product, "K<1>", "", "", "", ""}},
                {Sql::InsertProduct, {2, cls, "escape@E", "k", "", "", "", ""}},
                {Sql::SetProductPIntroduce, {folder + "/a 1.jpg", cls, product}},
                {Sql::SetProductPAddProcess, {"pic/../../etc/passwd", cls, product}},
                {Sql::SetProductDpath, {"pic/" + cls + "/../../x.jpg", cls, "escape@E"}},
                {Sql::InsertModel, {cls, product, "m #1.stp", 1, "/src/m.stp"}},
                {Sql::InsertModel, {cls, product, "gone.stp", 2, "/src/gone.stp"}},
                {Sql::InsertModel, {cls, product, "../up.stp", 3, "/src/up.stp"}},
                {Sql::UpdateCompany, {"", "<script>alert(1)</script>", "javascript:alert(1)"}},
            }));
            QSqlQuery q(db.Database());
            q.prepare("update [3D模型表] set Dpath=?, Note=? where [3DModel]=?");
            for (const char* file : {"m #1.stp", "gone.stp", "../up.stp"}) {
                q.addBindValue(folder);
                q.addBindValue(file[0] == 'm' ? "<i>备注</i>" : "");
                q.addBindValue(file);
                QVERIFY(q.exec());
            }
        }
        // as publishing names it
        QVERIFY(TestFiles::WriteFile(QDir(copy).filePath(folder + "/.._up.stp"), "up"));
        QString error;
        QVERIFY2(WebCatalogueWriter::Write(copy, &error), qPrintable(error));

        QCOMPARE(Data(copy, "catalogue")["categories"][0][0].toString(), cls);
        QCOMPARE(Data(copy, "c0")["p"][0][0].toString(), product);
        QCOMPARE(Data(copy, "c0")["p"][1][1].toInt(), 0);  // its picture path leads out
        QCOMPARE(Data(copy, "search")["k"][0].toString(), "K<1>");
        const QJsonArray details = Data(copy, "d0")["p"][0].toArray();
        QCOMPARE(details[0][0][0][0].toString(), folder + "/a 1.jpg");
        QCOMPARE(details[0][1].toArray().size(), 0);  // set but leading out: an empty page
        QVERIFY(details[0][2].isNull());              // not set: the tab is disabled
        QCOMPARE(details[1][0][0].toString(), "m #1.stp");
        QCOMPARE(details[1][0][1].toInt(), 5);
        QCOMPARE(details[1][0][2].toString(), "<i>备注</i>");
        QCOMPARE(details[1][0][3].toString(), folder + "/m #1.stp");
        QCOMPARE(details[1][1][1].toInt(), -1);
        QCOMPARE(details[1][1][3].toString(), QString());
        QCOMPARE(details[1][2][0].toString(), "../up.stp");
        QCOMPARE(details[1][2][3].toString(), folder + "/.._up.stp");
        const QJsonObject company = Data(copy, "catalogue")["company"].toObject();
        QCOMPARE(company["text"].toString(), "<script>alert(1)</script>");
        QCOMPARE(company["href"].toString(), QString());

        // No data file holds a raw line separator or a closing script tag as it came in.
        const QByteArray grid = TestFiles::ReadFile(copy + "/web/data/c0.js");
        QVERIFY(grid.contains("<img src=x onerror=alert(1)>"));
        QVERIFY(!grid.contains("\xe2\x80\xa8"));

        QCOMPARE(WebCatalogue::CopyRelative("pic/a/b.jpg"), "pic/a/b.jpg");
        QCOMPARE(WebCatalogue::CopyRelative("pic//b.jpg"), QString());
        QCOMPARE(WebCatalogueWriter::ViewerRules(copy).webLink("https://www.example.com/a?b=1"),
                 "http://www.example.com/a?b=1");
    }

    // Pictures converted while the files are copied are taken only while the copy's file is the
    // one converted; damaged ones are simply not there to take.
    void convertedBeforehand() {
        QTemporaryDir tmp;
        const QDir images(VISTREL_TESTDATA_IMAGES);
        QThreadPool pool;
        WebPictures pictures(pool);
        const QStringList names = {
            "hopper.tif", "crash-0c7e0e8e11ce787078f00b5b0ca409a167f070e0.tif", "hopper.jpg"};
        QList<WebPictures::Picture> list;
        for (const QString& name : names) list.append({images.filePath(name), "pic/" + name});
        pictures.Start(tmp.filePath("converted"), list);
        pictures.Wait();
        for (const QString& name : names) {
            const QString copied = tmp.filePath(name);
            FileCopier copier;
            QCOMPARE(copier.Copy(images.filePath(name), copied), FileCopier::Result::Copied);
            WebPictures::Form form;
            const QString file = pictures.Take("pic/" + name, copied, &form);
            QCOMPARE(file.isEmpty(), name != "hopper.tif");
            if (file.isEmpty()) continue;
            QCOMPARE(QImage(file).size(), form.shown);
            QCOMPARE(form.shown, QImageReader(copied).size());
            QFile touched(copied);
            QVERIFY(touched.open(QIODevice::ReadWrite) &&
                    touched.setFileTime(QDateTime::currentDateTime().addDays(1),
                                        QFileDevice::FileModificationTime));
            touched.close();
            QVERIFY(pictures.Take("pic/" + name, copied, &form).isEmpty());
        }
    }

    // Plain document TIFFs are read directly, pixel for pixel as Qt reads them; every other
    // kind, and damaged files, are left to Qt's reader without a crash.
    void plainTiffs() {
        QTemporaryDir tmp;
        const QDir images(VISTREL_TESTDATA_IMAGES);
        const QImage hopper(images.filePath("hopper.tif"));
        QVERIFY(!hopper.isNull());
        QCOMPARE(PlainTiff::Read(images.filePath("hopper.tif")),
                 hopper.convertToFormat(QImage::Format_RGB888));
        // LZW as scanners write them, in colour and in grey.
        const QImage colour = hopper.convertToFormat(QImage::Format_RGB888);
        const QImage grey = hopper.convertToFormat(QImage::Format_Grayscale8);
        for (const QImage& image : {colour, grey}) {
            const QString file = tmp.filePath(QString("lzw-%1.tif").arg(image.format()));
            QImageWriter writer(file, "tiff");
            writer.setCompression(1);
            QVERIFY(writer.write(image));
            const QImage read = PlainTiff::Read(file);
            QCOMPARE(read.format(), image.format());
            QCOMPARE(read, image);
            // Cut short: nothing, or the whole picture; never a crash.
            QFile whole(file);
            QVERIFY(whole.open(QIODevice::ReadOnly));
            const QByteArray bytes = whole.readAll();
            for (const qsizetype keep : {bytes.size() / 2, bytes.size() - 40, qsizetype(16)}) {
                QVERIFY(TestFiles::WriteFile(tmp.filePath("cut.tif"), bytes.left(keep)));
                const QImage cut = PlainTiff::Read(tmp.filePath("cut.tif"));
                QVERIFY(cut.isNull() || cut.size() == image.size());
            }
        }
        for (const char* other :
             {"crash-0c7e0e8e11ce787078f00b5b0ca409a167f070e0.tif", "12in16bit.tif",
              "multipage.tiff", "oom-225817ca0f8c663be7ab4b9e717b02c661e66834.tif",
              "tiff_16bit_RGB.tiff", "tiff_strip_cmyk_jpeg.tif", "hopper.jpg"})
            QVERIFY2(PlainTiff::Read(images.filePath(other)).isNull(), other);
        QVERIFY(PlainTiff::Read(tmp.filePath("missing.tif")).isNull());
    }

    // A web catalogue that cannot be written fails the publish, with its reason.
    void failedWriteFailsPublish() {
        QTemporaryDir tmp;
        const QString inst = tmp.filePath("inst"), root = tmp.filePath("root");
        QVERIFY(DemoInstaller::WriteDemo(inst, nullptr, DemoInstaller::Variant::Small));
        CatalogueDb db;
        const InstallPaths paths = InstallPaths::FromExecutable(inst + "/vistrel");
        QVERIFY(db.Open(CatalogueDb::CatalogueFile(paths.dataFolder)));
        PublishOperation operation(db, paths);
        operation.SetProgram(false);
        // Once the copy is being built, a folder stands where its page goes.
        operation.SetThumbnailProgress([&root](int, int) {
            const QDir dir(root);
            for (const QString& name :
                 dir.entryList({".vistrel-staging-*"}, QDir::Dirs | QDir::Hidden)) {
                QVERIFY(PublishOperation::IsWorkFolderName(name));
                QDir().mkpath(dir.filePath(name + "/index.html/x"));
            }
        });
        QStringList notices;
        QCOMPARE(operation.Run(
                     root, [](const QList<CopyJob>&) { return true; },
                     [&](const QString& text) { notices << text; }),
                 PublishOperation::Outcome::Failed);
        QCOMPARE(notices, QStringList{PublishOperation::FailureText()});
        QVERIFY2(operation.Errors().join('\n').contains("index.html"),
                 qPrintable(operation.Errors().join('\n')));
        QVERIFY(QDir(root).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        QString out, err;
        QCOMPARE(RunWeb({inst}, &out, &err), 2);
    }
};

QTEST_MAIN(TestWebCatalogue)
#include "tst_webcatalogue.moc"
