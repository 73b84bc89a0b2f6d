#include "acquisition/LiveReadings.h"

#include "acquisition/Reading.h"
#include "common/DisplayRounding.h"

#include <cmath>
#include <optional>

namespace tarnby {

namespace {
// A factor that something is divided by: 0, empty or not a number cannot divide.
std::optional<double> divisor(std::optional<double> value) {
    if (!value || *value == 0.0)
        return std::nullopt;
    return value;
}

// Rounds a step's result; a result too large for a number (a tiny factor) fails the step.
std::optional<double> rounded(double value, int decimals) {
    if (!std::isfinite(value))
        return std::nullopt;
    return roundForDisplay(value, decimals);
}
} // namespace

bool computeReadings(const FrameValues& frame, const CalibrationSettings& factors, bool loggingOn,
                     LiveReadings& readings, IntervalSums& sums) {
    return computeReadings(frame, CalibrationNumbers::read(factors), loggingOn, readings, sums);
}

bool computeReadings(const FrameValues& frame, const CalibrationNumbers& factors, bool loggingOn,
                     LiveReadings& readings, IntervalSums& sums) {
    ++sums.SampleCount;

    const std::optional<double> voltDivider = divisor(factors.VoltDivider);
    if (!voltDivider)
        return false;
    const std::optional<double> volts = rounded(frame.V / *voltDivider, 2);
    if (!volts)
        return false;
    readings.LiveVolts = *volts;

    // The offset is subtracted, not divided by: 0 is an ordinary offset, but it must be a number.
    const std::optional<double> voltOffset = factors.VoltOffset;
    const std::optional<double> ampDivider = divisor(factors.AmpDivider);
    if (!voltOffset || !ampDivider)
        return false;
    const std::optional<double> amps = rounded((frame.I - *voltOffset) / *ampDivider, 2);
    if (!amps)
        return false;
    // A charging system only reports current into the battery.
    readings.LiveAmps = *amps < 0 ? 0.0 : *amps;

    const std::optional<double> rpmDivider = divisor(factors.RPMDivider);
    if (!rpmDivider)
        return false;
    const std::optional<double> rpm = rounded(frame.R / *rpmDivider * 60, 1);
    if (!rpm)
        return false;
    readings.LiveRPM = plausibleRpm(*rpm);

    const std::optional<double> wsDivider = divisor(factors.WSDivider);
    if (!wsDivider)
        return false;
    const std::optional<double> speed = rounded(frame.S / *wsDivider, 1);
    if (!speed)
        return false;
    readings.LiveSpeed = *speed;

    const std::optional<double> watts = rounded(readings.LiveAmps * readings.LiveVolts, 2);
    if (!watts)
        return false;
    readings.LiveWatts = *watts;

    if (loggingOn) {
        sums.SumVolts += readings.LiveVolts;
        sums.SumAmps += readings.LiveAmps;
        sums.SumRPM += readings.LiveRPM;
        sums.SumSpeed += readings.LiveSpeed;
        sums.SumWatts += readings.LiveWatts;
    }
    return true;
}

} // namespace tarnby
