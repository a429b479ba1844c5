#include "authoring/CCompanyIntroDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

#include "app/MessageBox.h"
#include "authoring/AuthoringWidgets.h"

namespace {
// The list's columns: caption and width; the uncaptioned ones hold values never shown.
const struct {
    const char* caption;
    int width;
} kColumns[] = {{"", 0}, {"", 0}, {"图片地址", 200}, {"", 0}, {"公司信息", 600}, {"网站", 200}};
}  // namespace

CCompanyIntroDlg::CCompanyIntroDlg(CatalogueDb& db, const InstallPaths&, QWidget* parent)
    : QDialog(parent, AuthoringWidgets::DialogFlags()), m_company(db, Prompter()) {
    setWindowTitle(QStringLiteral("企业介绍管理界面"));
    using namespace AuthoringWidgets;
    m_list = new QTableWidget(0, 6, this);
    m_list->setObjectName(QStringLiteral("1087"));
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setWordWrap(false);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_list->horizontalHeader()->setStretchLastSection(true);
    for (int c = 0; c < 6; ++c) {
        m_list->setHorizontalHeaderItem(
            c, new QTableWidgetItem(QString::fromUtf8(kColumns[c].caption)));
        m_list->setColumnWidth(c, kColumns[c].width);
        m_list->setColumnHidden(c, kColumns[c].width == 0);
    }
    // Room for the three shown columns at their widths, so none starts out of view.
    m_list->setMinimumSize(200 + 600 + 200 + 2 * m_list->frameWidth() +
                               m_list->verticalScrollBar()->sizeHint().width(),
                           150);
    m_picture = Edit(this, "1076");
    m_choose = Button(this, "1001", QStringLiteral("选择图片"));
    m_information = new QPlainTextEdit(this);
    m_information->setObjectName(QStringLiteral("1078"));
    m_information->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_information->setTabChangesFocus(true);
    m_web = Edit(this, "1086");
    m_modify = Button(this, "1088", QStringLiteral("修改"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_list, 0, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("企业简介图片文件:"), this), 1, 0);
    grid->addWidget(m_picture, 1, 1);
    grid->addWidget(m_choose, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("公司信息："), this), 2, 0, Qt::AlignTop);
    grid->addWidget(m_information, 2, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("网站："), this), 3, 0);
    grid->addWidget(m_web, 3, 1, 1, 2);
    grid->addWidget(m_modify, 4, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);
    grid->setRowStretch(2, 1);

    connect(m_list, &QTableWidget::cellClicked, this, &CCompanyIntroDlg::OnClickList);
    connect(m_choose, &QPushButton::clicked, this, &CCompanyIntroDlg::OnChoosePicture);
    connect(m_modify, &QPushButton::clicked, this, &CCompanyIntroDlg::OnModify);
    FillList();
}

void CCompanyIntroDlg::FillList() {
    m_list->setRowCount(0);
    for (const CompanyRecord& r : m_company.Rows()) {
        const int row = m_list->rowCount();
        m_list->insertRow(row);
        const QString cells[] = {r.hidden, r.className, r.opath, r.dpath, r.company, r.web};
        for (int c = 0; c < 6; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(Qt::AlignCenter);
            item->setToolTip(cells[c]);
            m_list->setItem(row, c, item);
        }
    }
}

void CCompanyIntroDlg::OnClickList() {
    // Every row carries the same values, so the first row stands for them all.
    if (m_list->rowCount() == 0) return;
    m_picture->setText(m_list->item(0, 2)->text());
    m_information->setPlainText(m_list->item(0, 4)->text());
    m_web->setText(m_list->item(0, 5)->text());
}

void CCompanyIntroDlg::OnChoosePicture() {
    const QString path = m_company.ChoosePicture(true);
    if (!path.isEmpty()) m_picture->setText(path);
}

void CCompanyIntroDlg::OnModify() {
    const QString picture = m_picture->text();
    const QString information = m_information->toPlainText();
    const QString web = m_web->text();
    if (!m_company.Modify(!m_list->selectedItems().isEmpty(), picture, information, web)) return;
    if (m_list->rowCount() == 0) {
        FillList();  // the row was just inserted
        return;
    }
    const QString shown[] = {picture, information, web};
    const int columns[] = {2, 4, 5};
    for (int i = 0; i < 3; ++i) {
        m_list->item(0, columns[i])->setText(shown[i]);
        m_list->item(0, columns[i])->setToolTip(shown[i]);
    }
}
