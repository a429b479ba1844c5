#pragma once

#include <QString>

#include "app/InstallPaths.h"

// The user's own authoring installation, for a program installed system-wide (/usr/bin/vistrel)
// that has no installation beside it: $XDG_DATA_HOME/vistrel, holding sysfile/ and pic/ as any
// installation does. It is made on first start with an empty catalogue, config.ini (发布状态=0)
// and the skin that the package installs.
namespace UserInstallation {

// $XDG_DATA_HOME/vistrel (~/.local/share/vistrel by default).
QString Folder();

// Where a package puts the skin a new installation starts with: <prefix>/share/vistrel/skin for
// an executable in <prefix>/bin.
QString SharedSkinFolder(const QString& exeFolder);

// Whether the executable found an installation of its own (a data folder beside it or, for a
// sub-folder of an authoring installation, its parent's).
bool HasInstallation(const InstallPaths& paths);

// The paths of the installation in `folder`, keeping the executable's own path (publishing
// copies the running program).
InstallPaths PathsIn(const InstallPaths& exe, const QString& folder);

// Makes `folder` a complete empty authoring installation where it is not one yet: sysfile/ with
// an empty catalogue, config.ini with 发布状态=0 and every file of `skinFolder`. What exists is
// kept (a catalogue is never replaced), so a half-made folder is completed on the next start.
// False with the reason in `error` when something cannot be written.
bool Prepare(const QString& folder, const QString& skinFolder, QString* error);

}  // namespace UserInstallation
