#include "controls/ReportSort.h"

#include <locale.h>

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTime>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/GbkCodec.h"

namespace {

bool IsCSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

// The C locale, so that a decimal point is always "." whatever the user's locale says.
locale_t CLocale() {
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

// Times stand alone on the day dates count from in the older list controls.
const QDate kTimeOnlyDay(1899, 12, 30);

qint64 ToMsecs(const QDate& date, const QTime& time) {
    return QDateTime(date, time, Qt::UTC).toMSecsSinceEpoch();
}

bool NumericDateTime(const QRegularExpressionMatch& m, qint64* msecs) {
    const QDate date(m.captured(u"y").toInt(), m.captured(u"mo").toInt(), m.captured(u"d").toInt());
    if (!date.isValid()) return false;
    QTime time(0, 0);
    if (!m.captured(u"h").isEmpty()) {
        time = QTime(m.captured(u"h").toInt(), m.captured(u"mi").toInt(), m.captured(u"s").toInt());
        if (!time.isValid()) return false;
    }
    *msecs = ToMsecs(date, time);
    return true;
}

}  // namespace

ReportSort::ReportSort(const QLocale& locale) : m_locale(locale) {
    const QString shortDate = m_locale.dateFormat(QLocale::ShortFormat);
    const QString longDate = m_locale.dateFormat(QLocale::LongFormat);
    m_timeFormats << m_locale.timeFormat(QLocale::ShortFormat)
                  << m_locale.timeFormat(QLocale::LongFormat);
    for (const QString& date : {shortDate, longDate}) {
        if (m_dateFormats.contains(date)) continue;
        m_dateFormats << date;
    }
    // The locale's forms are costly to try, so texts with a character none of them can produce
    // are turned away first.
    QString chars = QStringLiteral("0123456789 \t") + m_dateFormats.join(QString()) +
                    m_timeFormats.join(QString()) + m_locale.amText() + m_locale.pmText();
    for (int i = 1; i <= 12; ++i)
        for (QLocale::FormatType type : {QLocale::LongFormat, QLocale::ShortFormat})
            chars += m_locale.monthName(i, type) + m_locale.standaloneMonthName(i, type);
    for (int i = 1; i <= 7; ++i)
        for (QLocale::FormatType type : {QLocale::LongFormat, QLocale::ShortFormat})
            chars += m_locale.dayName(i, type) + m_locale.standaloneDayName(i, type);
    for (QChar c : chars)
        if (!m_dateChars.contains(c)) m_dateChars += c;
}

bool ReportSort::ParseHex(const QString& text, quint32* value) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && IsCSpace(text[i])) ++i;
    if (i < n && text[i] == u'+') ++i;
    // A minus would wrap round to a huge unsigned value and put negative numbers after all
    // positive ones; such texts are left to the decimal rule.
    if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') && i + 2 < n &&
        HexDigit(text[i + 2]) >= 0)
        i += 2;
    if (i >= n) return false;
    quint64 v = 0;
    for (; i < n; ++i) {
        const int d = HexDigit(text[i]);
        if (d < 0) return false;
        v = v * 16 + static_cast<quint64>(d);
        // Values past 32 bits would all clamp to the same maximum and compare equal.
        if (v > 0xFFFFFFFFull) return false;
    }
    *value = static_cast<quint32>(v);
    return true;
}

bool ReportSort::ParseNumber(const QString& text, double* value) {
    QString body = text;
    if (body.endsWith(u'%')) body.chop(1);
    if (body.isEmpty()) return false;
    for (QChar c : body)
        if (c.unicode() == 0 || c.unicode() > 0x7F) return false;
    const QByteArray bytes = body.toLatin1();
    char* end = nullptr;
    const double v = strtod_l(bytes.constData(), &end, CLocale());
    if (end == bytes.constData() || end != bytes.constData() + bytes.size()) return false;
    if (std::isnan(v)) return false;
    *value = v;
    return true;
}

bool ReportSort::ParseDateTime(const QString& raw, qint64* msecs) const {
    const QString text = raw.trimmed();
    if (text.isEmpty() || text.size() > 64) return false;
    if (!std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); })) return false;

    // One separator throughout the date: 2024-05-01, 2024/5/1, 2024.5.1.
    static const QRegularExpression iso(
        QStringLiteral(R"(^(?<y>\d{4})(?<sep>[-/.])(?<mo>\d{1,2})\k<sep>(?<d>\d{1,2}))"
                       R"((?:(?:T|\s+)(?<h>\d{1,2}):(?<mi>\d{2})(?::(?<s>\d{2}))?)?$)"));
    static const QRegularExpression chinese(
        QStringLiteral(R"(^(?<y>\d{4})年(?<mo>\d{1,2})月(?<d>\d{1,2})日)"
                       R"((?:\s*(?<h>\d{1,2}):(?<mi>\d{2})(?::(?<s>\d{2}))?)?$)"));
    static const QRegularExpression timeOnly(
        QStringLiteral(R"(^(?<h>\d{1,2}):(?<mi>\d{2})(?::(?<s>\d{2}))?$)"));

    QRegularExpressionMatch m = iso.match(text);
    if (m.hasMatch()) return NumericDateTime(m, msecs);
    m = chinese.match(text);
    if (m.hasMatch()) return NumericDateTime(m, msecs);
    m = timeOnly.match(text);
    if (m.hasMatch()) {
        const QTime time(m.captured(u"h").toInt(), m.captured(u"mi").toInt(),
                         m.captured(u"s").toInt());
        if (!time.isValid()) return false;
        *msecs = ToMsecs(kTimeOnlyDay, time);
        return true;
    }

    // The user's own date forms, alone or followed by a time. Each has at least a day and a
    // year in digits.
    int digitGroups = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!m_dateChars.contains(text[i])) return false;
        if (text[i].isDigit() && (i == 0 || !text[i - 1].isDigit())) ++digitGroups;
    }
    if (digitGroups < 2) return false;
    for (const QString& dateFormat : m_dateFormats) {
        QStringList candidates{dateFormat};
        for (const QString& timeFormat : m_timeFormats)
            candidates << dateFormat + QLatin1Char(' ') + timeFormat;
        for (const QString& format : candidates) {
            QDateTime dt = m_locale.toDateTime(text, format);
            if (!dt.isValid()) continue;
            QDate date = dt.date();
            // Two-digit years read as 1930 … 2029, as the older date conversions do.
            if (!format.contains(QLatin1String("yyyy")) && format.contains(QLatin1String("yy")) &&
                date.year() < 1930)
                date = date.addYears(100);
            *msecs = ToMsecs(date, dt.time());
            return true;
        }
    }
    return false;
}

ReportSort::CellKey ReportSort::MakeKey(const QString& text) const {
    CellKey key;
    key.text = text;
    // ASCII is its own GBK encoding; only other texts need the converter.
    const bool ascii =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    key.gbk = ascii ? text.toLatin1() : GbkCodec::Encode(text);
    if (text.isEmpty()) return key;
    key.isHex = ParseHex(text, &key.hex);
    key.isNumber = ParseNumber(text, &key.number);
    // A number is never a date (a date needs separators), so columns of numbers skip the
    // costlier date reading.
    if (!key.isHex && !key.isNumber) key.isDate = ParseDateTime(text, &key.dateMs);
    return key;
}

int ReportSort::Compare(const CellKey& a, const CellKey& b) {
    if (a.isHex && b.isHex) return a.hex < b.hex ? -1 : (a.hex > b.hex ? 1 : 0);
    if (a.isNumber && b.isNumber) return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
    if (a.isDate && b.isDate) return a.dateMs < b.dateMs ? -1 : (a.dateMs > b.dateMs ? 1 : 0);
    const qsizetype common = std::min(a.gbk.size(), b.gbk.size());
    const int bytes =
        common ? std::memcmp(a.gbk.constData(), b.gbk.constData(), static_cast<size_t>(common)) : 0;
    if (bytes != 0) return bytes < 0 ? -1 : 1;
    if (a.gbk.size() != b.gbk.size()) return a.gbk.size() < b.gbk.size() ? -1 : 1;
    const int rest = a.text.compare(b.text);
    return rest < 0 ? -1 : (rest > 0 ? 1 : 0);
}

int ReportSort::CompareTexts(const QString& a, const QString& b) const {
    return Compare(MakeKey(a), MakeKey(b));
}

QList<int> ReportSort::Order(const QStringList& texts, bool ascending) const {
    const int n = static_cast<int>(texts.size());
    std::vector<CellKey> keys;
    keys.reserve(static_cast<size_t>(n));
    for (const QString& t : texts) keys.push_back(MakeKey(t));

    QList<int> order(n);
    for (int i = 0; i < n; ++i) order[i] = i;

    // Equal cells keep their rows' order, so sorting by one column after another nests.
    auto less = [&](int a, int b) {
        int c = Compare(keys[static_cast<size_t>(a)], keys[static_cast<size_t>(b)]);
        if (!ascending) c = -c;
        return c != 0 ? c < 0 : a < b;
    };

    // Quicksort with the middle element as pivot. The scans are bounded by the range, so even a
    // non-transitive set of comparisons ends in range; the smaller part is recursed into.
    struct Sorter {
        QList<int>& v;
        decltype(less)& lt;
        void Run(int lo, int hi) {
            while (lo < hi) {
                const int pivot = v[lo + (hi - lo) / 2];
                int i = lo;
                int j = hi;
                while (i <= j) {
                    while (i < hi && lt(v[i], pivot)) ++i;
                    while (j > lo && lt(pivot, v[j])) --j;
                    if (i <= j) {
                        std::swap(v[i], v[j]);
                        ++i;
                        --j;
                    }
                }
                if (j - lo < hi - i) {
                    Run(lo, j);
                    lo = i;
                } else {
                    Run(i, hi);
                    hi = j;
                }
            }
        }
    } sorter{order, less};
    sorter.Run(0, n - 1);
    return order;
}
