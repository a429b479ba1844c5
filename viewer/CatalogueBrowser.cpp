#include "viewer/CatalogueBrowser.h"

#include "store/CatalogueDb.h"
#include "store/Statements.h"

CatalogueBrowser::CatalogueBrowser(CatalogueDb& db, const InstallPaths& paths,
                                   const QString& publishState)
    : m_db(db), m_paths(paths), m_publishState(publishState), m_rs(&db) {}

QString CatalogueBrowser::CopyPath(const QString& source, const QString& published) const {
    return IsPublished() ? m_paths.ResolvePublished(published) : source;
}

QStringList CatalogueBrowser::CategoryNames() {
    // Every list of categories is followed by their counts; those read before are still right
    // while the catalogue has not changed, so a search does not count every category again.
    const QString stamp = m_db.ChangeStamp();
    if (stamp.isEmpty() || stamp != m_countsStamp) m_counts.clear();
    m_countsStamp = stamp;
    QStringList names;
    m_rs.OpenRecordset(Sql::SelectCategoriesByNumber);
    for (; !m_rs.IsEOF(); m_rs.MoveNext()) names << CategoryRecord::Read(m_rs).className;
    return names;
}

int CatalogueBrowser::ProductCount(const QString& className) {
    const auto known = m_counts.constFind(className);
    if (known != m_counts.constEnd()) return *known;
    // A failed count is not remembered.
    if (!m_rs.OpenRecordset(Sql::CountProductsOfClass, {className})) return 0;
    const int count = m_rs.IsEOF() ? 0 : m_rs.GetFieldString(0).toInt();
    if (!m_countsStamp.isEmpty()) m_counts.insert(className, count);
    return count;
}

QString CatalogueBrowser::EntryText(const QString& className, int count) {
    return className + QLatin1Char('|') + QString::number(count);
}

QString CatalogueBrowser::EntryName(const QString& entry) {
    const qsizetype bar = entry.lastIndexOf(QLatin1Char('|'));
    return bar < 0 ? QString() : entry.left(bar);
}

QList<ProductItem> CatalogueBrowser::ReadProducts() {
    QList<ProductItem> items;
    items.reserve(m_rs.GetRecordCount());
    for (; !m_rs.IsEOF(); m_rs.MoveNext()) {
        // Only the columns the list needs; the whole record is read when a product opens.
        items.append({m_rs.GetFieldString(2), m_rs.GetFieldString(3),
                      CopyPath(m_rs.GetFieldString(5), m_rs.GetFieldString(6))});
    }
    return items;
}

QList<ProductItem> CatalogueBrowser::ProductsOfCategory(const QString& className) {
    m_rs.OpenRecordset(Sql::SelectProductsOfClassByNumber, {className});
    return ReadProducts();
}

QString CatalogueBrowser::CleanSearchText(const QString& text) {
    QString cleaned = text;
    cleaned.remove(QLatin1Char('['));
    return cleaned;
}

QList<ProductItem> CatalogueBrowser::Search(const QString& text) {
    QVariantList params;
    const char* sql = m_db.SearchStatement(text, &params);
    m_rs.OpenRecordset(sql, params);
    return ReadProducts();
}

std::optional<ProductRecord> CatalogueBrowser::FindProduct(const QString& className,
                                                           const QString& productName) {
    m_rs.OpenRecordset(Sql::SelectProductByNameAndClass, {productName, className});
    if (m_rs.IsEOF()) return std::nullopt;
    return ProductRecord::Read(m_rs);
}

bool CatalogueBrowser::HasModelFiles(const QString& className, const QString& productName) {
    m_rs.OpenRecordset(Sql::SelectModelsOfProduct, {productName, className});
    return !m_rs.IsEOF();
}

std::optional<CatalogueBrowser::TabStates> CatalogueBrowser::DocumentTabs(
    const ProductRecord& product) const {
    if (m_publishState == QLatin1String("0"))
        return TabStates{!product.oAddProcess.isEmpty(), !product.oTecReference.isEmpty()};
    if (m_publishState == QLatin1String("1"))
        return TabStates{!product.pAddProcess.isEmpty(), !product.pTecReference.isEmpty()};
    return std::nullopt;
}

QString CatalogueBrowser::DocumentPath(const ProductRecord& product, int index) const {
    return CopyPath(product.DocumentPath(index, false), product.DocumentPath(index, true));
}

std::optional<CompanyRecord> CatalogueBrowser::Company() {
    m_rs.OpenRecordset(Sql::SelectCompany);
    if (m_rs.IsEOF()) return std::nullopt;
    return CompanyRecord::Read(m_rs);
}

QString CatalogueBrowser::CompanyPicturePath(const CompanyRecord& company) const {
    return CopyPath(company.opath, company.dpath);
}

QString CatalogueBrowser::DisplayName(const QString& storedName) {
    return StoredProductName::Split(storedName).name;
}
