#pragma once
// What the publisher asks of a connection to an MQTT broker. The program's connection runs on a
// network library; tests use a fake.
//
// Contract: no call waits on the network. connectToBroker() returns at once and ends, later, in
// exactly one of connected() or connectFailed(); after connected(), the connection ends in
// disconnected(), with a failure when it was lost and ConnectionFailure::None when it was
// closed by disconnectFromBroker(). All signals are emitted on the thread the connection lives
// on (the event loop's). One connection attempt at a time: connectToBroker() on a connection
// that is connecting or connected first drops the old attempt, without a signal for it.

#include "config/MqttSettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace tarnby {

// Why a connection could not be made or was lost. The text for each is publishStatus's.
enum class ConnectionFailure {
    None,
    Refused,        // nothing listens on host:port, or the broker turned the client away
    NotAuthorised,  // the broker refused the user name or password
    NotTrusted,     // TLS: the certificate is not trusted for the host name (or no TLS there)
    CannotResolve,  // the host name has no address
    NotAnswering,   // no answer in time
    Lost,           // was connected, and the connection broke
    CaFileUnusable, // TLS: the CAFile cannot be read
    Other,          // the detail says what
};

// The message a broker keeps for the client and sends when the client vanishes without
// disconnecting. An empty topic means none.
struct LastWill {
    QString topic;
    QByteArray payload;
    int qos = 1;
    bool retain = true;
};

class MqttConnection : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts connecting with `settings` (Host, Port, User, Password, TLS, CAFile, Site for the
    // client id); returns at once.
    virtual void connectToBroker(const MqttSettings& settings, const LastWill& will) = 0;
    // Ends the connection: when connected, an orderly end (queued messages first, then the
    // broker is told, so it does not send the will) that ends in disconnected(None); while
    // connecting, the attempt is dropped without a signal. Returns at once.
    virtual void disconnectFromBroker() = 0;
    // Queues a message; returns its id (above 0), or 0 when there is no connection to queue it
    // on. published() reports the id once the broker has it (QoS 1) or it was sent (QoS 0).
    virtual int publish(const QString& topic, const QByteArray& payload, int qos, bool retain) = 0;

    // While connected: the numeric address of the broker reached ("192.168.1.20", "::1").
    virtual QString peerAddress() const = 0;
    // This machine's own numeric addresses.
    virtual QStringList ownAddresses() const = 0;

signals:
    void connected();
    // `detail` is for the Other failure (the library's words); empty otherwise.
    void connectFailed(tarnby::ConnectionFailure failure, const QString& detail);
    void disconnected(tarnby::ConnectionFailure failure, const QString& detail);
    void published(int messageId);
};

// Makes the program's connection (tests make fakes).
using MqttConnectionFactory = std::function<std::unique_ptr<MqttConnection>()>;

} // namespace tarnby
