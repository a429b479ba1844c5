#pragma once

#include <QByteArray>
#include <QString>

// Conversions to and from the Simplified Chinese code page (GBK / code page 936), which the
// program's older files use and whose byte order users expect when lists are sorted.
class GbkCodec {
public:
    static QByteArray Encode(const QString& text);
    // Decodes GBK bytes; returns a null QString when they are not valid GBK.
    static QString Decode(const QByteArray& bytes);
    // Length in bytes as GBK counts it: 1 for ASCII, 2 for any other character.
    static int ByteLength(const QString& text);
    // Strict UTF-8 validity check (no replacement characters needed).
    static bool IsValidUtf8(const QByteArray& bytes);
};
