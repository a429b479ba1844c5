#pragma once

#include <QDialog>

#include "app/AppParts.h"

class CFolderTreeCtrl;
class CProgressDlg;
class QLabel;
class QLineEdit;
class QPushButton;

// The dialog "信息发布界面": the editor picks the root of the published copy in a folder tree,
// may pick a start-up cover and a LOGO picture, and presses "系统发布". The work is done by
// PublishOperation; the dialog only gathers the choices and runs the progress dialog.
class CPublishDlg : public QDialog {
    Q_OBJECT
public:
    // The root chosen in the tree goes to parts.publishRoot, which outlives the dialog.
    explicit CPublishDlg(const AppParts& parts, QWidget* parent = nullptr);
    ~CPublishDlg() override;

    void OnSelchangedTree();
    void OnSelectCover();
    void OnSelectLogo();
    void OnPublish();
    void OnNewFolder();
    // Shows the chosen root, and where the copy will go, below the tree.
    void ShowRoot();

    CProgressDlg& Progress() { return *m_progress; }

private:
    AppParts m_parts;
    QString m_root;  // the root of the running operation

    CFolderTreeCtrl* m_tree;    // 1033
    QLineEdit* m_cover;         // 1096
    QPushButton* m_btnCover;    // 1097
    QLineEdit* m_logo;          // 1014
    QPushButton* m_btnLogo;     // 1003
    QPushButton* m_btnPublish;  // 1001
    QLabel* m_rootLabel;
    QPushButton* m_btnNewFolder;
    CProgressDlg* m_progress;
};
