#pragma once

#include <QList>
#include <QString>

#include "app/Prompter.h"

// Moves the selected entry of an ordered list one place up (step −1) or down (step +1), the way
// the 向上 and 向下 buttons of the editing dialogs do; `selected` follows the entry, so repeated
// clicks keep moving it. A refusal is told as a notice and changes nothing. True when it moved.
template <class T>
bool MoveEntry(IPrompter& prompter, QList<T>& entries, int& selected, int step) {
    if (selected < 0 || selected >= entries.size()) {
        Tell(prompter, QStringLiteral("请选中一项"));
        return false;
    }
    if (step < 0 && selected == 0) {
        Tell(prompter, QStringLiteral("已经到第一个了"));
        return false;
    }
    if (step > 0 && selected == entries.size() - 1) {
        Tell(prompter, QStringLiteral("已经到最后一个了"));
        return false;
    }
    entries.move(selected, selected + step);
    selected += step;
    return true;
}
