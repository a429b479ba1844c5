#include "tools/install/IconPainter.h"

#include <QDir>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>

#include "tools/install/DemoStyle.h"

using namespace DemoStyle;

namespace {
QImage Transparent(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}
}  // namespace

QImage IconPainter::AppIcon(int size) {
    QImage image = Transparent(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A soft drop shadow under the mark.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        p.setBrush(QColor(0, 0, 0, 14));
        const double inset = size * (0.06 - i * 0.012);
        p.drawRoundedRect(QRectF(inset, inset + size * 0.03, size - 2 * inset, size - 2 * inset),
                          size * 0.22, size * 0.22);
    }
    DrawMark(p, QRectF(size * 0.05, size * 0.03, size * 0.9, size * 0.9));
    p.end();
    return image;
}

QImage IconPainter::NoticeIcon() {
    QImage image = Transparent(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(12, 10), 20);
    g.setColorAt(0, QColor(64, 164, 220));
    g.setColorAt(1, QColor(4, 84, 136));
    p.setPen(QPen(QColor(2, 60, 100), 1));
    p.setBrush(g);
    p.drawEllipse(QRectF(1.5, 1.5, 29, 29));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 50));
    p.drawEllipse(QRectF(6, 3, 20, 11));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 9.5), 2.4, 2.4);
    p.drawRoundedRect(QRectF(13.8, 13.5, 4.4, 12), 1.2, 1.2);
    p.drawRect(QRectF(12, 13.5, 3, 2));
    p.drawRect(QRectF(12, 23.5, 8, 2));
    p.end();
    return image;
}

QImage IconPainter::DownloadIcon() {
    QImage image = Transparent(16, 16);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    // Arrow in the brand colour, tray in the accent colour.
    p.setBrush(kBrand);
    p.drawRect(QRectF(6.5, 1, 3, 6.5));
    QPolygonF head{{3, 7}, {13, 7}, {8, 12}};
    p.drawPolygon(head);
    p.setBrush(kAccent);
    p.drawRect(QRectF(2, 13, 12, 2));
    p.drawRect(QRectF(2, 10.5, 2, 3));
    p.drawRect(QRectF(12, 10.5, 2, 3));
    p.end();
    return image;
}

QImage IconPainter::LinkCursor() {
    QImage image = Transparent(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath hand;
    hand.addRoundedRect(QRectF(9, 0.5, 5, 17), 2.5, 2.5);       // index finger
    hand.addRoundedRect(QRectF(13.5, 8.5, 4.5, 10), 2.2, 2.2);  // middle
    hand.addRoundedRect(QRectF(17.5, 9.5, 4.5, 9), 2.2, 2.2);   // ring
    hand.addRoundedRect(QRectF(21.5, 11, 4.2, 8), 2.1, 2.1);    // little finger
    QPainterPath palm;
    palm.moveTo(9, 14);
    palm.lineTo(25.7, 14.5);
    palm.lineTo(25.7, 21);
    palm.cubicTo(25.7, 25, 23.5, 27, 22.5, 28.5);
    palm.lineTo(12.5, 28.5);
    palm.cubicTo(11, 26, 8, 23, 5, 19.5);
    palm.cubicTo(3.5, 17.8, 4.6, 15.6, 6.6, 16.6);
    palm.lineTo(9, 18.5);
    palm.closeSubpath();
    hand = hand.united(palm).simplified();
    p.setPen(QPen(Qt::black, 1.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    p.setPen(QPen(QColor(0, 0, 0, 150), 0.9));
    for (double x : {13.75, 17.75, 21.6}) p.drawLine(QPointF(x, 12.5), QPointF(x, 16));
    p.end();
    return image;
}

bool IconPainter::WriteIcons(const QString& folder, QString* error) {
    if (!QDir().mkpath(folder)) {
        if (error) *error = QStringLiteral("cannot create %1").arg(folder);
        return false;
    }
    const QList<QPair<QString, QImage>> icons = {
        {QStringLiteral("app.png"), AppIcon()},
        {QStringLiteral("notice.png"), NoticeIcon()},
        {QStringLiteral("download.png"), DownloadIcon()},
        {QStringLiteral("link.png"), LinkCursor()},
    };
    for (const auto& [name, image] : icons) {
        QImageWriter writer(QDir(folder).filePath(name), "png");
        if (!writer.write(image.convertToFormat(QImage::Format_ARGB32))) {
            if (error)
                *error = QStringLiteral("cannot write %1: %2").arg(name, writer.errorString());
            return false;
        }
    }
    return true;
}
