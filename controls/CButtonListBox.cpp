#include "controls/CButtonListBox.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QScrollBar>

#include "controls/CHoverButton.h"

namespace {

// Child ids are handed out across every list of the process and never reused.
int g_buttonsCreated = 0;

}  // namespace

CButtonListBox::CButtonListBox(QWidget* parent) : QAbstractScrollArea(parent) {
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
    auto* button = new CHoverButton(text, viewport());
    ++g_buttonsCreated;
    button->setObjectName(QString::number(1001 + g_buttonsCreated));
    button->installEventFilter(this);
    connect(button, &CHoverButton::clicked, this, &CButtonListBox::OnButtonClicked);
    m_entries.append(text);
    m_buttons.append(button);
    UpdateScrollRange();
    LayoutButtons();
    button->show();
    return m_entries.size() - 1;
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
    const int offset = verticalScrollBar()->value();
    const int width = viewport()->width();
    const int height = qMin(kButtonHeight, m_itemHeight);
    for (int i = 0; i < m_buttons.size(); ++i) {
        if (m_buttons.at(i))
            m_buttons.at(i)->setGeometry(0, i * m_itemHeight - offset, width, height);
    }
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
    LayoutButtons();
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
