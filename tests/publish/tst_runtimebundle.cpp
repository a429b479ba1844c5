// What a published copy bundles of the Qt runtime: the loader's answer read, and the choice made
// for the real program: Qt and what it needs in, the base system and what that needs out.
#include <QTemporaryDir>
#include <QtTest>

#include "publish/RuntimeBundle.h"

class TestRuntimeBundle : public QObject {
    Q_OBJECT
private slots:
    void lddAnswers() {
        QMap<QString, QString> found;
        QStringList missing;
        QVERIFY(RuntimeBundle::ParseLdd("\tlibgone.so.2 => not found\n", found, missing));
        QCOMPARE(missing, QStringList{"libgone.so.2"});
        QVERIFY(!RuntimeBundle::ParseLdd("\tnot a dynamic executable\n", found, missing));
    }

    void theRealProgram() {
        RuntimeBundle bundle(VISTREL_EXE);
        QVERIFY2(bundle.Find(), qPrintable(bundle.Why()));
        const QStringList libraries = bundle.Libraries().keys(), plugins = bundle.Plugins().keys();
        for (const char* name : {"libQt6Widgets.so.6", "libQt6XcbQpa.so.6", "libsqlite3.so.0",
                                 "libjpeg.so.62", "libxcb-icccm.so.4"})
            QVERIFY2(libraries.contains(name), name);
        // libpng16 only because freetype needs it.
        for (const char* name : {"libc.so.6", "libstdc++.so.6", "libX11.so.6", "libxcb-randr.so.0",
                                 "libfontconfig.so.1", "libpng16.so.16", "libGLX.so.0"})
            QVERIFY2(bundle.LeftOut().contains(name) && !libraries.contains(name), name);
        for (const char* name : {"platforms/libqxcb.so", "sqldrivers/libqsqlite.so",
                                 "imageformats/libqjpeg.so", "imageformats/libqtiff.so"})
            QVERIFY2(plugins.contains(name), name);
        QVERIFY(!plugins.contains("platforms/libqoffscreen.so"));
        QVERIFY(!plugins.contains("imageformats/libqwebp.so"));
        QCOMPARE(bundle.Translations().keys(), QStringList{"qtbase_zh_CN.qm"});

        // A republish takes the earlier copy's answer while every file it came from is as it was.
        QTemporaryDir copy;
        const QString exe = copy.filePath("vistrel");
        QVERIFY(QFile::copy(VISTREL_EXE, exe) && QDir(copy.path()).mkdir("lib"));
        RuntimeBundle first(exe);
        QVERIFY(first.Find(copy.path()) && !first.FromEarlierCopy());
        QString error;
        QVERIFY2(first.WriteRecord(copy.path(), &error), qPrintable(error));
        RuntimeBundle again(exe);
        QVERIFY(again.Find(copy.path()) && again.FromEarlierCopy());
        QCOMPARE(again.Libraries(), first.Libraries());
        QCOMPARE(again.LeftOut(), first.LeftOut());
        QCOMPARE(again.Plugins(), first.Plugins());
        QCOMPARE(again.Translations(), first.Translations());
        QCOMPARE(again.Libraries(), bundle.Libraries());
        // A rebuilt program asks the loader again.
        QFile touched(exe);
        QVERIFY(touched.open(QIODevice::ReadWrite) &&
                touched.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                    QFileDevice::FileModificationTime));
        touched.close();
        QVERIFY(again.Find(copy.path()) && !again.FromEarlierCopy());
        QCOMPARE(again.Libraries(), first.Libraries());
        // A record that names a file it never looked at, or a name that leaves lib/, is ignored.
        QVERIFY(again.WriteRecord(copy.path(), &error));
        QFile record(QDir(copy.path()).filePath(RuntimeBundle::RecordName()));
        QVERIFY(record.open(QIODevice::ReadOnly));
        const QByteArray good = record.readAll();
        record.close();
        const QString core = again.Libraries().value("libQt6Core.so.6");
        for (const auto& [from, to] :
             {std::pair<QString, QString>{"\"libQt6Core.so.6\":\"" + core,
                                          "\"libQt6Core.so.6\":\"/etc/passwd"},
              {"\"libQt6Core.so.6\":", "\"../libQt6Core.so.6\":"}}) {
            QByteArray bad = good;
            QVERIFY2(bad.contains(from.toUtf8()), qPrintable(from));
            bad.replace(from.toUtf8(), to.toUtf8());
            QVERIFY(record.open(QIODevice::WriteOnly | QIODevice::Truncate) && record.write(bad));
            record.close();
            RuntimeBundle tampered(exe);
            QVERIFY(tampered.Find(copy.path()) && !tampered.FromEarlierCopy());
            QCOMPARE(tampered.Libraries(), first.Libraries());
        }

        QTemporaryDir noQt;
        bundle.SetQtFolders(noQt.path(), noQt.path());
        QVERIFY(!bundle.Find() && bundle.Why().startsWith("no platforms plugin"));
    }
};

QTEST_MAIN(TestRuntimeBundle)
#include "tst_runtimebundle.moc"
