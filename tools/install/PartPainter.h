#pragma once

#include <QImage>
#include <QPainter>
#include <QRectF>

#include "tools/install/DemoCatalogue.h"

// Draws the demo's pictures of parts: shaded industrial parts on white, in the manner of a
// maker's catalogue renderings, and the company building. The scene is laid out in an
// 800 x 600 frame and scaled into whatever rectangle the caller gives.
class PartPainter {
public:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;

    // The part alone (no labels), fitted into `target`.
    static void PaintPart(QPainter& p, const QRectF& target, const DemoProduct& product);
    // The product picture: the part, the maker's mark and the type code.
    static QImage ProductPicture(const DemoProduct& product, const QSize& size = {kWidth, kHeight});
    // The company picture: office building and works with the company's name.
    static QImage CompanyPicture(const QSize& size = {1100, 760});
};
