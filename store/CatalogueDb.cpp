#include "store/CatalogueDb.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QUrl>
#include <atomic>

#include "store/CatalogueSchema.h"
#include "store/Statements.h"

namespace {
std::atomic<int> g_connectionCounter{0};

bool HasSqliteHeader(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return false;
    return f.read(16) == QByteArray("SQLite format 3\0", 16);
}

QString CheckTables(const QSqlDatabase& db);

// The engine's result codes that the program tells apart.
constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteNotADb = 26;

// Whether the catalogue holds a write that is not finished: a journal that SQLite must roll
// back before the file can be read, or a write-ahead log with writes the file does not have.
bool HasUnfinishedWrite(const QString& file) {
    const QString journal = file + QStringLiteral("-journal");
    const QString wal = file + QStringLiteral("-wal");
    QFile f(journal);
    char first = 0;
    // An emptied journal (a zero first byte or no bytes) holds nothing to roll back.
    if (QFileInfo(journal).isFile() && f.open(QIODevice::ReadOnly) && f.getChar(&first) &&
        first != 0)
        return true;
    return QFileInfo(wal).isFile() && QFileInfo(wal).size() > 0;
}

QString CatalogueUri(const QString& file, CatalogueDb::OpenMode mode) {
    // A URI name with mode=rw lets SQLite refuse to create a missing file.
    QString uri = QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
    switch (mode) {
        case CatalogueDb::OpenMode::ReadWrite:
            return uri + QStringLiteral("?mode=rw");
        case CatalogueDb::OpenMode::ReadOnly:
            return uri + QStringLiteral("?mode=ro");
        case CatalogueDb::OpenMode::Immutable:
            return uri + QStringLiteral("?mode=ro&immutable=1");
    }
    return uri;
}

// Opens connection `name` and checks the four tables; "" or what is wrong.
QString OpenConnection(const QString& name, const QString& file, CatalogueDb::OpenMode mode) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    QString options =
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(CatalogueDb::kWriteWaitMs);
    if (mode != CatalogueDb::OpenMode::ReadWrite)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db.setConnectOptions(options);
    db.setDatabaseName(CatalogueUri(file, mode));
    return db.open() ? CheckTables(db)
                     : QStringLiteral("cannot be opened: ") + db.lastError().text();
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
        // A catalogue locked by another program fails here, and that is what to report.
        if (!q.prepare(QStringLiteral(
                "select count(*) from sqlite_master where type='table' and name=?")))
            return q.lastError().text();
        q.addBindValue(table);
        if (!q.exec() || !q.next()) return q.lastError().text();
        if (q.value(0).toInt() == 0)
            return QStringLiteral("not a catalogue: table [%1] missing").arg(table);
        q.finish();
        // Table names are our own constants, not values.
        if (!q.prepare(QStringLiteral("select * from [%1] limit 0").arg(table)) || !q.exec())
            return q.lastError().text();
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
    QString read = info.absoluteFilePath();
    QString why;
    // Read-only, SQLite could neither roll the unfinished write back nor ignore it safely: it
    // would read half-written pages.
    if (m_mode != OpenMode::ReadWrite && HasUnfinishedWrite(read)) {
        read = RolledBackCopy(read, why);
        if (read.isEmpty()) return fail(why);
    }
    {
        const OpenMode mode = m_rolledBack ? OpenMode::Immutable : m_mode;
        why = OpenConnection(m_name, read, mode);
    }
    if (!why.isEmpty()) return fail(why);
    m_lockWaitMs = kWriteWaitMs;
    m_searchIndex = CatalogueSchema::PrepareSearchIndex(
        Database(), m_mode == OpenMode::ReadWrite && !m_rolledBack);
    return true;
}

QString CatalogueDb::RolledBackCopy(const QString& file, QString& why) {
    m_rolledBack = std::make_unique<QTemporaryDir>();
    if (!m_rolledBack->isValid()) {
        why = m_rolledBack->errorString();
        return QString();
    }
    const QString copy = m_rolledBack->filePath(QFileInfo(file).fileName());
    for (const QString& suffix : {QString(), QStringLiteral("-journal"), QStringLiteral("-wal")}) {
        if (!suffix.isEmpty() && !QFileInfo(file + suffix).isFile()) continue;
        if (!QFile::copy(file + suffix, copy + suffix) ||
            !QFile::setPermissions(copy + suffix, QFile::ReadOwner | QFile::WriteOwner)) {
            why = QStringLiteral("cannot copy %1 to roll its unfinished write back").arg(file);
            return QString();
        }
    }
    // The first read of a writable connection rolls the journal back (or takes the log in);
    // the journal is gone once that worked.
    const QString name = m_name + QStringLiteral("-rollback");
    why = OpenConnection(name, copy, OpenMode::ReadWrite);
    QSqlDatabase::removeDatabase(name);
    if (why.isEmpty() && HasUnfinishedWrite(copy))
        why = QStringLiteral("the unfinished write of %1 cannot be rolled back").arg(file);
    return why.isEmpty() ? copy : QString();
}

void CatalogueDb::Close() {
    if (QSqlDatabase::contains(m_name)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    m_rolledBack.reset();
    m_lockWaitMs = -1;
    m_locked = false;
    m_damageReported = false;
    m_searchIndex = false;
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
    BeforeWrite();
    QSqlQuery q(Database());
    bool ok = q.prepare(QString::fromUtf8(sql));
    BindAll(q, params);
    if (!ok || !q.exec()) {
        Failed(q.lastError());
        return false;
    }
    if (rowsAffected) *rowsAffected = q.numRowsAffected();
    Succeeded();
    return true;
}

bool CatalogueDb::ExecuteAll(const QList<QPair<const char*, QVariantList>>& statements) {
    if (!IsOpen()) {
        ReportFailure(QStringLiteral("未连接数据库"));
        return false;
    }
    BeforeWrite();
    QSqlDatabase db = Database();
    if (!db.transaction()) {
        Failed(db.lastError());
        return false;
    }
    for (const auto& [sql, params] : statements) {
        QSqlQuery q(db);
        bool ok = q.prepare(QString::fromUtf8(sql));
        BindAll(q, params);
        ok = ok && q.exec();
        if (!ok) {
            const QSqlError error = q.lastError();
            q.finish();
            db.rollback();
            Failed(error);
            return false;
        }
    }
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        db.rollback();
        Failed(error);
        return false;
    }
    Succeeded();
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
    BeforeWrite();
    QSqlQuery q(Database());
    bool ok = q.prepare(QStringLiteral("vacuum into ?"));
    q.addBindValue(target.absoluteFilePath());
    if (!ok || !q.exec()) {
        const QSqlError error = q.lastError();
        q.finish();
        QFile::remove(target.absoluteFilePath());  // nothing half-written is left behind
        Failed(error);
        return false;
    }
    Succeeded();
    return true;
}

void CatalogueDb::SetFailureHandler(std::function<void(const QString&)> handler) {
    m_onFailure = std::move(handler);
}

void CatalogueDb::ReportFailure(const QString& engineMessage) const {
    m_lastError = engineMessage;
    if (m_onFailure) m_onFailure(engineMessage);
}

void CatalogueDb::SetLockWait(int ms) {
    if (ms == m_lockWaitMs || !IsOpen()) return;
    // A pragma takes no bound values; the figure is one of our own constants.
    QSqlQuery q(Database());
    if (q.exec(QStringLiteral("pragma busy_timeout = %1").arg(ms))) m_lockWaitMs = ms;
}

void CatalogueDb::BeforeRead() {
    m_writing = false;
    SetLockWait(m_locked ? kLockedReadWaitMs : kReadWaitMs);
}

void CatalogueDb::BeforeWrite() {
    m_writing = true;
    SetLockWait(kWriteWaitMs);
}

void CatalogueDb::Succeeded() {
    m_locked = false;
}

void CatalogueDb::Failed(const QSqlError& error) {
    const int code = error.nativeErrorCode().toInt() & 0xff;  // the primary result code
    const QString engine = error.text();
    if (code == kSqliteBusy || code == kSqliteLocked) {
        // One notice for the reads of one click; the lock that lasts is told again later. A
        // save is always told, so that the editor knows to try again.
        const bool told = !m_writing && m_locked && m_lockNoticed.isValid() &&
                          !m_lockNoticed.hasExpired(kLockNoticeQuietMs);
        m_locked = true;
        const QString message =
            QStringLiteral("数据库正被其他程序使用，请稍后再试（%1）").arg(engine);
        if (told) {
            m_lastError = message;
            return;
        }
        ReportFailure(message);
        m_lockNoticed.start();
        return;
    }
    if (code == kSqliteCorrupt || code == kSqliteNotADb) {
        const QString message = QStringLiteral("数据库文件已损坏（%1）").arg(engine);
        if (m_damageReported) {
            m_lastError = message;
            return;
        }
        m_damageReported = true;
        ReportFailure(message);
        return;
    }
    ReportFailure(engine);
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

QString CatalogueDb::IndexPhrase(const QString& text) {
    // The trigram index counts characters, not UTF-16 units. A broken character (half of a
    // surrogate pair) would swallow the closing quote on its way to UTF-8: such text is scanned.
    if (!text.isValidUtf16() || text.toUcs4().size() < 3) return QString();
    QString phrase = text;
    phrase.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + phrase + QLatin1Char('"');
}

const char* CatalogueDb::SearchStatement(const QString& text, QVariantList* params) const {
    const QString phrase = HasSearchIndex() ? IndexPhrase(text) : QString();
    if (phrase.isNull()) {
        *params = {LikeContains(text)};
        return Sql::SearchProductsByKey;
    }
    *params = {phrase, LikeContains(text)};
    return Sql::SearchProductsByKeyIndexed;
}

QString CatalogueDb::ChangeStamp() {
    if (!IsOpen()) return QString();
    QSqlQuery q(Database());
    QString stamp;
    for (const char* sql : {Sql::ChangeCounters, Sql::DataVersion}) {
        if (!q.exec(QString::fromUtf8(sql)) || !q.next()) return QString();
        stamp += q.value(0).toString() + QLatin1Char('/');
        q.finish();
    }
    return stamp;
}
