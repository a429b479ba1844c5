// Adding products with their model files, and changing and deleting them in the product
// details, driven through the dialogs' controls with a scripted prompter.

#include <sys/stat.h>

#include <QComboBox>
#include <QtTest>

#include "CatalogueFixture.h"
#include "ControlIds.h"
#include "TestFiles.h"
#include "app/MessageBox.h"
#include "authoring/CProductAddDlg.h"
#include "authoring/CProductDetailDlg.h"
#include "authoring/FileChoice.h"
#include "authoring/NameRules.h"
#include "authoring/ProductEditor.h"
#include "controls/CReportCtrl.h"
#include "store/Statements.h"

namespace {
QStringList Column(CReportCtrl* list, int column) {
    QStringList cells;
    for (int r = 0; r < list->GetItemCount(); ++r) cells << list->GetItemText(r, column);
    return cells;
}
// Two categories with four products, one stored without a type code, and two model files.
void FillDetails(CatalogueFixture& f) {
    for (const char* cls : {"泵", "阀"}) f.db.ExecuteSql(Sql::InsertCategory, {cls});
    const struct {
        int n;
        const char *cls, *stored;
    } products[] = {
        {2, "泵", "齿轮泵@P2"}, {1, "泵", "离心泵@P1"}, {1, "阀", "球阀@V1"}, {2, "阀", "旧品"}};
    for (const auto& p : products)
        f.db.ExecuteSql(Sql::InsertProduct,
                        {p.n, p.cls, p.stored, "k", "/o.jpg", "/i.jpg", "", ""});
    for (const char* m : {"p1.step", "p1.igs"})
        f.db.ExecuteSql(Sql::InsertModel, {"泵", "离心泵@P1", m, 0, "/m"});
}
}  // namespace

class TestProducts : public QObject {
    Q_OBJECT

private slots:
    void addProductWithModels() {
        CatalogueFixture f;
        f.db.ExecuteSql(Sql::InsertCategory, {"泵"});
        f.db.ExecuteSql(Sql::InsertCategory, {"阀"});
        auto file = [&](const char* name) {
            const QString path = f.catalogue.Path(QString::fromUtf8(name));
            QDir().mkpath(QFileInfo(path).absolutePath());
            TestFiles::WriteFile(path, name);
            return path;
        };
        const QString a = file("m/a.step"), b = file("m/b.igs"), c = file("m/c.x_t");
        const QString otherA = file("other/a.step"), fifo = f.catalogue.Path("m/pipe");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        CProductAddDlg dlg(f.db, f.paths);
        auto* combo = Ctl<QComboBox>(dlg, Ids::ProductAdd::kCategory);
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->currentText(), QStringLiteral("请选择零件类别"));
        Press(dlg, Ids::ProductAdd::kFinish);
        combo->setCurrentIndex(1);
        Press(dlg, Ids::ProductAdd::kFinish);
        QCOMPARE(f.TakeNotices(), QStringList({"请选择零件类别", "数据未填全"}));

        const QString odd = QStringLiteral("离心泵'\"%_\\");
        const QString picture = f.catalogue.Picture("媒体/泵.png");
        const QString intro = f.catalogue.Picture("媒体/介绍.png");
        f.prompter.fileAnswers << picture << intro;
        Press(dlg, Ids::ProductAdd::kChoosePicture);
        Press(dlg, Ids::ProductAdd::kChooseIntro);
        Type(dlg, Ids::ProductAdd::kTypeCode, "P-1");
        Type(dlg, Ids::ProductAdd::kName, odd);
        Type(dlg, Ids::ProductAdd::kKey, "100%");
        Type(dlg, Ids::ProductAdd::kNumber, "7");
        // Unreadable files are left out; the model list keeps the order the files are moved to.
        f.prompter.filesAnswers << QStringList{a, b, f.catalogue.Path("none"), fifo, c, otherA};
        Press(dlg, Ids::ProductAdd::kAddModels);
        auto* models = Ctl<CReportCtrl>(dlg, Ids::ProductAdd::kModelList);
        QCOMPARE(Column(models, 0), QStringList({"a.step", "b.igs", "c.x_t", "a.step"}));
        models->setCurrentCell(2, 0);
        Press(dlg, Ids::ProductAdd::kUp);
        Press(dlg, Ids::ProductAdd::kFinish);
        QCOMPARE(f.TakeNotices(), QStringList({"增加成功"}));
        const QString stored = odd + "@P-1";
        const QStringList written = {"1|泵",
                                     "2|阀",
                                     "7|泵|" + stored + "|100%|" + picture + "||" + intro + "||",
                                     "泵|" + stored + "|a.step|0|" + a + "||",
                                     "泵|" + stored + "|c.x_t|1|" + c + "||",
                                     "泵|" + stored + "|b.igs|2|" + b + "||"};
        f.Exec("update [大类表] set Number = rowid");
        QCOMPARE(f.Tables().mid(0, 6), written);
        for (const char* id :
             {Ids::ProductAdd::kPicture, Ids::ProductAdd::kTypeCode, Ids::ProductAdd::kName,
              Ids::ProductAdd::kKey, Ids::ProductAdd::kIntro})
            QVERIFY(Ctl(dlg, id)->text().isEmpty());
        QCOMPARE(combo->currentText(), QStringLiteral("泵"));
        QCOMPARE(Ctl(dlg, Ids::ProductAdd::kNumber)->text(), QStringLiteral("7"));
        QCOMPARE(models->GetItemCount(), 0);
        // Another category empties the model list.
        f.prompter.filesAnswers << QStringList{a};
        Press(dlg, Ids::ProductAdd::kAddModels);
        combo->setCurrentIndex(2);
        QCOMPARE(models->GetItemCount(), 0);
    }

    // The same name and code again is refused; a failing model row takes the product row with
    // it; a number that is not one leaves the last one standing.
    void refusalsAndFailuresWriteNothing() {
        CatalogueFixture f;
        f.db.ExecuteSql(Sql::InsertCategory, {"泵"});
        const QString odd = QStringLiteral("离心泵'\"%_\\");
        f.db.ExecuteSql(Sql::InsertProduct,
                        {7, "泵", odd + "@P-1", "k", "/p.jpg", "/i.jpg", "", ""});
        const QString a = f.catalogue.Make("m/a.step");
        CProductAddDlg dlg(f.db, f.paths);
        Ctl<QComboBox>(dlg, Ids::ProductAdd::kCategory)->setCurrentIndex(1);
        const QStringList before = f.Tables();
        const std::pair<const char*, QString> again[] = {
            {Ids::ProductAdd::kPicture, "/p.jpg"}, {Ids::ProductAdd::kIntro, "/i.jpg"},
            {Ids::ProductAdd::kTypeCode, "P-1"},   {Ids::ProductAdd::kName, odd},
            {Ids::ProductAdd::kKey, "k"},          {Ids::ProductAdd::kNumber, "7"}};
        for (const auto& [id, text] : again) Type(dlg, id, text);
        Press(dlg, Ids::ProductAdd::kFinish);
        QCOMPARE(f.TakeNotices(), QStringList({"该产品已存在"}));
        QCOMPARE(f.Tables(), before);
        Type(dlg, Ids::ProductAdd::kTypeCode, "P-2");
        Type(dlg, Ids::ProductAdd::kNumber, "x");
        // A failing model row takes the product row with it.
        f.prompter.filesAnswers << QStringList{a};
        Press(dlg, Ids::ProductAdd::kAddModels);
        f.Exec(
            "create trigger guard before insert on [3D模型表] begin select raise(abort, 'locked'); "
            "end");
        Press(dlg, Ids::ProductAdd::kFinish);
        QCOMPARE(f.prompter.shown[1].text, QStringLiteral("请输入一个整数。"));
        QCOMPARE(f.Tables(), before);
        QVERIFY(f.TakeNotices().first().contains("locked"));
        QCOMPARE(Ctl(dlg, Ids::ProductAdd::kTypeCode)->text(), QStringLiteral("P-2"));
        f.Exec("drop trigger guard");
        Press(dlg, Ids::ProductAdd::kFinish);
        QCOMPARE(f.Rows("select Number from [小类表] where ProductName like '%P-2'"),
                 QStringList({"7"}));
    }

    // A chosen file must be a picture; the chooser offers every format the program shows and
    // opens where the last picture was found.
    void pictureChoosersCheckAndRemember() {
        ScriptedPrompter prompter;
        TestCatalogue c;
        const QString text = c.Make("docs/readme.jpg");
        const QString picture = c.Picture("pics/a.tif");
        prompter.fileAnswers << text << picture;
        QCOMPARE(FileChoice::Picture(prompter, QString(), "/start"), QString());
        QCOMPARE(prompter.Notices().last().trimmed(), FileChoice::NotAPictureText(text));
        QCOMPARE(FileChoice::Picture(prompter, QString(), "/start"), picture);
        QVERIFY(prompter.shown.first().caption.endsWith(
            "所有图片(*.jpg *.jpeg *.png *.gif *.bmp *.tif *.tiff)"));
        FileChoice::Picture(prompter, QString(), "/start");
        QCOMPARE(prompter.shown.last().folder, c.Path("pics"));
    }

    // The editor alone, on a catalogue and a scripted prompter: a product goes only into a
    // stored category, its name and code lose their blanks and stay within bounds.
    void productNamesAndCategoriesAreChecked() {
        ScriptedPrompter prompter;
        TestCatalogue c;
        ProductEditor editor(c.db, prompter);
        ProductFields p{0, "泵", "  离心泵 ", " P1 ", "k", "/o.jpg", "", "/i.jpg", "", ""};
        QVERIFY(!editor.Add(p, {}));
        c.db.ExecuteSql(Sql::InsertCategory, {"泵"});
        p.className = "泵 ";
        QVERIFY(!editor.Add(p, {}));
        p.className = "泵";
        p.typeCode = QString(NameRules::kMaxLength + 1, 'X');
        QVERIFY(!editor.Add(p, {}));
        p.typeCode = " P1 ";
        QVERIFY(editor.Add(p, {}));
        QCOMPARE(prompter.Notices().join('|').remove(' '),
                 QStringList({ProductEditor::NoCategoryText(), ProductEditor::UnknownCategoryText(),
                              NameRules::TooLongText(), "增加成功"})
                     .join('|')
                     .remove(' '));
        QCOMPARE(c.Rows("select ClassName, ProductName from [小类表]"),
                 QStringList{"泵|离心泵@P1"});
        // A change may not move it into a category that is not there.
        const ProductRecord stored = editor.Products("泵").first();
        p.className = "阀";
        prompter.confirmAnswers << true;
        QCOMPARE(editor.Modify(&stored, p), ProductEditor::Outcome::Refused);
        QCOMPARE(prompter.Notices().last().trimmed(), ProductEditor::UnknownCategoryText());
    }

    void detailsListAndAProductWithoutTypeCode() {
        CatalogueFixture f;
        FillDetails(f);
        CProductDetailDlg dlg(f.db, f.paths);
        auto* list = Ctl<CReportCtrl>(dlg, Ids::ProductDetail::kList);
        auto* filter = Ctl<QComboBox>(dlg, Ids::ProductDetail::kFilter);
        QCOMPARE(Column(list, 1), QStringList({"离心泵", "齿轮泵", "球阀", ""}));
        QCOMPARE(Column(list, 2), QStringList({"P1", "P2", "V1", "旧品"}));
        filter->setCurrentIndex(2);
        QCOMPARE(Column(list, 3), QStringList({"阀", "阀"}));

        // A product stored without "@" can be changed; its stored name stays.
        list->setCurrentCell(1, 0);
        QCOMPARE(Ctl(dlg, Ids::ProductDetail::kTypeCode)->text(), QStringLiteral("旧品"));
        Type(dlg, Ids::ProductDetail::kKey, "新键");
        f.prompter.confirmAnswers << true;
        Press(dlg, Ids::ProductDetail::kModify);
        QCOMPARE(f.Rows("select Key from [小类表] where ProductName = '旧品'"),
                 QStringList({"新键"}));
    }

    // A changed name and category take the model files along; a taken name is refused; rows
    // changed behind the table's back are not reported as changed; a delete is all or nothing.
    void detailsChangeAndDelete() {
        CatalogueFixture f;
        FillDetails(f);
        CProductDetailDlg dlg(f.db, f.paths);
        auto* list = Ctl<CReportCtrl>(dlg, Ids::ProductDetail::kList);
        auto* filter = Ctl<QComboBox>(dlg, Ids::ProductDetail::kFilter);
        // A new name and category: the model files follow; another product's name is refused.
        filter->setCurrentIndex(0);
        list->setCurrentCell(0, 0);
        Type(dlg, Ids::ProductDetail::kName, "离心泵'%");
        Type(dlg, Ids::ProductDetail::kTypeCode, "P1_\\");
        Type(dlg, Ids::ProductDetail::kClassName, "阀");
        Type(dlg, Ids::ProductDetail::kNumber, "3");
        f.prompter.confirmAnswers << true;
        Press(dlg, Ids::ProductDetail::kModify);
        QCOMPARE(f.Rows("select ClassName, ProductName from [3D模型表]"),
                 QStringList(2, "阀|离心泵'%@P1_\\"));
        QCOMPARE(list->GetItemText(0, 3), QStringLiteral("阀"));
        list->setCurrentCell(1, 0);
        Type(dlg, Ids::ProductDetail::kName, "球阀");
        Type(dlg, Ids::ProductDetail::kTypeCode, "V1");
        Type(dlg, Ids::ProductDetail::kClassName, "阀");
        const QStringList before = f.Tables();
        Press(dlg, Ids::ProductDetail::kModify);
        QCOMPARE(f.Tables(), before);
        QCOMPARE(f.prompter.shown.first().style, MB_ICONINFORMATION);
        QCOMPARE(f.TakeNotices(), QStringList({"修改成功", "该产品已存在"}));

        // Rows changed behind the table's back are not reported as changed; the table refills.
        f.db.ExecuteSql(Sql::DeleteProduct, {"齿轮泵@P2", "泵"});
        Type(dlg, Ids::ProductDetail::kName, "齿轮泵");
        f.prompter.confirmAnswers << true << true;
        Press(dlg, Ids::ProductDetail::kModify);
        QCOMPARE(Column(list, 1), QStringList({"球阀", "", "离心泵'%"}));
        f.db.ExecuteSql(Sql::DeleteProduct, {"旧品", "阀"});
        list->setCurrentCell(1, 0);
        Press(dlg, Ids::ProductDetail::kDelete);
        QCOMPARE(f.TakeNotices(), QStringList({"修改失败", "删除失败"}));
        QCOMPARE(Column(list, 1), QStringList({"球阀", "离心泵'%"}));

        // Delete with the model files, atomically; then no row is current.
        f.Exec(
            "create trigger guard before delete on [3D模型表] begin select raise(abort, 'x'); end");
        const QStringList kept = f.Tables();
        list->setCurrentCell(1, 0);
        f.prompter.confirmAnswers << false << true;
        Press(dlg, Ids::ProductDetail::kDelete);
        Press(dlg, Ids::ProductDetail::kDelete);
        QCOMPARE(f.Tables(), kept);
        QCOMPARE(f.TakeNotices().mid(1), QStringList({"删除失败"}));
        f.Exec("drop trigger guard");
        f.prompter.confirmAnswers << true;
        Press(dlg, Ids::ProductDetail::kDelete);
        QCOMPARE(f.Rows("select count(*) from [小类表] union all select count(*) from [3D模型表]"),
                 QStringList({"1", "0"}));
        QVERIFY(Ctl(dlg, Ids::ProductDetail::kName)->text().isEmpty());
        Press(dlg, Ids::ProductDetail::kModify);
        Press(dlg, Ids::ProductDetail::kDelete);
        QCOMPARE(f.TakeNotices(), QStringList({"删除成功", "请选择要修改的项", "请选择删除项"}));
    }

    void addProductFromTheDetails() {
        CatalogueFixture f;
        FillDetails(f);
        CProductDetailDlg dlg(f.db, f.paths);
        auto* list = Ctl<CReportCtrl>(dlg, Ids::ProductDetail::kList);
        // 添加产品 runs the add dialog; the table is read again afterwards.
        OnNextModal([](QWidget* add) {
            Ctl<QComboBox>(*add, Ids::ProductAdd::kCategory)->setCurrentIndex(1);
            for (const char* id :
                 {Ids::ProductAdd::kPicture, Ids::ProductAdd::kIntro, Ids::ProductAdd::kTypeCode,
                  Ids::ProductAdd::kName, Ids::ProductAdd::kKey})
                Type(*add, id, "新");
            Press(*add, Ids::ProductAdd::kFinish);
        });
        Press(dlg, Ids::ProductDetail::kAddProduct);
        QCOMPARE(Column(list, 1), QStringList({"新", "离心泵", "齿轮泵", "球阀", ""}));
    }
};

QTEST_MAIN(TestProducts)
#include "tst_products.moc"
