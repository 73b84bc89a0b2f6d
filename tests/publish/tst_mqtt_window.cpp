// The publishing window: what Save refuses and writes, and what a connection test says.

#include "publish/widgets/PublishingWindow.h"
#include "tests/support/FakeMqttConnection.h"
#include "tests/support/TestEnvironment.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>

using namespace tarnby;
using namespace tarnby::test;
using namespace Qt::StringLiterals;

class MqttWindow : public QObject {
    Q_OBJECT
private slots:
    // A refused Save names the box, writes nothing and keeps the window open. A test connects
    // with the typed values and no last will, and says what happened, never the password. The
    // port follows TLS. Save writes the typed values and closes.
    void saveAndTest() {
        TestEnvironment env;
        const QString path = env.path(u"mqtt.cfg"_s);
        env.writeFile(u"mqtt.cfg"_s, "<Host>h</Host><Password>s3cret</Password><Site>shed</Site>");
        FakeMqttConnection* connection = nullptr;
        PublishingWindow window(
            path, u"box"_s,
            [&] {
                auto made = std::make_unique<FakeMqttConnection>();
                connection = made.get();
                return made;
            },
            env.prompts, nullptr);
        window.show();
        child<QLineEdit>(window, "User")->setText(u"a<b"_s);
        click(window, "SaveButton");
        QCOMPARE(env.prompts.messages,
                 QStringList{u"The box User may not hold \"<\" or a line break."_s});
        QVERIFY(window.isVisible());
        child<QLineEdit>(window, "User")->setText(u"ü"_s);

        const auto result = [&] { return textOf(window, "TestResult"); };
        child<QCheckBox>(window, "TLS")->setChecked(true);
        QCOMPARE(child<QSpinBox>(window, "Port")->value(), 8883);
        click(window, "TestButton");
        QCOMPARE(std::tuple(connection->settings.host, connection->settings.tls,
                            connection->settings.password, connection->will.topic),
                 std::tuple(u"h"_s, true, u"s3cret"_s, QString()));
        emit connection->connectFailed(ConnectionFailure::NotTrusted, {});
        QCOMPARE(result(), u"the certificate of h is not trusted"_s);
        child<QCheckBox>(window, "TLS")->setChecked(false);
        click(window, "TestButton");
        connection->peer = u"10.1.1.1"_s;
        connection->accept();
        QCOMPARE(result(), u"Connected to h:1883.\nWarning: the password for h:1883 is sent "
                           "without TLS: anyone on the network between can read it"_s);

        click(window, "SaveButton");
        QVERIFY(!window.isVisible());
        QCOMPARE(env.readFile(u"mqtt.cfg"_s), mqttCfgBytes(window.typedSettings()));
        QCOMPARE(readMqttSettings(path, {}).settings.user, u"ü"_s);
    }
};

QTEST_MAIN(MqttWindow)
#include "tst_mqtt_window.moc"
