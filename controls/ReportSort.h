#pragma once

#include <QByteArray>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// How the report list orders the cells of a column. Each pair of cells is compared by the first
// rule that fits both: whole-text base-16 numbers, decimal numbers (optionally with one trailing
// "%"), dates and times, and finally text in GBK byte order (which puts common Chinese words in
// pinyin order). The rules are pairwise, so the order they give is not always transitive; the
// sort below stays in range and terminates whatever the comparisons say.
class ReportSort {
public:
    // What a cell can be read as, worked out once per cell before sorting.
    struct CellKey {
        bool isHex = false;
        quint32 hex = 0;
        bool isNumber = false;
        double number = 0;
        bool isDate = false;
        qint64 dateMs = 0;  // milliseconds since the epoch, zone-free
        QByteArray gbk;     // the text in GBK bytes
        QString text;       // the text itself, to tell apart texts GBK cannot
    };

    explicit ReportSort(const QLocale& locale = QLocale::system());

    CellKey MakeKey(const QString& text) const;
    // Negative, zero or positive, like strcmp.
    static int Compare(const CellKey& a, const CellKey& b);
    int CompareTexts(const QString& a, const QString& b) const;

    // The row indices 0 … n−1 of the texts in sorted order. Rows whose cells compare equal keep
    // their relative order in either direction.
    QList<int> Order(const QStringList& texts, bool ascending) const;

    // The single readings, exposed for the owner and for tests.
    // Whole text as an unsigned 32-bit base-16 number (leading blanks, "+" and a "0x" prefix
    // allowed). Negative and out-of-range values are not taken, so they sort as decimals or text.
    static bool ParseHex(const QString& text, quint32* value);
    // Whole text as a decimal number (C notation, locale-independent), or such a number followed
    // by exactly one "%". NaN is never a number.
    static bool ParseNumber(const QString& text, double* value);
    // ISO dates (2024-05-01, 2024/5/1, 2024-05-01T08:30), the locale's short and long dates,
    // "2024年5月1日", each with an optional time; or a time alone. Milliseconds since the epoch.
    bool ParseDateTime(const QString& text, qint64* msecs) const;

private:
    QLocale m_locale;
    QStringList m_dateFormats;
    QStringList m_timeFormats;
    QString m_dateChars;  // every character the locale's date and time forms can produce
};
