#pragma once
// The main logger window. It owns the controls of the design (named as the design names them:
// tests and screen readers find them by name), forwards what the user does to the logging
// session and shows what the session reports; it answers the session's questions with message
// boxes and the modal child windows.

#include "app/LoggingSession.h"
#include "history/HistoryState.h"
#include "platform/widgets/Environment.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnby {

class Lamp;
class ProgramSetup;
class ReadingsList;
class StatusLabel;

class KestrinLogger : public QWidget, private SessionHost {
    Q_OBJECT
public:
    explicit KestrinLogger(const Environment& environment, QWidget* parent = nullptr);
    ~KestrinLogger() override;

    LoggingSession& session() { return session_; }
    // Called once the event loop has ended: appends the watt-hour line unless Exit already did.
    void endOfRun();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void wireControls();

    // SessionHost
    void showMessage(const QString& text) override;
    void runSetupWindow(const QString& portProblem) override;
    bool runCalibrationWindow(QString& portProblem) override;
    bool closeRecoveryPrompts() override;

    void onExit();
    void onShowLogs();
    void showControls();
    void showStatus();
    void showLamps();
    void rebuildList();
    void showReadings();

    Environment env_;
    HistoryState history_;
    LoggingSession session_;
    QPointer<ProgramSetup> waitingSetup_; // the recovery's setup window while it is open

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
};

} // namespace tarnby
