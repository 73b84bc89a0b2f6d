#include "app/widgets/KestrinLogger.h"

#include "common/LoggingInterval.h"
#include "common/NumberText.h"
#include "config/ConfigFile.h"
#include "history/widgets/Graph.h"
#include "setup/widgets/Calibrate.h"
#include "setup/widgets/ProgramSetup.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tarnby {

using namespace Qt::StringLiterals;

namespace {
const QString CommsProblem = QStringLiteral("     possible COMMS problem");
const QString CorruptData = QStringLiteral("possible corrupt COMMS data");
const QString PortProblem =
    QStringLiteral("There is a possible Port Number problem. Check available PORTS");
const QString BadDelay =
    QStringLiteral("Invalid delay period, needs to be a number between 10 and 600");
constexpr int ReconnectMs = 3000;

// A value "equals 1" when it compares numerically equal to 1.
bool equalsOne(const QString& text) {
    const auto value = readNumber(text);
    return value && *value == 1.0;
}
} // namespace

KestrinLogger::KestrinLogger(const Environment& environment, QWidget* parent)
    : QWidget(parent), env_(environment), MSComm1(environment.makeSerialLink()),
      dayLog_(environment.paths), wattHours_(environment.paths, environment.clock.now().date()) {
    buildControls();

    connect(MSComm1.get(), &SerialLink::dataArrived, this, &KestrinLogger::onDataArrived);
    connect(MSComm1.get(), &SerialLink::linkLost, this, &KestrinLogger::onLinkLost);
    connect(StartLogging, &QPushButton::clicked, this, &KestrinLogger::onStartLogging);
    connect(StopLogging, &QPushButton::clicked, this, &KestrinLogger::onStopLogging);
    connect(CalibrateButton, &QPushButton::clicked, this, &KestrinLogger::onCalibrate);
    connect(Setup, &QPushButton::clicked, this, &KestrinLogger::onSetup);
    connect(ShowLogs, &QPushButton::clicked, this, &KestrinLogger::onShowLogs);
    connect(Exit, &QPushButton::clicked, this, &KestrinLogger::onExit);

    Timer1.setTimerType(Qt::PreciseTimer);
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &KestrinLogger::onLoggingTick);
    Timer2.setInterval(250);
    Timer2.setSingleShot(true);
    connect(&Timer2, &QTimer::timeout, this, &KestrinLogger::onBlinkOff);
    Timer3.setTimerType(Qt::PreciseTimer);
    Timer3.setInterval(5000);
    connect(&Timer3, &QTimer::timeout, this, &KestrinLogger::onWattHourTick);
    Timer3.start();
    reconnect_.setInterval(ReconnectMs);
    connect(&reconnect_, &QTimer::timeout, this, &KestrinLogger::tryReconnect);

    // The logs folder is where every record goes: make sure it exists from the start.
    QDir().mkpath(env_.paths.logsFolder());
}

KestrinLogger::~KestrinLogger() = default;

QString KestrinLogger::statusText() const {
    return Label2->text();
}

void KestrinLogger::startUp() {
    runStartUp(true);
}

// The start-up sequence. A port failure leads to the recovery (message, setup window) and then
// to start-up again; this loops until the port opens or the port is set to "0".
void KestrinLogger::runStartUp(bool firstRun) {
    for (bool first = firstRun; !endRequested_; first = false) {
        setWindowTitle(u"Tarnby - Waiting for Signal"_s);
        showStatus(CommsProblem);
        StopLogging->setEnabled(false);
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
            portFailureRecovery();
            continue;
        }
        if (equalsOne(LogOn))
            startLoggingAutomatically();
        return;
    }
}

void KestrinLogger::loadSettings() {
    ConfigReading prog = ConfigReading::read(env_.paths.progCfg(), u"prog.cfg"_s);
    delay->setEnabled(true);
    Port = prog.take("Port"_L1);
    const QString brText = prog.takeWholeNumber("BR"_L1);
    BR = readExactWholeNumber(brText).value_or(0);
    // Savehtml and SaveExcel belong to the setup window; nothing here acts on them.
    const QString logDelay = prog.take("LogDelay"_L1);
    if (prog.fileUsable())
        delay->setText(logDelay);
    LogOn = prog.take("LogOn"_L1);
    DisplayRPM = prog.take("DisplayRPM"_L1);
    DisplayWS = prog.take("DisplayWS"_L1);
    WSUnits = prog.take("WSUnits"_L1);
    delay->setEnabled(false);
    progUsable_ = prog.ok();

    listOptions_ = ListOptions{equalsOne(DisplayRPM), equalsOne(DisplayWS), WSUnits};
    rebuildList();

    ConfigReading settings = ConfigReading::read(env_.paths.settingsCfg(), u"settings.cfg"_s);
    for (const auto& key : CalibrationSettings::keys)
        factors_.*key.field = settings.take(key.name);

    if (!prog.ok())
        env_.prompts.showMessage(
            this,
            prog.problemMessage(
                u"Tarnby runs without its serial port until the settings are complete. "
                u"Open Program Setup and press \"Save Setings\" to write a complete file."_s));
    if (!settings.ok())
        env_.prompts.showMessage(
            this,
            settings.problemMessage(
                u"Readings cannot be scaled until the calibration is complete. "
                u"Open Calibrate and press \"Save Calibration\" to write a complete file."_s));
}

bool KestrinLogger::configureAndOpenPort() {
    const auto portNumber = readRoundedWholeNumber(Port);
    if (!portNumber || !MSComm1->setPortNumber(*portNumber))
        return false;
    if (!MSComm1->setSettings(QString::number(BR) + u",N,8,1"_s))
        return false;
    portConfigured_ = true;
    if (!MSComm1->open())
        return false;
    linkLost_ = false;
    reconnect_.stop();
    return true;
}

void KestrinLogger::portFailureRecovery() {
    showStatus(CommsProblem);
    env_.prompts.showMessage(this, PortProblem);
    if (endRequested_)
        return;
    ProgramSetup setupWindow(env_, this);
    childWindowOpen_ = true;
    env_.prompts.runModal(setupWindow);
    childWindowOpen_ = false;
}

void KestrinLogger::recoverAndStartAgain() {
    portFailureRecovery();
    runStartUp(false);
}

void KestrinLogger::startLoggingAutomatically() {
    // An unattended restart must not stop the records without a word.
    if (!beginLogging(false))
        env_.prompts.showMessage(this, BadDelay);
}

// The interval check and the start of logging, shared by the Start button and start-up.
bool KestrinLogger::beginLogging(bool withMessage) {
    const auto interval = checkLoggingInterval(delay->text());
    if (!interval) {
        if (withMessage)
            env_.prompts.showMessage(this, BadDelay);
        return false;
    }
    if (interval->text != delay->text())
        delay->setText(interval->text);
    Timer1.setInterval(interval->milliseconds);
    setLoggingControls(true);
    Timer1.start();
    sums_.clear(); // the first record averages only what arrives after this start
    return true;
}

void KestrinLogger::setLoggingControls(bool on) {
    delay->setEnabled(!on);
    StartLogging->setEnabled(!on);
    Setup->setEnabled(!on);
    CalibrateButton->setEnabled(!on);
    StopLogging->setEnabled(on);
}

void KestrinLogger::onStartLogging() {
    beginLogging(true);
}

void KestrinLogger::onStopLogging() {
    setLoggingControls(false);
    Timer1.stop();
}

void KestrinLogger::onCalibrate() {
    const bool wasConfigured = portConfigured_;
    MSComm1->close();
    reconnect_.stop();
    childWindowOpen_ = true;
    {
        Calibrate calibrationWindow(env_, this);
        if (calibrationWindow.portOpened())
            env_.prompts.runModal(calibrationWindow);
        else {
            childWindowOpen_ = false;
            recoverAndStartAgain();
            return;
        }
    }
    childWindowOpen_ = false;
    loadSettings();
    // The port settings last applied stay in force. A program running without a port (port
    // "0") has none to reopen and stays as it was.
    if (!wasConfigured)
        return;
    if (!MSComm1->open()) {
        recoverAndStartAgain();
        return;
    }
    linkLost_ = false;
}

void KestrinLogger::onSetup() {
    MSComm1->close();
    reconnect_.stop();
    {
        ProgramSetup setupWindow(env_, this);
        childWindowOpen_ = true;
        env_.prompts.runModal(setupWindow);
        childWindowOpen_ = false;
    }
    loadSettings();
    // No test for "0" here: port numbers start at 1, so port "0" ends in the recovery, whose
    // fresh start-up then leaves the port closed.
    if (!progUsable_)
        return; // already reported; the user saves a complete file from Setup
    if (!configureAndOpenPort())
        recoverAndStartAgain();
}

void KestrinLogger::onShowLogs() {
    Graph historyWindow(env_, history_, this);
    env_.prompts.runModal(historyWindow);
}

void KestrinLogger::onExit() {
    endOfRun();
    MSComm1->close();
    reconnect_.stop();
    close();
}

void KestrinLogger::endOfRun() {
    if (totalWritten_)
        return;
    totalWritten_ = true;
    const FileOutcome outcome =
        wattHours_.appendExitLine(env_.clock.now(), readings_.WattHourTotal);
    if (!outcome.ok) {
        if (isVisible())
            env_.prompts.showMessage(this, outcome.error);
        else
            qWarning("%s", qPrintable(outcome.error));
    }
}

void KestrinLogger::closeEvent(QCloseEvent* event) {
    // The title-bar close ends the program like the end of the event loop; the watt-hour line
    // is appended once the loop has ended (endOfRun).
    MSComm1->close();
    reconnect_.stop();
    event->accept();
}

// --- Receiving -----------------------------------------------------------------------------

void KestrinLogger::onDataArrived() {
    const FrameReceiver::Notification notification = receiver_.receive(MSComm1->readAll());
    if (notification.reachedCut) {
        Timer2.start();
        BlinkData->setColour(Qt::red);
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
    if (accepted)
        refreshReadings();
}

void KestrinLogger::onLinkLost(const QString& reason) {
    Q_UNUSED(reason);
    linkLost_ = true;
    showStatus(CommsProblem);
    if (!childWindowOpen_ && Port != u"0")
        reconnect_.start();
}

void KestrinLogger::tryReconnect() {
    if (childWindowOpen_ || !linkLost_ || Port == u"0") {
        reconnect_.stop();
        return;
    }
    if (MSComm1->open()) {
        linkLost_ = false;
        reconnect_.stop();
        receiver_.clearBuffer(); // a fresh line: nothing half-received survives the outage
    }
}

// --- Timers ---------------------------------------------------------------------------------

void KestrinLogger::onLoggingTick() {
    Timer2.start();
    BlinkLog->setColour(Qt::red);
    const DayLogWriter::Outcome outcome = dayLog_.writeRecord(env_.clock.now(), sums_, readings_);
    if (outcome.append.ok)
        releaseWriteFault();
    else
        holdWriteFault(outcome.append.error);
}

void KestrinLogger::onBlinkOff() {
    BlinkData->setColour(QColor());
    BlinkLog->setColour(QColor());
    Timer2.stop();
}

void KestrinLogger::onWattHourTick() {
    const WattHourStore::TickOutcome outcome =
        wattHours_.tick(env_.clock.now(), readings_.LiveWatts, readings_.WattHourTotal, !linkLost_);
    if (!outcome.wroteLine)
        return;
    if (outcome.append.ok)
        releaseWriteFault();
    else
        holdWriteFault(outcome.append.error);
}

// --- Display --------------------------------------------------------------------------------

void KestrinLogger::rebuildList() {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setPointSize(listFontPointSize(listOptions_));
    ListView1->setFont(font);
    ListView1->showRows(initialRows(listOptions_));
}

void KestrinLogger::refreshReadings() {
    // The list redraws only the cells whose text changed: a steady board redraws almost nothing.
    ListView1->showRows(readingRows(readings_, listOptions_));
    const QString mode = readings_.ModeValue == 1 ? u"On Load"_s : QString();
    if (txtMode->text() != mode)
        txtMode->setText(mode);
    const QString caption = readingsCaption(readings_);
    if (windowTitle() != caption)
        setWindowTitle(caption);
}

void KestrinLogger::showStatus(const QString& text) {
    status_.show(text);
    if (Label2->text() != status_.text())
        Label2->setText(status_.text());
}

void KestrinLogger::holdWriteFault(const QString& text) {
    status_.holdWriteFault(text);
    Label2->setText(status_.text());
}

void KestrinLogger::releaseWriteFault() {
    if (!status_.holdingFault())
        return;
    status_.releaseWriteFault();
    Label2->setText(status_.text());
}

} // namespace tarnby
