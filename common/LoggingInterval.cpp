#include "common/LoggingInterval.h"

#include "common/NumberText.h"

#include <cmath>

namespace tarnby {

std::optional<LoggingInterval> checkLoggingInterval(const QString& text) {
    if (!readsAsNumber(text))
        return std::nullopt;
    LoggingInterval interval{text};
    if (*readNumber(interval.text) > 600)
        interval.text = QStringLiteral("600");
    if (!(*readNumber(interval.text) >= 10))
        interval.text = QStringLiteral("10");
    interval.seconds = *readNumber(interval.text);
    interval.milliseconds = static_cast<int>(std::lround(interval.seconds * 1000.0));
    return interval;
}

} // namespace tarnby
