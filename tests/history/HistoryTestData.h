#pragma once
// Day logs for the history tests and the screenshot: record lines as the logger writes them.

#include "common/PictureFormat.h"
#include "common/TimeText.h"
#include "history/DayLogLoader.h"
#include "history/TimeRange.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace tarnby::test {

struct DayRecord {
    int minute = 0; // minutes since midnight
    double volts = 0, amps = 0, watts = 0, rpm = 0, speed = 0;
};

// `count` records spread evenly from 00:01 to 23:58, several a minute when there are more
// records than minutes: wind gusting over the day, a load in the evening. Same seed, same day.
inline std::vector<DayRecord> generatedDay(int count, std::uint32_t seed = 7) {
    std::vector<DayRecord> day(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        DayRecord& r = day[static_cast<size_t>(i)];
        r.minute = 1 + static_cast<int>(i * 1438LL / count);
        const double h = r.minute / 60.0; // hour of day
        seed = seed * 1664525u + 1013904223u;
        const double noise = static_cast<double>(seed >> 8) / (1u << 23) - 1; // -1 to 1
        r.speed = std::max(0.0, 9.5 - 5.5 * std::cos(h / 3.82) + 3 * std::sin(h * 1.7) + noise / 3);
        r.rpm = std::clamp((r.speed - 7) * 32, 0.0, 460.0);
        r.amps = std::max(0.0, (r.rpm - 40) / 22) - 2.2 - (h > 17.5 && h < 22.5 ? 5.5 : 0);
        r.volts = 25.4 + 0.06 * r.amps;
        r.watts = r.volts * r.amps;
    }
    return day;
}

// The records as the logger writes them: one line each, CR LF included.
inline QByteArray dayLogBytes(const std::vector<DayRecord>& day) {
    QByteArray bytes;
    for (const DayRecord& r : day)
        bytes += QStringLiteral(
                     "<T>%1</T><V>%2</V><I>%3</I><W>%4</W><R>%5</R><S>%6</S><M>0</M>   .0Wh\r\n")
                     .arg(timeOfDayText(r.minute), formatPicture(r.volts, "##.00"),
                          formatPicture(r.amps, "###.00"), formatPicture(r.watts, "####.00"),
                          formatPicture(r.rpm, "####"), formatPicture(r.speed, "###.0"))
                     .toLatin1();
    return bytes;
}

// The records of a day log, loaded as a pick of the whole day loads them.
inline HistoryState loaded(const QByteArray& dayLog) {
    HistoryState s;
    DayLogLoader::load(dayLog, WholeDay, s);
    return s;
}

} // namespace tarnby::test
