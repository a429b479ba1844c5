#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One record of a sheet: its fields and the line of the file it starts on (1 for the first),
// so a refusal can name the line the editor sees in a text editor.
struct CsvRecord {
    int line = 0;
    QStringList fields;
};

// A comma-separated sheet as spreadsheet programs save it. Reading tells the text encoding by
// its bytes (UTF-8 with or without a byte-order mark, UTF-16 with one as "Unicode text" is
// saved, otherwise GBK), tells the separator (comma, semicolon or tab) by the header, and reads
// quoted fields with separators, doubled quotes and line breaks inside; line ends may be
// CRLF, LF or CR. Writing gives UTF-8 with a byte-order mark, commas and CRLF, quoting only
// where a field needs it.
class CsvSheet {
public:
    enum class Encoding { Utf8, Utf8Bom, Utf16, Gbk };

    // Reads a file; false with `error` (in the user's words) when it cannot be read or decoded.
    bool Read(const QString& path, QString* error);
    // Decodes and parses bytes. `knownHeaders`, when given, helps tell the separator: the one
    // under which the first record holds most of these names wins.
    bool Parse(const QByteArray& bytes, QString* error, const QStringList& knownHeaders = {});

    // Records in file order; lines holding no text at all are left out.
    const QList<CsvRecord>& Records() const { return m_records; }
    Encoding TextEncoding() const { return m_encoding; }
    QChar Separator() const { return m_separator; }
    // "UTF-8", "UTF-8 (BOM)", "UTF-16", "GBK"; and "逗号", "分号", "制表符".
    QString EncodingName() const;
    QString SeparatorName() const;

    // Decodes a sheet's bytes; a null string when they are none of the encodings.
    static QString Decode(const QByteArray& bytes, Encoding* encoding);
    // Splits text into records; false with the line of an unclosed quote.
    static bool Split(const QString& text, QChar separator, QList<CsvRecord>* records,
                      int* badLine);

    // The sheet's bytes for `rows` (the first row being the header).
    static QByteArray Write(const QList<QStringList>& rows);
    static QString Quote(const QString& field, QChar separator);

    // Several values in one cell (model files, their notes), separated by ";". A value holding
    // ";", a quote or a line break is quoted as a field is; a line break between values also
    // separates them. `keepEmpty` keeps empty values in place (notes line up with files).
    static QStringList SplitList(const QString& cell, bool keepEmpty);
    static QString JoinList(const QStringList& values);

private:
    QList<CsvRecord> m_records;
    Encoding m_encoding = Encoding::Utf8;
    QChar m_separator = QLatin1Char(',');
};
