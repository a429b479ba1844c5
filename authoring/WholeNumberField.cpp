#include "authoring/WholeNumberField.h"

#include "app/Prompter.h"

int WholeNumberField::Take(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok) {
        Tell(m_prompter, QStringLiteral("请输入一个整数。"), MB_OK | MB_ICONEXCLAMATION);
        return m_last;
    }
    m_last = value;
    return value;
}
