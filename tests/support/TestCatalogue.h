#pragma once

#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "app/InstallPaths.h"
#include "store/CatalogueDb.h"

class IPrompter;

// An empty catalogue of its own in a temporary folder, opened without the application: what
// the editors and the editing dialogs are handed in tests. A failed statement is kept in
// `failures` and, when a prompter is given, told through it as the program tells it.
struct TestCatalogue {
    explicit TestCatalogue(IPrompter* prompter = nullptr);

    // Every row of `sql`: the given columns, or all of them, joined by "|" ("a=b" for two
    // given columns).
    QStringList Rows(const QString& sql, const QList<int>& columns = {});
    // The four tables, without their row keys, in a fixed order.
    QStringList Tables();
    void Exec(const QString& sql);
    QString Path(const QString& relative) const { return dir.filePath(relative); }
    // An empty file at `relative`, its folders made; "" when it cannot be written.
    QString Make(const QString& relative);
    // A small picture at `relative`, its folders made.
    QString Picture(const QString& relative);

    QTemporaryDir dir;
    CatalogueDb db;
    InstallPaths paths;  // of an installation in the temporary folder
    QStringList failures;
    bool ok = false;
};
