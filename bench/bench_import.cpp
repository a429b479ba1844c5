// Importing a 10,000-row product sheet (unless the command line gives another count) into an
// empty catalogue: reading and checking the sheet, the preview, and the write in one
// transaction. The baseline, in the same run, inserts the same rows (products, their model
// files, the categories) with plain prepared SQL in one transaction, values already in memory.
// Every row names a picture, a document and a model file of its own, which exist.
//
// clang-format off
// Ends with one line per goal (BenchSupport.h, GoalLine):
//   GOAL import_10k: <figure> ms (<ratio>x plain SQL insert) target <=2x MET|MISSED
// clang-format on

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "authoring/CsvSheet.h"
#include "authoring/ProductImport.h"
#include "bench/BenchSupport.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueSchema.h"
#include "store/Statements.h"

namespace {
constexpr int kCategories = 50;
constexpr int kRuns = 9;
constexpr double kTargetRatio = 2.0;

struct Row {
    QString cls, name, code, key, picture, intro, model, note;
};

QString Touch(const QString& path) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    return path;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool OpenFresh(const QTemporaryDir& dir, int run, const char* what, CatalogueDb& db) {
    const QString file = dir.filePath(QStringLiteral("%1-%2.db").arg(QLatin1String(what)).arg(run));
    return CatalogueSchema::CreateEmpty(file) && db.Open(file);
}

double PlainInsert(const QList<Row>& rows, const QStringList& categories, CatalogueDb& db) {
    QElapsedTimer timer;
    timer.start();
    QSqlDatabase sql = db.Database();
    sql.transaction();
    QSqlQuery category(sql), number(sql), product(sql), model(sql);
    category.prepare(QString::fromUtf8(Sql::InsertCategory));
    number.prepare(QString::fromUtf8(Sql::SetCategoryNumber));
    product.prepare(QString::fromUtf8(Sql::InsertProduct));
    model.prepare(QStringLiteral(
        "insert into [3D模型表](ClassName,ProductName,[3DModel],[Number],[Opath],[Dpath],[Note]) "
        "values (?,?,?,?,?,'',?)"));
    for (int c = 0; c < categories.size(); ++c) {
        CatalogueDb::BindAll(category, {categories[c]});
        category.exec();
        CatalogueDb::BindAll(number, {c + 1, categories[c]});
        number.exec();
    }
    for (int i = 0; i < rows.size(); ++i) {
        const Row& r = rows[i];
        const QString stored = r.name + QLatin1Char('@') + r.code;
        CatalogueDb::BindAll(product, {i + 1, r.cls, stored, r.key, r.picture, r.intro, "", ""});
        product.exec();
        CatalogueDb::BindAll(model,
                             {r.cls, stored, QFileInfo(r.model).fileName(), 1, r.model, r.note});
        model.exec();
    }
    sql.commit();
    return timer.nsecsElapsed() / 1e6;
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("media"));
    QStringList categories;
    for (int c = 0; c < kCategories; ++c) categories << QStringLiteral("类别 %1").arg(c);
    QList<Row> rows;
    QList<QStringList> cells{ProductSheet::Headers()};
    for (int i = 0; i < count; ++i) {
        const QString media = dir.filePath(QStringLiteral("media/%1").arg(i));
        Row r{categories[i % kCategories],
              QStringLiteral("产品 \"%1\", 型").arg(i),
              QStringLiteral("TC-%1").arg(i, 5, 10, QLatin1Char('0')),
              QStringLiteral("关键字 %1").arg(i),
              Touch(media + QStringLiteral(".jpg")),
              Touch(media + QStringLiteral("-介绍.png")),
              Touch(media + QStringLiteral(".step")),
              QStringLiteral("STEP 格式")};
        rows << r;
    }
    // Rows go out category by category, as an export writes them.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return a.cls < b.cls; });
    for (const Row& r : rows)
        cells << QStringList{r.cls,   r.name, r.code, r.key,   r.picture,
                             r.intro, {},     {},     r.model, r.note};
    const QString sheet = dir.filePath(QStringLiteral("products.csv"));
    {
        QFile f(sheet);
        f.open(QIODevice::WriteOnly);
        f.write(CsvSheet::Write(cells));
    }

    QTextStream out(stdout);
    // Each run times both, one after the other, and the figure is the median of the runs'
    // ratios: the machine's load changes between runs, less so within one.
    std::vector<double> plain, imported, ratios;
    for (int run = 0; run < kRuns; ++run) {
        CatalogueDb a, b;
        if (!OpenFresh(dir, run, "plain", a) || !OpenFresh(dir, run, "import", b)) {
            out << "cannot make a catalogue\n";
            return 1;
        }
        // Which goes first alternates, so neither always meets a warm or a cold cache.
        double plainMs = 0, importMs = 0, previewMs = 0;
        ImportPlan plan;
        bool written = false;
        auto runImport = [&] {
            QElapsedTimer timer;
            timer.start();
            ProductImport import(b);
            plan = import.Preview(sheet, false);
            previewMs = timer.nsecsElapsed() / 1e6;
            written = import.Write(plan) == ProductImport::Outcome::Written;
            importMs = timer.nsecsElapsed() / 1e6;
            if (!written) out << import.LastError() << "\n";
        };
        if (run % 2) runImport();
        plainMs = PlainInsert(rows, categories, a);
        if (!(run % 2)) runImport();
        plain.push_back(plainMs);
        imported.push_back(importMs);
        ratios.push_back(importMs / plainMs);
        if (!written || plan.Count(ImportRow::Action::Add) != count) {
            out << "import failed: " << plan.Summary() << "\n";
            return 1;
        }
        out << QStringLiteral("run %1: plain SQL %2 ms, import %3 ms (preview %4 ms)\n")
                   .arg(run + 1)
                   .arg(plain.back(), 0, 'f', 1)
                   .arg(imported.back(), 0, 'f', 1)
                   .arg(previewMs, 0, 'f', 1);
    }
    const double base = Median(plain), ms = Median(imported), ratio = Median(ratios);
    out << QStringLiteral("%1 rows, median of %2 runs: plain SQL insert %3 ms, import %4 ms\n")
               .arg(count)
               .arg(kRuns)
               .arg(base, 0, 'f', 1)
               .arg(ms, 0, 'f', 1);
    out << GoalLine(QStringLiteral("import_10k"), ms, QStringLiteral("ms"), ratio,
                    QStringLiteral("plain SQL insert"), QStringLiteral("<=2x"),
                    ratio <= kTargetRatio)
        << "\n";
    return 0;
}
