// `vistrel-install import` and `export` on installations: the demo exported and imported into
// an empty installation gives the same catalogue, the report is printed, and the exit code
// says whether what was announced was written.

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include "app/CIniFile.h"
#include "authoring/SheetCommand.h"
#include "store/CatalogueDb.h"
#include "tools/install/DemoInstaller.h"

namespace {
// Categories, products and model files as the round trip must keep them: every column the
// program writes, in display order.
QStringList Tables(const QString& installation) {
    CatalogueDb db;
    if (!db.Open(CatalogueDb::CatalogueFile(DemoInstaller::DataFolder(installation))))
        return {"cannot open"};
    QStringList rows;
    for (const char* sql :
         {"select Number, ClassName from [大类表] order by Number",
          "select Number, ClassName, ProductName, Key, Opath, Dpath, OIntroduce, OAddProcess, "
          "OTecReference from [小类表] order by ClassName, Number",
          "select ClassName, ProductName, [3DModel], Number, Opath, Dpath, Note from [3D模型表] "
          "order by ClassName, ProductName, Number"}) {
        QSqlQuery q(db.Database());
        q.exec(QString::fromUtf8(sql));
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i) values << q.value(i).toString();
            rows << values.join('|');
        }
    }
    return rows;
}

struct Run {
    int code;
    QString out, err;
};
Run Command(bool import, const QStringList& args) {
    QString out, err;
    QTextStream o(&out), e(&err);
    const int code = import ? SheetCommand::Import(args, o, e) : SheetCommand::Export(args, o, e);
    o.flush();
    e.flush();
    return {code, out, err};
}

bool MakeEmptyInstallation(const QString& folder, const char* state = "0") {
    const QString data = DemoInstaller::DataFolder(folder);
    if (!QDir().mkpath(data)) return false;
    if (!DemoInstaller::WriteEmpty(CatalogueDb::CatalogueFile(data))) return false;
    CIniFile(QDir(data).filePath("config.ini"))
        .WriteString(QStringLiteral("SysInfo"), QStringLiteral("发布状态"),
                     QString::fromLatin1(state));
    return true;
}
}  // namespace

class TestSheetCommand : public QObject {
    Q_OBJECT

private slots:
    void demoRoundTrip() {
        QTemporaryDir dir;
        const QString demo = dir.filePath("demo"), empty = dir.filePath("empty");
        const QString sheet = dir.filePath("目录.csv");
        QString error;
        QVERIFY2(DemoInstaller::WriteDemo(demo, &error), qPrintable(error));
        QVERIFY(MakeEmptyInstallation(empty));

        const Run exported = Command(false, {demo, sheet});
        QCOMPARE(exported.code, 0);
        QCOMPARE(exported.out, QStringLiteral("已导出 44 个产品（7 个类别）到 %1\n").arg(sheet));

        const Run imported = Command(true, {empty, sheet});
        QVERIFY2(imported.code == 0, qPrintable(imported.out + imported.err));
        QVERIFY(imported.out.endsWith(
            "导入完成：添加 44 个产品，更新 0 个，拒绝 0 行，新建 7 个类别\n"));
        const QStringList demoTables = Tables(demo);
        QVERIFY(demoTables.size() > 44);
        QCOMPARE(Tables(empty), demoTables);

        // Again: every product exists, so all are refused, nothing is written, and the exit
        // code says that not everything went in.
        const Run again = Command(true, {empty, sheet});
        QCOMPARE(again.code, 3);
        QVERIFY(again.out.contains("拒绝 44 行"));
        QVERIFY(again.out.endsWith("没有要写入的产品或类别\n"));
        const Run update = Command(true, {empty, sheet, "--update"});
        QCOMPARE(update.code, 0);
        QVERIFY(update.out.contains("导入完成：添加 0 个产品，更新 44 个，拒绝 0 行"));
        QCOMPARE(Tables(empty), demoTables);
    }

    void failuresExitNonZero() {
        QTemporaryDir dir;
        const QString inst = dir.filePath("inst"), published = dir.filePath("pub");
        QVERIFY(MakeEmptyInstallation(inst));
        QVERIFY(MakeEmptyInstallation(published, "1"));
        const QString pic = dir.filePath("a.jpg");
        QFile(pic).open(QIODevice::WriteOnly);
        const QString sheet = dir.filePath("s.csv");
        QFile f(sheet);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(
            QStringLiteral("类别,产品名称,型号,关键字,产品图片,产品介绍\n泵,甲,A,k,a.jpg,a.jpg\n"
                           "泵,乙,B,k,a.jpg,a.jpg\n")
                .toUtf8());
        f.close();

        QCOMPARE(Command(true, {inst}).code, 2);
        QCOMPARE(Command(true, {inst, sheet, "--force"}).code, 2);
        QCOMPARE(Command(true, {published, sheet}).code, 2);
        QCOMPARE(Command(false, {published, sheet}).code, 2);
        const Run missing = Command(true, {inst, dir.filePath("none.csv")});
        QCOMPARE(missing.code, 1);
        QVERIFY(missing.out.contains("无法读取表格"));
        QCOMPARE(Command(false, {inst, dir.filePath("no/such/folder/x.csv")}).code, 1);
    }
};

QTEST_MAIN(TestSheetCommand)
#include "tst_sheetcommand.moc"
