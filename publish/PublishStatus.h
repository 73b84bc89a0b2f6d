#pragma once
// What the publishing indicator and the service's standard error say: one short text and a
// state; and the warning for a password sent in clear to another machine.

#include "config/MqttSettings.h"
#include "publish/MqttConnection.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace tarnby {

struct PublishStatus {
    enum class State {
        Off,        // no mqtt.cfg, or no Host: nothing is shown
        Problem,    // mqtt.cfg cannot be used; the text says why
        Connecting, // "connecting to host:port"
        Publishing, // "publishing to host:port"
        Waiting,    // not connected; the text says why; a new attempt follows
    };
    State state = State::Off;
    QString text;
    // A line naming a risk while publishing goes on (a password sent without TLS); or empty.
    QString warning;
    long long droppedRecords = 0; // records given up because too many waited for the broker

    bool operator==(const PublishStatus&) const = default;
};

// "host:port", an IPv6 address in brackets ("[::1]:1883").
QString brokerName(const MqttSettings& settings);

// Why not: "connection refused by host:port", "not authorised by host:port (check User and
// Password)", "the certificate of host is not trusted", "cannot resolve the host name host",
// "broker host:port not answering", ...
QString failureText(ConnectionFailure failure, const MqttSettings& settings, const QString& detail);

// The numeric addresses a host name stands for; empty when it has none.
using NameResolver = std::function<QStringList(const QString& host)>;

// 127.0.0.0/8, ::1 and IPv4-mapped loopback, in numeric text.
bool isLoopbackAddress(const QString& address);

// The warning line when the password goes without TLS to a host that is not this machine
// (every address of the host loopback or one of `ownAddresses`); empty otherwise, and when
// no password is sent (none, or no User). A host with no address counts as another machine.
QString passwordWarning(const MqttSettings& settings, const NameResolver& resolve,
                        const QStringList& ownAddresses);

} // namespace tarnby
