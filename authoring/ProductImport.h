#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "store/CatalogueRecords.h"

class CatalogueDb;

// The columns of a product sheet, in the order an export writes them.
namespace ProductSheet {
enum Column {
    kCategory,
    kName,
    kTypeCode,
    kKey,
    kPicture,
    kIntroduce,
    kAddProcess,
    kTecReference,
    kModels,
    kNotes,
    kColumnCount
};
// "类别", "产品名称", "型号", "关键字", "产品图片", "产品介绍", "追加加工", "技术参考",
// "3D模型", "备注".
const QStringList& Headers();
}  // namespace ProductSheet

// What the import will do with one record of the sheet.
struct ImportRow {
    enum class Action { Add, Update, Refuse, Category };
    int line = 0;
    Action action = Action::Refuse;
    QString reason;                 // why a row is refused
    ProductRecord product;          // stored name, source paths; number and Dpath kept on update
    QList<ModelFileRecord> models;  // the files to record, numbered; notes from 备注
    QList<ModelFileRecord> notes;   // update: recorded files whose note the sheet sets
    QString Shown() const;          // "name@code" as the editor reads it, or the category
};

// The preview: everything the import would write, and what it refuses with the reasons.
struct ImportPlan {
    QString sheet;
    QString error;  // the sheet as a whole cannot be imported; nothing else holds then
    QString encoding, separator;
    QStringList unknownColumns;
    QStringList newCategories;  // in sheet order, to go after the existing ones
    QList<ImportRow> rows;

    int Count(ImportRow::Action action) const;
    // Something to write: products, or categories of their own.
    bool HasWrites() const;
    // One line: how many products are added, updated and refused.
    QString Summary() const;
    // The whole report: summary, the sheet's form, new categories, unknown columns, and one
    // line per refused row with its line number and reason.
    QStringList Report() const;
};

// Imports products from a sheet into the catalogue with the add-product rules: a missing
// category is created after the existing ones; a product already stored is refused, or
// updated when the editor says so; a row without its required fields or with a missing or
// unreadable picture or model file is refused. Nothing is written by the preview; the write
// goes in one transaction, with progress, and leaves the catalogue as it was when it fails
// or is cancelled.
class ProductImport {
public:
    explicit ProductImport(CatalogueDb& db);

    ImportPlan Preview(const QString& sheetPath, bool updateExisting);
    // The same for a sheet's bytes; relative paths are taken from `sheetFolder`.
    ImportPlan PreviewBytes(const QByteArray& bytes, const QString& sheetFolder,
                            bool updateExisting);

    enum class Outcome { Written, Cancelled, Failed };
    // `progress(done, total)` is called on the way; returning false cancels.
    using Progress = std::function<bool(int done, int total)>;
    Outcome Write(const ImportPlan& plan, const Progress& progress = {});
    // The user's words for the last Failed or Cancelled.
    QString LastError() const { return m_error; }

private:
    CatalogueDb& m_db;
    QString m_error;
};
