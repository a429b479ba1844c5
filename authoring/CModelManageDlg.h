#pragma once

#include <QDialog>

#include "authoring/ModelFiles.h"

class CatalogueDb;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
struct InstallPaths;

// "3D模型管理界面": the model files of one product, with their order and notes.
class CModelManageDlg : public QDialog {
    Q_OBJECT
public:
    // Every authoring dialog is handed the catalogue and the installation; this one needs only
    // the catalogue.
    CModelManageDlg(CatalogueDb& db, const InstallPaths& paths, QWidget* parent = nullptr);

    QComboBox* m_class;      // 1022
    QComboBox* m_product;    // 1030
    QListWidget* m_files;    // 1000
    QLineEdit* m_note;       // 1029
    QPushButton* m_add;      // 1001
    QPushButton* m_delete;   // 1002
    QPushButton* m_setNote;  // 1038
    QPushButton* m_up;       // 1034
    QPushButton* m_down;     // 1035

private:
    void OnInitDialog();
    void OnSelchangeClass(int index);
    void OnSelchangeProduct(int index);
    void OnSelchangeFile();
    void OnAddFiles();
    void OnDelete();
    void OnSetNote();
    void OnMove(int step);
    void EnableCommands(bool enable);
    // Shows the current product's files and selects entry `select` (none when -1).
    void ShowFiles(int select = -1);
    int SelectedFile() const;

    ModelFiles m_model;
};
