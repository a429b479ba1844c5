#include "authoring/CProductDetailDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
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
#include "authoring/CProductAddDlg.h"
#include "authoring/FileChoice.h"
#include "controls/CReportCtrl.h"

using AuthoringWidgets::Button;
using AuthoringWidgets::Edit;
using AuthoringWidgets::Label;

namespace {
// Captions and widths of the table's columns; the width-0 column carries Dpath unseen.
const struct {
    const char* caption;
    int width;
} kColumns[] = {{"序号", 60},
                {"产品名", 100},
                {"类型码", 100},
                {"产品类别", 150},
                {"关键字", 100},
                {"产品原地址", 150},
                {"", 0},
                {"产品介绍原地址", 150},
                {"追加加工原地址", 150},
                {"技术参数原地址", 150}};
}  // namespace

CProductDetailDlg::CProductDetailDlg(CatalogueDb& db, const InstallPaths& paths, QWidget* parent)
    : QDialog(parent), m_db(db), m_paths(paths), m_editor(db, Prompter()), m_number(Prompter()) {
    setWindowTitle(QStringLiteral("产品详细信息管理界面"));

    m_filter = new QComboBox(this);
    m_filter->setObjectName(QStringLiteral("1022"));
    m_filter->setEditable(true);
    m_filter->setInsertPolicy(QComboBox::NoInsert);
    m_filter->setMinimumWidth(200);
    auto* addProduct = Button(this, "1095", QStringLiteral("添加产品"));
    auto* top = new QHBoxLayout;
    top->addWidget(Label("按分类查看产品", m_filter));
    top->addWidget(m_filter);
    top->addStretch();
    top->addWidget(addProduct);

    m_list = new CReportCtrl(this);
    m_list->setObjectName(QStringLiteral("1059"));
    m_list->SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int c = 0; c < 10; ++c)
        m_list->InsertColumn(c, QString::fromUtf8(kColumns[c].caption), LVCFMT_CENTER,
                             kColumns[c].width);
    m_list->setColumnHidden(6, true);
    m_list->setMinimumHeight(240);

    auto* fields = new QGroupBox(this);
    auto* grid = new QGridLayout(fields);
    m_numberEdit = Edit(fields, "1062");
    m_numberEdit->setText(QStringLiteral("0"));
    m_name = Edit(fields, "1064");
    m_typeCode = Edit(fields, "1091");
    m_className = Edit(fields, "1063");
    m_key = Edit(fields, "1065");
    const QList<std::pair<const char*, QLineEdit*>> first{{"序号", m_numberEdit},
                                                          {"产品名", m_name},
                                                          {"类型码", m_typeCode},
                                                          {"产品类别", m_className},
                                                          {"关键字", m_key}};
    auto* firstRow = new QHBoxLayout;
    for (const auto& [label, edit] : first) {
        firstRow->addWidget(Label(label, edit));
        firstRow->addWidget(edit, edit == m_numberEdit ? 0 : 1);
    }
    m_numberEdit->setMaximumWidth(70);
    grid->addLayout(firstRow, 0, 0, 1, 3);
    m_opath = Edit(fields, "1066");
    m_intro = Edit(fields, "1068");
    m_tecReference = Edit(fields, "1070");
    m_addProcess = Edit(fields, "1069");
    const struct {
        const char* label;
        QLineEdit* edit;
        const char* buttonId;
    } pathRows[] = {{"产品原地址", m_opath, "1001"},
                    {"产品介绍原地址", m_intro, "1002"},
                    {"技术参数原地址", m_tecReference, "1003"},
                    {"追加加工原地址", m_addProcess, "1004"}};
    int row = 1;
    QWidget* previous = m_key;
    for (const auto& r : pathRows) {
        auto* choose = Button(fields, r.buttonId, QStringLiteral("修改图片"));
        // Each path edit is followed by its own chooser.
        setTabOrder(previous, r.edit);
        setTabOrder(r.edit, choose);
        previous = choose;
        grid->addWidget(Label(r.label, r.edit), row, 0);
        grid->addWidget(r.edit, row, 1);
        grid->addWidget(choose, row, 2);
        QLineEdit* edit = r.edit;
        connect(choose, &QPushButton::clicked, this, [this, edit] { ChoosePicture(edit); });
        ++row;
    }
    // The published paths travel with the row unseen.
    m_dpath = Edit(fields, "1067");
    auto* dpathLabel = Label("产品目的地址", m_dpath);
    m_dpath->hide();
    dpathLabel->hide();
    const struct {
        const char* id;
        const char* label;
    } unused[] = {
        {"1071", "产品介绍目的地址"}, {"1072", "追加加工目的地址"}, {"1073", "技术参数目的地址"}};
    for (const auto& u : unused) {
        QLineEdit* e = Edit(fields, u.id);
        Label(u.label, e)->hide();
        e->hide();
    }
    auto* modify = Button(fields, "1060", QStringLiteral("修改"));
    auto* remove = Button(fields, "1061", QStringLiteral("删除"));
    auto* commands = new QHBoxLayout;
    commands->addStretch();
    commands->addWidget(modify);
    commands->addWidget(remove);
    grid->addLayout(commands, row, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_list, 1);
    layout->addWidget(fields);
    layout->addWidget(buttons);
    resize(960, 640);

    connect(m_filter, &QComboBox::currentIndexChanged, this, &CProductDetailDlg::FillProducts);
    connect(addProduct, &QPushButton::clicked, this, &CProductDetailDlg::OnAddProduct);
    connect(modify, &QPushButton::clicked, this, &CProductDetailDlg::OnModify);
    connect(remove, &QPushButton::clicked, this, &CProductDetailDlg::OnDelete);
    // The fields follow the current row, whether a click or the keyboard made it current.
    connect(m_list, &QTableWidget::cellClicked, this, [this] { ShowCurrent(); });
    connect(m_list, &QTableWidget::currentCellChanged, this,
            [this](int current, int, int previous) {
                if (current != previous) ShowCurrent();
            });

    {
        const QSignalBlocker block(m_filter);
        m_filter->addItem(QStringLiteral("查看所有类别"));
        m_filter->addItems(m_editor.Categories());
        m_filter->setCurrentIndex(0);
    }
    FillProducts();
}

void CProductDetailDlg::FillProducts() {
    const QSignalBlocker block(m_list);
    m_list->DeleteAllItems();
    m_list->setCurrentCell(-1, -1);
    m_products = m_editor.Products(m_filter->itemText(m_filter->currentIndex()));
    for (int r = 0; r < m_products.size(); ++r) {
        m_list->InsertItem(r, QString());
        m_list->SetItemData(r, static_cast<quint32>(r));
        ShowRow(r, m_products[r]);
    }
}

void CProductDetailDlg::ShowRow(int row, const ProductRecord& p) {
    const StoredProductName stored = StoredProductName::SplitAtFirst(p.productName);
    const QString cells[] = {p.number,      stored.name,    stored.typeCode, p.className,
                             p.key,         p.opath,        p.dpath,         p.oIntroduce,
                             p.oAddProcess, p.oTecReference};
    for (int c = 0; c < 10; ++c) m_list->SetItemText(row, c, cells[c]);
}

ProductRecord* CProductDetailDlg::Current() {
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_list->GetItemCount()) return nullptr;
    const int index = static_cast<int>(m_list->GetItemData(row));
    return index < m_products.size() ? &m_products[index] : nullptr;
}

void CProductDetailDlg::ShowCurrent() {
    const int row = m_list->currentRow();
    QLineEdit* edits[] = {m_numberEdit, m_name,  m_typeCode, m_className,  m_key,
                          m_opath,      m_dpath, m_intro,    m_addProcess, m_tecReference};
    for (int c = 0; c < 10; ++c)
        edits[c]->setText(row < 0 ? QString() : m_list->GetItemText(row, c));
}

void CProductDetailDlg::ChoosePicture(QLineEdit* edit) {
    const QString chosen = FileChoice::Picture(Prompter(), edit->text(), m_paths.exeFolder);
    if (!chosen.isEmpty()) edit->setText(chosen);
}

void CProductDetailDlg::OnModify() {
    ProductFields f;
    f.number = m_number.Take(m_numberEdit->text());
    f.name = m_name->text();
    f.typeCode = m_typeCode->text();
    f.className = m_className->text();
    f.key = m_key->text();
    f.opath = m_opath->text();
    f.dpath = m_dpath->text();
    f.intro = m_intro->text();
    f.addProcess = m_addProcess->text();
    f.tecReference = m_tecReference->text();
    ProductRecord* current = Current();
    QString stored;
    switch (m_editor.Modify(current, f, &stored)) {
        case ProductEditor::Outcome::Written: {
            // The row shows what was written; the table is not read again, so a product moved
            // to another category stays in view until the filter changes.
            current->number = QString::number(f.number);
            current->productName = stored;
            current->className = f.className;
            current->key = f.key;
            current->opath = f.opath;
            current->dpath = f.dpath;
            current->oIntroduce = f.intro;
            current->oAddProcess = f.addProcess;
            current->oTecReference = f.tecReference;
            ShowRow(m_list->currentRow(), *current);
            break;
        }
        case ProductEditor::Outcome::Stale:
            FillProducts();
            break;
        default:
            break;
    }
}

void CProductDetailDlg::OnDelete() {
    switch (m_editor.Delete(Current())) {
        case ProductEditor::Outcome::Written: {
            for (QLineEdit* e : {m_numberEdit, m_name, m_typeCode, m_className, m_key, m_opath,
                                 m_intro, m_addProcess, m_tecReference})
                e->clear();
            const QSignalBlocker block(m_list);
            m_list->DeleteItem(m_list->currentRow());
            // No row is current until the editor picks one.
            m_list->setCurrentCell(-1, -1);
            break;
        }
        case ProductEditor::Outcome::Stale:
            FillProducts();
            break;
        default:
            break;
    }
}

void CProductDetailDlg::OnAddProduct() {
    CProductAddDlg dlg(m_db, m_paths);
    dlg.exec();
    FillProducts();
}
