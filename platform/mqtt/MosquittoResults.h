#pragma once
// What libmosquitto's result codes, the system's error numbers and the broker's answer to
// "connect" mean for the publisher; and the numeric text of socket addresses.

#include "publish/MqttConnection.h"

#include <QString>
#include <QStringList>

struct sockaddr;

namespace tarnby {

struct MosquittoFailure {
    ConnectionFailure failure = ConnectionFailure::Other;
    QString detail; // the library's or the system's words, for Other
};

// A result of the library's connect call or of its network thread (`error` is errno, or the
// resolver's code for MOSQ_ERR_EAI), before a connection stood.
MosquittoFailure failureOfResult(int result, int error);
// The broker's refusal in its answer to "connect" (MQTT 3.1.1 return codes 1 to 5).
MosquittoFailure failureOfConnack(int code);

// "192.168.1.20", "::1"; empty for other address families.
QString numericAddress(const sockaddr* address);
// This machine's own addresses, from its interfaces.
QStringList ownNumericAddresses();

} // namespace tarnby
