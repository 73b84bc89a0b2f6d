#pragma once
// The five traces of the day plot, one per reading of a day-log record, in drawing order. Every
// per-trace array of the history (values, flags, labels) is indexed by this order.

#include <QString>
#include <array>

namespace tarnby {

enum class Trace { Volts, Amps, Watts, RPM, Speed };
inline constexpr int TraceCount = 5;
inline constexpr std::array<Trace, TraceCount> AllTraces = {Trace::Volts, Trace::Amps, Trace::Watts,
                                                            Trace::RPM, Trace::Speed};

inline constexpr size_t traceIndex(Trace trace) {
    return static_cast<size_t>(trace);
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
