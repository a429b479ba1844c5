#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRectF>

// The one colour scheme and type of everything the installation tool draws (skin, splash,
// icons, demo pictures), so the program and its demo look like one product.
namespace DemoStyle {

inline const QColor kBrand(2, 78, 122);  // the main window's side brush
inline const QColor kBrandLight(18, 120, 170);
inline const QColor kBrandDark(1, 48, 78);
inline const QColor kAccent(246, 146, 30);     // warm orange for highlights
inline const QColor kBandText(225, 225, 225);  // text on the bands
inline const QColor kInk(38, 44, 52);          // body text on white
inline const QColor kGround(240, 240, 240);    // the content area's ground

// The installed CJK face at a pixel size; bold is synthesised by the font engine.
QFont Font(int pixelSize, bool bold = false);
// A Latin display face for the brand word, falling back to the CJK face.
QFont LatinFont(int pixelSize, bool bold = true);

QColor Mix(const QColor& a, const QColor& b, double t);
inline QColor Lit(const QColor& c, double t) {
    return Mix(c, Qt::white, t);
}
inline QColor Dim(const QColor& c, double t) {
    return Mix(c, Qt::black, t);
}

// The brand mark: a rounded teal square with a white "V" whose right arm ends in an orange
// ball. `rim` adds a light outline so it stands out on the dark bands.
void DrawMark(QPainter& p, const QRectF& rect, bool rim = false);

}  // namespace DemoStyle
