#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "app/InstallPaths.h"

class CatalogueDb;
class QPushButton;

// "设置界面": the editor's way into the editing dialogs. Holds no data and reads nothing; each
// command builds its dialog afresh, runs it to its end and discards it, so every dialog reads
// the catalogue again.
class CSettingDlg : public QDialog {
    Q_OBJECT
public:
    using DialogFactory =
        std::function<std::unique_ptr<QDialog>(CatalogueDb&, const InstallPaths&)>;
    enum class Group { Products, Company };
    struct Command {
        int id;
        const char* caption;
        Group group;
        DialogFactory open;
    };
    // Every command of the hub, in button order.
    static const QList<Command>& Commands();

    CSettingDlg(CatalogueDb& db, const InstallPaths& paths, QWidget* parent = nullptr);

    // Runs the dialog of a command modally; false for an id that is no command of the hub.
    bool RunCommand(int id);
    QPushButton* CommandButton(int id) const;

private:
    CatalogueDb& m_db;
    InstallPaths m_paths;
};
