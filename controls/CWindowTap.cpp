#include "controls/CWindowTap.h"

#include <QChildEvent>
#include <QWidget>

CWindowTap::CWindowTap(QWidget* window, Handler handler)
    : QObject(window), m_handler(std::move(handler)) {
    Watch(window);
}

void CWindowTap::Watch(QObject* object) {
    if (object == this || object->thread() != thread()) return;
    object->installEventFilter(this);
    for (QObject* child : object->children()) Watch(child);
}

bool CWindowTap::eventFilter(QObject* watched, QEvent* event) {
    // A child arrives half-made; its own children announce themselves to it once it is watched.
    if (event->type() == QEvent::ChildAdded) Watch(static_cast<QChildEvent*>(event)->child());
    return m_handler(watched, event);
}
