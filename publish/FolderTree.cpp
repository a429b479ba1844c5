#include "publish/FolderTree.h"

#include <QCollator>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <QStandardPaths>
#include <algorithm>

namespace {
std::optional<QList<FolderTree::Node>>& RootsOverride() {
    static std::optional<QList<FolderTree::Node>> roots;
    return roots;
}

QString Canonical(const QString& path) {
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(path) : c;
}

// Mount table fields escape blanks, tabs, newlines and backslashes as three octal digits.
QString DecodeMountField(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (int i = 0; i < field.size(); ++i) {
        const QByteArray digits = field[i] == '\\' ? field.mid(i + 1, 3) : QByteArray();
        bool ok = false;
        const int c = digits.size() == 3 ? digits.toInt(&ok, 8) : 0;
        if (ok) {
            out += char(c);
            i += 3;
        } else {
            out += field[i];
        }
    }
    return QFile::decodeName(out);
}

bool IsBrowsableVolume(const QByteArray& device, const QString& mountPoint,
                       const QByteArray& type) {
    if (mountPoint == QLatin1String("/")) return true;
    static const QSet<QByteArray> network = {"nfs",   "nfs4",       "cifs",       "smb3",
                                             "smbfs", "fuse.sshfs", "fuse.rclone"};
    const bool disk = device.startsWith("/dev/") && !device.startsWith("/dev/loop");
    if (!disk && !network.contains(type)) return false;
    // Disks mounted for the system's own use are not places a user browses to.
    static const char* const systemPlaces[] = {"/proc", "/sys", "/dev", "/run", "/boot",
                                               "/snap", "/var", "/etc", "/usr"};
    if (mountPoint.startsWith(QLatin1String("/run/media/"))) return true;
    for (const char* place : systemPlaces) {
        const QString p = QString::fromLatin1(place);
        if (mountPoint == p || mountPoint.startsWith(p + QLatin1Char('/'))) return false;
    }
    return true;
}
}  // namespace

FolderTree::Node FolderTree::FolderNode(const QString& path, const QString& name, Kind kind) {
    Node node;
    node.path = QDir::cleanPath(path);
    node.name = name.isEmpty() ? QFileInfo(node.path).fileName() : name;
    if (node.name.isEmpty()) node.name = node.path;
    node.kind = kind;
    node.canonical = Canonical(node.path);
    node.hasChildren = HasSubFolders(node.path);
    return node;
}

QList<FolderTree::Node> FolderTree::DefaultRoots() {
    QList<Node> roots;
    const QString home = QDir::homePath();
    roots << FolderNode(home, QStringLiteral("主文件夹"), Kind::Home);
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir() && Canonical(desktop) != Canonical(home))
        roots << FolderNode(desktop, QStringLiteral("桌面"), Kind::Desktop);
    roots << ComputerNode();
    roots << FolderNode(QStringLiteral("/"), QStringLiteral("/"), Kind::Folder);
    return roots;
}

FolderTree::Node FolderTree::ComputerNode() {
    Node computer;
    computer.name = QStringLiteral("计算机");
    computer.kind = Kind::Computer;
    computer.hasChildren = true;
    return computer;
}

QList<FolderTree::Node> FolderTree::Roots() {
    return RootsOverride() ? *RootsOverride() : DefaultRoots();
}

void FolderTree::SetRoots(std::optional<QList<Node>> roots) {
    RootsOverride() = std::move(roots);
}

QList<FolderTree::Node> FolderTree::Children(const Node& node, const QStringList& ancestry) {
    if (node.kind == Kind::Computer) return Volumes();
    if (node.path.isEmpty() || node.linksBack) return {};
    return SubFolders(node.path, ancestry);
}

QList<FolderTree::Node> FolderTree::SubFolders(const QString& path, const QStringList& ancestry) {
    QList<Node> nodes;
    // Without QDir::Hidden, names starting with "." are left out; links to folders count as
    // folders, dangling links and links that loop on themselves do not.
    const QFileInfoList entries =
        QDir(path).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo& entry : entries) {
        Node node;
        node.name = entry.fileName();
        node.path = entry.absoluteFilePath();
        node.canonical = Canonical(node.path);
        node.linksBack = ancestry.contains(node.canonical);
        node.hasChildren = !node.linksBack && HasSubFolders(node.path);
        nodes << node;
    }
    SortByName(nodes);
    return nodes;
}

bool FolderTree::HasSubFolders(const QString& path) {
    QDirIterator it(path, QDir::Dirs | QDir::NoDotAndDotDot);
    return it.hasNext();
}

void FolderTree::SortByName(QList<Node>& nodes) {
    // The C locale collates by code point (capitals first, 10 before 9); the program's own
    // language stands in for it.
    const QLocale locale =
        QLocale().language() == QLocale::C ? QLocale(QLocale::Chinese, QLocale::China) : QLocale();
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(nodes.begin(), nodes.end(), [&](const Node& a, const Node& b) {
        const int c = collator.compare(a.name, b.name);
        return c != 0 ? c < 0 : a.name < b.name;
    });
}

QStringList FolderTree::VolumeMountPoints(const QByteArray& mountTable) {
    QStringList points;
    for (const QByteArray& line : mountTable.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3) continue;
        const QString mountPoint = DecodeMountField(fields[1]);
        if (!mountPoint.startsWith(QLatin1Char('/')) || points.contains(mountPoint)) continue;
        if (IsBrowsableVolume(fields[0], mountPoint, fields[2])) points << mountPoint;
    }
    return points;
}

QList<FolderTree::Node> FolderTree::Volumes() {
    QFile table(QStringLiteral("/proc/self/mounts"));
    QByteArray text;
    if (table.open(QIODevice::ReadOnly)) text = table.readAll();
    QList<Node> volumes;
    for (const QString& point : VolumeMountPoints(text)) {
        // Containers bind single files (such as /etc/hosts) too; only folders are volumes.
        if (!QFileInfo(point).isDir()) continue;
        volumes << FolderNode(point, point, Kind::Volume);
    }
    return volumes;
}

QString FolderTree::MakeNewFolder(const QString& parent, QString* error) {
    const QDir dir(parent);
    if (parent.isEmpty() || !dir.exists()) {
        if (error) *error = QStringLiteral("请先选择一个文件夹");
        return {};
    }
    for (int n = 1; n < 1000; ++n) {
        const QString name =
            n == 1 ? QStringLiteral("新建文件夹") : QStringLiteral("新建文件夹 (%1)").arg(n);
        if (QFileInfo::exists(dir.filePath(name)) || QFileInfo(dir.filePath(name)).isSymLink())
            continue;
        if (dir.mkdir(name)) return dir.filePath(name);
        break;
    }
    if (error) *error = QStringLiteral("无法在 %1 中新建文件夹").arg(parent);
    return {};
}

QString FolderTree::RenameFolder(const QString& path, const QString& name, QString* error) {
    const QString trimmed = name.trimmed();
    const auto fail = [error](const QString& why) {
        if (error) *error = why;
        return QString();
    };
    if (trimmed.isEmpty() || trimmed == QLatin1String(".") || trimmed == QLatin1String("..") ||
        trimmed.contains(QLatin1Char('/')))
        return fail(QStringLiteral("文件夹名无效"));
    const QFileInfo info(path);
    const QString target = QDir(info.absolutePath()).filePath(trimmed);
    if (target == info.absoluteFilePath()) return target;
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        return fail(QStringLiteral("已有同名的文件或文件夹"));
    if (!QDir(info.absolutePath()).rename(info.fileName(), trimmed))
        return fail(QStringLiteral("无法重命名文件夹"));
    return target;
}
