#include "platform/PortNaming.h"

#include <QFileInfo>
#include <QSerialPortInfo>

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
