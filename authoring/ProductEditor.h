#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "store/CatalogueRecords.h"
#include "store/CatalogueRecordset.h"

class CatalogueDb;
class IPrompter;

// What the editor typed for one product.
struct ProductFields {
    int number = 0;
    QString className;
    QString name;
    QString typeCode;
    QString key;
    QString opath;
    QString dpath;
    QString intro;
    QString addProcess;
    QString tecReference;
};

// A model file on the editor's machine: its name without folder, and its full path.
struct ModelFile {
    QString fileName;
    QString path;
    bool operator==(const ModelFile&) const = default;
};

// The product commands without a window: the category choice, the product table of a filter,
// adding a product with its model files, and changing or deleting one. Every command writes
// its rows in one transaction, tells its result as a notice, and reports success only when a
// row was written.
class ProductEditor {
public:
    ProductEditor(CatalogueDb& db, IPrompter& prompter);

    // The categories in the table's own row order.
    QStringList Categories();
    // The products of a category by number, or all of them by category and number when the
    // filter is empty or "查看所有类别".
    QList<ProductRecord> Products(const QString& filter);

    // The files of `paths` that can be read, in order; others are left out without a word.
    static QList<ModelFile> ReadableFiles(const QStringList& paths);

    // Adds the product and, in list order, the model files not yet recorded for it (the first
    // of two files of the same name). True when written.
    bool Add(const ProductFields& product, const QList<ModelFile>& models);

    enum class Outcome {
        Written,
        Refused,  // a refusal or a No: nothing was written
        Stale,    // the row is no longer stored as the table showed it: refill the table
        Failed,   // the catalogue refused the statements; nothing was written
    };
    // Rewrites `current` (nullptr when no row is current) with `fields`; its model files follow.
    // `fields.name` and `fields.typeCode` still equal to the split of the stored name keep that
    // stored name as it was.
    Outcome Modify(const ProductRecord* current, const ProductFields& fields,
                   QString* storedName = nullptr);
    // Deletes `current` with its model files.
    Outcome Delete(const ProductRecord* current);

    static QString UnknownCategoryText() { return QStringLiteral("该类别不存在，请从列表中选择"); }
    static QString NoCategoryText() {
        return QStringLiteral("还没有产品类别，请先在“产品分类名”中添加");
    }

private:
    bool ProductExists(const QString& className, const QString& storedName);
    // True when the category is stored; otherwise tells the editor and returns false.
    bool KnownCategory(const QString& className);
    bool NamesFit(const QString& name, const QString& typeCode);

    CatalogueDb& m_db;
    IPrompter& m_prompter;
    CatalogueRecordset m_rs;
};
