#pragma once
// The logging session: what the main window runs for the whole program, without a widget. It
// owns the board's serial link, the configuration copies, the live readings and interval
// sums, the day log, the watt-hour total and the three timers; it runs start-up with its port
// failure recovery, logging on and off, the Setup and Calibrate actions and the orderly end.
// The window forwards what the user does and shows what the session reports.
//
// Contract:
// - Start-up loads the settings and opens the port unless it is "0"; when the port cannot be
//   set up, the recovery shows its message and the setup window, then start-up runs again,
//   until the port opens or is set to "0". Only the program's own start zeroes the day's
//   energy.
// - While the recovery waits for a person, the configured port is tried every few seconds.
//   When it opens, the recovery's message or setup window is closed without saving and
//   start-up carries on as if the port had opened at once (logging starts when prog.cfg's
//   LogOn is 1), unless the person has changed something in the setup window: then it waits
//   for them.
// - A port lost while open is tried again every few seconds without a message, and no energy
//   is counted while it is gone.
// - A record or watt-hour line that cannot be written holds the status line until a write
//   succeeds again.

#include "acquisition/DayLogWriter.h"
#include "acquisition/FrameReceiver.h"
#include "acquisition/LiveReadings.h"
#include "acquisition/ReadingDisplay.h"
#include "acquisition/WattHourStore.h"
#include "common/AppPaths.h"
#include "config/ProgSettings.h"
#include "platform/Clock.h"
#include "platform/SerialLink.h"
#include "session/StatusLine.h"

#include <QObject>
#include <QTimer>
#include <memory>

namespace tarnby {

// What the session asks of the person at the screen; the main window answers with message
// boxes and the modal child windows, tests with a script.
class SessionHost {
public:
    virtual ~SessionHost() = default;
    // A message box with an OK button; returns when it is dismissed.
    virtual void showMessage(const QString& text) = 0;
    // The program setup window, modal; returns when it has closed. `portProblem` says why the
    // port did not open (empty when the user asked for the window).
    virtual void runSetupWindow(const QString& portProblem) = 0;
    // The calibration window, modal. False when it could not open its port and was not shown;
    // `portProblem` then says why.
    virtual bool runCalibrationWindow(QString& portProblem) = 0;
    // The port opened while the recovery waits: close its message or setup window without
    // saving. False when the person has changed something in the setup window.
    virtual bool closeRecoveryPrompts() = 0;
};

class LoggingSession : public QObject {
    Q_OBJECT
public:
    static constexpr int PortRetryMs = 3000;

    LoggingSession(AppPaths paths, const Clock& clock, SerialLinkFactory makeLink,
                   SessionHost& host, QObject* parent = nullptr);
    ~LoggingSession() override;

    // --- What the user does ---
    void startUp();
    void startLogging(); // the Start button: the interval check, with its message
    void stopLogging();
    void setup();     // the Program Setup button
    void calibrate(); // the Calibrate button
    void closePort(); // Exit (after endOfRun) and the window closed any other way
    // The interval box as the user typed it.
    void setIntervalText(const QString& text) { intervalText_ = text; }
    // A termination signal: start-up and its recovery stop at once.
    void requestEnd() { endRequested_ = true; }
    bool endRequested() const { return endRequested_; }
    // The watt-hour line of an orderly end; only the first call of a run writes it (see
    // WattHourStore::appendExitLine). Returns why it could not be written, empty when it was
    // or when an earlier call already reported it.
    QString endOfRun();

    // --- The work of the port and the timers (public so tests can run a tick now) ---
    void receive();      // bytes are waiting on the board's link
    void loggingTick();  // every logging interval while logging is on: one record
    void blinkOff();     // 250 ms after a lamp lit: both lamps off
    void wattHourTick(); // every 5 s: the watt-hour total, and the day's line after midnight
    void retryPort();    // every PortRetryMs while the port is lost or the recovery waits

    // --- What the window shows ---
    const LiveReadings& readings() const { return readings_; }
    const ListOptions& listOptions() const { return listOptions_; }
    const QString& caption() const { return caption_; }
    const QString& intervalText() const { return intervalText_; }
    bool intervalEditable() const { return intervalEditable_; }
    bool loggingOn() const { return recordTimer_.isActive(); }
    int loggingIntervalMs() const { return recordTimer_.interval(); }
    bool dataLampOn() const { return dataLamp_; }
    bool logLampOn() const { return logLamp_; }
    QString statusText() const { return status_.text(); }
    // Why the port is not open, while it is retried ("COM1: /dev/ttyUSB0 — no such device").
    const QString& statusDetail() const { return statusDetail_; }
    bool portOpen() const { return boardLink_->isOpen(); }
    bool waitingForPort() const { return portRetry_.isActive(); }

signals:
    void captionChanged();
    void statusChanged();
    void listRebuilt();     // new list options; every row shows "0.0"
    void readingsChanged(); // a frame was accepted
    void lampsChanged();
    void controlsChanged(); // logging on or off, the interval text or its editability

private:
    void runStartUp(bool programStart);
    void loadSettings();
    bool configureAndOpenPort();
    // "<device> — <reason>"
    QString portProblem(const QString& reason) const;
    void showWaitingFor(const QString& reason);
    void portFailureRecovery(const QString& reason);
    void recoverAndStartAgain(const QString& reason);
    bool beginLogging(bool withMessage);
    void setLoggingOn(bool on);
    void setCaption(const QString& caption);
    void showStatus(const QString& text);
    void setStatusDetail(const QString& detail);
    void noteWrite(const FileOutcome& outcome);
    void onLinkLost();

    AppPaths paths_;
    const Clock& clock_;
    SerialLinkFactory makeLink_;
    SessionHost& host_;
    std::unique_ptr<SerialLink> boardLink_;

    // From prog.cfg: the serial line, whether Port is "0" (no port), and whether logging starts
    // by itself (LogOn).
    LineChoice line_;
    bool withoutPort_ = false;
    bool startLoggingAtStartUp_ = false;
    CalibrationNumbers factors_;
    bool progUsable_ = false;
    bool portConfigured_ = false; // line settings applied at least once

    FrameReceiver receiver_;
    LiveReadings readings_;
    IntervalSums sums_;
    ListOptions listOptions_;
    DayLogWriter dayLog_;
    WattHourStore wattHours_;
    StatusLine status_;
    QString statusDetail_;
    QString caption_;
    QString intervalText_ = QStringLiteral("60");
    bool intervalEditable_ = true;
    bool dataLamp_ = false;
    bool logLamp_ = false;

    QTimer recordTimer_;
    QTimer lampOffTimer_;
    QTimer energyTimer_;
    QTimer portRetry_;
    bool linkLost_ = false;
    bool childWindowOpen_ = false;
    bool recoveryWaiting_ = false;
    bool portCameBack_ = false;
    bool endRequested_ = false;
};

} // namespace tarnby
