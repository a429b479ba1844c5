#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <functional>

// The one connection to the catalogue file. It never creates a missing file, opens read-only
// media read-only, and reports a failed statement (through the failure handler) instead of
// ending the program.
class CatalogueDb {
public:
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
    // how many columns); nothing is created or changed on disk.
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
    void ReportFailure(const QString& engineMessage) const;
    QString LastError() const { return m_lastError; }

    // Binds the values to the "?" placeholders in order. A null text binds as "" (the quoted
    // literal it stands for), never as NULL, so a condition on it still matches.
    static void BindAll(QSqlQuery& query, const QVariantList& params);

    // A LIKE pattern that finds `text` anywhere, with "%", "_" and "\" matched literally
    // (for statements that declare escape '\').
    static QString LikeContains(const QString& text);

private:
    QString m_name;
    OpenMode m_mode = OpenMode::ReadWrite;
    mutable QString m_lastError;
    std::function<void(const QString&)> m_onFailure;
};
