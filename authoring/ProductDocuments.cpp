#include "authoring/ProductDocuments.h"

#include "app/Prompter.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueRecords.h"
#include "store/Statements.h"

ProductDocuments::ProductDocuments(CatalogueDb& db, IPrompter& prompter)
    : m_db(db), m_prompter(prompter), m_rs(&db) {}

QStringList ProductDocuments::Kinds() {
    return {QStringLiteral("产品介绍"), QStringLiteral("追加加工"), QStringLiteral("技术参考")};
}

QStringList ProductDocuments::Categories() {
    QStringList names;
    m_rs.OpenRecordset(Sql::SelectCategoriesSpace);
    for (; !m_rs.IsEOF(); m_rs.MoveNext()) names << CategoryRecord::Read(m_rs).className;
    return names;
}

QStringList ProductDocuments::ChooseCategory(const QString& className) {
    m_class = className;
    m_storedNames.clear();
    QStringList shown;
    m_rs.OpenRecordset(Sql::SelectProductsOfClassDocuments, {className});
    for (; !m_rs.IsEOF(); m_rs.MoveNext()) {
        const QString stored = m_rs.GetFieldString(3);
        m_storedNames << stored;
        shown << StoredProductName::Split(stored).name;
    }
    return shown;
}

bool ProductDocuments::Save(const QString& path, const QString& categoryText, int productIndex,
                            const QString& kindText) {
    static const char* const statements[] = {Sql::SetProductIntroduce, Sql::SetProductAddProcess,
                                             Sql::SetProductTecReference};
    const int kind = Kinds().indexOf(kindText);
    if (m_class.isEmpty() || categoryText != m_class || productIndex < 0 ||
        productIndex >= m_storedNames.size() || kind < 0) {
        Tell(m_prompter, QStringLiteral("请选择产品和属性"));
        return false;
    }
    // Nothing picked is no document: an empty path would clear the column.
    if (path.trimmed().isEmpty()) {
        Tell(m_prompter, QStringLiteral("请选择文件夹路径"));
        return false;
    }
    const QString stored = m_storedNames[productIndex];
    // The product may have gone since the list was read, and two rows of one name would both
    // take the path: it must be there exactly once.
    if (!m_rs.OpenRecordset(Sql::SelectProductByClassAndName, {m_class, stored})) return false;
    if (m_rs.GetRecordCount() != 1) {
        Tell(m_prompter, m_rs.GetRecordCount() == 0 ? QStringLiteral("保存失败：该产品已不存在")
                                                    : QStringLiteral("保存失败：该产品名重复"));
        return false;
    }
    int changed = 0;
    if (!m_db.ExecuteSql(statements[kind], {path, m_class, stored}, &changed)) return false;
    if (changed != 1) {
        Tell(m_prompter, QStringLiteral("保存失败：该产品已不存在"));
        return false;
    }
    Tell(m_prompter, QStringLiteral("增加属性成功"));
    return true;
}
