#include "authoring/CompanyInfo.h"

#include "app/Prompter.h"
#include "authoring/FileChoice.h"
#include "store/CatalogueDb.h"
#include "store/Statements.h"

CompanyInfo::CompanyInfo(CatalogueDb& db, IPrompter& prompter)
    : m_db(db), m_prompter(prompter), m_rs(&db) {}

QList<CompanyRecord> CompanyInfo::Rows() {
    QList<CompanyRecord> rows;
    m_rs.OpenRecordset(Sql::SelectCompanySpace);
    for (; !m_rs.IsEOF(); m_rs.MoveNext()) rows << CompanyRecord::Read(m_rs);
    return rows;
}

bool CompanyInfo::Save(const char* update, const QString& picture, const QString& information,
                       const QString& web) {
    if (!m_rs.OpenRecordset(Sql::SelectCompanySpace)) return false;
    // An update of an empty table changes nothing; the viewer and publishing need the row.
    if (m_rs.IsEOF())
        return m_db.ExecuteSql(Sql::InsertCompany,
                               {QStringLiteral("企业"), picture, information, web});
    return m_db.ExecuteSql(update, {picture, information, web});
}

bool CompanyInfo::Modify(bool rowSelected, const QString& picture, const QString& information,
                         const QString& web) {
    if (!rowSelected && !Rows().isEmpty()) {
        Tell(m_prompter, QStringLiteral("请选择要修改的项"));
        return false;
    }
    if (!AskYesNo(m_prompter, QStringLiteral("确认要修改吗?"))) return false;
    if (!Save(Sql::UpdateCompanyAlt, picture, information, web)) return false;
    Tell(m_prompter, QStringLiteral("修改成功"));
    return true;
}

bool CompanyInfo::Store(const QString& picture, const QString& information, const QString& web) {
    if (!Save(Sql::UpdateCompany, picture, information, web)) return false;
    Tell(m_prompter, QStringLiteral("增加成功"));
    return true;
}

QString CompanyInfo::ChoosePicture(bool bitmapsToo) {
    const QString filter =
        bitmapsToo
            ? QStringLiteral(
                  "JPG(*.jpg)|*.jpg|位图文件(*.bmp)|*.bmp|图片文件(*.jpg;*.bmp)|*.jpg;*.bmp||")
            : QStringLiteral("JPG(*.jpg)|*.jpg|图片文件(*.jpg)|*.jpg||");
    return FileChoice::Picture(m_prompter, QString(), QString(), filter);
}
