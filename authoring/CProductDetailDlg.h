#pragma once

#include <QDialog>
#include <QList>

#include "app/InstallPaths.h"
#include "authoring/ProductEditor.h"
#include "authoring/WholeNumberField.h"

class CReportCtrl;
class QComboBox;
class QLineEdit;

// "产品详细信息管理界面": the products in a table, filtered by category, with the fields of the
// current row to correct or delete it; new products come through the add-product dialog.
class CProductDetailDlg : public QDialog {
    Q_OBJECT
public:
    CProductDetailDlg(CatalogueDb& db, const InstallPaths& paths, QWidget* parent = nullptr);

    // Refills the table from the catalogue under the current filter.
    void FillProducts();
    void OnModify();
    void OnDelete();
    void OnAddProduct();

private:
    // The stored product of the current row, or nullptr when no row is current.
    ProductRecord* Current();
    void ShowCurrent();
    void ShowRow(int row, const ProductRecord& product);
    void ChoosePicture(QLineEdit* edit);

    CatalogueDb& m_db;
    InstallPaths m_paths;
    ProductEditor m_editor;
    WholeNumberField m_number;
    // The rows as read at the last fill; each table row keeps its index here as its data, so
    // the stored names stay exact whatever the cells show and however the table is sorted.
    QList<ProductRecord> m_products;
    QComboBox* m_filter;        // 1022
    CReportCtrl* m_list;        // 1059
    QLineEdit* m_numberEdit;    // 1062
    QLineEdit* m_name;          // 1064
    QLineEdit* m_typeCode;      // 1091
    QLineEdit* m_className;     // 1063
    QLineEdit* m_key;           // 1065
    QLineEdit* m_opath;         // 1066
    QLineEdit* m_dpath;         // 1067, hidden
    QLineEdit* m_intro;         // 1068
    QLineEdit* m_addProcess;    // 1069
    QLineEdit* m_tecReference;  // 1070
};
