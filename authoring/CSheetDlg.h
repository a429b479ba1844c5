#pragma once

#include <QDialog>

#include "app/InstallPaths.h"
#include "authoring/ProductImport.h"

class CatalogueDb;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

// "产品表格导入导出": a product sheet in or the catalogue out. Choosing a sheet shows the
// preview (how many products are added, updated and refused, each refused row with its line
// and reason); nothing is written until 导入 is pressed, and then everything goes in one
// transaction with progress. Cancel or Escape while it writes leaves the catalogue as it was.
class CSheetDlg : public QDialog {
    Q_OBJECT
public:
    CSheetDlg(CatalogueDb& db, const InstallPaths& paths, QWidget* parent = nullptr);

    // Shows the preview of `sheet` (what 选择表格 does after the chooser).
    void Preview(const QString& sheet);
    void OnChooseSheet();
    void OnImport();
    void OnExport();
    const ImportPlan& Plan() const { return m_plan; }

    // The object names of the controls, for tests.
    static constexpr const char* kSheet = "1101";
    static constexpr const char* kChoose = "1102";
    static constexpr const char* kUpdate = "1103";
    static constexpr const char* kSummary = "1104";
    static constexpr const char* kRefused = "1105";
    static constexpr const char* kDetails = "1106";
    static constexpr const char* kProgress = "1107";
    static constexpr const char* kImport = "1108";
    static constexpr const char* kExport = "1109";

    // The file an export writes into the chosen folder.
    static QString ExportFileName() { return QStringLiteral("产品目录.csv"); }

public slots:
    void reject() override;

private:
    void ShowPlan();

    CatalogueDb& m_db;
    InstallPaths m_paths;
    ProductImport m_import;
    ImportPlan m_plan;
    bool m_writing = false;
    bool m_cancel = false;
    QLineEdit* m_sheet;
    QPushButton* m_choose;
    QCheckBox* m_update;
    QLabel* m_summary;
    QLabel* m_refusedLabel;
    QTreeWidget* m_refused;
    QLabel* m_details;
    QProgressBar* m_progress;
    QPushButton* m_importButton;
    QPushButton* m_exportButton;
    QPushButton* m_close;
};
