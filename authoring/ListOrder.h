#pragma once

#include <QList>
#include <QString>

#include "app/MessageBox.h"

// Moves the selected entry of an ordered list one place up (step −1) or down (step +1), the way
// the 向上 and 向下 buttons of the editing dialogs do; `selected` follows the entry, so repeated
// clicks keep moving it. A refusal is told as a notice and changes nothing. True when it moved.
template <class T>
bool MoveEntry(QList<T>& entries, int& selected, int step) {
    if (selected < 0 || selected >= entries.size()) {
        AfxMessageBox(QStringLiteral("请选中一项"), MB_NOTICE);
        return false;
    }
    if (step < 0 && selected == 0) {
        AfxMessageBox(QStringLiteral("已经到第一个了"), MB_NOTICE);
        return false;
    }
    if (step > 0 && selected == entries.size() - 1) {
        AfxMessageBox(QStringLiteral("已经到最后一个了"), MB_NOTICE);
        return false;
    }
    entries.move(selected, selected + step);
    selected += step;
    return true;
}
