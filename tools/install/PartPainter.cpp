#include "tools/install/PartPainter.h"

#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>
#include <cmath>

#include "tools/install/DemoStyle.h"

using namespace DemoStyle;

namespace {

const QColor kSteel(172, 178, 186);
const QColor kAlu(200, 205, 212);
const QColor kBlackOxide(62, 65, 70);
const QColor kCast(96, 106, 118);
const QColor kChrome(214, 219, 226);
const QColor kBrass(200, 162, 78);
const QColor kPlastic(40, 42, 46);
const QColor kRubber(32, 32, 34);
const QColor kHole(28, 30, 34);

// ---- primitives --------------------------------------------------------------------------

// Side of a swept solid: light on top, dark below, as if lit from above.
QLinearGradient SideGradient(const QRectF& b, const QColor& c) {
    QLinearGradient g(b.topLeft(), b.bottomLeft());
    g.setColorAt(0.0, Lit(c, 0.55));
    g.setColorAt(0.12, Lit(c, 0.25));
    g.setColorAt(0.55, Dim(c, 0.08));
    g.setColorAt(1.0, Dim(c, 0.38));
    return g;
}

void Face(QPainter& p, const QPainterPath& face, const QColor& c) {
    const QRectF b = face.boundingRect();
    QLinearGradient g(b.topLeft(), b.bottomRight());
    g.setColorAt(0, Lit(c, 0.10));
    g.setColorAt(1, Dim(c, 0.12));
    p.setPen(QPen(Dim(c, 0.35), 1.0));
    p.setBrush(g);
    p.drawPath(face);
}

// Sweeps `face` from `depth` back to its own place, far steps first, then draws the face.
void Extrude(QPainter& p, const QPainterPath& face, const QPointF& depth, const QColor& c,
             bool drawFace = true) {
    const QLinearGradient side = SideGradient(face.boundingRect(), c);
    const int steps = qMax(1, int(std::ceil(std::hypot(depth.x(), depth.y()) * 1.5)));
    p.setPen(Qt::NoPen);
    for (int i = steps; i >= 1; --i) {
        p.save();
        p.translate(depth * (double(i) / steps));
        p.fillPath(face, side);
        p.restore();
    }
    if (drawFace) Face(p, face, c);
}

QPainterPath RectPath(const QRectF& r, double radius = 0) {
    QPainterPath path;
    if (radius > 0)
        path.addRoundedRect(r, radius, radius);
    else
        path.addRect(r);
    return path;
}

QPainterPath CirclePath(const QPointF& c, double r) {
    QPainterPath path;
    path.addEllipse(c, r, r);
    return path;
}

constexpr double kCapRatio = 0.28;  // how much of a round end we see from the side

QLinearGradient MetalBand(double top, double bottom, const QColor& c, bool vertical = true) {
    QLinearGradient g =
        vertical ? QLinearGradient(0, top, 0, bottom) : QLinearGradient(top, 0, bottom, 0);
    g.setColorAt(0.00, Dim(c, 0.30));
    g.setColorAt(0.07, Lit(c, 0.20));
    g.setColorAt(0.20, Lit(c, 0.70));
    g.setColorAt(0.30, Lit(c, 0.22));
    g.setColorAt(0.55, c);
    g.setColorAt(0.80, Dim(c, 0.28));
    g.setColorAt(0.93, Dim(c, 0.45));
    g.setColorAt(1.00, Dim(c, 0.22));
    return g;
}

void EndCap(QPainter& p, double x, double cy, double r, const QColor& c) {
    const QRectF e(x - r * kCapRatio, cy - r, 2 * r * kCapRatio, 2 * r);
    QLinearGradient g(e.topLeft(), e.bottomRight());
    g.setColorAt(0, Lit(c, 0.35));
    g.setColorAt(1, Dim(c, 0.18));
    p.setPen(QPen(Dim(c, 0.40), 1.0));
    p.setBrush(g);
    p.drawEllipse(e);
}

QPainterPath CylinderBody(double x0, double x1, double cy, double r) {
    const double rx = r * kCapRatio;
    QPainterPath body;
    body.moveTo(x1, cy - r);
    body.lineTo(x0, cy - r);
    body.arcTo(QRectF(x0 - rx, cy - r, 2 * rx, 2 * r), 90, 180);
    body.lineTo(x1, cy + r);
    body.arcTo(QRectF(x1 - rx, cy - r, 2 * rx, 2 * r), 270, 180);
    body.closeSubpath();
    return body;
}

// A cylinder lying along x, seen from the right: its right end is the visible face.
void CylinderX(QPainter& p, double x0, double x1, double cy, double r, const QColor& c,
               bool cap = true) {
    p.setPen(Qt::NoPen);
    p.fillPath(CylinderBody(x0, x1, cy, r), MetalBand(cy - r, cy + r, c));
    if (cap) EndCap(p, x1, cy, r, c);
}

// A cylinder standing upright, seen from above: its top is the visible face.
void CylinderY(QPainter& p, double cx, double yTop, double yBottom, double r, const QColor& c) {
    const double ry = r * kCapRatio;
    QPainterPath body;
    body.moveTo(cx - r, yTop);
    body.lineTo(cx - r, yBottom);
    body.arcTo(QRectF(cx - r, yBottom - ry, 2 * r, 2 * ry), 180, 180);
    body.lineTo(cx + r, yTop);
    body.closeSubpath();
    p.setPen(Qt::NoPen);
    p.fillPath(body, MetalBand(cx - r, cx + r, c, false));
    const QRectF e(cx - r, yTop - ry, 2 * r, 2 * ry);
    QLinearGradient g(e.topLeft(), e.bottomRight());
    g.setColorAt(0, Lit(c, 0.40));
    g.setColorAt(1, Dim(c, 0.10));
    p.setPen(QPen(Dim(c, 0.40), 1.0));
    p.setBrush(g);
    p.drawEllipse(e);
}

void Hole(QPainter& p, const QRectF& e, const QColor& rim = QColor()) {
    if (rim.isValid()) {
        p.setPen(Qt::NoPen);
        p.setBrush(rim);
        p.drawEllipse(e.adjusted(-2, -1.5, 2, 1.5));
    }
    QLinearGradient g(e.topLeft(), e.bottomLeft());
    g.setColorAt(0, QColor(10, 10, 12));
    g.setColorAt(1, QColor(70, 74, 80));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(e);
}

// A circle lying on a plane spanned by x and the receding direction `depthUnit`.
void PlaneHole(QPainter& p, const QPointF& centre, double r, const QPointF& depthUnit,
               const QColor& rim = QColor()) {
    p.save();
    p.setTransform(
        QTransform(1, 0, depthUnit.x() * 0.55, depthUnit.y() * 0.55, centre.x(), centre.y()), true);
    Hole(p, QRectF(-r, -r, 2 * r, 2 * r), rim);
    p.restore();
}

void Hex(QPainter& p, const QPointF& c, double r, const QColor& col) {
    QPolygonF hex;
    for (int i = 0; i < 6; ++i) {
        const double a = qDegreesToRadians(30.0 + 60.0 * i);
        hex << QPointF(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
    }
    QLinearGradient g(c.x() - r, c.y() - r, c.x() + r, c.y() + r);
    g.setColorAt(0, Lit(col, 0.45));
    g.setColorAt(1, Dim(col, 0.30));
    p.setPen(QPen(Dim(col, 0.5), 1));
    p.setBrush(g);
    p.drawPolygon(hex);
}

void SocketHead(QPainter& p, const QPointF& c, double r) {
    p.setPen(QPen(QColor(20, 20, 24), 1));
    QRadialGradient g(c, r, c - QPointF(r * 0.3, r * 0.4));
    g.setColorAt(0, QColor(120, 124, 130));
    g.setColorAt(1, QColor(40, 42, 46));
    p.setBrush(g);
    p.drawEllipse(c, r, r * 0.8);
    QPolygonF hex;
    for (int i = 0; i < 6; ++i) {
        const double a = qDegreesToRadians(60.0 * i);
        hex << QPointF(c.x() + r * 0.48 * std::cos(a), c.y() + r * 0.40 * std::sin(a));
    }
    p.setBrush(QColor(12, 12, 14));
    p.setPen(Qt::NoPen);
    p.drawPolygon(hex);
}

void Shadow(QPainter& p, const QRectF& r, int alpha = 70) {
    QRadialGradient g(r.center(), r.width() / 2);
    g.setColorAt(0, QColor(0, 0, 0, alpha));
    g.setColorAt(0.6, QColor(0, 0, 0, alpha / 3));
    g.setColorAt(1, QColor(0, 0, 0, 0));
    p.save();
    p.translate(r.center());
    p.scale(1.0, r.height() / r.width());
    p.translate(-r.center());
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(r.center(), r.width() / 2, r.width() / 2);
    p.restore();
}

// A soft shadow under a swept solid: the footprint blurred by layered strokes.
void FootShadow(QPainter& p, const QPolygonF& footprint) {
    QPainterPath path;
    path.addPolygon(footprint);
    path.closeSubpath();
    p.save();
    for (int i = 10; i >= 1; --i) {
        p.setPen(QPen(QColor(0, 0, 0, 7), i * 4.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(0, 0, 0, 6));
        p.drawPath(path);
    }
    p.restore();
}

// ---- linear guide ------------------------------------------------------------------------

void PaintLinearGuide(QPainter& p, const DemoProduct& prod) {
    const bool mini = prod.variant == 2;
    const bool flange = prod.variant == 1;
    const bool low = prod.variant == 3;
    const bool wide = prod.typeCode.startsWith(QLatin1String("MGW"));
    double wr = mini ? 34 + prod.size * 1.5 : 36 + prod.size * 1.3;
    if (wide) wr *= 1.45;
    const double hr = wr * (mini ? 0.62 : 0.86);
    const QPointF du = QPointF(0.80, -0.40) / std::hypot(0.80, 0.40);
    const double length = 560;
    const QPointF o(150, 470);
    const QColor railColour = mini ? kChrome : kSteel;

    QPainterPath rail;
    const double g0 = -hr * 0.56, g1 = -hr * 0.63, g2 = -hr * 0.70, gd = qMax(3.0, wr * 0.07);
    rail.moveTo(-wr / 2, 0);
    rail.lineTo(-wr / 2, g0);
    rail.lineTo(-wr / 2 + gd, g1);
    rail.lineTo(-wr / 2, g2);
    rail.lineTo(-wr / 2, -hr + 2);
    rail.lineTo(-wr / 2 + 2, -hr);
    rail.lineTo(wr / 2 - 2, -hr);
    rail.lineTo(wr / 2, -hr + 2);
    rail.lineTo(wr / 2, g2);
    rail.lineTo(wr / 2 - gd, g1);
    rail.lineTo(wr / 2, g0);
    rail.lineTo(wr / 2, 0);
    rail.closeSubpath();

    const double wb = wr * (mini ? 1.9 : flange ? 3.0 : 2.25);
    const double yTop = -(hr + (low ? hr * 0.42 : mini ? hr * 0.55 : hr * 0.72));
    const double yBottom = -hr * 0.22;
    QPainterPath block;
    {
        QPainterPath outer;
        if (flange) {
            const double split = yTop + (yBottom - yTop) * 0.45;
            outer.addRoundedRect(QRectF(-wb / 2, yTop, wb, split - yTop), 3, 3);
            outer.addRoundedRect(QRectF(-wr * 1.05, split - 4, wr * 2.1, yBottom - split + 4), 3,
                                 3);
            outer = outer.simplified();
        } else {
            outer.addRoundedRect(QRectF(-wb / 2, yTop, wb, yBottom - yTop), 3, 3);
        }
        QPainterPath notch;
        notch.addRect(QRectF(-wr / 2 - 1.5, -hr - 1.5, wr + 3, hr + 10));
        block = outer.subtracted(notch);
    }
    const double t0 = length * 0.30;
    const double lb = length * (mini ? 0.22 : 0.30);
    const double seal = 6, cap = 9;

    FootShadow(p, QPolygonF{o + QPointF(-wr / 2 - 4, 4), o + QPointF(wr / 2 + 8, 6),
                            o + du * length + QPointF(wr / 2 + 8, 6),
                            o + du * length + QPointF(-wr / 2 - 4, 4)});

    auto railSegment = [&](double a, double b) {
        p.save();
        p.translate(o + du * a);
        Extrude(p, rail, du * (b - a), railColour, a == 0);
        p.restore();
    };
    auto railHoles = [&](double a, double b) {
        const double pitch = mini ? 70 : 95;
        for (double t = pitch / 2; t < length; t += pitch)
            if (t > a + 10 && t < b - 10)
                PlaneHole(p, o + QPointF(0, -hr) + du * t, wr * 0.21, du, Dim(railColour, 0.25));
    };
    railSegment(t0 + lb, length);
    railHoles(t0 + lb, length);

    const QColor body = mini ? kChrome : Dim(kSteel, 0.06);
    p.save();
    p.translate(o + du * t0);
    Extrude(p, block, du * lb, body, false);
    p.restore();
    // End caps and seals in front of the steel body.
    p.save();
    p.translate(o + du * (t0 - cap));
    Extrude(p, block, du * cap, QColor(46, 50, 56));
    p.restore();
    p.save();
    p.translate(o + du * (t0 - cap - seal));
    Extrude(p, block, du * seal, kRubber);
    p.setPen(QPen(QColor(190, 40, 36), 2));
    p.drawLine(QPointF(-wb / 2 + 6, yBottom - 3), QPointF(-wr / 2 - 4, yBottom - 3));
    p.drawLine(QPointF(wr / 2 + 4, yBottom - 3), QPointF(wb / 2 - 6, yBottom - 3));
    // Grease nipple.
    const QPointF nip(0, (yTop + (-hr)) / 2 - 2);
    Hex(p, nip, qMax(5.0, wr * 0.13), kBrass);
    p.setPen(Qt::NoPen);
    p.setBrush(Lit(kBrass, 0.3));
    p.drawEllipse(nip - QPointF(wr * 0.05, wr * 0.05), wr * 0.06, wr * 0.06);
    p.restore();
    // Tapped holes on the block's top.
    for (double ft : {0.22, 0.78})
        for (double sx : {-1.0, 1.0})
            PlaneHole(p, o + QPointF(sx * wb * (flange ? 0.40 : 0.30), yTop) + du * (t0 + lb * ft),
                      qMax(3.0, wr * 0.09), du, Dim(body, 0.1));

    railSegment(0, t0 - cap - seal);
    railHoles(0, t0 - cap - seal);
}

// ---- ball screw --------------------------------------------------------------------------

void Thread(QPainter& p, double x0, double x1, double cy, double r, double pitch, double slant) {
    p.save();
    p.setClipPath(CylinderBody(x0, x1, cy, r));
    for (double x = x0 - slant - pitch; x < x1 + pitch; x += pitch) {
        QPainterPath groove;
        groove.moveTo(x, cy - r);
        groove.cubicTo(x + slant * 0.10, cy - r * 0.35, x + slant * 0.90, cy + r * 0.35, x + slant,
                       cy + r);
        p.setPen(QPen(QColor(20, 22, 26, 120), pitch * 0.34, Qt::SolidLine, Qt::FlatCap));
        p.drawPath(groove);
        p.setPen(QPen(QColor(255, 255, 255, 70), pitch * 0.12, Qt::SolidLine, Qt::FlatCap));
        p.drawPath(groove.translated(pitch * 0.30, 0));
    }
    p.restore();
}

void PaintBallScrew(QPainter& p, const DemoProduct& prod) {
    const QString series = prod.typeCode.left(3);
    const int lead = prod.typeCode.mid(5, 2).toInt();
    const double r = 11 + prod.size * 0.42;
    const double cy = 300;
    const double pitch = qBound(7.0, qMin(double(lead), prod.size * 0.4) * 1.7, 16.0);
    const double slant = qBound(4.0, lead * 0.9, 26.0);
    const bool twin = prod.variant == 1;
    const bool compact = prod.variant == 2;

    Shadow(p, QRectF(70, cy + r * 2.6, 660, 46), 60);
    const double xs0 = 150, xs1 = 690;
    // Left journal: drive end with a key, then the bearing seat.
    CylinderX(p, 60, 110, cy, r * 0.52, kSteel);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 42, 46));
    p.drawRoundedRect(QRectF(68, cy - r * 0.52 + 1, 32, r * 0.22), 3, 3);
    CylinderX(p, 110, xs0, cy, r * 0.72, kSteel);
    // Shaft up to the nut.
    const double nx = compact ? 300 : 270;
    const double flangeW = compact ? 14 : 20;
    const double rn = r * (compact ? 1.55 : 1.75);
    const double rf = r * (compact ? 2.05 : 2.55);
    const double nutLen = 70 + prod.size * 2.0;
    CylinderX(p, xs0, nx + 4, cy, r, kSteel, false);
    Thread(p, xs0, nx + 4, cy, r, pitch, slant);
    // Nut(s).
    const QColor nutColour = series == QLatin1String("SFS") ? kBlackOxide : Dim(kSteel, 0.04);
    auto nut = [&](double x, double len, bool withFlange) {
        double bodyStart = x;
        if (withFlange) {
            CylinderX(p, x, x + flangeW, cy, rf, nutColour);
            const double rm = (rf + rn) / 2 + 2;
            for (int a = 0; a < 360; a += 60) {
                const double rad = qDegreesToRadians(a + 30.0);
                const QPointF c(x + flangeW + std::cos(rad) * rm * kCapRatio,
                                cy + std::sin(rad) * rm);
                Hole(p, QRectF(c.x() - 3, c.y() - 6, 6, 12));
            }
            bodyStart = x + flangeW;
        }
        CylinderX(p, bodyStart, x + len, cy, rn, nutColour);
        // Wiper ring and oil hole.
        CylinderX(p, x + len, x + len + 6, cy, r * 1.18, kRubber);
        SocketHead(p, QPointF(bodyStart + (len - (bodyStart - x)) * 0.55, cy - rn * 0.72), 6);
    };
    if (twin) {
        nut(nx, nutLen * 0.62, true);
        CylinderX(p, nx + nutLen * 0.62 + 6, nx + nutLen * 0.62 + 18, cy, rn * 0.96, kSteel);
        nut(nx + nutLen * 0.62 + 18, nutLen * 0.55, false);
    } else {
        nut(nx, nutLen, true);
    }
    const double after = nx + (twin ? nutLen * 1.17 + 18 : nutLen) + 6;
    CylinderX(p, after - 8, xs1, cy, r, kSteel, false);
    Thread(p, after - 8, xs1, cy, r, pitch, slant);
    EndCap(p, xs1, cy, r, kSteel);
    CylinderX(p, xs1, xs1 + 34, cy, r * 0.72, kSteel);
    CylinderX(p, xs1 + 34, xs1 + 56, cy, r * 0.55, kSteel);
}

// ---- coupling ----------------------------------------------------------------------------

void BoreCap(QPainter& p, double x, double cy, double r, const QColor& c, bool keyway) {
    EndCap(p, x, cy, r, c);
    p.setPen(QPen(Lit(c, 0.5), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(x - r * 0.9 * kCapRatio, cy - r * 0.9, 1.8 * r * kCapRatio, 1.8 * r));
    Hole(p, QRectF(x - r * 0.36 * kCapRatio, cy - r * 0.36, 0.72 * r * kCapRatio, 0.72 * r));
    if (keyway) {
        p.setBrush(QColor(14, 14, 16));
        p.drawRect(
            QRectF(x - r * 0.05 * kCapRatio - 1, cy - r * 0.46, r * 0.1 * kCapRatio + 2, r * 0.14));
    }
}

void ClampHub(QPainter& p, double x0, double x1, double cy, double r, const QColor& c,
              bool slitLeft) {
    CylinderX(p, x0, x1, cy, r, c, false);
    const double xs = slitLeft ? x0 + 16 : x1 - 16;
    p.setPen(QPen(QColor(18, 18, 20, 200), 2.2));
    p.drawLine(QPointF(xs, cy - r + 1), QPointF(xs, cy + r * 0.15));
    SocketHead(p, QPointF(slitLeft ? xs + 16 : xs - 16, cy - r * 0.62), r * 0.13);
}

void PaintCoupling(QPainter& p, const DemoProduct& prod) {
    const double r = qMin(135.0, 62 + prod.size * 0.9);
    const double cy = 300;
    const double len = r * 2.9;
    const double x0 = 400 - len / 2, x1 = 400 + len / 2;
    Shadow(p, QRectF(x0 - 30, cy + r * 0.82, len + 80, 60), 70);
    switch (prod.variant) {
        case 0: {  // jaw coupling with a polyurethane spider
            const double hub = len * 0.39;
            ClampHub(p, x0, x0 + hub, cy, r, kAlu, true);
            CylinderX(p, x0 + hub, x1 - hub, cy, r * 0.97, QColor(232, 98, 40), false);
            p.save();
            p.setClipPath(CylinderBody(x0 + hub - 2, x1 - hub + 2, cy, r * 0.97));
            p.setPen(Qt::NoPen);
            p.setBrush(MetalBand(cy - r, cy + r, kAlu));
            p.drawRect(QRectF(x0 + hub - 2, cy - r, len * 0.17, r * 0.55));
            p.drawRect(QRectF(x0 + hub - 2, cy + r * 0.25, len * 0.17, r * 0.5));
            p.drawRect(QRectF(x1 - hub - len * 0.15, cy - r * 0.25, len * 0.17, r * 0.4));
            p.drawRect(QRectF(x1 - hub - len * 0.15, cy + r * 0.85, len * 0.17, r * 0.3));
            p.restore();
            ClampHub(p, x1 - hub, x1, cy, r, kAlu, false);
            BoreCap(p, x1, cy, r, kAlu, true);
            break;
        }
        case 1: {  // disc coupling
            const double hub = len * 0.40;
            ClampHub(p, x0, x0 + hub, cy, r, kSteel, true);
            for (int i = 0; i < 6; ++i)
                CylinderX(p, x0 + hub + i * (len * 0.2 / 6), x0 + hub + (i + 1) * (len * 0.2 / 6),
                          cy, r * 1.02, i % 2 ? kChrome : Dim(kChrome, 0.25));
            for (double fy : {-0.7, 0.55}) {
                CylinderX(p, x0 + hub - 14, x0 + hub + 2, cy + fy * r, r * 0.13, kBlackOxide);
                CylinderX(p, x1 - hub - 2, x1 - hub + 14, cy + fy * r * 0.2, r * 0.13, kBlackOxide);
            }
            ClampHub(p, x1 - hub, x1, cy, r, kSteel, false);
            BoreCap(p, x1, cy, r, kSteel, false);
            break;
        }
        case 2: {  // rigid clamp coupling
            CylinderX(p, x0, x1, cy, r * 0.9, kBlackOxide, false);
            p.setPen(QPen(QColor(10, 10, 12), 2.5));
            p.drawLine(QPointF(400, cy - r * 0.9), QPointF(400, cy + r * 0.9));
            for (double x : {x0 + 18, x1 - 18}) {
                p.drawLine(QPointF(x, cy - r * 0.9 + 1), QPointF(x, cy + r * 0.1));
            }
            for (double x : {x0 + len * 0.22, x1 - len * 0.22})
                SocketHead(p, QPointF(x, cy - r * 0.55), r * 0.12);
            BoreCap(p, x1, cy, r * 0.9, kBlackOxide, false);
            break;
        }
        case 3: {  // bellows
            const double hub = len * 0.30;
            ClampHub(p, x0, x0 + hub, cy, r, kAlu, true);
            const double span = len - 2 * hub;
            const int folds = 9;
            for (int i = 0; i < folds * 2; ++i) {
                const double a = x0 + hub + span * i / (folds * 2.0);
                const double b = x0 + hub + span * (i + 1) / (folds * 2.0);
                CylinderX(p, a, b + 0.5, cy, r * (i % 2 ? 0.74 : 0.88), kChrome, false);
            }
            ClampHub(p, x1 - hub, x1, cy, r, kAlu, false);
            BoreCap(p, x1, cy, r, kAlu, false);
            break;
        }
        case 4: {  // one-piece slit coupling
            ClampHub(p, x0, x1, cy, r * 0.85, kAlu, true);
            p.save();
            p.setClipPath(CylinderBody(x0, x1, cy, r * 0.85));
            for (int i = 0; i < 4; ++i) {
                const double x = x0 + len * (0.32 + i * 0.11);
                QPainterPath slit;
                slit.moveTo(x, cy - r);
                slit.cubicTo(x + 30, cy - r * 0.3, x - 10, cy + r * 0.3, x + 24, cy + r);
                p.setPen(QPen(QColor(16, 18, 22), 4.5));
                p.drawPath(slit);
                p.setPen(QPen(QColor(255, 255, 255, 110), 1.5));
                p.drawPath(slit.translated(4, 0));
            }
            p.restore();
            SocketHead(p, QPointF(x1 - 32, cy - r * 0.5), r * 0.12);
            BoreCap(p, x1, cy, r * 0.85, kAlu, false);
            break;
        }
        default: {  // Oldham coupling with a dark middle disc
            const double hub = len * 0.38;
            ClampHub(p, x0, x0 + hub, cy, r, kAlu, true);
            CylinderX(p, x0 + hub, x1 - hub, cy, r * 0.99, QColor(30, 32, 36), false);
            p.save();
            p.setClipPath(CylinderBody(x0 + hub - 1, x1 - hub + 1, cy, r));
            p.setPen(Qt::NoPen);
            p.setBrush(MetalBand(cy - r, cy + r, kAlu));
            p.drawRect(QRectF(x0 + hub - 2, cy - r * 0.3, len * 0.07, r * 0.6));
            p.drawRect(QRectF(x1 - hub - len * 0.06, cy - r, len * 0.07, r * 0.45));
            p.drawRect(QRectF(x1 - hub - len * 0.06, cy + r * 0.55, len * 0.07, r * 0.45));
            p.restore();
            ClampHub(p, x1 - hub, x1, cy, r, kAlu, false);
            BoreCap(p, x1, cy, r, kAlu, true);
            break;
        }
    }
}

// ---- bearing unit ------------------------------------------------------------------------

void BearingInsert(QPainter& p, const QPointF& c, double ro, const QPointF& depth) {
    // Outer ring, seal, then the wide inner ring standing out towards the viewer.
    p.setPen(Qt::NoPen);
    QRadialGradient g(c, ro, c - QPointF(ro * 0.4, ro * 0.4));
    g.setColorAt(0, Lit(kSteel, 0.5));
    g.setColorAt(1, Dim(kSteel, 0.2));
    p.setBrush(g);
    p.drawEllipse(c, ro, ro);
    p.setBrush(kRubber);
    p.drawEllipse(c, ro * 0.86, ro * 0.86);
    p.setPen(QPen(QColor(70, 70, 74), 1));
    for (int i = 1; i <= 3; ++i) p.drawEllipse(c, ro * (0.86 - i * 0.05), ro * (0.86 - i * 0.05));
    const QPointF out = -depth * 0.45;
    p.save();
    p.translate(c + out);
    Extrude(p, CirclePath(QPointF(0, 0), ro * 0.60), -out, kSteel);
    p.setPen(QPen(Lit(kSteel, 0.6), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(0, 0), ro * 0.52, ro * 0.52);
    Hole(p, QRectF(-ro * 0.40, -ro * 0.40, ro * 0.80, ro * 0.80));
    SocketHead(p, QPointF(-ro * 0.22, -ro * 0.50), ro * 0.08);
    p.restore();
}

void PaintBearingUnit(QPainter& p, const DemoProduct& prod) {
    const QPointF c(390, 300);
    const double R = 72 + prod.size * 3.0;
    const QPointF depth(40, -27);
    const QColor paint = prod.variant == 5 ? QColor(70, 96, 120) : kCast;
    QPainterPath shape;
    QList<QPointF> throughHoles;
    double shadowY = c.y() + R + 30;
    auto circle = [&](QPointF at, double r) { return CirclePath(at, r); };
    switch (prod.variant) {
        case 0:
        case 5: {  // pillow block
            const double baseY = c.y() + R * 1.45, baseTop = baseY - R * 0.36;
            const double half = R * (prod.variant == 5 ? 2.1 : 1.85);
            shape = circle(c, R * 1.02);
            QPolygonF ped{{c.x() - R * 1.25, baseTop + 2},
                          {c.x() - R * 0.8, c.y() + 6},
                          {c.x() + R * 0.8, c.y() + 6},
                          {c.x() + R * 1.25, baseTop + 2}};
            QPainterPath pedestal;
            pedestal.addPolygon(ped);
            shape = shape.united(pedestal).united(
                RectPath(QRectF(c.x() - half, baseTop, 2 * half, baseY - baseTop), 4));
            if (prod.variant == 5)
                for (double sx : {-1.0, 1.0})
                    shape = shape.united(RectPath(
                        QRectF(c.x() + sx * R * 1.25 - R * 0.3, c.y() - R * 0.3, R * 0.6, R * 0.42),
                        4));
            shadowY = baseY;
            break;
        }
        case 1: {  // two-bolt rhombic flange
            shape = circle(c, R * 1.02);
            QPolygonF lens{
                {c.x() - R * 2.0, c.y() - R * 0.42}, {c.x(), c.y() - R * 0.95},
                {c.x() + R * 2.0, c.y() - R * 0.42}, {c.x() + R * 2.0, c.y() + R * 0.42},
                {c.x(), c.y() + R * 0.95},           {c.x() - R * 2.0, c.y() + R * 0.42}};
            QPainterPath l;
            l.addPolygon(lens);
            shape = shape.united(l)
                        .united(circle(c + QPointF(-R * 2.0, 0), R * 0.42))
                        .united(circle(c + QPointF(R * 2.0, 0), R * 0.42));
            throughHoles = {c + QPointF(-R * 2.0, 0), c + QPointF(R * 2.0, 0)};
            break;
        }
        case 2: {  // four-bolt square flange
            const double h = R * 1.55;
            shape = RectPath(QRectF(c.x() - h, c.y() - h, 2 * h, 2 * h), R * 0.3);
            for (double sx : {-1.0, 1.0})
                for (double sy : {-1.0, 1.0})
                    throughHoles << c + QPointF(sx * h * 0.74, sy * h * 0.74);
            shadowY = c.y() + h;
            break;
        }
        case 3: {  // take-up frame with guide grooves
            const double w = R * 1.6, h = R * 1.4;
            shape = RectPath(QRectF(c.x() - w, c.y() - h, 2 * w, 2 * h), 6);
            for (double sx : {-1.0, 1.0})
                shape = shape.subtracted(RectPath(
                    QRectF(c.x() + sx * w - R * 0.18, c.y() - h - 1, R * 0.36, 2 * h + 2)));
            shape = shape.united(
                RectPath(QRectF(c.x() - R * 0.28, c.y() - h - R * 0.5, R * 0.56, R * 0.6), 3));
            shadowY = c.y() + h;
            break;
        }
        default: {  // hanger
            shape = circle(c, R * 1.05)
                        .united(RectPath(
                            QRectF(c.x() - R * 0.45, c.y() - R * 1.75, R * 0.9, R * 1.0), 5));
            break;
        }
    }
    Shadow(p, QRectF(c.x() - R * 2.6, shadowY - 34, R * 5.4, 70), 80);
    Extrude(p, shape, depth, paint);
    for (const QPointF& h : throughHoles)
        Hole(p, QRectF(h.x() - R * 0.16, h.y() - R * 0.16, R * 0.32, R * 0.32), Dim(paint, 0.3));
    if (prod.variant == 0 || prod.variant == 5) {
        const double baseTop = c.y() + R * 1.45 - R * 0.36;
        const double half = R * (prod.variant == 5 ? 2.1 : 1.85);
        const QPointF du = depth / std::hypot(depth.x(), depth.y());
        for (double sx : {-1.0, 1.0}) {
            p.save();
            p.setTransform(QTransform(1, 0, du.x() * 0.55, du.y() * 0.55,
                                      c.x() + sx * (half - R * 0.32) + depth.x() * 0.5,
                                      baseTop + depth.y() * 0.5),
                           true);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(18, 18, 20));
            p.drawRoundedRect(QRectF(-R * 0.2, -R * 0.1, R * 0.4, R * 0.2), R * 0.1, R * 0.1);
            p.restore();
        }
        // Cast lettering on the base.
        p.setPen(Dim(paint, 0.35));
        p.setFont(LatinFont(int(R * 0.2), true));
        p.drawText(QRectF(c.x() - R, baseTop + 2, 2 * R, R * 0.34), Qt::AlignCenter,
                   prod.typeCode.mid(2));
        if (prod.variant == 5) {
            p.setPen(QPen(QColor(20, 24, 30), 2));
            p.drawLine(QPointF(c.x() - R * 1.55, c.y() + 2), QPointF(c.x() + R * 1.55, c.y() + 2));
            for (double sx : {-1.0, 1.0})
                Hex(p, QPointF(c.x() + sx * R * 1.25, c.y() - R * 0.3 - 6), R * 0.16, kBlackOxide);
        }
    }
    if (prod.variant == 2) {
        p.save();
        p.translate(c - depth * 0.15);
        Extrude(p, CirclePath(QPointF(0, 0), R * 1.08), depth * 0.15, paint);
        p.restore();
    }
    // Grease nipple on the housing's top.
    const double topY = prod.variant == 4   ? c.y() - R * 1.75
                        : prod.variant == 3 ? c.y() - R * 1.9
                                            : c.y() - R * 1.02;
    if (prod.variant == 4 || prod.variant == 3) {
        const QPointF du = depth / std::hypot(depth.x(), depth.y());
        PlaneHole(p, QPointF(c.x() + depth.x() * 0.5, topY + depth.y() * 0.5), R * 0.18, du,
                  Dim(paint, 0.2));
    } else {
        CylinderY(p, c.x() + R * 0.5, topY - 8, topY + 10, 6, kBrass);
    }
    BearingInsert(p, c, R * 0.80, depth);
}

// ---- reducer -----------------------------------------------------------------------------

void Fins(QPainter& p, double x0, double x1, double cy, double r, int count) {
    p.save();
    p.setClipPath(CylinderBody(x0, x1, cy, r));
    for (int i = 0; i < count; ++i) {
        const double y = cy - r + (2 * r) * (i + 0.5) / count;
        p.setPen(QPen(QColor(0, 0, 0, 70), 2));
        p.drawLine(QPointF(x0 - r, y), QPointF(x1, y));
        p.setPen(QPen(QColor(255, 255, 255, 50), 1));
        p.drawLine(QPointF(x0 - r, y + 2), QPointF(x1, y + 2));
    }
    p.restore();
}

void SquareFlange(QPainter& p, double x0, double x1, double cy, double half, const QColor& c) {
    p.setPen(Qt::NoPen);
    p.setBrush(MetalBand(cy - half, cy + half, c));
    p.drawRect(QRectF(x0, cy - half, x1 - x0, 2 * half));
    const QRectF face(x1 - half * kCapRatio, cy - half, 2 * half * kCapRatio, 2 * half);
    QLinearGradient g(face.topLeft(), face.bottomRight());
    g.setColorAt(0, Lit(c, 0.3));
    g.setColorAt(1, Dim(c, 0.2));
    p.setPen(QPen(Dim(c, 0.4), 1));
    p.setBrush(g);
    p.drawRoundedRect(face, 4, 10);
    for (double sy : {-0.75, 0.75}) Hole(p, QRectF(x1 - 3, cy + sy * half - 5, 6, 10));
}

void PaintReducer(QPainter& p, const DemoProduct& prod) {
    const double cy = 310;
    const QColor black(52, 55, 60);
    const QColor blue(44, 88, 132);
    const QColor green(52, 102, 118);
    switch (prod.variant) {
        case 0:
        case 1: {  // planetary, inline or right-angle
            const double r = 62;
            Shadow(p, QRectF(90, cy + r * 0.9, 560, 56), 70);
            CylinderX(p, 110, 215, cy, 22, kSteel);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(40, 42, 46));
            p.drawRoundedRect(QRectF(125, cy - 21, 60, 9), 4, 4);
            CylinderX(p, 215, 270, cy, r * 1.12, kSteel);
            for (int a = 0; a < 360; a += 45) {
                const double rad = qDegreesToRadians(double(a));
                if (std::cos(rad) < -0.2) continue;
                Hole(p, QRectF(270 + std::cos(rad) * r * 0.95 * kCapRatio - 2.5,
                               cy + std::sin(rad) * r * 0.95 - 4, 5, 8));
            }
            const double bodyEnd = prod.variant == 0 ? 470 : 420;
            CylinderX(p, 270, bodyEnd, cy, r, black, false);
            CylinderX(p, 350, 356, cy, r + 1, Dim(black, 0.3), false);
            p.setPen(QColor(230, 232, 236));
            p.setFont(LatinFont(17, true));
            p.drawText(QRectF(275, cy - 14, 120, 28), Qt::AlignCenter, QStringLiteral("Harbelt"));
            if (prod.variant == 0) {
                SquareFlange(p, 470, 560, cy, r * 1.1, kAlu);
                SocketHead(p, QPointF(515, cy - r * 0.6), 7);
            } else {
                p.save();
                p.translate(420, cy + r * 1.05);
                Extrude(p, RectPath(QRectF(0, -2 * r * 1.05, 120, 2 * r * 1.05), 6),
                        QPointF(36, -24), black);
                p.restore();
                CylinderY(p, 498, cy - r * 1.05 - 24 - 70, cy - r * 1.05 - 16, 52, kAlu);
                Hole(p, QRectF(498 - 20, cy - r * 1.05 - 94 - 6, 40, 12));
            }
            break;
        }
        case 2: {  // worm gearbox
            const QPointF c(380, 330);
            const double h = 120;
            const QPointF depth(70, -46);
            Shadow(p, QRectF(c.x() - 190, c.y() + h - 30, 420, 64), 80);
            QPainterPath box = RectPath(QRectF(c.x() - h, c.y() - h, 2 * h, 2 * h), 26);
            Extrude(p, box, depth, QColor(118, 138, 160));
            p.setPen(QPen(QColor(255, 255, 255, 60), 2));
            for (int i = 1; i < 6; ++i)
                p.drawLine(QPointF(c.x() - h + 20, c.y() - h + i * 2 * h / 6),
                           QPointF(c.x() - h + 42, c.y() - h + i * 2 * h / 6));
            for (double sx : {-1.0, 1.0})
                for (double sy : {-1.0, 1.0})
                    Hole(p, QRectF(c.x() + sx * h * 0.76 - 7, c.y() + sy * h * 0.76 - 7, 14, 14),
                         QColor(90, 108, 128));
            p.save();
            p.translate(c - depth * 0.12);
            Extrude(p, CirclePath(QPointF(0, 0), h * 0.52), depth * 0.12, QColor(132, 150, 170));
            Hole(p, QRectF(-h * 0.26, -h * 0.26, h * 0.52, h * 0.52));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(10, 10, 12));
            p.drawRect(QRectF(-6, -h * 0.26 - 8, 12, 12));
            p.restore();
            CylinderY(p, c.x() + depth.x() * 0.5, c.y() - h - 70 + depth.y() * 0.5,
                      c.y() - h + depth.y() * 0.5 + 8, 50, QColor(132, 150, 170));
            break;
        }
        case 3: {  // helical inline with motor
            const double r = 70;
            Shadow(p, QRectF(90, cy + 110, 600, 50), 80);
            p.save();
            p.translate(300, cy + 118);
            Extrude(p, RectPath(QRectF(-140, -22, 280, 22), 4), QPointF(40, -26), green);
            p.restore();
            CylinderX(p, 100, 180, cy, 24, kSteel);
            p.save();
            p.translate(180, cy + 100);
            Extrude(p, RectPath(QRectF(0, -200, 200, 200), 30), QPointF(40, -26), green);
            p.restore();
            CylinderX(p, 380, 400, cy - 12, r * 1.1, green);
            CylinderX(p, 400, 640, cy - 12, r, Lit(green, 0.05));
            Fins(p, 410, 640, cy - 12, r, 12);
            p.save();
            p.translate(470, cy - 12 - r + 6);
            Extrude(p, RectPath(QRectF(0, -44, 80, 44), 4), QPointF(24, -16), green);
            p.restore();
            break;
        }
        case 4: {  // cycloidal drive on feet
            const double r = 88;
            Shadow(p, QRectF(120, cy + r + 10, 560, 50), 80);
            p.save();
            p.translate(250, cy + r + 26);
            Extrude(p, RectPath(QRectF(-90, -38, 180, 38), 4), QPointF(40, -26), blue);
            p.restore();
            CylinderX(p, 100, 170, cy, 26, kSteel);
            CylinderX(p, 170, 230, cy, r * 0.6, blue);
            CylinderX(p, 230, 340, cy, r, blue);
            CylinderX(p, 340, 390, cy, r * 0.7, blue);
            CylinderX(p, 390, 620, cy, r * 0.82, Lit(blue, 0.05));
            Fins(p, 400, 620, cy, r * 0.82, 12);
            break;
        }
        default: {  // harmonic drive, a flat unit seen from its output side
            const double r = 135;
            const double x0 = 330, x1 = 420;
            Shadow(p, QRectF(x0 - 80, cy + r - 30, 300, 60), 70);
            CylinderX(p, x0, x1, cy, r, kSteel);
            CylinderX(p, x0 + 20, x0 + 40, cy, r + 2, black, false);
            const double k = kCapRatio;
            for (int i = 0; i < 12; ++i) {
                const double a = qDegreesToRadians(i * 30.0 + 15);
                Hole(p, QRectF(x1 + std::cos(a) * r * 0.86 * k - 2.5,
                               cy + std::sin(a) * r * 0.86 - 4.5, 5, 9));
            }
            p.setPen(QPen(Dim(kSteel, 0.4), 1.5));
            p.setBrush(black);
            p.drawEllipse(QRectF(x1 - r * 0.72 * k, cy - r * 0.72, 2 * r * 0.72 * k, 2 * r * 0.72));
            p.setBrush(MetalBand(cy - r * 0.5, cy + r * 0.5, kAlu));
            p.drawEllipse(QRectF(x1 - r * 0.56 * k, cy - r * 0.62, 2 * r * 0.56 * k, 2 * r * 0.62));
            Hole(p, QRectF(x1 - r * 0.2 * k, cy - r * 0.2, 2 * r * 0.2 * k, 2 * r * 0.2));
            break;
        }
    }
}

// ---- pneumatics --------------------------------------------------------------------------

void Fitting(QPainter& p, double cx, double yTop, double yBottom) {
    CylinderY(p, cx, yTop + 8, yBottom, 9, kBrass);
    CylinderY(p, cx, yTop, yTop + 10, 12, QColor(30, 32, 36));
}

void PaintPneumatic(QPainter& p, const DemoProduct& prod) {
    const double cy = 300;
    switch (prod.variant) {
        case 0:
        case 1: {  // tie-rod or round cylinder
            const bool round = prod.variant == 1;
            const double bore = round ? 40 + prod.size * 0.9 : 44 + prod.size * 0.75;
            const double half = bore * (round ? 1.0 : 1.12);
            const double rodR = bore * 0.24;
            Shadow(p, QRectF(80, cy + half - 10, 620, 50), 70);
            CylinderX(p, 70, 240, cy, rodR, kChrome);
            // Rod-end nut: a short hexagon seen across its flats.
            CylinderX(p, 96, 120, cy, rodR * 1.5, kSteel);
            p.setPen(QPen(QColor(0, 0, 0, 60), 1));
            p.drawLine(QPointF(92, cy - rodR * 0.75), QPointF(120, cy - rodR * 0.75));
            p.drawLine(QPointF(92, cy + rodR * 0.75), QPointF(120, cy + rodR * 0.75));
            if (round) {
                CylinderX(p, 240, 290, cy, half, kAlu);
                CylinderX(p, 290, 560, cy, half * 0.86, kChrome);
                CylinderX(p, 560, 610, cy, half, kAlu);
                CylinderX(p, 610, 660, cy, half * 0.45, kAlu);
                Hole(p, QRectF(645, cy - 7, 10, 14));
            } else {
                SquareFlange(p, 240, 300, cy, half, kAlu);
                CylinderX(p, 300, 560, cy, half * 0.86, kChrome);
                for (double sy : {-0.92, 0.92})
                    CylinderX(p, 300, 560, cy + sy * half * 0.86, 5, kSteel, false);
                SquareFlange(p, 560, 630, cy, half, kAlu);
                for (double sy : {-0.72, 0.72}) Hex(p, QPointF(632, cy + sy * half), 7, kSteel);
            }
            Fitting(p, 265, cy - half - 34, cy - half + 4);
            Fitting(p, round ? 585 : 595, cy - half - 34, cy - half + 4);
            p.setPen(QColor(40, 60, 80));
            p.setFont(LatinFont(16, true));
            p.drawText(QRectF(320, cy - 12, 220, 24), Qt::AlignCenter, prod.typeCode);
            break;
        }
        case 2:
        case 3: {  // compact or twin-rod, seen from the rod side
            const bool twin = prod.variant == 3;
            const QPointF c(400, 310);
            const double w = twin ? 150 : 110, h = twin ? 70 : 110;
            const QPointF depth = twin ? QPointF(120, -80) : QPointF(62, -42);
            Shadow(p, QRectF(c.x() - 200, c.y() + h - 30, 460, 70), 80);
            Extrude(p, RectPath(QRectF(c.x() - w, c.y() - h, 2 * w, 2 * h), 10), depth, kAlu);
            const QPointF du = depth / std::hypot(depth.x(), depth.y());
            for (double sx : {-0.4, 0.4})
                PlaneHole(p, QPointF(c.x() + sx * w, c.y() - h) + depth * 0.5, 7, du,
                          Dim(kAlu, 0.3));
            const QPointF out = -depth * 0.85;
            const QList<double> rods = twin ? QList<double>{-w * 0.55, w * 0.55} : QList<double>{0};
            for (double rx : rods) {
                p.save();
                p.translate(c + QPointF(rx, 0) + out);
                Extrude(p, CirclePath(QPointF(0, 0), twin ? 16 : 24), -out, kChrome);
                p.restore();
            }
            if (twin) {
                p.save();
                p.translate(c + out * 1.12);
                Extrude(p, RectPath(QRectF(-w * 1.0, -h * 0.7, 2 * w, h * 1.4), 8), -out * 0.12,
                        kAlu);
                for (double sx : {-0.75, -0.25, 0.25, 0.75})
                    Hole(p, QRectF(sx * w - 6, -6, 12, 12), Dim(kAlu, 0.3));
                p.restore();
            } else {
                p.save();
                p.translate(c + out);
                Hole(p, QRectF(-10, -10, 20, 20));
                p.restore();
                for (double sx : {-1.0, 1.0})
                    for (double sy : {-1.0, 1.0})
                        SocketHead(p, c + QPointF(sx * w * 0.8, sy * h * 0.8), 8);
            }
            break;
        }
        case 4: {  // solenoid valve
            Shadow(p, QRectF(150, 390, 520, 50), 80);
            const QPointF depth(60, -40);
            p.save();
            p.translate(0, 0);
            Extrude(p, RectPath(QRectF(170, 300, 360, 90), 5), depth, kAlu);
            p.restore();
            for (double x : {240.0, 350.0, 460.0}) {
                Hole(p, QRectF(x - 17, 328, 34, 34), Dim(kAlu, 0.25));
                p.setPen(QPen(kBrass, 2));
                p.setBrush(Qt::NoBrush);
                p.drawEllipse(QRectF(x - 12, 333, 24, 24));
            }
            Extrude(p, RectPath(QRectF(410, 190, 130, 110), 6), depth * 0.9, QColor(36, 38, 42));
            p.setPen(QColor(230, 230, 230));
            p.setFont(LatinFont(15, true));
            p.drawText(QRectF(410, 215, 130, 24), Qt::AlignCenter, QStringLiteral("DC24V"));
            p.setFont(Font(14));
            p.drawText(QRectF(410, 245, 130, 24), Qt::AlignCenter, QStringLiteral("Harbelt"));
            Extrude(p, RectPath(QRectF(540, 205, 44, 80), 4), depth * 0.7, QColor(120, 124, 130));
            SocketHead(p, QPointF(562, 245), 9);
            p.setPen(Qt::NoPen);
            p.setBrush(kAccent);
            p.drawEllipse(QPointF(200, 345), 10, 10);
            break;
        }
        default: {  // air preparation unit: filter, regulator with gauge, lubricator
            Shadow(p, QRectF(130, 440, 560, 50), 70);
            const QPointF depth(46, -30);
            for (double x : {300.0, 500.0}) {
                p.save();
                p.translate(x - 30, 300);
                Extrude(p, RectPath(QRectF(0, -70, 60, 50), 4), depth * 0.8, kSteel);
                p.restore();
            }
            const double xs[3] = {200, 400, 600};
            for (int i = 0; i < 3; ++i) {
                const double x = xs[i];
                if (i == 1) {
                    CylinderY(p, x + depth.x() * 0.5, 130 + depth.y() * 0.5, 205 + depth.y() * 0.5,
                              34, QColor(40, 42, 46));
                    CylinderY(p, x, 300, 380, 40, QColor(40, 42, 46));
                }
                Extrude(p, RectPath(QRectF(x - 70, 200, 140, 100), 8), depth,
                        i == 1 ? kAlu : Lit(kAlu, 0.05));
                if (i != 1) {
                    // Bowl under the head: clear polycarbonate with a metal guard.
                    QPainterPath bowl;
                    bowl.moveTo(x - 52, 300);
                    bowl.lineTo(x + 52, 300);
                    bowl.cubicTo(x + 52, 400, x + 30, 440, x, 440);
                    bowl.cubicTo(x - 30, 440, x - 52, 400, x - 52, 300);
                    QLinearGradient g(x - 52, 0, x + 52, 0);
                    g.setColorAt(0, QColor(150, 190, 215, 170));
                    g.setColorAt(0.3, QColor(235, 245, 250, 200));
                    g.setColorAt(1, QColor(110, 150, 180, 190));
                    p.setPen(QPen(QColor(90, 110, 130), 1));
                    p.setBrush(g);
                    p.drawPath(bowl);
                    p.setBrush(QColor(170, 200, 220, 120));
                    p.drawRect(QRectF(x - 44, 390, 88, 18));
                    p.setPen(QPen(QColor(60, 64, 70), 6));
                    p.drawLine(QPointF(x - 30, 305), QPointF(x - 30, 415));
                    p.drawLine(QPointF(x + 30, 305), QPointF(x + 30, 415));
                } else {
                    // Pressure gauge on the regulator's front.
                    const QPointF g(x, 250);
                    p.setPen(QPen(QColor(60, 64, 70), 4));
                    p.setBrush(Qt::white);
                    p.drawEllipse(g, 38, 38);
                    p.setPen(QPen(QColor(40, 40, 40), 2));
                    for (int t = 0; t <= 10; ++t) {
                        const double a = qDegreesToRadians(225.0 - t * 27.0);
                        const QPointF u(std::cos(a), -std::sin(a));
                        p.drawLine(g + u * 29, g + u * 34);
                    }
                    p.setPen(QPen(QColor(200, 30, 30), 3));
                    const double a = qDegreesToRadians(80.0);
                    p.drawLine(g, g + QPointF(std::cos(a), -std::sin(a)) * 27);
                    p.setPen(Qt::NoPen);
                    p.setBrush(QColor(30, 30, 30));
                    p.drawEllipse(g, 4, 4);
                }
            }
            break;
        }
    }
}

// ---- pulley ------------------------------------------------------------------------------

QPainterPath Toothed(double R, int teeth, double depth) {
    QPainterPath path;
    const double step = 2 * M_PI / teeth;
    for (int i = 0; i < teeth; ++i) {
        const double a = i * step;
        const QPointF pts[4] = {
            QPointF(std::cos(a) * (R - depth), std::sin(a) * (R - depth)),
            QPointF(std::cos(a + step * 0.18) * R, std::sin(a + step * 0.18) * R),
            QPointF(std::cos(a + step * 0.52) * R, std::sin(a + step * 0.52) * R),
            QPointF(std::cos(a + step * 0.70) * (R - depth),
                    std::sin(a + step * 0.70) * (R - depth)),
        };
        if (i == 0)
            path.moveTo(pts[0]);
        else
            path.lineTo(pts[0]);
        path.lineTo(pts[1]);
        path.lineTo(pts[2]);
        path.lineTo(pts[3]);
    }
    path.closeSubpath();
    return path;
}

void PaintPulley(QPainter& p, const DemoProduct& prod) {
    const int z = prod.size;
    const double R = qMin(120.0, 70 + z * 1.3);
    const QPointF c(380, 320);
    const bool steel = prod.typeCode.startsWith(QLatin1String("S8M"));
    const bool idler = prod.variant == 3;
    const bool flanged = prod.variant != 1;
    const QColor metal = steel ? kBlackOxide : prod.variant == 1 ? QColor(178, 186, 196) : kAlu;
    const QPointF width = QPointF(0.82, -0.56) * (R * 0.95);
    Shadow(p, QRectF(c.x() - R * 1.3, c.y() + R * 0.75, R * 3.4, 70), 80);
    auto disc = [&](double at, double thickness, const QPainterPath& shape, const QColor& col) {
        p.save();
        p.translate(c + width * at);
        Extrude(p, shape, width * thickness, col);
        p.restore();
    };
    const QPainterPath flangeShape = CirclePath(QPointF(0, 0), R * 1.12);
    if (flanged) disc(0.92, 0.08, flangeShape, Lit(metal, 0.05));
    if (idler)
        disc(0.08, 0.84, CirclePath(QPointF(0, 0), R), metal);
    else
        disc(0.08, 0.84, Toothed(R, z, qMax(5.0, R * 0.09)), metal);
    if (flanged) disc(0.0, 0.08, flangeShape, Lit(metal, 0.05));
    if (!flanged) {
        p.save();
        p.translate(c);
        Face(p, Toothed(R, z, qMax(5.0, R * 0.09)), metal);
        p.restore();
    }
    if (idler) {
        p.save();
        p.translate(c);
        QRadialGradient g(QPointF(0, 0), R * 0.55);
        g.setColorAt(0, Lit(kSteel, 0.4));
        g.setColorAt(1, Dim(kSteel, 0.2));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(QPointF(0, 0), R * 0.55, R * 0.55);
        p.setBrush(kRubber);
        p.drawEllipse(QPointF(0, 0), R * 0.45, R * 0.45);
        p.restore();
        p.save();
        p.translate(c - width * 0.3);
        Extrude(p, CirclePath(QPointF(0, 0), R * 0.3), width * 0.3, kSteel);
        p.restore();
        Hex(p, c - width * 0.3, R * 0.2, kBlackOxide);
        return;
    }
    // Hub standing out towards the viewer, with bore, keyway and set screw.
    const QPointF out = -width * 0.55;
    p.save();
    p.translate(c + out);
    Extrude(p, CirclePath(QPointF(0, 0), R * 0.55), -out, metal);
    p.setPen(QPen(Lit(metal, 0.5), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(0, 0), R * 0.45, R * 0.45);
    Hole(p, QRectF(-R * 0.24, -R * 0.24, R * 0.48, R * 0.48));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(12, 12, 14));
    p.drawRect(QRectF(-R * 0.05, -R * 0.30, R * 0.1, R * 0.1));
    p.restore();
    const QPointF du = width / std::hypot(width.x(), width.y());
    PlaneHole(p, c + QPointF(0, -R * 0.55) + out * 0.5, R * 0.07, du, Dim(metal, 0.25));
}

}  // namespace

void PartPainter::PaintPart(QPainter& p, const QRectF& target, const DemoProduct& product) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(target.topLeft());
    const double scale = qMin(target.width() / kWidth, target.height() / kHeight);
    p.translate((target.width() - kWidth * scale) / 2, (target.height() - kHeight * scale) / 2);
    p.scale(scale, scale);
    p.setClipRect(QRectF(0, 0, kWidth, kHeight));
    // The scenes are drawn with room to spare; small parts are enlarged about the middle.
    static const double zoom[] = {1.22, 1.08, 1.7, 1.5, 1.28, 1.24, 1.32};
    const PartKind kind = DemoCatalogue::Categories()[product.category].kind;
    const double z = zoom[int(kind)];
    p.translate(kWidth / 2.0, kHeight / 2.0);
    p.scale(z, z);
    p.translate(-kWidth / 2.0, -kHeight / 2.0 - 10);
    switch (kind) {
        case PartKind::LinearGuide:
            PaintLinearGuide(p, product);
            break;
        case PartKind::BallScrew:
            PaintBallScrew(p, product);
            break;
        case PartKind::Coupling:
            PaintCoupling(p, product);
            break;
        case PartKind::BearingUnit:
            PaintBearingUnit(p, product);
            break;
        case PartKind::Reducer:
            PaintReducer(p, product);
            break;
        case PartKind::Pneumatic:
            PaintPneumatic(p, product);
            break;
        case PartKind::Pulley:
            PaintPulley(p, product);
            break;
    }
    p.restore();
}

QImage PartPainter::ProductPicture(const DemoProduct& product, const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const double s = size.width() / double(kWidth);
    PaintPart(p, QRectF(0, size.height() * 0.03, size.width(), size.height() * 0.86), product);
    // The maker's mark at the top left, the type code and name at the bottom right.
    DrawMark(p, QRectF(18 * s, 16 * s, 30 * s, 30 * s));
    p.setPen(kBrand);
    p.setFont(LatinFont(int(20 * s), true));
    p.drawText(QRectF(56 * s, 14 * s, 200 * s, 34 * s), Qt::AlignLeft | Qt::AlignVCenter,
               DemoCatalogue::CompanyShortName());
    p.setPen(QPen(QColor(220, 224, 228), 1));
    p.drawLine(QPointF(size.width() * 0.55, size.height() - 70 * s),
               QPointF(size.width() - 24 * s, size.height() - 70 * s));
    p.setPen(kInk);
    p.setFont(LatinFont(int(30 * s), true));
    p.drawText(QRectF(0, size.height() - 66 * s, size.width() - 24 * s, 38 * s),
               Qt::AlignRight | Qt::AlignVCenter, product.typeCode);
    p.setPen(QColor(110, 116, 124));
    p.setFont(Font(int(17 * s)));
    p.drawText(QRectF(0, size.height() - 30 * s, size.width() - 24 * s, 24 * s),
               Qt::AlignRight | Qt::AlignVCenter, product.name);
    return image;
}

QImage PartPainter::CompanyPicture(const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const double W = size.width(), H = size.height();
    p.scale(W / 1100.0, H / 760.0);
    // Sky and ground.
    QLinearGradient sky(0, 0, 0, 520);
    sky.setColorAt(0, QColor(120, 178, 226));
    sky.setColorAt(1, QColor(222, 238, 248));
    p.fillRect(QRectF(0, 0, 1100, 520), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 170));
    for (auto [x, y, w] :
         {std::tuple{120.0, 90.0, 150.0}, {520.0, 60.0, 190.0}, {860.0, 120.0, 130.0}}) {
        p.drawEllipse(QPointF(x, y), w * 0.5, w * 0.16);
        p.drawEllipse(QPointF(x + w * 0.18, y - w * 0.08), w * 0.28, w * 0.14);
    }
    QLinearGradient lawn(0, 500, 0, 620);
    lawn.setColorAt(0, QColor(124, 170, 96));
    lawn.setColorAt(1, QColor(92, 140, 70));
    p.fillRect(QRectF(0, 500, 1100, 120), lawn);
    p.fillRect(QRectF(0, 560, 1100, 36), QColor(150, 154, 160));
    p.setPen(QPen(QColor(240, 240, 240), 3, Qt::DashLine));
    p.drawLine(QPointF(0, 578), QPointF(1100, 578));

    // Works hall with a sawtooth roof on the right.
    const QPointF d(60, -34);
    Extrude(p, RectPath(QRectF(640, 330, 400, 180)), d, QColor(196, 204, 212));
    for (int i = 0; i < 5; ++i) {
        QPolygonF tooth{
            {640.0 + i * 80, 330}, {640.0 + i * 80 + 80, 330}, {640.0 + i * 80 + 80, 288}};
        QPainterPath t;
        t.addPolygon(tooth);
        t.closeSubpath();
        p.setPen(QPen(QColor(120, 130, 140), 1));
        p.setBrush(QColor(170, 180, 190));
        p.drawPath(t);
        p.setBrush(QColor(120, 170, 210));
        p.drawRect(QRectF(640 + i * 80 + 70, 292, 8, 36));
    }
    for (int i = 0; i < 4; ++i) {
        p.setPen(QPen(QColor(110, 118, 128), 2));
        p.setBrush(QColor(150, 160, 172));
        p.drawRect(QRectF(670 + i * 92, 420, 62, 90));
        for (int k = 1; k < 6; ++k)
            p.drawLine(QPointF(670 + i * 92, 420 + k * 15), QPointF(732 + i * 92, 420 + k * 15));
    }
    p.setPen(QColor(40, 70, 100));
    p.setFont(Font(22, true));
    p.drawText(QRectF(640, 350, 400, 40), Qt::AlignCenter, QStringLiteral("精密传动部件生产基地"));

    // Office block with a glass front on the left.
    Extrude(p, RectPath(QRectF(110, 170, 430, 340)), d, QColor(226, 230, 234));
    QLinearGradient glass(110, 190, 540, 500);
    glass.setColorAt(0, QColor(40, 110, 160));
    glass.setColorAt(0.5, QColor(110, 170, 210));
    glass.setColorAt(1, QColor(24, 84, 130));
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    p.drawRect(QRectF(140, 230, 370, 250));
    p.setPen(QPen(QColor(220, 228, 236), 3));
    for (int i = 1; i < 8; ++i)
        p.drawLine(QPointF(140 + i * 370.0 / 8, 230), QPointF(140 + i * 370.0 / 8, 480));
    for (int k = 1; k < 5; ++k)
        p.drawLine(QPointF(140, 230 + k * 50.0), QPointF(510, 230 + k * 50.0));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 60));
    QPolygonF shine{{160, 480}, {260, 230}, {300, 230}, {200, 480}};
    p.drawPolygon(shine);
    // Entrance canopy.
    p.setBrush(QColor(60, 66, 74));
    p.drawRect(QRectF(260, 440, 130, 10));
    p.setBrush(QColor(30, 60, 90));
    p.drawRect(QRectF(285, 450, 80, 60));
    // Name on the roof edge.
    DrawMark(p, QRectF(140, 180, 40, 40));
    p.setPen(kBrand);
    p.setFont(LatinFont(34, true));
    p.drawText(QRectF(190, 176, 330, 48), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("HARBELT"));

    // Trees.
    for (double x : {70.0, 585.0, 1060.0, 620.0}) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(110, 80, 50));
        p.drawRect(QRectF(x - 5, 470, 10, 50));
        QRadialGradient g(QPointF(x - 10, 440), 50);
        g.setColorAt(0, QColor(120, 180, 90));
        g.setColorAt(1, QColor(50, 110, 50));
        p.setBrush(g);
        p.drawEllipse(QPointF(x, 450), 38, 46);
    }

    // Caption band.
    QLinearGradient band(0, 620, 0, 760);
    band.setColorAt(0, kBrand);
    band.setColorAt(1, kBrandDark);
    p.fillRect(QRectF(0, 620, 1100, 140), band);
    p.fillRect(QRectF(0, 620, 1100, 4), kAccent);
    p.setPen(Qt::white);
    p.setFont(Font(38, true));
    p.drawText(QRectF(40, 636, 1020, 56), Qt::AlignLeft | Qt::AlignVCenter,
               DemoCatalogue::CompanyName());
    p.setPen(kBandText);
    p.setFont(Font(22));
    p.drawText(QRectF(40, 694, 1020, 40), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral(
                   "Harbelt Precision Motion · 精密、可靠、及时 · 直线运动与传动部件专业制造商"));
    return image;
}
