#pragma once

// Shared helpers of the skinned-control tests: pixel probes on grabbed widgets.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>

namespace skintest {

inline QImage Grab(QWidget* w) {
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline QColor Px(const QImage& image, int x, int y) {
    return QColor(image.pixel(x, y));
}

inline QString Rgb(const QColor& c) {
    return QStringLiteral("(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

// Bounding box of the pixels in `area` that satisfy `ink`; null when there are none.
inline QRect InkBox(const QImage& image, const QRect& area,
                    const std::function<bool(QColor)>& ink) {
    QRect box;
    const QRect a = area.intersected(image.rect());
    for (int y = a.top(); y <= a.bottom(); ++y) {
        for (int x = a.left(); x <= a.right(); ++x) {
            if (ink(Px(image, x, y))) box = box.united(QRect(x, y, 1, 1));
        }
    }
    return box;
}

inline int CountPixels(const QImage& image, const QRect& area,
                       const std::function<bool(QColor)>& pred) {
    int n = 0;
    const QRect a = area.intersected(image.rect());
    for (int y = a.top(); y <= a.bottom(); ++y) {
        for (int x = a.left(); x <= a.right(); ++x) {
            if (pred(Px(image, x, y))) ++n;
        }
    }
    return n;
}

inline bool Near(const QColor& a, const QColor& b, int tolerance) {
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

}  // namespace skintest
