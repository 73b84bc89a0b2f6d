#pragma once
// The logging session: what a front end runs for the whole program, without a widget. It owns
// the board's port, the configuration copies, the live readings and interval sums, the day
// log, the watt-hour total and the logging and energy timers; it runs start-up with its port
// failure recovery, logging on and off, the Setup and Calibrate actions and the orderly end.
// The front end forwards what the user does and shows what the session reports.
//
// Contract:
// - Start-up loads the settings and opens the port unless it is "0"; when the port cannot be
//   set up, the host is asked to recover (SessionHost::recoverPort). When a person has
//   finished, start-up runs again, until the port opens or is set to "0". Only the program's
//   own start zeroes the day's energy.
// - While the recovery waits for a person, the configured port is tried every few seconds.
//   When it opens, the host closes the recovery's prompts without saving and start-up carries
//   on as if the port had opened at once (logging starts when prog.cfg's LogOn is 1), unless
//   the person has changed something in the setup window: then it waits for them. When nobody
//   can be asked, the port is tried every few seconds until it opens, and start-up carries on
//   then.
// - A port lost while open is tried again every few seconds without a message, and no energy
//   is counted while it is gone.
// - A record or watt-hour line that cannot be written holds the status line until a write
//   succeeds again.
// - Settings read again while running (reloadSettings) keep the readings, the interval sums
//   and the day's energy; the port is opened again only when its line changed.

#include "acquisition/DayLogWriter.h"
#include "acquisition/FrameReceiver.h"
#include "acquisition/LiveReadings.h"
#include "acquisition/ReadingDisplay.h"
#include "acquisition/WattHourStore.h"
#include "common/AppPaths.h"
#include "config/ProgSettings.h"
#include "platform/Clock.h"
#include "platform/SerialLink.h"
#include "session/BoardPort.h"
#include "session/SessionHost.h"
#include "session/StatusLine.h"

#include <QObject>
#include <QTimer>

namespace tarnby {

class LoggingSession : public QObject {
    Q_OBJECT
public:
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
    // Reads prog.cfg and settings.cfg again while running, as a front end without windows does
    // on request: the new factors and list options apply to the next frame; the port is opened
    // again only when Port or BR changed (and tried every few seconds when it does not open);
    // logging goes on at the new LogDelay, starts when LogOn is 1 (once the port is open) and
    // stops when it is not.
    void reloadSettings();
    // The watt-hour line of an orderly end; only the first call of a run writes it (see
    // WattHourStore::appendExitLine). Returns why it could not be written, empty when it was
    // or when an earlier call already reported it.
    QString endOfRun();

    // --- The work of the port and the timers (public so tests can run a tick now) ---
    void receive();      // bytes are waiting on the board's link
    void loggingTick();  // every logging interval while logging is on: one record
    void wattHourTick(); // every 5 s: the watt-hour total, and the day's line after midnight
    void retryPort() { port_.retry(); } // every BoardPort::RetryMs while the port is retried

    // --- What the window shows ---
    const LiveReadings& readings() const { return readings_; }
    const ListOptions& listOptions() const { return listOptions_; }
    const QString& caption() const { return caption_; }
    const QString& intervalText() const { return intervalText_; }
    bool intervalEditable() const { return intervalEditable_; }
    bool loggingOn() const { return recordTimer_.isActive(); }
    int loggingIntervalMs() const { return recordTimer_.interval(); }
    QString statusText() const { return status_.text(); }
    // The write fault the status line holds; empty when every write succeeds.
    const QString& writeFault() const { return status_.fault(); }
    // Why the port is not open, while it is retried ("/dev/ttyUSB0 — no such device").
    QString statusDetail() const { return port_.statusDetail(); }
    const BoardPort& boardPort() const { return port_; }
    bool portOpen() const { return port_.isOpen(); }
    bool waitingForPort() const { return port_.retrying(); }

signals:
    void captionChanged();
    void statusChanged();
    void listRebuilt();     // new list options; every row shows "0.0"
    void readingsChanged(); // a frame was accepted
    void frameCut();        // a frame was complete in the received bytes (the data lamp)
    // Each logging tick's record (the log lamp): the clock reading it was made with and its
    // line as written to the day log, CR LF included (or held for a later tick when the write
    // failed).
    void recordWritten(const QDateTime& time, const QByteArray& line);
    void controlsChanged(); // logging on or off, the interval text or its editability
    // For a front end that reports changes rather than showing the status line:
    void corruptData();       // a frame was taken as "possible corrupt COMMS data"
    void writeFaultChanged(); // writeFault() has changed

private:
    void runStartUp(bool programStart);
    void finishStartUp();
    void loadSettings();
    SessionHost::Recovery portFailureRecovery(const QString& reason);
    void recoverAndStartAgain(const QString& reason);
    void onPortAppeared();
    void onPortOpened();
    bool beginLogging(bool withMessage);
    void applyReloadedLogging(const QString& previousInterval);
    void setLoggingOn(bool on);
    void setCaption(const QString& caption);
    void showStatus(const QString& text);
    void noteWrite(const FileOutcome& outcome);

    AppPaths paths_;
    const Clock& clock_;
    SessionHost& host_;
    BoardPort port_;

    // From prog.cfg: the serial line, whether Port is "0" (no port), and whether logging starts
    // by itself (LogOn).
    LineChoice line_;
    bool withoutPort_ = false;
    bool startLoggingAtStartUp_ = false;
    CalibrationNumbers factors_;
    bool progUsable_ = false;
    // Start-up found nobody to ask about its port: it carries on when the port opens.
    bool startUpAwaitsPort_ = false;

    FrameReceiver receiver_;
    LiveReadings readings_;
    IntervalSums sums_;
    ListOptions listOptions_;
    DayLogWriter dayLog_;
    WattHourStore wattHours_;
    StatusLine status_;
    QString caption_;
    QString intervalText_ = QStringLiteral("60");
    bool intervalEditable_ = true;

    QTimer recordTimer_;
    QTimer energyTimer_;
    bool endRequested_ = false;
};

} // namespace tarnby
