#pragma once
// settings.cfg: the calibration factors. CalibrationSettings holds each as the text found or
// typed; CalibrationConfig is the file as read, each factor's text with its number beside it.

#include "config/ConfigFile.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

namespace tarnby {

struct CalibrationSettings {
    QString VoltDivider;
    QString VoltOffset;
    QString AmpDivider;
    QString RPMDivider;
    QString WSDivider;

    struct Key {
        QLatin1StringView name;
        QString CalibrationSettings::*field;
    };
    // The keys in the order the file holds them.
    static const std::array<Key, 5> keys;

    bool operator==(const CalibrationSettings&) const = default;
};

// The factors as numbers, each empty when its text is not a number.
struct CalibrationNumbers {
    std::optional<double> VoltDivider, VoltOffset, AmpDivider, RPMDivider, WSDivider;
    static CalibrationNumbers read(const CalibrationSettings& factors);
};

// settings.cfg as read. A factor that is not a number: NotANumber.
struct CalibrationConfig : ConfigFile {
    ConfigNumber<double> VoltDivider, VoltOffset, AmpDivider, RPMDivider, WSDivider;

    // The factors in the order of CalibrationSettings::keys.
    std::array<const ConfigNumber<double>*, 5> values() const {
        return {&VoltDivider, &VoltOffset, &AmpDivider, &RPMDivider, &WSDivider};
    }
    CalibrationSettings texts() const; // as found, empty where a key could not be taken
    CalibrationNumbers numbers() const;
};

CalibrationConfig readSettingsCfg(const QString& path);
CalibrationConfig calibrationConfigFromText(const QString& text); // for tests and fuzzing

// The exact bytes of settings.cfg: header, two empty lines, one line per key; CR LF; no
// trailing empty line.
QByteArray settingsCfgBytes(const CalibrationSettings& settings);

// Replaces settings.cfg with the factors.
FileOutcome writeSettingsCfg(const QString& path, const CalibrationSettings& settings);

} // namespace tarnby
