#include "setup/CalibrationReceiver.h"

#include "acquisition/FrameValues.h"
#include "common/DisplayRounding.h"
#include "common/NumberText.h"

#include <cmath>

namespace tarnby {

using namespace Qt::StringLiterals;

namespace {

// A typed factor that a division may use: a number passing `usable`, and a finite result.
template <typename Usable>
std::optional<double> divided(double numerator, const QString& factorText, Usable usable) {
    const auto factor = readNumber(factorText);
    if (!factor || !usable(*factor))
        return std::nullopt;
    const double result = numerator / *factor;
    if (!std::isfinite(result))
        return std::nullopt;
    return result;
}

bool positive(double factor) {
    return factor > 0;
}
bool nonZero(double factor) {
    return factor != 0;
}

} // namespace

std::optional<CalibrationCaptions> CalibrationReceiver::receive(QByteArrayView bytes,
                                                                const CalibrationSettings& typed,
                                                                const QString& wsUnits) {
    const FrameReceiver::Notification notification = frames_.receive(bytes);
    if (notification.frames.empty())
        return std::nullopt;
    const QByteArray& frameText = notification.frames.back().frameText;

    bool corrupt = false;
    const double rawVolts = frameNumber(frameText, "V", &corrupt);
    const double rawShunt = frameNumber(frameText, "I", &corrupt);
    const double pulses = frameNumber(frameText, "R", &corrupt);
    const double speedPulses = frameNumber(frameText, "S", &corrupt);
    if (corrupt)
        return std::nullopt;

    double calRpm = 1;
    if (const auto rpm = divided(pulses, typed.RPMDivider, positive))
        calRpm = *rpm * 60;
    if (const auto speed = divided(speedPulses, typed.WSDivider, positive))
        calSpeed_ = *speed;

    CalibrationCaptions captions;
    captions.rawVolts = displayText(rawVolts, 2);
    captions.rawCurrent = displayText(rawShunt, 2);
    captions.rawPulses = plainNumberText(pulses);
    captions.rpm = displayText(calRpm, 1) + u" RPM"_s;
    captions.rawWindPulses = plainNumberText(speedPulses);
    captions.windSpeed = displayText(calSpeed_, 1) + u' ' + wsUnits;
    if (const auto volts = divided(rawVolts, typed.VoltDivider, positive))
        captions.volts = displayText(*volts, 2) + u" Volts"_s;
    if (const auto offset = readNumber(typed.VoltOffset)) {
        if (const auto amps = divided(rawShunt - *offset, typed.AmpDivider, nonZero))
            captions.amps = displayText(*amps, 2) + u" Amps"_s;
    }
    return captions;
}

} // namespace tarnby
