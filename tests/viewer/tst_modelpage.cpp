// The 3D-model page: its list, its layout, and the download in both copies.
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

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

// A page of the application's catalogue and installation.
CModelPageDlg* NewPage(QWidget* parent) {
    const AppParts parts = theApp.Parts();
    return new CModelPageDlg(parts.db, parts.paths, parts.copies, parent);
}

using namespace TestFiles;

// A page shown at a usual size with a quick progress dialog.
std::unique_ptr<CModelPageDlg> ShownPage(const QString& cls, const QString& product) {
    std::unique_ptr<CModelPageDlg> page(NewPage(nullptr));
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
    void listShowsTheProductsFilesInOrder();
    void layoutFollowsThePageSize();
    void downloadInTheAuthoringCopy();
    void downloadInThePublishedCopy();
    void sameFileNameInTwoProductsCopiesTheShownOne();
    void missingSourceQueuesNothing_data();
    void missingSourceQueuesNothing();
    void cancelledFolderChoiceDoesNothing();
    void failedCopyIsReportedAsFailure();
    void hostileFileNamesStayInsideTheChosenFolder();
    void otherColumnsOnlySelectAndButtonDownloadsSelection();
    void enterAndEscapeStayInThePage();
};

void TestModelPage::listShowsTheProductsFilesInOrder() {
    ScopedInstallation inst(Installation("0"));
    QVERIFY(inst.Ok());
    // Inserted out of order; another product's file must not appear.
    inst.Model("阀门", "球阀@Q41F", "b.stp", 2, "/x/b.stp", {}, "第二");
    inst.Model("阀门", "球阀@Q41F", "a.stp", 1, "/x/a.stp", {}, "第一");
    inst.Model("阀门", "闸阀@Z41H", "z.stp", 1, "/x/z.stp");
    inst.Model("阀门", "球阀@Q41F", "c.igs", 3, "/x/c.igs", {}, "");

    auto page = ShownPage("阀门", "球阀@Q41F");
    CReportCtrl* list = page->List();
    QCOMPARE(list->objectName(), QString("1039"));
    QCOMPARE(list->GetColumnCount(), 4);
    const QStringList captions{"下载", "   文件名   ", "备注", "NO."};
    for (int c = 0; c < 4; ++c) QCOMPARE(list->horizontalHeaderItem(c)->text(), captions[c]);
    QCOMPARE(list->GetColumnOrderArray(), (QList<int>{3, 1, 2, 0}));
    QCOMPARE(list->GetItemCount(), 3);
    const QStringList names{"a.stp", "b.stp", "c.igs"}, notes{"第一", "第二", ""};
    for (int r = 0; r < 3; ++r) {
        QCOMPARE(list->GetItemText(r, 0), QString());
        QCOMPARE(list->GetItemImage(r, 0), 0);
        QCOMPARE(list->GetItemText(r, 1), names[r]);
        QCOMPARE(list->GetItemText(r, 2), notes[r]);
        QCOMPARE(list->GetItemText(r, 3), QString::number(r + 1));
    }
    QCOMPARE(list->GetImageList().size(), 1);
    QVERIFY(!list->GetImageList()[0].pixmap(24, 24).isNull());
    QCOMPARE(page->findChild<QPushButton*>("1035")->text(), QString("下载选中文件"));
    QVERIFY(page->findChild<QPushButton*>("1035")->isHidden());
    QVERIFY(page->findChild<QLineEdit*>("1013")->isHidden());

    const QString out = qEnvironmentVariable("VISTREL_GRAB_DIR");
    if (!out.isEmpty()) page->grab().save(QDir(out).filePath("model-page.png"));

    // Another product replaces the rows.
    page->LoadModelList("阀门", "闸阀@Z41H");
    QCOMPARE(list->GetItemCount(), 1);
    QCOMPARE(list->GetItemText(0, 1), QString("z.stp"));
    QCOMPARE(list->GetItemText(0, 3), QString("1"));
    page->LoadModelList("阀门", "无此产品");
    QCOMPARE(list->GetItemCount(), 0);
}

void TestModelPage::layoutFollowsThePageSize() {
    ScopedInstallation inst(Installation("0"));
    QVERIFY(inst.Ok());
    CModelPageDlg page(inst.Db(), theApp.m_paths, theApp.Copies());
    page.resize(800, 400);
    page.show();
    QCOMPARE(page.List()->geometry(), QRect(0, 0, 795, 390));
    // 800 × 0.0375 + 4, 800 × 8 ÷ 12, 800 × 23 ÷ 120, 800 ÷ 12, each truncated
    const QList<int> expected{34, 533, 153, 66};
    for (int c = 0; c < 4; ++c) QCOMPARE(page.List()->columnWidth(c), expected[c]);
    page.resize(613, 257);
    QCOMPARE(page.List()->geometry(), QRect(0, 0, 608, 247));
    const QList<int> smaller{26, 408, 117, 51};
    for (int c = 0; c < 4; ++c) QCOMPARE(page.List()->columnWidth(c), smaller[c]);
}

void TestModelPage::downloadInTheAuthoringCopy() {
    ScopedInstallation inst(Installation("0"));
    QVERIFY(inst.Ok());
    const QString src = inst.Write("models/泵体.stp", "pump body model");
    inst.Model("泵", "离心泵@IS80", "泵体.stp", 1, src, "pic/泵/离心泵@IS80", "主体");
    inst.Write("chosen/泵体.stp", "an older download, to be replaced");
    ScriptedPrompter prompter;
    prompter.folderAnswers.enqueue(inst.Path("chosen"));

    auto page = ShownPage("泵", "离心泵@IS80");
    QCOMPARE(page->PublishState(), QString("0"));
    ClickCell(page->List(), 0, 0);
    QCOMPARE(prompter.shown.size(), 2);
    QCOMPARE(prompter.shown[0].kind, QString("folder"));
    QCOMPARE(prompter.shown[0].text, QString("请选择目录"));
    QCOMPARE(prompter.Notices().size(), 1);
    QVERIFY(prompter.Notices()[0].endsWith("下载完成"));
    QCOMPARE(ReadFile(inst.Path("chosen/泵体.stp")), QByteArray("pump body model"));
    QCOMPARE(Entries(inst.Path("chosen")), QStringList{"泵体.stp"});
    QCOMPARE(page->findChild<QLineEdit*>("1013")->text(), inst.Path("chosen"));
    QCOMPARE(theApp.Copies().jobs.GetCount(), 1);
    QCOMPARE(theApp.Copies().jobs.At(0), (CopyJob{src, inst.Path("chosen/泵体.stp")}));
}

void TestModelPage::downloadInThePublishedCopy() {
    for (const QString& dpath : {QString("pic/泵/离心泵@IS80"), QString("pic\\泵\\离心泵@IS80")}) {
        ScopedInstallation inst(Installation("1"));
        QVERIFY(inst.Ok());
        inst.Write("pic/泵/离心泵@IS80/泵体.stp", "published copy of the model");
        // The editor's path is not there in a published copy.
        inst.Model("泵", "离心泵@IS80", "泵体.stp", 1, "/nowhere/泵体.stp", dpath);
        ScriptedPrompter prompter;
        prompter.folderAnswers.enqueue(inst.Path("chosen"));
        auto page = ShownPage("泵", "离心泵@IS80");
        QCOMPARE(page->PublishState(), QString("1"));
        ClickCell(page->List(), 0, 0);
        QCOMPARE(prompter.Notices().size(), 1);
        QVERIFY(prompter.Notices()[0].endsWith("下载完成"));
        QCOMPARE(ReadFile(inst.Path("chosen/泵体.stp")), QByteArray("published copy of the model"));
        QCOMPARE(theApp.Copies().jobs.At(0).source, inst.Path("pic/泵/离心泵@IS80/泵体.stp"));
    }
}

void TestModelPage::sameFileNameInTwoProductsCopiesTheShownOne() {
    ScopedInstallation inst(Installation("0"));
    QVERIFY(inst.Ok());
    const QString a = inst.Write("models/a/part.stp", "product A");
    const QString b = inst.Write("models/b/part.stp", "product B");
    inst.Model("类", "甲@A1", "part.stp", 1, a);  // first in the table
    inst.Model("类", "乙@B1", "part.stp", 1, b);
    inst.Model("另类", "乙@B1", "part.stp", 1, a);  // same product name, other category
    ScriptedPrompter prompter;
    prompter.folderAnswers.enqueue(inst.Path("chosen"));
    auto page = ShownPage("类", "乙@B1");
    ClickCell(page->List(), 0, 0);
    QCOMPARE(ReadFile(inst.Path("chosen/part.stp")), QByteArray("product B"));
    QVERIFY(prompter.Notices().last().endsWith("下载完成"));
}

void TestModelPage::missingSourceQueuesNothing_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("dpath");
    QTest::newRow("authoring copy, file gone") << "0"
                                               << "";
    QTest::newRow("published copy, file gone") << "1"
                                               << "pic/类/产品";
    QTest::newRow("published copy, no published path") << "1"
                                                       << "";
    QTest::newRow("published path climbing out") << "1"
                                                 << "pic/../models";
    QTest::newRow("unknown publish state") << "2"
                                           << "pic/类/产品";
    QTest::newRow("no publish state") << ""
                                      << "pic/类/产品";
}

void TestModelPage::missingSourceQueuesNothing() {
    QFETCH(QString, state);
    QFETCH(QString, dpath);
    ScopedInstallation inst(Installation(state));
    QVERIFY(inst.Ok());
    // The authoring file exists for the states other than "0", and the climbing path would
    // reach it: none of them may be used.
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
    // The folder choice stays shown.
    QCOMPARE(page->findChild<QLineEdit*>("1013")->text(), inst.Path("chosen"));
}

void TestModelPage::cancelledFolderChoiceDoesNothing() {
    ScopedInstallation inst(Installation("0"));
    QVERIFY(inst.Ok());
    inst.Model("类", "产品@1", "f.stp", 1, inst.Write("models/f.stp", "data"));
    theApp.Copies().jobs.RemoveAll();
    ScriptedPrompter prompter;  // no answer: cancelled
    prompter.folderAnswers.enqueue(QString());
    prompter.folderAnswers.enqueue(inst.Path("no such folder"));
    auto page = ShownPage("类", "产品@1");
    ClickCell(page->List(), 0, 0);
    ClickCell(page->List(), 0, 0);
    QCOMPARE(prompter.shown.size(), 2);  // the two folder choices, nothing else
    QVERIFY(prompter.Notices().isEmpty());
    QVERIFY(theApp.Copies().jobs.IsEmpty());
}

void TestModelPage::failedCopyIsReportedAsFailure() {
    ScopedInstallation inst(Installation("0"));
    QVERIFY(inst.Ok());
    inst.Model("类", "产品@1", "f.stp", 1, inst.Write("models/f.stp", "data"));
    QVERIFY(QDir(inst.Path("chosen")).mkdir("f.stp"));  // a folder where the file would go
    ScriptedPrompter prompter;
    prompter.folderAnswers.enqueue(inst.Path("chosen"));
    auto page = ShownPage("类", "产品@1");
    QStringList status;
    connect(&page->ProgressDialog(), &CProgressDlg::statusTextChanged, page.get(),
            [&](const QString& t) { status << t; });
    ClickCell(page->List(), 0, 0);
    QCOMPARE(status.last(), QString("复制出错，请检查路径是否正确"));
    QCOMPARE(prompter.Notices().size(), 1);
    QVERIFY(prompter.Notices()[0].endsWith("下载失败"));
    QVERIFY(QFileInfo(inst.Path("chosen/f.stp")).isDir());
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
    QCOMPARE(Entries(inst.Path("chosen")), QStringList{"deep"});
    QCOMPARE(Entries(inst.root), (QStringList{"chosen", "models", "pic", "sysfile"}));
    QCOMPARE(ReadFile(inst.Path("chosen/deep/.._evil.stp")), QByteArray("1"));
    QCOMPARE(ReadFile(inst.Path("chosen/deep/a_b.stp")), QByteArray("2"));
}

void TestModelPage::otherColumnsOnlySelectAndButtonDownloadsSelection() {
    ScopedInstallation inst(Installation("0"));
    QVERIFY(inst.Ok());
    inst.Model("类", "产品@1", "one.stp", 1, inst.Write("models/one.stp", "1"));
    inst.Model("类", "产品@1", "two.stp", 2, inst.Write("models/two.stp", "2"));
    ScriptedPrompter prompter;
    prompter.folderAnswers.enqueue(inst.Path("chosen"));
    auto page = ShownPage("类", "产品@1");
    for (int c = 1; c < 4; ++c) ClickCell(page->List(), 1, c);
    QVERIFY(prompter.shown.isEmpty());
    QVERIFY(page->List()->IsItemSelected(1));
    page->findChild<QPushButton*>("1035")->click();
    QCOMPARE(prompter.Notices().size(), 1);
    QCOMPARE(Entries(inst.Path("chosen")), QStringList{"two.stp"});
}

void TestModelPage::enterAndEscapeStayInThePage() {
    ScopedInstallation inst(Installation("0"));
    QVERIFY(inst.Ok());
    inst.Model("类", "产品@1", "one.stp", 1, inst.Write("models/one.stp", "1"));
    QDialog window;
    auto* page = NewPage(&window);
    page->LoadModelList("类", "产品@1");
    page->setGeometry(0, 0, 600, 300);
    window.resize(600, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    page->List()->setFocus();
    QTest::keyClick(page->List(), Qt::Key_Escape);
    QTest::keyClick(page->List(), Qt::Key_Return);
    QTest::keyClick(page, Qt::Key_Escape);
    QVERIFY(window.isVisible());
    QCOMPARE(window.result(), 0);
}

QTEST_MAIN(TestModelPage)
#include "tst_modelpage.moc"
