#include "app/DialogUnits.h"

#include <QFontMetrics>

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics fm(font);
    // The classic base unit: average width of the Latin alphabet, rounded up.
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_charWidth = qMax(1, (fm.horizontalAdvance(alphabet) / 26 + 1) / 2);
    m_lineHeight = qMax(1, fm.height());
}

int DialogUnits::X(int du) const { return du * m_charWidth / 4; }

int DialogUnits::Y(int du) const { return du * m_lineHeight / 8; }
