// The publisher on the libmosquitto connection against a real mosquitto broker that the test
// starts on a free loopback port, read back by a subscriber of the test's own (mosquitto_sub):
// retained discovery configs and a record, a broker stopped and started again, "offline" after an
// orderly end, and TLS checked against a certificate authority the test makes for the name
// "localhost" only. (A wrong password is checked end to end: tests/e2e/test_publishing.py.)

#include "acquisition/RecordLayout.h"
#include "platform/mqtt/MosquittoConnection.h"
#include "publish/Publisher.h"

#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <dlfcn.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

using namespace tarnby;
using namespace Qt::StringLiterals;

// Every name lookup of the process comes through here, so the test sees which thread made it.
static std::atomic<int> lookups{0}, lookupsOnEventLoop{0};
extern "C" int getaddrinfo(const char* node, const char* service, const addrinfo* hints,
                           addrinfo** result) {
    using Lookup = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
    static const auto real = reinterpret_cast<Lookup>(dlsym(RTLD_NEXT, "getaddrinfo"));
    ++lookups;
    if (gettid() == getpid())
        ++lookupsOnEventLoop;
    return real(node, service, hints, result);
}

namespace {
int freeLoopbackPort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t size = sizeof address;
    ::bind(s, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(s);
    return ntohs(address.sin_port);
}

bool run(const QString& program, const QStringList& arguments, const QString& folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    return process.waitForFinished(20000) && process.exitCode() == 0;
}

MqttSettings broker(const QString& host, int port) {
    MqttSettings settings;
    settings.host = host;
    settings.port = port;
    settings.site = u"t1"_s;
    return settings;
}
} // namespace

class MqttBroker : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    int port_ = 0;
    QString brokerLines_;
    std::unique_ptr<QProcess> broker_;
    std::unique_ptr<MosquittoConnection> connection_;
    std::unique_ptr<Publisher> publisher_;

    // Starts mosquitto on port_ with these lines after its loopback listener.
    bool startBroker() {
        QFile config(dir_.filePath(u"broker.conf"_s));
        // As root, mosquitto would drop to its own user, who cannot read the test's files.
        if (!config.open(QIODevice::WriteOnly) ||
            config.write(u"listener %1 127.0.0.1\npersistence false\nuser root\n%2\n"_s
                             .arg(QString::number(port_), brokerLines_)
                             .toUtf8()) < 0)
            return false;
        config.close();
        broker_ = std::make_unique<QProcess>();
        broker_->setProcessChannelMode(QProcess::MergedChannels);
        QSignalSpy output(broker_.get(), &QProcess::readyRead);
        broker_->start(u"mosquitto"_s, {u"-c"_s, config.fileName()});
        QByteArray said;
        while (!said.contains(" running") && output.wait(10000))
            said += broker_->readAll();
        return said.contains(" running");
    }
    bool startBroker(const QString& lines) {
        port_ = freeLoopbackPort();
        brokerLines_ = lines;
        return startBroker();
    }
    void stopBroker() {
        if (broker_) {
            broker_->kill();
            broker_->waitForFinished(5000);
        }
    }
    // The publisher's status once it has left `state`, or after 15 s.
    PublishStatus statusAfter(PublishStatus::State state) {
        QSignalSpy changed(publisher_.get(), &Publisher::statusChanged);
        while (publisher_->status().state == state && changed.wait(15000)) {
        }
        return publisher_->status();
    }
    PublishStatus publish(const MqttSettings& settings) {
        publisher_.reset();
        connection_ = std::make_unique<MosquittoConnection>();
        publisher_ = std::make_unique<Publisher>(*connection_, u"9.9"_s);
        publisher_->setDisplay(true, false, u"MPH"_s);
        publisher_->applySettings({settings, {}});
        return statusAfter(PublishStatus::State::Connecting);
    }
    // The retained messages under tarnby/# and homeassistant/#, payloads by topic.
    QMap<QString, QByteArray> retainedMessages(int count) {
        QProcess subscriber;
        subscriber.start(u"mosquitto_sub"_s,
                         {u"-h"_s, u"127.0.0.1"_s, u"-p"_s, QString::number(port_), u"-t"_s,
                          u"tarnby/#"_s, u"-t"_s, u"homeassistant/#"_s, u"--retained-only"_s,
                          u"-C"_s, QString::number(count), u"-W"_s, u"10"_s, u"-F"_s, u"%t %p"_s});
        QMap<QString, QByteArray> messages;
        if (!subscriber.waitForFinished(15000))
            return messages;
        for (const QString& line :
             QString::fromUtf8(subscriber.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts))
            messages.insert(line.section(u' ', 0, 0), line.section(u' ', 1).toUtf8());
        return messages;
    }

private slots:
    void initTestCase() {
        qputenv("PATH", qgetenv("PATH") + ":/usr/sbin:/usr/local/sbin");
        for (const char* tool : {"mosquitto", "mosquitto_sub", "openssl"}) {
            const QString missing =
                QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()
                    ? QString::fromLatin1(tool) + u" is not installed"_s
                    : QString();
            if (!missing.isEmpty() && qEnvironmentVariableIsEmpty("CI"))
                QSKIP(qPrintable(missing));
            QVERIFY2(missing.isEmpty(), qPrintable(missing));
        }
        // Two authorities; a server certificate for the name localhost, signed by "ca".
        QVERIFY(run(u"sh"_s,
                    {u"-ec"_s,
                     u"k='-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2'\n"
                     "openssl req -x509 $k -subj /CN=ca -keyout ca.key -out ca.crt\n"
                     "openssl req -x509 $k -subj /CN=other -keyout other.key -out other.crt\n"
                     "openssl req $k -subj /CN=localhost -keyout server.key -out server.csr\n"
                     "echo subjectAltName=DNS:localhost > san\n"
                     "openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial "
                     "-days 2 -extfile san -out server.crt"_s},
                    dir_.path()));
    }
    void cleanup() {
        publisher_.reset();
        connection_.reset();
        stopBroker();
    }

    // Five configs (RPM shown, wind speed not), the availability and the record arrive retained;
    // the name "localhost" was looked up, never on the event loop. A broker stopped and started
    // again is reported and published to again.
    void discoveryAndRecordArriveRetained() {
        QVERIFY(startBroker(u"allow_anonymous true"_s));
        const int lookupsBefore = lookups;
        QCOMPARE(publish(broker(u"localhost"_s, port_)).text,
                 u"publishing to localhost:%1"_s.arg(port_));
        QVERIFY(lookups > lookupsBefore);
        QCOMPARE(lookupsOnEventLoop.load(), 0);
        const QDateTime written(QDate(2026, 12, 7), QTime(14, 5, 3), Qt::OffsetFromUTC, 3600);
        publisher_->recordWritten(
            written, record::recordLine(QTime(14, 5), {12.5, 0.5, 6.25, 0, 5.3}, 0, 20));
        QSignalSpy sent(connection_.get(), &MqttConnection::published);
        while (publisher_->waitingRecords() > 0 && sent.wait(10000)) {
        }
        const QMap<QString, QByteArray> received = retainedMessages(7);
        const QString config = u"homeassistant/sensor/tarnby_t1/%1/config"_s;
        QCOMPARE(received.keys(),
                 QStringList({config.arg(u"amps"_s), config.arg(u"energy"_s), config.arg(u"rpm"_s),
                              config.arg(u"volts"_s), config.arg(u"watts"_s),
                              u"tarnby/t1/availability"_s, u"tarnby/t1/record"_s}));

        stopBroker();
        QCOMPARE(statusAfter(PublishStatus::State::Publishing).text,
                 u"connection to localhost:%1 lost"_s.arg(port_));
        QVERIFY(startBroker());
        publisher_->retry();
        QCOMPARE(statusAfter(PublishStatus::State::Waiting).state,
                 PublishStatus::State::Publishing);
        // The orderly end leaves "offline" behind (the broker kept nothing over its restart but
        // what was published since: five configs and the availability).
        QSignalSpy finished(publisher_.get(), &Publisher::finished);
        publisher_->finish();
        QVERIFY(finished.wait(5000));
        const QMap<QString, QByteArray> kept = retainedMessages(6);
        QCOMPARE(std::pair(kept.size(), kept.value(u"tarnby/t1/availability"_s)),
                 std::pair(qsizetype(6), "offline"_ba));
    }

    void tlsCheckedAgainstTheName_data() {
        QTest::addColumn<QString>("caFile");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("status");
        QTest::newRow("its authority") << u"ca.crt"_s << u"localhost"_s << u"publishing to"_s;
        QTest::newRow("another authority")
            << u"other.crt"_s << u"localhost"_s << u"the certificate of localhost is not trusted"_s;
        QTest::newRow("an address the certificate does not name")
            << u"ca.crt"_s << u"127.0.0.1"_s << u"the certificate of 127.0.0.1 is not trusted"_s;
    }
    void tlsCheckedAgainstTheName() {
        QFETCH(QString, caFile);
        QFETCH(QString, host);
        QFETCH(QString, status);
        QVERIFY(startBroker(u"allow_anonymous true\ncafile %1/ca.crt\ncertfile "
                            "%1/server.crt\nkeyfile %1/server.key"_s.arg(dir_.path())));
        MqttSettings settings = broker(host, port_);
        settings.tls = true;
        settings.caFile = dir_.filePath(caFile);
        QVERIFY2(publish(settings).text.startsWith(status), qPrintable(publisher_->status().text));
    }
};

QTEST_GUILESS_MAIN(MqttBroker)
#include "tst_mqtt_broker.moc"
