#include "publish/WebPictures.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QtConcurrent>

#include "controls/PictureLoader.h"
#include "publish/PlainTiff.h"

// What tells one version of a file from another: size and modification time to the nanosecond.
struct WebPictures::Stamp {
    qint64 size = -1;
    qint64 sec = 0;
    qint64 nsec = 0;
    bool operator==(const Stamp&) const = default;
};

namespace {

WebPictures::Stamp StampOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    return {st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

}  // namespace

struct WebPictures::Item {
    Picture picture;
    QString file;  // the converted file
    Stamp stamp;   // of the source when it was converted
    Form form;
    std::atomic<bool> done = false;
};

bool WebPictures::BrowserShows(const QString& file) {
    static const QStringList kSuffixes = {"jpg", "jpeg", "jpe", "png", "gif", "bmp", "webp"};
    return kSuffixes.contains(QFileInfo(file).suffix().toLower());
}

WebPictures::Form WebPictures::FormOf(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    Form form;
    form.shown = reader.size();
    if (!form.shown.isValid()) return {};
    if (form.shown.width() > kMaxWidth)
        form.shown =
            QSize(kMaxWidth, int(qint64(form.shown.height()) * kMaxWidth / form.shown.width()));
    // JPEG is written five times faster than PNG; PNG only where transparency is to be kept.
    form.png = reader.imageFormat() != QImage::Format_Invalid &&
               QImage::toPixelFormat(reader.imageFormat()).alphaUsage() == QPixelFormat::UsesAlpha;
    return form;
}

QByteArray WebPictures::Convert(const QString& path, const Form& form) {
    if (!form.shown.isValid()) return {};
    QImage image = PlainTiff::Read(path);
    if (image.isNull()) image = PictureLoader::LoadFull(path);
    if (image.isNull()) return {};
    if (image.width() > form.shown.width())
        image = image.scaled(form.shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, form.png ? "png" : "jpeg");
    // PNG at the fastest deflate level (Qt maps quality 80 to level 1).
    writer.setQuality(form.png ? 80 : 90);
    return writer.write(image) ? data : QByteArray();
}

bool WebPictures::LinkEarlier(Item& item, const QString& earlierCopy, const Stamp& source) {
    if (earlierCopy.isEmpty() ||
        StampOf(QDir(earlierCopy).filePath(item.picture.relative)) != source)
        return false;
    for (const bool png : {false, true}) {
        const QString earlier = QDir(earlierCopy).filePath(WebName(item.picture.relative, png));
        if (::link(QFile::encodeName(earlier).constData(),
                   QFile::encodeName(item.file).constData()) != 0)
            continue;
        item.form = {QImageReader(item.file).size(), png};
        if (!item.form.shown.isValid()) break;
        item.stamp = source;
        item.done = true;
        return true;
    }
    QFile::remove(item.file);
    return false;
}

WebPictures::WebPictures(QThreadPool& pool)
    : m_pool(pool), m_cancel(std::make_shared<std::atomic<bool>>(false)) {}

WebPictures::~WebPictures() {
    Wait(true);
}

QByteArray WebPictures::SingleDensity(const QByteArray& shipped, int cell) {
    QBuffer buffer;
    buffer.setData(shipped);
    QImageReader reader(&buffer);
    // Decoded straight at the 1x size: a JPEG decoder scales while it decodes.
    const QSize size = reader.size();
    if (size.width() > cell || size.height() > cell)
        reader.setScaledSize(size.scaled(cell, cell, Qt::KeepAspectRatio));
    return SingleDensity(reader.read(), shipped.startsWith("\x89PNG"), cell);
}

QByteArray WebPictures::SingleDensity(const QImage& thumbnail, bool png, int cell) {
    if (thumbnail.isNull()) return {};
    const QImage image =
        thumbnail.width() > cell || thumbnail.height() > cell
            ? thumbnail.scaled(cell, cell, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            : thumbnail;
    QByteArray data;
    QBuffer out(&data);
    out.open(QIODevice::WriteOnly);
    QImageWriter writer(&out, png ? "png" : "jpeg");
    writer.setQuality(png ? 80 : 85);
    return writer.write(image) ? data : QByteArray();
}

QString WebPictures::ThumbnailBase(const QString& folder, const QString& key) {
    return QDir(folder).filePath(QString::fromLatin1(
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(20)));
}

QString WebPictures::WebName(const QString& relative, bool png) {
    const QByteArray hash =
        QCryptographicHash::hash(relative.toUtf8(), QCryptographicHash::Sha1).toHex().left(20);
    return QStringLiteral("web/pics/") + QString::fromLatin1(hash) +
           (png ? QStringLiteral(".png") : QStringLiteral(".jpg"));
}

void WebPictures::Start(const QString& folder, const QList<Picture>& pictures,
                        const QString& earlierCopy) {
    Wait(true);
    m_items.clear();
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    if (!QDir().mkpath(folder)) return;  // converted later, by the web catalogue itself
    for (const Picture& picture : pictures) {
        if (BrowserShows(picture.source) || !PictureLoader::IsAcceptedPicture(picture.source) ||
            m_items.contains(picture.relative))
            continue;
        auto item = std::make_shared<Item>();
        item->picture = picture;
        item->file = QDir(folder).filePath(QString::number(m_items.size()));
        m_items.insert(picture.relative, item);
        m_running.append(QtConcurrent::run(&m_pool, [item, earlierCopy, cancel = m_cancel] {
            if (*cancel) return;
            const Stamp before = StampOf(item->picture.source);
            if (LinkEarlier(*item, earlierCopy, before)) return;
            item->form = FormOf(item->picture.source);
            const QByteArray data = Convert(item->picture.source, item->form);
            QFile file(item->file);
            // A source that changed meanwhile may be either version: it is converted again.
            if (data.isEmpty() || StampOf(item->picture.source) != before ||
                !file.open(QIODevice::WriteOnly) || file.write(data) != data.size() ||
                !file.flush())
                return;
            item->stamp = before;
            item->done = true;
        }));
    }
}

void WebPictures::Wait(bool cancel) {
    if (cancel) *m_cancel = true;
    for (QFuture<void>& running : m_running) running.waitForFinished();
    m_running.clear();
}

QString WebPictures::Take(const QString& relative, const QString& copyFile, Form* form) const {
    const std::shared_ptr<Item> item = m_items.value(relative);
    if (!item || !item->done || StampOf(copyFile) != item->stamp) return QString();
    *form = item->form;
    return item->file;
}
