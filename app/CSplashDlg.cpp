#include "app/CSplashDlg.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>

#include "app/DialogUnits.h"
#include "controls/PictureLoader.h"

namespace {
QFont WindowFont() {
    return QFont(QStringLiteral("新宋体"), 9);
}
}  // namespace

CSplashDlg::CSplashDlg(const QString& picturePath, QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_timer(new QTimer(this)) {
    setObjectName(QStringLiteral("130"));
    setFont(WindowFont());
    setFixedSize(WindowSize());
    setAttribute(Qt::WA_OpaquePaintEvent);

    // A missing, unreadable or special file (a FIFO would block) leaves the window white.
    const QImage whole = PictureLoader::LoadFull(picturePath);
    // Only the top-left part the size of the window is ever shown; keep no more than that.
    if (!whole.isNull())
        m_picture = whole.copy(QRect(QPoint(0, 0), size()).intersected(whole.rect()));

    m_timer->setInterval(15);
    connect(m_timer, &QTimer::timeout, this, &CSplashDlg::Step);
}

QSize CSplashDlg::WindowSize() {
    return DialogUnits(WindowFont()).Size(626, 397);
}

void CSplashDlg::SetStepInterval(int ms) {
    m_timer->setInterval(qMax(0, ms));
}

void CSplashDlg::Step() {
    if (m_finished) return;
    m_opacity += m_fadingIn ? 5.0f : -5.0f;
    repaint();
    if (m_fadingIn && m_opacity > 99.0f) {
        m_fadingIn = false;
        m_timer->stop();
        QTimer::singleShot(m_holdMs, m_timer, qOverload<>(&QTimer::start));
    } else if (!m_fadingIn && m_opacity < 20.0f) {
        m_timer->stop();
        m_finished = true;
        accept();
    }
}

QImage CSplashDlg::RenderFrame() const {
    return RenderFrameAt(m_opacity);
}

QImage CSplashDlg::RenderFrameAt(float opacity) const {
    QImage frame(size(), QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::white);
    if (!m_picture.isNull()) {
        QPainter p(&frame);
        p.setOpacity(opacity * 0.01);
        p.drawImage(QPoint(0, 0), m_picture);
    }
    return frame;
}

void CSplashDlg::paintEvent(QPaintEvent*) {
    const int opacity = qRound(m_opacity);
    if (m_drawn.isEmpty() || m_drawn.last() != opacity) m_drawn << opacity;
    QPainter p(this);
    p.drawImage(QPoint(0, 0), RenderFrame());
    // The fade starts once the first frame (20 %) has been drawn, however long the window
    // system takes to show the window.
    if (!m_started) {
        m_started = true;
        m_timer->start();
    }
}

void CSplashDlg::keyPressEvent(QKeyEvent* event) {
    // No key closes the cover window; it closes itself.
    event->accept();
}

void CSplashDlg::closeEvent(QCloseEvent* event) {
    if (m_finished) {
        QDialog::closeEvent(event);
    } else {
        event->ignore();
    }
}

void CSplashDlg::reject() {
    if (m_finished) QDialog::reject();
}
