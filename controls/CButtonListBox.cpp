#include "controls/CButtonListBox.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLayout>
#include <QScrollBar>
#include <algorithm>
#include <limits>

#include "controls/AccessibleControls.h"
#include "controls/CHoverButton.h"

namespace {

// Child ids are handed out across every list of the process and never reused.
int g_buttonsCreated = 0;

// A switched-off layout that places nothing. A button shown in a block without a layout posts
// the block a layout request, and Qt compares each such post with every event still pending
// (each new widget leaves one), which makes filling a long list quadratic. A switched-off
// layout asks once and never again.
class BlockLayout : public QLayout {
public:
    explicit BlockLayout(QWidget* block) : QLayout(block) {
        setContentsMargins(0, 0, 0, 0);
        setSizeConstraint(QLayout::SetNoConstraint);
        setEnabled(false);
    }
    ~BlockLayout() override = default;
    void addItem(QLayoutItem* item) override { delete item; }
    int count() const override { return 0; }
    QLayoutItem* itemAt(int) const override { return nullptr; }
    QLayoutItem* takeAt(int) override { return nullptr; }
    QSize sizeHint() const override { return {}; }
};

}  // namespace

CButtonListBox::CButtonListBox(QWidget* parent) : QAbstractScrollArea(parent) {
    AccessibleControls::Install();
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    UpdateScrollRange();
}

CButtonListBox::~CButtonListBox() = default;

int CButtonListBox::ButtonsCreated() {
    return g_buttonsCreated;
}

int CButtonListBox::AddString(const QString& text) {
    const int index = static_cast<int>(m_buttons.size());
    if (index % kBlockSize == 0) {
        auto* block = new QWidget(viewport());
        new BlockLayout(block);
        m_blocks.append(block);
        block->show();
    }
    auto* button = new CHoverButton(text, m_blocks.last());
    ++g_buttonsCreated;
    button->setObjectName(QString::number(1001 + g_buttonsCreated));
    button->installEventFilter(this);
    // Read as "name, count" rather than with the bar that separates them on screen.
    const qsizetype bar = text.lastIndexOf(QLatin1Char('|'));
    button->setAccessibleName(bar < 0 ? text
                                      : text.left(bar) + QStringLiteral("，") + text.mid(bar + 1));
    connect(button, &CHoverButton::clicked, this, &CButtonListBox::OnButtonClicked);
    m_entries.append(text);
    m_buttons.append(button);
    // A longer list only widens the scroll range, so the entries above stay where they are:
    // placing just the new button and its block keeps filling the list linear in its length.
    UpdateScrollRange();
    button->setGeometry(0, (index % kBlockSize) * m_itemHeight, viewport()->width(),
                        qMin(kButtonHeight, m_itemHeight));
    PlaceBlock(static_cast<int>(m_blocks.size()) - 1);
    button->show();
    return index;
}

void CButtonListBox::ResetContent() {
    for (const QPointer<CHoverButton>& button : std::as_const(m_buttons)) {
        if (!button) continue;
        button->removeEventFilter(this);
        button->disconnect(this);
        button->hide();
        // Later, not now: the reset may run inside that very button's click.
        button->deleteLater();
    }
    for (const QPointer<QWidget>& block : std::as_const(m_blocks)) {
        if (!block) continue;
        block->hide();
        block->deleteLater();
    }
    m_blocks.clear();
    m_buttons.clear();
    m_entries.clear();
    UpdateScrollRange();
    verticalScrollBar()->setValue(0);
}

QString CButtonListBox::GetText(int index) const {
    return index >= 0 && index < m_entries.size() ? m_entries.at(index) : QString();
}

CHoverButton* CButtonListBox::ButtonAt(int index) const {
    return index >= 0 && index < m_buttons.size() ? m_buttons.at(index).data() : nullptr;
}

int CButtonListBox::FocusedIndex() const {
    for (int i = 0; i < m_buttons.size(); ++i) {
        if (m_buttons.at(i) && m_buttons.at(i)->IsFocusedEntry()) return i;
    }
    return -1;
}

void CButtonListBox::SetItemHeight(int height) {
    m_itemHeight = qMax(1, height);
    UpdateScrollRange();
    LayoutButtons();
}

void CButtonListBox::EnsureVisible(int index) {
    if (index < 0 || index >= m_buttons.size()) return;
    QScrollBar* bar = verticalScrollBar();
    const int top = index * m_itemHeight;
    const int bottom = top + qMin(kButtonHeight, m_itemHeight);
    const int viewHeight = viewport()->height();
    if (top < bar->value()) {
        bar->setValue(top);
    } else if (bottom > bar->value() + viewHeight) {
        bar->setValue(bottom - viewHeight);
    }
}

void CButtonListBox::OnButtonClicked() {
    QPointer<CHoverButton> button = qobject_cast<CHoverButton*>(sender());
    if (!button) return;
    const QString text = button->text();
    emit listItemClicked(text);
    // The receiver may have rebuilt the list; only a button still listed takes the focus.
    if (button && m_buttons.contains(button)) {
        button->setFocus(Qt::MouseFocusReason);
        EnsureVisible(m_buttons.indexOf(button));
    }
}

void CButtonListBox::LayoutButtons() {
    const int width = viewport()->width();
    const int height = qMin(kButtonHeight, m_itemHeight);
    for (int i = 0; i < m_buttons.size(); ++i) {
        if (m_buttons.at(i))
            m_buttons.at(i)->setGeometry(0, (i % kBlockSize) * m_itemHeight, width, height);
    }
    for (int b = 0; b < m_blocks.size(); ++b) PlaceBlock(b);
}

void CButtonListBox::PlaceBlock(int block) {
    QWidget* widget = m_blocks.value(block);
    if (!widget) return;
    const int first = block * kBlockSize;
    const int count = qMin(kBlockSize, static_cast<int>(m_buttons.size()) - first);
    const int height =
        count <= 0 ? 0 : (count - 1) * m_itemHeight + qMin(kButtonHeight, m_itemHeight);
    widget->setGeometry(0, first * m_itemHeight - verticalScrollBar()->value(), viewport()->width(),
                        height);
}

void CButtonListBox::UpdateScrollRange() {
    QScrollBar* bar = verticalScrollBar();
    const int viewHeight = viewport()->height();
    const int content = m_buttons.isEmpty() ? 0
                                            : (m_buttons.size() - 1) * m_itemHeight +
                                                  qMin(kButtonHeight, m_itemHeight);
    bar->setRange(0, qMax(0, content - viewHeight));
    bar->setPageStep(qMax(1, viewHeight));
    bar->setSingleStep(m_itemHeight);
}

void CButtonListBox::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
    LayoutButtons();
}

void CButtonListBox::scrollContentsBy(int, int) {
    // The buttons keep their places inside their blocks.
    for (int b = 0; b < m_blocks.size(); ++b) PlaceBlock(b);
}

bool CButtonListBox::eventFilter(QObject* watched, QEvent* event) {
    // The wheel over an entry scrolls the list, whichever way the event reached the button.
    if (event->type() == QEvent::Wheel && qobject_cast<CHoverButton*>(watched)) {
        QApplication::sendEvent(verticalScrollBar(), event);
        return true;
    }
    // A press into a window that is not active moves the focus without focus events, so the
    // entry that was current would keep its look beside the pressed one: redraw them all.
    if (event->type() == QEvent::MouseButtonPress && qobject_cast<CHoverButton*>(watched)) {
        for (const QPointer<CHoverButton>& button : std::as_const(m_buttons)) {
            if (button) button->update();
        }
    }
    // The arrows, Page Up/Down, Home and End move between the entries; Space opens one.
    if (event->type() == QEvent::KeyPress) {
        const int from = m_buttons.indexOf(qobject_cast<CHoverButton*>(watched));
        if (from >= 0) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            const int page = std::max(1, viewport()->height() / m_itemHeight);
            constexpr int kStay = std::numeric_limits<int>::min();
            int to = kStay;
            switch (key) {
                case Qt::Key_Down:
                    to = from + 1;
                    break;
                case Qt::Key_Up:
                    to = from - 1;
                    break;
                case Qt::Key_PageDown:
                    to = from + page;
                    break;
                case Qt::Key_PageUp:
                    to = from - page;
                    break;
                case Qt::Key_Home:
                    to = 0;
                    break;
                case Qt::Key_End:
                    to = GetCount() - 1;
                    break;
                default:
                    break;
            }
            if (to != kStay) {
                to = std::clamp(to, 0, GetCount() - 1);
                if (CHoverButton* target = m_buttons.at(to)) {
                    target->setFocus(Qt::TabFocusReason);
                    // Entries drawn as current follow the focus.
                    for (const QPointer<CHoverButton>& button : std::as_const(m_buttons))
                        if (button) button->update();
                }
                return true;
            }
        }
    }
    // Keyboard focus moving onto an entry scrolls it into view.
    if (event->type() == QEvent::FocusIn) {
        for (int i = 0; i < m_buttons.size(); ++i) {
            if (m_buttons.at(i) == watched) {
                EnsureVisible(i);
                break;
            }
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}
