#include "session/LoggingSession.h"

#include "common/LoggingInterval.h"
#include "config/CalibrationSettings.h"
#include "config/ProgSettings.h"

#include <QDir>

namespace tarnby {

using namespace Qt::StringLiterals;

namespace {
const QString WaitingCaption = u"Tarnby - Waiting for Signal"_s;
const QString CommsProblem = u"     possible COMMS problem"_s;
const QString CorruptData = u"possible corrupt COMMS data"_s;
const QString BadDelay = u"Invalid delay period, needs to be a number between 10 and 600"_s;

} // namespace

LoggingSession::LoggingSession(AppPaths paths, const Clock& clock, SerialLinkFactory makeLink,
                               SessionHost& host, QObject* parent)
    : QObject(parent), paths_(std::move(paths)), clock_(clock), host_(host), port_(makeLink()),
      dayLog_(paths_), wattHours_(paths_, clock.now().date()) {
    connect(&port_, &BoardPort::dataArrived, this, &LoggingSession::receive);
    connect(&port_, &BoardPort::lost, this, [this] { showStatus(CommsProblem); });
    connect(&port_, &BoardPort::opened, this, &LoggingSession::onPortOpened);
    connect(&port_, &BoardPort::appeared, this, &LoggingSession::onPortAppeared);
    connect(&port_, &BoardPort::detailChanged, this, &LoggingSession::statusChanged);

    recordTimer_.setTimerType(Qt::PreciseTimer);
    recordTimer_.setInterval(1000);
    connect(&recordTimer_, &QTimer::timeout, this, &LoggingSession::loggingTick);
    energyTimer_.setTimerType(Qt::PreciseTimer);
    energyTimer_.setInterval(5000);
    connect(&energyTimer_, &QTimer::timeout, this, &LoggingSession::wattHourTick);
    energyTimer_.start();

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
        if (!progUsable_ || withoutPort_) {
            port_.close();
            return;
        }
        if (port_.open(line_)) {
            finishStartUp();
            return;
        }
        if (portFailureRecovery(port_.reason()) == SessionHost::Recovery::NobodyToAsk)
            return; // carried on when the port opens
    }
}

// The start-up steps after the port opened.
void LoggingSession::finishStartUp() {
    startUpAwaitsPort_ = false;
    // An unattended restart must not stop the records without a word.
    if (startLoggingAtStartUp_ && !beginLogging(false))
        host_.showMessage(BadDelay);
}

void LoggingSession::loadSettings() {
    const ProgConfig prog = readProgCfg(paths_.progCfg());
    line_ = lineSettingsOf(prog);
    withoutPort_ = prog.Port.text == u"0";
    // Savehtml and SaveExcel belong to the setup window; nothing here acts on them.
    if (prog.fileUsable())
        intervalText_ = prog.LogDelay.text;
    startLoggingAtStartUp_ = flagSet(prog.LogOn);
    const QStringList problems = prog.problems({&prog.Port, &prog.BR, &prog.LogDelay, &prog.LogOn,
                                                &prog.DisplayRPM, &prog.DisplayWS, &prog.WSUnits});
    // A flag that is not a number counts as "not 1": said, but no reason to leave the port shut.
    QStringList flagsOff;
    for (const ConfigText* flag : {&prog.LogOn, &prog.DisplayRPM, &prog.DisplayWS}) {
        if (flag->problem == ValueProblem::NotANumber)
            flagsOff << u'<' + flag->key + u'>';
    }
    progUsable_ = prog.fileUsable() && problems.size() == flagsOff.size();
    const QString progMessage = prog.problemMessage(
        problems, (progUsable_ ? u"Tarnby takes %1 as off. "_s.arg(flagsOff.join(u" and "_s))
                               : u"Tarnby runs without its serial port until the settings are "
                                 u"complete. "_s) +
                      u"Open Program Setup and press \"Save Setings\" to write a complete file."_s);
    intervalEditable_ = false;
    emit controlsChanged();

    listOptions_ =
        ListOptions{flagSet(prog.DisplayRPM), flagSet(prog.DisplayWS), prog.WSUnits.text};
    emit listRebuilt();

    const CalibrationConfig settings = readSettingsCfg(paths_.settingsCfg());
    factors_ = settings.numbers();
    const QString settingsMessage = settings.problemMessage(
        settings.problems(settings.values(), true),
        u"Readings cannot be scaled until the calibration is complete. "
        u"Open Calibrate and press \"Save Calibration\" to write a complete file."_s);

    if (!progMessage.isEmpty())
        host_.showMessage(progMessage);
    if (!settingsMessage.isEmpty())
        host_.showMessage(settingsMessage);
}

// The person is asked while the port is tried every few seconds; when it opens, the host closes
// its prompts and start-up carries on by itself. With nobody to ask, the port is opened as soon
// as it can be.
SessionHost::Recovery LoggingSession::portFailureRecovery(const QString& why) {
    const QString reason = why.isEmpty() ? u"the port did not open"_s : why;
    showStatus(CommsProblem);
    if (!withoutPort_)
        port_.waitForPerson(line_, reason);
    const SessionHost::Recovery recovery = host_.recoverPort(reason);
    if (recovery == SessionHost::Recovery::NobodyToAsk && !withoutPort_) {
        startUpAwaitsPort_ = true;
        port_.keepTrying(line_, reason);
    } else {
        port_.close();
    }
    return recovery;
}

void LoggingSession::recoverAndStartAgain(const QString& reason) {
    if (portFailureRecovery(reason) == SessionHost::Recovery::PersonFinished)
        runStartUp(false);
}

void LoggingSession::onPortAppeared() {
    // Tried again until the host has closed the recovery's prompts or a person is at them;
    // start-up then opens the port when the recovery is over.
    if (host_.closeRecoveryPrompts() != SessionHost::PromptsClosing::NotYet)
        port_.close();
}

void LoggingSession::onPortOpened() {
    // A fresh line: nothing half-received before an outage or a child window survives it.
    receiver_.clearBuffer();
    if (startUpAwaitsPort_)
        finishStartUp();
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
    const bool hadLine = port_.hasLine();
    port_.handToChildWindow();
    QString calibrationPortProblem;
    if (!host_.runCalibrationWindow(calibrationPortProblem)) {
        recoverAndStartAgain(calibrationPortProblem);
        return;
    }
    loadSettings();
    // The port settings last applied stay in force. A program running without a port (port
    // "0") has none to reopen and stays as it was.
    if (!hadLine)
        port_.close();
    else if (!port_.reopen())
        recoverAndStartAgain(port_.reason());
}

void LoggingSession::setup() {
    port_.handToChildWindow();
    host_.runSetupWindow();
    loadSettings();
    // No test for "0" here: port numbers start at 1, so port "0" ends in the recovery, whose
    // fresh start-up then leaves the port closed.
    if (!progUsable_)
        port_.close(); // already reported; the user saves a complete file from Setup
    else if (!port_.open(line_))
        recoverAndStartAgain(port_.reason());
}

void LoggingSession::closePort() {
    port_.close();
}

void LoggingSession::reloadSettings() {
    const std::optional<LineSettings> previousLine = line_.line;
    const QString previousInterval = intervalText_;
    loadSettings();
    if (!progUsable_ || withoutPort_) {
        startUpAwaitsPort_ = false;
        port_.close();
    } else if (line_.line != previousLine || port_.state() == BoardPort::State::Closed) {
        // Once open, the port carries on a start-up that waited for it (onPortOpened).
        if (!port_.open(line_)) {
            startUpAwaitsPort_ = !loggingOn();
            port_.keepTrying(line_, port_.reason());
        }
    }
    applyReloadedLogging(previousInterval);
}

// Logging after the settings were read again: the sums of the interval that has run are kept.
void LoggingSession::applyReloadedLogging(const QString& previousInterval) {
    if (!startLoggingAtStartUp_) {
        if (loggingOn())
            setLoggingOn(false);
        return;
    }
    if (!loggingOn()) {
        // Without its port, start-up's rule applies: logging starts when the port opens.
        if (!startUpAwaitsPort_ && !beginLogging(false))
            host_.showMessage(BadDelay);
        return;
    }
    const auto interval = checkLoggingInterval(intervalText_);
    if (!interval) {
        host_.showMessage(BadDelay); // logging goes on at the interval it had
        intervalText_ = previousInterval;
    } else {
        intervalText_ = interval->text;
        // Setting a running timer's interval restarts it: only a new interval may do so.
        if (interval->milliseconds != recordTimer_.interval())
            recordTimer_.setInterval(interval->milliseconds);
    }
    emit controlsChanged();
}

QString LoggingSession::endOfRun() {
    const FileOutcome outcome = wattHours_.appendExitLine(clock_.now(), readings_.WattHourTotal);
    return outcome.ok ? QString() : outcome.error;
}

// --- The port ------------------------------------------------------------------------------

void LoggingSession::receive() {
    const FrameReceiver::Notification notification = receiver_.receive(port_.readAll());
    if (notification.reachedCut)
        emit frameCut();
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
            emit corruptData();
            continue;
        }
        accepted = true;
    }
    if (accepted) {
        setCaption(readingsCaption(readings_));
        emit readingsChanged();
    }
}

// --- Timers --------------------------------------------------------------------------------

void LoggingSession::loggingTick() {
    const QDateTime now = clock_.now();
    const DayLogWriter::Outcome outcome = dayLog_.writeRecord(now, sums_, readings_);
    emit recordWritten(now, outcome.line);
    noteWrite(outcome.append);
}

void LoggingSession::wattHourTick() {
    const WattHourStore::TickOutcome outcome =
        wattHours_.tick(clock_.now(), readings_.LiveWatts, readings_.WattHourTotal,
                        port_.state() != BoardPort::State::Retrying);
    if (outcome.wroteLine)
        noteWrite(outcome.append);
}

// --- What the window shows -----------------------------------------------------------------

void LoggingSession::noteWrite(const FileOutcome& outcome) {
    const QString before = status_.fault();
    if (outcome.ok) {
        if (!status_.holdingFault())
            return;
        status_.releaseWriteFault();
    } else {
        status_.holdWriteFault(outcome.error);
    }
    emit statusChanged();
    if (status_.fault() != before)
        emit writeFaultChanged();
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

} // namespace tarnby
