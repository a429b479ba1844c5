#pragma once

#include <QObject>
#include <functional>

class QWidget;

// Shows a window every event of the window itself and of every object inside it, before that
// object handles it, as a window's message pre-translation does: installed on the window and on
// each child as it is added, never on the whole application, so other windows and dialogs are
// left alone. The handler returns true to consume an event.
class CWindowTap : public QObject {
public:
    using Handler = std::function<bool(QObject* watched, QEvent* event)>;
    CWindowTap(QWidget* window, Handler handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Watch(QObject* object);

    Handler m_handler;
};
