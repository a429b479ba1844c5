#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "ScopedInstallation.h"
#include "ScriptedPrompter.h"
#include "app/CCatalogueApp.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueRecords.h"
#include "store/CatalogueRecordset.h"
#include "store/CatalogueSchema.h"
#include "store/Statements.h"

namespace {
// Texts that break spliced SQL, LIKE patterns or C strings, and one long text.
QStringList HostileValues() {
    return {QStringLiteral("O'Brien's \"quoted\" 类"),
            QStringLiteral("100% 纯_铜"),
            QStringLiteral("C:\\路径\\文件.jpg"),
            QStringLiteral("'; drop table [小类表]; --"),
            QStringLiteral("a%_\\'\"b"),
            QString(2000, QChar(0x578B)) + QStringLiteral("'%_\\")};
}

QStringList FileNames(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Runs a statement on a side connection, for setting up rows the program never writes.
void RawExec(const QString& file, const QString& sql) {
    const QString name = QStringLiteral("raw");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY2(q.exec(sql), qPrintable(sql));
    }
    QSqlDatabase::removeDatabase(name);
}

struct Catalogue {
    QTemporaryDir dir;
    QString file;
    CatalogueDb db;
    QStringList failures;
    Catalogue() {
        file = CatalogueDb::CatalogueFile(dir.path());
        if (!CatalogueSchema::CreateEmpty(file)) qFatal("cannot create a catalogue");
        if (!db.Open(file)) qFatal("cannot open a new catalogue");
        db.SetFailureHandler([this](const QString& m) { failures << m; });
    }
    QStringList Column(const char* sql, const QVariantList& params, int position) {
        CatalogueRecordset rs(&db);
        rs.OpenRecordset(sql, params);
        QStringList out;
        for (; !rs.IsEOF(); rs.MoveNext()) out << rs.GetFieldString(position);
        return out;
    }
};

QString PlaceholderFree(const char* sql) {
    return QString::fromUtf8(sql).remove(QLatin1Char('?'));
}
}  // namespace

class TestCatalogueStore : public QObject {
    Q_OBJECT
private slots:
    void init() { CatalogueDb::SetWritableProbe(nullptr); }
    void createEmptyRefusesExistingFile();
    void openFailsWithoutCreatingAnything_data();
    void openFailsWithoutCreatingAnything();
    void openPathWithSpacesAndChinese();
    void readOnlyDecision();
    void readOnlyWhenProbeSaysUnwritable();
    void readOnlyMount();
    void everyStatementRuns();
    void statementsHaveNoQuotedPlaceholders();
    void hostileValuesThroughEveryKindOfStatement();
    void searchMatchesPercentUnderscoreBackslashLiterally();
    void nullTextsBindAsEmpty();
    void recordsetWalkAndCount();
    void nullsReadEmptyAndSortFirst();
    void countReadsAsDecimalText();
    void failedStatementReportsAndLeavesEmptyResult();
    void transactionIsAllOrNothing();
    void recordsByPosition();
    void storedProductNames();
    void onlyTheApplicationsConnectionShowsFailures();
    void copyOfTheOpenCatalogue();
};

void TestCatalogueStore::createEmptyRefusesExistingFile() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("数据.db"));
    QVERIFY(CatalogueSchema::CreateEmpty(file));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    QString error;
    QVERIFY(!CatalogueSchema::CreateEmpty(file, &error));
    QVERIFY(!error.isEmpty());
    f.seek(0);
    QCOMPARE(f.readAll(), before);
    // The delivered company row is there.
    CatalogueDb db;
    QVERIFY(db.Open(file));
    CatalogueRecordset rs(&db);
    QVERIFY(rs.OpenRecordset(Sql::SelectCompany));
    QCOMPARE(rs.GetRecordCount(), 1);
}

void TestCatalogueStore::openFailsWithoutCreatingAnything_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("zero bytes") << "zero";
    QTest::newRow("text file") << "text";
    QTest::newRow("sqlite without tables") << "notables";
    QTest::newRow("three of four tables") << "threetables";
    QTest::newRow("too few columns") << "fewcolumns";
    QTest::newRow("folder") << "folder";
    QTest::newRow("damaged sqlite") << "damaged";
}

void TestCatalogueStore::openFailsWithoutCreatingAnything() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString file = CatalogueDb::CatalogueFile(dir.path());
    QCOMPARE(QFileInfo(file).fileName(), QStringLiteral("数据.db"));
    auto write = [&](const QByteArray& bytes) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    if (kind == "zero") write({});
    if (kind == "text") write("这不是数据库\nnot a database at all, just some text\n");
    if (kind == "folder") QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("数据.db")));
    if (kind == "notables") RawExec(file, QStringLiteral("create table t(x)"));
    if (kind == "threetables" || kind == "fewcolumns") {
        QVERIFY(CatalogueSchema::CreateEmpty(file));
        RawExec(file, kind == "threetables" ? QStringLiteral("drop table [企业表]")
                                            : QStringLiteral("drop table [3D模型表]"));
        if (kind == "fewcolumns")
            RawExec(file, QStringLiteral("create table [3D模型表](ID, ClassName, ProductName)"));
    }
    if (kind == "damaged") {
        QVERIFY(CatalogueSchema::CreateEmpty(file));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QByteArray bytes = f.readAll();
        for (qsizetype i = 100; i < bytes.size(); ++i) bytes[i] = char(0xA5);
        f.seek(0);
        f.write(bytes);
    }
    const QStringList before = FileNames(dir.path());
    QByteArray contentBefore;
    if (QFileInfo(file).isFile()) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        contentBefore = f.readAll();
    }

    CatalogueDb db;
    QString error;
    QVERIFY(!db.Open(file, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!db.IsOpen());
    QCOMPARE(FileNames(dir.path()), before);
    if (QFileInfo(file).isFile()) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), contentBefore);
    }
    QCOMPARE(QFileInfo::exists(file), kind != "missing");
}

void TestCatalogueStore::openPathWithSpacesAndChinese() {
    QTemporaryDir tmp;
    const QString folder = tmp.filePath(QStringLiteral("我的 目录 #1?/sysfile"));
    QVERIFY(QDir().mkpath(folder));
    const QString file = CatalogueDb::CatalogueFile(folder);
    QVERIFY(CatalogueSchema::CreateEmpty(file));
    CatalogueDb db;
    QString error;
    QVERIFY2(db.Open(file, &error), qPrintable(error));
    QCOMPARE(db.Mode(), CatalogueDb::OpenMode::ReadWrite);
    QVERIFY(db.ExecuteSql(Sql::InsertCategory, {QStringLiteral("类")}));
    db.Close();
    // The write went to that file, not to a file of a mangled name.
    QCOMPARE(FileNames(folder), QStringList{QStringLiteral("数据.db")});
    QVERIFY(db.Open(file));
    CatalogueRecordset rs(&db);
    QVERIFY(rs.OpenRecordset(Sql::SelectCategories));
    QCOMPARE(rs.GetFieldString(2), QStringLiteral("类"));
}

void TestCatalogueStore::readOnlyDecision() {
    using M = CatalogueDb::OpenMode;
    QCOMPARE(CatalogueDb::ChooseOpenMode(true, true), M::ReadWrite);
    QCOMPARE(CatalogueDb::ChooseOpenMode(true, false), M::ReadOnly);
    QCOMPARE(CatalogueDb::ChooseOpenMode(false, true), M::Immutable);
    QCOMPARE(CatalogueDb::ChooseOpenMode(false, false), M::Immutable);
    // The real probe asks the kernel: a fresh temporary folder is writable, a missing path not.
    QTemporaryDir dir;
    QVERIFY(CatalogueDb::IsWritable(dir.path()));
    QVERIFY(!CatalogueDb::IsWritable(dir.filePath(QStringLiteral("missing/x"))));
}

void TestCatalogueStore::readOnlyWhenProbeSaysUnwritable() {
    Catalogue c;
    QVERIFY(c.db.ExecuteSql(Sql::InsertCategory, {QStringLiteral("甲")}));
    c.db.Close();
    // Read-only media: neither the folder nor the file can be written.
    CatalogueDb::SetWritableProbe([](const QString&) { return false; });
    const QStringList before = FileNames(c.dir.path());
    CatalogueDb ro;
    QVERIFY(ro.Open(c.file));
    QCOMPARE(ro.Mode(), CatalogueDb::OpenMode::Immutable);
    QVERIFY(ro.IsReadOnly());
    CatalogueRecordset rs(&ro);
    QVERIFY(rs.OpenRecordset(Sql::SelectCategories));
    QCOMPARE(rs.GetFieldString(2), QStringLiteral("甲"));
    QStringList failures;
    ro.SetFailureHandler([&](const QString& m) { failures << m; });
    QVERIFY(!ro.ExecuteSql(Sql::InsertCategory, {QStringLiteral("乙")}));
    QCOMPARE(failures.size(), 1);
    QVERIFY(!failures[0].isEmpty());
    ro.Close();
    QCOMPARE(FileNames(c.dir.path()), before);

    // Only the file is protected: read-only, not immutable.
    CatalogueDb::SetWritableProbe(
        [&](const QString& p) { return p != QFileInfo(c.file).absoluteFilePath(); });
    CatalogueDb fileRo;
    QVERIFY(fileRo.Open(c.file));
    QCOMPARE(fileRo.Mode(), CatalogueDb::OpenMode::ReadOnly);
    fileRo.SetFailureHandler([&](const QString& m) { failures << m; });
    QVERIFY(!fileRo.ExecuteSql(Sql::InsertCategory, {QStringLiteral("乙")}));
    CatalogueDb::SetWritableProbe(nullptr);
    fileRo.Close();
    CatalogueDb rw;
    QVERIFY(rw.Open(c.file));
    CatalogueRecordset all(&rw);
    QVERIFY(all.OpenRecordset(Sql::SelectCategories));
    QCOMPARE(all.GetRecordCount(), 1);
}

void TestCatalogueStore::readOnlyMount() {
    // A real read-only mount, where this machine lets us make one (root with mount rights);
    // the decision itself is covered above in any case.
    QTemporaryDir src, mnt;
    const QString file = CatalogueDb::CatalogueFile(src.path());
    QVERIFY(CatalogueSchema::CreateEmpty(file));
    auto run = [](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral("mount"), args);
        return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == 0;
    };
    if (!run({QStringLiteral("--bind"), src.path(), mnt.path()}))
        QSKIP("no permission to mount here; the read-only decision is tested with the probe");
    const bool ro = run({QStringLiteral("-o"), QStringLiteral("remount,bind,ro"), mnt.path()});
    auto unmount = qScopeGuard([&] {
        QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), mnt.path()});
    });
    if (!ro) QSKIP("the bind mount cannot be made read-only here");
    const QString mounted = CatalogueDb::CatalogueFile(mnt.path());
    QVERIFY(!CatalogueDb::IsWritable(mnt.path()));
    CatalogueDb db;
    QString error;
    QVERIFY2(db.Open(mounted, &error), qPrintable(error));
    QCOMPARE(db.Mode(), CatalogueDb::OpenMode::Immutable);
    CatalogueRecordset rs(&db);
    QVERIFY(rs.OpenRecordset(Sql::SelectCompany));
    QCOMPARE(rs.GetRecordCount(), 1);
    QStringList failures;
    db.SetFailureHandler([&](const QString& m) { failures << m; });
    QVERIFY(!db.ExecuteSql(Sql::InsertCategory, {QStringLiteral("x")}));
    QCOMPARE(failures.size(), 1);
}

void TestCatalogueStore::everyStatementRuns() {
    // Every statement of the vocabulary is accepted by the engine with its placeholders bound.
    struct S {
        const char* sql;
        int params;
    };
    const S all[] = {
        {Sql::SelectCategories, 0},
        {Sql::SelectCategoriesSpace, 0},
        {Sql::SelectCategoriesByNumber, 0},
        {Sql::SelectCategoriesByNumberBracketed, 0},
        {Sql::SelectCategoryByName, 1},
        {Sql::SelectCategoryNumber, 1},
        {Sql::InsertCategory, 1},
        {Sql::RenameCategory, 2},
        {Sql::SetCategoryNumber, 2},
        {Sql::DeleteCategory, 1},
        {Sql::SelectAllProducts, 0},
        {Sql::SelectProductsOfClassPublish, 1},
        {Sql::SelectProductsOfClassModels, 1},
        {Sql::SelectProductsOfClassDocuments, 1},
        {Sql::SelectProductsOfClassByNumber, 1},
        {Sql::SelectProductsByClassAndNumber, 0},
        {Sql::SelectProductsOfClassByClassAndNumber, 1},
        {Sql::SelectProductByClassAndName, 2},
        {Sql::SelectProductByNameAndClass, 2},
        {Sql::SearchProductsByKey, 1},
        {Sql::CountProductsOfClass, 1},
        {Sql::InsertProduct, 8},
        {Sql::UpdateProduct, 11},
        {Sql::SetProductIntroduce, 3},
        {Sql::SetProductAddProcess, 3},
        {Sql::SetProductTecReference, 3},
        {Sql::SetProductDpath, 3},
        {Sql::SetProductPIntroduce, 3},
        {Sql::SetProductPAddProcess, 3},
        {Sql::SetProductPTecReference, 3},
        {Sql::RenameProductsClass, 2},
        {Sql::DeleteProductsOfClass, 1},
        {Sql::DeleteProduct, 2},
        {Sql::SelectAllModels, 0},
        {Sql::SelectModelsOfProductPublish, 2},
        {Sql::SelectModelsOfProductByNumber, 2},
        {Sql::SelectModelFile, 3},
        {Sql::SelectModelFileBracketed, 3},
        {Sql::SelectModelByFileName, 1},
        {Sql::SelectModelsOfProduct, 2},
        {Sql::InsertModelShort, 4},
        {Sql::InsertModel, 5},
        {Sql::SetModelNumber, 4},
        {Sql::SetModelNote, 4},
        {Sql::SetModelsDpath, 3},
        {Sql::RenameModelsClass, 2},
        {Sql::MoveModelsOfProduct, 4},
        {Sql::DeleteModelFile, 3},
        {Sql::DeleteModelsOfClass, 1},
        {Sql::DeleteModelsOfProduct, 2},
        {Sql::SelectCompany, 0},
        {Sql::SelectCompanySpace, 0},
        {Sql::UpdateCompany, 3},
        {Sql::UpdateCompanyAlt, 3},
        {Sql::SetCompanyDpath, 2},
    };
    QCOMPARE(int(std::size(all)), 55);
    Catalogue c;
    for (const S& s : all) {
        const QString text = QString::fromUtf8(s.sql);
        QCOMPARE(text.count(QLatin1Char('?')), s.params);
        QVariantList params;
        for (int i = 0; i < s.params; ++i) params << QVariant(i + 1);
        if (text.startsWith(QLatin1String("select"))) {
            CatalogueRecordset rs(&c.db);
            QVERIFY2(rs.OpenRecordset(s.sql, params), s.sql);
        } else {
            QVERIFY2(c.db.ExecuteSql(s.sql, params), s.sql);
        }
    }
    QVERIFY2(c.failures.isEmpty(), qPrintable(c.failures.join('\n')));
}

void TestCatalogueStore::statementsHaveNoQuotedPlaceholders() {
    // A placeholder between quotes would be a literal question mark, not a parameter.
    const char* samples[] = {Sql::SetCategoryNumber, Sql::InsertProduct, Sql::UpdateProduct,
                             Sql::InsertModel,       Sql::UpdateCompany, Sql::SearchProductsByKey};
    for (const char* sql : samples) QVERIFY2(!QString::fromUtf8(sql).contains("'?'"), sql);
    QVERIFY(PlaceholderFree(Sql::SearchProductsByKey).contains(QLatin1String("escape '\\'")));
}

void TestCatalogueStore::hostileValuesThroughEveryKindOfStatement() {
    Catalogue c;
    const QStringList values = HostileValues();
    for (const QString& v : values) {
        // insert and select by equality
        QVERIFY(c.db.ExecuteSql(Sql::InsertCategory, {v}));
        QCOMPARE(c.Column(Sql::SelectCategoryByName, {v}, 2), QStringList{v});
        QVERIFY(c.db.ExecuteSql(Sql::SetCategoryNumber, {7, v}));
        QCOMPARE(c.Column(Sql::SelectCategoryNumber, {v}, 0), QStringList{"7"});
        const QString product = StoredProductName::Join(v, v);
        QVERIFY(c.db.ExecuteSql(Sql::InsertProduct, {1, v, product, v, v, v, v, v}));
        QCOMPARE(c.Column(Sql::SelectProductByClassAndName, {v, product}, 4), QStringList{v});
        QCOMPARE(c.Column(Sql::CountProductsOfClass, {v}, 0), QStringList{"1"});
        // like
        QCOMPARE(c.Column(Sql::SearchProductsByKey, {CatalogueDb::LikeContains(v)}, 3),
                 QStringList{product});
        // update
        const QString renamed = v + QStringLiteral("'新");
        QVERIFY(c.db.ExecuteSql(Sql::RenameCategory, {renamed, v}));
        QVERIFY(c.db.ExecuteSql(Sql::RenameProductsClass, {renamed, v}));
        QCOMPARE(c.Column(Sql::SelectProductsOfClassByNumber, {renamed}, 3), QStringList{product});
        QCOMPARE(c.Column(Sql::SelectProductsOfClassByNumber, {v}, 3), QStringList{});
        QVERIFY(c.db.ExecuteSql(Sql::InsertModel, {renamed, product, v, 0, v}));
        QVERIFY(c.db.ExecuteSql(Sql::SetModelNote, {v, renamed, product, v}));
        QCOMPARE(c.Column(Sql::SelectModelFile, {renamed, product, v}, 7), QStringList{v});
        QCOMPARE(c.Column(Sql::SelectModelFile, {renamed, product, v}, 5), QStringList{v});
        // delete
        QVERIFY(c.db.ExecuteSql(Sql::DeleteModelFile, {renamed, product, v}));
        QVERIFY(c.db.ExecuteSql(Sql::DeleteProduct, {product, renamed}));
        QVERIFY(c.db.ExecuteSql(Sql::DeleteCategory, {renamed}));
        QCOMPARE(c.Column(Sql::SelectCategories, {}, 2), QStringList{});
        QCOMPARE(c.Column(Sql::SelectAllProducts, {}, 2), QStringList{});
        QCOMPARE(c.Column(Sql::SelectAllModels, {}, 3), QStringList{});
    }
    // The company text, the longest of them.
    QVERIFY(c.db.ExecuteSql(Sql::UpdateCompany, {values[2], values[5], values[0]}));
    CatalogueRecordset rs(&c.db);
    QVERIFY(rs.OpenRecordset(Sql::SelectCompany));
    const CompanyRecord company = CompanyRecord::Read(rs);
    QCOMPARE(company.opath, values[2]);
    QCOMPARE(company.company, values[5]);
    QCOMPARE(company.company.size(), 2004);
    QCOMPARE(company.web, values[0]);
    QVERIFY(c.failures.isEmpty());
    // The tables are all still there.
    c.db.Close();
    QVERIFY(c.db.Open(c.file));
}

void TestCatalogueStore::searchMatchesPercentUnderscoreBackslashLiterally() {
    Catalogue c;
    const QStringList keys = {QStringLiteral("50% off"), QStringLiteral("500 off"),
                              QStringLiteral("a_b"),     QStringLiteral("axb"),
                              QStringLiteral("c\\d"),    QStringLiteral("cd"),
                              QStringLiteral("ABC-1"),   QStringLiteral("xabcx")};
    for (int i = 0; i < keys.size(); ++i)
        QVERIFY(c.db.ExecuteSql(Sql::InsertProduct, {i, "类", QStringLiteral("p%1@t").arg(i),
                                                     keys[i], "", "", "", ""}));
    auto search = [&](const QString& text) {
        QStringList out;
        for (const QString& p :
             c.Column(Sql::SearchProductsByKey, {CatalogueDb::LikeContains(text)}, 4))
            out << p;
        return out;
    };
    QCOMPARE(search(QStringLiteral("%")), QStringList{"50% off"});
    QCOMPARE(search(QStringLiteral("0% o")), QStringList{"50% off"});
    QCOMPARE(search(QStringLiteral("_")), QStringList{"a_b"});
    QCOMPARE(search(QStringLiteral("\\")), QStringList{"c\\d"});
    QCOMPARE(search(QStringLiteral("c\\d")), QStringList{"c\\d"});
    // The text is found anywhere in the key (abc -> %abc%), letters regardless of case.
    QCOMPARE(search(QStringLiteral("abc")), (QStringList{"ABC-1", "xabcx"}));
    QCOMPARE(search(QStringLiteral("nothing")), QStringList{});
    QCOMPARE(CatalogueDb::LikeContains(QStringLiteral("abc")), QStringLiteral("%abc%"));
    QCOMPARE(CatalogueDb::LikeContains(QStringLiteral("a%b_c\\")),
             QStringLiteral("%a\\%b\\_c\\\\%"));
}

void TestCatalogueStore::nullTextsBindAsEmpty() {
    Catalogue c;
    // A text read from an empty control may be a null string; it stands for '' in a condition.
    QVERIFY(c.db.ExecuteSql(Sql::InsertProduct, {1, QString(), "p@1", "", "", "", "", ""}));
    QCOMPARE(c.Column(Sql::SelectProductsOfClassByNumber, {QStringLiteral("")}, 3),
             QStringList{"p@1"});
    QVERIFY(c.db.ExecuteSql(Sql::DeleteProduct, {"p@1", QString()}));
    QCOMPARE(c.Column(Sql::SelectAllProducts, {}, 3), QStringList{});
}

void TestCatalogueStore::recordsetWalkAndCount() {
    Catalogue c;
    CatalogueRecordset rs(&c.db);
    QVERIFY(rs.IsEOF());
    QCOMPARE(rs.GetRecordCount(), 0);
    QCOMPARE(rs.GetFieldString(0), QString(""));
    for (const char* name : {"一", "二", "三"})
        QVERIFY(c.db.ExecuteSql(Sql::InsertCategory, {name}));
    QVERIFY(rs.OpenRecordset(Sql::SelectCategories));
    QCOMPARE(rs.GetRecordCount(), 3);
    QStringList seen;
    while (!rs.IsEOF()) {
        seen << rs.GetFieldString(2);
        rs.MoveNext();
    }
    QCOMPARE(seen, (QStringList{"一", "二", "三"}));
    rs.MoveNext();  // past the end stays at the end
    QVERIFY(rs.IsEOF());
    QCOMPARE(rs.GetFieldString(2), QString(""));
    // The result is fixed once opened: later changes do not show until it is opened again.
    QVERIFY(rs.OpenRecordset(Sql::SelectCategories));
    QVERIFY(c.db.ExecuteSql(Sql::DeleteCategory, {"一"}));
    QCOMPARE(rs.GetRecordCount(), 3);
    QCOMPARE(rs.GetFieldString(2), QStringLiteral("一"));
    // Opening another statement replaces the result; missing positions read "".
    QVERIFY(rs.OpenRecordset(Sql::SelectCategoryByName, {"二"}));
    QCOMPARE(rs.GetRecordCount(), 1);
    QCOMPARE(rs.GetFieldString(2), QStringLiteral("二"));
    QCOMPARE(rs.GetFieldString(3), QString(""));
    QCOMPARE(rs.GetFieldString(-1), QString(""));
}

void TestCatalogueStore::nullsReadEmptyAndSortFirst() {
    Catalogue c;
    for (const char* name : {"乙", "甲", "丙"})
        QVERIFY(c.db.ExecuteSql(Sql::InsertCategory, {name}));
    QVERIFY(c.db.ExecuteSql(Sql::SetCategoryNumber, {2, "乙"}));
    QVERIFY(c.db.ExecuteSql(Sql::SetCategoryNumber, {10, "甲"}));
    // 丙 was just inserted: null number, listed first; 10 sorts after 2 (numbers, not text).
    QCOMPARE(c.Column(Sql::SelectCategoriesByNumber, {}, 2), (QStringList{"丙", "乙", "甲"}));
    QCOMPARE(c.Column(Sql::SelectCategoriesByNumberBracketed, {}, 2),
             (QStringList{"丙", "乙", "甲"}));
    QCOMPARE(c.Column(Sql::SelectCategoryNumber, {"丙"}, 0), QStringList{""});
    // A number written as text is stored as a number all the same.
    QVERIFY(c.db.ExecuteSql(Sql::SetCategoryNumber, {QStringLiteral("9"), "丙"}));
    QCOMPARE(c.Column(Sql::SelectCategoriesByNumber, {}, 2), (QStringList{"乙", "丙", "甲"}));

    // A model file of the short insert: null Number, Dpath and Note read "".
    QVERIFY(c.db.ExecuteSql(Sql::InsertModelShort, {"甲", "p@1", "m.stp", "/src/m.stp"}));
    QVERIFY(c.db.ExecuteSql(Sql::InsertModel, {"甲", "p@1", "a.stp", 3, "/src/a.stp"}));
    CatalogueRecordset rs(&c.db);
    QVERIFY(rs.OpenRecordset(Sql::SelectModelsOfProductByNumber, {"甲", "p@1"}));
    QCOMPARE(rs.GetRecordCount(), 2);
    const ModelFileRecord first = ModelFileRecord::Read(rs);
    QCOMPARE(first.modelFile, QStringLiteral("m.stp"));
    QCOMPARE(first.number, QString(""));
    QCOMPARE(first.dpath, QString(""));
    QCOMPARE(first.note, QString(""));
    QCOMPARE(rs.GetFieldString(7), QString(""));
    QVERIFY(!rs.GetFieldString(7).isNull());
    rs.MoveNext();
    QCOMPARE(ModelFileRecord::Read(rs).number, QStringLiteral("3"));
}

void TestCatalogueStore::countReadsAsDecimalText() {
    Catalogue c;
    QCOMPARE(c.Column(Sql::CountProductsOfClass, {"无"}, 0), QStringList{"0"});
    for (int i = 0; i < 12; ++i)
        QVERIFY(c.db.ExecuteSql(Sql::InsertProduct,
                                {i, "类", QStringLiteral("p%1@t").arg(i), "", "", "", "", ""}));
    QCOMPARE(c.Column(Sql::CountProductsOfClass, {"类"}, 0), QStringList{"12"});
}

void TestCatalogueStore::failedStatementReportsAndLeavesEmptyResult() {
    Catalogue c;
    QVERIFY(c.db.ExecuteSql(Sql::InsertCategory, {"甲"}));
    CatalogueRecordset rs(&c.db);
    QVERIFY(rs.OpenRecordset(Sql::SelectCategories));
    QVERIFY(!rs.IsEOF());
    // A statement the engine rejects: reported with the engine's words, empty result.
    QVERIFY(!rs.OpenRecordset("select * from [没有的表]"));
    QVERIFY(rs.IsEOF());
    QCOMPARE(rs.GetRecordCount(), 0);
    QCOMPARE(c.failures.size(), 1);
    QVERIFY2(c.failures[0].contains(QStringLiteral("没有的表")), qPrintable(c.failures[0]));
    QCOMPARE(c.db.LastError(), c.failures[0]);
    QVERIFY(!c.db.ExecuteSql("update [没有的表] set x=?", {1}));
    QCOMPARE(c.failures.size(), 2);
    // A closed connection reports instead of crashing.
    c.db.Close();
    QVERIFY(!c.db.ExecuteSql(Sql::InsertCategory, {"乙"}));
    QVERIFY(!rs.OpenRecordset(Sql::SelectCategories));
    QCOMPARE(c.failures.size(), 4);
}

void TestCatalogueStore::transactionIsAllOrNothing() {
    Catalogue c;
    QVERIFY(c.db.ExecuteSql(Sql::InsertCategory, {"旧"}));
    QVERIFY(c.db.ExecuteSql(Sql::InsertProduct, {1, "旧", "p@1", "", "", "", "", ""}));
    // The second statement fails: the first is undone.
    QVERIFY(!c.db.ExecuteAll({{Sql::RenameCategory, {"新", "旧"}},
                              {"update [没有的表] set x=?", {1}},
                              {Sql::RenameProductsClass, {"新", "旧"}}}));
    QCOMPARE(c.failures.size(), 1);
    QCOMPARE(c.Column(Sql::SelectCategories, {}, 2), QStringList{"旧"});
    QVERIFY(c.db.ExecuteAll({{Sql::RenameCategory, {"新", "旧"}},
                             {Sql::RenameProductsClass, {"新", "旧"}},
                             {Sql::RenameModelsClass, {"新", "旧"}}}));
    QCOMPARE(c.Column(Sql::SelectCategories, {}, 2), QStringList{"新"});
    QCOMPARE(c.Column(Sql::SelectAllProducts, {}, 2), QStringList{"新"});
    // The connection is usable afterwards (no transaction left open).
    QVERIFY(c.db.ExecuteSql(Sql::InsertCategory, {"再"}));
    c.db.Close();
    QVERIFY(c.db.Open(c.file));
    QCOMPARE(c.Column(Sql::SelectCategories, {}, 2), (QStringList{"新", "再"}));
}

void TestCatalogueStore::recordsByPosition() {
    Catalogue c;
    QVERIFY(c.db.ExecuteSql(Sql::InsertProduct,
                            {4, "类", "名@码", "关键", "/o.jpg", "/i", "/a", "/t"}));
    QVERIFY(c.db.ExecuteSql(Sql::SetProductDpath, {"pic/类/名/o.jpg", "类", "名@码"}));
    QVERIFY(c.db.ExecuteSql(Sql::SetProductPIntroduce, {"pic/i", "类", "名@码"}));
    QVERIFY(c.db.ExecuteSql(Sql::SetProductPAddProcess, {"pic/a", "类", "名@码"}));
    QVERIFY(c.db.ExecuteSql(Sql::SetProductPTecReference, {"pic/t", "类", "名@码"}));
    CatalogueRecordset rs(&c.db);
    QVERIFY(rs.OpenRecordset(Sql::SelectProductByNameAndClass, {"名@码", "类"}));
    const ProductRecord p = ProductRecord::Read(rs);
    QCOMPARE(p.number, QStringLiteral("4"));
    QCOMPARE(p.className, QStringLiteral("类"));
    QCOMPARE(p.productName, QStringLiteral("名@码"));
    QCOMPARE(p.key, QStringLiteral("关键"));
    QCOMPARE(p.PicturePath(false), QStringLiteral("/o.jpg"));
    QCOMPARE(p.PicturePath(true), QStringLiteral("pic/类/名/o.jpg"));
    QCOMPARE(p.DocumentPath(0, false), QStringLiteral("/i"));
    QCOMPARE(p.DocumentPath(1, false), QStringLiteral("/a"));
    QCOMPARE(p.DocumentPath(2, false), QStringLiteral("/t"));
    QCOMPARE(p.DocumentPath(0, true), QStringLiteral("pic/i"));
    QCOMPARE(p.DocumentPath(1, true), QStringLiteral("pic/a"));
    QCOMPARE(p.DocumentPath(2, true), QStringLiteral("pic/t"));
    QCOMPARE(p.DocumentPath(3, true), QString());

    QVERIFY(c.db.ExecuteSql(Sql::UpdateCompanyAlt, {"/c.jpg", "公司", "http://x"}));
    QVERIFY(c.db.ExecuteSql(Sql::SetCompanyDpath, {"pic/c.jpg", "企业"}));
    QVERIFY(rs.OpenRecordset(Sql::SelectCompanySpace));
    const CompanyRecord co = CompanyRecord::Read(rs);
    QCOMPARE(co.className, QStringLiteral("企业"));
    QCOMPARE(co.opath, QStringLiteral("/c.jpg"));
    QCOMPARE(co.dpath, QStringLiteral("pic/c.jpg"));
    QCOMPARE(co.company, QStringLiteral("公司"));
    QCOMPARE(co.web, QStringLiteral("http://x"));

    QVERIFY(c.db.ExecuteSql(Sql::InsertCategory, {"类"}));
    QVERIFY(rs.OpenRecordset(Sql::SelectCategoriesSpace));
    QCOMPARE(CategoryRecord::Read(rs).className, QStringLiteral("类"));
}

void TestCatalogueStore::storedProductNames() {
    QCOMPARE(StoredProductName::Join("阀门", "V-1"), QStringLiteral("阀门@V-1"));
    auto last = StoredProductName::Split(QStringLiteral("a@b@c"));
    QCOMPARE(last.name, QStringLiteral("a@b"));
    QCOMPARE(last.typeCode, QStringLiteral("c"));
    auto first = StoredProductName::SplitAtFirst(QStringLiteral("a@b@c"));
    QCOMPARE(first.name, QStringLiteral("a"));
    QCOMPARE(first.typeCode, QStringLiteral("b@c"));
    QCOMPARE(StoredProductName::Split(QStringLiteral("whole")).name, QStringLiteral("whole"));
    QCOMPARE(StoredProductName::Split(QStringLiteral("whole")).typeCode, QString());
    QCOMPARE(StoredProductName::SplitAtFirst(QStringLiteral("whole")).name, QString(""));
    QCOMPARE(StoredProductName::SplitAtFirst(QStringLiteral("whole")).typeCode,
             QStringLiteral("whole"));
}

// The store shows nothing itself: a connection without a handler only keeps the engine's
// message. The application's connection shows failures as notices.
void TestCatalogueStore::onlyTheApplicationsConnectionShowsFailures() {
    ScriptedPrompter prompter;
    ScopedInstallation inst({.skin = false, .folders = {}});
    QVERIFY(inst.Ok());
    {
        CatalogueDb bare;
        QVERIFY(bare.Open(CatalogueDb::CatalogueFile(inst.sysfile)));
        QVERIFY(!bare.ExecuteSql("insert into [没有的表] values(?)", {1}));
        QVERIFY(bare.LastError().contains(QStringLiteral("没有的表")));
        CatalogueRecordset unconnected(nullptr);
        QVERIFY(!unconnected.OpenRecordset(Sql::SelectCategories));
        QVERIFY(unconnected.IsEOF());
    }
    QVERIFY(prompter.shown.isEmpty());
    QVERIFY(inst.Db().ExecuteSql(Sql::InsertCategory, {"默认"}));
    CatalogueRecordset rs(&inst.Db());
    QVERIFY(rs.OpenRecordset(Sql::SelectCategories));
    QCOMPARE(rs.GetFieldString(2), QStringLiteral("默认"));
    QVERIFY(prompter.shown.isEmpty());
    QVERIFY(!rs.OpenRecordset("select * from [没有的表]"));
    QCOMPARE(prompter.Notices().size(), 1);
    QVERIFY(prompter.Notices()[0].contains(QStringLiteral("没有的表")));
    QVERIFY(prompter.Notices()[0].contains(QStringLiteral("失败")));
    theApp.ExitInstance();
    QVERIFY(!theApp.m_db);
}

void TestCatalogueStore::copyOfTheOpenCatalogue() {
    Catalogue c;
    const QString hostile = HostileValues()[0];
    QVERIFY(c.db.ExecuteSql(Sql::InsertCategory, {hostile}));
    // A reader is walking a result while the copy is made.
    CatalogueRecordset walking(&c.db);
    QVERIFY(walking.OpenRecordset(Sql::SelectCategories));
    QTemporaryDir out;
    const QString target = out.filePath(QStringLiteral("发布 'copy'/sysfile/数据.db"));
    QVERIFY(QDir().mkpath(QFileInfo(target).absolutePath()));
    QVERIFY(c.db.SaveCopyTo(target));
    QVERIFY(c.failures.isEmpty());
    CatalogueDb copy;
    QVERIFY(copy.Open(target));
    CatalogueRecordset rs(&copy);
    QVERIFY(rs.OpenRecordset(Sql::SelectCategories));
    QCOMPARE(rs.GetFieldString(2), hostile);
    // The copy is independent of the original.
    QVERIFY(copy.ExecuteSql(Sql::DeleteCategory, {hostile}));
    QCOMPARE(c.Column(Sql::SelectCategories, {}, 2), QStringList{hostile});

    // An existing file is never overwritten; a missing folder fails cleanly.
    QVERIFY(!c.db.SaveCopyTo(target));
    QVERIFY(!c.db.SaveCopyTo(out.filePath(QStringLiteral("no/such/folder/数据.db"))));
    QCOMPARE(c.failures.size(), 2);
    QVERIFY(!QFileInfo::exists(out.filePath(QStringLiteral("no/such/folder/数据.db"))));

    // From a catalogue on read-only media.
    c.db.Close();
    CatalogueDb::SetWritableProbe([](const QString&) { return false; });
    CatalogueDb ro;
    QVERIFY(ro.Open(c.file));
    QVERIFY(ro.IsReadOnly());
    const QString second = out.filePath(QStringLiteral("second.db"));
    QVERIFY(ro.SaveCopyTo(second));
    CatalogueDb::SetWritableProbe(nullptr);
    CatalogueDb again;
    QVERIFY(again.Open(second));
}

QTEST_MAIN(TestCatalogueStore)
#include "tst_catalogue_store.moc"
