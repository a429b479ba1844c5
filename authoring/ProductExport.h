#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class CatalogueDb;

// Writes the catalogue as a product sheet in the columns the import reads: categories in their
// order with their products by number, one product a row, a category without products as a
// row of its own. UTF-8 with a byte-order mark, so spreadsheet programs read Chinese right.
class ProductExport {
public:
    explicit ProductExport(CatalogueDb& db);

    // The header and one row per product (or empty category).
    QList<QStringList> Rows();
    // Writes the sheet to `path` whole or not at all; false with `error` in the user's words.
    bool Write(const QString& path, QString* error);
    // What the last Rows() or Write() held.
    int Products() const { return m_products; }
    int Categories() const { return m_categories; }
    // "已导出 n 个产品（m 个类别）到 …".
    QString Summary(const QString& path) const;

private:
    CatalogueDb& m_db;
    int m_products = 0;
    int m_categories = 0;
};
