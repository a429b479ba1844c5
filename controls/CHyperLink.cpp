#include "controls/CHyperLink.h"

#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QTextDocument>

#include "app/MessageBox.h"
#include "app/Prompter.h"
#include "controls/LinkTarget.h"

namespace {

// The hot spot of a hand cursor picture: the tip of its raised finger, i.e. the middle of the
// topmost run of visible pixels.
QPoint FingerTip(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        int first = -1;
        int last = -1;
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) < 128) continue;
            if (first < 0) first = x;
            last = x;
        }
        if (first >= 0) return {(first + last) / 2, y};
    }
    return {image.width() / 2, 0};
}

}  // namespace

CHyperLink::CHyperLink(QWidget* parent) : CHyperLink(QString(), parent) {}

CHyperLink::CHyperLink(const QString& text, QWidget* parent) : QLabel(parent) {
    // The shown text comes from the catalogue; it is never read as markup.
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setText(text);
    SetHandCursor();
}

CHyperLink::~CHyperLink() = default;

QCursor CHyperLink::DefaultLinkCursor() {
    // The icons live in the core library's resources, which a static link may leave out.
    static const bool resources = [] {
        Q_INIT_RESOURCE(vistrel);
        return true;
    }();
    Q_UNUSED(resources);
    const QImage image(QStringLiteral(":/icons/link.png"));
    if (image.isNull()) return QCursor(Qt::PointingHandCursor);
    const QPoint tip = FingerTip(image.convertToFormat(QImage::Format_ARGB32));
    return QCursor(QPixmap::fromImage(image), tip.x(), tip.y());
}

void CHyperLink::SetHandCursor(const QCursor& cursor) {
    setCursor(cursor);
}

void CHyperLink::SetHandCursor() {
    setCursor(DefaultLinkCursor());
}

void CHyperLink::SetLinkUrl(const QString& target) {
    m_target = target;
    FitToClient();
    UpdateTooltip();
}

void CHyperLink::SetTooltipText(const QString& text) {
    m_tooltipText = text;
    FitToClient();
    UpdateTooltip();
}

void CHyperLink::UpdateTooltip() {
    // The tooltip follows the target until a tooltip text of its own is set.
    const QString tip = m_tooltipText.isEmpty() ? m_target : m_tooltipText;
    setToolTip(Qt::mightBeRichText(tip) ? QStringLiteral("<qt>") + tip.toHtmlEscaped() : tip);
}

void CHyperLink::SetVisited(bool visited) {
    m_visited = visited;
    update();
}

void CHyperLink::FitToClient() {
    if (!m_fitToClient) return;
    // Shrink the label round its text (never beyond its current size), so that only the text
    // answers to clicks; the alignment decides which edges stay put.
    const QRect window = geometry();
    const QSize wanted = sizeHint().boundedTo(window.size());
    QRect fitted = window;
    const Qt::Alignment align = alignment();
    if (align & Qt::AlignVCenter)
        fitted.setTop(window.top() + (window.height() - wanted.height()) / 2);
    else if (align & Qt::AlignBottom)
        fitted.setTop(window.bottom() + 1 - wanted.height());
    fitted.setHeight(wanted.height());
    if (align & Qt::AlignHCenter)
        fitted.setLeft(window.left() + (window.width() - wanted.width()) / 2);
    else if (align & Qt::AlignRight)
        fitted.setLeft(window.right() + 1 - wanted.width());
    fitted.setWidth(wanted.width());
    if (fitted != window) setGeometry(fitted);
}

int CHyperLink::OpenLink(const QString& target) {
    const LinkTarget::Result resolved = LinkTarget::Resolve(target);
    if (!resolved.ok) return resolved.error;
    return Prompter().OpenUrl(resolved.url);
}

void CHyperLink::ShowOpenError(int code) {
    AfxMessageBox(LinkTarget::ErrorMessage(code), MB_ICONEXCLAMATION);
}

void CHyperLink::OpenTarget() {
    const int result = OpenLink(m_target);
    const bool opened = result > 32;
    if (opened) {
        SetVisited(true);
    } else {
        Prompter().Beep();
        ShowOpenError(result);
    }
    emit linkClicked(opened);
}

void CHyperLink::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    m_hovering = true;
    update();
}

void CHyperLink::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    m_hovering = false;
    m_pressed = false;
    update();
}

void CHyperLink::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_pressed) {
        m_pressed = false;
        event->accept();
        // Like a button: the click counts only when released over the label.
        if (rect().contains(event->position().toPoint())) OpenTarget();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}
