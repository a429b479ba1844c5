#include "store/CatalogueDb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <atomic>

#include "app/MessageBox.h"
#include "store/CatalogueSchema.h"

namespace {
std::atomic<int> g_connectionCounter{0};

bool HasSqliteHeader(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return false;
    return f.read(16) == QByteArray("SQLite format 3\0", 16);
}

bool DirectoryWritable(const QString& folder) {
    // An actual probe: permission bits lie on read-only mounts and for root.
    QFile probe(QDir(folder).filePath(QStringLiteral(".vistrel-write-probe")));
    if (!probe.open(QIODevice::WriteOnly)) return false;
    probe.close();
    probe.remove();
    return true;
}

bool FileWritable(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite)) return false;
    f.close();
    return true;
}
}  // namespace

CatalogueDb::CatalogueDb()
    : m_name(QStringLiteral("catalogue-%1").arg(g_connectionCounter.fetch_add(1))) {}

CatalogueDb::~CatalogueDb() { Close(); }

QString CatalogueDb::CatalogueFile(const QString& dataFolder) {
    return QDir(dataFolder).filePath(QStringLiteral("数据.db"));
}

bool CatalogueDb::Open(const QString& file, QString* error) {
    Close();
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        Close();
        return false;
    };
    const QFileInfo info(file);
    if (!info.isFile()) return fail(QStringLiteral("no catalogue file at %1").arg(file));
    if (!HasSqliteHeader(file)) return fail(QStringLiteral("not an SQLite database: %1").arg(file));

    const bool folderWritable = DirectoryWritable(info.absolutePath());
    m_readOnly = !folderWritable || !FileWritable(file);
    // A URI name lets SQLite refuse to create a missing file; immutable=1 is for media where
    // not even a journal can be written.
    QString uri = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded);
    uri += m_readOnly ? (folderWritable ? QStringLiteral("?mode=ro")
                                        : QStringLiteral("?mode=ro&immutable=1"))
                      : QStringLiteral("?mode=rw");

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setConnectOptions(m_readOnly ? QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY")
                                    : QStringLiteral("QSQLITE_OPEN_URI"));
    db.setDatabaseName(uri);
    if (!db.open()) return fail(db.lastError().text());

    QSqlQuery q(db);
    int found = 0;
    for (const QString& table : CatalogueSchema::TableNames()) {
        q.prepare(QStringLiteral("select count(*) from sqlite_master where type='table' and name=?"));
        q.addBindValue(table);
        if (!q.exec() || !q.next()) return fail(q.lastError().text());
        found += q.value(0).toInt() > 0 ? 1 : 0;
    }
    if (found != 4) return fail(QStringLiteral("the catalogue tables are missing"));
    return true;
}

void CatalogueDb::Close() {
    if (QSqlDatabase::contains(m_name)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
}

bool CatalogueDb::IsOpen() const {
    return QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen();
}

QSqlDatabase CatalogueDb::Database() const { return QSqlDatabase::database(m_name, false); }

bool CatalogueDb::ExecuteSql(const char* sql, const QVariantList& params) {
    if (!IsOpen()) {
        ReportFailure(QStringLiteral("no open catalogue"));
        return false;
    }
    QSqlQuery q(Database());
    if (!q.prepare(QString::fromUtf8(sql))) {
        ReportFailure(q.lastError().text());
        return false;
    }
    for (const QVariant& v : params) q.addBindValue(v);
    if (!q.exec()) {
        ReportFailure(q.lastError().text());
        return false;
    }
    return true;
}

bool CatalogueDb::ExecuteAll(const QList<QPair<const char*, QVariantList>>& statements) {
    if (!IsOpen()) {
        ReportFailure(QStringLiteral("no open catalogue"));
        return false;
    }
    QSqlDatabase db = Database();
    if (!db.transaction()) {
        ReportFailure(db.lastError().text());
        return false;
    }
    for (const auto& [sql, params] : statements) {
        QSqlQuery q(db);
        bool ok = q.prepare(QString::fromUtf8(sql));
        for (const QVariant& v : params) q.addBindValue(v);
        ok = ok && q.exec();
        if (!ok) {
            const QString message = q.lastError().text();
            q.finish();
            db.rollback();
            ReportFailure(message);
            return false;
        }
    }
    if (!db.commit()) {
        const QString message = db.lastError().text();
        db.rollback();
        ReportFailure(message);
        return false;
    }
    return true;
}

void CatalogueDb::SetFailureHandler(std::function<void(const QString&)> handler) {
    m_onFailure = std::move(handler);
}

void CatalogueDb::ReportFailure(const QString& engineMessage) const {
    m_lastError = engineMessage;
    if (m_onFailure) {
        m_onFailure(engineMessage);
    } else {
        AfxMessageBox(QStringLiteral("数据库操作失败：%1").arg(engineMessage), MB_NOTICE);
    }
}

QString CatalogueDb::LikeContains(const QString& text) {
    QString escaped;
    escaped.reserve(text.size() + 8);
    for (QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}
