#pragma once
// prog.cfg: the program settings, every value held as the text found or typed.

#include "config/ConfigFile.h"

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

// The exact bytes of prog.cfg: header, empty line, one line per key, empty line; CR LF.
QByteArray progCfgBytes(const ProgSettings& settings);

// Replaces prog.cfg with the settings.
FileOutcome writeProgCfg(const QString& path, const ProgSettings& settings);

} // namespace tarnby
