#include "tools/install/DemoStyle.h"

#include <QFontDatabase>
#include <QPainterPath>

namespace DemoStyle {

namespace {
QString CjkFamily() {
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        for (const char* name : {"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Noto Sans SC"})
            if (families.contains(QString::fromLatin1(name))) return QString::fromLatin1(name);
        return QStringLiteral("Sans Serif");
    }();
    return family;
}
}  // namespace

QFont Font(int pixelSize, bool bold) {
    QFont f(CjkFamily());
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QFont LatinFont(int pixelSize, bool bold) {
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        for (const char* name : {"DejaVu Sans", "Liberation Sans", "Noto Sans"})
            if (families.contains(QString::fromLatin1(name))) return QString::fromLatin1(name);
        return CjkFamily();
    }();
    QFont f(family);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QColor Mix(const QColor& a, const QColor& b, double t) {
    t = qBound(0.0, t, 1.0);
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t),
                            float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

void DrawMark(QPainter& p, const QRectF& r, bool rim) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double s = qMin(r.width(), r.height());
    const QRectF box(r.center().x() - s / 2, r.center().y() - s / 2, s, s);
    QLinearGradient g(box.topLeft(), box.bottomRight());
    g.setColorAt(0, QColor(26, 138, 190));
    g.setColorAt(1, QColor(2, 70, 112));
    p.setPen(rim ? QPen(QColor(255, 255, 255, 150), qMax(1.0, s * 0.04)) : Qt::NoPen);
    p.setBrush(g);
    const double radius = s * 0.22;
    p.drawRoundedRect(box.adjusted(s * 0.02, s * 0.02, -s * 0.02, -s * 0.02), radius, radius);

    auto at = [&](double fx, double fy) { return QPointF(box.x() + fx * s, box.y() + fy * s); };
    QPainterPath v;
    v.moveTo(at(0.22, 0.26));
    v.lineTo(at(0.48, 0.76));
    v.lineTo(at(0.70, 0.34));
    QPen pen(Qt::white, s * 0.13, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(v);
    p.setPen(Qt::NoPen);
    QRadialGradient ball(at(0.74, 0.24), s * 0.12, at(0.71, 0.21));
    ball.setColorAt(0, QColor(255, 210, 140));
    ball.setColorAt(0.5, kAccent);
    ball.setColorAt(1, QColor(214, 104, 10));
    p.setBrush(ball);
    p.drawEllipse(at(0.76, 0.24), s * 0.105, s * 0.105);
    p.restore();
}

}  // namespace DemoStyle
