#include "common/AppFolder.h"

#include "common/AppPaths.h"
#include "tarnby/InstallLayout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tarnby {

FolderContext FolderContext::ofRunningProgram() {
    return FolderContext{InstalledLayout, AppPaths::ofRunningProgram().folder(),
                         QDir::currentPath(), qEnvironmentVariable("XDG_DATA_HOME"),
                         QDir::homePath()};
}

FolderChoice chooseAppFolder(Program program, const QString& givenFolder,
                             const FolderContext& context) {
    if (!givenFolder.isEmpty())
        return {QDir::cleanPath(QDir(context.currentFolder).absoluteFilePath(givenFolder))};
    if (!context.installedLayout)
        return {QDir::cleanPath(context.executableFolder)};
    if (program == Program::Service)
        return {QStringLiteral("/var/lib/tarnby")};
    // XDG base directories are absolute: a relative XDG_DATA_HOME is ignored.
    const QString dataHome = QDir::isAbsolutePath(context.xdgDataHome)
                                 ? context.xdgDataHome
                                 : context.home + QStringLiteral("/.local/share");
    return {QDir::cleanPath(dataHome + QStringLiteral("/tarnby")), true};
}

QString fillNewFolder(const QString& folder, const QString& samplesFolder) {
    if (QFileInfo::exists(folder) || QFileInfo(folder).isSymLink())
        return {};
    const auto failed = [&folder](const QString& reason) {
        return QStringLiteral("Tarnby cannot set up its folder %1: %2.").arg(folder, reason);
    };
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral("logs")))
        return failed(QStringLiteral("the folder cannot be created"));
    for (const char* file : {"prog.cfg", "settings.cfg"}) {
        const QString name = QString::fromLatin1(file);
        QFile sample(samplesFolder + u'/' + name);
        if (!sample.copy(dir.filePath(name))) {
            const QString reason = sample.errorString();
            dir.removeRecursively();
            return failed(
                QStringLiteral("%1 not copied from %2 (%3)").arg(name, samplesFolder, reason));
        }
    }
    return {};
}

QString fillNewFolder(const QString& folder) {
    return fillNewFolder(folder, QString::fromUtf8(InstalledSamplesFolder));
}

} // namespace tarnby
