#include "controls/CHoverButton.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QPainter>

namespace {

const QColor kOrangeOuter(229, 151, 0);
const QColor kOrangeTop(252, 210, 121);
const QColor kOrangeSide(251, 202, 106);
const QColor kOrangeBottom(250, 196, 88);
const QColor kBlueOuter(153, 198, 252);
const QColor kBlueSide(162, 190, 252);
const QColor kBlueInner(162, 200, 255);
const QColor kFocusDots(0, 0, 0);

void DrawOrangeFrame(QPainter& p, int w, int h) {
    p.fillRect(1, 1, w - 2, 2, kOrangeTop);
    p.fillRect(1, h - 4, w - 2, 3, kOrangeBottom);
    p.fillRect(1, 3, 2, h - 7, kOrangeSide);
    p.fillRect(w - 3, 3, 2, h - 7, kOrangeSide);
    p.setPen(kOrangeOuter);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, w - 1, h - 1);
}

void DrawBlueFrame(QPainter& p, int w, int h) {
    p.fillRect(1, 1, w - 2, 2, kBlueInner);
    p.fillRect(1, h - 3, w - 2, 2, kBlueInner);
    p.fillRect(1, 3, 2, h - 6, kBlueSide);
    p.fillRect(w - 3, 3, 2, h - 6, kBlueSide);
    p.setPen(kBlueOuter);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, w - 1, h - 1);
}

// The platform's focus rectangle: every other pixel along a 1-pixel outline.
void DrawFocusDots(QPainter& p, const QRect& r) {
    if (r.width() < 2 || r.height() < 2) return;
    p.setPen(kFocusDots);
    for (int x = r.left(); x <= r.right(); x += 2) {
        p.drawPoint(x, r.top());
        p.drawPoint(x, r.bottom());
    }
    for (int y = r.top(); y <= r.bottom(); y += 2) {
        p.drawPoint(r.left(), y);
        p.drawPoint(r.right(), y);
    }
}

}  // namespace

CHoverButton::CHoverButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
    setText(text);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor CHoverButton::GradientColor(int i, bool hovered, bool focused) {
    if (i < 0) i = 0;
    if (i > 63) i = 63;
    if (hovered && focused) return QColor(193 - i / 4, 221 - i / 4, 255 - i / 3);
    if (hovered) return QColor(255 - i / 4, 238 - i / 4, 194 - i / 5);
    if (focused) return QColor(193 - i / 3, 221 - i / 3, 255 - i / 4);
    return QColor(255 - i / 3, 255 - i / 3, 255 - i / 5);
}

CHoverButton::Caption CHoverButton::SplitCaption(const QString& text) {
    const qsizetype bar = text.lastIndexOf(QLatin1Char('|'));
    if (bar < 0) return {text, QString()};
    return {text.left(bar), text.mid(bar + 1)};
}

bool CHoverButton::IsFocusedEntry() const {
    // The window's focus widget rather than hasFocus(), so the current category stays marked
    // while another application is active.
    const QWidget* top = window();
    return top && top->focusWidget() == this;
}

void CHoverButton::SetNormalTextColor(const QColor& color) {
    m_textColor = color;
    update();
}

QSize CHoverButton::sizeHint() const {
    return QSize(160, 32);
}

void CHoverButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width();
    const int h = height();
    const bool focused = IsFocusedEntry();
    const bool hovered = m_hovered && isEnabled();
    const bool selected = isDown();

    for (int y = 0; y < h; ++y)
        p.fillRect(0, y, w, 1, GradientColor(GradientIndex(y, h), hovered, focused));

    if (hovered || !focused) {
        if (hovered) DrawOrangeFrame(p, w, h);
    } else {
        DrawBlueFrame(p, w, h);
        DrawFocusDots(p, QRect(4, 4, w - 8, h - 8));
    }

    QFont font(QStringLiteral("新宋体"));
    font.setPixelSize(kFontPixelSize);
    font.setWeight(focused ? QFont::Bold : QFont::Normal);
    p.setFont(font);
    const QFontMetrics fm(font);
    const int shift = selected ? 1 : 0;
    const int textTop = (h - fm.height()) / 2 + shift;

    const QColor grey = palette().color(QPalette::Disabled, QPalette::WindowText);
    const Caption caption = SplitCaption(text());

    int nameRight = w - kCountRightMargin;
    if (!caption.count.isEmpty()) {
        const int countWidth = fm.horizontalAdvance(caption.count);
        const QRect countRect(w - kCountRightMargin - countWidth + shift, textTop, countWidth,
                              fm.height());
        p.setPen(!isEnabled() ? grey : focused ? FocusedCountColor() : m_textColor);
        p.drawText(countRect, Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine, caption.count);
        nameRight = countRect.left() - fm.horizontalAdvance(QLatin1Char(' '));
    }
    const int nameX = kNameX + shift;
    if (nameRight > nameX) {
        const QString name = fm.elidedText(caption.name, Qt::ElideRight, nameRight - nameX);
        p.setPen(isEnabled() ? m_textColor : grey);
        p.drawText(QRect(nameX, textTop, nameRight - nameX, fm.height()),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, name);
    }

    p.setPen(MarkerColor());
    p.drawText(QRect(kMarkerX, kMarkerY, kNameX - kMarkerX, h - kMarkerY),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, QStringLiteral("。"));
}

void CHoverButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    if (!isEnabled()) return;
    m_hovered = true;
    update();
}

void CHoverButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    m_hovered = false;
    update();
}

void CHoverButton::focusInEvent(QFocusEvent* event) {
    QAbstractButton::focusInEvent(event);
    update();
}

void CHoverButton::focusOutEvent(QFocusEvent* event) {
    QAbstractButton::focusOutEvent(event);
    update();
}

void CHoverButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) m_hovered = false;
    QAbstractButton::changeEvent(event);
    update();
}

void CHoverButton::hideEvent(QHideEvent* event) {
    m_hovered = false;
    QAbstractButton::hideEvent(event);
}
