// Publishing speed: a whole publish (catalogue, data folder, executable, every picture and
// model file) against `cp -r` of the same media folder, in the same run.
//
// The authoring installation holds 500 products with four 2 MiB pictures each (the product
// picture and three documents) and 100 model files of 2 MiB (200 MiB), 4.1 GiB in all. Both
// copies start with the sources in the page cache and end when the copy is synced to disk;
// they alternate which goes first, twice. Prints both times, both throughputs and their ratio.
// The published copy carries the program's Qt runtime, so `cp` copies the same libraries and
// plugins too. Then prints the size of that bundled part against the unstripped files it was
// made from.
//
// Usage: bench_publish [folder] [products]   (default: the temp folder, 500; needs ~13 GiB)

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/CIniFile.h"
#include "bench/BenchSupport.h"
#include "publish/PublishCommand.h"
#include "publish/RuntimeBundle.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueSchema.h"
#include "store/Statements.h"

namespace {

constexpr qint64 kMiB = 1024 * 1024;

bool WriteSource(const QString& path, qint64 size, const QByteArray& pattern, quint32 seed) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QRandomGenerator rng(seed);
    for (qint64 left = size; left > 0;) {
        // Pieces of one random block at varying offsets: no two files share their data.
        const qint64 offset = rng.bounded(int(pattern.size() / 2));
        const qint64 n = std::min<qint64>(left, pattern.size() - offset);
        if (f.write(pattern.constData() + offset, n) != n) return false;
        left -= n;
    }
    return true;
}

void SyncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const int productCount = argc > 2 ? std::max(1, atoi(argv[2])) : 500;
    const QString work = QDir(base).filePath("bench_publish." + QString::number(getpid()));
    const QString inst = work + "/inst", media = work + "/media";
    struct statvfs st {};
    ::statvfs(QFile::encodeName(base).constData(), &st);
    const double freeGiB = double(st.f_bavail) * double(st.f_frsize) / double(1024 * kMiB);
    std::printf("bench_publish: %d products, folder %s, free %.1f GiB\n", productCount,
                qPrintable(work), freeGiB);
    if (freeGiB < productCount * 8.4 * 3 / 1024 + 1) {
        std::printf("not enough free space\n");
        return 1;
    }

    // The authoring installation: catalogue, configuration, an executable and the media.
    QDir().mkpath(inst + "/sysfile");
    QString error;
    if (!CatalogueSchema::CreateEmpty(CatalogueDb::CatalogueFile(inst + "/sysfile"), &error)) {
        std::printf("cannot write the catalogue: %s\n", qPrintable(error));
        return 1;
    }
    CIniFile(inst + "/sysfile/config.ini").WriteString("SysInfo", "发布状态", "0");
    QFile::copy(VISTREL_EXE, inst + "/vistrel");
    RuntimeBundle runtime(VISTREL_EXE);
    if (!runtime.Find()) std::printf("no runtime to bundle: %s\n", qPrintable(runtime.Why()));
    QStringList runtimeFiles = runtime.Libraries().values() + runtime.Plugins().values();
    runtimeFiles += runtime.Translations().values();

    QByteArray pattern(64 * kMiB, Qt::Uninitialized);
    QRandomGenerator rng(2024);
    for (qsizetype i = 0; i + 4 <= pattern.size(); i += 4) {
        const quint32 v = rng.generate();
        std::memcpy(pattern.data() + i, &v, 4);
    }
    std::printf("writing sources...\n");
    std::fflush(stdout);
    QList<QPair<const char*, QVariantList>> rows;
    qint64 bytes = 0;
    int files = 0;
    quint32 seed = 0;
    for (int c = 0; c < 10; ++c) rows.append({Sql::InsertCategory, {QString("类别%1").arg(c)}});
    for (int p = 0; p < productCount; ++p) {
        const QString cls = QString("类别%1").arg(p % 10), name = QString("产品%1@T%1").arg(p);
        QStringList sources;
        for (const char* doc : {"picture.jpg", "介绍.jpg", "加工.png", "参考.png"}) {
            sources << QString("%1/p%2/%3").arg(media).arg(p).arg(QString::fromUtf8(doc));
            if (!WriteSource(sources.last(), 2 * kMiB, pattern, ++seed)) return 1;
        }
        rows.append({Sql::InsertProduct,
                     {p, cls, name, "k", sources[0], sources[1], sources[2], sources[3]}});
        bytes += 8 * kMiB;
        files += 4;
        if (p < productCount / 5) {  // 200 MiB of model files over the first fifth
            const QString model = QString("%1/p%2/model%2.stp").arg(media).arg(p);
            if (!WriteSource(model, 2 * kMiB, pattern, ++seed)) return 1;
            rows.append({Sql::InsertModel, {cls, name, QString("model%1.stp").arg(p), 1, model}});
            bytes += 2 * kMiB;
            ++files;
        }
    }
    {
        CatalogueDb db;
        if (!db.Open(CatalogueDb::CatalogueFile(inst + "/sysfile")) || !db.ExecuteAll(rows)) {
            std::printf("cannot fill the catalogue\n");
            return 1;
        }
    }
    ::sync();
    std::printf("%d files, %.0f MiB\n", files, double(bytes) / kMiB);

    QList<double> publishTimes, cpTimes;
    bool allOk = true;
    for (int round = 0; round < 2; ++round) {
        for (int k = 0; k < 2; ++k) {
            const bool publish = (round == 0) == (k == 0);  // publish, cp; then cp, publish
            const QString dest = work + "/dest";
            QDir(dest).removeRecursively();
            QDir().mkpath(dest);
            ::sync();
            QElapsedTimer timer;
            timer.start();
            bool ok;
            if (publish) {
                QString out, err;
                QTextStream outStream(&out), errStream(&err);
                ok = PublishCommand::Run({inst, dest}, outStream, errStream) == 0;
                if (!ok) std::printf("publish failed: %s\n", qPrintable(err));
            } else {
                ok = QProcess::execute("cp", {"-r", "--", media, dest + "/media"}) == 0 &&
                     QDir().mkpath(dest + "/lib") &&
                     QProcess::execute("cp", QStringList{"-L", "--"} + runtimeFiles +
                                                 QStringList{dest + "/lib"}) == 0;
            }
            SyncFolder(dest);
            const double seconds = timer.nsecsElapsed() / 1e9;
            allOk = allOk && ok;
            (publish ? publishTimes : cpTimes) << seconds;
            std::printf("round %d %-8s %7.2f s  %7.1f MiB/s\n", round + 1,
                        publish ? "publish" : "cp -r", seconds, double(bytes) / kMiB / seconds);
            std::fflush(stdout);
        }
    }
    const double publishBest = *std::min_element(publishTimes.begin(), publishTimes.end());
    const double cpBest = *std::min_element(cpTimes.begin(), cpTimes.end());
    std::printf("best: publish %.2f s (%.1f MiB/s), cp -r %.2f s (%.1f MiB/s)\n", publishBest,
                double(bytes) / kMiB / publishBest, cpBest, double(bytes) / kMiB / cpBest);
    std::printf("throughput ratio publish/cp: %.2f (goal >= 0.90)\n", cpBest / publishBest);
    PrintGoal("publish_throughput", double(bytes) / kMiB / publishBest, "MiB/s",
              cpBest / publishBest, "cp -r", ">=0.90x", cpBest / publishBest >= 0.90);

    // The last run was a publish: what it bundled, against the files it came from.
    const auto sizeOf = [](const QString& path) {
        const QFileInfo info(path);
        if (!info.isDir()) return info.size();
        qint64 total = 0;
        QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) total += QFileInfo(it.next()).size();
        return total;
    };
    const QString copy = work + "/dest/Vistrel";
    qint64 bundled = 0, sources = QFileInfo(VISTREL_EXE).size();
    for (const char* part : {"Vistrel", "lib", "plugins", "translations", "qt.conf"}) {
        const qint64 size = sizeOf(copy + "/" + QString::fromLatin1(part));
        std::printf("bundled %-13s %8.1f MiB\n", part, double(size) / kMiB);
        bundled += size;
    }
    for (const QString& file : runtimeFiles) sources += sizeOf(file);
    std::printf("bundled part %.1f MiB, from %.1f MiB unstripped: ratio %.2f\n",
                double(bundled) / kMiB, double(sources) / kMiB, double(bundled) / sources);
    QDir(work).removeRecursively();
    return allOk ? 0 : 1;
}
