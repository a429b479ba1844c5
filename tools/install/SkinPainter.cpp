#include "tools/install/SkinPainter.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include "tools/install/DemoCatalogue.h"
#include "tools/install/DemoStyle.h"
#include "tools/install/PartPainter.h"

using namespace DemoStyle;
using State = SkinPainter::State;

namespace {

const QStringList kNavCaptions = {QStringLiteral("产品中心"), QStringLiteral("企业介绍"),
                                  QStringLiteral("系统设置"), QStringLiteral("系统发布")};

// The band's colour at row y, shared by the band and every button that sits on it.
QColor TopRow(int y) {
    // Lighter at the top, the side brush's colour at the bottom so the top band and the left
    // band meet without a seam.
    const QColor top(22, 118, 168), bottom = kBrand;
    QColor c = Mix(top, bottom, std::pow(y / double(SkinPainter::kTopHeight - 1), 0.85));
    if (y == 0) c = Lit(c, 0.18);  // a thin light edge along the window's top
    return c;
}

QColor BottomRow(int y) {
    if (y == 0) return QColor(24, 104, 150);
    return Mix(QColor(2, 60, 96), QColor(1, 40, 66), y / double(SkinPainter::kBottomHeight - 1));
}

QImage BandSlice(int width, int height, int firstRow, bool top) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const QRgb c = (top ? TopRow(firstRow + y) : BottomRow(firstRow + y)).rgb();
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(line, line + width, c);
    }
    return image;
}

void Prepare(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
}

// ---- small white icons -------------------------------------------------------------------

void IconGrid(QPainter& p, const QRectF& r, const QColor& c) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    const double g = r.width() * 0.14, s = (r.width() - g) / 2;
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
            p.drawRoundedRect(QRectF(r.x() + i * (s + g), r.y() + j * (s + g), s, s), 1.5, 1.5);
}

void IconBuilding(QPainter& p, const QRectF& r, const QColor& c) {
    p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    const QRectF body(r.x() + r.width() * 0.12, r.y() + r.height() * 0.12, r.width() * 0.52,
                      r.height() * 0.84);
    p.drawRect(body);
    p.drawRect(QRectF(body.right(), r.y() + r.height() * 0.42, r.width() * 0.3, r.height() * 0.54));
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 2; ++col)
            p.drawRect(QRectF(body.x() + 2.2 + col * body.width() * 0.42,
                              body.y() + 2.5 + row * body.height() * 0.26, body.width() * 0.22,
                              body.height() * 0.13));
}

void IconGear(QPainter& p, const QRectF& r, const QColor& c) {
    const QPointF centre = r.center();
    const double ro = r.width() * 0.5, ri = r.width() * 0.36;
    QPainterPath gear;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = M_PI * i / teeth - M_PI / (teeth * 2) * 0.6;
        const double a1 = M_PI * (i + 1) / teeth - M_PI / (teeth * 2) * 0.6;
        const double rr = i % 2 ? ri : ro;
        const QPointF p0 = centre + QPointF(std::cos(a0), std::sin(a0)) * rr;
        const QPointF p1 = centre + QPointF(std::cos(a1), std::sin(a1)) * rr;
        if (i == 0)
            gear.moveTo(p0);
        else
            gear.lineTo(p0);
        gear.lineTo(p1);
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(centre, r.width() * 0.15, r.width() * 0.15);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(gear.subtracted(hole));
}

void IconPublish(QPainter& p, const QRectF& r, const QColor& c) {
    p.setPen(QPen(c, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const double x = r.x(), y = r.y(), w = r.width(), h = r.height();
    QPainterPath tray;
    tray.moveTo(x + w * 0.08, y + h * 0.55);
    tray.lineTo(x + w * 0.08, y + h * 0.92);
    tray.lineTo(x + w * 0.92, y + h * 0.92);
    tray.lineTo(x + w * 0.92, y + h * 0.55);
    p.drawPath(tray);
    p.drawLine(QPointF(x + w * 0.5, y + h * 0.70), QPointF(x + w * 0.5, y + h * 0.08));
    QPainterPath head;
    head.moveTo(x + w * 0.24, y + h * 0.32);
    head.lineTo(x + w * 0.5, y + h * 0.06);
    head.lineTo(x + w * 0.76, y + h * 0.32);
    p.drawPath(head);
}

void IconChat(QPainter& p, const QRectF& r, const QColor& c, const QColor& dots) {
    QPainterPath bubble;
    const QRectF b(r.x(), r.y(), r.width(), r.height() * 0.78);
    bubble.addRoundedRect(b, b.height() * 0.45, b.height() * 0.45);
    QPainterPath tail;
    tail.moveTo(r.x() + r.width() * 0.22, b.bottom() - 2);
    tail.lineTo(r.x() + r.width() * 0.12, r.bottom());
    tail.lineTo(r.x() + r.width() * 0.45, b.bottom() - 2);
    tail.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(bubble.united(tail));
    p.setBrush(dots);
    for (int i = -1; i <= 1; ++i)
        p.drawEllipse(QPointF(b.center().x() + i * r.width() * 0.24, b.center().y()), 1.6, 1.6);
}

void IconFor(QPainter& p, const QString& caption, const QRectF& r, const QColor& c) {
    if (caption == kNavCaptions[0])
        IconGrid(p, r, c);
    else if (caption == kNavCaptions[1])
        IconBuilding(p, r, c);
    else if (caption == kNavCaptions[2])
        IconGear(p, r, c);
    else
        IconPublish(p, r, c);
}

// Hover and pressed grounds of buttons on a band: a light or dark rounded plate.
void Plate(QPainter& p, const QRectF& r, State state, double radius = 4) {
    if (state == State::Normal) return;
    p.setPen(Qt::NoPen);
    if (state == State::Hover) {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, QColor(255, 255, 255, 70));
        g.setColorAt(1, QColor(255, 255, 255, 30));
        p.setBrush(g);
        p.drawRoundedRect(r, radius, radius);
        p.setPen(QPen(QColor(255, 255, 255, 60), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    } else {
        p.setBrush(QColor(0, 20, 40, 110));
        p.drawRoundedRect(r, radius, radius);
        p.setPen(QPen(QColor(0, 0, 0, 70), 1));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(r.left() + radius, r.top() + 0.5),
                   QPointF(r.right() - radius, r.top() + 0.5));
    }
}

void Underline(QPainter& p, double x0, double x1, double y) {
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(x0, y, x1 - x0, 3), 1.5, 1.5);
}

QImage CaptionGlyphs(const QString& kind, State state) {
    const int w = kind == QLatin1String("max") ? 34 : 32, h = 19;
    QImage image = BandSlice(w, h, 5, true);
    QPainter p(&image);
    Prepare(p);
    const bool close = kind == QLatin1String("close");
    if (state != State::Normal) {
        p.setPen(Qt::NoPen);
        if (close)
            p.setBrush(state == State::Hover ? QColor(226, 36, 42) : QColor(160, 18, 24));
        else
            p.setBrush(state == State::Hover ? QColor(255, 255, 255, 64) : QColor(0, 20, 40, 120));
        p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 3, 3);
    }
    const double off = state == State::Pressed ? 1 : 0;
    const QPointF c(w / 2.0 + off, h / 2.0 + off);
    const QColor ink = state == State::Normal ? QColor(228, 236, 242) : Qt::white;
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    if (kind == QLatin1String("min")) {
        p.drawLine(QPointF(c.x() - 5.5, c.y() + 3.5), QPointF(c.x() + 5.5, c.y() + 3.5));
    } else if (kind == QLatin1String("max")) {
        p.drawRect(QRectF(c.x() - 5.5, c.y() - 4.5, 11, 9));
        p.drawLine(QPointF(c.x() - 5.5, c.y() - 3.0), QPointF(c.x() + 5.5, c.y() - 3.0));
    } else {
        p.setPen(QPen(ink, 1.7, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(c.x() - 4.5, c.y() - 4.5), QPointF(c.x() + 4.5, c.y() + 4.5));
        p.drawLine(QPointF(c.x() + 4.5, c.y() - 4.5), QPointF(c.x() - 4.5, c.y() + 4.5));
    }
    return image;
}

QImage To24(const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

QImage SkinPainter::TopBand() {
    QImage image = BandSlice(kBandWidth, kTopHeight, 0, true);
    QPainter p(&image);
    Prepare(p);
    // A soft glow behind the brand that has died away well before the brand's edge.
    QRadialGradient glow(QPointF(70, 4), 300);
    glow.setColorAt(0, QColor(120, 200, 240, 70));
    glow.setColorAt(1, QColor(120, 200, 240, 0));
    p.fillRect(QRectF(0, 1, kBrandWidth, kTopHeight - 1), glow);
    DrawMark(p, QRectF(14, 11, 37, 37), true);
    p.setPen(Qt::white);
    p.setFont(LatinFont(25, true));
    p.drawText(QRectF(62, 6, 200, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vistrel"));
    p.setPen(QColor(186, 214, 234));
    p.setFont(Font(13));
    p.drawText(QRectF(63, 35, 260, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("产品电子样本  ·  精准呈现每一件产品"));
    p.end();
    return To24(image);
}

QImage SkinPainter::BottomBand() {
    return To24(BandSlice(kBandWidth, kBottomHeight, 0, false));
}

QImage SkinPainter::NavButton(const QString& caption, State state) {
    const int w = 96, h = 36;
    QImage image = BandSlice(w, h, 14, true);
    QPainter p(&image);
    Prepare(p);
    Plate(p, QRectF(1, 1, w - 2, h - 2), state);
    const double off = state == State::Pressed ? 1 : 0;
    const QFont font = Font(15, state != State::Normal);
    const QFontMetricsF fm(font);
    const double textW = fm.horizontalAdvance(caption);
    const double iconW = 16, gap = 5;
    const double x0 = (w - (iconW + gap + textW)) / 2 + off;
    const QColor ink = state == State::Normal ? kBandText : Qt::white;
    IconFor(p, caption, QRectF(x0, (h - iconW) / 2 - 1 + off, iconW, iconW), ink);
    p.setPen(ink);
    p.setFont(font);
    p.drawText(QRectF(x0 + iconW + gap, off - 1, textW + 2, h), Qt::AlignLeft | Qt::AlignVCenter,
               caption);
    if (state != State::Normal) Underline(p, x0 - 2, x0 + iconW + gap + textW + 2, h - 5 + off);
    p.end();
    return To24(image);
}

QImage SkinPainter::BackButton(State state) {
    const int w = 72, h = 28;
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kGround);
    QPainter p(&image);
    Prepare(p);
    const QRectF r(0.5, 0.5, w - 1, h - 1);
    QColor fill1 = Qt::white, fill2 = QColor(232, 238, 244), border = QColor(160, 178, 196);
    QColor ink = kBrand, arrow = kBrand;
    if (state == State::Hover) {
        fill1 = QColor(236, 246, 252);
        fill2 = QColor(214, 232, 246);
        border = kAccent;
        arrow = kAccent;
    } else if (state == State::Pressed) {
        fill1 = kBrand;
        fill2 = kBrandDark;
        border = kBrandDark;
        ink = Qt::white;
        arrow = Qt::white;
    }
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, fill1);
    g.setColorAt(1, fill2);
    p.setPen(QPen(border, 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 6, 6);
    const double off = state == State::Pressed ? 1 : 0;
    QPainterPath a;
    a.moveTo(20 + off, 8 + off);
    a.lineTo(13 + off, 14 + off);
    a.lineTo(20 + off, 20 + off);
    p.setPen(QPen(arrow, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(a);
    p.drawLine(QPointF(14 + off, 14 + off), QPointF(26 + off, 14 + off));
    p.setPen(ink);
    p.setFont(Font(15, true));
    p.drawText(QRectF(29 + off, off - 1, 40, h), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("返回"));
    p.end();
    return To24(image);
}

QImage SkinPainter::SearchButton(State state) {
    const int w = 28, h = 24;
    QImage image = BandSlice(w, h, 19, true);
    QPainter p(&image);
    Prepare(p);
    Plate(p, QRectF(0.5, 0.5, w - 1, h - 1), state, 5);
    const double off = state == State::Pressed ? 1 : 0;
    const QColor ink = state == State::Hover     ? kAccent
                       : state == State::Pressed ? Qt::white
                                                 : QColor(232, 240, 246);
    p.setPen(QPen(ink, 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(12.5 + off, 10.5 + off), 5.6, 5.6);
    p.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16.8 + off, 14.8 + off), QPointF(21 + off, 19 + off));
    p.end();
    return To24(image);
}

QImage SkinPainter::ChatButton(State state) {
    const int w = 96, h = 30;
    QImage image = BandSlice(w, h, 0, false);
    QPainter p(&image);
    Prepare(p);
    Plate(p, QRectF(1, 2, w - 2, h - 3), state);
    const double off = state == State::Pressed ? 1 : 0;
    const QFont font = Font(14, state != State::Normal);
    const double textW = QFontMetricsF(font).horizontalAdvance(QStringLiteral("在线咨询"));
    const double iconW = 18, gap = 6;
    const double x0 = (w - (iconW + gap + textW)) / 2 + off;
    const QColor ink = state == State::Normal ? kBandText : Qt::white;
    IconChat(p, QRectF(x0, 7 + off, iconW, 16), state == State::Normal ? ink : kAccent,
             state == State::Normal ? QColor(2, 60, 96) : Qt::white);
    p.setPen(ink);
    p.setFont(font);
    p.drawText(QRectF(x0 + iconW + gap, off, textW + 2, h), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("在线咨询"));
    if (state != State::Normal) Underline(p, x0 - 2, x0 + iconW + gap + textW + 2, h - 4 + off);
    p.end();
    return To24(image);
}

QImage SkinPainter::CaptionButton(const QString& kind, State state) {
    return To24(CaptionGlyphs(kind, state));
}

QList<SkinPainter::Bitmap> SkinPainter::SkinBitmaps() {
    QList<Bitmap> list;
    list << Bitmap{QStringLiteral("top.bmp"), TopBand()};
    list << Bitmap{QStringLiteral("bottom.bmp"), BottomBand()};
    const State states[3] = {State::Normal, State::Hover, State::Pressed};
    const QString suffix[3] = {QString(), QStringLiteral("1"), QStringLiteral("2")};
    for (int s = 0; s < 3; ++s) {
        for (const QString& kind :
             {QStringLiteral("min"), QStringLiteral("max"), QStringLiteral("close")})
            list << Bitmap{kind + suffix[s] + QStringLiteral(".bmp"),
                           CaptionButton(kind, states[s])};
        list << Bitmap{QStringLiteral("search") + suffix[s] + QStringLiteral(".bmp"),
                       SearchButton(states[s])};
        list << Bitmap{QStringLiteral("QQ") + suffix[s] + QStringLiteral(".bmp"),
                       ChatButton(states[s])};
        for (const QString& caption : kNavCaptions)
            list << Bitmap{caption + suffix[s] + QStringLiteral(".bmp"),
                           NavButton(caption, states[s])};
        list << Bitmap{QStringLiteral("返回") + suffix[s] + QStringLiteral(".bmp"),
                       BackButton(states[s])};
    }
    return list;
}

QImage SkinPainter::Splash(const QSize& size, bool demoCompany) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    Prepare(p);
    const double W = size.width(), H = size.height();
    p.scale(W / 940.0, H / 600.0);
    // A teal field in the upper left with a sweeping lower edge; the right and bottom edges of
    // the picture stay white.
    QPainterPath field;
    field.moveTo(0, 0);
    field.lineTo(900, 0);
    field.cubicTo(760, 140, 560, 330, 0, 372);
    field.closeSubpath();
    QLinearGradient g(0, 0, 700, 380);
    g.setColorAt(0, QColor(16, 112, 164));
    g.setColorAt(1, kBrandDark);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(field);
    QPainterPath accent;
    accent.moveTo(900, 0);
    accent.lineTo(916, 0);
    accent.cubicTo(776, 148, 570, 344, 0, 388);
    accent.lineTo(0, 372);
    accent.cubicTo(560, 330, 760, 140, 900, 0);
    p.setBrush(kAccent);
    p.drawPath(accent);
    // Faint rings suggest motion behind the title.
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 6; ++i) {
        p.setPen(QPen(QColor(255, 255, 255, 14 + i * 3), 1.5));
        p.drawEllipse(QPointF(640, -60), 120.0 + i * 46, 120.0 + i * 46);
    }
    DrawMark(p, QRectF(56, 58, 84, 84), true);
    p.setPen(Qt::white);
    p.setFont(LatinFont(58, true));
    p.drawText(QRectF(158, 52, 500, 70), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Vistrel"));
    p.setPen(QColor(200, 226, 242));
    p.setFont(Font(26));
    p.drawText(QRectF(162, 120, 600, 40), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("产品电子样本系统"));
    p.setFont(Font(17));
    p.setPen(QColor(170, 206, 228));
    p.drawText(QRectF(60, 190, 600, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("浏览产品  ·  查阅技术资料  ·  下载三维模型"));
    // Three demo parts on the white ground.
    const QList<DemoProduct> products = DemoCatalogue::Products(true);
    auto part = [&](int category, const QRectF& r) {
        for (const DemoProduct& d : products)
            if (d.category == category) {
                PartPainter::PaintPart(p, r, d);
                return;
            }
    };
    part(6, QRectF(610, 250, 300, 225));
    part(0, QRectF(400, 300, 330, 248));
    part(2, QRectF(716, 400, 200, 150));
    p.setPen(kInk);
    p.setFont(Font(22, true));
    p.drawText(QRectF(60, 440, 420, 34), Qt::AlignLeft | Qt::AlignVCenter,
               demoCompany ? DemoCatalogue::CompanyName() : QString());
    p.setPen(QColor(120, 128, 138));
    p.setFont(Font(15));
    p.drawText(QRectF(60, 476, 420, 26), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("正在加载产品目录，请稍候……"));
    p.setPen(QColor(160, 166, 174));
    p.setFont(Font(13));
    p.drawText(QRectF(60, 548, 420, 22), Qt::AlignLeft | Qt::AlignVCenter,
               demoCompany ? QStringLiteral("Vistrel 1.0  ·  Harbelt Precision Motion")
                           : QStringLiteral("Vistrel 1.0"));
    p.end();
    return image;
}

QImage SkinPainter::Preview(int width, int height, State navState, State captionState) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kGround);
    QPainter p(&image);
    Prepare(p);
    const int R = width, B = height;
    p.fillRect(QRect(1, 59, 73, B - 25 - 59), kBrand);
    p.fillRect(QRect(R - 2, 0, 2, B), kBrand);
    const QImage top = TopBand(), bottom = BottomBand();
    for (int x = 0; x < R; x += top.width()) p.drawImage(x, 0, top);
    for (int x = 0; x < R; x += bottom.width()) p.drawImage(x, B - 30, bottom);
    for (int i = 0; i < 4; ++i)
        p.drawImage(400 + i * 100, 14,
                    NavButton(kNavCaptions[i], i == 0 ? navState : State::Normal));
    p.drawImage(R - 106, 5, CaptionButton(QStringLiteral("min"), captionState));
    p.drawImage(R - 74, 5, CaptionButton(QStringLiteral("max"), captionState));
    p.drawImage(R - 40, 5, CaptionButton(QStringLiteral("close"), captionState));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(R - 330, 20, 180, 24), 12, 12);
    p.setPen(QColor(192, 192, 192));
    p.setFont(Font(13));
    p.drawText(QRectF(R - 320, 20, 170, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("输入类型码搜索"));
    p.drawImage(R - 145, 19, SearchButton(navState));
    const QImage chat = ChatButton(navState);
    p.drawImage(R / 2 - chat.width() / 2, B - 30, chat);
    p.drawImage(270, 70, BackButton(navState));
    p.setPen(kBandText);
    p.setFont(Font(18, true));
    p.drawText(QPointF(60, B - 23 + QFontMetricsF(p.font()).ascent()),
               DemoCatalogue::CompanyShortName());
    p.drawText(QPointF(R / 2 + 50, B - 23 + QFontMetricsF(p.font()).ascent()),
               QStringLiteral("点击与企业QQ(%1)对话").arg(DemoCatalogue::CompanyQQ()));
    p.end();
    return image;
}
