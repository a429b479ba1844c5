#include "app/CIniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include "app/GbkCodec.h"

namespace {
constexpr qint64 kMaxIniBytes = 1 << 20;  // a configuration file is small; refuse anything huge

QStringList ReadLines(const QString& path) {
    QFileInfo info(path);
    if (!info.isFile()) return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray bytes = file.read(kMaxIniBytes);
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    QString text;
    if (GbkCodec::IsValidUtf8(bytes)) {
        text = QString::fromUtf8(bytes);
    } else {
        text = GbkCodec::Decode(bytes);
        if (text.isNull()) text = QString::fromLatin1(bytes);
    }
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text.split(QLatin1Char('\n'));
}

// "[name]" with optional blanks around; returns the name or a null string.
QString SectionName(const QString& line) {
    const QString t = line.trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
        return t.mid(1, t.size() - 2).trimmed();
    return QString();
}

bool KeyMatches(const QString& line, const QString& key, QString* value) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0) return false;
    if (line.left(eq).trimmed().compare(key.trimmed(), Qt::CaseInsensitive) != 0) return false;
    if (value) {
        QString v = line.mid(eq + 1).trimmed();
        // Values quoted as a whole lose their quotes, as the classic INI reader does.
        if (v.size() >= 2 && ((v.startsWith('"') && v.endsWith('"')) ||
                              (v.startsWith('\'') && v.endsWith('\''))))
            v = v.mid(1, v.size() - 2);
        *value = v;
    }
    return true;
}
}  // namespace

int CIniFile::SetPath(const QString& path) {
    m_path = path;
    return QFileInfo(path).isFile() ? 1 : 0;
}

QString CIniFile::GetString(const QString& section, const QString& key) const {
    bool inSection = false;
    for (const QString& line : ReadLines(m_path)) {
        const QString name = SectionName(line);
        if (!name.isNull()) {
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        QString value;
        if (inSection && KeyMatches(line, key, &value)) return value;
    }
    return QStringLiteral("");
}

bool CIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    if (QFileInfo(m_path).isDir()) return false;
    QStringList lines = ReadLines(m_path);
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty()) lines.removeLast();
    const QString entry = key + QLatin1Char('=') + value;
    qsizetype sectionStart = -1;
    qsizetype insertAt = -1;
    bool done = false;
    for (qsizetype i = 0; i < lines.size() && !done; ++i) {
        const QString name = SectionName(lines[i]);
        if (!name.isNull()) {
            if (sectionStart >= 0) break;
            if (name.compare(section, Qt::CaseInsensitive) == 0) {
                sectionStart = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (sectionStart < 0) continue;
        if (KeyMatches(lines[i], key, nullptr)) {
            lines[i] = entry;
            done = true;
        } else if (!lines[i].trimmed().isEmpty()) {
            insertAt = i + 1;
        }
    }
    if (!done) {
        if (sectionStart < 0) {
            lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
        } else {
            lines.insert(insertAt, entry);
        }
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write((lines.join(QLatin1String("\r\n")) + QLatin1String("\r\n")).toUtf8());
    return file.commit();
}
