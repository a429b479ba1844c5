#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <vector>

class CatalogueDb;

// A window's recordset: the whole result of one select, read as text by column position.
// The result is fixed once opened, so the record count is exact.
class CatalogueRecordset {
public:
    // Reads through `db`, which the owner keeps open for the recordset's life; without one
    // every open fails with an empty result.
    explicit CatalogueRecordset(CatalogueDb* db);

    // Replaces the previous result with the rows of `sql`. A failed statement is reported and
    // leaves an empty result; returns false then.
    bool OpenRecordset(const char* sql, const QVariantList& params = {});

    // Value of the field at `position` in the current record; null and missing read as "".
    QString GetFieldString(int position) const;
    bool IsEOF() const { return m_current >= m_rows.size(); }
    void MoveNext() {
        if (!IsEOF()) ++m_current;
    }
    int GetRecordCount() const { return static_cast<int>(m_rows.size()); }

private:
    CatalogueDb* m_db;
    std::vector<QStringList> m_rows;
    size_t m_current = 0;
};
