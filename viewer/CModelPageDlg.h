#pragma once

#include <QString>
#include <QWidget>

#include "app/InstallPaths.h"
#include "publish/CProgressDlg.h"
#include "store/CatalogueRecordset.h"

class CatalogueDb;
struct CopyQueue;

class CReportCtrl;
class QLineEdit;
class QPushButton;

// The "3D模型" page of a product: its model files with their notes, each downloadable into a
// folder the visitor picks. Works in both copies: the authoring copy copies the file the editor
// registered, the published copy the file inside its own picture folder.
class CModelPageDlg : public QWidget {
    Q_OBJECT
public:
    // Reads the model rows through `db`, the copy's state from its configuration, and copies
    // with the application's queue.
    CModelPageDlg(CatalogueDb& db, const InstallPaths& paths, CopyQueue& copies,
                  QWidget* parent = nullptr);
    ~CModelPageDlg() override;

    // The product shown: its category and stored product name ("name@typecode").
    void SetProduct(const QString& className, const QString& productName);
    // Fills the list with the files of the product shown, in their order.
    void LoadModelList();
    void LoadModelList(const QString& className, const QString& productName);
    void Reload() { LoadModelList(); }

    // Downloads the file of the remembered row (the last clicked one, or the selected one):
    // asks for a folder, copies the file there with the progress dialog and tells the result.
    void DownloadModel();

    // A row whose file cannot be had shows this in its download column, greyed, and no button.
    static QString MissingText() { return QStringLiteral("缺失"); }
    static QString MissingToolTip() { return QStringLiteral("模型文件不存在"); }
    bool IsShownMissing(int row) const;

    QString ClassName() const { return m_className; }
    QString ProductName() const { return m_productName; }
    QString PublishState() const { return m_publishState; }
    // The folder chosen for the last download.
    QString DestinationFolder() const { return m_destFolder; }
    CReportCtrl* List() const { return m_list; }
    // The dialog that runs the copies (tests shorten its timers).
    CProgressDlg& ProgressDialog() { return m_progressDlg; }

    // Where the file of a catalogue row is read from in this copy, or "" when it cannot be
    // (missing file, a published path outside the picture folder). Only "1" reads the published
    // copy's folder; any other state reads the authoring path, as the main window takes it.
    static QString ModelSource(const InstallPaths& paths, const QString& publishState,
                               const QString& fileName, const QString& opath, const QString& dpath);

    // Where the folder chooser opens: the folder chosen last in this run (any product's page),
    // else the desktop folder, else the home folder.
    static QString ChooserStartFolder();
    // The folder chosen last in this run ("" before the first choice).
    static QString& LastChosenFolder();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnCellClicked(int row, int column);
    void LayoutList();

    CatalogueRecordset m_rs;
    InstallPaths m_paths;
    CopyQueue& m_copies;
    QString m_className;
    QString m_productName;
    QString m_publishState;
    CProgressDlg m_progressDlg;
    CReportCtrl* m_list;      // 1039
    QPushButton* m_download;  // 1035, hidden
    QLineEdit* m_destEdit;    // 1013, hidden
    QString m_destFolder;
    int m_clickedRow = -1;
    int m_clickedColumn = -1;
};
