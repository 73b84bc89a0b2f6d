#include "platform/SerialLink.h"

#include <QStringList>

namespace tarnby {

std::optional<int> baudFromSettings(const QString& settings) {
    const QStringList parts = settings.split(u',');
    if (parts.size() != 4 || parts[1] != u"N" || parts[2] != u"8" || parts[3] != u"1")
        return std::nullopt;
    bool ok = false;
    const int baud = parts[0].toInt(&ok);
    if (!ok || baud <= 0)
        return std::nullopt;
    return baud;
}

} // namespace tarnby
