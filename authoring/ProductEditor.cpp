#include "authoring/ProductEditor.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include "app/Prompter.h"
#include "authoring/NameRules.h"
#include "store/CatalogueDb.h"
#include "store/Statements.h"

namespace {
void Notice(IPrompter& prompter, const char* text) {
    Tell(prompter, QString::fromUtf8(text));
}

const char* const kChooseCategory = "请选择零件类别";
const char* const kAllCategories = "查看所有类别";
}  // namespace

ProductEditor::ProductEditor(CatalogueDb& db, IPrompter& prompter)
    : m_db(db), m_prompter(prompter), m_rs(&db) {}

QStringList ProductEditor::Categories() {
    QStringList names;
    m_rs.OpenRecordset(Sql::SelectCategories);
    for (; !m_rs.IsEOF(); m_rs.MoveNext()) names << CategoryRecord::Read(m_rs).className;
    return names;
}

QList<ProductRecord> ProductEditor::Products(const QString& filter) {
    if (filter.isEmpty() || filter == QString::fromUtf8(kAllCategories))
        m_rs.OpenRecordset(Sql::SelectProductsByClassAndNumber);
    else
        m_rs.OpenRecordset(Sql::SelectProductsOfClassByClassAndNumber, {filter});
    QList<ProductRecord> products;
    for (; !m_rs.IsEOF(); m_rs.MoveNext()) products << ProductRecord::Read(m_rs);
    return products;
}

bool ProductEditor::ProductExists(const QString& className, const QString& storedName) {
    m_rs.OpenRecordset(Sql::SelectProductByNameAndClass, {storedName, className});
    return !m_rs.IsEOF();
}

QList<ModelFile> ProductEditor::ReadableFiles(const QStringList& paths) {
    QList<ModelFile> files;
    for (const QString& path : paths) {
        // Only regular files: opening a FIFO would wait for a writer.
        const QFileInfo info(path);
        QFile file(path);
        if (!info.isFile() || !file.open(QIODevice::ReadOnly)) continue;
        files.append({info.fileName(), path});
    }
    return files;
}

bool ProductEditor::KnownCategory(const QString& className) {
    const QStringList categories = Categories();
    if (categories.contains(className)) return true;
    // A name typed into the box would file the product where no list ever shows it.
    Tell(m_prompter, categories.isEmpty() ? NoCategoryText() : UnknownCategoryText());
    return false;
}

bool ProductEditor::NamesFit(const QString& name, const QString& typeCode) {
    return NameRules::FitsOrTell(m_prompter, name) && NameRules::FitsOrTell(m_prompter, typeCode);
}

bool ProductEditor::Add(const ProductFields& typed, const QList<ModelFile>& models) {
    ProductFields p = typed;
    p.name = NameRules::Clean(p.name);
    p.typeCode = NameRules::Clean(p.typeCode);
    if (p.className == QString::fromUtf8(kChooseCategory)) {
        Notice(m_prompter, kChooseCategory);
        return false;
    }
    if (!p.className.isEmpty() && !KnownCategory(p.className)) return false;
    if (p.className.isEmpty() || p.opath.isEmpty() || p.name.isEmpty() || p.key.isEmpty() ||
        p.typeCode.isEmpty() || p.intro.isEmpty()) {
        Notice(m_prompter, "数据未填全");
        return false;
    }
    if (!NamesFit(p.name, p.typeCode)) return false;
    const QString stored = StoredProductName::Join(p.name, p.typeCode);
    // Two products of one name would be changed and deleted together from then on.
    if (ProductExists(p.className, stored)) {
        Notice(m_prompter, "该产品已存在");
        return false;
    }
    QList<QPair<const char*, QVariantList>> statements{
        {Sql::InsertProduct,
         {p.number, p.className, stored, p.key, p.opath, p.intro, p.addProcess, p.tecReference}}};
    QSet<QString> listed;
    for (int i = 0; i < models.size(); ++i) {
        const ModelFile& file = models[i];
        if (listed.contains(file.fileName)) continue;
        listed.insert(file.fileName);
        m_rs.OpenRecordset(Sql::SelectModelFile, {p.className, stored, file.fileName});
        if (!m_rs.IsEOF()) continue;
        statements.append({Sql::InsertModel, {p.className, stored, file.fileName, i, file.path}});
    }
    if (!m_db.ExecuteAll(statements)) return false;
    Notice(m_prompter, "增加成功");
    return true;
}

ProductEditor::Outcome ProductEditor::Modify(const ProductRecord* current, const ProductFields& f,
                                             QString* storedName) {
    if (!current) {
        Notice(m_prompter, "请选择要修改的项");
        return Outcome::Refused;
    }
    const StoredProductName shown = StoredProductName::SplitAtFirst(current->productName);
    const bool unchanged = f.name == shown.name && f.typeCode == shown.typeCode;
    const QString name = NameRules::Clean(f.name);
    const QString typeCode = NameRules::Clean(f.typeCode);
    if (!unchanged && (name.isEmpty() || !NamesFit(name, typeCode))) {
        if (name.isEmpty()) Notice(m_prompter, "数据未填全");
        return Outcome::Refused;
    }
    if (f.className != current->className && !KnownCategory(f.className)) return Outcome::Refused;
    const QString stored =
        unchanged ? current->productName : StoredProductName::Join(name, typeCode);
    const bool renamed = stored != current->productName || f.className != current->className;
    if (renamed && ProductExists(f.className, stored)) {
        Notice(m_prompter, "该产品已存在");
        return Outcome::Refused;
    }
    if (!AskYesNo(m_prompter, QStringLiteral("确认要修改吗?"), MB_ICONINFORMATION))
        return Outcome::Refused;
    if (!ProductExists(current->className, current->productName)) {
        Notice(m_prompter, "修改失败");
        return Outcome::Stale;
    }
    if (!m_db.ExecuteAll(
            {{Sql::UpdateProduct,
              {f.number, stored, f.className, f.key, f.opath, f.dpath, f.intro, f.addProcess,
               f.tecReference, current->productName, current->className}},
             {Sql::MoveModelsOfProduct,
              {f.className, stored, current->productName, current->className}}}))
        return Outcome::Failed;
    if (storedName) *storedName = stored;
    Notice(m_prompter, "修改成功");
    return Outcome::Written;
}

ProductEditor::Outcome ProductEditor::Delete(const ProductRecord* current) {
    if (!current) {
        Notice(m_prompter, "请选择删除项");
        return Outcome::Refused;
    }
    if (!AskYesNo(m_prompter, QStringLiteral("确认要删除吗?"))) return Outcome::Refused;
    if (!ProductExists(current->className, current->productName)) {
        Notice(m_prompter, "删除失败");
        return Outcome::Stale;
    }
    if (!m_db.ExecuteAll(
            {{Sql::DeleteProduct, {current->productName, current->className}},
             {Sql::DeleteModelsOfProduct, {current->productName, current->className}}})) {
        Notice(m_prompter, "删除失败");
        return Outcome::Failed;
    }
    Notice(m_prompter, "删除成功");
    return Outcome::Written;
}
