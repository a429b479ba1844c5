// The chunked file copy, the worker that runs a list of copies, and the job list.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <future>
#include <thread>

#include "TestFiles.h"
#include "publish/CopyJobList.h"
#include "publish/CopyWorker.h"
#include "publish/FileCopier.h"
#include "publish/FolderWork.h"

namespace {

using namespace TestFiles;

}  // namespace

class TestCopyFile : public QObject {
    Q_OBJECT
private slots:
    void copiesEveryByteInChunks_data();
    void copiesEveryByteInChunks();
    void replacesExistingDestinationWhole();
    void emptyFileReportsOnceAndCountsAsWhole();
    void failuresLeaveNothingBehind_data();
    void failuresLeaveNothingBehind();
    void stoppedCopyKeepsOldDestinationAndNoFragment();
    void sourceChangedDuringCopyFails_data();
    void sourceChangedDuringCopyFails();
    void staleTemporariesAreRemoved();
    void permissionsOfNewAndReplacedFiles();
    void safeFileNameStaysInsideFolder();
    void foldersMadeAndRemovedInBulk();
    void percentageTruncatesAndCapsAt100();
    void jobListKeepsOrderAndScratchAssembly();
    void workerStopsAtFirstFailure();
    void workerReportsEachPercentOnceAndGrowing();
    void workerDestroyedMidCopyStopsCleanly();
};

void TestCopyFile::copiesEveryByteInChunks_data() {
    QTest::addColumn<bool>("rangeCopy");
    QTest::addColumn<qint64>("size");
    QTest::newRow("range, uneven tail") << true << qint64(300 * 1024 + 17);
    QTest::newRow("read/write, uneven tail") << false << qint64(300 * 1024 + 17);
    QTest::newRow("read/write, one byte") << false << qint64(1);
}

void TestCopyFile::copiesEveryByteInChunks() {
    QFETCH(bool, rangeCopy);
    QFETCH(qint64, size);
    QTemporaryDir dir;
    const QString src = dir.filePath("src.bin");
    const QString dst = dir.filePath("out/dst.bin");
    QVERIFY(QDir(dir.path()).mkdir("out"));
    const QByteArray data = RandomBytes(size, 7);
    QVERIFY(WriteFile(src, data));

    FileCopier copier;
    copier.SetChunkSize(64 * 1024);
    copier.SetRangeCopy(rangeCopy);
    QList<qint64> reports;
    qint64 reportedTotal = -1;
    const auto result = copier.Copy(src, dst, [&](qint64 done, qint64 total) {
        reports.append(done);
        reportedTotal = total;
        return true;
    });
    QCOMPARE(result, FileCopier::Result::Copied);
    QVERIFY(copier.ErrorString().isEmpty());
    QCOMPARE(ReadFile(dst), data);
    QCOMPARE(reportedTotal, size);
    QVERIFY(!reports.isEmpty());
    QCOMPARE(reports.last(), size);
    for (int i = 1; i < reports.size(); ++i) {
        QVERIFY(reports[i] > reports[i - 1]);
        QVERIFY(reports[i] - reports[i - 1] <= 64 * 1024);
    }
    QCOMPARE(Entries(dir.filePath("out")), QStringList{"dst.bin"});
}

void TestCopyFile::replacesExistingDestinationWhole() {
    QTemporaryDir dir;
    const QString src = dir.filePath("new.stp");
    const QString dst = dir.filePath("old.stp");
    QVERIFY(WriteFile(src, "short"));
    QVERIFY(WriteFile(dst, RandomBytes(100000, 3)));  // longer: no old tail may survive
    FileCopier copier;
    QCOMPARE(copier.Copy(src, dst), FileCopier::Result::Copied);
    QCOMPARE(ReadFile(dst), QByteArray("short"));
    QCOMPARE(Entries(dir.path()), (QStringList{"new.stp", "old.stp"}));
    // A file copied onto itself stays whole.
    QCOMPARE(copier.Copy(dst, dst), FileCopier::Result::Copied);
    QCOMPARE(ReadFile(dst), QByteArray("short"));
}

void TestCopyFile::emptyFileReportsOnceAndCountsAsWhole() {
    QTemporaryDir dir;
    const QString src = dir.filePath("empty.stp");
    QVERIFY(WriteFile(src, {}));
    QVERIFY(WriteFile(dir.filePath("dst.stp"), "previous content"));
    FileCopier copier;
    QList<QPair<qint64, qint64>> reports;
    QCOMPARE(copier.Copy(src, dir.filePath("dst.stp"),
                         [&](qint64 done, qint64 total) {
                             reports.append({done, total});
                             return true;
                         }),
             FileCopier::Result::Copied);
    QCOMPARE(reports, (QList<QPair<qint64, qint64>>{{0, 0}}));
    QCOMPARE(QFileInfo(dir.filePath("dst.stp")).size(), 0);
    QCOMPARE(CopyWorker::Percentage(0, 0), 100);
}

void TestCopyFile::failuresLeaveNothingBehind_data() {
    QTest::addColumn<QString>("source");  // relative to the temp dir
    QTest::addColumn<QString>("destination");
    QTest::newRow("missing source") << "nothing.stp"
                                    << "out/a.stp";
    QTest::newRow("destination folder missing") << "a.stp"
                                                << "absent/a.stp";
    QTest::newRow("destination is a folder") << "a.stp"
                                             << "out/sub";
}

void TestCopyFile::failuresLeaveNothingBehind() {
    QFETCH(QString, source);
    QFETCH(QString, destination);
    QTemporaryDir dir;
    QDir root(dir.path());
    QVERIFY(root.mkpath("out/sub"));
    QVERIFY(root.mkdir("folder"));
    QVERIFY(WriteFile(dir.filePath("a.stp"), "data"));
    const QStringList before = Entries(dir.filePath("out"));
    FileCopier copier;
    const QString src = source.isEmpty() ? QString() : dir.filePath(source);
    QCOMPARE(copier.Copy(src, dir.filePath(destination)), FileCopier::Result::Failed);
    QVERIFY(!copier.ErrorString().isEmpty());
    QCOMPARE(Entries(dir.filePath("out")), before);
    QVERIFY(QFileInfo(dir.filePath("out/sub")).isDir());
    QCOMPARE(Entries(dir.path()), (QStringList{"a.stp", "folder", "out"}));
}

void TestCopyFile::stoppedCopyKeepsOldDestinationAndNoFragment() {
    for (bool rangeCopy : {true, false}) {
        QTemporaryDir dir;
        const QString src = dir.filePath("big.stp");
        QVERIFY(WriteFile(src, RandomBytes(1024 * 1024, 11)));
        QVERIFY(QDir(dir.path()).mkdir("out"));
        const QString dst = dir.filePath("out/big.stp");
        QVERIFY(WriteFile(dst, "the visitor's older copy"));
        FileCopier copier;
        copier.SetRangeCopy(rangeCopy);
        copier.SetChunkSize(64 * 1024);
        int calls = 0;
        const auto result = copier.Copy(src, dst, [&](qint64 done, qint64 total) {
            ++calls;
            return done < total / 2;
        });
        QCOMPARE(result, FileCopier::Result::Cancelled);
        QCOMPARE(calls, 8);  // stopped right at the report that said so
        QCOMPARE(ReadFile(dst), QByteArray("the visitor's older copy"));
        QCOMPARE(Entries(dir.filePath("out")), QStringList{"big.stp"});
    }
}

void TestCopyFile::permissionsOfNewAndReplacedFiles() {
    QTemporaryDir dir;
    const QString src = dir.filePath("src");
    QVERIFY(WriteFile(src, "x"));
    QVERIFY(::chmod(QFile::encodeName(src).constData(), 0664) == 0);
    // The copy keeps the source's modification time too.
    const QDateTime stamp = QDateTime::fromSecsSinceEpoch(1'500'000'000);
    {
        QFile f(src);
        QVERIFY(f.open(QIODevice::ReadWrite) &&
                f.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
    const QString replaced = dir.filePath("replaced");
    QVERIFY(WriteFile(replaced, "old"));
    QVERIFY(::chmod(QFile::encodeName(replaced).constData(), 0604) == 0);
    FileCopier copier;
    const mode_t oldMask = ::umask(0022);
    const auto fresh = copier.Copy(src, dir.filePath("fresh"));
    const auto over = copier.Copy(src, replaced);
    ::umask(oldMask);
    QCOMPARE(fresh, FileCopier::Result::Copied);
    QCOMPARE(over, FileCopier::Result::Copied);
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(dir.filePath("fresh")).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0664));  // the source's, not narrowed by the umask
    QCOMPARE(QFileInfo(dir.filePath("fresh")).lastModified(), stamp);
    QCOMPARE(::stat(QFile::encodeName(replaced).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0604));
    QCOMPARE(ReadFile(replaced), QByteArray("x"));
}

void TestCopyFile::sourceChangedDuringCopyFails_data() {
    QTest::addColumn<bool>("rangeCopy");
    QTest::addColumn<qint64>("newSize");  // what the other program leaves; 0: rewritten in place
    QTest::newRow("cut short, range copy") << true << qint64(100 * 1024);
    QTest::newRow("cut short, read/write") << false << qint64(100 * 1024);
    QTest::newRow("grown") << true << qint64(3 * 1024 * 1024);
    QTest::newRow("rewritten, same size") << false << qint64(0);
}

void TestCopyFile::sourceChangedDuringCopyFails() {
    QFETCH(bool, rangeCopy);
    QFETCH(qint64, newSize);
    QTemporaryDir dir;
    const QString src = dir.filePath("src.bin");
    QVERIFY(QDir(dir.path()).mkdir("out"));
    QVERIFY(WriteFile(src, RandomBytes(1024 * 1024, 9)));
    // An old modification time, so any change shows however coarse the file system's clock.
    const struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(src).constData(), old, 0), 0);

    // Another program changes the source once the copy is under way; the copy waits for it.
    std::promise<void> go;
    std::promise<void> done;
    std::thread other([&, start = go.get_future()] {
        start.wait();
        QFile f(src);
        if (f.open(QIODevice::ReadWrite)) {
            if (newSize > 0)
                f.resize(newSize);
            else
                f.write("rewritten");
        }
        f.close();
        done.set_value();
    });
    FileCopier copier;
    copier.SetChunkSize(64 * 1024);
    copier.SetRangeCopy(rangeCopy);
    int chunks = 0;
    const auto result = copier.Copy(src, dir.filePath("out/dst.bin"), [&](qint64, qint64) {
        if (++chunks == 1) {
            go.set_value();
            done.get_future().wait();
        }
        return true;
    });
    other.join();
    QCOMPARE(result, FileCopier::Result::Failed);
    QVERIFY(copier.ErrorString().contains(src));
    QCOMPARE(Entries(dir.filePath("out")), QStringList());
}

void TestCopyFile::staleTemporariesAreRemoved() {
    QTemporaryDir dir;
    const QStringList left{".vistrel-1f2e3d.part", ".vistrel-abc.part", ".vistrel-mine.part"};
    for (const QString& name : left) QVERIFY(WriteFile(dir.filePath(name), "x"));
    QVERIFY(WriteFile(dir.filePath("model.stp"), "data"));
    // A copy still running holds its file locked; "mine" is no name the copier gives.
    const int busy = ::open(QFile::encodeName(dir.filePath(left[1])).constData(), O_RDONLY);
    QCOMPARE(::flock(busy, LOCK_EX), 0);
    FileCopier copier;
    QCOMPARE(copier.Copy(dir.filePath("model.stp"), dir.filePath("copy.stp")),
             FileCopier::Result::Copied);
    ::close(busy);
    QCOMPARE(Entries(dir.path()), QStringList({left[1], left[2], "copy.stp", "model.stp"}));
}

void TestCopyFile::foldersMadeAndRemovedInBulk() {
    QTemporaryDir dir, outside;
    const QString root = dir.filePath("copy");
    QStringList folders{root, root + "/pic"};
    for (int c = 0; c < 5; ++c)
        for (int p = 0; p < 40; ++p)
            folders << QString("%1/pic/类别%2/产品 %3/3D模型").arg(root).arg(c).arg(p);
    // Parents the list leaves out are made too; folders already there count as made.
    QVERIFY(QDir().mkpath(root + "/pic/类别0"));
    QCOMPARE(FolderWork::MakeAll(folders), QString());
    QVERIFY(QFileInfo(root + "/pic/类别4/产品 39/3D模型").isDir());
    // A file where a folder should be is named.
    QVERIFY(WriteFile(root + "/blocked", "x"));
    QCOMPARE(FolderWork::MakeAll({root + "/blocked/inner"}), root + "/blocked/inner");

    // Removal never follows a link: what it points at stays.
    QVERIFY(WriteFile(outside.filePath("kept.txt"), "kept"));
    QVERIFY(QFile::link(outside.path(), root + "/pic/类别1/link"));
    QVERIFY(QFile::link(outside.filePath("kept.txt"), root + "/pic/file-link"));
    QVERIFY(WriteFile(root + "/pic/类别2/产品 3/3D模型/a.stp", "model"));
    QVERIFY(FolderWork::RemoveTree(root));
    QVERIFY(!QFileInfo::exists(root));
    QVERIFY(QFileInfo(outside.filePath("kept.txt")).isFile());
    QVERIFY(FolderWork::RemoveTree(root));  // gone already
}

void TestCopyFile::safeFileNameStaysInsideFolder() {
    QCOMPARE(FileCopier::SafeFileName("part.stp"), QString("part.stp"));
    QCOMPARE(FileCopier::SafeFileName("../evil.stp"), QString(".._evil.stp"));
    QCOMPARE(FileCopier::SafeFileName("a/b.stp"), QString("a_b.stp"));
    QCOMPARE(FileCopier::SafeFileName("..\\..\\x"), QString(".._.._x"));
    QCOMPARE(FileCopier::SafeFileName(" \t\x01 a\n.stp"), QString("___ a_.stp"));
    QCOMPARE(FileCopier::SafeFileName(QString::fromUtf16(u"part\u202Eptsx.exe")),
             QString("part_ptsx.exe"));
    for (const QString& name : {QString(".."), QString("."), QString(), QString("...")}) {
        const QString safe = FileCopier::SafeFileName(name);
        QVERIFY2(!safe.isEmpty() && safe != "." && safe != "..", qPrintable(safe));
        const QString path = QDir::cleanPath(QDir("/chosen").filePath(safe));
        QCOMPARE(QFileInfo(path).absolutePath(), QString("/chosen"));
    }
}

void TestCopyFile::percentageTruncatesAndCapsAt100() {
    QCOMPARE(CopyWorker::Percentage(2, 3), 66);
    QCOMPARE(CopyWorker::Percentage(999, 1000), 99);
    QCOMPARE(CopyWorker::Percentage(1500, 1000), 100);  // a file that grew while copied
    const qint64 big = qint64(5) * 1024 * 1024 * 1024;  // beyond 32 bits
    QCOMPARE(CopyWorker::Percentage(big - 1, big), 99);
}

void TestCopyFile::jobListKeepsOrderAndScratchAssembly() {
    CopyJobList list;
    list.Append("/a", "/b");
    QStringList scratch{"/c"};
    QVERIFY(!list.AppendFrom(scratch));  // half a job is not queued
    QCOMPARE(scratch, QStringList{"/c"});
    scratch.append("/d");
    QVERIFY(list.AppendFrom(scratch));
    QVERIFY(scratch.isEmpty());
    QCOMPARE(list.At(1), (CopyJob{"/c", "/d"}));
}

void TestCopyFile::workerStopsAtFirstFailure() {
    QTemporaryDir dir;
    QVERIFY(WriteFile(dir.filePath("1"), "one"));
    QVERIFY(WriteFile(dir.filePath("3"), "three"));
    std::atomic<bool> finished{false};
    CopyWorker worker({{dir.filePath("1"), dir.filePath("1.out")},
                       {dir.filePath("2"), dir.filePath("2.out")},
                       {dir.filePath("3"), dir.filePath("3.out")}},
                      &finished);
    QSignalSpy failed(&worker, &CopyWorker::fileFailed);
    QSignalSpy copied(&worker, &CopyWorker::fileCopied);
    worker.start();
    QVERIFY(worker.wait(10000));
    QVERIFY(finished.load());
    QCOMPARE(worker.Outcomes()[0].status, CopyOutcome::Copied);
    QCOMPARE(worker.Outcomes()[1].status, CopyOutcome::Failed);
    QVERIFY(!worker.Outcomes()[1].error.isEmpty());
    QCOMPARE(worker.Outcomes()[2].status, CopyOutcome::NotCopied);
    QTRY_COMPARE(failed.size(), 1);
    QCOMPARE(failed[0][0].toInt(), 1);
    QCOMPARE(copied.size(), 1);
    QVERIFY(!QFile::exists(dir.filePath("3.out")));
}

void TestCopyFile::workerReportsEachPercentOnceAndGrowing() {
    QTemporaryDir dir;
    // 1000 chunks of 1 KiB: far more chunks than percent steps.
    QVERIFY(WriteFile(dir.filePath("a"), RandomBytes(1000 * 1024, 5)));
    QVERIFY(WriteFile(dir.filePath("b"), RandomBytes(3 * 1024, 6)));
    CopyWorker worker(
        {{dir.filePath("a"), dir.filePath("a.out")}, {dir.filePath("b"), dir.filePath("b.out")}},
        nullptr);
    worker.SetChunkSize(1024);
    QSignalSpy percents(&worker, &CopyWorker::percentChanged);
    worker.start();
    QVERIFY(worker.wait(20000));
    QTRY_VERIFY(!percents.isEmpty());
    QList<int> first, second;
    for (const auto& args : percents)
        (args[0].toInt() == 0 ? first : second).append(args[1].toInt());
    QCOMPARE(first.size(), 100);  // 1 … 100, each once
    for (int i = 0; i < first.size(); ++i) QCOMPARE(first[i], i + 1);
    QCOMPARE(second, (QList<int>{33, 66, 100}));
}

void TestCopyFile::workerDestroyedMidCopyStopsCleanly() {
    QTemporaryDir dir;
    QVERIFY(WriteFile(dir.filePath("big"), RandomBytes(2 * 1024 * 1024, 9)));
    std::atomic<int> chunks{0};
    auto* worker = new CopyWorker({{dir.filePath("big"), dir.filePath("big.out")},
                                   {dir.filePath("big"), dir.filePath("again.out")}},
                                  nullptr);
    worker->SetChunkSize(4096);
    worker->SetChunkObserver([&](int, qint64, qint64) {
        ++chunks;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    worker->start();
    QTRY_VERIFY(chunks.load() >= 3);
    delete worker;  // cancels and waits
    QVERIFY(chunks.load() < 512);
    QCOMPARE(Entries(dir.path()), QStringList{"big"});
}

QTEST_GUILESS_MAIN(TestCopyFile)
#include "tst_copyfile.moc"
