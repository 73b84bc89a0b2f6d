#pragma once
// The live readings of the main window and the reading computation that turns an accepted
// frame's raw values into them.

#include "acquisition/FrameValues.h"
#include "config/CalibrationSettings.h"

#include <optional>

namespace tarnby {

struct LiveReadings {
    double LiveVolts = 0; // volts, rounded to 2 decimals
    double LiveAmps = 0;  // amps, 2 decimals, never below 0
    double LiveWatts = 0; // LiveVolts * LiveAmps, 2 decimals
    double LiveRPM = 0;   // 1 decimal; 0 when above 500
    double LiveSpeed = 0; // WSUnits, 1 decimal
    int ModeValue = 0;
    double WattHourTotal = 0;
};

struct IntervalSums {
    double SumVolts = 0, SumAmps = 0, SumWatts = 0, SumRPM = 0, SumSpeed = 0;
    long long SampleCount = 0;
    void clear() { *this = IntervalSums{}; }
};

// Scales one accepted frame with the calibration factors and adds it to the sums while
// logging. Returns false when a factor is 0, empty or not
// a number: the steps before the failing one keep their new values, the later ones are not
// done (so a bad AmpDivider leaves the new LiveVolts in place).
bool computeReadings(const FrameValues& frame, const CalibrationSettings& factors, bool loggingOn,
                     LiveReadings& readings, IntervalSums& sums);

// The same on the factors read once (they change only when settings.cfg is loaded again).
bool computeReadings(const FrameValues& frame, const CalibrationNumbers& factors, bool loggingOn,
                     LiveReadings& readings, IntervalSums& sums);

} // namespace tarnby
