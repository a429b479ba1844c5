#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The folders the folder tree shows, without any window: the top level, the sub-folders of a
// folder in name order, and the mounted volumes under the computer node.
class FolderTree {
public:
    enum class Kind { Folder, Home, Desktop, Computer, Volume };

    struct Node {
        QString name;  // as shown
        QString path;  // file-system path; empty for the computer node, which has none
        Kind kind = Kind::Folder;
        bool hasChildren = false;
        // Where the folder really is (links resolved).
        QString canonical;
        // A link to a folder already above it in the tree: shown without children, so the
        // tree stays finite.
        bool linksBack = false;
    };

    // The top level: home folder, desktop folder (when it exists apart from home), the computer
    // node with the mounted volumes, and "/".
    static QList<Node> DefaultRoots();
    // The top level in use: DefaultRoots() unless a list was set.
    static QList<Node> Roots();
    // Replaces the top level (tests run on a temporary tree); nullopt restores the default.
    static void SetRoots(std::optional<QList<Node>> roots);
    // A top-level node for a folder.
    static Node FolderNode(const QString& path, const QString& name = QString(),
                           Kind kind = Kind::Folder);

    // The computer node: no path of its own, the mounted volumes below it.
    static Node ComputerNode();

    // The children of a node: the mounted volumes for the computer node, otherwise the
    // sub-folders (hidden ones left out) in name order. `ancestry` holds the canonical paths of
    // the node and of every node above it. A folder that can't be read has no children.
    static QList<Node> Children(const Node& node, const QStringList& ancestry = {});
    static QList<Node> SubFolders(const QString& path, const QStringList& ancestry = {});
    static bool HasSubFolders(const QString& path);

    // Orders by name in the locale's collation, numbers by value (as file managers do).
    static void SortByName(QList<Node>& nodes);

    // Makes a new empty folder "新建文件夹" in `parent` ("新建文件夹 (2)" where that is taken) and
    // returns its path; "" with `error` set where it cannot.
    static QString MakeNewFolder(const QString& parent, QString* error);
    // Renames the folder `path` to `name` inside the same parent and returns the new path; ""
    // with `error` set for a name that is empty, holds a separator, names the folder itself or
    // its parent, or is taken.
    static QString RenameFolder(const QString& path, const QString& name, QString* error);

    // The volumes a user would browse among the mount table lines of /proc/self/mounts:
    // the root, disks, removable media and network shares; never the system's own pseudo file
    // systems. Mount points are decoded ("\040" is a blank) and listed once, in table order.
    static QStringList VolumeMountPoints(const QByteArray& mountTable);
    // The mounted volumes of this machine as nodes.
    static QList<Node> Volumes();
};
