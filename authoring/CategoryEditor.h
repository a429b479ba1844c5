#pragma once

#include <QString>
#include <QStringList>

#include "store/CatalogueRecordset.h"

class CatalogueDb;
class IPrompter;

// The category commands without a window: the working list of categories in display order,
// add, rename and delete with their checks, notices and confirmations, moves, and the
// renumbering that stores the order. A rename or delete reaches the products and model files
// of the category in the same transaction, so it happens whole or not at all.
class CategoryEditor {
public:
    CategoryEditor(CatalogueDb& db, IPrompter& prompter);

    // Reads the categories in stored order and renumbers them 1 … n in that order.
    void Refresh();
    // The categories in display order (what the list shows).
    const QStringList& Names() const { return m_names; }
    // The stored number of a category as text, "" when there is no such category.
    QString NumberOf(const QString& name);

    // Each command returns true when it changed the catalogue; the list is then refreshed.
    bool Add(const QString& name);
    // `selected` is the list position of the category to rename (−1 for none).
    bool Rename(int selected, const QString& newName);
    bool Delete(const QString& name);
    // The question a delete asks: what goes with the category on a second line.
    static QString DeleteQuestion(int products, int models);
    // Moves the entry at `selected` one place (step −1 up, +1 down) and stores the new order;
    // `selected` follows the entry.
    bool Move(int& selected, int step);

private:
    bool Exists(const QString& name);
    bool Renumber();

    CatalogueDb& m_db;
    IPrompter& m_prompter;
    CatalogueRecordset m_rs;
    QStringList m_names;
};
