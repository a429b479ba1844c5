#pragma once

#include <QDialog>

// The About box: the application icon, name and version, closed with 确定, Enter or Escape.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
