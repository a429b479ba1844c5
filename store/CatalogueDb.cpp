#include "store/CatalogueDb.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <atomic>

#include "store/CatalogueSchema.h"

namespace {
std::atomic<int> g_connectionCounter{0};

bool HasSqliteHeader(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return false;
    return f.read(16) == QByteArray("SQLite format 3\0", 16);
}

std::function<bool(const QString&)>& WritableProbe() {
    static std::function<bool(const QString&)> probe;
    return probe;
}
// The four tables, each with at least the columns that are read by position; "" when they are
// all there, else what is wrong.
QString CheckTables(const QSqlDatabase& db) {
    QSqlQuery q(db);
    for (const QString& table : CatalogueSchema::TableNames()) {
        q.prepare(
            QStringLiteral("select count(*) from sqlite_master where type='table' and name=?"));
        q.addBindValue(table);
        if (!q.exec() || !q.next()) return q.lastError().text();
        if (q.value(0).toInt() == 0)
            return QStringLiteral("not a catalogue: table [%1] missing").arg(table);
        q.finish();
        // Table names are our own constants, not values.
        q.prepare(QStringLiteral("select * from [%1] limit 0").arg(table));
        if (!q.exec()) return q.lastError().text();
        const int columns = q.record().count();
        q.finish();
        if (columns < CatalogueSchema::ColumnCount(table))
            return QStringLiteral("not a catalogue: table [%1] has %2 of its %3 columns")
                .arg(table)
                .arg(columns)
                .arg(CatalogueSchema::ColumnCount(table));
    }
    return QString();
}
}  // namespace

CatalogueDb::CatalogueDb()
    : m_name(QStringLiteral("catalogue-%1").arg(g_connectionCounter.fetch_add(1))) {}

CatalogueDb::~CatalogueDb() {
    Close();
}

QString CatalogueDb::CatalogueFile(const QString& dataFolder) {
    return QDir(dataFolder).filePath(QStringLiteral("数据.db"));
}

CatalogueDb::OpenMode CatalogueDb::ChooseOpenMode(bool folderWritable, bool fileWritable) {
    if (!folderWritable) return OpenMode::Immutable;
    return fileWritable ? OpenMode::ReadWrite : OpenMode::ReadOnly;
}

void CatalogueDb::SetWritableProbe(std::function<bool(const QString&)> probe) {
    WritableProbe() = std::move(probe);
}

bool CatalogueDb::IsWritable(const QString& path) {
    if (const auto& probe = WritableProbe()) return probe(path);
    // access() asks the kernel, which knows about read-only mounts and about root; permission
    // bits alone know neither.
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

bool CatalogueDb::Open(const QString& file, QString* error) {
    Close();
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        Close();
        return false;
    };
    const QFileInfo info(file);
    if (!info.exists()) return fail(QStringLiteral("missing"));
    if (!info.isFile()) return fail(QStringLiteral("not a file"));
    if (!HasSqliteHeader(file)) return fail(QStringLiteral("not a catalogue (no SQLite database)"));

    m_mode = ChooseOpenMode(IsWritable(info.absolutePath()), IsWritable(info.absoluteFilePath()));
    // A URI name with mode=rw lets SQLite refuse to create a missing file.
    QString uri = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded);
    switch (m_mode) {
        case OpenMode::ReadWrite:
            uri += QStringLiteral("?mode=rw");
            break;
        case OpenMode::ReadOnly:
            uri += QStringLiteral("?mode=ro");
            break;
        case OpenMode::Immutable:
            uri += QStringLiteral("?mode=ro&immutable=1");
            break;
    }

    QString why;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setConnectOptions(IsReadOnly() ? QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY")
                                          : QStringLiteral("QSQLITE_OPEN_URI"));
        db.setDatabaseName(uri);
        why = db.open() ? CheckTables(db)
                        : QStringLiteral("cannot be opened: ") + db.lastError().text();
    }
    if (!why.isEmpty()) return fail(why);
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

QSqlDatabase CatalogueDb::Database() const {
    return QSqlDatabase::database(m_name, false);
}

bool CatalogueDb::ExecuteSql(const char* sql, const QVariantList& params, int* rowsAffected) {
    if (rowsAffected) *rowsAffected = 0;
    if (!IsOpen()) {
        ReportFailure(QStringLiteral("未连接数据库"));
        return false;
    }
    QSqlQuery q(Database());
    if (!q.prepare(QString::fromUtf8(sql))) {
        ReportFailure(q.lastError().text());
        return false;
    }
    BindAll(q, params);
    if (!q.exec()) {
        ReportFailure(q.lastError().text());
        return false;
    }
    if (rowsAffected) *rowsAffected = q.numRowsAffected();
    return true;
}

bool CatalogueDb::ExecuteAll(const QList<QPair<const char*, QVariantList>>& statements) {
    if (!IsOpen()) {
        ReportFailure(QStringLiteral("未连接数据库"));
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
        BindAll(q, params);
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

bool CatalogueDb::SaveCopyTo(const QString& file) {
    if (!IsOpen()) {
        ReportFailure(QStringLiteral("未连接数据库"));
        return false;
    }
    const QFileInfo target(file);
    if (target.exists()) {
        ReportFailure(QStringLiteral("%1 already exists").arg(file));
        return false;
    }
    // An absolute path never reads as a "file:" URI, which the connection would accept.
    QSqlQuery q(Database());
    if (!q.prepare(QStringLiteral("vacuum into ?"))) {
        ReportFailure(q.lastError().text());
        return false;
    }
    q.addBindValue(target.absoluteFilePath());
    if (!q.exec()) {
        const QString message = q.lastError().text();
        q.finish();
        QFile::remove(target.absoluteFilePath());  // nothing half-written is left behind
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
    if (m_onFailure) m_onFailure(engineMessage);
}

void CatalogueDb::BindAll(QSqlQuery& query, const QVariantList& params) {
    for (const QVariant& v : params) {
        if (v.typeId() == QMetaType::QString && v.toString().isNull()) {
            query.addBindValue(QStringLiteral(""));
        } else {
            query.addBindValue(v);
        }
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
