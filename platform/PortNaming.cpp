#include "platform/PortNaming.h"

#include <QFileInfo>

namespace tarnby {

QString deviceForPort(const QString& portLink, int portNumber) {
#ifdef Q_OS_WIN
    Q_UNUSED(portLink);
    return QStringLiteral("COM%1").arg(portNumber);
#else
    const QFileInfo entry(portLink);
    if (entry.exists() || entry.isSymLink())
        return portLink;
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

} // namespace tarnby
