// The product centre's reads on a large catalogue: 10,000 products in 50 categories.
// Prints the median time of each read and its ratio to a plain full-table scan of the
// products measured in the same run.

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

#include "store/CatalogueDb.h"
#include "store/CatalogueRecords.h"
#include "store/CatalogueRecordset.h"
#include "store/CatalogueSchema.h"
#include "store/Statements.h"

namespace {
constexpr int kCategories = 50;
constexpr int kProducts = 10000;
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
    const int perCategory = kProducts / kCategories;
    for (int i = 0; i < kProducts; ++i) {
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
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
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

    // Baseline: every column of every product, straight through Qt SQL.
    const double baseline = MedianMs([&] {
        QSqlQuery q(db.Database());
        q.setForwardOnly(true);
        q.exec(QStringLiteral("select * from [小类表]"));
        while (q.next())
            for (int i = 0; i < 13; ++i) sink += q.value(i).toString().size();
    });

    CatalogueRecordset rs(&db);
    QStringList categories;
    const double categoriesMs = MedianMs([&] {
        rs.OpenRecordset(Sql::SelectCategoriesByNumber);
        categories.clear();
        for (; !rs.IsEOF(); rs.MoveNext()) categories << CategoryRecord::Read(rs).className;
    });
    const double countsMs = MedianMs([&] {
        CatalogueRecordset count(&db);
        for (const QString& c : categories) {
            count.OpenRecordset(Sql::CountProductsOfClass, {c});
            sink += count.GetFieldString(0).toInt();
        }
    });
    int shown = 0;
    const double productsMs = MedianMs([&] {
        rs.OpenRecordset(Sql::SelectProductsOfClassByNumber, {categories.value(0)});
        shown = 0;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            const ProductRecord p = ProductRecord::Read(rs);
            sink +=
                p.PicturePath(false).size() + StoredProductName::Split(p.productName).name.size();
            ++shown;
        }
    });
    int hits = 0;
    const double searchMs = MedianMs([&] {
        rs.OpenRecordset(Sql::SearchProductsByKey,
                         {CatalogueDb::LikeContains(QStringLiteral("DN12"))});
        hits = 0;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            sink += rs.GetFieldString(3).size();
            ++hits;
        }
    });

    out << "catalogue: " << kProducts << " products in " << kCategories
        << " categories, written in " << QString::number(fillMs, 'f', 0)
        << " ms (one transaction)\n";
    out << "median of " << kRuns << " runs; baseline = plain full scan of all products\n\n";
    auto line = [&](const char* what, double ms, const QString& detail) {
        out << QString::fromUtf8(what).leftJustified(46)
            << QString::number(ms, 'f', 3).rightJustified(9) << " ms   x"
            << QString::number(ms / baseline, 'f', 2).rightJustified(6) << " of baseline   "
            << (ms < kTargetMs ? "under" : "OVER") << " " << kTargetMs << " ms   " << detail
            << "\n";
    };
    out << QStringLiteral("baseline full scan").leftJustified(46)
        << QString::number(baseline, 'f', 3).rightJustified(9) << " ms\n";
    line("categories in order", categoriesMs, QStringLiteral("%1 rows").arg(categories.size()));
    line("one count per category", countsMs, QStringLiteral("%1 counts").arg(categories.size()));
    line("one category's products by number", productsMs, QStringLiteral("%1 rows").arg(shown));
    line("keyword search (like %DN12%)", searchMs, QStringLiteral("%1 hits").arg(hits));
    out << "(checksum " << sink << ")\n";
    return 0;
}
