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
        f.Write(QStringLiteral("media/folder/readme.txt"), "not a picture");
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
    dlg.ProductList()->SetSelectionMark(item);
    dlg.OpenProduct();
}

void ChooseTab(CMainDlg& dlg, int t) {
    dlg.Tab()->SetCurSel(t);
    dlg.OnTabChanged(t);
}

QColor PageColour(CDocPageDlg* page) {
    if (!page->WaitForPictures(20000) || page->List()->GetItemCount() == 0) return QColor();
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
        // Products without a usable picture are listed as they are counted.
        const QStringList pictures{c.product, QString(),
                                   QDir(f.media).filePath(QStringLiteral("gone.png"))};
        for (int i = 0; i < pictures.size(); ++i)
            f.Product(i + 1, QStringLiteral("企业简介"), QStringLiteral("无图@%1").arg(i), "x",
                      pictures[i]);
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.ClassList()->Entries(),
                 QStringList({QStringLiteral("导轨|3"), QStringLiteral("丝杠|1"),
                              QStringLiteral("企业简介|3")}));
        QCOMPARE(dlg.ProductList()->GetItemCount(), 3);  // in Number order
        QCOMPARE(dlg.ProductList()->GetItemText(2), QStringLiteral("文件夹@FD1"));
        QVERIFY(dlg.ProductList()->WaitForThumbnails(20000));
        QVERIFY(SameColour(CentreColour(dlg.ProductList()->ItemImage(0)), QColor(200, 200, 0)));
        QTest::mouseClick(dlg.ClassList()->ButtonAt(1), Qt::LeftButton);
        QCOMPARE(dlg.CurClass(), QStringLiteral("丝杠"));
        QCOMPARE(dlg.ProductList()->GetItemText(0), QStringLiteral("滚珠丝杠@SFU1605"));
        // The category named like a company item opens as a category.
        QTest::mouseClick(dlg.ClassList()->ButtonAt(2), Qt::LeftButton);
        QCOMPARE(dlg.View(), VIEW_PRODUCTS);
        QCOMPARE(dlg.ProductList()->GetItemCount(), 3);
        Open(dlg, 2);
        QCOMPARE(dlg.Title()->text(), QStringLiteral("企业简介--无图"));
        QVERIFY(prompter.shown.isEmpty());
    }

    void openProductShowsItsDocuments() {
        ScopedInstallation f;
        Catalogue c(f);
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(dlg.ProductList()->WaitForThumbnails(20000));
        QTest::mouseClick(dlg.ProductList()->viewport(), Qt::LeftButton, {},
                          dlg.ProductList()->ItemRect(0).center());
        QVERIFY(dlg.Tab()->isVisible() && dlg.BackButton()->isVisible());
        QVERIFY(!dlg.ClassList()->isVisible() && !dlg.ProductList()->isVisible());
        QCOMPARE(dlg.Title()->text(), QStringLiteral("导轨--直线导轨"));
        // Model files: a fourth tab with the model page, hidden until chosen.
        QCOMPARE(dlg.Tab()->GetItemCount(), 4);
        QCOMPARE(dlg.ModelPage()->ProductName(), QStringLiteral("直线导轨@HGH20"));
        QVERIFY(!dlg.ModelPage()->isVisible());
        // Each document at its own size on its tab.
        QCOMPARE(dlg.Page(0)->List()->GetThumbWidth(), 900);
        QVERIFY(SameColour(PageColour(dlg.Page(0)), kIntro));
        QTest::mouseClick(dlg.Tab(), Qt::LeftButton, {}, dlg.Tab()->GetItemRect(1).center());
        QVERIFY(dlg.Page(1)->isVisible() && !dlg.Page(0)->isVisible());
        QVERIFY(SameColour(PageColour(dlg.Page(1)), kProcess, 20));
        QTest::mouseClick(dlg.Tab(), Qt::LeftButton, {}, dlg.Tab()->GetItemRect(2).center());
        QVERIFY(SameColour(PageColour(dlg.Page(2)), kReference));
        QTest::mouseClick(dlg.Tab(), Qt::LeftButton, {}, dlg.Tab()->GetItemRect(3).center());
        QVERIFY(dlg.ModelPage()->isVisible());
        for (CDocPageDlg* p : dlg.Pages()) QVERIFY(!p->isVisible());

        QTest::mouseClick(dlg.BackButton(), Qt::LeftButton);
        QVERIFY(!dlg.Tab()->isVisible() && dlg.ProductList()->isVisible());
        QCOMPARE(dlg.ProductList()->GetItemCount(), 3);

        // Without model files: three tabs, the model page gone; tabs follow the columns; the
        // title is cut at the last "@"; a disabled tab cannot be chosen.
        QPointer<CModelPageDlg> oldPage = dlg.ModelPage();
        Open(dlg, 1);
        QCOMPARE(dlg.Tab()->GetItemCount(), 3);
        QVERIFY(!oldPage);
        QVERIFY(dlg.Page(0)->isVisible());
        QVERIFY(!dlg.Tab()->IsItemEnabled(1) && !dlg.Tab()->IsItemEnabled(2));
        QCOMPARE(dlg.Title()->text(), QStringLiteral("导轨--微型@导轨"));
        QTest::mouseClick(dlg.Tab(), Qt::LeftButton, {}, dlg.Tab()->GetItemRect(1).center());
        QCOMPARE(dlg.Tab()->GetCurSel(), 0);
        // Enter and Escape inside a page neither search nor close.
        QTest::keyClick(dlg.Page(0)->List(), Qt::Key_Return);
        QTest::keyClick(dlg.Page(0)->List(), Qt::Key_Escape);
        QVERIFY(dlg.Page(0)->isVisible());
        QVERIFY(prompter.shown.isEmpty());
    }

    // The same picture is not reloaded until the product centre empties the cache; a file gone
    // leaves an empty page, never the sheet of the product shown before.
    void cacheAndMissingFiles() {
        ScopedInstallation f;
        Catalogue c(f);
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        Open(dlg, 0);
        dlg.Page(0)->List()->DeleteAllItems();
        dlg.OnBack();
        Open(dlg, 1);  // same introduction file
        QCOMPARE(dlg.Page(0)->List()->GetItemCount(), 0);
        dlg.ShowProductCentre();
        Open(dlg, 1);
        QCOMPARE(dlg.Page(0)->List()->GetItemCount(), 1);

        dlg.OnBack();
        Open(dlg, 0);
        for (int t : {1, 2}) ChooseTab(dlg, t);
        QCOMPARE(dlg.Page(2)->ShownFiles(), QStringList{c.reference});
        QVERIFY(QFile::remove(c.process));
        QVERIFY(QFile::remove(c.intro));
        dlg.OnBack();
        dlg.OpenCategory(QStringLiteral("丝杠|1"));
        Open(dlg, 0);
        QCOMPARE(dlg.Page(0)->ShownFiles(), QStringList{c.reference});
        for (int t : {1, 2}) {
            ChooseTab(dlg, t);
            QCOMPARE(dlg.Page(t)->List()->GetItemCount(), 0);
        }
        dlg.ShowProductCentre();
        Open(dlg, 0);
        QCOMPARE(dlg.Page(0)->List()->GetItemCount(), 0);
        QVERIFY(prompter.shown.isEmpty());
    }

    void folderDocument() {
        ScopedInstallation f;
        Catalogue c(f);
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        Open(dlg, 2);
        CDocPageDlg* page = dlg.Page(0);
        QVERIFY(page->ShowsFolder());
        const QDir folder(c.folder);
        // Pictures only, numbers in order of value.
        QCOMPARE(page->ShownFiles(), QStringList({folder.filePath(QStringLiteral("1.jpg")),
                                                  folder.filePath(QStringLiteral("2.png")),
                                                  folder.filePath(QStringLiteral("10.png"))}));
        DocPictureColumn* column = page->Column();
        // One below another, each fitted by the width rule.
        QCOMPARE(column->PictureRect(1).size(), QSize(3300, 660));
        QVERIFY(column->PictureRect(2).top() > column->PictureRect(1).bottom());
        QVERIFY(page->WaitForPictures(20000));
        const QImage shot = column->viewport()->grab().toImage();
        QVERIFY(
            SameColour(shot.pixelColor(column->PictureRect(0).center()), QColor(120, 0, 0), 20));
        // Scrolling down brings the last picture in and draws it.
        column->verticalScrollBar()->setValue(column->verticalScrollBar()->maximum());
        QVERIFY(page->WaitForPictures(20000));
        QVERIFY(SameColour(CentreColour(column->ImageAt(2)), QColor(0, 0, 120), 20));
        // The next product's single picture replaces the folder.
        dlg.OnBack();
        Open(dlg, 0);
        QVERIFY(!page->ShowsFolder());
        QCOMPARE(column->Count(), 0);
    }

    // The authoring copy ("0") reads the source columns, the published copy ("1") the published
    // ones; any other value leaves the tabs as they were.
    void tabEnablingByPublishState_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("tab1");
        QTest::addColumn<bool>("tab2");
        QTest::newRow("authoring") << "0" << true << false;
        QTest::newRow("published") << "1" << false << true;
        QTest::newRow("other") << "2" << false << false;
    }
    void tabEnablingByPublishState() {
        QFETCH(QString, state);
        QFETCH(bool, tab1);
        QFETCH(bool, tab2);
        ScopedInstallation f({.publishState = state});
        f.Category(QStringLiteral("C"), 1);
        const QString pic = f.Picture(QStringLiteral("pic/C/p.png"), {50, 50}, kIntro);
        f.Product(1, QStringLiteral("C"), QStringLiteral("A@1"), QStringLiteral("1"), pic,
                  {pic, pic, QString()});
        f.Publish(QStringLiteral("C"), QStringLiteral("A@1"), QStringLiteral("pic/C/p.png"),
                  {QStringLiteral("pic/C/p.png"), QString(), QStringLiteral("pic/C/p.png")});
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.Tab()->EnableItem(1, false);
        dlg.Tab()->EnableItem(2, false);
        Open(dlg, 0);
        QCOMPARE(dlg.Tab()->IsItemEnabled(1), tab1);
        QCOMPARE(dlg.Tab()->IsItemEnabled(2), tab2);
        QCOMPARE(dlg.Page(0)->ShownFiles().size(), 1);
    }

    // A published copy on a case-sensitive file system: relative pic/... paths with backslashes,
    // the authoring paths pointing nowhere; a Dpath shorter than four characters is pic itself.
    void publishedCopyShowsItsPictures() {
        ScopedInstallation f({.publishState = QStringLiteral("1")});
        f.Category(QStringLiteral("导轨"), 1);
        f.Picture(QStringLiteral("pic/导轨/A/p.jpg"), {300, 300}, QColor(200, 200, 0));
        f.Picture(QStringLiteral("pic/导轨/A/intro.png"), {500, 400}, kIntro);
        f.Picture(QStringLiteral("pic/导轨/A/docs/1.png"), {200, 100}, kProcess);
        f.Picture(QStringLiteral("pic/导轨/A/docs/2.png"), {200, 100}, kReference);
        // A link in the copy's folder to a picture outside the copy shows nothing.
        QVERIFY(QFile::link(f.Picture(QStringLiteral("media/out.png"), {200, 100}, kIntro),
                            QDir(f.root).filePath(QStringLiteral("pic/导轨/A/docs/3.png"))));
        f.Product(1, QStringLiteral("导轨"), QStringLiteral("A@1"), QStringLiteral("1"),
                  QStringLiteral("D:\\work\\p.jpg"),
                  {QStringLiteral("D:\\work\\i.png"), QStringLiteral("D:\\work\\docs"), QString()});
        f.Publish(QStringLiteral("导轨"), QStringLiteral("A@1"),
                  QStringLiteral("pic\\导轨\\A\\p.jpg"),
                  {QStringLiteral("pic\\导轨\\A\\intro.png"), QStringLiteral("pic/导轨/A/docs"),
                   QString()});
        f.Product(2, QStringLiteral("导轨"), QStringLiteral("B@2"), QStringLiteral("2"),
                  QStringLiteral("/authoring/only/q.jpg"));
        f.Publish(QStringLiteral("导轨"), QStringLiteral("B@2"), QStringLiteral("pic"), {});
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QList<ProductItem> items = dlg.Browser().ProductsOfCategory(QStringLiteral("导轨"));
        QCOMPARE(items[1].picturePath, QDir(f.root).filePath(QStringLiteral("pic")));
        QVERIFY(dlg.ProductList()->WaitForThumbnails(20000));
        QVERIFY(SameColour(CentreColour(dlg.ProductList()->ItemImage(0)), QColor(200, 200, 0), 20));
        Open(dlg, 0);
        QVERIFY(SameColour(PageColour(dlg.Page(0)), kIntro));
        QVERIFY(dlg.Tab()->IsItemEnabled(1) && !dlg.Tab()->IsItemEnabled(2));
        ChooseTab(dlg, 1);
        QCOMPARE(dlg.Page(1)->ShownFiles().size(), 2);
        QVERIFY(dlg.Page(1)->WaitForPictures(20000));
        QVERIFY(SameColour(CentreColour(dlg.Page(1)->Column()->ImageAt(1)), kReference));
        QVERIFY(prompter.shown.isEmpty());
    }

    // The test pictures, damaged ones included, as single documents, all together as a folder
    // document, and as product pictures: shown or empty, never a crash or a hang.
    void everyTestPictureOnEveryKindOfPage() {
        const QDir images(QStringLiteral(VISTREL_TESTDATA_IMAGES));
        const QStringList files = images.entryList(QDir::Files);
        QVERIFY(files.size() > 10);
        CDocPageDlg page(134);
        page.resize(700, 500);
        page.show();
        for (const QString& name : files) {
            page.ShowPagePicture(images.filePath(name));
            QVERIFY2(page.List()->GetThumbWidth() <= DocPictures::kMaxWidth, qPrintable(name));
            QVERIFY2(page.WaitForPictures(30000), qPrintable(name));
            QVERIFY2(page.List()->GetItemCount() <= 1, qPrintable(name));
        }
        page.ShowPagePicture(images.path());
        DocPictureColumn* column = page.Column();
        QVERIFY(column->Count() > 10);
        for (int y = 0;; y += column->viewport()->height()) {
            column->verticalScrollBar()->setValue(y);
            QVERIFY(page.WaitForPictures(30000));
            if (y >= column->verticalScrollBar()->maximum()) break;
        }
    }

    void everyTestPictureAsAProductPicture() {
        const QDir images(QStringLiteral(VISTREL_TESTDATA_IMAGES));
        const QStringList files = images.entryList(QDir::Files);
        QVERIFY(files.size() > 10);
        QVERIFY(files.contains(QStringLiteral("hopper.png")));
        ScopedInstallation f;
        f.Category(QStringLiteral("测试"), 1);
        for (int i = 0; i < files.size(); ++i)
            f.Product(i + 1, QStringLiteral("测试"), files[i] + QStringLiteral("@") + files[i],
                      files[i], images.filePath(files[i]));
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.ProductList()->GetItemCount(), files.size());
        QVERIFY(dlg.ProductList()->WaitForThumbnails(120000));
        for (int i = 0; i < files.size(); ++i) {
            QVERIFY(!dlg.ProductList()->ItemImage(i).isNull());
            // A good picture shows its content, not a white cell.
            if (files[i] == QStringLiteral("hopper.png"))
                QVERIFY(CentreColour(dlg.ProductList()->ItemImage(i)) != QColor(Qt::white));
        }
        QVERIFY(prompter.shown.isEmpty());
    }

    void docPicturesOrderAndFilter() {
        QVERIFY(DocPictures::CompareFileNames(QStringLiteral("p2"), QStringLiteral("p10")) < 0);
        QVERIFY(DocPictures::CompareFileNames(QStringLiteral("p010"), QStringLiteral("p9")) > 0);
        QCOMPARE(DocPictures::CompareFileNames(QStringLiteral("P01"), QStringLiteral("p1")), 0);
        ScopedInstallation f;
        for (const char* name : {"b10.PNG", "b2.png", "a.jpeg", "d.txt", "B1.bmp"})
            f.Picture(QStringLiteral("media/set/") + QString::fromUtf8(name), {10, 10}, kIntro,
                      QByteArray(name).endsWith("txt") ? "PNG" : nullptr);
        QDir(f.media).mkpath(QStringLiteral("set/sub.png"));
        QStringList names;
        for (const QString& file :
             DocPictures::Files(QDir(f.media).filePath(QStringLiteral("set"))))
            names << QFileInfo(file).fileName();
        QCOMPARE(names, QStringList({"a.jpeg", "B1.bmp", "b2.png", "b10.PNG"}));
    }
};

QTEST_MAIN(TestDocPage)
#include "tst_docpage.moc"
