#include "controls/CSearchEdit.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPalette>

CSearchEdit::CSearchEdit(const QString& hint, QWidget* parent) : QLineEdit(parent), m_hint(hint) {
    setFrame(false);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
    setTextMargins(4, 0, 2, 0);
    connect(this, &QLineEdit::textChanged, this, [this] { UpdateColour(); });
    ShowHint();
    UpdateColour();
}

void CSearchEdit::TakeAndEmpty() {
    emit textTaken(text());
    clear();
}

void CSearchEdit::UpdateColour() {
    QPalette pal = palette();
    pal.setColor(QPalette::Text, ShowsHint() ? HintColor() : QColor(Qt::black));
    setPalette(pal);
}

// Focus that only follows the window's activation (a notice, a menu) leaves the box as it is.
static bool FollowsActivation(const QFocusEvent* event) {
    return event->reason() == Qt::ActiveWindowFocusReason ||
           event->reason() == Qt::PopupFocusReason;
}

void CSearchEdit::focusInEvent(QFocusEvent* event) {
    // Clicking into the box empties it for typing. Focus that arrives otherwise (Tab, or a
    // hidden control passing it on) leaves the text; the box selects it all.
    if (!FollowsActivation(event) && event->reason() == Qt::MouseFocusReason) TakeAndEmpty();
    QLineEdit::focusInEvent(event);
}

void CSearchEdit::focusOutEvent(QFocusEvent* event) {
    if (!FollowsActivation(event)) {
        emit textTaken(text());
        // The user moved on (click, Tab): the placeholder comes back. When the program moves
        // the focus the box keeps the searched text until the next click.
        if (event->reason() != Qt::OtherFocusReason) ShowHint();
    }
    QLineEdit::focusOutEvent(event);
}

void CSearchEdit::mousePressEvent(QMouseEvent* event) {
    // A click into a window that is not active gives the box the focus without a focus event;
    // the placeholder must go all the same, or the typing lands behind it.
    if (event->button() == Qt::LeftButton && ShowsHint()) TakeAndEmpty();
    QLineEdit::mousePressEvent(event);
}
