#pragma once

#include <QDialog>

#include "authoring/CompanyInfo.h"

class CatalogueDb;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
struct InstallPaths;

// "企业介绍管理界面": the company rows, and the picture, text and address edited from them.
class CCompanyIntroDlg : public QDialog {
    Q_OBJECT
public:
    // Every authoring dialog is handed the catalogue and the installation; this one needs only
    // the catalogue.
    CCompanyIntroDlg(CatalogueDb& db, const InstallPaths& paths, QWidget* parent = nullptr);

    QTableWidget* m_list;           // 1087
    QLineEdit* m_picture;           // 1076
    QPushButton* m_choose;          // 1001
    QPlainTextEdit* m_information;  // 1078
    QLineEdit* m_web;               // 1086
    QPushButton* m_modify;          // 1088

private:
    void FillList();
    void OnClickList();
    void OnChoosePicture();
    void OnModify();

    CompanyInfo m_company;
};
