#pragma once
// The main logger window: start-up, LoadSettings, the serial port and its recovery, the live
// readings, logging on and off, the record and watt-hour timers, and the buttons that open the
// other windows. The rules themselves live in the core (acquisition/, config/, common/); this
// window wires events to them and shows the results.

#include "acquisition/DayLogWriter.h"
#include "acquisition/FrameReceiver.h"
#include "acquisition/LiveReadings.h"
#include "acquisition/ReadingDisplay.h"
#include "acquisition/WattHourStore.h"
#include "app/StatusLine.h"
#include "app/widgets/Lamp.h"
#include "app/widgets/ReadingsList.h"
#include "app/widgets/StatusLabel.h"
#include "config/CalibrationSettings.h"
#include "history/HistoryState.h"
#include "platform/widgets/Environment.h"

#include <QTimer>
#include <QWidget>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnby {

class KestrinLogger : public QWidget {
    Q_OBJECT
public:
    explicit KestrinLogger(const Environment& environment, QWidget* parent = nullptr);
    ~KestrinLogger() override;

    // The start-up sequence, with the port failure recovery; run once before the window is
    // first shown.
    void startUp();
    // Called once the event loop has ended: appends the watt-hour line unless Exit already did.
    void endOfRun();
    // The program is to end (a termination signal): start-up and its recovery stop at once.
    void requestEnd() { endRequested_ = true; }
    bool endRequested() const { return endRequested_; }

    // State that tests and the status of the window can read.
    const LiveReadings& readings() const { return readings_; }
    const IntervalSums& sums() const { return sums_; }
    bool loggingOn() const { return Timer1.isActive(); }
    bool portOpen() const { return MSComm1->isOpen(); }
    const SerialLink& port() const { return *MSComm1; }
    const QString& portText() const { return Port; }
    QString statusText() const;
    QTimer& loggingTimer() { return Timer1; }
    QTimer& wattHourTimer() { return Timer3; }
    QTimer& reconnectTimer() { return reconnect_; }

    // The controls, named as the window design names them.
    QLabel* Label11 = nullptr;
    QLabel* txtMode = nullptr;
    QLabel* Label1 = nullptr;
    ReadingsList* ListView1 = nullptr;
    Lamp* BlinkData = nullptr;
    QLabel* Label14 = nullptr;
    QPushButton* StartLogging = nullptr;
    QPushButton* StopLogging = nullptr;
    Lamp* BlinkLog = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* delay = nullptr;
    QLabel* Label10 = nullptr;
    QPushButton* ShowLogs = nullptr;
    QPushButton* Setup = nullptr;
    QPushButton* CalibrateButton = nullptr;
    QPushButton* Exit = nullptr;
    StatusLabel* Label2 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void runStartUp(bool firstRun);
    void loadSettings();
    bool configureAndOpenPort();
    void portFailureRecovery();
    // The recovery of a child window's port failure: message, setup window, start-up again.
    void recoverAndStartAgain();
    void startLoggingAutomatically();
    bool beginLogging(bool withMessage);

    void onStartLogging();
    void onStopLogging();
    void onCalibrate();
    void onSetup();
    void onShowLogs();
    void onExit();

    void onDataArrived();
    void onLinkLost(const QString& reason);
    void tryReconnect();
    void onLoggingTick();
    void onBlinkOff();
    void onWattHourTick();

    void rebuildList();
    void refreshReadings();
    void showStatus(const QString& text);
    void holdWriteFault(const QString& text);
    void releaseWriteFault();
    void setLoggingControls(bool on);

    Environment env_;
    std::unique_ptr<SerialLink> MSComm1;

    // Configuration copies, as extracted.
    QString Port;
    int BR = 0;
    QString LogOn, DisplayRPM, DisplayWS, WSUnits;
    CalibrationSettings factors_;
    bool progUsable_ = false;
    bool portConfigured_ = false; // line settings applied at least once

    FrameReceiver receiver_;
    LiveReadings readings_;
    IntervalSums sums_;
    ListOptions listOptions_;
    DayLogWriter dayLog_;
    WattHourStore wattHours_;
    StatusLine status_;
    HistoryState history_;

    QTimer Timer1; // logging interval
    QTimer Timer2; // lamps off after 250 ms
    QTimer Timer3; // watt-hour integration every 5 s
    QTimer reconnect_;
    bool linkLost_ = false;
    bool childWindowOpen_ = false;
    bool totalWritten_ = false;
    bool endRequested_ = false;
};

} // namespace tarnby
