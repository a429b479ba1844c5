#include "controls/AccessibleControls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>
#include <vector>

#include "controls/CSkinTabCtrl.h"
#include "controls/CThumbListCtrl.h"
#include "controls/ThumbnailRenderer.h"

namespace {

// One item of a control that draws its items itself: a thumbnail of the list, or a tab.
class ItemInterface : public QAccessibleInterface {
public:
    ItemInterface(QWidget* owner, int index) : m_owner(owner), m_index(index) {}

    CThumbListCtrl* List() const { return qobject_cast<CThumbListCtrl*>(m_owner.data()); }
    CSkinTabCtrl* Tabs() const { return qobject_cast<CSkinTabCtrl*>(m_owner.data()); }
    QWidget* Owner() const { return m_owner; }
    int Index() const { return m_index; }

    bool isValid() const override {
        if (CThumbListCtrl* list = List()) return m_index < list->GetItemCount();
        if (CSkinTabCtrl* tabs = Tabs()) return m_index < tabs->GetItemCount();
        return false;
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return m_owner ? m_owner->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return m_owner ? QAccessible::queryAccessibleInterface(m_owner.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        if (!isValid()) return QString();
        if (CSkinTabCtrl* tabs = Tabs())
            return t == QAccessible::Name ? tabs->GetItemText(m_index) : QString();
        const auto [name, type] = ThumbnailRenderer::SplitCaption(List()->GetItemText(m_index));
        if (t == QAccessible::Name) return type.isEmpty() ? name : name + QLatin1Char(' ') + type;
        if (t == QAccessible::Description) return type;
        return QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) return QRect();
        if (CSkinTabCtrl* tabs = Tabs()) {
            const QRect r = tabs->GetItemRect(m_index);
            return QRect(tabs->mapToGlobal(r.topLeft()), r.size());
        }
        const QRect r = List()->ItemRect(m_index);
        return QRect(List()->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override {
        return Tabs() ? QAccessible::PageTab : QAccessible::ListItem;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.focusable = true;
        s.selectable = true;
        if (CSkinTabCtrl* tabs = Tabs()) {
            s.selected = tabs->GetCurSel() == m_index;
            s.focused = tabs->hasFocus() && s.selected;
            s.disabled = !tabs->IsItemEnabled(m_index);
            return s;
        }
        CThumbListCtrl* list = List();
        s.focused = list->hasFocus() && list->CurrentIndex() == m_index;
        s.active = list->CurrentIndex() == m_index;
        s.selected = list->GetSelectionMark() == m_index;
        s.offscreen = !list->viewport()->rect().intersects(list->ItemRect(m_index));
        return s;
    }

private:
    QPointer<QWidget> m_owner;
    int m_index;
};

// The control itself: its items are children made on demand, one interface per position; an
// item reads its text afresh each time, so a refilled control needs no new ones.
class OwnerInterface : public QAccessibleWidget {
public:
    OwnerInterface(QWidget* owner, QAccessible::Role role) : QAccessibleWidget(owner, role) {}
    ~OwnerInterface() override {
        for (QAccessible::Id id : m_items)
            if (id) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override {
        if (auto* list = qobject_cast<CThumbListCtrl*>(widget())) return list->GetItemCount();
        if (auto* tabs = qobject_cast<CSkinTabCtrl*>(widget())) return tabs->GetItemCount();
        return 0;
    }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        if (index >= static_cast<int>(m_items.size())) m_items.resize(index + 1, 0);
        if (!m_items[index])
            m_items[index] =
                QAccessible::registerAccessibleInterface(new ItemInterface(widget(), index));
        return QAccessible::accessibleInterface(m_items[index]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child || child->object() ||
            (child->role() != QAccessible::ListItem && child->role() != QAccessible::PageTab))
            return -1;
        const auto* item = static_cast<const ItemInterface*>(child);
        return item->Owner() == widget() && item->Index() < childCount() ? item->Index() : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        if (auto* list = qobject_cast<CThumbListCtrl*>(widget()))
            return child(list->IndexAt(list->viewport()->mapFromGlobal(QPoint(x, y))));
        if (auto* tabs = qobject_cast<CSkinTabCtrl*>(widget()))
            return child(tabs->HitTest(tabs->mapFromGlobal(QPoint(x, y))));
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        if (!widget()->hasFocus()) return nullptr;
        if (auto* list = qobject_cast<CThumbListCtrl*>(widget()))
            return child(list->CurrentIndex());
        if (auto* tabs = qobject_cast<CSkinTabCtrl*>(widget())) return child(tabs->GetCurSel());
        return nullptr;
    }

private:
    mutable std::vector<QAccessible::Id> m_items;
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className == QLatin1String("CThumbListCtrl"))
        if (auto* list = qobject_cast<CThumbListCtrl*>(object))
            return new OwnerInterface(list, QAccessible::List);
    // The category list's entries are buttons of their own; the list is what holds them.
    if (className == QLatin1String("CButtonListBox") && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::List);
    if (className == QLatin1String("CSkinTabCtrl"))
        if (auto* tabs = qobject_cast<CSkinTabCtrl*>(object))
            return new OwnerInterface(tabs, QAccessible::PageTabList);
    return nullptr;
}

}  // namespace

namespace AccessibleControls {
void Install() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

void NotifyCurrent(CThumbListCtrl* list, int index) {
    if (!QAccessible::isActive() || !list->hasFocus() || index < 0) return;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(list);
    if (QAccessibleInterface* item = iface ? iface->child(index) : nullptr) {
        QAccessibleEvent event(item, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}

}  // namespace AccessibleControls
