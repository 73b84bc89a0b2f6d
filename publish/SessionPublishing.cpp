#include "publish/SessionPublishing.h"

#include "session/LoggingSession.h"
#include "tarnby/Version.h"

#include <QCoreApplication>
#include <QSysInfo>

namespace tarnby {

SessionPublishing::SessionPublishing(LoggingSession& session, QString mqttCfgPath,
                                     std::unique_ptr<MqttConnection> connection, QObject* parent)
    : QObject(parent), session_(session), path_(std::move(mqttCfgPath)),
      connection_(std::move(connection)), publisher_(*connection_, QString::fromLatin1(Version)) {
    connect(&publisher_, &Publisher::statusChanged, this, &SessionPublishing::statusChanged);
    connect(&session_, &LoggingSession::readingsChanged, this, [this] {
        const LiveReadings& r = session_.readings();
        publisher_.readingsChanged(
            {r.LiveVolts, r.LiveAmps, r.LiveWatts, r.LiveRPM, r.LiveSpeed, r.WattHourTotal});
    });
    connect(&session_, &LoggingSession::recordWritten, this,
            [this](const QDateTime& time, const QByteArray& line) {
                publisher_.recordWritten(time, line);
            });
    connect(&session_.boardPort(), &BoardPort::lost, this,
            [this] { publisher_.boardLinkChanged(false); });
    connect(&session_.boardPort(), &BoardPort::opened, this,
            [this] { publisher_.boardLinkChanged(true); });
    connect(&session_, &LoggingSession::listRebuilt, this, &SessionPublishing::showRows);
    showRows();
}

SessionPublishing::~SessionPublishing() = default;

void SessionPublishing::readSettings() {
    publisher_.applySettings(readMqttSettings(path_, QSysInfo::machineHostName()));
}

void SessionPublishing::finish() {
    bool finished = false;
    const QMetaObject::Connection done =
        connect(&publisher_, &Publisher::finished, this, [&finished] { finished = true; });
    publisher_.finish();
    // finished() always comes: the Publisher's own timer bounds the wait.
    while (!finished)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    disconnect(done);
}

void SessionPublishing::showRows() {
    const ListOptions& options = session_.listOptions();
    publisher_.setDisplay(options.showRpm, options.showWindSpeed, options.windSpeedUnits);
}

} // namespace tarnby
