// The main window on installations written by the installation tool: the authoring demo and a
// published copy. Saves screenshots of the main views under <build>/screens for a look.

#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "ScopedInstallation.h"
#include "ScriptedPrompter.h"
#include "app/CCatalogueApp.h"
#include "controls/CButtonListBox.h"
#include "controls/CHoverButton.h"
#include "controls/CHyperLink.h"
#include "controls/CSkinBtn.h"
#include "controls/CSkinTabCtrl.h"
#include "controls/CThumbListCtrl.h"
#include "controls/CTransparentStatic.h"
#include "tools/install/DemoInstaller.h"
#include "viewer/CDocPageDlg.h"
#include "viewer/CMainDlg.h"
#include "viewer/CModelPageDlg.h"
#include "viewer/DocPictureColumn.h"

namespace {

QString ScreenFile(const QString& name) {
    const QDir dir(QCoreApplication::applicationDirPath());
    dir.mkpath(QStringLiteral("screens"));
    return dir.filePath(QStringLiteral("screens/") + name);
}

// True when an image holds more than a plain ground: a few distinct, non-white colours.
bool HasContent(const QImage& image) {
    if (image.isNull()) return false;
    int coloured = 0;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            if (image.pixelColor(x, y).lightness() < 235) ++coloured;
    return coloured > 20;
}

void OpenItem(CMainDlg& dlg, int item) {
    dlg.m_productList->SetSelectionMark(item);
    dlg.OpenProduct();
}

void SelectTab(CMainDlg& dlg, int index) {
    QTest::mouseClick(dlg.m_tab, Qt::LeftButton, {}, dlg.m_tab->GetItemRect(index).center());
}

bool PageShowsPictures(CDocPageDlg* page) {
    if (!page->WaitForPictures(60000)) return false;
    if (page->ShowsFolder()) {
        for (int i = 0; i < page->Column()->Count(); ++i)
            if (page->Column()->IsLoaded(i) && HasContent(page->Column()->ImageAt(i))) return true;
        return false;
    }
    return page->List()->GetItemCount() == 1 && HasContent(page->List()->ItemImage(0));
}

}  // namespace

class TestMainDlgDemo : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        CCatalogueApp::RegisterFontSubstitutions();
        QVERIFY(m_dir.isValid());
        m_authoring = QDir(m_dir.path()).filePath(QStringLiteral("demo"));
        m_published = QDir(m_dir.path()).filePath(QStringLiteral("published"));
        QString error;
        QVERIFY2(DemoInstaller::WriteDemo(m_authoring, &error, DemoInstaller::Variant::Small),
                 qPrintable(error));
        QVERIFY2(DemoInstaller::WritePublished(m_published, &error, DemoInstaller::Variant::Small),
                 qPrintable(error));
    }

    void authoringDemo() {
        ScopedInstallation install({.existing = m_authoring});
        QVERIFY(install.Ok());
        ScriptedPrompter prompter;
        CMainDlg dlg(install.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(!dlg.QuitRequested());
        QVERIFY(dlg.m_btnSettings->isVisible());
        QVERIFY(dlg.m_btnPublish->isVisible());
        QVERIFY(dlg.m_classList->GetCount() >= 5);
        QVERIFY(dlg.m_productList->GetItemCount() > 0);
        QVERIFY(dlg.m_productList->WaitForThumbnails(60000));
        for (int i = 0; i < dlg.m_productList->GetItemCount(); ++i)
            QVERIFY(HasContent(dlg.m_productList->ItemImage(i)));
        QVERIFY(dlg.grab().save(ScreenFile(QStringLiteral("products.png"))));

        // Every product of every category: its documents show pictures on every enabled tab.
        bool sawFolder = false;
        bool sawWide = false;
        bool sawModels = false;
        for (int c = 0; c < dlg.m_classList->GetCount(); ++c) {
            dlg.OpenCategory(dlg.m_classList->GetText(c));
            for (int i = 0; i < dlg.m_productList->GetItemCount(); ++i) {
                OpenItem(dlg, i);
                for (int t = 0; t < 3; ++t) {
                    if (!dlg.m_tab->IsItemEnabled(t)) continue;
                    SelectTab(dlg, t);
                    QVERIFY2(PageShowsPictures(dlg.m_pages[t]),
                             qPrintable(dlg.m_title->text() + QString::number(t)));
                    sawFolder = sawFolder || dlg.m_pages[t]->ShowsFolder();
                    sawWide = sawWide || (!dlg.m_pages[t]->ShowsFolder() &&
                                          dlg.m_pages[t]->List()->GetThumbWidth() == 3300);
                }
                if (dlg.m_tabCount == 4) sawModels = true;
                dlg.OnBack();
            }
        }
        QVERIFY(sawFolder);
        QVERIFY(sawWide);
        QVERIFY(sawModels);
        QVERIFY(prompter.shown.isEmpty());

        // Screens of the document view: the first product, then a folder document.
        dlg.ShowProductCentre();
        QVERIFY(dlg.m_productList->WaitForThumbnails(60000));
        OpenItem(dlg, 0);
        QVERIFY(dlg.m_pages[0]->WaitForPictures(60000));
        QVERIFY(dlg.grab().save(ScreenFile(QStringLiteral("document.png"))));
        SelectTab(dlg, 2);
        QVERIFY(dlg.m_pages[2]->WaitForPictures(60000));
        QVERIFY(dlg.grab().save(ScreenFile(QStringLiteral("document-reference.png"))));
        if (dlg.m_tabCount == 4) {
            SelectTab(dlg, 3);
            QVERIFY(dlg.grab().save(ScreenFile(QStringLiteral("document-models.png"))));
        }
        dlg.OnBack();

        // The company pages.
        QTest::mouseClick(dlg.m_btnCompany, Qt::LeftButton);
        QCOMPARE(dlg.m_productList->GetItemCount(), 1);
        QVERIFY(dlg.m_productList->WaitForThumbnails(60000));
        QVERIFY(HasContent(dlg.m_productList->ItemImage(0)));
        QVERIFY(dlg.grab().save(ScreenFile(QStringLiteral("company.png"))));
        QTest::mouseClick(dlg.m_classList->ButtonAt(1), Qt::LeftButton);
        QVERIFY(!dlg.m_companyText->toPlainText().isEmpty());
        QVERIFY(!dlg.m_webLink->text().isEmpty());
        QVERIFY(dlg.grab().save(ScreenFile(QStringLiteral("contact.png"))));

        // A search from the company view.
        QTest::mouseClick(dlg.m_searchEdit, Qt::LeftButton);
        QTest::keyClicks(dlg.m_searchEdit, QStringLiteral("20"));
        QTest::keyClick(dlg.m_searchEdit, Qt::Key_Return);
        QCOMPARE(dlg.m_viewMode, VIEW_SEARCH);
        QVERIFY(dlg.m_productList->GetItemCount() > 0);
        QVERIFY(dlg.m_productList->WaitForThumbnails(60000));
        QVERIFY(dlg.grab().save(ScreenFile(QStringLiteral("search.png"))));
    }

    void publishedCopy() {
        ScopedInstallation install({.existing = m_published});
        QVERIFY(install.Ok());
        ScriptedPrompter prompter;
        CMainDlg dlg(install.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.m_publishState, QStringLiteral("1"));
        QVERIFY(!dlg.m_btnSettings->isVisible());
        QVERIFY(!dlg.m_btnPublish->isVisible());
        for (int c = 0; c < dlg.m_classList->GetCount(); ++c) {
            dlg.OpenCategory(dlg.m_classList->GetText(c));
            QVERIFY(dlg.m_productList->GetItemCount() > 0);
            QVERIFY(dlg.m_productList->WaitForThumbnails(60000));
            for (int i = 0; i < dlg.m_productList->GetItemCount(); ++i) {
                QVERIFY(HasContent(dlg.m_productList->ItemImage(i)));
                OpenItem(dlg, i);
                QVERIFY2(PageShowsPictures(dlg.m_pages[0]), qPrintable(dlg.m_title->text()));
                dlg.OnBack();
            }
        }
        dlg.ShowProductCentre();
        QCOMPARE(dlg.m_searchEdit->text(), SEARCH_HINT);
        QVERIFY(dlg.m_productList->WaitForThumbnails(60000));
        QVERIFY(dlg.grab().save(ScreenFile(QStringLiteral("published.png"))));
        dlg.ShowCompanyPages();
        QVERIFY(dlg.m_productList->WaitForThumbnails(60000));
        QCOMPARE(dlg.m_productList->GetItemCount(), 1);
        QVERIFY(HasContent(dlg.m_productList->ItemImage(0)));
        QVERIFY(prompter.shown.isEmpty());
    }

private:
    QTemporaryDir m_dir;
    QString m_authoring;
    QString m_published;
};

QTEST_MAIN(TestMainDlgDemo)
#include "tst_maindlg_demo.moc"
