#include "store/CatalogueRecordset.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "store/CatalogueDb.h"

CatalogueRecordset::CatalogueRecordset(CatalogueDb* db) : m_db(db) {}

bool CatalogueRecordset::OpenRecordset(const char* sql, const QVariantList& params) {
    m_rows.clear();
    m_current = 0;
    CatalogueDb* db = m_db;
    if (!db) return false;  // no connection, nothing to report it to
    if (!db->IsOpen()) {
        db->ReportFailure(QStringLiteral("未连接数据库"));
        return false;
    }
    db->BeforeRead();
    QSqlQuery q(db->Database());
    q.setForwardOnly(true);
    bool ok = q.prepare(QString::fromUtf8(sql));
    CatalogueDb::BindAll(q, params);
    ok = ok && q.exec();
    if (!ok) {
        db->Failed(q.lastError());
        return false;
    }
    const int columns = q.record().count();
    while (q.next()) {
        QStringList row;
        row.reserve(columns);
        for (int i = 0; i < columns; ++i) {
            const QVariant v = q.value(i);
            row << (v.isNull() ? QStringLiteral("") : v.toString());
        }
        m_rows.push_back(std::move(row));
    }
    if (q.lastError().isValid()) {
        m_rows.clear();
        db->Failed(q.lastError());
        return false;
    }
    db->Succeeded();
    return true;
}

QString CatalogueRecordset::GetFieldString(int position) const {
    if (IsEOF() || position < 0) return QStringLiteral("");
    const QStringList& row = m_rows[m_current];
    return position < row.size() ? row[position] : QStringLiteral("");
}
