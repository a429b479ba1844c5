#include "controls/CTransparentStatic.h"

#include <QFontMetrics>
#include <QPainter>

CTransparentStatic::CTransparentStatic(QWidget* parent) : CTransparentStatic(QString(), parent) {}

CTransparentStatic::CTransparentStatic(const QString& text, QWidget* parent)
    : QLabel(text, parent) {
    setAutoFillBackground(false);
    setAttribute(Qt::WA_NoSystemBackground);
    setTextFormat(Qt::PlainText);
}

void CTransparentStatic::SetTextColor(const QColor& color) {
    m_textColor = color;
    update();
}

void CTransparentStatic::SetEllipsis(bool on) {
    m_ellipsis = on;
    update();
}

void CTransparentStatic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(font());
    p.setPen(m_textColor);
    const QRect area =
        contentsRect().marginsRemoved(QMargins(margin(), margin(), margin(), margin()));
    if (wordWrap()) {
        p.drawText(area, int(alignment()) | Qt::TextWordWrap, text());
        return;
    }
    const QFontMetrics fm(font());
    const QString shown = m_ellipsis ? fm.elidedText(text(), Qt::ElideRight, area.width()) : text();
    p.drawText(area, int(alignment()) | Qt::TextSingleLine, shown);
}
