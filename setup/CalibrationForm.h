#pragma once
// The calibration window's loading and saving, apart from its widgets.
//
// The window edits the five factors of settings.cfg as texts; a CalibrationSettings holds them
// as the boxes show them: VoltDivider is the text of BatteryVolts, VoltOffset the offset
// (ZeroOffset), AmpDivider the text of BatteryCurrent, RPMDivider the text of PulseDivider and
// WSDivider the text of Pulse2Divider. Save writes them exactly as typed.

#include "config/CalibrationSettings.h"
#include "config/ConfigFile.h"

#include <QString>

namespace tarnby {

// The boxes' design texts, used for a key that settings.cfg does not supply.
CalibrationSettings calibrationDesignValues();

struct CalibrationLoading {
    CalibrationSettings boxes;
    // Empty when settings.cfg was complete and every factor a number; otherwise the message for
    // the user, naming the file and each problem. The window opens either way, so that a
    // mistyped factor can be corrected and saved from the window itself.
    QString problemMessage;
};

// Loading step 2 and the filling of step 5: each factor's stored text (the design value where
// the key cannot be taken). An AmpDivider that is a number is written back in plain form (a
// stored 12.50 shows as 12.5); one that is not a number is shown as stored.
CalibrationLoading loadCalibrationBoxes(ConfigReading reading);

// The caption of the wind-speed question: "How many pulses per " + units + "?".
QString windSpeedQuestion(const QString& wsUnits);

// Why Save must write nothing, as the message to show, or empty text when Save may write: a
// factor holding "<" or a line break would spoil the keys after it.
QString calibrationSaveRefusal(const CalibrationSettings& boxes);

} // namespace tarnby
