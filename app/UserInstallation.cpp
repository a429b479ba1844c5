#include "app/UserInstallation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/CIniFile.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueSchema.h"

namespace UserInstallation {
namespace {
bool Fail(QString* error, const QString& why) {
    if (error) *error = why;
    return false;
}
}  // namespace

QString Folder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("vistrel"));
}

QString SharedSkinFolder(const QString& exeFolder) {
    return QDir::cleanPath(QDir(exeFolder).filePath(QStringLiteral("../share/vistrel/skin")));
}

bool HasInstallation(const InstallPaths& paths) {
    return QFileInfo(paths.dataFolder).isDir();
}

InstallPaths PathsIn(const InstallPaths& exe, const QString& folder) {
    InstallPaths p = exe;
    p.picFolder = InstallPaths::PictureFolder(folder);
    p.dataFolder = QDir(folder).filePath(QStringLiteral("sysfile"));
    p.splashPath = QDir(p.dataFolder).filePath(QStringLiteral("splash.jpg"));
    p.configPath = QDir(p.dataFolder).filePath(QStringLiteral("config.ini"));
    return p;
}

bool Prepare(const QString& folder, const QString& skinFolder, QString* error) {
    const QString data = QDir(folder).filePath(QStringLiteral("sysfile"));
    if (!QDir().mkpath(data)) return Fail(error, QStringLiteral("cannot create %1").arg(data));

    const QString catalogue = CatalogueDb::CatalogueFile(data);
    if (!QFileInfo::exists(catalogue) && !CatalogueSchema::CreateEmpty(catalogue, error))
        return false;

    const QString config = QDir(data).filePath(QStringLiteral("config.ini"));
    if (!QFileInfo::exists(config) &&
        !CIniFile(config).WriteString(QStringLiteral("SysInfo"), QStringLiteral("发布状态"),
                                      QStringLiteral("0")))
        return Fail(error, QStringLiteral("cannot write %1").arg(config));

    const QDir skin(skinFolder);
    const QStringList files = skin.entryList(QDir::Files);
    if (files.isEmpty()) return Fail(error, QStringLiteral("no skin in %1").arg(skinFolder));
    for (const QString& name : files) {
        const QString target = QDir(data).filePath(name);
        if (QFileInfo::exists(target)) continue;
        if (!QFile::copy(skin.filePath(name), target))
            return Fail(error, QStringLiteral("cannot write %1").arg(target));
        // Copies of files from a read-only /usr stay read-only otherwise.
        QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
    }
    return true;
}

}  // namespace UserInstallation
