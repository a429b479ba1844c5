#include "authoring/CClassManageDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/MessageBox.h"
#include "authoring/AuthoringWidgets.h"

using AuthoringWidgets::Button;

CClassManageDlg::CClassManageDlg(CatalogueDb& db, const InstallPaths&, QWidget* parent)
    : QDialog(parent), m_editor(db, Prompter()) {
    setWindowTitle(QStringLiteral("产品分类管理界面"));

    auto* outer = new QGroupBox(QStringLiteral("零件类名设置："), this);
    auto* listBox = new QGroupBox(QStringLiteral("产品分类列表"), outer);
    m_list = new QListWidget(listBox);
    m_list->setObjectName(QStringLiteral("1006"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setMinimumSize(220, 260);
    auto* up = Button(listBox, "1034", QStringLiteral("向上"));
    auto* down = Button(listBox, "1035", QStringLiteral("向下"));
    auto* listLayout = new QGridLayout(listBox);
    listLayout->addWidget(m_list, 0, 0, 3, 1);
    listLayout->addWidget(up, 0, 1);
    listLayout->addWidget(down, 1, 1);
    listLayout->setRowStretch(2, 1);

    auto* nameLabel = new QLabel(QStringLiteral("当前类名："), outer);
    m_nameEdit = new QLineEdit(outer);
    m_nameEdit->setObjectName(QStringLiteral("1013"));
    m_nameEdit->setMinimumWidth(200);
    nameLabel->setBuddy(m_nameEdit);
    // The stored number of the selected category; kept for the exchange, never shown.
    auto* numberLabel = new QLabel(QStringLiteral("序号"), outer);
    m_numberEdit = new QLineEdit(QStringLiteral("0"), outer);
    m_numberEdit->setObjectName(QStringLiteral("1029"));
    m_numberEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), m_numberEdit));
    numberLabel->hide();
    m_numberEdit->hide();
    auto* add = Button(outer, "1001", QStringLiteral("增加"));
    auto* rename = Button(outer, "1002", QStringLiteral("修改"));
    auto* remove = Button(outer, "1026", QStringLiteral("删除"));

    auto* commands = new QGridLayout;
    commands->addWidget(nameLabel, 0, 0);
    commands->addWidget(m_nameEdit, 0, 1, 1, 3);
    commands->addWidget(add, 1, 1);
    commands->addWidget(rename, 1, 2);
    commands->addWidget(remove, 1, 3);
    commands->setRowStretch(2, 1);
    auto* outerLayout = new QHBoxLayout(outer);
    outerLayout->addWidget(listBox, 1);
    outerLayout->addLayout(commands);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    // Enter in the name edit must not close the dialog.
    buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(outer);
    layout->addWidget(buttons);

    setTabOrder(m_list, up);
    setTabOrder(up, down);
    setTabOrder(down, m_nameEdit);
    setTabOrder(m_nameEdit, add);
    setTabOrder(add, rename);
    setTabOrder(rename, remove);

    connect(m_list, &QListWidget::itemSelectionChanged, this,
            [this] { OnSelectionChanged(Selected()); });
    connect(add, &QPushButton::clicked, this, &CClassManageDlg::OnAdd);
    connect(rename, &QPushButton::clicked, this, &CClassManageDlg::OnRename);
    connect(remove, &QPushButton::clicked, this, &CClassManageDlg::OnDelete);
    connect(up, &QPushButton::clicked, this, &CClassManageDlg::OnMoveUp);
    connect(down, &QPushButton::clicked, this, &CClassManageDlg::OnMoveDown);

    m_editor.Refresh();
    ShowList();
}

void CClassManageDlg::ShowList(int selected) {
    // Selecting by program is not a selection by the editor: the edits keep their texts.
    const QSignalBlocker block(m_list);
    m_list->clear();
    m_list->addItems(m_editor.Names());
    if (selected >= 0) m_list->setCurrentRow(selected);
}

int CClassManageDlg::Selected() const {
    // The selection, not the focus frame: a list that takes the focus is not chosen from.
    const QList<QListWidgetItem*> items = m_list->selectedItems();
    return items.isEmpty() ? -1 : m_list->row(items.first());
}

void CClassManageDlg::OnSelectionChanged(int row) {
    if (row < 0) return;
    m_nameEdit->setText(m_list->item(row)->text());
    const QString number = m_editor.NumberOf(m_list->item(row)->text());
    if (!number.isEmpty()) m_numberEdit->setText(number);
}

void CClassManageDlg::OnAdd() {
    if (m_editor.Add(m_nameEdit->text())) ShowList();
}

void CClassManageDlg::OnRename() {
    if (m_editor.Rename(Selected(), m_nameEdit->text())) ShowList();
}

void CClassManageDlg::OnDelete() {
    if (!m_editor.Delete(m_nameEdit->text())) return;
    m_nameEdit->clear();
    m_numberEdit->setText(QStringLiteral("0"));
    ShowList();
}

void CClassManageDlg::Move(int step) {
    int selected = Selected();
    if (m_editor.Move(selected, step)) ShowList(selected);
}
