#include "authoring/CProductParamDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/MessageBox.h"
#include "authoring/AuthoringWidgets.h"
#include "publish/CFolderTreeCtrl.h"

CProductParamDlg::CProductParamDlg(CatalogueDb& db, const InstallPaths&, QWidget* parent)
    : QDialog(parent, AuthoringWidgets::DialogFlags()), m_docs(db, Prompter()) {
    setWindowTitle(QStringLiteral("产品参数设置界面"));

    auto* group = new QGroupBox(QStringLiteral("产品参数设置"), this);
    m_tree = new CFolderTreeCtrl(group);
    m_tree->setObjectName(QStringLiteral("1043"));
    m_tree->setMinimumSize(300, 340);
    m_path = AuthoringWidgets::Edit(group, "1013");
    m_class = AuthoringWidgets::EditableCombo(group, "1022");
    m_product = AuthoringWidgets::EditableCombo(group, "1089");
    m_kind = AuthoringWidgets::EditableCombo(group, "1030");
    m_save = AuthoringWidgets::Button(group, "1002", QStringLiteral("保存"));

    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("请选择文件夹路径："), group), 0, 0);
    grid->addWidget(m_tree, 1, 0, 10, 1);
    const struct {
        const char* label;
        QWidget* field;
    } fields[] = {{"已选中的路径：", m_path},
                  {"请选择分类:", m_class},
                  {"请选择产品名:", m_product},
                  {"请选择属性：", m_kind}};
    int row = 0;
    for (const auto& f : fields) {
        grid->addWidget(new QLabel(QString::fromUtf8(f.label), group), row++, 1);
        grid->addWidget(f.field, row++, 1);
    }
    grid->setRowStretch(row++, 1);
    grid->addWidget(m_save, row, 1, Qt::AlignRight);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnMinimumWidth(1, 240);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);

    connect(m_class, &QComboBox::activated, this, &CProductParamDlg::OnSelchangeClass);
    connect(m_tree, &CFolderTreeCtrl::SelectionChanged, this, &CProductParamDlg::OnTreeSelChanged);
    connect(m_save, &QPushButton::clicked, this, &CProductParamDlg::OnSave);
    OnInitDialog();
}

void CProductParamDlg::OnInitDialog() {
    m_class->addItems(m_docs.Categories());
    AuthoringWidgets::ShowText(m_class, QStringLiteral("请选择零件类别"));
    m_kind->addItems(ProductDocuments::Kinds());
    AuthoringWidgets::ShowText(m_kind, QStringLiteral("请选择属性"));
    m_tree->AttachSystemIcons();
    m_tree->FillFromDesktop(false);  // the first folder is no choice: the path stays empty
}

void CProductParamDlg::OnSelchangeClass(int index) {
    m_product->clear();
    m_product->addItems(m_docs.ChooseCategory(m_class->itemText(index)));
    AuthoringWidgets::ShowText(m_product, QString());
}

void CProductParamDlg::OnTreeSelChanged() {
    QString path;  // a node without a path shows empty
    m_tree->GetSelectedPath(path);
    m_path->setText(path);
}

void CProductParamDlg::OnSave() {
    m_docs.Save(m_path->text(), m_class->currentText(), AuthoringWidgets::ChosenIndex(m_product),
                m_kind->currentText());
}
