#include "publish/CFolderTreeCtrl.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>

namespace {
class NodeItem : public QTreeWidgetItem {
public:
    static constexpr int kType = QTreeWidgetItem::UserType + 53;
    explicit NodeItem(const FolderTree::Node& n) : QTreeWidgetItem(kType), node(n) {}
    FolderTree::Node node;
    bool childrenRead = false;
};
}  // namespace

CFolderTreeCtrl::CFolderTreeCtrl(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    connect(this, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { ReadChildren(item); });
    connect(this, &QTreeWidget::itemChanged, this, &CFolderTreeCtrl::OnItemRenamed);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (m_focusing) return;
        if (current) ReadChildren(current);
        emit SelectionChanged();
    });
}

const FolderTree::Node* CFolderTreeCtrl::NodeOf(const QTreeWidgetItem* item) {
    if (!item || item->type() != NodeItem::kType) return nullptr;
    return &static_cast<const NodeItem*>(item)->node;
}

void CFolderTreeCtrl::AttachSystemIcons() {
    const QFileIconProvider provider;
    m_folderIcon = provider.icon(QFileIconProvider::Folder);
    m_homeIcon = provider.icon(QFileInfo(QDir::homePath()));
    m_desktopIcon = provider.icon(QFileIconProvider::Desktop);
    m_computerIcon = provider.icon(QFileIconProvider::Computer);
    m_driveIcon = provider.icon(QFileIconProvider::Drive);
    m_icons = true;
}

QIcon CFolderTreeCtrl::IconFor(FolderTree::Kind kind) const {
    if (!m_icons) return QIcon();
    switch (kind) {
        case FolderTree::Kind::Home:
            return m_homeIcon.isNull() ? m_folderIcon : m_homeIcon;
        case FolderTree::Kind::Desktop:
            return m_desktopIcon;
        case FolderTree::Kind::Computer:
            return m_computerIcon;
        case FolderTree::Kind::Volume:
            return m_driveIcon;
        case FolderTree::Kind::Folder:
            break;
    }
    return m_folderIcon;
}

QTreeWidgetItem* CFolderTreeCtrl::MakeItem(const FolderTree::Node& node) {
    auto* item = new NodeItem(node);
    item->setText(0, node.name);
    item->setIcon(0, IconFor(node.kind));
    if (!node.path.isEmpty()) item->setToolTip(0, node.path);
    item->setChildIndicatorPolicy(node.hasChildren
                                      ? QTreeWidgetItem::ShowIndicator
                                      : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    return item;
}

void CFolderTreeCtrl::FillFromDesktop(bool selectFirst) {
    clear();
    for (const FolderTree::Node& node : FolderTree::Roots()) addTopLevelItem(MakeItem(node));
    if (QTreeWidgetItem* first = topLevelItem(0)) {
        first->setExpanded(true);
        if (selectFirst) setCurrentItem(first);
    }
}

bool CFolderTreeCtrl::MakeFolderInSelection(QString* error) {
    QTreeWidgetItem* parent = currentItem();
    const FolderTree::Node* node = NodeOf(parent);
    const QString path = FolderTree::MakeNewFolder(node ? node->path : QString(), error);
    if (path.isEmpty()) return false;
    // Children read before the folder existed lack it; read later, they hold it already.
    auto* nodeItem = static_cast<NodeItem*>(parent);
    QTreeWidgetItem* item = nullptr;
    if (nodeItem->childrenRead) {
        item = MakeItem(FolderTree::FolderNode(path, QFileInfo(path).fileName()));
        parent->addChild(item);
    } else {
        ReadChildren(parent);
        for (int i = 0; i < parent->childCount() && !item; ++i)
            if (const FolderTree::Node* n = NodeOf(parent->child(i)); n && n->path == path)
                item = parent->child(i);
    }
    parent->setExpanded(true);
    if (!item) return true;
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    setCurrentItem(item);
    scrollToItem(item);
    editItem(item);
    return true;
}

void CFolderTreeCtrl::OnItemRenamed(QTreeWidgetItem* item) {
    if (!item || item->type() != NodeItem::kType) return;
    auto* nodeItem = static_cast<NodeItem*>(item);
    if (item->text(0) == nodeItem->node.name) return;
    QString why;
    const QString renamed = FolderTree::RenameFolder(nodeItem->node.path, item->text(0), &why);
    {
        const QSignalBlocker block(this);  // the text set back is no rename
        if (!renamed.isEmpty())
            nodeItem->node = FolderTree::FolderNode(renamed, QFileInfo(renamed).fileName());
        item->setText(0, nodeItem->node.name);
        item->setToolTip(0, nodeItem->node.path);
    }
    if (renamed.isEmpty())
        emit RenameFailed(why);
    else if (currentItem() == item)
        emit SelectionChanged();
}

void CFolderTreeCtrl::ReadChildren(QTreeWidgetItem* item) {
    if (!item || item->type() != NodeItem::kType) return;
    auto* nodeItem = static_cast<NodeItem*>(item);
    if (nodeItem->childrenRead) return;
    nodeItem->childrenRead = true;
    ++m_childReads;
    // The canonical folders from here up: a link back to one of them ends the branch.
    QStringList ancestry;
    for (const QTreeWidgetItem* up = item; up; up = up->parent())
        if (const FolderTree::Node* n = NodeOf(up); n && !n->canonical.isEmpty())
            ancestry << n->canonical;
    QList<QTreeWidgetItem*> children;
    for (const FolderTree::Node& child : FolderTree::Children(nodeItem->node, ancestry))
        children << MakeItem(child);
    item->addChildren(children);
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

bool CFolderTreeCtrl::GetSelectedPath(QString& path) const {
    const FolderTree::Node* node = NodeOf(currentItem());
    if (!node || node->path.isEmpty()) return false;
    path = node->path;
    return true;
}

void CFolderTreeCtrl::keyPressEvent(QKeyEvent* event) {
    // "*" would expand the whole branch below the node, which for "/" means the whole disk:
    // it opens one level here.
    if (event->key() == Qt::Key_Asterisk) {
        if (QTreeWidgetItem* item = currentItem()) item->setExpanded(true);
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void CFolderTreeCtrl::focusInEvent(QFocusEvent* event) {
    // The view would make its first item current on taking the focus; a tree filled without a
    // selection keeps none until the user picks one.
    const bool hadCurrent = currentItem() != nullptr;
    m_focusing = true;
    QTreeWidget::focusInEvent(event);
    if (!hadCurrent && currentItem()) setCurrentItem(nullptr);
    m_focusing = false;
}
