#include "controls/CSkinBtn.h"

#include <QCursor>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QPainter>
#include <QTimer>

#include "controls/PictureLoader.h"

namespace {

QPixmap LoadBitmap(const QString& path) {
    const QImage image = PictureLoader::LoadFull(path);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

}  // namespace

CSkinBtn::CSkinBtn(QWidget* parent)
    : QAbstractButton(parent),
      m_normalTextColor(Qt::black),
      m_activeTextColor(Qt::white),
      m_textFont(QStringLiteral("Arial"), 9),
      m_hoverTimer(new QTimer(this)) {
    // The parent's pixels show wherever the bitmap leaves the button uncovered.
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setMouseTracking(true);
    m_hoverTimer->setInterval(kHoverPollMs);
    connect(m_hoverTimer, &QTimer::timeout, this, &CSkinBtn::OnHoverTimer);
}

CSkinBtn::~CSkinBtn() = default;

bool CSkinBtn::SetBitmaps(const QString& normal, const QString& hover, const QString& pressed,
                          const QString& disabled) {
    const QString paths[4] = {normal, hover, pressed, disabled};
    bool all = true;
    for (int i = 0; i < 4; ++i) {
        m_bitmaps[i] = LoadBitmap(paths[i]);
        all = all && !m_bitmaps[i].isNull();
    }
    updateGeometry();
    update();
    return all;
}

void CSkinBtn::SetBitmaps(const QPixmap& normal, const QPixmap& hover, const QPixmap& pressed,
                          const QPixmap& disabled) {
    m_bitmaps[Normal] = normal;
    m_bitmaps[Hover] = hover;
    m_bitmaps[Pressed] = pressed;
    m_bitmaps[Disabled] = disabled;
    updateGeometry();
    update();
}

QPixmap CSkinBtn::Bitmap(State state) const {
    return m_bitmaps[state];
}

void CSkinBtn::SetTextColors(const QColor& normal, const QColor& active) {
    m_normalTextColor = normal;
    m_activeTextColor = active;
    update();
}

void CSkinBtn::SetTextFont(const QFont& font) {
    m_textFont = font;
    update();
}

CSkinBtn::State CSkinBtn::GetState() const {
    if (!isEnabled()) return Disabled;
    if (isDown()) return Pressed;
    if (m_hovering) return Hover;
    return Normal;
}

void CSkinBtn::SetCursorSource(std::function<QPoint()> globalCursorPos) {
    m_cursorSource = std::move(globalCursorPos);
}

QSize CSkinBtn::sizeHint() const {
    if (!m_bitmaps[Normal].isNull()) return m_bitmaps[Normal].size();
    return QSize(75, 23);
}

QPoint CSkinBtn::CursorPos() const {
    return m_cursorSource ? m_cursorSource() : QCursor::pos();
}

void CSkinBtn::BeginHover() {
    if (m_hovering || !m_hoverEnabled || !isEnabled()) return;
    m_hovering = true;
    update();
    m_hoverTimer->start();
}

void CSkinBtn::EndHover() {
    m_hoverTimer->stop();
    if (!m_hovering) return;
    m_hovering = false;
    update();
}

void CSkinBtn::OnHoverTimer() {
    if (!m_hovering) {
        m_hoverTimer->stop();
        return;
    }
    if (!rect().contains(mapFromGlobal(CursorPos()))) EndHover();
}

void CSkinBtn::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const State state = GetState();
    const QPixmap& bitmap = m_bitmaps[state];
    if (!bitmap.isNull()) {
        if (bitmap.width() <= width() && bitmap.height() <= height()) {
            painter.drawPixmap(0, 0, bitmap);
        } else {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawPixmap(rect(), bitmap);
        }
    }
    const QString caption = text();
    if (!caption.isEmpty()) {
        painter.setFont(m_textFont);
        painter.setPen(state == Hover || state == Pressed ? m_activeTextColor : m_normalTextColor);
        painter.drawText(rect().adjusted(kCaptionX, kCaptionY, 0, 0),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, caption);
    }
    if (m_keyboardFocus && hasFocus()) {
        painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

void CSkinBtn::focusInEvent(QFocusEvent* event) {
    const Qt::FocusReason r = event->reason();
    m_keyboardFocus = r == Qt::TabFocusReason || r == Qt::BacktabFocusReason ||
                      r == Qt::ShortcutFocusReason || r == Qt::OtherFocusReason;
    QAbstractButton::focusInEvent(event);
    update();
}

void CSkinBtn::focusOutEvent(QFocusEvent* event) {
    m_keyboardFocus = false;
    QAbstractButton::focusOutEvent(event);
    update();
}

void CSkinBtn::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    BeginHover();
}

void CSkinBtn::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    // The poll would notice too; ending here makes the usual case immediate.
    EndHover();
}

void CSkinBtn::mouseMoveEvent(QMouseEvent* event) {
    BeginHover();
    QAbstractButton::mouseMoveEvent(event);
}

void CSkinBtn::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        m_hoverEnabled = isEnabled();
        if (!m_hoverEnabled) EndHover();
        update();
    }
    QAbstractButton::changeEvent(event);
}

void CSkinBtn::hideEvent(QHideEvent* event) {
    EndHover();
    QAbstractButton::hideEvent(event);
}
