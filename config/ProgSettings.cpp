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

namespace {
ProgConfig progConfigOf(const ConfigSource& source) {
    ProgConfig prog;
    prog.fileName = u"prog.cfg"_s;
    prog.fileProblem = source.fileProblem;
    prog.Port = takeWholeNumber(source, "Port"_L1, Whole::Rounded);
    prog.Savehtml = takeNumber(source, "Savehtml"_L1, true);
    prog.SaveExcel = takeNumber(source, "SaveExcel"_L1, true);
    prog.LogDelay = takeNumber(source, "LogDelay"_L1, false);
    prog.LogOn = takeNumber(source, "LogOn"_L1, true);
    prog.DisplayRPM = takeNumber(source, "DisplayRPM"_L1, true);
    prog.DisplayWS = takeNumber(source, "DisplayWS"_L1, true);
    prog.WSUnits = takeValue(source, "WSUnits"_L1);
    prog.SV = takeNumber(source, "SV"_L1, true);
    prog.MA = takeNumber(source, "MA"_L1, true);
    prog.BR = takeWholeNumber(source, "BR"_L1, Whole::Exact);
    return prog;
}
} // namespace

ProgConfig readProgCfg(const QString& path) {
    return progConfigOf(readConfigSource(path));
}

ProgConfig progConfigFromText(const QString& text) {
    return progConfigOf(configSourceFromText(text));
}

ProgSettings ProgConfig::texts() const {
    ProgSettings settings;
    for (size_t i = 0; i < ProgSettings::keys.size(); ++i)
        settings.*ProgSettings::keys[i].field = values()[i]->text;
    return settings;
}

LineChoice lineSettingsOf(const ProgConfig& prog) {
    if (!prog.fileUsable())
        return {std::nullopt, prog.fileName + u": "_s + prog.fileProblem};
    for (const ConfigText* value : {&prog.Port, &prog.BR})
        if (!value->taken())
            return {std::nullopt, value->problemText() + u" in prog.cfg"_s};
    if (!prog.Port.number)
        return {std::nullopt, u"\"%1\" is not a port number"_s.arg(prog.Port.text)};
    if (!prog.BR.number)
        return {std::nullopt,
                u"the baud rate \"%1\" in prog.cfg is not a whole number"_s.arg(prog.BR.text)};
    return {LineSettings{*prog.Port.number, *prog.BR.number}, {}};
}

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
