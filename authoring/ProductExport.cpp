#include "authoring/ProductExport.h"

#include <QDir>
#include <QHash>
#include <QSaveFile>
#include <algorithm>

#include "authoring/CsvSheet.h"
#include "authoring/ProductImport.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueRecords.h"
#include "store/CatalogueRecordset.h"
#include "store/Statements.h"

ProductExport::ProductExport(CatalogueDb& db) : m_db(db) {}

QList<QStringList> ProductExport::Rows() {
    using namespace ProductSheet;
    m_products = m_categories = 0;
    QList<QStringList> rows{Headers()};
    CatalogueRecordset rs(&m_db);

    QHash<QPair<QString, QString>, QList<ModelFileRecord>> models;
    rs.OpenRecordset(Sql::SelectAllModels);
    for (; !rs.IsEOF(); rs.MoveNext()) {
        const ModelFileRecord m = ModelFileRecord::Read(rs);
        models[{m.className, m.productName}].append(m);
    }
    QStringList order;
    rs.OpenRecordset(Sql::SelectCategoriesByNumberBracketed);
    for (; !rs.IsEOF(); rs.MoveNext()) order << CategoryRecord::Read(rs).className;
    // Products whose category row is gone still go out, after the others; the import then
    // makes their category again.
    QHash<QString, QList<ProductRecord>> byClass;
    QStringList orphans;
    rs.OpenRecordset(Sql::SelectProductsByClassAndNumber);
    for (; !rs.IsEOF(); rs.MoveNext()) {
        const ProductRecord p = ProductRecord::Read(rs);
        if (!order.contains(p.className) && !orphans.contains(p.className)) orphans << p.className;
        byClass[p.className].append(p);
    }
    order += orphans;

    for (const QString& cls : order) {
        ++m_categories;
        QList<ProductRecord> products = byClass.value(cls);
        std::stable_sort(products.begin(), products.end(),
                         [](const ProductRecord& a, const ProductRecord& b) {
                             return a.number.toLongLong() < b.number.toLongLong();
                         });
        if (products.isEmpty()) {
            QStringList row(kColumnCount);
            row[kCategory] = cls;
            rows << row;
            continue;
        }
        for (const ProductRecord& p : products) {
            ++m_products;
            QList<ModelFileRecord> files = models.value({p.className, p.productName});
            std::stable_sort(files.begin(), files.end(),
                             [](const ModelFileRecord& a, const ModelFileRecord& b) {
                                 return a.number.toLongLong() < b.number.toLongLong();
                             });
            QStringList paths, notes;
            bool anyNote = false;
            for (const ModelFileRecord& m : files) {
                paths << m.opath;
                notes << m.note;
                anyNote = anyNote || !m.note.isEmpty();
            }
            const StoredProductName split = StoredProductName::Split(p.productName);
            QStringList row(kColumnCount);
            row[kCategory] = p.className;
            row[kName] = split.name;
            row[kTypeCode] = split.typeCode;
            row[kKey] = p.key;
            row[kPicture] = p.opath;
            row[kIntroduce] = p.oIntroduce;
            row[kAddProcess] = p.oAddProcess;
            row[kTecReference] = p.oTecReference;
            row[kModels] = CsvSheet::JoinList(paths);
            row[kNotes] = anyNote ? CsvSheet::JoinList(notes) : QString();
            rows << row;
        }
    }
    return rows;
}

bool ProductExport::Write(const QString& path, QString* error) {
    const QByteArray bytes = CsvSheet::Write(Rows());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error) *error = QStringLiteral("无法写入表格：%1").arg(file.errorString());
        return false;
    }
    return true;
}

QString ProductExport::Summary(const QString& path) const {
    return QStringLiteral("已导出 %1 个产品（%2 个类别）到 %3")
        .arg(m_products)
        .arg(m_categories)
        .arg(QDir::toNativeSeparators(path));
}
