#include "config/ProgSettings.h"

namespace tarnby {

using namespace Qt::StringLiterals;

const std::array<ProgSettings::Key, 11> ProgSettings::keys = {{
    {"Port"_L1, &ProgSettings::Port},
    {"Savehtml"_L1, &ProgSettings::Savehtml},
    {"SaveExcel"_L1, &ProgSettings::SaveExcel},
    {"LogDelay"_L1, &ProgSettings::LogDelay},
    {"LogOn"_L1, &ProgSettings::LogOn},
    {"DisplayRPM"_L1, &ProgSettings::DisplayRPM},
    {"DisplayWS"_L1, &ProgSettings::DisplayWS},
    {"WSUnits"_L1, &ProgSettings::WSUnits},
    {"SV"_L1, &ProgSettings::SV},
    {"MA"_L1, &ProgSettings::MA},
    {"BR"_L1, &ProgSettings::BR},
}};

QByteArray progCfgBytes(const ProgSettings& settings) {
    QByteArray bytes = "Program Config File\r\n\r\n";
    for (const auto& key : ProgSettings::keys) {
        bytes += taggedLine(key.name, settings.*key.field);
    }
    bytes += "\r\n";
    return bytes;
}

FileOutcome writeProgCfg(const QString& path, const ProgSettings& settings) {
    return replaceFileWhole(path, progCfgBytes(settings));
}

} // namespace tarnby
