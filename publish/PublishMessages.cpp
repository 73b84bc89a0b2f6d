#include "publish/PublishMessages.h"

#include "common/NumberText.h"
#include "config/TaggedValue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tarnby {

using namespace Qt::StringLiterals;

namespace {

QByteArray compact(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// A record field's number: 0 when the field is missing or its text is not a number.
double fieldNumber(QByteArrayView line, QByteArrayView tag) {
    const TaggedBytes field = findTaggedValue(line, tag);
    return field.found() ? readNumber(field.value).value_or(0) : 0;
}

// The watt-hour total after the tags: "   1234.5Wh" CR LF.
double trailingWattHours(QByteArrayView line) {
    QByteArrayView tail = line.sliced(line.lastIndexOf('>') + 1).trimmed();
    if (tail.endsWith("Wh"))
        tail.chop(2);
    return readNumber(tail).value_or(0);
}

struct Sensor {
    const char* object;
    const char* name;
    const char* field; // in the state payload
    const char* deviceClass;
    const char* unit;
    const char* stateClass;
};

constexpr Sensor sensors[] = {
    {"volts", "Volts", "volts", "voltage", "V", "measurement"},
    {"amps", "Amps", "amps", "current", "A", "measurement"},
    {"watts", "Watts", "watts", "power", "W", "measurement"},
    // The day's total goes back to 0 at midnight, which total_increasing takes as a reset.
    {"energy", "Energy today", "watt_hours", "energy", "Wh", "total_increasing"},
    {"rpm", "RPM", "rpm", nullptr, "rpm", "measurement"},
    {"wind_speed", "Wind speed", "wind_speed", "wind_speed", nullptr, "measurement"},
};

} // namespace

QString availabilityTopic(const QString& site) {
    return u"tarnby/%1/availability"_s.arg(site);
}
QString stateTopic(const QString& site) {
    return u"tarnby/%1/state"_s.arg(site);
}
QString recordTopic(const QString& site) {
    return u"tarnby/%1/record"_s.arg(site);
}
QString discoveryTopic(const QString& site, const QString& object) {
    return u"homeassistant/sensor/tarnby_%1/%2/config"_s.arg(site, object);
}

QByteArray availabilityPayload(bool online) {
    return online ? "online"_ba : "offline"_ba;
}

QByteArray statePayload(const LiveValues& values, const PublishedRows& rows) {
    QJsonObject state{{"volts"_L1, values.volts},
                      {"amps"_L1, values.amps},
                      {"watts"_L1, values.watts},
                      {"watt_hours"_L1, values.wattHours}};
    if (rows.rpm)
        state.insert("rpm"_L1, values.rpm);
    if (rows.windSpeed)
        state.insert("wind_speed"_L1, values.windSpeed);
    return compact(state);
}

QByteArray recordPayload(const QDateTime& written, QByteArrayView line) {
    return compact({{"time"_L1, isoTimestamp(written)},
                    {"volts"_L1, fieldNumber(line, "V")},
                    {"amps"_L1, fieldNumber(line, "I")},
                    {"watts"_L1, fieldNumber(line, "W")},
                    {"rpm"_L1, fieldNumber(line, "R")},
                    {"wind_speed"_L1, fieldNumber(line, "S")},
                    {"mode"_L1, fieldNumber(line, "M")},
                    {"watt_hours"_L1, trailingWattHours(line)}});
}

QString isoTimestamp(const QDateTime& time) {
    const int offsetMinutes = time.offsetFromUtc() / 60;
    const int size = std::abs(offsetMinutes);
    return time.toString(u"yyyy-MM-ddTHH:mm:ss"_s) +
           u"%1%2:%3"_s.arg(QChar(offsetMinutes < 0 ? u'-' : u'+'))
               .arg(size / 60, 2, 10, QChar(u'0'))
               .arg(size % 60, 2, 10, QChar(u'0'));
}

WindSpeedUnit windSpeedUnit(const QString& typed) {
    static const std::pair<QLatin1StringView, QLatin1StringView> spellings[] = {
        {"mph"_L1, "mph"_L1},      {"km/h"_L1, "km/h"_L1},
        {"kph"_L1, "km/h"_L1},     {"kmh"_L1, "km/h"_L1},
        {"m/s"_L1, "m/s"_L1},      {"mps"_L1, "m/s"_L1},
        {"knots"_L1, "kn"_L1},     {"knot"_L1, "kn"_L1},
        {"kn"_L1, "kn"_L1},        {"kt"_L1, "kn"_L1},
        {"kts"_L1, "kn"_L1},       {"ft/s"_L1, "ft/s"_L1},
        {"fps"_L1, "ft/s"_L1},     {"beaufort"_L1, "Beaufort"_L1},
        {"bft"_L1, "Beaufort"_L1},
    };
    const QString spelled = typed.trimmed();
    for (const auto& [spelling, unit] : spellings) {
        if (spelled.compare(spelling, Qt::CaseInsensitive) == 0)
            return {unit, true};
    }
    return {typed, false};
}

QStringList discoveryObjects(const PublishedRows& rows) {
    QStringList objects{u"volts"_s, u"amps"_s, u"watts"_s, u"energy"_s};
    if (rows.rpm)
        objects << u"rpm"_s;
    if (rows.windSpeed)
        objects << u"wind_speed"_s;
    return objects;
}

QByteArray discoveryPayload(const QString& site, const QString& object, const PublishedRows& rows,
                            const QString& programVersion) {
    const auto sensor = std::find_if(std::begin(sensors), std::end(sensors), [&](const Sensor& s) {
        return object == QLatin1StringView(s.object);
    });
    if (sensor == std::end(sensors))
        return {};
    const QString device = u"tarnby_"_s + site;
    QJsonObject config{
        {"name"_L1, QLatin1StringView(sensor->name)},
        {"unique_id"_L1, device + u'_' + object},
        {"state_topic"_L1, stateTopic(site)},
        {"value_template"_L1, u"{{ value_json.%1 }}"_s.arg(QLatin1StringView(sensor->field))},
        {"state_class"_L1, QLatin1StringView(sensor->stateClass)},
        {"availability_topic"_L1, availabilityTopic(site)},
        {"device"_L1, QJsonObject{{"identifiers"_L1, QJsonArray{device}},
                                  {"name"_L1, u"Tarnby "_s + site},
                                  {"model"_L1, "Tarnby"_L1},
                                  {"sw_version"_L1, programVersion}}},
    };
    QString deviceClass = QLatin1StringView(sensor->deviceClass);
    QString unit = QLatin1StringView(sensor->unit);
    if (object == "wind_speed"_L1) {
        const WindSpeedUnit speed = windSpeedUnit(rows.windSpeedUnits);
        unit = speed.unit;
        if (!speed.known)
            deviceClass.clear();
    }
    if (!deviceClass.isEmpty())
        config.insert("device_class"_L1, deviceClass);
    if (!unit.isEmpty())
        config.insert("unit_of_measurement"_L1, unit);
    return compact(config);
}

} // namespace tarnby
