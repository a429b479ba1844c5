#pragma once

#include <QString>

// Reader and writer of one INI file. Reads UTF-8 (with or without BOM) and the GBK files that
// older copies wrote, with LF or CRLF line ends; writing keeps every other line of the file.
class CIniFile {
public:
    CIniFile() = default;
    explicit CIniFile(const QString& path) { SetPath(path); }
    virtual ~CIniFile() = default;

    // Returns 1 when the file exists and is not a folder, else 0.
    int SetPath(const QString& path);
    QString Path() const { return m_path; }

    // The value of key in section, or "" when the file, section or key is missing.
    QString GetString(const QString& section, const QString& key) const;
    // Writes the value (creating the file or section when needed); false when it cannot.
    bool WriteString(const QString& section, const QString& key, const QString& value);

private:
    QString m_path;
};
