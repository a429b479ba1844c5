// Tab control with per-tab enabled flags, and the transparent label.

#include <QSignalSpy>
#include <QTest>

#include "app/CCatalogueApp.h"
#include "controls/CSkinTabCtrl.h"
#include "controls/CTransparentStatic.h"
#include "tst_skinsupport.h"

using namespace skintest;

namespace {

QStringList Captions(const CSkinTabCtrl& tab) {
    QStringList out;
    for (int i = 0; i < tab.GetItemCount(); ++i) out << tab.GetItemText(i);
    return out;
}

void FillDocumentTabs(CSkinTabCtrl& tab) {
    tab.InsertItem(0, QStringLiteral("产品介绍"));
    tab.InsertItem(1, QStringLiteral("追加加工"));
    tab.InsertItem(2, QStringLiteral("技术参考"));
}

void Click(CSkinTabCtrl& tab, int index) {
    QTest::mouseClick(&tab, Qt::LeftButton, {}, tab.GetItemRect(index).center());
}

}  // namespace

class TestSkinTab : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { CCatalogueApp::RegisterFontSubstitutions(); }

    // The selection and the enabled flags stay with their tabs as tabs come and go.
    void selectionAndFlagsFollowTheirTabs() {
        CSkinTabCtrl tab;
        QCOMPARE(tab.GetCurSel(), -1);
        FillDocumentTabs(tab);
        QCOMPARE(tab.GetCurSel(), 0);
        tab.EnableItem(2, false);
        tab.SetCurSel(1);
        QCOMPARE(tab.InsertItem(-5, QStringLiteral("前")), 0);
        QCOMPARE(tab.GetCurSel(), 2);
        QVERIFY(!tab.IsItemEnabled(3));
        QVERIFY(tab.IsItemEnabled(0));
        QCOMPARE(tab.InsertItem(99, QStringLiteral("3D模型")), 4);
        QVERIFY(tab.DeleteItem(0));
        QCOMPARE(tab.GetCurSel(), 1);
        QVERIFY(!tab.IsItemEnabled(2));
        QCOMPARE(Captions(tab),
                 QStringList({QStringLiteral("产品介绍"), QStringLiteral("追加加工"),
                              QStringLiteral("技术参考"), QStringLiteral("3D模型")}));
        // Removing the selected tab selects the one before; the first stays first.
        tab.SetCurSel(3);
        QVERIFY(tab.DeleteItem(3));
        QVERIFY(!tab.DeleteItem(3));
        QCOMPARE(tab.GetCurSel(), 2);
        tab.SetCurSel(0);
        tab.DeleteItem(0);
        QCOMPARE(tab.GetCurSel(), 0);
        QCOMPARE(tab.SetCurSel(7), -1);
        tab.DeleteAllItems();
        QCOMPARE(tab.GetCurSel(), -1);
    }

    void disabledTabsCannotBeChosen() {
        CSkinTabCtrl tab;
        tab.resize(400, 200);
        FillDocumentTabs(tab);
        tab.show();
        QSignalSpy spy(&tab, &CSkinTabCtrl::selectionChanged);
        tab.EnableItem(1, false);
        Click(tab, 1);
        QCOMPARE(tab.GetCurSel(), 0);
        // Arrow keys skip it, as clicks cannot reach it either.
        QTest::keyClick(&tab, Qt::Key_Right);
        QCOMPARE(tab.GetCurSel(), 2);
        QTest::keyClick(&tab, Qt::Key_Right);
        QTest::keyClick(&tab, Qt::Key_Left);
        QCOMPARE(tab.GetCurSel(), 0);
        // Clicking the selected tab again, or beside the tabs, changes nothing.
        Click(tab, 0);
        QTest::mouseClick(&tab, Qt::LeftButton, {}, QPoint(390, 8));
        QCOMPARE(spy.count(), 2);
        tab.EnableItem(1, true);
        Click(tab, 1);
        QCOMPARE(tab.GetCurSel(), 1);
        QCOMPARE(spy.last().at(0).toInt(), 1);
        // Tabs sit side by side above the page.
        for (int i = 1; i < tab.GetItemCount(); ++i) {
            QCOMPARE(tab.GetItemRect(i).left(), tab.GetItemRect(i - 1).right() + 1);
            QVERIFY(tab.GetItemRect(i).bottom() < tab.PageRect().top());
        }
    }

    void paintsGroundSelectedTabAndGreyDisabledText() {
        CSkinTabCtrl tab;
        tab.resize(420, 200);
        FillDocumentTabs(tab);
        tab.InsertItem(3, QStringLiteral("3D模型"));
        tab.EnableItem(2, false);
        tab.SetCurSel(1);
        tab.show();
        const QImage img = Grab(&tab);
        const QColor ground = CSkinTabCtrl::GroundColor();
        const QColor selected = CSkinTabCtrl::SelectedTabColor();
        QCOMPARE(Px(img, 410, 5), ground);
        QCOMPARE(Px(img, 200, 120), ground);
        const QRect sel = tab.GetItemRect(1);
        const QRect other = tab.GetItemRect(0);
        QCOMPARE(Px(img, sel.left() + 3, sel.top() + 3), selected);
        QCOMPARE(Px(img, other.left() + 3, other.top() + 4), ground);
        // A page frame; the selected tab opens into the page with no line under it.
        QCOMPARE(Px(img, 300, tab.kTabStripHeight).rgb(),
                 tab.palette().color(QPalette::Dark).rgb());
        QCOMPARE(Px(img, sel.center().x(), tab.kTabStripHeight), selected);
        // Enabled captions dark; the disabled one grey, never dark.
        auto dark = [](QColor c) { return c.red() < 90 && c.green() < 90 && c.blue() < 90; };
        auto grey = [](QColor c) {
            return c.red() > 95 && c.red() < 175 && qAbs(c.red() - c.blue()) < 6;
        };
        const QRect disabled = tab.GetItemRect(2).adjusted(3, 4, -3, -1);
        QCOMPARE(CountPixels(img, disabled, dark), 0);
        QVERIFY(CountPixels(img, disabled, grey) > 10);
        QVERIFY(CountPixels(img, tab.GetItemRect(0).adjusted(3, 4, -3, -1), dark) > 10);
    }

    void transparentLabelShowsTheParentAndHonoursAlignment_data() {
        QTest::addColumn<int>("alignment");
        QTest::addColumn<int>("third");  // where the text lies: 0 left, 1 middle, 2 right
        QTest::newRow("left") << int(Qt::AlignLeft | Qt::AlignVCenter) << 0;
        QTest::newRow("centre") << int(Qt::AlignHCenter | Qt::AlignVCenter) << 1;
        QTest::newRow("right") << int(Qt::AlignRight | Qt::AlignVCenter) << 2;
    }
    void transparentLabelShowsTheParentAndHonoursAlignment() {
        QFETCH(int, alignment);
        QFETCH(int, third);
        QWidget parent;
        parent.resize(300, 60);
        QPalette pal = parent.palette();
        pal.setColor(QPalette::Window, QColor(10, 200, 30));
        parent.setPalette(pal);
        parent.setAutoFillBackground(true);
        auto* label = new CTransparentStatic(QStringLiteral("产品"), &parent);
        label->setGeometry(0, 0, 300, 60);
        label->setAlignment(Qt::Alignment(alignment));
        label->SetTextColor(QColor(200, 0, 0));
        parent.show();
        const QImage img = Grab(&parent);
        const QRect ink = InkBox(img, img.rect(), [](QColor c) { return c.red() > 120; });
        QVERIFY(!ink.isNull());
        // Nothing but text over the parent's ground.
        QCOMPARE(Px(img, 150, 2), QColor(10, 200, 30));
        QCOMPARE(Px(img, 2, 58), QColor(10, 200, 30));
        QCOMPARE(ink.center().x() / 100, third);
        QCOMPARE(ink.center().y() / 20, 1);
    }
};

QTEST_MAIN(TestSkinTab)
#include "tst_skintab.moc"
