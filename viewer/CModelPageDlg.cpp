#include "viewer/CModelPageDlg.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <algorithm>

#include "app/CIniFile.h"
#include "app/MessageBox.h"
#include "app/Prompter.h"
#include "controls/CReportCtrl.h"
#include "publish/CopyQueue.h"
#include "publish/FileCopier.h"
#include "store/CatalogueRecords.h"
#include "store/Statements.h"

CModelPageDlg::CModelPageDlg(CatalogueDb& db, const InstallPaths& paths, CopyQueue& copies,
                             QWidget* parent)
    : QWidget(parent), m_rs(&db), m_paths(paths), m_copies(copies), m_progressDlg(copies, this) {
    setObjectName(QStringLiteral("136"));
    setFont(QFont(QStringLiteral("宋体"), 9));
    setAutoFillBackground(true);
    m_publishState =
        CIniFile(paths.configPath).GetString(QStringLiteral("SysInfo"), QStringLiteral("发布状态"));

    m_list = new CReportCtrl(this);
    m_list->setObjectName(QStringLiteral("1039"));
    m_list->setFrameShape(QFrame::StyledPanel);
    m_list->SetImageList({QIcon(QStringLiteral(":/icons/download.png"))}, QSize(24, 24));
    m_list->SetExtendedStyle(m_list->GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES |
                             LVS_EX_FULLROWSELECT);
    m_list->InsertColumn(0, QStringLiteral("下载"), LVCFMT_CENTER, 70);
    m_list->InsertColumn(1, QStringLiteral("   文件名   "), LVCFMT_CENTER, 400);
    m_list->InsertColumn(2, QStringLiteral("备注"), LVCFMT_CENTER, 180);
    m_list->InsertColumn(3, QStringLiteral("NO."), LVCFMT_CENTER, 100);
    LoadModelList();
    // The number comes first on screen and the download column last.
    QList<int> order = m_list->GetColumnOrderArray();
    if (order.size() > 1) {
        order.swapItemsAt(0, order.size() - 1);
        m_list->SetColumnOrderArray(order);
    }
    connect(m_list, &QTableWidget::cellClicked, this, &CModelPageDlg::OnCellClicked);

    m_download = new QPushButton(QStringLiteral("下载选中文件"), this);
    m_download->setObjectName(QStringLiteral("1035"));
    m_download->hide();
    connect(m_download, &QPushButton::clicked, this, [this] {
        const QList<int> selected = m_list->GetSelectedItems();
        if (!selected.isEmpty()) m_clickedRow = selected.first();
        DownloadModel();
    });

    m_destEdit = new QLineEdit(this);
    m_destEdit->setObjectName(QStringLiteral("1013"));
    m_destEdit->hide();
}

CModelPageDlg::~CModelPageDlg() = default;

void CModelPageDlg::SetProduct(const QString& className, const QString& productName) {
    m_className = className;
    m_productName = productName;
}

void CModelPageDlg::LoadModelList(const QString& className, const QString& productName) {
    SetProduct(className, productName);
    LoadModelList();
}

void CModelPageDlg::LoadModelList() {
    m_list->DeleteAllItems();
    m_clickedRow = -1;
    m_clickedColumn = -1;
    // A page made before the main window has named its product has nothing to show.
    if (m_className.isEmpty() && m_productName.isEmpty()) return;
    m_rs.OpenRecordset(Sql::SelectModelsOfProductByNumber, {m_className, m_productName});
    for (int row = 0; !m_rs.IsEOF(); m_rs.MoveNext(), ++row) {
        const ModelFileRecord rec = ModelFileRecord::Read(m_rs);
        m_list->InsertItem(row, QString());
        m_list->SetItemText(row, 1, rec.modelFile);
        m_list->SetItemText(row, 2, rec.note);
        m_list->SetItemText(row, 3, QString::number(row + 1));
        // A file that is not there (a row published without its file, a file deleted since)
        // offers no download: it says so instead.
        if (ModelSource(m_paths, m_publishState, rec.modelFile, rec.opath, rec.dpath).isEmpty()) {
            m_list->SetItemImage(row, 0, -1);
            m_list->SetItemText(row, 0, MissingText());
            for (int column = 0; column < 4; ++column) {
                m_list->SetItemTextColor(row, column, QColor(128, 128, 128));
                if (QTableWidgetItem* cell = m_list->item(row, column))
                    cell->setToolTip(MissingToolTip());
            }
        } else {
            m_list->SetItemImage(row, 0, 0);
        }
    }
}

bool CModelPageDlg::IsShownMissing(int row) const {
    return row >= 0 && row < m_list->GetItemCount() && m_list->GetItemImage(row, 0) < 0;
}

QString& CModelPageDlg::LastChosenFolder() {
    static QString folder;
    return folder;
}

QString CModelPageDlg::ChooserStartFolder() {
    // Never the working directory, which is often the installation itself.
    for (const QString& folder :
         {LastChosenFolder(), QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)})
        if (!folder.isEmpty() && QFileInfo(folder).isDir()) return folder;
    return QDir::homePath();
}

QString CModelPageDlg::ModelSource(const InstallPaths& paths, const QString& publishState,
                                   const QString& fileName, const QString& opath,
                                   const QString& dpath) {
    if (!InstallPaths::IsPublishedState(publishState))
        return QFileInfo(opath).isFile() ? opath : QString();
    if (dpath.isEmpty()) return QString();
    // The published copy reads inside its own picture folder, whatever the row says.
    const QString folder = paths.ResolvePublished(dpath);
    if (folder.isEmpty()) return QString();
    const QString file = QDir::cleanPath(QDir(folder).filePath(FileCopier::SafeFileName(fileName)));
    if (!paths.InsidePictureFolder(file)) return QString();
    return QFileInfo(file).isFile() ? file : QString();
}

void CModelPageDlg::DownloadModel() {
    const int row = m_clickedRow;
    if (row < 0 || row >= m_list->GetItemCount()) return;
    // No folder is asked for a file that cannot be had.
    if (IsShownMissing(row)) {
        AfxMessageBox(MissingToolTip(), MB_NOTICE);
        return;
    }
    const QString chosen =
        Prompter().ChooseFolder(QStringLiteral("请选择目录"), ChooserStartFolder());
    if (chosen.isEmpty() || !QFileInfo(chosen).isDir()) return;
    m_destFolder = QDir::cleanPath(QDir::fromNativeSeparators(chosen));
    LastChosenFolder() = m_destFolder;
    m_destEdit->setText(m_destFolder);

    // The file of the product shown, not any product's file of that name.
    const QString name = m_list->GetItemText(row, 1);
    m_rs.OpenRecordset(Sql::SelectModelFileBracketed, {m_className, m_productName, name});
    if (m_rs.IsEOF()) return;
    const ModelFileRecord rec = ModelFileRecord::Read(m_rs);
    const QString source =
        ModelSource(m_paths, m_publishState, rec.modelFile, rec.opath, rec.dpath);
    if (source.isEmpty()) {
        AfxMessageBox(MissingToolTip(), MB_NOTICE);
        return;
    }

    // A name holding separators or ".." still names one file inside the chosen folder.
    const QString destination =
        QDir(m_destFolder).filePath(FileCopier::SafeFileName(rec.modelFile));
    m_copies.jobs.RemoveAll();
    m_copies.scratch = QStringList{source, destination};
    m_copies.jobs.AppendFrom(m_copies.scratch);
    m_progressDlg.DoModal();
    const QList<CopyOutcome>& results = m_progressDlg.Results();
    const bool failed = std::any_of(results.begin(), results.end(), [](const CopyOutcome& o) {
        return o.status == CopyOutcome::Failed;
    });
    // A cancel the visitor chose is no failure; the copy has left nothing of the file behind.
    if (failed)
        AfxMessageBox(QStringLiteral("下载失败"), MB_NOTICE);
    else if (m_progressDlg.AllCopied())
        AfxMessageBox(QStringLiteral("下载完成"), MB_NOTICE);
}

void CModelPageDlg::OnCellClicked(int row, int column) {
    if (row < 0) return;
    m_clickedRow = row;
    m_clickedColumn = column;
    if (column == 0) DownloadModel();
}

void CModelPageDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutList();
}

void CModelPageDlg::LayoutList() {
    const int w = width();
    const int h = height();
    m_list->setGeometry(0, 0, qMax(0, w - 5), qMax(0, h - 10));
    m_list->setColumnWidth(0, w * 3 / 80 + 4);  // 0.0375 of the width, plus 4
    m_list->setColumnWidth(1, w * 8 / 12);
    m_list->setColumnWidth(2, w * 23 / 120);
    m_list->setColumnWidth(3, w / 12);
}

void CModelPageDlg::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape belong to the page; they must not reach the main window.
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}
