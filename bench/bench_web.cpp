// The web catalogue's speed. Writes three published copies and measures:
//  - the demo published with the program, with and without its web catalogue, so the share the
//    web catalogue adds to publishing is known;
//  - a catalogue of 10 categories, the first with 500 products, each with its own picture,
//    published as a web catalogue: opening that category in headless Chromium from file://,
//    and the bytes the browser reads for its first screen (bench_web.py);
//  - a catalogue of 100,000 products in 100 categories: the search by type code in the
//    browser (bench_web.py).
// Then prints the goals, one line each, the browser's first.
//
// Usage: bench_web [folder] [--keep]   (default: the temp folder; --keep leaves the copies)
//
// clang-format off
// Ends with one line per goal (the first three from bench_web.py):
//   GOAL open_500_category: <figure> ms (<ratio>x blank page load) target <= 300 ms MET|MISSED
//   GOAL first_screen_bytes: <figure> KB (<ratio>x all data files of the catalogue) target <= 200 KB plus thumbnails MET|MISSED
//   GOAL search_100k: <figure> ms (<ratio>x first search) target <= 50 ms MET|MISSED
//   GOAL web_catalogue_publish_share: <figure> % (<ratio>x demo publish without it) target <=10 % MET|MISSED
// clang-format on

#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTextStream>
#include <algorithm>
#include <cstdio>

#include "app/CIniFile.h"
#include "bench/BenchSupport.h"
#include "publish/FileCopier.h"
#include "publish/PublishCommand.h"
#include "publish/PublishOperation.h"
#include "publish/WebCatalogueWriter.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueSchema.h"
#include "store/Statements.h"
#include "tools/install/DemoInstaller.h"

namespace {

double Seconds(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e9;
}

// One whole publish of the installation into `root`, with or without its web catalogue; its
// time in seconds, or -1 when it failed.
double PublishDemo(const QString& inst, const QString& root, bool web) {
    const InstallPaths paths = InstallPaths::FromExecutable(inst + "/vistrel");
    CatalogueDb db;
    if (!db.Open(CatalogueDb::CatalogueFile(paths.dataFolder))) return -1;
    PublishOperation operation(db, paths);
    operation.SetWebCatalogue(web);
    QElapsedTimer t;
    t.start();
    const auto outcome = operation.Run(
        root,
        [](const QList<CopyJob>& jobs) {
            for (const CopyJob& job : jobs) {
                FileCopier copier;
                if (copier.Copy(job.source, job.destination) != FileCopier::Result::Copied)
                    return false;
            }
            return true;
        },
        [](const QString&) {});
    const double seconds = Seconds(t);
    if (outcome != PublishOperation::Outcome::Published) {
        std::printf("publish failed: %s\n", qPrintable(operation.Errors().join('\n')));
        return -1;
    }
    return seconds;
}

int Quiet(const QStringList& args, bool web) {
    QString out, err;
    QTextStream o(&out), e(&err);
    const int code = web ? PublishCommand::RunWeb(args, o, e) : PublishCommand::Run(args, o, e);
    if (code != 0) std::printf("publish failed: %s%s\n", qPrintable(out), qPrintable(err));
    return code;
}

bool NewCatalogue(const QString& inst, const QString& state) {
    QDir().mkpath(inst + "/sysfile");
    if (!CatalogueSchema::CreateEmpty(CatalogueDb::CatalogueFile(inst + "/sysfile"))) return false;
    return CIniFile(inst + "/sysfile/config.ini").WriteString("SysInfo", "发布状态", state);
}

// A type code as makers write them: letters, digits and a dash.
QString TypeCode(QRandomGenerator& rng) {
    const char* letters = "ABCDEFGHJKLMNPRSTUVWXYZ";
    QString code;
    for (int i = 0; i < 2; ++i) code += QLatin1Char(letters[rng.bounded(23)]);
    code += QStringLiteral("%1-%2").arg(rng.bounded(10000), 4, 10, QLatin1Char('0'));
    code += QLatin1Char(letters[rng.bounded(23)]);
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString base =
        argc > 1 && argv[1][0] != '-' ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const QString work = QDir(base).filePath("bench_web." + QString::number(getpid()));
    QDir().mkpath(work);
    std::printf("bench_web: folder %s\n", qPrintable(work));
    std::fflush(stdout);

    // 1. The demo: whole publishes with and without the web catalogue, in turn, eleven each;
    // the medians. Part of the web catalogue's work runs beside the copies, so only the
    // difference of whole publishes says what it adds.
    const QString demo = work + "/demo", demoRoot = work + "/demo-root";
    if (!DemoInstaller::WriteDemo(demo) || !QFile::copy(VISTREL_EXE, demo + "/vistrel")) {
        std::printf("cannot write the demo\n");
        return 1;
    }
    QList<double> with, without;
    for (int run = 0; run < 22; ++run) {
        QDir(demoRoot).removeRecursively();
        const bool web = run % 2 == 0;
        const double seconds = PublishDemo(demo, demoRoot, web);
        if (seconds < 0) return 1;
        (web ? with : without) << seconds;
    }
    const double publishMedian = MedianOfRuns(with), withoutMedian = MedianOfRuns(without);
    std::printf("demo: publish %.3f s with the web catalogue, %.3f s without (medians of 11)\n",
                publishMedian, withoutMedian);

    // 2. 500 products with a picture each in the first of 10 categories.
    QRandomGenerator rng(2026);
    const QString inst500 = work + "/inst500", root500 = work + "/root500";
    if (!NewCatalogue(inst500, "0")) return 1;
    QList<QPair<const char*, QVariantList>> rows;
    for (int c = 0; c < 10; ++c) {
        const QString cls = QStringLiteral("类别%1").arg(c);
        rows.append({Sql::InsertCategory, {cls}});
        rows.append({Sql::SetCategoryNumber, {c + 1, cls}});
        const int count = c == 0 ? 500 : 20;
        for (int p = 0; p < count; ++p) {
            const QString picture = QStringLiteral("%1/media/%2-%3.jpg").arg(inst500).arg(c).arg(p);
            QImage image(1024, 768, QImage::Format_RGB32);
            image.fill(QColor::fromHsv((p * 37) % 360, 120, 230));
            QPainter painter(&image);
            painter.fillRect(200 + p % 300, 150, 400, 400,
                             QColor::fromHsv((p * 91) % 360, 200, 120));
            painter.end();
            QDir().mkpath(QFileInfo(picture).absolutePath());
            if (!image.save(picture, "jpeg", 85)) return 1;
            const QString code = TypeCode(rng);
            rows.append({Sql::InsertProduct,
                         {p + 1, cls, QStringLiteral("产品%1@%2").arg(p).arg(code), code, picture,
                          "", "", ""}});
        }
    }
    {
        CatalogueDb db;
        if (!db.Open(CatalogueDb::CatalogueFile(inst500 + "/sysfile")) || !db.ExecuteAll(rows))
            return 1;
    }
    if (Quiet({inst500, root500}, true) != 0) return 1;

    // 3. 100,000 products without pictures, written straight as a published copy.
    const QString copy100k = work + "/copy100k";
    if (!NewCatalogue(copy100k, "1")) return 1;
    rows.clear();
    for (int c = 0; c < 100; ++c) {
        const QString cls = QStringLiteral("系列%1").arg(c, 2, 10, QLatin1Char('0'));
        rows.append({Sql::InsertCategory, {cls}});
        rows.append({Sql::SetCategoryNumber, {c + 1, cls}});
        for (int p = 0; p < 1000; ++p) {
            const QString code = TypeCode(rng);
            rows.append({Sql::InsertProduct,
                         {p + 1, cls, QStringLiteral("零件%1@%2").arg(c * 1000 + p).arg(code), code,
                          "", "", "", ""}});
        }
    }
    {
        CatalogueDb db;
        if (!db.Open(CatalogueDb::CatalogueFile(copy100k + "/sysfile")) || !db.ExecuteAll(rows))
            return 1;
    }
    QElapsedTimer t;
    t.start();
    QString error;
    if (!WebCatalogueWriter::Write(copy100k, &error)) {
        std::printf("web catalogue of 100,000 products failed: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("web catalogue of 100,000 products written in %.2f s\n", Seconds(t));
    std::fflush(stdout);

    // The browser's figures and goals, then the share of publishing.
    const int browser = QProcess::execute(
        "/usr/bin/python3", {VISTREL_BENCH_WEB_PY, root500 + "/Vistrel", copy100k, work});
    const double share = publishMedian / withoutMedian - 1;
    PrintGoal("web_catalogue_publish_share", share * 100, "%", publishMedian / withoutMedian,
              "demo publish without it", "<=10 %", share <= 0.10);
    if (!app.arguments().contains(QStringLiteral("--keep"))) QDir(work).removeRecursively();
    return browser == 0 ? 0 : 1;
}
