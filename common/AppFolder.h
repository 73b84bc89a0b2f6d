#pragma once
// Which application folder a program uses, and the first start of the installed desktop
// program. The folder is, in this order:
// 1. --folder DIR, made absolute against the current folder;
// 2. in a build for installing (InstalledLayout): the desktop program's
//    $XDG_DATA_HOME/tarnby (~/.local/share/tarnby when XDG_DATA_HOME is unset or not an
//    absolute path) or the service's /var/lib/tarnby;
// 3. otherwise the folder of the executable (a build run from its build folder).

#include "common/ProgramOptions.h"

#include <QString>

namespace tarnby {

// Everything the choice depends on, so tests can state it.
struct FolderContext {
    bool installedLayout = false;
    QString executableFolder;
    QString currentFolder;
    QString xdgDataHome; // the variable's value, empty when unset
    QString home;

    // The running program in this build; needs a QCoreApplication (for the executable).
    static FolderContext ofRunningProgram();
};

struct FolderChoice {
    QString folder; // absolute, cleaned
    // The desktop program's installed default: the folder to fill on a first start.
    bool desktopDefault = false;
};

// `givenFolder` is ProgramOptions::folder.
FolderChoice chooseAppFolder(Program program, const QString& givenFolder,
                             const FolderContext& context);

// When `folder` does not exist: creates it with copies of prog.cfg (whose Port is "0") and
// settings.cfg from `samplesFolder`, and an empty logs folder. An existing folder is left as it
// is, whatever it holds; nothing is ever overwritten. Returns an empty string on success,
// otherwise the sentence to show, and leaves no half-filled folder behind.
QString fillNewFolder(const QString& folder, const QString& samplesFolder);
// The same from the samples this build installs.
QString fillNewFolder(const QString& folder);

} // namespace tarnby
