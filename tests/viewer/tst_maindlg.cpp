// The main window's frame: start-up state, skin, painting, caption behaviour, the publish state
// and the company pages with the chat link.

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include "ScopedInstallation.h"
#include "ScriptedPrompter.h"
#include "controls/CButtonListBox.h"
#include "controls/CHoverButton.h"
#include "controls/CHyperLink.h"
#include "controls/CSkinBtn.h"
#include "controls/CSkinTabCtrl.h"
#include "controls/CThumbListCtrl.h"
#include "controls/CTransparentStatic.h"
#include "viewer/CDocPageDlg.h"
#include "viewer/CMainDlg.h"
#include "viewer/CModelPageDlg.h"

namespace {

// The main window's own control with an id (the pages reuse some ids for their controls).
template <typename T = QWidget>
T* Control(CMainDlg& dlg, int id) {
    return dlg.findChild<T*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

void FillSmallCatalogue(ScopedInstallation& f) {
    f.Category(QStringLiteral("导轨"), 1);
    f.Category(QStringLiteral("丝杠"), 2);
    const QString red = f.Picture(QStringLiteral("media/a.png"), {400, 300}, Qt::red);
    const QString blue = f.Picture(QStringLiteral("media/b.png"), {300, 400}, Qt::blue);
    const QString doc = f.Picture(QStringLiteral("media/doc.png"), {800, 600}, Qt::green);
    f.Product(2, QStringLiteral("导轨"), QStringLiteral("滑块@HG20"), QStringLiteral("HG20"), blue,
              {doc, doc, QString()});
    f.Product(1, QStringLiteral("导轨"), QStringLiteral("导轨@HG15"), QStringLiteral("HG15"), red,
              {doc, QString(), QString()});
    f.Product(1, QStringLiteral("丝杠"), QStringLiteral("丝杠@SFU16"), QStringLiteral("SFU16"), red,
              {doc, doc, doc});
    f.Model(QStringLiteral("导轨"), QStringLiteral("滑块@HG20"), QStringLiteral("hg20.step"), 1,
            f.Picture(QStringLiteral("media/hg20.step"), {4, 4}, Qt::white, "PNG"));
}

}  // namespace

class TestMainDlg : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { CCatalogueApp::RegisterFontSubstitutions(); }

    void startUpState() {
        ScopedInstallation f;
        QVERIFY(f.Ok());
        FillSmallCatalogue(f);
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        QVERIFY(!dlg.QuitRequested());
        QVERIFY(prompter.shown.isEmpty());
        QVERIFY(dlg.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(dlg.size(), QSize(1024, 700));
        QCOMPARE(dlg.pos(), QPoint(0, 0));
        QCOMPARE(dlg.m_viewMode, VIEW_PRODUCTS);
        QCOMPARE(dlg.m_tabCount, 3);
        QCOMPARE(theApp.thumbListMode, 1);

        // Every control keeps its id.
        for (int id : {1001, 1002, 1012, 1035, 1036, 1003, 1010, 1006, 1008, 1007, 1005, 1041, 1042,
                       1004, 1013, 1090, 1029, 1044})
            QVERIFY2(Control(dlg, id), qPrintable(QString::number(id)));
        QVERIFY(Control<CSkinBtn>(dlg, 1001));
        QVERIFY(Control<CButtonListBox>(dlg, 1041));
        QVERIFY(Control<CThumbListCtrl>(dlg, 1042));
        QVERIFY(Control<CSkinTabCtrl>(dlg, 1004));
        QVERIFY(Control<CHyperLink>(dlg, 1044));
        QVERIFY(Control<CTransparentStatic>(dlg, 1090));

        // Button 1005 exists but can never be used.
        auto* about = Control<QPushButton>(dlg, 1005);
        QVERIFY(about->isHidden());
        QVERIFY(!about->isEnabled());

        // Categories with counts, in Number order; the first one is open.
        QCOMPARE(dlg.m_classList->Entries(),
                 QStringList({QStringLiteral("导轨|2"), QStringLiteral("丝杠|1")}));
        QCOMPARE(dlg.m_classNames, QStringList({QStringLiteral("导轨"), QStringLiteral("丝杠")}));
        QCOMPARE(dlg.m_curClass, QStringLiteral("导轨"));
        QCOMPARE(dlg.m_productList->GetItemCount(), 2);
        QCOMPARE(dlg.m_productList->GetItemText(0), QStringLiteral("导轨@HG15"));
        QCOMPARE(dlg.m_productList->GetItemText(1), QStringLiteral("滑块@HG20"));
        QCOMPARE(dlg.m_productList->GetThumbWidth(), 140);
        QCOMPARE(dlg.m_productList->GetThumbHeight(), 140);
        QCOMPARE(dlg.m_classList->GetItemHeight(), 40);

        // The product-list state.
        QVERIFY(!dlg.m_classList->isHidden());
        QVERIFY(!dlg.m_productList->isHidden());
        for (QWidget* w :
             {static_cast<QWidget*>(dlg.m_tab), static_cast<QWidget*>(dlg.m_btnBack),
              static_cast<QWidget*>(dlg.m_title), static_cast<QWidget*>(dlg.m_companyText),
              static_cast<QWidget*>(dlg.m_webLink)})
            QVERIFY2(w->isHidden(), qPrintable(w->objectName()));

        // Tabs and pages are ready for the document view.
        QCOMPARE(dlg.m_tab->GetItemCount(), 3);
        QCOMPARE(dlg.m_tab->GetItemText(0), QStringLiteral("产品介绍"));
        QCOMPARE(dlg.m_tab->GetItemText(1), QStringLiteral("追加加工"));
        QCOMPARE(dlg.m_tab->GetItemText(2), QStringLiteral("技术参考"));
        QCOMPARE(dlg.m_tab->GetCurSel(), 0);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(dlg.m_pages[i]->objectName(), QString::number(133 + i));
            QCOMPARE(dlg.m_pages[i]->parentWidget(), dlg.m_tab);
            QCOMPARE(dlg.m_pages[i]->geometry(), dlg.m_tab->rect().adjusted(8, 20, -8, -8));
            QCOMPARE(dlg.m_pages[i]->isHidden(), i != 0);
        }

        // The search box shows its placeholder, drawn grey.
        QCOMPARE(dlg.m_searchEdit->text(), QStringLiteral("输入类型码搜索"));
        QCOMPARE(dlg.m_searchEdit->palette().color(QPalette::Text), QColor(192, 192, 192));
        dlg.m_searchEdit->setText(QStringLiteral("HG"));
        QCOMPARE(dlg.m_searchEdit->palette().color(QPalette::Text), QColor(Qt::black));

        // Layout of the frame for the 1024 x 700 client area.
        QCOMPARE(dlg.m_btnMin->geometry(), QRect(1024 - 106, 5, 32, 19));
        QCOMPARE(dlg.m_btnMax->geometry(), QRect(1024 - 74, 5, 34, 19));
        QCOMPARE(dlg.m_btnClose->geometry(), QRect(1024 - 40, 5, 32, 19));
        QVERIFY(dlg.m_btnMin->text().isEmpty());
        QCOMPARE(dlg.m_productList->geometry(), QRect(QPoint(260, 59), QPoint(1018, 664)));
        QCOMPARE(dlg.m_companyText->geometry(), QRect(QPoint(260, 59), QPoint(1018, 424)));
        QCOMPARE(dlg.m_webLink->geometry().topLeft(), QPoint(260, 435));
        QCOMPARE(dlg.m_tab->geometry().right(), 1018);
        QCOMPARE(dlg.m_tab->geometry().bottom(), 664);
        QCOMPARE(dlg.m_classList->geometry(), QRect(76, 61, 183, 700 - 25 - 59 - 8));
        QCOMPARE(dlg.m_searchEdit->geometry(), QRect(1024 - 330, 20, 180, 24));
        QCOMPARE(dlg.m_btnSearch->geometry(), QRect(1024 - 145, 19, 28, 24));
        QCOMPARE(dlg.m_btnChat->geometry(), QRect(512 - 48, 670, 96, 30));
        // The navigation buttons never run under the search box.
        for (QWidget* b :
             {static_cast<QWidget*>(dlg.m_btnProducts), static_cast<QWidget*>(dlg.m_btnCompany),
              static_cast<QWidget*>(dlg.m_btnSettings), static_cast<QWidget*>(dlg.m_btnPublish)}) {
            QCOMPARE(b->size(), QSize(96, 36));
            QCOMPARE(b->y(), 14);
            QVERIFY(!b->geometry().intersects(dlg.m_searchEdit->geometry().adjusted(-4, 0, 4, 0)));
        }
        QCOMPARE(dlg.m_btnCompany->x() - dlg.m_btnProducts->x(), 100);
    }

    void skinButtonsGetTheirBitmaps() {
        ScopedInstallation f;
        ScriptedPrompter prompter;
        // Give one button a hover picture of its own size and colour to check the file order.
        f.SaveBmp(QStringLiteral("min1.bmp"), {32, 19}, QColor(250, 10, 10));
        f.SaveBmp(QStringLiteral("min2.bmp"), {32, 19}, QColor(10, 250, 10));
        CMainDlg dlg(f.Parts());
        const QImage normal = dlg.m_btnMin->Bitmap(CSkinBtn::Normal).toImage();
        QVERIFY(!normal.isNull());
        QCOMPARE(dlg.m_btnMin->Bitmap(CSkinBtn::Hover).toImage().pixelColor(3, 3),
                 QColor(250, 10, 10));
        QCOMPARE(dlg.m_btnMin->Bitmap(CSkinBtn::Pressed).toImage().pixelColor(3, 3),
                 QColor(10, 250, 10));
        QCOMPARE(dlg.m_btnMin->Bitmap(CSkinBtn::Disabled).toImage(), normal);
        for (CSkinBtn* b :
             {dlg.m_btnProducts, dlg.m_btnCompany, dlg.m_btnSettings, dlg.m_btnPublish,
              dlg.m_btnBack, dlg.m_btnSearch, dlg.m_btnChat, dlg.m_btnMax, dlg.m_btnClose})
            QVERIFY2(!b->Bitmap(CSkinBtn::Normal).isNull(), qPrintable(b->objectName()));
        QCOMPARE(dlg.TopBand().size(), QSize(2560, 59));
        QCOMPARE(dlg.BottomBand().size(), QSize(2560, 30));
    }

    void missingBandQuitsCleanly_data() {
        QTest::addColumn<QString>("missing");
        QTest::newRow("top") << QStringLiteral("top.bmp");
        QTest::newRow("bottom") << QStringLiteral("bottom.bmp");
    }
    void missingBandQuitsCleanly() {
        QFETCH(QString, missing);
        ScopedInstallation f;
        FillSmallCatalogue(f);
        QVERIFY(QFile::remove(QDir(f.sysfile).filePath(missing)));
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        QVERIFY(dlg.QuitRequested());
        QCOMPARE(dlg.StartupFailure(),
                 QDir(f.sysfile).filePath(missing) + QStringLiteral(": bitmap missing"));
        QCOMPARE(prompter.Notices().size(), 1);
        QCOMPARE(prompter.Notices().first().trimmed(), QStringLiteral("Not Open SetImage Bitmap"));
        // Start-up still ran to its end.
        QCOMPARE(dlg.m_productList->GetItemCount(), 2);
        // The modal loop ends at once.
        bool stuck = false;
        QTimer::singleShot(3000, &dlg, [&] {
            stuck = true;
            dlg.done(5);
        });
        // Events handled before the run (another notice, for instance) change nothing.
        QCoreApplication::processEvents();
        const int result = dlg.exec();
        QVERIFY(!stuck);
        QCOMPARE(result, 0);
        QVERIFY(!dlg.isVisible());
    }

    void publishStateHidesAuthoringButtons_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("published") << QStringLiteral("1") << true;
        QTest::newRow("authoring") << QStringLiteral("0") << false;
        QTest::newRow("empty") << QString("") << false;
        QTest::newRow("other") << QStringLiteral("2") << false;
        QTest::newRow("no config") << QString() << false;
    }
    void publishStateHidesAuthoringButtons() {
        QFETCH(QString, state);
        QFETCH(bool, hidden);
        ScopedInstallation f({.publishState = state});
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.m_publishState, state.isNull() ? QString("") : state);
        QCOMPARE(dlg.m_btnSettings->isVisible(), !hidden);
        QCOMPARE(dlg.m_btnPublish->isVisible(), !hidden);
        // They stay hidden whatever the window does afterwards.
        dlg.ShowCompanyPages();
        dlg.ShowProductCentre();
        dlg.ToggleMaximize();
        dlg.ToggleMaximize();
        QCOMPARE(dlg.m_btnSettings->isVisible(), !hidden);
        QCOMPARE(dlg.m_btnPublish->isVisible(), !hidden);
        // The ready handlers of the two buttons show nothing.
        if (!hidden) {
            QTest::mouseClick(dlg.m_btnSettings, Qt::LeftButton);
            QTest::mouseClick(dlg.m_btnPublish, Qt::LeftButton);
            QVERIFY(prompter.shown.isEmpty());
            QVERIFY(dlg.isVisible());
        }
    }

    void paintsBandsAndTexts() {
        ScopedInstallation f;
        f.SetConfig(QStringLiteral("企业名称"), QStringLiteral("Acme"));
        f.SetConfig(QStringLiteral("企业QQ"), QStringLiteral("12345"));
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QImage shot = dlg.grab().toImage();
        QCOMPARE(shot.size(), QSize(1024, 700));
        // Top band over the whole width, above row 59.
        QVERIFY(SameColour(shot.pixelColor(200, 5), ScopedInstallation::TopColour(), 2));
        QVERIFY(SameColour(shot.pixelColor(1010, 50), ScopedInstallation::TopColour(), 2));
        // Left band in the side colour below the top band, above the bottom band.
        QVERIFY(SameColour(shot.pixelColor(30, 300), CMainDlg::SideColor(), 0));
        // Its outline is black.
        QCOMPARE(shot.pixelColor(1, 300), QColor(Qt::black));
        // Frame ground between the category list and the product list.
        QVERIFY(SameColour(shot.pixelColor(75, 300), CMainDlg::FrameColor(), 0));
        // Bottom band.
        QVERIFY(SameColour(shot.pixelColor(5, 699 - 3), ScopedInstallation::BottomColour(), 2));
        // The texts in the bottom band: light pixels where the company name and the hint are.
        auto lightPixels = [&](QRect area) {
            int n = 0;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    if (shot.pixelColor(x, y).lightness() > 150) ++n;
            return n;
        };
        QVERIFY(lightPixels(QRect(60, 700 - 23, 60, 18)) > 20);
        QVERIFY(lightPixels(QRect(512 + 50, 700 - 23, 150, 18)) > 40);
        QCOMPARE(lightPixels(QRect(150, 700 - 23, 60, 18)), 0);
        QCOMPARE(dlg.Contact().companyName, QStringLiteral("Acme"));
        QCOMPARE(dlg.Contact().ChatHint(), QStringLiteral("点击与企业QQ(12345)对话"));
        // A white field behind the search box.
        QCOMPARE(shot.pixelColor(1024 - 330 + 170, 40), QColor(Qt::white));

        // The rounded window shape: corners and the outermost row and column are cut off.
        const QRegion mask = dlg.mask();
        QVERIFY(!mask.contains(QPoint(0, 0)));
        QVERIFY(!mask.contains(QPoint(1, 1)));
        QVERIFY(!mask.contains(QPoint(0, 300)));
        QVERIFY(!mask.contains(QPoint(500, 0)));
        QVERIFY(!mask.contains(QPoint(1023, 699)));
        QVERIFY(!mask.contains(QPoint(1023, 1)));
        QVERIFY(mask.contains(QPoint(1, 300)));
        QVERIFY(mask.contains(QPoint(1023, 300)));
        QVERIFY(mask.contains(QPoint(500, 699)));
        QVERIFY(mask.contains(QPoint(500, 1)));
    }

    void tallTopBandIsDrawnWhole() {
        ScopedInstallation f;
        f.SaveBmp(QStringLiteral("top.bmp"), QSize(300, 80), QColor(200, 30, 30));
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QImage shot = dlg.grab().toImage();
        // Drawn over the left band down to its own height, and tiled along x.
        QVERIFY(SameColour(shot.pixelColor(30, 75), QColor(200, 30, 30), 2));
        QVERIFY(SameColour(shot.pixelColor(70, 79), QColor(200, 30, 30), 2));
        QVERIFY(SameColour(shot.pixelColor(650, 8), QColor(200, 30, 30), 2));
        QVERIFY(SameColour(shot.pixelColor(30, 85), CMainDlg::SideColor(), 0));
    }

    void escapeNeverCloses() {
        ScopedInstallation f;
        FillSmallCatalogue(f);
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(dlg.isVisible());
        dlg.m_classList->ButtonAt(1)->setFocus();
        QTest::keyClick(dlg.m_classList->ButtonAt(1), Qt::Key_Escape);
        QTest::keyClick(dlg.m_productList, Qt::Key_Escape);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), 0);
        QVERIFY(prompter.shown.isEmpty());
    }

    void closeButtonEndsTheDialog() {
        ScopedInstallation f;
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        QTimer::singleShot(0, &dlg, [&] { QTest::mouseClick(dlg.m_btnClose, Qt::LeftButton); });
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QVERIFY(!dlg.isVisible());
    }

    void maximiseAndRestoreRelayOut() {
        ScopedInstallation f;
        FillSmallCatalogue(f);
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        // Open the product with model files, so page 136 exists.
        dlg.OpenCategory(QStringLiteral("导轨|2"));
        dlg.m_productList->SetSelectionMark(1);
        dlg.OpenProduct();
        QCOMPARE(dlg.m_tabCount, 4);
        QVERIFY(dlg.m_modelPage);

        const QRect screen = dlg.screen()->availableGeometry();
        QTest::mouseClick(dlg.m_btnMax, Qt::LeftButton);
        QVERIFY(dlg.m_maximized);
        QTRY_COMPARE(dlg.size(), screen.size());
        auto checkLayout = [&] {
            const int r = dlg.width();
            const int b = dlg.height();
            QCOMPARE(dlg.m_clientRect, dlg.rect());
            QCOMPARE(dlg.m_tab->geometry().right(), r - 5 - 1);
            QCOMPARE(dlg.m_tab->geometry().bottom(), b - 35 - 1);
            QCOMPARE(dlg.m_productList->geometry(),
                     QRect(QPoint(260, 59), QPoint(r - 5 - 1, b - 35 - 1)));
            QCOMPARE(dlg.m_btnClose->geometry(), QRect(r - 40, 5, 32, 19));
            const QRect page = dlg.m_tab->rect().adjusted(8, 20, -8, -8);
            for (CDocPageDlg* p : dlg.m_pages) QCOMPARE(p->geometry(), page);
            QCOMPARE(dlg.m_modelPage->geometry(), page);
        };
        checkLayout();

        // A double click on the top band restores.
        QTest::mouseDClick(&dlg, Qt::LeftButton, {}, QPoint(300, 30));
        QVERIFY(!dlg.m_maximized);
        QTRY_COMPARE(dlg.size(), QSize(1024, 700));
        checkLayout();

        // A double click below the top band does nothing.
        QTest::mouseDClick(&dlg, Qt::LeftButton, {}, QPoint(30, 300));
        QVERIFY(!dlg.m_maximized);
        // ...and on the band it maximises again.
        QTest::mouseDClick(&dlg, Qt::LeftButton, {}, QPoint(300, 60));
        QVERIFY(dlg.m_maximized);
        QTRY_COMPARE(dlg.size(), screen.size());
        checkLayout();
        dlg.ToggleMaximize();
        QTRY_COMPARE(dlg.size(), QSize(1024, 700));
    }

    void dragByTheTopBand() {
        ScopedInstallation f;
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QPoint start = dlg.pos();
        auto send = [&](QEvent::Type type, QPoint local, Qt::MouseButtons buttons) {
            QMouseEvent e(type, local, dlg.mapToGlobal(local), Qt::LeftButton, buttons, {});
            QApplication::sendEvent(&dlg, &e);
        };
        send(QEvent::MouseButtonPress, QPoint(300, 40), Qt::LeftButton);
        send(QEvent::MouseMove, QPoint(340, 60), Qt::LeftButton);
        send(QEvent::MouseButtonRelease, QPoint(340, 60), Qt::NoButton);
        QTRY_COMPARE(dlg.pos(), start + QPoint(40, 20));
        // Below the top band nothing moves.
        const QPoint here = dlg.pos();
        send(QEvent::MouseButtonPress, QPoint(40, 300), Qt::LeftButton);
        send(QEvent::MouseMove, QPoint(90, 340), Qt::LeftButton);
        send(QEvent::MouseButtonRelease, QPoint(90, 340), Qt::NoButton);
        QCOMPARE(dlg.pos(), here);
    }

    void systemMenuOnTheTopBand() {
        ScopedInstallation f;
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        std::unique_ptr<QMenu> menu(dlg.CreateSystemMenu(&dlg));
        QStringList texts;
        QAction* about = nullptr;
        QAction* minimise = nullptr;
        QAction* maximise = nullptr;
        for (QAction* a : menu->actions()) {
            if (a->isSeparator()) continue;
            texts << a->text();
            if (a->text() == QStringLiteral("关于 Pelor(&A)...")) about = a;
            if (a->text().startsWith(QStringLiteral("最小化"))) minimise = a;
            if (a->text().startsWith(QStringLiteral("最大化"))) maximise = a;
        }
        QVERIFY2(about, qPrintable(texts.join(',')));
        QVERIFY(minimise && maximise);
        QVERIFY(maximise->isEnabled());

        // The About entry opens the About box, modal over the window.
        bool aboutShown = false;
        QTimer::singleShot(50, &dlg, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            aboutShown = modal && modal != &dlg;
            if (modal && modal != &dlg) static_cast<QDialog*>(modal)->accept();
        });
        about->trigger();
        QVERIFY(aboutShown);
        QVERIFY(dlg.isVisible());

        maximise->trigger();
        QVERIFY(dlg.m_maximized);
        std::unique_ptr<QMenu> second(dlg.CreateSystemMenu(&dlg));
        for (QAction* a : second->actions())
            if (a->text().startsWith(QStringLiteral("最大化"))) QVERIFY(!a->isEnabled());
        dlg.ToggleMaximize();

        minimise->trigger();
        QTRY_VERIFY(dlg.isMinimized());
    }

    // ---- company pages and chat ----

    void companyPagesAuthoring() {
        ScopedInstallation f;
        FillSmallCatalogue(f);
        const QString picture =
            f.Picture(QStringLiteral("media/company.png"), {500, 300}, QColor(250, 180, 0));
        f.Company(picture, QString(), QStringLiteral("地址：上海\n电话：021-1234"),
                  QStringLiteral("http://www.harbelt.example/cn"));
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::mouseClick(dlg.m_btnCompany, Qt::LeftButton);

        QCOMPARE(dlg.m_viewMode, VIEW_COMPANY);
        QCOMPARE(theApp.thumbListMode, 2);
        QCOMPARE(dlg.m_classList->Entries(),
                 QStringList({QStringLiteral("企业简介"), QStringLiteral("联系我们")}));
        QVERIFY(dlg.m_productList->isVisible());
        QVERIFY(!dlg.m_companyText->isVisible());
        QVERIFY(!dlg.m_webLink->isVisible());
        QVERIFY(!dlg.m_tab->isVisible());
        // The company picture at its own size, unframed.
        QCOMPARE(dlg.m_productList->GetItemCount(), 1);
        QCOMPARE(dlg.m_productList->GetThumbWidth(), 500);
        QCOMPARE(dlg.m_productList->GetThumbHeight(), 300);
        QVERIFY(dlg.m_productList->WaitForThumbnails(10000));
        QVERIFY(SameColour(CentreColour(dlg.m_productList->ItemImage(0)), QColor(250, 180, 0)));
        // A click on the picture does nothing in the company view.
        dlg.m_productList->SetSelectionMark(0);
        dlg.OpenProduct();
        QVERIFY(!dlg.m_tab->isVisible());

        // 联系我们: the text and the link, the picture list hidden.
        QTest::mouseClick(dlg.m_classList->ButtonAt(1), Qt::LeftButton);
        QCOMPARE(dlg.m_curClass, QStringLiteral("联系我们"));
        QVERIFY(!dlg.m_productList->isVisible());
        QVERIFY(dlg.m_companyText->isVisible());
        QVERIFY(dlg.m_webLink->isVisible());
        QCOMPARE(dlg.m_companyText->toPlainText(), QStringLiteral("地址：上海\n电话：021-1234"));
        QCOMPARE(dlg.m_webLink->text(), QStringLiteral("http://www.harbelt.example/cn"));
        QCOMPARE(dlg.m_webLink->GetLinkUrl(), QStringLiteral("www.harbelt.example/cn"));
        QCOMPARE(dlg.m_webLink->GetTooltipText(), QStringLiteral("浏览企业网站"));
        QCOMPARE(dlg.m_companyText->palette().color(QPalette::Base), QColor(240, 240, 240));
        QCOMPARE(dlg.m_webLink->palette().color(QPalette::WindowText), QColor(Qt::black));
        // The link keeps the layout's rectangle, and a click far from its text opens it.
        const QRect linkRect(QPoint(260, 700 - 265), QPoint(1024 - 181, 700 - 201));
        QCOMPARE(dlg.m_webLink->geometry(), linkRect);
        QTest::mouseClick(dlg.m_webLink, Qt::LeftButton, {},
                          QPoint(linkRect.width() - 2, linkRect.height() - 2));
        QCOMPARE(prompter.shown.size(), 1);
        QCOMPARE(prompter.shown[0].kind, QStringLiteral("url"));

        // 企业简介 again: the picture as thumbnail 0 in the company size, text and link hidden.
        QTest::mouseClick(dlg.m_classList->ButtonAt(0), Qt::LeftButton);
        QVERIFY(dlg.m_productList->isVisible());
        QVERIFY(!dlg.m_companyText->isVisible());
        QVERIFY(!dlg.m_webLink->isVisible());
        QCOMPARE(dlg.m_productList->GetItemCount(), 1);
        QCOMPARE(dlg.m_productList->GetThumbWidth(), 500);
        QVERIFY(dlg.m_productList->WaitForThumbnails(10000));
        const QImage cell = dlg.m_productList->ItemImage(0);
        QVERIFY(SameColour(CentreColour(cell), QColor(250, 180, 0)));
        // No grey frame: the cell's top-left frame corner stays white.
        QCOMPARE(cell.pixelColor(0, 10), QColor(Qt::white));

        // 联系我们, then the company button: the picture back, text and link hidden.
        QTest::mouseClick(dlg.m_classList->ButtonAt(1), Qt::LeftButton);
        QTest::mouseClick(dlg.m_btnCompany, Qt::LeftButton);
        QVERIFY(dlg.m_productList->isVisible());
        QVERIFY(!dlg.m_companyText->isVisible());
        QVERIFY(!dlg.m_webLink->isVisible());

        // The product centre brings the categories back.
        QTest::mouseClick(dlg.m_btnProducts, Qt::LeftButton);
        QCOMPARE(dlg.m_viewMode, VIEW_PRODUCTS);
        QCOMPARE(theApp.thumbListMode, 1);
        QCOMPARE(dlg.m_classList->GetCount(), 2);
        QCOMPARE(dlg.m_productList->GetItemCount(), 2);
        QCOMPARE(prompter.shown.size(), 1);
    }

    void companyPagesPublished() {
        ScopedInstallation f({.publishState = QStringLiteral("1")});
        f.Picture(QStringLiteral("pic/企业/company.jpg"), {4000, 1000}, QColor(0, 160, 60));
        f.Company(QStringLiteral("/nowhere/company.jpg"), QStringLiteral("pic\\企业\\company.jpg"),
                  QStringLiteral("文字"), QStringLiteral("www.harbelt.example"));
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.ShowCompanyPages();
        // Wider than 3300: scaled to 3300 wide.
        QCOMPARE(dlg.m_productList->GetItemCount(), 1);
        QCOMPARE(dlg.m_productList->GetThumbWidth(), 3300);
        QCOMPARE(dlg.m_productList->GetThumbHeight(), 825);
        QVERIFY(dlg.m_productList->WaitForThumbnails(20000));
        QVERIFY(SameColour(CentreColour(dlg.m_productList->ItemImage(0)), QColor(0, 160, 60)));
        dlg.OpenCategory(QStringLiteral("联系我们"));
        QCOMPARE(dlg.m_webLink->GetLinkUrl(), QStringLiteral("www.harbelt.example"));
    }

    void companyWithoutPictureOrRow() {
        ScopedInstallation f;
        f.Company(QDir(f.media).filePath(QStringLiteral("missing.png")), QString(),
                  QStringLiteral("t"), QStringLiteral("harbelt.example"));
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.ShowCompanyPages();
        QCOMPARE(dlg.m_productList->GetItemCount(), 0);
        // The introduction entry adds the item anyway; the list draws a white cell.
        dlg.OpenCategory(QStringLiteral("企业简介"));
        QCOMPARE(dlg.m_productList->GetItemCount(), 1);
        QVERIFY(dlg.m_productList->WaitForThumbnails(10000));
        // A web text without "www." links to the whole text.
        dlg.OpenCategory(QStringLiteral("联系我们"));
        QCOMPARE(dlg.m_webLink->GetLinkUrl(), QStringLiteral("harbelt.example"));
        // No picture at all, or a file that is no picture: no cell.
        for (const char* opath : {"", "company.txt"}) {
            QVERIFY(theApp.m_db->ExecuteSql("update [企业表] set [Opath]=?",
                                            {QString::fromUtf8(opath)}));
            dlg.OpenCategory(QStringLiteral("企业简介"));
            QCOMPARE(dlg.m_productList->GetItemCount(), 0);
        }

        // Without a company row the two entries are shown and the right side stays empty.
        QVERIFY(theApp.m_db->ExecuteSql("delete from [企业表]"));
        dlg.ShowCompanyPages();
        QCOMPARE(dlg.m_classList->GetCount(), 2);
        QCOMPARE(dlg.m_productList->GetItemCount(), 0);
        dlg.OpenCategory(QStringLiteral("企业简介"));
        QCOMPARE(dlg.m_productList->GetItemCount(), 0);
        QVERIFY(prompter.shown.isEmpty());
    }

    void companyPicturesFromTestData() {
        // Every picture of the shared test set as the company picture: shown or empty, never
        // a crash or a hang.
        const QDir images(QStringLiteral(VISTREL_TESTDATA_IMAGES));
        const QStringList files = images.entryList(QDir::Files);
        QVERIFY(!files.isEmpty());
        ScopedInstallation f;
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        for (const QString& name : files) {
            f.Company(images.filePath(name), QString(), QString(), QString());
            dlg.ShowCompanyPages();
            QVERIFY2(dlg.m_productList->GetItemCount() <= 1, qPrintable(name));
            QVERIFY2(dlg.m_productList->GetThumbWidth() <= 3300, qPrintable(name));
            QVERIFY2(dlg.m_productList->WaitForThumbnails(30000), qPrintable(name));
            dlg.OpenCategory(QStringLiteral("企业简介"));
            QVERIFY2(dlg.m_productList->WaitForThumbnails(30000), qPrintable(name));
        }
    }

    void chatAddress() {
        {
            ScopedInstallation f;
            ScriptedPrompter prompter;
            CMainDlg dlg(f.Parts());
            dlg.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dlg));
            QTest::mouseClick(dlg.m_btnChat, Qt::LeftButton);
            QCOMPARE(prompter.shown.size(), 1);
            QCOMPARE(prompter.shown[0].kind, QStringLiteral("url"));
            QCOMPARE(prompter.shown[0].text,
                     QStringLiteral("http://wpa.qq.com/msgrd?v=3&uin=%1&site=qq&menu=yes")
                         .arg(CompanyContact::kDefaultQQ));
        }
        {
            ScopedInstallation f;
            f.SetConfig(QStringLiteral("企业QQ"), QStringLiteral("4006128866"));
            f.SetConfig(QStringLiteral("聊天服务器"), QStringLiteral("chat.example.com"));
            ScriptedPrompter prompter;
            prompter.urlResults.enqueue(2);  // a failure is not reported
            CMainDlg dlg(f.Parts());
            dlg.OpenChat();
            QCOMPARE(prompter.shown.size(), 1);
            QCOMPARE(prompter.shown[0].text,
                     QStringLiteral(
                         "http://chat.example.com/msgrd?v=3&uin=4006128866&site=qq&menu=yes"));
        }
    }

    void contactSettingsFallBackToDefaults() {
        ScopedInstallation f;
        f.SetConfig(QStringLiteral("企业QQ"), QStringLiteral("abc"));
        f.SetConfig(QStringLiteral("聊天服务器"), QStringLiteral("evil.example/x?y="));
        f.SetConfig(QStringLiteral("企业名称"), QStringLiteral("   "));
        const CompanyContact c = CompanyContact::FromConfig(CIniFile(theApp.m_paths.configPath));
        QCOMPARE(c.qqNumber, CompanyContact::kDefaultQQ);
        QCOMPARE(c.chatHost, QStringLiteral("wpa.qq.com"));
        QCOMPARE(c.companyName, QStringLiteral("Harbelt"));
    }

    void webLinkTargetRule() {
        QCOMPARE(CompanyContact::WebLinkTarget(QStringLiteral("http://www.a.com")),
                 QStringLiteral("www.a.com"));
        QCOMPARE(CompanyContact::WebLinkTarget(QStringLiteral("https://shop.a.com/www.x")),
                 QStringLiteral("www.x"));
        QCOMPARE(CompanyContact::WebLinkTarget(QStringLiteral("a.com")), QStringLiteral("a.com"));
        QCOMPARE(CompanyContact::WebLinkTarget(QString()), QString());
        QCOMPARE(CompanyContact::WebLinkTarget(QStringLiteral("www.a.com/www.b")),
                 QStringLiteral("www.a.com/www.b"));
    }
};

QTEST_MAIN(TestMainDlg)
#include "tst_maindlg.moc"
