#pragma once
// Time-of-day text: 24-hour hours and minutes, two digits each, separated by ":" (09:30).
// Used by day-log records, watt-hour lines, the history window and CSV rows.

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <QTime>
#include <optional>

namespace tarnby {

QString timeOfDayText(const QTime& time);
// Minutes since midnight as hh:mm (0..1439).
QString timeOfDayText(int minutesSinceMidnight);

// Reads a time of day written as hours ":" minutes (one or two digits each, blanks around
// either part tolerated, as "7:5", "07:05", " 9:30"), optionally followed by ":" seconds.
// Hours 0..23, minutes and seconds 0..59. Returns seconds since midnight; empty otherwise.
std::optional<int> readTimeOfDay(QStringView text);
// The same rule on bytes (day logs are read as they are); the white space around a part is
// ASCII white space there.
std::optional<int> readTimeOfDay(QByteArrayView text);

} // namespace tarnby
