#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/CAboutDlg.h"
#include "app/CSplashDlg.h"
#include "app/DialogUnits.h"

namespace {
// A picture whose every pixel says where it is: red = x, green = y (modulo 256), blue = 77.
QImage PositionPicture(QSize size) {
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) img.setPixel(x, y, qRgb(x % 256, y % 256, 77));
    return img;
}

QList<int> ExpectedFade() {
    QList<int> seq;
    for (int o = 20; o <= 100; o += 5) seq << o;
    for (int o = 95; o >= 15; o -= 5) seq << o;
    return seq;
}
}  // namespace

class TestSplash : public QObject {
    Q_OBJECT
private slots:
    void windowTemplate();
    void fadeSequenceAndSelfClose();
    void userCannotCloseEarly();
    void holdAtFullOpacity();
    void largerPictureIsCutNotScaled();
    void smallerPictureLeavesWhite();
    void missingPictureIsWhite();
    void opacityBlendsOverWhite();
    void everyTestPicture();
    void aboutBox();
    void aboutBoxClosesWithEnterEscapeAndButton();
};

void TestSplash::windowTemplate() {
    CSplashDlg dlg(QStringLiteral("/no/such/splash.jpg"));
    QCOMPARE(dlg.objectName(), QStringLiteral("130"));
    QVERIFY(dlg.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(dlg.size(), DialogUnits(dlg.font()).Size(626, 397));
    QCOMPARE(dlg.Opacity(), 20.0f);
    QVERIFY(!dlg.HasPicture());
}

void TestSplash::fadeSequenceAndSelfClose() {
    for (int step : {0, 1}) {
        CSplashDlg dlg(QStringLiteral(VISTREL_TESTDATA_IMAGES "/hopper.jpg"));
        QVERIFY(dlg.HasPicture());
        dlg.SetStepInterval(step);
        dlg.SetHoldTime(0);
        QElapsedTimer clock;
        clock.start();
        // Closes by itself, with no input at all.
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QVERIFY(clock.elapsed() < 20000);
        QCOMPARE(dlg.DrawnOpacities(), ExpectedFade());
        QCOMPARE(dlg.Opacity(), 15.0f);
        QVERIFY(!dlg.isVisible());
    }
}

void TestSplash::userCannotCloseEarly() {
    CSplashDlg dlg(QString{});
    dlg.SetStepInterval(1);
    dlg.SetHoldTime(0);
    int attempts = 0;
    QTimer poke;
    poke.setInterval(2);
    connect(&poke, &QTimer::timeout, &dlg, [&] {
        if (!dlg.isVisible()) return;
        ++attempts;
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QTest::keyClick(&dlg, Qt::Key_Return);
        dlg.close();
        dlg.reject();
    });
    poke.start();
    QCOMPARE(dlg.exec(), int(QDialog::Accepted));
    QVERIFY(attempts > 0);
    // The whole fade ran despite the attempts to close it.
    QCOMPARE(dlg.DrawnOpacities(), ExpectedFade());
}

void TestSplash::holdAtFullOpacity() {
    CSplashDlg dlg(QString{});
    dlg.SetStepInterval(0);
    dlg.SetHoldTime(150);
    float seenDuringHold = -1;
    QElapsedTimer clock;
    QTimer probe;
    probe.setInterval(0);
    qint64 reached100 = -1, left100 = -1;
    connect(&probe, &QTimer::timeout, &dlg, [&] {
        if (dlg.Opacity() >= 100.0f && reached100 < 0) {
            reached100 = clock.elapsed();
            seenDuringHold = dlg.Opacity();
        }
        if (reached100 >= 0 && left100 < 0 && dlg.Opacity() < 100.0f) left100 = clock.elapsed();
    });
    clock.start();
    probe.start();
    QCOMPARE(dlg.exec(), int(QDialog::Accepted));
    QCOMPARE(seenDuringHold, 100.0f);
    QVERIFY(left100 >= 0);
    QVERIFY2(left100 - reached100 >= 140, qPrintable(QString::number(left100 - reached100)));
}

void TestSplash::largerPictureIsCutNotScaled() {
    QTemporaryDir dir;
    CSplashDlg probe(QString{});
    const QSize window = probe.size();
    const QString path = dir.filePath(QStringLiteral("splash.png"));
    const QImage picture = PositionPicture(window + QSize(300, 200));
    QVERIFY(picture.save(path));
    CSplashDlg dlg(path);
    const QImage frame = dlg.RenderFrameAt(100.0f);
    QCOMPARE(frame.size(), window);
    for (QPoint pt :
         {QPoint(0, 0), QPoint(1, 1), QPoint(window.width() - 1, 0), QPoint(0, window.height() - 1),
          QPoint(window.width() - 1, window.height() - 1),
          QPoint(window.width() / 2, window.height() / 3)})
        QCOMPARE(QColor(frame.pixel(pt)), QColor(picture.pixel(pt)));
}

void TestSplash::smallerPictureLeavesWhite() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("splash.jpg"));
    QImage small(120, 80, QImage::Format_RGB32);
    small.fill(QColor(0, 0, 200));
    QVERIFY(small.save(path, "PNG"));  // the extension does not decide the format
    CSplashDlg dlg(path);
    QVERIFY(dlg.HasPicture());
    const QImage frame = dlg.RenderFrameAt(100.0f);
    QCOMPARE(QColor(frame.pixel(0, 0)), QColor(0, 0, 200));
    QCOMPARE(QColor(frame.pixel(119, 79)), QColor(0, 0, 200));
    QCOMPARE(QColor(frame.pixel(120, 0)), QColor(Qt::white));
    QCOMPARE(QColor(frame.pixel(0, 80)), QColor(Qt::white));
    QCOMPARE(QColor(frame.pixel(frame.width() - 1, frame.height() - 1)), QColor(Qt::white));
}

void TestSplash::missingPictureIsWhite() {
    QTemporaryDir dir;
    const QString junk = dir.filePath(QStringLiteral("splash.jpg"));
    QFile f(junk);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not a picture");
    f.close();
    for (const QString& path : {dir.filePath(QStringLiteral("none.jpg")), junk, QString()}) {
        CSplashDlg dlg(path);
        QVERIFY(!dlg.HasPicture());
        for (float o : {20.0f, 100.0f}) {
            const QImage frame = dlg.RenderFrameAt(o);
            QImage white(frame.size(), frame.format());
            white.fill(Qt::white);
            QCOMPARE(frame, white);
        }
    }
}

void TestSplash::opacityBlendsOverWhite() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("black.png"));
    QImage black(50, 50, QImage::Format_RGB32);
    black.fill(Qt::black);
    QVERIFY(black.save(path));
    CSplashDlg dlg(path);
    auto grey = [&](float o) { return qRed(dlg.RenderFrameAt(o).pixel(10, 10)); };
    QVERIFY(qAbs(grey(20.0f) - 204) <= 2);
    QVERIFY(qAbs(grey(50.0f) - 128) <= 2);
    QCOMPARE(grey(100.0f), 0);
    QVERIFY(qAbs(grey(15.0f) - 217) <= 2);
    // The drawn window shows the current frame.
    dlg.SetStepInterval(100000);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QImage shown = dlg.grab().toImage();
    QVERIFY(qAbs(qRed(shown.pixel(10, 10)) - 204) <= 2);
    QCOMPARE(QColor(shown.pixel(60, 60)), QColor(Qt::white));
}

void TestSplash::everyTestPicture() {
    const QDir dir(QStringLiteral(VISTREL_TESTDATA_IMAGES));
    const QStringList files = dir.entryList(QDir::Files);
    QVERIFY(files.size() > 10);
    int shown = 0;
    for (const QString& name : files) {
        CSplashDlg dlg(dir.filePath(name));
        dlg.SetStepInterval(0);
        dlg.SetHoldTime(0);
        const QImage frame = dlg.RenderFrameAt(100.0f);
        QCOMPARE(frame.size(), dlg.size());
        if (dlg.HasPicture()) ++shown;
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QCOMPARE(dlg.DrawnOpacities().size(), ExpectedFade().size());
    }
    QVERIFY(shown >= 10);  // the good pictures are shown
}

void TestSplash::aboutBox() {
    CAboutDlg dlg;
    QCOMPARE(dlg.objectName(), QStringLiteral("100"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("关于 Vistrel"));
    QStringList texts;
    for (QLabel* l : dlg.findChildren<QLabel*>()) texts << l->text();
    QVERIFY(texts.contains(QStringLiteral("Vistrel 1.0 版")));
    auto* ok = dlg.findChild<QPushButton*>(QStringLiteral("1"));
    QVERIFY(ok);
    QCOMPARE(ok->text(), QStringLiteral("确定"));
    QVERIFY(ok->isDefault());
    QCOMPARE(dlg.findChildren<QPushButton*>().size(), 1);
    const DialogUnits du(dlg.font());
    QCOMPARE(dlg.size(), du.Size(235, 65));
    QCOMPARE(ok->geometry(), du.Rect(178, 7, 50, 14));
}

void TestSplash::aboutBoxClosesWithEnterEscapeAndButton() {
    for (int way = 0; way < 3; ++way) {
        CAboutDlg dlg;
        QTimer::singleShot(0, &dlg, [&] {
            if (way == 0) QTest::keyClick(&dlg, Qt::Key_Return);
            if (way == 1) QTest::keyClick(&dlg, Qt::Key_Escape);
            if (way == 2) dlg.findChild<QPushButton*>(QStringLiteral("1"))->click();
        });
        QTimer guard;  // a box that did not close would hang the test
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, &dlg, [&] { dlg.done(99); });
        guard.start(5000);
        const int result = dlg.exec();
        QCOMPARE(result, way == 1 ? int(QDialog::Rejected) : int(QDialog::Accepted));
        QVERIFY(!dlg.isVisible());
    }
}

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
