#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Converts dialog units to pixels from a dialog font's average character size, so dialogs laid
// out in dialog units keep their proportions with any font.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    // From base units measured elsewhere (average character width, line height in pixels).
    DialogUnits(int charWidth, int lineHeight);

    int X(int du) const;
    int Y(int du) const;
    QSize Size(int w, int h) const { return {X(w), Y(h)}; }
    QRect Rect(int x, int y, int w, int h) const { return {X(x), Y(y), X(w), Y(h)}; }

    int CharWidth() const { return m_charWidth; }
    int LineHeight() const { return m_lineHeight; }

    // a * b / c rounded to the nearest whole number, halves away from zero (as dialog
    // templates have always been mapped).
    static int MulDiv(int a, int b, int c);

private:
    int m_charWidth;
    int m_lineHeight;
};
