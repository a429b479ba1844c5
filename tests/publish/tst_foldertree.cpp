// The folder tree: top level, folders only in name order, lazy reading, links and loops,
// unreadable folders, the path of the selected node, and the mount table.
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "ScriptedPrompter.h"
#include "publish/CFolderTreeCtrl.h"

namespace {
QStringList ChildNames(const QTreeWidgetItem* item) {
    QStringList names;
    for (int i = 0; i < item->childCount(); ++i) names << item->child(i)->text(0);
    return names;
}
QTreeWidgetItem* Child(QTreeWidgetItem* item, const QString& name) {
    for (int i = 0; i < item->childCount(); ++i)
        if (item->child(i)->text(0) == name) return item->child(i);
    return nullptr;
}
}  // namespace

class TestFolderTree : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { FolderTree::SetRoots(std::nullopt); }

    void topLevelAndVirtualNode() {
        const QList<FolderTree::Node> roots = FolderTree::DefaultRoots();
        QCOMPARE(roots.first().path, QDir::homePath());
        QCOMPARE(roots.last().path, QStringLiteral("/"));
        QCOMPARE(roots[roots.size() - 2].name, QStringLiteral("计算机"));
        FolderTree::SetRoots(QList<FolderTree::Node>{FolderTree::ComputerNode()});
        CFolderTreeCtrl tree;
        tree.AttachSystemIcons();
        tree.FillFromDesktop();
        QTreeWidgetItem* computer = tree.topLevelItem(0);
        QVERIFY(!computer->icon(0).isNull());
        QString path = QStringLiteral("kept");
        QVERIFY(!tree.GetSelectedPath(path));
        QCOMPARE(path, QStringLiteral("kept"));
        // The volumes below it: "/" at least, with its path.
        tree.setCurrentItem(Child(computer, QStringLiteral("/")));
        QVERIFY(tree.GetSelectedPath(path));
        QCOMPARE(path, QStringLiteral("/"));
    }

    void foldersLinksAndLoops() {
        ScriptedPrompter prompter;
        QTemporaryDir dir;
        const QString root = dir.path();
        for (const char* sub :
             {"b/inner", "A/deep", "a9", "a10", ".hidden/x", "locked/x", "gone/y"})
            QVERIFY(QDir(root).mkpath(QString::fromLatin1(sub)));
        QVERIFY(QFile(root + "/file.txt").open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(root + "/A", root + "/link"));
        QVERIFY(QFile::link(root, root + "/A/deep/back"));  // a loop back to the top
        QVERIFY(QFile::link(root + "/self", root + "/self"));
        QVERIFY(::chmod(QFile::encodeName(root + "/locked").constData(), 0) == 0);

        FolderTree::SetRoots(QList<FolderTree::Node>{FolderTree::FolderNode(root, "top")});
        CFolderTreeCtrl tree;
        tree.FillFromDesktop();
        QTreeWidgetItem* top = tree.topLevelItem(0);
        QVERIFY(top->isExpanded());
        QCOMPARE(tree.currentItem(), top);
        QCOMPARE(ChildNames(top), (QStringList{"A", "a9", "a10", "b", "gone", "link", "locked"}));
        QCOMPARE(tree.ChildReads(), 1);

        // Selecting reads the children once; expanding afterwards does not read them again, and
        // a folder made meanwhile does not appear.
        QTreeWidgetItem* b = Child(top, "b");
        QCOMPARE(b->childCount(), 0);
        tree.setCurrentItem(b);
        QString path;
        QVERIFY(tree.GetSelectedPath(path));
        QCOMPARE(path, root + "/b");
        QVERIFY(QDir(root).mkpath("b/late"));
        b->setExpanded(true);
        b->setExpanded(false);
        tree.setCurrentItem(top);
        tree.setCurrentItem(b);
        b->setExpanded(true);
        QCOMPARE(ChildNames(b), QStringList{"inner"});
        QCOMPARE(tree.ChildReads(), 2);

        // A linked folder is browsed; the link back to the top ends the branch.
        QTreeWidgetItem* link = Child(top, "link");
        link->setExpanded(true);
        QTreeWidgetItem* deep = Child(link, "deep");
        QVERIFY(deep);
        deep->setExpanded(true);
        QTreeWidgetItem* back = Child(deep, "back");
        QVERIFY(back);
        QCOMPARE(back->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
        back->setExpanded(true);
        QCOMPARE(back->childCount(), 0);

        // A folder gone since it was listed, and a folder without permissions: no children.
        QVERIFY(QDir(root + "/gone").removeRecursively());
        Child(top, "gone")->setExpanded(true);
        QCOMPARE(Child(top, "gone")->childCount(), 0);
        QTreeWidgetItem* locked = Child(top, "locked");
        locked->setExpanded(true);
        if (::geteuid() != 0)
            QCOMPARE(locked->childCount(), 0);
        else
            qInfo("running as root, which reads a folder without permissions anyway");
        QVERIFY(prompter.shown.isEmpty());
        ::chmod(QFile::encodeName(root + "/locked").constData(), 0700);
    }

    void mountTable() {
        const QByteArray table =
            "/dev/sda1 / ext4 rw 0 0\n"
            "proc /proc proc rw 0 0\n"
            "tmpfs /run tmpfs rw 0 0\n"
            "/dev/sdb1 /media/anna/My\\040Disk vfat rw 0 0\n"
            "/dev/sda2 /boot/efi vfat rw 0 0\n"
            "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
            "server:/export /mnt/share nfs4 rw 0 0\n"
            "/dev/sdc1 /run/media/anna/STICK exfat rw 0 0\n"
            "/dev/sda1 / ext4 rw 0 0\n"
            "tmpfs /home/anna/scratch tmpfs rw 0 0\n";
        QCOMPARE(FolderTree::VolumeMountPoints(table),
                 (QStringList{"/", "/media/anna/My Disk", "/mnt/share", "/run/media/anna/STICK"}));
    }
};

QTEST_MAIN(TestFolderTree)
#include "tst_foldertree.moc"
