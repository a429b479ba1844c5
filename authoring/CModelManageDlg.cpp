#include "authoring/CModelManageDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/MessageBox.h"
#include "authoring/AuthoringWidgets.h"

CModelManageDlg::CModelManageDlg(CatalogueDb& db, const InstallPaths&, QWidget* parent)
    : QDialog(parent, AuthoringWidgets::DialogFlags()), m_model(db, Prompter()) {
    setWindowTitle(QStringLiteral("3D模型管理界面"));
    using namespace AuthoringWidgets;
    auto* group = new QGroupBox(QStringLiteral("3D模型设置："), this);
    m_class = EditableCombo(group, "1022");
    m_product = EditableCombo(group, "1030");
    m_files = new QListWidget(group);
    m_files->setObjectName(QStringLiteral("1000"));
    m_files->setSelectionMode(QAbstractItemView::SingleSelection);
    m_files->setMinimumSize(320, 240);
    m_note = Edit(group, "1029");
    m_add = Button(group, "1001", QStringLiteral("添加文件"));
    m_delete = Button(group, "1002", QStringLiteral("删除文件"));
    m_setNote = Button(group, "1038", QStringLiteral("更改备注"));
    m_up = Button(group, "1034", QStringLiteral("向上"));
    m_down = Button(group, "1035", QStringLiteral("向下"));

    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("请选择产品类别："), group), 0, 0);
    grid->addWidget(m_class, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("请选择产品名称："), group), 1, 0);
    grid->addWidget(m_product, 1, 1, 1, 2);
    grid->addWidget(m_files, 2, 0, 5, 2);
    grid->addWidget(m_add, 2, 2);
    grid->addWidget(m_delete, 3, 2);
    grid->addWidget(m_up, 4, 2);
    grid->addWidget(m_down, 5, 2, Qt::AlignTop);
    grid->addWidget(new QLabel(QStringLiteral("备注信息及更改："), group), 7, 0);
    grid->addWidget(m_note, 7, 1);
    grid->addWidget(m_setNote, 7, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(6, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    // Down the list's buttons before the note below it.
    const QList<QWidget*> order{m_class, m_product, m_files, m_add,    m_delete,
                                m_up,    m_down,    m_note,  m_setNote};
    for (int i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

    connect(m_class, &QComboBox::activated, this, &CModelManageDlg::OnSelchangeClass);
    connect(m_product, &QComboBox::activated, this, &CModelManageDlg::OnSelchangeProduct);
    connect(m_files, &QListWidget::itemSelectionChanged, this, &CModelManageDlg::OnSelchangeFile);
    connect(m_add, &QPushButton::clicked, this, &CModelManageDlg::OnAddFiles);
    connect(m_delete, &QPushButton::clicked, this, &CModelManageDlg::OnDelete);
    connect(m_setNote, &QPushButton::clicked, this, &CModelManageDlg::OnSetNote);
    connect(m_up, &QPushButton::clicked, this, [this] { OnMove(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { OnMove(1); });
    OnInitDialog();
}

void CModelManageDlg::OnInitDialog() {
    EnableCommands(false);
    m_class->addItems(m_model.Categories());
    AuthoringWidgets::ShowText(m_class, QString());
}

void CModelManageDlg::EnableCommands(bool enable) {
    for (QPushButton* b : {m_add, m_delete, m_setNote, m_up, m_down}) b->setEnabled(enable);
}

void CModelManageDlg::OnSelchangeClass(int index) {
    const QStringList products = m_model.ChooseCategory(m_class->itemText(index));
    m_product->clear();
    m_product->addItems(products);
    EnableCommands(!products.isEmpty());
    ShowFiles();
}

void CModelManageDlg::OnSelchangeProduct(int index) {
    m_model.ChooseProduct(index);
    ShowFiles();
}

void CModelManageDlg::ShowFiles(int select) {
    {
        const QSignalBlocker quiet(m_files);
        m_files->clear();
        m_files->addItems(m_model.Files());
    }
    if (select >= 0 && select < m_files->count()) m_files->setCurrentRow(select);
}

int CModelManageDlg::SelectedFile() const {
    const QList<QListWidgetItem*> selected = m_files->selectedItems();
    return selected.isEmpty() ? -1 : m_files->row(selected.first());
}

void CModelManageDlg::OnSelchangeFile() {
    const int index = SelectedFile();
    if (index < 0) {
        Tell(Prompter(), QStringLiteral("请选中一项"));
        return;
    }
    if (const auto note = m_model.Note(index)) m_note->setText(*note);
}

void CModelManageDlg::OnAddFiles() {
    const int selected = SelectedFile();
    if (m_model.AddFiles() > 0) ShowFiles(selected);
}

void CModelManageDlg::OnDelete() {
    if (m_model.Delete(SelectedFile())) ShowFiles();
}

void CModelManageDlg::OnSetNote() {
    m_model.SetNote(SelectedFile(), m_note->text());
}

void CModelManageDlg::OnMove(int step) {
    const int from = SelectedFile();
    const int to = m_model.Move(from, step);
    if (to != from) ShowFiles(to);
}
