// How the lists grow: the time to fill a thumbnail list of 1k to 16k items, and a category list
// of 1k to 16k entries, against the smallest size scaled linearly in the same run.
//
// Every thumbnail item shows the same picture, whose cell is in the cell cache before the
// clock starts, so no decoding is timed: only the list's own work per item (adding, choosing
// the next cell to load, taking the finished cell back, painting; only the cells near the
// screen are loaded). A list that does this in constant time per item takes 16 times as long
// for 16 times the items; the goal is at most 1.3 times that.
//
// clang-format off
// Ends with one line per goal (BenchSupport.h, GoalLine):
//   GOAL thumbnail_list_16x_items: <figure> ms (<ratio>x linear scaling of the smallest size) target <=1.3x MET|MISSED
//   GOAL category_list_16x_entries: <figure> ms (<ratio>x linear scaling of the smallest size) target <=1.3x MET|MISSED
// clang-format on

#include <time.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/CCatalogueApp.h"
#include "bench/BenchSupport.h"
#include "controls/CButtonListBox.h"
#include "controls/CThumbListCtrl.h"
#include "controls/ThumbnailCache.h"

namespace {

constexpr int kSizes[] = {1000, 2000, 4000, 8000, 16000};
constexpr int kRuns = 3;

double Ms(qint64 ns) {
    return ns / 1e6;
}

// CPU time of the whole process (all threads), in ns: unlike the wall clock it does not count
// the time other programs on a busy machine take from this one.
qint64 CpuNs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

struct Cost {
    qint64 wall = 0;
    qint64 cpu = 0;
};

// From the first add until every cell the list keeps is drawn and it has painted once more.
Cost FillThumbList(const QString& picture, int count) {
    CThumbListCtrl list;
    list.resize(800, 600);
    list.show();
    if (!QTest::qWaitForWindowExposed(&list)) qFatal("list not shown");
    list.SetThumbWidth(140);
    list.SetThumbHeight(140);
    list.InitThumbList();
    QElapsedTimer clock;
    const qint64 cpu = CpuNs();
    clock.start();
    for (int i = 0; i < count; ++i)
        list.AddThumbnail(picture, i, QStringLiteral("产品%1@HG%1").arg(i));
    if (!list.WaitForThumbnails(600000)) qFatal("thumbnails not drawn");
    list.viewport()->repaint();
    const Cost cost{clock.nsecsElapsed(), CpuNs() - cpu};
    // The list keeps the cells near the screen; those are all drawn.
    const int kept = list.KeptRange().second + 1;
    for (int i = 0; i < kept; i += std::max(1, kept / 10))
        if (!list.IsThumbnailReady(i)) qFatal("item %d not drawn", i);
    return cost;
}

// From the first AddString until the filled list has painted.
Cost FillCategoryList(int count) {
    CButtonListBox list;
    list.resize(200, 600);
    list.show();
    if (!QTest::qWaitForWindowExposed(&list)) qFatal("list not shown");
    QElapsedTimer clock;
    const qint64 cpu = CpuNs();
    clock.start();
    for (int i = 0; i < count; ++i) list.AddString(QStringLiteral("类别%1|%2").arg(i).arg(i % 97));
    list.repaint();
    QCoreApplication::processEvents();
    return {clock.nsecsElapsed(), CpuNs() - cpu};
}

template <typename Fill>
void Report(const char* title, const char* unit, Fill fill) {
    std::printf("%s (median of %d runs; wall clock, and CPU time of all threads):\n", title, kRuns);
    std::vector<double> walls;
    std::vector<double> cpus;
    for (int count : kSizes) {
        std::vector<double> wall;
        std::vector<double> cpu;
        for (int run = 0; run < kRuns; ++run) {
            const Cost cost = fill(count);
            wall.push_back(Ms(cost.wall));
            cpu.push_back(Ms(cost.cpu));
        }
        std::sort(wall.begin(), wall.end());
        std::sort(cpu.begin(), cpu.end());
        walls.push_back(wall[kRuns / 2]);
        cpus.push_back(cpu[kRuns / 2]);
        std::printf(
            "  %6d %s  %9.1f ms (%5.1f us per item)   CPU %9.1f ms (%5.1f us per item)   "
            "peak memory so far %.0f MiB\n",
            count, unit, walls.back(), walls.back() * 1000 / count, cpus.back(),
            cpus.back() * 1000 / count, PeakRssMiB());
    }
    const double scale = double(kSizes[4]) / kSizes[0];
    const double wallRatio = walls.back() / (walls.front() * scale);
    const double cpuRatio = cpus.back() / (cpus.front() * scale);
    std::printf("  %d / (%d scaled linearly): wall %.2fx, CPU %.2fx   target <= 1.3x: %s\n",
                kSizes[4], kSizes[0], wallRatio, cpuRatio, wallRatio <= 1.3 ? "met" : "MISSED");
    const bool thumbs = unit[0] == 'i';
    PrintGoal(thumbs ? "thumbnail_list_16x_items" : "category_list_16x_entries", walls.back(), "ms",
              wallRatio, "linear scaling of the smallest size", "<=1.3x", wallRatio <= 1.3);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CCatalogueApp::RegisterFontSubstitutions();
    QTemporaryDir dir;
    const QString picture = QDir(dir.path()).filePath(QStringLiteral("one.png"));
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(QColor(90, 140, 200));
    if (!image.save(picture)) qFatal("cannot write %s", qPrintable(picture));
    // The picture's cell into the cache, and the caption font loaded, before any clock runs.
    FillThumbList(picture, 10);
    if (ThumbnailCache::Instance().Count() != 1) qFatal("the cell was not cached");

    // "bench_thumblist thumbs" or "bench_thumblist categories" runs one part alone.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (only.isEmpty() || only == QLatin1String("thumbs"))
        Report("Thumbnail list, one cached picture, 800 x 600 window", "items  ",
               [&](int count) { return FillThumbList(picture, count); });
    if (only.isEmpty() || only == QLatin1String("categories"))
        Report("Category list (CButtonListBox::AddString)", "entries",
               [](int count) { return FillCategoryList(count); });
    return 0;
}
