// The main window's frame: start-up state, skin, painting, caption behaviour, the publish state
// and the company pages with the chat link.

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include "ScopedInstallation.h"
#include "ScriptedPrompter.h"
#include "authoring/CSettingDlg.h"
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
        QCOMPARE(dlg.size(), QSize(1024, 700));
        // Controls keep their ids; button 1005 exists but can never be used.
        for (int id : {1001, 1012, 1035, 1041, 1042, 1004, 1013, 1090, 1029, 1044})
            QVERIFY2(Control(dlg, id), qPrintable(QString::number(id)));
        QVERIFY(Control<QPushButton>(dlg, 1005)->isHidden());
        // Categories with counts, in Number order; the first one is open.
        QCOMPARE(dlg.ClassList()->Entries(),
                 QStringList({QStringLiteral("导轨|2"), QStringLiteral("丝杠|1")}));
        QCOMPARE(dlg.CurClass(), QStringLiteral("导轨"));
        QCOMPARE(dlg.ProductList()->GetItemText(0), QStringLiteral("导轨@HG15"));
        QCOMPARE(dlg.ProductList()->GetItemText(1), QStringLiteral("滑块@HG20"));
        QVERIFY(dlg.Tab()->isHidden() && dlg.BackButton()->isHidden() && dlg.WebLink()->isHidden());
        for (int i = 0; i < 3; ++i)
            QCOMPARE(dlg.Page(i)->geometry(), dlg.Tab()->rect().adjusted(8, 20, -8, -8));
        // The frame for the 1024 x 700 client area; the navigation never runs under the search.
        QCOMPARE(dlg.CloseButton()->geometry(), QRect(1024 - 40, 5, 32, 19));
        QCOMPARE(dlg.ProductList()->geometry(), QRect(QPoint(260, 59), QPoint(1018, 664)));
        QCOMPARE(dlg.ClassList()->geometry(), QRect(76, 61, 183, 700 - 25 - 59 - 8));
        QCOMPARE(dlg.SearchEdit()->geometry(), QRect(1024 - 330, 20, 180, 24));
        for (QWidget* b :
             {dlg.ProductsButton(), dlg.CompanyButton(), dlg.SettingsButton(), dlg.PublishButton()})
            QVERIFY(!b->geometry().intersects(dlg.SearchEdit()->geometry().adjusted(-4, 0, 4, 0)));
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
        QCOMPARE(dlg.ProductList()->GetItemCount(), 2);
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
        QCOMPARE(dlg.PublishState(), state.isNull() ? QString("") : state);
        QCOMPARE(dlg.SettingsButton()->isVisible(), !hidden);
        QCOMPARE(dlg.PublishButton()->isVisible(), !hidden);
        // They stay hidden whatever the window does afterwards.
        dlg.ShowCompanyPages();
        dlg.ShowProductCentre();
        dlg.ToggleMaximize();
        dlg.ToggleMaximize();
        QCOMPARE(dlg.SettingsButton()->isVisible(), !hidden);
        QCOMPARE(dlg.PublishButton()->isVisible(), !hidden);
        // Settings runs the hub, publish the publish dialog.
        if (!hidden) {
            const std::pair<CSkinBtn*, QString> buttons[] = {
                {dlg.SettingsButton(), QStringLiteral("设置界面")},
                {dlg.PublishButton(), QStringLiteral("信息发布界面")}};
            for (const auto& [button, title] : buttons) {
                QString shown;
                QTimer::singleShot(0, [&shown] {
                    if (QWidget* modal = QApplication::activeModalWidget()) {
                        shown = modal->windowTitle();
                        modal->close();
                    }
                });
                QTest::mouseClick(button, Qt::LeftButton);
                QCOMPARE(shown, title);
            }
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
        QCOMPARE(dlg.Contact().companyName, QStringLiteral("Acme"));
        QCOMPARE(dlg.Contact().ChatHint(), QStringLiteral("点击与企业QQ(12345)对话"));
        // A white field behind the search box.
        QCOMPARE(shot.pixelColor(1024 - 330 + 170, 40), QColor(Qt::white));

        // The rounded window shape: corners and the outermost row and column are cut off.
        const QRegion mask = dlg.mask();
        QVERIFY(!mask.contains(QPoint(0, 0)));
        QVERIFY(!mask.contains(QPoint(1023, 699)));
        QVERIFY(!mask.contains(QPoint(500, 0)));
        QVERIFY(mask.contains(QPoint(1, 300)));
        QVERIFY(mask.contains(QPoint(500, 1)));
    }

    // Escape never closes the window; its close button does.
    void escapeNeverCloses() {
        ScopedInstallation f;
        FillSmallCatalogue(f);
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        QTimer::singleShot(0, &dlg, [&] {
            QTest::keyClick(&dlg, Qt::Key_Escape);
            QTest::keyClick(dlg.ProductList(), Qt::Key_Escape);
            QVERIFY(dlg.isVisible());
            QTest::mouseClick(dlg.CloseButton(), Qt::LeftButton);
        });
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QVERIFY(prompter.shown.isEmpty());
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
        QTest::mouseClick(dlg.CompanyButton(), Qt::LeftButton);

        QCOMPARE(theApp.thumbListMode, 2);
        QCOMPARE(dlg.ClassList()->Entries(),
                 QStringList({QStringLiteral("企业简介"), QStringLiteral("联系我们")}));
        // The company picture at its own size, unframed.
        QCOMPARE(dlg.ProductList()->GetThumbWidth(), 500);
        QVERIFY(dlg.ProductList()->WaitForThumbnails(10000));
        QVERIFY(SameColour(CentreColour(dlg.ProductList()->ItemImage(0)), QColor(250, 180, 0)));
        // A click on the picture does nothing in the company view.
        dlg.ProductList()->SetSelectionMark(0);
        dlg.OpenProduct();
        QVERIFY(!dlg.Tab()->isVisible());

        // 联系我们: the text and the link, the picture list hidden.
        QTest::mouseClick(dlg.ClassList()->ButtonAt(1), Qt::LeftButton);
        QVERIFY(!dlg.ProductList()->isVisible() && dlg.WebLink()->isVisible());
        QCOMPARE(dlg.CompanyText()->toPlainText(), QStringLiteral("地址：上海\n电话：021-1234"));
        QCOMPARE(dlg.WebLink()->text(), QStringLiteral("http://www.harbelt.example/cn"));
        QCOMPARE(dlg.WebLink()->GetLinkUrl(), QStringLiteral("www.harbelt.example/cn"));
        // The link keeps the layout's rectangle, and a click far from its text opens it.
        const QRect linkRect(QPoint(260, 700 - 265), QPoint(1024 - 181, 700 - 201));
        QCOMPARE(dlg.WebLink()->geometry(), linkRect);
        QTest::mouseClick(dlg.WebLink(), Qt::LeftButton, {},
                          QPoint(linkRect.width() - 2, linkRect.height() - 2));
        QCOMPARE(prompter.shown.size(), 1);
        QCOMPARE(prompter.shown[0].kind, QStringLiteral("url"));

        // 企业简介 again: the picture, text and link hidden.
        QTest::mouseClick(dlg.ClassList()->ButtonAt(0), Qt::LeftButton);
        QVERIFY(dlg.ProductList()->isVisible() && !dlg.WebLink()->isVisible());
        QVERIFY(dlg.ProductList()->WaitForThumbnails(10000));
        QCOMPARE(dlg.ProductList()->ItemImage(0).pixelColor(0, 10), QColor(Qt::white));

        // 联系我们, then the company button: the picture back, text and link hidden.
        QTest::mouseClick(dlg.ClassList()->ButtonAt(1), Qt::LeftButton);
        QTest::mouseClick(dlg.CompanyButton(), Qt::LeftButton);
        QVERIFY(dlg.ProductList()->isVisible() && !dlg.CompanyText()->isVisible());

        // The product centre brings the categories back.
        QTest::mouseClick(dlg.ProductsButton(), Qt::LeftButton);
        QCOMPARE(theApp.thumbListMode, 1);
        QCOMPARE(dlg.ProductList()->GetItemCount(), 2);
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
        QCOMPARE(dlg.ProductList()->GetThumbWidth(), 3300);
        QCOMPARE(dlg.ProductList()->GetThumbHeight(), 825);
        QVERIFY(dlg.ProductList()->WaitForThumbnails(20000));
        QVERIFY(SameColour(CentreColour(dlg.ProductList()->ItemImage(0)), QColor(0, 160, 60)));
        dlg.OpenCategory(QStringLiteral("联系我们"));
        QCOMPARE(dlg.WebLink()->GetLinkUrl(), QStringLiteral("www.harbelt.example"));
    }

    void companyWithoutPictureOrRow() {
        ScopedInstallation f;
        f.Company(QDir(f.media).filePath(QStringLiteral("missing.png")), QString(),
                  QStringLiteral("t"), QStringLiteral("harbelt.example"));
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.ShowCompanyPages();
        QCOMPARE(dlg.ProductList()->GetItemCount(), 0);
        // The introduction entry adds the item anyway; the list draws a white cell.
        dlg.OpenCategory(QStringLiteral("企业简介"));
        QCOMPARE(dlg.ProductList()->GetItemCount(), 1);
        // A web text without "www." links to the whole text.
        dlg.OpenCategory(QStringLiteral("联系我们"));
        QCOMPARE(dlg.WebLink()->GetLinkUrl(), QStringLiteral("harbelt.example"));
        // No picture at all, or a file that is no picture: no cell.
        for (const char* opath : {"", "company.txt"}) {
            QVERIFY(theApp.m_db->ExecuteSql("update [企业表] set [Opath]=?",
                                            {QString::fromUtf8(opath)}));
            dlg.OpenCategory(QStringLiteral("企业简介"));
            QCOMPARE(dlg.ProductList()->GetItemCount(), 0);
        }

        // Without a company row the two entries are shown and the right side stays empty.
        QVERIFY(theApp.m_db->ExecuteSql("delete from [企业表]"));
        dlg.ShowCompanyPages();
        dlg.OpenCategory(QStringLiteral("企业简介"));
        QCOMPARE(dlg.ProductList()->GetItemCount(), 0);
        QVERIFY(prompter.shown.isEmpty());
    }

    void chatAddress() {
        {
            ScopedInstallation f;
            ScriptedPrompter prompter;
            CMainDlg dlg(f.Parts());
            dlg.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dlg));
            // A catalogue without an account number has no chat link to follow.
            QVERIFY(dlg.ChatButton()->isHidden());
            dlg.OpenChat();
            QVERIFY(prompter.shown.isEmpty());
        }
        {
            ScopedInstallation f;
            f.SetConfig(QStringLiteral("企业QQ"), QStringLiteral("4006128866"));
            f.SetConfig(QStringLiteral("聊天服务器"), QStringLiteral("chat.example.com"));
            ScriptedPrompter prompter;
            prompter.urlResults.enqueue(2);  // a failure is not reported
            CMainDlg dlg(f.Parts());
            dlg.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dlg));
            QTest::mouseClick(dlg.ChatButton(), Qt::LeftButton);
            QCOMPARE(prompter.shown.size(), 1);
            QCOMPARE(prompter.shown[0].text,
                     QStringLiteral(
                         "http://chat.example.com/msgrd?v=3&uin=4006128866&site=qq&menu=yes"));
        }
    }

    // The window driven by the keyboard alone, and what a screen reader finds in it.
    void keyboardReachesEverything() {
        ScopedInstallation f;
        FillSmallCatalogue(f);
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        const auto key = [](Qt::Key k, Qt::KeyboardModifiers m = {}) {
            QTest::keyClick(QApplication::focusWidget(), k, m);
        };
        // Tab goes along the top band, then the categories, then the products.
        CButtonListBox* classes = dlg.ClassList();
        dlg.ProductsButton()->setFocus();
        const QList<QWidget*> expected = {
            dlg.CompanyButton(), dlg.SettingsButton(), dlg.PublishButton(),  dlg.SearchEdit(),
            dlg.SearchButton(),  classes->ButtonAt(0), classes->ButtonAt(1), dlg.ProductList()};
        for (QWidget* next : expected) {
            key(Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        // The category list moves with the arrows; Space opens the category, Right goes on to
        // its products.
        classes->ButtonAt(0)->setFocus();
        key(Qt::Key_Right);
        QCOMPARE(QApplication::focusWidget(), dlg.ProductList());
        classes->ButtonAt(0)->setFocus();
        key(Qt::Key_Down);
        QCOMPARE(classes->FocusedIndex(), 1);
        key(Qt::Key_Down);  // the last entry stays
        QCOMPARE(classes->FocusedIndex(), 1);
        key(Qt::Key_Up);
        key(Qt::Key_Up);
        QCOMPARE(classes->FocusedIndex(), 0);
        key(Qt::Key_End);
        key(Qt::Key_Space);
        QCOMPARE(dlg.ProductList()->GetItemCount(), 1);
        QCOMPARE(dlg.ProductList()->GetItemText(0), QStringLiteral("丝杠@SFU16"));
        // Enter in the grid opens the current product instead of searching.
        dlg.ProductList()->setFocus();
        key(Qt::Key_Right);
        key(Qt::Key_Return);
        QVERIFY(dlg.Tab()->isVisible());
        QCOMPARE(dlg.Title()->text(), QStringLiteral("丝杠--丝杠"));
        QVERIFY(prompter.shown.isEmpty());
        // Ctrl+F reaches the search box from anywhere.
        dlg.BackButton()->click();
        key(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), dlg.SearchEdit());
        // Space presses a skinned button.
        dlg.CompanyButton()->setFocus(Qt::TabFocusReason);
        key(Qt::Key_Space);
        QTRY_COMPARE(classes->GetText(0), QStringLiteral("企业简介"));
        QVERIFY(prompter.shown.isEmpty());
    }

    // Every skinned button is a button with a name; the lists and the tabs are named.
    void screenReadersFindNames() {
        ScopedInstallation f;
        FillSmallCatalogue(f);
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.ShowCompanyPages();
        CButtonListBox* classes = dlg.ClassList();
        const auto check = [](QWidget* w, QAccessible::Role role, const QString& name) {
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
            QVERIFY(iface);
            QCOMPARE(iface->role(), role);
            QCOMPARE(iface->text(QAccessible::Name), name);
        };
        const QList<CSkinBtn*> skinned = dlg.findChildren<CSkinBtn*>();
        QCOMPARE(skinned.size(), 10);
        for (CSkinBtn* b : skinned)
            QVERIFY2(!b->accessibleName().isEmpty(), qPrintable(b->objectName()));
        check(dlg.SearchButton(), QAccessible::Button, QStringLiteral("搜索"));
        check(dlg.ChatButton(), QAccessible::Button, QStringLiteral("与企业QQ对话"));
        check(classes, QAccessible::List, QStringLiteral("产品类别"));
        check(classes->ButtonAt(0), QAccessible::Button, QStringLiteral("企业简介"));
        dlg.ShowProductCentre();
        // An entry is read as its name and count.
        check(classes->ButtonAt(0), QAccessible::Button, QStringLiteral("导轨，2"));
        check(dlg.ProductList(), QAccessible::List, QStringLiteral("产品"));
        check(dlg.SearchEdit(), QAccessible::EditableText, QStringLiteral("类型码搜索"));
        check(dlg.Tab(), QAccessible::PageTabList, QStringLiteral("产品文档"));
        QAccessibleInterface* tabs = QAccessible::queryAccessibleInterface(dlg.Tab());
        QCOMPARE(tabs->childCount(), 3);
        QCOMPARE(tabs->child(0)->role(), QAccessible::PageTab);
        QCOMPARE(tabs->child(2)->text(QAccessible::Name), QStringLiteral("技术参考"));
    }

    // The window goes where the screen's free area begins; on a screen too small for it, it is
    // maximised there and keeps every control inside.
    void fitsTheScreen() {
        ScopedInstallation f;
        FillSmallCatalogue(f);
        ScriptedPrompter prompter;
        {
            CMainDlg dlg(f.Parts());
            dlg.FitToScreen(QRect(0, 32, 1280, 768));  // a panel along the top
            QCOMPARE(dlg.geometry(), QRect(0, 32, 1024, 700));
            QVERIFY(!dlg.IsMaximized());
        }
        CMainDlg dlg(f.Parts());
        dlg.FitToScreen(QRect(0, 0, 900, 600));
        QVERIFY(dlg.IsMaximized());
        QCOMPARE(dlg.size(), QSize(900, 600));
        for (QWidget* w :
             {static_cast<QWidget*>(dlg.CloseButton()), Control(dlg, 1006), Control(dlg, 1008),
              static_cast<QWidget*>(dlg.SearchButton()), static_cast<QWidget*>(dlg.ProductList()),
              static_cast<QWidget*>(dlg.ChatButton())})
            QVERIFY2(dlg.rect().contains(w->geometry()), qPrintable(w->objectName()));
    }

    // Escape closes the settings hub and every dialog it opens.
    void escapeClosesTheHubAndItsDialogs() {
        ScopedInstallation f;
        FillSmallCatalogue(f);
        ScriptedPrompter prompter;
        CSettingDlg hub(f.Db(), theApp.m_paths);
        hub.show();
        QVERIFY(QTest::qWaitForWindowActive(&hub));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &hub,
                        Qt::Key_Escape);
        QVERIFY(!hub.isVisible());
        QCOMPARE(hub.result(), int(QDialog::Rejected));
        for (const CSettingDlg::Command& command : CSettingDlg::Commands()) {
            const std::unique_ptr<QDialog> dialog = command.open(f.Db(), theApp.m_paths);
            dialog->show();
            QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
            QWidget* target =
                QApplication::focusWidget() ? QApplication::focusWidget() : dialog.get();
            QTest::keyClick(target, Qt::Key_Escape);
            QVERIFY2(!dialog->isVisible(), command.caption);
        }
        QVERIFY(prompter.shown.isEmpty());
    }

    void contactSettingsFallBackToDefaults() {
        ScopedInstallation f;
        f.SetConfig(QStringLiteral("企业QQ"), QStringLiteral("abc"));
        f.SetConfig(QStringLiteral("聊天服务器"), QStringLiteral("evil.example/x?y="));
        f.SetConfig(QStringLiteral("企业名称"), QStringLiteral("   "));
        const CompanyContact c = CompanyContact::FromConfig(CIniFile(theApp.m_paths.configPath));
        QCOMPARE(c.qqNumber, CompanyContact::kNoQQ);
        QCOMPARE(c.chatHost, QStringLiteral("wpa.qq.com"));
        QCOMPARE(c.companyName, QString());
        QCOMPARE(c.ChatHint(), QString());  // nothing of another company in the bottom band
    }
};

QTEST_MAIN(TestMainDlg)
#include "tst_maindlg.moc"
