#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include "ScopedInstallation.h"
#include "ScriptedPrompter.h"
#include "app/CCatalogueApp.h"
#include "app/CSplashDlg.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueRecordset.h"
#include "store/CatalogueSchema.h"
#include "store/Statements.h"

namespace {
const QString kFailed = QStringLiteral("       抱歉，连接数据库失败！");

void Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList Listing(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// One start-up with the prompter scripted and the main window replaced by a recorder.
struct Run {
    bool mainRan = false;
    int modeDuringMain = -1;
    bool dbOpenDuringMain = false;
    bool splashGoneBeforeMain = false;
    QString categoryRead;
    QStringList notices;
    bool result = true;
};

// Runs within a ScopedInstallation, which puts the application's state back afterwards.
Run Start(const QString& exe, bool splash = false) {
    Run run;
    ScriptedPrompter prompter;
    theApp.m_showSplash = splash;
    theApp.m_splashStepMs = 0;
    theApp.m_splashHoldMs = 0;
    theApp.thumbListMode = 2;
    theApp.m_runMainWindow = [&] {
        run.mainRan = true;
        run.modeDuringMain = theApp.thumbListMode;
        run.dbOpenDuringMain = theApp.m_db && theApp.m_db->IsOpen();
        run.splashGoneBeforeMain = true;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<CSplashDlg*>(w) && w->isVisible()) run.splashGoneBeforeMain = false;
        CatalogueRecordset rs(theApp.m_db.get());
        if (rs.OpenRecordset(Sql::SelectCategories) && !rs.IsEOF())
            run.categoryRead = rs.GetFieldString(2);
    };
    run.result = theApp.InitInstanceAt(exe);
    run.notices = prompter.Notices();
    return run;
}

// An installation whose folder names hold blanks and Chinese characters, with an empty data
// folder: start-up itself finds and connects it.
ScopedInstallation::Options Unstarted() {
    return {.publishState = QString(),
            .skin = false,
            .catalogue = false,
            .folders = {},
            .subfolder = QStringLiteral("我的 产品目录/安装 1")};
}

void GoodCatalogue(const ScopedInstallation& inst,
                   const QString& category = QStringLiteral("阀门")) {
    const QString file = CatalogueDb::CatalogueFile(inst.sysfile);
    QVERIFY(CatalogueSchema::CreateEmpty(file));
    CatalogueDb db;
    QVERIFY(db.Open(file));
    QVERIFY(db.ExecuteSql(Sql::InsertCategory, {category}));
}
}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void goodCatalogueRunsMainWindow();
    void badCatalogueEndsWithNotice_data();
    void badCatalogueEndsWithNotice();
    void failedStartEndsWithCodeAndReason();
    void subFolderUsesParentsDataFolder();
    void withoutInstallationOpensUsersOwnCatalogue();
};

void TestStartup::goodCatalogueRunsMainWindow() {
    ScopedInstallation inst(Unstarted());
    GoodCatalogue(inst);
    QDir().mkpath(inst.sysfile + QStringLiteral("/config.ini"));  // a folder reads as missing
    const Run run = Start(inst.exe, true);  // the cover window without a picture of its own
    QVERIFY(!run.result);                   // start-up always ends the program when it returns
    QVERIFY(run.mainRan);
    QVERIFY(run.splashGoneBeforeMain);
    QCOMPARE(run.modeDuringMain, 1);
    QVERIFY(run.dbOpenDuringMain);
    QCOMPARE(run.categoryRead, QStringLiteral("阀门"));
    QCOMPARE(run.notices, QStringList{});
    QCOMPARE(theApp.ExitCode(), 0);
    QCOMPARE(theApp.m_paths.picFolder, inst.root + QStringLiteral("/pic"));
    QVERIFY(!theApp.IsPublished());
}

void TestStartup::badCatalogueEndsWithNotice_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    const QString notSqlite = "not a catalogue (no SQLite database)";
    QTest::newRow("missing") << "missing"
                             << "missing";
    QTest::newRow("text file") << "text" << notSqlite;
    QTest::newRow("few columns") << "fewcolumns"
                                 << "not a catalogue: table [小类表] has 3 of its 13 columns";
    QTest::newRow("folder") << "folder"
                            << "not a file";
}

void TestStartup::badCatalogueEndsWithNotice() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    ScopedInstallation inst(Unstarted());
    const QString file = CatalogueDb::CatalogueFile(inst.sysfile);
    if (kind == "text") Write(file, "[SysInfo]\r\n这只是文字，不是数据库。\r\n");
    if (kind == "folder") QDir().mkpath(file);
    if (kind == "fewcolumns") {
        QVERIFY(CatalogueSchema::CreateEmpty(file));
        CatalogueDb db;
        QVERIFY(db.Open(file));
        for (const char* s : {"drop table [小类表]", "create table [小类表] (a, b, c)"})
            QVERIFY(db.Database().exec(s).lastError().type() == QSqlError::NoError);
    }
    const QStringList before = Listing(inst.sysfile);
    const qint64 sizeBefore = QFileInfo(file).size();

    const Run run = Start(inst.exe);
    QVERIFY(!run.result);
    QVERIFY(!run.mainRan);
    QCOMPARE(run.notices, QStringList{kFailed});
    QCOMPARE(theApp.StartupFailure(), file + ": " + reason);
    QCOMPARE(theApp.ExitCode(), 1);
    QVERIFY(!theApp.m_db);
    // Nothing was created or changed in the data folder.
    QCOMPARE(Listing(inst.sysfile), before);
    QCOMPARE(QFileInfo(file).size(), sizeBefore);
    QCOMPARE(QFileInfo::exists(file), kind != "missing");
}

// The program itself, cover window included: a start-up failure ends it with exit code 1 and
// one line on standard error that names the file and what is wrong with it.
void TestStartup::failedStartEndsWithCodeAndReason() {
    ScopedInstallation inst(Unstarted());
    QVERIFY(QFile::copy(QStringLiteral(VISTREL_EXE), inst.exe));
    const QString reasons[] = {CatalogueDb::CatalogueFile(inst.sysfile) + ": missing",
                               inst.sysfile + "/top.bmp: bitmap missing"};
    for (int i = 0; i < 2; ++i) {
        if (i == 1) GoodCatalogue(inst);  // a catalogue, but no skin
        QProcess program;
        program.start(inst.exe, {});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 1);
        // Our one line; Qt may add warnings of its own.
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(err.split('\n').filter(QRegularExpression("^vistrel: ")),
                 QStringList{"vistrel: " + reasons[i]});
        if (i == 0) QCOMPARE(Listing(inst.sysfile), QStringList{});  // nothing created
    }
}

void TestStartup::subFolderUsesParentsDataFolder() {
    ScopedInstallation inst(Unstarted());
    GoodCatalogue(inst, QStringLiteral("父目录的类"));
    Write(inst.sysfile + QStringLiteral("/config.ini"),
          QByteArray("[SysInfo]\r\n\xB7\xA2\xB2\xBC\xD7\xB4\xCC\xAC=0\r\n"));  // GBK
    const QString exe = inst.root + QStringLiteral("/工具 bin/vistrel");
    QDir().mkpath(inst.root + QStringLiteral("/工具 bin"));
    const Run run = Start(exe);
    QVERIFY(run.mainRan);
    QCOMPARE(run.categoryRead, QStringLiteral("父目录的类"));
    QCOMPARE(theApp.m_paths.dataFolder, inst.sysfile);
    QCOMPARE(theApp.m_paths.picFolder, inst.root + QStringLiteral("/工具 bin/pic"));
    QVERIFY(!theApp.IsPublished());
}

// An installed program (<prefix>/bin/vistrel, skin in <prefix>/share/vistrel/skin) has no
// installation beside it: it makes the user's own under $XDG_DATA_HOME/vistrel once and then
// keeps working on it.
void TestStartup::withoutInstallationOpensUsersOwnCatalogue() {
    ScopedInstallation inst(Unstarted());
    const QString prefix = inst.root + QStringLiteral("/prefix");
    const QString skin = prefix + QStringLiteral("/share/vistrel/skin");
    Write(skin + QStringLiteral("/top.bmp"), "top");
    Write(skin + QStringLiteral("/返回1.bmp"), "back");
    const QString xdg = inst.root + QStringLiteral("/数据 home");
    const QByteArray savedXdg = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", xdg.toLocal8Bit());
    const QString user = xdg + QStringLiteral("/vistrel/sysfile");

    Run run = Start(prefix + QStringLiteral("/bin/vistrel"));
    QVERIFY(run.mainRan);
    QCOMPARE(run.notices, QStringList{});
    QCOMPARE(theApp.m_paths.dataFolder, user);
    QCOMPARE(theApp.PublishState(), QStringLiteral("0"));
    QCOMPARE(Listing(user), (QStringList{"config.ini", "top.bmp", "数据.db", "返回1.bmp"}));
    QCOMPARE(run.categoryRead, QString());  // empty

    // The second start keeps what the user made, and completes what is missing.
    QVERIFY(theApp.m_db->ExecuteSql(Sql::InsertCategory, {QStringLiteral("我的类")}));
    theApp.ExitInstance();
    QVERIFY(QFile::remove(user + QStringLiteral("/top.bmp")));
    Write(user + QStringLiteral("/返回1.bmp"), "edited");
    run = Start(prefix + QStringLiteral("/bin/vistrel"));
    QCOMPARE(run.categoryRead, QStringLiteral("我的类"));
    QVERIFY(QFileInfo::exists(user + QStringLiteral("/top.bmp")));
    QFile edited(user + QStringLiteral("/返回1.bmp"));
    QVERIFY(edited.open(QIODevice::ReadOnly));
    QCOMPARE(edited.readAll(), QByteArray("edited"));

    qputenv("XDG_DATA_HOME", savedXdg);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
