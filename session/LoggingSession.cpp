#include "session/LoggingSession.h"

#include "common/LoggingInterval.h"
#include "config/CalibrationSettings.h"
#include "config/ProgSettings.h"
#include "session/BoardPort.h"

#include <QDir>

namespace tarnby {

using namespace Qt::StringLiterals;

namespace {
const QString WaitingCaption = u"Tarnby - Waiting for Signal"_s;
const QString CommsProblem = u"     possible COMMS problem"_s;
const QString CorruptData = u"possible corrupt COMMS data"_s;
const QString PortProblem = u"There is a possible Port Number problem. Check available PORTS"_s;
const QString BadDelay = u"Invalid delay period, needs to be a number between 10 and 600"_s;

} // namespace

LoggingSession::LoggingSession(AppPaths paths, const Clock& clock, SerialLinkFactory makeLink,
                               SessionHost& host, QObject* parent)
    : QObject(parent), paths_(std::move(paths)), clock_(clock), makeLink_(std::move(makeLink)),
      host_(host), boardLink_(makeLink_()), dayLog_(paths_),
      wattHours_(paths_, clock.now().date()) {
    connect(boardLink_.get(), &SerialLink::dataArrived, this, &LoggingSession::receive);
    connect(boardLink_.get(), &SerialLink::linkLost, this, &LoggingSession::onLinkLost);

    recordTimer_.setTimerType(Qt::PreciseTimer);
    recordTimer_.setInterval(1000);
    connect(&recordTimer_, &QTimer::timeout, this, &LoggingSession::loggingTick);
    lampOffTimer_.setInterval(250);
    lampOffTimer_.setSingleShot(true);
    connect(&lampOffTimer_, &QTimer::timeout, this, &LoggingSession::blinkOff);
    energyTimer_.setTimerType(Qt::PreciseTimer);
    energyTimer_.setInterval(5000);
    connect(&energyTimer_, &QTimer::timeout, this, &LoggingSession::wattHourTick);
    energyTimer_.start();
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
        if (!progUsable_ || withoutPort_)
            return;
        if (!configureAndOpenPort()) {
            portFailureRecovery(boardPortProblem(*boardLink_, line_));
            continue;
        }
        // An unattended restart must not stop the records without a word.
        if (startLoggingAtStartUp_ && !beginLogging(false))
            host_.showMessage(BadDelay);
        return;
    }
}

void LoggingSession::loadSettings() {
    const ProgConfig prog = readProgCfg(paths_.progCfg());
    line_ = lineSettingsOf(prog);
    withoutPort_ = prog.Port.text == u"0";
    // Savehtml and SaveExcel belong to the setup window; nothing here acts on them.
    if (prog.fileUsable())
        intervalText_ = prog.LogDelay.text;
    startLoggingAtStartUp_ = flagSet(prog.LogOn);
    const QString progMessage = prog.problemMessage(
        prog.problems({&prog.Port, &prog.BR, &prog.LogDelay, &prog.LogOn, &prog.DisplayRPM,
                       &prog.DisplayWS, &prog.WSUnits}),
        u"Tarnby runs without its serial port until the settings are complete. "
        u"Open Program Setup and press \"Save Setings\" to write a complete file."_s);
    intervalEditable_ = false;
    progUsable_ = progMessage.isEmpty();
    emit controlsChanged();

    listOptions_ =
        ListOptions{flagSet(prog.DisplayRPM), flagSet(prog.DisplayWS), prog.WSUnits.text};
    emit listRebuilt();

    const CalibrationConfig settings = readSettingsCfg(paths_.settingsCfg());
    factors_ = settings.numbers();
    const QString settingsMessage = settings.problemMessage(
        settings.problems({&settings.VoltDivider, &settings.VoltOffset, &settings.AmpDivider,
                           &settings.RPMDivider, &settings.WSDivider},
                          true),
        u"Readings cannot be scaled until the calibration is complete. "
        u"Open Calibrate and press \"Save Calibration\" to write a complete file."_s);

    if (!progMessage.isEmpty())
        host_.showMessage(progMessage);
    if (!settingsMessage.isEmpty())
        host_.showMessage(settingsMessage);
}

bool LoggingSession::configureAndOpenPort() {
    if (!applyBoardPortSettings(*boardLink_, line_))
        return false;
    portConfigured_ = true;
    if (!boardLink_->open())
        return false;
    linkLost_ = false;
    portRetry_.stop();
    setStatusDetail({});
    return true;
}

QString LoggingSession::portProblem(const QString& reason) const {
    const QString device = boardLink_->deviceName();
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
    recoveryWaiting_ = !withoutPort_;
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
    recordTimer_.setInterval(interval->milliseconds);
    setLoggingOn(true);
    sums_.clear(); // the first record averages only what arrives after this start
    return true;
}

void LoggingSession::setLoggingOn(bool on) {
    intervalEditable_ = !on;
    if (on)
        recordTimer_.start();
    else
        recordTimer_.stop();
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
    if (!boardLink_->open()) {
        recoverAndStartAgain(boardPortProblem(*boardLink_, line_));
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
        recoverAndStartAgain(boardPortProblem(*boardLink_, line_));
}

void LoggingSession::closePort() {
    boardLink_->close();
    portRetry_.stop();
}

QString LoggingSession::endOfRun() {
    const FileOutcome outcome = wattHours_.appendExitLine(clock_.now(), readings_.WattHourTotal);
    return outcome.ok ? QString() : outcome.error;
}

// --- The port ------------------------------------------------------------------------------

void LoggingSession::receive() {
    const FrameReceiver::Notification notification = receiver_.receive(boardLink_->readAll());
    if (notification.reachedCut) {
        lampOffTimer_.start();
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
    setStatusDetail(portProblem(boardPortProblem(*boardLink_, line_)));
    if (!childWindowOpen_ && !withoutPort_)
        portRetry_.start();
}

void LoggingSession::retryPort() {
    if (recoveryWaiting_) {
        // The same routine and settings a fresh start-up uses; start-up opens it again once
        // the recovery's prompts are closed.
        if (!openBoardPort(*boardLink_, line_)) {
            showWaitingFor(boardPortProblem(*boardLink_, line_));
            return;
        }
        boardLink_->close();
        portRetry_.stop();
        recoveryWaiting_ = false;
        portCameBack_ = host_.closeRecoveryPrompts();
        return;
    }
    if (childWindowOpen_ || !linkLost_ || withoutPort_) {
        portRetry_.stop();
        return;
    }
    if (!boardLink_->open()) {
        setStatusDetail(portProblem(boardPortProblem(*boardLink_, line_)));
        return;
    }
    linkLost_ = false;
    portRetry_.stop();
    setStatusDetail({});
    receiver_.clearBuffer(); // a fresh line: nothing half-received survives the outage
}

// --- Timers --------------------------------------------------------------------------------

void LoggingSession::loggingTick() {
    lampOffTimer_.start();
    logLamp_ = true;
    emit lampsChanged();
    noteWrite(dayLog_.writeRecord(clock_.now(), sums_, readings_).append);
}

void LoggingSession::blinkOff() {
    dataLamp_ = false;
    logLamp_ = false;
    lampOffTimer_.stop();
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
