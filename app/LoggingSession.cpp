#include "app/LoggingSession.h"

#include "acquisition/BoardPort.h"
#include "common/LoggingInterval.h"
#include "common/NumberText.h"
#include "config/CalibrationSettings.h"
#include "config/ConfigFile.h"

#include <QDir>

namespace tarnby {

using namespace Qt::StringLiterals;

namespace {
const QString WaitingCaption = u"Tarnby - Waiting for Signal"_s;
const QString CommsProblem = u"     possible COMMS problem"_s;
const QString CorruptData = u"possible corrupt COMMS data"_s;
const QString PortProblem = u"There is a possible Port Number problem. Check available PORTS"_s;
const QString BadDelay = u"Invalid delay period, needs to be a number between 10 and 600"_s;

// A value "equals 1" when it compares numerically equal to 1.
bool equalsOne(const QString& text) {
    const auto value = readNumber(text);
    return value && *value == 1.0;
}
} // namespace

LoggingSession::LoggingSession(AppPaths paths, const Clock& clock, SerialLinkFactory makeLink,
                               SessionHost& host, QObject* parent)
    : QObject(parent), paths_(std::move(paths)), clock_(clock), makeLink_(std::move(makeLink)),
      host_(host), MSComm1(makeLink_()), dayLog_(paths_), wattHours_(paths_, clock.now().date()) {
    connect(MSComm1.get(), &SerialLink::dataArrived, this, &LoggingSession::receive);
    connect(MSComm1.get(), &SerialLink::linkLost, this, &LoggingSession::onLinkLost);

    Timer1.setTimerType(Qt::PreciseTimer);
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &LoggingSession::loggingTick);
    Timer2.setInterval(250);
    Timer2.setSingleShot(true);
    connect(&Timer2, &QTimer::timeout, this, &LoggingSession::blinkOff);
    Timer3.setTimerType(Qt::PreciseTimer);
    Timer3.setInterval(5000);
    connect(&Timer3, &QTimer::timeout, this, &LoggingSession::wattHourTick);
    Timer3.start();
    portRetry_.setInterval(PortRetryMs);
    connect(&portRetry_, &QTimer::timeout, this, &LoggingSession::retryPort);

    // The logs folder is where every record goes: make sure it exists from the start.
    QDir().mkpath(paths_.logsFolder());
}

LoggingSession::~LoggingSession() = default;

void LoggingSession::startUp() {
    runStartUp(true);
}

// Start-up runs again after each recovery, until the port opens or the port is set to "0".
void LoggingSession::runStartUp(bool programStart) {
    for (bool first = programStart; !endRequested_; first = false) {
        setCaption(WaitingCaption);
        showStatus(CommsProblem);
        readings_.ModeValue = 0;
        readings_.LiveVolts = 0;
        readings_.LiveWatts = 0;
        readings_.LiveRPM = 0;
        readings_.LiveAmps = 0;
        // Only the program's own start zeroes the day's energy: a recovery's re-run must not
        // throw away what was counted since midnight.
        if (first)
            readings_.WattHourTotal = 0;
        loadSettings();

        // Without a usable prog.cfg there is no port to open: the user has been told, and the
        // setup window writes a complete file.
        if (!progUsable_ || Port == u"0")
            return;
        if (!configureAndOpenPort()) {
            portFailureRecovery(boardPortProblem(*MSComm1, Port));
            continue;
        }
        // An unattended restart must not stop the records without a word.
        if (equalsOne(LogOn) && !beginLogging(false))
            host_.showMessage(BadDelay);
        return;
    }
}

void LoggingSession::loadSettings() {
    ConfigReading prog = ConfigReading::read(paths_.progCfg(), u"prog.cfg"_s);
    Port = prog.take("Port"_L1);
    BR = prog.takeWholeNumber("BR"_L1);
    // Savehtml and SaveExcel belong to the setup window; nothing here acts on them.
    const QString logDelay = prog.take("LogDelay"_L1);
    if (prog.fileUsable())
        intervalText_ = logDelay;
    LogOn = prog.takeNumber("LogOn"_L1);
    DisplayRPM = prog.takeNumber("DisplayRPM"_L1);
    DisplayWS = prog.takeNumber("DisplayWS"_L1);
    WSUnits = prog.take("WSUnits"_L1);
    intervalEditable_ = false;
    progUsable_ = prog.ok();
    emit controlsChanged();

    listOptions_ = ListOptions{equalsOne(DisplayRPM), equalsOne(DisplayWS), WSUnits};
    emit listRebuilt();

    ConfigReading settings = ConfigReading::read(paths_.settingsCfg(), u"settings.cfg"_s);
    CalibrationSettings factors;
    for (const auto& key : CalibrationSettings::keys)
        factors.*key.field = settings.take(key.name);
    factors_ = CalibrationNumbers::read(factors);

    if (!prog.ok())
        host_.showMessage(prog.problemMessage(
            u"Tarnby runs without its serial port until the settings are complete. "
            u"Open Program Setup and press \"Save Setings\" to write a complete file."_s));
    if (!settings.ok())
        host_.showMessage(settings.problemMessage(
            u"Readings cannot be scaled until the calibration is complete. "
            u"Open Calibrate and press \"Save Calibration\" to write a complete file."_s));
}

bool LoggingSession::configureAndOpenPort() {
    if (!applyBoardPortSettings(*MSComm1, Port, BR))
        return false;
    portConfigured_ = true;
    if (!MSComm1->open())
        return false;
    linkLost_ = false;
    portRetry_.stop();
    setStatusDetail({});
    return true;
}

QString LoggingSession::portProblem(const QString& reason) const {
    const QString device = MSComm1->deviceName();
    return device.isEmpty() ? reason : u"%1 \u2014 %2"_s.arg(device, reason);
}

void LoggingSession::showWaitingFor(const QString& reason) {
    setStatusDetail(u"Waiting for the board's port: %1. Tarnby tries it again every %2 seconds."_s
                        .arg(portProblem(reason))
                        .arg(PortRetryMs / 1000));
}

// The message and the setup window wait for a person; meanwhile the port is tried again, and
// when it opens they are closed and start-up carries on by itself.
void LoggingSession::portFailureRecovery(const QString& why) {
    // The setup window tells a recovery from a visit by the reason it is given.
    const QString reason = why.isEmpty() ? u"the port did not open"_s : why;
    showStatus(CommsProblem);
    recoveryWaiting_ = Port != u"0";
    portCameBack_ = false;
    if (recoveryWaiting_) {
        showWaitingFor(reason);
        portRetry_.start();
    }
    host_.showMessage(PortProblem);
    if (!portCameBack_ && !endRequested_) {
        childWindowOpen_ = true;
        host_.runSetupWindow(reason);
        childWindowOpen_ = false;
    }
    recoveryWaiting_ = false;
    portCameBack_ = false;
    portRetry_.stop();
    setStatusDetail({});
}

void LoggingSession::recoverAndStartAgain(const QString& reason) {
    portFailureRecovery(reason);
    runStartUp(false);
}

// The interval check and the start of logging, shared by the Start button and start-up.
bool LoggingSession::beginLogging(bool withMessage) {
    const auto interval = checkLoggingInterval(intervalText_);
    if (!interval) {
        if (withMessage)
            host_.showMessage(BadDelay);
        return false;
    }
    intervalText_ = interval->text;
    Timer1.setInterval(interval->milliseconds);
    setLoggingOn(true);
    sums_.clear(); // the first record averages only what arrives after this start
    return true;
}

void LoggingSession::setLoggingOn(bool on) {
    intervalEditable_ = !on;
    if (on)
        Timer1.start();
    else
        Timer1.stop();
    emit controlsChanged();
}

void LoggingSession::startLogging() {
    beginLogging(true);
}

void LoggingSession::stopLogging() {
    setLoggingOn(false);
}

void LoggingSession::calibrate() {
    const bool wasConfigured = portConfigured_;
    closePort();
    childWindowOpen_ = true;
    QString calibrationPortProblem;
    const bool shown = host_.runCalibrationWindow(calibrationPortProblem);
    childWindowOpen_ = false;
    if (!shown) {
        recoverAndStartAgain(calibrationPortProblem);
        return;
    }
    loadSettings();
    // The port settings last applied stay in force. A program running without a port (port
    // "0") has none to reopen and stays as it was.
    if (!wasConfigured)
        return;
    if (!MSComm1->open()) {
        recoverAndStartAgain(boardPortProblem(*MSComm1, Port));
        return;
    }
    linkLost_ = false;
}

void LoggingSession::setup() {
    closePort();
    childWindowOpen_ = true;
    host_.runSetupWindow({});
    childWindowOpen_ = false;
    loadSettings();
    // No test for "0" here: port numbers start at 1, so port "0" ends in the recovery, whose
    // fresh start-up then leaves the port closed.
    if (!progUsable_)
        return; // already reported; the user saves a complete file from Setup
    if (!configureAndOpenPort())
        recoverAndStartAgain(boardPortProblem(*MSComm1, Port));
}

void LoggingSession::closePort() {
    MSComm1->close();
    portRetry_.stop();
}

QString LoggingSession::endOfRun() {
    if (totalWritten_)
        return {};
    totalWritten_ = true;
    const FileOutcome outcome = wattHours_.appendExitLine(clock_.now(), readings_.WattHourTotal);
    return outcome.ok ? QString() : outcome.error;
}

// --- The port ------------------------------------------------------------------------------

void LoggingSession::receive() {
    const FrameReceiver::Notification notification = receiver_.receive(MSComm1->readAll());
    if (notification.reachedCut) {
        Timer2.start();
        dataLamp_ = true;
        emit lampsChanged();
    }
    bool accepted = false;
    for (const CutFrame& frame : notification.frames) {
        readings_.ModeValue = 0;
        showStatus(QString::fromLatin1(frame.previousFrameText));
        const FrameExtraction extraction = extractFrameValues(frame.frameText);
        if (extraction.outcome == FrameExtraction::Outcome::Dropped)
            continue;
        if (extraction.outcome == FrameExtraction::Outcome::Corrupt ||
            !computeReadings(extraction.values, factors_, loggingOn(), readings_, sums_)) {
            showStatus(CorruptData);
            continue;
        }
        accepted = true;
    }
    if (accepted) {
        setCaption(readingsCaption(readings_));
        emit readingsChanged();
    }
}

void LoggingSession::onLinkLost() {
    linkLost_ = true;
    showStatus(CommsProblem);
    setStatusDetail(portProblem(boardPortProblem(*MSComm1, Port)));
    if (!childWindowOpen_ && Port != u"0")
        portRetry_.start();
}

void LoggingSession::retryPort() {
    if (recoveryWaiting_) {
        // The same routine and settings a fresh start-up uses; start-up opens it again once
        // the recovery's prompts are closed.
        if (!openBoardPort(*MSComm1, Port, BR)) {
            showWaitingFor(boardPortProblem(*MSComm1, Port));
            return;
        }
        MSComm1->close();
        portRetry_.stop();
        recoveryWaiting_ = false;
        portCameBack_ = host_.closeRecoveryPrompts();
        return;
    }
    if (childWindowOpen_ || !linkLost_ || Port == u"0") {
        portRetry_.stop();
        return;
    }
    if (!MSComm1->open()) {
        setStatusDetail(portProblem(boardPortProblem(*MSComm1, Port)));
        return;
    }
    linkLost_ = false;
    portRetry_.stop();
    setStatusDetail({});
    receiver_.clearBuffer(); // a fresh line: nothing half-received survives the outage
}

// --- Timers --------------------------------------------------------------------------------

void LoggingSession::loggingTick() {
    Timer2.start();
    logLamp_ = true;
    emit lampsChanged();
    noteWrite(dayLog_.writeRecord(clock_.now(), sums_, readings_).append);
}

void LoggingSession::blinkOff() {
    dataLamp_ = false;
    logLamp_ = false;
    Timer2.stop();
    emit lampsChanged();
}

void LoggingSession::wattHourTick() {
    const WattHourStore::TickOutcome outcome =
        wattHours_.tick(clock_.now(), readings_.LiveWatts, readings_.WattHourTotal, !linkLost_);
    if (outcome.wroteLine)
        noteWrite(outcome.append);
}

// --- What the window shows -----------------------------------------------------------------

void LoggingSession::noteWrite(const FileOutcome& outcome) {
    if (outcome.ok) {
        if (!status_.holdingFault())
            return;
        status_.releaseWriteFault();
    } else {
        status_.holdWriteFault(outcome.error);
    }
    emit statusChanged();
}

void LoggingSession::setCaption(const QString& caption) {
    if (caption_ == caption)
        return;
    caption_ = caption;
    emit captionChanged();
}

void LoggingSession::showStatus(const QString& text) {
    status_.show(text);
    emit statusChanged();
}

void LoggingSession::setStatusDetail(const QString& detail) {
    if (statusDetail_ == detail)
        return;
    statusDetail_ = detail;
    emit statusChanged();
}

} // namespace tarnby
