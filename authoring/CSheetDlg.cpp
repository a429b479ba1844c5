#include "authoring/CSheetDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/MessageBox.h"
#include "authoring/FileChoice.h"
#include "authoring/ProductExport.h"

namespace {
const char* const kSheetFilter = "CSV 表格(*.csv;*.txt)|*.csv;*.txt|所有文件(*.*)|*.*||";
}

CSheetDlg::CSheetDlg(CatalogueDb& db, const InstallPaths& paths, QWidget* parent)
    : QDialog(parent), m_db(db), m_paths(paths), m_import(db) {
    setWindowTitle(QStringLiteral("产品表格导入导出"));
    auto named = [](QWidget* w, const char* id) {
        w->setObjectName(QString::fromLatin1(id));
        return w;
    };
    m_sheet = new QLineEdit(this);
    m_sheet->setReadOnly(true);
    m_sheet->setPlaceholderText(QStringLiteral("选择一张 CSV 表格，先看预览，确认后才写入"));
    named(m_sheet, kSheet);
    m_choose = new QPushButton(QStringLiteral("选择表格..."), this);
    auto* choose = m_choose;
    named(choose, kChoose);
    m_update = new QCheckBox(QStringLiteral("更新已有的产品（否则拒绝）"), this);
    named(m_update, kUpdate);
    m_summary = new QLabel(this);
    m_summary->setWordWrap(true);
    QFont bold = m_summary->font();
    bold.setBold(true);
    m_summary->setFont(bold);
    named(m_summary, kSummary);
    m_details = new QLabel(this);
    m_details->setWordWrap(true);
    m_details->setTextInteractionFlags(Qt::TextSelectableByMouse);
    named(m_details, kDetails);
    m_refusedLabel = new QLabel(this);
    m_refused = new QTreeWidget(this);
    m_refused->setColumnCount(3);
    m_refused->setHeaderLabels(
        {QStringLiteral("行"), QStringLiteral("产品"), QStringLiteral("拒绝原因")});
    m_refused->setRootIsDecorated(false);
    m_refused->setAlternatingRowColors(true);
    m_refused->setWordWrap(true);
    m_refused->header()->setStretchLastSection(true);
    m_refused->setColumnWidth(0, 56);
    m_refused->setColumnWidth(1, 180);
    named(m_refused, kRefused);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setVisible(false);
    named(m_progress, kProgress);
    m_importButton = new QPushButton(QStringLiteral("导入"), this);
    m_importButton->setEnabled(false);
    named(m_importButton, kImport);
    m_exportButton = new QPushButton(QStringLiteral("导出目录..."), this);
    named(m_exportButton, kExport);
    m_close = new QPushButton(QStringLiteral("关闭"), this);
    for (QPushButton* b : {choose, m_importButton, m_exportButton, m_close})
        b->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("表格："), this));
    top->addWidget(m_sheet, 1);
    top->addWidget(choose);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_exportButton);
    buttons->addStretch(1);
    buttons->addWidget(m_importButton);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_update);
    layout->addWidget(m_summary);
    layout->addWidget(m_details);
    layout->addWidget(m_refusedLabel);
    layout->addWidget(m_refused, 1);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    resize(720, 460);
    ShowPlan();

    connect(choose, &QPushButton::clicked, this, &CSheetDlg::OnChooseSheet);
    connect(m_update, &QCheckBox::toggled, this, [this] {
        if (!m_plan.sheet.isEmpty()) Preview(m_plan.sheet);
    });
    connect(m_importButton, &QPushButton::clicked, this, &CSheetDlg::OnImport);
    connect(m_exportButton, &QPushButton::clicked, this, &CSheetDlg::OnExport);
    connect(m_close, &QPushButton::clicked, this, &CSheetDlg::reject);
}

void CSheetDlg::OnChooseSheet() {
    const QString chosen =
        Prompter().OpenFile(QStringLiteral("选择产品表格"), m_paths.exeFolder,
                            FileChoice::QtFilter(QString::fromUtf8(kSheetFilter)));
    if (!chosen.isEmpty()) Preview(chosen);
}

void CSheetDlg::Preview(const QString& sheet) {
    m_sheet->setText(QDir::toNativeSeparators(sheet));
    m_plan = m_import.Preview(sheet, m_update->isChecked());
    m_progress->setVisible(false);
    ShowPlan();
}

void CSheetDlg::ShowPlan() {
    m_refused->clear();
    const int refused = m_plan.Count(ImportRow::Action::Refuse);
    m_refusedLabel->setText(refused ? QStringLiteral("拒绝的行（%1）：").arg(refused)
                                    : QStringLiteral("没有拒绝的行"));
    m_refusedLabel->setVisible(!m_plan.sheet.isEmpty() && m_plan.error.isEmpty());
    if (m_plan.sheet.isEmpty()) {
        m_details->setVisible(true);
        m_summary->setText(QStringLiteral("尚未选择表格"));
        m_details->setText(
            QStringLiteral("列：%1。3D模型可写多个文件，以“;”分隔；备注为各模型文件的备注，"
                           "顺序与3D模型相同。路径可为绝对路径或相对于表格所在的文件夹。")
                .arg(ProductSheet::Headers().join(QStringLiteral("、"))));
        m_importButton->setEnabled(false);
        return;
    }
    m_summary->setText(m_plan.Summary());
    QStringList details;
    if (m_plan.error.isEmpty()) {
        details << QStringLiteral("编码 %1，分隔符 %2，共 %3 行数据")
                       .arg(m_plan.encoding, m_plan.separator)
                       .arg(m_plan.rows.size());
        if (!m_plan.newCategories.isEmpty())
            details << QStringLiteral("新建类别：%1")
                           .arg(m_plan.newCategories.join(QStringLiteral("、")));
        if (!m_plan.unknownColumns.isEmpty())
            details << QStringLiteral("未知的列（已忽略）：%1")
                           .arg(m_plan.unknownColumns.join(QStringLiteral("、")));
    }
    m_details->setText(details.join(QLatin1Char('\n')));
    m_details->setVisible(!details.isEmpty());
    for (const ImportRow& row : m_plan.rows) {
        if (row.action != ImportRow::Action::Refuse) continue;
        auto* item =
            new QTreeWidgetItem(m_refused, {QString::number(row.line), row.Shown(), row.reason});
        item->setToolTip(2, row.reason);
    }
    m_importButton->setEnabled(m_plan.HasWrites());
}

void CSheetDlg::OnImport() {
    if (!m_plan.HasWrites() || m_writing) return;
    m_writing = true;
    m_cancel = false;
    // Events are handled while the write runs, so nothing may change the plan meanwhile.
    const ImportPlan plan = m_plan;
    for (QWidget* w : {static_cast<QWidget*>(m_importButton), static_cast<QWidget*>(m_exportButton),
                       static_cast<QWidget*>(m_choose), static_cast<QWidget*>(m_update)})
        w->setEnabled(false);
    m_close->setText(QStringLiteral("取消"));
    m_progress->setVisible(true);
    m_progress->setValue(0);
    const auto outcome = m_import.Write(plan, [this](int done, int total) {
        m_progress->setRange(0, qMax(total, 1));
        m_progress->setValue(done);
        // The write runs on this thread; the cancel button and Escape are heard in between.
        QApplication::processEvents();
        return !m_cancel;
    });
    m_writing = false;
    m_close->setText(QStringLiteral("关闭"));
    for (QWidget* w : {static_cast<QWidget*>(m_exportButton), static_cast<QWidget*>(m_choose),
                       static_cast<QWidget*>(m_update)})
        w->setEnabled(true);
    if (outcome == ProductImport::Outcome::Written) {
        m_summary->setText(QStringLiteral("已导入：") + m_plan.Summary());
        Tell(Prompter(), QStringLiteral("导入成功"));
        // The plan is spent: pressing 导入 again would add the same products twice.
        m_plan.rows.clear();
        m_plan.newCategories.clear();
    } else {
        m_progress->setVisible(false);
        m_summary->setText(m_import.LastError());
        m_importButton->setEnabled(true);
        if (outcome == ProductImport::Outcome::Failed)
            Tell(Prompter(), m_import.LastError(), MB_OK | MB_ICONERROR);
    }
}

void CSheetDlg::OnExport() {
    const QString folder = Prompter().ChooseFolder(
        QStringLiteral("选择导出表格（%1）的文件夹").arg(ExportFileName()), m_paths.exeFolder);
    if (folder.isEmpty()) return;
    const QString path = QDir(folder).filePath(ExportFileName());
    if (QFileInfo::exists(path) &&
        !AskYesNo(Prompter(),
                  QStringLiteral("%1 已存在，要覆盖吗?").arg(QDir::toNativeSeparators(path)), true))
        return;
    ProductExport exporter(m_db);
    QString error;
    if (!exporter.Write(path, &error)) {
        Tell(Prompter(), error, MB_OK | MB_ICONERROR);
        return;
    }
    m_summary->setText(exporter.Summary(path));
    Tell(Prompter(), QStringLiteral("导出成功"));
}

void CSheetDlg::reject() {
    // While writing, closing means cancelling: the write rolls back and the dialog stays.
    if (m_writing) {
        m_cancel = true;
        return;
    }
    QDialog::reject();
}
