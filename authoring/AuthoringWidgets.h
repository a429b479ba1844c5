#pragma once

#include <QString>
#include <Qt>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The few control conventions the editing dialogs share: controls carry their id as object
// name, combo boxes take typed text without adding it to their list.
namespace AuthoringWidgets {
Qt::WindowFlags DialogFlags();
QLineEdit* Edit(QWidget* parent, const char* id);
QComboBox* EditableCombo(QWidget* parent, const char* id);
QPushButton* Button(QWidget* parent, const char* id, const QString& text);
// A label in the buddy's parent that gives the buddy focus on its mnemonic.
QLabel* Label(const char* text, QWidget* buddy);
// Shows `text` in the combo's edit field with no list entry selected.
void ShowText(QComboBox* combo, const QString& text);
// The selected list entry, or -1 when none is selected or the edit field was typed over.
int ChosenIndex(const QComboBox* combo);
}  // namespace AuthoringWidgets
