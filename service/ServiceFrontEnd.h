#pragma once
// tarnbyd's front end: the logging session with nobody at a screen. What the desktop program
// shows in message boxes and on its status line goes to the service log, one line per change:
// the session's messages; the board's port opening, lost and back, and why it does not open
// (once, and again when the reason changes) while it is tried every few seconds; logging on,
// off and its interval; a record or watt-hour line that could not be written, and writing
// working again; corrupt data at most once a minute, with a count. Lamps and captions are not
// shown anywhere, so nothing here runs per frame but a comparison. Publishing reads mqtt.cfg at
// start and on reload; each change of its status is one line, and so is the warning of a
// password sent without TLS. mqtt.cfg never stops the service.

#include "common/AppPaths.h"
#include "publish/SessionPublishing.h"
#include "session/LoggingSession.h"

#include <QObject>
#include <QTimer>

namespace tarnby {

class ServiceFrontEnd : public QObject, private SessionHost {
    Q_OBJECT
public:
    static constexpr int CorruptDataReportMs = 60 * 1000;

    ServiceFrontEnd(const AppPaths& paths, const Clock& clock, SerialLinkFactory makeLink,
                    std::unique_ptr<MqttConnection> brokerConnection, QObject* parent = nullptr);

    LoggingSession& session() { return session_; }
    // Start-up: the port is opened (or tried until it opens) and logging starts when LogOn
    // is 1.
    void start();
    // The configuration files read again (SIGHUP). prog.cfg and settings.cfg that could not
    // serve the service leave the running settings as they are, and the log says why; mqtt.cfg
    // is read again either way.
    void reload();
    // After the event loop: the watt-hour line of the end, the port closed and publishing
    // ended. Returns the exit status: 0, or 1 when the line could not be written.
    int end();

private:
    // SessionHost: nobody is asked anything.
    void showMessage(const QString& text) override;
    Recovery recoverPort(const QString& reason) override;
    PromptsClosing closeRecoveryPrompts() override;
    void runSetupWindow() override;
    bool runCalibrationWindow(QString& portProblem) override;

    void reportPort();
    void reportLogging();
    void reportWriteFault();
    void countCorruptFrame();
    void reportCorruptFrames();
    void reportPublishing();

    AppPaths paths_;
    LoggingSession session_;
    // What the log has said last.
    bool portOpen_ = false;
    bool portLost_ = false;
    QString portDevice_;
    QString portReason_;
    int loggingMs_ = 0; // 0: logging off
    // Corrupt frames not reported yet; reported at once when none was in the last minute.
    int unreportedCorruptFrames_ = 0;
    QTimer corruptDataQuiet_;
    SessionPublishing publishing_;
    PublishStatus publishingSaid_; // its droppedRecords unused: the count is no news
};

} // namespace tarnby
