#pragma once

// An installation with an empty catalogue and a scripted prompter, with helpers that read the
// four tables back and find, fill and press a dialog's controls by id.

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>
#include <functional>

#include "ScopedInstallation.h"
#include "ScriptedPrompter.h"

struct CatalogueFixture {
    ScopedInstallation installation;
    ScriptedPrompter prompter;
    CatalogueDb& db = installation.Db();
    const InstallPaths& paths = theApp.m_paths;

    // Every row of `sql` as its values joined by "|".
    QStringList Rows(const QString& sql) {
        QSqlQuery q(db.Database());
        QStringList rows;
        if (!q.exec(sql)) return {QStringLiteral("error: ") + sql};
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i) values << q.value(i).toString();
            rows << values.join(QLatin1Char('|'));
        }
        return rows;
    }
    // The four tables, without their row keys, in a fixed order.
    QStringList Tables() {
        return Rows("select Number, ClassName from [大类表] order by Number, ClassName") +
               Rows(
                   "select Number, ClassName, ProductName, Key, Opath, Dpath, OIntroduce, "
                   "OAddProcess, OTecReference from [小类表] order by ClassName, ProductName") +
               Rows(
                   "select ClassName, ProductName, [3DModel], Number, Opath, Dpath, Note "
                   "from [3D模型表] order by ClassName, ProductName, Number") +
               Rows("select * from [企业表]");
    }
    void Exec(const QString& sql) { QSqlQuery(db.Database()).exec(sql); }

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
