// Product sheets in and out: reading the sheets spreadsheet programs write, the preview's
// counts and reasons, update-or-refuse, the all-or-nothing write, the export and the round
// trip, and the preview dialog.

#include <sys/stat.h>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QTreeWidget>
#include <QtTest>

#include "CatalogueFixture.h"
#include "ControlIds.h"
#include "TestFiles.h"
#include "authoring/CSettingDlg.h"
#include "authoring/CSheetDlg.h"
#include "authoring/CsvSheet.h"
#include "authoring/ProductExport.h"
#include "authoring/ProductImport.h"
#include "store/Statements.h"

namespace {
using Action = ImportRow::Action;

QString Sample(const QString& name) {
    return QDir::cleanPath(
        QDir(QStringLiteral(VISTREL_TESTDATA_IMAGES)).filePath("../csv/" + name));
}
QString Image(const char* name) {
    return QDir::cleanPath(QDir(QStringLiteral(VISTREL_TESTDATA_IMAGES)).filePath(name));
}

QStringList Refused(const ImportPlan& plan) {
    QStringList out;
    for (const ImportRow& row : plan.rows)
        if (row.action == Action::Refuse)
            out << QStringLiteral("%1: %2").arg(row.line).arg(row.reason);
    return out;
}

// A sheet from rows of cells, written as an export writes it.
QByteArray Sheet(const QList<QStringList>& rows) {
    return CsvSheet::Write(QList<QStringList>{ProductSheet::Headers()} + rows);
}
QStringList Product(const QString& cls, const QString& name, const QString& code,
                    const QString& picture, const QString& models = {}, const QString& notes = {}) {
    return {cls, name, code, QStringLiteral("键"), picture, picture, {}, {}, models, notes};
}
}  // namespace

class TestProductSheet : public QObject {
    Q_OBJECT

private slots:
    void readsTheSheetsSpreadsheetsWrite_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QString>("separator");
        QTest::newRow("LibreOffice UTF-8 comma") << "libreoffice_utf8_comma.csv"
                                                 << "UTF-8"
                                                 << "逗号";
        QTest::newRow("LibreOffice UTF-8 tab") << "libreoffice_utf8_tab.csv"
                                               << "UTF-8"
                                               << "制表符";
        QTest::newRow("Excel UTF-8 BOM") << "excel_utf8_bom.csv"
                                         << "UTF-8 (BOM)"
                                         << "逗号";
        QTest::newRow("Excel GBK") << "excel_gbk.csv"
                                   << "GBK"
                                   << "逗号";
        QTest::newRow("Excel GBK semicolon") << "excel_gbk_semicolon.csv"
                                             << "GBK"
                                             << "分号";
        QTest::newRow("Excel Unicode text") << "excel_unicode.txt"
                                            << "UTF-16"
                                            << "制表符";
    }
    // Every form holds the same five products: quoted separators, quotes and a line break in
    // cells, relative paths with "/" or "\", two model files in one cell, an unknown column.
    void readsTheSheetsSpreadsheetsWrite() {
        QFETCH(QString, file);
        QFETCH(QString, encoding);
        QFETCH(QString, separator);
        CatalogueFixture f;
        f.db.ExecuteSql(Sql::InsertCategory, {"电机"});
        ProductImport import(f.db);
        const ImportPlan plan = import.Preview(Sample(file), false);
        QVERIFY2(plan.error.isEmpty(), qPrintable(plan.error));
        QCOMPARE(plan.encoding, encoding);
        QCOMPARE(plan.separator, separator);
        QCOMPARE(plan.unknownColumns, QStringList{"价格"});
        QCOMPARE(plan.newCategories, QStringList({"泵", "阀"}));
        QCOMPARE(plan.Count(Action::Add), 3);
        // The third product's name spans lines 4 and 5, so the next rows start on 6 and 7.
        QCOMPARE(Refused(plan), QStringList({"6: 缺少产品名称",
                                             "7: 图片不存在或不可读：" + Image("missing.jpg")}));
        QVERIFY(plan.Report().contains("第 6 行 V-2：缺少产品名称"));

        QCOMPARE(import.Write(plan), ProductImport::Outcome::Written);
        QCOMPARE(f.Rows("select Number, ClassName from [大类表] order by Number"),
                 QStringList({"1|电机", "2|泵", "3|阀"}));
        const QString jpg = Image("hopper.jpg"), png = Image("hopper.png");
        QCOMPARE(f.Rows("select Number, ClassName, ProductName, Key, Opath, OIntroduce, "
                        "OAddProcess from [小类表] order by ClassName, Number"),
                 QStringList({"1|泵|离心泵@P-100|离心,泵|" + jpg + "|" + png + "|",
                              "2|泵|齿轮泵 \"高压\"@P-200|齿轮|" + jpg + "|" + Image("hopper.gif") +
                                  "|" + Image("hopper.bmp"),
                              "1|阀|球阀\n两片式@V-1|球阀|" + png + "|" +
                                  QDir::cleanPath(Image("")) + "|"}));
        const QString models = QFileInfo(Sample("models")).absoluteFilePath();
        QCOMPARE(f.Rows("select ProductName, [3DModel], Number, Opath, Note from [3D模型表] "
                        "order by Number"),
                 QStringList({"离心泵@P-100|p100.step|1|" + models + "/p100.step|STEP 格式",
                              "离心泵@P-100|p100.igs|2|" + models + "/p100.igs|IGES 格式"}));
    }

    void readerCases() {
        QList<CsvRecord> records;
        int bad = 0;
        // CR alone ends a line too; blank lines and rows of empty cells are left out; a quote
        // inside an unquoted field is text; a trailing separator gives an empty last field.
        QVERIFY(CsvSheet::Split("a,b\r\rx\"y,\"1\r\n2\"\r\n,,\n\"q\"\"\",", ',', &records, &bad));
        QCOMPARE(records.size(), 3);
        QCOMPARE(records[0].fields, QStringList({"a", "b"}));
        QCOMPARE(records[1].line, 3);
        QCOMPARE(records[1].fields, QStringList({"x\"y", "1\r\n2"}));
        QCOMPARE(records[2].line, 6);
        QCOMPARE(records[2].fields, QStringList({"q\"", ""}));
        QVERIFY(!CsvSheet::Split("a\n\"open,\nmore", ',', &records, &bad));
        QCOMPARE(bad, 2);

        CsvSheet sheet;
        QString error;
        QVERIFY(!sheet.Parse("a,\"b\n", &error));
        QCOMPARE(error, QStringLiteral("第 1 行的引号没有结束"));
        QVERIFY(!sheet.Parse(QByteArray("\x81\x20\xff"), &error));
        QCOMPARE(error, QStringLiteral("表格的文字编码无法识别（应为 UTF-8 或 GBK）"));
        // The header decides the separator even when a cell holds more of another one.
        QVERIFY(sheet.Parse("类别;产品名称\n\"a,b,c,d\";x\n", &error, ProductSheet::Headers()));
        QCOMPARE(sheet.Separator(), QLatin1Char(';'));

        // What the writer quotes comes back as it was.
        const QStringList hostile{"a,b", "say \"hi\"", "two\nlines", " pad ", "50%_x", "", "c;d"};
        QVERIFY(sheet.Parse(CsvSheet::Write({hostile, {"x"}}), &error));
        QCOMPARE(sheet.TextEncoding(), CsvSheet::Encoding::Utf8Bom);
        QCOMPARE(sheet.Records()[0].fields, hostile);

        // Lists in a cell: ";" or line breaks between values, quotes around odd ones.
        QCOMPARE(CsvSheet::SplitList("a.step; b.igs\nc.x_t;", false),
                 QStringList({"a.step", "b.igs", "c.x_t"}));
        const QStringList odd{"x;y.step", "\"q\".igs", " lead", ""};
        QCOMPARE(CsvSheet::SplitList(CsvSheet::JoinList(odd), true), odd);
        QCOMPARE(CsvSheet::SplitList("", true), QStringList());
    }

    // Existing products are refused, or updated on request; the update keeps the product's
    // number, published path and recorded files, adds new files after them and sets notes.
    void refuseOrUpdateExisting() {
        CatalogueFixture f;
        const QString pic = f.catalogue.Make("p/a.jpg"), pic2 = f.catalogue.Make("p/b.jpg");
        const QString m1 = f.catalogue.Make("m/one.step"), m2 = f.catalogue.Make("m/two.igs");
        f.db.ExecuteSql(Sql::InsertCategory, {"泵"});
        f.db.ExecuteSql(Sql::InsertProduct,
                        {5, "泵", "离心泵@P1", "old", "/o.jpg", "/i.jpg", "x", "y"});
        f.db.ExecuteSql(Sql::SetProductDpath, {"pic/泵/离心泵@P1/a.jpg", "泵", "离心泵@P1"});
        f.db.ExecuteSql(Sql::InsertModel, {"泵", "离心泵@P1", "one.step", 3, "/old/one.step"});
        const QByteArray bytes =
            Sheet({Product("泵", "离心泵", "P1", pic2, m1 + ";" + m2, "新;第二"),
                   Product("泵", "离心泵", "P1", pic), Product("泵", "齿轮泵", "P2", pic)});
        ProductImport import(f.db);
        ImportPlan plan = import.PreviewBytes(bytes, f.catalogue.Path(""), false);
        QCOMPARE(Refused(plan), QStringList({"2: 该产品已存在", "3: 该产品已存在"}));
        QCOMPARE(plan.Count(Action::Add), 1);

        plan = import.PreviewBytes(bytes, f.catalogue.Path(""), true);
        QCOMPARE(Refused(plan), QStringList({"3: 与第 2 行的产品重复"}));
        QCOMPARE(plan.Count(Action::Update), 1);
        QCOMPARE(import.Write(plan), ProductImport::Outcome::Written);
        QCOMPARE(f.Rows("select Number, ProductName, Key, Opath, Dpath, OAddProcess from [小类表] "
                        "order by Number"),
                 QStringList({"5|离心泵@P1|键|" + pic2 + "|pic/泵/离心泵@P1/a.jpg|",
                              "6|齿轮泵@P2|键|" + pic + "||"}));
        QCOMPARE(f.Rows("select [3DModel], Number, Opath, Note from [3D模型表] order by Number"),
                 QStringList({"one.step|3|/old/one.step|新", "two.igs|4|" + m2 + "|第二"}));
    }

    void refusalsNameTheirReasons() {
        CatalogueFixture f;
        const QString pic = f.catalogue.Make("p/a.jpg");
        const QString fifo = f.catalogue.Path("p/pipe");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QStringList noKey = Product("泵", "无键", "K", pic);
        noKey[ProductSheet::kKey].clear();
        const QByteArray bytes = Sheet({noKey,
                                        Product("泵", "管道", "F", fifo),
                                        Product("泵", "模型", "M", "p/a.jpg", "m/none.step"),
                                        QStringList(ProductSheet::kColumnCount),
                                        {"空类别", {}, {}, {}, {}, {}, {}, {}, {}, {}},
                                        Product("阀", "相对", "R", "p\\a.jpg")});
        ProductImport import(f.db);
        const ImportPlan plan = import.PreviewBytes(bytes, f.catalogue.Path(""), false);
        QCOMPARE(Refused(plan),
                 QStringList({"2: 数据未填全：关键字",
                              "3: 图片不存在或不可读：" + fifo + "；图片不存在或不可读：" + fifo,
                              "4: 模型文件不存在或不可读：" + f.catalogue.Path("m/none.step")}));
        // A row of only a category makes the category; a refused row's category is not made.
        QCOMPARE(plan.newCategories, QStringList({"空类别", "阀"}));
        QCOMPARE(plan.Count(Action::Add), 1);

        // A folder holding many of the sheet's files is listed at once: the same answers.
        QList<QStringList> many;
        for (int i = 0; i < 70; ++i)
            many << Product("泵", QString("多%1").arg(i), "M",
                            f.catalogue.Make(QString("many/%1.jpg").arg(i)));
        QVERIFY(QDir().mkpath(f.catalogue.Path("many/sub")));
        QCOMPARE(mkfifo(QFile::encodeName(f.catalogue.Path("many/pipe")).constData(), 0600), 0);
        QStringList folderDocument = Product("泵", "文件夹", "D", "many/0.jpg");
        folderDocument[ProductSheet::kIntroduce] = "many/sub";
        many << Product("泵", "管道", "P", "many/pipe") << Product("泵", "缺", "G", "many/gone.jpg")
             << Product("泵", "夹", "S", "many/sub") << folderDocument;
        const ImportPlan listed = import.PreviewBytes(Sheet(many), f.catalogue.Path(""), false);
        const QString in = f.catalogue.Path("many/");
        QCOMPARE(Refused(listed),
                 QStringList(
                     {"72: 图片不存在或不可读：" + in + "pipe；图片不存在或不可读：" + in + "pipe",
                      "73: 图片不存在或不可读：" + in + "gone.jpg；图片不存在或不可读：" + in +
                          "gone.jpg",
                      "74: 图片不存在或不可读：" + in + "sub"}));
        QCOMPARE(listed.Count(Action::Add), 71);

        const ImportPlan missing = import.PreviewBytes("类别,名称\n泵,x\n", {}, false);
        QCOMPARE(missing.error,
                 QStringLiteral("表格缺少列：产品名称、型号、关键字、产品图片、产品介绍"));
        QVERIFY(!missing.HasWrites());
        QCOMPARE(import.Preview(f.catalogue.Path("none.csv"), false).error.left(7),
                 QStringLiteral("无法读取表格："));
    }

    // A failure in the middle, or a cancel, leaves the catalogue exactly as it was.
    void writesAllOrNothing() {
        CatalogueFixture f;
        const QString pic = f.catalogue.Make("p/a.jpg");
        f.db.ExecuteSql(Sql::InsertCategory, {"泵"});
        const QStringList before = f.Tables();
        QList<QStringList> rows;
        for (int i = 0; i < 250; ++i)
            rows << Product(i < 100 ? "泵" : "新类", QString("品%1").arg(i), "C", pic, pic);
        ProductImport import(f.db);
        const ImportPlan plan = import.PreviewBytes(Sheet(rows), {}, false);
        QCOMPARE(plan.Count(Action::Add), 250);

        f.Exec(
            "create trigger fail before insert on [小类表] when new.ProductName = '品200@C' "
            "begin select raise(abort, 'forced'); end");
        QCOMPARE(import.Write(plan), ProductImport::Outcome::Failed);
        QVERIFY(import.LastError().contains("forced"));
        QCOMPARE(f.Tables(), before);
        f.Exec("drop trigger fail");

        QList<int> seen;
        QCOMPARE(import.Write(plan,
                              [&](int done, int total) {
                                  seen << done;
                                  return total == 251 && done < 200;
                              }),
                 ProductImport::Outcome::Cancelled);
        QCOMPARE(seen.first(), 0);
        QCOMPARE(f.Tables(), before);
        QCOMPARE(import.Write(plan), ProductImport::Outcome::Written);
        QCOMPARE(f.Rows("select count(*) from [小类表]"), QStringList{"250"});
    }

    // Export, then import into an empty catalogue: the same categories, products and model
    // files, hostile names included.
    void roundTripWithHostileNames() {
        CatalogueFixture f;
        const QString pic = f.catalogue.Make("p/a'b,c.jpg");
        const QString model = f.catalogue.Make("m/x;y \"z\".step");
        const QStringList classes{"A,\"B\"", "50%_off\nnext", "空"};
        for (const QString& c : classes) f.db.ExecuteSql(Sql::InsertCategory, {c});
        for (int i = 0; i < classes.size(); ++i)
            f.db.ExecuteSql(Sql::SetCategoryNumber, {i + 1, classes[i]});
        f.db.ExecuteSql(Sql::InsertProduct,
                        {1, classes[0], "名;字, \"引\"@A_1%", "k%_", pic, pic, "", pic});
        f.db.ExecuteSql(Sql::InsertProduct, {2, classes[0], "空 格@B\tC", "k", pic, pic, pic, ""});
        f.db.ExecuteSql(Sql::InsertProduct, {1, classes[1], "a@b@c", "k", pic, pic, "", ""});
        f.db.ExecuteSql(Sql::InsertModel,
                        {classes[0], "名;字, \"引\"@A_1%", "x;y \"z\".step", 1, model});
        f.db.ExecuteSql(Sql::SetModelNote,
                        {"注;\"释\"\n二", classes[0], "名;字, \"引\"@A_1%", "x;y \"z\".step"});

        const QString sheet = f.catalogue.Path("out.csv");
        ProductExport exporter(f.db);
        QString error;
        QVERIFY(exporter.Write(sheet, &error));
        QCOMPARE(exporter.Products(), 3);
        QCOMPARE(exporter.Categories(), 3);
        QVERIFY(TestFiles::ReadFile(sheet).startsWith("\xEF\xBB\xBF类别,产品名称,型号"));

        TestCatalogue empty;
        ProductImport import(empty.db);
        const ImportPlan plan = import.Preview(sheet, false);
        QVERIFY2(Refused(plan).isEmpty(), qPrintable(Refused(plan).join("\n")));
        QCOMPARE(import.Write(plan), ProductImport::Outcome::Written);
        QCOMPARE(empty.Tables(), f.Tables());
    }

    // The dialog shows the preview and writes only on 导入; Escape while it writes cancels.
    void previewDialog() {
        CatalogueFixture f;
        const QStringList before = f.Tables();
        {
            CSheetDlg dlg(f.db, f.paths);
            f.prompter.fileAnswers << Sample("excel_gbk.csv");
            Press(dlg, Ids::Sheet::kChoose);
            QCOMPARE(Ctl<QLabel>(dlg, Ids::Sheet::kSummary)->text(),
                     QStringLiteral("添加 3 个产品，更新 0 个，拒绝 2 行，新建 2 个类别"));
            auto* refused = Ctl<QTreeWidget>(dlg, Ids::Sheet::kRefused);
            QCOMPARE(refused->topLevelItemCount(), 2);
            QCOMPARE(refused->topLevelItem(0)->text(0), QStringLiteral("6"));
            QCOMPARE(refused->topLevelItem(0)->text(2), QStringLiteral("缺少产品名称"));
            QVERIFY(Ctl<QPushButton>(dlg, Ids::Sheet::kImport)->isEnabled());

            // While it writes, choosing another sheet is shut off; Escape cancels the write.
            bool chooseEnabled = true;
            QTimer::singleShot(0, &dlg, [&] {
                chooseEnabled = Ctl<QPushButton>(dlg, Ids::Sheet::kChoose)->isEnabled();
            });
            QCoreApplication::postEvent(&dlg, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
            Press(dlg, Ids::Sheet::kImport);
            QVERIFY(!chooseEnabled);
            QVERIFY(Ctl<QPushButton>(dlg, Ids::Sheet::kChoose)->isEnabled());
            QCOMPARE(f.Tables(), before);
            QCOMPARE(dlg.result(), 0);
            QVERIFY(Ctl<QPushButton>(dlg, Ids::Sheet::kImport)->isEnabled());

            Press(dlg, Ids::Sheet::kImport);
            QCOMPARE(f.Rows("select count(*) from [小类表]"), QStringList{"3"});
            QVERIFY(!Ctl<QPushButton>(dlg, Ids::Sheet::kImport)->isEnabled());
            QCOMPARE(f.TakeNotices(), QStringList{"导入成功"});

            // The export goes into the chosen folder; an existing sheet is replaced only on Yes.
            f.prompter.folderAnswers << f.catalogue.Path("") << f.catalogue.Path("");
            Press(dlg, Ids::Sheet::kExport);
            const QString out = f.catalogue.Path(CSheetDlg::ExportFileName());
            const QByteArray first = TestFiles::ReadFile(out);
            QVERIFY(first.contains("齿轮泵 \"\"高压\"\""));
            TestFiles::WriteFile(out, "keep");
            f.prompter.confirmAnswers << false;
            Press(dlg, Ids::Sheet::kExport);
            QCOMPARE(TestFiles::ReadFile(out), QByteArray("keep"));
        }
    }
};

QTEST_MAIN(TestProductSheet)
#include "tst_productsheet.moc"
