#pragma once

#include <QDialog>
#include <QList>

#include "app/InstallPaths.h"
#include "authoring/ProductEditor.h"
#include "authoring/WholeNumberField.h"

class CReportCtrl;
class QComboBox;
class QGridLayout;
class QLineEdit;

// "产品图片信息管理界面": one new product with its category, number, type code, keywords,
// name, the paths of its four pictures and its 3D-model files. Records the paths as chosen on
// this machine; copies no file.
class CProductAddDlg : public QDialog {
    Q_OBJECT
public:
    CProductAddDlg(CatalogueDb& db, const InstallPaths& paths, QWidget* parent = nullptr);

    void OnAddModels();
    void OnClearModels();
    void OnMoveModel(int step);
    void OnFinish();

    const QList<ModelFile>& Models() const { return m_models; }

private:
    QLineEdit* PathEdit(const char* id, const char* label, const char* buttonId, int row);
    void ChoosePicture(QLineEdit* edit);
    void ShowModels(int mark = -1);

    ProductEditor m_editor;
    InstallPaths m_paths;
    WholeNumberField m_number;
    QList<ModelFile> m_models;
    QComboBox* m_category;      // 1022
    QLineEdit* m_numberEdit;    // 1045
    QLineEdit* m_typeCode;      // 1029
    QLineEdit* m_key;           // 1018
    QLineEdit* m_name;          // 1015
    QLineEdit* m_picture;       // 1013
    QLineEdit* m_intro;         // 1019
    QLineEdit* m_addProcess;    // 1020
    QLineEdit* m_tecReference;  // 1021
    CReportCtrl* m_modelList;   // 1040
    QGridLayout* m_fields;
};
