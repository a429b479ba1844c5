#pragma once

#include <QDialog>

#include "authoring/CategoryEditor.h"

class CatalogueDb;
class QLineEdit;
class QListWidget;
struct InstallPaths;

// "产品分类管理界面": the editor's list of product categories, in display order, with add,
// rename, delete and the moves that set the order.
class CClassManageDlg : public QDialog {
    Q_OBJECT
public:
    CClassManageDlg(CatalogueDb& db, const InstallPaths& paths, QWidget* parent = nullptr);

    void OnAdd();
    void OnRename();
    void OnDelete();
    void OnMoveUp() { Move(-1); }
    void OnMoveDown() { Move(+1); }

private:
    int Selected() const;
    void OnSelectionChanged(int row);
    void Move(int step);
    // Shows the editor's list again, with `selected` as the selected entry.
    void ShowList(int selected = -1);

    CategoryEditor m_editor;
    QListWidget* m_list;      // 1006
    QLineEdit* m_nameEdit;    // 1013
    QLineEdit* m_numberEdit;  // 1029, hidden
};
