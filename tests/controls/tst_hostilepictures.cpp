// Hostile files where pictures are read or copied: tiny files that declare huge pictures, and
// special files. Each gives a picture or a clean empty result, never a hang or gigabytes.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QBuffer>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <atomic>
#include <thread>

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

// A 64-byte 8-bit run-length bitmap declaring 10000 x 10000 pixels whose only run ends it.
QByteArray RleBmp() {
    return QByteArray::fromHex(
        "424d40000000000000003e000000280000001027000010270000010008000100000002000000130b0000"
        "130b0000020000000000000000000000ffffff000001");
}

// A real 16 x 16 JPEG whose frame header claims `width` x `height`.
QByteArray ClaimingJpeg(int width, int height, bool progressive) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    QByteArray b = buffer.data();
    const qsizetype sof = b.indexOf(progressive ? "\xff\xc2" : "\xff\xc0");
    qToBigEndian(quint16(height), b.data() + sof + 5);
    qToBigEndian(quint16(width), b.data() + sof + 7);
    return b;
}

}  // namespace

class TestHostilePictures : public QObject {
    Q_OBJECT
    long m_startKiB = 0;

private slots:
    void initTestCase() { m_startKiB = PeakKiB(); }

    // The peak never falls, so however the decodes follow each other, one that grew the
    // process by more than the goal would show.
    void tinyFilesDeclaringHugePicturesStaySmall_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("RLE BMP") << "rle8.bmp" << RleBmp();
        QTest::newRow("progressive JPEG") << "p.jpg" << ClaimingJpeg(10000, 10000, true);
        QTest::newRow("tall JPEG") << "tall.jpg" << ClaimingJpeg(3300, 30000, false);
    }

    void tinyFilesDeclaringHugePicturesStaySmall() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString file = dir.filePath(name);
        QVERIFY(!bytes.isEmpty() && TestFiles::WriteFile(file, bytes));
        const QSize shown = DocPictures::ShownSize(PictureLoader::ReadSize(file));
        QVERIFY(!shown.isEmpty());
        ThumbnailRenderer::Render({file, 140, 140, Kind::Thumbnail, true});
        ThumbnailRenderer::Render({file, shown.width(), shown.height(), Kind::Picture, false});
        PictureLoader::LoadFull(file);
#ifndef __SANITIZE_ADDRESS__  // the sanitizer's own bookkeeping inflates the figure
        const long grownKiB = PeakKiB() - m_startKiB;
        QVERIFY2(grownKiB * 1024 < 150'000'000, qPrintable(QString::number(grownKiB)));
#endif
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

QTEST_MAIN(TestHostilePictures)
#include "tst_hostilepictures.moc"
