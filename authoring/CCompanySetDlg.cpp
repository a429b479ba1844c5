#include "authoring/CCompanySetDlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/MessageBox.h"
#include "authoring/AuthoringWidgets.h"

CCompanySetDlg::CCompanySetDlg(CatalogueDb& db, const InstallPaths&, QWidget* parent)
    : QDialog(parent, AuthoringWidgets::DialogFlags()), m_company(db, Prompter()) {
    setWindowTitle(QStringLiteral("企业设置界面"));
    using namespace AuthoringWidgets;
    m_picture = Edit(this, "1013");
    m_choose = Button(this, "1001", QStringLiteral("选择图片"));
    auto* contact = new QGroupBox(QStringLiteral("联系我们"), this);
    m_information = new QPlainTextEdit(contact);
    m_information->setObjectName(QStringLiteral("1029"));
    m_information->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_information->setTabChangesFocus(true);
    m_information->setMinimumSize(420, 200);
    m_web = Edit(this, "1015");
    m_save = Button(this, "1002", QStringLiteral("保存"));

    auto* inner = new QGridLayout(contact);
    inner->addWidget(new QLabel(QStringLiteral("公司信息:"), contact), 0, 0, Qt::AlignTop);
    inner->addWidget(m_information, 0, 1);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("企业介绍图片："), this), 0, 0);
    grid->addWidget(m_picture, 0, 1);
    grid->addWidget(m_choose, 0, 2);
    grid->addWidget(contact, 1, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("网站:"), this), 2, 0);
    grid->addWidget(m_web, 2, 1, 1, 2);
    grid->addWidget(m_save, 3, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);

    connect(m_choose, &QPushButton::clicked, this, &CCompanySetDlg::OnChoosePicture);
    connect(m_save, &QPushButton::clicked, this, &CCompanySetDlg::OnSave);
}

void CCompanySetDlg::OnChoosePicture() {
    const QString path = m_company.ChoosePicture(false);
    if (!path.isEmpty()) m_picture->setText(path);
}

void CCompanySetDlg::OnSave() {
    m_company.Store(m_picture->text(), m_information->toPlainText(), m_web->text());
}
