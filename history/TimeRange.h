#pragma once
// The four time boxes of the history window. Read as a range, each box holds one or two digits
// (blanks around them are ignored): hours 0 to 23, minutes 0 to 59, so hour 7 and minute 5
// give 07:05. A start that is not before the end is a valid range that holds no record.

#include <QString>
#include <optional>

namespace tarnby {

// The texts of the four time boxes as they stand: the From hour and minute, the To hour and
// minute.
struct TimeBoxes {
    QString fromHour, fromMinute, toHour, toMinute;
};

struct TimeRange {
    int from = 0; // seconds since midnight
    int to = 0;
};

// The range a picked day log is loaded with: the boxes "00" "00" "23" "59", 00:00 to 23:59.
inline constexpr TimeRange WholeDay{0, (23 * 60 + 59) * 60};

struct TimeRangeCheck {
    std::optional<TimeRange> range;
    QString message; // for the user, when a box does not hold a time
};

TimeRangeCheck readTimeRange(const TimeBoxes& boxes);

} // namespace tarnby
