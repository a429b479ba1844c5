#include "authoring/CategoryEditor.h"

#include "app/Prompter.h"
#include "authoring/ListOrder.h"
#include "authoring/NameRules.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueRecords.h"
#include "store/Statements.h"

namespace {
void Notice(IPrompter& prompter, const char* text) {
    Tell(prompter, QString::fromUtf8(text));
}
}  // namespace

CategoryEditor::CategoryEditor(CatalogueDb& db, IPrompter& prompter)
    : m_db(db), m_prompter(prompter), m_rs(&db) {}

void CategoryEditor::Refresh() {
    m_names.clear();
    m_rs.OpenRecordset(Sql::SelectCategoriesByNumberBracketed);
    for (; !m_rs.IsEOF(); m_rs.MoveNext()) m_names << CategoryRecord::Read(m_rs).className;
    Renumber();
}

bool CategoryEditor::Renumber() {
    QList<QPair<const char*, QVariantList>> statements;
    for (int i = 0; i < m_names.size(); ++i)
        statements.append({Sql::SetCategoryNumber, {i + 1, m_names[i]}});
    return statements.isEmpty() || m_db.ExecuteAll(statements);
}

QString CategoryEditor::NumberOf(const QString& name) {
    m_rs.OpenRecordset(Sql::SelectCategoryNumber, {name});
    return m_rs.GetRecordCount() != 0 ? m_rs.GetFieldString(0) : QString();
}

bool CategoryEditor::Exists(const QString& name) {
    // Compared exactly as stored: case and width count.
    m_rs.OpenRecordset(Sql::SelectCategories);
    for (; !m_rs.IsEOF(); m_rs.MoveNext())
        if (CategoryRecord::Read(m_rs).className == name) return true;
    return false;
}

bool CategoryEditor::Add(const QString& typed) {
    const QString name = NameRules::Clean(typed);
    if (!NameRules::FitsOrTell(m_prompter, name)) return false;
    if (Exists(name)) {
        Notice(m_prompter, "该类名已存在");
        return false;
    }
    if (name.isEmpty()) {
        Notice(m_prompter, "数据不能为空");
        return false;
    }
    if (!m_db.ExecuteSql(Sql::InsertCategory, {name})) return false;
    Notice(m_prompter, "增加成功");
    Refresh();
    return true;
}

bool CategoryEditor::Rename(int selected, const QString& typed) {
    const QString newName = NameRules::Clean(typed);
    if (!NameRules::FitsOrTell(m_prompter, newName)) return false;
    if (Exists(newName)) {
        Notice(m_prompter, "该类名已存在");
        return false;
    }
    if (newName.isEmpty() || selected < 0 || selected >= m_names.size()) {
        Notice(m_prompter, "请选择要修改的记录");
        return false;
    }
    if (!AskYesNo(m_prompter, QStringLiteral("确认要修改吗?"))) return false;
    const QString oldName = m_names[selected];
    if (!m_db.ExecuteAll({{Sql::RenameCategory, {newName, oldName}},
                          {Sql::RenameProductsClass, {newName, oldName}},
                          {Sql::RenameModelsClass, {newName, oldName}}}))
        return false;
    Notice(m_prompter, "修改成功");
    Refresh();
    return true;
}

bool CategoryEditor::Delete(const QString& name) {
    if (name.isEmpty()) {
        Notice(m_prompter, "请选择要删除的记录");
        return false;
    }
    m_rs.OpenRecordset(Sql::SelectCategoryByName, {name});
    if (m_rs.IsEOF()) {
        Notice(m_prompter, "没有要删除的记录");
        return false;
    }
    // The editor is told what goes with the category before answering.
    const auto count = [this, &name](const char* sql) {
        m_rs.OpenRecordset(sql, {name});
        return m_rs.IsEOF() ? 0 : m_rs.GetFieldString(0).toInt();
    };
    const int products = count(Sql::CountProductsOfClass);
    const int models = count(Sql::CountModelsOfClass);
    if (!AskYesNo(m_prompter, DeleteQuestion(products, models))) return false;
    // Picture and model files on disk stay where they are; only the rows go.
    if (!m_db.ExecuteAll({{Sql::DeleteCategory, {name}},
                          {Sql::DeleteProductsOfClass, {name}},
                          {Sql::DeleteModelsOfClass, {name}}})) {
        Notice(m_prompter, "删除失败");
        return false;
    }
    Notice(m_prompter, "删除成功");
    Refresh();
    return true;
}

bool CategoryEditor::Move(int& selected, int step) {
    const int from = selected;
    if (!MoveEntry(m_prompter, m_names, selected, step)) return false;
    if (Renumber()) return true;
    // The stored order stands, so the list shows it again.
    m_names.move(selected, from);
    selected = from;
    return false;
}

QString CategoryEditor::DeleteQuestion(int products, int models) {
    return QStringLiteral("确认要删除吗?\n将一并删除 %1 个产品和 %2 个模型文件。")
        .arg(products)
        .arg(models);
}
