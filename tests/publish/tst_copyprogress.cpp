// The progress dialog that runs the queued copies: texts, percentages, closing, cancelling.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <numeric>
#include <thread>

#include "ControlIds.h"
#include "TestFiles.h"
#include "app/MessageBox.h"
#include "publish/CProgressDlg.h"
#include "publish/CopyQueue.h"

namespace {

using namespace TestFiles;

// Records every text the two lines show during a run.
struct Recorder {
    QStringList status;
    QStringList file;
    explicit Recorder(CProgressDlg& dlg) {
        QObject::connect(&dlg, &CProgressDlg::statusTextChanged, &dlg,
                         [this](const QString& t) { status << t; });
        QObject::connect(&dlg, &CProgressDlg::fileTextChanged, &dlg,
                         [this](const QString& t) { file << t; });
    }
};

void MakeQuick(CProgressDlg& dlg) {
    dlg.SetPollInterval(5);
    dlg.SetCloseDelay(5);
}

QString Pct(int p) {
    return QStringLiteral("已复制%1%，请勿退出程序").arg(p);
}

}  // namespace

class TestCopyProgress : public QObject {
    Q_OBJECT
private slots:
    void init() { m_queue.jobs.RemoveAll(); }
    void emptyListClosesByItselfAfterThePause();
    void missingMiddleFileStopsTheRun();
    void percentagesGrowAndBarResetsBetweenFiles();
    void secondsComeFromTheMonotonicClock();
    void cancelStopsMidFileAndLeavesNoFragment_data();
    void cancelStopsMidFileAndLeavesNoFragment();

private:
    CopyQueue m_queue;
};

void TestCopyProgress::emptyListClosesByItselfAfterThePause() {
    CProgressDlg dlg(m_queue);
    QCOMPARE(dlg.windowTitle(), QString("正在处理文件，请稍后..."));
    Recorder rec(dlg);
    dlg.SetPollInterval(5);
    dlg.SetCloseDelay(250);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(dlg.DoModal(), IDOK);
    QVERIFY2(clock.elapsed() >= 200, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(rec.status.last(), QString("复制中，请勿退出程序"));
    QVERIFY(dlg.AllCopied());
}

void TestCopyProgress::missingMiddleFileStopsTheRun() {
    QTemporaryDir dir;
    QVERIFY(WriteFile(dir.filePath("a.stp"), {}));  // an empty file is copied whole: 100 %
    QVERIFY(WriteFile(dir.filePath("c.stp"), "third"));
    QVERIFY(QDir(dir.path()).mkdir("out"));
    m_queue.jobs.Append(dir.filePath("a.stp"), dir.filePath("out/a.stp"));
    m_queue.jobs.Append(dir.filePath("missing.stp"), dir.filePath("out/b.stp"));
    m_queue.jobs.Append(dir.filePath("c.stp"), dir.filePath("out/c.stp"));
    const CopyJobList before = m_queue.jobs;

    CProgressDlg dlg(m_queue);
    Recorder rec(dlg);
    MakeQuick(dlg);
    QCOMPARE(dlg.DoModal(), IDOK);  // closes by itself after a failure too
    QCOMPARE(ReadFile(dir.filePath("out/a.stp")), QByteArray());
    QCOMPARE(Entries(dir.filePath("out")), QStringList{"a.stp"});
    QVERIFY(rec.status.contains(Pct(100)));
    QCOMPARE(rec.status.last(), QString("复制出错，请检查路径是否正确"));
    QCOMPARE(rec.file, (QStringList{"", "正在复制 " + dir.filePath("a.stp") + " 文件",
                                    "当前累计复制文件，花费0秒",
                                    "正在复制 " + dir.filePath("missing.stp") + " 文件"}));
    QCOMPARE(dlg.Results()[1].status, CopyOutcome::Failed);
    QCOMPARE(dlg.Results()[2].status, CopyOutcome::NotCopied);
    // The list keeps this run's jobs until the next caller empties it.
    QCOMPARE(m_queue.jobs.Jobs(), before.Jobs());
}

void TestCopyProgress::percentagesGrowAndBarResetsBetweenFiles() {
    QTemporaryDir dir;
    QVERIFY(WriteFile(dir.filePath("one"), RandomBytes(600 * 1024 + 5, 2)));
    QVERIFY(WriteFile(dir.filePath("two"), RandomBytes(300 * 1024, 3)));
    m_queue.jobs.Append(dir.filePath("one"), dir.filePath("one.out"));
    m_queue.jobs.Append(dir.filePath("two"), dir.filePath("two.out"));
    CProgressDlg dlg(m_queue);
    MakeQuick(dlg);
    dlg.SetChunkSize(1024);  // hundreds of chunks a file
    auto* bar = dlg.findChild<QProgressBar*>(Ids::Progress::kBar);
    QList<QList<int>> percents;
    QList<QPair<bool, int>> barAtFileStart;  // hidden?, value
    connect(&dlg, &CProgressDlg::fileTextChanged, &dlg, [&](const QString& t) {
        if (!t.startsWith("正在复制")) return;
        barAtFileStart.append({bar->isHidden(), bar->value()});
        percents.append(QList<int>());
    });
    static const QRegularExpression pct("^已复制(\\d+)%，请勿退出程序$");
    connect(&dlg, &CProgressDlg::statusTextChanged, &dlg, [&](const QString& t) {
        const auto m = pct.match(t);
        if (m.hasMatch()) {
            QVERIFY(!percents.isEmpty());
            QVERIFY(bar->isVisible());
            QCOMPARE(bar->value(), m.captured(1).toInt());
            percents.last().append(m.captured(1).toInt());
        }
    });
    QCOMPARE(dlg.DoModal(), IDOK);
    QVERIFY(dlg.AllCopied());
    // Hundreds of chunks a file: every whole percent once, growing.
    QList<int> every(100);
    std::iota(every.begin(), every.end(), 1);
    QCOMPARE(percents, (QList<QList<int>>{every, every}));
    QCOMPARE(barAtFileStart, (QList<QPair<bool, int>>{{true, 0}, {true, 0}}));
    QVERIFY(bar->isHidden());
    QCOMPARE(bar->value(), 0);
}

void TestCopyProgress::secondsComeFromTheMonotonicClock() {
    QTemporaryDir dir;
    QVERIFY(WriteFile(dir.filePath("a"), "a"));
    QVERIFY(WriteFile(dir.filePath("b"), "b"));
    m_queue.jobs.Append(dir.filePath("a"), dir.filePath("a.out"));
    m_queue.jobs.Append(dir.filePath("b"), dir.filePath("b.out"));
    CProgressDlg dlg(m_queue);
    Recorder rec(dlg);
    MakeQuick(dlg);
    // Start of file a at 23:59:58.6, its end at 00:00:01.1 the next day (2.5 s), then b 61.9 s.
    const qint64 day = 24 * 3600 * 1000;
    const QList<qint64> ticks{day - 1400, day + 1100, day + 1100, day + 63000};
    std::atomic<int> next{0};
    dlg.SetClock([&] { return ticks.value(next++, ticks.last()); });
    QCOMPARE(dlg.DoModal(), IDOK);
    QVERIFY(rec.status.contains("当前文件复制，花费2秒"));
    QCOMPARE(rec.status.last(), QString("当前文件复制，花费61秒"));
    QVERIFY(rec.file.contains("当前累计复制文件，花费2秒"));
    QCOMPARE(rec.file.last(), QString("当前累计复制文件，花费63秒"));
}

void TestCopyProgress::cancelStopsMidFileAndLeavesNoFragment_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("button") << "button";
    QTest::newRow("window close") << "close";
}

void TestCopyProgress::cancelStopsMidFileAndLeavesNoFragment() {
    QFETCH(QString, how);
    QTemporaryDir dir;
    const QByteArray big = RandomBytes(4 * 1024 * 1024, 4);
    QVERIFY(WriteFile(dir.filePath("big.stp"), big));
    QVERIFY(WriteFile(dir.filePath("small.stp"), "small"));
    QVERIFY(QDir(dir.path()).mkdir("out"));
    QVERIFY(WriteFile(dir.filePath("out/big.stp"), "older copy"));
    m_queue.jobs.Append(dir.filePath("big.stp"), dir.filePath("out/big.stp"));
    m_queue.jobs.Append(dir.filePath("small.stp"), dir.filePath("out/small.stp"));

    CProgressDlg dlg(m_queue);
    Recorder rec(dlg);
    dlg.SetPollInterval(5);
    dlg.SetCloseDelay(60000);  // a cancelled run must not wait for the pause
    dlg.SetChunkSize(64 * 1024);
    // The worker holds at half the file until the visitor's cancel has been given.
    std::atomic<bool> halfway{false}, cancelled{false};
    std::atomic<int> chunksAfterCancel{0};
    dlg.SetChunkObserver([&](int, qint64 done, qint64 total) {
        if (cancelled.load()) ++chunksAfterCancel;
        if (done >= total / 2 && !halfway.exchange(true)) {
            for (int i = 0; i < 10000 && !cancelled.load(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    QTimer poll;
    connect(&poll, &QTimer::timeout, &dlg, [&] {
        if (!halfway.load() || cancelled.load() || !dlg.isVisible()) return;
        if (how == "button")
            QTest::mouseClick(dlg.findChild<QPushButton*>("2"), Qt::LeftButton);
        else
            dlg.close();
        cancelled.store(true);
    });
    poll.start(2);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(dlg.DoModal(), IDCANCEL);
    QVERIFY(clock.elapsed() < 30000);
    QVERIFY(cancelled.load());
    QCOMPARE(chunksAfterCancel.load(), 0);  // stopped at the chunk it was on
    QCOMPARE(dlg.Results()[0].status, CopyOutcome::Cancelled);
    QCOMPARE(dlg.Results()[1].status, CopyOutcome::NotCopied);
    QCOMPARE(ReadFile(dir.filePath("out/big.stp")), QByteArray("older copy"));
    QCOMPARE(Entries(dir.filePath("out")), QStringList{"big.stp"});
    QVERIFY(!rec.status.contains("复制出错，请检查路径是否正确"));
}

QTEST_MAIN(TestCopyProgress)
#include "tst_copyprogress.moc"
