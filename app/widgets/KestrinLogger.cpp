#include "app/widgets/KestrinLogger.h"

#include "app/widgets/Lamp.h"
#include "app/widgets/ReadingsList.h"
#include "app/widgets/StatusLabel.h"
#include "history/widgets/HistoryWindow.h"
#include "setup/widgets/Calibrate.h"
#include "setup/widgets/ProgramSetup.h"

#include <QCloseEvent>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tarnby {

using namespace Qt::StringLiterals;

KestrinLogger::KestrinLogger(const Environment& environment, QWidget* parent)
    : QWidget(parent), env_(environment),
      session_(environment.paths, environment.clock, environment.makeSerialLink, *this) {
    buildControls();
    wireControls();
}

KestrinLogger::~KestrinLogger() = default;

void KestrinLogger::wireControls() {
    connect(StartLogging, &QPushButton::clicked, &session_, &LoggingSession::startLogging);
    connect(StopLogging, &QPushButton::clicked, &session_, &LoggingSession::stopLogging);
    connect(CalibrateButton, &QPushButton::clicked, &session_, &LoggingSession::calibrate);
    connect(Setup, &QPushButton::clicked, &session_, &LoggingSession::setup);
    connect(ShowLogs, &QPushButton::clicked, this, &KestrinLogger::onShowLogs);
    connect(Exit, &QPushButton::clicked, this, &KestrinLogger::onExit);
    connect(delay, &QLineEdit::textEdited, &session_, &LoggingSession::setIntervalText);

    connect(&session_, &LoggingSession::captionChanged, this,
            [this] { setWindowTitle(session_.caption()); });
    connect(&session_, &LoggingSession::statusChanged, this, &KestrinLogger::showStatus);
    connect(&session_, &LoggingSession::listRebuilt, this, &KestrinLogger::rebuildList);
    connect(&session_, &LoggingSession::readingsChanged, this, &KestrinLogger::showReadings);
    connect(&session_, &LoggingSession::lampsChanged, this, &KestrinLogger::showLamps);
    connect(&session_, &LoggingSession::controlsChanged, this, &KestrinLogger::showControls);
}

void KestrinLogger::endOfRun() {
    const QString fault = session_.endOfRun();
    if (fault.isEmpty())
        return;
    if (isVisible())
        showMessage(fault);
    else
        qWarning("%s", qPrintable(fault));
}

void KestrinLogger::onExit() {
    endOfRun();
    session_.closePort();
    close();
}

void KestrinLogger::closeEvent(QCloseEvent* event) {
    // The title-bar close ends the program like the end of the event loop; the watt-hour line
    // is appended once the loop has ended (endOfRun).
    session_.closePort();
    event->accept();
}

void KestrinLogger::onShowLogs() {
    HistoryWindow historyWindow(env_, history_, this);
    env_.prompts.runModal(historyWindow);
}

// --- Answers to the session ----------------------------------------------------------------

void KestrinLogger::showMessage(const QString& text) {
    env_.prompts.showMessage(this, text);
}

void KestrinLogger::runSetupWindow(const QString& portProblem) {
    ProgramSetup setupWindow(env_, this);
    if (!portProblem.isEmpty()) {
        setupWindow.setPortProblem(portProblem);
        waitingSetup_ = &setupWindow;
    }
    env_.prompts.runModal(setupWindow);
    waitingSetup_ = nullptr;
}

bool KestrinLogger::runCalibrationWindow(QString& portProblem) {
    Calibrate calibrationWindow(env_, this);
    if (!calibrationWindow.portOpened()) {
        portProblem = calibrationWindow.portProblem();
        return false;
    }
    env_.prompts.runModal(calibrationWindow);
    return true;
}

bool KestrinLogger::closeRecoveryPrompts() {
    if (waitingSetup_) {
        if (waitingSetup_->userChangedSomething())
            return false;
        waitingSetup_->reject(); // as its title-bar button: nothing saved
        return true;
    }
    env_.prompts.closeOpenMessages();
    return true;
}

// --- Showing what the session reports ------------------------------------------------------

void KestrinLogger::showControls() {
    const bool on = session_.loggingOn();
    StartLogging->setEnabled(!on);
    StopLogging->setEnabled(on);
    Setup->setEnabled(!on);
    CalibrateButton->setEnabled(!on);
    if (delay->text() != session_.intervalText())
        delay->setText(session_.intervalText());
    delay->setEnabled(session_.intervalEditable());
}

void KestrinLogger::showStatus() {
    if (Label2->text() != session_.statusText())
        Label2->setText(session_.statusText());
    if (Label2->toolTip() != session_.statusDetail())
        Label2->setToolTip(session_.statusDetail());
}

void KestrinLogger::showLamps() {
    BlinkData->setColour(session_.dataLampOn() ? QColor(Qt::red) : QColor());
    BlinkLog->setColour(session_.logLampOn() ? QColor(Qt::red) : QColor());
}

void KestrinLogger::rebuildList() {
    QFont font;
    font.setFamilies({u"Arial"_s, u"Liberation Sans"_s, u"DejaVu Sans"_s});
    font.setPointSize(listFontPointSize(session_.listOptions()));
    ListView1->setFont(font);
    ListView1->showRows(initialRows(session_.listOptions()));
}

void KestrinLogger::showReadings() {
    // The list redraws only the cells whose text changed: a steady board redraws almost nothing.
    ListView1->showRows(readingRows(session_.readings(), session_.listOptions()));
    const QString mode = session_.readings().ModeValue == 1 ? u"On Load"_s : QString();
    if (txtMode->text() != mode)
        txtMode->setText(mode);
}

} // namespace tarnby
