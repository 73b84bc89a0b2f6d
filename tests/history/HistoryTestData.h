#pragma once
// Day logs for the history tests and the screenshot: record lines in the day-log format, and a
// generated day of a wind-charged 24 V battery bank.

#include "common/PictureFormat.h"
#include "common/TimeText.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace tarnby::test {

struct DayRecord {
    int minute = 0; // minutes since midnight
    double volts = 0, amps = 0, watts = 0, rpm = 0, speed = 0;
};

// One record line as the logger writes it, CR LF included.
inline QByteArray recordLine(const DayRecord& r, double wattHourTotal = 0) {
    return QStringLiteral(
               "<T>%1</T><V>%2</V><I>%3</I><W>%4</W><R>%5</R><S>%6</S><M>0</M>   %7Wh\r\n")
        .arg(timeOfDayText(r.minute), formatPicture(r.volts, "##.00"),
             formatPicture(r.amps, "###.00"), formatPicture(r.watts, "####.00"),
             formatPicture(r.rpm, "####"), formatPicture(r.speed, "###.0"),
             formatPicture(wattHourTotal, "######.0"))
        .toLatin1();
}

// `count` records spread evenly over the minutes first to last (several per minute when the
// count exceeds the minutes), deterministic for a given seed.
inline std::vector<DayRecord> generatedDay(int count, int first = 1, int last = 1438,
                                           std::uint32_t seed = 7) {
    std::vector<DayRecord> day;
    std::uint32_t state = seed;
    const auto noise = [&state]() { // -1 to 1
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / static_cast<double>(1u << 23) - 1.0;
    };
    constexpr double Pi = 3.14159265358979323846;
    double charge = 0.55; // state of charge of the bank
    double gust = 0;
    for (int i = 0; i < count; ++i) {
        DayRecord r;
        r.minute = first + static_cast<int>(static_cast<long long>(i) * (last - first + 1) / count);
        const double h = r.minute / 60.0; // hour of day
        gust = 0.995 * gust + 0.3 * noise();
        const double wind = 9.5 + 5.5 * std::sin(2 * Pi * (h - 9) / 24) + 3 * std::sin(h * 1.7) +
                            2 * std::sin(h * 5.3 + 1) + gust + 0.6 * noise();
        r.speed = std::max(0.0, wind);
        r.rpm = r.speed < 7 ? 0 : std::min(460.0, (r.speed - 7) * 32 + 4 * noise());
        r.rpm = std::max(0.0, r.rpm);
        const double generated = std::max(0.0, (r.rpm - 40) / 22);
        const double load =
            2.2 + (h > 17.5 && h < 22.5 ? 5.5 : 0) + (h > 6.5 && h < 8 ? 3 : 0) + 0.3 * noise();
        r.amps = generated - load;
        charge = std::clamp(charge + r.amps / 40000, 0.05, 1.0);
        r.volts = 23.6 + 3.2 * charge + 0.06 * r.amps + 0.02 * noise();
        r.watts = r.volts * r.amps;
        day.push_back(r);
    }
    return day;
}

// The day log text of the records: one line each, with a running watt-hour total.
inline QByteArray dayLogBytes(const std::vector<DayRecord>& day, double secondsPerRecord = 10) {
    QByteArray bytes;
    double total = 0;
    for (const DayRecord& r : day) {
        total += r.watts * secondsPerRecord / 3600;
        bytes += recordLine(r, std::max(0.0, total));
    }
    return bytes;
}

} // namespace tarnby::test
