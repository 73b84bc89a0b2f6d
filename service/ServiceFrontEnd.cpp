#include "service/ServiceFrontEnd.h"

#include "service/ServiceConfiguration.h"
#include "service/ServiceLog.h"

namespace tarnby {

using namespace Qt::StringLiterals;

namespace {
const int RetrySeconds = BoardPort::RetryMs / 1000;

// " /dev/ttyUSB0", or nothing when the port number named no device.
QString deviceText(const QString& device) {
    return device.isEmpty() ? QString() : u' ' + device;
}
} // namespace

ServiceFrontEnd::ServiceFrontEnd(const AppPaths& paths, const Clock& clock,
                                 SerialLinkFactory makeLink,
                                 std::unique_ptr<MqttConnection> brokerConnection, QObject* parent)
    : QObject(parent), paths_(paths), session_(paths, clock, std::move(makeLink), *this),
      publishing_(session_, paths.mqttCfg(), std::move(brokerConnection)) {
    connect(&session_.boardPort(), &BoardPort::detailChanged, this, &ServiceFrontEnd::reportPort);
    connect(&session_, &LoggingSession::controlsChanged, this, &ServiceFrontEnd::reportLogging);
    connect(&session_, &LoggingSession::writeFaultChanged, this,
            &ServiceFrontEnd::reportWriteFault);
    connect(&session_, &LoggingSession::corruptData, this, &ServiceFrontEnd::countCorruptFrame);
    corruptDataQuiet_.setSingleShot(true);
    corruptDataQuiet_.setInterval(CorruptDataReportMs);
    connect(&corruptDataQuiet_, &QTimer::timeout, this, &ServiceFrontEnd::reportCorruptFrames);
    connect(&publishing_, &SessionPublishing::statusChanged, this,
            &ServiceFrontEnd::reportPublishing);
}

void ServiceFrontEnd::start() {
    publishing_.readSettings();
    session_.startUp();
}

void ServiceFrontEnd::reload() {
    publishing_.readSettings();
    const ServiceConfiguration configuration = checkServiceConfiguration(paths_);
    if (!configuration.problem.isEmpty()) {
        serviceLog(u"the settings stay as they were, since %1"_s.arg(configuration.problem));
        return;
    }
    serviceLog(u"reading prog.cfg and settings.cfg again"_s);
    for (const QString& warning : configuration.warnings)
        serviceLog(warning);
    session_.reloadSettings();
}

int ServiceFrontEnd::end() {
    // Publishing ends first: the session keeps logging while it waits, so the watt-hour line
    // is the last thing the run writes.
    publishing_.finish();
    const QString fault = session_.endOfRun();
    session_.closePort();
    if (!fault.isEmpty()) {
        serviceLog(fault);
        return 1;
    }
    serviceLog(u"ended; the watt-hour total is written to %1"_s.arg(paths_.wattHourFile()));
    return 0;
}

// --- Answers to the session ----------------------------------------------------------------

void ServiceFrontEnd::showMessage(const QString& text) {
    serviceLog(text);
}

SessionHost::Recovery ServiceFrontEnd::recoverPort(const QString&) {
    return Recovery::NobodyToAsk; // the port's report says why it did not open
}

SessionHost::PromptsClosing ServiceFrontEnd::closeRecoveryPrompts() {
    return PromptsClosing::Closed; // none was opened
}

void ServiceFrontEnd::runSetupWindow() {}

bool ServiceFrontEnd::runCalibrationWindow(QString& portProblem) {
    portProblem = u"there is no calibration window without a screen"_s;
    return false;
}

// --- What the log says ---------------------------------------------------------------------

void ServiceFrontEnd::reportPort() {
    const BoardPort& port = session_.boardPort();
    const QString device = port.deviceName();
    switch (port.state()) {
    case BoardPort::State::Open:
        if (portOpen_ && device == portDevice_)
            return;
        serviceLog(portLost_ ? u"the link to the board on%1 is back"_s.arg(deviceText(device))
                             : u"the board's port%1 is open"_s.arg(deviceText(device)));
        portOpen_ = true;
        portLost_ = false;
        portDevice_ = device;
        portReason_.clear();
        return;
    case BoardPort::State::Retrying:
    case BoardPort::State::WaitingForPerson:
        if (portOpen_) {
            serviceLog(u"possible COMMS problem: the link to the board on%1 was lost (%2); "
                       u"trying it again every %3 seconds"_s.arg(deviceText(device), port.reason())
                           .arg(RetrySeconds));
            portOpen_ = false;
            portLost_ = true;
            portReason_ = port.reason();
        } else if (!port.reason().isEmpty() && port.reason() != portReason_) {
            portReason_ = port.reason();
            serviceLog(u"the board's port%1 does not open: %2; trying it again every %3 seconds"_s
                           .arg(deviceText(device), portReason_)
                           .arg(RetrySeconds));
        }
        return;
    case BoardPort::State::Closed:
    case BoardPort::State::InChildWindow:
        // Closed on purpose: the next opening, or failure to open, is said again.
        portOpen_ = false;
        portReason_.clear();
        return;
    }
}

void ServiceFrontEnd::reportLogging() {
    const int ms = session_.loggingOn() ? session_.loggingIntervalMs() : 0;
    if (ms == loggingMs_)
        return;
    loggingMs_ = ms;
    if (ms == 0)
        serviceLog(u"logging is off"_s);
    else
        serviceLog(u"logging every %1 seconds to %2"_s.arg(QString::number(ms / 1000.0),
                                                           paths_.logsFolder()));
}

void ServiceFrontEnd::reportWriteFault() {
    const QString& fault = session_.writeFault();
    serviceLog(fault.isEmpty() ? u"writing works again; nothing held back was lost"_s : fault);
}

void ServiceFrontEnd::countCorruptFrame() {
    ++unreportedCorruptFrames_;
    if (!corruptDataQuiet_.isActive())
        reportCorruptFrames();
}

void ServiceFrontEnd::reportCorruptFrames() {
    if (unreportedCorruptFrames_ == 0)
        return; // a quiet minute: the next corrupt frame is reported at once
    serviceLog(u"possible corrupt COMMS data: %1 in the last minute"_s.arg(
        unreportedCorruptFrames_ == 1 ? u"1 frame"_s
                                      : u"%1 frames"_s.arg(unreportedCorruptFrames_)));
    unreportedCorruptFrames_ = 0;
    corruptDataQuiet_.start();
}

void ServiceFrontEnd::reportPublishing() {
    PublishStatus status = publishing_.status();
    status.droppedRecords = 0;
    if (status == publishingSaid_)
        return;
    const PublishStatus said = std::exchange(publishingSaid_, status);
    switch (status.state) {
    case PublishStatus::State::Off:
        serviceLog(u"publishing is off"_s);
        break;
    case PublishStatus::State::Problem:
        serviceLog(u"publishing is off, since %1"_s.arg(status.text));
        break;
    case PublishStatus::State::Publishing:
        serviceLog(status.text);
        break;
    case PublishStatus::State::Connecting:
    case PublishStatus::State::Waiting:
        serviceLog(u"publishing: "_s + status.text);
        break;
    }
    if (!status.warning.isEmpty() && status.warning != said.warning)
        serviceLog(u"publishing: "_s + status.warning);
}

} // namespace tarnby
