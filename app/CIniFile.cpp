#include "app/CIniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>

#include "app/GbkCodec.h"

namespace {
constexpr qint64 kMaxIniBytes = 1 << 20;  // a configuration file is small; refuse anything huge

QString DecodeIniBytes(QByteArray bytes) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        // Notepad's "Unicode" files; the classic INI reader accepts them too.
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                          : QStringDecoder::Utf16BE);
        return utf16.decode(QByteArrayView(bytes).sliced(2));
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    if (GbkCodec::IsValidUtf8(bytes)) return QString::fromUtf8(bytes);
    const QString gbk = GbkCodec::Decode(bytes);
    return gbk.isNull() ? QString::fromLatin1(bytes) : gbk;
}

QStringList ReadLines(const QString& path) {
    QFileInfo info(path);
    if (!info.isFile()) return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QString text = DecodeIniBytes(file.read(kMaxIniBytes));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text.split(QLatin1Char('\n'));
}

// "[name]" with optional blanks around and anything after the closing bracket (a comment).
bool IsSection(const QString& line, QString* name) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('['))) return false;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0) return false;
    *name = t.mid(1, close - 1).trimmed();
    return true;
}

bool KeyMatches(const QString& line, const QString& key, QString* value) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0) return false;
    if (line.left(eq).trimmed().compare(key.trimmed(), Qt::CaseInsensitive) != 0) return false;
    if (value) {
        QString v = line.mid(eq + 1).trimmed();
        // Values quoted as a whole lose their quotes, as the classic INI reader does.
        if (v.size() >= 2 &&
            ((v.startsWith('"') && v.endsWith('"')) || (v.startsWith('\'') && v.endsWith('\''))))
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
        QString name;
        if (IsSection(line, &name)) {
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
    // A line break in the value would start a line of its own (another key, another section).
    QString flat = value;
    flat.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString entry = key + QLatin1Char('=') + flat;
    qsizetype sectionStart = -1;
    qsizetype insertAt = -1;
    bool done = false;
    for (qsizetype i = 0; i < lines.size() && !done; ++i) {
        QString name;
        if (IsSection(lines[i], &name)) {
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
