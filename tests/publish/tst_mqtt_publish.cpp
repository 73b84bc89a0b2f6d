// Publishing without a network: mqtt.cfg, the payloads and discovery configs as JSON read back,
// the password warning, and the publisher driven through a connection the test answers.

#include "acquisition/RecordLayout.h"
#include "config/MqttSettings.h"
#include "publish/Publisher.h"
#include "tests/support/FakeMqttConnection.h"
#include "tests/support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <numeric>
#include <sys/stat.h>

using namespace tarnby;
using namespace Qt::StringLiterals;
using tarnby::test::FakeMqttConnection;

namespace {
QJsonObject json(const QByteArray& payload) {
    return QJsonDocument::fromJson(payload).object();
}
// JSON text with %1... filled in.
template <typename... Args>
QJsonObject json(const char* text, const Args&... args) requires(sizeof...(Args) > 0) {
    return json(QString::fromUtf8(text).arg(args...).toUtf8());
}
MqttSettingsReading publishingTo(const QString& host, const QString& site = u"shed"_s) {
    MqttSettingsReading reading;
    reading.settings.host = host;
    reading.settings.site = site;
    return reading;
}

// A publisher on a connection the test answers, connected when `accept` is called.
struct Rig {
    FakeMqttConnection connection;
    Publisher publisher{connection, u"1.2.3"_s};
    Rig() { publisher.applySettings(publishingTo(u"h"_s)); }
    void record(double volts) {
        Readings averages{volts, 1, volts, 0, 0};
        publisher.recordWritten(QDateTime(QDate(2026, 12, 7), QTime(14, 5), Qt::OffsetFromUTC, 0),
                                record::recordLine(QTime(14, 5), averages, 0, 10));
    }
    QList<double> recordVolts() const {
        QList<double> volts;
        for (const QByteArray& payload : connection.payloadsTo(u"tarnby/shed/record"_s))
            volts << json(payload)["volts"_L1].toDouble();
        return volts;
    }
};
} // namespace

class MqttPublishing : public QObject {
    Q_OBJECT
private slots:
    void settingsFile_data() {
        QTest::addColumn<QByteArray>("bytes");
        // Host|Port|User|Site|TLS|CAFile|Discovery|LiveSeconds
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("problem");
        QTest::newRow("only Host: defaults, Site from the host name")
            << "MQTT Settings\r\n<Host> broker </Host>\r\n"_ba << u"broker|1883||box-1_a|0||1|5"_s
            << QString();
        QTest::newRow("TLS: its port")
            << "<Host>b</Host><TLS>1</TLS><CAFile> /c a.pem</CAFile><Discovery>0</Discovery>"_ba
            << u"b|8883||box-1_a|1| /c a.pem|0|5"_s << QString();
        QTest::newRow("every value")
            << "<Host>b</Host><Port>1884</Port><User>ü</User><Site>Shed_2-x</Site>"
               "<LiveSeconds>3600</LiveSeconds>"_ba
            << u"b|1884|ü|Shed_2-x|0||1|3600"_s << QString();
        QTest::newRow("no Host: off and silent")
            << "<Port>0</Port><Host> </Host>"_ba << u"|1883||box-1_a|0||1|5"_s << QString();
        QTest::newRow("problems collected, the password never shown")
            << "<Host>b</Host><Port>0</Port><Password>se<cret</Password><Site>a b</Site>"
               "<TLS>2</TLS><LiveSeconds>0</LiveSeconds><Discovery>1</Discovery"_ba
            << u"b|1883||a b|0||1|5"_s
            << u"mqtt.cfg: <TLS> \"2\" is not 0 or 1; <Port> \"0\" is not a port number (1 to "
               "65535); <Password> holds \"<\" or a line break; <Site> \"a b\" may hold only "
               "letters, digits, _ and -; <Discovery> has no closing tag; <LiveSeconds> \"0\" "
               "is not a number of seconds from 1 to 3600"_s;
        QTest::newRow("a line break in Host is said")
            << "<Host>b\r\nc</Host>"_ba << u"|1883||box-1_a|0||1|5"_s
            << u"mqtt.cfg: <Host> holds \"<\" or a line break"_s;
        QTest::newRow("not UTF-8") << "<Host>b</Host><Password>\xff</Password>"_ba << QString()
                                   << u"mqtt.cfg is not UTF-8 text"_s;
    }

    void settingsFile() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, settings);
        QFETCH(QString, problem);
        const MqttSettingsReading reading = mqttSettingsFromBytes(bytes, u"box-1.a"_s);
        QCOMPARE(reading.problem, problem);
        if (problem.startsWith(u"mqtt.cfg is"_s))
            return;
        const MqttSettings& s = reading.settings;
        QCOMPARE(
            QStringList({s.host, QString::number(s.port), s.user, s.site, QString::number(s.tls),
                         s.caFile, QString::number(s.discovery), QString::number(s.liveSeconds)})
                .join(u'|'),
            settings);
        QCOMPARE(reading.publishing(), !s.host.isEmpty() && problem.isEmpty());
    }

    // Written byte for byte, owner-only from the start and after a rewrite of a file others could
    // read; the password's UTF-8 bytes come back; "<" is refused and nothing written.
    void settingsWrittenOwnerOnly() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"mqtt.cfg"_s);
        MqttSettings s;
        s.host = u"broker"_s;
        s.password = QString::fromUtf8("p\xc3\xa4\xe2\x82\xac word");
        s.site = u"shed"_s;
        QVERIFY(writeMqttCfg(path, s).ok);
        const QByteArray expected =
            "MQTT Settings\r\n\r\n<Host>broker</Host>\r\n<Port>1883</Port>\r\n"
            "<User></User>\r\n<Password>p\xc3\xa4\xe2\x82\xac word</Password>\r\n"
            "<Site>shed</Site>\r\n<TLS>0</TLS>\r\n<CAFile></CAFile>\r\n"
            "<Discovery>1</Discovery>\r\n<LiveSeconds>5</LiveSeconds>\r\n\r\n"_ba;
        const auto mode = [&] {
            struct stat info {};
            return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777
                                                                           : 0;
        };
        QCOMPARE(std::pair(test::readAll(path), mode()), std::pair(expected, 0600u));
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);
        QVERIFY(writeMqttCfg(path, s).ok);
        QCOMPARE(mode(), 0600u);
        QCOMPARE(readMqttSettings(path, {}).settings, s);
        s.user = u"a<b"_s;
        const FileOutcome refused = writeMqttCfg(path, s);
        QCOMPARE(std::pair(refused.ok, refused.error),
                 std::pair(false, u"<User> may not hold \"<\" or a line break"_s));
        QCOMPARE(test::readAll(path), expected);
    }

    void recordPayloadEqualsTheFields_data() {
        QTest::addColumn<int>("offsetSeconds");
        QTest::addColumn<QString>("time");
        QTest::newRow("east of UTC") << 3600 << u"2026-12-07T14:05:03+01:00"_s;
        QTest::newRow("west, half hour") << -(3 * 3600 + 1800) << u"2026-12-07T14:05:03-03:30"_s;
        QTest::newRow("UTC") << 0 << u"2026-12-07T14:05:03+00:00"_s;
    }

    // The record line as the day-log writer makes it: ".50" is 0.5, an empty RPM field 0.
    void recordPayloadEqualsTheFields() {
        QFETCH(int, offsetSeconds);
        QFETCH(QString, time);
        const QByteArray line =
            record::recordLine(QTime(14, 5), {12.574, 0.5, 6.29, 0.2, 5.26}, 2, 1234.54);
        QCOMPARE(line, "<T>14:05</T><V>12.57</V><I>.50</I><W>6.29</W><R></R><S>5.3</S><M>2</M>   "
                       "1234.5Wh\r\n"_ba);
        const QDateTime written(QDate(2026, 12, 7), QTime(14, 5, 3), Qt::OffsetFromUTC,
                                offsetSeconds);
        QCOMPARE(json(recordPayload(written, line)),
                 json(R"({"time":"%1","volts":12.57,"amps":0.5,"watts":6.29,"rpm":0,)"
                      R"("wind_speed":5.3,"mode":2,"watt_hours":1234.5})",
                      time));
    }

    void discoveryConfigs_data() {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("units");
        QTest::addColumn<QString>("expected"); // device_class|unit_of_measurement|state_class|field
        const char* rows[][3] = {
            // (each sensor with the units of the sample prog.cfg: tests/e2e/test_publishing.py)
            {"wind_speed", " kph", "wind_speed|km/h|measurement|wind_speed"},
            {"wind_speed", "Km/h", "wind_speed|km/h|measurement|wind_speed"},
            {"wind_speed", "m/s", "wind_speed|m/s|measurement|wind_speed"},
            {"wind_speed", "knots", "wind_speed|kn|measurement|wind_speed"},
            {"wind_speed", "kn", "wind_speed|kn|measurement|wind_speed"},
            {"wind_speed", "ft/s", "wind_speed|ft/s|measurement|wind_speed"},
            {"wind_speed", "bft", "wind_speed|Beaufort|measurement|wind_speed"},
            {"wind_speed", "furlongs ", "|furlongs |measurement|wind_speed"},
        };
        for (const auto& [object, units, expected] : rows)
            QTest::addRow("%s %s", object, units)
                << QString::fromUtf8(object) << QString::fromUtf8(units)
                << QString::fromUtf8(expected);
    }

    void discoveryConfigs() {
        QFETCH(QString, object);
        QFETCH(QString, units);
        QFETCH(QString, expected);
        const PublishedRows rows{true, true, units};
        QVERIFY(discoveryObjects(rows).contains(object));
        QCOMPARE(discoveryTopic(u"shed-1"_s, object),
                 u"homeassistant/sensor/tarnby_shed-1/%1/config"_s.arg(object));
        QJsonObject config = json(discoveryPayload(u"shed-1"_s, object, rows, u"1.2.3"_s));
        QVERIFY(!config.take("name"_L1).toString().isEmpty());
        const QStringList fields = expected.split(u'|');
        QJsonObject wanted = json(
            R"({"unique_id":"tarnby_shed-1_%1","state_topic":"tarnby/shed-1/state",)"
            R"("value_template":"{{ value_json.%2 }}","state_class":"%3","unit_of_measurement":"%4",)"
            R"("availability_topic":"tarnby/shed-1/availability","device":{"identifiers":)"
            R"(["tarnby_shed-1"],"name":"Tarnby shed-1","model":"Tarnby","sw_version":"1.2.3"}})",
            object, fields[3], fields[2], fields[1]);
        if (!fields[0].isEmpty())
            wanted.insert("device_class"_L1, fields[0]);
        QCOMPARE(config, wanted);
    }

    void passwordWarning_data() {
        QTest::addColumn<bool>("tls");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QStringList>("addresses"); // what the host name resolves to
        QTest::addColumn<bool>("warned");
        QTest::newRow("another machine")
            << false << u"pw"_s << QStringList{u"192.168.1.20"_s} << true;
        QTest::newRow("with TLS") << true << u"pw"_s << QStringList{u"192.168.1.20"_s} << false;
        QTest::newRow("no password")
            << false << QString() << QStringList{u"192.168.1.20"_s} << false;
        QTest::newRow("loopback") << false << u"pw"_s << QStringList{u"127.0.1.1"_s, u"::1"_s}
                                  << false;
        QTest::newRow("mapped loopback")
            << false << u"pw"_s << QStringList{u"::ffff:127.0.0.1"_s} << false;
        QTest::newRow("own address") << false << u"pw"_s << QStringList{u"192.168.1.5"_s} << false;
        QTest::newRow("own and another")
            << false << u"pw"_s << QStringList{u"192.168.1.5"_s, u"10.0.0.9"_s} << true;
        QTest::newRow("no address") << false << u"pw"_s << QStringList() << true;
    }

    void passwordWarning() {
        QFETCH(bool, tls);
        QFETCH(QString, password);
        QFETCH(QStringList, addresses);
        QFETCH(bool, warned);
        MqttSettings s;
        s.host = u"broker.lan"_s;
        s.tls = tls;
        s.password = password;
        s.user = u"u"_s;
        const QString warning =
            tarnby::passwordWarning(s,
                                    [&](const QString& host) {
                                        return host == u"broker.lan"_s ? addresses : QStringList();
                                    },
                                    {u"192.168.1.5"_s});
        QCOMPARE(warning.startsWith(u"the password for broker.lan:1883 is sent without TLS"_s),
                 warned);
        QCOMPARE(warning.isEmpty(), !warned);
    }

    // At most one state per LiveSeconds, the latest values, with RPM and wind speed when shown.
    void liveStateAndAvailability() {
        Rig rig;
        rig.publisher.setDisplay(true, false, {});
        rig.connection.accept();
        for (double v : {1.0, 2.0, 3.0})
            rig.publisher.readingsChanged({v, 3.2, 40.22, 123.4, 5.3, 1234.5});
        QVERIFY(rig.publisher.liveTimerActive());
        rig.publisher.liveTick();
        rig.publisher.liveTick();
        const QList<QByteArray> states = rig.connection.payloadsTo(u"tarnby/shed/state"_s);
        QCOMPARE(states.size(), 2);
        QCOMPARE(
            json(states[1]),
            json(R"({"volts":3,"amps":3.2,"watts":40.22,"rpm":123.4,"watt_hours":1234.5})"_ba));
        QCOMPARE(std::pair(rig.connection.sent.last().qos, rig.connection.sent.last().retain),
                 std::pair(0, false));
        // Availability: "offline" as the will and while the board's link is lost.
        rig.publisher.boardLinkChanged(false);
        rig.publisher.boardLinkChanged(true);
        QCOMPARE(rig.connection.payloadsTo(u"tarnby/shed/availability"_s),
                 QList<QByteArray>({"online", "offline", "online"}));
        QCOMPARE(std::tuple(rig.connection.will.topic, rig.connection.will.payload,
                            rig.connection.will.retain, rig.connection.sent.last().retain),
                 std::tuple(u"tarnby/shed/availability"_s, "offline"_ba, true, true));
    }

    // Records wait while the broker is away, the oldest beyond MaxWaitingRecords dropped and
    // counted; then they go in order, MaxRecordsInFlight at a time, retained with QoS 1; those not
    // acknowledged before a loss go again.
    void recordsWaitAndGoInOrder() {
        Rig rig;
        for (size_t v = 1; v <= Publisher::MaxWaitingRecords + 2; ++v)
            rig.record(double(v));
        QCOMPARE(rig.publisher.waitingRecords(), Publisher::MaxWaitingRecords);
        rig.connection.accept();
        QList<double> inFlight(Publisher::MaxRecordsInFlight);
        std::iota(inFlight.begin(), inFlight.end(), 3);
        QCOMPARE(rig.recordVolts(), inFlight);
        QCOMPARE(std::tuple(rig.publisher.status().text, rig.connection.sent.last().qos,
                            rig.connection.sent.last().retain),
                 std::tuple(u"publishing to h:1883; 2 records were dropped while it was away"_s, 1,
                            true));
        const auto& sent = rig.connection.sent;
        rig.connection.acknowledge(
            1 + int(std::find_if(sent.begin(), sent.end(),
                                 [](auto& m) { return m.topic == u"tarnby/shed/record"_s; }) -
                    sent.begin()));
        QCOMPARE(rig.recordVolts().last(), 23);
        rig.connection.lose();
        rig.connection.sent.clear();
        rig.publisher.retry();
        rig.connection.accept();
        QCOMPARE(rig.recordVolts().first(), 4);
    }

    // Configs of a row no longer shown, of a Site left and with Discovery 0 are emptied (retained).
    void discoveryEmptiedWhenLeft() {
        Rig rig;
        rig.publisher.setDisplay(true, true, u"MPH"_s);
        rig.connection.accept();
        // The objects whose configs were filled, or emptied, since the last look.
        const auto configs = [&](const QString& site, bool emptied) {
            QStringList objects;
            for (const auto& m : std::as_const(rig.connection.sent)) {
                if (m.topic.startsWith(u"homeassistant/sensor/tarnby_%1/"_s.arg(site)) &&
                    m.payload.isEmpty() == emptied && m.retain)
                    objects << m.topic.section(u'/', 3, 3);
            }
            rig.connection.sent.clear();
            return objects;
        };
        const QStringList all{u"volts"_s,  u"amps"_s, u"watts"_s,
                              u"energy"_s, u"rpm"_s,  u"wind_speed"_s};
        QCOMPARE(configs(u"shed"_s, false), all);
        rig.publisher.setDisplay(false, true, u"MPH"_s);
        QCOMPARE(configs(u"shed"_s, true), QStringList{u"rpm"_s});
        QStringList shown = all;
        shown.removeOne(u"rpm"_s);
        rig.publisher.applySettings(publishingTo(u"h"_s, u"barn"_s));
        QCOMPARE(configs(u"shed"_s, true), shown);
        rig.connection.accept();
        QCOMPARE(configs(u"barn"_s, false), shown);
        MqttSettingsReading off = publishingTo(u"h"_s, u"barn"_s);
        off.settings.discovery = false;
        rig.publisher.applySettings(off);
        QCOMPARE(configs(u"barn"_s, true), shown);
    }

    // Each failure is shown with its reason, and tried again after 5, 10, 20, then 30 s; a
    // connection made resets the delays. A problem in mqtt.cfg stops the attempts.
    void failuresRetriedWithBackoff() {
        Rig rig;
        QCOMPARE(rig.publisher.status().text, u"connecting to h:1883"_s);
        const auto fail = [&](ConnectionFailure failure) {
            if (failure == ConnectionFailure::NotAnswering)
                rig.publisher.attemptTimedOut();
            else
                emit rig.connection.connectFailed(failure, {});
            const int delay = rig.publisher.retryIntervalMs();
            rig.publisher.retry();
            return std::pair(rig.publisher.status().text, delay);
        };
        QCOMPARE(fail(ConnectionFailure::Refused),
                 std::pair(u"connection refused by h:1883"_s, 5000));
        QCOMPARE(fail(ConnectionFailure::NotAuthorised),
                 std::pair(u"not authorised by h:1883 (check User and Password)"_s, 10000));
        QCOMPARE(fail(ConnectionFailure::NotAnswering),
                 std::pair(u"broker h:1883 not answering"_s, 20000));
        QCOMPARE(fail(ConnectionFailure::CannotResolve),
                 std::pair(u"cannot resolve the host name h"_s, 30000));
        QCOMPARE(fail(ConnectionFailure::NotTrusted),
                 std::pair(u"the certificate of h is not trusted"_s, 30000));
        QCOMPARE(rig.connection.attempts, 6);
        rig.connection.accept();
        QCOMPARE(rig.publisher.status().state, PublishStatus::State::Publishing);
        rig.connection.lose();
        QCOMPARE(std::pair(rig.publisher.status().text, rig.publisher.retryIntervalMs()),
                 std::pair(u"connection to h:1883 lost"_s, 5000));
        rig.publisher.applySettings(mqttSettingsFromBytes("<Host>h</Host><Port>0</Port>", {}));
        QCOMPARE(std::pair(rig.publisher.status().text, rig.publisher.retryIntervalMs()),
                 std::pair(u"mqtt.cfg: <Port> \"0\" is not a port number (1 to 65535)"_s, -1));
        rig.record(1); // no broker to keep it for
        QCOMPARE(rig.publisher.waitingRecords(), size_t(0));
    }
};

QTEST_GUILESS_MAIN(MqttPublishing)
#include "tst_mqtt_publish.moc"
