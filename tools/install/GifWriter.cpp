#include "tools/install/GifWriter.h"

#include <QFile>
#include <QHash>
#include <algorithm>
#include <array>
#include <vector>

namespace {

// 5 bits per channel: fine enough to keep anti-aliased edges smooth, coarse enough to count.
inline int BinOf(QRgb c) {
    return ((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3);
}

class BitSink {
public:
    explicit BitSink(QByteArray* out) : m_out(out) {}
    void Put(int code, int bits) {
        m_acc |= static_cast<quint32>(code) << m_count;
        m_count += bits;
        while (m_count >= 8) {
            PushByte(static_cast<char>(m_acc & 0xff));
            m_acc >>= 8;
            m_count -= 8;
        }
    }
    void Finish() {
        if (m_count > 0) PushByte(static_cast<char>(m_acc & 0xff));
        m_acc = 0;
        m_count = 0;
        FlushBlock();
        m_out->append('\0');  // block terminator
    }

private:
    void PushByte(char b) {
        m_block.append(b);
        if (m_block.size() == 255) FlushBlock();
    }
    void FlushBlock() {
        if (m_block.isEmpty()) return;
        m_out->append(static_cast<char>(m_block.size()));
        m_out->append(m_block);
        m_block.clear();
    }
    QByteArray* m_out;
    QByteArray m_block;
    quint32 m_acc = 0;
    int m_count = 0;
};

void PutWord(QByteArray* out, int v) {
    out->append(static_cast<char>(v & 0xff));
    out->append(static_cast<char>((v >> 8) & 0xff));
}

}  // namespace

QImage GifWriter::Quantize(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int w = image.width();
    const int h = image.height();
    // A picture with at most 256 colours keeps them exactly.
    {
        QHash<QRgb, int> exact;
        QList<QRgb> palette;
        bool fits = true;
        for (int y = 0; y < h && fits; ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                const QRgb c = line[x] | 0xff000000u;
                if (exact.contains(c)) continue;
                if (palette.size() == 256) {
                    fits = false;
                    break;
                }
                exact.insert(c, int(palette.size()));
                palette << c;
            }
        }
        if (fits) {
            QImage out(w, h, QImage::Format_Indexed8);
            out.setColorTable(palette.isEmpty() ? QList<QRgb>{qRgb(255, 255, 255)} : palette);
            for (int y = 0; y < h; ++y) {
                const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
                uchar* dst = out.scanLine(y);
                for (int x = 0; x < w; ++x) dst[x] = uchar(exact.value(line[x] | 0xff000000u));
            }
            return out;
        }
    }
    std::vector<quint32> count(1 << 15, 0);
    std::vector<quint64> sumR(1 << 15, 0), sumG(1 << 15, 0), sumB(1 << 15, 0);
    for (int y = 0; y < h; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const int bin = BinOf(line[x]);
            ++count[bin];
            sumR[bin] += qRed(line[x]);
            sumG[bin] += qGreen(line[x]);
            sumB[bin] += qBlue(line[x]);
        }
    }
    std::vector<int> bins;
    for (int b = 0; b < (1 << 15); ++b)
        if (count[b]) bins.push_back(b);
    // Most frequent first; ties by bin so the palette never depends on sort stability.
    std::sort(bins.begin(), bins.end(),
              [&](int a, int b) { return count[a] != count[b] ? count[a] > count[b] : a < b; });
    if (bins.size() > 256) bins.resize(256);
    QList<QRgb> palette;
    for (int b : bins)
        palette << qRgb(int(sumR[b] / count[b]), int(sumG[b] / count[b]), int(sumB[b] / count[b]));
    if (palette.isEmpty()) palette << qRgb(255, 255, 255);

    QImage out(w, h, QImage::Format_Indexed8);
    out.setColorTable(palette);
    out.setDotsPerMeterX(image.dotsPerMeterX());
    out.setDotsPerMeterY(image.dotsPerMeterY());
    std::vector<int> nearest(1 << 15, -1);
    for (int y = 0; y < h; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* dst = out.scanLine(y);
        for (int x = 0; x < w; ++x) {
            const int bin = BinOf(line[x]);
            int& index = nearest[bin];
            if (index < 0) {
                // Nearest palette colour to the bin's centre.
                const int r = ((bin >> 10) << 3) + 4, g = (((bin >> 5) & 31) << 3) + 4,
                          b = ((bin & 31) << 3) + 4;
                int best = 0, bestDist = INT_MAX;
                for (int i = 0; i < palette.size(); ++i) {
                    const int dr = qRed(palette[i]) - r, dg = qGreen(palette[i]) - g,
                              db = qBlue(palette[i]) - b;
                    const int d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
                    if (d < bestDist) {
                        bestDist = d;
                        best = i;
                    }
                }
                index = best;
            }
            dst[x] = static_cast<uchar>(index);
        }
    }
    return out;
}

QByteArray GifWriter::Encode(const QImage& source) {
    const QImage image = Quantize(source);
    const int w = image.width();
    const int h = image.height();
    QByteArray out;
    out.reserve(w * h / 4 + 1024);
    out.append("GIF89a", 6);
    PutWord(&out, w);
    PutWord(&out, h);
    out.append(static_cast<char>(0xF7));  // global table of 256 entries, 8 bits per primary
    out.append('\0');                     // background colour index
    out.append('\0');                     // no aspect ratio
    const QList<QRgb> table = image.colorTable();
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < table.size() ? table[i] : qRgb(0, 0, 0);
        out.append(static_cast<char>(qRed(c)));
        out.append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qBlue(c)));
    }
    out.append(',');
    PutWord(&out, 0);
    PutWord(&out, 0);
    PutWord(&out, w);
    PutWord(&out, h);
    out.append('\0');  // no local table, not interlaced

    constexpr int kMinCodeSize = 8;
    constexpr int kClear = 1 << kMinCodeSize;
    constexpr int kEnd = kClear + 1;
    out.append(static_cast<char>(kMinCodeSize));
    BitSink sink(&out);

    // Dictionary of (prefix code, next byte) -> code, reset by bumping the generation.
    std::vector<qint16> codes(4096 * 256, 0);
    std::vector<quint16> generation(4096 * 256, 0);
    quint16 gen = 1;
    int codeSize = kMinCodeSize + 1;
    int maxCode = kEnd;
    sink.Put(kClear, codeSize);
    int current = -1;
    for (int y = 0; y < h; ++y) {
        const uchar* line = image.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            const int next = line[x];
            if (current < 0) {
                current = next;
                continue;
            }
            const int slot = current * 256 + next;
            if (generation[slot] == gen) {
                current = codes[slot];
                continue;
            }
            sink.Put(current, codeSize);
            codes[slot] = static_cast<qint16>(++maxCode);
            generation[slot] = gen;
            if (maxCode >= (1 << codeSize)) ++codeSize;
            if (maxCode == 4095) {
                sink.Put(kClear, codeSize);
                ++gen;
                if (gen == 0) {  // wrapped: really clear
                    std::fill(generation.begin(), generation.end(), 0);
                    gen = 1;
                }
                codeSize = kMinCodeSize + 1;
                maxCode = kEnd;
            }
            current = next;
        }
    }
    if (current >= 0) sink.Put(current, codeSize);
    sink.Put(kEnd, codeSize);
    sink.Finish();
    out.append(';');
    return out;
}

bool GifWriter::Write(const QImage& image, const QString& file, QString* error) {
    if (image.isNull()) {
        if (error) *error = QStringLiteral("empty picture for %1").arg(file);
        return false;
    }
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(Encode(image)) < 0) {
        if (error) *error = QStringLiteral("cannot write %1: %2").arg(file, f.errorString());
        return false;
    }
    return true;
}
