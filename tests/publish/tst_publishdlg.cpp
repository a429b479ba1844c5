// The publish dialog: the tree's selection becomes the application's publish root, the chooser
// fills the cover edit, and 系统发布 publishes (what a publish writes is tst_publish's).
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "ControlIds.h"
#include "ScopedInstallation.h"
#include "ScriptedPrompter.h"
#include "publish/CFolderTreeCtrl.h"
#include "publish/CProgressDlg.h"
#include "publish/CPublishDlg.h"
#include "publish/FolderTree.h"
#include "publish/PublishOperation.h"

class TestPublishDlg : public QObject {
    Q_OBJECT
private slots:
    void rootFromTheTreeThenPublish() {
        ScopedInstallation inst;
        ScriptedPrompter prompter;
        inst.Write("vistrel", "#!/bin/sh\n");
        const QString out = inst.Path("release");
        QVERIFY(QDir().mkpath(out));
        // A first node without a path leaves the root empty: nothing is published.
        FolderTree::SetRoots(QList<FolderTree::Node>{FolderTree::ComputerNode()});
        CPublishDlg(inst.Parts()).findChild<QPushButton*>(Ids::Publish::kPublish)->click();
        QCOMPARE(prompter.Notices().value(0).trimmed(), "选择要发布的根目录");
        QVERIFY(!QFileInfo::exists(out + "/Vistrel"));

        FolderTree::SetRoots(QList<FolderTree::Node>{FolderTree::FolderNode(out)});
        CPublishDlg dlg(inst.Parts());
        // Being first makes no folder the root; picking it does, and the dialog says so.
        auto* root = dlg.findChild<QLabel*>(Ids::Publish::kRoot);
        QCOMPARE(theApp.m_publishRoot, QString());
        QCOMPARE(root->text(), "尚未选择根目录");
        auto* tree = dlg.findChild<CFolderTreeCtrl*>(Ids::Publish::kTree);
        QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);  // no choice either
        QApplication::sendEvent(tree, &focus);
        QCOMPARE(theApp.m_publishRoot, QString());
        QVERIFY(!tree->currentItem());
        tree->setCurrentItem(tree->topLevelItem(0));
        QCOMPARE(theApp.m_publishRoot, out);
        QCOMPARE(root->toolTip(), out + "/Vistrel");
        prompter.fileAnswers.enqueue(inst.Write("cover.jpg", "cover"));
        dlg.findChild<QPushButton*>(Ids::Publish::kChooseCover)->click();
        QCOMPARE(dlg.findChild<QLineEdit*>(Ids::Publish::kCover)->text(), inst.Path("cover.jpg"));
        dlg.Progress().SetPollInterval(1);
        dlg.Progress().SetCloseDelay(0);
        dlg.findChild<QPushButton*>(Ids::Publish::kPublish)->click();
        FolderTree::SetRoots(std::nullopt);
        // The stand-in executable has no Qt runtime to bundle, which the note adds.
        QVERIFY(prompter.Notices().value(1).startsWith("发布系统成功！"));
        QFile splash(out + "/Vistrel/sysfile/splash.jpg");
        QVERIFY(splash.open(QIODevice::ReadOnly) && splash.readAll() == "cover");
        // Then where the copy went, with the folder opened when the editor says yes.
        QCOMPARE(prompter.shown.last().kind, "box");
        QVERIFY(prompter.shown.last().text.contains(out + "/Vistrel"));
        QCOMPARE(prompter.shown.last().style, MB_YESNO | MB_ICONINFORMATION);
        prompter.boxAnswers.enqueue(IDYES);
        dlg.findChild<QPushButton*>(Ids::Publish::kPublish)->click();
        QCOMPARE(prompter.shown.last().kind, "url");
        QCOMPARE(QUrl(prompter.shown.last().text), QUrl::fromLocalFile(out + "/Vistrel"));
    }

    // A new folder inside the selected one becomes the root, under the name typed for it.
    void newFolderBecomesTheRoot() {
        ScopedInstallation inst;
        ScriptedPrompter prompter;
        const QString out = inst.Path("release");
        QVERIFY(QDir().mkpath(out + "/新建文件夹"));  // taken: the next one is numbered
        FolderTree::SetRoots(QList<FolderTree::Node>{FolderTree::FolderNode(out)});
        CPublishDlg dlg(inst.Parts());
        FolderTree::SetRoots(std::nullopt);
        auto* button = dlg.findChild<QPushButton*>(Ids::Publish::kNewFolder);
        button->click();  // nothing selected yet
        QCOMPARE(prompter.Notices().value(0).trimmed(), "请先选择一个文件夹");
        auto* tree = dlg.findChild<CFolderTreeCtrl*>(Ids::Publish::kTree);
        tree->setCurrentItem(tree->topLevelItem(0));
        button->click();
        QCOMPARE(theApp.m_publishRoot, out + "/新建文件夹 (2)");
        QVERIFY(QFileInfo(out + "/新建文件夹 (2)").isDir());
        tree->currentItem()->setText(0, "盘");
        QCOMPARE(theApp.m_publishRoot, out + "/盘");
        QVERIFY(QFileInfo(out + "/盘").isDir() && !QFileInfo::exists(out + "/新建文件夹 (2)"));
        QCOMPARE(dlg.findChild<QLabel*>(Ids::Publish::kRoot)->toolTip(), out + "/盘/Vistrel");
        tree->currentItem()->setText(0, "新建文件夹");  // taken: refused, the name stays
        QCOMPARE(prompter.Notices().last().trimmed(), "已有同名的文件或文件夹");
        QCOMPARE(tree->currentItem()->text(0), "盘");
        QCOMPARE(theApp.m_publishRoot, out + "/盘");
    }

    // A failure keeps its notice, then says why in a box that stays until it is closed.
    void failureSaysWhy() {
        ScopedInstallation inst;
        ScriptedPrompter prompter;
        inst.Write("blocker", "a file where the root's folder would be");
        FolderTree::SetRoots(QList<FolderTree::Node>{FolderTree::FolderNode(inst.Path("blocker"))});
        CPublishDlg dlg(inst.Parts());
        FolderTree::SetRoots(std::nullopt);
        auto* tree = dlg.findChild<CFolderTreeCtrl*>(Ids::Publish::kTree);
        tree->setCurrentItem(tree->topLevelItem(0));
        dlg.findChild<QPushButton*>(Ids::Publish::kPublish)->click();
        QCOMPARE(prompter.Notices().value(0).trimmed(), "发布系统失败！");
        QCOMPARE(prompter.shown.size(), 2);
        QCOMPARE(prompter.shown[1].kind, "box");
        QCOMPARE(prompter.shown[1].style, MB_OK | MB_ICONERROR);
        QVERIFY2(prompter.shown[1].text.contains(inst.Path("blocker")),
                 qPrintable(prompter.shown[1].text));

        const QStringList errors = {"a", "b", "c", "d", "e", "f", "g"};
        const QString details = PublishOperation::FailureDetails(errors, 5);
        QVERIFY(details.contains("• e") && !details.contains("• f"));
        QVERIFY(details.contains("另有 2 项错误"));
    }
};

QTEST_MAIN(TestPublishDlg)
#include "tst_publishdlg.moc"
