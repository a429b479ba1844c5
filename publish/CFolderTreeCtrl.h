#pragma once

#include <QIcon>
#include <QTreeWidget>

#include "publish/FolderTree.h"

// A tree of the local folders from which a dialog learns the folder the user selects. Its top
// level is FolderTree::Roots(); a node's sub-folders are read the first time it is expanded or
// selected, and never again while the tree lives.
class CFolderTreeCtrl : public QTreeWidget {
    Q_OBJECT
public:
    explicit CFolderTreeCtrl(QWidget* parent = nullptr);

    // Gives the nodes the folder, drive and computer icons of Qt's icon provider.
    void AttachSystemIcons();
    // Replaces every node with the top level, expands the first node and, unless told not to,
    // selects it.
    void FillFromDesktop(bool selectFirst = true);
    // Makes a new folder inside the selected one, shows and selects it, and lets the user type
    // its name over "新建文件夹". False with `error` where there is no selected folder or it
    // cannot be made.
    bool MakeFolderInSelection(QString* error);
    // Writes the selected folder's path into `path` and returns true; a node without a path
    // (or no selection) leaves `path` as it was and returns false.
    bool GetSelectedPath(QString& path) const;

    // How many times sub-folders were read, over all nodes.
    int ChildReads() const { return m_childReads; }
    // The node of an item (null for items this tree did not make).
    static const FolderTree::Node* NodeOf(const QTreeWidgetItem* item);

signals:
    // The selection moved to another node; its path is read with GetSelectedPath().
    void SelectionChanged();
    // A new folder could not take the name typed for it.
    void RenameFailed(const QString& why);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void ReadChildren(QTreeWidgetItem* item);
    void OnItemRenamed(QTreeWidgetItem* item);
    QTreeWidgetItem* MakeItem(const FolderTree::Node& node);
    QIcon IconFor(FolderTree::Kind kind) const;

    bool m_icons = false;
    QIcon m_folderIcon, m_homeIcon, m_desktopIcon, m_computerIcon, m_driveIcon;
    int m_childReads = 0;
    bool m_focusing = false;
};
