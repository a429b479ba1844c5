// Publishing without a window, through the command line: the demo catalogue twice into one root,
// then the rows and roots that used to break a copy.
#include <QDirIterator>
#include <QSqlQuery>
#include <QtTest>

#include "ScopedInstallation.h"
#include "app/CIniFile.h"
#include "publish/FileCopier.h"
#include "publish/PublishCommand.h"
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
            QVERIFY2(r.code == 0 && r.out.endsWith("发布系统成功！\n"), qPrintable(r.out + r.err));
            QVERIFY(r.out.count("\n[") > 200);  // one line per file
            if (run == 0) QFile::remove(QDir(copy).filePath("sysfile/top.bmp"));
        }
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
        QCOMPARE(r.out, (refused ? "不能发布到程序所在的文件夹\n" : "发布系统成功！\n"));
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
