#include "authoring/CCompanySetDlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CIniFile.h"
#include "app/InstallPaths.h"
#include "app/MessageBox.h"
#include "authoring/AuthoringWidgets.h"
#include "viewer/CompanyContact.h"

CCompanySetDlg::CCompanySetDlg(CatalogueDb& db, const InstallPaths& paths, QWidget* parent)
    : QDialog(parent, AuthoringWidgets::DialogFlags()),
      m_company(db, Prompter()),
      m_configPath(paths.configPath) {
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
    m_companyName = Edit(this, "companyName");
    m_qq = Edit(this, "companyQQ");

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
    grid->addWidget(new QLabel(QStringLiteral("企业名称:"), this), 3, 0);
    grid->addWidget(m_companyName, 3, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("企业QQ:"), this), 4, 0);
    grid->addWidget(m_qq, 4, 1, 1, 2);
    grid->addWidget(m_save, 5, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);

    connect(m_choose, &QPushButton::clicked, this, &CCompanySetDlg::OnChoosePicture);
    connect(m_save, &QPushButton::clicked, this, &CCompanySetDlg::OnSave);

    // The current values, so that saving only the address keeps the picture and the text.
    const QList<CompanyRecord> rows = m_company.Rows();
    if (!rows.isEmpty()) {
        m_picture->setText(rows.first().opath);
        m_information->setPlainText(rows.first().company);
        m_web->setText(rows.first().web);
    }
    const CIniFile config(m_configPath);
    const QString section = QStringLiteral("SysInfo");
    m_companyName->setText(config.GetString(section, QStringLiteral("企业名称")));
    m_qq->setText(config.GetString(section, QStringLiteral("企业QQ")));
}

void CCompanySetDlg::OnChoosePicture() {
    const QString path = m_company.ChoosePicture(false);
    if (!path.isEmpty()) m_picture->setText(path);
}

void CCompanySetDlg::OnSave() {
    if (!CompanyContact::IsChatNumber(m_qq->text())) {
        Tell(Prompter(), QStringLiteral("企业QQ 只能填写数字"));
        return;
    }
    if (!m_company.Store(m_picture->text(), m_information->toPlainText(), m_web->text())) return;
    CIniFile config(m_configPath);
    if (!CompanyContact::Save(config, m_companyName->text(), m_qq->text()))
        Tell(Prompter(), QStringLiteral("无法写入配置文件：%1").arg(m_configPath));
}
