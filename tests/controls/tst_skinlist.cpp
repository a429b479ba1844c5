// Category list: entry buttons, their ids, clicks, layout and scrolling, and how an entry is drawn.

#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "app/CCatalogueApp.h"
#include "controls/CButtonListBox.h"
#include "controls/CHoverButton.h"
#include "tst_skinsupport.h"

using namespace skintest;

namespace {

void Hover(QWidget* w) {
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(w, &enter);
}

void Unhover(QWidget* w) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w, &leave);
}

// A single entry button in a window of its own, 200 x 32.
struct OneButton {
    QWidget window;
    QWidget other;
    CHoverButton* button;
    explicit OneButton(const QString& text) {
        window.resize(200, 80);
        button = new CHoverButton(text, &window);
        button->setGeometry(0, 0, 200, 32);
        other.setParent(&window);
        other.setFocusPolicy(Qt::StrongFocus);
        other.setGeometry(0, 40, 10, 10);
        window.show();
        other.setFocus();
    }
};

bool IsReddish(QColor c) {
    return c.red() > 150 && c.green() < c.red() - 80 && c.blue() < c.red() - 80;
}
bool IsDark(QColor c) {
    return c.red() < 110 && c.green() < 110 && c.blue() < 110;
}

}  // namespace

class TestSkinList : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { CCatalogueApp::RegisterFontSubstitutions(); }

    // Must stay the first test: it sees the process-wide counter before anything else uses it.
    void childIdsCountAcrossTheProcessFrom1002() {
        QCOMPARE(CButtonListBox::ButtonsCreated(), 0);
        CButtonListBox first;
        first.AddString(QStringLiteral("螺栓|3"));
        first.AddString(QStringLiteral("螺母|0"));
        QCOMPARE(first.ButtonAt(0)->objectName(), QStringLiteral("1002"));
        QCOMPARE(first.ButtonAt(1)->objectName(), QStringLiteral("1003"));
        first.ResetContent();
        first.AddString(QStringLiteral("垫圈|7"));
        QCOMPARE(first.ButtonAt(0)->objectName(), QStringLiteral("1004"));
        {
            CButtonListBox second;
            second.AddString(QStringLiteral("弹簧|1"));
            QCOMPARE(second.ButtonAt(0)->objectName(), QStringLiteral("1005"));
        }
        first.AddString(QStringLiteral("轴承|2"));
        QCOMPARE(first.ButtonAt(1)->objectName(), QStringLiteral("1006"));
        QCOMPARE(CButtonListBox::ButtonsCreated(), 5);
        QVERIFY(first.findChild<CHoverButton*>(QStringLiteral("1006")));
    }

    void entriesAreKeptInOrderAndResetEmptiesThem() {
        CButtonListBox list;
        QCOMPARE(list.GetCount(), 0);
        QCOMPARE(list.AddString(QStringLiteral("甲|1")), 0);
        QCOMPARE(list.AddString(QStringLiteral("乙|22")), 1);
        QCOMPARE(list.AddString(QStringLiteral("企业简介")), 2);
        QCOMPARE(list.GetCount(), 3);
        QCOMPARE(list.GetText(1), QStringLiteral("乙|22"));
        QCOMPARE(list.ButtonAt(1)->text(), QStringLiteral("乙|22"));
        QCOMPARE(list.GetText(3), QString());
        QCOMPARE(list.GetText(-1), QString());
        QCOMPARE(list.ButtonAt(3), nullptr);
        QCOMPARE(list.Entries(), QStringList({QStringLiteral("甲|1"), QStringLiteral("乙|22"),
                                              QStringLiteral("企业简介")}));
        QPointer<CHoverButton> old = list.ButtonAt(0);
        list.ResetContent();
        QCOMPARE(list.GetCount(), 0);
        QVERIFY(list.Entries().isEmpty());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(old.isNull());
        QVERIFY(list.findChildren<CHoverButton*>().isEmpty());
    }

    void clickSendsTheEntryTextAndFocusesTheButton() {
        QWidget window;
        window.resize(300, 300);
        auto* list = new CButtonListBox(&window);
        list->setGeometry(10, 10, 183, 250);
        list->AddString(QStringLiteral("螺栓|12"));
        list->AddString(QStringLiteral("A|B|5"));
        list->AddString(QStringLiteral("联系我们"));
        window.show();
        QSignalSpy spy(list, &CButtonListBox::listItemClicked);
        QTest::mouseClick(list->ButtonAt(1), Qt::LeftButton, {}, QPoint(40, 16));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("A|B|5"));
        QCOMPARE(list->FocusedIndex(), 1);
        QVERIFY(list->ButtonAt(1)->IsFocusedEntry());
        QVERIFY(!list->ButtonAt(0)->IsFocusedEntry());

        QTest::mouseClick(list->ButtonAt(2), Qt::LeftButton, {}, QPoint(40, 16));
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).toString(), QStringLiteral("联系我们"));
        QCOMPARE(list->FocusedIndex(), 2);

        // The keyboard reaches the entries as well.
        QTest::keyClick(list->ButtonAt(2), Qt::Key_Space);
        QCOMPARE(spy.count(), 3);
        QCOMPARE(spy.at(2).at(0).toString(), QStringLiteral("联系我们"));
    }

    // A click into a window that is not active yet moves the focus without focus events; the
    // entry that was current must not stay drawn as current beside the clicked one.
    void clickIntoAnInactiveWindowLeavesOneCurrentEntryOnScreen() {
        QWidget window;
        window.setGeometry(0, 0, 300, 300);
        auto* list = new CButtonListBox(&window);
        list->setGeometry(10, 10, 183, 250);
        list->AddString(QStringLiteral("企业简介"));
        list->AddString(QStringLiteral("联系我们"));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::mouseClick(list->ButtonAt(1), Qt::LeftButton, {}, QPoint(40, 16));
        QCOMPARE(list->FocusedIndex(), 1);

        // What the window shows, not a fresh rendering: column 150 of each entry carries no
        // text, row 16 is face in every look.
        const auto shown = [&](int entry) {
            QCoreApplication::processEvents();
            const QPoint at = list->ButtonAt(entry)->mapTo(&window, QPoint(150, 16));
            return QColor(window.screen()->grabWindow(window.winId()).toImage().pixel(at));
        };
        const QColor plain =
            CHoverButton::GradientColor(CHoverButton::GradientIndex(16, 32), false, false);
        const QColor current =
            CHoverButton::GradientColor(CHoverButton::GradientIndex(16, 32), false, true);

        QWidget other;
        other.setGeometry(400, 0, 100, 100);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(!window.isActiveWindow());
        // The current entry stays marked while another window is active.
        QCOMPARE(shown(1), current);
        QCOMPARE(shown(0), plain);

        QTest::mouseClick(list->ButtonAt(0), Qt::LeftButton, {}, QPoint(40, 16));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(list->FocusedIndex(), 0);
        QTRY_COMPARE(shown(0), current);
        QCOMPARE(shown(1), plain);
    }

    void listRebuiltFromItsOwnClickDoesNotCrash() {
        QWidget window;
        window.resize(300, 300);
        auto* list = new CButtonListBox(&window);
        list->setGeometry(10, 10, 183, 250);
        list->AddString(QStringLiteral("甲|1"));
        list->AddString(QStringLiteral("乙|2"));
        window.show();
        QStringList seen;
        connect(list, &CButtonListBox::listItemClicked, list, [&](const QString& text) {
            seen << text;
            list->ResetContent();
            list->AddString(QStringLiteral("丙|3"));
        });
        QPointer<CHoverButton> clicked = list->ButtonAt(1);
        QTest::mouseClick(clicked, Qt::LeftButton, {}, QPoint(40, 16));
        QCOMPARE(seen, QStringList{QStringLiteral("乙|2")});
        QCOMPARE(list->GetCount(), 1);
        QCOMPARE(list->GetText(0), QStringLiteral("丙|3"));
        QCOMPARE(list->FocusedIndex(), -1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(clicked.isNull());
    }

    void entriesSitItemHeightApartAndScroll() {
        QWidget window;
        window.resize(300, 300);
        auto* list = new CButtonListBox(&window);
        list->setGeometry(10, 10, 183, 200);
        window.show();
        for (int i = 0; i < 3; ++i) list->AddString(QStringLiteral("类%1|%1").arg(i));
        const int vw = list->viewport()->width();
        QCOMPARE(list->GetItemHeight(), 32);
        QCOMPARE(list->ButtonAt(2)->geometry(), QRect(0, 64, vw, 32));
        QVERIFY(!list->verticalScrollBar()->isVisible());

        list->SetItemHeight(40);
        QCOMPARE(list->ButtonAt(1)->geometry(), QRect(0, 40, vw, 32));
        QCOMPARE(list->ButtonAt(2)->geometry(), QRect(0, 80, vw, 32));

        // More entries than fit: a scroll bar, buttons as wide as what is left of the list.
        for (int i = 3; i < 12; ++i) list->AddString(QStringLiteral("类%1|%1").arg(i));
        QCoreApplication::processEvents();  // the scroll bar shows itself through a queued call
        QVERIFY(list->verticalScrollBar()->isVisible());
        const int narrower = list->viewport()->width();
        QVERIFY(narrower < vw);
        QCOMPARE(list->ButtonAt(0)->width(), narrower);
        QCOMPARE(list->verticalScrollBar()->maximum(), 11 * 40 + 32 - list->viewport()->height());

        list->EnsureVisible(11);
        const QRect last = list->ButtonAt(11)->geometry();
        QCOMPARE(last.bottom(), list->viewport()->height() - 1);
        QCOMPARE(list->ButtonAt(0)->geometry().top(), -list->verticalScrollBar()->value());
        list->EnsureVisible(0);
        QCOMPARE(list->ButtonAt(0)->geometry().top(), 0);

        // The wheel over an entry scrolls the list.
        QWheelEvent wheel(QPointF(20, 10), list->ButtonAt(1)->mapToGlobal(QPointF(20, 10)),
                          QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(list->ButtonAt(1), &wheel);
        QVERIFY(list->verticalScrollBar()->value() > 0);

        // Tab focus onto a hidden entry brings it into view.
        list->EnsureVisible(0);
        list->ButtonAt(10)->setFocus(Qt::TabFocusReason);
        QVERIFY(list->ButtonAt(10)->geometry().top() >= 0);
        QVERIFY(list->ButtonAt(10)->geometry().bottom() < list->viewport()->height());

        list->ResetContent();
        QCOMPARE(list->verticalScrollBar()->maximum(), 0);
    }

    void gradientFormulas() {
        QCOMPARE(CHoverButton::GradientColor(0, false, false), QColor(255, 255, 255));
        QCOMPARE(CHoverButton::GradientColor(63, false, false),
                 QColor(255 - 21, 255 - 21, 255 - 12));
        QCOMPARE(CHoverButton::GradientColor(63, true, false),
                 QColor(255 - 15, 238 - 15, 194 - 12));
        QCOMPARE(CHoverButton::GradientColor(63, false, true),
                 QColor(193 - 21, 221 - 21, 255 - 15));
        QCOMPARE(CHoverButton::GradientColor(63, true, true), QColor(193 - 15, 221 - 15, 255 - 21));
        QCOMPARE(CHoverButton::GradientColor(10, true, true), QColor(191, 219, 252));
        QCOMPARE(CHoverButton::GradientIndex(31, 32), 61);
        QCOMPARE(CHoverButton::GradientIndex(1, 32), 1);
        QCOMPARE(CHoverButton::GradientIndex(0, 0), 0);
    }

    void faceRowsFollowTheGradientInEachState_data() {
        QTest::addColumn<bool>("hovered");
        QTest::addColumn<bool>("focused");
        QTest::newRow("plain") << false << false;
        QTest::newRow("hovered") << true << false;
        QTest::newRow("focused") << false << true;
        QTest::newRow("hovered and focused") << true << true;
    }
    void faceRowsFollowTheGradientInEachState() {
        QFETCH(bool, hovered);
        QFETCH(bool, focused);
        OneButton ob(QStringLiteral("A|1"));
        if (focused) ob.button->setFocus();
        if (hovered) Hover(ob.button);
        QCOMPARE(ob.button->IsFocusedEntry(), focused);
        QCOMPARE(ob.button->IsHovered(), hovered);
        const QImage img = Grab(ob.button);
        const int h = 32;
        // Column 100 carries no text; the frame and the focus dots stay within 5 pixels of the
        // edges, so rows 5..26 are pure face everywhere.
        const int first = (hovered || focused) ? 5 : 0;
        const int last = (hovered || focused) ? h - 6 : h - 1;
        for (int y = first; y <= last; ++y) {
            const QColor expected =
                CHoverButton::GradientColor(CHoverButton::GradientIndex(y, h), hovered, focused);
            QVERIFY2(Px(img, 100, y) == expected,
                     qPrintable(QStringLiteral("row %1: %2 instead of %3")
                                    .arg(y)
                                    .arg(Rgb(Px(img, 100, y)), Rgb(expected))));
        }
        // Frames: orange when hovered, blue with dots when focused only, none otherwise.
        const QColor edge = Px(img, 0, 16);
        const QColor edgeTop = Px(img, 100, 0);
        if (hovered) {
            QCOMPARE(edge, QColor(229, 151, 0));
            QCOMPARE(edgeTop, QColor(229, 151, 0));
            QCOMPARE(Px(img, 100, 1), QColor(252, 210, 121));
            QCOMPARE(Px(img, 100, h - 2), QColor(250, 196, 88));
            QCOMPARE(Px(img, 1, 16), QColor(251, 202, 106));
            QCOMPARE(Px(img, 199, 16), QColor(229, 151, 0));
        } else if (focused) {
            QCOMPARE(edge, QColor(153, 198, 252));
            QCOMPARE(Px(img, 100, 1), QColor(162, 200, 255));
            QCOMPARE(Px(img, 1, 16), QColor(162, 190, 252));
            // Dotted focus rectangle: every other pixel of row 4 from x = 4.
            QCOMPARE(Px(img, 100, 4), QColor(0, 0, 0));
            QCOMPARE(Px(img, 101, 4),
                     CHoverButton::GradientColor(CHoverButton::GradientIndex(4, h), false, true));
        } else {
            QCOMPARE(edge,
                     CHoverButton::GradientColor(CHoverButton::GradientIndex(16, h), false, false));
        }
        if (!(focused && !hovered)) {
            QCOMPARE(Px(img, 100, 4), CHoverButton::GradientColor(CHoverButton::GradientIndex(4, h),
                                                                  hovered, focused));
        }
        if (hovered) {
            Unhover(ob.button);
            QVERIFY(!ob.button->IsHovered());
            QCOMPARE(Px(Grab(ob.button), 0, 16) == QColor(229, 151, 0), false);
        }
    }

    void captionSplitsAtTheLastBar() {
        auto c = CHoverButton::SplitCaption(QStringLiteral("M8|内六角|15"));
        QCOMPARE(c.name, QStringLiteral("M8|内六角"));
        QCOMPARE(c.count, QStringLiteral("15"));
        c = CHoverButton::SplitCaption(QStringLiteral("螺栓|"));
        QCOMPARE(c.name, QStringLiteral("螺栓"));
        QCOMPARE(c.count, QString());
        c = CHoverButton::SplitCaption(QStringLiteral("企业简介"));
        QCOMPARE(c.name, QStringLiteral("企业简介"));
        QCOMPARE(c.count, QString());
        c = CHoverButton::SplitCaption(QStringLiteral("|9"));
        QCOMPARE(c.name, QString());
        QCOMPARE(c.count, QStringLiteral("9"));
    }

    void captionPartsArePlacedAndColouredAsDrawn() {
        OneButton ob(QStringLiteral("甲|乙|128"));
        const int w = 200;
        auto inkOf = [](QColor c) { return IsDark(c) || IsReddish(c); };
        QImage img = Grab(ob.button);
        const QRect countArea(w / 2, 0, w / 2, 32);
        const QRect nameArea(20, 0, w / 2 - 20, 32);

        // Not focused: everything in the normal colour, nothing red.
        QCOMPARE(CountPixels(img, img.rect(), IsReddish), 0);
        QRect countInk = InkBox(img, countArea, inkOf);
        QRect nameInk = InkBox(img, nameArea, inkOf);
        QVERIFY(!countInk.isNull());
        QVERIFY(!nameInk.isNull());
        QFont font(QStringLiteral("新宋体"));
        font.setPixelSize(12);
        const int countAdvance = QFontMetrics(font).horizontalAdvance(QStringLiteral("128"));
        // The count only, right edge 20 pixels from the button's right edge.
        QVERIFY2(countInk.right() <= w - 20 && countInk.right() >= w - 24,
                 qPrintable(QString::number(countInk.right())));
        QVERIFY2(countInk.left() >= w - 20 - countAdvance - 1,
                 qPrintable(QStringLiteral("count ink from %1").arg(countInk.left())));
        // The name (with its inner bar) from x = 25.
        QVERIFY2(nameInk.left() >= 25 && nameInk.left() <= 27,
                 qPrintable(QString::number(nameInk.left())));
        // Vertically centred.
        QVERIFY(qAbs((nameInk.top() + nameInk.bottom()) / 2 - 16) <= 3);

        // Grey marker at (8, 9).
        const QRect markerInk = InkBox(img, QRect(0, 0, 24, 32), [](QColor c) {
            return qAbs(c.red() - c.green()) < 8 && qAbs(c.green() - c.blue()) < 8 &&
                   c.red() < 235 && c.red() > 120;
        });
        QVERIFY(!markerInk.isNull());
        QVERIFY(markerInk.left() >= 8 && markerInk.top() >= 9);
        QVERIFY(markerInk.right() < 25);

        // Focused: the count turns red, the name stays dark, and in bold it grows wider.
        ob.button->setFocus();
        img = Grab(ob.button);
        QVERIFY(CountPixels(img, countArea, IsReddish) > 5);
        QCOMPARE(CountPixels(img, nameArea, IsReddish), 0);
        const int boldDark = CountPixels(img, nameArea, IsDark);
        ob.other.setFocus();
        const int plainDark = CountPixels(Grab(ob.button), nameArea, IsDark);
        QVERIFY2(boldDark > plainDark,
                 qPrintable(QStringLiteral("%1 vs %2").arg(boldDark).arg(plainDark)));
    }

    void pressedCaptionMovesOnePixel() {
        OneButton ob(QStringLiteral("轴承|4"));
        const QRect area(20, 0, 180, 32);
        const QRect up = InkBox(Grab(ob.button), area, IsDark);
        ob.button->setDown(true);
        const QRect down = InkBox(Grab(ob.button), area, IsDark);
        QCOMPARE(down.topLeft(), up.topLeft() + QPoint(1, 1));
    }

    void textWithoutBarIsShownAsName() {
        OneButton ob(QStringLiteral("企业简介"));
        const QImage img = Grab(ob.button);
        const QRect ink = InkBox(img, QRect(20, 0, 180, 32), IsDark);
        QVERIFY(!ink.isNull());
        QVERIFY(ink.left() >= 25 && ink.left() <= 27);
        QVERIFY(ink.right() < 100);
    }

    void gallery() {
        QWidget window;
        window.resize(200, 420);
        QPalette pal = window.palette();
        pal.setColor(QPalette::Window, QColor(240, 240, 240));
        window.setPalette(pal);
        window.setAutoFillBackground(true);
        auto* list = new CButtonListBox(&window);
        list->setGeometry(8, 8, 183, 404);
        list->SetItemHeight(40);
        const QStringList names = {QStringLiteral("六角螺栓|12"), QStringLiteral("内六角螺钉|8"),
                                   QStringLiteral("法兰螺母|15"), QStringLiteral("平垫圈|6"),
                                   QStringLiteral("弹簧垫圈|9"),  QStringLiteral("深沟球轴承|21"),
                                   QStringLiteral("直线导轨|4"),  QStringLiteral("同步带轮|11")};
        for (const QString& n : names) list->AddString(n);
        window.show();
        QTest::mouseClick(list->ButtonAt(2), Qt::LeftButton, {}, QPoint(40, 16));
        Hover(list->ButtonAt(5));
        QCOMPARE(list->FocusedIndex(), 2);
        QCoreApplication::processEvents();
        QVERIFY(!list->verticalScrollBar()->isVisible());
        QVERIFY(window.grab().save(GalleryPath(QStringLiteral("skin_category_list.png"))));

        // Many entries: the list scrolls.
        for (int i = 0; i < 6; ++i) list->AddString(QStringLiteral("备用类别%1|%1").arg(i));
        QCoreApplication::processEvents();
        QVERIFY(list->verticalScrollBar()->isVisible());
        list->verticalScrollBar()->setValue(60);
        QVERIFY(window.grab().save(GalleryPath(QStringLiteral("skin_category_list_scroll.png"))));
    }
};

QTEST_MAIN(TestSkinList)
#include "tst_skinlist.moc"
