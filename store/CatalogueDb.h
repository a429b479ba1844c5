#pragma once

#include <QSqlDatabase>
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

    // Opens an existing SQLite catalogue holding the four tables. On failure returns false and
    // gives the reason in `error`; nothing is created or changed on disk.
    bool Open(const QString& file, QString* error = nullptr);
    void Close();
    bool IsOpen() const;
    bool IsReadOnly() const { return m_readOnly; }
    QSqlDatabase Database() const;

    // Runs a statement that returns no rows. A failure is reported and returns false.
    bool ExecuteSql(const char* sql, const QVariantList& params = {});
    // Runs several statements as one transaction: all of them, or none.
    bool ExecuteAll(const QList<QPair<const char*, QVariantList>>& statements);

    // Reports a failed statement; the default shows a notice with the engine's message.
    void SetFailureHandler(std::function<void(const QString&)> handler);
    void ReportFailure(const QString& engineMessage) const;
    QString LastError() const { return m_lastError; }

    // A LIKE pattern that finds `text` anywhere, with "%", "_" and "\" matched literally
    // (for statements that declare escape '\').
    static QString LikeContains(const QString& text);

private:
    QString m_name;
    bool m_readOnly = false;
    mutable QString m_lastError;
    std::function<void(const QString&)> m_onFailure;
};
