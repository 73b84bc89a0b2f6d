#pragma once
// Publishing for a running logging session, the same in both programs. It owns the connection
// and the Publisher, reads mqtt.cfg from the application folder when told to (at start, after
// the file was saved, on SIGHUP) and feeds the Publisher from the session's signals: readings
// become the state, each record written a record message, the board's link lost and back the
// availability, the shown RPM and wind speed rows the discovery configs.
//
// mqtt.cfg never stops logging: a missing file or no Host is "off", any other problem is only
// the status's text. Nothing here waits on the network, so no record is delayed by it.

#include "publish/MqttConnection.h"
#include "publish/Publisher.h"

#include <QObject>
#include <memory>

namespace tarnby {

class LoggingSession;

class SessionPublishing : public QObject {
    Q_OBJECT
public:
    SessionPublishing(LoggingSession& session, QString mqttCfgPath,
                      std::unique_ptr<MqttConnection> connection, QObject* parent = nullptr);
    ~SessionPublishing() override;

    // Reads mqtt.cfg and applies it; statusChanged() follows when the status changes.
    void readSettings();
    const PublishStatus& status() const { return publisher_.status(); }
    // The orderly end, before the watt-hour line: "offline" and the connection closed. Returns
    // once done or after Publisher::FinishTimeoutMs, handling events meanwhile.
    void finish();

signals:
    void statusChanged();

private:
    void showRows();

    LoggingSession& session_;
    QString path_;
    std::unique_ptr<MqttConnection> connection_;
    Publisher publisher_;
};

} // namespace tarnby
