#include "app/DialogUnits.h"

#include <QFontMetrics>
#include <cstdlib>

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics fm(font);
    // The classic base unit: average width of the Latin alphabet, rounded to the nearest pixel.
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_charWidth = qMax(1, (fm.horizontalAdvance(alphabet) / 26 + 1) / 2);
    m_lineHeight = qMax(1, fm.height());
}

DialogUnits::DialogUnits(int charWidth, int lineHeight)
    : m_charWidth(qMax(1, charWidth)), m_lineHeight(qMax(1, lineHeight)) {}

int DialogUnits::MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const long long product = static_cast<long long>(a) * b;
    const long long half = std::llabs(static_cast<long long>(c)) / 2;
    const bool negative = (product < 0) != (c < 0);
    const long long magnitude =
        (std::llabs(product) + half) / std::llabs(static_cast<long long>(c));
    return static_cast<int>(negative ? -magnitude : magnitude);
}

int DialogUnits::X(int du) const {
    return MulDiv(du, m_charWidth, 4);
}

int DialogUnits::Y(int du) const {
    return MulDiv(du, m_lineHeight, 8);
}
