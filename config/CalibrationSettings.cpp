#include "config/CalibrationSettings.h"

namespace tarnby {

using namespace Qt::StringLiterals;

const std::array<CalibrationSettings::Key, 5> CalibrationSettings::keys = {{
    {"VoltDivider"_L1, &CalibrationSettings::VoltDivider},
    {"VoltOffset"_L1, &CalibrationSettings::VoltOffset},
    {"AmpDivider"_L1, &CalibrationSettings::AmpDivider},
    {"RPMDivider"_L1, &CalibrationSettings::RPMDivider},
    {"WSDivider"_L1, &CalibrationSettings::WSDivider},
}};

QByteArray settingsCfgBytes(const CalibrationSettings& settings) {
    QByteArray bytes = "Calibration Settings\r\n\r\n\r\n";
    for (const auto& key : CalibrationSettings::keys) {
        bytes += taggedLine(key.name, settings.*key.field);
    }
    return bytes;
}

FileOutcome writeSettingsCfg(const QString& path, const CalibrationSettings& settings) {
    return replaceFileWhole(path, settingsCfgBytes(settings));
}

} // namespace tarnby
