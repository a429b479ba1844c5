// Hostile files where pictures are read or copied: tiny files that declare huge pictures, and
// special files. Each gives a picture or a clean empty result, never a hang or gigabytes.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <cstdio>
#include <thread>

#include "HostilePictures.h"
#include "TestFiles.h"
#include "app/CSplashDlg.h"
#include "controls/CSkinBtn.h"
#include "controls/PictureLoader.h"
#include "controls/ThumbnailRenderer.h"
#include "publish/FileCopier.h"
#include "viewer/DocPictures.h"

using Kind = ThumbnailRenderer::Kind;

namespace {

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Run in a child process, so that no other decode of the test raises the peak first: decodes
// `file` the way `way` does and prints by how much the peak memory grew, in KiB.
int DecodeInChild(const QString& way, const QString& file) {
    const long before = PeakKiB();
    if (way == QLatin1String("thumbnail")) {
        ThumbnailRenderer::Render({file, 140, 140, Kind::Thumbnail, true});
    } else if (way == QLatin1String("page")) {
        const QSize shown = DocPictures::ShownSize(PictureLoader::ReadSize(file));
        ThumbnailRenderer::Render({file, shown.width(), shown.height(), Kind::Picture, false});
    } else {
        PictureLoader::LoadFull(file);
    }
    std::printf("%ld\n", PeakKiB() - before);
    return 0;
}

}  // namespace

class TestHostilePictures : public QObject {
    Q_OBJECT
private slots:
    void tinyFilesDeclaringHugePicturesStaySmall_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("RLE BMP") << "rle8.bmp" << HostilePictures::RleBmp(10000, 10000);
        QTest::newRow("8-bit TIFF") << "grey.tif" << HostilePictures::StripTiff(10000, 10000, 8);
        QTest::newRow("1-bit TIFF") << "mono.tif" << HostilePictures::StripTiff(10000, 10000, 1);
        QTest::newRow("GIF screen") << "screen.gif" << HostilePictures::TinyImageGif(5500, 5500);
        QTest::newRow("progressive JPEG")
            << "progressive.jpg" << HostilePictures::ClaimingJpeg(10000, 10000, true);
    }

    void tinyFilesDeclaringHugePicturesStaySmall() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString file = dir.filePath(name);
        QVERIFY(bytes.size() < 100 * 1024 && TestFiles::WriteFile(file, bytes));
        for (const char* way : {"thumbnail", "page", "full"}) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--decode"), QString::fromLatin1(way), file});
            QVERIFY(child.waitForFinished(120000));
            QCOMPARE(child.exitCode(), 0);
            const long grownKiB = child.readAllStandardOutput().trimmed().toLong();
#ifndef __SANITIZE_ADDRESS__  // the sanitizer's own bookkeeping inflates the figure
            QVERIFY2(grownKiB * 1024 < 150'000'000,
                     qPrintable(QStringLiteral("%1: %2 KiB").arg(way).arg(grownKiB)));
#endif
        }
    }

    // Opening a FIFO waits for a writer. Should anything open this one, a writer thread lets it
    // go again, so the test fails instead of hanging.
    void specialFilesCountAsMissing() {
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("pipe.jpg"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        std::atomic<bool> stop{false};
        std::atomic<bool> opened{false};
        std::thread writer([&] {
            const QByteArray name = QFile::encodeName(fifo);
            while (!stop) {
                const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    opened = true;
                    ::close(fd);
                }
                QThread::msleep(10);
            }
        });

        QCOMPARE(PictureLoader::ReadSize(fifo), QSize(0, 0));
        QVERIFY(PictureLoader::LoadFull(fifo).isNull());
        QCOMPARE(ThumbnailRenderer::Render({fifo, 140, 140, Kind::Thumbnail, true}),
                 ThumbnailRenderer::Blank(140, 140, Kind::Thumbnail, true));
        QVERIFY(!DocPictures::Exists(fifo));
        QVERIFY(DocPictures::Files(dir.path()).isEmpty());
        CSplashDlg splash(fifo);
        CSkinBtn button;
        button.SetBitmaps(fifo, fifo, fifo, fifo);
        FileCopier copier;
        QCOMPARE(copier.Copy(fifo, dir.filePath(QStringLiteral("copy.jpg"))),
                 FileCopier::Result::Failed);
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("copy.jpg"))));

        stop = true;
        writer.join();
        QVERIFY(!opened);
    }
};

int main(int argc, char** argv) {
    if (argc == 4 && qstrcmp(argv[1], "--decode") == 0) {
        QGuiApplication app(argc, argv);
        return DecodeInChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QApplication app(argc, argv);
    TestHostilePictures test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostilepictures.moc"
