#pragma once
// Publishes the live readings and the day-log records to an MQTT broker, with Home Assistant's
// discovery, over an MqttConnection. The logging session feeds it with plain calls; it lives on
// the event loop and never waits on the network, so nothing it does delays a record.
//
// Contract:
// - applySettings() with mqtt.cfg as read: off (nothing said), a problem (shown, nothing
//   published), or settings to connect with. A change of Host, Port, User, Password, TLS,
//   CAFile or Site connects anew; LiveSeconds, Discovery and the shown rows apply in place.
// - State: the latest readings, at most once every LiveSeconds (QoS 0, not retained).
// - Records: while publishing is on, each one queued at once, sent in order (QoS 1, retained) and
//   kept until the broker has it; up to MaxWaitingRecords wait, the oldest dropped first and
//   counted in the status.
// - Availability: "online" while connected and the board's link is up; "offline" while the
//   link is lost, as the last will, and at finish().
// - Discovery (Discovery 1): one retained config per shown sensor; a sensor no longer shown, a
//   Site left and Discovery 0 empty the configs this run published.
// - A failed or lost connection is tried again after 5, 10, 20 and then every 30 seconds; an
//   attempt with no answer in AttemptTimeoutMs counts as failed.

#include "config/MqttSettings.h"
#include "publish/MqttConnection.h"
#include "publish/PublishMessages.h"
#include "publish/PublishStatus.h"

#include <QObject>
#include <QTimer>
#include <deque>
#include <optional>

namespace tarnby {

class Publisher : public QObject {
    Q_OBJECT
public:
    static constexpr size_t MaxWaitingRecords = 8640; // one day at the shortest interval
    static constexpr int MaxRecordsInFlight = 20;     // sent and not yet acknowledged
    static constexpr int AttemptTimeoutMs = 20000;
    static constexpr int FinishTimeoutMs = 2000;

    // `programVersion` goes into the discovery device block.
    Publisher(MqttConnection& connection, QString programVersion, QObject* parent = nullptr);

    // --- What the session tells it ---
    void applySettings(const MqttSettingsReading& reading);
    void setDisplay(bool showRpm, bool showWindSpeed, const QString& windSpeedUnits);
    void readingsChanged(const LiveValues& values);
    // A record line as written to the day log (CR LF included or not) and when it was written.
    void recordWritten(const QDateTime& written, QByteArrayView recordLine);
    // Until told otherwise the link counts as up.
    void boardLinkChanged(bool up);
    // The orderly end: "offline", then the connection closed; finished() follows (queued) once
    // it is closed, or after FinishTimeoutMs.
    void finish();

    // --- What it shows ---
    const PublishStatus& status() const { return status_; }
    size_t waitingRecords() const { return records_.size(); }

    // Seconds before the next attempt after `failedAttempts` failures in a row.
    static int retryDelaySeconds(int failedAttempts);

    // --- The timers' work (public so tests can run it now) ---
    void liveTick();        // LiveSeconds after the last state
    void retry();           // the retry delay has passed
    void attemptTimedOut(); // no answer to an attempt
    bool liveTimerActive() const { return liveTimer_.isActive(); }
    int retryIntervalMs() const { return retryTimer_.isActive() ? retryTimer_.interval() : -1; }

signals:
    void statusChanged();
    void finished();

private:
    void connectNow();
    void closeConnection();
    void forgetConnection();
    void onConnected();
    void onConnectFailed(ConnectionFailure failure, const QString& detail);
    void onDisconnected(ConnectionFailure failure, const QString& detail);
    void onPublished(int messageId);
    void waitAndRetry(const QString& reason);
    void sendState();
    void sendRecords();
    QStringList wantedConfigs() const;
    void markStaleConfigs();
    void emptyStaleConfigs();
    void sendDiscovery();
    void showStatus(PublishStatus::State state, const QString& text, const QString& warning = {});

    MqttConnection& connection_;
    QString programVersion_;
    MqttSettings settings_;
    QString connectedSite_; // the Site of the connection being made or held
    bool enabled_ = false;
    bool connected_ = false;
    bool linkUp_ = true;
    bool finishing_ = false;
    PublishedRows rows_;

    std::optional<LiveValues> latest_;
    bool stateWaiting_ = false; // latest_ not yet published

    struct WaitingRecord {
        QByteArray payload;
        int messageId = 0; // 0 while not sent on the current connection
    };
    std::deque<WaitingRecord> records_;
    int recordsInFlight_ = 0;

    QStringList publishedConfigs_; // discovery topics this run has filled
    QStringList staleConfigs_;     // discovery topics to empty at the next chance

    QTimer liveTimer_;
    QTimer retryTimer_;
    QTimer attemptTimer_;
    QTimer finishTimer_;
    int failedAttempts_ = 0;
    PublishStatus status_;
};

} // namespace tarnby
