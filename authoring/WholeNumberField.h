#pragma once

#include <QString>

class IPrompter;

// An edit whose text is taken as a whole number. Text that is not one is refused with the
// standard prompt, and the number last accepted stands (0 before the first).
class WholeNumberField {
public:
    explicit WholeNumberField(IPrompter& prompter) : m_prompter(prompter) {}
    int Take(const QString& text);
    int Last() const { return m_last; }
    void SetLast(int value) { m_last = value; }

private:
    IPrompter& m_prompter;
    int m_last = 0;
};
