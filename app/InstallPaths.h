#pragma once

#include <QString>

// Every path of an installation, derived once at start-up from the executable's location.
// Folders carry no trailing separator.
struct InstallPaths {
    QString exePath;
    QString exeFolder;
    QString picFolder;   // beside the executable: the pictures of a published copy
    QString dataFolder;  // the "sysfile" folder chosen by the parent-folder rule
    QString splashPath;
    QString configPath;

    // Derives the paths for the executable at `exePath`. A program started from a sub-folder
    // of an authoring installation (whose own sysfile/config.ini says 发布状态=0) works on that
    // installation's data folder; otherwise the data folder is the executable's own sysfile.
    static InstallPaths FromExecutable(const QString& exePath);

    // The published picture folder: "pic", or an existing "Pic" that older copies used.
    static QString PictureFolder(const QString& exeFolder);

    // Whether 发布状态 marks a published copy. The one rule every window follows: only "1" is a
    // published copy; "0", a missing key or any other text is the authoring copy.
    static bool IsPublishedState(const QString& state) { return state == QLatin1String("1"); }

    // Resolves a published relative path such as "pic/类/产品/a.jpg" or "pic\\..." against
    // picFolder (the leading four characters name the folder itself). Empty in, empty out, and
    // empty for a path that leads out of picFolder (see InsidePictureFolder).
    QString ResolvePublished(const QString& relative) const;

    // Whether `path` lies inside picFolder: by its text once ".." is resolved, and, where it
    // exists, by what it really names once symbolic links are followed. A published copy reads
    // nothing else.
    bool InsidePictureFolder(const QString& path) const;
    // The same rule for any folder.
    static bool IsInside(const QString& path, const QString& folder);
};
