#include "authoring/CsvSheet.h"

#include <QFile>
#include <QStringDecoder>

#include "app/GbkCodec.h"

namespace {
const QChar kQuote = QLatin1Char('"');
const QChar kCR = QLatin1Char('\r');
const QChar kLF = QLatin1Char('\n');

// Steps over one line end (CRLF, LF or CR) at `i`; false when there is none.
bool SkipLineEnd(const QString& text, qsizetype& i) {
    if (i >= text.size()) return false;
    if (text[i] == kCR) {
        ++i;
        if (i < text.size() && text[i] == kLF) ++i;
        return true;
    }
    if (text[i] == kLF) {
        ++i;
        return true;
    }
    return false;
}

enum class Step { Record, End, OpenQuote };

// Reads the record that starts at `i` on `line`; both move past it.
Step ReadRecord(const QString& text, qsizetype& i, int& line, QChar sep, QStringList& fields,
                int& quoteLine) {
    fields.clear();
    const qsizetype n = text.size();
    if (i >= n) return Step::End;
    for (;;) {
        QString field;
        if (i < n && text[i] == kQuote) {
            quoteLine = line;
            ++i;
            for (;;) {
                // Up to the next quote in one piece; line breaks in it are part of the field,
                // kept as written, and counted.
                const qsizetype quote = text.indexOf(kQuote, i);
                if (quote < 0) return Step::OpenQuote;
                const QStringView chunk = QStringView(text).mid(i, quote - i);
                for (qsizetype k = 0; k < chunk.size(); ++k)
                    if (chunk[k] == kLF ||
                        (chunk[k] == kCR && (k + 1 == chunk.size() || chunk[k + 1] != kLF)))
                        ++line;
                field += chunk;
                i = quote + 1;
                if (i < n && text[i] == kQuote) {
                    field += kQuote;
                    ++i;
                    continue;
                }
                break;
            }
        }
        // Unquoted text, or what a careless writer left after a closing quote.
        const qsizetype from = i;
        while (i < n && text[i] != sep && text[i] != kCR && text[i] != kLF) ++i;
        field += QStringView(text).mid(from, i - from);
        fields << field;
        if (i < n && text[i] == sep) {
            ++i;
            continue;
        }
        if (SkipLineEnd(text, i)) ++line;
        return Step::Record;
    }
}

bool AllEmpty(const QStringList& fields) {
    for (const QString& f : fields)
        if (!f.isEmpty()) return false;
    return true;
}
}  // namespace

QString CsvSheet::Decode(const QByteArray& bytes, Encoding* encoding) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        *encoding = Encoding::Utf8Bom;
        const QByteArray rest = bytes.mid(3);
        return GbkCodec::IsValidUtf8(rest) ? QString::fromUtf8(rest) : QString();
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        *encoding = Encoding::Utf16;
        QStringDecoder decoder(QStringConverter::Utf16);
        const QString text = decoder(bytes);
        return decoder.hasError() ? QString() : text;
    }
    if (GbkCodec::IsValidUtf8(bytes)) {
        *encoding = Encoding::Utf8;
        return bytes.isEmpty() ? QString(QLatin1String("")) : QString::fromUtf8(bytes);
    }
    *encoding = Encoding::Gbk;
    return GbkCodec::Decode(bytes);
}

bool CsvSheet::Split(const QString& text, QChar separator, QList<CsvRecord>* records,
                     int* badLine) {
    records->clear();
    qsizetype i = 0;
    int line = 1;
    int quoteLine = 0;
    for (;;) {
        CsvRecord record;
        record.line = line;
        const Step step = ReadRecord(text, i, line, separator, record.fields, quoteLine);
        if (step == Step::End) return true;
        if (step == Step::OpenQuote) {
            if (badLine) *badLine = quoteLine;
            return false;
        }
        if (!AllEmpty(record.fields)) records->append(std::move(record));
    }
}

bool CsvSheet::Parse(const QByteArray& bytes, QString* error, const QStringList& knownHeaders) {
    m_records.clear();
    const QString text = Decode(bytes, &m_encoding);
    if (text.isNull()) {
        if (error) *error = QStringLiteral("表格的文字编码无法识别（应为 UTF-8 或 GBK）");
        return false;
    }
    // The separator is the one under which the header reads best: most known column names,
    // then most columns; a comma when nothing tells them apart.
    int bestScore = -1, bestCount = 0;
    for (const QChar sep : {QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t')}) {
        qsizetype i = 0;
        int line = 1, quoteLine = 0;
        QStringList header;
        while (ReadRecord(text, i, line, sep, header, quoteLine) == Step::Record &&
               AllEmpty(header)) {
        }
        int score = 0;
        for (const QString& h : header)
            if (knownHeaders.contains(h.trimmed())) ++score;
        if (score > bestScore || (score == bestScore && header.size() > bestCount)) {
            bestScore = score;
            bestCount = static_cast<int>(header.size());
            m_separator = sep;
        }
    }
    int badLine = 0;
    if (!Split(text, m_separator, &m_records, &badLine)) {
        m_records.clear();
        if (error) *error = QStringLiteral("第 %1 行的引号没有结束").arg(badLine);
        return false;
    }
    return true;
}

bool CsvSheet::Read(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("无法读取表格：%1").arg(file.errorString());
        return false;
    }
    return Parse(file.readAll(), error);
}

QString CsvSheet::EncodingName() const {
    switch (m_encoding) {
        case Encoding::Utf8:
            return QStringLiteral("UTF-8");
        case Encoding::Utf8Bom:
            return QStringLiteral("UTF-8 (BOM)");
        case Encoding::Utf16:
            return QStringLiteral("UTF-16");
        case Encoding::Gbk:
            return QStringLiteral("GBK");
    }
    return {};
}

QString CsvSheet::SeparatorName() const {
    if (m_separator == QLatin1Char(';')) return QStringLiteral("分号");
    if (m_separator == QLatin1Char('\t')) return QStringLiteral("制表符");
    return QStringLiteral("逗号");
}

QString CsvSheet::Quote(const QString& field, QChar separator) {
    const bool needs = field.contains(separator) || field.contains(kQuote) || field.contains(kCR) ||
                       field.contains(kLF) ||
                       (!field.isEmpty() && (field.front().isSpace() || field.back().isSpace()));
    if (!needs) return field;
    QString quoted = field;
    quoted.replace(kQuote, QStringLiteral("\"\""));
    return kQuote + quoted + kQuote;
}

QByteArray CsvSheet::Write(const QList<QStringList>& rows) {
    QString text;
    for (const QStringList& row : rows) {
        for (int c = 0; c < row.size(); ++c) {
            if (c) text += QLatin1Char(',');
            text += Quote(row[c], QLatin1Char(','));
        }
        text += QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QStringList CsvSheet::SplitList(const QString& cell, bool keepEmpty) {
    QStringList values;
    if (cell.trimmed().isEmpty()) return values;
    const qsizetype n = cell.size();
    qsizetype i = 0;
    for (;;) {
        QString value;
        // Spaces after a separator are the typist's, not the value's.
        while (i < n && (cell[i] == QLatin1Char(' ') || cell[i] == QLatin1Char('\t'))) ++i;
        bool quoted = false;
        if (i < n && cell[i] == kQuote) {
            quoted = true;
            for (++i; i < n; ++i) {
                if (cell[i] != kQuote) {
                    value += cell[i];
                } else if (i + 1 < n && cell[i + 1] == kQuote) {
                    value += kQuote;
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        }
        const qsizetype from = i;
        while (i < n && cell[i] != QLatin1Char(';') && cell[i] != kCR && cell[i] != kLF) ++i;
        const QString rest = cell.mid(from, i - from);
        value += quoted ? rest : rest.trimmed();
        if (keepEmpty || !value.isEmpty()) values << value;
        if (i >= n) break;
        const bool semicolon = cell[i] == QLatin1Char(';');
        if (cell[i] == kCR && i + 1 < n && cell[i + 1] == kLF) ++i;
        ++i;
        if (i >= n) {
            // "a;" holds an empty last value; a line break at the end holds none.
            if (semicolon && keepEmpty) values << QString();
            break;
        }
    }
    return values;
}

QString CsvSheet::JoinList(const QStringList& values) {
    QStringList quoted;
    for (const QString& v : values) quoted << Quote(v, QLatin1Char(';'));
    return quoted.join(QLatin1Char(';'));
}
