#pragma once

#include <QString>
#include <QStringList>

#include "store/CatalogueRecordset.h"

class CatalogueDb;
class IPrompter;

// Attaching a folder (or picture) to one of a product's three documents, without any window:
// the categories, the products of the chosen category, and the save.
class ProductDocuments {
public:
    ProductDocuments(CatalogueDb& db, IPrompter& prompter);

    // The three document kinds, in the order of their columns.
    static QStringList Kinds();

    // Every category name, in table order.
    QStringList Categories();
    // Reads the products of a category and returns their display names (name without type
    // code); their stored names are kept beside them in the same order.
    QStringList ChooseCategory(const QString& className);
    const QString& ChosenCategory() const { return m_class; }
    const QStringList& StoredNames() const { return m_storedNames; }

    // Stores `path` as document `kindText` of product `productIndex` of the chosen category;
    // `categoryText` is what the category box shows. Refuses unless the box still shows the
    // category the products were read for, a product is selected, the kind is one of the
    // three and a path was picked. Shows the outcome; true when exactly one product row was
    // written.
    bool Save(const QString& path, const QString& categoryText, int productIndex,
              const QString& kindText);

private:
    CatalogueDb& m_db;
    IPrompter& m_prompter;
    CatalogueRecordset m_rs;
    QString m_class;
    QStringList m_storedNames;
};
