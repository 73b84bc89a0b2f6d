#include "config/MqttSettings.h"

#include "common/NumberText.h"
#include "config/ConfigFile.h"
#include "config/TaggedValue.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringList>
#include <optional>

namespace tarnby {

using namespace Qt::StringLiterals;

namespace {

bool isSiteCharacter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'_' || c == u'-';
}

// The values of mqtt.cfg as found, with the problems of each key noted.
class MqttCfgText {
public:
    explicit MqttCfgText(const QString& text) : text_(text) {}

    // The key's text; empty when the key is missing (its default applies) or cannot be taken.
    QString take(QLatin1StringView key) {
        const TaggedValue tagged = findTaggedValue(text_, key);
        switch (tagged.status) {
        case TaggedValue::Status::Found:
            break;
        case TaggedValue::Status::MissingOpening:
            return {};
        case TaggedValue::Status::MissingClosing:
            problems << u"<%1> has no closing tag"_s.arg(key);
            return {};
        case TaggedValue::Status::ClosingBeforeOpening:
            problems << u"</%1> comes before <%1>"_s.arg(key);
            return {};
        }
        if (!isSafeConfigText(tagged.value.toString())) {
            problems << u"<%1> holds \"<\" or a line break"_s.arg(key);
            return {};
        }
        return tagged.value.toString();
    }

    // A whole number from `low` to `high`; `fallback` when the key is missing or empty.
    int number(QLatin1StringView key, int fallback, int low, int high, const QString& meaning) {
        const QString value = take(key);
        if (value.trimmed().isEmpty())
            return fallback;
        const std::optional<int> number = readExactWholeNumber(value);
        if (number && *number >= low && *number <= high)
            return *number;
        problems << u"<%1> \"%2\" is not %3"_s.arg(key, value, meaning);
        return fallback;
    }

    bool flag(QLatin1StringView key, bool fallback) {
        return number(key, fallback ? 1 : 0, 0, 1, u"0 or 1"_s) == 1;
    }

    QStringList problems;

private:
    QString text_;
};

} // namespace

QString defaultSite(const QString& hostName) {
    if (hostName.isEmpty())
        return u"tarnby"_s;
    QString site = hostName;
    for (QChar& c : site) {
        if (!isSiteCharacter(c))
            c = u'_';
    }
    return site;
}

MqttSettingsReading mqttSettingsFromBytes(const QByteArray& bytes, const QString& hostName) {
    MqttSettingsReading reading;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    if (utf8.hasError()) {
        reading.problem = u"mqtt.cfg is not UTF-8 text"_s;
        return reading;
    }
    MqttCfgText file(text);
    MqttSettings& s = reading.settings;
    s.host = file.take("Host"_L1).trimmed();
    s.tls = file.flag("TLS"_L1, false);
    s.port = file.number("Port"_L1, s.tls ? MqttSettings::TlsPort : MqttSettings::PlainPort, 1,
                         65535, u"a port number (1 to 65535)"_s);
    s.user = file.take("User"_L1);
    s.password = file.take("Password"_L1);
    s.site = file.take("Site"_L1);
    if (s.site.isEmpty())
        s.site = defaultSite(hostName);
    else if (!std::all_of(s.site.cbegin(), s.site.cend(), isSiteCharacter))
        file.problems << u"<Site> \"%1\" may hold only letters, digits, _ and -"_s.arg(s.site);
    s.caFile = file.take("CAFile"_L1);
    s.discovery = file.flag("Discovery"_L1, true);
    s.liveSeconds =
        file.number("LiveSeconds"_L1, 5, MqttSettings::MinLiveSeconds, MqttSettings::MaxLiveSeconds,
                    u"a number of seconds from %1 to %2"_s.arg(MqttSettings::MinLiveSeconds)
                        .arg(MqttSettings::MaxLiveSeconds));
    // Without a host nothing is published, so nothing is said; a Host that cannot be taken is a
    // problem.
    const bool hostGiven = !findTaggedValue(text, "Host"_L1).value.trimmed().isEmpty();
    if (hostGiven && !file.problems.isEmpty())
        reading.problem = u"mqtt.cfg: "_s + file.problems.join(u"; "_s);
    return reading;
}

MqttSettingsReading readMqttSettings(const QString& path, const QString& hostName) {
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly)) {
        MqttSettingsReading reading;
        reading.problem = u"mqtt.cfg cannot be read (%1)"_s.arg(file.errorString());
        return reading;
    }
    return mqttSettingsFromBytes(file.readAll(), hostName);
}

QByteArray mqttCfgBytes(const MqttSettings& s) {
    // taggedLine writes one byte per character: UTF-8 bytes carried as Latin-1 characters come
    // out as the same bytes.
    const auto line = [](QLatin1StringView key, const QString& value) {
        return taggedLine(key, QString::fromLatin1(value.toUtf8()));
    };
    const auto number = [](int value) { return QString::number(value); };
    QByteArray bytes = "MQTT Settings\r\n\r\n";
    bytes += line("Host"_L1, s.host);
    bytes += line("Port"_L1, number(s.port));
    bytes += line("User"_L1, s.user);
    bytes += line("Password"_L1, s.password);
    bytes += line("Site"_L1, s.site);
    bytes += line("TLS"_L1, number(s.tls));
    bytes += line("CAFile"_L1, s.caFile);
    bytes += line("Discovery"_L1, number(s.discovery));
    bytes += line("LiveSeconds"_L1, number(s.liveSeconds));
    bytes += "\r\n";
    return bytes;
}

QString unsafeMqttKey(const MqttSettings& s) {
    const std::pair<const char*, const QString*> texts[] = {
        {"Host", &s.host}, {"User", &s.user},     {"Password", &s.password},
        {"Site", &s.site}, {"CAFile", &s.caFile},
    };
    for (const auto& [key, text] : texts) {
        if (!isSafeConfigText(*text))
            return QString::fromLatin1(key);
    }
    return {};
}

FileOutcome writeMqttCfg(const QString& path, const MqttSettings& settings) {
    const QString key = unsafeMqttKey(settings);
    if (!key.isEmpty())
        return {false, u"<%1> may not hold \"<\" or a line break"_s.arg(key)};
    return replaceFileWhole(path, mqttCfgBytes(settings), FileAccess::OwnerOnly);
}

} // namespace tarnby
