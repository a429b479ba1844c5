#include "store/CatalogueSchema.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUuid>

#include "store/Statements.h"

namespace {
const char* const kCreate[] = {
    "create table [大类表] ([ID] integer primary key autoincrement, [Number] integer, "
    "[ClassName] text)",
    "create table [小类表] ([ID] integer primary key autoincrement, [Number] integer, "
    "[ClassName] text, [ProductName] text, [Key] text, [Opath] text, [Dpath] text, "
    "[OIntroduce] text, [OAddProcess] text, [OTecReference] text, [PIntroduce] text, "
    "[PAddProcess] text, [PTecReference] text)",
    "create table [3D模型表] ([ID] integer primary key autoincrement, [ClassName] text, "
    "[ProductName] text, [3DModel] text, [Number] integer, [Opath] text, [Dpath] text, "
    "[Note] text)",
    "create table [企业表] ([ID] integer primary key autoincrement, [Name] text, "
    "[ClassName] text, [Opath] text, [Dpath] text, [Company] text, [Web] text)",
    "create index [小类表_类] on [小类表]([ClassName], [Number])",
    "create index [3D模型表_产品] on [3D模型表]([ClassName], [ProductName])",
    "insert into [企业表]([Name], [ClassName], [Opath], [Dpath], [Company], [Web]) "
    "values ('企业', '企业', '', '', '', '')",
};
}  // namespace

QStringList CatalogueSchema::TableNames() {
    return {QStringLiteral("大类表"), QStringLiteral("小类表"), QStringLiteral("3D模型表"),
            QStringLiteral("企业表")};
}

int CatalogueSchema::ColumnCount(const QString& table) {
    if (table == QStringLiteral("大类表")) return 3;
    if (table == QStringLiteral("小类表")) return 13;
    if (table == QStringLiteral("3D模型表")) return 8;
    if (table == QStringLiteral("企业表")) return 7;
    return 0;
}

bool CatalogueSchema::CreateEmpty(const QString& file, QString* error) {
    if (QFileInfo::exists(file)) {
        if (error) *error = QStringLiteral("file exists: %1").arg(file);
        return false;
    }
    const QString name = QStringLiteral("create-") + QUuid::createUuid().toString();
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        if (!db.open()) {
            ok = false;
            if (error) *error = db.lastError().text();
        }
        if (ok) {
            db.transaction();
            QSqlQuery q(db);
            for (const char* sql : kCreate) {
                if (!q.exec(QString::fromUtf8(sql))) {
                    ok = false;
                    if (error) *error = q.lastError().text();
                    break;
                }
            }
            for (const char* sql : Sql::CreateSearchIndex) {
                if (!ok) break;
                if (!q.exec(QString::fromUtf8(sql))) {
                    ok = false;
                    if (error) *error = q.lastError().text();
                }
            }
            ok = ok ? db.commit() : (db.rollback(), false);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

namespace {
bool ExecAll(QSqlQuery& q, std::initializer_list<const char*> statements) {
    for (const char* sql : statements)
        if (!q.exec(QString::fromUtf8(sql))) return false;
    return true;
}

int ScalarInt(QSqlQuery& q, const char* sql) {
    if (!q.exec(QString::fromUtf8(sql)) || !q.next()) return -1;
    const int value = q.value(0).toInt();
    q.finish();
    return value;
}
}  // namespace

bool CatalogueSchema::PrepareSearchIndex(const QSqlDatabase& connection, bool mayAdd) {
    QSqlDatabase db = connection;
    QSqlQuery q(db);
    const int parts = ScalarInt(q, Sql::CountSearchIndexParts);
    if (parts != 4) {
        // The index names rows by number; a table whose numbers VACUUM may change keeps the scan.
        if (!mayAdd || ScalarInt(q, Sql::ProductsHaveRowidKey) != 1) return false;
        if (!db.transaction()) return false;
        const auto& drop = Sql::DropSearchIndex;
        const auto& create = Sql::CreateSearchIndex;
        const bool made =
            ExecAll(q, {drop[0], drop[1], drop[2], drop[3]}) &&
            ExecAll(q, {create[0], create[1], create[2], create[3], Sql::RebuildSearchIndex});
        q.finish();
        if (!made || !db.commit()) {
            db.rollback();
            return false;
        }
    }
    // A SQLite without FTS5 cannot read the index (and could not write the products either).
    q.prepare(QString::fromUtf8(Sql::ProbeSearchIndex));
    q.addBindValue(QStringLiteral("\"abc\""));
    const bool readable = q.exec();
    q.finish();
    return readable;
}
