#pragma once
// settings.cfg: the calibration factors, each held as the text found or typed.

#include "config/ConfigFile.h"

#include <QByteArray>
#include <QString>
#include <array>

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

// The exact bytes of settings.cfg: header, two empty lines, one line per key; CR LF; no
// trailing empty line.
QByteArray settingsCfgBytes(const CalibrationSettings& settings);

// Replaces settings.cfg with the factors.
FileOutcome writeSettingsCfg(const QString& path, const CalibrationSettings& settings);

} // namespace tarnby
