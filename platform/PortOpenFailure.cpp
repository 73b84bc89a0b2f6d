#include "platform/PortOpenFailure.h"

namespace tarnby {

QString portOpenFailureReason(const PortOpenFailure& failure) {
    switch (failure.refusal) {
    case PortOpenFailure::Refusal::NoSuchDevice:
        return QStringLiteral("no such device");
    case PortOpenFailure::Refusal::InUse:
        return QStringLiteral("in use by another program");
    case PortOpenFailure::Refusal::PermissionOrLock:
        if (!failure.deviceWritable) {
            const QString group =
                failure.deviceGroup.isEmpty() ? QStringLiteral("dialout") : failure.deviceGroup;
            return QStringLiteral("permission denied: join the group %1 with sudo usermod -aG %1 "
                                  "$USER, then log out and in")
                .arg(group);
        }
        return QStringLiteral("in use by another program (%1)").arg(failure.systemText);
    case PortOpenFailure::Refusal::Other:
        break;
    }
    return QStringLiteral("cannot be opened (%1)").arg(failure.systemText);
}

} // namespace tarnby
