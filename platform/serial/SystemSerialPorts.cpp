#include "platform/serial/SystemSerialPorts.h"

#include <QSerialPortInfo>

namespace tarnby {

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
