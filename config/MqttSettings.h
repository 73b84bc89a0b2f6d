#pragma once
// mqtt.cfg: where and how the readings are published. Tagged like the other configuration files
// ("<Key>value</Key>" lines, CR LF, found by the tagged value rule) but UTF-8, so a password set
// on another system arrives as the same bytes.
//
// Reading never stops anything: no file, or no Host, means publishing is off and nothing is
// said; every other problem (a file that cannot be read or is not UTF-8, a value out of range,
// a Site with other characters, "<" or a line break in a value) is collected into one short
// problem text, and publishing stays off until the file is mended. A missing key takes its
// default. No problem text ever holds the password.

#include "platform/FileWriting.h"

#include <QByteArray>
#include <QString>

namespace tarnby {

struct MqttSettings {
    static constexpr int PlainPort = 1883;
    static constexpr int TlsPort = 8883;
    static constexpr int MinLiveSeconds = 1;
    static constexpr int MaxLiveSeconds = 3600;

    QString host; // empty: publishing is off
    int port = PlainPort;
    QString user;
    QString password; // sent as its UTF-8 bytes
    QString site;     // letters, digits, "_" and "-"
    bool tls = false;
    QString caFile; // empty: the system's certificate store
    bool discovery = true;
    int liveSeconds = 5; // the state is published at most once in this many seconds

    bool operator==(const MqttSettings&) const = default;
};

struct MqttSettingsReading {
    MqttSettings settings;
    QString problem; // one short line naming mqtt.cfg; empty when the file reads cleanly

    // Publishing runs only with a Host and no problem.
    bool publishing() const { return problem.isEmpty() && !settings.host.isEmpty(); }
};

// The Site used when mqtt.cfg names none: the host name with every character other than a
// letter, digit, "_" or "-" replaced by "_" ("tarnby" when the host name is empty).
QString defaultSite(const QString& hostName);

// `hostName` is this machine's, for the default Site.
MqttSettingsReading readMqttSettings(const QString& path, const QString& hostName);
MqttSettingsReading mqttSettingsFromBytes(const QByteArray& bytes, const QString& hostName);

// The exact bytes of mqtt.cfg: header, empty line, one line per key, empty line; CR LF; UTF-8.
QByteArray mqttCfgBytes(const MqttSettings& settings);

// The key whose text may not be written ("<" or a line break would corrupt the keys after it);
// empty when every text is safe.
QString unsafeMqttKey(const MqttSettings& settings);

// Replaces mqtt.cfg, owner-only (0600) from its first byte. Refuses, writing nothing, when
// unsafeMqttKey() names a key.
FileOutcome writeMqttCfg(const QString& path, const MqttSettings& settings);

} // namespace tarnby
