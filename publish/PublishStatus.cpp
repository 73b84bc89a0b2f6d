#include "publish/PublishStatus.h"

namespace tarnby {

using namespace Qt::StringLiterals;

QString brokerName(const MqttSettings& settings) {
    const QString host = settings.host.contains(u':') ? u'[' + settings.host + u']' : settings.host;
    return host + u':' + QString::number(settings.port);
}

QString failureText(ConnectionFailure failure, const MqttSettings& settings,
                    const QString& detail) {
    const QString broker = brokerName(settings);
    switch (failure) {
    case ConnectionFailure::None:
        break;
    case ConnectionFailure::Refused:
        return u"connection refused by %1"_s.arg(broker);
    case ConnectionFailure::NotAuthorised:
        return u"not authorised by %1 (check User and Password)"_s.arg(broker);
    case ConnectionFailure::NotTrusted:
        return u"the certificate of %1 is not trusted"_s.arg(settings.host);
    case ConnectionFailure::CannotResolve:
        return u"cannot resolve the host name %1"_s.arg(settings.host);
    case ConnectionFailure::NotAnswering:
        return u"broker %1 not answering"_s.arg(broker);
    case ConnectionFailure::Lost:
        return u"connection to %1 lost"_s.arg(broker);
    case ConnectionFailure::CaFileUnusable:
        return u"cannot read the CAFile %1"_s.arg(settings.caFile);
    case ConnectionFailure::Other:
        return u"cannot publish to %1 (%2)"_s.arg(broker, detail);
    }
    return {};
}

bool isLoopbackAddress(const QString& address) {
    return address.startsWith("127."_L1) || address == "::1"_L1 ||
           address.startsWith("::ffff:127."_L1, Qt::CaseInsensitive);
}

QString passwordWarning(const MqttSettings& settings, const NameResolver& resolve,
                        const QStringList& ownAddresses) {
    // A password goes only with a user name.
    if (settings.tls || settings.password.isEmpty() || settings.user.isEmpty())
        return {};
    const QStringList addresses = resolve(settings.host);
    const bool thisMachine =
        !addresses.isEmpty() &&
        std::all_of(addresses.begin(), addresses.end(), [&](const QString& a) {
            return isLoopbackAddress(a) || ownAddresses.contains(a, Qt::CaseInsensitive);
        });
    if (thisMachine)
        return {};
    return u"the password for %1 is sent without TLS: anyone on the network between can read it"_s
        .arg(brokerName(settings));
}

} // namespace tarnby
