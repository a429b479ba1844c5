#include "authoring/AuthoringWidgets.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace AuthoringWidgets {

Qt::WindowFlags DialogFlags() {
    return Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

QLineEdit* Edit(QWidget* parent, const char* id) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(id));
    return edit;
}

QComboBox* EditableCombo(QWidget* parent, const char* id) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(id));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(20);
    // A long product name must not stretch the dialog: the box keeps its width and its list
    // shortens what does not fit.
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(16);
    combo->view()->setTextElideMode(Qt::ElideMiddle);
    return combo;
}

QPushButton* Button(QWidget* parent, const char* id, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(id));
    button->setAutoDefault(false);
    return button;
}

QLabel* Label(const char* text, QWidget* buddy) {
    auto* label = new QLabel(QString::fromUtf8(text), buddy->parentWidget());
    label->setBuddy(buddy);
    return label;
}

void ShowText(QComboBox* combo, const QString& text) {
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
}

int ChosenIndex(const QComboBox* combo) {
    const int index = combo->currentIndex();
    return index >= 0 && combo->currentText() == combo->itemText(index) ? index : -1;
}

}  // namespace AuthoringWidgets
