// File copy speed: the copy worker against `cp`, on the same files in the same run.
//
// Two sets: 200 files of 10 MiB and one file of 1 GiB. Each set is copied into a new folder by
// the worker (as the progress dialog runs it, progress reports delivered to this thread) and by
// GNU cp, alternating which goes first. Two conditions, each prepared the same way before every
// copy: "cold" (the sources' pages evicted from the page cache, time includes syncing the copies
// to disk) and "warm" (sources read into the page cache first, time until the copy returns).
// Only the benchmark's own files are evicted (fsync, then POSIX_FADV_DONTNEED), so other
// programs on the machine keep their cache; the share of source pages still resident after an
// eviction is printed. Prints the median of the runs of both, both throughputs, their ratio,
// and the most progress updates any file produced.
//
// Usage: bench_copy [folder] [runs]   (default: the system temp folder and 5 runs of each;
// needs about 7 GiB free)
//
// clang-format off
// Ends with one line per goal (BenchSupport.h, GoalLine):
//   GOAL copy_throughput_worst_case: <figure> MiB/s (<ratio>x cp) target >=0.90x MET|MISSED
// clang-format on

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "bench/BenchSupport.h"
#include "publish/CopyWorker.h"

namespace {

constexpr qint64 kMiB = 1024 * 1024;

struct Set {
    const char* label;
    QStringList sources;
    qint64 bytes = 0;
};

double FreeGiB(const QString& folder) {
    struct statvfs st {};
    if (::statvfs(QFile::encodeName(folder).constData(), &st) != 0) return 0;
    return double(st.f_bavail) * double(st.f_frsize) / double(1024 * kMiB);
}

bool WriteSource(const QString& path, qint64 size, const QByteArray& pattern, quint32 seed) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QRandomGenerator rng(seed);
    qint64 left = size;
    while (left > 0) {
        // Pieces of one random block at varying offsets: no two files share their data.
        const qint64 offset = rng.bounded(int(pattern.size() / 2));
        const qint64 n = std::min<qint64>(left, pattern.size() - offset);
        if (f.write(pattern.constData() + offset, n) != n) return false;
        left -= n;
    }
    return true;
}

void ReadAll(const QStringList& files) {
    std::vector<char> buffer(8 * kMiB);
    for (const QString& file : files) {
        const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
        if (fd < 0) continue;
        while (::read(fd, buffer.data(), buffer.size()) > 0) {
        }
        ::close(fd);
    }
}

// Writes the files' dirty pages and drops their cached pages; a page still dirty could not go.
void Evict(const QStringList& files) {
    for (const QString& file : files) {
        const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
        if (fd < 0) continue;
        ::fsync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

// Share of the files' pages in the page cache (0..1), by mincore over a read-only mapping.
double ResidentShare(const QStringList& files) {
    const long page = ::sysconf(_SC_PAGESIZE);
    qint64 pages = 0;
    qint64 resident = 0;
    for (const QString& file : files) {
        const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
        if (fd < 0) continue;
        const qint64 size = QFileInfo(file).size();
        void* map = size > 0 ? ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0) : MAP_FAILED;
        if (map != MAP_FAILED) {
            std::vector<unsigned char> vec((size + page - 1) / page);
            if (::mincore(map, size, vec.data()) == 0) {
                pages += qint64(vec.size());
                for (unsigned char v : vec) resident += v & 1;
            }
            ::munmap(map, size);
        }
        ::close(fd);
    }
    return pages ? double(resident) / double(pages) : 0;
}

QString Joined(const QList<double>& values) {
    QStringList parts;
    for (double v : values) parts << QString::number(v, 'f', 2);
    return parts.join(QLatin1Char(' '));
}

void SyncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

struct Run {
    double seconds = 0;
    int maxUpdatesPerFile = 0;
    bool ok = false;
};

Run CopyWithWorker(const Set& set, const QString& dest, bool includeSync) {
    QList<CopyJob> jobs;
    for (const QString& src : set.sources)
        jobs.append({src, QDir(dest).filePath(QFileInfo(src).fileName())});
    std::atomic<bool> finished{false};
    CopyWorker worker(jobs, &finished);
    std::map<int, int> updates;
    int failures = 0;
    QObject receiver;
    QObject::connect(
        &worker, &CopyWorker::percentChanged, &receiver, [&](int index, int) { ++updates[index]; },
        Qt::QueuedConnection);
    QObject::connect(
        &worker, &CopyWorker::fileFailed, &receiver, [&](int, const QString&) { ++failures; },
        Qt::QueuedConnection);
    QEventLoop loop;
    QObject::connect(&worker, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QElapsedTimer timer;
    timer.start();
    worker.start();
    loop.exec();
    worker.wait();
    QCoreApplication::sendPostedEvents();
    if (includeSync) SyncFolder(dest);
    Run run;
    run.seconds = timer.nsecsElapsed() / 1e9;
    for (const auto& [index, count] : updates)
        run.maxUpdatesPerFile = std::max(run.maxUpdatesPerFile, count);
    run.ok = failures == 0 && finished.load();
    for (const CopyOutcome& o : worker.Outcomes())
        run.ok = run.ok && o.status == CopyOutcome::Copied;
    return run;
}

Run CopyWithCp(const Set& set, const QString& dest, bool includeSync) {
    QStringList args{"--"};
    args += set.sources;
    args << dest;
    QElapsedTimer timer;
    timer.start();
    const int rc = QProcess::execute("cp", args);
    if (includeSync) SyncFolder(dest);
    Run run;
    run.seconds = timer.nsecsElapsed() / 1e9;
    run.ok = rc == 0;
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const int runs = argc > 2 ? std::max(5, QString::fromLocal8Bit(argv[2]).toInt()) : 5;
    const QString work = QDir(base).filePath("bench_copy." + QString::number(getpid()));
    const double freeGiB = FreeGiB(base);
    std::printf("bench_copy: folder %s, free %.1f GiB\n", qPrintable(work), freeGiB);
    if (freeGiB < 7.5) {
        std::printf("not enough free space (needs about 7 GiB)\n");
        return 1;
    }
    QDir().mkpath(work + "/src");

    QByteArray pattern(64 * kMiB, Qt::Uninitialized);
    QRandomGenerator rng(2024);
    for (qsizetype i = 0; i + 4 <= pattern.size(); i += 4) {
        const quint32 v = rng.generate();
        std::memcpy(pattern.data() + i, &v, 4);
    }
    Set small{"200 x 10 MiB", {}, 0};
    Set large{"1 x 1 GiB", {}, 0};
    std::printf("writing sources...\n");
    for (int i = 0; i < 200; ++i) {
        const QString path =
            QDir(work).filePath(QString("src/part%1.stp").arg(i, 3, 10, QChar('0')));
        if (!WriteSource(path, 10 * kMiB, pattern, i)) return 1;
        small.sources << path;
        small.bytes += 10 * kMiB;
    }
    const QString bigPath = QDir(work).filePath("src/assembly.stp");
    if (!WriteSource(bigPath, 1024 * kMiB, pattern, 999)) return 1;
    large.sources << bigPath;
    large.bytes = 1024 * kMiB;
    ::sync();

    std::printf("runs of each copier and condition: %d (median printed)\n", runs);
    int maxUpdates = 0;
    double worstResident = 0;
    bool allOk = true;
    double worstRatio = 1e9, worstThroughput = 0;
    for (const bool cold : {true, false}) {
        for (const Set* set : {&small, &large}) {
            QList<double> workerTimes, cpTimes;
            for (int round = 0; round < runs; ++round) {
                for (int k = 0; k < 2; ++k) {
                    const bool useWorker = (round % 2 == 0) == (k == 0);  // W,cp then cp,W
                    const QString dest = QDir(work).filePath("dest");
                    QDir(dest).removeRecursively();
                    QDir().mkpath(dest);
                    if (cold) {
                        Evict(set->sources);
                        worstResident = std::max(worstResident, ResidentShare(set->sources));
                    } else {
                        ::sync();
                        ReadAll(set->sources);
                    }
                    const Run run =
                        useWorker ? CopyWithWorker(*set, dest, cold) : CopyWithCp(*set, dest, cold);
                    allOk = allOk && run.ok;
                    (useWorker ? workerTimes : cpTimes) << run.seconds;
                    maxUpdates = std::max(maxUpdates, run.maxUpdatesPerFile);
                    QDir(dest).removeRecursively();
                }
            }
            const double w = MedianOfRuns(workerTimes);
            const double c = MedianOfRuns(cpTimes);
            const double mb = set->bytes / double(kMiB);
            std::printf(
                "%-13s %-22s worker %6.2f s (%6.0f MiB/s)  cp %6.2f s (%6.0f MiB/s)  "
                "worker/cp throughput %.2f   [runs: worker %s; cp %s]\n",
                set->label, cold ? "cold, incl. sync:" : "warm sources, no sync:", w, mb / w, c,
                mb / c, c / w, qPrintable(Joined(workerTimes)), qPrintable(Joined(cpTimes)));
            if (c / w < worstRatio) {
                worstRatio = c / w;
                worstThroughput = mb / w;
            }
        }
    }
    std::printf("source pages still cached after an eviction: at most %.1f%%\n",
                worstResident * 100);
    std::printf("most progress updates for one file: %d (limit 100)\n", maxUpdates);
    std::printf("all copies complete: %s\n", allOk ? "yes" : "NO");
    PrintGoal("copy_throughput_worst_case", worstThroughput, "MiB/s", worstRatio, "cp", ">=0.90x",
              allOk && worstRatio >= 0.90);
    QDir(work).removeRecursively();
    return allOk ? 0 : 1;
}
