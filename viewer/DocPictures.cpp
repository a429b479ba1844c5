#include "viewer/DocPictures.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

#include "app/InstallPaths.h"
#include "controls/PictureLoader.h"

int DocPictures::CompareFileNames(const QString& a, const QString& b) {
    // Runs of digits compare by value, everything else without regard to case, so scans named
    // 1, 2, ..., 10 come in page order.
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && a[ei].isDigit()) ++ei;
            while (ej < b.size() && b[ej].isDigit()) ++ej;
            QStringView da = QStringView(a).sliced(i, ei - i);
            QStringView db = QStringView(b).sliced(j, ej - j);
            while (da.size() > 1 && da.front() == QLatin1Char('0')) da = da.sliced(1);
            while (db.size() > 1 && db.front() == QLatin1Char('0')) db = db.sliced(1);
            if (da.size() != db.size()) return da.size() < db.size() ? -1 : 1;
            if (const int c = da.compare(db)) return c;
            i = ei;
            j = ej;
            continue;
        }
        const QChar ca = a[i].toCaseFolded();
        const QChar cb = b[j].toCaseFolded();
        if (ca != cb) return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

bool DocPictures::Exists(const QString& path) {
    // A FIFO, device or socket is no document: it counts as missing.
    return PictureLoader::IsRegularFile(path) || IsFolder(path);
}

bool DocPictures::IsFolder(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

QStringList DocPictures::Files(const QString& path, const QString& root) {
    if (path.isEmpty()) return {};
    const QFileInfo info(path);
    if (!info.isDir()) return {path};
    QStringList names;
    const QDir dir(path);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Readable)) {
        if (PictureLoader::IsAcceptedPicture(name)) names << name;
    }
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = CompareFileNames(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    QStringList files;
    files.reserve(names.size());
    for (const QString& name : names) {
        const QString file = dir.filePath(name);
        if (root.isEmpty() || InstallPaths::IsInside(file, root)) files << file;
    }
    return files;
}

QList<DocPictures::Picture> DocPictures::Resolve(const QString& path, const QString& root) {
    QList<Picture> pictures;
    for (const QString& file : Files(path, root)) {
        const QSize size = PictureLoader::ReadSize(file);
        pictures.append({file, size, ShownSize(size)});
    }
    return pictures;
}

QSize DocPictures::ShownSize(const QSize& size) {
    const QSize shown =
        size.width() <= kMaxWidth ? size : PictureLoader::LimitWidth(size, kMaxWidth);
    const qint64 pixels = static_cast<qint64>(shown.width()) * shown.height();
    if (pixels <= kMaxShownPixels) return shown;
    // More pixels than a page shows: smaller, keeping the aspect, so page and picture stay
    // within what one decode may hold.
    const double f = std::sqrt(static_cast<double>(kMaxShownPixels) / static_cast<double>(pixels));
    return {std::max(1, static_cast<int>(shown.width() * f)),
            std::max(1, static_cast<int>(shown.height() * f))};
}
