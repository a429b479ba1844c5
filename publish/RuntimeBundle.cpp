#include "publish/RuntimeBundle.h"

#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QTranslator>
#include <QtConcurrent>
#include <csignal>
#include <cstdio>

#include "app/QtTranslations.h"
#include "controls/PictureLoader.h"
#include "publish/FileCopier.h"

namespace {

const QString kLib = QStringLiteral("lib");
const QString kPlugins = QStringLiteral("plugins");
const QString kTranslations = QStringLiteral("translations");
const QString kQtConf = QStringLiteral("qt.conf");

// Qt reads qt.conf beside the executable; relative paths are taken from the executable's folder.
constexpr char kQtConfText[] =
    "[Paths]\nPrefix = .\nPlugins = plugins\nTranslations = translations\n";

const RuntimeBundle::LibraryRule* RuleFor(const QString& library) {
    // Compiled once: a publish asks for every library the program and its plugins load.
    static const QList<QRegularExpression> patterns = [] {
        QList<QRegularExpression> list;
        for (const RuntimeBundle::LibraryRule& rule : RuntimeBundle::LibraryRules())
            list << QRegularExpression::fromWildcard(rule.pattern);
        return list;
    }();
    const auto& rules = RuntimeBundle::LibraryRules();
    for (qsizetype i = 0; i < patterns.size(); ++i)
        if (patterns[i].match(library).hasMatch()) return &rules[i];
    return nullptr;
}

bool Fail(QString* error, const QString& why) {
    if (error) *error = why;
    return false;
}

QString TempBeside(const QString& destination) {
    return QDir(QFileInfo(destination).absolutePath())
        .filePath(
            QStringLiteral(".vistrel-%1.tmp").arg(QRandomGenerator::global()->generate64(), 0, 16));
}

// A helper program is killed when the process that started it dies, so a killed publish
// leaves nothing running.
void EndWithUs(QProcess& process) {
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);  // died before the line above
    });
}

// The same entry of an earlier copy, or "" without one.
QString Previous(const QString& previous, const QString& relative) {
    return previous.isEmpty() ? QString() : QDir(previous).filePath(relative);
}

// Whether a file may carry symbols to strip: a symbol table or debugging section names itself in
// the section name table. Most system libraries are stripped already and are copied as they are.
bool HasSymbols(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return true;  // let strip or the copy report it
    const uchar* data = f.size() > 0 ? f.map(0, f.size()) : nullptr;
    if (!data) return true;
    const QByteArrayView bytes(data, f.size());
    return bytes.indexOf(QByteArrayView(".symtab")) >= 0 ||
           bytes.indexOf(QByteArrayView(".debug_")) >= 0;
}

// What tells one version of a file or folder from another; empty when it is not there.
QString StampOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return QString();
    return QStringLiteral("%1:%2:%3.%4:%5.%6")
        .arg(st.st_ino)
        .arg(st.st_size)
        .arg(st.st_mtim.tv_sec)
        .arg(st.st_mtim.tv_nsec)
        .arg(st.st_ctim.tv_sec)
        .arg(st.st_ctim.tv_nsec);
}

}  // namespace

const QList<RuntimeBundle::LibraryRule>& RuntimeBundle::LibraryRules() {
    static const QList<LibraryRule> rules = {
        // The xcb helper libraries come in packages of their own that many desktops lack; they
        // need nothing but libxcb itself.
        {QStringLiteral("libxcb-icccm.so*"), true},
        {QStringLiteral("libxcb-image.so*"), true},
        {QStringLiteral("libxcb-keysyms.so*"), true},
        {QStringLiteral("libxcb-render-util.so*"), true},
        {QStringLiteral("libxcb-util.so*"), true},
        {QStringLiteral("libxcb-cursor.so*"), true},
        // The C and C++ runtime: a copy of its own would clash with the system's loader.
        {QStringLiteral("ld-linux*.so*"), false},
        {QStringLiteral("libc.so*"), false},
        {QStringLiteral("libm.so*"), false},
        {QStringLiteral("libpthread.so*"), false},
        {QStringLiteral("libdl.so*"), false},
        {QStringLiteral("librt.so*"), false},
        {QStringLiteral("libresolv.so*"), false},
        {QStringLiteral("libstdc++.so*"), false},
        {QStringLiteral("libgcc_s.so*"), false},
        // The X11 and xcb client libraries, which belong to the display the desktop runs.
        {QStringLiteral("libX11.so*"), false},
        {QStringLiteral("libX11-xcb.so*"), false},
        {QStringLiteral("libXau.so*"), false},
        {QStringLiteral("libXdmcp.so*"), false},
        {QStringLiteral("libXext.so*"), false},
        {QStringLiteral("libXrender.so*"), false},
        {QStringLiteral("libSM.so*"), false},
        {QStringLiteral("libICE.so*"), false},
        {QStringLiteral("libxcb.so*"), false},
        {QStringLiteral("libxcb-*.so*"), false},
        // Fonts are configured by the system; its font setup must match its own libraries.
        {QStringLiteral("libfontconfig.so*"), false},
        {QStringLiteral("libfreetype.so*"), false},
        // OpenGL is the graphics driver's, which only the target machine knows.
        {QStringLiteral("libGL.so*"), false},
        {QStringLiteral("libGLX.so*"), false},
        {QStringLiteral("libEGL.so*"), false},
        {QStringLiteral("libOpenGL.so*"), false},
        {QStringLiteral("libGLdispatch.so*"), false},
    };
    return rules;
}

bool RuntimeBundle::IsLeftOutByName(const QString& library) {
    const LibraryRule* rule = RuleFor(library);
    return rule && !rule->bundled;
}

QList<RuntimeBundle::PluginRule> RuntimeBundle::PluginRules() {
    return {
        {QStringLiteral("platforms"), {QStringLiteral("xcb")}, true},
        {QStringLiteral("sqldrivers"), {QStringLiteral("QSQLITE")}, true},
        // PNG and BMP are read by Qt itself; the other picture formats need their plugins.
        {QStringLiteral("imageformats"), PictureLoader::AcceptedSuffixes(), false},
        {QStringLiteral("xcbglintegrations"), {}, false},
        // Typing Chinese into the search box goes through the input method.
        {QStringLiteral("platforminputcontexts"), {}, false},
    };
}

bool RuntimeBundle::ParseLdd(const QString& output, QMap<QString, QString>& found,
                             QStringList& missing) {
    static const QRegularExpression linked(
        QStringLiteral(R"(^\s*(\S+) => (.+?)(?: \(0x[0-9a-f]+\))?\s*$)"));
    static const QRegularExpression direct(QStringLiteral(R"(^\s*(/\S+) \(0x[0-9a-f]+\)\s*$)"));
    bool dynamic = false;
    for (const QString& line : output.split(QLatin1Char('\n'))) {
        if (const auto m = linked.match(line); m.hasMatch()) {
            dynamic = true;
            if (m.captured(2) == QLatin1String("not found") || !m.captured(2).startsWith('/'))
                missing << m.captured(1);
            else
                found.insert(m.captured(1), m.captured(2));
        } else if (const auto d = direct.match(line); d.hasMatch()) {
            dynamic = true;  // the loader itself
            found.insert(QFileInfo(d.captured(1)).fileName(), d.captured(1));
        }
    }
    return dynamic;
}

RuntimeBundle::RuntimeBundle(const QString& executable)
    : m_executable(executable),
      m_pluginFolder(QLibraryInfo::path(QLibraryInfo::PluginsPath)),
      m_translationFolder(QLibraryInfo::path(QLibraryInfo::TranslationsPath)) {}

void RuntimeBundle::SetQtFolders(const QString& plugins, const QString& translations) {
    m_pluginFolder = plugins;
    m_translationFolder = translations;
}

bool RuntimeBundle::Resolve(const QString& file, QMap<QString, QString>& found) {
    return ResolveWith(m_loader, file, found, m_why);
}

bool RuntimeBundle::ResolveWith(const QString& loader, const QString& file,
                                QMap<QString, QString>& found, QString& why) {
    // The loader lists what it would load just as ldd does, without ldd's script around it.
    QProcess ldd;
    ldd.setProcessChannelMode(QProcess::MergedChannels);
    EndWithUs(ldd);
    if (loader.isEmpty())
        ldd.start(QStringLiteral("ldd"), {file});
    else
        ldd.start(loader, {QStringLiteral("--list"), file});
    if (!ldd.waitForFinished(60000) || ldd.exitStatus() != QProcess::NormalExit) {
        why = QStringLiteral("ldd could not be run on %1").arg(file);
        return false;
    }
    QStringList missing;
    if (ldd.exitCode() != 0 || !ParseLdd(QString::fromLocal8Bit(ldd.readAll()), found, missing)) {
        why = QStringLiteral("%1 is no dynamically linked program").arg(file);
        return false;
    }
    if (!missing.isEmpty()) {
        why = QStringLiteral("%1 needs %2, which cannot be found").arg(file, missing.join(", "));
        return false;
    }
    return true;
}

const QString& RuntimeBundle::RecordName() {
    static const QString name = QStringLiteral("lib/.vistrel-runtime.json");
    return name;
}

bool RuntimeBundle::Find(const QString& previous) {
    const auto clear = [this] {
        m_why.clear();
        m_libraries.clear();
        m_leftOut.clear();
        m_plugins.clear();
        m_translations.clear();
        m_inputs.clear();
    };
    clear();
    m_fromEarlier = !previous.isEmpty() && ReadRecord(previous);
    if (m_fromEarlier) return true;
    clear();  // what a refused record left half read
    return FindFresh();
}

QString RuntimeBundle::Context() const {
    QStringList parts{QStringLiteral("1"), m_executable, m_pluginFolder, m_translationFolder,
                      qEnvironmentVariable("LD_LIBRARY_PATH")};
    for (const LibraryRule& rule : LibraryRules())
        parts << rule.pattern + (rule.bundled ? QStringLiteral("+") : QStringLiteral("-"));
    for (const PluginRule& rule : PluginRules())
        parts << rule.folder + QLatin1Char(':') + rule.keys.join(QLatin1Char(',')) +
                     (rule.required ? QStringLiteral("!") : QString());
    return parts.join(QLatin1Char('\n'));
}

QByteArray RuntimeBundle::Record() const {
    const auto object = [](const QMap<QString, QString>& map) {
        QJsonObject o;
        for (auto it = map.cbegin(); it != map.cend(); ++it) o.insert(it.key(), it.value());
        return o;
    };
    QJsonArray inputs;
    for (const QString& input : m_inputs) inputs.append(QJsonArray{input, StampOf(input)});
    return QJsonDocument(QJsonObject{{"context", Context()},
                                     {"inputs", inputs},
                                     {"loader", m_loader},
                                     {"libraries", object(m_libraries)},
                                     {"leftOut", QJsonArray::fromStringList(m_leftOut)},
                                     {"plugins", object(m_plugins)},
                                     {"translations", object(m_translations)}})
        .toJson(QJsonDocument::Compact);
}

bool RuntimeBundle::ReadRecord(const QString& previous) {
    QFile file(QDir(previous).filePath(RecordName()));
    if (!file.open(QIODevice::ReadOnly) || file.size() > 4 * 1024 * 1024) return false;
    const QJsonObject record = QJsonDocument::fromJson(file.readAll()).object();
    if (record.value("context").toString() != Context()) return false;
    // Every file the answer came from must be as it was; anything else asks the loader again.
    QSet<QString> inputs;
    for (const QJsonValue& value : record.value("inputs").toArray()) {
        const QJsonArray input = value.toArray();
        const QString path = input.at(0).toString();
        if (path.isEmpty() || StampOf(path) != input.at(1).toString()) return false;
        inputs.insert(path);
        m_inputs << path;
    }
    if (!inputs.contains(m_executable)) return false;
    // Only files it looked at, under names that stay inside the copy's folders.
    const auto read = [&inputs](const QJsonValue& value, QMap<QString, QString>& map,
                                bool inFolder) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            const QStringList parts = it.key().split(QLatin1Char('/'));
            const bool safe = parts.size() == (inFolder ? 2 : 1) &&
                              std::none_of(parts.begin(), parts.end(), [](const QString& part) {
                                  return part.isEmpty() || part == QLatin1String("..") ||
                                         part == QLatin1String(".");
                              });
            if (!safe || !inputs.contains(it.value().toString())) return false;
            map.insert(it.key(), it.value().toString());
        }
        return true;
    };
    m_loader = record.value("loader").toString();
    m_leftOut = record.value("leftOut").toVariant().toStringList();
    return read(record.value("libraries"), m_libraries, false) &&
           read(record.value("plugins"), m_plugins, true) &&
           read(record.value("translations"), m_translations, false) &&
           m_libraries.contains(QStringLiteral("libQt6Core.so.6")) && !m_plugins.isEmpty();
}

bool RuntimeBundle::FindFresh() {
    QMap<QString, QString> all;
    m_loader.clear();
    if (!Resolve(m_executable, all)) return false;
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        if (it.key().startsWith(QLatin1String("ld-linux"))) m_loader = it.value();
    if (!all.contains(QStringLiteral("libQt6Core.so.6"))) {
        m_why = QStringLiteral("%1 does not load Qt's shared libraries").arg(m_executable);
        return false;
    }

    m_inputs << m_executable << QStringLiteral("/etc/ld.so.cache");
    for (const PluginRule& rule : PluginRules()) {
        const QDir folder(QDir(m_pluginFolder).filePath(rule.folder));
        m_inputs << folder.path();  // a plugin added or taken away
        QStringList wantedFiles;
        for (const QString& name : folder.entryList({QStringLiteral("*.so")}, QDir::Files)) {
            const QString file = folder.filePath(name);
            m_inputs << file;
            const QJsonArray keys = QPluginLoader(file)
                                        .metaData()
                                        .value(QStringLiteral("MetaData"))
                                        .toObject()
                                        .value(QStringLiteral("Keys"))
                                        .toArray();
            bool wanted = rule.keys.isEmpty();
            for (const auto& key : keys)
                wanted = wanted || rule.keys.contains(key.toString(), Qt::CaseInsensitive);
            if (wanted) wantedFiles << file;
        }
        // The loader runs once per plugin: on every core at once.
        struct Resolved {
            bool ok = false;
            QMap<QString, QString> needs;
            QString why;
        };
        const QString loader = m_loader;
        const QList<Resolved> resolved =
            QtConcurrent::blockingMapped(wantedFiles, [&loader](const QString& file) {
                Resolved r;
                r.ok = ResolveWith(loader, file, r.needs, r.why);
                return r;
            });
        int taken = 0;
        for (qsizetype i = 0; i < wantedFiles.size(); ++i) {
            if (!resolved[i].ok) {
                m_why = resolved[i].why;
                if (rule.required) return false;
                continue;  // a plugin this machine cannot load would not load on the target
            }
            all.insert(resolved[i].needs);
            m_plugins.insert(rule.folder + QLatin1Char('/') + QFileInfo(wantedFiles[i]).fileName(),
                             wantedFiles[i]);
            ++taken;
        }
        if (rule.required && taken == 0) {
            m_why = QStringLiteral("no %1 plugin for %2 in %3")
                        .arg(rule.folder, rule.keys.join(QLatin1Char(' ')), m_pluginFolder);
            return false;
        }
    }

    QTranslator translator;
    m_inputs << m_translationFolder;
    if (QtTranslations::Load(translator, m_translationFolder)) {
        m_translations.insert(QFileInfo(translator.filePath()).fileName(), translator.filePath());
        m_inputs << translator.filePath();
    }

    // What the left-out libraries need stays with them, unless a rule bundles it by name.
    QSet<QString> leftOut;
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        if (!IsLeftOutByName(it.key())) continue;
        // Already needed by a left-out library: what it needs is left out already.
        if (leftOut.contains(it.key())) continue;
        leftOut.insert(it.key());
        QMap<QString, QString> needs;
        const QString why = m_why;
        if (!Resolve(it.value(), needs)) m_why = why;  // the loader itself links nothing
        for (auto need = needs.cbegin(); need != needs.cend(); ++need) {
            const LibraryRule* rule = RuleFor(need.key());
            if (!rule || !rule->bundled) leftOut.insert(need.key());
        }
    }
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        m_inputs << it.value();
        if (leftOut.contains(it.key()))
            m_leftOut << it.key();
        else
            m_libraries.insert(it.key(), it.value());
    }
    m_inputs.removeDuplicates();
    return true;
}

QStringList RuntimeBundle::OwnEntries() {
    return {kLib, kPlugins, kTranslations, kQtConf};
}

bool RuntimeBundle::RemoveFrom(const QString& folder, QString* error) {
    for (const QString& entry : OwnEntries()) {
        const QString path = QDir(folder).filePath(entry);
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink()) continue;
        // A link is removed itself, never what it points at.
        const bool removed = info.isDir() && !info.isSymLink() ? QDir(path).removeRecursively()
                                                               : QFile::remove(path);
        if (!removed) return Fail(error, QStringLiteral("cannot remove %1").arg(path));
    }
    return true;
}

bool RuntimeBundle::WriteTo(const QString& folder, QString* error, const QString& previous) const {
    if (!RemoveFrom(folder, error)) return false;
    const QDir copy(folder);
    const auto makeFolder = [&](const QString& path) {
        return QDir().mkpath(path) || Fail(error, QStringLiteral("cannot create %1").arg(path));
    };
    if (!makeFolder(copy.filePath(kLib))) return false;
    for (auto it = m_libraries.cbegin(); it != m_libraries.cend(); ++it) {
        const QString relative = kLib + QLatin1Char('/') + it.key();
        if (!CopyStripped(it.value(), copy.filePath(relative), error, Previous(previous, relative)))
            return false;
    }
    for (auto it = m_plugins.cbegin(); it != m_plugins.cend(); ++it) {
        const QString relative = kPlugins + QLatin1Char('/') + it.key();
        const QString target = copy.filePath(relative);
        if (!makeFolder(QFileInfo(target).absolutePath()) ||
            !CopyStripped(it.value(), target, error, Previous(previous, relative)))
            return false;
    }
    if (!m_translations.isEmpty() && !makeFolder(copy.filePath(kTranslations))) return false;
    for (auto it = m_translations.cbegin(); it != m_translations.cend(); ++it) {
        const QString relative = kTranslations + QLatin1Char('/') + it.key();
        if (FileCopier::LinkUnchanged(it.value(), Previous(previous, relative),
                                      copy.filePath(relative)))
            continue;
        FileCopier copier;
        if (copier.Copy(it.value(), copy.filePath(relative)) != FileCopier::Result::Copied)
            return Fail(error, copier.ErrorString());
    }
    QSaveFile conf(copy.filePath(kQtConf));
    if (!conf.open(QIODevice::WriteOnly) || conf.write(kQtConfText) < 0 || !conf.commit())
        return Fail(error,
                    QStringLiteral("cannot write %1: %2").arg(conf.fileName(), conf.errorString()));
    // Last, so that a record only ever stands beside a whole runtime.
    return WriteRecord(folder, error);
}

bool RuntimeBundle::WriteRecord(const QString& folder, QString* error) const {
    QSaveFile record(QDir(folder).filePath(RecordName()));
    if (!record.open(QIODevice::WriteOnly) || record.write(Record()) < 0 || !record.commit())
        return Fail(
            error,
            QStringLiteral("cannot write %1: %2").arg(record.fileName(), record.errorString()));
    return true;
}

bool RuntimeBundle::CopyStripped(const QString& source, const QString& destination, QString* error,
                                 const QString& previous) {
    if (FileCopier::LinkUnchanged(source, previous, destination, true)) return true;
    if (!HasSymbols(source)) {
        FileCopier copier;
        return copier.Copy(source, destination) == FileCopier::Result::Copied ||
               Fail(error, copier.ErrorString());
    }
    const QString temp = TempBeside(destination);
    QProcess strip;
    strip.setProcessChannelMode(QProcess::MergedChannels);
    EndWithUs(strip);
    strip.start(QStringLiteral("strip"),
                {QStringLiteral("--strip-unneeded"), QStringLiteral("-o"), temp, source});
    const bool stripped = strip.waitForFinished(120000) &&
                          strip.exitStatus() == QProcess::NormalExit && strip.exitCode() == 0 &&
                          QFile::setPermissions(temp, QFileInfo(source).permissions());
    if (stripped && ::rename(QFile::encodeName(temp).constData(),
                             QFile::encodeName(destination).constData()) == 0)
        return true;
    QFile::remove(temp);
    FileCopier copier;
    return copier.Copy(source, destination) == FileCopier::Result::Copied ||
           Fail(error, copier.ErrorString());
}
