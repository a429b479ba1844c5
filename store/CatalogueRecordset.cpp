#include "store/CatalogueRecordset.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "app/CCatalogueApp.h"
#include "store/CatalogueDb.h"

CatalogueRecordset::CatalogueRecordset(CatalogueDb* db) : m_db(db) {}

bool CatalogueRecordset::OpenRecordset(const char* sql, const QVariantList& params) {
    m_rows.clear();
    m_current = 0;
    CatalogueDb* db = m_db ? m_db : theApp.m_db.get();
    if (!db || !db->IsOpen()) {
        if (db) db->ReportFailure(QStringLiteral("no open catalogue"));
        return false;
    }
    QSqlQuery q(db->Database());
    q.setForwardOnly(true);
    bool ok = q.prepare(QString::fromUtf8(sql));
    for (const QVariant& v : params) q.addBindValue(v);
    ok = ok && q.exec();
    if (!ok) {
        db->ReportFailure(q.lastError().text());
        return false;
    }
    const int columns = q.record().count();
    while (q.next()) {
        QStringList row;
        row.reserve(columns);
        for (int i = 0; i < columns; ++i) {
            const QVariant v = q.value(i);
            row << (v.isNull() ? QString() : v.toString());
        }
        m_rows.push_back(std::move(row));
    }
    if (q.lastError().isValid()) {
        m_rows.clear();
        db->ReportFailure(q.lastError().text());
        return false;
    }
    return true;
}

QString CatalogueRecordset::GetFieldString(int position) const {
    if (IsEOF() || position < 0) return QString();
    const QStringList& row = m_rows[m_current];
    return position < row.size() ? row[position] : QString();
}
