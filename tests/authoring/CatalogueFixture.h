#pragma once

// An empty catalogue and a scripted prompter, without the application, with helpers that read the
// four tables back and find, fill and press a dialog's controls by id.

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "ScriptedPrompter.h"
#include "TestCatalogue.h"

struct CatalogueFixture {
    ScriptedPrompter prompter;
    TestCatalogue catalogue{&prompter};
    CatalogueDb& db = catalogue.db;
    const InstallPaths& paths = catalogue.paths;

    QStringList Rows(const QString& sql) { return catalogue.Rows(sql); }
    QStringList Tables() { return catalogue.Tables(); }
    void Exec(const QString& sql) { catalogue.Exec(sql); }

    // The texts of the notices shown since the last call, without the padding of short ones.
    QStringList TakeNotices() {
        QStringList out;
        for (const QString& n : prompter.Notices()) out << n.trimmed();
        prompter.shown.clear();
        return out;
    }
};

template <class T = QLineEdit>
T* Ctl(QWidget& dialog, const char* id) {
    return dialog.findChild<T*>(QString::fromUtf8(id));
}
inline void Press(QWidget& dialog, const char* id) {
    Ctl<QPushButton>(dialog, id)->click();
}
inline void Type(QWidget& dialog, const char* id, const QString& text) {
    Ctl(dialog, id)->setText(text);
}

// Runs `act` on the next modal dialog once it shows, then closes it.
inline void OnNextModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        act(modal);
        if (modal) modal->close();
    });
}
