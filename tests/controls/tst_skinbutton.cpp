// Bitmap skin button: which bitmap each state shows, how it is placed, hover tracking and clicks.

#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
};

QString SaveBmp(const QTemporaryDir& dir, const QString& name, const QPixmap& pm) {
    const QString path = dir.filePath(name);
    pm.toImage().convertToFormat(QImage::Format_RGB888).save(path, "BMP");
    return path;
}

// A skin bitmap painted like the installation's navigation buttons.
QPixmap NavBitmap(const QString& caption, int state) {
    QPixmap pm(96, 36);
    QPainter p(&pm);
    QLinearGradient band(0, 0, 0, 36);
    const QColor top = state == 1   ? QColor(40, 130, 170)
                       : state == 2 ? QColor(2, 60, 95)
                                    : QColor(12, 100, 140);
    band.setColorAt(0, top);
    band.setColorAt(1, top.darker(140));
    p.fillRect(pm.rect(), band);
    if (state == 1) p.fillRect(8, 32, 80, 3, QColor(255, 160, 40));
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(15);
    p.setFont(font);
    p.setPen(state == 3 ? QColor(150, 170, 180) : QColor(240, 240, 240));
    const int shift = state == 2 ? 1 : 0;
    p.drawText(QRect(shift, shift, 96, 36), Qt::AlignCenter, caption);
    return pm;
}

}  // namespace

class TestSkinButton : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { CCatalogueApp::RegisterFontSubstitutions(); }

    void smallBitmapIsDrawnOneToOneOverTheParent() {
        Stage s;
        s.button->SetBitmaps(Solid(30, 20, kRed), Solid(30, 20, kBlue), Solid(30, 20, kYellow),
                             Solid(30, 20, kGrey));
        QCOMPARE(s.At(0, 0), kRed);
        QCOMPARE(s.At(29, 19), kRed);
        QCOMPARE(s.At(30, 5), kGround);
        QCOMPARE(s.At(5, 20), kGround);
        QCOMPARE(s.At(59, 39), kGround);
    }

    void bitmapOfTheButtonsSizeIsNotScaled() {
        Stage s;
        QPixmap pm = Solid(60, 40, kRed);
        {
            QPainter p(&pm);
            p.fillRect(59, 0, 1, 40, kBlue);  // one-pixel column survives only at 1:1
        }
        s.button->SetBitmaps(pm, pm, pm, pm);
        QCOMPARE(s.At(58, 10), kRed);
        QCOMPARE(s.At(59, 10), kBlue);
    }

    void largerBitmapIsStretchedOntoTheButton_data() {
        QTest::addColumn<int>("bw");
        QTest::addColumn<int>("bh");
        QTest::newRow("larger both ways") << 120 << 80;
        QTest::newRow("only wider") << 80 << 20;
        QTest::newRow("only taller") << 40 << 60;
    }
    void largerBitmapIsStretchedOntoTheButton() {
        QFETCH(int, bw);
        QFETCH(int, bh);
        Stage s;
        QPixmap pm = Solid(bw, bh, kRed);
        {
            QPainter p(&pm);
            p.fillRect(bw / 2, 0, bw - bw / 2, bh, kBlue);
        }
        s.button->SetBitmaps(pm, pm, pm, pm);
        // Whole client area covered: left half red, right half blue, no ground anywhere.
        QVERIFY(Near(s.At(2, 2), kRed, 30));
        QVERIFY(Near(s.At(2, 37), kRed, 30));
        QVERIFY(Near(s.At(57, 2), kBlue, 30));
        QVERIFY(Near(s.At(57, 37), kBlue, 30));
        QVERIFY(Near(s.At(25, 20), kRed, 30));
        QVERIFY(Near(s.At(35, 20), kBlue, 30));
    }

    void statesSwitchOnHoverPressAndDisable() {
        Stage s;
        s.button->SetBitmaps(Solid(60, 40, kRed), Solid(60, 40, kBlue), Solid(60, 40, kYellow),
                             Solid(60, 40, kGrey));
        QPoint cursor = s.button->mapToGlobal(QPoint(5, 5));
        s.button->SetCursorSource([&cursor] { return cursor; });
        QCOMPARE(s.button->GetState(), CSkinBtn::Normal);
        QCOMPARE(s.At(10, 10), kRed);

        s.Enter();
        QCOMPARE(s.button->GetState(), CSkinBtn::Hover);
        QCOMPARE(s.At(10, 10), kBlue);
        QVERIFY(s.button->HoverTimer()->isActive());
        QCOMPARE(s.button->HoverTimer()->interval(), CSkinBtn::kHoverPollMs);
        QCOMPARE(CSkinBtn::kHoverPollMs, 10);

        // A tick with the pointer still on the button keeps the hover.
        s.button->OnHoverTimer();
        QCOMPARE(s.button->GetState(), CSkinBtn::Hover);

        QSignalSpy clicked(s.button, &QAbstractButton::clicked);
        QTest::mousePress(s.button, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(s.button->GetState(), CSkinBtn::Pressed);
        QCOMPARE(s.At(10, 10), kYellow);
        QTest::mouseRelease(s.button, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(s.button->GetState(), CSkinBtn::Hover);

        // The pointer leaves without a leave event (moved fast off the window): the next tick
        // notices and the button is normal again, the timer stopped.
        cursor = s.button->mapToGlobal(QPoint(200, 200));
        s.button->OnHoverTimer();
        QCOMPARE(s.button->GetState(), CSkinBtn::Normal);
        QVERIFY(!s.button->HoverTimer()->isActive());
        QCOMPARE(s.At(10, 10), kRed);

        s.button->setEnabled(false);
        QCOMPARE(s.button->GetState(), CSkinBtn::Disabled);
        QCOMPARE(s.At(10, 10), kGrey);
        QVERIFY(!s.button->IsHoverEnabled());
        cursor = s.button->mapToGlobal(QPoint(5, 5));
        s.Enter();
        QVERIFY(!s.button->IsHovering());
        QCOMPARE(s.button->GetState(), CSkinBtn::Disabled);
        QTest::mouseClick(s.button, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(clicked.count(), 1);

        s.button->setEnabled(true);
        QVERIFY(s.button->IsHoverEnabled());
        QCOMPARE(s.button->GetState(), CSkinBtn::Normal);
        s.Enter();
        QCOMPARE(s.button->GetState(), CSkinBtn::Hover);
    }

    void disablingWhileHoveredEndsTheHover() {
        Stage s;
        s.button->SetBitmaps(Solid(60, 40, kRed), Solid(60, 40, kBlue), Solid(60, 40, kYellow),
                             Solid(60, 40, kRed));
        s.button->SetCursorSource([&s] { return s.button->mapToGlobal(QPoint(5, 5)); });
        s.Enter();
        QVERIFY(s.button->IsHovering());
        s.button->setEnabled(false);
        QVERIFY(!s.button->IsHovering());
        QVERIFY(!s.button->HoverTimer()->isActive());
        // The main window passes the normal bitmap as the disabled one.
        QCOMPARE(s.At(10, 10), kRed);
        s.button->setEnabled(true);
        QCOMPARE(s.button->GetState(), CSkinBtn::Normal);
    }

    void leaveEventEndsTheHoverAtOnce() {
        Stage s;
        s.button->SetBitmaps(Solid(60, 40, kRed), Solid(60, 40, kBlue), {}, {});
        s.button->SetCursorSource([&s] { return s.button->mapToGlobal(QPoint(5, 5)); });
        s.Enter();
        QCOMPARE(s.button->GetState(), CSkinBtn::Hover);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(s.button, &leave);
        QCOMPARE(s.button->GetState(), CSkinBtn::Normal);
        QVERIFY(!s.button->HoverTimer()->isActive());
    }

    void hoverTimerRunsOnItsOwn() {
        // The only real-clock check: the timer is wired to the tick and really fires.
        Stage s;
        s.button->SetBitmaps(Solid(60, 40, kRed), Solid(60, 40, kBlue), {}, {});
        QPoint cursor = s.button->mapToGlobal(QPoint(5, 5));
        s.button->SetCursorSource([&cursor] { return cursor; });
        s.Enter();
        QTest::qWait(30);
        QCOMPARE(s.button->GetState(), CSkinBtn::Hover);
        cursor = s.button->mapToGlobal(QPoint(-50, -50));
        QTRY_COMPARE_WITH_TIMEOUT(s.button->GetState(), CSkinBtn::Normal, 500);
        QVERIFY(!s.button->HoverTimer()->isActive());
    }

    void missingBitmapFileShowsTheBackgroundInItsStateOnly() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString normal = SaveBmp(dir, QStringLiteral("min.bmp"), Solid(40, 30, kRed));
        const QString pressed = SaveBmp(dir, QStringLiteral("min2.bmp"), Solid(40, 30, kYellow));
        const QString garbage = dir.filePath(QStringLiteral("bad1.bmp"));
        {
            QFile f(garbage);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("BM this is not a bitmap");
        }
        Stage s;
        s.button->SetCursorSource([&s] { return s.button->mapToGlobal(QPoint(5, 5)); });
        QVERIFY(!s.button->SetBitmaps(normal, dir.filePath(QStringLiteral("min1.bmp")), pressed,
                                      normal));
        QCOMPARE(s.At(10, 10), kRed);
        s.Enter();
        QCOMPARE(s.button->GetState(), CSkinBtn::Hover);
        QCOMPARE(s.At(10, 10), kGround);
        // A missing hover picture does not take the pressed one with it.
        QTest::mousePress(s.button, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(s.At(10, 10), kYellow);
        QTest::mouseRelease(s.button, Qt::LeftButton, {}, QPoint(10, 10));

        // A damaged file is the same as a missing one.
        QVERIFY(!s.button->SetBitmaps(normal, garbage, pressed, normal));
        QVERIFY(s.button->Bitmap(CSkinBtn::Hover).isNull());
        QCOMPARE(s.At(10, 10), kGround);

        QVERIFY(s.button->SetBitmaps(normal, pressed, pressed, normal));
        QCOMPARE(s.button->sizeHint(), QSize(40, 30));
    }

    void picturesFromTheSharedTestImagesNeverBreakTheButton() {
        const QDir images(QStringLiteral(VISTREL_TESTDATA_IMAGES));
        const QStringList files = images.entryList(QDir::Files);
        QVERIFY(!files.isEmpty());
        Stage s;
        for (const QString& name : files) {
            const QString path = images.filePath(name);
            s.button->SetBitmaps(path, path, path, path);
            const QImage shot = Grab(&s.parent);
            QVERIFY2(!shot.isNull(), qPrintable(name));
        }
    }

    void captionSitsAt21_0InTheStateColour() {
        Stage s;
        s.button->SetCursorSource([&s] { return s.button->mapToGlobal(QPoint(5, 5)); });
        s.button->setText(QStringLiteral("关闭"));
        s.button->SetTextColors(QColor(0, 0, 0), QColor(255, 255, 255));
        const QRect area(20, 20, 60, 40);
        auto dark = [](QColor c) { return c.red() < 60 && c.green() < 60 && c.blue() < 60; };
        auto light = [](QColor c) { return c.red() > 200 && c.green() > 200 && c.blue() > 200; };
        QImage shot = Grab(&s.parent);
        const QRect ink = InkBox(shot, area, dark);
        QVERIFY(!ink.isNull());
        QVERIFY2(ink.left() >= 20 + 21 && ink.left() <= 20 + 24,
                 qPrintable(QString::number(ink.left())));
        QVERIFY2(ink.top() >= 20 && ink.top() <= 20 + 6, qPrintable(QString::number(ink.top())));
        QVERIFY(InkBox(shot, area, light).isNull());

        s.Enter();
        shot = Grab(&s.parent);
        QVERIFY(InkBox(shot, area, dark).isNull());
        const QRect hoverInk = InkBox(shot, area, light);
        QVERIFY(!hoverInk.isNull());
        QVERIFY(hoverInk.left() >= 20 + 21);
    }

    void gallery() {
        QWidget band;
        band.resize(440, 60);
        QPalette pal = band.palette();
        pal.setColor(QPalette::Window, QColor(12, 100, 140));
        band.setPalette(pal);
        band.setAutoFillBackground(true);
        const QStringList captions = {QStringLiteral("产品中心"), QStringLiteral("企业介绍"),
                                      QStringLiteral("系统设置"), QStringLiteral("系统发布")};
        QList<CSkinBtn*> buttons;
        for (int i = 0; i < 4; ++i) {
            auto* b = new CSkinBtn(&band);
            b->SetBitmaps(NavBitmap(captions[i], 0), NavBitmap(captions[i], 1),
                          NavBitmap(captions[i], 2), NavBitmap(captions[i], 3));
            b->setGeometry(10 + 106 * i, 12, 96, 36);
            b->SetCursorSource([b] { return b->mapToGlobal(QPoint(3, 3)); });
            buttons.append(b);
        }
        band.show();
        QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), buttons[1]->mapToGlobal(QPointF(3, 3)));
        QApplication::sendEvent(buttons[1], &enter);
        buttons[2]->setDown(true);
        buttons[3]->setEnabled(false);
        QCOMPARE(buttons[0]->GetState(), CSkinBtn::Normal);
        QCOMPARE(buttons[1]->GetState(), CSkinBtn::Hover);
        QCOMPARE(buttons[2]->GetState(), CSkinBtn::Pressed);
        QCOMPARE(buttons[3]->GetState(), CSkinBtn::Disabled);
        QVERIFY(band.grab().save(GalleryPath(QStringLiteral("skin_buttons.png"))));
    }
};

QTEST_MAIN(TestSkinButton)
#include "tst_skinbutton.moc"
