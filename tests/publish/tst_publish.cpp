// Publishing without a window, through the command line: the demo catalogue twice into one root,
// then the rows and roots that used to break a copy, and the copy started where the system's Qt
// cannot be found.
#include <sys/stat.h>

#include <QDirIterator>
#include <QLibraryInfo>
#include <QSqlQuery>
#include <QtTest>

#include "ScopedInstallation.h"
#include "TestImages.h"
#include "app/CIniFile.h"
#include "controls/ShippedThumbnails.h"
#include "controls/ThumbnailRenderer.h"
#include "publish/FileCopier.h"
#include "publish/PublishCommand.h"
#include "publish/PublishOperation.h"
#include "tools/install/DemoInstaller.h"

namespace {

struct Ran {
    int code;
    QString out, err;
};
Ran Publish(const QStringList& args) {
    Ran r;
    QTextStream out(&r.out), err(&r.err);
    r.code = PublishCommand::Run(args, out, err);
    return r;
}

void WriteExecutable(const QString& folder) {
    QFile exe(QDir(folder).filePath(QStringLiteral("vistrel")));
    QVERIFY(exe.open(QIODevice::WriteOnly) && exe.write("#!/bin/sh\n") > 0);
    exe.setPermissions(exe.permissions() | QFile::ExeOwner);
}

// Every relative path the copy's catalogue stores, each checked to name something in the copy;
// returns the rows' paths (empty ones included) for further checks.
QStringList CheckStoredPaths(const QString& copy) {
    CatalogueDb db;
    if (!db.Open(CatalogueDb::CatalogueFile(QDir(copy).filePath("sysfile")))) return {"no db"};
    QSqlQuery q(db.Database());
    q.exec("pragma integrity_check");
    if (!q.next() || q.value(0).toString() != "ok") return {"damaged"};
    QStringList paths;
    q.exec("select Dpath, PIntroduce, PAddProcess, PTecReference from [小类表]");
    while (q.next())
        for (int c = 0; c < 4; ++c) paths << q.value(c).toString();
    q.exec("select Dpath, [3DModel] from [3D模型表]");
    while (q.next())
        paths << q.value(0).toString() + '/' + FileCopier::SafeFileName(q.value(1).toString());
    q.exec("select Dpath from [企业表]");
    while (q.next()) paths << q.value(0).toString();
    for (const QString& p : paths)
        if (!p.isEmpty() && !QFileInfo::exists(QDir(copy).filePath(p))) return {"missing " + p};
    return paths;
}

const QString kNoRuntime =
    PublishOperation::SuccessText() + "\n" + PublishOperation::NeedsQtText() + "\n";

// The screen of an X server, and how many pixels two screens differ in.
QImage Grab(const QString& display) {
    QProcess import;
    import.start("import", {"-display", display, "-window", "root", "png:-"});
    import.waitForFinished(20000);
    return QImage::fromData(import.readAllStandardOutput(), "PNG")
        .convertToFormat(QImage::Format_RGB32);
}
qint64 Differing(const QImage& a, const QImage& b) {
    qint64 n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

// Runs the program in a mount namespace of its own with an empty folder over each folder and an
// empty file over each file of `hidden`; returns the screen once it stands still with most of it
// drawn, or a null image where the program ended.
QImage RunHidden(const QString& display, const QString& exe, const QStringList& hidden) {
    QProcess copy;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "QT_PLUGIN_PATH", "LD_LIBRARY_PATH"})
        env.remove(name);
    env.insert("DISPLAY", display);
    copy.setProcessEnvironment(env);
    copy.setProcessChannelMode(QProcess::MergedChannels);
    const char* script = R"(exe=$1; shift; for p; do
        if [ -d "$p" ]; then mount -t tmpfs none "$p"; else mount --bind /dev/null "$p"; fi || exit 9
        done; exec "$exe")";
    copy.start("unshare", QStringList{"-m", "--", "sh", "-c", script, "sh", exe} + hidden);
    copy.waitForStarted();
    QImage last;
    for (int second = 0; second < 90 && copy.state() == QProcess::Running; ++second) {
        QTest::qWait(1000);
        QImage screen = Grab(display), black = screen;
        black.fill(Qt::black);
        if (screen == last && Differing(screen, black) > screen.width() * screen.height() / 2)
            break;
        last = screen;
    }
    const bool running = copy.state() == QProcess::Running;
    copy.terminate();
    copy.waitForFinished(10000);
    if (!running) qWarning("the copy ended: %s", copy.readAll().constData());
    return running ? last : QImage();
}

}  // namespace

class TestPublish : public QObject {
    Q_OBJECT
private slots:
    void demoPublishedTwiceIntoOneRoot() {
        QTemporaryDir tmp;
        const QString inst = tmp.filePath("inst"), root = tmp.filePath("release");
        QString error;
        QVERIFY2(DemoInstaller::WriteDemo(inst, &error), qPrintable(error));
        WriteExecutable(inst);
        QFile cover(tmp.filePath("cover.jpg"));
        QVERIFY(cover.open(QIODevice::WriteOnly) && cover.write("cover") == 5);
        cover.close();
        const QString copy = QDir(root).filePath("Vistrel");
        for (int run = 0; run < 2; ++run) {
            const Ran r = Publish({inst, root, "--cover", cover.fileName()});
            QVERIFY2(r.code == 0 && r.out.contains(kNoRuntime), qPrintable(r.out + r.err));
            // Thumbnails are made once: the second run takes every one from the first.
            const int products = int(DemoCatalogue::Products().size());
            QVERIFY2(r.out.endsWith(
                         run == 0 ? QString("缓存 0，相机缩略图 0，解码 %1\n").arg(products)
                                  : QString("沿用上次发布 %1，桌面缓存 0，相机缩略图 0，解码 0\n")
                                        .arg(products)),
                     qPrintable(r.out));
            // One line per file copied; the second run links what did not change.
            QVERIFY2(run == 0 ? r.out.count("\n[") > 200 : r.out.count("\n[") < 5,
                     qPrintable(r.out));
            if (run == 0) {  // and a link where an earlier runtime was: it goes, not its target
                QFile::remove(QDir(copy).filePath("sysfile/top.bmp"));
                QVERIFY(QFile::link(tmp.path(), copy + "/lib"));
            }
        }
        QVERIFY(!QFileInfo(copy + "/lib").isSymLink() && cover.exists());
        QVERIFY(QFileInfo::exists(QDir(copy).filePath("sysfile/top.bmp")));  // written again
        QVERIFY(QFileInfo(QDir(copy).filePath("Vistrel")).isExecutable());
        for (const DemoCategory& c : DemoCatalogue::Categories())
            QVERIFY(QFileInfo(QDir(copy).filePath("pic/" + c.name)).isDir());
        const QStringList stored = CheckStoredPaths(copy);
        QVERIFY2(stored.size() > 100 && !stored.contains(QString()), qPrintable(stored.join('\n')));
        const CIniFile published(QDir(copy).filePath("sysfile/config.ini"));
        QCOMPARE(published.GetString("SysInfo", "发布状态"), "1");
        QCOMPARE(published.GetString("SysInfo", "企业QQ"), DemoCatalogue::CompanyQQ());
        QCOMPARE(
            CIniFile(QDir(inst).filePath("sysfile/config.ini")).GetString("SysInfo", "发布状态"),
            "0");
        QFile splash(QDir(copy).filePath("sysfile/splash.jpg"));
        QVERIFY(splash.open(QIODevice::ReadOnly) && splash.readAll() == "cover");

        // Every product picture has its thumbnail in the copy's catalogue, which the viewer
        // uses while the picture is unchanged, drawing what decoding would.
        QVERIFY(ShippedThumbnails::Open(CatalogueDb::CatalogueFile(copy + "/sysfile"),
                                        copy + "/pic", false));
        const QString picture = QDir(copy).filePath(stored.first());
        ThumbnailRenderer::Job job{picture, 140, 140, ThumbnailRenderer::Kind::Thumbnail, true};
        ThumbnailSource::Origin origin;
        ThumbnailSource::SetSources(ThumbnailSource::Shipped);
        const QImage shipped = ThumbnailRenderer::Render(job, &origin);
        QCOMPARE(origin, ThumbnailSource::Origin::Shipped);
        ThumbnailSource::SetSources(ThumbnailSource::NoSources);
        QVERIFY(TestImages::MeanDifference(shipped, ThumbnailRenderer::Render(job)) < 3);
        ThumbnailSource::SetSources(ThumbnailSource::Shipped);
        QFile touched(picture);
        QVERIFY(touched.open(QIODevice::ReadWrite) &&
                touched.setFileTime(QDateTime::currentDateTime().addDays(1),
                                    QFileDevice::FileModificationTime));
        touched.close();
        ThumbnailRenderer::Render(job, &origin);
        QCOMPARE(origin, ThumbnailSource::Origin::Decoded);
        ShippedThumbnails::Close();
        ThumbnailSource::SetSources(ThumbnailSource::AllSources);
        CatalogueDb db;
        QVERIFY(db.Open(CatalogueDb::CatalogueFile(copy + "/sysfile")));
        QSqlQuery q(db.Database());
        QVERIFY(q.exec("select count(*) from [缩略图表]") && q.next());
        QCOMPARE(q.value(0).toInt(), int(DemoCatalogue::Products().size()));
        q.finish();
        db.Close();
        // The copy carries the search index, which a copy on a disc (read-only) uses as well.
        CatalogueDb::SetWritableProbe([](const QString&) { return false; });
        CatalogueDb ro;
        const bool opened = ro.Open(CatalogueDb::CatalogueFile(copy + "/sysfile"));
        const bool indexed = ro.HasSearchIndex();
        CatalogueDb::SetWritableProbe(nullptr);
        QVERIFY(opened && indexed);
    }

    // The copy of the real program carries its runtime and shows the first category's
    // thumbnails where the system's Qt libraries, plugins and translations are out of sight.
    void publishedCopyRunsWithoutSystemQt() {
        if (QProcess::execute("unshare", {"-m", "true"}) != 0)
            QSKIP(
                "this machine forbids private mount namespaces (unshare -m), which hide the "
                "system's Qt from the copy");
        QProcess xvfb;  // a private X server on a free display, ended with the test
        xvfb.start("Xvfb",
                   {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-br"});
        if (!xvfb.waitForReadyRead(20000)) QSKIP("Xvfb cannot be started");
        const QString display = ":" + xvfb.readAllStandardOutput().trimmed();
        QTemporaryDir tmp;
        const QString inst = tmp.filePath("inst"), copy = tmp.filePath("root/Vistrel");
        QString error;
        QVERIFY2(DemoInstaller::WriteDemo(inst, &error), qPrintable(error));
        QVERIFY(QFile::copy(VISTREL_EXE, inst + "/vistrel"));
        const Ran r = Publish({inst, tmp.filePath("root")});
        QVERIFY2(r.code == 0 && r.out.contains("\n发布系统成功！\n"), qPrintable(r.out + r.err));
        QFile exe(copy + "/Vistrel");
        QVERIFY(exe.open(QIODevice::ReadOnly) && !exe.readAll().contains(".debug_info"));

        const QDir qtLibraries(QLibraryInfo::path(QLibraryInfo::LibrariesPath));
        QStringList hidden = {QLibraryInfo::path(QLibraryInfo::PluginsPath),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
        for (const QString& name : qtLibraries.entryList({"libQt6*"}, QDir::Files))
            hidden << qtLibraries.filePath(name);
        const QImage shown = RunHidden(display, exe.fileName(), hidden);
        // The same window with the pictures out of sight too: only the thumbnails differ.
        const QImage blank =
            RunHidden(display, exe.fileName(), hidden + QStringList{copy + "/pic"});
        QVERIFY(!shown.isNull() && !blank.isNull() && blank.size() == shown.size());
        const qint64 differ = Differing(shown, blank);
        QVERIFY2(differ > 10000 && differ < shown.width() * shown.height() / 4,
                 qPrintable(QString::number(differ)));
    }

    void rootsInsideTheInstallation_data() {
        QTest::addColumn<QString>("root");  // relative to the installation "Vistrel"
        QTest::addColumn<bool>("refused");
        QTest::newRow("in the data folder") << "sysfile/out" << true;
        QTest::newRow("the data folder") << "sysfile" << true;
        QTest::newRow("its Vistrel is the installation") << ".." << true;
        QTest::newRow("the installation itself") << "." << true;
        QTest::newRow("another authoring installation") << "../other" << true;
        QTest::newRow("a sub-folder") << "release" << false;
    }
    void rootsInsideTheInstallation() {
        QFETCH(QString, root);
        QFETCH(bool, refused);
        ScopedInstallation inst({.subfolder = "Vistrel"});
        WriteExecutable(inst.root);
        inst.Write("../other/sysfile/config.ini", "[SysInfo]\n发布状态=0\n");
        const QString target = QDir::cleanPath(inst.Path(root));
        const Ran r = Publish({inst.root, target});
        QCOMPARE(r.out.section("缩略图：", 0, 0),
                 (refused ? "不能发布到程序所在的文件夹\n" : kNoRuntime));
        QCOMPARE(QFileInfo::exists(QDir(target).filePath("Vistrel/pic")), !refused);
    }

    void hostileRowsStayInsideTheCopy() {
        QTemporaryDir outer;
        ScopedInstallation inst;
        WriteExecutable(inst.root);
        inst.Category("..", 1);
        const QString product = "../../esc@X", picture = inst.Write("media/p.png", "p");
        inst.Write("media/doc/top.txt", "t");
        inst.Write("media/doc/sub/x.txt", "x");
        inst.Product(1, "..", product, "k", picture,
                     {inst.Path("media/doc"), inst.Write("media/gone.png", "g"), ""});
        QFile::remove(inst.Path("media/gone.png"));  // deleted after authoring
        inst.Model("..", product, "../m.stp", 1, inst.Write("media/m.stp", "m"));
        const QString root = QDir(outer.path()).filePath("r"), copy = root + "/Vistrel";
        QVERIFY(QDir().mkpath(root));
        const Ran r = Publish({inst.root, root});
        QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
        QDirIterator all(outer.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
        while (all.hasNext()) {
            const QString path = all.next();
            QVERIFY2(path == root || path.startsWith(copy), qPrintable(path));
        }
        const QStringList stored = CheckStoredPaths(copy);
        QCOMPARE(stored.mid(0, 5), (QStringList{"pic/___/p.png", "pic/___/_._.._esc@X/doc", "", "",
                                                "pic/___/_._.._esc@X/3D模型/.._m.stp"}));
        QVERIFY(QFileInfo::exists(copy + "/pic/___/_._.._esc@X/doc/sub/x.txt"));
    }

    // Same-named pictures of one category publish as two files, each row showing its own; a
    // folder document's links that lead out of it publish nothing.
    void namesStayApartAndLinksStayInside() {
        QTemporaryDir outer;
        ScopedInstallation inst;
        WriteExecutable(inst.root);
        inst.Category("阀门", 1);
        inst.Write("media/doc/page.png", "page");
        const QString secret = inst.Write("secret/key.png", "secret");
        QVERIFY(QFile::link(secret, inst.Path("media/doc/linked.png")));
        QVERIFY(QFile::link(inst.Path("secret"), inst.Path("media/doc/away")));
        inst.Product(1, "阀门", "A@1", "a", inst.Write("media/a/产品图.png", "first"),
                     {inst.Path("media/doc"), "", ""});
        inst.Product(2, "阀门", "B@2", "b", inst.Write("media/b/产品图.png", "second"));
        const QString root = QDir(outer.path()).filePath("r"), copy = root + "/Vistrel";
        const Ran r = Publish({inst.root, root});
        QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
        const QStringList stored = CheckStoredPaths(copy);
        QCOMPARE(stored.at(0), "pic/阀门/产品图.png");
        QCOMPARE(stored.at(4), "pic/阀门/产品图 (2).png");
        for (const auto& [path, data] :
             {std::pair{stored.at(0), "first"}, {stored.at(4), "second"}}) {
            QFile f(QDir(copy).filePath(path));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), QByteArray(data));
        }
        const QDir doc(QDir(copy).filePath(stored.at(1)));
        QCOMPARE(doc.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"page.png"});
    }

    // A publish that fails part-way leaves the earlier copy as it was and nothing else under
    // the root; what a killed run left goes with the next run; a republish links the files
    // that did not change instead of copying them again.
    void publishIsAllOrNothing() {
        QTemporaryDir outer;
        ScopedInstallation inst;
        WriteExecutable(inst.root);
        inst.Category("阀门", 1);
        inst.Product(1, "阀门", "A@1", "a", inst.Write("media/a.png", "first"));
        inst.Product(2, "阀门", "B@2", "b", inst.Write("media/b.png", "second"));
        const QString root = outer.filePath("r"), copy = root + "/Vistrel";
        QVERIFY(Publish({inst.root, root}).code == 0);
        const auto snapshot = [&copy] {
            QMap<QString, QByteArray> files;
            QDirIterator it(copy, QDir::Files | QDir::Hidden | QDir::System,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                QFile f(it.next());
                files[QDir(copy).relativeFilePath(f.fileName())] =
                    f.open(QIODevice::ReadOnly) ? f.readAll() : "unreadable";
            }
            return files;
        };
        const auto underRoot = [&root] {
            return QDir(root).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                        QDir::NoDotAndDotDot);
        };
        const auto inode = [&copy](const QString& relative) {
            struct stat st {};
            return ::stat(QFile::encodeName(copy + "/" + relative).constData(), &st) == 0
                       ? st.st_ino
                       : ino_t(0);
        };
        const QMap<QString, QByteArray> before = snapshot();
        QVERIFY(before.contains("pic/阀门/a.png") && before.contains("Vistrel"));
        const ino_t unchanged = inode("pic/阀门/b.png");

        // Stopped in the middle of the copies, after the first file.
        inst.Write("media/a.png", "changed");
        PublishOperation operation(inst.Db(), inst.Parts().paths);
        QStringList notices;
        const auto halfway = [](const QList<CopyJob>& jobs) {
            FileCopier copier;
            return jobs.isEmpty() || (copier.Copy(jobs[0].source, jobs[0].destination), false);
        };
        QCOMPARE(operation.Run(root, halfway, [&](const QString& t) { notices << t; }),
                 PublishOperation::Outcome::Failed);
        QCOMPARE(notices, QStringList{PublishOperation::FailureText()});
        QCOMPARE(underRoot(), QStringList{"Vistrel"});
        QCOMPARE(snapshot(), before);

        // What killed runs left, and a failure later on: the program is gone.
        QVERIFY(QDir().mkpath(root + "/.vistrel-staging-1f2e/sysfile"));
        QFile(root + "/.vistrel-staging-1f2e/sysfile/.vistrel-ab12.db").open(QIODevice::WriteOnly);
        QVERIFY(QDir().mkpath(root + "/.vistrel-old-9c/pic"));
        QVERIFY(QFile::remove(inst.Path("vistrel")));
        QCOMPARE(Publish({inst.root, root}).code, 1);
        QCOMPARE(underRoot(), QStringList{"Vistrel"});
        QCOMPARE(snapshot(), before);

        // Where a killed run had moved the earlier copy aside, it comes back.
        QVERIFY(QDir(root).rename("Vistrel", ".vistrel-old-77"));
        QCOMPARE(Publish({inst.root, root}).code, 1);
        QCOMPARE(underRoot(), QStringList{"Vistrel"});
        QCOMPARE(snapshot(), before);

        WriteExecutable(inst.root);
        const Ran r = Publish({inst.root, root});
        QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
        QCOMPARE(underRoot(), QStringList{"Vistrel"});
        QCOMPARE(snapshot().value("pic/阀门/a.png"), QByteArray("changed"));
        QCOMPARE(inode("pic/阀门/b.png"), unchanged);
        QVERIFY(CheckStoredPaths(copy).contains("pic/阀门/b.png"));
    }

    void failuresAreReported_data() {
        QTest::addColumn<bool>("executable");
        QTest::addColumn<QString>("root");  // relative to the installation
        QTest::newRow("unwritable root") << true << "blocker/root";
        QTest::newRow("no executable to copy") << false << "release";
    }
    void failuresAreReported() {
        QFETCH(bool, executable);
        QFETCH(QString, root);
        ScopedInstallation inst;
        if (executable) WriteExecutable(inst.root);
        inst.Write("blocker", "a file, not a folder");
        const Ran r = Publish({inst.root, inst.Path(root)});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.out.endsWith("发布系统失败！\n") && !r.err.isEmpty(), qPrintable(r.out));
    }
};

QTEST_MAIN(TestPublish)
#include "tst_publish.moc"
