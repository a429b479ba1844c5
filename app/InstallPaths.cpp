#include "app/InstallPaths.h"

#include <QDir>
#include <QFileInfo>

#include "app/CIniFile.h"

namespace {
// The folder part of a path ("/a/b" for "/a/b/c"); "" when there is none above it.
QString ParentOf(const QString& folder) {
    if (folder.isEmpty() || folder == QLatin1String("/")) return QString();
    const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) return QString();
    return slash == 0 ? QStringLiteral("/") : folder.left(slash);
}
}  // namespace

InstallPaths InstallPaths::FromExecutable(const QString& exe) {
    InstallPaths p;
    p.exePath = QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(exe)).absoluteFilePath());
    p.exeFolder = QFileInfo(p.exePath).absolutePath();
    p.picFolder = PictureFolder(p.exeFolder);

    // Worked out on the text of the path, not by walking the file system, so a parent that
    // cannot be listed still gets its configuration read.
    const QString parent = ParentOf(p.exeFolder);
    bool useParent = false;
    if (!parent.isEmpty()) {
        const CIniFile parentIni(QDir(parent).filePath(QStringLiteral("sysfile/config.ini")));
        useParent = parentIni.GetString(QStringLiteral("SysInfo"), QStringLiteral("发布状态")) ==
                    QLatin1String("0");
    }
    p.dataFolder = QDir(useParent ? parent : p.exeFolder).filePath(QStringLiteral("sysfile"));
    p.splashPath = QDir(p.dataFolder).filePath(QStringLiteral("splash.jpg"));
    p.configPath = QDir(p.dataFolder).filePath(QStringLiteral("config.ini"));
    return p;
}

QString InstallPaths::PictureFolder(const QString& exeFolder) {
    const QDir dir(exeFolder);
    const QString lower = dir.filePath(QStringLiteral("pic"));
    const QString upper = dir.filePath(QStringLiteral("Pic"));
    if (!QFileInfo(lower).isDir() && QFileInfo(upper).isDir()) return upper;
    return lower;
}

QString InstallPaths::ResolvePublished(const QString& relative) const {
    if (relative.isEmpty()) return QString();
    // Catalogues written on Windows store "pic\..." with backslashes.
    QString rest = relative;
    rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
    rest = rest.mid(4);
    while (rest.startsWith(QLatin1Char('/'))) rest.remove(0, 1);
    const QString path = QDir::cleanPath(QDir(picFolder).filePath(rest));
    return InsidePictureFolder(path) ? path : QString();
}

bool InstallPaths::InsidePictureFolder(const QString& path) const {
    return IsInside(path, picFolder);
}

bool InstallPaths::IsInside(const QString& path, const QString& folder) {
    if (path.isEmpty() || folder.isEmpty()) return false;
    const QString root = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const auto within = [](const QString& p, const QString& r) {
        return p == r || p.startsWith(r + QLatin1Char('/'));
    };
    if (!within(clean, root)) return false;
    // A symbolic link inside may still lead elsewhere; what does not exist reads as missing.
    const QFileInfo info(clean);
    if (!info.exists() && !info.isSymLink()) return true;
    const QString real = info.canonicalFilePath();
    const QString realRoot = QFileInfo(root).canonicalFilePath();
    return !real.isEmpty() && !realRoot.isEmpty() && within(real, realRoot);
}
