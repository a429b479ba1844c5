#include "controls/FreedesktopThumbnails.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QMutex>
#include <QMutexLocker>
#include <QTemporaryFile>
#include <QThreadPool>
#include <QUrl>
#include <cmath>
#include <cstdio>

#include "controls/PictureLoader.h"

namespace {

const char* const kUri = "Thumb::URI";
const char* const kMTime = "Thumb::MTime";
const char* const kSize = "Thumb::Size";
const char* const kWidth = "Thumb::Image::Width";
const char* const kHeight = "Thumb::Image::Height";
// Finer than the convention's seconds; other programs ignore it.
const char* const kMTimeNsec = "X-Vistrel::MTime-NSec";

// Thumbnails waiting for the writer, in bytes; beyond this they are written at once, so a long
// list cannot pile up memory behind a busy machine.
constexpr qint64 kMaxWaitingBytes = 1024 * 1024;

struct Writer {
    QThreadPool pool;
    QMutex mutex;
    qint64 waitingBytes = 0;

    Writer() {
        pool.setMaxThreadCount(1);
        pool.setExpiryTimeout(2000);
        // Writes still waiting when the application ends are finished while Qt is still whole.
        qAddPostRoutine(FreedesktopThumbnails::WaitForWrites);
    }
};

Writer& TheWriter() {
    static Writer writer;
    return writer;
}

// The most nice the thread can be: it yields to the loaders and the window, but it is not
// starved the way an idle-class thread would be on a busy machine.
void LowerThisThread() {
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 19);
}

bool MakePrivateFolder(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir()) return true;
    if (!MakePrivateFolder(info.absolutePath())) return false;
    return QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) ||
           QFileInfo(path).isDir();
}

}  // namespace

FreedesktopThumbnails::SizeClass FreedesktopThumbnails::ClassFor(int longestSide) {
    static const SizeClass classes[] = {{QStringLiteral("normal"), 128},
                                        {QStringLiteral("large"), 256},
                                        {QStringLiteral("x-large"), 512},
                                        {QStringLiteral("xx-large"), 1024}};
    for (const SizeClass& c : classes)
        if (longestSide <= c.maxSide) return c;
    return {};
}

QSize FreedesktopThumbnails::ThumbnailSize(const QSize& picture, const SizeClass& sizeClass) {
    const int longest = std::max(picture.width(), picture.height());
    if (picture.isEmpty() || longest <= sizeClass.maxSide) return picture;
    const double scale = double(sizeClass.maxSide) / longest;
    return {std::max(1, int(std::lround(picture.width() * scale))),
            std::max(1, int(std::lround(picture.height() * scale)))};
}

QString FreedesktopThumbnails::Root() {
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir(QDir::homePath()).filePath(QStringLiteral(".cache"));
    return QDir(base).filePath(QStringLiteral("thumbnails"));
}

QString FreedesktopThumbnails::Uri(const QString& path) {
    return QString::fromLatin1(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded());
}

QString FreedesktopThumbnails::CacheFile(const QString& path, const SizeClass& sizeClass) {
    const QByteArray md5 =
        QCryptographicHash::hash(Uri(path).toUtf8(), QCryptographicHash::Md5).toHex();
    return QDir(Root()).filePath(sizeClass.folder + QLatin1Char('/') + QString::fromLatin1(md5) +
                                 QStringLiteral(".png"));
}

FreedesktopThumbnails::Source FreedesktopThumbnails::Describe(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 ||
        !S_ISREG(st.st_mode))
        return {};
    // Thumbnails of the thumbnails would only fill the cache.
    const QString root = Root() + QLatin1Char('/');
    if (QFileInfo(path).absoluteFilePath().startsWith(root)) return {};
    return {path, Uri(path), st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

QImage FreedesktopThumbnails::Find(const Source& source, const SizeClass& sizeClass,
                                   QSize* picture) {
    if (!source.IsValid() || !sizeClass.IsValid() || !picture) return {};
    QFile file;
    if (!PictureLoader::OpenRegularFile(CacheFile(source.path, sizeClass), file) ||
        file.size() > kMaxEntryBytes)
        return {};
    // The keys are read with the pixels (an image reader's own text lookup splits keys at their
    // first colon); an entry is small, and a stale one is rare.
    const QImage image = PictureLoader::LoadSmall(&file, sizeClass.maxSide);
    if (image.isNull() || image.text(QLatin1String(kUri)) != source.uri ||
        image.text(QLatin1String(kMTime)) != QString::number(source.mtime))
        return {};
    const QString size = image.text(QLatin1String(kSize));
    if (!size.isEmpty() && size != QString::number(source.size)) return {};
    const QString nsec = image.text(QLatin1String(kMTimeNsec));
    if (!nsec.isEmpty() && nsec != QString::number(source.mtimeNsec)) return {};
    if (picture->isEmpty()) {
        const QSize told(image.text(QLatin1String(kWidth)).toInt(),
                         image.text(QLatin1String(kHeight)).toInt());
        *picture = PictureLoader::WithinLimits(told) ? told : PictureLoader::ReadSize(source.path);
    }
    // Written by us or another program for this picture: the picture's shape, within the
    // rounding of a small image.
    const QSize expected = ThumbnailSize(*picture, sizeClass);
    if (expected.isEmpty() || std::abs(image.width() - expected.width()) > 1 ||
        std::abs(image.height() - expected.height()) > 1)
        return {};
    return image;
}

bool FreedesktopThumbnails::Store(const Source& source, const SizeClass& sizeClass,
                                  const QImage& thumbnail, const QSize& picture) {
    if (!source.IsValid() || !sizeClass.IsValid() || thumbnail.isNull()) return false;
    const QString file = CacheFile(source.path, sizeClass);
    if (!MakePrivateFolder(QFileInfo(file).absolutePath())) return false;
    // An opaque thumbnail goes to the PNG writer as plain RGB: a quarter less to filter and
    // write than 32-bit pixels, the writer's main cost.
    QImage image =
        thumbnail.hasAlphaChannel() ? thumbnail : thumbnail.convertToFormat(QImage::Format_RGB888);
    image.setText(QLatin1String(kUri), source.uri);
    image.setText(QLatin1String(kMTime), QString::number(source.mtime));
    image.setText(QLatin1String(kSize), QString::number(source.size));
    image.setText(QLatin1String(kMTimeNsec), QString::number(source.mtimeNsec));
    if (!picture.isEmpty()) {
        image.setText(QLatin1String(kWidth), QString::number(picture.width()));
        image.setText(QLatin1String(kHeight), QString::number(picture.height()));
    }
    image.setText(QStringLiteral("Software"), QStringLiteral("Vistrel"));
    // Written beside (private to the user) and renamed over the old entry, so no reader sees
    // half a file. Not synced to the disk: an entry lost in a crash is only made again, and a
    // flush per thumbnail would hold up the reading of the pictures still to show.
    QTemporaryFile out(file + QStringLiteral(".XXXXXX"));
    if (!out.open()) return false;
    QImageWriter writer(&out, "png");
    // Qt maps a compression of 1 on its 0-100 scale to zlib's level 0: the entry is stored,
    // the cheapest to write and to read back, at some three times the bytes of a deflated one.
    writer.setCompression(1);
    if (!writer.write(image) || !out.flush()) return false;
    out.close();
    if (::rename(QFile::encodeName(out.fileName()).constData(),
                 QFile::encodeName(file).constData()) != 0)
        return false;
    out.setAutoRemove(false);
    return true;
}

void FreedesktopThumbnails::StoreLater(const Source& source, const SizeClass& sizeClass,
                                       const QImage& thumbnail, const QSize& picture) {
    if (!source.IsValid() || !sizeClass.IsValid() || thumbnail.isNull()) return;
    Writer& writer = TheWriter();
    const qint64 bytes = thumbnail.sizeInBytes();
    {
        QMutexLocker lock(&writer.mutex);
        if (writer.waitingBytes + bytes > kMaxWaitingBytes) {
            lock.unlock();
            Store(source, sizeClass, thumbnail, picture);
            return;
        }
        writer.waitingBytes += bytes;
    }
    writer.pool.start([source, sizeClass, thumbnail, picture, bytes] {
        LowerThisThread();
        Store(source, sizeClass, thumbnail, picture);
        Writer& w = TheWriter();
        QMutexLocker lock(&w.mutex);
        w.waitingBytes -= bytes;
    });
}

void FreedesktopThumbnails::WaitForWrites() {
    TheWriter().pool.waitForDone();
}
