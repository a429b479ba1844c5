#pragma once

#include <QString>

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
};
