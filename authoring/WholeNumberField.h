#pragma once

#include <QString>

// An edit whose text is taken as a whole number. Text that is not one is refused with the
// standard prompt, and the number last accepted stands (0 before the first).
class WholeNumberField {
public:
    int Take(const QString& text);
    int Last() const { return m_last; }
    void SetLast(int value) { m_last = value; }

private:
    int m_last = 0;
};
