#include "app/widgets/MainWindow.h"

#include "app/widgets/Lamp.h"
#include "app/widgets/ReadingsList.h"
#include "common/widgets/Palette.h"
#include "history/widgets/HistoryWindow.h"
#include "setup/widgets/CalibrationWindow.h"
#include "setup/widgets/SetupWindow.h"

#include <QCloseEvent>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tarnby {

using namespace Qt::StringLiterals;

MainWindow::MainWindow(const Environment& environment, QWidget* parent)
    : QWidget(parent), env_(environment),
      session_(environment.paths, environment.clock, environment.makeSerialLink, *this),
      publishing_(session_, environment.paths.mqttCfg(), environment.makeMqttConnection()) {
    buildControls();
    wireControls();
    publishing_.readSettings();
    lampOffTimer_.setInterval(250);
    lampOffTimer_.setSingleShot(true);
    connect(&lampOffTimer_, &QTimer::timeout, this, [this] {
        dataLamp_->setColour(QColor());
        logLamp_->setColour(QColor());
    });
}

MainWindow::~MainWindow() = default;

void MainWindow::wireControls() {
    connect(startButton_, &QPushButton::clicked, &session_, &LoggingSession::startLogging);
    connect(stopButton_, &QPushButton::clicked, &session_, &LoggingSession::stopLogging);
    connect(calibrateButton_, &QPushButton::clicked, &session_, &LoggingSession::calibrate);
    connect(setupButton_, &QPushButton::clicked, &session_, &LoggingSession::setup);
    connect(showLogsButton_, &QPushButton::clicked, this, &MainWindow::showLogs);
    connect(exitButton_, &QPushButton::clicked, this, &MainWindow::exitProgram);
    connect(intervalBox_, &QLineEdit::textEdited, &session_, &LoggingSession::setIntervalText);

    connect(&session_, &LoggingSession::captionChanged, this,
            [this] { setWindowTitle(session_.caption()); });
    connect(&session_, &LoggingSession::statusChanged, this, &MainWindow::showStatus);
    connect(&session_, &LoggingSession::listRebuilt, this, &MainWindow::rebuildList);
    connect(&session_, &LoggingSession::readingsChanged, this, &MainWindow::showReadings);
    connect(&session_, &LoggingSession::frameCut, this, [this] { lightLamp(dataLamp_); });
    connect(&session_, &LoggingSession::recordWritten, this, [this] { lightLamp(logLamp_); });
    connect(&session_, &LoggingSession::controlsChanged, this, &MainWindow::showControls);
    connect(&publishing_, &SessionPublishing::statusChanged, this, &MainWindow::showPublishing);
}

void MainWindow::endOfRun() {
    const QString fault = session_.endOfRun();
    if (fault.isEmpty())
        return;
    if (isVisible())
        showMessage(fault);
    else
        qWarning("%s", qPrintable(fault));
}

void MainWindow::exitProgram() {
    endOfRun();
    session_.closePort();
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The title-bar close ends the program like the end of the event loop; the watt-hour line
    // is appended once the loop has ended (endOfRun).
    session_.closePort();
    event->accept();
}

void MainWindow::showLogs() {
    HistoryWindow historyWindow(env_, history_, this);
    env_.prompts.runModal(historyWindow);
}

// --- Answers to the session ----------------------------------------------------------------

void MainWindow::showMessage(const QString& text) {
    env_.prompts.showMessage(this, text);
}

namespace {
// Tags the recovery's message, so that no other message is closed with it.
constexpr int RecoveryMessageTag = 1;
} // namespace

SessionHost::Recovery MainWindow::recoverPort(const QString& reason) {
    portCameBack_ = false;
    recoveryStage_ = RecoveryStage::Message;
    env_.prompts.showClosableMessage(this, PortProblemMessage.toString(), RecoveryMessageTag);
    if (!portCameBack_ && !session_.endRequested()) {
        recoveryStage_ = RecoveryStage::LoadingSetup; // it may show its own message
        SetupWindow setupWindow(env_, this);
        if (!portCameBack_)
            setupWindow.setPortProblem(reason);
        setupWindow.showWaitingForPort();
        waitingSetup_ = &setupWindow;
        recoveryStage_ = RecoveryStage::SetupOpen;
        runSetup(setupWindow);
        waitingSetup_ = nullptr;
    }
    recoveryStage_ = RecoveryStage::None;
    return Recovery::PersonFinished;
}

SessionHost::PromptsClosing MainWindow::closeRecoveryPrompts() {
    portCameBack_ = true;
    switch (recoveryStage_) {
    case RecoveryStage::Message:
        env_.prompts.closeMessages(RecoveryMessageTag);
        return PromptsClosing::Closed;
    case RecoveryStage::SetupOpen:
        if (waitingSetup_->userChangedSomething()) {
            waitingSetup_->setPortProblem({}); // the reason no longer holds
            return PromptsClosing::PersonBusy;
        }
        waitingSetup_->reject(); // as its title-bar button: nothing saved
        return PromptsClosing::Closed;
    case RecoveryStage::LoadingSetup:
    case RecoveryStage::None:
        break;
    }
    return PromptsClosing::NotYet;
}

void MainWindow::runSetupWindow() {
    SetupWindow setupWindow(env_, this);
    runSetup(setupWindow);
}

void MainWindow::runSetup(SetupWindow& setupWindow) {
    connect(&setupWindow, &SetupWindow::publishingSaved, this,
            [this] { publishing_.readSettings(); });
    env_.prompts.runModal(setupWindow);
}

bool MainWindow::runCalibrationWindow(QString& portProblem) {
    CalibrationWindow calibrationWindow(env_, this);
    if (!calibrationWindow.portOpened()) {
        portProblem = calibrationWindow.portProblem();
        return false;
    }
    env_.prompts.runModal(calibrationWindow);
    return true;
}

// --- Showing what the session reports ------------------------------------------------------

void MainWindow::showControls() {
    const bool on = session_.loggingOn();
    startButton_->setEnabled(!on);
    stopButton_->setEnabled(on);
    setupButton_->setEnabled(!on);
    calibrateButton_->setEnabled(!on);
    if (intervalBox_->text() != session_.intervalText())
        intervalBox_->setText(session_.intervalText());
    intervalBox_->setEnabled(session_.intervalEditable());
}

void MainWindow::showStatus() {
    if (statusLine_->text() != session_.statusText())
        statusLine_->setText(session_.statusText());
    if (statusLine_->toolTip() != session_.statusDetail())
        statusLine_->setToolTip(session_.statusDetail());
}

void MainWindow::showPublishing() {
    const PublishStatus& status = publishing_.status();
    publishingLamp_->setVisible(status.state != PublishStatus::State::Off);
    publishingLamp_->setColour(status.state == PublishStatus::State::Publishing
                                   ? palette::publishing
                                   : palette::notPublishing);
    publishingLamp_->setAccessibleName(status.text);
    publishingLamp_->setToolTip(status.warning.isEmpty() ? status.text
                                                         : status.text + u'\n' + status.warning);
}

void MainWindow::lightLamp(Lamp* lamp) {
    lamp->setColour(palette::lampLit);
    lampOffTimer_.start();
}

void MainWindow::rebuildList() {
    QFont font;
    font.setFamilies({u"Arial"_s, u"Liberation Sans"_s, u"DejaVu Sans"_s});
    font.setPointSize(listFontPointSize(session_.listOptions()));
    readingsList_->setFont(font);
    readingsList_->showRows(initialRows(session_.listOptions()));
}

void MainWindow::showReadings() {
    // The list redraws only the cells whose text changed: a steady board redraws almost nothing.
    readingsList_->showRows(readingRows(session_.readings(), session_.listOptions()));
    const QString mode = session_.readings().ModeValue == 1 ? u"On Load"_s : QString();
    if (modeLabel_->text() != mode)
        modeLabel_->setText(mode);
}

} // namespace tarnby
