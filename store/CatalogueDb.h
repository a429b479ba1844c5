#pragma once

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <functional>
#include <memory>

class QSqlError;
class QTemporaryDir;

// The one connection to the catalogue file. It never creates a missing file, opens read-only
// media read-only, and reports a failed statement (through the failure handler) instead of
// ending the program.
//
// Another program may hold the catalogue locked. A read then waits only briefly, and while the
// lock lasts further reads fail at once, so a click never freezes the window; the lock is
// reported once, not once per statement, and reads work again as soon as it is released. A
// write waits longer before it reports. A damaged catalogue is reported once per connection.
class CatalogueDb {
public:
    // How long a statement waits for another program's lock: a read, the first read after a
    // lock was met, a write (and the checks when the catalogue is opened).
    static constexpr int kReadWaitMs = 100;
    static constexpr int kLockedReadWaitMs = 0;
    static constexpr int kWriteWaitMs = 500;
    // A lock that lasts is reported again after this long (the next click, not the next query).
    static constexpr int kLockNoticeQuietMs = 3000;

    CatalogueDb();
    ~CatalogueDb();
    CatalogueDb(const CatalogueDb&) = delete;
    CatalogueDb& operator=(const CatalogueDb&) = delete;

    // The catalogue file inside a data folder.
    static QString CatalogueFile(const QString& dataFolder);

    // How a catalogue is opened: read-write; read-only (the file cannot be written but its
    // folder can, so SQLite may still keep its lock files there); or read-only and immutable
    // (read-only media: not even a journal can be written).
    enum class OpenMode { ReadWrite, ReadOnly, Immutable };
    static OpenMode ChooseOpenMode(bool folderWritable, bool fileWritable);
    // Whether a path can be written by this process (root and read-only mounts included).
    // Replaceable so that tests can simulate read-only media; null restores the real check.
    static void SetWritableProbe(std::function<bool(const QString&)> probe);
    static bool IsWritable(const QString& path);

    // Opens an existing SQLite catalogue holding the four tables. On failure returns false and
    // gives in `error` what is wrong with the file (missing, not a catalogue, which table or
    // how many columns); nothing is created or changed on disk. A read-only catalogue left with
    // an unfinished write (its journal beside it) is read from a private copy on which SQLite
    // rolls that write back, so half-written data never shows.
    bool Open(const QString& file, QString* error = nullptr);
    void Close();
    bool IsOpen() const;
    bool IsReadOnly() const { return m_mode != OpenMode::ReadWrite; }
    OpenMode Mode() const { return m_mode; }
    QSqlDatabase Database() const;

    // Runs a statement that returns no rows. A failure is reported and returns false. The
    // number of rows the statement changed goes to `rowsAffected` when given.
    bool ExecuteSql(const char* sql, const QVariantList& params = {}, int* rowsAffected = nullptr);
    // Runs several statements as one transaction: all of them, or none.
    bool ExecuteAll(const QList<QPair<const char*, QVariantList>>& statements);

    // Writes a consistent copy of the open catalogue to `file` (which must not exist yet),
    // made by SQLite itself so that it is right even while the catalogue is in use. Works on
    // a read-only catalogue too. A failure is reported and returns false.
    bool SaveCopyTo(const QString& file);

    // Reports a failed statement to the handler (the application shows it to the user); without
    // one the failure is only kept as LastError.
    void SetFailureHandler(std::function<void(const QString&)> handler);
    // What the user is told of a failed statement.
    static QString FailureText(const QString& engineMessage) {
        return QStringLiteral("数据库操作失败：%1").arg(engineMessage);
    }
    void ReportFailure(const QString& engineMessage) const;
    QString LastError() const { return m_lastError; }

    // For statements run on Database(): call BeforeRead() or BeforeWrite() first, then
    // Succeeded() or Failed() with the engine's error. Failed() reports what the user should
    // hear: a lock once while it lasts, damage once.
    void BeforeRead();
    void BeforeWrite();
    void Succeeded();
    void Failed(const QSqlError& error);

    // Binds the values to the "?" placeholders in order. A null text binds as "" (the quoted
    // literal it stands for), never as NULL, so a condition on it still matches.
    static void BindAll(QSqlQuery& query, const QVariantList& params);

    // A LIKE pattern that finds `text` anywhere, with "%", "_" and "\" matched literally
    // (for statements that declare escape '\').
    static QString LikeContains(const QString& text);

    // Whether the open catalogue has a search index this connection can use. A catalogue opened
    // read-write gets one if it had none; a read-only one without it is searched by a scan.
    bool HasSearchIndex() const { return m_searchIndex && m_useSearchIndex; }
    // Searches by the plain scan even where the index could answer (to compare the two).
    void UseSearchIndex(bool use) { m_useSearchIndex = use; }
    // The statement and values that find the products whose Key contains `text` literally,
    // every hit, in table order: through the index where it can answer (three characters or
    // more), else the plain scan. Both give the same rows.
    const char* SearchStatement(const QString& text, QVariantList* params) const;
    // The index query for `text` (a phrase, matched as a substring by the trigram index); null
    // for text of fewer than three characters, which the index cannot look up.
    static QString IndexPhrase(const QString& text);

    // Changes whenever the catalogue does, through this connection or another one; equal
    // stamps mean the rows read earlier are still what the catalogue holds. Empty when it
    // cannot be read.
    QString ChangeStamp();

private:
    bool OpenUri(const QString& file, bool readOnly, QString& why);
    // Copies the catalogue and its journal to a private folder and lets SQLite roll the
    // unfinished write back there; the copy's path, or "" with `why`.
    QString RolledBackCopy(const QString& file, QString& why);
    void SetLockWait(int ms);

    QString m_name;
    OpenMode m_mode = OpenMode::ReadWrite;
    mutable QString m_lastError;
    std::function<void(const QString&)> m_onFailure;
    std::unique_ptr<QTemporaryDir> m_rolledBack;
    int m_lockWaitMs = -1;
    bool m_locked = false;   // the last statement met another program's lock
    bool m_writing = false;  // the statement under way writes
    QElapsedTimer m_lockNoticed;
    bool m_damageReported = false;
    bool m_searchIndex = false;
    bool m_useSearchIndex = true;
};
