#include "common/AppPaths.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace tarnby {

AppPaths AppPaths::ofRunningProgram() {
    // applicationFilePath() comes from /proc/self/exe on Linux, already free of symlinks;
    // canonicalFilePath() resolves them where the platform does not.
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    const QString canonical = exe.canonicalFilePath();
    return AppPaths(QFileInfo(canonical.isEmpty() ? exe.filePath() : canonical).absolutePath());
}

} // namespace tarnby
