// The 3D-model page: its list, its layout, and the download in both copies.
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <memory>
#include <utility>

#include "ControlIds.h"
#include "ScopedInstallation.h"
#include "ScriptedPrompter.h"
#include "TestFiles.h"
#include "app/CCatalogueApp.h"
#include "controls/CReportCtrl.h"
#include "publish/CopyQueue.h"
#include "viewer/CModelPageDlg.h"

namespace {

// An installation with the folders the downloads use.
ScopedInstallation::Options Installation(const QString& publishState) {
    return {.publishState = publishState, .skin = false, .folders = {"pic", "models", "chosen"}};
}

using namespace TestFiles;

// A page shown at a usual size with a quick progress dialog.
std::unique_ptr<CModelPageDlg> ShownPage(const QString& cls, const QString& product) {
    const AppParts parts = theApp.Parts();
    auto page = std::make_unique<CModelPageDlg>(parts.db, parts.paths, parts.copies, nullptr);
    page->ProgressDialog().SetPollInterval(5);
    page->ProgressDialog().SetCloseDelay(5);
    page->resize(760, 400);
    page->LoadModelList(cls, product);
    page->show();
    return page;
}

void ClickCell(CReportCtrl* list, int row, int column) {
    const QRect rect = list->visualItemRect(list->item(row, column));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

}  // namespace

class TestModelPage : public QObject {
    Q_OBJECT
private slots:
    void listShowsTheProductsFilesInOrderAndDownloadsTheSelection();
    void downloadInEitherCopy_data();
    void downloadInEitherCopy();
    void missingSourceQueuesNothing_data();
    void missingSourceQueuesNothing();
    void missingFilesAreShownAsMissing();
    void folderChoiceFailureAndCancel();
    void hostileFileNamesStayInsideTheChosenFolder();
};

void TestModelPage::listShowsTheProductsFilesInOrderAndDownloadsTheSelection() {
    ScopedInstallation inst(Installation("0"));
    QVERIFY(inst.Ok());
    // Inserted out of order; another product's file must not appear.
    inst.Model("阀门", "球阀@Q41F", "b.stp", 2, inst.Write("models/b.stp", "2"), {}, "第二");
    inst.Model("阀门", "球阀@Q41F", "a.stp", 1, "/x/a.stp", {}, "第一");
    inst.Model("阀门", "闸阀@Z41H", "z.stp", 1, "/x/z.stp");
    inst.Model("阀门", "球阀@Q41F", "c.igs", 3, "/x/c.igs", {}, "");
    ScriptedPrompter prompter;
    prompter.folderAnswers.enqueue(inst.Path("chosen"));
    auto page = ShownPage("阀门", "球阀@Q41F");
    CReportCtrl* list = page->List();
    QCOMPARE(list->GetItemCount(), 3);
    const QStringList names{"a.stp", "b.stp", "c.igs"}, notes{"第一", "第二", ""};
    for (int r = 0; r < 3; ++r) {
        QCOMPARE(list->GetItemText(r, 1), names[r]);
        QCOMPARE(list->GetItemText(r, 2), notes[r]);
        QCOMPARE(list->GetItemText(r, 3), QString::number(r + 1));
    }
    // Columns other than the download column only select; the button downloads the selection.
    for (int c = 1; c < 4; ++c) ClickCell(list, 1, c);
    QVERIFY(prompter.shown.isEmpty());
    QVERIFY(list->IsItemSelected(1));
    page->findChild<QPushButton*>(Ids::ModelPage::kDownload)->click();
    QCOMPARE(prompter.Notices().size(), 1);
    QCOMPARE(Entries(inst.Path("chosen")), QStringList{"b.stp"});
    // Another product replaces the rows.
    page->LoadModelList("阀门", "闸阀@Z41H");
    QCOMPARE(list->GetItemCount(), 1);
    page->LoadModelList("阀门", "无此产品");
    QCOMPARE(list->GetItemCount(), 0);
}

void TestModelPage::downloadInEitherCopy_data() {
    QTest::addColumn<QString>("state");
    QTest::newRow("authoring copy") << "0";
    // A copy whose state is missing or unknown is an authoring copy, for downloads too.
    QTest::newRow("unknown publish state") << "2";
    QTest::newRow("published copy") << "1";
}

void TestModelPage::downloadInEitherCopy() {
    QFETCH(QString, state);
    for (const QString& dpath : {QString("pic/泵/离心泵@IS80"), QString("pic\\泵\\离心泵@IS80")}) {
        ScopedInstallation inst(Installation(state));
        QVERIFY(inst.Ok());
        // Each copy has the file where it reads it from: the editor's path, or its pic/ folder.
        const QString src = inst.Write(
            state == "1" ? "pic/泵/离心泵@IS80/泵体.stp" : "models/泵体.stp", "pump body model");
        // The same file name in another product, first in the table, and in the same product
        // name of another category: the file of the product shown is the one copied.
        const QString other = inst.Write("models/other/泵体.stp", "another product's model");
        inst.Model("泵", "甲@A1", "泵体.stp", 1, other, "pic/泵/甲@A1");
        inst.Model("另类", "离心泵@IS80", "泵体.stp", 1, other, "pic/另类/离心泵@IS80");
        inst.Write("pic/另类/离心泵@IS80/泵体.stp", "another product's model");
        inst.Model("泵", "离心泵@IS80", "泵体.stp", 1, state == "1" ? "/nowhere/泵体.stp" : src,
                   dpath, "主体");
        inst.Write("chosen/泵体.stp", "an older download, to be replaced");
        ScriptedPrompter prompter;
        prompter.folderAnswers.enqueue(inst.Path("chosen"));
        auto page = ShownPage("泵", "离心泵@IS80");
        QCOMPARE(page->PublishState(), state);
        ClickCell(page->List(), 0, 0);
        QCOMPARE(prompter.shown.size(), 2);
        QCOMPARE(prompter.shown[0].text, QString("请选择目录"));
        QCOMPARE(prompter.Notices().size(), 1);
        QVERIFY(prompter.Notices()[0].endsWith("下载完成"));
        QCOMPARE(ReadFile(inst.Path("chosen/泵体.stp")), QByteArray("pump body model"));
        QCOMPARE(theApp.Copies().jobs.At(0), (CopyJob{src, inst.Path("chosen/泵体.stp")}));
    }
}

void TestModelPage::missingSourceQueuesNothing_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("dpath");
    QTest::newRow("authoring copy, file gone") << "0"
                                               << "";
    QTest::newRow("published copy, file gone") << "1"
                                               << "pic/类/产品";
    QTest::newRow("published path climbing out") << "1"
                                                 << "pic/../models";
}

void TestModelPage::missingSourceQueuesNothing() {
    QFETCH(QString, state);
    QFETCH(QString, dpath);
    ScopedInstallation inst(Installation(state));
    QVERIFY(inst.Ok());
    // The authoring file exists for the published copy, and the climbing path would reach it:
    // neither may be used.
    const QString src = inst.Write("models/f.stp", "data");
    inst.Model("类", "产品@1", "f.stp", 1, state == "0" ? inst.Path("models/gone.stp") : src,
               dpath);
    theApp.Copies().jobs.RemoveAll();
    theApp.Copies().jobs.Append("/previous/source", "/previous/destination");
    ScriptedPrompter prompter;
    prompter.folderAnswers.enqueue(inst.Path("chosen"));
    auto page = ShownPage("类", "产品@1");
    ClickCell(page->List(), 0, 0);
    QCOMPARE(prompter.Notices().size(), 1);
    QVERIFY(prompter.Notices()[0].endsWith("模型文件不存在"));
    QCOMPARE(theApp.Copies().jobs.GetCount(), 1);
    QCOMPARE(theApp.Copies().jobs.At(0).source, QString("/previous/source"));
    QVERIFY(Entries(inst.Path("chosen")).isEmpty());
}

// A row published without its file is listed greyed as missing, with no download button, and
// a click says so without asking for a folder; the row beside it still downloads.
void TestModelPage::missingFilesAreShownAsMissing() {
    ScopedInstallation inst(Installation("1"));
    QVERIFY(inst.Ok());
    inst.Model("类", "产品@1", "gone.stp", 1, "/nowhere/gone.stp", "");
    inst.Write("pic/类/产品@1/3D模型/here.stp", "data");
    inst.Model("类", "产品@1", "here.stp", 2, "/nowhere/here.stp", "pic/类/产品@1/3D模型");
    ScriptedPrompter prompter;
    auto page = ShownPage("类", "产品@1");
    CReportCtrl* list = page->List();
    QCOMPARE(list->GetItemCount(), 2);
    QCOMPARE(list->GetItemText(0, 1), QString("gone.stp"));
    QVERIFY(page->IsShownMissing(0) && !page->IsShownMissing(1));
    QCOMPARE(list->GetItemImage(0, 0), -1);
    QCOMPARE(list->GetItemText(0, 0), CModelPageDlg::MissingText());
    QVERIFY(list->item(0, 0)->icon().isNull() && !list->item(1, 0)->icon().isNull());
    ClickCell(list, 0, 0);
    QCOMPARE(prompter.shown.size(), 1);
    QCOMPARE(prompter.shown[0].kind, QString("notice"));
    QVERIFY(prompter.Notices()[0].endsWith("模型文件不存在"));
}

void TestModelPage::folderChoiceFailureAndCancel() {
    ScopedInstallation inst(Installation("0"));
    QVERIFY(inst.Ok());
    const QString src = inst.Write("models/f.stp", RandomBytes(1 << 20, 3));
    inst.Model("类", "产品@1", "f.stp", 1, src);
    QVERIFY(QDir(inst.Path("chosen")).mkdir("f.stp"));  // a folder where the file would go
    QVERIFY(QDir().mkpath(inst.Path("home")) && QDir().mkpath(inst.Path("done")));
    theApp.Copies().jobs.RemoveAll();
    CModelPageDlg::LastChosenFolder().clear();
    // A home without a desktop folder at first; the real one comes back however the test ends.
    const auto restoreHome = qScopeGuard([home = qgetenv("HOME")] { qputenv("HOME", home); });
    qputenv("HOME", QFile::encodeName(inst.Path("home")));
    ScriptedPrompter prompter;
    prompter.folderAnswers << QString() << inst.Path("no such folder") << inst.Path("chosen")
                           << inst.Path("done") << inst.Path("done");
    auto page = ShownPage("类", "产品@1");
    QStringList status;
    connect(&page->ProgressDialog(), &CProgressDlg::statusTextChanged, page.get(),
            [&](const QString& t) { status << t; });
    ClickCell(page->List(), 0, 0);
    QVERIFY(QDir().mkpath(inst.Path("home/Desktop")));
    ClickCell(page->List(), 0, 0);
    QCOMPARE(prompter.shown.size(), 2);  // cancelled choices: the two choosers, nothing else
    QVERIFY(theApp.Copies().jobs.IsEmpty());
    ClickCell(page->List(), 0, 0);
    QCOMPARE(status.last(), QString("复制出错，请检查路径是否正确"));
    QCOMPARE(prompter.Notices(), QStringList{NoticeText("下载失败")});
    page = ShownPage("类", "产品@1");  // the page of the next product opened
    ClickCell(page->List(), 0, 0);
    // The same download again, cancelled after its first chunk: no failure is reported and
    // the completed file stays as it was.
    CProgressDlg& dlg = page->ProgressDialog();
    dlg.SetChunkSize(64 * 1024);
    bool asked = false;
    dlg.SetChunkObserver([&](int, qint64, qint64) {
        if (!std::exchange(asked, true))
            QMetaObject::invokeMethod(
                &dlg, [&] { dlg.reject(); }, Qt::BlockingQueuedConnection);
    });
    ClickCell(page->List(), 0, 0);
    QVERIFY(dlg.WasCancelled());
    QCOMPARE(prompter.Notices().size(), 2);
    QVERIFY(prompter.Notices()[1].endsWith("下载完成"));
    QCOMPARE(Entries(inst.Path("done")), QStringList{"f.stp"});
    QCOMPARE(ReadFile(inst.Path("done/f.stp")), ReadFile(src));
    QVERIFY(QDir(inst.Path("done")).removeRecursively());
    ClickCell(page->List(), 0, 0);
    // The chooser opens where the visitor chose last in this run, else on the desktop, else at
    // home; never in the working directory.
    QStringList folders;
    for (const auto& shown : prompter.shown)
        if (shown.kind == "folder") folders << shown.folder;
    const QString desktop = inst.Path("home/Desktop");
    QCOMPARE(folders, QStringList({inst.Path("home"), desktop, desktop, inst.Path("chosen"),
                                   inst.Path("done"), desktop}));
}

void TestModelPage::hostileFileNamesStayInsideTheChosenFolder() {
    ScopedInstallation inst(Installation("0"));
    QVERIFY(inst.Ok());
    const QStringList names{"../evil.stp", "a/b.stp", "..", "..\\win.stp"};
    for (int n = 1; n <= names.size(); ++n)
        inst.Model("类", "产品@1", names[n - 1], n,
                   inst.Write(QString("models/%1.bin").arg(n), QByteArray::number(n)));
    QVERIFY(QDir(inst.Path("chosen")).mkdir("deep"));
    ScriptedPrompter prompter;
    for (int i = 0; i < names.size(); ++i) prompter.folderAnswers.enqueue(inst.Path("chosen/deep"));
    auto page = ShownPage("类", "产品@1");
    for (int r = 0; r < names.size(); ++r) ClickCell(page->List(), r, 0);
    QCOMPARE(prompter.Notices().size(), names.size());
    for (const QString& notice : prompter.Notices()) QVERIFY(notice.endsWith("下载完成"));
    const QStringList written = Entries(inst.Path("chosen/deep"));
    QCOMPARE(written.size(), names.size());
    QCOMPARE(Entries(inst.root), (QStringList{"chosen", "models", "pic", "sysfile"}));
    QCOMPARE(ReadFile(inst.Path("chosen/deep/.._evil.stp")), QByteArray("1"));
    QCOMPARE(ReadFile(inst.Path("chosen/deep/a_b.stp")), QByteArray("2"));
}

QTEST_MAIN(TestModelPage)
#include "tst_modelpage.moc"
