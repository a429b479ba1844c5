#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// The Qt runtime a published copy carries beside its executable, so that it starts on a machine
// without Qt:
//   lib/           every shared library the executable and its plugins load, except the base
//                  system every Linux desktop has (the rules below);
//   plugins/       the Qt plugins the program opens;
//   translations/  the Qt translation start-up loads;
//   qt.conf        which points Qt at those two folders instead of the system's.
// The executable looks in lib/ first through its rpath ($ORIGIN/lib).
//
// The lists come from the built program itself: what the loader resolves for it and for each
// plugin (ldd), and the plugins whose keys the program uses, so nothing is written down by hand
// that could go stale when Qt or the program changes.
class RuntimeBundle {
public:
    // Whether a library goes into lib/, by file name; the first matching rule decides, and a
    // library no rule matches is bundled. A library that a left-out one needs is left out too:
    // wherever the system library is installed, so is what it needs.
    struct LibraryRule {
        QString pattern;  // wildcard on the library's name, e.g. "libxcb-*.so*"
        bool bundled;
    };
    static const QList<LibraryRule>& LibraryRules();
    static bool IsLeftOutByName(const QString& library);

    // The plugins the program opens: those in `folder` that offer one of `keys`, or every plugin
    // there when `keys` is empty.
    struct PluginRule {
        QString folder;
        QStringList keys;
        bool required;  // without it the runtime is of no use (the platform, the database)
    };
    static QList<PluginRule> PluginRules();

    // Reads ldd's answer for one file into name -> resolved file; names the loader cannot find go
    // to `missing`. False when the answer is not that of a dynamic ELF object.
    static bool ParseLdd(const QString& output, QMap<QString, QString>& found,
                         QStringList& missing);

    // `executable` is the program to publish; plugins and translations come from the running
    // Qt's folders unless set.
    explicit RuntimeBundle(const QString& executable);
    void SetQtFolders(const QString& plugins, const QString& translations);

    // Works out what to bundle. False, with Why(), where there is no Qt runtime to bundle: the
    // program is no dynamic executable, does not use Qt, needs a library the loader cannot find,
    // or a required plugin is missing. An earlier copy in `previous` whose record of what it
    // bundled still matches every file the answer came from gives the answer without the loader.
    bool Find(const QString& previous = {});
    const QString& Why() const { return m_why; }
    // Whether the last Find() took the earlier copy's answer.
    bool FromEarlierCopy() const { return m_fromEarlier; }

    // Library name in lib/ -> its file on this machine.
    const QMap<QString, QString>& Libraries() const { return m_libraries; }
    // The names left to the target system.
    const QStringList& LeftOut() const { return m_leftOut; }
    // Path below plugins/ ("platforms/libqxcb.so") -> its file on this machine.
    const QMap<QString, QString>& Plugins() const { return m_plugins; }
    // File name in translations/ -> its file on this machine.
    const QMap<QString, QString>& Translations() const { return m_translations; }

    // The folders and qt.conf this class writes into a copy.
    static QStringList OwnEntries();
    // The record WriteTo() leaves last in a copy: what Find() chose and the files it looked at.
    static const QString& RecordName();
    bool WriteRecord(const QString& folder, QString* error) const;

    // Replaces lib/, plugins/, translations/ and qt.conf in `folder` with stripped copies of what
    // Find() chose. Files of an earlier copy in `previous` that were made from the same files
    // are hard-linked instead, so a republish does not strip everything again.
    bool WriteTo(const QString& folder, QString* error, const QString& previous = {}) const;
    // Removes what an earlier publish bundled into `folder`, so the copy uses the system's Qt.
    static bool RemoveFrom(const QString& folder, QString* error);

    // Copies an executable or library without its symbols; a plain copy where `strip` is not
    // installed or does not understand the file. Keeps the source's permissions. A `previous`
    // file made from the unchanged source is hard-linked instead. `strip` ends with this
    // process, should it be killed.
    static bool CopyStripped(const QString& source, const QString& destination, QString* error,
                             const QString& previous = {});

private:
    bool FindFresh();
    bool ReadRecord(const QString& previous);
    QByteArray Record() const;
    // The rules and folders an answer depends on besides the files it looked at.
    QString Context() const;

    bool Resolve(const QString& file, QMap<QString, QString>& found);
    // The same with `loader` (empty: ldd), from any thread; the reason of a failure in `why`.
    static bool ResolveWith(const QString& loader, const QString& file,
                            QMap<QString, QString>& found, QString& why);

    QString m_executable;
    QString m_loader;  // the program's dynamic loader, once known
    QString m_pluginFolder;
    QString m_translationFolder;
    QString m_why;
    QMap<QString, QString> m_libraries;
    QStringList m_leftOut;
    QMap<QString, QString> m_plugins;
    QMap<QString, QString> m_translations;
    QStringList m_inputs;  // every file and folder the answer came from
    bool m_fromEarlier = false;
};
