#pragma once
// A generated day log for the benchmarks: a small wind-charged 24 V battery bank over one day
// (gusty wind, a generator that cuts in at about 7 MPH, a household load that drains the bank
// when the wind drops), one record line per reading as the logger writes it.

#include "acquisition/RecordLayout.h"

#include <QByteArray>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tarnby::bench {

// `count` records spread evenly over the day's minutes 1 to 1438, the same for every run.
inline QByteArray generatedDayLog(int count) {
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(count) * 92);
    std::uint32_t seed = 7;
    const auto noise = [&seed]() { // -1 to 1
        seed = seed * 1664525u + 1013904223u;
        return static_cast<double>(seed >> 8) / static_cast<double>(1u << 23) - 1.0;
    };
    constexpr double Pi = 3.14159265358979323846;
    constexpr int First = 1, Last = 1438;
    double charge = 0.55; // state of charge of the bank
    double gust = 0;
    double wattHours = 0;
    for (int i = 0; i < count; ++i) {
        const int minute =
            First + static_cast<int>(static_cast<long long>(i) * (Last - First + 1) / count);
        const double h = minute / 60.0; // hour of day
        gust = 0.995 * gust + 0.3 * noise();
        const double wind = 9.5 + 5.5 * std::sin(2 * Pi * (h - 9) / 24) + 3 * std::sin(h * 1.7) +
                            2 * std::sin(h * 5.3 + 1) + gust + 0.6 * noise();
        const double speed = std::max(0.0, wind);
        const double rpm =
            std::max(0.0, speed < 7 ? 0 : std::min(460.0, (speed - 7) * 32 + 4 * noise()));
        const double generated = std::max(0.0, (rpm - 40) / 22);
        const double load =
            2.2 + (h > 17.5 && h < 22.5 ? 5.5 : 0) + (h > 6.5 && h < 8 ? 3 : 0) + 0.3 * noise();
        const double amps = generated - load;
        charge = std::clamp(charge + amps / 40000, 0.05, 1.0);
        const double volts = 23.6 + 3.2 * charge + 0.06 * amps + 0.02 * noise();
        const double watts = volts * amps;
        wattHours += watts * 10 / 3600; // a record every 10 seconds

        bytes += record::recordLine(QTime(minute / 60, minute % 60),
                                    {volts, amps, watts, rpm, speed}, 0, std::max(0.0, wattHours));
    }
    return bytes;
}

} // namespace tarnby::bench
