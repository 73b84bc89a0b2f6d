#pragma once
// Day logs and record arrays for the history tests and the screenshot: record lines in the
// day-log format, and a generated day of a wind-charged 24 V battery bank.

#include "common/PictureFormat.h"
#include "common/TimeText.h"
#include "history/HistoryState.h"

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
    QByteArray line = "<T>" + timeOfDayText(r.minute).toLatin1() + "</T>";
    line += "<V>" + formatPicture(r.volts, "##.00").toLatin1() + "</V>";
    line += "<I>" + formatPicture(r.amps, "###.00").toLatin1() + "</I>";
    line += "<W>" + formatPicture(r.watts, "####.00").toLatin1() + "</W>";
    line += "<R>" + formatPicture(r.rpm, "####").toLatin1() + "</R>";
    line += "<S>" + formatPicture(r.speed, "###.0").toLatin1() + "</S>";
    line += "<M>0</M>   " + formatPicture(wattHourTotal, "######.0").toLatin1() + "Wh\r\n";
    return line;
}

// `count` records spread evenly over the minutes first to last (several per minute when the
// count exceeds the minutes), deterministic for a given seed.
inline std::vector<DayRecord> generatedDay(int count, int first = 1, int last = 1438,
                                           std::uint32_t seed = 7) {
    std::vector<DayRecord> day;
    day.reserve(static_cast<size_t>(count));
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
        // Slow gusts and a little turbulence left over from averaging over the interval.
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
    bytes.reserve(static_cast<qsizetype>(day.size()) * 92);
    double total = 0;
    for (const DayRecord& r : day) {
        total += r.watts * secondsPerRecord / 3600;
        bytes += recordLine(r, std::max(0.0, total));
    }
    return bytes;
}

// Puts the records straight into slots 1 to n, as a load of them would, and shows them all.
inline void fillRecords(HistoryState& state, const std::vector<DayRecord>& day) {
    for (size_t k = 1; k <= day.size(); ++k) {
        const DayRecord& r = day[k - 1];
        state.RecTime[k] = r.minute * 60;
        state.RecVolts[k] = r.volts;
        state.RecAmps[k] = r.amps;
        state.RecWatts[k] = r.watts;
        state.RecRPM[k] = r.rpm;
        state.RecSpeed[k] = r.speed;
    }
    state.RecordCount = static_cast<int>(day.size());
    state.PlotFrom = 1;
    state.PlotTo = state.RecordCount;
}

} // namespace tarnby::test
