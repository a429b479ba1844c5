#include "app/InstallPaths.h"

#include <QDir>
#include <QFileInfo>

#include "app/CIniFile.h"

InstallPaths InstallPaths::FromExecutable(const QString& exe) {
    InstallPaths p;
    p.exePath = QDir::fromNativeSeparators(QFileInfo(exe).absoluteFilePath());
    p.exeFolder = QFileInfo(p.exePath).absolutePath();
    p.picFolder = PictureFolder(p.exeFolder);

    QDir exeDir(p.exeFolder);
    QString parent;
    if (exeDir.cdUp()) parent = exeDir.absolutePath();
    bool useParent = false;
    if (!parent.isEmpty() && parent != p.exeFolder) {
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
    QString rest = QDir::fromNativeSeparators(relative).mid(4);
    while (rest.startsWith(QLatin1Char('/'))) rest.remove(0, 1);
    return QDir::cleanPath(QDir(picFolder).filePath(rest));
}
