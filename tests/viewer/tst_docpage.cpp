// Browsing and the document view: categories, thumbnails, opening a product, its tabs and
// pages (single pictures, folders, the 3300-pixel rule), the picture cache and the back button.

#include <QScrollBar>
#include <QtTest>

#include "ScopedInstallation.h"
#include "ScriptedPrompter.h"
#include "controls/CButtonListBox.h"
#include "controls/CHoverButton.h"
#include "controls/CSkinBtn.h"
#include "controls/CSkinTabCtrl.h"
#include "controls/CThumbListCtrl.h"
#include "controls/CTransparentStatic.h"
#include "viewer/CDocPageDlg.h"
#include "viewer/CMainDlg.h"
#include "viewer/CModelPageDlg.h"
#include "viewer/DocPictureColumn.h"
#include "viewer/DocPictures.h"

namespace {

const QColor kIntro(220, 40, 40);
const QColor kProcess(40, 160, 40);
const QColor kReference(40, 40, 220);

// Two categories; 导轨 holds a product with every document and model files, one with only
// the introduction, and one whose introduction is a folder of pictures.
struct Catalogue {
    explicit Catalogue(ScopedInstallation& f) {
        f.Category(QStringLiteral("导轨"), 1);
        f.Category(QStringLiteral("丝杠"), 2);
        product = f.Picture(QStringLiteral("media/p.png"), {300, 200}, QColor(200, 200, 0));
        intro = f.Picture(QStringLiteral("media/intro.png"), {900, 700}, kIntro);
        process = f.Picture(QStringLiteral("media/process.jpg"), {700, 500}, kProcess);
        reference = f.Picture(QStringLiteral("media/reference.png"), {600, 800}, kReference);
        f.Product(1, QStringLiteral("导轨"), QStringLiteral("直线导轨@HGH20"),
                  QStringLiteral("HGH20CA"), product, {intro, process, reference});
        f.Product(2, QStringLiteral("导轨"), QStringLiteral("微型@导轨@MGN9"),
                  QStringLiteral("MGN9"), product, {intro, QString(), QString()});
        folder = QDir(f.media).filePath(QStringLiteral("folder"));
        f.Picture(QStringLiteral("media/folder/10.png"), {400, 300}, QColor(0, 0, 120));
        f.Picture(QStringLiteral("media/folder/2.png"), {5000, 1000}, QColor(0, 120, 0));
        f.Picture(QStringLiteral("media/folder/1.jpg"), {300, 400}, QColor(120, 0, 0));
        QFile note(QDir(folder).filePath(QStringLiteral("readme.txt")));
        note.open(QIODevice::WriteOnly);
        note.write("not a picture");
        note.close();
        f.Product(3, QStringLiteral("导轨"), QStringLiteral("文件夹@FD1"), QStringLiteral("FD1"),
                  product, {folder, process, QString()});
        f.Product(1, QStringLiteral("丝杠"), QStringLiteral("滚珠丝杠@SFU1605"),
                  QStringLiteral("SFU1605"), product, {reference, intro, process});
        f.Model(QStringLiteral("导轨"), QStringLiteral("直线导轨@HGH20"),
                QStringLiteral("HGH20.step"), 1, QDir(f.media).filePath(QStringLiteral("x.step")));
    }
    QString product, intro, process, reference, folder;
};

void Open(CMainDlg& dlg, int item) {
    dlg.m_productList->SetSelectionMark(item);
    dlg.OpenProduct();
}

QColor PageColour(CDocPageDlg* page) {
    if (!page->WaitForPictures(20000)) return QColor();
    if (page->List()->GetItemCount() == 0) return QColor();
    return CentreColour(page->List()->ItemImage(0));
}

}  // namespace

class TestDocPage : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { CCatalogueApp::RegisterFontSubstitutions(); }

    void categoriesAndThumbnails() {
        ScopedInstallation f;
        Catalogue c(f);
        f.Category(QStringLiteral("企业简介"), 3);  // a category may carry a company item's name
        f.Product(1, QStringLiteral("企业简介"), QStringLiteral("x@1"), QStringLiteral("1"),
                  c.product);
        // Products without a usable picture are listed as they are counted.
        const QStringList unusable{QString(), QDir(f.media).filePath(QStringLiteral("gone.png")),
                                   c.product + QStringLiteral(".txt")};
        for (int i = 0; i < unusable.size(); ++i)
            f.Product(i + 2, QStringLiteral("企业简介"), QStringLiteral("无图@%1").arg(i), "x",
                      unusable[i]);
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.m_classList->Entries(),
                 QStringList({QStringLiteral("导轨|3"), QStringLiteral("丝杠|1"),
                              QStringLiteral("企业简介|4")}));
        // Products in Number order, captions the stored names.
        QCOMPARE(dlg.m_productList->GetItemCount(), 3);
        QCOMPARE(dlg.m_productList->GetItemText(0), QStringLiteral("直线导轨@HGH20"));
        QCOMPARE(dlg.m_productList->GetItemText(2), QStringLiteral("文件夹@FD1"));
        QVERIFY(dlg.m_productList->WaitForThumbnails(20000));
        QVERIFY(SameColour(CentreColour(dlg.m_productList->ItemImage(0)), QColor(200, 200, 0)));
        // The first category is the current entry.
        QCOMPARE(dlg.m_classList->FocusedIndex(), 0);

        // Clicking the second entry opens it.
        QTest::mouseClick(dlg.m_classList->ButtonAt(1), Qt::LeftButton);
        QCOMPARE(dlg.m_curClass, QStringLiteral("丝杠"));
        QCOMPARE(dlg.m_productList->GetItemCount(), 1);
        QCOMPARE(dlg.m_productList->GetItemText(0), QStringLiteral("滚珠丝杠@SFU1605"));
        QCOMPARE(dlg.m_productList->GetThumbWidth(), 140);

        // The category named like a company item opens as a category.
        QTest::mouseClick(dlg.m_classList->ButtonAt(2), Qt::LeftButton);
        QCOMPARE(dlg.m_curClass, QStringLiteral("企业简介"));
        QCOMPARE(dlg.m_viewMode, VIEW_PRODUCTS);
        QCOMPARE(dlg.m_productList->GetItemCount(), 4);
        Open(dlg, 3);
        QCOMPARE(dlg.m_title->text(), QStringLiteral("企业简介--无图"));
        QVERIFY(prompter.shown.isEmpty());
    }

    void emptyCatalogue() {
        ScopedInstallation f;
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        QCOMPARE(dlg.m_classList->GetCount(), 0);
        QCOMPARE(dlg.m_productList->GetItemCount(), 0);
        QVERIFY(dlg.m_curClass.isEmpty());
        QVERIFY(prompter.shown.isEmpty());
    }

    void publishedThumbnailsUseTheCopysFolder() {
        ScopedInstallation f({.publishState = QStringLiteral("1")});
        f.Category(QStringLiteral("导轨"), 1);
        f.Picture(QStringLiteral("pic/导轨/A/p.jpg"), {400, 400}, QColor(0, 200, 200));
        f.Product(1, QStringLiteral("导轨"), QStringLiteral("A@1"), QStringLiteral("1"),
                  QStringLiteral("/authoring/only/p.jpg"));
        f.Publish(QStringLiteral("导轨"), QStringLiteral("A@1"), QStringLiteral("pic/导轨/A/p.jpg"),
                  {});
        f.Product(2, QStringLiteral("导轨"), QStringLiteral("B@2"), QStringLiteral("2"),
                  QStringLiteral("/authoring/only/q.jpg"));
        f.Publish(QStringLiteral("导轨"), QStringLiteral("B@2"), QStringLiteral("pic"), {});
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        const QList<ProductItem> items = dlg.Browser().ProductsOfCategory(QStringLiteral("导轨"));
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0].picturePath, QDir(f.root).filePath(QStringLiteral("pic/导轨/A/p.jpg")));
        // A Dpath shorter than four characters resolves to the picture folder itself.
        QCOMPARE(items[1].picturePath, QDir(f.root).filePath(QStringLiteral("pic")));
        QVERIFY(dlg.m_productList->WaitForThumbnails(20000));
        QVERIFY(SameColour(CentreColour(dlg.m_productList->ItemImage(0)), QColor(0, 200, 200)));
    }

    void openProductShowsItsDocuments() {
        ScopedInstallation f;
        Catalogue c(f);
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(dlg.m_productList->WaitForThumbnails(20000));
        QTest::mouseClick(dlg.m_productList->viewport(), Qt::LeftButton, {},
                          dlg.m_productList->ItemRect(0).center());
        QCOMPARE(dlg.m_curProduct, QStringLiteral("直线导轨@HGH20"));
        // Document state.
        QVERIFY(dlg.m_tab->isVisible());
        QVERIFY(dlg.m_btnBack->isVisible());
        QVERIFY(dlg.m_title->isVisible());
        QVERIFY(!dlg.m_classList->isVisible());
        QVERIFY(!dlg.m_productList->isVisible());
        QCOMPARE(dlg.m_title->text(), QStringLiteral("导轨--直线导轨"));
        QCOMPARE(dlg.m_tab->GetCurSel(), 0);
        QVERIFY(dlg.m_pages[0]->isVisible());
        QVERIFY(!dlg.m_pages[1]->isVisible());
        // Model files: four tabs, page 136 on the tab control, hidden until chosen.
        QCOMPARE(dlg.m_tabCount, 4);
        QCOMPARE(dlg.m_tab->GetItemCount(), 4);
        QCOMPARE(dlg.m_tab->GetItemText(3), QStringLiteral("3D模型"));
        QVERIFY(dlg.m_modelPage);
        QCOMPARE(dlg.m_modelPage->parentWidget(), dlg.m_tab);
        QVERIFY(!dlg.m_modelPage->isVisible());
        QCOMPARE(dlg.m_modelPage->ProductName(), QStringLiteral("直线导轨@HGH20"));
        QCOMPARE(dlg.m_modelPage->ClassName(), QStringLiteral("导轨"));
        // The introduction picture at its own size.
        QCOMPARE(dlg.m_pages[0]->ShownFiles(), QStringList{c.intro});
        QCOMPARE(dlg.m_pages[0]->List()->GetThumbWidth(), 900);
        QCOMPARE(dlg.m_pages[0]->List()->GetThumbHeight(), 700);
        QVERIFY(SameColour(PageColour(dlg.m_pages[0]), kIntro));
        QCOMPARE(docPathCache[0], c.intro);
        QCOMPARE(docPathCache[1], QStringLiteral("hc12"));

        // Tab 1 and tab 2: their pages and pictures.
        QVERIFY(dlg.m_tab->IsItemEnabled(1));
        QVERIFY(dlg.m_tab->IsItemEnabled(2));
        QTest::mouseClick(dlg.m_tab, Qt::LeftButton, {}, dlg.m_tab->GetItemRect(1).center());
        QCOMPARE(dlg.m_tab->GetCurSel(), 1);
        QVERIFY(dlg.m_pages[1]->isVisible());
        QVERIFY(!dlg.m_pages[0]->isVisible());
        QVERIFY(SameColour(PageColour(dlg.m_pages[1]), kProcess, 20));
        QTest::mouseClick(dlg.m_tab, Qt::LeftButton, {}, dlg.m_tab->GetItemRect(2).center());
        QVERIFY(SameColour(PageColour(dlg.m_pages[2]), kReference));
        QCOMPARE(docPathCache[2], c.reference);
        // The model tab shows page 136 and hides the document pages.
        QTest::mouseClick(dlg.m_tab, Qt::LeftButton, {}, dlg.m_tab->GetItemRect(3).center());
        QVERIFY(dlg.m_modelPage->isVisible());
        for (CDocPageDlg* p : dlg.m_pages) QVERIFY(!p->isVisible());

        // Back: the list as it was.
        QTest::mouseClick(dlg.m_btnBack, Qt::LeftButton);
        QVERIFY(!dlg.m_tab->isVisible());
        QVERIFY(!dlg.m_btnBack->isVisible());
        QVERIFY(!dlg.m_title->isVisible());
        QVERIFY(dlg.m_classList->isVisible());
        QVERIFY(dlg.m_productList->isVisible());
        QCOMPARE(dlg.m_productList->GetItemCount(), 3);

        // A product without model files: three tabs again, page 136 gone; tabs 1 and 2 follow
        // its columns; the title is cut at the last "@".
        QPointer<CModelPageDlg> oldPage = dlg.m_modelPage.data();
        Open(dlg, 1);
        QCOMPARE(dlg.m_tabCount, 3);
        QCOMPARE(dlg.m_tab->GetItemCount(), 3);
        QVERIFY(!oldPage);
        QCOMPARE(dlg.m_tab->GetCurSel(), 0);
        QVERIFY(dlg.m_pages[0]->isVisible());
        QVERIFY(!dlg.m_tab->IsItemEnabled(1));
        QVERIFY(!dlg.m_tab->IsItemEnabled(2));
        QVERIFY(dlg.m_tab->IsItemEnabled(0));
        QCOMPARE(dlg.m_title->text(), QStringLiteral("导轨--微型@导轨"));
        // A disabled tab cannot be chosen.
        QTest::mouseClick(dlg.m_tab, Qt::LeftButton, {}, dlg.m_tab->GetItemRect(1).center());
        QCOMPARE(dlg.m_tab->GetCurSel(), 0);
        QVERIFY(prompter.shown.isEmpty());
    }

    void cacheAndProductCentre() {
        ScopedInstallation f;
        Catalogue c(f);
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        Open(dlg, 0);
        QCOMPARE(dlg.m_pages[0]->List()->GetItemCount(), 1);
        // The same picture again is not reloaded: an emptied page stays empty.
        dlg.m_pages[0]->List()->DeleteAllItems();
        dlg.OnBack();
        Open(dlg, 1);  // same introduction file
        QCOMPARE(dlg.m_pages[0]->List()->GetItemCount(), 0);
        // After the product centre the caches hold their sentinels and the page reloads.
        dlg.ShowProductCentre();
        QCOMPARE(docPathCache[0], QStringLiteral("hc11"));
        QCOMPARE(docPathCache[1], QStringLiteral("hc12"));
        QCOMPARE(docPathCache[2], QStringLiteral("hc13"));
        Open(dlg, 1);
        QCOMPARE(dlg.m_pages[0]->List()->GetItemCount(), 1);
        QCOMPARE(docPathCache[0], c.intro);
    }

    void missingFilesOnPages() {
        ScopedInstallation f;
        Catalogue c(f);
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        Open(dlg, 0);
        for (int t : {1, 2}) {
            dlg.m_tab->SetCurSel(t);
            dlg.OnTabChanged(t);
        }
        QCOMPARE(dlg.m_pages[1]->ShownFiles(), QStringList{c.process});
        QCOMPARE(dlg.m_pages[2]->ShownFiles(), QStringList{c.reference});
        QVERIFY(QFile::remove(c.process));
        QVERIFY(QFile::remove(c.intro));
        // Another product whose 追加加工 and 技术参考 files are gone: empty pages, never the
        // sheets of the product shown before.
        dlg.OnBack();
        dlg.OpenCategory(QStringLiteral("丝杠|1"));
        Open(dlg, 0);
        QCOMPARE(dlg.m_pages[0]->ShownFiles(), QStringList{c.reference});
        for (int t : {1, 2}) {
            dlg.m_tab->SetCurSel(t);
            dlg.OnTabChanged(t);
            QVERIFY(dlg.m_pages[t]->ShownFiles().isEmpty());
            QCOMPARE(dlg.m_pages[t]->List()->GetItemCount(), 0);
            QCOMPARE(dlg.m_pages[t]->List()->horizontalScrollBar()->maximum(), 0);
        }
        QCOMPARE(docPathCache[2], c.process);
        dlg.ShowProductCentre();
        Open(dlg, 0);  // 直线导轨: its introduction is gone
        QVERIFY(dlg.m_pages[0]->ShownFiles().isEmpty());
        QCOMPARE(dlg.m_pages[0]->List()->GetItemCount(), 0);
        QVERIFY(prompter.shown.isEmpty());
        // An empty folder of pictures shows an empty column.
        QVERIFY(QDir(f.media).mkpath(QStringLiteral("empty")));
        dlg.m_pages[1]->ShowPagePicture(QDir(f.media).filePath(QStringLiteral("empty")));
        QVERIFY(dlg.m_pages[1]->ShowsFolder());
        QVERIFY(dlg.m_pages[1]->ShownFiles().isEmpty());
    }

    void widthRule_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("3300 kept") << QSize(3300, 1000) << QSize(3300, 1000);
        QTest::newRow("3301 scaled") << QSize(3301, 1000) << QSize(3300, 999);
        QTest::newRow("6600 halved") << QSize(6600, 2001) << QSize(3300, 1000);
        QTest::newRow("small kept") << QSize(20, 10) << QSize(20, 10);
    }
    void widthRule() {
        QFETCH(QSize, picture);
        QFETCH(QSize, shown);
        QCOMPARE(DocPictures::ShownSize(picture), shown);
        ScopedInstallation f;
        const QString path = f.Picture(QStringLiteral("media/w.png"), picture, kIntro);
        CDocPageDlg page(133);
        page.resize(800, 600);
        page.show();
        page.ShowPagePicture(path);
        QCOMPARE(page.List()->GetThumbWidth(), shown.width());
        QCOMPARE(page.List()->GetThumbHeight(), shown.height());
        QCOMPARE(page.List()->GetItemCount(), 1);
        QVERIFY(page.WaitForPictures(30000));
        const QImage cell = page.List()->ItemImage(0);
        // The picture is drawn 30 pixels down at its shown size.
        QVERIFY(SameColour(cell.pixelColor(shown.width() / 2, 30 + shown.height() / 2), kIntro));
    }

    void folderDocument() {
        ScopedInstallation f;
        Catalogue c(f);
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        Open(dlg, 2);
        CDocPageDlg* page = dlg.m_pages[0];
        QVERIFY(page->ShowsFolder());
        const QDir folder(c.folder);
        // Pictures only, numbers in order of value.
        QCOMPARE(page->ShownFiles(), QStringList({folder.filePath(QStringLiteral("1.jpg")),
                                                  folder.filePath(QStringLiteral("2.png")),
                                                  folder.filePath(QStringLiteral("10.png"))}));
        DocPictureColumn* column = page->Column();
        QVERIFY(column->isVisible());
        QVERIFY(!page->List()->isVisible());
        QCOMPARE(column->Count(), 3);
        // One below another, each fitted by the width rule.
        QCOMPARE(column->PictureRect(0).size(), QSize(300, 400));
        QCOMPARE(column->PictureRect(1).size(), QSize(3300, 660));
        QCOMPARE(column->PictureRect(2).size(), QSize(400, 300));
        QVERIFY(column->PictureRect(1).top() > column->PictureRect(0).bottom());
        QVERIFY(column->PictureRect(2).top() > column->PictureRect(1).bottom());
        QVERIFY(page->WaitForPictures(20000));
        QVERIFY(SameColour(CentreColour(column->ImageAt(0)), QColor(120, 0, 0), 20));
        // What is on screen is drawn.
        const QImage shot = column->viewport()->grab().toImage();
        const QRect first = column->PictureRect(0);
        QVERIFY(SameColour(shot.pixelColor(first.center()), QColor(120, 0, 0), 20));
        // Scrolling down brings the last picture in and draws it.
        column->verticalScrollBar()->setValue(column->verticalScrollBar()->maximum());
        QVERIFY(page->WaitForPictures(20000));
        QVERIFY(SameColour(CentreColour(column->ImageAt(2)), QColor(0, 0, 120), 20));

        // The next product's single picture replaces the folder.
        dlg.OnBack();
        Open(dlg, 0);
        QVERIFY(!page->ShowsFolder());
        QCOMPARE(page->ShownFiles(), QStringList{c.intro});
        QCOMPARE(column->Count(), 0);
    }

    void tabEnablingByPublishState() {
        // Authoring copy ("0") reads the source columns; the published copy ("1") the published
        // ones; any other value leaves the tabs as they were.
        for (const QString& state :
             {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}) {
            ScopedInstallation f({.publishState = state});
            f.Category(QStringLiteral("C"), 1);
            const QString pic = f.Picture(QStringLiteral("pic/C/p.png"), {50, 50}, kIntro);
            // Source: only the processing document; published: only the reference.
            f.Product(1, QStringLiteral("C"), QStringLiteral("A@1"), QStringLiteral("1"), pic,
                      {pic, pic, QString()});
            f.Publish(QStringLiteral("C"), QStringLiteral("A@1"), QStringLiteral("pic/C/p.png"),
                      {QStringLiteral("pic/C/p.png"), QString(), QStringLiteral("pic/C/p.png")});
            ScriptedPrompter prompter;
            CMainDlg dlg(f.Parts());
            dlg.m_tab->EnableItem(1, false);
            dlg.m_tab->EnableItem(2, false);
            Open(dlg, 0);
            if (state == QStringLiteral("0")) {
                QVERIFY(dlg.m_tab->IsItemEnabled(1));
                QVERIFY(!dlg.m_tab->IsItemEnabled(2));
            } else if (state == QStringLiteral("1")) {
                QVERIFY(!dlg.m_tab->IsItemEnabled(1));
                QVERIFY(dlg.m_tab->IsItemEnabled(2));
            } else {
                QVERIFY(!dlg.m_tab->IsItemEnabled(1));
                QVERIFY(!dlg.m_tab->IsItemEnabled(2));
                dlg.m_tab->EnableItem(1, true);
                dlg.OnBack();
                Open(dlg, 0);
                QVERIFY(dlg.m_tab->IsItemEnabled(1));
                QVERIFY(!dlg.m_tab->IsItemEnabled(2));
            }
            // The introduction page follows the copy as well: the published copy reads pic/...
            QCOMPARE(dlg.m_pages[0]->ShownFiles().size(), 1);
        }
    }

    void publishedCopyShowsItsPictures() {
        // A published copy on a case-sensitive file system: relative pic/... paths with
        // backslashes, the files under pic/, the authoring paths pointing nowhere.
        ScopedInstallation f({.publishState = QStringLiteral("1")});
        f.Category(QStringLiteral("导轨"), 1);
        f.Picture(QStringLiteral("pic/导轨/A/p.jpg"), {300, 300}, QColor(200, 200, 0));
        f.Picture(QStringLiteral("pic/导轨/A/intro.png"), {500, 400}, kIntro);
        f.Picture(QStringLiteral("pic/导轨/A/docs/1.png"), {200, 100}, kProcess);
        f.Picture(QStringLiteral("pic/导轨/A/docs/2.png"), {200, 100}, kReference);
        f.Product(1, QStringLiteral("导轨"), QStringLiteral("A@1"), QStringLiteral("1"),
                  QStringLiteral("D:\\work\\p.jpg"),
                  {QStringLiteral("D:\\work\\i.png"), QStringLiteral("D:\\work\\docs"), QString()});
        f.Publish(QStringLiteral("导轨"), QStringLiteral("A@1"),
                  QStringLiteral("pic\\导轨\\A\\p.jpg"),
                  {QStringLiteral("pic\\导轨\\A\\intro.png"), QStringLiteral("pic/导轨/A/docs"),
                   QString()});
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(!dlg.m_btnSettings->isVisible());
        QVERIFY(!dlg.m_btnPublish->isVisible());
        QVERIFY(dlg.m_productList->WaitForThumbnails(20000));
        QVERIFY(SameColour(CentreColour(dlg.m_productList->ItemImage(0)), QColor(200, 200, 0), 20));
        Open(dlg, 0);
        QVERIFY(SameColour(PageColour(dlg.m_pages[0]), kIntro));
        QVERIFY(dlg.m_tab->IsItemEnabled(1));
        QVERIFY(!dlg.m_tab->IsItemEnabled(2));
        dlg.m_tab->SetCurSel(1);
        dlg.OnTabChanged(1);
        QVERIFY(dlg.m_pages[1]->ShowsFolder());
        QCOMPARE(dlg.m_pages[1]->ShownFiles().size(), 2);
        QVERIFY(dlg.m_pages[1]->WaitForPictures(20000));
        QVERIFY(SameColour(CentreColour(dlg.m_pages[1]->Column()->ImageAt(1)), kReference));
        QVERIFY(prompter.shown.isEmpty());
    }

    void enterAndEscapeInsideAPageAreIgnored() {
        ScopedInstallation f;
        Catalogue c(f);
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        Open(dlg, 0);
        dlg.m_pages[0]->List()->setFocus();
        QTest::keyClick(dlg.m_pages[0]->List(), Qt::Key_Return);
        QTest::keyClick(dlg.m_pages[0]->List(), Qt::Key_Escape);
        QTest::keyClick(dlg.m_pages[0], Qt::Key_Enter);
        QVERIFY(prompter.shown.isEmpty());  // no search ran
        QVERIFY(dlg.isVisible());
        QVERIFY(dlg.m_pages[0]->isVisible());
        QVERIFY(dlg.m_tab->isVisible());
    }

    void everyTestPictureOnEveryKindOfPage() {
        // The shared pictures, damaged ones included, as single documents on a page that keeps
        // its picture and one that does not, and all together as a folder document.
        const QDir images(QStringLiteral(VISTREL_TESTDATA_IMAGES));
        const QStringList files = images.entryList(QDir::Files);
        QVERIFY(files.size() > 10);
        CDocPageDlg intro(133);
        CDocPageDlg process(134);
        intro.resize(700, 500);
        process.resize(700, 500);
        intro.show();
        process.show();
        for (const QString& name : files) {
            const QString path = images.filePath(name);
            for (CDocPageDlg* page : {&intro, &process}) {
                page->ShowPagePicture(path);
                QVERIFY2(page->List()->GetThumbWidth() <= DocPictures::kMaxWidth, qPrintable(name));
                QVERIFY2(page->WaitForPictures(30000), qPrintable(name));
                QVERIFY2(page->List()->GetItemCount() <= 1, qPrintable(name));
                if (page->List()->GetItemCount() == 1)
                    QVERIFY2(!page->List()->ItemImage(0).isNull(), qPrintable(name));
            }
        }
        intro.ShowPagePicture(images.path());
        QVERIFY(intro.ShowsFolder());
        QVERIFY(intro.Column()->Count() > 10);
        DocPictureColumn* column = intro.Column();
        for (int y = 0;; y += column->viewport()->height()) {
            column->verticalScrollBar()->setValue(y);
            QVERIFY(intro.WaitForPictures(30000));
            if (y >= column->verticalScrollBar()->maximum()) break;
        }
        for (int i = 0; i < column->Count(); ++i)
            QVERIFY(column->PictureRect(i).width() <= DocPictures::kMaxWidth);
    }

    void everyTestPictureAsAProductPicture() {
        // The shared pictures as product pictures of one category: every product gets its item
        // and every cell comes out (picture or white ground).
        const QDir images(QStringLiteral(VISTREL_TESTDATA_IMAGES));
        ScopedInstallation f;
        f.Category(QStringLiteral("测试"), 1);
        int count = 0;
        for (const QString& name : images.entryList(QDir::Files))
            f.Product(++count, QStringLiteral("测试"), name + QStringLiteral("@") + name, name,
                      images.filePath(name));
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.m_productList->GetItemCount(), count);
        QVERIFY(dlg.m_productList->WaitForThumbnails(120000));
        for (int i = 0; i < count; ++i) QVERIFY(!dlg.m_productList->ItemImage(i).isNull());
        // A good picture among them shows its content (hopper.png: not a white cell).
        for (int i = 0; i < count; ++i) {
            if (dlg.m_productList->GetItemText(i).startsWith(QStringLiteral("hopper.png@"))) {
                QVERIFY(CentreColour(dlg.m_productList->ItemImage(i)) != QColor(Qt::white));
            }
        }
        QVERIFY(prompter.shown.isEmpty());
    }

    void docPicturesOrderAndFilter() {
        QVERIFY(DocPictures::CompareFileNames(QStringLiteral("p2"), QStringLiteral("p10")) < 0);
        QVERIFY(DocPictures::CompareFileNames(QStringLiteral("p010"), QStringLiteral("p9")) > 0);
        QCOMPARE(DocPictures::CompareFileNames(QStringLiteral("P01"), QStringLiteral("p1")), 0);
        QVERIFY(DocPictures::CompareFileNames(QStringLiteral("a"), QStringLiteral("a1")) < 0);
        ScopedInstallation f;
        for (const char* name : {"b10.PNG", "b2.png", "a.jpeg", "c.tiff", "d.txt", "B1.bmp"})
            f.Picture(QStringLiteral("media/set/") + QString::fromUtf8(name), {10, 10}, kIntro,
                      QByteArray(name).endsWith("txt") ? "PNG" : nullptr);
        QDir(f.media).mkpath(QStringLiteral("set/sub.png"));
        const QDir set(QDir(f.media).filePath(QStringLiteral("set")));
        QStringList names;
        for (const QString& file : DocPictures::Files(set.path()))
            names << QFileInfo(file).fileName();
        QCOMPARE(names, QStringList({QStringLiteral("a.jpeg"), QStringLiteral("B1.bmp"),
                                     QStringLiteral("b2.png"), QStringLiteral("b10.PNG"),
                                     QStringLiteral("c.tiff")}));
        QCOMPARE(DocPictures::Files(QString()), QStringList());
        QCOMPARE(DocPictures::Files(set.filePath(QStringLiteral("a.jpeg"))),
                 QStringList{set.filePath(QStringLiteral("a.jpeg"))});
    }
};

QTEST_MAIN(TestDocPage)
#include "tst_docpage.moc"
