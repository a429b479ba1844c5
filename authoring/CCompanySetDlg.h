#pragma once

#include <QDialog>

#include "authoring/CompanyInfo.h"

class CatalogueDb;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
struct InstallPaths;

// "企业设置界面": the company picture, text and address, and the company name and chat number
// that the main window's bottom band and chat link show. It starts with the current values, so
// that saving one of them keeps the others.
class CCompanySetDlg : public QDialog {
    Q_OBJECT
public:
    // Every authoring dialog is handed the catalogue and the installation; this one needs only
    // the catalogue.
    CCompanySetDlg(CatalogueDb& db, const InstallPaths& paths, QWidget* parent = nullptr);

    QLineEdit* m_picture;           // 1013
    QPushButton* m_choose;          // 1001
    QPlainTextEdit* m_information;  // 1029
    QLineEdit* m_web;               // 1015
    QPushButton* m_save;            // 1002
    QLineEdit* m_companyName;       // companyName
    QLineEdit* m_qq;                // companyQQ

private:
    void OnChoosePicture();
    void OnSave();

    CompanyInfo m_company;
    QString m_configPath;
};
