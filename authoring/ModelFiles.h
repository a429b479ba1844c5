#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "store/CatalogueRecordset.h"

class CatalogueDb;
class IPrompter;

// The 3D-model files of one product, without any window: choosing the category and product,
// adding files, moving them, their notes and deleting them. The files of the current product
// are kept in their stored order and numbered 1 … n after every change.
class ModelFiles {
public:
    ModelFiles(CatalogueDb& db, IPrompter& prompter);

    // Every category name, in table order.
    QStringList Categories();
    // Reads the products of a category and returns their display names (empty when it has
    // none); the first product becomes current when there is one.
    QStringList ChooseCategory(const QString& className);
    // Makes product `index` of the category current and reads its files.
    void ChooseProduct(int index);
    bool HasProduct() const { return m_product >= 0; }
    const QString& CurrentClass() const { return m_class; }
    QString CurrentProduct() const;  // stored name, "" when none
    // File names of the current product in display order.
    const QStringList& Files() const { return m_files; }

    // The note of file `index`, nothing when its row is not found.
    std::optional<QString> Note(int index);

    // Asks for files and records those not yet recorded for the product, in the order chosen.
    // Returns how many were added.
    int AddFiles();
    // Moves file `index` one place up (step -1) or down (+1); returns its new index, or
    // `index` when it can't move.
    int Move(int index, int step);
    bool SetNote(int index, const QString& note);
    bool Delete(int index);

    // The chooser filter: every file, with or without an extension.
    static QString FileFilter();

private:
    // The statements that give the files `files` the numbers 1 … n.
    QList<QPair<const char*, QVariantList>> Numbering(const QStringList& files) const;

    CatalogueDb& m_db;
    IPrompter& m_prompter;
    CatalogueRecordset m_rs;
    QString m_class;
    QStringList m_storedNames;
    int m_product = -1;
    QStringList m_files;
};
