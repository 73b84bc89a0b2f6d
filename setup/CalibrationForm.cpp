#include "setup/CalibrationForm.h"

#include "common/DisplayRounding.h"
#include "setup/SetupForm.h"

#include <array>

namespace tarnby {

using namespace Qt::StringLiterals;

CalibrationSettings calibrationStartingValues() {
    return CalibrationSettings{u"0"_s, u"0"_s, u"0"_s, u"1"_s, u"1"_s};
}

CalibrationLoading loadCalibrationBoxes(const CalibrationConfig& settings) {
    CalibrationLoading loading;
    loading.boxes = calibrationStartingValues();
    QStringList problems;
    const auto factors = settings.values();
    for (size_t i = 0; i < factors.size(); ++i) {
        const ConfigNumber<double>& factor = *factors[i];
        if (factor.problem != ValueProblem::None)
            problems << factor.problemText();
        if (!factor.taken())
            continue; // the starting value stays
        QString& box = loading.boxes.*CalibrationSettings::keys[i].field;
        box = factor.text;
        if (&factor == &settings.AmpDivider && factor.number)
            box = plainNumberText(*factor.number);
    }
    loading.problemMessage = settings.problemMessage(
        problems, u"The boxes show the values found, with starting values where one is missing. "
                  "Correct them and press \"Save Calibration\" to store a complete file."_s);
    return loading;
}

QString windSpeedQuestion(const QString& wsUnits) {
    return u"How many pulses per "_s + wsUnits + u'?';
}

QString calibrationSaveRefusal(const CalibrationSettings& boxes) {
    const std::array<std::pair<const QString*, QString>, 5> named = {{
        {&boxes.VoltDivider, u"The box of \"Step 1. Set Voltage\""_s},
        {&boxes.VoltOffset, u"The offset"_s},
        {&boxes.AmpDivider, u"The box of \"Step 2. Set Current\""_s},
        {&boxes.RPMDivider, u"The box of \"Step 3. Set RPM\""_s},
        {&boxes.WSDivider, u"The box of \"Step 4. Set Wind Speed\""_s},
    }};
    for (const auto& [text, name] : named) {
        if (QString refusal =
                configTextRefusal(*text, name, u"settings.cfg"_s, u"Save Calibration"_s);
            !refusal.isEmpty())
            return refusal;
    }
    return {};
}

} // namespace tarnby
