// Bitmap skin button: which bitmap each state shows, how it is placed, hover tracking and clicks.

#include <QDir>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "TestFiles.h"
#include "app/CCatalogueApp.h"
#include "controls/CSkinBtn.h"
#include "tst_skinsupport.h"

using namespace skintest;

namespace {

const QColor kGround(10, 200, 30);
const QColor kRed(220, 20, 20);
const QColor kBlue(20, 40, 220);
const QColor kYellow(240, 220, 10);
const QColor kGrey(120, 120, 120);

QPixmap Solid(int w, int h, const QColor& c) {
    QPixmap pm(w, h);
    pm.fill(c);
    return pm;
}

// A parent with a plain ground and one skin button on it at (20, 20), 60 x 40.
struct Stage {
    QWidget parent;
    CSkinBtn* button;
    Stage() {
        parent.resize(200, 100);
        QPalette pal = parent.palette();
        pal.setColor(QPalette::Window, kGround);
        parent.setPalette(pal);
        parent.setAutoFillBackground(true);
        button = new CSkinBtn(&parent);
        button->setGeometry(20, 20, 60, 40);
        parent.show();
    }
    // The button's pixel (x, y) as the user sees it, parent showing through.
    QColor At(int x, int y) { return Px(Grab(&parent), 20 + x, 20 + y); }
    void Enter() {
        QEnterEvent enter(QPointF(5, 5), QPointF(25, 25), button->mapToGlobal(QPointF(5, 5)));
        QApplication::sendEvent(button, &enter);
    }
    void Leave() {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(button, &leave);
    }
};

QString SaveBmp(const QTemporaryDir& dir, const QString& name, const QPixmap& pm) {
    const QString path = dir.filePath(name);
    pm.toImage().convertToFormat(QImage::Format_RGB888).save(path, "BMP");
    return path;
}

}  // namespace

class TestSkinButton : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { CCatalogueApp::RegisterFontSubstitutions(); }

    // A bitmap no larger than the button is drawn 1:1 at the top left, the parent showing
    // around it; a larger one is stretched over the whole button.
    void bitmapPlacement_data() {
        QTest::addColumn<QSize>("bitmap");
        QTest::addColumn<QPoint>("probe");  // a pixel inside the button, from its top left
        QTest::addColumn<QColor>("expected");
        QTest::newRow("small: drawn") << QSize(30, 20) << QPoint(29, 19) << kBlue;
        QTest::newRow("small: ground beside") << QSize(30, 20) << QPoint(30, 5) << kGround;
        QTest::newRow("button size: last column") << QSize(60, 40) << QPoint(59, 10) << kBlue;
        QTest::newRow("larger: stretched left") << QSize(120, 80) << QPoint(25, 37) << kRed;
        QTest::newRow("larger: stretched right") << QSize(120, 80) << QPoint(57, 2) << kBlue;
        QTest::newRow("only wider") << QSize(80, 20) << QPoint(57, 37) << kBlue;
        QTest::newRow("only taller") << QSize(40, 60) << QPoint(35, 37) << kBlue;
    }
    void bitmapPlacement() {
        QFETCH(QSize, bitmap);
        QFETCH(QPoint, probe);
        QFETCH(QColor, expected);
        Stage s;
        // Red with a blue last column, which survives only at 1:1; a larger bitmap is half
        // red, half blue.
        QPixmap pm = Solid(bitmap.width(), bitmap.height(), kRed);
        {
            QPainter p(&pm);
            const bool fits = bitmap.width() <= 60 && bitmap.height() <= 40;
            const int blueFrom = fits ? bitmap.width() - 1 : bitmap.width() / 2;
            p.fillRect(blueFrom, 0, bitmap.width() - blueFrom, bitmap.height(), kBlue);
        }
        s.button->SetBitmaps(pm, pm, pm, pm);
        const QColor seen = s.At(probe.x(), probe.y());
        QVERIFY2(Near(seen, expected, 30), qPrintable(Rgb(seen)));
    }

    void statesSwitchOnHoverPressAndDisable() {
        Stage s;
        s.button->SetBitmaps(Solid(60, 40, kRed), Solid(60, 40, kBlue), Solid(60, 40, kYellow),
                             Solid(60, 40, kGrey));
        QPoint cursor = s.button->mapToGlobal(QPoint(5, 5));
        s.button->SetCursorSource([&cursor] { return cursor; });
        QCOMPARE(s.At(10, 10), kRed);
        s.Enter();
        QCOMPARE(s.At(10, 10), kBlue);
        QVERIFY(s.button->HoverTimer()->isActive());
        s.button->OnHoverTimer();  // the pointer is still on the button
        QCOMPARE(s.button->GetState(), CSkinBtn::Hover);

        QSignalSpy clicked(s.button, &QAbstractButton::clicked);
        QTest::mousePress(s.button, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(s.At(10, 10), kYellow);
        QTest::mouseRelease(s.button, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(s.button->GetState(), CSkinBtn::Hover);

        // The pointer leaves without a leave event (moved fast off the window): the next tick
        // notices and the button is normal again, the timer stopped.
        cursor = s.button->mapToGlobal(QPoint(200, 200));
        s.button->OnHoverTimer();
        QCOMPARE(s.At(10, 10), kRed);
        QVERIFY(!s.button->HoverTimer()->isActive());
        // A leave event ends the hover at once.
        cursor = s.button->mapToGlobal(QPoint(5, 5));
        s.Enter();
        s.Leave();
        QCOMPARE(s.button->GetState(), CSkinBtn::Normal);

        // Disabling while hovered ends the hover; a disabled button neither hovers nor clicks.
        s.Enter();
        s.button->setEnabled(false);
        QVERIFY(!s.button->HoverTimer()->isActive());
        QCOMPARE(s.At(10, 10), kGrey);
        s.Enter();
        QCOMPARE(s.button->GetState(), CSkinBtn::Disabled);
        QTest::mouseClick(s.button, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(clicked.count(), 1);
        s.button->setEnabled(true);
        QCOMPARE(s.button->GetState(), CSkinBtn::Normal);
        s.Enter();
        QCOMPARE(s.button->GetState(), CSkinBtn::Hover);
    }

    void missingOrDamagedBitmapShowsTheBackgroundInItsStateOnly() {
        QTemporaryDir dir;
        const QString normal = SaveBmp(dir, QStringLiteral("min.bmp"), Solid(40, 30, kRed));
        const QString pressed = SaveBmp(dir, QStringLiteral("min2.bmp"), Solid(40, 30, kYellow));
        const QString garbage = dir.filePath(QStringLiteral("bad1.bmp"));
        QVERIFY(TestFiles::WriteFile(garbage, "BM this is not a bitmap"));
        Stage s;
        s.button->SetCursorSource([&s] { return s.button->mapToGlobal(QPoint(5, 5)); });
        QVERIFY(!s.button->SetBitmaps(normal, dir.filePath(QStringLiteral("min1.bmp")), pressed,
                                      normal));
        QCOMPARE(s.At(10, 10), kRed);
        s.Enter();
        QCOMPARE(s.At(10, 10), kGround);
        // A missing hover picture does not take the pressed one with it.
        QTest::mousePress(s.button, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(s.At(10, 10), kYellow);
        QTest::mouseRelease(s.button, Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(!s.button->SetBitmaps(normal, garbage, pressed, normal));
        QCOMPARE(s.At(10, 10), kGround);
        QCOMPARE(s.button->sizeHint(), QSize(40, 30));

        // Damaged and hostile picture files never break the button.
        const QDir images(QStringLiteral(VISTREL_TESTDATA_IMAGES));
        const QStringList files = images.entryList(QDir::Files);
        QVERIFY(files.size() > 5);
        for (const QString& name : files) {
            const QString path = images.filePath(name);
            s.button->SetBitmaps(path, path, path, path);
            QVERIFY2(!Grab(&s.parent).isNull(), qPrintable(name));
        }
    }

    void captionTakesTheStateColour() {
        Stage s;
        s.button->SetCursorSource([&s] { return s.button->mapToGlobal(QPoint(5, 5)); });
        s.button->setText(QStringLiteral("关闭"));
        s.button->SetTextColors(QColor(0, 0, 0), QColor(255, 255, 255));
        const QRect area(20, 20, 60, 40);
        auto dark = [](QColor c) { return c.red() < 60 && c.green() < 60 && c.blue() < 60; };
        auto light = [](QColor c) { return c.red() > 200 && c.green() > 200 && c.blue() > 200; };
        // Which colour the caption takes, not where its glyphs fall: that depends on the font.
        auto inks = [&] {  // dark ink, light ink
            const QImage shot = Grab(&s.parent);
            return std::pair(!InkBox(shot, area, dark).isNull(),
                             !InkBox(shot, area, light).isNull());
        };
        QCOMPARE(inks(), std::pair(true, false));
        s.Enter();
        QCOMPARE(inks(), std::pair(false, true));
        // Pressed without hover (the pointer left while the button is held): active colour too.
        s.Leave();
        s.button->setDown(true);
        QCOMPARE(s.button->GetState(), CSkinBtn::Pressed);
        QCOMPARE(inks(), std::pair(false, true));
    }
};

QTEST_MAIN(TestSkinButton)
#include "tst_skinbutton.moc"
