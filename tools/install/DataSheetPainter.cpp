#include "tools/install/DataSheetPainter.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include "tools/install/DemoStyle.h"
#include "tools/install/PartPainter.h"

using namespace DemoStyle;

namespace {

const QColor kLine(40, 46, 56);
const QColor kDim(0, 92, 150);
const QColor kRule(206, 212, 220);

QString SheetTitle(DataSheetPainter::Sheet sheet) {
    switch (sheet) {
        case DataSheetPainter::Sheet::Introduction:
        case DataSheetPainter::Sheet::IntroductionMore:
            return QStringLiteral("产品介绍");
        case DataSheetPainter::Sheet::Processing:
            return QStringLiteral("追加加工");
        case DataSheetPainter::Sheet::Reference:
            return QStringLiteral("技术参考");
    }
    return {};
}

QString SheetEnglish(DataSheetPainter::Sheet sheet) {
    switch (sheet) {
        case DataSheetPainter::Sheet::Introduction:
        case DataSheetPainter::Sheet::IntroductionMore:
            return QStringLiteral("PRODUCT INTRODUCTION");
        case DataSheetPainter::Sheet::Processing:
            return QStringLiteral("ADDITIONAL MACHINING");
        case DataSheetPainter::Sheet::Reference:
            return QStringLiteral("TECHNICAL REFERENCE");
    }
    return {};
}

// ---- page furniture ----------------------------------------------------------------------

void Header(QPainter& p, const QRectF& page, const DemoProduct& product,
            DataSheetPainter::Sheet sheet) {
    const QRectF band(page.left(), page.top(), page.width(), 96);
    QLinearGradient g(band.topLeft(), band.bottomLeft());
    g.setColorAt(0, QColor(12, 104, 152));
    g.setColorAt(1, kBrand);
    p.fillRect(band, g);
    p.fillRect(QRectF(band.left(), band.bottom(), band.width(), 5), kAccent);
    DrawMark(p, QRectF(band.left() + 32, band.top() + 22, 52, 52), true);
    p.setPen(Qt::white);
    p.setFont(LatinFont(30, true));
    p.drawText(QRectF(band.left() + 96, band.top() + 14, 300, 40), Qt::AlignLeft | Qt::AlignVCenter,
               DemoCatalogue::CompanyShortName());
    p.setPen(kBandText);
    p.setFont(Font(16));
    p.drawText(QRectF(band.left() + 96, band.top() + 52, 500, 28), Qt::AlignLeft | Qt::AlignVCenter,
               DemoCatalogue::CompanyName());
    p.setPen(Qt::white);
    p.setFont(Font(34, true));
    p.drawText(QRectF(band.right() - 460, band.top() + 10, 428, 48),
               Qt::AlignRight | Qt::AlignVCenter, SheetTitle(sheet));
    p.setPen(QColor(190, 220, 240));
    p.setFont(LatinFont(15, false));
    p.drawText(QRectF(band.right() - 460, band.top() + 58, 428, 24),
               Qt::AlignRight | Qt::AlignVCenter,
               DemoCatalogue::Categories()[product.category].english + QStringLiteral("  ·  ") +
                   SheetEnglish(sheet));
}

// Product name, type code and category under the band; returns the y where content starts.
double TitleBlock(QPainter& p, const QRectF& page, const DemoProduct& product) {
    const double top = page.top() + 120;
    p.setPen(kInk);
    p.setFont(Font(36, true));
    const QFontMetricsF fm(p.font());
    const double nameWidth = fm.horizontalAdvance(product.name);
    p.drawText(QRectF(page.left() + 40, top, nameWidth + 4, 52), Qt::AlignLeft | Qt::AlignVCenter,
               product.name);
    p.setPen(kBrand);
    p.setFont(LatinFont(32, true));
    p.drawText(QRectF(page.left() + 60 + nameWidth, top, 600, 52), Qt::AlignLeft | Qt::AlignVCenter,
               product.typeCode);
    p.setPen(QColor(120, 128, 138));
    p.setFont(Font(17));
    p.drawText(QRectF(page.left() + 40, top + 54, page.width() - 80, 28),
               Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("产品中心 › %1 › %2")
                   .arg(DemoCatalogue::Categories()[product.category].name, product.typeCode));
    p.setPen(QPen(kRule, 2));
    p.drawLine(QPointF(page.left() + 40, top + 92), QPointF(page.right() - 40, top + 92));
    return top + 112;
}

void Footer(QPainter& p, const QRectF& page, DataSheetPainter::Sheet sheet, int pageNo) {
    const double y = page.bottom() - 56;
    p.setPen(QPen(kRule, 1.5));
    p.drawLine(QPointF(page.left() + 40, y), QPointF(page.right() - 40, y));
    p.setPen(QColor(120, 128, 138));
    p.setFont(Font(15));
    p.drawText(QRectF(page.left() + 40, y + 8, page.width() - 80, 30),
               Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("%1    www.harbelt-demo.com    销售热线 0512-6000 1234")
                   .arg(DemoCatalogue::CompanyName()));
    p.drawText(QRectF(page.left() + 40, y + 8, page.width() - 80, 30),
               Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("%1 · 第 %2 页").arg(SheetTitle(sheet)).arg(pageNo));
}

// A section heading with a coloured tab; returns the y below it.
double Heading(QPainter& p, double x, double y, double width, const QString& text) {
    p.fillRect(QRectF(x, y + 6, 6, 26), kAccent);
    p.setPen(kBrand);
    p.setFont(Font(24, true));
    p.drawText(QRectF(x + 16, y, width - 16, 38), Qt::AlignLeft | Qt::AlignVCenter, text);
    return y + 46;
}

// Wrapped body text; returns the y below it.
double Paragraph(QPainter& p, double x, double y, double width, const QString& text, int px = 18) {
    p.setPen(kInk);
    p.setFont(Font(px));
    const QRectF bounds = p.boundingRect(QRectF(x, y, width, 4000), Qt::TextWordWrap, text);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    p.drawText(QRectF(x, y, width, bounds.height() + 4), text, option);
    return y + bounds.height() + 14;
}

double Bullets(QPainter& p, double x, double y, double width, const QStringList& items) {
    for (const QString& item : items) {
        p.setPen(Qt::NoPen);
        p.setBrush(kBrandLight);
        p.drawEllipse(QPointF(x + 7, y + 14), 5, 5);
        y = Paragraph(p, x + 22, y, width - 22, item) - 4;
    }
    return y + 8;
}

// A table whose first row is the header; `highlight` marks one body row.
double Table(QPainter& p, const QRectF& area, const QStringList& header,
             const QList<QStringList>& rows, int highlight, int px = 17,
             const QList<double>& weights = {}) {
    const int columns = int(header.size());
    QList<double> w = weights;
    if (w.size() != columns) {
        w.clear();
        for (int i = 0; i < columns; ++i) w << (i == 0 ? 1.5 : 1.0);
    }
    double total = 0;
    for (double v : w) total += v;
    QList<double> xs{area.left()};
    for (double v : w) xs << xs.last() + area.width() * v / total;
    const double rowH = px * 2.1;
    double y = area.top();
    auto cell = [&](int c, const QString& text, const QColor& ink, bool bold, bool wrap) {
        p.setPen(ink);
        p.setFont(Font(px, bold));
        const QRectF r(xs[c] + 6, y, xs[c + 1] - xs[c] - 12, rowH);
        p.drawText(r, Qt::AlignCenter | (wrap ? Qt::TextWordWrap : 0), text);
    };
    p.fillRect(QRectF(area.left(), y, area.width(), rowH * 1.25), kBrand);
    const double headH = rowH * 1.25;
    {
        const double saved = rowH;
        for (int c = 0; c < columns; ++c) {
            p.setPen(Qt::white);
            p.setFont(Font(px, true));
            p.drawText(QRectF(xs[c] + 4, y, xs[c + 1] - xs[c] - 8, headH),
                       Qt::AlignCenter | Qt::TextWordWrap, header[c]);
        }
        Q_UNUSED(saved);
    }
    y += headH;
    for (int r = 0; r < rows.size(); ++r) {
        const bool hl = r == highlight;
        const QColor ground =
            hl ? QColor(255, 234, 206) : (r % 2 ? QColor(242, 246, 250) : Qt::white);
        p.fillRect(QRectF(area.left(), y, area.width(), rowH), ground);
        for (int c = 0; c < columns && c < rows[r].size(); ++c)
            cell(c, rows[r][c], hl ? QColor(150, 70, 0) : kInk, hl || c == 0, false);
        y += rowH;
    }
    p.setPen(QPen(kRule, 1));
    for (int c = 1; c < columns; ++c)
        p.drawLine(QPointF(xs[c], area.top() + headH), QPointF(xs[c], y));
    p.setPen(QPen(QColor(150, 160, 172), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(area.left(), area.top(), area.width(), y - area.top()));
    return y + 16;
}

// ---- drawing primitives ------------------------------------------------------------------

void Arrow(QPainter& p, const QPointF& tip, const QPointF& from) {
    const QPointF d = tip - from;
    const double len = std::hypot(d.x(), d.y());
    if (len < 1e-6) return;
    const QPointF u = d / len, n(-u.y(), u.x());
    QPolygonF head{tip, tip - u * 12 + n * 4, tip - u * 12 - n * 4};
    p.setBrush(p.pen().color());
    p.drawPolygon(head);
}

// A horizontal dimension between x0 and x1 measured at height y, from a feature at `ref`.
void DimH(QPainter& p, double x0, double x1, double y, double ref, const QString& label) {
    p.setPen(QPen(kDim, 1.2));
    p.drawLine(QPointF(x0, ref), QPointF(x0, y + (y > ref ? 8 : -8)));
    p.drawLine(QPointF(x1, ref), QPointF(x1, y + (y > ref ? 8 : -8)));
    p.drawLine(QPointF(x0, y), QPointF(x1, y));
    Arrow(p, QPointF(x0, y), QPointF(x1, y));
    Arrow(p, QPointF(x1, y), QPointF(x0, y));
    p.setFont(LatinFont(18, true));
    const QRectF r((x0 + x1) / 2 - 60, y - 28, 120, 24);
    p.setPen(kDim);
    p.drawText(r, Qt::AlignHCenter | Qt::AlignBottom, label);
}

void DimV(QPainter& p, double y0, double y1, double x, double ref, const QString& label) {
    p.setPen(QPen(kDim, 1.2));
    p.drawLine(QPointF(ref, y0), QPointF(x + (x > ref ? 8 : -8), y0));
    p.drawLine(QPointF(ref, y1), QPointF(x + (x > ref ? 8 : -8), y1));
    p.drawLine(QPointF(x, y0), QPointF(x, y1));
    Arrow(p, QPointF(x, y0), QPointF(x, y1));
    Arrow(p, QPointF(x, y1), QPointF(x, y0));
    p.setFont(LatinFont(18, true));
    p.setPen(kDim);
    const QRectF r(x > ref ? x + 6 : x - 66, (y0 + y1) / 2 - 12, 60, 24);
    p.drawText(r, (x > ref ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, label);
}

void CentreLine(QPainter& p, const QPointF& a, const QPointF& b) {
    QPen pen(QColor(200, 40, 40), 1, Qt::DashDotLine);
    p.setPen(pen);
    p.drawLine(a, b);
}

void Outline(QPainter& p, const QPainterPath& path) {
    p.setPen(QPen(kLine, 2.2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(QColor(250, 251, 252));
    p.drawPath(path);
}

void OutlineRect(QPainter& p, const QRectF& r) {
    QPainterPath path;
    path.addRect(r);
    Outline(p, path);
}

void OutlineCircle(QPainter& p, const QPointF& c, double r) {
    QPainterPath path;
    path.addEllipse(c, r, r);
    Outline(p, path);
}

void HiddenCircle(QPainter& p, const QPointF& c, double r) {
    p.setPen(QPen(kLine, 1.2, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r, r);
}

void ViewLabel(QPainter& p, const QRectF& r, const QString& text) {
    p.setPen(QColor(110, 118, 128));
    p.setFont(Font(16));
    p.drawText(r, Qt::AlignHCenter | Qt::AlignTop, text);
}

// Saves the painter, draws a light framed ground over `area` and maps a w x h drawing frame,
// centred and scaled to fit, onto it. The caller restores the painter.
void BeginSketch(QPainter& p, const QRectF& area, double w, double h) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(area, QColor(248, 250, 252));
    p.setPen(QPen(kRule, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(area);
    const double s = qMin(area.width() / w, area.height() / h);
    p.translate(area.center());
    p.scale(s, s);
    p.translate(-w / 2, -h / 2);
}

// The dimension drawing of a product: two orthographic views in `area`, labelled with the
// letters of its dimension table.
void DimensionDrawing(QPainter& p, const QRectF& area, const DemoProduct& product) {
    // The views are laid out in a 900 x 420 frame.
    BeginSketch(p, area, 900, 420);
    const PartKind kind = DemoCatalogue::Categories()[product.category].kind;
    switch (kind) {
        case PartKind::LinearGuide: {
            // Front view: rail and block section.
            const double cx = 210, base = 330;
            OutlineRect(p, QRectF(cx - 40, base - 80, 80, 80));
            QPainterPath block;
            block.addRect(QRectF(cx - 110, base - 170, 220, 140));
            QPainterPath notch;
            notch.addRect(QRectF(cx - 42, base - 82, 84, 60));
            Outline(p, block.subtracted(notch));
            HiddenCircle(p, QPointF(cx, base - 55), 12);
            CentreLine(p, QPointF(cx, base - 200), QPointF(cx, base + 20));
            DimV(p, base - 170, base, cx - 150, cx - 110, QStringLiteral("H"));
            DimV(p, base - 80, base, cx + 70, cx + 40, QStringLiteral("HR"));
            DimH(p, cx - 110, cx + 110, base - 200, base - 170, QStringLiteral("W"));
            DimH(p, cx - 40, cx + 40, base + 40, base, QStringLiteral("WR"));
            ViewLabel(p, QRectF(cx - 100, base + 56, 200, 24), QStringLiteral("正视图"));
            // Side view: block length and hole pitch on the rail.
            const double x0 = 440, x1 = 860;
            OutlineRect(p, QRectF(x0, base - 80, x1 - x0, 80));
            OutlineRect(p, QRectF(560, base - 170, 180, 140));
            for (int i = 0; i < 4; ++i) HiddenCircle(p, QPointF(x0 + 60 + i * 100, base - 40), 10);
            DimH(p, 560, 740, base - 200, base - 170, QStringLiteral("L"));
            DimH(p, x0 + 60, x0 + 160, base + 40, base, QStringLiteral("P"));
            DimH(p, x0, x0 + 60, base + 40, base, QStringLiteral("E"));
            ViewLabel(p, QRectF(560, base + 56, 180, 24), QStringLiteral("侧视图"));
            break;
        }
        case PartKind::BallScrew: {
            const double cy = 220;
            OutlineRect(p, QRectF(60, cy - 14, 80, 28));
            OutlineRect(p, QRectF(140, cy - 22, 620, 44));
            OutlineRect(p, QRectF(760, cy - 14, 60, 28));
            OutlineRect(p, QRectF(330, cy - 110, 30, 220));
            OutlineRect(p, QRectF(360, cy - 70, 180, 140));
            p.setPen(QPen(kLine, 1));
            for (double x = 150; x < 330; x += 16)
                p.drawLine(QPointF(x, cy - 22), QPointF(x + 10, cy + 22));
            for (double x = 550; x < 760; x += 16)
                p.drawLine(QPointF(x, cy - 22), QPointF(x + 10, cy + 22));
            CentreLine(p, QPointF(40, cy), QPointF(840, cy));
            DimV(p, cy - 22, cy + 22, 110, 140, QStringLiteral("d"));
            DimV(p, cy - 70, cy + 70, 590, 540, QStringLiteral("D"));
            DimV(p, cy - 110, cy + 110, 290, 330, QStringLiteral("A"));
            DimH(p, 360, 540, cy + 130, cy + 70, QStringLiteral("L"));
            DimH(p, 330, 360, cy - 140, cy - 110, QStringLiteral("B"));
            DimH(p, 600, 632, cy - 60, cy - 22, QStringLiteral("Ph"));
            break;
        }
        case PartKind::Coupling: {
            const double cy = 210;
            OutlineRect(p, QRectF(120, cy - 110, 300, 220));
            p.setPen(QPen(kLine, 1.5));
            p.drawLine(QPointF(250, cy - 110), QPointF(250, cy + 110));
            p.drawLine(QPointF(290, cy - 110), QPointF(290, cy + 110));
            p.setPen(QPen(kLine, 1.2, Qt::DashLine));
            p.drawLine(QPointF(120, cy - 30), QPointF(250, cy - 30));
            p.drawLine(QPointF(120, cy + 30), QPointF(250, cy + 30));
            p.drawLine(QPointF(290, cy - 36), QPointF(420, cy - 36));
            p.drawLine(QPointF(290, cy + 36), QPointF(420, cy + 36));
            CentreLine(p, QPointF(90, cy), QPointF(450, cy));
            DimH(p, 120, 420, cy + 150, cy + 110, QStringLiteral("L"));
            DimV(p, cy - 110, cy + 110, 80, 120, QStringLiteral("D"));
            ViewLabel(p, QRectF(170, cy + 168, 200, 24), QStringLiteral("侧视图"));
            OutlineCircle(p, QPointF(680, cy), 110);
            OutlineCircle(p, QPointF(680, cy), 36);
            p.setBrush(QColor(250, 251, 252));
            p.setPen(QPen(kLine, 2));
            p.drawRect(QRectF(672, cy - 46, 16, 12));
            CentreLine(p, QPointF(550, cy), QPointF(810, cy));
            CentreLine(p, QPointF(680, cy - 130), QPointF(680, cy + 130));
            DimH(p, 644, 716, cy + 150, cy + 36, QStringLiteral("d1 / d2"));
            ViewLabel(p, QRectF(580, cy + 168, 200, 24), QStringLiteral("端视图"));
            break;
        }
        case PartKind::BearingUnit: {
            const double cx = 330, cy = 170;
            QPainterPath body;
            body.addEllipse(QPointF(cx, cy), 110, 110);
            QPainterPath base;
            base.addRect(QRectF(cx - 230, cy + 150, 460, 46));
            QPainterPath ped;
            ped.addPolygon(QPolygonF{{cx - 150, cy + 152},
                                     {cx - 90, cy + 40},
                                     {cx + 90, cy + 40},
                                     {cx + 150, cy + 152}});
            Outline(p, body.united(base).united(ped));
            OutlineCircle(p, QPointF(cx, cy), 80);
            OutlineCircle(p, QPointF(cx, cy), 40);
            for (double sx : {-1.0, 1.0}) {
                p.setPen(QPen(kLine, 1.5));
                p.setBrush(Qt::white);
                p.drawRoundedRect(QRectF(cx + sx * 190 - 22, cy + 160, 44, 26), 12, 12);
            }
            CentreLine(p, QPointF(cx - 140, cy), QPointF(cx + 140, cy));
            CentreLine(p, QPointF(cx, cy - 130), QPointF(cx, cy + 220));
            DimV(p, cy, cy + 196, cx + 290, cx + 230, QStringLiteral("H"));
            DimH(p, cx - 230, cx + 230, cy + 236, cy + 196, QStringLiteral("L"));
            DimH(p, cx - 190, cx + 190, cy + 130, cy + 160, QStringLiteral("J"));
            DimH(p, cx - 40, cx + 40, cy - 140, cy - 40, QStringLiteral("d"));
            OutlineRect(p, QRectF(700, cy - 80, 80, 230));
            OutlineRect(p, QRectF(680, cy + 150, 120, 46));
            DimH(p, 680, 800, cy + 236, cy + 196, QStringLiteral("A"));
            DimH(p, 700, 780, cy - 110, cy - 80, QStringLiteral("N"));
            break;
        }
        case PartKind::Reducer: {
            const double cy = 210;
            OutlineRect(p, QRectF(80, cy - 26, 110, 52));
            OutlineRect(p, QRectF(190, cy - 100, 60, 200));
            OutlineRect(p, QRectF(250, cy - 88, 260, 176));
            OutlineRect(p, QRectF(510, cy - 104, 90, 208));
            CentreLine(p, QPointF(60, cy), QPointF(620, cy));
            DimV(p, cy - 26, cy + 26, 60, 80, QStringLiteral("D"));
            DimV(p, cy - 104, cy + 104, 640, 600, QStringLiteral("□"));
            DimH(p, 80, 600, cy + 150, cy + 104, QStringLiteral("L"));
            const QPointF c(780, cy);
            OutlineRect(p, QRectF(c.x() - 104, c.y() - 104, 208, 208));
            OutlineCircle(p, c, 70);
            OutlineCircle(p, c, 26);
            for (double sx : {-1.0, 1.0})
                for (double sy : {-1.0, 1.0}) OutlineCircle(p, c + QPointF(sx * 78, sy * 78), 9);
            CentreLine(p, QPointF(c.x() - 124, cy), QPointF(c.x() + 124, cy));
            CentreLine(p, QPointF(c.x(), cy - 124), QPointF(c.x(), cy + 124));
            break;
        }
        case PartKind::Pneumatic: {
            const double cy = 210;
            OutlineRect(p, QRectF(70, cy - 12, 150, 24));
            OutlineRect(p, QRectF(220, cy - 90, 70, 180));
            OutlineRect(p, QRectF(290, cy - 76, 330, 152));
            OutlineRect(p, QRectF(620, cy - 90, 80, 180));
            for (double x : {255.0, 660.0}) OutlineRect(p, QRectF(x - 12, cy - 120, 24, 30));
            CentreLine(p, QPointF(50, cy), QPointF(730, cy));
            DimH(p, 220, 700, cy + 140, cy + 90, QStringLiteral("A"));
            DimH(p, 70, 220, cy + 60, cy + 12, QStringLiteral("B"));
            DimV(p, cy - 90, cy + 90, 760, 700, QStringLiteral("C"));
            break;
        }
        case PartKind::Pulley: {
            const double cy = 210;
            OutlineRect(p, QRectF(180, cy - 130, 18, 260));
            OutlineRect(p, QRectF(198, cy - 118, 130, 236));
            OutlineRect(p, QRectF(328, cy - 130, 18, 260));
            OutlineRect(p, QRectF(346, cy - 60, 80, 120));
            p.setPen(QPen(kLine, 1.2, Qt::DashLine));
            p.drawLine(QPointF(180, cy - 30), QPointF(426, cy - 30));
            p.drawLine(QPointF(180, cy + 30), QPointF(426, cy + 30));
            CentreLine(p, QPointF(150, cy), QPointF(460, cy));
            DimH(p, 198, 328, cy - 160, cy - 130, QStringLiteral("带宽"));
            DimH(p, 180, 426, cy + 170, cy + 130, QStringLiteral("L"));
            DimV(p, cy - 118, cy + 118, 130, 180, QStringLiteral("OD"));
            DimV(p, cy - 60, cy + 60, 470, 426, QStringLiteral("D1"));
            const QPointF c(700, cy);
            QPainterPath teeth;
            const int z = 24;
            for (int i = 0; i < z; ++i) {
                const double a0 = 2 * M_PI * i / z, a1 = 2 * M_PI * (i + 0.5) / z;
                const QPointF pa(std::cos(a0) * 118, std::sin(a0) * 118),
                    pb(std::cos(a1) * 104, std::sin(a1) * 104);
                if (i == 0)
                    teeth.moveTo(c + pa);
                else
                    teeth.lineTo(c + pa);
                teeth.lineTo(c + pb);
            }
            teeth.closeSubpath();
            Outline(p, teeth);
            OutlineCircle(p, c, 30);
            HiddenCircle(p, c, 110);
            CentreLine(p, QPointF(c.x() - 140, cy), QPointF(c.x() + 140, cy));
            CentreLine(p, QPointF(c.x(), cy - 140), QPointF(c.x(), cy + 140));
            DimH(p, c.x() - 30, c.x() + 30, cy + 170, cy + 30, QStringLiteral("d"));
            p.setPen(kDim);
            p.setFont(LatinFont(18, true));
            p.drawText(QRectF(c.x() + 60, cy - 150, 120, 24), Qt::AlignLeft, QStringLiteral("PD"));
            break;
        }
    }
    p.restore();
}

// A machining sketch for the processing sheet: a shaft end or a mounting face with callouts.
void MachiningSketch(QPainter& p, const QRectF& area, const DemoProduct& product) {
    BeginSketch(p, area, 900, 360);
    const double cy = 180;
    // Stepped end: bearing seat, thread, key seat.
    OutlineRect(p, QRectF(80, cy - 26, 140, 52));
    OutlineRect(p, QRectF(220, cy - 38, 170, 76));
    OutlineRect(p, QRectF(390, cy - 54, 420, 108));
    p.setPen(QPen(kLine, 1));
    for (double x = 232; x < 300; x += 8) p.drawLine(QPointF(x, cy - 38), QPointF(x + 6, cy + 38));
    p.setBrush(QColor(220, 226, 232));
    p.setPen(QPen(kLine, 1.6));
    p.drawRoundedRect(QRectF(100, cy - 10, 100, 20), 10, 10);
    CentreLine(p, QPointF(60, cy), QPointF(830, cy));
    DimH(p, 80, 220, cy + 90, cy + 26, QStringLiteral("L1"));
    DimH(p, 220, 390, cy + 90, cy + 38, QStringLiteral("L2"));
    DimV(p, cy - 26, cy + 26, 50, 80, QStringLiteral("φd1"));
    DimV(p, cy - 54, cy + 54, 850, 810, QStringLiteral("φd"));
    // Callouts.
    auto callout = [&](const QPointF& at, const QPointF& label, const QString& text) {
        p.setPen(QPen(kAccent, 1.8));
        p.drawLine(at, label);
        p.setBrush(kAccent);
        p.drawEllipse(at, 4, 4);
        p.setPen(kInk);
        p.setFont(Font(18, true));
        p.drawText(QRectF(label.x() + 6, label.y() - 14, 260, 28), Qt::AlignLeft | Qt::AlignVCenter,
                   text);
    };
    const auto& options = DemoCatalogue::Categories()[product.category].processing;
    callout(QPointF(150, cy - 10), QPointF(180, cy - 110),
            options.value(0).code + QStringLiteral("：") + options.value(0).title);
    callout(QPointF(300, cy - 38), QPointF(360, cy - 130),
            options.value(1).code + QStringLiteral("：") + options.value(1).title);
    if (options.size() > 2)
        callout(QPointF(600, cy - 54), QPointF(620, cy - 130),
                options.value(2).code + QStringLiteral("：") + options.value(2).title);
    p.restore();
}

// The ordering code taken apart, as catalogues print it.
double OrderingCode(QPainter& p, double x, double y, double width, const DemoProduct& product) {
    QStringList parts;
    QStringList meanings;
    const QString code = product.typeCode;
    int i = 0;
    while (i < code.size() && !code[i].isDigit()) ++i;
    const QString series = code.left(i);
    const QString rest = code.mid(i);
    const QString size = rest.section(QLatin1Char('-'), 0, 0);
    const QString tail = rest.section(QLatin1Char('-'), 1);
    if (!series.isEmpty()) {
        parts << series;
        meanings << QStringLiteral("系列代号");
    }
    parts << size;
    meanings << QStringLiteral("规格尺寸");
    if (!tail.isEmpty()) {
        parts << tail;
        meanings << (DemoCatalogue::Categories()[product.category].kind == PartKind::Reducer
                         ? QStringLiteral("减速比")
                         : QStringLiteral("长度 / 附加代码"));
    }
    p.setFont(LatinFont(30, true));
    const QFontMetricsF fm(p.font());
    double cx = x;
    QList<QPointF> anchors;
    for (int k = 0; k < parts.size(); ++k) {
        const double w = fm.horizontalAdvance(parts[k]) + 36;
        const QRectF box(cx, y, w, 54);
        p.setPen(QPen(kBrand, 2));
        p.setBrush(k % 2 ? QColor(232, 242, 250) : QColor(255, 244, 230));
        p.drawRoundedRect(box, 6, 6);
        p.setPen(kInk);
        p.drawText(box, Qt::AlignCenter, parts[k]);
        anchors << QPointF(box.center().x(), box.bottom());
        cx += w + (k + 1 < parts.size() ? 34 : 0);
        if (k + 1 < parts.size()) {
            p.setPen(QPen(kInk, 3));
            p.drawLine(QPointF(cx - 26, y + 27), QPointF(cx - 8, y + 27));
        }
    }
    double ly = y + 80;
    p.setFont(Font(18));
    for (int k = 0; k < anchors.size(); ++k) {
        p.setPen(QPen(QColor(130, 140, 150), 1.5));
        p.drawLine(anchors[k], QPointF(anchors[k].x(), ly + k * 32 + 14));
        p.drawLine(QPointF(anchors[k].x(), ly + k * 32 + 14), QPointF(cx + 30, ly + k * 32 + 14));
        p.setPen(kInk);
        p.drawText(QRectF(cx + 38, ly + k * 32, width - (cx - x) - 40, 28),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("%1：%2").arg(parts[k], meanings[k]));
    }
    return ly + anchors.size() * 32 + 16;
}

// ---- sheets ------------------------------------------------------------------------------

void IntroductionSheet(QPainter& p, const QRectF& page, const DemoProduct& product) {
    const DemoCategory& cat = DemoCatalogue::Categories()[product.category];
    double y = TitleBlock(p, page, product);
    const double left = page.left() + 40, width = page.width() - 80;
    // Picture on the left, overview on the right.
    const QRectF pic(left, y, width * 0.48, width * 0.48 * 0.75);
    p.setPen(QPen(kRule, 1.5));
    p.setBrush(Qt::white);
    p.drawRoundedRect(pic, 8, 8);
    PartPainter::PaintPart(p, pic.adjusted(6, 6, -6, -6), product);
    const double rx = pic.right() + 30, rw = page.right() - 40 - rx;
    double ry = Heading(p, rx, y, rw, QStringLiteral("产品概述"));
    ry = Paragraph(p, rx, ry, rw, cat.intro);
    ry = Paragraph(
        p, rx, ry, rw,
        QStringLiteral("本页介绍的 %1（型号 %2）为该系列的常用规格，库存充足，可当日发货。")
            .arg(product.name, product.typeCode));
    y = qMax(pic.bottom(), ry) + 18;
    y = Heading(p, left, y, width, QStringLiteral("产品特点"));
    y = Bullets(p, left, y, width, cat.features);
    y = Heading(p, left, y, width, QStringLiteral("应用领域"));
    y = Paragraph(p, left, y, width, cat.applications);
    y = Heading(p, left, y + 4, width, QStringLiteral("型号说明"));
    y = OrderingCode(p, left + 10, y + 4, width - 10, product);
    y = Heading(p, left, y, width, QStringLiteral("主要参数"));
    const DimensionTable t = DemoCatalogue::Table(product);
    QList<QStringList> row;
    if (t.highlight >= 0) row << t.rows[t.highlight];
    const double bottom = page.bottom() - 80;
    if (y + 120 < bottom) Table(p, QRectF(left, y, width, 0), t.header, row, 0, 16);
}

void IntroductionMoreSheet(QPainter& p, const QRectF& page, const DemoProduct& product) {
    const DemoCategory& cat = DemoCatalogue::Categories()[product.category];
    double y = TitleBlock(p, page, product);
    const double left = page.left() + 40, width = page.width() - 80;
    y = Heading(p, left, y, width, QStringLiteral("精度等级"));
    y = Table(p, QRectF(left, y, width, 0),
              {QStringLiteral("等级"), QStringLiteral("代号"), QStringLiteral("平行度 (μm/m)"),
               QStringLiteral("高度公差 (μm)"), QStringLiteral("适用场合")},
              {{QStringLiteral("普通级"), QStringLiteral("C"), QStringLiteral("25"),
                QStringLiteral("±100"), QStringLiteral("一般输送、搬运")},
               {QStringLiteral("高级"), QStringLiteral("H"), QStringLiteral("12"),
                QStringLiteral("±40"), QStringLiteral("通用自动化设备")},
               {QStringLiteral("精密级"), QStringLiteral("P"), QStringLiteral("6"),
                QStringLiteral("±20"), QStringLiteral("数控机床、测量")},
               {QStringLiteral("超精密级"), QStringLiteral("SP"), QStringLiteral("3"),
                QStringLiteral("±10"), QStringLiteral("半导体、光学设备")}},
              2, 17, {1.2, 0.8, 1.3, 1.3, 2.0});
    y = Heading(p, left, y + 6, width, QStringLiteral("安装要点"));
    y = Bullets(
        p, left, y, width,
        {QStringLiteral("安装基准面须清洁、无毛刺，平面度应符合所选精度等级的要求。"),
         QStringLiteral("先固定基准侧，再以基准侧为准调整从动侧，按对角顺序分两次拧紧螺栓。"),
         QStringLiteral("拧紧力矩参照技术参考页的推荐值，避免过紧导致变形。"),
         QStringLiteral("首次运行前加注润滑脂，低速往复运行数次，使润滑脂均匀分布。")});
    y = Heading(p, left, y + 6, width, QStringLiteral("润滑与保养"));
    y = Paragraph(
        p, left, y, width,
        QStringLiteral("推荐使用锂基润滑脂（NLGI 2 号）。一般工况下每运行 100 km 或每三个月"
                       "补充一次润滑；粉尘、切削液较多的场合请缩短补脂周期，并选用防尘配件。"
                       "%1的详细选型计算方法请参阅《%2技术手册》，或联系我公司技术支持。")
            .arg(product.name, cat.name));
    const QRectF pic(left + width * 0.18, y + 10, width * 0.64, width * 0.64 * 0.62);
    p.setPen(QPen(kRule, 1.5));
    p.setBrush(Qt::white);
    p.drawRoundedRect(pic, 8, 8);
    PartPainter::PaintPart(p, pic.adjusted(6, 6, -6, -6), product);
}

void ProcessingSheet(QPainter& p, const QRectF& page, const DemoProduct& product) {
    const DemoCategory& cat = DemoCatalogue::Categories()[product.category];
    double y = TitleBlock(p, page, product);
    const double left = page.left() + 40, width = page.width() - 80;
    y = Heading(p, left, y, width, QStringLiteral("追加加工项目"));
    y = Paragraph(p, left, y, width,
                  QStringLiteral("除标准品外，%1可按下列项目追加加工。订货时在型号后加注加工代码，"
                                 "多项加工按表中顺序排列。")
                      .arg(cat.name));
    QList<QStringList> rows;
    for (const ProcessOption& o : cat.processing) rows << QStringList{o.code, o.title, o.text};
    p.save();
    const double top = y;
    // Long descriptions need wrapped cells: draw this table with taller rows.
    const QList<double> w{0.7, 1.2, 4.2};
    const double total = 6.1;
    const double headH = 42;
    p.fillRect(QRectF(left, top, width, headH), kBrand);
    const QStringList header{QStringLiteral("代码"), QStringLiteral("加工项目"),
                             QStringLiteral("说明")};
    double x = left;
    QList<double> xs{x};
    for (double v : w) xs << xs.last() + width * v / total;
    for (int c = 0; c < 3; ++c) {
        p.setPen(Qt::white);
        p.setFont(Font(18, true));
        p.drawText(QRectF(xs[c], top, xs[c + 1] - xs[c], headH), Qt::AlignCenter, header[c]);
    }
    y = top + headH;
    for (int r = 0; r < rows.size(); ++r) {
        p.setFont(Font(17));
        const QRectF textRect(xs[2] + 12, y, xs[3] - xs[2] - 24, 400);
        const double h =
            qMax(46.0, p.boundingRect(textRect, Qt::TextWordWrap, rows[r][2]).height() + 20);
        p.fillRect(QRectF(left, y, width, h), r % 2 ? QColor(242, 246, 250) : Qt::white);
        p.setPen(kBrand);
        p.setFont(LatinFont(18, true));
        p.drawText(QRectF(xs[0], y, xs[1] - xs[0], h), Qt::AlignCenter, rows[r][0]);
        p.setPen(kInk);
        p.setFont(Font(18, true));
        p.drawText(QRectF(xs[1], y, xs[2] - xs[1], h), Qt::AlignCenter, rows[r][1]);
        p.setFont(Font(17));
        p.drawText(QRectF(xs[2] + 12, y, xs[3] - xs[2] - 24, h),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, rows[r][2]);
        y += h;
    }
    p.setPen(QPen(QColor(150, 160, 172), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(left, top, width, y - top));
    p.restore();
    y = Heading(p, left, y + 22, width, QStringLiteral("加工示意图"));
    MachiningSketch(p, QRectF(left, y, width, width * 0.4), product);
    y += width * 0.4 + 24;
    y = Heading(p, left, y, width, QStringLiteral("订货示例"));
    QStringList codes;
    for (int i = 0; i < qMin(2, int(cat.processing.size())); ++i) codes << cat.processing[i].code;
    p.setPen(kInk);
    p.setFont(LatinFont(26, true));
    p.drawText(QRectF(left + 20, y, width - 20, 40), Qt::AlignLeft | Qt::AlignVCenter,
               product.typeCode + QLatin1Char('-') + codes.join(QLatin1Char('-')));
    y += 50;
    y = Paragraph(
        p, left, y, width,
        QStringLiteral("表示在标准品 %1 的基础上追加“%2”和“%3”两项加工。非标加工请提供"
                       "图纸或样品，交期一般为 7～15 个工作日，加急订单请与销售部联系。")
            .arg(product.typeCode, cat.processing.value(0).title, cat.processing.value(1).title));
}

void ReferenceSheet(QPainter& p, const QRectF& page, const DemoProduct& product, bool wide) {
    const DemoCategory& cat = DemoCatalogue::Categories()[product.category];
    double y = TitleBlock(p, page, product);
    const double left = page.left() + 40, width = page.width() - 80;
    const DimensionTable t = DemoCatalogue::Table(product);
    if (wide) {
        const double dw = width * 0.36;
        double ly = Heading(p, left, y, dw, QStringLiteral("外形尺寸图"));
        DimensionDrawing(p, QRectF(left, ly, dw, dw * 0.48), product);
        ly += dw * 0.48 + 20;
        ly = Heading(p, left, ly, dw, QStringLiteral("说明"));
        Paragraph(
            p, left, ly, dw,
            cat.unitNote +
                QStringLiteral("表中以橙色标出的为本产品规格。本样本数据如有变更，恕不另行通知。"),
            20);
        const double tx = left + dw + 50, tw = page.right() - 40 - tx;
        double ty = Heading(p, tx, y, tw, QStringLiteral("%1 系列尺寸规格总表").arg(cat.name));
        ty = Table(p, QRectF(tx, ty, tw, 0), t.header, t.rows, t.highlight, 22);
        const double room = page.bottom() - 80 - ty;
        if (room > 120) {
            const QRectF pic(tx + tw - room * 4 / 3, ty, room * 4 / 3, room);
            PartPainter::PaintPart(p, pic, product);
        }
        return;
    }
    y = Heading(p, left, y, width, QStringLiteral("外形尺寸图"));
    DimensionDrawing(p, QRectF(left, y, width, width * 0.46), product);
    y += width * 0.46 + 22;
    y = Heading(p, left, y, width, QStringLiteral("尺寸规格表"));
    y = Table(p, QRectF(left, y, width, 0), t.header, t.rows, t.highlight, 16);
    y = Heading(p, left, y + 4, width, QStringLiteral("说明"));
    Bullets(p, left, y, width,
            {cat.unitNote,
             QStringLiteral("表中以橙色标出的行为本产品 %1 的规格。").arg(product.typeCode),
             QStringLiteral("本样本数据如有变更，恕不另行通知；订货前请向我公司确认最新数据。")});
}

}  // namespace

QImage DataSheetPainter::Paint(const DemoProduct& product, Sheet sheet, const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const bool wide = size.width() > size.height() * 2;
    // Pages are laid out for the portrait width; larger pages scale everything up.
    const double scale = wide ? size.height() / 1300.0 * 1.6 : size.width() / 1000.0;
    p.scale(scale, scale);
    const QRectF page(0, 0, size.width() / scale, size.height() / scale);
    Header(p, page, product, sheet);
    switch (sheet) {
        case Sheet::Introduction:
            IntroductionSheet(p, page, product);
            break;
        case Sheet::IntroductionMore:
            IntroductionMoreSheet(p, page, product);
            break;
        case Sheet::Processing:
            ProcessingSheet(p, page, product);
            break;
        case Sheet::Reference:
            ReferenceSheet(p, page, product, wide);
            break;
    }
    Footer(p, page, sheet, sheet == Sheet::IntroductionMore ? 2 : 1);
    return image;
}
