#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "app/InstallPaths.h"
#include "store/CatalogueRecords.h"
#include "store/CatalogueRecordset.h"

class CatalogueDb;

// What the content area of the main window shows.
enum ViewMode { VIEW_PRODUCTS = 0, VIEW_SEARCH = 1, VIEW_COMPANY = 2 };

// The placeholder of the search box.
inline const QString SEARCH_HINT = QStringLiteral("输入类型码搜索");

// One product as the thumbnail list shows it.
struct ProductItem {
    QString className;
    QString productName;  // stored name: name@typecode
    QString picturePath;  // the file of this copy (source path, or resolved published path)
};

// The catalogue reads of the viewer, without any window: categories with their counts, the
// products of a category, the search, a product's documents and the company row. Paths come
// back ready to open for the copy's state (authoring: as stored; published: under picFolder).
class CatalogueBrowser {
public:
    CatalogueBrowser(CatalogueDb& db, const InstallPaths& paths, const QString& publishState);

    const QString& PublishState() const { return m_publishState; }
    bool IsPublished() const { return InstallPaths::IsPublishedState(m_publishState); }

    // A path of this copy: the published value resolved under picFolder in a published copy,
    // otherwise the source value as stored.
    QString CopyPath(const QString& source, const QString& published) const;

    // Category names in display order.
    QStringList CategoryNames();
    // Products of a category. Counts are remembered until the catalogue changes, which the
    // next CategoryNames() notices.
    int ProductCount(const QString& className);
    // "name|count", the text of one category entry.
    static QString EntryText(const QString& className, int count);
    // The category name of an entry text: everything before the last "|" (empty without one).
    static QString EntryName(const QString& entry);

    // Products of a category in display order.
    QList<ProductItem> ProductsOfCategory(const QString& className);
    // Products whose Key contains `text` literally ("%" and "_" match themselves), every hit.
    QList<ProductItem> Search(const QString& text);
    // The search text as it is looked up: every "[" removed.
    static QString CleanSearchText(const QString& text);

    // The product row for the document view (looked up by product and category).
    std::optional<ProductRecord> FindProduct(const QString& className, const QString& productName);
    bool HasModelFiles(const QString& className, const QString& productName);

    // Which of tabs 1 and 2 are enabled for a product; nothing when the copy's state is neither
    // "0" nor "1" (the tabs then keep their states).
    struct TabStates {
        bool addProcess = true;
        bool tecReference = true;
    };
    std::optional<TabStates> DocumentTabs(const ProductRecord& product) const;
    // The file or folder of document `index` (0..2) of a product in this copy.
    QString DocumentPath(const ProductRecord& product, int index) const;

    std::optional<CompanyRecord> Company();
    QString CompanyPicturePath(const CompanyRecord& company) const;

    // The display name of a stored product name: up to its last "@".
    static QString DisplayName(const QString& storedName);

private:
    QList<ProductItem> ReadProducts();

    CatalogueDb& m_db;
    InstallPaths m_paths;
    QString m_publishState;
    CatalogueRecordset m_rs;
    QHash<QString, int> m_counts;
    QString m_countsStamp;  // the catalogue's change stamp when m_counts was started
};
