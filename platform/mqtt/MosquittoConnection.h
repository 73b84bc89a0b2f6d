#pragma once
// The MqttConnection of the programs, on libmosquitto (MQTT 3.1.1).
//
// The event loop never waits on the network:
// - libmosquitto's connect calls resolve the host name with a blocking getaddrinfo on the
//   thread that calls them, and with TLS they check the certificate against that same name, so
//   the connect is made by name and away from the event loop: the one connect call of each
//   attempt runs on Qt's global thread pool, touching nothing but the library's handle.
// - After it, the library runs its own network thread (mosquitto_loop_start). Every callback of
//   that thread only posts a call to the event loop, where the signals are emitted; none of our
//   objects is touched on another thread.
// Each attempt is a fresh library handle; a lost or refused connection ends the attempt, and the
// publisher decides when to try again. An orderly end sends "disconnect" after the queued
// messages; a close that gets no answer in CloseTimeoutMs stops the library's thread anyway.
//
// The client id is "tarnby-<Site>-<process id>-<random>", so two programs of one site never
// take each other's place on the broker.

#include "publish/MqttConnection.h"

#include <QTimer>
#include <memory>
#include <vector>

namespace tarnby {

class MosquittoConnection final : public MqttConnection {
    Q_OBJECT
public:
    static constexpr int KeepAliveSeconds = 30;
    static constexpr int CloseTimeoutMs = 3000;
    // Where TLS finds the trusted certificates when CAFile is empty.
    static constexpr const char* SystemCertificates = "/etc/ssl/certs";

    explicit MosquittoConnection(QObject* parent = nullptr);
    ~MosquittoConnection() override;

    void connectToBroker(const MqttSettings& settings, const LastWill& will) override;
    void disconnectFromBroker() override;
    int publish(const QString& topic, const QByteArray& payload, int qos, bool retain) override;
    QString peerAddress() const override;
    QStringList ownAddresses() const override;

    static QString clientId(const QString& site);

private:
    struct Session;
    using SessionPtr = std::shared_ptr<Session>;

    void failSoon(ConnectionFailure failure, const QString& detail);
    // Lets go of the current attempt or connection; an orderly close of a connection reports
    // disconnected(None) when `reportClose`.
    void dropCurrent(bool reportClose);
    void closeTimedOut();

    // Run on the event loop, posted from the pool thread and the library's thread.
    static void connectCallReturned(const SessionPtr& session, int result, int error);
    static void brokerAnswered(const SessionPtr& session, int connackCode, const QString& peer);
    static void connectionEnded(const SessionPtr& session, int result, int error);
    static void handshakeFailed(const SessionPtr& session, bool caFile);
    static void messageSent(const SessionPtr& session, int messageId);
    // Stops the library's thread and frees the handle; callbacks are cut off first.
    static void endSession(Session& session);

    SessionPtr current_;
    std::vector<SessionPtr> closing_; // orderly closes waiting for the broker
    QTimer closeTimer_;
    unsigned attempt_ = 0; // counts connectToBroker() calls
};

} // namespace tarnby
