#pragma once
// The calibration window's loading and saving, apart from its widgets.
//
// The window edits the five factors of settings.cfg as texts; a CalibrationSettings holds them
// as the window shows them: VoltDivider is the box of step 1 (voltage), VoltOffset the offset
// that Zero takes, AmpDivider the box of step 2 (current), RPMDivider the box of step 3 (pulses
// per revolution) and WSDivider the box of step 4 (wind speed). Save writes them exactly as
// typed.

#include "config/CalibrationSettings.h"

#include <QString>

namespace tarnby {

// The boxes' starting texts, used for a key that settings.cfg does not supply.
CalibrationSettings calibrationStartingValues();

struct CalibrationLoading {
    CalibrationSettings boxes;
    // Empty when settings.cfg was complete and every factor a number; otherwise the message for
    // the user, naming the file and each problem. The window opens either way, so that a
    // mistyped factor can be corrected and saved from the window itself.
    QString problemMessage;
};

// What the window's boxes are filled with when it opens: each factor's stored text (the
// starting value where the key cannot be taken). An AmpDivider that is a number is written
// back in plain form (a stored 12.50 shows as 12.5); one that is not a number is shown as
// stored.
CalibrationLoading loadCalibrationBoxes(const CalibrationConfig& settings);

// The caption of the wind-speed question: "How many pulses per " + units + "?".
QString windSpeedQuestion(const QString& wsUnits);

// Why Save must write nothing, as the message to show, or empty text when Save may write: a
// factor holding "<" or a line break would spoil the keys after it, and one holding a
// character outside Latin-1 cannot be stored in the 8-bit file.
QString calibrationSaveRefusal(const CalibrationSettings& boxes);

} // namespace tarnby
