#include "config/CalibrationSettings.h"

#include "common/NumberText.h"

namespace tarnby {

using namespace Qt::StringLiterals;

const std::array<CalibrationSettings::Key, 5> CalibrationSettings::keys = {{
    {"VoltDivider"_L1, &CalibrationSettings::VoltDivider},
    {"VoltOffset"_L1, &CalibrationSettings::VoltOffset},
    {"AmpDivider"_L1, &CalibrationSettings::AmpDivider},
    {"RPMDivider"_L1, &CalibrationSettings::RPMDivider},
    {"WSDivider"_L1, &CalibrationSettings::WSDivider},
}};

CalibrationNumbers CalibrationNumbers::read(const CalibrationSettings& factors) {
    return {readNumber(factors.VoltDivider), readNumber(factors.VoltOffset),
            readNumber(factors.AmpDivider), readNumber(factors.RPMDivider),
            readNumber(factors.WSDivider)};
}

namespace {
CalibrationConfig calibrationConfigOf(const ConfigSource& source) {
    CalibrationConfig settings;
    settings.fileName = u"settings.cfg"_s;
    settings.fileProblem = source.fileProblem;
    const std::array<ConfigNumber<double>*, 5> factors = {
        &settings.VoltDivider, &settings.VoltOffset, &settings.AmpDivider, &settings.RPMDivider,
        &settings.WSDivider};
    for (size_t i = 0; i < factors.size(); ++i)
        *factors[i] = takeNumber(source, CalibrationSettings::keys[i].name, true);
    return settings;
}
} // namespace

CalibrationConfig readSettingsCfg(const QString& path) {
    return calibrationConfigOf(readConfigSource(path));
}

CalibrationConfig calibrationConfigFromText(const QString& text) {
    return calibrationConfigOf(configSourceFromText(text));
}

CalibrationSettings CalibrationConfig::texts() const {
    CalibrationSettings settings;
    for (size_t i = 0; i < CalibrationSettings::keys.size(); ++i)
        settings.*CalibrationSettings::keys[i].field = values()[i]->text;
    return settings;
}

CalibrationNumbers CalibrationConfig::numbers() const {
    return {VoltDivider.number, VoltOffset.number, AmpDivider.number, RPMDivider.number,
            WSDivider.number};
}

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
