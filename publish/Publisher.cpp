#include "publish/Publisher.h"

namespace tarnby {

using namespace Qt::StringLiterals;

namespace {
// The settings a connection is made with: a change of any of them needs a new connection.
bool sameConnection(const MqttSettings& a, const MqttSettings& b) {
    return a.host == b.host && a.port == b.port && a.user == b.user && a.password == b.password &&
           a.tls == b.tls && a.caFile == b.caFile && a.site == b.site;
}
} // namespace

Publisher::Publisher(MqttConnection& connection, QString programVersion, QObject* parent)
    : QObject(parent), connection_(connection), programVersion_(std::move(programVersion)) {
    for (QTimer* timer : {&liveTimer_, &retryTimer_, &attemptTimer_, &finishTimer_})
        timer->setSingleShot(true);
    attemptTimer_.setInterval(AttemptTimeoutMs);
    connect(&liveTimer_, &QTimer::timeout, this, &Publisher::liveTick);
    connect(&retryTimer_, &QTimer::timeout, this, &Publisher::retry);
    connect(&attemptTimer_, &QTimer::timeout, this, &Publisher::attemptTimedOut);
    connect(&finishTimer_, &QTimer::timeout, this, &Publisher::finished);
    connect(&connection_, &MqttConnection::connected, this, &Publisher::onConnected);
    connect(&connection_, &MqttConnection::connectFailed, this, &Publisher::onConnectFailed);
    connect(&connection_, &MqttConnection::disconnected, this, &Publisher::onDisconnected);
    connect(&connection_, &MqttConnection::published, this, &Publisher::onPublished);
}

int Publisher::retryDelaySeconds(int failedAttempts) {
    constexpr int delays[] = {5, 10, 20, 30};
    return delays[std::clamp(failedAttempts, 0, int(std::size(delays)) - 1)];
}

void Publisher::applySettings(const MqttSettingsReading& reading) {
    if (finishing_)
        return;
    if (!reading.publishing()) {
        closeConnection();
        enabled_ = false;
        records_.clear(); // there is no broker to keep them for
        retryTimer_.stop();
        attemptTimer_.stop();
        if (reading.problem.isEmpty())
            showStatus(PublishStatus::State::Off, {});
        else
            showStatus(PublishStatus::State::Problem, reading.problem);
        return;
    }
    const bool reconnect = !enabled_ || !sameConnection(settings_, reading.settings);
    settings_ = reading.settings;
    enabled_ = true;
    liveTimer_.setInterval(settings_.liveSeconds * 1000);
    markStaleConfigs();
    if (!reconnect) {
        sendDiscovery();
        return;
    }
    // The configs left behind are emptied on the broker that holds them, if still connected.
    if (connected_)
        emptyStaleConfigs();
    closeConnection();
    failedAttempts_ = 0;
    retryTimer_.stop();
    showStatus(PublishStatus::State::Connecting, u"connecting to %1"_s.arg(brokerName(settings_)));
    connectNow();
}

void Publisher::setDisplay(bool showRpm, bool showWindSpeed, const QString& windSpeedUnits) {
    const PublishedRows rows{showRpm, showWindSpeed, windSpeedUnits};
    if (rows == rows_)
        return;
    rows_ = rows;
    markStaleConfigs();
    sendDiscovery();
}

void Publisher::readingsChanged(const LiveValues& values) {
    latest_ = values;
    stateWaiting_ = true;
    if (connected_ && !liveTimer_.isActive())
        sendState();
}

void Publisher::recordWritten(const QDateTime& written, QByteArrayView recordLine) {
    if (!enabled_ || finishing_)
        return;
    records_.push_back({recordPayload(written, recordLine)});
    if (records_.size() > MaxWaitingRecords) {
        if (records_.front().messageId != 0)
            --recordsInFlight_;
        records_.pop_front();
        ++status_.droppedRecords;
        emit statusChanged();
    }
    sendRecords();
}

void Publisher::boardLinkChanged(bool up) {
    if (up == linkUp_)
        return;
    linkUp_ = up;
    if (connected_)
        connection_.publish(availabilityTopic(connectedSite_), availabilityPayload(linkUp_), 1,
                            true);
}

void Publisher::finish() {
    finishing_ = true;
    for (QTimer* timer : {&liveTimer_, &retryTimer_, &attemptTimer_})
        timer->stop();
    const bool wasConnected = connected_;
    closeConnection();
    finishTimer_.start(wasConnected ? FinishTimeoutMs : 0);
}

void Publisher::liveTick() {
    if (connected_ && stateWaiting_)
        sendState();
}

void Publisher::retry() {
    if (enabled_ && !connected_ && !finishing_)
        connectNow();
}

void Publisher::attemptTimedOut() {
    if (connected_)
        return;
    connection_.disconnectFromBroker();
    waitAndRetry(failureText(ConnectionFailure::NotAnswering, settings_, {}));
}

void Publisher::connectNow() {
    attemptTimer_.start();
    connectedSite_ = settings_.site;
    connection_.connectToBroker(
        settings_, {availabilityTopic(connectedSite_), availabilityPayload(false), 1, true});
}

// An orderly end of the connection: "offline" first, so the broker shows it although an
// orderly end does not send the will.
void Publisher::closeConnection() {
    if (connected_)
        connection_.publish(availabilityTopic(connectedSite_), availabilityPayload(false), 1, true);
    connection_.disconnectFromBroker();
    forgetConnection();
}

void Publisher::forgetConnection() {
    connected_ = false;
    liveTimer_.stop();
    attemptTimer_.stop();
    for (WaitingRecord& record : records_)
        record.messageId = 0;
    recordsInFlight_ = 0;
}

void Publisher::onConnected() {
    if (!enabled_ || finishing_)
        return;
    attemptTimer_.stop();
    connected_ = true;
    failedAttempts_ = 0;
    // The name was resolved to the address the connection reached.
    const QString peer = connection_.peerAddress();
    const QString warning = passwordWarning(
        settings_,
        [&](const QString&) { return peer.isEmpty() ? QStringList() : QStringList{peer}; },
        connection_.ownAddresses());
    QString text = u"publishing to %1"_s.arg(brokerName(settings_));
    if (status_.droppedRecords > 0)
        text += u"; %1 records were dropped while it was away"_s.arg(status_.droppedRecords);
    showStatus(PublishStatus::State::Publishing, text, warning);
    connection_.publish(availabilityTopic(connectedSite_), availabilityPayload(linkUp_), 1, true);
    sendDiscovery();
    if (latest_)
        sendState();
    sendRecords();
}

void Publisher::onConnectFailed(ConnectionFailure failure, const QString& detail) {
    if (!enabled_ || finishing_ || connected_)
        return;
    attemptTimer_.stop();
    waitAndRetry(failureText(failure, settings_, detail));
}

void Publisher::onDisconnected(ConnectionFailure failure, const QString& detail) {
    const bool wasConnected = connected_;
    forgetConnection();
    if (finishing_) {
        finishTimer_.start(0);
        return;
    }
    if (wasConnected && failure != ConnectionFailure::None && enabled_)
        waitAndRetry(failureText(failure, settings_, detail));
}

void Publisher::onPublished(int messageId) {
    const auto sent = std::find_if(records_.begin(), records_.end(), [&](const WaitingRecord& r) {
        return r.messageId == messageId;
    });
    if (sent == records_.end())
        return;
    records_.erase(sent);
    --recordsInFlight_;
    sendRecords();
}

// The status keeps the reason while attempts go on, so it changes only when the reason does.
void Publisher::waitAndRetry(const QString& reason) {
    showStatus(PublishStatus::State::Waiting, reason);
    retryTimer_.start(retryDelaySeconds(failedAttempts_) * 1000);
    ++failedAttempts_;
}

void Publisher::sendState() {
    connection_.publish(stateTopic(settings_.site), statePayload(*latest_, rows_), 0, false);
    stateWaiting_ = false;
    liveTimer_.start();
}

void Publisher::sendRecords() {
    if (!connected_)
        return;
    for (WaitingRecord& record : records_) {
        if (recordsInFlight_ >= MaxRecordsInFlight)
            return;
        if (record.messageId != 0)
            continue;
        record.messageId =
            connection_.publish(recordTopic(settings_.site), record.payload, 1, true);
        if (record.messageId == 0)
            return;
        ++recordsInFlight_;
    }
}

QStringList Publisher::wantedConfigs() const {
    QStringList topics;
    if (enabled_ && settings_.discovery) {
        for (const QString& object : discoveryObjects(rows_))
            topics << discoveryTopic(settings_.site, object);
    }
    return topics;
}

// The configs this run filled that the settings and rows no longer want wait to be emptied.
void Publisher::markStaleConfigs() {
    const QStringList wanted = wantedConfigs();
    for (const QString& topic : std::as_const(publishedConfigs_)) {
        if (!wanted.contains(topic) && !staleConfigs_.contains(topic))
            staleConfigs_ << topic;
    }
    staleConfigs_.removeIf([&](const QString& topic) { return wanted.contains(topic); });
    publishedConfigs_.removeIf([&](const QString& topic) { return !wanted.contains(topic); });
}

void Publisher::emptyStaleConfigs() {
    for (const QString& topic : std::as_const(staleConfigs_))
        connection_.publish(topic, {}, 1, true);
    staleConfigs_.clear();
}

// Every wanted config is sent again: its payload may have changed (a new unit text).
void Publisher::sendDiscovery() {
    if (!connected_)
        return;
    emptyStaleConfigs();
    if (!settings_.discovery)
        return;
    for (const QString& object : discoveryObjects(rows_)) {
        const QString topic = discoveryTopic(settings_.site, object);
        connection_.publish(topic, discoveryPayload(settings_.site, object, rows_, programVersion_),
                            1, true);
        if (!publishedConfigs_.contains(topic))
            publishedConfigs_ << topic;
    }
}

void Publisher::showStatus(PublishStatus::State state, const QString& text,
                           const QString& warning) {
    PublishStatus status = status_;
    status.state = state;
    status.text = text;
    status.warning = warning;
    if (status == status_)
        return;
    status_ = status;
    emit statusChanged();
}

} // namespace tarnby
