#include "authoring/ModelFiles.h"

#include <QFile>
#include <QFileInfo>

#include "app/Prompter.h"
#include "authoring/ListOrder.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueRecords.h"
#include "store/Statements.h"

ModelFiles::ModelFiles(CatalogueDb& db, IPrompter& prompter)
    : m_db(db), m_prompter(prompter), m_rs(&db) {}

QString ModelFiles::FileFilter() {
    return QStringLiteral("所有文件(*)");
}

QStringList ModelFiles::Categories() {
    QStringList names;
    m_rs.OpenRecordset(Sql::SelectCategories);
    for (; !m_rs.IsEOF(); m_rs.MoveNext()) names << CategoryRecord::Read(m_rs).className;
    return names;
}

QStringList ModelFiles::ChooseCategory(const QString& className) {
    m_class = className;
    m_storedNames.clear();
    m_product = -1;
    m_files.clear();
    QStringList shown;
    m_rs.OpenRecordset(Sql::SelectProductsOfClassModels, {className});
    for (; !m_rs.IsEOF(); m_rs.MoveNext()) {
        m_storedNames << m_rs.GetFieldString(3);
        shown << StoredProductName::Split(m_storedNames.last()).name;
    }
    if (!m_storedNames.isEmpty()) ChooseProduct(0);
    return shown;
}

QString ModelFiles::CurrentProduct() const {
    return HasProduct() ? m_storedNames[m_product] : QString();
}

void ModelFiles::ChooseProduct(int index) {
    m_files.clear();
    m_product = index >= 0 && index < m_storedNames.size() ? index : -1;
    if (!HasProduct()) return;
    m_rs.OpenRecordset(Sql::SelectModelsOfProductByNumber, {m_class, CurrentProduct()});
    for (; !m_rs.IsEOF(); m_rs.MoveNext()) m_files << m_rs.GetFieldString(3);
}

std::optional<QString> ModelFiles::Note(int index) {
    if (!HasProduct() || index < 0 || index >= m_files.size()) return std::nullopt;
    m_rs.OpenRecordset(Sql::SelectModelFileBracketed, {m_class, CurrentProduct(), m_files[index]});
    if (m_rs.IsEOF()) return std::nullopt;
    return ModelFileRecord::Read(m_rs).note;
}

QList<QPair<const char*, QVariantList>> ModelFiles::Numbering(const QStringList& files) const {
    QList<QPair<const char*, QVariantList>> statements;
    for (int i = 0; i < files.size(); ++i)
        statements.append({Sql::SetModelNumber, {i + 1, m_class, CurrentProduct(), files[i]}});
    return statements;
}

int ModelFiles::AddFiles() {
    if (!HasProduct()) {
        Tell(m_prompter, QStringLiteral("请选择产品分类和产品名称"));
        return 0;
    }
    const QStringList paths = m_prompter.OpenFiles(QStringLiteral("打开"), QString(), FileFilter());
    if (paths.isEmpty()) return 0;
    int added = 0;
    bool failed = false;
    for (const QString& path : paths) {
        // Only a regular file that opens for reading is recorded; opening a FIFO would block.
        const QFileInfo info(path);
        QFile file(path);
        if (!info.isFile() || !file.open(QIODevice::ReadOnly)) continue;
        file.close();
        const QString name = info.fileName();
        failed = !m_rs.OpenRecordset(Sql::SelectModelFile, {m_class, CurrentProduct(), name});
        if (failed) break;
        if (!m_rs.IsEOF()) {
            Tell(m_prompter, QStringLiteral("此零件名已含有此文件"));
            continue;
        }
        failed = !m_db.ExecuteSql(Sql::InsertModelShort,
                                  {m_class, CurrentProduct(), name, info.absoluteFilePath()});
        if (failed) break;
        m_files << name;
        ++added;
    }
    // Files recorded before a failure stay, numbered; success is told only when all went in.
    if (added > 0 && m_db.ExecuteAll(Numbering(m_files)) && !failed)
        Tell(m_prompter, QStringLiteral("添加成功"));
    return added;
}

int ModelFiles::Move(int index, int step) {
    QStringList moved = m_files;
    int moving = index;
    if (!MoveEntry(m_prompter, moved, moving, step)) return index;
    if (!m_db.ExecuteAll(Numbering(moved))) return index;
    m_files = moved;
    return index + step;
}

bool ModelFiles::SetNote(int index, const QString& note) {
    if (!HasProduct() || index < 0 || index >= m_files.size()) {
        Tell(m_prompter, QStringLiteral("请选中要修改的项"));
        return false;
    }
    int changed = 0;
    if (!m_db.ExecuteSql(Sql::SetModelNote, {note, m_class, CurrentProduct(), m_files[index]},
                         &changed))
        return false;
    if (changed == 0) {
        Tell(m_prompter, QStringLiteral("保存失败：该文件已不存在"));
        return false;
    }
    Tell(m_prompter, QStringLiteral("更改备注成功"));
    return true;
}

bool ModelFiles::Delete(int index) {
    if (!HasProduct() || index < 0 || index >= m_files.size()) {
        Tell(m_prompter, QStringLiteral("请选择要删除的文件"));
        return false;
    }
    if (!AskYesNo(m_prompter, QStringLiteral("确认要删除吗?"))) return false;
    // The delete and the new numbering of the files that stay, together: no holes in the order.
    QStringList rest = m_files;
    rest.removeAt(index);
    auto statements = Numbering(rest);
    statements.prepend({Sql::DeleteModelFile, {m_class, CurrentProduct(), m_files[index]}});
    if (!m_db.ExecuteAll(statements)) return false;
    m_files = rest;
    Tell(m_prompter, QStringLiteral("删除成功"));
    return true;
}
