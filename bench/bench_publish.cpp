// Publishing speed: whole publishes of an authoring installation against `cp -r` of the same
// files, the republishes of an unchanged and of a slightly changed catalogue against the first.
//
// The installation holds 400 products (or as many as the argument says), each with a camera
// picture of its own (4000 x 3000 JPEG with sensor noise, about 2.1 MB), and ten model files.
// The publish makes a small thumbnail of every picture for the copy's catalogue, so its pictures
// are real ones: random bytes would make that step fail at once and cost nothing. The pictures
// take minutes to make; they are kept in a folder under the temp folder and reused next time.
//
// Before every timed run everything is synced and every file the run reads (pictures, models,
// catalogue, executable, runtime, desktop thumbnails, the earlier copy) is dropped from the page
// cache, so the sources come from the disk. A run ends when its copy is on the disk. Scenarios,
// each the median of five runs (or as many as the argument says), cp and the publishes in turns:
//   cp -r  the pictures, models, data folder, executable and the Qt runtime the copy bundles;
//   a      a first publish into an empty root, with an empty desktop thumbnail cache;
//   b      the same with the desktop cache holding what the editor's product list put there;
//   c      a republish of the unchanged catalogue over the earlier copy;
//   d      a republish after a tenth of the pictures were replaced by other pictures, which the
//          editor's product list then showed (so they are in the desktop cache, as in b);
//   e      the same, with the pictures replaced outside the program and never shown: their
//          thumbnails are decoded. Its figure is printed, with no goal of its own.
// The desktop thumbnail cache is a private one in the work folder: the user's own is neither
// read nor written. The work folder goes at the end; the picture folder stays.
//
// Usage: bench_publish [folder] [products] [runs]   (default: the temp folder, 400, 5; needs
// about three times the pictures' size, ~3 GiB, while it runs)
//
// clang-format off
// Ends with one line per goal (BenchSupport.h, GoalLine):
//   GOAL publish_first_throughput: <figure> MiB/s (<ratio>x cp -r) target >=0.60x MET|MISSED
//   GOAL republish_unchanged: <figure> x (<ratio>x first publish) target >=5x MET|MISSED
//   GOAL republish_10pct_changed: <figure> x (<ratio>x first publish) target >=3x MET|MISSED
// clang-format on

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextStream>
#include <QtConcurrent>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>

#include "app/CIniFile.h"
#include "bench/BenchSupport.h"
#include "controls/FreedesktopThumbnails.h"
#include "controls/ThumbnailRenderer.h"
#include "controls/ThumbnailSource.h"
#include "publish/PublishCommand.h"
#include "publish/RuntimeBundle.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueSchema.h"
#include "store/Statements.h"

namespace {

constexpr qint64 kMiB = 1024 * 1024;
// A new generator or size needs a new name here, so old pictures are never taken for new ones.
const char* const kPictureFolder = "vistrel-bench-publish-4000x3000-v1";
constexpr double kPictureBytes = 3e6;  // at most, for the free-space check
constexpr int kModels = 10;
constexpr int kSide = 140;  // the editor's product cells

// The picture of `product`, or its second version (for the products that change).
QString PictureName(int product, bool second) {
    return QStringLiteral("%1p%2.jpg")
        .arg(second ? QStringLiteral("second/") : QString())
        .arg(product, 4, 10, QLatin1Char('0'));
}

// Makes the pictures the folder does not hold yet, on every core. False when one cannot be
// written.
bool MakePictures(const QString& folder, const QList<QPair<QString, quint32>>& missing) {
    QDir().mkpath(QDir(folder).filePath(QStringLiteral("second")));
    std::atomic<int> done{0};
    std::atomic<bool> ok{true};
    QElapsedTimer t;
    t.start();
    QtConcurrent::blockingMap(missing, [&](const QPair<QString, quint32>& job) {
        if (!WriteCameraPicture(job.first, job.second)) {
            std::printf("cannot write %s\n", qPrintable(job.first));
            ok = false;
        }
        const int n = ++done;
        if (n % 20 == 0 || n == missing.size()) {
            std::printf("  made %d of %d pictures (%.0f s)\n", n, int(missing.size()),
                        t.elapsed() / 1000.0);
            std::fflush(stdout);
        }
    });
    return ok;
}

// A hard link where the folders share a file system (the picture is never written through it,
// only renamed), a copy otherwise.
bool Place(const QString& from, const QString& to) {
    QDir().mkpath(QFileInfo(to).absolutePath());
    return ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0 ||
           QFile::copy(from, to);
}

bool WriteRandom(const QString& path, qint64 size, quint32 seed) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QRandomGenerator rng(seed);
    QByteArray block(int(kMiB), Qt::Uninitialized);
    for (qint64 left = size; left > 0; left -= block.size()) {
        rng.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
        if (f.write(block) != block.size()) return false;
    }
    return true;
}

qint64 SizeOf(const QStringList& files) {
    qint64 total = 0;
    for (const QString& file : files) total += QFileInfo(file).size();
    return total;
}

// What the editor's product list leaves in the desktop cache when it shows the products: a
// thumbnail for the cell of every picture without a current one. Returns how many it decoded.
int FillDesktopCache(const QStringList& pictures) {
    std::atomic<int> decoded{0};
    QtConcurrent::blockingMap(pictures, [&decoded](const QString& path) {
        const ThumbnailSource::Stored stored = ThumbnailSource::Find(path, kSide);
        if (stored.origin == ThumbnailSource::Origin::Cache) return;
        const QSize target = ThumbnailRenderer::DrawRect(stored.picture, kSide, kSide,
                                                         ThumbnailRenderer::Kind::Thumbnail)
                                 .size();
        if (!ThumbnailSource::Decode(path, stored.picture, target, kSide).isNull()) ++decoded;
    });
    FreedesktopThumbnails::WaitForWrites();
    return decoded;
}

int CurrentInDesktopCache(const QStringList& pictures) {
    int current = 0;
    for (const QString& path : pictures)
        current += ThumbnailSource::Find(path, kSide).origin == ThumbnailSource::Origin::Cache;
    return current;
}

// The other version of each changing picture takes its place, as a newly saved file.
bool SwapVersions(const QStringList& current, const QStringList& other) {
    for (qsizetype i = 0; i < current.size(); ++i) {
        const QByteArray a = QFile::encodeName(current[i]), b = QFile::encodeName(other[i]);
        if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_EXCHANGE) != 0) {
            const QByteArray aside = a + ".swap";
            if (::rename(a.constData(), aside.constData()) != 0 ||
                ::rename(b.constData(), a.constData()) != 0 ||
                ::rename(aside.constData(), b.constData()) != 0)
                return false;
        }
        if (::utimensat(AT_FDCWD, a.constData(), nullptr, 0) != 0) return false;
    }
    return true;
}

// The shipped thumbnails in a copy's catalogue; -1 when it cannot be read.
int ShippedThumbnailCount(const QString& copy) {
    int count = -1;
    const QString name = QStringLiteral("bench-count");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(
            CatalogueDb::CatalogueFile(QDir(copy).filePath(QStringLiteral("sysfile"))));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("select count(*) from [缩略图表]")) && query.next())
                count = query.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return count;
}

// Publishes; `origins` gets the command's line saying where the thumbnails came from.
bool Publish(const QString& inst, const QString& root, QString* origins) {
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int code = PublishCommand::Run({inst, root}, outStream, errStream);
    outStream.flush();
    errStream.flush();
    if (code != 0) std::printf("publish failed (%d): %s\n", code, qPrintable(err));
    *origins = out.section(QStringLiteral("缩略图："), 1).trimmed();
    return code == 0;
}

struct Scenario {
    const char* label;
    QList<double> seconds;
    QList<double> mibPerSecond;
    double MedianSeconds() const { return MedianOfRuns(seconds); }
    double MedianMiBs() const { return MedianOfRuns(mibPerSecond); }
};

}  // namespace

int main(int argc, char** argv) {
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const QString work =
        QDir(base).filePath(QStringLiteral("bench_publish.") + QString::number(getpid()));
    // Private desktop caches, set before anything looks at one: one the editor filled, and one
    // kept empty.
    const QString cacheFilled = QDir(work).filePath(QStringLiteral("cache-filled"));
    const QString cacheEmpty = QDir(work).filePath(QStringLiteral("cache-empty"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cacheFilled));
    QCoreApplication app(argc, argv);
    const int productCount = argc > 2 ? std::max(10, atoi(argv[2])) : 400;
    const int runs = argc > 3 ? std::max(1, atoi(argv[3])) : 5;
    const int changing = productCount / 10;

    const QString inst = QDir(work).filePath(QStringLiteral("inst"));
    const QString media = QDir(inst).filePath(QStringLiteral("media"));
    const QString secondFolder = QDir(work).filePath(QStringLiteral("second"));
    const QString pictureCache = QDir::temp().filePath(QString::fromLatin1(kPictureFolder));

    // The pictures still to make, and whether they can be linked rather than copied.
    QList<QPair<QString, quint32>> missing;
    for (int p = 0; p < productCount; ++p) {
        for (const bool second : {false, true}) {
            if (second && p % 10 != 0) continue;
            const QString path = QDir(pictureCache).filePath(PictureName(p, second));
            if (!QFileInfo::exists(path))
                missing.append({path, quint32((second ? 200000 : 100000) + p)});
        }
    }
    QDir().mkpath(base);
    QDir().mkpath(pictureCache);
    struct stat baseStat {
    }, cacheStat{};
    ::stat(QFile::encodeName(base).constData(), &baseStat);
    ::stat(QFile::encodeName(pictureCache).constData(), &cacheStat);
    const bool linked = baseStat.st_dev == cacheStat.st_dev;
    struct statvfs st {};
    ::statvfs(QFile::encodeName(base).constData(), &st);
    const double freeGiB = double(st.f_bavail) * double(st.f_frsize) / double(1024 * kMiB);
    const double setGiB = (productCount + changing) * kPictureBytes / double(1024 * kMiB);
    // The earlier copy, one more copy, the work folder's pictures unless linked, the runtime.
    double neededGiB = setGiB * (linked ? 2 : 3) + 1;
    if (linked) neededGiB += missing.size() * kPictureBytes / double(1024 * kMiB);
    std::printf(
        "bench_publish: %d products, %d runs, folder %s, free %.1f GiB, needs about %.1f GiB\n",
        productCount, runs, qPrintable(work), freeGiB, neededGiB);
    if (freeGiB < neededGiB) {
        std::printf("not enough free space\n");
        return 1;
    }

    // ---- the pictures ---------------------------------------------------------------------
    std::printf("pictures in %s: %d reused, %d to make\n", qPrintable(pictureCache),
                productCount + (productCount + 9) / 10 - int(missing.size()), int(missing.size()));
    std::fflush(stdout);
    if (!missing.isEmpty() && !MakePictures(pictureCache, missing)) return 1;

    // ---- the authoring installation -------------------------------------------------------
    QDir().mkpath(QDir(inst).filePath(QStringLiteral("sysfile")));
    QString error;
    const QString catalogue =
        CatalogueDb::CatalogueFile(QDir(inst).filePath(QStringLiteral("sysfile")));
    if (!CatalogueSchema::CreateEmpty(catalogue, &error)) {
        std::printf("cannot write the catalogue: %s\n", qPrintable(error));
        return 1;
    }
    CIniFile(QDir(inst).filePath(QStringLiteral("sysfile/config.ini")))
        .WriteString(QStringLiteral("SysInfo"), QStringLiteral("发布状态"), QStringLiteral("0"));
    const QString exe = QDir(inst).filePath(QStringLiteral("vistrel"));
    QFile::copy(QStringLiteral(VISTREL_EXE), exe);
    RuntimeBundle runtime(exe);
    if (!runtime.Find()) std::printf("no runtime to bundle: %s\n", qPrintable(runtime.Why()));
    QStringList runtimeFiles = runtime.Libraries().values() + runtime.Plugins().values();
    runtimeFiles += runtime.Translations().values();

    QStringList pictures, changingNow, changingNext;
    QList<QPair<const char*, QVariantList>> rows;
    for (int c = 0; c < 10; ++c)
        rows.append({Sql::InsertCategory, {QStringLiteral("类别%1").arg(c)}});
    for (int p = 0; p < productCount; ++p) {
        const QString cls = QStringLiteral("类别%1").arg(p % 10);
        const QString name = QStringLiteral("产品%1@T%1").arg(p);
        const QString picture = QDir(media).filePath(PictureName(p, false));
        if (!Place(QDir(pictureCache).filePath(PictureName(p, false)), picture)) {
            std::printf("cannot place %s\n", qPrintable(picture));
            return 1;
        }
        pictures << picture;
        if (p % 10 == 0) {
            changingNow << picture;
            changingNext << QDir(secondFolder).filePath(PictureName(p, false));
            if (!Place(QDir(pictureCache).filePath(PictureName(p, true)), changingNext.last()))
                return 1;
        }
        rows.append(
            {Sql::InsertProduct,
             {p, cls, name, QStringLiteral("k"), picture, QString(), QString(), QString()}});
        if (p < kModels) {
            const QString model = QDir(media).filePath(QStringLiteral("models/model%1.stp").arg(p));
            if (!WriteRandom(model, 2 * kMiB, quint32(p + 1))) return 1;
            rows.append(
                {Sql::InsertModel, {cls, name, QStringLiteral("model%1.stp").arg(p), 1, model}});
        }
    }
    {
        CatalogueDb db;
        if (!db.Open(catalogue) || !db.ExecuteAll(rows)) {
            std::printf("cannot fill the catalogue\n");
            return 1;
        }
    }
    std::printf("installation: %d pictures (%.0f MiB, %s), %d model files, %d runtime files\n",
                int(pictures.size()), double(SizeOf(pictures)) / kMiB,
                linked ? "linked from the picture folder" : "copied", kModels,
                int(runtimeFiles.size()));

    // The editor has shown the products: their thumbnails are in its desktop cache.
    QElapsedTimer fillTimer;
    fillTimer.start();
    const int filled = FillDesktopCache(pictures);
    std::printf("desktop cache: %d thumbnails made in %.1f s, %d of %d current\n", filled,
                fillTimer.elapsed() / 1000.0, CurrentInDesktopCache(pictures),
                int(pictures.size()));

    // ---- the runs -------------------------------------------------------------------------
    const QString cpDest = QDir(work).filePath(QStringLiteral("cp"));
    const QString firstRoot = QDir(work).filePath(QStringLiteral("first"));
    const QString republishRoot = QDir(work).filePath(QStringLiteral("republish"));
    // Everything a run reads, to be read from the disk.
    const auto coldStart = [&](const QString& earlierCopy) {
        ::sync();
        QStringList files =
            FilesUnder(inst) + runtimeFiles + FilesUnder(cacheFilled) + FilesUnder(cacheEmpty);
        if (!earlierCopy.isEmpty()) files += FilesUnder(earlierCopy);
        EvictFromPageCache(files);
    };
    const auto copiedBytes = [&] {
        return SizeOf(FilesUnder(media)) + SizeOf(FilesUnder(QDir(inst).filePath("sysfile"))) +
               QFileInfo(exe).size() + SizeOf(runtimeFiles);
    };
    const auto useCache = [](const QString& folder) {
        FreedesktopThumbnails::WaitForWrites();
        qputenv("XDG_CACHE_HOME", QFile::encodeName(folder));
    };

    // The earlier copy the republishes find.
    QString origins;  // of the last publish's thumbnails
    if (!Publish(inst, republishRoot, &origins)) return 1;

    Scenario cp{"cp -r", {}, {}}, first{"a first publish, empty desktop cache", {}, {}},
        firstCached{"b first publish, desktop cache filled", {}, {}},
        unchanged{"c republish, nothing changed", {}, {}},
        changed{"d republish, 10% changed, shown by the editor", {}, {}},
        changedUnseen{"e republish, 10% changed, never shown", {}, {}};
    bool allOk = true;
    const auto timed = [&](Scenario& s, int round, const QString& earlierCopy, const QString& dest,
                           const std::function<bool()>& run) {
        const qint64 bytes = copiedBytes();
        coldStart(earlierCopy);
        QElapsedTimer timer;
        timer.start();
        const bool ok = run();
        SyncFileSystem(dest);
        const double seconds = timer.nsecsElapsed() / 1e9;
        FreedesktopThumbnails::WaitForWrites();
        allOk = allOk && ok;
        s.seconds << seconds;
        s.mibPerSecond << double(bytes) / kMiB / seconds;
        std::printf("round %d  %-42s %7.2f s  %7.1f MiB/s", round + 1, s.label, seconds,
                    double(bytes) / kMiB / seconds);
        if (&s != &cp) {
            const int thumbnails =
                ShippedThumbnailCount(QDir(dest).filePath(QStringLiteral("Vistrel")));
            std::printf("  shipped thumbnails %d of %d (%s)", thumbnails, int(pictures.size()),
                        qPrintable(origins));
            // Without them the publish skipped its costliest step: the figure would be false.
            allOk = allOk && thumbnails == pictures.size();
        }
        std::printf("%s\n", ok ? "" : "  FAILED");
        std::fflush(stdout);
    };
    const auto runCp = [&](int round) {
        QDir(cpDest).removeRecursively();
        QDir().mkpath(QDir(cpDest).filePath(QStringLiteral("lib")));
        timed(cp, round, QString(), cpDest, [&] {
            return QProcess::execute("cp", {"-r", "--", media, cpDest + "/media"}) == 0 &&
                   QProcess::execute("cp", {"-r", "--", inst + "/sysfile", cpDest + "/sysfile"}) ==
                       0 &&
                   QProcess::execute("cp", {"--", exe, cpDest + "/vistrel"}) == 0 &&
                   QProcess::execute("cp", QStringList{"-L", "--"} + runtimeFiles +
                                               QStringList{cpDest + "/lib"}) == 0;
        });
        QDir(cpDest).removeRecursively();
    };
    const auto runFirst = [&](int round, bool cached) {
        QDir(firstRoot).removeRecursively();
        if (cached) {
            useCache(cacheFilled);
            FillDesktopCache(pictures);
        } else {
            useCache(cacheEmpty);
            QDir(cacheEmpty).removeRecursively();
            QDir().mkpath(cacheEmpty);
        }
        timed(cached ? firstCached : first, round, QString(), firstRoot,
              [&] { return Publish(inst, firstRoot, &origins); });
        QDir(firstRoot).removeRecursively();
        useCache(cacheFilled);
    };
    enum class Change { None, Shown, Unseen };
    const auto runRepublish = [&](int round, Change change) {
        FillDesktopCache(pictures);
        if (change != Change::None && !SwapVersions(changingNow, changingNext)) {
            std::printf("cannot change the pictures\n");
            allOk = false;
            return;
        }
        // The editor's list showed the new pictures: their thumbnails are cached as in b.
        if (change == Change::Shown) FillDesktopCache(pictures);
        Scenario& s = change == Change::None    ? unchanged
                      : change == Change::Shown ? changed
                                                : changedUnseen;
        timed(s, round, republishRoot, republishRoot,
              [&] { return Publish(inst, republishRoot, &origins); });
    };
    const std::function<void(int)> steps[] = {runCp,
                                              [&](int r) { runFirst(r, false); },
                                              [&](int r) { runFirst(r, true); },
                                              [&](int r) { runRepublish(r, Change::None); },
                                              [&](int r) { runRepublish(r, Change::Shown); },
                                              [&](int r) { runRepublish(r, Change::Unseen); }};
    constexpr int kSteps = int(std::size(steps));
    for (int round = 0; round < runs; ++round) {
        // cp first, then the publishes; the next round the other way round.
        for (int k = 0; k < kSteps; ++k) steps[round % 2 ? kSteps - 1 - k : k](round);
    }

    // ---- the figures ----------------------------------------------------------------------
    std::printf("\nmedians of %d runs:\n", runs);
    for (const Scenario* s : {&cp, &first, &firstCached, &unchanged, &changed, &changedUnseen})
        std::printf("  %-42s %7.2f s  %7.1f MiB/s\n", s->label, s->MedianSeconds(),
                    s->MedianMiBs());
    const double cpMiBs = cp.MedianMiBs();
    // A first publish with an empty desktop cache decodes every camera picture for the copy's
    // thumbnails, which costs more than copying the picture: no goal, only its figure.
    std::printf("first publish, empty desktop cache: %.1f MiB/s (%.2fx cp -r)\n",
                first.MedianMiBs(), first.MedianMiBs() / cpMiBs);
    const double firstRatio = firstCached.MedianMiBs() / cpMiBs;
    const double unchangedRatio = firstCached.MedianSeconds() / unchanged.MedianSeconds();
    const double changedRatio = firstCached.MedianSeconds() / changed.MedianSeconds();
    // Pictures changed outside the program are decoded for their thumbnails: no goal, its figure.
    std::printf("republish, 10%% changed and never shown: %.2fx first publish\n",
                firstCached.MedianSeconds() / changedUnseen.MedianSeconds());

    // What the last republish bundled, against the files it was made from.
    const QString copy = QDir(republishRoot).filePath(QStringLiteral("Vistrel"));
    qint64 bundled = 0;
    for (const char* part : {"Vistrel", "lib", "plugins", "translations", "qt.conf"}) {
        const QString path = QDir(copy).filePath(QString::fromLatin1(part));
        const qint64 size =
            QFileInfo(path).isDir() ? SizeOf(FilesUnder(path)) : QFileInfo(path).size();
        std::printf("bundled %-13s %8.1f MiB\n", part, double(size) / kMiB);
        bundled += size;
    }
    const qint64 unstripped = QFileInfo(exe).size() + SizeOf(runtimeFiles);
    std::printf("bundled part %.1f MiB, from %.1f MiB unstripped: ratio %.2f\n",
                double(bundled) / kMiB, double(unstripped) / kMiB, double(bundled) / unstripped);
    if (!allOk) std::printf("some runs failed or shipped too few thumbnails: see above\n");

    FreedesktopThumbnails::WaitForWrites();
    QDir(work).removeRecursively();
    PrintGoal("publish_first_throughput", firstCached.MedianMiBs(), "MiB/s", firstRatio, "cp -r",
              ">=0.60x", firstRatio >= 0.60);
    PrintGoal("republish_unchanged", unchangedRatio, "x", unchangedRatio, "first publish", ">=5x",
              unchangedRatio >= 5);
    PrintGoal("republish_10pct_changed", changedRatio, "x", changedRatio, "first publish", ">=3x",
              changedRatio >= 3);
    return allOk ? 0 : 1;
}
