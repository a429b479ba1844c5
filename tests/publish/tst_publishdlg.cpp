// The publish dialog: the tree's selection becomes the application's publish root, the chooser
// fills the cover edit, and 系统发布 publishes (what a publish writes is tst_publish's).
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "ControlIds.h"
#include "ScopedInstallation.h"
#include "ScriptedPrompter.h"
#include "publish/CProgressDlg.h"
#include "publish/CPublishDlg.h"
#include "publish/FolderTree.h"

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
        QCOMPARE(theApp.m_publishRoot, out);
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
    }
};

QTEST_MAIN(TestPublishDlg)
#include "tst_publishdlg.moc"
