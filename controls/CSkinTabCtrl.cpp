#include "controls/CSkinTabCtrl.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "controls/AccessibleControls.h"

namespace {

constexpr int kStripLeft = 2;
constexpr int kTabPadding = 10;
constexpr int kMinTabWidth = 40;
// Unselected tabs stand this much lower and narrower than the selected one.
constexpr int kLowered = 2;

const QColor kGreyText(128, 128, 128);

}  // namespace

CSkinTabCtrl::CSkinTabCtrl(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    AccessibleControls::Install();
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QFont CSkinTabCtrl::TabFont() const {
    QFont font = QApplication::font("QMenu");
    font.resolve(this->font());
    return font;
}

int CSkinTabCtrl::InsertItem(int index, const QString& text) {
    index = qBound(0, index, static_cast<int>(m_tabs.size()));
    m_tabs.insert(index, Tab{text, true});
    if (m_curSel < 0) {
        m_curSel = 0;
    } else if (index <= m_curSel) {
        ++m_curSel;
    }
    updateGeometry();
    update();
    return index;
}

bool CSkinTabCtrl::DeleteItem(int index) {
    if (index < 0 || index >= m_tabs.size()) return false;
    m_tabs.removeAt(index);
    if (m_tabs.isEmpty()) {
        m_curSel = -1;
    } else if (index < m_curSel || (index == m_curSel && m_curSel > 0)) {
        --m_curSel;
    }
    updateGeometry();
    update();
    return true;
}

void CSkinTabCtrl::DeleteAllItems() {
    m_tabs.clear();
    m_curSel = -1;
    update();
}

QString CSkinTabCtrl::GetItemText(int index) const {
    return index >= 0 && index < m_tabs.size() ? m_tabs.at(index).text : QString();
}

void CSkinTabCtrl::SetItemText(int index, const QString& text) {
    if (index < 0 || index >= m_tabs.size()) return;
    m_tabs[index].text = text;
    update();
}

int CSkinTabCtrl::SetCurSel(int index) {
    if (index < 0 || index >= m_tabs.size()) return -1;
    const int previous = m_curSel;
    m_curSel = index;
    update();
    return previous;
}

void CSkinTabCtrl::EnableItem(int index, bool enable) {
    if (index < 0 || index >= m_tabs.size()) return;
    m_tabs[index].enabled = enable;
    update();
}

bool CSkinTabCtrl::IsItemEnabled(int index) const {
    return index >= 0 && index < m_tabs.size() && m_tabs.at(index).enabled;
}

QRect CSkinTabCtrl::GetItemRect(int index) const {
    if (index < 0 || index >= m_tabs.size()) return {};
    const QFontMetrics fm(TabFont());
    int x = kStripLeft;
    for (int i = 0;; ++i) {
        const int w = qMax(kMinTabWidth, fm.horizontalAdvance(m_tabs.at(i).text) + 2 * kTabPadding);
        if (i == index) return QRect(x, 0, w, kTabStripHeight);
        x += w;
    }
}

int CSkinTabCtrl::HitTest(const QPoint& pos) const {
    for (int i = 0; i < m_tabs.size(); ++i) {
        if (GetItemRect(i).contains(pos)) return i;
    }
    return -1;
}

QSize CSkinTabCtrl::sizeHint() const {
    return QSize(400, 300);
}

QSize CSkinTabCtrl::minimumSizeHint() const {
    return QSize(kPageMargins.left() + kPageMargins.right() + 1,
                 kPageMargins.top() + kPageMargins.bottom() + 1);
}

void CSkinTabCtrl::ChooseByUser(int index) {
    if (index < 0 || index >= m_tabs.size() || index == m_curSel) return;
    if (!m_tabs.at(index).enabled) return;
    m_curSel = index;
    update();
    emit selectionChanged(index);
}

void CSkinTabCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    ChooseByUser(HitTest(event->position().toPoint()));
}

void CSkinTabCtrl::keyPressEvent(QKeyEvent* event) {
    int step = 0;
    if (event->key() == Qt::Key_Left) step = -1;
    if (event->key() == Qt::Key_Right) step = 1;
    if (step == 0 || m_tabs.isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    // Arrow keys skip disabled tabs, as clicks cannot reach them either.
    for (int i = m_curSel + step; i >= 0 && i < m_tabs.size(); i += step) {
        if (m_tabs.at(i).enabled) {
            ChooseByUser(i);
            break;
        }
    }
}

void CSkinTabCtrl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) update();
    QWidget::changeEvent(event);
}

void CSkinTabCtrl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor highlight = palette().color(QPalette::Light);
    const QColor darkShadow = palette().color(QPalette::Shadow);
    const QColor shadow = palette().color(QPalette::Dark);
    const int w = width();
    const int h = height();
    const int frameTop = kTabStripHeight;

    p.fillRect(rect(), GroundColor());

    // Page frame below the strip: a raised edge, lit from the top left.
    if (w > 3 && h > frameTop + 3) {
        p.setPen(shadow);
        p.drawLine(0, frameTop, w - 1, frameTop);
        p.drawLine(0, frameTop, 0, h - 1);
        p.setPen(highlight);
        p.drawLine(1, frameTop + 1, w - 3, frameTop + 1);
        p.drawLine(1, frameTop + 1, 1, h - 3);
        p.setPen(darkShadow);
        p.drawLine(0, h - 1, w - 1, h - 1);
        p.drawLine(w - 1, frameTop, w - 1, h - 1);
        p.setPen(shadow);
        p.drawLine(2, h - 2, w - 2, h - 2);
        p.drawLine(w - 2, frameTop + 1, w - 2, h - 2);
    }

    p.setFont(TabFont());
    // The selected tab comes last so that it overlaps its neighbours.
    QList<int> order;
    for (int i = 0; i < m_tabs.size(); ++i) {
        if (i != m_curSel) order.append(i);
    }
    if (m_curSel >= 0) order.append(m_curSel);
    for (int i : std::as_const(order)) {
        const bool selected = i == m_curSel;
        QRect r = GetItemRect(i);
        int bottom = frameTop - 1;
        if (selected) {
            // Wider, and reaching over the frame's top edge into the page.
            r.adjust(-kLowered, 0, kLowered, 0);
            if (r.left() < 0) r.setLeft(0);
            bottom = frameTop + 1;
            p.fillRect(QRect(QPoint(r.left() + 2, r.top() + 2), QPoint(r.right() - 2, bottom)),
                       SelectedTabColor());
        } else {
            r.setTop(kLowered);
            p.fillRect(QRect(QPoint(r.left() + 2, r.top() + 2), QPoint(r.right() - 2, bottom)),
                       GroundColor());
        }
        // Outline with the frame's pens; the top corners are cut by a pixel.
        p.setPen(shadow);
        p.drawLine(r.left(), r.top() + 2, r.left(), bottom);
        p.drawPoint(r.left() + 1, r.top() + 1);
        p.drawLine(r.left() + 2, r.top(), r.right() - 2, r.top());
        p.setPen(highlight);
        p.drawLine(r.left() + 1, r.top() + 2, r.left() + 1, bottom);
        p.drawLine(r.left() + 2, r.top() + 1, r.right() - 2, r.top() + 1);
        p.setPen(darkShadow);
        p.drawPoint(r.right() - 1, r.top() + 1);
        p.drawLine(r.right(), r.top() + 2, r.right(), bottom);
        p.setPen(shadow);
        p.drawLine(r.right() - 1, r.top() + 2, r.right() - 1, bottom);

        QRect textRect(QPoint(r.left() + 2, r.top() + 1), QPoint(r.right() - 2, frameTop - 1));
        if (selected) textRect.translate(0, -1);
        const int flags = Qt::AlignCenter | Qt::TextSingleLine;
        const QString& text = m_tabs.at(i).text;
        if (m_tabs.at(i).enabled) {
            p.setPen(palette().color(QPalette::Active, QPalette::ButtonText));
            p.drawText(textRect, flags, text);
        } else {
            // Embossed: a light copy one pixel down-right under the grey text.
            p.setPen(highlight);
            p.drawText(textRect.translated(1, 1), flags, text);
            p.setPen(kGreyText);
            p.drawText(textRect, flags, text);
        }
        if (selected && hasFocus()) {
            p.setPen(QPen(palette().color(QPalette::ButtonText), 1, Qt::DotLine));
            p.drawRect(textRect.adjusted(3, 2, -4, -2));
        }
    }
}
