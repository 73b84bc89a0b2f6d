#include "platform/mqtt/MosquittoResults.h"

#include <QStringList>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ifaddrs.h>
#include <mosquitto.h>
#include <netinet/in.h>

namespace tarnby {

namespace {
MosquittoFailure failureOfErrno(int error) {
    switch (error) {
    case ECONNREFUSED:
    case ECONNRESET:
        return {ConnectionFailure::Refused, {}};
    case ETIMEDOUT:
    case EHOSTUNREACH:
    case ENETUNREACH:
        return {ConnectionFailure::NotAnswering, {}};
    case EPROTO:
        return {ConnectionFailure::NotTrusted, {}};
    default:
        return {ConnectionFailure::Other, QString::fromLocal8Bit(std::strerror(error))};
    }
}
} // namespace

MosquittoFailure failureOfResult(int result, int error) {
    switch (result) {
    case MOSQ_ERR_EAI:
        return {ConnectionFailure::CannotResolve, {}};
    case MOSQ_ERR_ERRNO:
        return failureOfErrno(error);
    case MOSQ_ERR_TLS:
        return {ConnectionFailure::NotTrusted, {}};
    case MOSQ_ERR_KEEPALIVE:
        return {ConnectionFailure::NotAnswering, {}};
    case MOSQ_ERR_CONN_REFUSED:
        return {ConnectionFailure::Refused, {}};
    case MOSQ_ERR_CONN_LOST:
        return {ConnectionFailure::Lost, {}};
    default:
        return {ConnectionFailure::Other, QString::fromUtf8(mosquitto_strerror(result))};
    }
}

MosquittoFailure failureOfConnack(int code) {
    if (code == 4 || code == 5) // bad user name or password; not authorised
        return {ConnectionFailure::NotAuthorised, {}};
    if (code >= 1 && code <= 3) // protocol version, client id, server unavailable
        return {ConnectionFailure::Refused, {}};
    return {ConnectionFailure::Other, QString::fromUtf8(mosquitto_connack_string(code))};
}

QString numericAddress(const sockaddr* address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address->sa_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text,
                  sizeof text);
    else if (address->sa_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text,
                  sizeof text);
    return QString::fromLatin1(text);
}

QStringList ownNumericAddresses() {
    QStringList addresses;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return addresses;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        const QString address = entry->ifa_addr ? numericAddress(entry->ifa_addr) : QString();
        if (!address.isEmpty())
            addresses << address;
    }
    freeifaddrs(list);
    return addresses;
}

} // namespace tarnby
