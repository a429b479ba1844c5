#include "app/CSplashDlg.h"

#include <QImageReader>
#include <QPainter>
#include <QTimer>

#include "app/DialogUnits.h"

CSplashDlg::CSplashDlg(const QString& picturePath, QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_timer(new QTimer(this)) {
    setObjectName(QStringLiteral("130"));
    setFont(QFont(QStringLiteral("新宋体"), 9));
    setFixedSize(DialogUnits(font()).Size(626, 397));
    setAttribute(Qt::WA_OpaquePaintEvent);
    QImageReader reader(picturePath);
    reader.setAutoTransform(true);
    m_picture = reader.read();  // an unreadable picture leaves the window white
    m_timer->setInterval(15);
    connect(m_timer, &QTimer::timeout, this, &CSplashDlg::Step);
    m_timer->start();
}

void CSplashDlg::SetStepInterval(int ms) { m_timer->setInterval(qMax(0, ms)); }

void CSplashDlg::Step() {
    m_opacity += m_fadingIn ? 5.0f : -5.0f;
    repaint();
    if (m_fadingIn && m_opacity > 99.0f) {
        m_fadingIn = false;
        m_timer->stop();
        QTimer::singleShot(m_holdMs, m_timer, qOverload<>(&QTimer::start));
    } else if (!m_fadingIn && m_opacity < 20.0f) {
        m_timer->stop();
        accept();
    }
}

QImage CSplashDlg::RenderFrame() const {
    QImage frame(size(), QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::white);
    if (!m_picture.isNull()) {
        QPainter p(&frame);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.setOpacity(m_opacity * 0.01);
        p.drawImage(QPoint(0, 0), m_picture, QRect(QPoint(0, 0), size()));
    }
    return frame;
}

void CSplashDlg::paintEvent(QPaintEvent*) {
    m_drawn << qRound(m_opacity);
    QPainter p(this);
    p.drawImage(QPoint(0, 0), RenderFrame());
}
