// The main window on installations written by the installation tool: the authoring demo and a
// published copy, every product showing its pictures.

#include <QTemporaryDir>
#include <QtTest>

#include "ScopedInstallation.h"
#include "ScriptedPrompter.h"
#include "app/CCatalogueApp.h"
#include "controls/CButtonListBox.h"
#include "controls/CSkinBtn.h"
#include "controls/CSkinTabCtrl.h"
#include "controls/CThumbListCtrl.h"
#include "tools/install/DemoInstaller.h"
#include "viewer/CDocPageDlg.h"
#include "viewer/CMainDlg.h"
#include "viewer/DocPictureColumn.h"

namespace {

// True when an image holds more than a plain ground: a few distinct, non-white colours.
bool HasContent(const QImage& image) {
    int coloured = 0;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            coloured += image.pixelColor(x, y).lightness() < 235;
    return coloured > 20;
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
        QString error;
        QVERIFY2(DemoInstaller::WriteDemo(m_dir.filePath(QStringLiteral("demo")), &error,
                                          DemoInstaller::Variant::Small),
                 qPrintable(error));
        QVERIFY2(DemoInstaller::WritePublished(m_dir.filePath(QStringLiteral("published")), &error,
                                               DemoInstaller::Variant::Small),
                 qPrintable(error));
    }

    // Every product of every category: its thumbnail and the documents of every enabled tab
    // show pictures; the published copy reads only its relative paths.
    void everyProductShowsItsPictures_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("published");
        QTest::newRow("authoring demo") << "demo" << false;
        QTest::newRow("published copy") << "published" << true;
    }
    void everyProductShowsItsPictures() {
        QFETCH(QString, folder);
        QFETCH(bool, published);
        ScopedInstallation install({.existing = m_dir.filePath(folder)});
        QVERIFY(install.Ok());
        ScriptedPrompter prompter;
        CMainDlg dlg(install.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.m_btnPublish->isVisible(), !published);
        QVERIFY(dlg.m_classList->GetCount() >= 5);
        bool sawFolder = false, sawModels = false;
        for (int c = 0; c < dlg.m_classList->GetCount(); ++c) {
            dlg.OpenCategory(dlg.m_classList->GetText(c));
            QVERIFY(dlg.m_productList->GetItemCount() > 0);
            QVERIFY(dlg.m_productList->WaitForThumbnails(60000));
            for (int i = 0; i < dlg.m_productList->GetItemCount(); ++i) {
                QVERIFY(HasContent(dlg.m_productList->ItemImage(i)));
                dlg.m_productList->SetSelectionMark(i);
                dlg.OpenProduct();
                for (int t = 0; t < 3; ++t) {
                    if (!dlg.m_tab->IsItemEnabled(t)) continue;
                    QTest::mouseClick(dlg.m_tab, Qt::LeftButton, {},
                                      dlg.m_tab->GetItemRect(t).center());
                    QVERIFY2(PageShowsPictures(dlg.m_pages[t]), qPrintable(QString::number(t)));
                    sawFolder = sawFolder || dlg.m_pages[t]->ShowsFolder();
                }
                sawModels = sawModels || dlg.m_tabCount == 4;
                dlg.OnBack();
            }
        }
        QVERIFY(sawFolder && sawModels);
        dlg.ShowCompanyPages();
        QVERIFY(dlg.m_productList->WaitForThumbnails(60000));
        QVERIFY(HasContent(dlg.m_productList->ItemImage(0)));
        QVERIFY(prompter.shown.isEmpty());
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestMainDlgDemo)
#include "tst_maindlg_demo.moc"
