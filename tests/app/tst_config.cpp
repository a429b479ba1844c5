// config.ini reading and writing, GBK text, the installation's folders and dialog units.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/CIniFile.h"
#include "app/DialogUnits.h"
#include "app/GbkCodec.h"
#include "app/InstallPaths.h"

namespace {
const QString kSection = QStringLiteral("SysInfo");
const QString kKey = QStringLiteral("发布状态");

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The configuration line in GBK bytes: "发布状态=<value>".
QByteArray GbkLine(const QString& key, const QString& value) {
    return GbkCodec::Encode(key) + '=' + value.toLatin1();
}
}  // namespace

class TestConfig : public QObject {
    Q_OBJECT
private slots:
    void iniReadsEveryEncodingAndForm_data();
    void iniReadsEveryEncodingAndForm();
    void iniMissingFileFolderSectionOrKeyReadEmpty();
    void iniWriteKeepsOtherLines();
    void iniWriteIntoFolderFails();
    void gbkCodec();
    void dataFolderFromParentConfig_data();
    void dataFolderFromParentConfig();
    void pictureFolders();
    void resolvePublishedPaths();
    void dialogUnitsRound();
};

void TestConfig::iniReadsEveryEncodingAndForm_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const QByteArray utf8 = QStringLiteral("[SysInfo]\n发布状态=1\n").toUtf8();
    QTest::newRow("utf8") << utf8 << kKey << "1";
    QTest::newRow("utf8 bom crlf")
        << QByteArray("\xEF\xBB\xBF") + QStringLiteral("[SysInfo]\r\n发布状态=0\r\n").toUtf8()
        << kKey << "0";
    QTest::newRow("cr only") << QStringLiteral("[SysInfo]\r发布状态=1\r").toUtf8() << kKey << "1";
    QTest::newRow("gbk crlf") << QByteArray("[SysInfo]\r\n") + GbkLine(kKey, "1") + "\r\n"
                              << kKey << "1";
    // The last line without a line end, and a value in Chinese, in GBK.
    QTest::newRow("gbk chinese value")
        << QByteArray("[SysInfo]\r\n") + GbkCodec::Encode(QStringLiteral("发布状态=已发布")) << kKey
        << QStringLiteral("已发布");
    // Every other byte is ASCII and the file ends in the GBK character E4 B8, which is also the
    // start of a UTF-8 sequence cut short: it is GBK all the same.
    QTest::newRow("gbk that looks like cut utf8")
        << QByteArray("[SysInfo]\nState=\xE4\xB8") << "State" << QStringLiteral("涓");
    QByteArray utf16("\xFF\xFE");
    for (QChar c : QStringLiteral("[SysInfo]\r\n发布状态=1\r\n")) {
        utf16.append(char(c.unicode() & 0xFF));
        utf16.append(char(c.unicode() >> 8));
    }
    QTest::newRow("utf16le bom") << utf16 << kKey << "1";
    QTest::newRow("other sections first")
        << QStringLiteral(
               "[Other]\n发布状态=9\n[SysInfo] ; the state\n;发布状态=0\n发布状态=1\n"
               "[More]\n发布状态=7\n")
               .toUtf8()
        << kKey << "1";
    // Blanks around names and values go, names ignore case, whole quotes go.
    const QByteArray forms = QStringLiteral(
                                 "  [ sysinfo ]  \n  发布状态 =  0  \nQuoted=\" 0\"\n"
                                 "Half=\"abc\nEq=a=b\n")
                                 .toUtf8();
    QTest::newRow("blanks") << forms << kKey << "0";
    QTest::newRow("quoted") << forms << "QUOTED"
                            << " 0";
    QTest::newRow("half quoted") << forms << "Half"
                                 << "\"abc";
    QTest::newRow("equals in value") << forms << "Eq"
                                     << "a=b";
}

void TestConfig::iniReadsEveryEncodingAndForm() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    WriteBytes(path, bytes);
    CIniFile ini;
    QCOMPARE(ini.SetPath(path), 1);
    QCOMPARE(ini.GetString(kSection, key), expected);
}

void TestConfig::iniMissingFileFolderSectionOrKeyReadEmpty() {
    QTemporaryDir dir;
    CIniFile missing;
    QCOMPARE(missing.SetPath(dir.filePath(QStringLiteral("config.ini"))), 0);
    QVERIFY(!missing.GetString(kSection, kKey).isNull());
    QVERIFY(missing.GetString(kSection, kKey).isEmpty());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.ini")));
    CIniFile folder;
    QCOMPARE(folder.SetPath(dir.filePath(QStringLiteral("folder.ini"))), 0);
    QCOMPARE(folder.GetString(kSection, kKey), QString(""));
    const QString path = dir.filePath(QStringLiteral("other.ini"));
    WriteBytes(path, QStringLiteral("[Other]\n发布状态=1\n[SysInfo]\nx=2\n").toUtf8());
    QCOMPARE(CIniFile(path).GetString(kSection, kKey), QString(""));
}

void TestConfig::iniWriteKeepsOtherLines() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    // A GBK file with a comment, another section and a second key.
    WriteBytes(path, QByteArray("; made by hand\r\n[SysInfo]\r\n") + GbkLine(kKey, "0") +
                         "\r\nCompany=ACME\r\n\r\n[Chat]\r\nHost=example\r\n");
    CIniFile ini(path);
    QVERIFY(ini.WriteString(kSection, kKey, QStringLiteral("1")));
    QCOMPARE(ini.GetString(QStringLiteral("Chat"), QStringLiteral("Host")),
             QStringLiteral("example"));
    const QString text = QString::fromUtf8(ReadBytes(path));
    QVERIFY(text.startsWith(QStringLiteral("; made by hand\r\n[SysInfo]\r\n发布状态=1\r\n")));
    QCOMPARE(text.count(kKey), 1);

    // A new key goes to the end of its own section, not to the end of the file.
    QVERIFY(ini.WriteString(kSection, QStringLiteral("New"), QStringLiteral("v")));
    QCOMPARE(ini.GetString(kSection, QStringLiteral("New")), QStringLiteral("v"));
    QCOMPARE(ini.GetString(QStringLiteral("Chat"), QStringLiteral("New")), QString(""));

    // A line break in a value cannot smuggle in another key.
    QVERIFY(
        ini.WriteString(kSection, QStringLiteral("Company"), QStringLiteral("A\r\n发布状态=0")));
    QCOMPARE(ini.GetString(kSection, kKey), QStringLiteral("1"));
    QCOMPARE(ini.GetString(kSection, QStringLiteral("Company")), QStringLiteral("A  发布状态=0"));

    // A missing file and section are made.
    CIniFile fresh(dir.filePath(QStringLiteral("new.ini")));
    QVERIFY(fresh.WriteString(kSection, kKey, QStringLiteral("0")));
    QVERIFY(fresh.WriteString(QStringLiteral("Other"), QStringLiteral("k"), QStringLiteral("v")));
    QCOMPARE(fresh.GetString(kSection, kKey), QStringLiteral("0"));
}

void TestConfig::iniWriteIntoFolderFails() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("config.ini")));
    CIniFile ini(dir.filePath(QStringLiteral("config.ini")));
    QVERIFY(!ini.WriteString(kSection, kKey, QStringLiteral("1")));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("config.ini"))).isDir());
    CIniFile nowhere(dir.filePath(QStringLiteral("no/such/folder/config.ini")));
    QVERIFY(!nowhere.WriteString(kSection, kKey, QStringLiteral("1")));
}

void TestConfig::gbkCodec() {
    QCOMPARE(GbkCodec::ByteLength(QStringLiteral("abc中")), 5);
    QCOMPARE(GbkCodec::ByteLength(QStringLiteral("12×°")), 6);  // symbols are two bytes too
    QCOMPARE(GbkCodec::Encode(QStringLiteral("中")), QByteArray("\xD6\xD0"));
    QCOMPARE(GbkCodec::Decode(QByteArray("\xB7\xA2\xB2\xBC")), QStringLiteral("发布"));
    QVERIFY(GbkCodec::Decode(QByteArray("\xFF\xFF\xFF")).isNull());
    const QString mixed = QStringLiteral("型号 A-1 ∅ 😀");
    QCOMPARE(GbkCodec::Decode(GbkCodec::Encode(mixed)), mixed);
    QVERIFY(GbkCodec::IsValidUtf8(QStringLiteral("发布").toUtf8()));
    QVERIFY(!GbkCodec::IsValidUtf8(QByteArray("\xB7\xA2")));
    QVERIFY(!GbkCodec::IsValidUtf8(QByteArray("abc\xE4\xB8")));  // cut off at the end
}

void TestConfig::dataFolderFromParentConfig_data() {
    QTest::addColumn<QByteArray>("parentConfig");  // empty: no parent file
    QTest::addColumn<bool>("useParent");
    QTest::newRow("0") << GbkLine(kKey, "0").prepend("[SysInfo]\r\n") << true;
    QTest::newRow("1") << QStringLiteral("[SysInfo]\n发布状态=1\n").toUtf8() << false;
    QTest::newRow("00") << QStringLiteral("[SysInfo]\n发布状态=00\n").toUtf8() << false;
    QTest::newRow("other section") << QStringLiteral("[Other]\n发布状态=0\n").toUtf8() << false;
    QTest::newRow("missing") << QByteArray() << false;
}

void TestConfig::dataFolderFromParentConfig() {
    QFETCH(QByteArray, parentConfig);
    QFETCH(bool, useParent);
    QTemporaryDir tmp;
    const QString cat = tmp.filePath(QStringLiteral("产品 目录"));
    QVERIFY(QDir().mkpath(cat + QStringLiteral("/bin/sysfile")));
    QVERIFY(QDir().mkpath(cat + QStringLiteral("/sysfile")));
    if (!parentConfig.isEmpty())
        WriteBytes(cat + QStringLiteral("/sysfile/config.ini"), parentConfig);
    const InstallPaths p = InstallPaths::FromExecutable(cat + QStringLiteral("/bin/../bin/x"));
    QCOMPARE(p.exeFolder, cat + QStringLiteral("/bin"));
    const QString data =
        useParent ? cat + QStringLiteral("/sysfile") : cat + QStringLiteral("/bin/sysfile");
    QCOMPARE(p.dataFolder, data);
    QCOMPARE(p.configPath, data + QStringLiteral("/config.ini"));
    // Pictures always stay beside the executable.
    QCOMPARE(p.picFolder, cat + QStringLiteral("/bin/pic"));
}

void TestConfig::pictureFolders() {
    const InstallPaths root = InstallPaths::FromExecutable(QStringLiteral("/vistrel"));
    QCOMPARE(root.dataFolder, QStringLiteral("/sysfile"));
    QCOMPARE(root.picFolder, QStringLiteral("/pic"));

    QTemporaryDir tmp;
    QCOMPARE(InstallPaths::PictureFolder(tmp.path()), tmp.filePath(QStringLiteral("pic")));
    QVERIFY(QDir(tmp.path()).mkdir(QStringLiteral("Pic")));
    QCOMPARE(InstallPaths::PictureFolder(tmp.path()), tmp.filePath(QStringLiteral("Pic")));
    QVERIFY(QDir(tmp.path()).mkdir(QStringLiteral("pic")));
    QCOMPARE(InstallPaths::PictureFolder(tmp.path()), tmp.filePath(QStringLiteral("pic")));
}

// Stored paths resolve inside pic/ with either separator, or count as missing: ".." and
// symbolic links may not lead out.
void TestConfig::resolvePublishedPaths() {
    QTemporaryDir tmp;
    const QString inst = tmp.filePath(QStringLiteral("inst"));
    WriteBytes(tmp.filePath(QStringLiteral("x.jpg")), "outside");
    WriteBytes(inst + QStringLiteral("/x.jpg"), "beside");
    WriteBytes(inst + QStringLiteral("/pic/a.jpg"), "inside");
    QVERIFY(QDir().mkpath(inst + QStringLiteral("/pic/类")));
    QVERIFY(QFile::link(tmp.filePath(QStringLiteral("x.jpg")),
                        inst + QStringLiteral("/pic/类/out.jpg")));
    QVERIFY(
        QFile::link(inst + QStringLiteral("/pic/a.jpg"), inst + QStringLiteral("/pic/类/in.jpg")));
    QVERIFY(QFile::link(tmp.path(), inst + QStringLiteral("/pic/elsewhere")));
    InstallPaths p;
    p.picFolder = inst + QStringLiteral("/pic");
    const char* const cases[][2] = {{"pic/类/产品/a.jpg", "pic/类/产品/a.jpg"},
                                    {"Pic\\a b.png", "pic/a b.png"},
                                    {"pic", "pic"},
                                    {"", ""},
                                    {"pic\\..\\..\\x.jpg", ""},
                                    {"pic/../x.jpg", ""},
                                    {"pic/类/../../x.jpg", ""},
                                    {"pic/类/../a.jpg", "pic/a.jpg"},
                                    {"pic/类/out.jpg", ""},
                                    {"pic/elsewhere/x.jpg", ""},
                                    {"pic/类/in.jpg", "pic/类/in.jpg"}};
    for (const auto& [stored, resolved] : cases)
        QCOMPARE(p.ResolvePublished(QString::fromUtf8(stored)),
                 *resolved ? inst + '/' + QString::fromUtf8(resolved) : QString());
}

void TestConfig::dialogUnitsRound() {
    QCOMPARE(DialogUnits::MulDiv(2, 7, 4), 4);    // 3.5 rounds up
    QCOMPARE(DialogUnits::MulDiv(-2, 7, 4), -4);  // halves away from zero
    QCOMPARE(DialogUnits::MulDiv(3, 1, 0), -1);
    const DialogUnits du(7, 15);
    QCOMPARE(du.Rect(46, 14, 143, 42), QRect(81, 26, 250, 79));
    const DialogUnits fromFont(QFont(QStringLiteral("新宋体"), 9));
    QCOMPARE(fromFont.X(4), fromFont.CharWidth());
    QCOMPARE(fromFont.Y(8), fromFont.LineHeight());
}

QTEST_MAIN(TestConfig)
#include "tst_config.moc"
