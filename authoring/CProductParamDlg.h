#pragma once

#include <QDialog>

#include "authoring/ProductDocuments.h"

class CFolderTreeCtrl;
class CatalogueDb;
class QComboBox;
class QLineEdit;
class QPushButton;
struct InstallPaths;

// "产品参数设置界面": picks a folder in the folder tree and stores it as one document of a
// product.
class CProductParamDlg : public QDialog {
    Q_OBJECT
public:
    // Every authoring dialog is handed the catalogue and the installation; this one needs only
    // the catalogue.
    CProductParamDlg(CatalogueDb& db, const InstallPaths& paths, QWidget* parent = nullptr);

    CFolderTreeCtrl* m_tree;  // 1043
    QLineEdit* m_path;        // 1013
    QComboBox* m_class;       // 1022
    QComboBox* m_product;     // 1089
    QComboBox* m_kind;        // 1030
    QPushButton* m_save;      // 1002

private:
    void OnInitDialog();
    void OnSelchangeClass(int index);
    void OnTreeSelChanged();
    void OnSave();

    ProductDocuments m_docs;
};
