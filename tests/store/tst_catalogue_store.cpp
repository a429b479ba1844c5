#include <sys/resource.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <chrono>
#include <csignal>
#include <future>
#include <thread>

#include "ScopedInstallation.h"
#include "ScriptedPrompter.h"
#include "app/CCatalogueApp.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueRecords.h"
#include "store/CatalogueRecordset.h"
#include "store/CatalogueSchema.h"
#include "store/Statements.h"

using namespace std::chrono_literals;

namespace {
// Texts that break spliced SQL, LIKE patterns or C strings, and one long text.
QStringList HostileValues() {
    return {QStringLiteral("O'Brien's \"quoted\" 类"), QStringLiteral("'; drop table [小类表]; --"),
            QStringLiteral("a%_\\'\"b"), QString(2000, QChar(0x578B)) + QStringLiteral("'%_\\")};
}

QStringList FileNames(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs a statement on a side connection, for setting up rows the program never writes.
void RawExec(const QString& file, const QString& sql) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "raw");
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QVERIFY2(QSqlQuery(db).exec(sql), qPrintable(sql));
    }
    QSqlDatabase::removeDatabase("raw");
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
}  // namespace

class TestCatalogueStore : public QObject {
    Q_OBJECT
private slots:
    void init() { CatalogueDb::SetWritableProbe(nullptr); }

    // Anything but a whole catalogue fails to open, and nothing is created or changed.
    void openFailsWithoutCreatingAnything_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"missing", "folder", "fewcolumns", "damaged"})
            QTest::newRow(kind) << kind;
    }
    void openFailsWithoutCreatingAnything() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString file = CatalogueDb::CatalogueFile(dir.path());
        if (kind == "folder") QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("数据.db")));
        if (kind == "fewcolumns" || kind == "damaged") QVERIFY(CatalogueSchema::CreateEmpty(file));
        if (kind == "fewcolumns") {  // one column short
            RawExec(file, QStringLiteral("drop table [企业表]"));
            RawExec(file, QStringLiteral("create table [企业表](ID, Number, ClassName, Opath, "
                                         "Dpath, Company)"));
        }
        if (kind == "damaged") {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(100);
            f.write(QByteArray(int(f.size()) - 100, char(0xA5)));
        }
        const QStringList before = FileNames(dir.path());
        const QByteArray content = ReadAll(file);
        CatalogueDb db;
        QString error;
        QVERIFY(!db.Open(file, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!db.IsOpen());
        QCOMPARE(FileNames(dir.path()), before);
        QCOMPARE(ReadAll(file), content);
    }

    // Read-only media open immutable (no journal or lock files); a protected file alone opens
    // read-only. Writes fail with a message either way.
    void readOnlyCatalogues() {
        using M = CatalogueDb::OpenMode;
        QCOMPARE(CatalogueDb::ChooseOpenMode(true, false), M::ReadOnly);
        QCOMPARE(CatalogueDb::ChooseOpenMode(false, true), M::Immutable);
        QTemporaryDir tmp;
        QVERIFY(CatalogueDb::IsWritable(tmp.path()));
        QVERIFY(!CatalogueDb::IsWritable(tmp.filePath(QStringLiteral("missing/x"))));

        Catalogue c;
        QVERIFY(c.db.ExecuteSql(Sql::InsertCategory, {QStringLiteral("甲")}));
        c.db.Close();
        const QStringList before = FileNames(c.dir.path());
        const QString absolute = QFileInfo(c.file).absoluteFilePath();
        for (const M mode : {M::Immutable, M::ReadOnly}) {
            CatalogueDb::SetWritableProbe(
                [&](const QString& p) { return mode == M::ReadOnly && p != absolute; });
            CatalogueDb ro;
            QVERIFY(ro.Open(c.file));
            QCOMPARE(ro.Mode(), mode);
            CatalogueRecordset rs(&ro);
            QVERIFY(rs.OpenRecordset(Sql::SelectCategories));
            QCOMPARE(rs.GetFieldString(2), QStringLiteral("甲"));
            QStringList failures;
            ro.SetFailureHandler([&](const QString& m) { failures << m; });
            QVERIFY(!ro.ExecuteSql(Sql::InsertCategory, {QStringLiteral("乙")}));
            QCOMPARE(failures.size(), 1);
            // A copy can still be made from it.
            const QString copy = tmp.filePath(QStringLiteral("copy%1.db").arg(int(mode)));
            QVERIFY(ro.SaveCopyTo(copy));
            QVERIFY(CatalogueDb().Open(copy));
        }
        CatalogueDb::SetWritableProbe(nullptr);
        QCOMPARE(FileNames(c.dir.path()), before);
    }

    // Every statement of the vocabulary is accepted by the engine with its placeholders bound.
    void everyStatementRuns() {
        using namespace Sql;
        // clang-format off
        const char* all[] = {
            SelectCategories, SelectCategoriesSpace, SelectCategoriesByNumber,
            SelectCategoriesByNumberBracketed, SelectCategoryByName, SelectCategoryNumber,
            InsertCategory, RenameCategory, SetCategoryNumber, DeleteCategory, SelectAllProducts,
            SelectProductsOfClassPublish, SelectProductsOfClassModels,
            SelectProductsOfClassDocuments, SelectProductsOfClassByNumber,
            SelectProductsByClassAndNumber, SelectProductsOfClassByClassAndNumber,
            SelectProductByClassAndName, SelectProductByNameAndClass, SearchProductsByKey,
            SearchProductsByKeyIndexed,
            CountProductsOfClass, InsertProduct, UpdateProduct, SetProductIntroduce,
            SetProductAddProcess, SetProductTecReference, SetProductDpath, SetProductPIntroduce,
            SetProductPAddProcess, SetProductPTecReference, RenameProductsClass,
            DeleteProductsOfClass, DeleteProduct, SelectAllModels, SelectModelsOfProductPublish,
            SelectModelsOfProductByNumber, SelectModelFile, SelectModelFileBracketed,
            SelectModelByFileName, SelectModelsOfProduct, InsertModelShort, InsertModel,
            SetModelNumber, SetModelNote, SetModelsDpath, RenameModelsClass, MoveModelsOfProduct,
            DeleteModelFile, DeleteModelsOfClass, DeleteModelsOfProduct, SelectCompany,
            SelectCompanySpace, UpdateCompany, UpdateCompanyAlt, SetCompanyDpath};
        // clang-format on
        Catalogue c;
        for (const char* sql : all) {
            const QString text = QString::fromUtf8(sql);
            QVERIFY2(!text.contains(QLatin1String("'?'")), sql);  // a quoted ? is no parameter
            QVariantList params;
            for (int i = 0; i < text.count(QLatin1Char('?')); ++i) params << QVariant(i + 1);
            if (text.startsWith(QLatin1String("select")))
                QVERIFY2(CatalogueRecordset(&c.db).OpenRecordset(sql, params), sql);
            else
                QVERIFY2(c.db.ExecuteSql(sql, params), sql);
        }
        QVERIFY2(c.failures.isEmpty(), qPrintable(c.failures.join('\n')));
    }

    void hostileValuesThroughEveryKindOfStatement() {
        Catalogue c;
        const QStringList values = HostileValues();
        for (const QString& v : values) {
            QVERIFY(c.db.ExecuteSql(Sql::InsertCategory, {v}));
            QCOMPARE(c.Column(Sql::SelectCategoryByName, {v}, 2), QStringList{v});
            const QString product = StoredProductName::Join(v, v);
            QVERIFY(c.db.ExecuteSql(Sql::InsertProduct, {1, v, product, v, v, v, v, v}));
            QCOMPARE(c.Column(Sql::SearchProductsByKey, {CatalogueDb::LikeContains(v)}, 3),
                     QStringList{product});
            const QString renamed = v + QStringLiteral("'新");
            QVERIFY(c.db.ExecuteAll(
                {{Sql::RenameCategory, {renamed, v}}, {Sql::RenameProductsClass, {renamed, v}}}));
            QCOMPARE(c.Column(Sql::SelectProductsOfClassByNumber, {renamed}, 3),
                     QStringList{product});
            QVERIFY(c.db.ExecuteSql(Sql::InsertModel, {renamed, product, v, 0, v}));
            QVERIFY(c.db.ExecuteSql(Sql::SetModelNote, {v, renamed, product, v}));
            QCOMPARE(c.Column(Sql::SelectModelFile, {renamed, product, v}, 7), QStringList{v});
            QVERIFY(c.db.ExecuteSql(Sql::DeleteModelFile, {renamed, product, v}));
            QVERIFY(c.db.ExecuteSql(Sql::DeleteProduct, {product, renamed}));
            QVERIFY(c.db.ExecuteSql(Sql::DeleteCategory, {renamed}));
            QCOMPARE(c.Column(Sql::SelectCategories, {}, 2), QStringList{});
            QCOMPARE(c.Column(Sql::SelectAllProducts, {}, 2), QStringList{});
        }
        QVERIFY(c.db.ExecuteSql(Sql::UpdateCompany, {values[1], values[3], values[0]}));
        CatalogueRecordset rs(&c.db);
        QVERIFY(rs.OpenRecordset(Sql::SelectCompany));
        QCOMPARE(CompanyRecord::Read(rs).company, values[3]);
        QVERIFY(c.failures.isEmpty());
    }

    void searchMatchesPercentUnderscoreBackslashLiterally() {
        Catalogue c;
        const QStringList keys = {"50% off", "500 off", "a_b",   "axb",
                                  "c\\d",    "cd",      "ABC-1", "xabcx"};
        for (int i = 0; i < keys.size(); ++i)
            QVERIFY(c.db.ExecuteSql(Sql::InsertProduct, {i, "类", QStringLiteral("p%1@t").arg(i),
                                                         keys[i], "", "", "", ""}));
        auto search = [&](const QString& text) {
            return c.Column(Sql::SearchProductsByKey, {CatalogueDb::LikeContains(text)}, 4);
        };
        QCOMPARE(search(QStringLiteral("0% o")), QStringList{"50% off"});
        QCOMPARE(search(QStringLiteral("_")), QStringList{"a_b"});
        QCOMPARE(search(QStringLiteral("c\\d")), QStringList{"c\\d"});
        // Found anywhere in the key, letters regardless of case.
        QCOMPARE(search(QStringLiteral("abc")), (QStringList{"ABC-1", "xabcx"}));
    }

    void nullTextsBindAsEmpty() {
        Catalogue c;
        // A text read from an empty control may be a null string; it stands for '' in a condition.
        QVERIFY(c.db.ExecuteSql(Sql::InsertProduct, {1, QString(), "p@1", "", "", "", "", ""}));
        QCOMPARE(c.Column(Sql::SelectProductsOfClassByNumber, {QStringLiteral("")}, 3),
                 QStringList{"p@1"});
        QVERIFY(c.db.ExecuteSql(Sql::DeleteProduct, {"p@1", QString()}));
        QCOMPARE(c.Column(Sql::SelectAllProducts, {}, 3), QStringList{});
    }

    void recordsetWalkAndNulls() {
        Catalogue c;
        CatalogueRecordset rs(&c.db);
        QVERIFY(rs.IsEOF());
        QCOMPARE(rs.GetFieldString(0), QString(""));
        for (const char* name : {"乙", "甲", "丙"})
            QVERIFY(c.db.ExecuteSql(Sql::InsertCategory, {name}));
        QVERIFY(c.db.ExecuteSql(Sql::SetCategoryNumber, {2, "乙"}));
        QVERIFY(c.db.ExecuteSql(Sql::SetCategoryNumber, {QStringLiteral("10"), "甲"}));
        // 丙 has no number: listed first; 10 sorts after 2 (numbers, not text).
        QCOMPARE(c.Column(Sql::SelectCategoriesByNumber, {}, 2), (QStringList{"丙", "乙", "甲"}));
        QCOMPARE(c.Column(Sql::SelectCategoryNumber, {"丙"}, 0), QStringList{""});
        QCOMPARE(c.Column(Sql::CountProductsOfClass, {"无"}, 0), QStringList{"0"});
        // The result is fixed once opened; past the end and missing positions read "".
        QVERIFY(rs.OpenRecordset(Sql::SelectCategories));
        QVERIFY(c.db.ExecuteSql(Sql::DeleteCategory, {"乙"}));
        QCOMPARE(rs.GetRecordCount(), 3);
        QCOMPARE(rs.GetFieldString(2), QStringLiteral("乙"));
        QCOMPARE(rs.GetFieldString(3), QString(""));
        for (int i = 0; i < 4; ++i) rs.MoveNext();
        QVERIFY(rs.IsEOF());
        QVERIFY(!rs.GetFieldString(2).isNull());
    }

    void failedStatementReportsAndLeavesEmptyResult() {
        Catalogue c;
        QVERIFY(c.db.ExecuteSql(Sql::InsertCategory, {"甲"}));
        CatalogueRecordset rs(&c.db);
        QVERIFY(rs.OpenRecordset(Sql::SelectCategories));
        QVERIFY(!rs.OpenRecordset("select * from [没有的表]"));
        QVERIFY(rs.IsEOF());
        QCOMPARE(rs.GetRecordCount(), 0);
        QCOMPARE(c.failures.size(), 1);
        QVERIFY2(c.failures[0].contains(QStringLiteral("没有的表")), qPrintable(c.failures[0]));
        // A closed connection reports instead of crashing.
        c.db.Close();
        QVERIFY(!c.db.ExecuteSql(Sql::InsertCategory, {"乙"}));
        QVERIFY(!rs.OpenRecordset(Sql::SelectCategories));
        QCOMPARE(c.failures.size(), 3);
    }

    void transactionIsAllOrNothing() {
        Catalogue c;
        QVERIFY(c.db.ExecuteSql(Sql::InsertCategory, {"旧"}));
        QVERIFY(!c.db.ExecuteAll({{Sql::RenameCategory, {"新", "旧"}},
                                  {"update [没有的表] set x=?", {1}},
                                  {Sql::RenameProductsClass, {"新", "旧"}}}));
        QCOMPARE(c.failures.size(), 1);
        QCOMPARE(c.Column(Sql::SelectCategories, {}, 2), QStringList{"旧"});
        // The connection is usable afterwards (no transaction left open).
        QVERIFY(c.db.ExecuteSql(Sql::InsertCategory, {"再"}));
        c.db.Close();
        QVERIFY(c.db.Open(c.file));
        QCOMPARE(c.Column(Sql::SelectCategories, {}, 2), (QStringList{"旧", "再"}));
    }

    void recordsByPosition() {
        Catalogue c;
        QVERIFY(c.db.ExecuteSql(Sql::InsertProduct,
                                {4, "类", "名@码", "关键", "/o.jpg", "/i", "/a", "/t"}));
        QVERIFY(c.db.ExecuteSql(Sql::SetProductDpath, {"pic/o.jpg", "类", "名@码"}));
        QVERIFY(c.db.ExecuteSql(Sql::SetProductPTecReference, {"pic/t", "类", "名@码"}));
        CatalogueRecordset rs(&c.db);
        QVERIFY(rs.OpenRecordset(Sql::SelectProductByNameAndClass, {"名@码", "类"}));
        const ProductRecord p = ProductRecord::Read(rs);
        QCOMPARE(QStringList({p.number, p.className, p.productName, p.key}),
                 QStringList({"4", "类", "名@码", "关键"}));
        QCOMPARE(p.PicturePath(false), QStringLiteral("/o.jpg"));
        QCOMPARE(p.PicturePath(true), QStringLiteral("pic/o.jpg"));
        QCOMPARE(p.DocumentPath(1, false), QStringLiteral("/a"));
        QCOMPARE(p.DocumentPath(2, true), QStringLiteral("pic/t"));
        QVERIFY(c.db.ExecuteSql(Sql::UpdateCompanyAlt, {"/c.jpg", "公司", "http://x"}));
        QVERIFY(rs.OpenRecordset(Sql::SelectCompanySpace));
        const CompanyRecord co = CompanyRecord::Read(rs);
        QCOMPARE(QStringList({co.opath, co.company, co.web}),
                 QStringList({"/c.jpg", "公司", "http://x"}));
        // Stored names split at the last "@" (the type code has none).
        QCOMPARE(StoredProductName::Split(QStringLiteral("a@b@c")).name, QStringLiteral("a@b"));
        QCOMPARE(StoredProductName::SplitAtFirst(QStringLiteral("a@b@c")).typeCode,
                 QStringLiteral("b@c"));
        QCOMPARE(StoredProductName::Split(QStringLiteral("whole")).typeCode, QString());
    }

    // The store shows nothing itself; the application's connection shows failures as notices.
    void onlyTheApplicationsConnectionShowsFailures() {
        ScriptedPrompter prompter;
        ScopedInstallation inst({.skin = false, .folders = {}});
        QVERIFY(inst.Ok());
        {
            CatalogueDb bare;
            QVERIFY(bare.Open(CatalogueDb::CatalogueFile(inst.sysfile)));
            QVERIFY(!bare.ExecuteSql("insert into [没有的表] values(?)", {1}));
            QVERIFY(bare.LastError().contains(QStringLiteral("没有的表")));
        }
        QVERIFY(prompter.shown.isEmpty());
        CatalogueRecordset rs(&inst.Db());
        QVERIFY(!rs.OpenRecordset("select * from [没有的表]"));
        QCOMPARE(prompter.Notices().size(), 1);
        QVERIFY(prompter.Notices()[0].contains(QStringLiteral("失败")));
    }

    // A copy of the open catalogue: independent, never over an existing file, and a failed copy
    // (here at the file size limit) leaves nothing half-written.
    void copyOfTheOpenCatalogue() {
        Catalogue c;
        const QString hostile = HostileValues()[0];
        QVERIFY(c.db.ExecuteSql(Sql::InsertCategory, {hostile}));
        CatalogueRecordset walking(&c.db);  // a reader walks a result meanwhile
        QVERIFY(walking.OpenRecordset(Sql::SelectCategories));
        QTemporaryDir out;
        const QString target = out.filePath(QStringLiteral("发布 'copy'/sysfile/数据.db"));
        QVERIFY(QDir().mkpath(QFileInfo(target).absolutePath()));
        QVERIFY(c.db.SaveCopyTo(target));
        CatalogueDb copy;
        QVERIFY(copy.Open(target));
        QVERIFY(copy.ExecuteSql(Sql::DeleteCategory, {hostile}));
        QCOMPARE(c.Column(Sql::SelectCategories, {}, 2), QStringList{hostile});

        QVERIFY(!c.db.SaveCopyTo(target));
        QVERIFY(!c.db.SaveCopyTo(out.filePath(QStringLiteral("no/such/folder/数据.db"))));
        QCOMPARE(c.failures.size(), 2);
        const QString partial = out.filePath(QStringLiteral("partial.db"));
        struct rlimit limit {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &limit), 0);
        const rlim_t old = limit.rlim_cur;
        const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
        limit.rlim_cur = 2048;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        const bool copied = c.db.SaveCopyTo(partial);
        limit.rlim_cur = old;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, oldHandler);
        QVERIFY(!copied);
        QCOMPARE(c.failures.size(), 3);
        QVERIFY(!QFileInfo::exists(partial));
    }

    void lockedCatalogueFailsFastOnceAndRecovers() {
        Catalogue c;
        QVERIFY(c.db.ExecuteSql(Sql::InsertCategory, {"甲"}));
        // Another program holds the catalogue locked until `releaseAt`.
        using Clock = std::chrono::steady_clock;
        std::atomic<Clock::time_point> releaseAt{Clock::time_point::max()};
        std::promise<bool> locked;
        std::thread other([&] {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
                db.setDatabaseName(c.file);
                QSqlQuery q(db);
                locked.set_value(db.open() && q.exec(QStringLiteral("begin exclusive")));
                while (Clock::now() < releaseAt.load()) std::this_thread::sleep_for(5ms);
                q.exec(QStringLiteral("rollback"));
            }
            QSqlDatabase::removeDatabase("other");
        });
        auto join = qScopeGuard([&] {
            releaseAt = Clock::now();
            other.join();
        });
        QVERIFY(locked.get_future().get());

        // The statements of a click fail at once (each used to wait five seconds), told once.
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 6; ++i) QCOMPARE(c.Column(Sql::SelectCategories, {}, 2), QStringList());
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(c.failures.size(), 1);
        QVERIFY2(c.failures[0].contains(QStringLiteral("其他程序")), qPrintable(c.failures[0]));
        // A save gives up after half a second, and says so even right after the reads did.
        clock.restart();
        QVERIFY(!c.db.ExecuteSql(Sql::InsertCategory, {"丙"}));
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(c.failures.size(), 2);
        QVERIFY(c.failures[1].contains(QStringLiteral("其他程序")));
        // Opening the catalogue meanwhile fails with the lock as its reason.
        CatalogueDb second;
        QString why;
        QVERIFY(!second.Open(c.file, &why));
        QVERIFY2(why.contains(QStringLiteral("locked")), qPrintable(why));
        // A write waits out a short lock; then reads work again.
        releaseAt = Clock::now() + 300ms;
        QVERIFY(c.db.ExecuteSql(Sql::InsertCategory, {"乙"}));
        QCOMPARE(c.Column(Sql::SelectCategories, {}, 2), QStringList({"甲", "乙"}));
        QCOMPARE(c.failures.size(), 2);
    }

    void damagedCatalogueIsReportedOnce() {
        Catalogue c;
        QList<QPair<const char*, QVariantList>> rows;
        for (int i = 0; i < 200; ++i)
            rows.append({Sql::InsertCategory, {QString(40, QChar(0x4e00 + i))}});
        QVERIFY(c.db.ExecuteAll(rows));
        c.db.Close();
        // Every page but the first, which lists the tables, is overwritten.
        QFile f(c.file);
        QVERIFY(f.open(QIODevice::ReadWrite) && f.size() > 8192 && f.seek(4096));
        f.write(QByteArray(f.size() - 4096, '\xa5'));
        f.close();
        QVERIFY(c.db.Open(c.file));
        for (const char* sql :
             {Sql::SelectCategories, Sql::SelectAllProducts, Sql::SelectAllModels})
            QVERIFY(c.Column(sql, {}, 0).isEmpty());
        QVERIFY(!c.db.ExecuteSql(Sql::InsertCategory, {"乙"}));
        QCOMPARE(c.failures.size(), 1);
        QVERIFY2(c.failures[0].contains(QStringLiteral("损坏")), qPrintable(c.failures[0]));
    }

    // A search through the index finds exactly the rows, in the same order, that the plain scan
    // finds: LIKE folds the case of ASCII letters only, the index folds more; "%", "_", "\",
    // quotes, blanks, Chinese and fragments too short for the index. The index follows every
    // change, is added to an older catalogue opened read-write, goes with every copy, and a
    // read-only catalogue without it is scanned.
    void searchIndexFindsWhatTheScanFinds() {
        const QStringList keys = {
            "HGH20CA",  "hgh20ca", "HgH20-CA_x",     "AB-12_x%",    "50%OFF",        "a_b",
            "axb",      "a\\b",    "O'Neil \"q\"",   "中文型号ABC", "直线导轨HGR15", "ÄÖÜ-äöü",
            "ΣΑΣ σας",  " lead",   "trail  ",        "TC012345",    "tc0123",        "X1",
            "😀😀😀x",     "",        "Straße-STRASSE", "İstanbul-ıi", "ǅǆǄ",           "%%__\\\\",
            "型号-型號"};
        Catalogue c;
        QVERIFY(c.db.HasSearchIndex());
        auto insertAll = [&](CatalogueDb& db, int round) {
            for (int i = 0; i < keys.size(); ++i)
                QVERIFY(db.ExecuteSql(
                    Sql::InsertProduct,
                    {i, QStringLiteral("类%1").arg(i % 3),
                     QStringLiteral("品%1-%2@x").arg(round).arg(i), keys[i], "", "", "", ""}));
        };
        insertAll(c.db, 0);
        RawExec(c.file, "insert into [小类表]([ClassName],[ProductName]) values('类0','无码')");
        QSet<QString> fragments = {"%",   "_",   "\\", "\"", "'",
                                   "a%b", "%_",  "x%", "b",  "不存在的型号",
                                   "😀😀",  "😀😀😀", "ss", "SS", "ß"};
        for (const QString& key : keys)
            for (int from = 0; from < key.size(); from += 2)
                for (int n = 1; n <= 5 && from + n <= key.size(); ++n) {
                    const QString f = key.mid(from, n);
                    fragments << f << f.toUpper() << f.toLower();
                }
        auto compareAll = [&](CatalogueDb& db, bool indexed) {
            int withHits = 0;
            for (const QString& f : std::as_const(fragments)) {
                QVariantList params;
                const char* sql = db.SearchStatement(f, &params);
                const bool longEnough = f.toUcs4().size() >= 3 && f.isValidUtf16();
                QCOMPARE(qstrcmp(sql, Sql::SearchProductsByKeyIndexed) == 0, indexed && longEnough);
                CatalogueRecordset a(&db), b(&db);
                QVERIFY2(a.OpenRecordset(sql, params), qPrintable(f + ": " + db.LastError()));
                QVERIFY(b.OpenRecordset(Sql::SearchProductsByKey, {CatalogueDb::LikeContains(f)}));
                QStringList ids, scanned;
                for (; !a.IsEOF(); a.MoveNext()) ids << a.GetFieldString(0);
                for (; !b.IsEOF(); b.MoveNext()) scanned << b.GetFieldString(0);
                QVERIFY2(ids == scanned,
                         qPrintable(f + ": " + ids.join(',') + " / " + scanned.join(',')));
                withHits += !ids.isEmpty();
            }
            QVERIFY(withHits > fragments.size() / 2);
        };
        compareAll(c.db, true);
        // The index is really answering: a fragment it holds, and none of a case LIKE tells apart
        // but the index does not (ä/Ä), finds rows the LIKE then drops.
        CatalogueRecordset probe(&c.db);
        QVERIFY(probe.OpenRecordset(Sql::ProbeSearchIndex, {CatalogueDb::IndexPhrase("äöü")}));
        QVERIFY(!probe.IsEOF());

        // Edits, renames and deletes keep it in step.
        QVERIFY(c.db.ExecuteSql(Sql::UpdateProduct, {1, "品0-0@x", "类0", "CHANGED-hgh", "", "", "",
                                                     "", "", "品0-0@x", "类0"}));
        QVERIFY(c.db.ExecuteSql(Sql::DeleteProduct, {"品0-1@x", "类1"}));
        QVERIFY(c.db.ExecuteAll({{Sql::RenameProductsClass, {"类九", "类2"}}}));
        QVERIFY(c.db.ExecuteSql(Sql::DeleteProductsOfClass, {"类九"}));
        fragments << "CHANGED"
                  << "changed-HGH";
        compareAll(c.db, true);

        // A copy carries the index, and a read-only copy uses it.
        QTemporaryDir out;
        const QString copy = out.filePath("数据.db");
        QVERIFY(c.db.SaveCopyTo(copy));
        CatalogueDb::SetWritableProbe([](const QString&) { return false; });
        {
            CatalogueDb ro;
            QVERIFY(ro.Open(copy));
            QVERIFY(ro.HasSearchIndex());
            compareAll(ro, true);
        }

        // An older catalogue without the index (or with half of it): scanned while read-only,
        // given the index, filled from its rows, when first opened read-write.
        CatalogueDb::SetWritableProbe(nullptr);
        QTemporaryDir olderDir;
        const QString older = CatalogueDb::CatalogueFile(olderDir.path());
        QVERIFY(CatalogueSchema::CreateEmpty(older));
        {
            CatalogueDb writer;  // rows written before the index existed
            QVERIFY(writer.Open(older));
            for (const char* drop : Sql::DropSearchIndex)
                QVERIFY(QSqlQuery(writer.Database()).exec(QString::fromUtf8(drop)));
            insertAll(writer, 1);
            RawExec(older, "create table [小类表_类型码](x)");  // a leftover of another name
        }
        CatalogueDb::SetWritableProbe([](const QString&) { return false; });
        {
            CatalogueDb ro;
            QVERIFY(ro.Open(older));
            QVERIFY(!ro.HasSearchIndex());
            compareAll(ro, false);
        }
        CatalogueDb::SetWritableProbe(nullptr);
        CatalogueDb rw;
        QVERIFY(rw.Open(older));
        QVERIFY(rw.HasSearchIndex());
        compareAll(rw, true);
    }

    void unfinishedWriteOnReadOnlyMediaIsRolledBack() {
        Catalogue c;
        QVERIFY(c.db.ExecuteSql(Sql::InsertCategory, {"原有"}));
        // A write caught half-way, as a crash leaves it: its pages spill into the file while the
        // journal keeps the old ones. The pair is copied to the "media" as it stands.
        QTemporaryDir media;
        const QString file = CatalogueDb::CatalogueFile(media.path());
        QFile committed(c.file);
        QVERIFY(committed.open(QIODevice::ReadOnly));
        const QByteArray before = committed.readAll();
        QSqlDatabase db = c.db.Database();
        QSqlQuery q(db);
        QVERIFY(q.exec("pragma cache_size = 10") && db.transaction());
        QVERIFY(q.exec("update [大类表] set ClassName = ClassName || '半写'"));
        QVERIFY(q.prepare(QString::fromUtf8(Sql::InsertCategory)));
        for (int i = 0; i < 2000; ++i) {
            q.addBindValue(QString(100, QChar(0x4e00 + i)));
            QVERIFY(q.exec());
        }
        QVERIFY(QFile::copy(c.file, file) && QFile::copy(c.file + "-journal", file + "-journal"));
        QVERIFY(db.rollback());
        QFile spilled(file);
        QVERIFY(spilled.open(QIODevice::ReadOnly) && spilled.readAll() != before);
        const QStringList names = FileNames(media.path());

        CatalogueDb::SetWritableProbe([](const QString&) { return false; });
        CatalogueDb ro;
        QString error;
        QVERIFY2(ro.Open(file, &error), qPrintable(error));
        QVERIFY(ro.IsReadOnly());
        CatalogueRecordset rs(&ro);
        QVERIFY(rs.OpenRecordset(Sql::SelectCategories));
        QCOMPARE(rs.GetRecordCount(), 1);
        QCOMPARE(rs.GetFieldString(2), QStringLiteral("原有"));
        QCOMPARE(FileNames(media.path()), names);
    }
};

QTEST_MAIN(TestCatalogueStore)
#include "tst_catalogue_store.moc"
