#include "history/TimeRange.h"

#include "common/TimeText.h"

namespace tarnby {

namespace {
// Hours ":" minutes by the shared time-of-day rule; a ":" inside a box would let it smuggle in
// seconds, so it makes the box invalid.
std::optional<int> readBoxes(const QString& hours, const QString& minutes) {
    if (hours.contains(u':') || minutes.contains(u':'))
        return std::nullopt;
    return readTimeOfDay(QString(hours + u':' + minutes));
}

QString notATime(const QString& which, const QString& hours, const QString& minutes) {
    return QStringLiteral("The %1 time \"%2:%3\" is not a time of day. Type the hour (0 to 23) "
                          "and the minute (0 to 59) as numbers, then press DISPLAY again.")
        .arg(which, hours, minutes);
}
} // namespace

TimeRangeCheck readTimeRange(const TimeBoxes& boxes) {
    const auto from = readBoxes(boxes.fromHour, boxes.fromMinute);
    if (!from)
        return {std::nullopt, notATime(QStringLiteral("start"), boxes.fromHour, boxes.fromMinute)};
    const auto to = readBoxes(boxes.toHour, boxes.toMinute);
    if (!to)
        return {std::nullopt, notATime(QStringLiteral("end"), boxes.toHour, boxes.toMinute)};
    return {TimeRange{*from, *to}, {}};
}

} // namespace tarnby
