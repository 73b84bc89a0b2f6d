#pragma once
// The logging interval check of the Start button: the text of the interval box read as a
// number, above 600 replaced by "600", then below 10 replaced by "10". The history window reads
// its LogDelay setting the same way, since that is the interval logging actually ran at.

#include <QString>
#include <optional>

namespace tarnby {

struct LoggingInterval {
    QString text;         // the box text after clamping ("600", "10", or unchanged as typed)
    double seconds = 0;   // 10 to 600
    int milliseconds = 0; // seconds x 1000, to the nearest whole millisecond
};

// Empty when the text does not read as a number.
std::optional<LoggingInterval> checkLoggingInterval(const QString& text);

} // namespace tarnby
