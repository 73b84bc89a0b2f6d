#pragma once
// Day logs for the history tests: record lines as the logger writes them.

#include "common/PictureFormat.h"
#include "common/TimeText.h"
#include "history/DayLogLoader.h"
#include "history/TimeRange.h"

#include <vector>

namespace tarnby::test {

struct DayRecord {
    int minute = 0; // minutes since midnight
    double volts = 0, amps = 0, watts = 0, rpm = 0, speed = 0;
};

// `count` records spread evenly from 00:01 to 23:58, several a minute when there are more
// records than minutes, their readings varying along the day.
inline std::vector<DayRecord> generatedDay(int count) {
    std::vector<DayRecord> day;
    for (int i = 0; i < count; ++i)
        day.push_back({1 + static_cast<int>(i * 1438LL / count), 24 + i % 31 / 10.0, i % 7 - 2.0,
                       (i % 7 - 2.0) * 25, i % 450 * 1.0, i % 90 / 3.0});
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

// The records of a day log, loaded as a pick of the whole day loads them, logged every 60 s.
inline HistoryState loaded(const QByteArray& dayLog) {
    HistoryState s;
    s.LogIntervalSeconds = 60; // as a LogDelay of 60 gives
    DayLogLoader::load(dayLog, WholeDay, s);
    return s;
}

} // namespace tarnby::test
