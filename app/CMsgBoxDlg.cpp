#include "app/CMsgBoxDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QThread>

#include "app/CCatalogueApp.h"
#include "app/DialogUnits.h"

CMsgBoxDlg::CMsgBoxDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("151"));
    setWindowTitle(QStringLiteral("提示信息"));
    setFont(QFont(QStringLiteral("新宋体"), 9));
    const DialogUnits du(font());
    setFixedSize(du.Size(201, 82));

    m_icon = new QLabel(this);
    m_icon->setGeometry(du.Rect(16, 28, 20, 20));
    m_icon->setPixmap(QIcon(QStringLiteral(":/icons/notice.png")).pixmap(m_icon->size()));
    m_icon->setScaledContents(false);

    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("1012"));
    m_text->setGeometry(du.Rect(46, 14, 143, 42));
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void CMsgBoxDlg::SetText(const QString& text) {
    m_text->setText(text);
}

QString CMsgBoxDlg::Text() const {
    return m_text->text();
}

void CMsgBoxDlg::ShowNotice(const QString& text, int milliseconds) {
    CMsgBoxDlg dlg;
    dlg.SetText(text);
    dlg.setWindowTitle(QStringLiteral("提示信息"));
    QRect area;
    if (QWidget* main = theApp.m_pMainWnd; main && main->isVisible()) {
        area = main->frameGeometry();
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    if (area.isValid()) dlg.move(area.center() - dlg.rect().center());
    dlg.show();
    dlg.raise();
    dlg.repaint();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        QThread::msleep(10);
    }
}

void CMsgBoxDlg::paintEvent(QPaintEvent*) {
    // White ground with a frame of its own, so the notice stands out even where no window
    // manager draws a border around it.
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(0x5b, 0x7a, 0x99));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}
