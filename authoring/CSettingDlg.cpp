#include "authoring/CSettingDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "authoring/CClassManageDlg.h"
#include "authoring/CCompanyIntroDlg.h"
#include "authoring/CCompanySetDlg.h"
#include "authoring/CModelManageDlg.h"
#include "authoring/CProductAddDlg.h"
#include "authoring/CProductDetailDlg.h"
#include "authoring/CProductParamDlg.h"
#include "authoring/CSheetDlg.h"

namespace {
template <class Dialog>
std::unique_ptr<QDialog> Make(CatalogueDb& db, const InstallPaths& paths) {
    return std::make_unique<Dialog>(db, paths);
}
}  // namespace

const QList<CSettingDlg::Command>& CSettingDlg::Commands() {
    // The one place where a command meets its dialog.
    static const QList<Command> commands{
        {1032, "产品分类名", Group::Products, Make<CClassManageDlg>},
        {1002, "添加产品", Group::Products, Make<CProductAddDlg>},
        {1036, "表格导入导出", Group::Products, Make<CSheetDlg>},
        {1034, "产品明细参数", Group::Products, Make<CProductDetailDlg>},
        {1003, "产品参数设置", Group::Products, Make<CProductParamDlg>},
        {1004, "3D模型", Group::Products, Make<CModelManageDlg>},
        {1035, "企业介绍修改", Group::Company, Make<CCompanyIntroDlg>},
        {1001, "企业设置", Group::Company, Make<CCompanySetDlg>},
    };
    return commands;
}

CSettingDlg::CSettingDlg(CatalogueDb& db, const InstallPaths& paths, QWidget* parent)
    : QDialog(parent), m_db(db), m_paths(paths) {
    setWindowTitle(QStringLiteral("设置界面"));
    auto* products = new QGroupBox(QStringLiteral("产品中心设置"), this);
    auto* company = new QGroupBox(QStringLiteral("企业介绍设置"), this);
    auto* productGrid = new QGridLayout(products);
    auto* companyGrid = new QGridLayout(company);
    int productCount = 0;
    int companyCount = 0;
    QList<QPushButton*> buttons;
    for (const Command& command : Commands()) {
        const bool inProducts = command.group == Group::Products;
        QWidget* box = inProducts ? products : company;
        auto* button = new QPushButton(QString::fromUtf8(command.caption), box);
        button->setObjectName(QString::number(command.id));
        button->setAutoDefault(false);
        buttons << button;
        int& count = inProducts ? productCount : companyCount;
        (inProducts ? productGrid : companyGrid)->addWidget(button, count / 3, count % 3);
        ++count;
        const int id = command.id;
        connect(button, &QPushButton::clicked, this, [this, id] { RunCommand(id); });
    }
    // One size for every command, so the buttons of the two groups line up.
    int width = 120;
    for (QPushButton* b : buttons) width = qMax(width, b->sizeHint().width() + 16);
    for (QPushButton* b : buttons) b->setFixedSize(width, 36);
    productGrid->setColumnStretch(3, 1);
    companyGrid->setColumnStretch(3, 1);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    close->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    close->button(QDialogButtonBox::Close)->setAutoDefault(false);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(products);
    layout->addWidget(company);
    layout->addWidget(close);
}

bool CSettingDlg::RunCommand(int id) {
    for (const Command& command : Commands()) {
        if (command.id != id) continue;
        // Without a parent, like every editing dialog: it stands on its own while it runs.
        const std::unique_ptr<QDialog> dialog = command.open(m_db, m_paths);
        dialog->exec();
        return true;
    }
    return false;
}

QPushButton* CSettingDlg::CommandButton(int id) const {
    return findChild<QPushButton*>(QString::number(id));
}
