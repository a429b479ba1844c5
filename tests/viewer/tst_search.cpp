// Search by type code: the search box and its placeholder, Enter, the two notices, the rebuilt
// category list, the hits and opening a hit in its own category.

#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

#include "ScopedInstallation.h"
#include "ScriptedPrompter.h"
#include "controls/CButtonListBox.h"
#include "controls/CHoverButton.h"
#include "controls/CSkinBtn.h"
#include "controls/CSkinTabCtrl.h"
#include "controls/CThumbListCtrl.h"
#include "controls/CTransparentStatic.h"
#include "store/Statements.h"
#include "viewer/CDocPageDlg.h"
#include "viewer/CMainDlg.h"

namespace {

// Three categories; the type codes to search sit in the Key column. Returns what the main window
// is given.
AppParts FillCatalogue(ScopedInstallation& f) {
    f.Category(QStringLiteral("导轨"), 1);
    f.Category(QStringLiteral("丝杠"), 2);
    f.Category(QStringLiteral("联轴器"), 3);
    const QString pic = f.Picture(QStringLiteral("media/p.png"), {200, 200}, QColor(0, 90, 200));
    const QString doc = f.Picture(QStringLiteral("media/d.png"), {300, 200}, QColor(200, 90, 0));
    f.Product(1, QStringLiteral("导轨"), QStringLiteral("导轨@HGH20"), QStringLiteral("HGH20CA"),
              pic, {doc, QString(), QString()});
    f.Product(2, QStringLiteral("导轨"), QStringLiteral("滑块@AB12"), QStringLiteral("AB12"), pic);
    f.Product(1, QStringLiteral("丝杠"), QStringLiteral("丝杠@SFU1605"),
              QStringLiteral("SFU1605 a"), pic);
    f.Product(2, QStringLiteral("丝杠"), QStringLiteral("空格@AB 12"), QStringLiteral("AB 12"),
              pic);
    f.Product(1, QStringLiteral("联轴器"), QStringLiteral("梅花@LK-40"), QStringLiteral("LK40"),
              pic, {doc, doc, QString()});
    f.Product(2, QStringLiteral("联轴器"), QStringLiteral("百分@P1"), QStringLiteral("50%OFF"),
              pic);
    f.Product(3, QStringLiteral("联轴器"), QStringLiteral("下划@P2"), QStringLiteral("A_B"), pic);
    f.Product(4, QStringLiteral("联轴器"), QStringLiteral("普通@P3"), QStringLiteral("AxB"), pic);
    f.Product(5, QStringLiteral("联轴器"), QStringLiteral("引号@P4"), QStringLiteral("O'Neil"),
              pic);
    return f.Parts();
}

QStringList Items(CMainDlg& dlg) {
    QStringList items;
    for (int i = 0; i < dlg.ProductList()->GetItemCount(); ++i)
        items << dlg.ProductList()->GetItemText(i);
    return items;
}

void Search(CMainDlg& dlg, const QString& text) {
    dlg.SearchFor(text);
}

}  // namespace

class TestSearch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { CCatalogueApp::RegisterFontSubstitutions(); }

    void typingAndClickingTheButton() {
        ScopedInstallation f;
        ScriptedPrompter prompter;
        CMainDlg dlg(FillCatalogue(f));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QCOMPARE(dlg.SearchEdit()->text(), SEARCH_HINT);
        // After a notice or another program the window is not active; the click that brings the
        // visitor back into the box must still empty it, or the typing lands behind the
        // placeholder.
        QWidget other;
        other.setGeometry(1100, 0, 100, 100);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(!dlg.isActiveWindow());
        QTest::mouseClick(dlg.SearchEdit(), Qt::LeftButton);
        QCOMPARE(dlg.SearchEdit()->text(), QString());
        dlg.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QVERIFY(dlg.SearchEdit()->hasFocus());
        QCOMPARE(dlg.SearchEdit()->text(), QString());
        QTest::keyClicks(dlg.SearchEdit(), QStringLiteral("hgh"));
        // The button takes the typed text, puts the placeholder back and searches.
        QTest::mouseClick(dlg.SearchButton(), Qt::LeftButton);
        QCOMPARE(dlg.SearchEdit()->text(), SEARCH_HINT);
        QCOMPARE(dlg.View(), VIEW_SEARCH);
        QCOMPARE(Items(dlg), QStringList{QStringLiteral("导轨@HGH20")});
        QVERIFY(prompter.shown.isEmpty());

        // Clicking into the box again empties it; typed text is kept when the visitor clicks
        // into it once more to correct it. Enter searches what it holds and leaves it there.
        QTest::mouseClick(dlg.SearchEdit(), Qt::LeftButton);
        QTest::keyClicks(dlg.SearchEdit(), QStringLiteral("AB"));
        QTest::mouseClick(dlg.SearchEdit(), Qt::LeftButton, {}, QPoint(4, 4));
        QCOMPARE(dlg.SearchEdit()->text(), QStringLiteral("AB"));
        QTest::keyClick(dlg.SearchEdit(), Qt::Key_Return);
        QCOMPARE(Items(dlg),
                 QStringList({QStringLiteral("滑块@AB12"), QStringLiteral("空格@AB 12")}));
        QCOMPARE(dlg.SearchEdit()->text(), QStringLiteral("AB"));

        // Clicking elsewhere puts the placeholder back.
        QTest::mouseClick(dlg.ClassList()->ButtonAt(1), Qt::LeftButton);
        QCOMPARE(dlg.SearchEdit()->text(), SEARCH_HINT);

        // Opening a product and going back never empties the box: the focus stays with the
        // content when the list and the tabs are hidden.
        QTest::mouseClick(dlg.ProductList()->viewport(), Qt::LeftButton, {},
                          dlg.ProductList()->ItemRect(0).center());
        QVERIFY(dlg.Tab()->isVisible());
        QTest::mouseClick(dlg.BackButton(), Qt::LeftButton);
        QCOMPARE(dlg.SearchEdit()->text(), SEARCH_HINT);
        QVERIFY(!dlg.SearchEdit()->hasFocus());
        // Tab into the box keeps the placeholder selected, so typing replaces it.
        dlg.SearchEdit()->setFocus(Qt::TabFocusReason);
        QCOMPARE(dlg.SearchEdit()->text(), SEARCH_HINT);
        QTest::keyClicks(dlg.SearchEdit(), QStringLiteral("LK"));
        QCOMPARE(dlg.SearchEdit()->text(), QStringLiteral("LK"));
        QTest::keyClick(dlg.SearchEdit(), Qt::Key_Enter);
        QCOMPARE(Items(dlg), QStringList{QStringLiteral("梅花@LK-40")});
        QVERIFY(prompter.shown.isEmpty());
    }

    // Nothing to search (the placeholder or an emptied box), and a search without hits.
    void nothingToSearchOrNothingFoundGivesANotice() {
        ScopedInstallation f;
        ScriptedPrompter prompter;
        CMainDlg dlg(FillCatalogue(f));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        // Enter with the focus elsewhere, while the box shows its placeholder.
        dlg.ClassList()->ButtonAt(0)->setFocus();
        QTest::keyClick(dlg.ClassList()->ButtonAt(0), Qt::Key_Return);
        QCOMPARE(prompter.Notices().size(), 1);
        QCOMPARE(prompter.Notices().first().trimmed(), QStringLiteral("请输入类型码搜索!"));
        QCOMPARE(dlg.View(), VIEW_PRODUCTS);
        // A dialog opened from the window keeps its own Enter and Escape.
        QDialog child(&dlg);
        auto* edit = new QLineEdit(&child);
        child.show();
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(prompter.Notices().size(), 1);
        QTest::keyClick(edit, Qt::Key_Escape);
        QVERIFY(child.isHidden());
        Search(dlg, QString());  // an emptied box
        QCOMPARE(prompter.Notices().size(), 2);
        QCOMPARE(dlg.View(), VIEW_PRODUCTS);

        dlg.ShowCompanyPages();
        Search(dlg, QStringLiteral("nothing-like-this"));
        QCOMPARE(prompter.Notices().size(), 3);
        QCOMPARE(prompter.Notices().last().trimmed(), QStringLiteral("未找到相关产品"));
        QCOMPARE(dlg.ProductList()->GetItemCount(), 0);
        QCOMPARE(dlg.View(), VIEW_SEARCH);
        QCOMPARE(theApp.thumbListMode, 1);
        // The category list has been rebuilt with the counts.
        QCOMPARE(dlg.ClassList()->Entries(),
                 QStringList({QStringLiteral("导轨|2"), QStringLiteral("丝杠|2"),
                              QStringLiteral("联轴器|5")}));
        QVERIFY(dlg.CompanyText()->isHidden());
    }

    void fragmentsMatchAnywhereAndLiterally() {
        ScopedInstallation f;
        ScriptedPrompter prompter;
        CMainDlg dlg(FillCatalogue(f));
        // Start, middle and end of the Key; blanks are part of the fragment; "%", "_" and "'"
        // are plain characters.
        const std::pair<const char*, const char*> searches[] = {
            {"H20", "导轨@HGH20"}, {" 12", "空格@AB 12"}, {"_", "下划@P2"}, {"O'N", "引号@P4"}};
        for (const auto& [text, hit] : searches) {
            Search(dlg, QString::fromUtf8(text));
            QCOMPARE(Items(dlg), QStringList{QString::fromUtf8(hit)});
        }
        // "[" is removed and the field keeps the shortened text.
        Search(dlg, QStringLiteral("[a"));
        QCOMPARE(dlg.SearchText(), QStringLiteral("a"));
        QVERIFY(Items(dlg).contains(QStringLiteral("丝杠@SFU1605")));
        QVERIFY(prompter.shown.isEmpty());
    }

    void hitOpensInItsOwnCategory() {
        ScopedInstallation f;
        ScriptedPrompter prompter;
        CMainDlg dlg(FillCatalogue(f));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        Search(dlg, QStringLiteral("LK"));
        QCOMPARE(dlg.CurClass(), QStringLiteral("导轨"));  // the first category, not opened
        QCOMPARE(Items(dlg), QStringList{QStringLiteral("梅花@LK-40")});
        QCOMPARE(dlg.HitClass(), QStringList{QStringLiteral("联轴器")});
        QCOMPARE(dlg.ProductList()->GetThumbWidth(), 140);
        QVERIFY(dlg.ProductList()->WaitForThumbnails(20000));
        QTest::mouseClick(dlg.ProductList()->viewport(), Qt::LeftButton, {},
                          dlg.ProductList()->ItemRect(0).center());
        QCOMPARE(dlg.CurClass(), QStringLiteral("联轴器"));
        QCOMPARE(dlg.Title()->text(), QStringLiteral("联轴器--梅花"));
        QVERIFY(dlg.Tab()->IsItemEnabled(1) && !dlg.Tab()->IsItemEnabled(2));
        // Back shows the hits again.
        dlg.OnBack();
        QCOMPARE(Items(dlg), QStringList{QStringLiteral("梅花@LK-40")});
        // A category click ends the search.
        dlg.OpenCategory(QStringLiteral("丝杠|2"));
        QVERIFY(!dlg.SearchActive());
        dlg.ProductList()->SetSelectionMark(0);
        dlg.OpenProduct();
        QCOMPARE(dlg.Title()->text(), QStringLiteral("丝杠--丝杠"));

        // A first hit without a picture keeps its (blank) cell, so the second hit still opens
        // in its own category.
        QVERIFY(theApp.m_db->ExecuteSql("update [小类表] set [Opath]='' where [Key]='AB12'"));
        Search(dlg, QStringLiteral("AB"));
        QCOMPARE(Items(dlg),
                 QStringList({QStringLiteral("滑块@AB12"), QStringLiteral("空格@AB 12")}));
        QCOMPARE(dlg.HitClass(), QStringList({QStringLiteral("导轨"), QStringLiteral("丝杠")}));
        QTest::mouseClick(dlg.ProductList()->viewport(), Qt::LeftButton, {},
                          dlg.ProductList()->ItemRect(1).center());
        QCOMPARE(dlg.Title()->text(), QStringLiteral("丝杠--空格"));
    }

    // The counts beside the categories are read again only after the catalogue changed, by this
    // program or by another one; a search in between shows them as they are.
    void categoryCountsFollowChanges() {
        ScopedInstallation f;
        ScriptedPrompter prompter;
        CMainDlg dlg(FillCatalogue(f));
        Search(dlg, QStringLiteral("HGH"));
        QCOMPARE(dlg.ClassList()->GetText(0), QStringLiteral("导轨|2"));
        f.Product(3, QStringLiteral("导轨"), QStringLiteral("新@HGH30"), QStringLiteral("HGH30"),
                  QString());
        Search(dlg, QStringLiteral("HGH"));
        QCOMPARE(dlg.ClassList()->GetText(0), QStringLiteral("导轨|3"));
        QCOMPARE(Items(dlg).size(), 2);
        CatalogueDb other;
        QVERIFY(other.Open(CatalogueDb::CatalogueFile(f.Parts().paths.dataFolder)));
        QVERIFY(other.ExecuteSql(Sql::DeleteProduct,
                                 {QStringLiteral("导轨@HGH20"), QStringLiteral("导轨")}));
        Search(dlg, QStringLiteral("HGH"));
        QCOMPARE(dlg.ClassList()->GetText(0), QStringLiteral("导轨|2"));
        QCOMPARE(Items(dlg), QStringList{QStringLiteral("新@HGH30")});
        dlg.ShowProductCentre();
        QCOMPARE(dlg.ClassList()->GetText(2), QStringLiteral("联轴器|5"));
    }

    void everyHitIsListed() {
        // Far more hits than a fixed table would hold; every one opens in its category.
        ScopedInstallation f;
        f.Category(QStringLiteral("A"), 1);
        f.Category(QStringLiteral("B"), 2);
        const QString pic = f.Picture(QStringLiteral("media/p.png"), {64, 64}, Qt::gray);
        QVERIFY(theApp.m_db->Database().transaction());
        for (int i = 0; i < 360; ++i) {
            const QString cls = i < 10 ? QStringLiteral("A") : QStringLiteral("B");
            f.Product(i, cls, QStringLiteral("P%1@K%1").arg(i), QStringLiteral("K%1").arg(i), pic);
        }
        QVERIFY(theApp.m_db->Database().commit());
        ScriptedPrompter prompter;
        CMainDlg dlg(f.Parts());
        Search(dlg, QStringLiteral("K"));
        QCOMPARE(dlg.ProductList()->GetItemCount(), 360);
        QCOMPARE(dlg.HitClass().size(), 360);
        const int item = 330;
        const QString caption = dlg.ProductList()->GetItemText(item);
        dlg.ProductList()->SetSelectionMark(item);
        dlg.OpenProduct();
        QCOMPARE(dlg.CurClass(), QStringLiteral("B"));
        QCOMPARE(dlg.Title()->text(), QStringLiteral("B--") + caption.section('@', 0, 0));
        QVERIFY(prompter.shown.isEmpty());
    }
};

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
