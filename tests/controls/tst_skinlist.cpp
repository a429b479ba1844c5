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

// Where entry `i`'s button is in the list's viewport.
QRect Placed(CButtonListBox* list, int i) {
    const CHoverButton* b = list->ButtonAt(i);
    return QRect(b->mapTo(list->viewport(), QPoint(0, 0)), b->size());
}

// A list of 183 x 250 in a window of its own.
struct ListWindow {
    QWidget window;
    CButtonListBox* list;
    explicit ListWindow(const QStringList& entries, int height = 250) {
        window.setGeometry(0, 0, 300, 300);
        list = new CButtonListBox(&window);
        list->setGeometry(10, 10, 183, height);
        for (const QString& e : entries) list->AddString(e);
        window.show();
    }
    void Click(int entry) {
        QTest::mouseClick(list->ButtonAt(entry), Qt::LeftButton, {}, QPoint(40, 16));
    }
};

}  // namespace

class TestSkinList : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { CCatalogueApp::RegisterFontSubstitutions(); }

    // Must stay the first test: it sees the process-wide counter before anything else uses it.
    void childIdsCountAcrossTheProcessFrom1002() {
        CButtonListBox first;
        first.AddString(QStringLiteral("螺栓|3"));
        first.AddString(QStringLiteral("螺母|0"));
        QCOMPARE(first.ButtonAt(1)->objectName(), QStringLiteral("1003"));
        first.ResetContent();
        {
            CButtonListBox second;
            second.AddString(QStringLiteral("弹簧|1"));
            QCOMPARE(second.ButtonAt(0)->objectName(), QStringLiteral("1004"));
        }
        first.AddString(QStringLiteral("轴承|2"));
        QCOMPARE(first.ButtonAt(0)->objectName(), QStringLiteral("1005"));
        QCOMPARE(CButtonListBox::ButtonsCreated(), 4);
    }

    void clickSendsTheEntryTextAndFocusesTheButton() {
        ListWindow w(
            {QStringLiteral("螺栓|12"), QStringLiteral("A|B|5"), QStringLiteral("联系我们")});
        QSignalSpy spy(w.list, &CButtonListBox::listItemClicked);
        w.Click(1);
        QCOMPARE(spy.last().at(0).toString(), QStringLiteral("A|B|5"));
        QCOMPARE(w.list->FocusedIndex(), 1);
        QVERIFY(!w.list->ButtonAt(0)->IsFocusedEntry());
        // The keyboard reaches the entries as well.
        QTest::keyClick(w.list->ButtonAt(1), Qt::Key_Space);
        QCOMPARE(spy.count(), 2);
        const auto name = CHoverButton::SplitCaption(QStringLiteral("M8|内六角|15"));
        QCOMPARE(name.name, QStringLiteral("M8|内六角"));
        QCOMPARE(name.count, QStringLiteral("15"));
    }

    // A click into a window that is not active yet moves the focus without focus events; the
    // entry that was current must not stay drawn as current beside the clicked one.
    void clickIntoAnInactiveWindowLeavesOneCurrentEntryOnScreen() {
        ListWindow w({QStringLiteral("企业简介"), QStringLiteral("联系我们")});
        w.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        w.Click(1);
        QCOMPARE(w.list->FocusedIndex(), 1);
        // What the window shows, not a fresh rendering: column 150 of each entry carries no
        // text, row 16 is face in every look.
        const auto shown = [&](int entry) {
            QCoreApplication::processEvents();
            const QPoint at = w.list->ButtonAt(entry)->mapTo(&w.window, QPoint(150, 16));
            return QColor(w.window.screen()->grabWindow(w.window.winId()).toImage().pixel(at));
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
        // The current entry stays marked while another window is active.
        QCOMPARE(shown(1), current);
        QCOMPARE(shown(0), plain);
        w.Click(0);
        w.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        QTRY_COMPARE(shown(0), current);
        QCOMPARE(shown(1), plain);
    }

    void listRebuiltFromItsOwnClickDoesNotCrash() {
        ListWindow w({QStringLiteral("甲|1"), QStringLiteral("乙|2")});
        QStringList seen;
        connect(w.list, &CButtonListBox::listItemClicked, w.list, [&](const QString& text) {
            seen << text;
            w.list->ResetContent();
            w.list->AddString(QStringLiteral("丙|3"));
        });
        QPointer<CHoverButton> clicked = w.list->ButtonAt(1);
        w.Click(1);
        QCOMPARE(seen, QStringList{QStringLiteral("乙|2")});
        QCOMPARE(w.list->Entries(), QStringList{QStringLiteral("丙|3")});
        QCOMPARE(w.list->FocusedIndex(), -1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(clicked.isNull());
        QCOMPARE(w.list->findChildren<CHoverButton*>().size(), 1);
    }

    void entriesSitItemHeightApartAndScroll() {
        ListWindow w({}, 200);
        CButtonListBox* list = w.list;
        for (int i = 0; i < 12; ++i) list->AddString(QStringLiteral("类%1|%1").arg(i));
        list->SetItemHeight(40);
        QCoreApplication::processEvents();  // the scroll bar shows itself through a queued call
        QVERIFY(list->verticalScrollBar()->isVisible());
        QCOMPARE(Placed(list, 2), QRect(0, 80, list->viewport()->width(), 32));
        QCOMPARE(list->verticalScrollBar()->maximum(), 11 * 40 + 32 - list->viewport()->height());
        list->EnsureVisible(11);
        QCOMPARE(Placed(list, 11).bottom(), list->viewport()->height() - 1);
        list->EnsureVisible(0);
        QCOMPARE(Placed(list, 0).top(), 0);
        // The wheel over an entry scrolls the list.
        QWheelEvent wheel(QPointF(20, 10), list->ButtonAt(1)->mapToGlobal(QPointF(20, 10)),
                          QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(list->ButtonAt(1), &wheel);
        QVERIFY(list->verticalScrollBar()->value() > 0);
        // Tab focus onto a hidden entry brings it into view.
        list->EnsureVisible(0);
        list->ButtonAt(10)->setFocus(Qt::TabFocusReason);
        QVERIFY(Placed(list, 10).top() >= 0);
        QVERIFY(Placed(list, 10).bottom() < list->viewport()->height());
        // Past the first blocks of buttons: the same spacing, and a click still names its entry.
        for (int i = 12; i < 150; ++i) list->AddString(QStringLiteral("类%1|%1").arg(i));
        list->EnsureVisible(130);
        for (int i : {63, 64, 65, 127, 128, 149})
            QCOMPARE(Placed(list, i).top(), i * 40 - list->verticalScrollBar()->value());
        QSignalSpy clicked(list, &CButtonListBox::listItemClicked);
        w.Click(130);
        QCOMPARE(clicked.value(0).value(0).toString(), QStringLiteral("类130|130"));
    }

    void faceAndFrameInEachState_data() {
        QTest::addColumn<bool>("hovered");
        QTest::addColumn<bool>("focused");
        QTest::addColumn<QColor>("face");  // row 16 of a 32-pixel entry
        QTest::addColumn<QColor>("edge");  // column 0
        QTest::newRow("plain") << false << false << QColor(245, 245, 249) << QColor(245, 245, 249);
        QTest::newRow("hovered") << true << false << QColor(248, 231, 188) << QColor(229, 151, 0);
        QTest::newRow("focused") << false << true << QColor(183, 211, 248) << QColor(153, 198, 252);
        QTest::newRow("hovered and focused")
            << true << true << QColor(186, 214, 245) << QColor(229, 151, 0);
    }
    void faceAndFrameInEachState() {
        QFETCH(bool, hovered);
        QFETCH(bool, focused);
        QFETCH(QColor, face);
        QFETCH(QColor, edge);
        QWidget window;
        window.resize(200, 80);
        auto* button = new CHoverButton(QStringLiteral("A|1"), &window);
        button->setGeometry(0, 0, 200, 32);
        auto* other = new QWidget(&window);
        other->setFocusPolicy(Qt::StrongFocus);
        other->setGeometry(0, 40, 10, 10);
        window.show();
        (focused ? static_cast<QWidget*>(button) : other)->setFocus();
        if (hovered) {
            QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), button->mapToGlobal(QPointF(2, 2)));
            QApplication::sendEvent(button, &enter);
        }
        const QImage img = Grab(button);
        QCOMPARE(Px(img, 100, 16), face);
        QCOMPARE(Px(img, 0, 16), edge);
        // Dotted focus rectangle: every other pixel of row 4, only when focused and not hovered.
        QCOMPARE(Px(img, 100, 4) == QColor(0, 0, 0), focused && !hovered);
        if (hovered) {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(button, &leave);
            QVERIFY(Px(Grab(button), 0, 16) != QColor(229, 151, 0));
        }
    }
};

QTEST_MAIN(TestSkinList)
#include "tst_skinlist.moc"
