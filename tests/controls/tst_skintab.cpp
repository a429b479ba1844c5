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

    void tabsAreInsertedAndRemovedAtAnIndex() {
        CSkinTabCtrl tab;
        QCOMPARE(tab.GetCurSel(), -1);
        FillDocumentTabs(tab);
        QCOMPARE(tab.GetCurSel(), 0);
        QCOMPARE(tab.InsertItem(3, QStringLiteral("3D模型")), 3);
        QCOMPARE(Captions(tab),
                 QStringList({QStringLiteral("产品介绍"), QStringLiteral("追加加工"),
                              QStringLiteral("技术参考"), QStringLiteral("3D模型")}));
        QVERIFY(tab.IsItemEnabled(3));
        QVERIFY(tab.DeleteItem(3));
        QVERIFY(!tab.DeleteItem(3));
        QCOMPARE(tab.GetItemCount(), 3);

        // Out-of-range inserts land at the ends; the selection moves with its tab.
        tab.SetCurSel(1);
        QCOMPARE(tab.InsertItem(-5, QStringLiteral("前")), 0);
        QCOMPARE(tab.GetCurSel(), 2);
        QCOMPARE(tab.GetItemText(2), QStringLiteral("追加加工"));
        QCOMPARE(tab.InsertItem(99, QStringLiteral("后")), 4);
        QVERIFY(tab.DeleteItem(0));
        QCOMPARE(tab.GetCurSel(), 1);
        QVERIFY(tab.GetItemRect(4).isEmpty());
        tab.DeleteAllItems();
        QCOMPARE(tab.GetItemCount(), 0);
        QCOMPARE(tab.GetCurSel(), -1);
    }

    void enabledFlagsTravelWithTheirTabs() {
        CSkinTabCtrl tab;
        FillDocumentTabs(tab);
        tab.EnableItem(2, false);
        tab.InsertItem(1, QStringLiteral("新"));
        QVERIFY(tab.IsItemEnabled(1));
        QVERIFY(!tab.IsItemEnabled(3));
        QCOMPARE(tab.GetItemText(3), QStringLiteral("技术参考"));
        tab.DeleteItem(1);
        QVERIFY(!tab.IsItemEnabled(2));
        // Tabs beyond the fourth start enabled like the others.
        for (int i = 0; i < 4; ++i)
            tab.InsertItem(tab.GetItemCount(), QStringLiteral("附%1").arg(i));
        QVERIFY(tab.IsItemEnabled(6));
        QVERIFY(!tab.IsItemEnabled(7));
    }

    void removingTheSelectedTabSelectsTheOneBefore() {
        CSkinTabCtrl tab;
        FillDocumentTabs(tab);
        tab.InsertItem(3, QStringLiteral("3D模型"));
        QSignalSpy spy(&tab, &CSkinTabCtrl::selectionChanged);
        tab.SetCurSel(3);
        tab.DeleteItem(3);
        QCOMPARE(tab.GetCurSel(), 2);
        tab.SetCurSel(0);
        tab.DeleteItem(0);
        QCOMPARE(tab.GetCurSel(), 0);
        QCOMPARE(tab.GetItemText(0), QStringLiteral("追加加工"));
        QCOMPARE(spy.count(), 0);
    }

    void clickOnADisabledTabIsRefused() {
        CSkinTabCtrl tab;
        tab.resize(400, 200);
        FillDocumentTabs(tab);
        tab.show();
        QSignalSpy spy(&tab, &CSkinTabCtrl::selectionChanged);
        tab.EnableItem(1, false);
        Click(tab, 1);
        QCOMPARE(tab.GetCurSel(), 0);
        QCOMPARE(spy.count(), 0);

        Click(tab, 2);
        QCOMPARE(tab.GetCurSel(), 2);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 2);

        // Clicking the selected tab again, or beside the tabs, changes nothing.
        Click(tab, 2);
        QTest::mouseClick(&tab, Qt::LeftButton, {}, QPoint(390, 8));
        QTest::mouseClick(&tab, Qt::LeftButton, {}, QPoint(100, 100));
        QCOMPARE(spy.count(), 1);

        // A tab enabled again can be chosen.
        tab.EnableItem(1, true);
        Click(tab, 1);
        QCOMPARE(tab.GetCurSel(), 1);
        QCOMPARE(spy.count(), 2);

        // The selected tab may be disabled by its owner; it stays selected.
        tab.EnableItem(1, false);
        QCOMPARE(tab.GetCurSel(), 1);
        QCOMPARE(tab.SetCurSel(0), 1);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(tab.SetCurSel(7), -1);
        QCOMPARE(tab.GetCurSel(), 0);
    }

    void arrowKeysSkipDisabledTabs() {
        CSkinTabCtrl tab;
        tab.resize(400, 200);
        FillDocumentTabs(tab);
        tab.show();
        QSignalSpy spy(&tab, &CSkinTabCtrl::selectionChanged);
        tab.EnableItem(1, false);
        QTest::keyClick(&tab, Qt::Key_Right);
        QCOMPARE(tab.GetCurSel(), 2);
        QTest::keyClick(&tab, Qt::Key_Right);
        QCOMPARE(tab.GetCurSel(), 2);
        QTest::keyClick(&tab, Qt::Key_Left);
        QCOMPARE(tab.GetCurSel(), 0);
        QCOMPARE(spy.count(), 2);
    }

    void pagesGoInsideTheFrame() {
        CSkinTabCtrl tab;
        tab.resize(500, 300);
        QCOMPARE(tab.GetClientRect(), QRect(0, 0, 500, 300));
        QCOMPARE(tab.PageRect(), QRect(8, 20, 500 - 16, 300 - 28));
        FillDocumentTabs(tab);
        tab.InsertItem(3, QStringLiteral("3D模型"));
        for (int i = 0; i < tab.GetItemCount(); ++i) {
            const QRect r = tab.GetItemRect(i);
            QVERIFY(r.bottom() < tab.PageRect().top());
            QCOMPARE(tab.HitTest(r.center()), i);
            if (i > 0) QCOMPARE(r.left(), tab.GetItemRect(i - 1).right() + 1);
        }
        QCOMPARE(tab.HitTest(QPoint(250, 150)), -1);
    }

    void paintsGroundSelectedTabAndEmbossedDisabledText() {
        CSkinTabCtrl tab;
        tab.resize(420, 200);
        FillDocumentTabs(tab);
        tab.InsertItem(3, QStringLiteral("3D模型"));
        tab.EnableItem(2, false);
        tab.SetCurSel(1);
        tab.show();
        const QImage img = Grab(&tab);
        const QColor ground(240, 240, 240);
        const QColor selected(224, 227, 234);
        // Ground beside the tabs and inside the page frame.
        QCOMPARE(Px(img, 410, 5), ground);
        QCOMPARE(Px(img, 200, 120), ground);
        // Selected tab filled; an unselected one is not.
        const QRect sel = tab.GetItemRect(1);
        QCOMPARE(Px(img, sel.left() + 3, sel.top() + 3), selected);
        QCOMPARE(Px(img, sel.right() - 3, tab.kTabStripHeight - 2), selected);
        const QRect other = tab.GetItemRect(0);
        QCOMPARE(Px(img, other.left() + 3, other.top() + 4), ground);
        // Frame: a raised edge, shadow outside and light inside on the top, dark shadow and
        // shadow on the bottom right.
        QCOMPARE(Px(img, 300, tab.kTabStripHeight).rgb(),
                 tab.palette().color(QPalette::Dark).rgb());
        QCOMPARE(Px(img, 300, tab.kTabStripHeight + 1).rgb(),
                 tab.palette().color(QPalette::Light).rgb());
        // The selected tab opens into the page: no frame line under it.
        QCOMPARE(Px(img, sel.center().x(), tab.kTabStripHeight), selected);
        QCOMPARE(Px(img, other.center().x(), tab.kTabStripHeight).rgb(),
                 tab.palette().color(QPalette::Dark).rgb());
        QCOMPARE(Px(img, 200, 199).rgb(), tab.palette().color(QPalette::Shadow).rgb());
        QCOMPARE(Px(img, 419, 100).rgb(), tab.palette().color(QPalette::Shadow).rgb());
        QCOMPARE(Px(img, 418, 100).rgb(), tab.palette().color(QPalette::Dark).rgb());

        // Enabled captions dark; the disabled one grey over a white copy, never dark.
        auto dark = [](QColor c) { return c.red() < 90 && c.green() < 90 && c.blue() < 90; };
        auto grey = [](QColor c) {
            return c.red() > 95 && c.red() < 175 && qAbs(c.red() - c.blue()) < 6;
        };
        auto white = [](QColor c) { return c.red() > 250 && c.green() > 250 && c.blue() > 250; };
        const QRect disabled = tab.GetItemRect(2).adjusted(3, 4, -3, -1);
        QCOMPARE(CountPixels(img, disabled, dark), 0);
        QVERIFY(CountPixels(img, disabled, grey) > 10);
        QVERIFY(CountPixels(img, disabled, white) > 10);
        QVERIFY(CountPixels(img, tab.GetItemRect(0).adjusted(3, 4, -3, -1), dark) > 10);
        QVERIFY(CountPixels(img, tab.GetItemRect(3).adjusted(3, 4, -3, -1), dark) > 5);
        QCOMPARE(CountPixels(img, tab.GetItemRect(0).adjusted(3, 4, -3, -1), white), 0);
    }

    void transparentLabelHonoursItsAlignment_data() {
        QTest::addColumn<int>("alignment");
        QTest::addColumn<int>("expectedCentreX");  // -1 left, 0 centre, 1 right
        QTest::newRow("left") << int(Qt::AlignLeft | Qt::AlignVCenter) << -1;
        QTest::newRow("centre") << int(Qt::AlignHCenter | Qt::AlignVCenter) << 0;
        QTest::newRow("right") << int(Qt::AlignRight | Qt::AlignVCenter) << 1;
    }
    void transparentLabelHonoursItsAlignment() {
        QFETCH(int, alignment);
        QFETCH(int, expectedCentreX);
        QWidget parent;
        parent.resize(300, 60);
        QPalette pal = parent.palette();
        pal.setColor(QPalette::Window, QColor(10, 200, 30));
        parent.setPalette(pal);
        parent.setAutoFillBackground(true);
        auto* label = new CTransparentStatic(QStringLiteral("产品A&B"), &parent);
        label->setGeometry(0, 0, 300, 60);
        label->setAlignment(Qt::Alignment(alignment));
        label->SetTextColor(QColor(200, 0, 0));
        parent.show();
        const QImage img = Grab(&parent);
        auto red = [](QColor c) { return c.red() > 120 && c.green() < 120; };
        const QRect ink = InkBox(img, img.rect(), red);
        QVERIFY(!ink.isNull());
        // Nothing but text over the parent's ground.
        QCOMPARE(Px(img, 150, 2), QColor(10, 200, 30));
        QCOMPARE(Px(img, 2, 58), QColor(10, 200, 30));
        QVERIFY(qAbs(ink.center().y() - 30) <= 3);
        if (expectedCentreX < 0) QVERIFY(ink.left() <= 3);
        if (expectedCentreX == 0)
            QVERIFY2(qAbs(ink.center().x() - 150) <= 3,
                     qPrintable(QString::number(ink.center().x())));
        if (expectedCentreX > 0) QVERIFY(ink.right() >= 294);
        // '&' is drawn, not taken as a mnemonic: the text is as wide as all its characters.
        const int full = QFontMetrics(label->font()).horizontalAdvance(label->text());
        QVERIFY(ink.width() >= full - 4);
    }

    void transparentLabelElidesLongText() {
        CTransparentStatic label(
            QStringLiteral("一个非常非常长的产品名称，放不下的时候以省略号结束"));
        label.SetTextColor(Qt::black);
        label.resize(80, 20);
        label.setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label.show();
        auto dark = [](QColor c) { return c.red() < 128; };
        // Elided and right-aligned: the dots of the ellipsis end the line at the right edge.
        QImage img = label.grab().toImage();
        QRect ink = InkBox(img, img.rect(), dark);
        QVERIFY(!ink.isNull());
        QVERIFY(ink.right() >= 74);
        QVERIFY(ink.left() <= 10);
        label.SetEllipsis(false);
        QCOMPARE(label.Ellipsis(), false);
    }

    void gallery() {
        QWidget window;
        window.resize(460, 260);
        QPalette pal = window.palette();
        pal.setColor(QPalette::Window, QColor(240, 240, 240));
        window.setPalette(pal);
        window.setAutoFillBackground(true);
        auto* title = new CTransparentStatic(QStringLiteral("六角法兰面螺栓 GB/T 5789"), &window);
        QFont f(QStringLiteral("微软雅黑"));
        f.setPixelSize(22);
        f.setWeight(QFont::Black);
        title->setFont(f);
        title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        title->setGeometry(10, 4, 440, 30);
        auto* tab = new CSkinTabCtrl(&window);
        tab->setGeometry(10, 40, 440, 210);
        FillDocumentTabs(*tab);
        tab->InsertItem(3, QStringLiteral("3D模型"));
        tab->EnableItem(2, false);
        tab->SetCurSel(1);
        auto* page = new QWidget(tab);
        page->setAutoFillBackground(true);
        QPalette pp = page->palette();
        pp.setColor(QPalette::Window, Qt::white);
        page->setPalette(pp);
        page->setGeometry(tab->PageRect());
        window.show();
        QVERIFY(window.grab().save(GalleryPath(QStringLiteral("skin_tab.png"))));
    }
};

QTEST_MAIN(TestSkinTab)
#include "tst_skintab.moc"
