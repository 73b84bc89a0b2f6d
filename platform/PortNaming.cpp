#include "platform/PortNaming.h"

#include <QFileInfo>
#include <QSerialPortInfo>

namespace tarnby {

QString deviceForPort(const AppPaths& paths, int portNumber) {
#ifdef Q_OS_WIN
    Q_UNUSED(paths);
    return QStringLiteral("COM%1").arg(portNumber);
#else
    const QString link = paths.portLink(portNumber);
    const QFileInfo entry(link);
    if (entry.exists() || entry.isSymLink())
        return link;
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

QStringList systemSerialPorts() {
    QStringList ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        QString text = info.systemLocation();
        if (!info.description().isEmpty())
            text += QStringLiteral(" (%1)").arg(info.description());
        ports << text;
    }
    return ports;
}

} // namespace tarnby
