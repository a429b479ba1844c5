#pragma once

#include <QString>

class QSqlDatabase;

// The four tables of a catalogue, in their fixed column order, and the writing of an empty
// catalogue file (the program itself never creates one by opening a path).
class CatalogueSchema {
public:
    static QStringList TableNames();
    // How many columns `table` has (the positions that are read run up to one less); 0 for a
    // name that is not a catalogue table.
    static int ColumnCount(const QString& table);
    // Writes a new empty catalogue with the one company row; fails when `file` exists.
    static bool CreateEmpty(const QString& file, QString* error = nullptr);

    // Whether `db` holds a complete, readable search index over the products' Key. With
    // `mayAdd` a catalogue without one (older ones, or one whose index was left half made) gets
    // it, filled from its rows, in one transaction; a failure leaves the catalogue as it was
    // and the search scans instead.
    static bool PrepareSearchIndex(const QSqlDatabase& db, bool mayAdd);
};
