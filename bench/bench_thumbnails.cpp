// Thumbnail speed: 100 camera-sized JPEGs in a 140 x 140 product list, as the camera wrote them
// (with its 160 x 120 Exif thumbnail) and, for one figure, as an editor exports them (without).
//
// Prints the time until the first screen of thumbnails is drawn and until all are drawn, the
// longest the event loop went without running a 5 ms timer while they loaded, and, measured in
// the same run on the same pictures, the time a plain decoder needs (full decode, then scale).
// Every time is the median of five runs (or as many as the argument says).
//
// Every ratio compares like with like. Each decode run starts with empty caches, so the list
// decodes as on a first visit; the plain decoder reads the pictures the list loads (the cells
// near the screen), with all the list's loader threads or with one thread as the list does. The
// desktop thumbnail cache is measured apart: the list drawing from it against reading the same
// cache files plainly. That cache is a private one in a temporary folder, removed at the end:
// the user's own is neither read nor written.
//
// Usage: bench_thumbnails [runs]
//
// clang-format off
// Ends with one line per goal (BenchSupport.h, GoalLine):
//   GOAL event_loop_stall: <figure> ms (0.00x (no baseline)) target <=50 ms MET|MISSED
//   GOAL list_vs_plain_decoder: <figure> ms (<ratio>x plain decoder, same threads) target >=15x MET|MISSED
// clang-format on

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/CCatalogueApp.h"
#include "bench/BenchSupport.h"
#include "controls/CThumbListCtrl.h"
#include "controls/FreedesktopThumbnails.h"
#include "controls/PictureLoader.h"
#include "controls/ThumbnailCache.h"
#include "controls/ThumbnailRenderer.h"

namespace {

constexpr int kCount = 100;
constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

QStringList PreparePictures() {
    const QDir dir(QDir::temp().filePath(QStringLiteral("vistrel-bench-thumbnails-4000x3000-v2")));
    QDir().mkpath(dir.path());
    QStringList paths;
    QElapsedTimer t;
    t.start();
    int made = 0;
    for (int i = 0; i < kCount; ++i) {
        const QString path = dir.filePath(QStringLiteral("photo%1.jpg").arg(i, 3, 10, QChar('0')));
        paths << path;
        if (PictureLoader::ReadSize(path) == QSize(kWidth, kHeight)) continue;
        if (!WriteCameraPicture(path, quint32(1000 + i))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            std::exit(1);
        }
        ++made;
    }
    if (made) std::printf("generated %d pictures in %.1f s\n", made, t.elapsed() / 1000.0);
    qint64 bytes = 0;
    for (const QString& path : paths) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) bytes += f.readAll().size();  // warm the file cache
    }
    std::printf("pictures: %d JPEG %dx%d in %s (%.1f MB)\n", kCount, kWidth, kHeight,
                qPrintable(dir.path()), bytes / 1e6);
    return paths;
}

// The same pictures as the camera wrote them, with its Exif thumbnail; the ones above are as an
// editor exports them, without.
QStringList WithCameraThumbnails(const QStringList& exported) {
    const QDir dir(QDir::temp().filePath(QStringLiteral("vistrel-bench-thumbnails-camera-v1")));
    QDir().mkpath(dir.path());
    QStringList paths;
    for (const QString& from : exported) {
        const QString path = dir.filePath(QFileInfo(from).fileName());
        paths << path;
        if (PictureLoader::ReadSize(path) == QSize(kWidth, kHeight)) continue;
        QFile in(from);
        QSaveFile out(path);
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) ||
            out.write(WithCameraExif(in.readAll(), QImage(from))) < 0 || !out.commit()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            std::exit(1);
        }
    }
    for (const QString& path : paths) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) f.readAll();  // warm the file cache
    }
    return paths;
}

// The list whose paints we time.
class TimedList : public CThumbListCtrl {
public:
    std::function<void()> afterPaint;
    qint64 longestPaint = 0;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* e) override {
        QElapsedTimer t;
        t.start();
        CThumbListCtrl::paintEvent(e);
        longestPaint = std::max(longestPaint, t.nsecsElapsed());
        ++paints;
        if (afterPaint) afterPaint();
    }
};

struct ListRun {
    qint64 addLoop = 0;
    qint64 firstScreen = -1;
    qint64 all = -1;
    qint64 maxGap = 0;
    int firstScreenCells = 0;
    int ready = 0;
    int kept = 0;  // the cells the list keeps near the screen; the others are not loaded
};

// Adds every picture the way the main window does and waits until all are drawn, timing the
// first screen, the whole list and the longest gap between two ticks of a 5 ms timer.
ListRun RunList(TimedList& list, const QStringList& paths) {
    ListRun run;
    QElapsedTimer clock;
    qint64 lastTick = 0;
    QTimer ticker;
    ticker.setInterval(5);
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        run.maxGap = std::max(run.maxGap, now - lastTick);
        lastTick = now;
    });

    QList<int> firstScreen;
    int firstScreenLeft = -1;
    bool allReady = false;
    QMetaObject::Connection drawn =
        QObject::connect(&list, &CThumbListCtrl::thumbnailDrawn, [&](int index) {
            if (firstScreen.contains(index)) --firstScreenLeft;
        });
    // Off-screen cells are finished when their picture is stored; visible ones when painted.
    QMetaObject::Connection readySignal =
        QObject::connect(&list, &CThumbListCtrl::thumbnailsReady, [&] {
            allReady = true;
            if (run.firstScreen >= 0) run.all = clock.nsecsElapsed();
        });
    list.afterPaint = [&] {
        const qint64 now = clock.nsecsElapsed();
        if (firstScreenLeft == 0 && run.firstScreen < 0) run.firstScreen = now;
        if (allReady && run.all < 0) run.all = now;
    };

    clock.start();
    ticker.start();
    lastTick = clock.nsecsElapsed();
    // What the main window does: one add per product, in one go.
    for (int i = 0; i < paths.size(); ++i)
        list.AddThumbnail(paths[i], i,
                          QStringLiteral("产品%1@TYPE-%2").arg(i).arg(i, 3, 10, QChar('0')));
    run.addLoop = clock.nsecsElapsed();
    for (int i = 0; i < paths.size(); ++i)
        if (list.ItemRect(i).intersects(list.viewport()->rect())) firstScreen << i;
    firstScreenLeft = int(firstScreen.size());
    run.firstScreenCells = firstScreenLeft;
    while (run.all < 0 && clock.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    // One more tick after the end, so a stall right at the end is counted as well.
    QTimer::singleShot(10, [] {});
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    ticker.stop();
    run.maxGap = std::max(run.maxGap, clock.nsecsElapsed() - lastTick);
    list.afterPaint = nullptr;
    QObject::disconnect(drawn);
    QObject::disconnect(readySignal);
    for (int i = 0; i < list.GetItemCount(); ++i) run.ready += list.IsThumbnailReady(i) ? 1 : 0;
    const auto [keepFrom, keepTo] = list.KeptRange();
    run.kept = std::min(keepTo, list.GetItemCount() - 1) - keepFrom + 1;
    return run;
}

// Clears the desktop thumbnail cache this run uses, after the writes still under way. Only the
// private one: anything else would be the user's.
void ClearDesktopCache(const QString& privateRoot) {
    FreedesktopThumbnails::WaitForWrites();
    const QString root = FreedesktopThumbnails::Root();
    if (root != privateRoot) {
        std::fprintf(stderr, "the desktop cache is %s, not the private one\n", qPrintable(root));
        std::exit(1);
    }
    QDir(root).removeRecursively();
}

// One picture read plainly and scaled to `size`, as a program without any of the list's help
// would; exits on a file that cannot be read, so a failed read is never timed as a fast one.
void ReadScaled(const QString& path, const QSize& size) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage full = reader.read();
    if (full.isNull() ||
        full.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).isNull())
        std::exit(1);
}

// The median of one figure over the runs, in milliseconds.
double MedianMs(const QList<ListRun>& runs, qint64 ListRun::*field) {
    QList<double> values;
    for (const ListRun& run : runs) values << double(run.*field) / 1e6;
    return MedianOfRuns(values);
}

double MedianMs(const QList<qint64>& ns) {
    QList<double> values;
    for (qint64 v : ns) values << double(v) / 1e6;
    return MedianOfRuns(values);
}

}  // namespace

int main(int argc, char** argv) {
    // A private desktop thumbnail cache, set before anything looks at it: the runs neither read
    // thumbnails the user's cache holds nor leave theirs behind in it.
    QTemporaryDir work(QDir::temp().filePath(QStringLiteral("bench_thumbnails-XXXXXX")));
    if (!work.isValid()) {
        std::fprintf(stderr, "cannot make a work folder in %s\n", qPrintable(QDir::tempPath()));
        return 1;
    }
    qputenv("XDG_CACHE_HOME", QFile::encodeName(work.path()));
    const QString cacheRoot = QDir(work.path()).filePath(QStringLiteral("thumbnails"));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CCatalogueApp::RegisterFontSubstitutions();
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const QStringList exported = PreparePictures();
    const QStringList paths = WithCameraThumbnails(exported);
    double load[3] = {0, 0, 0};
    getloadavg(load, 3);
    std::printf(
        "worker threads: %d, load average before the run: %.2f, %d runs, desktop cache %s\n",
        QThread::idealThreadCount(), load[0], runs, qPrintable(cacheRoot));

    // ---- the list -------------------------------------------------------------------------
    TimedList list;
    list.resize(800, 600);
    list.show();
    QCoreApplication::processEvents();
    list.SetThumbWidth(140);
    list.SetThumbHeight(140);
    list.InitThumbList();
    {
        // The main window has drawn Chinese text long before a category opens; load the font
        // here too, so its one-off loading is not counted as a stall of the list.
        QImage scratch(200, 40, QImage::Format_RGB32);
        QPainter p(&scratch);
        p.setFont(CThumbListCtrl::CaptionFont());
        p.drawText(scratch.rect(), QStringLiteral("产品 TYPE-000"));
    }
    const auto reopen = [&list] {
        list.DeleteAllItems();
        list.InitThumbList();
    };
    // Every decode run starts as a first visit: nothing in the cell cache, nothing in the
    // desktop cache.
    const auto firstVisit = [&] {
        reopen();
        ThumbnailCache::Instance().Clear();
        ClearDesktopCache(cacheRoot);
    };

    const int threads = list.LoaderThreads();
    const QRect drawn = ThumbnailRenderer::DrawRect(QSize(kWidth, kHeight), 140, 140,
                                                    ThumbnailRenderer::Kind::Thumbnail);
    QList<ListRun> cold, again, fromDesktop, coldOne, coldExported;
    QList<qint64> scaledOneThread, plain, plainThreads, plainCacheRead;
    qint64 longestPaint = 0;
    int cacheEntries = 0;
    QStringList kept;  // the pictures the list loads: the cells near the screen
    bool allDrawn = true;
    QThreadPool pool;
    pool.setMaxThreadCount(threads);
    for (int round = 0; round < runs; ++round) {
        // A first visit on every loader thread.
        firstVisit();
        list.longestPaint = 0;
        cold << RunList(list, paths);
        longestPaint = std::max(longestPaint, list.longestPaint);
        kept = paths.mid(list.KeptRange().first, cold.last().kept);
        // The same pictures exported without a camera thumbnail: every one decoded.
        firstVisit();
        coldExported << RunList(list, exported);
        // The visitor opens another category and comes back: cells from the cell cache, the
        // rest from the desktop cache the first visit filled (camera thumbnails need none).
        FreedesktopThumbnails::WaitForWrites();
        QStringList cacheFiles;
        for (const QString& path : exported.mid(list.KeptRange().first, cold.last().kept)) {
            // The list keeps its thumbnails in the "large" class, as the desktop's programs do.
            const QString file =
                FreedesktopThumbnails::CacheFile(path, FreedesktopThumbnails::ClassFor(256));
            if (QFileInfo::exists(file)) cacheFiles << file;
        }
        cacheEntries = int(cacheFiles.size());
        reopen();
        again << RunList(list, exported);
        // The same category from the desktop cache alone, against reading the same cache files
        // plainly on as many threads.
        reopen();
        ThumbnailCache::Instance().Clear();
        fromDesktop << RunList(list, exported);
        QElapsedTimer t;
        t.start();
        QtConcurrent::blockingMap(
            &pool, cacheFiles, [&drawn](const QString& file) { ReadScaled(file, drawn.size()); });
        plainCacheRead << t.nsecsElapsed();

        // A first visit again, the list held to one loader thread.
        firstVisit();
        list.SetLoaderThreads(1);
        coldOne << RunList(list, paths);
        list.SetLoaderThreads(threads);
        for (const QList<ListRun>* r : {&cold, &again, &fromDesktop, &coldOne})
            allDrawn = allDrawn && r->last().ready == r->last().kept;

        // ---- the same pictures: scaled decoding on one thread, then the plain decoder -----
        ClearDesktopCache(cacheRoot);
        t.restart();
        for (const QString& path : std::as_const(kept)) {
            if (ThumbnailRenderer::Render(
                    {path, 140, 140, ThumbnailRenderer::Kind::Thumbnail, true})
                    .isNull())
                return 1;
        }
        scaledOneThread << t.nsecsElapsed();
        t.restart();
        for (const QString& path : std::as_const(kept)) ReadScaled(path, drawn.size());
        plain << t.nsecsElapsed();
        // The plain decoder on as many threads as the list loads with.
        t.restart();
        QtConcurrent::blockingMap(
            &pool, kept, [&drawn](const QString& path) { ReadScaled(path, drawn.size()); });
        plainThreads << t.nsecsElapsed();
        std::printf(
            "run %d: first visit %.1f ms (one thread %.1f ms), from the desktop cache %.1f ms; "
            "plain decoder %.1f ms (one thread %.1f ms)\n",
            round + 1, cold.last().all / 1e6, coldOne.last().all / 1e6,
            fromDesktop.last().all / 1e6, plainThreads.last() / 1e6, plain.last() / 1e6);
        std::fflush(stdout);
    }
    ClearDesktopCache(cacheRoot);

    const double coldAll = MedianMs(cold, &ListRun::all);
    const double coldStall = MedianMs(cold, &ListRun::maxGap);
    double worstStall = 0;
    for (const ListRun& r : cold) worstStall = std::max(worstStall, r.maxGap / 1e6);
    std::printf(
        "\nmedians of %d runs. Thumbnails drawn: %d of the %d the list keeps near the screen, "
        "%d items (first screen: %d cells); the plain decoder reads the same %d pictures\n",
        runs, cold.last().ready, cold.last().kept, kCount, cold.last().firstScreenCells,
        int(kept.size()));
    std::printf("a first visit (empty caches), %d loader threads:\n", threads);
    std::printf("  adding %d items (owner's loop)      %9.1f ms\n", kCount,
                MedianMs(cold, &ListRun::addLoop));
    std::printf("  first screen drawn                  %9.1f ms\n",
                MedianMs(cold, &ListRun::firstScreen));
    std::printf("  all drawn                           %9.1f ms\n", coldAll);
    std::printf("  longest paint (any run)             %9.1f ms\n", longestPaint / 1e6);
    std::printf("  longest event-loop stall (5 ms timer) %7.1f ms (worst run %.1f ms)\n", coldStall,
                worstStall);
    std::printf(
        "the exported pictures' category opened again (cell cache, then the desktop cache):\n");
    std::printf("  first screen drawn %.1f ms, all drawn %.1f ms, longest stall %.1f ms\n",
                MedianMs(again, &ListRun::firstScreen), MedianMs(again, &ListRun::all),
                MedianMs(again, &ListRun::maxGap));
    const double desktopAll = MedianMs(fromDesktop, &ListRun::all);
    const double cacheReadPlain = MedianMs(plainCacheRead);
    std::printf("the exported pictures from the desktop cache alone (%d cached thumbnails):\n",
                cacheEntries);
    std::printf(
        "  all drawn %.1f ms; the same cache files read and scaled plainly on %d "
        "threads %.1f ms: ratio %.1fx\n",
        desktopAll, threads, cacheReadPlain, cacheReadPlain / std::max(0.001, desktopAll));
    std::printf("decoding, same pictures, same run:\n");
    std::printf("  scaled decode + cell, one thread    %9.1f ms  (%.1f ms per picture)\n",
                MedianMs(scaledOneThread), MedianMs(scaledOneThread) / kept.size());
    std::printf("  plain decoder: full decode + scale  %9.1f ms  (%.1f ms per picture)\n",
                MedianMs(plain), MedianMs(plain) / kept.size());
    std::printf("  plain decoder on %d threads          %9.1f ms\n", threads,
                MedianMs(plainThreads));
    std::printf("  list with one loader thread: all drawn %6.1f ms\n",
                MedianMs(coldOne, &ListRun::all));
    const auto ratio = [](double a, double b) { return a / std::max(0.001, b); };
    const double both = ratio(MedianMs(plainThreads), coldAll);
    std::printf("ratio plain decoder / all drawn in the list, both on %d threads: %.1fx\n", threads,
                both);
    std::printf("ratio plain decoder / all drawn in the list, both on one thread: %.1fx\n",
                ratio(MedianMs(plain), MedianMs(coldOne, &ListRun::all)));
    std::printf("ratio plain decoder / scaled decode + cell, both on one thread: %.1fx\n",
                ratio(MedianMs(plain), MedianMs(scaledOneThread)));
    std::printf(
        "pictures without a camera thumbnail (as editors export them): all drawn %.1f ms, "
        "plain decoder / list %.1fx\n",
        MedianMs(coldExported, &ListRun::all),
        ratio(MedianMs(plainThreads), MedianMs(coldExported, &ListRun::all)));
    if (!allDrawn) std::printf("not every kept cell was drawn in every run\n");
    PrintGoal("event_loop_stall", coldStall, "ms", 0, "(no baseline)", "<=50 ms", coldStall <= 50);
    PrintGoal("list_vs_plain_decoder", coldAll, "ms", both, "plain decoder, same threads", ">=15x",
              both >= 15);
    return allDrawn ? 0 : 2;
}
