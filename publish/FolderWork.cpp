#include "publish/FolderWork.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QMutex>
#include <QThreadPool>
#include <QtConcurrent>
#include <atomic>
#include <cerrno>

namespace {

// The file system waits, not the processor: more threads than cores pay off.
constexpr int kThreads = 4;

bool IsFolder(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Every entry below `folder`: files and links into `files`, folders into `folders` by depth.
void Collect(const QByteArray& folder, int depth, QList<QByteArray>& files,
             QMap<int, QList<QByteArray>>& folders) {
    folders[depth].append(folder);
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return;  // the rmdir below reports what is left
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..") continue;
        const QByteArray path = folder + '/' + name;
        const bool isFolder =
            entry->d_type == DT_DIR || (entry->d_type == DT_UNKNOWN && IsFolder(path));
        if (isFolder)
            Collect(path, depth + 1, files, folders);
        else
            files.append(path);
    }
    ::closedir(dir);
}

}  // namespace

QString FolderWork::MakeAll(const QStringList& folders) {
    // By depth, so that a folder's parent is made in an earlier round.
    QMap<int, QStringList> byDepth;
    for (const QString& folder : folders) {
        const QString clean = QDir::cleanPath(folder);
        byDepth[int(clean.count(QLatin1Char('/')))].append(clean);
    }
    QThreadPool pool;
    pool.setMaxThreadCount(kThreads);
    QMutex lock;
    QString failed;
    for (const QStringList& round : std::as_const(byDepth)) {
        QtConcurrent::blockingMap(&pool, round, [&](const QString& folder) {
            const QByteArray path = QFile::encodeName(folder);
            if (::mkdir(path.constData(), 0777) == 0 || (errno == EEXIST && IsFolder(path))) return;
            // A parent the list does not name is made with it.
            if (errno == ENOENT && QDir().mkpath(folder)) return;
            const QMutexLocker locked(&lock);
            if (failed.isEmpty()) failed = folder;
        });
        if (!failed.isEmpty()) return failed;
    }
    return QString();
}

bool FolderWork::RemoveTree(const QString& path) {
    const QByteArray top = QFile::encodeName(QDir::cleanPath(path));
    if (!IsFolder(top)) return ::unlink(top.constData()) == 0 || errno == ENOENT;
    QList<QByteArray> files;
    QMap<int, QList<QByteArray>> folders;
    Collect(top, 0, files, folders);
    QThreadPool pool;
    pool.setMaxThreadCount(kThreads);
    std::atomic<bool> ok = true;
    QtConcurrent::blockingMap(&pool, files, [&ok](const QByteArray& file) {
        if (::unlink(file.constData()) != 0 && errno != ENOENT) ok = false;
    });
    // The deepest first, so that each folder is empty when its turn comes.
    for (auto it = folders.end(); it != folders.begin();) {
        --it;
        QtConcurrent::blockingMap(&pool, it.value(), [&ok](const QByteArray& folder) {
            if (::rmdir(folder.constData()) != 0 && errno != ENOENT) ok = false;
        });
    }
    return ok;
}
