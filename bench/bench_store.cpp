// The product centre's reads on a large catalogue: 10,000 products in 50 categories unless
// the command line gives another count (bench_store 100000, bench_store 1000000).
// Prints the median time of each read and its ratio to the same statement run bare through Qt
// SQL in the same run (same text, same bound values, every row stepped and the same columns
// fetched, nothing converted): what the recordset and the record reading add to the query.
//
// clang-format off
// Ends with one line per goal (BenchSupport.h, GoalLine):
//   GOAL categories_in_order: <figure> ms (<ratio>x bare Qt SQL) target <20 ms MET|MISSED
//   GOAL category_products: <figure> ms (<ratio>x bare Qt SQL) target <20 ms MET|MISSED
//   GOAL keyword_search: <figure> ms (<ratio>x bare Qt SQL) target <20 ms MET|MISSED
// clang-format on

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench/BenchSupport.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueRecords.h"
#include "store/CatalogueRecordset.h"
#include "store/CatalogueSchema.h"
#include "store/Statements.h"

namespace {
constexpr int kCategories = 50;
constexpr int kDefaultProducts = 10000;
int g_products = kDefaultProducts;
constexpr int kRuns = 15;
constexpr double kTargetMs = 20.0;

QString Category(int c) {
    return QStringLiteral("类别 %1").arg(c, 2, 10, QLatin1Char('0'));
}

bool Fill(CatalogueDb& db) {
    QList<QPair<const char*, QVariantList>> statements;
    for (int c = 0; c < kCategories; ++c) {
        statements.append({Sql::InsertCategory, {Category(c)}});
        statements.append({Sql::SetCategoryNumber, {kCategories - c, Category(c)}});
    }
    const int perCategory = g_products / kCategories;
    for (int i = 0; i < g_products; ++i) {
        const int c = i % kCategories;
        const QString name =
            StoredProductName::Join(QStringLiteral("产品%1").arg(i),
                                    QStringLiteral("TC-%1").arg(i, 5, 10, QLatin1Char('0')));
        const QString folder =
            QStringLiteral("/home/editor/产品图片/%1/%2").arg(Category(c)).arg(i);
        // Numbers run backwards so the ordering has work to do.
        statements.append(
            {Sql::InsertProduct,
             {perCategory - i / kCategories, Category(c), name,
              QStringLiteral("TC-%1 阀门 法兰 DN%2").arg(i, 5, 10, QLatin1Char('0')).arg(i % 300),
              folder + QStringLiteral("/product.jpg"), folder + QStringLiteral("/intro"),
              folder + QStringLiteral("/process"), folder + QStringLiteral("/tech")}});
        // A million statements at once would not fit in memory: one transaction per 50,000.
        if (statements.size() >= 50000) {
            if (!db.ExecuteAll(statements)) return false;
            statements.clear();
        }
    }
    return db.ExecuteAll(statements);
}

double MedianMs(const std::function<void()>& work) {
    std::vector<double> times;
    work();  // warm the page cache and the statement cache once
    for (int r = 0; r < kRuns; ++r) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The same statement straight through Qt SQL: rows stepped, the given columns fetched as they
// come from the driver.
double BareMs(CatalogueDb& db, const char* sql, const QVariantList& params, int columns,
              long long& sink) {
    return MedianMs([&] {
        QSqlQuery q(db.Database());
        q.setForwardOnly(true);
        q.prepare(QString::fromUtf8(sql));
        for (const QVariant& v : params) q.addBindValue(v);
        q.exec();
        while (q.next())
            for (int i = 0; i < columns; ++i) sink += q.value(i).isNull() ? 0 : 1;
    });
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    if (argc > 1) {
        bool ok = false;
        g_products = QString::fromLocal8Bit(argv[1]).toInt(&ok);
        if (!ok || g_products < kCategories) {
            out << "usage: bench_store [product count, at least " << kCategories << "]\n";
            return 1;
        }
    }
    QTemporaryDir dir;
    const QString file = CatalogueDb::CatalogueFile(dir.path());
    QString error;
    if (!CatalogueSchema::CreateEmpty(file, &error)) {
        out << "cannot create the catalogue: " << error << "\n";
        return 1;
    }
    CatalogueDb db;
    db.SetFailureHandler([&](const QString& m) { out << "statement failed: " << m << "\n"; });
    if (!db.Open(file, &error)) {
        out << "cannot open the catalogue: " << error << "\n";
        return 1;
    }
    QElapsedTimer fillTimer;
    fillTimer.start();
    if (!Fill(db)) return 1;
    const double fillMs = fillTimer.nsecsElapsed() / 1e6;

    long long sink = 0;  // keeps the reads from being optimised away

    CatalogueRecordset rs(&db);
    QStringList categories;
    const double categoriesMs = MedianMs([&] {
        rs.OpenRecordset(Sql::SelectCategoriesByNumber);
        categories.clear();
        for (; !rs.IsEOF(); rs.MoveNext()) categories << CategoryRecord::Read(rs).className;
    });
    const double categoriesBare = BareMs(db, Sql::SelectCategoriesByNumber, {}, 3, sink);
    const double countsMs = MedianMs([&] {
        CatalogueRecordset count(&db);
        for (const QString& c : categories) {
            count.OpenRecordset(Sql::CountProductsOfClass, {c});
            sink += count.GetFieldString(0).toInt();
        }
    });
    double countsBare = 0;
    for (const QString& c : categories)
        countsBare += BareMs(db, Sql::CountProductsOfClass, {c}, 1, sink);
    int shown = 0;
    const QVariantList firstCategory = {categories.value(0)};
    const double productsMs = MedianMs([&] {
        rs.OpenRecordset(Sql::SelectProductsOfClassByNumber, firstCategory);
        shown = 0;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            const ProductRecord p = ProductRecord::Read(rs);
            sink +=
                p.PicturePath(false).size() + StoredProductName::Split(p.productName).name.size();
            ++shown;
        }
    });
    const double productsBare =
        BareMs(db, Sql::SelectProductsOfClassByNumber, firstCategory, 13, sink);
    int hits = 0;
    const QVariantList pattern = {CatalogueDb::LikeContains(QStringLiteral("DN12"))};
    const double searchMs = MedianMs([&] {
        rs.OpenRecordset(Sql::SearchProductsByKey, pattern);
        hits = 0;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            sink += rs.GetFieldString(3).size();
            ++hits;
        }
    });
    const double searchBare = BareMs(db, Sql::SearchProductsByKey, pattern, 13, sink);

    out << "catalogue: " << g_products << " products in " << kCategories
        << " categories, written in " << QString::number(fillMs, 'f', 0) << " ms\n";
    out << "median of " << kRuns
        << " runs; baseline = the same statement run bare through Qt SQL\n\n";
    auto line = [&](const char* what, double ms, double bare, const QString& detail) {
        out << QString::fromUtf8(what).leftJustified(40)
            << QString::number(ms, 'f', 3).rightJustified(9) << " ms   bare "
            << QString::number(bare, 'f', 3).rightJustified(9) << " ms   x"
            << QString::number(ms / bare, 'f', 2).rightJustified(6) << "   "
            << (ms < kTargetMs ? "under" : "OVER") << " " << kTargetMs << " ms   " << detail
            << "\n";
    };
    line("categories in order", categoriesMs, categoriesBare,
         QStringLiteral("%1 rows").arg(categories.size()));
    line("one count per category", countsMs, countsBare,
         QStringLiteral("%1 counts").arg(categories.size()));
    line("one category's products by number", productsMs, productsBare,
         QStringLiteral("%1 rows").arg(shown));
    line("keyword search (like %DN12%)", searchMs, searchBare, QStringLiteral("%1 hits").arg(hits));
    out << "(checksum " << sink << ")\n";
    out.flush();
    PrintGoal("categories_in_order", categoriesMs, "ms", categoriesMs / categoriesBare,
              "bare Qt SQL", "<20 ms", categoriesMs < kTargetMs);
    PrintGoal("category_products", productsMs, "ms", productsMs / productsBare, "bare Qt SQL",
              "<20 ms", productsMs < kTargetMs);
    PrintGoal("keyword_search", searchMs, "ms", searchMs / searchBare, "bare Qt SQL", "<20 ms",
              searchMs < kTargetMs);
    return 0;
}
