#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/CAboutDlg.h"
#include "app/CSplashDlg.h"

namespace {
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
    // The whole fade in and out runs and the window closes by itself; attempts to close it
    // early change nothing.
    void fadeRunsWholeAndClosesItself() {
        CSplashDlg dlg(QStringLiteral(VISTREL_TESTDATA_IMAGES "/hopper.jpg"));
        QVERIFY(dlg.HasPicture());
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
        QCOMPARE(dlg.DrawnOpacities(), ExpectedFade());
        QVERIFY(!dlg.isVisible());
    }

    // Real time is the point here: the picture stays at full opacity for the hold time.
    void holdAtFullOpacity() {
        CSplashDlg dlg(QString{});
        dlg.SetStepInterval(0);
        dlg.SetHoldTime(150);
        QElapsedTimer clock;
        QTimer probe;
        probe.setInterval(0);
        qint64 reached100 = -1, left100 = -1;
        connect(&probe, &QTimer::timeout, &dlg, [&] {
            if (dlg.Opacity() >= 100.0f && reached100 < 0) reached100 = clock.elapsed();
            if (reached100 >= 0 && left100 < 0 && dlg.Opacity() < 100.0f) left100 = clock.elapsed();
        });
        clock.start();
        probe.start();
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QVERIFY(left100 >= 0);
        QVERIFY2(left100 - reached100 >= 140, qPrintable(QString::number(left100 - reached100)));
    }

    // A larger picture is cut at the window, not scaled; a smaller or missing one leaves white;
    // the opacity blends over white.
    void pictureOverWhite() {
        QTemporaryDir dir;
        const QSize window = CSplashDlg(QString{}).size();
        QImage large(window + QSize(300, 200), QImage::Format_RGB32);
        for (int y = 0; y < large.height(); ++y)
            for (int x = 0; x < large.width(); ++x)
                large.setPixel(x, y, qRgb(x % 256, y % 256, 77));
        QVERIFY(large.save(dir.filePath(QStringLiteral("large.png"))));
        const QImage frame =
            CSplashDlg(dir.filePath(QStringLiteral("large.png"))).RenderFrameAt(100);
        QCOMPARE(frame.size(), window);
        const QPoint corner(window.width() - 1, window.height() - 1);
        QCOMPARE(QColor(frame.pixel(corner)), QColor(large.pixel(corner)));

        QImage small(120, 80, QImage::Format_RGB32);
        small.fill(Qt::black);
        const QString path = dir.filePath(QStringLiteral("splash.jpg"));
        QVERIFY(small.save(path, "PNG"));  // the extension does not decide the format
        CSplashDlg dlg(path);
        auto red = [&](float o, int x, int y) { return qRed(dlg.RenderFrameAt(o).pixel(x, y)); };
        QCOMPARE(red(100, 119, 79), 0);
        QCOMPARE(red(100, 120, 0), 255);
        QVERIFY(qAbs(red(20, 10, 10) - 204) <= 2);
        QVERIFY(qAbs(red(50, 10, 10) - 128) <= 2);
        dlg.SetStepInterval(100000);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(qAbs(qRed(dlg.grab().toImage().pixel(10, 10)) - 204) <= 2);

        CSplashDlg missing(dir.filePath(QStringLiteral("none.jpg")));
        QVERIFY(!missing.HasPicture());
        QImage white(window, missing.RenderFrameAt(100).format());
        white.fill(Qt::white);
        QCOMPARE(missing.RenderFrameAt(100), white);
    }

    // Every test picture, sound or damaged: shown or white, at the window's size.
    void everyTestPicture() {
        const QDir dir(QStringLiteral(VISTREL_TESTDATA_IMAGES));
        const QStringList files = dir.entryList(QDir::Files);
        QVERIFY(files.size() > 10);
        int shown = 0;
        for (const QString& name : files) {
            CSplashDlg dlg(dir.filePath(name));
            QCOMPARE(dlg.RenderFrameAt(100.0f).size(), dlg.size());
            shown += dlg.HasPicture();
        }
        QVERIFY(shown >= 10);
    }

    void aboutBoxClosesWithItsButton() {
        CAboutDlg dlg;
        QTimer::singleShot(0, &dlg,
                           [&] { dlg.findChild<QPushButton*>(QStringLiteral("1"))->click(); });
        QTimer::singleShot(5000, &dlg, [&] { dlg.done(99); });  // never hang
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
