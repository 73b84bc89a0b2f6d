#pragma once
// A connection the test answers for the broker: it records every message, and its signals are
// emitted by the test.

#include "publish/MqttConnection.h"

#include <QList>

namespace tarnby::test {

class FakeMqttConnection final : public MqttConnection {
public:
    struct Message {
        QString topic;
        QByteArray payload;
        int qos = 0;
        bool retain = false;
    };
    void connectToBroker(const MqttSettings& s, const LastWill& w) override {
        ++attempts;
        settings = s;
        will = w;
        up_ = false;
    }
    void disconnectFromBroker() override { up_ = false; }
    // A message's id is its position in `sent` + 1.
    int publish(const QString& topic, const QByteArray& payload, int qos, bool retain) override {
        if (!up_)
            return 0;
        sent << Message{topic, payload, qos, retain};
        return int(sent.size());
    }
    QString peerAddress() const override { return peer; }
    QStringList ownAddresses() const override { return {QStringLiteral("192.168.1.5")}; }

    void accept() {
        up_ = true;
        emit connected();
    }
    void lose() {
        up_ = false;
        emit disconnected(ConnectionFailure::Lost, {});
    }
    void acknowledge(int messageId) { emit published(messageId); }
    QList<QByteArray> payloadsTo(const QString& topic) const {
        QList<QByteArray> payloads;
        for (const Message& m : sent) {
            if (m.topic == topic)
                payloads << m.payload;
        }
        return payloads;
    }

    int attempts = 0;
    MqttSettings settings;
    LastWill will;
    QString peer = QStringLiteral("127.0.0.1");
    QList<Message> sent;

private:
    bool up_ = false;
};

} // namespace tarnby::test
