#pragma once
// The five traces of the day plot: one per reading of a day-log record, in the record's order,
// which is also the drawing order. Every per-trace array of the history (values, flags, labels)
// is indexed by it.

#include "acquisition/Reading.h"

#include <QString>

namespace tarnby {

using Trace = Reading;
inline constexpr int TraceCount = ReadingCount;
inline constexpr auto AllTraces = AllReadings;

inline constexpr size_t traceIndex(Trace trace) {
    return readingIndex(trace);
}

// What follows a value of the trace in the scale labels and the cursor readout: " V", " A",
// " W", " RPM", and for the wind speed a blank and the WSUnits text.
inline QString unitSuffix(Trace trace, const QString& speedUnits) {
    switch (trace) {
    case Trace::Volts:
        return QStringLiteral(" V");
    case Trace::Amps:
        return QStringLiteral(" A");
    case Trace::Watts:
        return QStringLiteral(" W");
    case Trace::RPM:
        return QStringLiteral(" RPM");
    case Trace::Speed:
        break;
    }
    return u' ' + speedUnits;
}

} // namespace tarnby
