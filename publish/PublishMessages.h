#pragma once
// The topics and payloads Tarnby publishes, built as pure functions.
//
// Under tarnby/<Site>/:
//   availability  "online" or "offline" (the last will, and while the board's link is lost)
//   state         {"volts","amps","watts","watt_hours"} of the live readings, with "rpm" and
//                 "wind_speed" when their rows are shown
//   record        each day-log record: {"time","volts","amps","watts","rpm","wind_speed","mode",
//                 "watt_hours"}, numbers equal in value to the record's fields as written
// and, for Home Assistant's discovery, one config per sensor under
// homeassistant/sensor/tarnby_<Site>/<object>/config.

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace tarnby {

// The rows of the main window that are published besides volts, amps, watts and energy.
struct PublishedRows {
    bool rpm = false;
    bool windSpeed = false;
    QString windSpeedUnits; // WSUnits as typed

    bool operator==(const PublishedRows&) const = default;
};

// The live readings as shown (volts and amps to 2 decimals, RPM and speed to 1), and the day's
// watt-hours so far (back to 0 at midnight).
struct LiveValues {
    double volts = 0, amps = 0, watts = 0, rpm = 0, windSpeed = 0, wattHours = 0;
};

QString availabilityTopic(const QString& site);
QString stateTopic(const QString& site);
QString recordTopic(const QString& site);
QString discoveryTopic(const QString& site, const QString& object);

QByteArray availabilityPayload(bool online);
QByteArray statePayload(const LiveValues& values, const PublishedRows& rows);

// The record line as the day log holds it, and the moment it was written. A field that is
// missing or not a number (an empty RPM field, "-") is 0.
QByteArray recordPayload(const QDateTime& written, QByteArrayView recordLine);

// Local time with seconds and its offset from UTC: "2026-12-07T14:05:03+01:00".
QString isoTimestamp(const QDateTime& time);

// The unit Home Assistant knows for a spelling of WSUnits ("MPH" -> "mph", "kph" -> "km/h",
// "knots" -> "kn"), or, when it knows none, the text as typed with `known` false.
struct WindSpeedUnit {
    QString unit;
    bool known = false;
};
WindSpeedUnit windSpeedUnit(const QString& typed);

// The sensors announced for the rows: volts, amps, watts, energy, then rpm and wind_speed when
// shown.
QStringList discoveryObjects(const PublishedRows& rows);
// One sensor's discovery config: name, unique_id, state_topic, value_template, device_class,
// unit_of_measurement, state_class, availability_topic and the device block, whose sw_version
// is `programVersion`.
QByteArray discoveryPayload(const QString& site, const QString& object, const PublishedRows& rows,
                            const QString& programVersion);

} // namespace tarnby
