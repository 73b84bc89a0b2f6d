#pragma once
// The five readings the logger averages into each day-log record, in the order the record line
// holds them, and the rule that every RPM reading passes.

#include <array>
#include <cstddef>

namespace tarnby {

enum class Reading { Volts, Amps, Watts, RPM, Speed };
inline constexpr int ReadingCount = 5;
inline constexpr std::array<Reading, ReadingCount> AllReadings = {
    Reading::Volts, Reading::Amps, Reading::Watts, Reading::RPM, Reading::Speed};

// Readings by index: an array of ReadingCount values holds each at readingIndex(reading).
inline constexpr std::size_t readingIndex(Reading reading) {
    return static_cast<std::size_t>(reading);
}
using Readings = std::array<double, ReadingCount>;

// An RPM above 500 is interference on the generator's pulse line, not the generator: it counts
// as 0. Applied to the live RPM and to each RPM a day log is read back with.
inline double plausibleRpm(double rpm) {
    return rpm > 500 ? 0.0 : rpm;
}

} // namespace tarnby
