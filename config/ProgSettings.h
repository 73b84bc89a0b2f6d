#pragma once
// prog.cfg: the program settings. ProgSettings holds every value as the text written or typed;
// ProgConfig is the file as read, each value's text as found with its number beside it where
// one is used, and what is missing or wrong per key.

#include "config/ConfigFile.h"
#include "platform/LineSettings.h"

#include <QByteArray>
#include <QString>
#include <array>

namespace tarnby {

struct ProgSettings {
    QString Port;
    QString Savehtml;
    QString SaveExcel;
    QString LogDelay;
    QString LogOn;
    QString DisplayRPM;
    QString DisplayWS;
    QString WSUnits;
    QString SV;
    QString MA;
    QString BR;

    struct Key {
        QLatin1StringView name;
        QString ProgSettings::*field;
    };
    // The keys in the order the file holds them.
    static const std::array<Key, 11> keys;

    bool operator==(const ProgSettings&) const = default;
};

// prog.cfg as read. Each reader reports the problems of the keys it uses.
struct ProgConfig : ConfigFile {
    // Rounded to a whole number (a half to the even one). A text that is no number is no
    // problem of the file: the port refuses it.
    ConfigNumber<int> Port;
    // The check boxes' values, and the flags that count as set when their number equals 1.
    // Not a number: NotANumber.
    ConfigNumber<double> Savehtml, SaveExcel, LogOn, DisplayRPM, DisplayWS;
    // Seconds; checked only when logging starts, so a text that is no number is no problem here.
    ConfigNumber<double> LogDelay;
    ConfigText WSUnits;
    // System volts and maximum amps. Not a number: NotANumber.
    ConfigNumber<double> SV, MA;
    // The baud rate, exactly a whole number ("4800.5" is none: NotAWholeNumber).
    ConfigNumber<int> BR;

    // Every value in the order of ProgSettings::keys.
    std::array<const ConfigText*, 11> values() const {
        return {&Port,      &Savehtml, &SaveExcel, &LogDelay, &LogOn, &DisplayRPM,
                &DisplayWS, &WSUnits,  &SV,        &MA,       &BR};
    }
    // Every value's text as found (empty where a key could not be taken): written back, a
    // complete file gives the same bytes.
    ProgSettings texts() const;
};

ProgConfig readProgCfg(const QString& path);
ProgConfig progConfigFromText(const QString& text); // for tests and fuzzing

// A flag is set when its value compares numerically equal to 1: "1" and "1.0" are, "0" and
// "yes" are not.
inline bool flagSet(const ConfigNumber<double>& flag) {
    return flag.number == 1.0;
}

// The serial line prog.cfg names: Port rounded to a whole number, BR exactly a whole number.
// Without a line, `problem` says why in the user's terms, naming the text as typed ("\"COM1\"
// is not a port number", "the baud rate \"4800.5\" in prog.cfg is not a whole number"), or the
// file or key that is missing.
struct LineChoice {
    std::optional<LineSettings> line;
    QString problem;
};
LineChoice lineSettingsOf(const ProgConfig& prog);

// The exact bytes of prog.cfg: header, empty line, one line per key, empty line; CR LF.
QByteArray progCfgBytes(const ProgSettings& settings);

// Replaces prog.cfg with the settings.
FileOutcome writeProgCfg(const QString& path, const ProgSettings& settings);

} // namespace tarnby
