#include "authoring/CProductAddDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/MessageBox.h"
#include "authoring/AuthoringWidgets.h"
#include "authoring/FileChoice.h"
#include "authoring/ListOrder.h"
#include "controls/CReportCtrl.h"

using AuthoringWidgets::Button;
using AuthoringWidgets::Edit;
using AuthoringWidgets::Label;

CProductAddDlg::CProductAddDlg(CatalogueDb& db, const InstallPaths& paths, QWidget* parent)
    : QDialog(parent), m_editor(db, Prompter()), m_paths(paths), m_number(Prompter()) {
    setWindowTitle(QStringLiteral("产品图片信息管理界面"));
    auto* group = new QGroupBox(QStringLiteral("产品图片设置："), this);
    m_fields = new QGridLayout;

    m_category = new QComboBox(group);
    m_category->setObjectName(QStringLiteral("1022"));
    m_category->setEditable(true);
    m_category->setInsertPolicy(QComboBox::NoInsert);
    m_category->setMinimumWidth(180);
    m_numberEdit = Edit(group, "1045");
    m_numberEdit->setText(QStringLiteral("0"));
    m_typeCode = Edit(group, "1029");
    m_key = Edit(group, "1018");
    m_name = Edit(group, "1015");
    m_fields->addWidget(Label("选择产品类别：", m_category), 0, 0);
    m_fields->addWidget(m_category, 0, 1);
    m_fields->addWidget(Label("序号:", m_numberEdit), 0, 2);
    m_fields->addWidget(m_numberEdit, 0, 3);
    m_fields->addWidget(Label("产品类型码:", m_typeCode), 1, 0);
    m_fields->addWidget(m_typeCode, 1, 1);
    m_fields->addWidget(Label("关键字:", m_key), 1, 2);
    m_fields->addWidget(m_key, 1, 3);
    m_fields->addWidget(Label("产品名:", m_name), 2, 0);
    m_fields->addWidget(m_name, 2, 1);
    m_picture = PathEdit("1013", "路径：", "1001", 3);
    m_intro = PathEdit("1019", "产品介绍路径:", "1093", 4);
    m_addProcess = PathEdit("1020", "追加加工路径:", "1094", 5);
    m_tecReference = PathEdit("1021", "技术参数路径:", "1092", 6);
    m_fields->setColumnStretch(1, 1);
    m_fields->setColumnStretch(3, 1);

    auto* modelLabel = new QLabel(QStringLiteral("添加模型文件"), group);
    m_modelList = new CReportCtrl(group);
    m_modelList->setObjectName(QStringLiteral("1040"));
    m_modelList->SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    m_modelList->InsertColumn(0, QStringLiteral("文件名称"), LVCFMT_CENTER, 300);
    m_modelList->InsertColumn(1, QStringLiteral("路径名称"), LVCFMT_CENTER, 0);
    m_modelList->setColumnHidden(1, true);
    m_modelList->horizontalHeader()->setStretchLastSection(true);
    // The list order is the order the files are stored in, so a header click must not sort.
    m_modelList->GetHeaderCtrl()->setSectionsClickable(false);
    m_modelList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_modelList->setMinimumHeight(140);
    auto* addModels = Button(group, "1003", QStringLiteral("添加模型"));
    auto* clearModels = Button(group, "1004", QStringLiteral("清空模型列表"));
    auto* up = Button(group, "1034", QStringLiteral("向上"));
    auto* down = Button(group, "1035", QStringLiteral("向下"));
    auto* modelButtons = new QVBoxLayout;
    for (QPushButton* b : {addModels, clearModels, up, down}) modelButtons->addWidget(b);
    modelButtons->addStretch();
    auto* models = new QGridLayout;
    models->addWidget(modelLabel, 0, 0);
    models->addWidget(m_modelList, 1, 0);
    models->addLayout(modelButtons, 1, 1);

    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addLayout(m_fields);
    groupLayout->addLayout(models, 1);

    auto* finish = Button(this, "1002", QStringLiteral("完成添加"));
    auto* cancel = Button(this, "2", QStringLiteral("取消"));
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(finish);
    bottom->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(bottom);
    resize(640, sizeHint().height());

    connect(m_category, &QComboBox::currentIndexChanged, this, &CProductAddDlg::OnClearModels);
    connect(addModels, &QPushButton::clicked, this, &CProductAddDlg::OnAddModels);
    connect(clearModels, &QPushButton::clicked, this, &CProductAddDlg::OnClearModels);
    connect(up, &QPushButton::clicked, this, [this] { OnMoveModel(-1); });
    connect(down, &QPushButton::clicked, this, [this] { OnMoveModel(+1); });
    connect(finish, &QPushButton::clicked, this, &CProductAddDlg::OnFinish);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_category->addItem(QStringLiteral("请选择零件类别"));
    m_category->addItems(m_editor.Categories());
    m_category->setCurrentIndex(0);
}

QLineEdit* CProductAddDlg::PathEdit(const char* id, const char* label, const char* buttonId,
                                    int row) {
    QWidget* group = m_category->parentWidget();
    QLineEdit* edit = Edit(group, id);
    edit->setMinimumWidth(320);
    auto* choose = Button(group, buttonId, QStringLiteral("选择图片"));
    m_fields->addWidget(Label(label, edit), row, 0);
    m_fields->addWidget(edit, row, 1, 1, 3);
    m_fields->addWidget(choose, row, 4);
    connect(choose, &QPushButton::clicked, this, [this, edit] { ChoosePicture(edit); });
    return edit;
}

void CProductAddDlg::ChoosePicture(QLineEdit* edit) {
    const QString chosen = FileChoice::Picture(Prompter(), edit->text(), m_paths.exeFolder);
    if (!chosen.isEmpty()) edit->setText(chosen);
}

void CProductAddDlg::ShowModels(int mark) {
    m_modelList->DeleteAllItems();
    for (int row = 0; row < m_models.size(); ++row) {
        m_modelList->InsertItem(row, m_models[row].fileName);
        m_modelList->SetItemText(row, 1, m_models[row].path);
    }
    if (mark >= 0) m_modelList->setCurrentCell(mark, 0);
}

void CProductAddDlg::OnAddModels() {
    const QStringList chosen = FileChoice::AnyFiles(Prompter(), m_paths.exeFolder);
    if (chosen.isEmpty()) return;
    m_models += ProductEditor::ReadableFiles(chosen);
    ShowModels(m_modelList->currentRow());
}

void CProductAddDlg::OnClearModels() {
    m_models.clear();
    ShowModels();
}

void CProductAddDlg::OnMoveModel(int step) {
    int mark = m_modelList->currentRow();
    if (MoveEntry(Prompter(), m_models, mark, step)) ShowModels(mark);
}

void CProductAddDlg::OnFinish() {
    ProductFields p;
    p.className = m_category->currentText();
    p.opath = m_picture->text();
    p.typeCode = m_typeCode->text();
    p.name = m_name->text();
    p.key = m_key->text();
    p.intro = m_intro->text();
    p.addProcess = m_addProcess->text();
    p.tecReference = m_tecReference->text();
    p.number = m_number.Take(m_numberEdit->text());
    if (!m_editor.Add(p, m_models)) return;
    // Ready for the next product of the same category.
    for (QLineEdit* e :
         {m_picture, m_typeCode, m_name, m_key, m_intro, m_addProcess, m_tecReference})
        e->clear();
    OnClearModels();
}
