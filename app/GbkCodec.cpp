#include "app/GbkCodec.h"

#include <iconv.h>

#include <QStringDecoder>
#include <cerrno>

namespace {
QByteArray Convert(const char* to, const char* from, const QByteArray& input, bool* ok) {
    *ok = false;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    QByteArray out;
    out.resize(input.size() * 4 + 16);
    char* in = const_cast<char*>(input.constData());
    size_t inLeft = static_cast<size_t>(input.size());
    char* dst = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    bool good = true;
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &dst, &outLeft) == static_cast<size_t>(-1)) {
            good = false;
            break;
        }
    }
    iconv_close(cd);
    if (!good) return {};
    out.resize(out.size() - static_cast<qsizetype>(outLeft));
    *ok = true;
    return out;
}
}  // namespace

QByteArray GbkCodec::Encode(const QString& text) {
    bool ok = false;
    // GB18030 is a superset of GBK and encodes every character, so nothing is lost.
    QByteArray bytes = Convert("GB18030", "UTF-8", text.toUtf8(), &ok);
    return ok ? bytes : text.toUtf8();
}

QString GbkCodec::Decode(const QByteArray& bytes) {
    bool ok = false;
    QByteArray utf8 = Convert("UTF-8", "GB18030", bytes, &ok);
    if (!ok) return QString();
    QString s = QString::fromUtf8(utf8);
    return s.isNull() ? QString(QLatin1String("")) : s;
}

int GbkCodec::ByteLength(const QString& text) {
    int n = 0;
    for (QChar c : text) {
        if (c.isLowSurrogate()) continue;
        n += c.unicode() < 0x80 ? 1 : 2;
    }
    return n;
}

bool GbkCodec::IsValidUtf8(const QByteArray& bytes) {
    // Stateless, so a sequence cut off at the end counts as an error instead of being held
    // back for more input (a GBK file can end in a byte that looks like a UTF-8 lead byte).
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // decode() is lazy: the conversion (and the error check) runs when the result is taken.
    const QString text = decoder.decode(bytes);
    Q_UNUSED(text);
    return !decoder.hasError();
}
